// The platform's bitmap info header, declared here so that portable code needs
// no platform headers: 40 bytes, the same fields in the same order and of the
// same types as BITMAPINFOHEADER (the Windows build checks this). For 8-bit
// pictures the colour table follows it in memory.
#pragma once

#include <cstdint>

struct QRVBitmapHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;  // positive: rows stored bottom row first
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;  // FourCC, or 0 for uncompressed RGB
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};

static_assert(sizeof(QRVBitmapHeader) == 40, "bitmap info header is 40 bytes");

constexpr uint32_t BMH_RGB = 0;  // uncompressed

constexpr uint32_t BmhFourCC(char a, char b, char c, char d)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24);
}
