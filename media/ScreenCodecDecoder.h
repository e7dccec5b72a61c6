// Decoder of the "qrvc" screen codec: a small C-style component, a heap record
// driven by plain functions that return the video-compression-manager codes.
// A frame is a zlib stream of a run-length stream (frames of at most 10 bytes
// are the bare run-length stream); it is painted into the caller's persistent
// bottom-up bitmap, and pixels it does not touch keep their values.
//
// Formats accepted (Begin, and Decompress each time): input compression
// "qrvc" (lower case), bit count at least 8; output uncompressed with the
// same width, height and bit count; in addition the width and height must be
// positive (top-down pictures are refused), a row at most 65535 bytes and
// the whole picture at most 4 GiB - 1. Bit counts other than 8, 16, 24 and
// 32 pass the check and decode nothing.
//
// Safety: a frame never reads outside its input bytes (or the inflated
// length) nor writes outside stride x height output bytes. The first record
// that would cross either bound ends the frame; the records before it stay
// written and the call succeeds, as it does for a stream without an end of
// picture.
#pragma once

#include <cstdint>
#include <memory>

#include "QRVBitmapHeader.h"
#include "QRVInflater.h"

// Result codes.
constexpr int SCD_OK = 0;
constexpr int SCD_BADFORMAT = -2;
constexpr int SCD_INTERNAL = -4;  // memory or inflation failure

// Frames of at most this many bytes are a bare run-length stream.
constexpr uint32_t SCD_BARE_LIMIT = 10;

struct QRVFreeDeleter {
    void operator()(uint8_t* p) const;
};

// Instance record. The platform version takes the record from the local heap
// and the inflation buffer from movable global memory; portable code uses
// ordinary allocation for both.
struct ScreenCodecDecoder {
    std::unique_ptr<uint8_t, QRVFreeDeleter> m_pInflateBuffer;  // null until the first frame after Begin
    uint32_t m_cbInflateBuffer = 0;
    uint32_t m_bBegun = 0;
    QRVInflater m_inflater;  // zlib state, kept for the instance's life
};

namespace QRVScreenCodec {

// New instance, or null when memory is short.
ScreenCodecDecoder* Create();

// Checks the formats; on success sets m_bBegun, fills the output's image size
// with stride x height when it is 0 and drops the inflation buffer. pOut may
// be null (only the input is checked then). SCD_OK or SCD_BADFORMAT.
int Begin(ScreenCodecDecoder* pDecoder, const QRVBitmapHeader* pIn, QRVBitmapHeader* pOut);

// Decodes one frame of pIn->biSizeImage bytes at pData into pBits (at least
// stride x height bytes holding the previous picture). Runs Begin first when
// the instance has not begun. SCD_OK; SCD_BADFORMAT for formats Begin would
// refuse; SCD_INTERNAL when memory is short, an argument is missing or zlib
// fails (the bitmap is then left as it was).
int Decompress(ScreenCodecDecoder* pDecoder, const QRVBitmapHeader* pIn, const uint8_t* pData,
               QRVBitmapHeader* pOut, uint8_t* pBits);

// Drops the inflation buffer and clears m_bBegun. SCD_OK.
int End(ScreenCodecDecoder* pDecoder);

// Releases the instance and its buffers; null is accepted.
void Destroy(ScreenCodecDecoder* pDecoder);

// The format check of Begin alone: SCD_OK or SCD_BADFORMAT.
int CheckFormat(const QRVBitmapHeader* pIn, const QRVBitmapHeader* pOut);

// Row stride and picture size of a format the check accepts (0 otherwise).
uint32_t Stride(const QRVBitmapHeader& header);
uint32_t PictureBytes(const QRVBitmapHeader& header);

// Size of the inflation buffer for a format: width x height x 2 x
// (bit count / 8); 0 when it does not fit into 32 bits.
uint32_t InflateBytes(const QRVBitmapHeader& header);

}  // namespace QRVScreenCodec

// Owns an instance: Destroy at scope end.
struct QRVScreenDecoderDeleter {
    void operator()(ScreenCodecDecoder* p) const { QRVScreenCodec::Destroy(p); }
};
using QRVScreenDecoderPtr = std::unique_ptr<ScreenCodecDecoder, QRVScreenDecoderDeleter>;
