// Layout of a fuzz input for the screen-codec decoder, shared by the fuzz
// target and the seed writer:
//   8-byte format record: width (int16), height (int16), bit count selector,
//   input compression selector, output tweak bits, initial fill byte;
//   then frames until the input ends: operation byte, length (uint16),
//   that many data bytes (fewer when the input ends first).
// Integers are little-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace QRVFuzzInput {

constexpr size_t FZI_FORMAT_BYTES = 8;
constexpr size_t FZI_FRAME_HEADER_BYTES = 3;

// Bit count selector: below 0x80 one of 8, 16, 24, 32; from 0x80 on the raw
// value minus 0x80 (0..127: 1, 4, 12, 48 ...).
constexpr uint8_t FZI_BITS_8 = 0, FZI_BITS_16 = 1, FZI_BITS_24 = 2, FZI_BITS_32 = 3, FZI_BITS_RAW = 0x80;

// Input compression selector: 0 and anything above 3 "qrvc"; 1 "QRVC";
// 2 uncompressed; 3 "qrvC".
constexpr uint8_t FZI_FCC_QRVC = 0, FZI_FCC_UPPER = 1, FZI_FCC_RGB = 2, FZI_FCC_MIXED = 3;

// Output tweaks: each bit breaks one thing about the output format.
constexpr uint8_t FZI_OUT_COMPRESSED = 0x01, FZI_OUT_WIDER = 0x02, FZI_OUT_TALLER = 0x04,
                  FZI_OUT_DEEPER = 0x08, FZI_TOP_DOWN = 0x10;

// Operation byte, low two bits: Decompress (0, 1), Begin (2), End (3).
constexpr uint8_t FZI_OP_DECOMPRESS = 0, FZI_OP_BEGIN = 2, FZI_OP_END = 3;

inline void PutFormat(std::vector<uint8_t>& out, int16_t nWidth, int16_t nHeight, uint8_t nBits,
                      uint8_t nFcc = FZI_FCC_QRVC, uint8_t nTweaks = 0, uint8_t nFill = 0)
{
    const uint16_t w = static_cast<uint16_t>(nWidth), h = static_cast<uint16_t>(nHeight);
    out.insert(out.end(), {static_cast<uint8_t>(w), static_cast<uint8_t>(w >> 8), static_cast<uint8_t>(h),
                           static_cast<uint8_t>(h >> 8), nBits, nFcc, nTweaks, nFill});
}

inline void PutFrame(std::vector<uint8_t>& out, const std::vector<uint8_t>& frame,
                     uint8_t nOp = FZI_OP_DECOMPRESS)
{
    const size_t n = frame.size() < 0xFFFF ? frame.size() : 0xFFFF;
    out.insert(out.end(), {nOp, static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8)});
    out.insert(out.end(), frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(n));
}

}  // namespace QRVFuzzInput
