#include "QRVPicture.h"

#include "QRVScreenFormat.h"

bool QRVPicture::Create(int32_t nWidth, int32_t nHeight, int nBitCount)
{
    m_bytes.clear();
    m_nWidth = m_nHeight = m_nBitCount = 0;
    m_nBytesPerPixel = m_nStride = 0;
    const uint32_t nSize = QRVScreenFormat::PictureBytes(nWidth, nHeight, nBitCount);
    if (nSize == 0)
        return false;
    m_bytes.assign(nSize, 0);
    m_nWidth = nWidth;
    m_nHeight = nHeight;
    m_nBitCount = nBitCount;
    m_nBytesPerPixel = QRVScreenFormat::BytesPerPixel(nBitCount);
    m_nStride = QRVScreenFormat::Stride(nWidth, nBitCount);
    return true;
}

uint32_t QRVPicture::Pixel(int32_t x, int32_t nRow) const
{
    const uint8_t* p = Row(nRow) + static_cast<size_t>(x) * m_nBytesPerPixel;
    uint32_t nValue = 0;
    for (uint32_t i = 0; i < m_nBytesPerPixel; ++i)
        nValue |= static_cast<uint32_t>(p[i]) << (8 * i);
    return nValue;
}

void QRVPicture::SetPixel(int32_t x, int32_t nRow, uint32_t nValue)
{
    uint8_t* p = Row(nRow) + static_cast<size_t>(x) * m_nBytesPerPixel;
    for (uint32_t i = 0; i < m_nBytesPerPixel; ++i)
        p[i] = static_cast<uint8_t>(nValue >> (8 * i));
}
