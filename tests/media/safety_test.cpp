// Streams that say more than is there: reads stay inside the frame (or the
// inflated length), writes inside stride x height bytes. The first record
// that would cross ends the frame; earlier records stay written and the
// call succeeds.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "DecoderRig.h"
#include "QRVScreenEncoder.h"
#include "QRVScreenRle.h"
#include "ScreenCodecDecoder.h"

namespace {

constexpr uint8_t E = 0xEE;  // the value before the frame

struct SafetyCase {
    const char* pszWhat;
    int32_t nWidth, nHeight;
    uint16_t nBits;
    std::vector<uint8_t> stream;  // bare: at most 10 bytes
    std::vector<uint8_t> expected;
    QRVRleEnd end;
};

const SafetyCase s_safetyCases[] = {
    {"run crossing the end writes nothing",
     4,
     2,
     8,
     {0x03, 0x01, 0x06, 0x02, 0x00, 0x01},
     {1, 1, 1, E, E, E, E, E},
     RLD_OUT_OF_BOUNDS},
    {"run after a full picture",
     4,
     2,
     8,
     {0x08, 0x01, 0x01, 0x02},
     {1, 1, 1, 1, 1, 1, 1, 1},
     RLD_OUT_OF_BOUNDS},
    {"literal crossing the end",
     4,
     2,
     8,
     {0x00, 0x02, 0x06, 0x00, 0x00, 0x03, 0x07, 0x08, 0x09},
     {E, E, E, E, E, E, E, E},
     RLD_OUT_OF_BOUNDS},
    {"literal up to the end",
     4,
     2,
     8,
     {0x00, 0x02, 0x05, 0x00, 0x00, 0x03, 0x07, 0x08, 0x09},
     {E, E, E, E, E, 7, 8, 9},
     RLD_END_OF_INPUT},
    {"delta out of the row, end of line back in",
     4,
     2,
     8,
     {0x00, 0x02, 0xFF, 0x00, 0x00, 0x00, 0x02, 0x05, 0x00, 0x01},
     {E, E, E, E, 5, 5, E, E},
     RLD_END_OF_PICTURE},
    {"delta above the picture, then a run",
     4,
     2,
     8,
     {0x00, 0x02, 0x00, 0x05, 0x00, 0x00, 0x01, 0x03},
     {E, E, E, E, E, E, E, E},
     RLD_OUT_OF_BOUNDS},
    {"end of line after the last row",
     4,
     2,
     8,
     {0x04, 0x01, 0x00, 0x00, 0x04, 0x02, 0x00, 0x00, 0x00, 0x01},
     {1, 1, 1, 1, 2, 2, 2, 2},
     RLD_END_OF_PICTURE},
    {"count byte without its pixel", 4, 2, 8, {0x04, 0x01, 0x03}, {1, 1, 1, 1, E, E, E, E}, RLD_END_OF_INPUT},
    {"literal cut short",
     4,
     2,
     8,
     {0x00, 0x04, 0x01, 0x02, 0x03},
     {E, E, E, E, E, E, E, E},
     RLD_END_OF_INPUT},
    {"delta cut short", 4, 2, 8, {0x01, 0x09, 0x00, 0x02, 0x01}, {9, E, E, E, E, E, E, E}, RLD_END_OF_INPUT},
    {"no end of picture", 4, 2, 8, {0x02, 0x09}, {9, 9, E, E, E, E, E, E}, RLD_END_OF_INPUT},
    {"empty frame", 4, 2, 8, {}, {E, E, E, E, E, E, E, E}, RLD_END_OF_INPUT},
    {"lone zero byte", 4, 2, 8, {0x01, 0x01, 0x00}, {1, E, E, E, E, E, E, E}, RLD_END_OF_INPUT},
    {"odd literal without its padding at the end",
     4,
     2,
     8,
     {0x00, 0x03, 0x01, 0x02, 0x03},
     {1, 2, 3, E, E, E, E, E},
     RLD_END_OF_INPUT},
    {"bytes after the end of picture",
     4,
     2,
     8,
     {0x01, 0x01, 0x00, 0x01, 0x01, 0x02},
     {1, E, E, E, E, E, E, E},
     RLD_END_OF_PICTURE},
    {"16-bit run into the padding, then past the end",
     3,
     1,
     16,
     {0x04, 0xEF, 0xBE, 0x01, 0x11, 0x22},
     {0xEF, 0xBE, 0xEF, 0xBE, 0xEF, 0xBE, 0xEF, 0xBE},
     RLD_OUT_OF_BOUNDS},
    {"24-bit literal cut short",
     2,
     1,
     24,
     {0x00, 0x03, 1, 2, 3, 4, 5, 6, 7, 8},
     {E, E, E, E, E, E, E, E},
     RLD_END_OF_INPUT},
    {"24-bit run crossing the end",
     2,
     1,
     24,
     {0x03, 0x01, 0x02, 0x03},
     {E, E, E, E, E, E, E, E},
     RLD_OUT_OF_BOUNDS},
    {"32-bit run missing a byte",
     2,
     1,
     32,
     {0x01, 0x11, 0x22, 0x33, 0x44, 0x01, 0x55, 0x66, 0x77},
     {0x11, 0x22, 0x33, 0x44, E, E, E, E},
     RLD_END_OF_INPUT},
    {"32-bit delta to the end, then a run",
     2,
     1,
     32,
     {0x00, 0x02, 0x02, 0x00, 0x01, 1, 2, 3, 4},
     {E, E, E, E, E, E, E, E},
     RLD_OUT_OF_BOUNDS},
};

}  // namespace

TEST(ScreenCodecSafety, StreamsCrossingTheirBoundsStopAtTheCrossingRecord)
{
    for (const SafetyCase& c : s_safetyCases) {
        SCOPED_TRACE(c.pszWhat);
        ASSERT_LE(c.stream.size(), SCD_BARE_LIMIT);
        DecoderRig rig(c.nWidth, c.nHeight, c.nBits, E);
        ASSERT_EQ(rig.Size(), c.expected.size());
        EXPECT_EQ(rig.Frame(c.stream), SCD_OK);
        EXPECT_EQ(rig.Picture(), c.expected);
        EXPECT_TRUE(rig.GuardIntact());

        // The same stream inflated gives the same picture (stored, so that
        // the frame is longer than 10 bytes).
        std::vector<uint8_t> packed;
        ASSERT_TRUE(QRVScreenEncoder::Deflate(c.stream.data(), c.stream.size(), 0, packed));
        ASSERT_GT(packed.size(), SCD_BARE_LIMIT);
        DecoderRig rigPacked(c.nWidth, c.nHeight, c.nBits, E);
        EXPECT_EQ(rigPacked.Frame(packed), SCD_OK);
        EXPECT_EQ(rigPacked.Picture(), c.expected);

        DecoderRig rigRle(c.nWidth, c.nHeight, c.nBits, E);
        EXPECT_EQ(QRVScreenRle::Decode(c.nBits / 8u, c.stream.data(), c.stream.size(), rigRle.Bits(),
                                       rigRle.Size(), QRVScreenCodec::Stride(rigRle.Out())),
                  c.end);
    }
}

TEST(ScreenCodecSafety, NothingIsReadPastTheFramesLength)
{
    const uint8_t block[] = {0x02, 0x09, 0x02, 0x07, 0x00, 0x01};
    DecoderRig rig(4, 2, 8, E);
    EXPECT_EQ(rig.FrameAt(block, 2), SCD_OK);
    EXPECT_EQ(rig.Picture(), (std::vector<uint8_t>{9, 9, E, E, E, E, E, E}));
    EXPECT_EQ(rig.FrameAt(block, 0), SCD_OK);
    EXPECT_EQ(rig.Picture(), (std::vector<uint8_t>{9, 9, E, E, E, E, E, E}));
}

// The inflation buffer still holds the previous frame's stream behind the
// current one; decoding stops at the inflated length.
TEST(ScreenCodecSafety, NothingIsReadPastTheInflatedLength)
{
    DecoderRig rig(4, 2, 8, E);
    std::vector<uint8_t> first;
    for (int i = 0; i < 8; ++i)
        first.insert(first.end(), {0x01, 0x03});  // fills the 16-byte buffer
    ASSERT_EQ(rig.Frame(QRVScreenEncoder::Pack(first)), SCD_OK);
    EXPECT_EQ(rig.Picture(), std::vector<uint8_t>(8, 3));
    rig.SetPicture(std::vector<uint8_t>(8, E));
    const std::vector<uint8_t> second = {0x01, 0x09, 0x00, 0x02, 0x00, 0x00, 0x00,
                                         0x02, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00};
    ASSERT_EQ(rig.Frame(QRVScreenEncoder::Pack(second)), SCD_OK);
    EXPECT_EQ(rig.Picture(), (std::vector<uint8_t>{9, E, E, E, E, E, E, E}));
}

// Arbitrary streams at every depth and odd geometries: whatever they say,
// the bytes behind the picture stay untouched (AddressSanitizer watches the
// reads in the native build).
TEST(ScreenCodecSafety, RandomStreamsStayInsideThePicture)
{
    uint32_t nState = 12345;
    auto next = [&nState]() {
        nState = nState * 1664525u + 1013904223u;
        return nState >> 24;
    };
    for (int nRound = 0; nRound < 3000; ++nRound) {
        const uint16_t nBits = static_cast<uint16_t>(8 * (1 + nRound % 4));
        const int32_t nWidth = 1 + static_cast<int32_t>(next() % 9);
        const int32_t nHeight = 1 + static_cast<int32_t>(next() % 5);
        std::vector<uint8_t> stream(next() % 96);
        for (uint8_t& n : stream) {
            // Mostly small values, so that records of every kind turn up.
            const uint32_t r = next();
            n = static_cast<uint8_t>(r < 96 ? r % 4 : r < 200 ? r % 16 : r);
        }
        DecoderRig rig(nWidth, nHeight, nBits, E);
        std::vector<uint8_t> packed;
        ASSERT_TRUE(QRVScreenEncoder::Deflate(stream.data(), stream.size(), 1, packed));
        // Inflated streams beyond width x height x 2 x bytes per pixel are refused.
        const size_t nCapacity = static_cast<size_t>(nWidth) * nHeight * 2 * (nBits / 8);
        const bool bFits = packed.size() <= SCD_BARE_LIMIT || stream.size() <= nCapacity;
        EXPECT_EQ(rig.Frame(packed), bFits ? SCD_OK : SCD_INTERNAL);
        if (stream.size() <= SCD_BARE_LIMIT) {
            EXPECT_EQ(rig.Frame(stream), SCD_OK);
        }
        ASSERT_TRUE(rig.GuardIntact()) << "round " << nRound;
    }
}
