// Test rig for the screen-codec decoder: formats, a decoder instance and an
// output bitmap followed by guard bytes that no frame may touch. Frames are
// handed over in heap blocks of exactly their length, so AddressSanitizer
// sees any read past the end.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "QRVPicture.h"
#include "ScreenCodecDecoder.h"

constexpr uint32_t FOURCC_QRVC = BmhFourCC('q', 'r', 'v', 'c');

inline QRVBitmapHeader InputHeader(int32_t nWidth, int32_t nHeight, uint16_t nBitCount)
{
    QRVBitmapHeader h{};
    h.biSize = sizeof(QRVBitmapHeader);
    h.biWidth = nWidth;
    h.biHeight = nHeight;
    h.biPlanes = 1;
    h.biBitCount = nBitCount;
    h.biCompression = FOURCC_QRVC;
    return h;
}

inline QRVBitmapHeader OutputHeader(int32_t nWidth, int32_t nHeight, uint16_t nBitCount)
{
    QRVBitmapHeader h = InputHeader(nWidth, nHeight, nBitCount);
    h.biCompression = BMH_RGB;
    return h;
}

// Pixel value with every byte set, cut to the pixel size.
inline uint32_t Splat(uint8_t n, uint32_t nBpp)
{
    const uint32_t nAll = n * 0x01010101u;
    return nBpp >= 4 ? nAll : nAll & ((1u << (8 * nBpp)) - 1);
}

class DecoderRig {
public:
    static constexpr size_t RIG_GUARD_BYTES = 256;
    static constexpr uint8_t RIG_GUARD_VALUE = 0xC3;

    // A picture of the given geometry whose every byte is nFill.
    DecoderRig(int32_t nWidth, int32_t nHeight, uint16_t nBitCount, uint8_t nFill = 0)
        : m_in(InputHeader(nWidth, nHeight, nBitCount)), m_out(OutputHeader(nWidth, nHeight, nBitCount)),
          m_pDecoder(QRVScreenCodec::Create())
    {
        m_nSize = QRVScreenCodec::PictureBytes(m_out);
        m_bits.assign(m_nSize + RIG_GUARD_BYTES, RIG_GUARD_VALUE);
        std::memset(m_bits.data(), nFill, m_nSize);
        if (m_pDecoder)
            m_nBegin = QRVScreenCodec::Begin(m_pDecoder.get(), &m_in, &m_out);
    }

    int BeginResult() const { return m_nBegin; }
    ScreenCodecDecoder* Decoder() { return m_pDecoder.get(); }
    QRVBitmapHeader& In() { return m_in; }
    QRVBitmapHeader& Out() { return m_out; }

    // Decodes one frame, given in a block of exactly its length.
    int Frame(const std::vector<uint8_t>& data)
    {
        std::unique_ptr<uint8_t[]> pCopy(new uint8_t[data.empty() ? 1 : data.size()]);
        if (!data.empty())
            std::memcpy(pCopy.get(), data.data(), data.size());
        return FrameAt(data.empty() ? nullptr : pCopy.get(), static_cast<uint32_t>(data.size()));
    }

    // Decodes nLength bytes at pData (the block may be longer).
    int FrameAt(const uint8_t* pData, uint32_t nLength)
    {
        m_in.biSizeImage = nLength;
        return QRVScreenCodec::Decompress(m_pDecoder.get(), &m_in, pData, &m_out, m_bits.data());
    }

    std::vector<uint8_t> Picture() const
    {
        return std::vector<uint8_t>(m_bits.begin(), m_bits.begin() + static_cast<std::ptrdiff_t>(m_nSize));
    }
    void SetPicture(const std::vector<uint8_t>& bytes)
    {
        ASSERT_EQ(bytes.size(), m_nSize);
        std::memcpy(m_bits.data(), bytes.data(), m_nSize);
    }
    uint8_t* Bits() { return m_bits.data(); }
    size_t Size() const { return m_nSize; }

    bool GuardIntact() const
    {
        for (size_t i = m_nSize; i < m_bits.size(); ++i)
            if (m_bits[i] != RIG_GUARD_VALUE)
                return false;
        return true;
    }

private:
    QRVBitmapHeader m_in;
    QRVBitmapHeader m_out;
    QRVScreenDecoderPtr m_pDecoder;
    std::vector<uint8_t> m_bits;
    size_t m_nSize = 0;
    int m_nBegin = SCD_INTERNAL;
};

// A picture of the rig's geometry filled with nFill, to build expectations.
inline QRVPicture FilledPicture(int32_t nWidth, int32_t nHeight, int nBitCount, uint8_t nFill)
{
    QRVPicture p;
    p.Create(nWidth, nHeight, nBitCount);
    std::memset(p.Bytes().data(), nFill, p.Bytes().size());
    return p;
}
