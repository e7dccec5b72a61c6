#include "QRVScreenFormat.h"

namespace QRVScreenFormat {

bool IsSupportedBitCount(int nBitCount)
{
    return nBitCount == 8 || nBitCount == 16 || nBitCount == 24 || nBitCount == 32;
}

uint32_t BytesPerPixel(int nBitCount)
{
    return IsSupportedBitCount(nBitCount) ? static_cast<uint32_t>(nBitCount / 8) : 0;
}

uint32_t Stride(int32_t nWidth, int nBitCount)
{
    if (nWidth <= 0 || !IsSupportedBitCount(nBitCount))
        return 0;
    const uint64_t nWidth64 = static_cast<uint64_t>(nWidth);
    uint64_t nStride = 0;
    switch (nBitCount) {
    case 8:
        nStride = (nWidth64 + 3) / 4 * 4;
        break;
    case 16:
        nStride = (nWidth64 * 16 + 31) / 32 * 4;
        break;
    case 24:
        nStride = (nWidth64 * 24 + 31) / 32 * 4;
        break;
    default:
        nStride = nWidth64 * 4;
        break;
    }
    return nStride <= SCF_MAX_ROW_BYTES ? static_cast<uint32_t>(nStride) : 0;
}

uint32_t PictureBytes(int32_t nWidth, int32_t nHeight, int nBitCount)
{
    const uint32_t nStride = Stride(nWidth, nBitCount);
    if (nStride == 0 || nHeight <= 0)
        return 0;
    const uint64_t nBytes = static_cast<uint64_t>(nStride) * static_cast<uint64_t>(nHeight);
    return nBytes <= UINT32_MAX ? static_cast<uint32_t>(nBytes) : 0;
}

uint32_t MaxStreamBytes(int32_t nWidth, int32_t nHeight, int nBitCount)
{
    if (Stride(nWidth, nBitCount) == 0 || nHeight <= 0)
        return 0;
    const uint64_t nBytes =
        static_cast<uint64_t>(nWidth) * static_cast<uint64_t>(nHeight) * 2u * BytesPerPixel(nBitCount);
    return nBytes <= UINT32_MAX ? static_cast<uint32_t>(nBytes) : 0;
}

}  // namespace QRVScreenFormat
