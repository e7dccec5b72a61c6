// Run-length stage of the "qrvc" screen codec: paints one run-length stream
// into a bottom-up picture. Pixels the stream does not reach keep their
// values, so the picture is the reference for the next frame.
//
// Bounds: reads stay inside the nSrc stream bytes and writes inside the nDst
// picture bytes whatever the stream says. The first record that would read
// past the stream or write past the picture ends the decoding; that record
// writes nothing and every record before it stays written. Moves (end of
// line, delta) may take the write position outside the picture; only a
// write from there ends the decoding.
#pragma once

#include <cstddef>
#include <cstdint>

// How a decoding ended.
enum QRVRleEnd {
    RLD_END_OF_PICTURE,  // the end-of-picture record
    RLD_END_OF_INPUT,    // the stream ran out (no end of picture, or a record cut short)
    RLD_OUT_OF_BOUNDS,   // a record would have written outside the picture
};

namespace QRVScreenRle {

// Largest row (stride) the format can address: stride and the row pixel
// counter are 16-bit quantities.
constexpr uint32_t RLD_MAX_STRIDE = 65535;

// Row stride of an uncompressed picture: rows padded to 4 bytes (for 32 bits
// this is width x 4). 0 when the width is not positive or the bit count is 0;
// may exceed RLD_MAX_STRIDE.
uint64_t Stride(int32_t nWidth, uint32_t nBitCount);

// Units of store the decoding's fast loop may use: the widest the processor
// has (32 bytes with AVX2, for 1, 2 and 4 bytes per pixel), or 16 bytes.
// The picture is the same either way.
enum QRVRleUnits {
    RLD_UNITS_WIDEST,
    RLD_UNITS_16,
};

// Decodes with nBytesPerPixel 1, 2, 3 or 4 into pDst (nDst bytes, rows of
// nStride bytes); any other pixel size decodes nothing and reports
// RLD_END_OF_PICTURE. A missing padding byte after the last record (an odd
// 8-bit literal run) is tolerated. *pnRead, when given, receives the stream
// bytes consumed.
QRVRleEnd Decode(uint32_t nBytesPerPixel, const uint8_t* pSrc, size_t nSrc, uint8_t* pDst, size_t nDst,
                 uint32_t nStride, size_t* pnRead = nullptr, QRVRleUnits units = RLD_UNITS_WIDEST);

}  // namespace QRVScreenRle
