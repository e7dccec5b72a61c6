// The screen-codec encoder: row geometry, record bytes, key and delta frames
// that walk back to the encoded picture, and the bare/deflated framing.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdint>
#include <vector>

#include "QRVPicture.h"
#include "QRVRleWriter.h"
#include "QRVScreenEncoder.h"
#include "QRVScreenFormat.h"
#include "RleWalker.h"

namespace {

std::vector<uint8_t> Inflate(const std::vector<uint8_t>& packed, size_t nCapacity)
{
    std::vector<uint8_t> out(nCapacity);
    uLongf nOut = static_cast<uLongf>(out.size());
    if (uncompress(out.data(), &nOut, packed.data(), static_cast<uLong>(packed.size())) != Z_OK)
        return {};
    out.resize(nOut);
    return out;
}

// Deterministic picture content: nKind 0 flat, 1 stripes, 2 noise, 3 mixed.
void FillPicture(QRVPicture& p, int nKind, uint32_t nSeed)
{
    uint32_t n = nSeed * 2654435761u + 1;
    for (int32_t y = 0; y < p.Height(); ++y) {
        for (int32_t x = 0; x < p.Width(); ++x) {
            n = n * 1664525u + 1013904223u;
            uint32_t v = 0;
            switch (nKind) {
            case 0:
                v = 0x5A5A5A5A;
                break;
            case 1:
                v = (x / 7 + y / 3) % 2 ? 0x11223344 : 0x99AABBCC;
                break;
            case 2:
                v = n >> 3;
                break;
            default:
                v = (x % 13 < 6) ? 0x01020304u * (y % 5) : (n >> 5);
                break;
            }
            p.SetPixel(x, y, v);
        }
    }
}

}  // namespace

TEST(ScreenFormat, StrideFollowsTheRowRulesOfEachBitCount)
{
    struct Case {
        int32_t nWidth;
        int nBits;
        uint32_t nStride;
    } const cases[] = {
        {1, 8, 4},   {4, 8, 4},   {5, 8, 8},         {1, 16, 4},    {3, 16, 8},         {4, 16, 8},
        {1, 24, 4},  {3, 24, 12}, {5, 24, 16},       {1, 32, 4},    {7, 32, 28},        {0, 8, 0},
        {-3, 24, 0}, {10, 12, 0}, {65532, 8, 65532}, {65533, 8, 0}, {16383, 32, 65532}, {16384, 32, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QRVScreenFormat::Stride(c.nWidth, c.nBits), c.nStride) << c.nWidth << "x" << c.nBits;
}

TEST(ScreenFormat, PictureAndStreamLimitsRefuseOverflow)
{
    EXPECT_EQ(QRVScreenFormat::PictureBytes(5, 3, 24), 16u * 3);
    EXPECT_EQ(QRVScreenFormat::MaxStreamBytes(5, 3, 24), 5u * 3 * 2 * 3);
    EXPECT_EQ(QRVScreenFormat::MaxStreamBytes(5, 3, 8), 5u * 3 * 2);
    EXPECT_EQ(QRVScreenFormat::PictureBytes(16383, 0x7FFFFFFF, 32), 0u);
    EXPECT_EQ(QRVScreenFormat::MaxStreamBytes(16383, 0x7FFFFFFF, 32), 0u);
    EXPECT_EQ(QRVScreenFormat::PictureBytes(4, 0, 8), 0u);
}

TEST(RleWriter, RecordsHaveTheFormatsByteSizes)
{
    const uint8_t pixels[255 * 4] = {};
    for (int nBits : {8, 16, 24, 32}) {
        const size_t nBpp = static_cast<size_t>(nBits / 8);
        QRVRleWriter w(nBits);
        ASSERT_TRUE(w.Run(1, 0x01020304));
        EXPECT_EQ(w.Size(), 1 + nBpp);
        EXPECT_EQ(w.Bytes()[0], 1);
        EXPECT_EQ(w.Bytes()[1], 0x04);  // little-endian value
        w.Clear();
        ASSERT_TRUE(w.Literal(pixels, 3));
        EXPECT_EQ(w.Size(), 2 + 3 * nBpp + (nBits == 8 ? 1 : 0)) << nBits;
        w.Clear();
        ASSERT_TRUE(w.Literal(pixels, 4));
        EXPECT_EQ(w.Size(), 2 + 4 * nBpp);
        w.Clear();
        ASSERT_TRUE(w.Literal(pixels, 255));
        EXPECT_EQ(w.Size(), 2 + 255 * nBpp + (nBits == 8 ? 1 : 0));
        w.Clear();
        w.Delta(7, 9);
        w.EndOfLine();
        w.EndOfPicture();
        EXPECT_EQ(w.Bytes(), (std::vector<uint8_t>{0, 2, 7, 9, 0, 0, 0, 1}));
    }
}

TEST(RleWriter, RefusesCountsTheFormatCannotExpress)
{
    const uint8_t pixels[256] = {};
    QRVRleWriter w(8);
    EXPECT_FALSE(w.Run(0, 1));
    EXPECT_FALSE(w.Run(256, 1));
    EXPECT_FALSE(w.Literal(pixels, 2));
    EXPECT_FALSE(w.Literal(pixels, 256));
    EXPECT_EQ(w.Size(), 0u);
    for (unsigned n = 1; n <= 255; ++n)
        EXPECT_TRUE(w.Run(n, 7));
    for (unsigned n = 3; n <= 255; ++n)
        EXPECT_TRUE(w.Literal(pixels, n));
}

TEST(ScreenEncoder, KeyFramesWriteEveryPixelOfEveryRow)
{
    struct Geometry {
        int32_t nWidth, nHeight;
    } const geometries[] = {{4, 2}, {5, 3}, {17, 9}, {300, 4}, {640, 2}};
    for (int nBits : {8, 16, 24, 32}) {
        for (const Geometry& g : geometries) {
            for (int nKind = 0; nKind < 4; ++nKind) {
                QRVPicture picture;
                ASSERT_TRUE(picture.Create(g.nWidth, g.nHeight, nBits));
                FillPicture(picture, nKind, 1);
                QRVScreenEncoder encoder;
                ASSERT_TRUE(encoder.Begin(g.nWidth, g.nHeight, nBits));
                std::vector<uint8_t> stream;
                ASSERT_TRUE(encoder.EncodeStream(picture, false, stream)) << encoder.LastError();
                EXPECT_TRUE(encoder.LastWasKey());  // the first frame is always a key frame

                QRVPicture decoded;
                ASSERT_TRUE(decoded.Create(g.nWidth, g.nHeight, nBits));
                FillPicture(decoded, 2, 99);  // key frames must not depend on what was there
                const RleWalk walk = WalkRle(stream, decoded);
                ASSERT_TRUE(walk.bOk) << walk.strError << " bits " << nBits << " kind " << nKind;
                for (int32_t y = 0; y < g.nHeight; ++y)
                    EXPECT_EQ(walk.rowPixels[y], static_cast<uint32_t>(g.nWidth)) << "row " << y;
                EXPECT_EQ(walk.nDeltas, 0u);
                EXPECT_EQ(walk.nEndOfLines, static_cast<size_t>(g.nHeight - 1));
                EXPECT_EQ(decoded.Bytes(), picture.Bytes()) << nBits << " kind " << nKind;
                EXPECT_LE(stream.size(), QRVScreenFormat::MaxStreamBytes(g.nWidth, g.nHeight, nBits));
            }
        }
    }
}

TEST(ScreenEncoder, RunsAndLiteralsStayWithin255Pixels)
{
    QRVPicture picture;
    ASSERT_TRUE(picture.Create(1000, 2, 8));
    FillPicture(picture, 0, 0);  // bottom row: one long run
    for (int32_t x = 0; x < 1000; ++x)
        picture.SetPixel(x, 1, static_cast<uint32_t>(x * 7 % 251));  // top row: no repeats
    QRVScreenEncoder encoder;
    ASSERT_TRUE(encoder.Begin(1000, 2, 8));
    std::vector<uint8_t> stream;
    ASSERT_TRUE(encoder.EncodeStream(picture, true, stream));
    QRVPicture decoded;
    ASSERT_TRUE(decoded.Create(1000, 2, 8));
    const RleWalk walk = WalkRle(stream, decoded);
    ASSERT_TRUE(walk.bOk) << walk.strError;
    EXPECT_EQ(walk.nRuns, 4u);      // 255 + 255 + 255 + 235
    EXPECT_EQ(walk.nLiterals, 4u);  // 255 + 255 + 255 + 235
    EXPECT_EQ(decoded.Bytes(), picture.Bytes());
}

TEST(ScreenEncoder, DeltaFramesRebuildThePictureOnThePreviousOne)
{
    for (int nBits : {8, 16, 24, 32}) {
        const int32_t nWidth = 700, nHeight = 40;
        QRVPicture first, second;
        ASSERT_TRUE(first.Create(nWidth, nHeight, nBits));
        FillPicture(first, 3, 5);
        second = first;
        // Scattered changes: single pixels, a short gap, a block, the last pixel.
        second.SetPixel(3, 0, 0xDEADBEEF);
        second.SetPixel(5, 0, 0xDEADBEEF);
        second.SetPixel(600, 2, 0x12345678);
        for (int32_t y = 10; y < 20; ++y)
            for (int32_t x = 100; x < 400; ++x)
                second.SetPixel(x, y, 0x0F0F0F0F ^ static_cast<uint32_t>(x));
        second.SetPixel(nWidth - 1, 30, ~first.Pixel(nWidth - 1, 30));
        second.SetPixel(0, 31, ~first.Pixel(0, 31));

        QRVScreenEncoder encoder;
        ASSERT_TRUE(encoder.Begin(nWidth, nHeight, nBits));
        std::vector<uint8_t> keyStream, deltaStream;
        ASSERT_TRUE(encoder.EncodeStream(first, true, keyStream));
        ASSERT_TRUE(encoder.EncodeStream(second, false, deltaStream));
        EXPECT_FALSE(encoder.LastWasKey());
        EXPECT_FALSE(encoder.LastUnchanged());
        EXPECT_LT(deltaStream.size(), keyStream.size() / 4);

        QRVPicture decoded = first;
        const RleWalk walk = WalkRle(deltaStream, decoded);
        ASSERT_TRUE(walk.bOk) << walk.strError;
        EXPECT_GT(walk.nDeltas, 0u);
        EXPECT_EQ(decoded.Bytes(), second.Bytes()) << nBits;
        // Nothing is written on rows that did not change, and rows after the
        // last change are left by the early end of picture.
        EXPECT_EQ(walk.rowPixels[1], 0u);
        EXPECT_EQ(walk.rowPixels[nHeight - 1], 0u);
    }
}

TEST(ScreenEncoder, UnchangedPictureGivesOnlyEndOfPicture)
{
    QRVPicture picture;
    ASSERT_TRUE(picture.Create(33, 7, 24));
    FillPicture(picture, 2, 3);
    QRVScreenEncoder encoder;
    ASSERT_TRUE(encoder.Begin(33, 7, 24));
    std::vector<uint8_t> stream;
    ASSERT_TRUE(encoder.EncodeStream(picture, false, stream));
    ASSERT_TRUE(encoder.EncodeStream(picture, false, stream));
    EXPECT_TRUE(encoder.LastUnchanged());
    EXPECT_EQ(stream, (std::vector<uint8_t>{0, 1}));
    // A requested key frame still writes everything.
    ASSERT_TRUE(encoder.EncodeStream(picture, true, stream));
    EXPECT_TRUE(encoder.LastWasKey());
    EXPECT_FALSE(encoder.LastUnchanged());
    EXPECT_GT(stream.size(), 33u * 7);
}

TEST(ScreenEncoder, DeltaStartsANewRowWhenTheChangeLiesLeftOfThePosition)
{
    QRVPicture first;
    ASSERT_TRUE(first.Create(20, 6, 8));
    QRVPicture second = first;
    second.SetPixel(15, 1, 9);
    second.SetPixel(2, 4, 9);  // left of column 16 reached on row 1
    QRVScreenEncoder encoder;
    ASSERT_TRUE(encoder.Begin(20, 6, 8));
    std::vector<uint8_t> stream;
    ASSERT_TRUE(encoder.EncodeStream(first, true, stream));
    ASSERT_TRUE(encoder.EncodeStream(second, false, stream));
    // delta(15,1) run(1,9) eol delta(2,2) run(1,9) end
    EXPECT_EQ(stream, (std::vector<uint8_t>{0, 2, 15, 1, 1, 9, 0, 0, 0, 2, 2, 2, 1, 9, 0, 1}));
}

TEST(ScreenEncoder, LongSkipsAreSplitIntoDeltasOf255)
{
    QRVPicture first;
    ASSERT_TRUE(first.Create(600, 300, 8));
    QRVPicture second = first;
    second.SetPixel(599, 299, 1);
    QRVScreenEncoder encoder;
    ASSERT_TRUE(encoder.Begin(600, 300, 8));
    std::vector<uint8_t> stream;
    ASSERT_TRUE(encoder.EncodeStream(first, true, stream));
    ASSERT_TRUE(encoder.EncodeStream(second, false, stream));
    EXPECT_EQ(stream, (std::vector<uint8_t>{0, 2, 255, 255, 0, 2, 255, 44, 0, 2, 89, 0, 1, 1, 0, 1}));
    QRVPicture decoded = first;
    const RleWalk walk = WalkRle(stream, decoded);
    ASSERT_TRUE(walk.bOk) << walk.strError;
    EXPECT_EQ(decoded.Bytes(), second.Bytes());
}

TEST(ScreenEncoder, RefusesPicturesItCannotEncode)
{
    QRVScreenEncoder encoder;
    EXPECT_FALSE(encoder.Begin(0, 4, 8));
    EXPECT_FALSE(encoder.Begin(4, 4, 12));
    EXPECT_FALSE(encoder.Begin(70000, 1, 8));
    ASSERT_TRUE(encoder.Begin(8, 8, 16));
    QRVPicture other;
    ASSERT_TRUE(other.Create(8, 8, 24));
    std::vector<uint8_t> stream;
    EXPECT_FALSE(encoder.EncodeStream(other, true, stream));
    EXPECT_FALSE(encoder.LastError().empty());
    // One pixel wide 8-bit rows need more than the decoder's 2 bytes per pixel.
    ASSERT_TRUE(encoder.Begin(1, 4, 8));
    QRVPicture narrow;
    ASSERT_TRUE(narrow.Create(1, 4, 8));
    EXPECT_FALSE(encoder.EncodeStream(narrow, true, stream));
}

TEST(ScreenEncoderPack, StreamsOfAtMostTenBytesStayBare)
{
    for (size_t n = 0; n <= 10; ++n) {
        std::vector<uint8_t> stream(n, 0x42);
        EXPECT_EQ(QRVScreenEncoder::Pack(stream), stream) << n;
    }
}

TEST(ScreenEncoderPack, LongerStreamsAreZlibAndNeverTenBytesOrFewer)
{
    // Highly compressible streams of 11..200 bytes, where level 9 gives tiny
    // zlib streams, and incompressible ones.
    for (size_t n = 11; n <= 200; ++n) {
        for (int nPattern = 0; nPattern < 3; ++nPattern) {
            std::vector<uint8_t> stream(n);
            for (size_t i = 0; i < n; ++i)
                stream[i] = nPattern == 0   ? 0
                            : nPattern == 1 ? static_cast<uint8_t>(i % 3)
                                            : static_cast<uint8_t>(i * 151 + 7);
            const std::vector<uint8_t> packed = QRVScreenEncoder::Pack(stream);
            ASSERT_GT(packed.size(), 10u) << n << " pattern " << nPattern;
            EXPECT_EQ(Inflate(packed, n), stream) << n << " pattern " << nPattern;
        }
    }
}

TEST(ScreenEncoderPack, EncodedFramesInflateToTheirStream)
{
    QRVPicture picture;
    ASSERT_TRUE(picture.Create(64, 16, 32));
    FillPicture(picture, 1, 0);
    QRVScreenEncoder encoder;
    ASSERT_TRUE(encoder.Begin(64, 16, 32));
    std::vector<uint8_t> stream, frame;
    ASSERT_TRUE(encoder.EncodeStream(picture, true, stream));
    ASSERT_TRUE(encoder.Begin(64, 16, 32));
    ASSERT_TRUE(encoder.EncodeFrame(picture, true, frame));
    ASSERT_GT(frame.size(), 10u);
    EXPECT_EQ(Inflate(frame, QRVScreenFormat::MaxStreamBytes(64, 16, 32)), stream);
    // The unchanged next frame is the bare 2-byte end of picture.
    ASSERT_TRUE(encoder.EncodeFrame(picture, false, frame));
    EXPECT_EQ(frame, (std::vector<uint8_t>{0, 1}));
}
