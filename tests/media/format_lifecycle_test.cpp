// Which formats the decoder accepts, and the life of an instance: Begin,
// Decompress without Begin, End, Destroy, the image size and the inflation
// buffer.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "DecoderRig.h"
#include "QRVScreenEncoder.h"
#include "ScreenCodecDecoder.h"

namespace {

struct FormatCase {
    const char* pszWhat;
    int32_t nInWidth, nInHeight;
    uint16_t nInBits;
    uint32_t nInCompression;
    int32_t nOutWidth, nOutHeight;
    uint16_t nOutBits;
    uint32_t nOutCompression;
    int nExpected;
};

constexpr uint32_t QRVC = BmhFourCC('q', 'r', 'v', 'c');

const FormatCase s_formatCases[] = {
    {"8 bits", 4, 2, 8, QRVC, 4, 2, 8, BMH_RGB, SCD_OK},
    {"16 bits", 4, 2, 16, QRVC, 4, 2, 16, BMH_RGB, SCD_OK},
    {"24 bits", 4, 2, 24, QRVC, 4, 2, 24, BMH_RGB, SCD_OK},
    {"32 bits", 4, 2, 32, QRVC, 4, 2, 32, BMH_RGB, SCD_OK},
    {"12 bits passes the check", 4, 2, 12, QRVC, 4, 2, 12, BMH_RGB, SCD_OK},
    {"15 bits passes the check", 4, 2, 15, QRVC, 4, 2, 15, BMH_RGB, SCD_OK},
    {"1 bit", 4, 2, 1, QRVC, 4, 2, 1, BMH_RGB, SCD_BADFORMAT},
    {"4 bits", 4, 2, 4, QRVC, 4, 2, 4, BMH_RGB, SCD_BADFORMAT},
    {"7 bits", 4, 2, 7, QRVC, 4, 2, 7, BMH_RGB, SCD_BADFORMAT},
    {"upper-case QRVC", 4, 2, 24, BmhFourCC('Q', 'R', 'V', 'C'), 4, 2, 24, BMH_RGB, SCD_BADFORMAT},
    {"mixed-case qrvC", 4, 2, 24, BmhFourCC('q', 'r', 'v', 'C'), 4, 2, 24, BMH_RGB, SCD_BADFORMAT},
    {"uncompressed input", 4, 2, 24, BMH_RGB, 4, 2, 24, BMH_RGB, SCD_BADFORMAT},
    {"compressed output (RLE8)", 4, 2, 8, QRVC, 4, 2, 8, 1, SCD_BADFORMAT},
    {"qrvc output", 4, 2, 8, QRVC, 4, 2, 8, QRVC, SCD_BADFORMAT},
    {"output width differs", 4, 2, 24, QRVC, 5, 2, 24, BMH_RGB, SCD_BADFORMAT},
    {"output height differs", 4, 2, 24, QRVC, 4, 3, 24, BMH_RGB, SCD_BADFORMAT},
    {"output bit count differs", 4, 2, 24, QRVC, 4, 2, 32, BMH_RGB, SCD_BADFORMAT},
    {"output top-down", 4, 2, 24, QRVC, 4, -2, 24, BMH_RGB, SCD_BADFORMAT},
    // Geometry the format cannot address.
    {"top-down both", 4, -2, 24, QRVC, 4, -2, 24, BMH_RGB, SCD_BADFORMAT},
    {"zero width", 0, 2, 8, QRVC, 0, 2, 8, BMH_RGB, SCD_BADFORMAT},
    {"negative width", -4, 2, 8, QRVC, -4, 2, 8, BMH_RGB, SCD_BADFORMAT},
    {"zero height", 4, 0, 8, QRVC, 4, 0, 8, BMH_RGB, SCD_BADFORMAT},
    {"8-bit row of 65532 bytes", 65532, 1, 8, QRVC, 65532, 1, 8, BMH_RGB, SCD_OK},
    {"8-bit row rounded up to 65536", 65533, 1, 8, QRVC, 65533, 1, 8, BMH_RGB, SCD_BADFORMAT},
    {"16-bit row of 65532 bytes", 32766, 1, 16, QRVC, 32766, 1, 16, BMH_RGB, SCD_OK},
    {"16-bit row of 65536 bytes", 32767, 1, 16, QRVC, 32767, 1, 16, BMH_RGB, SCD_BADFORMAT},
    {"24-bit row of 65532 bytes", 21844, 1, 24, QRVC, 21844, 1, 24, BMH_RGB, SCD_OK},
    {"24-bit row of 65536 bytes", 21845, 1, 24, QRVC, 21845, 1, 24, BMH_RGB, SCD_BADFORMAT},
    {"32-bit row of 65532 bytes", 16383, 1, 32, QRVC, 16383, 1, 32, BMH_RGB, SCD_OK},
    {"32-bit row of 65536 bytes", 16384, 1, 32, QRVC, 16384, 1, 32, BMH_RGB, SCD_BADFORMAT},
    {"picture of 4 GiB - 16", 65532, 65540, 8, QRVC, 65532, 65540, 8, BMH_RGB, SCD_OK},
    {"picture beyond 4 GiB", 65532, 65541, 8, QRVC, 65532, 65541, 8, BMH_RGB, SCD_BADFORMAT},
};

QRVBitmapHeader MakeHeader(int32_t nWidth, int32_t nHeight, uint16_t nBits, uint32_t nCompression)
{
    QRVBitmapHeader h = InputHeader(nWidth, nHeight, nBits);
    h.biCompression = nCompression;
    return h;
}

}  // namespace

TEST(ScreenCodecFormat, BeginAndDecompressAcceptOnlyTheCodecsFormats)
{
    for (const FormatCase& c : s_formatCases) {
        SCOPED_TRACE(c.pszWhat);
        const QRVBitmapHeader in = MakeHeader(c.nInWidth, c.nInHeight, c.nInBits, c.nInCompression);
        QRVBitmapHeader out = MakeHeader(c.nOutWidth, c.nOutHeight, c.nOutBits, c.nOutCompression);
        EXPECT_EQ(QRVScreenCodec::CheckFormat(&in, &out), c.nExpected);

        QRVScreenDecoderPtr pBegun(QRVScreenCodec::Create());
        ASSERT_TRUE(pBegun);
        EXPECT_EQ(QRVScreenCodec::Begin(pBegun.get(), &in, &out), c.nExpected);
        EXPECT_EQ(pBegun->m_bBegun, c.nExpected == SCD_OK ? 1u : 0u);

        // Decompress on an instance that has not begun runs the same check;
        // a refused format touches nothing (one-byte bitmap: any write would
        // be seen by the sanitizer).
        if (c.nExpected != SCD_OK) {
            QRVScreenDecoderPtr pFresh(QRVScreenCodec::Create());
            uint8_t nPixel = 0x5A;
            const uint8_t frame[] = {0x01, 0x07, 0x00, 0x01};
            QRVBitmapHeader inFrame = in;
            inFrame.biSizeImage = sizeof(frame);
            EXPECT_EQ(QRVScreenCodec::Decompress(pFresh.get(), &inFrame, frame, &out, &nPixel),
                      SCD_BADFORMAT);
            EXPECT_EQ(nPixel, 0x5A);
            EXPECT_EQ(pFresh->m_bBegun, 0u);
        }
    }
}

TEST(ScreenCodecFormat, CheckWithoutInputOrOutputHeader)
{
    const QRVBitmapHeader in = InputHeader(4, 2, 8);
    QRVBitmapHeader out = OutputHeader(4, 2, 8);
    EXPECT_EQ(QRVScreenCodec::CheckFormat(nullptr, &out), SCD_BADFORMAT);
    EXPECT_EQ(QRVScreenCodec::CheckFormat(&in, nullptr), SCD_OK);

    QRVScreenDecoderPtr p(QRVScreenCodec::Create());
    EXPECT_EQ(QRVScreenCodec::Begin(p.get(), nullptr, &out), SCD_BADFORMAT);
    EXPECT_EQ(QRVScreenCodec::Begin(p.get(), &in, nullptr), SCD_OK);
    // Decoding needs the output format.
    uint8_t bits[8] = {};
    QRVBitmapHeader inFrame = in;
    const uint8_t frame[] = {0x00, 0x01};
    inFrame.biSizeImage = sizeof(frame);
    EXPECT_EQ(QRVScreenCodec::Decompress(p.get(), &inFrame, frame, nullptr, bits), SCD_BADFORMAT);
    EXPECT_EQ(QRVScreenCodec::Decompress(p.get(), nullptr, frame, &out, bits), SCD_BADFORMAT);
}

TEST(ScreenCodecFormat, MissingArgumentsAreInternalErrors)
{
    DecoderRig rig(4, 2, 8, 0x11);
    const uint8_t frame[] = {0x04, 0x05, 0x00, 0x01};
    rig.In().biSizeImage = sizeof(frame);
    EXPECT_EQ(QRVScreenCodec::Decompress(rig.Decoder(), &rig.In(), nullptr, &rig.Out(), rig.Bits()),
              SCD_INTERNAL);
    EXPECT_EQ(QRVScreenCodec::Decompress(rig.Decoder(), &rig.In(), frame, &rig.Out(), nullptr), SCD_INTERNAL);
    EXPECT_EQ(QRVScreenCodec::Decompress(nullptr, &rig.In(), frame, &rig.Out(), rig.Bits()), SCD_INTERNAL);
    EXPECT_EQ(QRVScreenCodec::Begin(nullptr, &rig.In(), &rig.Out()), SCD_INTERNAL);
    EXPECT_EQ(rig.Picture(), std::vector<uint8_t>(8, 0x11));
    // An empty frame needs no data at all.
    EXPECT_EQ(rig.FrameAt(nullptr, 0), SCD_OK);
}

TEST(ScreenCodecLifecycle, BeginFillsTheImageSizeOnlyWhenItIsZero)
{
    struct Case {
        int32_t nWidth, nHeight;
        uint16_t nBits;
        uint32_t nGiven, nExpected;
    } const cases[] = {
        {5, 3, 8, 0, 8 * 3},   {5, 3, 16, 0, 12 * 3}, {5, 3, 24, 0, 16 * 3},
        {5, 3, 32, 0, 20 * 3}, {5, 3, 12, 0, 8 * 3},  {5, 3, 24, 1234, 1234},
    };
    for (const Case& c : cases) {
        QRVScreenDecoderPtr p(QRVScreenCodec::Create());
        const QRVBitmapHeader in = InputHeader(c.nWidth, c.nHeight, c.nBits);
        QRVBitmapHeader out = OutputHeader(c.nWidth, c.nHeight, c.nBits);
        out.biSizeImage = c.nGiven;
        EXPECT_EQ(QRVScreenCodec::Begin(p.get(), &in, &out), SCD_OK);
        EXPECT_EQ(out.biSizeImage, c.nExpected) << c.nWidth << "x" << c.nHeight << "x" << c.nBits;
    }
}

TEST(ScreenCodecLifecycle, InflationBufferLivesFromTheFirstFrameUntilBeginOrEnd)
{
    DecoderRig rig(6, 5, 24);
    ASSERT_EQ(rig.BeginResult(), SCD_OK);
    ScreenCodecDecoder* p = rig.Decoder();
    EXPECT_EQ(p->m_bBegun, 1u);
    EXPECT_FALSE(p->m_pInflateBuffer);
    EXPECT_EQ(p->m_cbInflateBuffer, 0u);

    EXPECT_EQ(rig.Frame({0x00, 0x01}), SCD_OK);
    ASSERT_TRUE(p->m_pInflateBuffer);
    EXPECT_EQ(p->m_cbInflateBuffer, 6u * 5 * 2 * 3);
    const uint8_t* pBuffer = p->m_pInflateBuffer.get();
    EXPECT_EQ(rig.Frame({0x01, 0x01, 0x02, 0x03, 0x00, 0x01}), SCD_OK);
    EXPECT_EQ(p->m_pInflateBuffer.get(), pBuffer) << "reused for every frame";

    EXPECT_EQ(QRVScreenCodec::Begin(p, &rig.In(), &rig.Out()), SCD_OK);
    EXPECT_FALSE(p->m_pInflateBuffer);
    EXPECT_EQ(rig.Frame({0x00, 0x01}), SCD_OK);
    EXPECT_TRUE(p->m_pInflateBuffer);

    EXPECT_EQ(QRVScreenCodec::End(p), SCD_OK);
    EXPECT_EQ(p->m_bBegun, 0u);
    EXPECT_FALSE(p->m_pInflateBuffer);
    EXPECT_EQ(p->m_cbInflateBuffer, 0u);
    EXPECT_EQ(QRVScreenCodec::End(nullptr), SCD_OK);
}

TEST(ScreenCodecLifecycle, DecompressWithoutBeginBeginsAndDecodes)
{
    DecoderRig rig(4, 2, 8, 0xEE);
    ASSERT_EQ(QRVScreenCodec::End(rig.Decoder()), SCD_OK);
    rig.Out().biSizeImage = 0;
    EXPECT_EQ(rig.Frame({0x04, 0x05, 0x00, 0x01}), SCD_OK);
    EXPECT_EQ(rig.Decoder()->m_bBegun, 1u);
    EXPECT_EQ(rig.Out().biSizeImage, 8u) << "the steps of Begin ran";
    EXPECT_EQ(rig.Picture(), (std::vector<uint8_t>{5, 5, 5, 5, 0xEE, 0xEE, 0xEE, 0xEE}));
}

TEST(ScreenCodecLifecycle, DestroyAcceptsNullAndReleasesABusyInstance)
{
    QRVScreenCodec::Destroy(nullptr);
    ScreenCodecDecoder* p = QRVScreenCodec::Create();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->m_bBegun, 0u);
    EXPECT_FALSE(p->m_pInflateBuffer);
    EXPECT_EQ(p->m_cbInflateBuffer, 0u);
    const QRVBitmapHeader in = InputHeader(3, 3, 16);
    QRVBitmapHeader out = OutputHeader(3, 3, 16);
    ASSERT_EQ(QRVScreenCodec::Begin(p, &in, &out), SCD_OK);
    std::vector<uint8_t> bits(out.biSizeImage);
    QRVBitmapHeader inFrame = in;
    const uint8_t frame[] = {0x00, 0x01};
    inFrame.biSizeImage = 2;
    ASSERT_EQ(QRVScreenCodec::Decompress(p, &inFrame, frame, &out, bits.data()), SCD_OK);
    QRVScreenCodec::Destroy(p);  // the leak checker sees a buffer left behind
}

// A begun instance still checks the headers of every frame, and follows a
// change of format with a buffer of the new size.
TEST(ScreenCodecLifecycle, EveryFrameIsCheckedAgainstItsOwnHeaders)
{
    DecoderRig rig(4, 2, 8, 0x00);
    ASSERT_EQ(rig.Frame({0x00, 0x01}), SCD_OK);
    QRVBitmapHeader badOut = rig.Out();
    badOut.biBitCount = 32;
    rig.In().biSizeImage = 2;
    const uint8_t frame[] = {0x00, 0x01};
    EXPECT_EQ(QRVScreenCodec::Decompress(rig.Decoder(), &rig.In(), frame, &badOut, rig.Bits()),
              SCD_BADFORMAT);

    QRVBitmapHeader in = InputHeader(9, 9, 32);
    QRVBitmapHeader out = OutputHeader(9, 9, 32);
    std::vector<uint8_t> bits(9 * 9 * 4, 0);
    const std::vector<uint8_t> packed =
        QRVScreenEncoder::Pack({0x51, 0x01, 0x02, 0x03, 0x04, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01});
    ASSERT_GT(packed.size(), SCD_BARE_LIMIT);
    in.biSizeImage = static_cast<uint32_t>(packed.size());
    EXPECT_EQ(QRVScreenCodec::Decompress(rig.Decoder(), &in, packed.data(), &out, bits.data()), SCD_OK);
    EXPECT_EQ(rig.Decoder()->m_cbInflateBuffer, 9u * 9 * 2 * 4);
    for (size_t i = 0; i < bits.size(); i += 4)
        EXPECT_EQ(bits[i], 0x01) << i;
}

// width x height x 2 x bytes per pixel beyond 32 bits: the inflation buffer
// cannot exist, and nothing may be decoded (a wrapped size would let a
// small buffer through). The bitmap here is far too small on purpose: the
// frame must fail before it is touched.
TEST(ScreenCodecLifecycle, InflationSizeBeyond32BitsIsAnInternalError)
{
    struct Case {
        int32_t nWidth, nHeight;
        uint16_t nBits;
    } const cases[] = {{16383, 65537, 32}, {21844, 65537, 24}, {32766, 65537, 16}, {65532, 65540, 8}};
    for (const Case& c : cases) {
        QRVScreenDecoderPtr p(QRVScreenCodec::Create());
        QRVBitmapHeader in = InputHeader(c.nWidth, c.nHeight, c.nBits);
        QRVBitmapHeader out = OutputHeader(c.nWidth, c.nHeight, c.nBits);
        ASSERT_EQ(QRVScreenCodec::Begin(p.get(), &in, &out), SCD_OK);
        EXPECT_EQ(QRVScreenCodec::InflateBytes(out), 0u);
        uint8_t bits[16];
        std::memset(bits, 0x77, sizeof(bits));
        const uint8_t frame[] = {0x01, 0x01, 0x01, 0x01, 0x01, 0x00, 0x01};
        in.biSizeImage = sizeof(frame);
        EXPECT_EQ(QRVScreenCodec::Decompress(p.get(), &in, frame, &out, bits), SCD_INTERNAL);
        for (uint8_t n : bits)
            EXPECT_EQ(n, 0x77);
    }
}
