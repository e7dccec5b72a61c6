// An uncompressed picture in the codec's layout: rows stored bottom row first,
// each row one stride long (see QRVScreenFormat).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class QRVPicture {
public:
    QRVPicture() = default;

    // Allocates a zero-filled picture; false (and an empty picture) when the
    // geometry is outside what the codec can describe.
    bool Create(int32_t nWidth, int32_t nHeight, int nBitCount);

    bool IsEmpty() const { return m_bytes.empty(); }
    int32_t Width() const { return m_nWidth; }
    int32_t Height() const { return m_nHeight; }
    int BitCount() const { return m_nBitCount; }
    uint32_t BytesPerPixel() const { return m_nBytesPerPixel; }
    uint32_t Stride() const { return m_nStride; }

    // Storage row nRow (0 = bottom row on screen).
    uint8_t* Row(int32_t nRow) { return m_bytes.data() + static_cast<size_t>(nRow) * m_nStride; }
    const uint8_t* Row(int32_t nRow) const { return m_bytes.data() + static_cast<size_t>(nRow) * m_nStride; }

    // Pixel value (little-endian, BytesPerPixel bytes) at column x of storage row nRow.
    uint32_t Pixel(int32_t x, int32_t nRow) const;
    void SetPixel(int32_t x, int32_t nRow, uint32_t nValue);

    const std::vector<uint8_t>& Bytes() const { return m_bytes; }
    std::vector<uint8_t>& Bytes() { return m_bytes; }

    bool SameGeometry(const QRVPicture& other) const
    {
        return m_nWidth == other.m_nWidth && m_nHeight == other.m_nHeight && m_nBitCount == other.m_nBitCount;
    }

private:
    int32_t m_nWidth = 0;
    int32_t m_nHeight = 0;
    int m_nBitCount = 0;
    uint32_t m_nBytesPerPixel = 0;
    uint32_t m_nStride = 0;
    std::vector<uint8_t> m_bytes;
};
