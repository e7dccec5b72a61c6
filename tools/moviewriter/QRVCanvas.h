// Drawing surface for test-movie scenes: 0x00RRGGBB pixels, top row first,
// converted into the codec's picture layout at any supported bit count.
#pragma once

#include <cstdint>
#include <vector>

#include "QRVPicture.h"

class QRVCanvas {
public:
    QRVCanvas(int32_t nWidth, int32_t nHeight);

    int32_t Width() const { return m_nWidth; }
    int32_t Height() const { return m_nHeight; }

    uint32_t Get(int32_t x, int32_t y) const;
    void Set(int32_t x, int32_t y, uint32_t crColor);  // outside: ignored
    void Fill(uint32_t crColor);
    // Rectangles are clipped to the canvas; negative sizes draw nothing.
    void FillRect(int32_t x, int32_t y, int32_t nWidth, int32_t nHeight, uint32_t crColor);
    void FrameRect(int32_t x, int32_t y, int32_t nWidth, int32_t nHeight, uint32_t crColor);
    // Digit 0..9 drawn from blocks of nBlock pixels on a 3 x 5 grid.
    void BlockDigit(int32_t x, int32_t y, int nDigit, int32_t nBlock, uint32_t crColor);
    // Arrow mouse pointer with its tip at (x, y).
    void Pointer(int32_t x, int32_t y);

    // Converts into pPicture (created here); 8-bit pictures use StandardPalette.
    bool ToPicture(QRVPicture& picture, int nBitCount) const;

    // 256 colours as RGBQUAD values: a 6 x 6 x 6 cube (levels 0, 51, ... 255)
    // at 0..215, then 40 greys.
    static const std::vector<uint32_t>& StandardPalette();
    static uint8_t PaletteIndex(uint32_t crColor);

private:
    int32_t m_nWidth;
    int32_t m_nHeight;
    std::vector<uint32_t> m_pixels;
};
