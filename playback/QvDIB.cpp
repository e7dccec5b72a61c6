#include "QvDIB.h"

#include <climits>
#include <cstdint>
#include <cstring>

namespace {

constexpr DWORD DIB_CORE_BYTES = 12;     // BITMAPCOREHEADER
constexpr DWORD DIB_INFO_BYTES = 40;     // BITMAPINFOHEADER
constexpr DWORD DIB_V4_BYTES = 108;      // BITMAPV4HEADER
constexpr DWORD DIB_MASK_BYTES = 12;     // red, green and blue masks
constexpr LONG DIB_MAX_PIXEL_BITS = 32;  // planes x bits per pixel at most

// Field readers; headers handed in need not be aligned.
WORD ReadWord(const BYTE* p)
{
    WORD w;
    std::memcpy(&w, p, sizeof(w));
    return w;
}

DWORD ReadDword(const BYTE* p)
{
    DWORD dw;
    std::memcpy(&dw, p, sizeof(dw));
    return dw;
}

// Format code for a bit count and compression; -1 when there is none.
LONG FormatCode(LONG nBits, DWORD dwCompression)
{
    switch (nBits) {
    case 0:
        if (dwCompression == BI_JPEG)
            return DIBF_JPEG;
        if (dwCompression == BI_PNG)
            return DIBF_PNG;
        return -1;
    case 1:
        return DIBF_1BPP;
    case 2:
        return DIBF_2BPP;
    case 4:
        return dwCompression == BI_RLE4 ? DIBF_RLE4 : DIBF_4BPP;
    case 8:
        return dwCompression == BI_RLE8 ? DIBF_RLE8 : DIBF_8BPP;
    case 16:
        return dwCompression == BI_BITFIELDS ? DIBF_BITFIELDS16 : DIBF_RGB555;
    case 24:
        return DIBF_RGB24;
    case 32:
        return dwCompression == BI_BITFIELDS ? DIBF_BITFIELDS32 : DIBF_RGB32;
    default:
        return -1;
    }
}

// Bit-field masks that name one of the plain formats refine the code.
LONG RefineByMasks(LONG nFormat, DWORD dwRed, DWORD dwGreen, DWORD dwBlue)
{
    if (dwRed == 0x7C00 && dwGreen == 0x3E0 && dwBlue == 0x1F)
        return DIBF_RGB555;
    if (dwRed == 0xF800 && dwGreen == 0x7E0 && dwBlue == 0x1F)
        return DIBF_RGB565;
    if (dwRed == 0xFF0000 && dwGreen == 0xFF00 && dwBlue == 0xFF)
        return DIBF_RGB32;
    return nFormat;
}

}  // namespace

// What Interpret finds in a header; copied into the object only when the
// whole header is accepted.
struct QvDIB::CLayout {
    LONG nFormat = 0;
    const BYTE* pPixels = nullptr;
    const RGBTRIPLE* pCoreColors = nullptr;
    const RGBQUAD* pColors = nullptr;
    LONG nColorsUsed = 0;
    LONG nColorsImportant = 0;
    const DWORD* pMasks = nullptr;
    LONG nWidth = 0;
    LONG nHeight = 0;
    LONG nPlanes = 1;
    LONG nBitsPerPixel = 1;
    LONG nImageSize = 0;
    LONG nStride = 0;
    const BYTE* pFirstRow = nullptr;
    LONG nRowStep = 0;
};

QvDIB::~QvDIB()
{
    try {
        Clear();
    } catch (...) {
    }
}

bool QvDIB::Interpret(const BYTE* pHeader, const BYTE* pPixels, CLayout& layout)
{
    const DWORD dwSize = ReadDword(pHeader);
    int64_t nWidth = 0;
    int64_t nHeight = 0;
    LONG nPlanes = 0;
    LONG nBits = 0;
    DWORD dwCompression = BI_RGB;
    DWORD dwImageSize = 0;
    DWORD dwColorsUsed = 0;
    DWORD dwColorsImportant = 0;
    DWORD dwPrefix = 0;  // header, masks and colour table
    if (dwSize == DIB_CORE_BYTES) {
        nWidth = ReadWord(pHeader + 4);
        nHeight = ReadWord(pHeader + 6);
        nPlanes = ReadWord(pHeader + 8);
        nBits = ReadWord(pHeader + 10);
        if (nBits <= 8) {
            dwColorsUsed = dwColorsImportant = 1u << nBits;
            layout.pCoreColors = reinterpret_cast<const RGBTRIPLE*>(pHeader + DIB_CORE_BYTES);
        }
        dwPrefix = DIB_CORE_BYTES + sizeof(RGBTRIPLE) * dwColorsUsed;
    } else if (dwSize == DIB_INFO_BYTES || dwSize == DIB_V4_BYTES) {
        if (::IsBadReadPtr(pHeader, dwSize))
            return false;
        nWidth = static_cast<LONG>(ReadDword(pHeader + 4));
        nHeight = static_cast<LONG>(ReadDword(pHeader + 8));
        nPlanes = ReadWord(pHeader + 12);
        nBits = ReadWord(pHeader + 14);
        dwCompression = ReadDword(pHeader + 16);
        dwImageSize = ReadDword(pHeader + 20);
        dwColorsUsed = ReadDword(pHeader + 32);
        dwColorsImportant = ReadDword(pHeader + 36);
        if (dwColorsUsed > static_cast<DWORD>(DIB_MAX_COLORS))
            return false;
        if (nBits <= 8 && dwColorsUsed == 0)
            dwColorsUsed = 1u << nBits;
        // Only a hint; never more than the table holds.
        if (dwColorsImportant == 0 || dwColorsImportant > dwColorsUsed)
            dwColorsImportant = dwColorsUsed;
        dwPrefix = dwSize;
        if (dwCompression == BI_BITFIELDS) {
            layout.pMasks = reinterpret_cast<const DWORD*>(pHeader + dwPrefix);
            dwPrefix += DIB_MASK_BYTES;
        }
        if (dwColorsUsed != 0)
            layout.pColors = reinterpret_cast<const RGBQUAD*>(pHeader + dwPrefix);
        dwPrefix += sizeof(RGBQUAD) * dwColorsUsed;
    } else {
        return false;
    }

    // The header's own claims, before anything is computed from them.
    if (nWidth <= 0 || nWidth > DIB_MAX_SIDE || nHeight == 0 || nHeight < -DIB_MAX_SIDE ||
        nHeight > DIB_MAX_SIDE)
        return false;
    if (nPlanes < 1 || nPlanes > DIB_MAX_PIXEL_BITS || nPlanes * nBits > DIB_MAX_PIXEL_BITS)
        return false;
    if (dwCompression > BI_PNG || dwImageSize > static_cast<DWORD>(LONG_MAX))
        return false;
    LONG nFormat = FormatCode(nBits, dwCompression);
    if (nFormat < 0)
        return false;
    // The masks and the colour table are read here and by the drawing.
    if (::IsBadReadPtr(pHeader, dwPrefix))
        return false;
    if (layout.pMasks != nullptr)
        nFormat = RefineByMasks(nFormat, ReadDword(pHeader + dwSize), ReadDword(pHeader + dwSize + 4),
                                ReadDword(pHeader + dwSize + 8));

    const BYTE* pRows = pPixels != nullptr ? pPixels : pHeader + dwPrefix;
    const int64_t nStride = (nWidth * nBits + 31) / 32 * 4;
    const int64_t nRows = nHeight < 0 ? -nHeight : nHeight;
    const int64_t nPlaneStride = nStride * nPlanes;
    const int64_t nBytes = nPlaneStride * nRows;
    if (nBytes > LONG_MAX ||
        reinterpret_cast<uintptr_t>(pRows) > UINTPTR_MAX - static_cast<uintptr_t>(nBytes))
        return false;

    layout.nFormat = nFormat;
    layout.pPixels = pRows;
    layout.nColorsUsed = static_cast<LONG>(dwColorsUsed);
    layout.nColorsImportant = static_cast<LONG>(dwColorsImportant);
    layout.nWidth = static_cast<LONG>(nWidth);
    layout.nHeight = static_cast<LONG>(nRows);
    layout.nPlanes = nPlanes;
    layout.nBitsPerPixel = nBits;
    layout.nStride = static_cast<LONG>(nStride);
    if (nHeight < 0) {
        layout.pFirstRow = pRows;
        layout.nRowStep = layout.nStride;
    } else {
        layout.pFirstRow = pRows + (nRows - 1) * nPlaneStride;
        layout.nRowStep = -layout.nStride;
    }
    layout.nImageSize = dwImageSize != 0 ? static_cast<LONG>(dwImageSize) : static_cast<LONG>(nBytes);
    return true;
}

bool QvDIB::Attach(const void* pHeader, const void* pPixels, DWORD dwOwnership)
{
    if (::IsBadReadPtr(pHeader, DIB_CORE_BYTES))
        return false;
    // A block this object owns and is given again stays owned rather than
    // being freed under the caller.
    DWORD dwKeep = 0;
    if ((m_nOwnership & DIBO_HEADER) != 0 && pHeader == m_pHeader)
        dwKeep |= DIBO_HEADER;
    if ((m_nOwnership & DIBO_PIXELS) != 0 && pPixels != nullptr && pPixels == m_pPixels)
        dwKeep |= DIBO_PIXELS;
    m_nOwnership &= ~dwKeep;
    Clear();

    m_pHeader = pHeader;
    m_pPixels = static_cast<const BYTE*>(pPixels);
    // Pixels found inside the header block are freed with it.
    m_bPixelsInHeader = pPixels == nullptr || pPixels == pHeader;
    const DWORD dwValid = m_bPixelsInHeader ? DIBO_HEADER : DIBO_HEADER | DIBO_PIXELS;
    m_nOwnership = (dwOwnership | dwKeep) & dwValid;

    CLayout layout;
    if (!Interpret(static_cast<const BYTE*>(pHeader), m_pPixels, layout))
        return false;
    m_nFormat = layout.nFormat;
    m_pPixels = layout.pPixels;
    m_pCoreColors = layout.pCoreColors;
    m_pColors = layout.pColors;
    m_nColorsUsed = layout.nColorsUsed;
    m_nColorsImportant = layout.nColorsImportant;
    m_pMasks = layout.pMasks;
    m_nWidth = layout.nWidth;
    m_nHeight = layout.nHeight;
    m_nPlanes = layout.nPlanes;
    m_nBitsPerPixel = layout.nBitsPerPixel;
    m_nBitsPerPixelPlanes = layout.nPlanes * layout.nBitsPerPixel;
    m_nImageSize = layout.nImageSize;
    m_nStride = layout.nStride;
    m_pFirstRow = layout.pFirstRow;
    m_nRowStep = layout.nRowStep;
    return true;
}

void QvDIB::Clear()
{
    if ((m_nOwnership & DIBO_HEADER) != 0) {
        delete[] static_cast<const BYTE*>(m_pHeader);
        m_pHeader = nullptr;
        if (m_bPixelsInHeader)
            m_pPixels = nullptr;
    }
    if ((m_nOwnership & DIBO_PIXELS) != 0) {
        delete[] m_pPixels;
        m_pPixels = nullptr;
    }
    SetBitmap(nullptr);
    m_bPixelsInHeader = false;
    m_nOwnership = 0;
    m_nWidth = 0;
    m_nHeight = 0;
    m_nPlanes = 1;
    m_nBitsPerPixel = 1;
    m_nBitsPerPixelPlanes = 1;
    m_nImageSize = 0;
    m_nFormat = 0;
    m_pCoreColors = nullptr;
    m_pColors = nullptr;
    m_pMasks = nullptr;
    m_nColorsUsed = 0;
    m_nColorsImportant = 0;
    m_nStride = 0;
    m_pFirstRow = nullptr;
    m_nRowStep = 0;
}

void QvDIB::SetBitmap(HBITMAP hBitmap)
{
    if (m_hBitmap != nullptr && m_hBitmap != hBitmap)
        ::DeleteObject(m_hBitmap);
    m_hBitmap = hBitmap;
}
