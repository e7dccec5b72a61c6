// libFuzzer target: arbitrary formats and frames through Begin, Decompress
// and End of one decoder instance, several frames in a row. The bitmap and
// every frame sit in heap blocks of exactly their size, so the sanitizer sees
// any access outside them; the result codes and the untouched bitmap after a
// refusal are checked too.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "ScreenCodecDecoder.h"
#include "ScreenCodecFuzzInput.h"

namespace {

using namespace QRVFuzzInput;

// Pictures above this size are skipped so that every run stays small.
constexpr uint32_t FZ_MAX_PICTURE = 256 * 1024;

void Require(bool b)
{
    if (!b)
        std::abort();
}

uint16_t BitCount(uint8_t nSelector)
{
    static const uint16_t s_common[] = {8, 16, 24, 32};
    return nSelector < FZI_BITS_RAW ? s_common[nSelector % 4]
                                    : static_cast<uint16_t>(nSelector - FZI_BITS_RAW);
}

uint32_t Compression(uint8_t nSelector)
{
    switch (nSelector) {
    case FZI_FCC_UPPER:
        return BmhFourCC('Q', 'R', 'V', 'C');
    case FZI_FCC_RGB:
        return BMH_RGB;
    case FZI_FCC_MIXED:
        return BmhFourCC('q', 'r', 'v', 'C');
    default:
        return BmhFourCC('q', 'r', 'v', 'c');
    }
}

struct FreeDeleter {
    void operator()(uint8_t* p) const { std::free(p); }
};
using Block = std::unique_ptr<uint8_t, FreeDeleter>;

Block Allocate(size_t n)
{
    return Block(static_cast<uint8_t*>(std::malloc(n > 0 ? n : 1)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    if (nSize < FZI_FORMAT_BYTES)
        return 0;
    QRVBitmapHeader in{};
    in.biSize = sizeof(QRVBitmapHeader);
    in.biWidth = static_cast<int16_t>(pData[0] | (pData[1] << 8));
    in.biHeight = static_cast<int16_t>(pData[2] | (pData[3] << 8));
    in.biPlanes = 1;
    in.biBitCount = BitCount(pData[4]);
    in.biCompression = Compression(pData[5]);
    const uint8_t nTweaks = pData[6];
    const uint8_t nFill = pData[7];
    if (nTweaks & FZI_TOP_DOWN)
        in.biHeight = -in.biHeight;
    QRVBitmapHeader out = in;
    out.biCompression = (nTweaks & FZI_OUT_COMPRESSED) ? 1u : BMH_RGB;
    out.biWidth += (nTweaks & FZI_OUT_WIDER) ? 1 : 0;
    out.biHeight += (nTweaks & FZI_OUT_TALLER) ? 1 : 0;
    out.biBitCount = static_cast<uint16_t>(out.biBitCount + ((nTweaks & FZI_OUT_DEEPER) ? 8 : 0));

    const bool bAccepted = QRVScreenCodec::CheckFormat(&in, &out) == SCD_OK;
    const uint32_t nPicture = bAccepted ? QRVScreenCodec::PictureBytes(out) : 0;
    Require(!bAccepted || nPicture > 0);
    if (nPicture > FZ_MAX_PICTURE)
        return 0;
    Block pBits = Allocate(nPicture);
    Block pBefore = Allocate(nPicture);
    Require(pBits && pBefore);
    std::memset(pBits.get(), nFill, nPicture > 0 ? nPicture : 1);

    QRVScreenDecoderPtr pDecoder(QRVScreenCodec::Create());
    Require(pDecoder != nullptr);
    const int nBegin = QRVScreenCodec::Begin(pDecoder.get(), &in, &out);
    Require(nBegin == (bAccepted ? SCD_OK : SCD_BADFORMAT));

    size_t nAt = FZI_FORMAT_BYTES;
    while (nAt + FZI_FRAME_HEADER_BYTES <= nSize) {
        const uint8_t nOp = pData[nAt] & 3u;
        size_t nLength = pData[nAt + 1] | (pData[nAt + 2] << 8);
        nAt += FZI_FRAME_HEADER_BYTES;
        if (nLength > nSize - nAt)
            nLength = nSize - nAt;
        if (nOp == FZI_OP_BEGIN) {
            Require(QRVScreenCodec::Begin(pDecoder.get(), &in, &out) == (bAccepted ? SCD_OK : SCD_BADFORMAT));
            Require(!pDecoder->m_pInflateBuffer);
        } else if (nOp == FZI_OP_END) {
            Require(QRVScreenCodec::End(pDecoder.get()) == SCD_OK);
            Require(pDecoder->m_bBegun == 0 && !pDecoder->m_pInflateBuffer);
        }
        // Every operation is followed by a frame (an empty frame is a
        // valid "no change").
        Block pFrame = Allocate(nLength);
        Require(pFrame != nullptr);
        if (nLength > 0)
            std::memcpy(pFrame.get(), pData + nAt, nLength);
        nAt += nLength;
        in.biSizeImage = static_cast<uint32_t>(nLength);
        if (nPicture > 0)
            std::memcpy(pBefore.get(), pBits.get(), nPicture);
        const int nResult = QRVScreenCodec::Decompress(
            pDecoder.get(), &in, nLength > 0 ? pFrame.get() : nullptr, &out, pBits.get());
        if (!bAccepted) {
            Require(nResult == SCD_BADFORMAT);
        } else {
            Require(nResult == SCD_OK || nResult == SCD_INTERNAL);
            Require(pDecoder->m_bBegun == 1);
            Require(pDecoder->m_cbInflateBuffer == QRVScreenCodec::InflateBytes(out));
            // Bare frames never fail; inflated ones fail only in zlib.
            Require(nResult == SCD_OK || nLength > SCD_BARE_LIMIT);
        }
        if (nResult != SCD_OK && nPicture > 0)
            Require(std::memcmp(pBefore.get(), pBits.get(), nPicture) == 0);
    }
    return 0;
}
