// Record layouts of the classic AVI file, declared here so that portable code
// needs no platform headers. Each Append writes the record's bytes
// little-endian, in the order of the platform's structure.
#pragma once

#include <cstdint>
#include <vector>

#include "QRVLittleEndian.h"

constexpr uint32_t AVR_MAIN_HASINDEX = 0x00000010;
constexpr uint32_t AVR_MAIN_ISINTERLEAVED = 0x00000100;
constexpr uint32_t AVR_INDEX_KEYFRAME = 0x00000010;
constexpr uint32_t AVR_INDEX_NO_TIME = 0x00000100;
constexpr uint32_t AVR_STREAM_PALCHANGES = 0x00010000;
constexpr uint16_t AVR_WAVE_FORMAT_PCM = 1;

constexpr uint32_t AVR_MAIN_HEADER_BYTES = 56;
constexpr uint32_t AVR_STREAM_HEADER_BYTES = 56;
constexpr uint32_t AVR_BITMAP_HEADER_BYTES = 40;
constexpr uint32_t AVR_WAVE_FORMAT_BYTES = 18;
constexpr uint32_t AVR_INDEX_ENTRY_BYTES = 16;

// "avih"
struct QRVAviMainHeader {
    uint32_t dwMicroSecPerFrame = 0;
    uint32_t dwMaxBytesPerSec = 0;
    uint32_t dwPaddingGranularity = 0;
    uint32_t dwFlags = 0;
    uint32_t dwTotalFrames = 0;
    uint32_t dwInitialFrames = 0;
    uint32_t dwStreams = 0;
    uint32_t dwSuggestedBufferSize = 0;
    uint32_t dwWidth = 0;
    uint32_t dwHeight = 0;
    // four reserved 32-bit words follow, written as zeros
};

// "strh"
struct QRVAviStreamHeader {
    uint32_t fccType = 0;
    uint32_t fccHandler = 0;
    uint32_t dwFlags = 0;
    uint16_t wPriority = 0;
    uint16_t wLanguage = 0;
    uint32_t dwInitialFrames = 0;
    uint32_t dwScale = 0;
    uint32_t dwRate = 0;
    uint32_t dwStart = 0;
    uint32_t dwLength = 0;
    uint32_t dwSuggestedBufferSize = 0;
    uint32_t dwQuality = 0;
    uint32_t dwSampleSize = 0;
    int16_t rcFrame[4] = {0, 0, 0, 0};  // left, top, right, bottom
};

// "strf" of a video stream (followed by the colour table for 8 bits)
struct QRVBitmapInfoHeader {
    uint32_t biSize = AVR_BITMAP_HEADER_BYTES;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};

// "strf" of a sound stream
struct QRVWaveFormat {
    uint16_t wFormatTag = AVR_WAVE_FORMAT_PCM;
    uint16_t nChannels = 0;
    uint32_t nSamplesPerSec = 0;
    uint32_t nAvgBytesPerSec = 0;
    uint16_t nBlockAlign = 0;
    uint16_t wBitsPerSample = 0;
    uint16_t cbSize = 0;
};

// One "idx1" entry; dwChunkOffset counts from the "movi" list's fourcc.
struct QRVAviIndexEntry {
    uint32_t ckid = 0;
    uint32_t dwFlags = 0;
    uint32_t dwChunkOffset = 0;
    uint32_t dwChunkLength = 0;
};

void AppendRecord(std::vector<uint8_t>& out, const QRVAviMainHeader& header);
void AppendRecord(std::vector<uint8_t>& out, const QRVAviStreamHeader& header);
void AppendRecord(std::vector<uint8_t>& out, const QRVBitmapInfoHeader& header);
void AppendRecord(std::vector<uint8_t>& out, const QRVWaveFormat& format);
void AppendRecord(std::vector<uint8_t>& out, const QRVAviIndexEntry& entry);
