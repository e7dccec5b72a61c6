#include "QRVRleWriter.h"

#include <utility>

QRVRleWriter::QRVRleWriter(int nBitCount)
    : m_nBytesPerPixel(nBitCount <= 8 ? 1u : static_cast<uint32_t>(nBitCount / 8)),
      m_bPadOddLiterals(nBitCount <= 8)
{
    if (m_nBytesPerPixel > 4)
        m_nBytesPerPixel = 4;
}

void QRVRleWriter::PutPixel(uint32_t nValue)
{
    for (uint32_t i = 0; i < m_nBytesPerPixel; ++i)
        m_bytes.push_back(static_cast<uint8_t>(nValue >> (8 * i)));
}

bool QRVRleWriter::Run(unsigned nCount, uint32_t nValue)
{
    if (nCount < 1 || nCount > RLE_MAX_COUNT)
        return false;
    m_bytes.push_back(static_cast<uint8_t>(nCount));
    PutPixel(nValue);
    return true;
}

bool QRVRleWriter::Literal(const uint8_t* pPixels, unsigned nCount)
{
    if (nCount < RLE_MIN_LITERAL || nCount > RLE_MAX_COUNT || pPixels == nullptr)
        return false;
    m_bytes.push_back(0);
    m_bytes.push_back(static_cast<uint8_t>(nCount));
    m_bytes.insert(m_bytes.end(), pPixels, pPixels + static_cast<size_t>(nCount) * m_nBytesPerPixel);
    if (m_bPadOddLiterals && (nCount & 1u) != 0)
        m_bytes.push_back(0);
    return true;
}

void QRVRleWriter::Delta(uint8_t nDx, uint8_t nDy)
{
    m_bytes.push_back(0);
    m_bytes.push_back(RLE_DELTA);
    m_bytes.push_back(nDx);
    m_bytes.push_back(nDy);
}

void QRVRleWriter::EndOfLine()
{
    m_bytes.push_back(0);
    m_bytes.push_back(RLE_END_OF_LINE);
}

void QRVRleWriter::EndOfPicture()
{
    m_bytes.push_back(0);
    m_bytes.push_back(RLE_END_OF_PICTURE);
}

void QRVRleWriter::Raw(const uint8_t* p, size_t n)
{
    if (p != nullptr && n > 0)
        m_bytes.insert(m_bytes.end(), p, p + n);
}

void QRVRleWriter::RawByte(uint8_t n)
{
    m_bytes.push_back(n);
}

std::vector<uint8_t> QRVRleWriter::Take()
{
    std::vector<uint8_t> bytes = std::move(m_bytes);
    m_bytes.clear();
    return bytes;
}
