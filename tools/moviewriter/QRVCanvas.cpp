#include "QRVCanvas.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int CNV_CUBE_LEVELS = 6;
constexpr int CNV_CUBE_COLOURS = 216;
constexpr int CNV_GREYS = 40;

uint32_t Red(uint32_t cr)
{
    return (cr >> 16) & 0xFF;
}
uint32_t Green(uint32_t cr)
{
    return (cr >> 8) & 0xFF;
}
uint32_t Blue(uint32_t cr)
{
    return cr & 0xFF;
}

uint32_t GreyLevel(int i)
{
    // 40 greys between the cube's levels, from 6 to 249.
    return static_cast<uint32_t>(6 + i * 243 / (CNV_GREYS - 1));
}

// 3 x 5 block patterns of the digits, one row per 3 bits (top row first).
const uint16_t s_digitRows[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 2, 2, 2}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};

// Arrow pointer, 12 x 19: '#' outline, '.' fill.
const char* const s_pointer[] = {
    "#",         "##",        "#.#",        "#..#",        "#...#",        "#....#",   "#.....#",
    "#......#",  "#.......#", "#........#", "#.........#", "#......#####", "#...#..#", "#..##..#",
    "#.#  #..#", "##   #..#", "#     #..#", "      #..#",  "       ##",
};

}  // namespace

QRVCanvas::QRVCanvas(int32_t nWidth, int32_t nHeight)
    : m_nWidth(std::max(0, nWidth)), m_nHeight(std::max(0, nHeight)),
      m_pixels(static_cast<size_t>(m_nWidth) * static_cast<size_t>(m_nHeight), 0)
{
}

uint32_t QRVCanvas::Get(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight)
        return 0;
    return m_pixels[static_cast<size_t>(y) * m_nWidth + x];
}

void QRVCanvas::Set(int32_t x, int32_t y, uint32_t crColor)
{
    if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight)
        return;
    m_pixels[static_cast<size_t>(y) * m_nWidth + x] = crColor & 0x00FFFFFFu;
}

void QRVCanvas::Fill(uint32_t crColor)
{
    std::fill(m_pixels.begin(), m_pixels.end(), crColor & 0x00FFFFFFu);
}

void QRVCanvas::FillRect(int32_t x, int32_t y, int32_t nWidth, int32_t nHeight, uint32_t crColor)
{
    if (nWidth <= 0 || nHeight <= 0)
        return;
    const int64_t nLeft = std::max<int64_t>(x, 0);
    const int64_t nTop = std::max<int64_t>(y, 0);
    const int64_t nRight = std::min<int64_t>(static_cast<int64_t>(x) + nWidth, m_nWidth);
    const int64_t nBottom = std::min<int64_t>(static_cast<int64_t>(y) + nHeight, m_nHeight);
    for (int64_t yy = nTop; yy < nBottom; ++yy) {
        uint32_t* pRow = m_pixels.data() + yy * m_nWidth;
        std::fill(pRow + nLeft, pRow + std::max(nLeft, nRight), crColor & 0x00FFFFFFu);
    }
}

void QRVCanvas::FrameRect(int32_t x, int32_t y, int32_t nWidth, int32_t nHeight, uint32_t crColor)
{
    FillRect(x, y, nWidth, 1, crColor);
    FillRect(x, y + nHeight - 1, nWidth, 1, crColor);
    FillRect(x, y, 1, nHeight, crColor);
    FillRect(x + nWidth - 1, y, 1, nHeight, crColor);
}

void QRVCanvas::BlockDigit(int32_t x, int32_t y, int nDigit, int32_t nBlock, uint32_t crColor)
{
    if (nDigit < 0 || nDigit > 9)
        return;
    for (int nRow = 0; nRow < 5; ++nRow) {
        for (int nCol = 0; nCol < 3; ++nCol) {
            if (s_digitRows[nDigit][nRow] & (4 >> nCol))
                FillRect(x + nCol * nBlock, y + nRow * nBlock, nBlock - 1, nBlock - 1, crColor);
        }
    }
}

void QRVCanvas::Pointer(int32_t x, int32_t y)
{
    int32_t nRow = 0;
    for (const char* pszLine : s_pointer) {
        for (int32_t nCol = 0; pszLine[nCol] != '\0'; ++nCol) {
            if (pszLine[nCol] == '#')
                Set(x + nCol, y + nRow, 0x000000);
            else if (pszLine[nCol] == '.')
                Set(x + nCol, y + nRow, 0xFFFFFF);
        }
        ++nRow;
    }
}

const std::vector<uint32_t>& QRVCanvas::StandardPalette()
{
    static const std::vector<uint32_t> s_palette = [] {
        std::vector<uint32_t> palette;
        palette.reserve(256);
        for (int r = 0; r < CNV_CUBE_LEVELS; ++r)
            for (int g = 0; g < CNV_CUBE_LEVELS; ++g)
                for (int b = 0; b < CNV_CUBE_LEVELS; ++b)
                    palette.push_back(static_cast<uint32_t>((r * 51) << 16 | (g * 51) << 8 | b * 51));
        for (int i = 0; i < CNV_GREYS; ++i) {
            const uint32_t n = GreyLevel(i);
            palette.push_back(n << 16 | n << 8 | n);
        }
        return palette;
    }();
    return s_palette;
}

uint8_t QRVCanvas::PaletteIndex(uint32_t crColor)
{
    auto level = [](uint32_t n) { return static_cast<int>((n + 25) / 51); };
    const int r = level(Red(crColor));
    const int g = level(Green(crColor));
    const int b = level(Blue(crColor));
    int nIndex = r * 36 + g * 6 + b;
    if (Red(crColor) == Green(crColor) && Green(crColor) == Blue(crColor)) {
        // Greys: the nearer of the cube's grey and the grey ramp.
        const int nValue = static_cast<int>(Red(crColor));
        int nBestDiff = std::abs(nValue - r * 51);
        for (int i = 0; i < CNV_GREYS; ++i) {
            const int nDiff = std::abs(nValue - static_cast<int>(GreyLevel(i)));
            if (nDiff < nBestDiff) {
                nBestDiff = nDiff;
                nIndex = CNV_CUBE_COLOURS + i;
            }
        }
    }
    return static_cast<uint8_t>(nIndex);
}

bool QRVCanvas::ToPicture(QRVPicture& picture, int nBitCount) const
{
    if (!picture.Create(m_nWidth, m_nHeight, nBitCount))
        return false;
    for (int32_t y = 0; y < m_nHeight; ++y) {
        const uint32_t* pSource = m_pixels.data() + static_cast<size_t>(y) * m_nWidth;
        uint8_t* pRow = picture.Row(m_nHeight - 1 - y);  // storage is bottom row first
        for (int32_t x = 0; x < m_nWidth; ++x) {
            const uint32_t cr = pSource[x];
            switch (nBitCount) {
            case 8:
                *pRow++ = PaletteIndex(cr);
                break;
            case 16: {
                const uint32_t n = (Red(cr) >> 3) << 10 | (Green(cr) >> 3) << 5 | Blue(cr) >> 3;
                *pRow++ = static_cast<uint8_t>(n);
                *pRow++ = static_cast<uint8_t>(n >> 8);
                break;
            }
            default:
                *pRow++ = static_cast<uint8_t>(Blue(cr));
                *pRow++ = static_cast<uint8_t>(Green(cr));
                *pRow++ = static_cast<uint8_t>(Red(cr));
                if (nBitCount == 32)
                    *pRow++ = 0;
                break;
            }
        }
    }
    return true;
}
