#include "ScreenCodecDecoder.h"

#include <cstdlib>
#include <new>

#include "QRVScreenRle.h"

namespace {

constexpr uint32_t SCD_FOURCC = BmhFourCC('q', 'r', 'v', 'c');

// Geometry the decoder can address: positive width and height (bottom-up
// rows only), a row of at most 65535 bytes, a picture whose size fits the
// 32-bit image size.
bool IsAddressable(const QRVBitmapHeader& header)
{
    if (header.biWidth <= 0 || header.biHeight <= 0)
        return false;
    const uint64_t nStride = QRVScreenRle::Stride(header.biWidth, header.biBitCount);
    if (nStride == 0 || nStride > QRVScreenRle::RLD_MAX_STRIDE)
        return false;
    return nStride * static_cast<uint64_t>(header.biHeight) <= UINT32_MAX;
}

uint32_t BytesPerPixel(uint32_t nBitCount)
{
    switch (nBitCount) {
    case 8:
        return 1;
    case 16:
        return 2;
    case 24:
        return 3;
    case 32:
        return 4;
    default:
        return 0;  // other depths pass the check but decode nothing
    }
}

}  // namespace

void QRVFreeDeleter::operator()(uint8_t* p) const
{
    std::free(p);
}

namespace QRVScreenCodec {

int CheckFormat(const QRVBitmapHeader* pIn, const QRVBitmapHeader* pOut)
{
    if (pIn == nullptr || pIn->biBitCount < 8 || pIn->biCompression != SCD_FOURCC)
        return SCD_BADFORMAT;
    if (!IsAddressable(*pIn))
        return SCD_BADFORMAT;
    if (pOut == nullptr)
        return SCD_OK;
    if (pOut->biCompression != BMH_RGB || pOut->biBitCount != pIn->biBitCount ||
        pOut->biWidth != pIn->biWidth || pOut->biHeight != pIn->biHeight)
        return SCD_BADFORMAT;
    return SCD_OK;
}

uint32_t Stride(const QRVBitmapHeader& header)
{
    if (!IsAddressable(header))
        return 0;
    return static_cast<uint32_t>(QRVScreenRle::Stride(header.biWidth, header.biBitCount));
}

uint32_t PictureBytes(const QRVBitmapHeader& header)
{
    return Stride(header) * static_cast<uint32_t>(header.biHeight > 0 ? header.biHeight : 0);
}

uint32_t InflateBytes(const QRVBitmapHeader& header)
{
    if (header.biWidth <= 0 || header.biHeight <= 0)
        return 0;
    const uint64_t nBytes = static_cast<uint64_t>(header.biWidth) * static_cast<uint64_t>(header.biHeight) *
                            2u * (header.biBitCount / 8u);
    return nBytes <= UINT32_MAX ? static_cast<uint32_t>(nBytes) : 0;
}

ScreenCodecDecoder* Create()
{
    return new (std::nothrow) ScreenCodecDecoder();
}

int Begin(ScreenCodecDecoder* pDecoder, const QRVBitmapHeader* pIn, QRVBitmapHeader* pOut)
{
    if (pDecoder == nullptr)
        return SCD_INTERNAL;
    const int nResult = CheckFormat(pIn, pOut);
    if (nResult != SCD_OK)
        return nResult;
    pDecoder->m_bBegun = 1;
    if (pOut != nullptr && pOut->biSizeImage == 0)
        pOut->biSizeImage = PictureBytes(*pOut);
    pDecoder->m_pInflateBuffer.reset();
    pDecoder->m_cbInflateBuffer = 0;
    return SCD_OK;
}

int Decompress(ScreenCodecDecoder* pDecoder, const QRVBitmapHeader* pIn, const uint8_t* pData,
               QRVBitmapHeader* pOut, uint8_t* pBits)
{
    if (pDecoder == nullptr)
        return SCD_INTERNAL;
    // The check runs on every frame, not only before the first: the
    // geometry below must be safe whatever headers a begun instance is given.
    if (pOut == nullptr || CheckFormat(pIn, pOut) != SCD_OK)
        return SCD_BADFORMAT;
    if (pDecoder->m_bBegun == 0) {
        const int nResult = Begin(pDecoder, pIn, pOut);
        if (nResult != SCD_OK)
            return nResult;
    }
    const uint32_t nLength = pIn->biSizeImage;
    if ((nLength > 0 && pData == nullptr) || pBits == nullptr)
        return SCD_INTERNAL;

    // One buffer per Begin, sized for the output format (anew should a
    // caller change the format without a new Begin).
    const uint32_t nCapacity = InflateBytes(*pOut);
    if (nCapacity == 0)
        return SCD_INTERNAL;
    if (!pDecoder->m_pInflateBuffer || pDecoder->m_cbInflateBuffer != nCapacity) {
        pDecoder->m_pInflateBuffer.reset();
        pDecoder->m_cbInflateBuffer = 0;
        pDecoder->m_pInflateBuffer.reset(static_cast<uint8_t*>(std::calloc(nCapacity, 1)));
        if (!pDecoder->m_pInflateBuffer)
            return SCD_INTERNAL;
        pDecoder->m_cbInflateBuffer = nCapacity;
    }

    const uint8_t* pStream = pData;
    size_t nStream = nLength;
    if (nLength > SCD_BARE_LIMIT) {
        // zlib's one-shot rules: the whole stream, fitting into the buffer.
        uint32_t nInflated = 0;
        if (!pDecoder->m_inflater.Inflate(pData, nLength, pDecoder->m_pInflateBuffer.get(), nCapacity,
                                          nInflated))
            return SCD_INTERNAL;
        pStream = pDecoder->m_pInflateBuffer.get();
        nStream = nInflated;
    }

    QRVScreenRle::Decode(BytesPerPixel(pOut->biBitCount), pStream, nStream, pBits, PictureBytes(*pOut),
                         Stride(*pOut));
    return SCD_OK;
}

int End(ScreenCodecDecoder* pDecoder)
{
    if (pDecoder != nullptr) {
        pDecoder->m_pInflateBuffer.reset();
        pDecoder->m_cbInflateBuffer = 0;
        pDecoder->m_bBegun = 0;
    }
    return SCD_OK;
}

void Destroy(ScreenCodecDecoder* pDecoder)
{
    delete pDecoder;
}

}  // namespace QRVScreenCodec
