// The writer's OpenDML form: RIFF 'AVI ' then 'AVIX' chunks, every chunk
// inside its parent; each stream's super index points at the standard
// indexes, whose entries point at the chunks with their sizes and key-frame
// bits; the legacy index covers exactly the first RIFF chunk.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "QRVOpenDmlWriter.h"
#include "QRVOutput.h"
#include "RiffWalker.h"

namespace {

uint64_t RiffU64(const std::vector<uint8_t>& b, size_t n)
{
    return RiffU32(b, n) | static_cast<uint64_t>(RiffU32(b, n + 4)) << 32;
}

struct Chunk {
    std::string strId;
    std::vector<uint8_t> data;
    bool bKey;
};

struct Written {
    std::vector<uint8_t> bytes;
    std::vector<Chunk> chunks;  // in write order
    uint32_t nRiffs = 0;
};

::testing::AssertionResult Write(const QRVOpenDmlOptions& options, uint32_t nFrames, Written& w)
{
    QRVMemoryOutput out;
    QRVVideoStreamFormat video;
    video.nWidth = 40;
    video.nHeight = 30;
    QRVAudioStreamFormat audio;
    audio.nChannels = 2;
    audio.nBitsPerSample = 8;
    QRVOpenDmlWriter writer;
    if (!writer.Open(out, video, &audio, options))
        return ::testing::AssertionFailure() << writer.LastError();
    for (uint32_t i = 0; i < nFrames; ++i) {
        std::vector<uint8_t> sound(2 * (30 + i % 17), static_cast<uint8_t>(i));
        std::vector<uint8_t> frame(1 + (i * 53) % 700, static_cast<uint8_t>(i * 3));
        const bool bKey = i % 5 == 0;
        if (!writer.WriteAudio(sound) || !writer.WriteVideo(frame, bKey))
            return ::testing::AssertionFailure() << writer.LastError();
        w.chunks.push_back({"01wb", sound, true});
        w.chunks.push_back({"00dc", frame, bKey});
    }
    if (!writer.Close())
        return ::testing::AssertionFailure() << writer.LastError();
    w.bytes = out.Bytes();
    w.nRiffs = writer.RiffChunks();
    if (writer.FileSize() != w.bytes.size())
        return ::testing::AssertionFailure() << "file size";
    return ::testing::AssertionSuccess();
}

// Chunks named by the standard indexes of one stream, through its super index.
std::vector<Chunk> ChunksByIndex(const Written& w, const RiffChunk& indx, const char* pszId,
                                 uint32_t& nDuration)
{
    std::vector<Chunk> out;
    const std::vector<uint8_t>& b = w.bytes;
    const size_t n = indx.DataOffset();
    EXPECT_EQ(4u, RiffU16(b, n));
    EXPECT_EQ(0u, b[n + 2]);
    EXPECT_EQ(0u, b[n + 3]);
    const uint32_t nInUse = RiffU32(b, n + 4);
    nDuration = 0;
    for (uint32_t s = 0; s < nInUse; ++s) {
        const size_t e = n + 24 + 16 * s;
        const uint64_t nIx = RiffU64(b, e);
        EXPECT_EQ(pszId[0], b[nIx + 2]) << "ix" << pszId;
        EXPECT_EQ(RiffU32(b, e + 8), RiffU32(b, nIx + 4) + 8u);
        nDuration += RiffU32(b, e + 12);
        const uint32_t nEntries = RiffU32(b, nIx + 12);
        const uint64_t nBase = RiffU64(b, nIx + 20);
        EXPECT_EQ(1u, b[nIx + 11]);  // index of chunks
        for (uint32_t k = 0; k < nEntries; ++k) {
            const uint64_t nData = nBase + RiffU32(b, nIx + 32 + 8 * k);
            const uint32_t nSize = RiffU32(b, nIx + 36 + 8 * k);
            Chunk c;
            c.strId.assign(reinterpret_cast<const char*>(&b[nData - 8]), 4);
            EXPECT_EQ(nSize & 0x7FFFFFFFu, RiffU32(b, nData - 4));
            c.data.assign(b.begin() + nData, b.begin() + nData + (nSize & 0x7FFFFFFFu));
            c.bKey = (nSize & 0x80000000u) == 0;
            out.push_back(c);
        }
    }
    return out;
}

std::vector<Chunk> Only(const std::vector<Chunk>& all, const std::string& strId)
{
    std::vector<Chunk> out;
    for (const Chunk& c : all)
        if (c.strId == strId)
            out.push_back(c);
    return out;
}

bool Same(const std::vector<Chunk>& a, const std::vector<Chunk>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].strId != b[i].strId || a[i].data != b[i].data || a[i].bKey != b[i].bKey)
            return false;
    return true;
}

}  // namespace

TEST(OpenDmlWriter, RiffChunksParseBackAndIndexesPointAtEveryChunk)
{
    for (uint32_t nPer : {0u, 3u}) {
        SCOPED_TRACE(nPer);
        QRVOpenDmlOptions options;
        options.nRiffLimit = 20000;
        options.nStdIndexEntries = nPer;
        options.nSuperIndexSlots = 100;
        Written w;
        ASSERT_TRUE(Write(options, 150, w));
        std::vector<RiffChunk> top;
        std::string strError;
        ASSERT_TRUE(ParseRiffChildren(w.bytes, 0, w.bytes.size(), top, strError)) << strError;
        ASSERT_GE(top.size(), 3u);
        EXPECT_EQ(w.nRiffs, top.size());
        EXPECT_EQ("AVI ", top[0].strType);
        for (size_t r = 1; r < top.size(); ++r) {
            EXPECT_EQ("RIFF", top[r].strId);
            EXPECT_EQ("AVIX", top[r].strType);
            ASSERT_NE(nullptr, top[r].Find("LIST", "movi"));
            EXPECT_EQ(nullptr, top[r].Find("idx1"));
            EXPECT_LE(top[r].nSize + 8u, options.nRiffLimit);
        }
        const RiffChunk* pHdrl = top[0].Find("LIST", "hdrl");
        ASSERT_NE(nullptr, pHdrl);
        ASSERT_NE(nullptr, pHdrl->Find("LIST", "odml"));
        const RiffChunk* pDmlh = pHdrl->Find("LIST", "odml")->Find("dmlh");
        ASSERT_NE(nullptr, pDmlh);
        EXPECT_EQ(150u, RiffU32(w.bytes, pDmlh->DataOffset()));

        std::vector<const RiffChunk*> strl;
        for (const RiffChunk& c : pHdrl->children)
            if (c.strType == "strl")
                strl.push_back(&c);
        ASSERT_EQ(2u, strl.size());
        uint32_t nDuration = 0;
        ASSERT_NE(nullptr, strl[0]->Find("indx"));
        EXPECT_TRUE(
            Same(Only(w.chunks, "00dc"), ChunksByIndex(w, *strl[0]->Find("indx"), "00dc", nDuration)));
        EXPECT_EQ(150u, nDuration);
        ASSERT_NE(nullptr, strl[1]->Find("indx"));
        EXPECT_TRUE(
            Same(Only(w.chunks, "01wb"), ChunksByIndex(w, *strl[1]->Find("indx"), "01wb", nDuration)));

        // The legacy index covers the chunks of the first RIFF chunk only.
        const RiffChunk* pIdx1 = top[0].Find("idx1");
        const RiffChunk* pMovi = top[0].Find("LIST", "movi");
        ASSERT_NE(nullptr, pIdx1);
        size_t nInFirst = 0;
        for (const RiffChunk& c : pMovi->children)
            if (c.strId == "00dc" || c.strId == "01wb")
                ++nInFirst;
        EXPECT_GT(nInFirst, 0u);
        EXPECT_LT(nInFirst, w.chunks.size());
        ASSERT_EQ(nInFirst * 16, pIdx1->nSize);
        for (size_t i = 0; i < nInFirst; ++i) {
            const size_t e = pIdx1->DataOffset() + 16 * i;
            const size_t nChunk = pMovi->DataOffset() - 4 + RiffU32(w.bytes, e + 8);
            EXPECT_EQ(RiffU32(w.bytes, e), RiffU32(w.bytes, nChunk));
            EXPECT_EQ(w.chunks[i].data.size(), RiffU32(w.bytes, e + 12));
            EXPECT_EQ(w.chunks[i].bKey ? 0x10u : 0u, RiffU32(w.bytes, e + 4));
        }
    }
}

TEST(OpenDmlWriter, OptionsWriteTheFaultsTestsNeed)
{
    QRVOpenDmlOptions options;
    options.bLegacyIndex = false;
    options.nStreamCount = 1001;
    options.nLongsPerEntry = 3;
    options.nIndexSubType = 7;
    options.nIndexType = 1;
    options.nOddJunk = 5;
    Written w;
    ASSERT_TRUE(Write(options, 10, w));
    std::vector<RiffChunk> top;
    std::string strError;
    ASSERT_TRUE(ParseRiffChildren(w.bytes, 0, w.bytes.size(), top, strError)) << strError;
    EXPECT_EQ(nullptr, top[0].Find("idx1"));
    const RiffChunk* pHdrl = top[0].Find("LIST", "hdrl");
    const RiffChunk* pAvih = pHdrl->Find("avih");
    EXPECT_EQ(1001u, RiffU32(w.bytes, pAvih->DataOffset() + 24));
    EXPECT_EQ(0u, RiffU32(w.bytes, pAvih->DataOffset() + 12) & 0x10u);  // no HASINDEX
    const RiffChunk* pJunk = pHdrl->Find("JUNK");
    ASSERT_NE(nullptr, pJunk);
    EXPECT_EQ(5u, pJunk->nSize);
    const RiffChunk* pIndx = pHdrl->Find("LIST", "strl")->Find("indx");
    ASSERT_NE(nullptr, pIndx);
    EXPECT_EQ(3u, RiffU16(w.bytes, pIndx->DataOffset()));
    EXPECT_EQ(7u, w.bytes[pIndx->DataOffset() + 2]);
    EXPECT_EQ(1u, w.bytes[pIndx->DataOffset() + 3]);

    QRVOpenDmlOptions none;
    none.bSuperIndex = false;
    Written w2;
    ASSERT_TRUE(Write(none, 10, w2));
    top.clear();
    ASSERT_TRUE(ParseRiffChildren(w2.bytes, 0, w2.bytes.size(), top, strError)) << strError;
    EXPECT_EQ(nullptr, top[0].Find("LIST", "hdrl")->Find("LIST", "strl")->Find("indx"));
}

TEST(OpenDmlWriter, RefusesWhatItCannotWrite)
{
    QRVMemoryOutput out;
    QRVVideoStreamFormat video;
    video.nWidth = 8;
    video.nHeight = 8;
    QRVOpenDmlOptions options;
    options.nSuperIndexSlots = 1;
    options.nRiffLimit = 8192;
    QRVOpenDmlWriter writer;
    ASSERT_TRUE(writer.Open(out, video, nullptr, options));
    EXPECT_FALSE(writer.WriteAudio(std::vector<uint8_t>(4)));           // no sound stream
    EXPECT_FALSE(writer.WriteVideoSparse(nullptr, 4, 4, true));         // head without data
    EXPECT_FALSE(writer.WriteVideo(std::vector<uint8_t>(9000), true));  // larger than a RIFF chunk
    // A second RIFF chunk needs a second super-index slot.
    bool bOk = true;
    for (int i = 0; i < 20 && bOk; ++i)
        bOk = writer.WriteVideo(std::vector<uint8_t>(1000), true);
    EXPECT_FALSE(bOk);
    EXPECT_EQ("super index full: raise the slot count", writer.LastError());
}

TEST(OpenDmlWriter, FillerStaysOutOfTheIndexesAndAGapAtTheEndKeepsTheLength)
{
    QRVMemoryOutput out;
    QRVVideoStreamFormat video;
    video.nWidth = 8;
    video.nHeight = 8;
    QRVOpenDmlOptions options;
    options.nRiffLimit = 8192;
    QRVOpenDmlWriter writer;
    ASSERT_TRUE(writer.Open(out, video, nullptr, options));
    const std::vector<uint8_t> frame(100, 7);
    ASSERT_TRUE(writer.WriteVideo(frame, true));
    ASSERT_TRUE(writer.WriteFillerSparse(3001));
    ASSERT_TRUE(writer.WriteVideo(frame, false));
    ASSERT_TRUE(writer.WriteFillerSparse(5000));  // a RIFF chunk of its own, last in the file
    ASSERT_TRUE(writer.Close());
    const std::vector<uint8_t>& b = out.Bytes();
    EXPECT_EQ(writer.FileSize(), b.size());
    std::vector<RiffChunk> top;
    std::string strError;
    ASSERT_TRUE(ParseRiffChildren(b, 0, b.size(), top, strError)) << strError;
    ASSERT_EQ(2u, top.size());
    const RiffChunk* pMovi = top[0].Find("LIST", "movi");
    ASSERT_NE(nullptr, pMovi);
    ASSERT_NE(nullptr, pMovi->Find("JUNK"));
    EXPECT_EQ(3001u, pMovi->Find("JUNK")->nSize);
    ASSERT_NE(nullptr, top[1].Find("LIST", "movi")->Find("JUNK"));
    // The legacy and standard indexes hold the two frames only.
    EXPECT_EQ(2u * 16u, top[0].Find("idx1")->nSize);
    const RiffChunk* pIx = pMovi->Find("ix00");
    ASSERT_NE(nullptr, pIx);
    EXPECT_EQ(2u, RiffU32(b, pIx->DataOffset() + 4));
}
