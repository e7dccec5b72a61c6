// The run-length fast loop with 32-byte units. This file alone is built for
// AVX2; QRVScreenRle calls it only on processors that have it.
#include "QRVScreenRleFast.h"

namespace QRVScreenRleWide {

bool DecodeFast(uint32_t nBytesPerPixel, const uint8_t* pSrc, size_t nSrc, uint8_t* pDst, size_t nDst,
                uint32_t nStride, size_t& i, uint64_t& nPos, uint16_t& nCounter)
{
#if defined(__AVX2__)
    switch (nBytesPerPixel) {
    case 1:
        return ::DecodeFast<1, 32>(pSrc, nSrc, pDst, nDst, nStride, i, nPos, nCounter);
    case 2:
        return ::DecodeFast<2, 32>(pSrc, nSrc, pDst, nDst, nStride, i, nPos, nCounter);
    case 4:
        return ::DecodeFast<4, 32>(pSrc, nSrc, pDst, nDst, nStride, i, nPos, nCounter);
    default:
        break;
    }
#endif
    return false;
}

}  // namespace QRVScreenRleWide
