// The classic AVI writer: the RIFF tree parses back with every chunk inside
// its parent, headers carry what was written, and idx1 points at the chunks.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "QRVAviWriter.h"
#include "QRVOutput.h"
#include "RiffWalker.h"

namespace {

struct Written {
    std::string strId;
    std::vector<uint8_t> data;
    uint32_t nFlags;
};

struct ParsedAvi {
    RiffChunk riff;
    const RiffChunk* pHdrl = nullptr;
    const RiffChunk* pMovi = nullptr;
    const RiffChunk* pIdx1 = nullptr;
};

::testing::AssertionResult Parse(const std::vector<uint8_t>& bytes, ParsedAvi& avi)
{
    std::vector<RiffChunk> top;
    std::string strError;
    if (!ParseRiffChildren(bytes, 0, bytes.size(), top, strError))
        return ::testing::AssertionFailure() << strError;
    if (top.size() != 1 || top[0].strId != "RIFF" || top[0].strType != "AVI ")
        return ::testing::AssertionFailure() << "not one RIFF 'AVI ' chunk";
    if (top[0].nSize + 8u != bytes.size())
        return ::testing::AssertionFailure() << "RIFF size does not cover the file";
    avi.riff = top[0];
    avi.pHdrl = avi.riff.Find("LIST", "hdrl");
    avi.pMovi = avi.riff.Find("LIST", "movi");
    avi.pIdx1 = avi.riff.Find("idx1");
    if (!avi.pHdrl || !avi.pMovi || !avi.pIdx1)
        return ::testing::AssertionFailure() << "hdrl, movi or idx1 missing";
    return ::testing::AssertionSuccess();
}

std::vector<uint8_t> Bytes(size_t n, uint8_t nSeed)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(nSeed + i * 31);
    return v;
}

QRVVideoStreamFormat VideoFormat(int nBits)
{
    QRVVideoStreamFormat f;
    f.nWidth = 37;
    f.nHeight = 21;
    f.nBitCount = nBits;
    f.nRate = 25;
    f.nScale = 2;
    if (nBits == 8)
        for (uint32_t i = 0; i < 256; ++i)
            f.palette.push_back(i * 0x010203u);
    return f;
}

}  // namespace

TEST(AviWriter, WrittenMovieParsesBackWithMatchingIndexAndHeaders)
{
    for (int nBits : {8, 16, 24, 32}) {
        SCOPED_TRACE(nBits);
        QRVMemoryOutput out;
        QRVAviWriter writer;
        QRVAudioStreamFormat audio;
        audio.nChannels = 2;
        audio.nSamplesPerSec = 11025;
        audio.nBitsPerSample = 16;
        const QRVVideoStreamFormat video = VideoFormat(nBits);
        ASSERT_TRUE(writer.Open(out, video, &audio)) << writer.LastError();

        // Odd and even sizes, an empty "no change" frame, sound between.
        std::vector<Written> written = {
            {"01wb", Bytes(400, 1), 0x10}, {"00dc", Bytes(101, 2), 0x10}, {"01wb", Bytes(404, 3), 0x10},
            {"00dc", Bytes(0, 4), 0},      {"00dc", Bytes(2, 5), 0},      {"01wb", Bytes(8, 6), 0x10},
            {"00dc", Bytes(77, 7), 0x10},  {"00dc", Bytes(3000, 8), 0},
        };
        for (const Written& w : written) {
            if (w.strId == "01wb")
                ASSERT_TRUE(writer.WriteAudio(w.data));
            else
                ASSERT_TRUE(writer.WriteVideo(w.data, w.nFlags != 0));
        }
        ASSERT_TRUE(writer.Close()) << writer.LastError();
        const std::vector<uint8_t>& b = out.Bytes();
        ParsedAvi avi;
        ASSERT_TRUE(Parse(b, avi));

        // Main header.
        const RiffChunk* pAvih = avi.pHdrl->Find("avih");
        ASSERT_TRUE(pAvih);
        ASSERT_EQ(pAvih->nSize, 56u);
        const size_t h = pAvih->DataOffset();
        EXPECT_EQ(RiffU32(b, h + 0), 80000u);                   // 2/25 s
        EXPECT_EQ(RiffU32(b, h + 4), 3000u * 25 / 2 + 44100u);  // largest frame rate + sound
        EXPECT_EQ(RiffU32(b, h + 12), 0x110u);                  // has index, interleaved
        EXPECT_EQ(RiffU32(b, h + 16), 5u);                      // total frames
        EXPECT_EQ(RiffU32(b, h + 24), 2u);                      // streams
        EXPECT_EQ(RiffU32(b, h + 28), 3000u);                   // suggested buffer
        EXPECT_EQ(RiffU32(b, h + 32), 37u);
        EXPECT_EQ(RiffU32(b, h + 36), 21u);

        // Stream lists: video then sound.
        std::vector<const RiffChunk*> strls;
        for (const RiffChunk& c : avi.pHdrl->children)
            if (c.strId == "LIST" && c.strType == "strl")
                strls.push_back(&c);
        ASSERT_EQ(strls.size(), 2u);
        const RiffChunk* pStrh = strls[0]->Find("strh");
        const RiffChunk* pStrf = strls[0]->Find("strf");
        ASSERT_TRUE(pStrh && pStrf);
        ASSERT_EQ(pStrh->nSize, 56u);
        size_t s = pStrh->DataOffset();
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[s]), 8), "vidsqrvc");
        EXPECT_EQ(RiffU32(b, s + 20), 2u);     // scale
        EXPECT_EQ(RiffU32(b, s + 24), 25u);    // rate
        EXPECT_EQ(RiffU32(b, s + 32), 5u);     // length
        EXPECT_EQ(RiffU32(b, s + 36), 3000u);  // suggested buffer
        EXPECT_EQ(RiffU32(b, s + 40), 0xFFFFFFFFu);
        EXPECT_EQ(RiffU16(b, s + 52), 37u);  // rcFrame right
        EXPECT_EQ(RiffU16(b, s + 54), 21u);  // rcFrame bottom
        const size_t f = pStrf->DataOffset();
        ASSERT_EQ(pStrf->nSize, nBits == 8 ? 40u + 1024u : 40u);
        EXPECT_EQ(RiffU32(b, f), 40u);
        EXPECT_EQ(RiffU32(b, f + 4), 37u);
        EXPECT_EQ(RiffU32(b, f + 8), 21u);
        EXPECT_EQ(RiffU16(b, f + 12), 1u);
        EXPECT_EQ(RiffU16(b, f + 14), static_cast<uint16_t>(nBits));
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[f + 16]), 4), "qrvc");
        EXPECT_EQ(RiffU32(b, f + 32), nBits == 8 ? 256u : 0u);
        if (nBits == 8) {
            EXPECT_EQ(RiffU32(b, f + 40 + 4 * 200), 200u * 0x010203u);
        }

        pStrh = strls[1]->Find("strh");
        pStrf = strls[1]->Find("strf");
        ASSERT_TRUE(pStrh && pStrf);
        s = pStrh->DataOffset();
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[s]), 4), "auds");
        EXPECT_EQ(RiffU32(b, s + 20), 4u);        // scale = block align
        EXPECT_EQ(RiffU32(b, s + 24), 44100u);    // rate = bytes per second
        EXPECT_EQ(RiffU32(b, s + 32), 812u / 4);  // length in blocks
        EXPECT_EQ(RiffU32(b, s + 36), 404u);
        EXPECT_EQ(RiffU32(b, s + 44), 4u);  // sample size
        ASSERT_EQ(pStrf->nSize, 18u);
        const size_t wf = pStrf->DataOffset();
        EXPECT_EQ(RiffU16(b, wf), 1u);
        EXPECT_EQ(RiffU16(b, wf + 2), 2u);
        EXPECT_EQ(RiffU32(b, wf + 4), 11025u);
        EXPECT_EQ(RiffU32(b, wf + 8), 44100u);
        EXPECT_EQ(RiffU16(b, wf + 12), 4u);
        EXPECT_EQ(RiffU16(b, wf + 14), 16u);
        EXPECT_EQ(RiffU16(b, wf + 16), 0u);

        // movi holds the chunks in order, with their data; idx1 points at them.
        ASSERT_EQ(avi.pMovi->children.size(), written.size());
        ASSERT_EQ(avi.pIdx1->nSize, 16u * written.size());
        const size_t nMoviFourCC = avi.pMovi->nOffset + 8;
        for (size_t i = 0; i < written.size(); ++i) {
            const RiffChunk& c = avi.pMovi->children[i];
            EXPECT_EQ(c.strId, written[i].strId) << i;
            ASSERT_EQ(c.nSize, written[i].data.size()) << i;
            EXPECT_TRUE(
                std::equal(written[i].data.begin(), written[i].data.end(), b.begin() + c.nOffset + 8));
            if (c.nSize & 1u) {
                EXPECT_EQ(b[c.nOffset + 8 + c.nSize], 0) << "padding byte " << i;
            }
            const size_t e = avi.pIdx1->DataOffset() + 16 * i;
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[e]), 4), written[i].strId);
            EXPECT_EQ(RiffU32(b, e + 4), written[i].nFlags) << i;
            EXPECT_EQ(RiffU32(b, e + 8), c.nOffset - nMoviFourCC) << i;
            EXPECT_EQ(RiffU32(b, e + 12), written[i].data.size()) << i;
        }
    }
}

TEST(AviWriter, MovieWithoutSoundHasOneStream)
{
    QRVMemoryOutput out;
    QRVAviWriter writer;
    ASSERT_TRUE(writer.Open(out, VideoFormat(24), nullptr));
    ASSERT_TRUE(writer.WriteVideo(Bytes(11, 0), true));
    EXPECT_FALSE(writer.WriteAudio(Bytes(4, 0)));
    ASSERT_TRUE(writer.Close());
    ParsedAvi avi;
    ASSERT_TRUE(Parse(out.Bytes(), avi));
    const size_t h = avi.pHdrl->Find("avih")->DataOffset();
    EXPECT_EQ(RiffU32(out.Bytes(), h + 12), 0x10u);
    EXPECT_EQ(RiffU32(out.Bytes(), h + 24), 1u);
    EXPECT_EQ(avi.pMovi->children.size(), 1u);
}

TEST(AviWriter, EmptyMovieIsStillWellFormed)
{
    QRVMemoryOutput out;
    QRVAviWriter writer;
    ASSERT_TRUE(writer.Open(out, VideoFormat(16), nullptr));
    ASSERT_TRUE(writer.Close());
    ParsedAvi avi;
    ASSERT_TRUE(Parse(out.Bytes(), avi));
    EXPECT_TRUE(avi.pMovi->children.empty());
    EXPECT_EQ(avi.pIdx1->nSize, 0u);
}

TEST(AviWriter, RefusesChunksBeyondTheSizeLimitAndStaysValid)
{
    QRVMemoryOutput out;
    QRVAviWriter writer;
    writer.SetSizeLimit(4096);
    ASSERT_TRUE(writer.Open(out, VideoFormat(24), nullptr));
    int nWritten = 0;
    while (writer.WriteVideo(Bytes(500, 1), true))
        ++nWritten;
    EXPECT_NE(writer.LastError().find("1 GiB"), std::string::npos);
    EXPECT_GT(nWritten, 0);
    ASSERT_TRUE(writer.Close());
    EXPECT_LE(out.Bytes().size(), 4096u);
    ParsedAvi avi;
    ASSERT_TRUE(Parse(out.Bytes(), avi));
    EXPECT_EQ(avi.pMovi->children.size(), static_cast<size_t>(nWritten));
    // The limit can be lowered, never raised above the classic form's.
    writer.SetSizeLimit(UINT64_MAX);
    QRVMemoryOutput other;
    ASSERT_TRUE(writer.Open(other, VideoFormat(24), nullptr));
    EXPECT_FALSE(writer.WriteVideo(nullptr, 0x40000000u, true));
    EXPECT_NE(writer.LastError().find("1 GiB"), std::string::npos);
    EXPECT_TRUE(writer.Close());
}

TEST(AviWriter, RefusesBadFormatsAndPartialSoundBlocks)
{
    QRVMemoryOutput out;
    QRVAviWriter writer;
    QRVVideoStreamFormat video = VideoFormat(24);
    video.nBitCount = 4;
    EXPECT_FALSE(writer.Open(out, video, nullptr));
    video = VideoFormat(24);
    video.nRate = 0;
    EXPECT_FALSE(writer.Open(out, video, nullptr));
    QRVAudioStreamFormat audio;
    audio.nBitsPerSample = 12;
    EXPECT_FALSE(writer.Open(out, VideoFormat(24), &audio));
    audio = QRVAudioStreamFormat();  // 16-bit mono: 2-byte blocks
    ASSERT_TRUE(writer.Open(out, VideoFormat(24), &audio));
    EXPECT_FALSE(writer.WriteAudio(Bytes(3, 0)));
    EXPECT_TRUE(writer.WriteAudio(Bytes(4, 0)));
    EXPECT_EQ(writer.AudioBlocks(), 2u);
    EXPECT_TRUE(writer.Close());
    EXPECT_FALSE(writer.WriteVideo(Bytes(4, 0), true));  // closed
}

TEST(AviWriter, PaletteChangesAreIndexedWithoutTime)
{
    QRVMemoryOutput out;
    QRVAviWriter writer;
    ASSERT_TRUE(writer.Open(out, VideoFormat(8), nullptr));
    ASSERT_TRUE(writer.WriteVideo(Bytes(20, 0), true));
    ASSERT_TRUE(writer.WritePaletteChange(16, {0x00102030, 0x00405060}));
    EXPECT_FALSE(writer.WritePaletteChange(255, {1, 2}));
    ASSERT_TRUE(writer.WriteVideo(Bytes(2, 0), false));
    ASSERT_TRUE(writer.Close());
    const std::vector<uint8_t>& b = out.Bytes();
    ParsedAvi avi;
    ASSERT_TRUE(Parse(b, avi));
    ASSERT_EQ(avi.pMovi->children.size(), 3u);
    const RiffChunk& pc = avi.pMovi->children[1];
    EXPECT_EQ(pc.strId, "00pc");
    ASSERT_EQ(pc.nSize, 4u + 8u);
    const size_t d = pc.nOffset + 8;
    EXPECT_EQ(b[d], 16);
    EXPECT_EQ(b[d + 1], 2);
    EXPECT_EQ((std::vector<uint8_t>(b.begin() + d + 4, b.begin() + d + 12)),
              (std::vector<uint8_t>{0x10, 0x20, 0x30, 0, 0x40, 0x50, 0x60, 0}));
    EXPECT_EQ(RiffU32(b, avi.pIdx1->DataOffset() + 16 + 4), 0x100u);
    const RiffChunk* pStrl = avi.pHdrl->Find("LIST", "strl");
    EXPECT_EQ(RiffU32(b, pStrl->Find("strh")->DataOffset() + 8), 0x10000u);
    EXPECT_EQ(RiffU32(b, avi.pHdrl->Find("avih")->DataOffset() + 16), 2u);  // frames only
}

TEST(AviWriter, FileOutputHoldsTheSameBytesAsMemory)
{
    const std::string strPath = ::testing::TempDir() + "avi_writer_test.avi";
    QRVMemoryOutput memory;
    QRVFileOutput file;
    ASSERT_TRUE(file.Open(strPath));
    for (QRVOutput* pOut : {static_cast<QRVOutput*>(&memory), static_cast<QRVOutput*>(&file)}) {
        QRVAviWriter writer;
        ASSERT_TRUE(writer.Open(*pOut, VideoFormat(32), nullptr));
        ASSERT_TRUE(writer.WriteVideo(Bytes(123, 9), true));
        ASSERT_TRUE(writer.Close());
    }
    ASSERT_TRUE(file.Finish());
    std::FILE* p = std::fopen(strPath.c_str(), "rb");
    ASSERT_TRUE(p);
    std::vector<uint8_t> bytes(memory.Bytes().size() + 16);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), p));
    std::fclose(p);
    std::remove(strPath.c_str());
    EXPECT_EQ(bytes, memory.Bytes());
}
