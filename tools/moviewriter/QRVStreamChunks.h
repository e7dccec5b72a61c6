// The "strh" and "strf" chunks of the writers' two streams, shared by the
// classic and the OpenDML writer (each adds its own index chunks and closes
// the "strl" list itself).
#pragma once

#include <cstdint>
#include <vector>

#include "QRVAviWriter.h"

namespace QRVStreamChunks {

// Why the writers cannot take these formats, or null when they can.
const char* CheckFormats(const QRVVideoStreamFormat& video, const QRVAudioStreamFormat* pAudio);

// Video stream header and format (with the colour table for 8 bits).
void AppendVideo(std::vector<uint8_t>& out, const QRVVideoStreamFormat& video, uint32_t nFrames,
                 uint32_t nMaxChunk, uint32_t nFlags);

// PCM sound stream header and format.
void AppendAudio(std::vector<uint8_t>& out, const QRVAudioStreamFormat& audio, uint32_t nBlocks,
                 uint32_t nMaxChunk);

}  // namespace QRVStreamChunks
