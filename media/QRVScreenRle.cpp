#include "QRVScreenRle.h"

#include <cstring>

#include "QRVCpu.h"
#include "QRVScreenRleFast.h"

namespace {

// The write position is a 64-bit offset from the start of the picture: moves
// may take it past the end (a stream can only add a bounded amount per
// record, so it cannot wrap). The row start (position - counter x BPP) never
// decreases and never goes below 0: the 16-bit counter only ever holds the
// pixels added since the last end of line, or fewer once it wraps.
template <uint32_t BPP>
QRVRleEnd DecodeStream(const uint8_t* pSrc, size_t nSrc, uint8_t* pDst, size_t nDst, uint32_t nStride,
                       bool bWide, size_t& nRead)
{
    const uint64_t nEnd = nDst;
    size_t i = 0;
    uint64_t nPos = 0;
    uint16_t nCounter = 0;
    // Small streams and pictures (the unchanged frame) go straight to the exact loop.
    if (nSrc >= FastMargins<BPP, 16>::SRC_MARGIN && nDst >= FastMargins<BPP, 16>::DST_MARGIN) {
        const bool bEnd =
            bWide ? QRVScreenRleWide::DecodeFast(BPP, pSrc, nSrc, pDst, nDst, nStride, i, nPos, nCounter)
                  : DecodeFast<BPP, 16>(pSrc, nSrc, pDst, nDst, nStride, i, nPos, nCounter);
        if (bEnd) {
            nRead = i;
            return RLD_END_OF_PICTURE;
        }
    }
    QRVRleEnd end = RLD_END_OF_INPUT;
    while (nSrc - i >= 2) {
        const uint32_t nCount = pSrc[i];
        if (nCount != 0) {
            // Run: count, one pixel value.
            if (nSrc - i < 1 + BPP)
                break;
            const uint32_t nBytes = nCount * BPP;
            if (nPos + nBytes > nEnd) {
                end = RLD_OUT_OF_BOUNDS;
                break;
            }
            FillRun<BPP>(pDst + nPos, pSrc + i + 1, nCount);
            nPos += nBytes;
            nCounter = static_cast<uint16_t>(nCounter + nCount);
            i += 1 + BPP;
            continue;
        }
        const uint32_t nCode = pSrc[i + 1];
        if (nCode == RLD_CODE_END_OF_LINE) {
            EndOfLine<BPP>(nPos, nCounter, nStride);
            i += 2;
        } else if (nCode == RLD_CODE_END_OF_PICTURE) {
            i += 2;
            end = RLD_END_OF_PICTURE;
            break;
        } else if (nCode == RLD_CODE_DELTA) {
            if (nSrc - i < 4)
                break;
            Delta<BPP>(nPos, nCounter, nStride, pSrc + i);
            i += 4;
        } else {
            // Literal run of nCode pixels as stored; odd 8-bit ones are padded.
            const uint32_t nBytes = nCode * BPP;
            if (nSrc - i - 2 < nBytes)
                break;
            if (nPos + nBytes > nEnd) {
                end = RLD_OUT_OF_BOUNDS;
                break;
            }
            std::memcpy(pDst + nPos, pSrc + i + 2, nBytes);
            nPos += nBytes;
            nCounter = static_cast<uint16_t>(nCounter + nCode);
            i += 2 + nBytes;
            if (BPP == 1 && (nCode & 1u) != 0 && i < nSrc)
                ++i;
        }
    }
    nRead = i;
    return end;
}

}  // namespace

namespace QRVScreenRle {

uint64_t Stride(int32_t nWidth, uint32_t nBitCount)
{
    if (nWidth <= 0 || nBitCount == 0)
        return 0;
    return (static_cast<uint64_t>(nWidth) * nBitCount + 31) / 32 * 4;
}

QRVRleEnd Decode(uint32_t nBytesPerPixel, const uint8_t* pSrc, size_t nSrc, uint8_t* pDst, size_t nDst,
                 uint32_t nStride, size_t* pnRead, QRVRleUnits units)
{
    // 24-bit runs need a pattern per phase of 3 and keep 16-byte units.
    const bool bWide = units == RLD_UNITS_WIDEST && nBytesPerPixel != 3 && QRVHasAvx2();
    size_t nRead = 0;
    QRVRleEnd end = RLD_END_OF_PICTURE;
    if (pSrc == nullptr)
        nSrc = 0;
    if (pDst == nullptr)
        nDst = 0;
    switch (nBytesPerPixel) {
    case 1:
        end = DecodeStream<1>(pSrc, nSrc, pDst, nDst, nStride, bWide, nRead);
        break;
    case 2:
        end = DecodeStream<2>(pSrc, nSrc, pDst, nDst, nStride, bWide, nRead);
        break;
    case 3:
        end = DecodeStream<3>(pSrc, nSrc, pDst, nDst, nStride, bWide, nRead);
        break;
    case 4:
        end = DecodeStream<4>(pSrc, nSrc, pDst, nDst, nStride, bWide, nRead);
        break;
    default:
        break;
    }
    if (pnRead != nullptr)
        *pnRead = nRead;
    return end;
}

}  // namespace QRVScreenRle
