// The run-length records and the frame framing, byte by byte: the worked
// examples of the format, record sizes, end of line and delta arithmetic,
// runs and literal runs of every length, the 10-byte rule and zlib failures.
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdint>
#include <vector>

#include "DecoderRig.h"
#include "QRVInflater.h"
#include "QRVPicture.h"
#include "QRVRleWriter.h"
#include "QRVScreenEncoder.h"
#include "QRVScreenRle.h"
#include "ScreenCodecDecoder.h"

namespace {

const int s_depths[] = {8, 16, 24, 32};

uint32_t PixelValue(uint32_t nSeed, uint32_t nBpp)
{
    uint32_t n = nSeed * 2654435761u + 0x9E3779B9u;
    n ^= n >> 13;
    return nBpp >= 4 ? n : n & ((1u << (8 * nBpp)) - 1);
}

void AppendPixel(std::vector<uint8_t>& out, uint32_t nValue, uint32_t nBpp)
{
    for (uint32_t i = 0; i < nBpp; ++i)
        out.push_back(static_cast<uint8_t>(nValue >> (8 * i)));
}

// The records decoded one byte at a time into bits; returns the stream bytes
// consumed. The first record that would read past the stream or write past
// the picture ends the decoding.
size_t ByteByByteDecode(uint32_t nBpp, const std::vector<uint8_t>& s, std::vector<uint8_t>& bits,
                        uint32_t nStride)
{
    size_t i = 0;
    uint64_t nPos = 0;
    uint16_t nCounter = 0;
    while (s.size() - i >= 2) {
        const uint32_t nCount = s[i], nCode = s[i + 1];
        if (nCount != 0) {
            if (s.size() - i < 1 + nBpp || nPos + nCount * nBpp > bits.size())
                break;
            for (uint32_t n = 0; n < nCount * nBpp; ++n)
                bits[nPos + n] = s[i + 1 + n % nBpp];
            nPos += nCount * nBpp;
            nCounter = static_cast<uint16_t>(nCounter + nCount);
            i += 1 + nBpp;
        } else if (nCode == 0) {
            nPos = nPos - static_cast<uint64_t>(nCounter) * nBpp + nStride;
            nCounter = 0;
            i += 2;
        } else if (nCode == 1) {
            i += 2;
            break;
        } else if (nCode == 2) {
            if (s.size() - i < 4)
                break;
            nPos += static_cast<uint64_t>(s[i + 2]) * nBpp + static_cast<uint64_t>(s[i + 3]) * nStride;
            nCounter = static_cast<uint16_t>(nCounter + s[i + 2]);
            i += 4;
        } else {
            const uint32_t nBytes = nCode * nBpp;
            if (s.size() - i - 2 < nBytes || nPos + nBytes > bits.size())
                break;
            for (uint32_t n = 0; n < nBytes; ++n)
                bits[nPos + n] = s[i + 2 + n];
            nPos += nBytes;
            nCounter = static_cast<uint16_t>(nCounter + nCode);
            i += 2 + nBytes;
            if (nBpp == 1 && (nCode & 1) != 0 && i < s.size())
                ++i;
        }
    }
    return i;
}

}  // namespace

TEST(ScreenCodecExamples, RunEndOfLineRunEndOfPicture)
{
    DecoderRig rig(4, 2, 8, 0xEE);
    EXPECT_EQ(rig.Frame({0x04, 0x05, 0x00, 0x00, 0x02, 0x07, 0x00, 0x01}), SCD_OK);
    EXPECT_EQ(rig.Picture(), (std::vector<uint8_t>{5, 5, 5, 5, 7, 7, 0xEE, 0xEE}));
}

TEST(ScreenCodecExamples, DeltaThenSinglePixelRun)
{
    DecoderRig rig(4, 2, 8, 0xEE);
    EXPECT_EQ(rig.Frame({0x00, 0x02, 0x01, 0x01, 0x01, 0x09, 0x00, 0x01}), SCD_OK);
    EXPECT_EQ(rig.Picture(), (std::vector<uint8_t>{0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 9, 0xEE, 0xEE}));
}

TEST(ScreenCodecExamples, EndOfPictureAloneLeavesThePictureUnchanged)
{
    for (int nBits : s_depths) {
        DecoderRig rig(7, 3, static_cast<uint16_t>(nBits), 0x3C);
        const std::vector<uint8_t> before = rig.Picture();
        EXPECT_EQ(rig.Frame({0x00, 0x01}), SCD_OK) << nBits;
        EXPECT_EQ(rig.Picture(), before) << nBits;
    }
}

// A literal run of 3 pixels, then a run of 1: the run's pixel lands right
// after the literal only when the literal consumed exactly its size.
TEST(ScreenCodecRecords, LiteralRunOfThreeConsumesItsRecordSize)
{
    struct Case {
        int nBits;
        size_t nRecordBytes;
    } const cases[] = {{8, 6}, {16, 8}, {24, 11}, {32, 14}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nBits);
        const uint32_t nBpp = static_cast<uint32_t>(c.nBits / 8);
        std::vector<uint8_t> stream = {0x00, 0x03};
        for (uint32_t i = 0; i < 3; ++i)
            AppendPixel(stream, PixelValue(i + 1, nBpp), nBpp);
        if (c.nBits == 8)
            stream.push_back(0xAB);  // padding, never a pixel
        ASSERT_EQ(stream.size(), c.nRecordBytes);
        stream.push_back(0x01);
        AppendPixel(stream, PixelValue(9, nBpp), nBpp);
        stream.push_back(0x00);
        stream.push_back(0x01);

        DecoderRig rig(8, 1, static_cast<uint16_t>(c.nBits), 0x00);
        EXPECT_EQ(rig.Frame(QRVScreenEncoder::Pack(stream)), SCD_OK);
        QRVPicture expected = FilledPicture(8, 1, c.nBits, 0x00);
        for (int32_t x = 0; x < 3; ++x)
            expected.SetPixel(x, 0, PixelValue(static_cast<uint32_t>(x) + 1, nBpp));
        expected.SetPixel(3, 0, PixelValue(9, nBpp));
        EXPECT_EQ(rig.Picture(), expected.Bytes());

        size_t nRead = 0;
        std::vector<uint8_t> bits(rig.Size(), 0);
        EXPECT_EQ(QRVScreenRle::Decode(nBpp, stream.data(), stream.size(), bits.data(), bits.size(),
                                       static_cast<uint32_t>(expected.Stride()), &nRead),
                  RLD_END_OF_PICTURE);
        EXPECT_EQ(nRead, stream.size());
    }
}

TEST(ScreenCodecRecords, EndOfLineGoesToTheNextRowWhateverTheColumn)
{
    for (int nBits : s_depths) {
        const uint32_t nBpp = static_cast<uint32_t>(nBits / 8);
        for (unsigned k = 0; k <= 6; ++k) {
            SCOPED_TRACE(testing::Message() << nBits << " bits, run of " << k);
            QRVRleWriter w(nBits);
            if (k > 0)
                w.Run(k, Splat(1, nBpp));
            w.EndOfLine();
            w.Run(1, Splat(2, nBpp));
            w.EndOfPicture();
            DecoderRig rig(6, 3, static_cast<uint16_t>(nBits), 0xEE);
            EXPECT_EQ(rig.Frame(QRVScreenEncoder::Pack(w.Bytes())), SCD_OK);
            QRVPicture expected = FilledPicture(6, 3, nBits, 0xEE);
            for (int32_t x = 0; x < static_cast<int32_t>(k); ++x)
                expected.SetPixel(x, 0, Splat(1, nBpp));
            expected.SetPixel(0, 1, Splat(2, nBpp));
            EXPECT_EQ(rig.Picture(), expected.Bytes());
        }
    }
}

// A delta with dy > 0 keeps the column; a later end of line goes to the start
// of the row after the one reached.
TEST(ScreenCodecRecords, DeltaKeepsTheColumnAndEndOfLineFollowsIt)
{
    for (int nBits : s_depths) {
        SCOPED_TRACE(nBits);
        const uint32_t nBpp = static_cast<uint32_t>(nBits / 8);
        QRVRleWriter w(nBits);
        w.Run(3, Splat(1, nBpp));
        w.Delta(1, 2);
        w.Run(1, Splat(2, nBpp));
        w.EndOfLine();
        w.Run(2, Splat(3, nBpp));
        w.EndOfPicture();
        DecoderRig rig(8, 5, static_cast<uint16_t>(nBits), 0xEE);
        EXPECT_EQ(rig.Frame(QRVScreenEncoder::Pack(w.Bytes())), SCD_OK);
        QRVPicture expected = FilledPicture(8, 5, nBits, 0xEE);
        for (int32_t x = 0; x < 3; ++x)
            expected.SetPixel(x, 0, Splat(1, nBpp));
        expected.SetPixel(4, 2, Splat(2, nBpp));
        expected.SetPixel(0, 3, Splat(3, nBpp));
        expected.SetPixel(1, 3, Splat(3, nBpp));
        EXPECT_EQ(rig.Picture(), expected.Bytes());
    }
}

// Runs of every length 1..255 and literal runs of every length 3..255, one
// length per row, at every depth; the rest of each row keeps its value.
TEST(ScreenCodecRecords, RunsAndLiteralRunsOfEveryLength)
{
    for (int nBits : s_depths) {
        SCOPED_TRACE(nBits);
        const uint32_t nBpp = static_cast<uint32_t>(nBits / 8);
        const int32_t nWidth = 2 * 255 + 3, nHeight = 255;
        QRVPicture expected = FilledPicture(nWidth, nHeight, nBits, 0x96);
        QRVRleWriter w(nBits);
        std::vector<uint8_t> literal;
        for (uint32_t n = 1; n <= 255; ++n) {
            const int32_t nRow = static_cast<int32_t>(n) - 1;
            const uint32_t nRunValue = PixelValue(n, nBpp);
            ASSERT_TRUE(w.Run(n, nRunValue));
            for (uint32_t x = 0; x < n; ++x)
                expected.SetPixel(static_cast<int32_t>(x), nRow, nRunValue);
            if (n >= 3) {
                literal.clear();
                for (uint32_t x = 0; x < n; ++x) {
                    const uint32_t nValue = PixelValue(1000 * n + x, nBpp);
                    AppendPixel(literal, nValue, nBpp);
                    expected.SetPixel(static_cast<int32_t>(n + x), nRow, nValue);
                }
                ASSERT_TRUE(w.Literal(literal.data(), n));
            }
            w.EndOfLine();
        }
        w.EndOfPicture();
        DecoderRig rig(nWidth, nHeight, static_cast<uint16_t>(nBits), 0x96);
        EXPECT_EQ(rig.Frame(QRVScreenEncoder::Pack(w.Bytes())), SCD_OK);
        EXPECT_EQ(rig.Picture(), expected.Bytes());
        EXPECT_TRUE(rig.GuardIntact());
    }
}

// Runs that pass the end of a row continue into the row padding and the next
// row: the write position is linear.
TEST(ScreenCodecRecords, RunPastTheRowEndContinuesIntoTheNextRow)
{
    // 24 bits, 3 pixels wide: 9 pixel bytes and 3 padding bytes per row.
    DecoderRig rig(3, 2, 24, 0x00);
    EXPECT_EQ(rig.Frame({0x05, 0x11, 0x22, 0x33, 0x00, 0x01}), SCD_OK);
    std::vector<uint8_t> expected(24, 0x00);
    for (size_t i = 0; i < 15; ++i)
        expected[i] = static_cast<uint8_t>(0x11 * (i % 3 + 1));
    EXPECT_EQ(rig.Picture(), expected);
}

// The row pixel counter is 16 bits wide: after 65540 pixels it holds 4, so
// an end of line moves back 4 pixels and on by one 4-pixel row, leaving the
// position where it was instead of taking it back to the second row.
TEST(ScreenCodecRecords, RowCounterWrapsAt65536Pixels)
{
    const int32_t nWidth = 4, nHeight = 16500;  // 66000 pixels
    QRVRleWriter w(8);
    for (int i = 0; i < 257; ++i)
        w.Run(255, 0x01);  // 65535 pixels
    w.Run(5, 0x02);        // counter 65540 -> 4
    w.EndOfLine();         // position 65540 - 4 + 4
    w.Run(1, 0x03);
    w.EndOfPicture();
    DecoderRig rig(nWidth, nHeight, 8, 0x00);
    EXPECT_EQ(rig.Frame(QRVScreenEncoder::Pack(w.Bytes())), SCD_OK);
    const std::vector<uint8_t> bits = rig.Picture();
    EXPECT_EQ(bits[65534], 0x01);
    EXPECT_EQ(bits[65535], 0x02);
    EXPECT_EQ(bits[65539], 0x02);
    EXPECT_EQ(bits[65540], 0x03);
    EXPECT_EQ(bits[65541], 0x00);
}

// Frames of at most 10 bytes are the bare stream; from 11 bytes on they are
// inflated.
TEST(ScreenCodecFraming, TenByteFrameIsBareElevenByteFrameIsInflated)
{
    // 10 bytes: four runs and the end of picture, bare.
    const std::vector<uint8_t> bare10 = {0x02, 0x01, 0x02, 0x02, 0x02, 0x03, 0x02, 0x04, 0x00, 0x01};
    DecoderRig rig10(4, 2, 8, 0xEE);
    EXPECT_EQ(rig10.Frame(bare10), SCD_OK);
    EXPECT_EQ(rig10.Picture(), (std::vector<uint8_t>{1, 1, 2, 2, 3, 3, 4, 4}));

    // 11 bytes of valid run-length records are not a zlib stream.
    const std::vector<uint8_t> bare11 = {0x02, 0x01, 0x02, 0x02, 0x02, 0x03, 0x01, 0x04, 0x01, 0x05, 0x00};
    DecoderRig rig11(4, 2, 8, 0xEE);
    EXPECT_EQ(rig11.Frame(bare11), SCD_INTERNAL);
    EXPECT_EQ(rig11.Picture(), std::vector<uint8_t>(8, 0xEE));

    // A zlib frame of exactly 11 bytes is inflated: find a stream of runs
    // (repeated, so that it deflates well) whose zlib form has that size.
    std::vector<uint8_t> stream, frame;
    const std::vector<std::vector<uint8_t>> tails = {{}, {0x00}, {0x00, 0x01}};
    for (uint32_t k = 6; k < 40 && frame.size() != 11; ++k) {
        for (uint8_t nValue = 1; nValue < 8 && frame.size() != 11; ++nValue) {
            for (const std::vector<uint8_t>& tail : tails) {
                stream.assign(2 * k, nValue);
                stream.insert(stream.end(), tail.begin(), tail.end());
                if (QRVScreenEncoder::Deflate(stream.data(), stream.size(), 9, frame) && frame.size() == 11)
                    break;
            }
        }
    }
    ASSERT_EQ(frame.size(), 11u);
    ASSERT_GT(stream.size(), SCD_BARE_LIMIT);
    DecoderRig rigZ(64, 8, 8, 0x00);
    EXPECT_EQ(rigZ.Frame(frame), SCD_OK);
    DecoderRig rigBare(64, 8, 8, 0x00);
    QRVScreenRle::Decode(1, stream.data(), stream.size(), rigBare.Bits(), rigBare.Size(), 64);
    EXPECT_EQ(rigZ.Picture(), rigBare.Picture());
    EXPECT_NE(rigZ.Picture(), std::vector<uint8_t>(rigZ.Size(), 0x00));
}

// zlib's stream of nothing is 8 bytes; at that length it is read as records:
// 0x78 run of 0x9C or 0xDA, 0x03 run of 0x00, end of line, end of picture.
TEST(ScreenCodecFraming, ShortZlibStreamIsReadAsRecords)
{
    std::vector<uint8_t> frame;
    ASSERT_TRUE(QRVScreenEncoder::Deflate(nullptr, 0, 9, frame));
    ASSERT_EQ(frame.size(), 8u);
    DecoderRig rig(16, 8, 8, 0xEE);
    EXPECT_EQ(rig.Frame(frame), SCD_OK);
    std::vector<uint8_t> expected(128, 0xEE);
    for (size_t i = 0; i < frame[0]; ++i)
        expected[i] = frame[1];
    for (size_t i = frame[0]; i < frame[0] + 3u; ++i)
        expected[i] = 0x00;
    EXPECT_EQ(rig.Picture(), expected);
}

// Any zlib failure is an internal error and leaves the bitmap as it was.
TEST(ScreenCodecFraming, ZlibFailuresLeaveThePictureUnchanged)
{
    for (int nBits : s_depths) {
        SCOPED_TRACE(nBits);
        const uint32_t nBpp = static_cast<uint32_t>(nBits / 8);
        const int32_t nWidth = 5, nHeight = 4;
        const uint32_t nLimit = nWidth * nHeight * 2 * nBpp;
        // A stream of exactly the limit (ends of line, then the end of
        // picture) inflates; one byte more does not.
        std::vector<uint8_t> stream;
        for (uint32_t i = 0; i + 2 < nLimit; i += 2)
            stream.insert(stream.end(), {0x00, 0x00});
        stream.insert(stream.end(), {0x00, 0x01});
        ASSERT_EQ(stream.size(), nLimit);
        DecoderRig rigFits(nWidth, nHeight, static_cast<uint16_t>(nBits), 0xEE);
        EXPECT_EQ(rigFits.Frame(QRVScreenEncoder::Pack(stream)), SCD_OK);

        std::vector<uint8_t> tooLong = stream;
        tooLong.insert(tooLong.begin(), 0x00);
        // Stored (level 0): long enough to be inflated even when cut short.
        std::vector<uint8_t> good;
        ASSERT_TRUE(QRVScreenEncoder::Deflate(stream.data(), stream.size(), 0, good));
        std::vector<uint8_t> corrupt = good;
        corrupt[corrupt.size() / 2] ^= 0x5A;
        corrupt.back() ^= 0x01;  // the checksum fails whatever the inflated bytes
        const std::vector<uint8_t> truncated(good.begin(), good.end() - 3);
        std::vector<uint8_t> badHeader = good;
        badHeader[0] = 0x79;  // not deflate
        for (const std::vector<uint8_t>* pFrame :
             std::vector<const std::vector<uint8_t>*>{&corrupt, &truncated, &badHeader}) {
            DecoderRig rig(nWidth, nHeight, static_cast<uint16_t>(nBits), 0xEE);
            EXPECT_EQ(rig.Frame(*pFrame), SCD_INTERNAL);
            EXPECT_EQ(rig.Picture(), std::vector<uint8_t>(rig.Size(), 0xEE));
        }
        DecoderRig rigTooLong(nWidth, nHeight, static_cast<uint16_t>(nBits), 0xEE);
        EXPECT_EQ(rigTooLong.Frame(QRVScreenEncoder::Pack(tooLong)), SCD_INTERNAL);
        EXPECT_EQ(rigTooLong.Picture(), std::vector<uint8_t>(rigTooLong.Size(), 0xEE));
    }
}

// Depths other than 8, 16, 24, 32 pass the check, inflate and decode nothing.
TEST(ScreenCodecFraming, OtherDepthsDecodeNothing)
{
    for (uint16_t nBits : {12, 15, 48}) {
        SCOPED_TRACE(nBits);
        DecoderRig rig(6, 3, nBits, 0x42);
        ASSERT_EQ(rig.BeginResult(), SCD_OK);
        const std::vector<uint8_t> before = rig.Picture();
        EXPECT_EQ(rig.Frame({0x04, 0x05, 0x00, 0x01}), SCD_OK);
        EXPECT_EQ(rig.Frame(QRVScreenEncoder::Pack(
                      {0x04, 0x05, 0x04, 0x05, 0x04, 0x05, 0x04, 0x05, 0x04, 0x05, 0x00, 0x01})),
                  SCD_OK);
        EXPECT_EQ(rig.Picture(), before);
        EXPECT_EQ(rig.Frame({0x78, 0x9C, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09}),
                  SCD_INTERNAL);
    }
}

// The decoder's inflation accepts exactly the frames that zlib's one-shot
// uncompress accepts into a buffer of width x height x 2 x bytes per pixel:
// truncated at every length, every byte damaged, bytes after the end, and
// streams just inside and just beyond the buffer.
TEST(ScreenCodecFraming, InflationAcceptsWhatUncompressAccepts)
{
    const int32_t nWidth = 6, nHeight = 3;  // 8 bits: 36-byte inflation buffer
    const uint32_t nCapacity = nWidth * nHeight * 2;
    std::vector<std::vector<uint8_t>> frames;
    for (uint32_t nStreamBytes : {nCapacity - 2, nCapacity, nCapacity + 2}) {
        std::vector<uint8_t> stream;
        for (uint32_t i = 0; i + 2 < nStreamBytes; i += 2)
            stream.insert(stream.end(), {0x01, static_cast<uint8_t>(i)});
        stream.insert(stream.end(), {0x00, 0x01});
        for (int nLevel : {0, 9}) {
            std::vector<uint8_t> good;
            ASSERT_TRUE(QRVScreenEncoder::Deflate(stream.data(), stream.size(), nLevel, good));
            frames.push_back(good);
            std::vector<uint8_t> trailing = good;
            trailing.insert(trailing.end(), {0x12, 0x34, 0x56});
            frames.push_back(trailing);
            for (size_t n = SCD_BARE_LIMIT + 1; n < good.size(); ++n)
                frames.emplace_back(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
            for (size_t i = 0; i < good.size(); ++i) {
                for (uint8_t nFlip : {0x01, 0x80}) {
                    std::vector<uint8_t> damaged = good;
                    damaged[i] ^= nFlip;
                    frames.push_back(damaged);
                }
            }
        }
    }
    size_t nAccepted = 0;
    for (const std::vector<uint8_t>& frame : frames) {
        std::vector<uint8_t> out(nCapacity);
        uLongf nOut = nCapacity;
        const bool bZlib =
            uncompress(out.data(), &nOut, frame.data(), static_cast<uLong>(frame.size())) == Z_OK;
        DecoderRig rig(nWidth, nHeight, 8, 0xEE);
        ASSERT_EQ(rig.Frame(frame), bZlib ? SCD_OK : SCD_INTERNAL) << "frame of " << frame.size() << " bytes";
        if (!bZlib) {
            EXPECT_EQ(rig.Picture(), std::vector<uint8_t>(rig.Size(), 0xEE));
        }
        nAccepted += bZlib ? 1 : 0;
    }
    EXPECT_GE(nAccepted, 8u);
    EXPECT_LT(nAccepted, frames.size());
}

// The check value at the stream's end, computed in blocks of 32-byte units
// with and without AVX2: lengths around the unit and the block, and bytes
// of 0xFF for the largest sums. A damaged check value is refused.
TEST(ScreenCodecFraming, InflationChecksTheValueAtEveryLength)
{
    for (const bool bAvx2 : {true, false}) {
        QRVInflater inflater;
        inflater.AllowAvx2(bAvx2);
        for (const uint32_t nLength : {0u, 1u, 31u, 32u, 33u, 5535u, 5536u, 5537u, 11073u, 100000u}) {
            for (const bool bFull : {false, true}) {
                SCOPED_TRACE(testing::Message() << (bAvx2 ? "AVX2 allowed, " : "") << nLength << " bytes of "
                                                << (bFull ? "0xFF" : "noise"));
                std::vector<uint8_t> data(nLength, 0xFF);
                if (!bFull) {
                    for (uint32_t i = 0; i < nLength; ++i)
                        data[i] = static_cast<uint8_t>(PixelValue(i, 1));
                }
                std::vector<uint8_t> packed;
                ASSERT_TRUE(QRVScreenEncoder::Deflate(data.data(), data.size(), 1, packed));
                std::vector<uint8_t> out(nLength + 1);
                uint32_t nOut = 0;
                EXPECT_TRUE(inflater.Inflate(packed.data(), static_cast<uint32_t>(packed.size()), out.data(),
                                             static_cast<uint32_t>(out.size()), nOut));
                out.resize(nOut);
                EXPECT_EQ(out, data);
                packed[packed.size() - 2] ^= 0x10;
                EXPECT_FALSE(inflater.Inflate(packed.data(), static_cast<uint32_t>(packed.size()), out.data(),
                                              static_cast<uint32_t>(out.size()), nOut));
            }
        }
    }
}

// Rows of short and long runs and literal runs that end in an end of line, a
// delta or the end of the stream, on a picture of random bytes: every byte the
// records do not write keeps its value, above all those right after a row's
// last record. Long enough for the decoder's fast loop, which is run with
// each width of store it has; the cases differ in depth, geometry and mix.
TEST(ScreenCodecRecords, MixedRowsMatchAByteByByteDecode)
{
    struct Case {
        int nBits;
        int32_t nWidth;
        int32_t nHeight;
        uint32_t nShortPercent;  // share of runs and literal runs of at most 6 pixels
        uint32_t nSeed;
    } const cases[] = {
        {8, 700, 40, 90, 1},  {8, 333, 90, 50, 2},  {16, 500, 40, 90, 3}, {16, 257, 70, 50, 4},
        {24, 400, 40, 90, 5}, {24, 211, 80, 50, 6}, {32, 300, 40, 90, 7}, {32, 190, 60, 50, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nBits << " bits, seed " << c.nSeed);
        const uint32_t nBpp = static_cast<uint32_t>(c.nBits / 8);
        uint32_t nRandom = c.nSeed;
        auto next = [&nRandom](uint32_t nLimit) {
            nRandom = nRandom * 1664525u + 1013904223u;
            return (nRandom >> 8) % nLimit;
        };
        std::vector<uint8_t> stream;
        for (int32_t nRow = 0; nRow < c.nHeight; ++nRow) {
            const uint32_t nRecords = next(40);
            for (uint32_t r = 0; r < nRecords; ++r) {
                const bool bShort = next(100) < c.nShortPercent;
                const uint32_t nPixels = bShort ? 1 + next(6) : 1 + next(255);
                if (next(3) != 0) {
                    stream.push_back(static_cast<uint8_t>(nPixels));
                    AppendPixel(stream, PixelValue(next(1000), nBpp), nBpp);
                } else {
                    const uint32_t nLiteral = nPixels < 3 ? 3 : nPixels;
                    stream.push_back(0x00);
                    stream.push_back(static_cast<uint8_t>(nLiteral));
                    for (uint32_t x = 0; x < nLiteral; ++x)
                        AppendPixel(stream, PixelValue(next(1000), nBpp), nBpp);
                    if (nBpp == 1 && (nLiteral & 1) != 0)
                        stream.push_back(0xA5);
                }
            }
            if (next(4) == 0)
                stream.insert(stream.end(),
                              {0x00, 0x02, static_cast<uint8_t>(next(9)), static_cast<uint8_t>(next(2))});
            else
                stream.insert(stream.end(), {0x00, 0x00});
        }
        const uint32_t nStride = static_cast<uint32_t>(QRVScreenRle::Stride(c.nWidth, c.nBits));
        std::vector<uint8_t> expected(static_cast<size_t>(nStride) * c.nHeight);
        for (uint8_t& b : expected)
            b = static_cast<uint8_t>(next(256));
        const std::vector<uint8_t> before = expected;
        const size_t nExpectedRead = ByteByByteDecode(nBpp, stream, expected, nStride);
        for (const QRVScreenRle::QRVRleUnits units :
             {QRVScreenRle::RLD_UNITS_WIDEST, QRVScreenRle::RLD_UNITS_16}) {
            SCOPED_TRACE(units == QRVScreenRle::RLD_UNITS_16 ? "16-byte units" : "widest units");
            std::vector<uint8_t> bits = before;
            size_t nRead = 0;
            QRVScreenRle::Decode(nBpp, stream.data(), stream.size(), bits.data(), bits.size(), nStride,
                                 &nRead, units);
            EXPECT_EQ(nRead, nExpectedRead);
            EXPECT_EQ(bits, expected);
        }
    }
}
