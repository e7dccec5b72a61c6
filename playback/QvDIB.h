// QvDIB: a view on a device-independent bitmap given as a header pointer
// and a pixel pointer. It reads the header (12-byte core, 40-byte info or
// 108-byte V4), finds the colour table, the bit-field masks and the pixels,
// and works out the row geometry for top-down and bottom-up images. It can
// own the two blocks (then it frees them on Clear) or only point at them.
#pragma once

#include <windows.h>

// Pixel format codes (GetFormat).
enum : LONG {
    DIBF_1BPP = 0,
    DIBF_2BPP = 1,
    DIBF_4BPP = 2,
    DIBF_RLE4 = 3,
    DIBF_8BPP = 4,
    DIBF_RLE8 = 5,
    DIBF_RGB555 = 6,  // 16 bits, 5-5-5 (also bit fields with those masks)
    DIBF_RGB565 = 7,  // 16 bits, 5-6-5 bit fields
    DIBF_RGB24 = 8,
    DIBF_RGB32 = 9,  // 32 bits, 8-8-8 (also bit fields with those masks)
    DIBF_BITFIELDS16 = 11,
    DIBF_BITFIELDS32 = 12,
    DIBF_JPEG = 13,
    DIBF_PNG = 14,
};

// Ownership bits (Attach, GetOwnership). Owned blocks must come from
// new BYTE[] (or new uint8_t[]); Clear frees them with delete[].
enum : DWORD {
    DIBO_HEADER = 0x1,
    DIBO_PIXELS = 0x4,
};

// Largest width or height accepted, and most colour-table entries.
constexpr LONG DIB_MAX_SIDE = 32767;
constexpr LONG DIB_MAX_COLORS = 256;

class QvDIB {
public:
    QvDIB() = default;
    virtual ~QvDIB();
    QvDIB(const QvDIB&) = delete;
    QvDIB& operator=(const QvDIB&) = delete;

    // Interprets the header. A non-null pPixels replaces the pixel position
    // derived from the header (a packed DIB has its pixels after its colour
    // table). False, with nothing changed, when the first 12 bytes cannot be
    // read. Otherwise the object is cleared first and takes the blocks with
    // dwOwnership; false then means a header it does not accept (size not
    // 12, 40 or 108, unreadable tables, an absurd size or plane count, an
    // unknown compression or bit count), with the geometry left cleared but
    // the blocks still held so that owned ones are freed by the next Clear.
    // The pixel bit is only honoured for a separate pixel block.
    bool Attach(const void* pHeader, const void* pPixels, DWORD dwOwnership);
    // Frees owned blocks and the bitmap handle and resets the geometry.
    // Pointers to blocks that are not owned are left as they are, except
    // pixels inside an owned header block, which go with it.
    void Clear();

    // The header, cast for the drawing calls (a core header is really a
    // BITMAPCOREINFO; the platform tells them apart by the size field).
    const BITMAPINFO* GetHeader() const { return static_cast<const BITMAPINFO*>(m_pHeader); }
    const BYTE* GetPixels() const { return m_pPixels; }
    // Colour table of a 12-byte header, else null.
    const RGBTRIPLE* GetCoreColorTable() const { return m_pCoreColors; }
    // Colour table of a 40- or 108-byte header, else null.
    const RGBQUAD* GetColorTable() const { return m_pColors; }
    // Red, green and blue masks of a BI_BITFIELDS image, else null.
    const DWORD* GetMasks() const { return m_pMasks; }

    LONG GetFormat() const { return m_nFormat; }
    DWORD GetOwnership() const { return m_nOwnership; }
    LONG GetColorsUsed() const { return m_nColorsUsed; }
    LONG GetColorsImportant() const { return m_nColorsImportant; }
    LONG GetWidth() const { return m_nWidth; }
    LONG GetHeight() const { return m_nHeight; }  // always positive when attached
    LONG GetPlanes() const { return m_nPlanes; }
    LONG GetBitsPerPixel() const { return m_nBitsPerPixel; }
    LONG GetBitsPerPixelPlanes() const { return m_nBitsPerPixelPlanes; }
    LONG GetImageSize() const { return m_nImageSize; }
    LONG GetStride() const { return m_nStride; }
    // The top row of the picture, and the bytes from one row to the one
    // below it (negative for a bottom-up image).
    const BYTE* GetFirstRow() const { return m_pFirstRow; }
    LONG GetRowStep() const { return m_nRowStep; }

    // A GDI bitmap kept with the image; the object deletes it on Clear (and
    // deletes the one it held before).
    void SetBitmap(HBITMAP hBitmap);
    HBITMAP GetBitmap() const { return m_hBitmap; }

private:
    struct CLayout;
    static bool Interpret(const BYTE* pHeader, const BYTE* pPixels, CLayout& layout);

    LONG m_nFormat = 0;
    DWORD m_nOwnership = 0;
    const void* m_pHeader = nullptr;
    const BYTE* m_pPixels = nullptr;
    const RGBTRIPLE* m_pCoreColors = nullptr;
    const RGBQUAD* m_pColors = nullptr;
    LONG m_nColorsUsed = 0;
    LONG m_nColorsImportant = 0;
    const DWORD* m_pMasks = nullptr;
    LONG m_nWidth = 0;
    LONG m_nHeight = 0;
    LONG m_nPlanes = 1;
    LONG m_nBitsPerPixel = 1;
    LONG m_nBitsPerPixelPlanes = 1;
    LONG m_nImageSize = 0;
    HBITMAP m_hBitmap = nullptr;  // owned
    LONG m_nStride = 0;
    const BYTE* m_pFirstRow = nullptr;
    LONG m_nRowStep = 0;
    bool m_bPixelsInHeader = false;  // the pixels lie in the header block
};
