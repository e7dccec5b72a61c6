// Picture geometry rules of the "qrvc" screen codec: bit counts, row strides
// and the largest run-length stream a decoder accepts for a picture.
#pragma once

#include <cstddef>
#include <cstdint>

namespace QRVScreenFormat {

// Largest row the format can address (stride and column counter are 16-bit).
constexpr uint32_t SCF_MAX_ROW_BYTES = 65535;
// Streams of at most this many bytes are stored bare, longer ones deflated.
constexpr size_t SCF_BARE_LIMIT = 10;

// True for the bit counts the codec encodes: 8, 16, 24 and 32.
bool IsSupportedBitCount(int nBitCount);

// Bytes per pixel (bit count / 8).
uint32_t BytesPerPixel(int nBitCount);

// Row stride in bytes for the bit count, or 0 when the width is not positive,
// the bit count is unsupported or the row would exceed SCF_MAX_ROW_BYTES.
uint32_t Stride(int32_t nWidth, int nBitCount);

// Size of a whole picture (stride x height), or 0 when the geometry is invalid
// or the size does not fit into 32 bits.
uint32_t PictureBytes(int32_t nWidth, int32_t nHeight, int nBitCount);

// Largest inflated run-length stream a decoder accepts for the picture:
// width x height x 2 x bytes per pixel; 0 when invalid or beyond 32 bits.
uint32_t MaxStreamBytes(int32_t nWidth, int32_t nHeight, int nBitCount);

}  // namespace QRVScreenFormat
