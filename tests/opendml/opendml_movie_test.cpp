// The lenient open of any AVI movie. A classic movie from the movie writer is
// laid out again (junk, "rec " lists, "ix00" chunks, either "idx1" form) and
// damaged the ways recordings get damaged: cut off anywhere, the legacy
// index lost, sizes and counts never written, chunk heads broken. Every case
// must read back each complete chunk byte for byte, the sound up to the cut,
// and the key frames the reader can know. Also: a sparse OpenDML movie over
// 1 GiB cut in its third RIFF chunk, palette changes, files with no streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "OdmlTestFiles.h"
#include "QRVAviFile20.h"
#include "QRVAviWriter.h"

namespace {

using QRVOpenDml::FourCC;
using QRVOpenDml::Get32;

constexpr uint32_t OMT_FRAMES = 40;
constexpr uint32_t OMT_KEY_EVERY = 6;
constexpr uint32_t OMT_BLOCK = 2;  // 16-bit mono
constexpr uint32_t OMT_BROKEN_FRAME = 15;

// The table's movie: empty frames and an empty sound chunk among the others.
OdtMovie OmtMovie()
{
    OdtMovie movie = OdtSampleMovie(OMT_FRAMES, OMT_KEY_EVERY);
    movie.frames[7].clear();
    movie.frames[19].clear();
    movie.sound[9].clear();
    return movie;
}

// Damage of a laid-out movie: fields rewritten, then a cut.
enum OmtField {
    OMT_RIFF_SIZE,
    OMT_MOVI_SIZE,
    OMT_COUNTS,        // frame and stream counts of "avih", lengths of "strh"
    OMT_IDX1_SHIFTED,  // every "idx1" offset moved by the value
    OMT_REC_SIZES,
    OMT_BROKEN_ID,  // of frame OMT_BROKEN_FRAME
    OMT_BROKEN_SIZE,
};
enum OmtCut { OMT_WHOLE, OMT_FRAME_HEAD, OMT_FRAME_DATA, OMT_SOUND_DATA, OMT_IN_IDX1, OMT_AFTER_HEADER };

using OmtFields = std::vector<std::pair<OmtField, uint32_t>>;

struct OmtCase {
    const char* pszName;
    OdtLayout layout;
    OmtFields fields;
    OmtCut eCut;
    uint32_t nCut;  // the frame, sound chunk or "idx1" entry cut into
    QRVAviFile20::IndexSource eSource;
};

// Damages the file; the length up to which its chunks can be found.
uint64_t OmtDamage(OdtClassicFile& file, const OmtCase& c)
{
    std::vector<uint8_t>& b = file.bytes;
    const size_t nHeaderEnd = file.nMovi + 12;
    uint64_t nEnd = b.size();
    for (const auto& field : c.fields) {
        const uint32_t nValue = field.second;
        const uint64_t nBroken = file.Nth(ODT_VIDEO, OMT_BROKEN_FRAME).nData - 8;
        switch (field.first) {
        case OMT_RIFF_SIZE:
            OdtSet32(b, 4, nValue);
            break;
        case OMT_MOVI_SIZE:
            OdtSet32(b, file.nMovi + 4, nValue);
            break;
        case OMT_COUNTS:
            OdtSet32(b, OdtFind(b, "avih") + 8 + 16, 0);
            OdtSet32(b, OdtFind(b, "avih") + 8 + 24, 0);
            for (size_t n = OdtFind(b, "strh"); n < nHeaderEnd; n = OdtFind(b, "strh", n + 4))
                OdtSet32(b, n + 8 + 32, 0);
            break;
        case OMT_IDX1_SHIFTED:
            for (size_t n = file.nIdx1 + 8; n + 16 <= b.size(); n += 16)
                OdtSet32(b, n + 8, Get32(&b[n + 8]) + nValue);
            for (OdtChunk& chunk : file.chunks)
                chunk.nKeyKnown = ODT_UNKNOWN;  // the index names no chunk of the file
            break;
        case OMT_REC_SIZES:
            for (uint64_t n : file.recLists)
                OdtSet32(b, n + 4, nValue);
            break;
        case OMT_BROKEN_ID:
        case OMT_BROKEN_SIZE:
            OdtSet32(b, nBroken + (field.first == OMT_BROKEN_ID ? 0 : 4), nValue);
            nEnd = nBroken;
            break;
        }
    }
    const OdtChunk& frame = file.Nth(ODT_VIDEO, c.nCut);
    const OdtChunk& sound = file.Nth(ODT_SOUND, c.nCut);
    const uint64_t nCut = c.eCut == OMT_FRAME_HEAD     ? frame.nData - 3
                          : c.eCut == OMT_FRAME_DATA   ? frame.nData + frame.nSize / 2
                          : c.eCut == OMT_SOUND_DATA   ? sound.nData + 101
                          : c.eCut == OMT_IN_IDX1      ? file.nIdx1 + 8 + 16 * c.nCut + 5
                          : c.eCut == OMT_AFTER_HEADER ? nHeaderEnd
                                                       : b.size();
    b.resize(nCut);
    return std::min(nEnd, nCut);
}

// What the reader must serve: frames, their key flags, the sound bytes.
struct OmtExpected {
    std::vector<bool> keys;
    std::vector<uint8_t> sound;
};

// The chunks complete up to nEnd (a cut sound chunk keeps its whole blocks);
// key flags where known, and the first frame always a key frame.
OmtExpected OmtExpect(const OdtClassicFile& file, const OdtMovie& movie, uint64_t nEnd, bool bAllKeys)
{
    OmtExpected expected;
    uint32_t nSound = 0;
    for (const OdtChunk& chunk : file.chunks) {
        if (chunk.nData > nEnd)
            break;
        const bool bWhole = chunk.nData + chunk.nSize <= nEnd;
        if (chunk.nId == ODT_VIDEO) {
            if (!bWhole)
                break;
            const bool bKnown = bAllKeys || chunk.nKeyKnown <= nEnd;
            expected.keys.push_back(expected.keys.empty() || (bKnown && chunk.bKey));
        } else if (chunk.nId == ODT_SOUND) {
            const std::vector<uint8_t>& sound = movie.sound[nSound++];
            const size_t nKept = bWhole ? sound.size() : (nEnd - chunk.nData) / OMT_BLOCK * OMT_BLOCK;
            expected.sound.insert(expected.sound.end(), sound.begin(), sound.begin() + nKept);
        }
    }
    return expected;
}

// Every frame found reads back byte for byte with the key frame before it,
// no frame more; the sound reads back in one piece.
void OmtExpectServed(QRVAviFile20& reader, const OdtMovie& movie, const OmtExpected& expected)
{
    ASSERT_EQ(1u, reader.VideoStreams().size());
    const uint32_t nVideo = static_cast<uint32_t>(reader.VideoStreams()[0]);
    const int32_t nFrames = static_cast<int32_t>(expected.keys.size());
    EXPECT_EQ(static_cast<uint32_t>(nFrames), reader.Stream(nVideo)->m_nLength);
    EXPECT_EQ(static_cast<uint32_t>(nFrames), reader.Stream(nVideo)->m_nEntries);
    std::vector<int32_t> wrongFrames, wantKeys, gotKeys;
    int32_t nBytes = -1, nSamples = -1;
    for (int32_t f = 0; f < nFrames + 3; ++f) {
        if (f < nFrames) {
            std::vector<uint8_t> got(movie.frames[f].size() + 1);
            const int32_t nResult = reader.ReadDirect(nVideo, f, 1, got.data(),
                                                      static_cast<int32_t>(got.size()), &nBytes, &nSamples);
            got.resize(static_cast<size_t>(std::max(nBytes, 0)));
            if (nResult != ODML_OK || got != movie.frames[f])
                wrongFrames.push_back(f);
        }
        wantKeys.push_back(f < nFrames && expected.keys[f] ? f : wantKeys.empty() ? 0 : wantKeys.back());
        gotKeys.push_back(reader.FindKeyFrameDirect(0, f));
    }
    EXPECT_EQ(std::vector<int32_t>(), wrongFrames);
    EXPECT_EQ(wantKeys, gotKeys);
    EXPECT_EQ(ODML_FAIL, reader.ReadDirect(nVideo, nFrames, 1, nullptr, 0, &nBytes, &nSamples));
    if (!movie.bAudio)
        return;
    ASSERT_EQ(1u, reader.AudioStreams().size());
    const uint32_t nAudio = static_cast<uint32_t>(reader.AudioStreams()[0]);
    EXPECT_EQ(expected.sound.size() / OMT_BLOCK, reader.Stream(nAudio)->m_nLength);
    std::vector<uint8_t> got(expected.sound.size() + 64);
    const int32_t nResult = reader.ReadDirect(nAudio, 0, static_cast<int32_t>(got.size()), got.data(),
                                              static_cast<int32_t>(got.size()), &nBytes, &nSamples);
    EXPECT_EQ(expected.sound.empty() ? ODML_FAIL : ODML_OK, nResult);
    got.resize(static_cast<size_t>(std::max(nBytes, 0)));
    EXPECT_TRUE(expected.sound == got)
        << "sound of " << got.size() << " bytes, not " << expected.sound.size();
}

}  // namespace

TEST(OpenMovie, ClassicMoviesAreIndexedFromWhatIsLeftOfThem)
{
    const OdtMovie movie = OmtMovie();
    const std::vector<uint8_t> written = OdtWriteClassic(movie, OdtVideoFormat(movie));
    // The table's layout repeats the writer's.
    ASSERT_EQ(written, OdtLayOut(written, {}).bytes);

    const OdtLayout plain, bare{ODT_IDX1_NONE}, absolute{ODT_IDX1_ABSOLUTE};
    const OdtLayout grouped{ODT_IDX1_RELATIVE, true, true}, groupedBare{ODT_IDX1_NONE, true, true};
    const OdtLayout indexed{ODT_IDX1_NONE, true, true, 10}, indexedBare{ODT_IDX1_NONE, false, false, 10};
    const uint32_t nTop = 0xFFFFFFFF;
    // RIFF and "movi" sizes covering only the header block, as a recording starts.
    const uint32_t nHeaderOnly = static_cast<uint32_t>(OdtLayOut(written, {}).nMovi + 4);
    const OmtFields recorderStart{{OMT_RIFF_SIZE, nHeaderOnly}, {OMT_MOVI_SIZE, 4}, {OMT_COUNTS, 0}};
    const OmtFields strangeId{{OMT_MOVI_SIZE, 0}, {OMT_BROKEN_ID, FourCC("x!#y")}};
    const auto idx1 = QRVAviFile20::ODML_SOURCE_IDX1;
    const auto walk = QRVAviFile20::ODML_SOURCE_WALK;
    const OmtCase cases[] = {
        {"whole", plain, {}, OMT_WHOLE, 0, idx1},
        {"cut inside a chunk head", plain, {}, OMT_FRAME_HEAD, 20, walk},
        {"cut inside video data", plain, {}, OMT_FRAME_DATA, 21, walk},
        {"cut inside sound data", plain, {}, OMT_SOUND_DATA, 22, walk},
        {"cut inside idx1: its entries still give key frames", plain, {}, OMT_IN_IDX1, 37, walk},
        {"cut right after the header block", plain, {}, OMT_AFTER_HEADER, 0, walk},
        {"idx1 removed", bare, {}, OMT_WHOLE, 0, walk},
        {"header counts zeroed", plain, {{OMT_COUNTS, 0}}, OMT_WHOLE, 0, idx1},
        {"RIFF size 0", plain, {{OMT_RIFF_SIZE, 0}}, OMT_WHOLE, 0, idx1},
        {"RIFF size 0xFFFFFFFF", plain, {{OMT_RIFF_SIZE, nTop}}, OMT_WHOLE, 0, idx1},
        {"RIFF size covering the header block", plain, {{OMT_RIFF_SIZE, nHeaderOnly}}, OMT_WHOLE, 0, idx1},
        {"movi size 0", plain, {{OMT_MOVI_SIZE, 0}}, OMT_WHOLE, 0, idx1},
        {"movi size 0xFFFFFFFF", plain, {{OMT_MOVI_SIZE, nTop}}, OMT_WHOLE, 0, idx1},
        {"movi size 4", plain, {{OMT_MOVI_SIZE, 4}}, OMT_WHOLE, 0, idx1},
        {"movi size 4, cut inside idx1", plain, {{OMT_MOVI_SIZE, 4}}, OMT_IN_IDX1, 37, walk},
        {"recording killed, cut", bare, recorderStart, OMT_FRAME_DATA, 30, walk},
        {"idx1 with absolute offsets", absolute, {}, OMT_WHOLE, 0, idx1},
        {"idx1 naming no chunk of the file", plain, {{OMT_IDX1_SHIFTED, 2}}, OMT_WHOLE, 0, walk},
        {"JUNK and rec lists with idx1", grouped, {}, OMT_WHOLE, 0, idx1},
        {"JUNK and rec lists without idx1", groupedBare, {}, OMT_WHOLE, 0, walk},
        {"rec lists of size 0xFFFFFFFF, cut", groupedBare, {{OMT_REC_SIZES, nTop}}, OMT_SOUND_DATA, 33, walk},
        {"rec lists of size 0", groupedBare, {{OMT_REC_SIZES, 0}}, OMT_WHOLE, 0, walk},
        {"ix00 chunks give the key frames", indexed, {}, OMT_WHOLE, 0, walk},
        {"ix00 chunks, movi size 4, cut", indexedBare, {{OMT_MOVI_SIZE, 4}}, OMT_FRAME_DATA, 33, walk},
        {"frame size 0xFFFFFFFF", bare, {{OMT_BROKEN_SIZE, nTop}}, OMT_WHOLE, 0, walk},
        {"frame size wrapping to its head", bare, {{OMT_BROKEN_SIZE, nTop - 7}}, OMT_WHOLE, 0, walk},
        {"frame id of zeros", bare, {{OMT_BROKEN_ID, 0}}, OMT_WHOLE, 0, walk},
        {"frame id of no stream, open-ended movi", bare, strangeId, OMT_WHOLE, 0, walk},
    };
    QRVAviFile20 reader;  // one for all: nothing of a movie may stay for the next
    for (const OmtCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        OdtClassicFile file = OdtLayOut(written, c.layout);
        const uint64_t nEnd = OmtDamage(file, c);
        CTestFile test("movie.avi");
        ASSERT_TRUE(OdtWriteRaw(test.Path(), file.bytes, 0));
        ASSERT_EQ(ODML_OK, reader.OpenMovie(test.ReaderPath()));
        EXPECT_EQ(c.eSource, reader.GetIndexSource());
        EXPECT_TRUE(reader.IsScreenMovie());
        OmtExpectServed(reader, movie, OmtExpect(file, movie, nEnd, c.eSource == idx1));
    }
}

TEST(OpenMovie, OpenDmlMovieCutInItsThirdRiffChunkIsWalked)
{
    // 200 MiB of filler after every fourth frame and RIFF chunks of at most
    // 448 MiB: the third RIFF chunk lies past 800 MiB.
    OdtMovie movie = OmtMovie();
    movie.nFillerEvery = 4;
    movie.nFillerBytes = 200u << 20;
    QRVOpenDmlOptions options;
    options.bLegacyIndex = false;
    options.nRiffLimit = 448u << 20;
    options.nSuperIndexSlots = 16;
    CTestFile file("cut.avi");
    ASSERT_TRUE(OdtWriteMovie(file.Path(), movie, options));
    std::vector<uint8_t> sound;
    for (const std::vector<uint8_t>& chunk : movie.sound)
        sound.insert(sound.end(), chunk.begin(), chunk.end());

    // Whole, the super indexes serve it, as they serve the strict open.
    QRVAviFile20 whole;
    ASSERT_EQ(ODML_OK, whole.OpenMovie(file.ReaderPath()));
    EXPECT_EQ(QRVAviFile20::ODML_SOURCE_SUPER_INDEX, whole.GetIndexSource());
    EXPECT_TRUE(whole.IsScreenMovie());
    OmtExpectServed(whole, movie, {movie.keys, sound});
    QRVAviFile20 strict;
    ASSERT_EQ(ODML_OK, strict.Open(file.ReaderPath()));
    EXPECT_EQ(OMT_FRAMES, strict.Stream(0)->m_nEntries);

    // The RIFF chunks, from their sizes.
    const uint64_t nLength = std::filesystem::file_size(file.Path());
    std::vector<uint64_t> riffs;
    for (uint64_t n = 0; n + 12 <= nLength;
         n += 8 + ((Get32(OdtReadFile(file.Path(), n + 4, 4).data()) + 1) & ~1u))
        riffs.push_back(n);
    ASSERT_GE(riffs.size(), 4u);
    // The cut: inside the last frame of the third RIFF chunk.
    const QRVAviFile20::StreamRecord& frames = *whole.Stream(0);
    uint32_t nCut = 0;
    for (uint32_t f = 0; f < frames.m_nEntries; ++f) {
        if (frames.m_pEntries[f].nOffset > riffs[2] && frames.m_pEntries[f].nOffset < riffs[3] &&
            movie.frames[f].size() >= 2)
            nCut = f;
    }
    ASSERT_GT(nCut, 0u);
    const uint64_t nCutAt = frames.m_pEntries[nCut].nOffset + movie.frames[nCut].size() / 2;
    EXPECT_GT(nCutAt, ODT_ONE_GIB);
    OmtExpected expected;
    for (uint32_t f = 0; f < nCut; ++f) {
        expected.keys.push_back(f == 0 || (movie.keys[f] && frames.m_pEntries[f].nOffset < riffs[2]));
        expected.sound.insert(expected.sound.end(), movie.sound[f].begin(), movie.sound[f].end());
    }
    expected.sound.insert(expected.sound.end(), movie.sound[nCut].begin(), movie.sound[nCut].end());

    // Super indexes with no entry in use, the third RIFF chunk with the sizes
    // a recorder gives a chunk it starts, and the cut.
    const std::vector<uint8_t> header = OdtReadFile(file.Path(), 0, 8192);
    for (size_t n = OdtFind(header, "indx"); n < header.size(); n = OdtFind(header, "indx", n + 4))
        ASSERT_TRUE(OdtPatchFile(file.Path(), n + 8 + 4, {0, 0, 0, 0}));
    ASSERT_TRUE(OdtPatchFile(file.Path(), riffs[2] + 4, {16, 0, 0, 0}));
    ASSERT_TRUE(OdtPatchFile(file.Path(), riffs[2] + 16, {4, 0, 0, 0}));
    std::filesystem::resize_file(file.Path(), nCutAt);

    QRVAviFile20 reader;
    ASSERT_EQ(ODML_OK, reader.OpenMovie(file.ReaderPath()));
    EXPECT_EQ(QRVAviFile20::ODML_SOURCE_WALK, reader.GetIndexSource());
    OmtExpectServed(reader, movie, expected);
}

TEST(OpenMovie, PaletteChangesGiveTheColoursOfEveryFrame)
{
    OdtMovie movie = OdtSampleMovie(34, 5);
    movie.bAudio = false;
    movie.nCompression = 0;
    QRVVideoStreamFormat video = OdtVideoFormat(movie);
    video.nBitCount = 8;
    for (uint32_t i = 0; i < 256; ++i)
        video.palette.push_back(i * 0x010101u);
    std::vector<uint32_t> wide;
    for (uint32_t i = 0; i < 100; ++i)
        wide.push_back(0x800000u + i * 0x0103u);
    const std::vector<OdtPaletteChange> changes = {
        {12, 10, {0xFF0000, 0x00FF00, 0x0000FF, 0x123456}}, {25, 12, wide}, {30, 0, {0x445566}}};
    const std::vector<uint8_t> written = OdtWriteClassic(movie, video, changes);
    // With "idx1", without, and without with the last change and frames in a
    // RIFF 'AVIX' chunk of the sizes a recorder gives a chunk it starts (its
    // list is walked first, yet counts its frames after the others); last,
    // with an "idx1" that gives the second change a size too short to hold
    // one: that change is passed over.
    for (int nCase = 0; nCase < 4; ++nCase) {
        SCOPED_TRACE(nCase);
        const bool bIdx1 = nCase == 0 || nCase == 3;
        OdtClassicFile file = OdtLayOut(written, {bIdx1 ? ODT_IDX1_RELATIVE : ODT_IDX1_NONE});
        if (nCase == 3) {
            const uint64_t nOffset = file.Nth(FourCC("00pc"), 1).nData - 8 - (file.nMovi + 8);
            for (uint64_t n = file.nIdx1 + 8; n + 16 <= file.bytes.size(); n += 16) {
                if (Get32(&file.bytes[n]) == FourCC("00pc") && Get32(&file.bytes[n + 8]) == nOffset)
                    OdtSet32(file.bytes, n + 12, 2);
            }
        }
        if (nCase == 2) {
            const uint64_t nAt = file.Nth(FourCC("00pc"), 2).nData - 8;
            COdtRiff riff;
            riff.List("RIFF", "AVIX").List("LIST", "movi");
            file.bytes.insert(file.bytes.begin() + nAt, riff.Bytes().begin(), riff.Bytes().end());
            OdtSet32(file.bytes, nAt + 4, 16);
            OdtSet32(file.bytes, nAt + 16, 4);
            OdtSet32(file.bytes, 4, static_cast<uint32_t>(nAt - 8));
            OdtSet32(file.bytes, file.nMovi + 4, static_cast<uint32_t>(nAt - file.nMovi - 8));
            for (OdtChunk& chunk : file.chunks)
                chunk.nData += chunk.nData > nAt ? riff.Size() : 0;
        }
        CTestFile test("palette.avi");
        ASSERT_TRUE(OdtWriteRaw(test.Path(), file.bytes, 0));
        QRVAviFile20 reader;
        ASSERT_EQ(ODML_OK, reader.OpenMovie(test.ReaderPath()));
        EXPECT_EQ(bIdx1 ? QRVAviFile20::ODML_SOURCE_IDX1 : QRVAviFile20::ODML_SOURCE_WALK,
                  reader.GetIndexSource());
        EXPECT_FALSE(reader.IsScreenMovie());
        OmtExpectServed(reader, movie, OmtExpect(file, movie, file.bytes.size(), bIdx1));
        std::vector<uint32_t> colors = video.palette;
        int32_t nChange = 0;
        for (int32_t f = 0; f < 36; ++f) {
            SCOPED_TRACE(f);
            for (const OdtPaletteChange& change : changes) {
                if (static_cast<int32_t>(change.nFrame) != f)
                    continue;
                nChange = f;
                if (nCase == 3 && &change == &changes[1])
                    continue;
                std::copy(change.colors.begin(), change.colors.end(), colors.begin() + change.nFirst);
            }
            EXPECT_EQ(nChange, reader.FindFormatChange(0, f));
            std::vector<uint8_t> format;
            ASSERT_TRUE(reader.ReadFormatAt(0, f, format));
            ASSERT_EQ(40u + 4 * 256, format.size());
            std::vector<uint32_t> got;
            for (size_t n = 40; n < format.size(); n += 4)
                got.push_back(Get32(&format[n]));
            EXPECT_EQ(colors, got);
        }
    }
}

TEST(OpenMovie, FilesWithoutStreamHeadersFailCleanly)
{
    COdtRiff noHeaders;
    noHeaders.List("RIFF", "AVI ").List("LIST", "movi").Chunk("00dc", {1, 2, 3}).End().End();
    const std::vector<uint8_t> cases[] = {
        {},
        {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '},
        {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '},
        {'R', 'I', 'F', 'F', 0xFF, 0xFF, 0xFF, 0xFF, 'A', 'V', 'I', ' '},
        {'R', 'I', 'F', 'F', 0xFF, 0xFF, 0xFF, 0xFF},
        noHeaders.Bytes(),
    };
    for (const std::vector<uint8_t>& bytes : cases) {
        SCOPED_TRACE(bytes.size());
        CTestFile file("empty.avi");
        ASSERT_TRUE(OdtWriteRaw(file.Path(), bytes, 0));
        QRVAviFile20 reader;
        EXPECT_EQ(ODML_FAIL, reader.OpenMovie(file.ReaderPath()));
        EXPECT_FALSE(reader.IsIndexed());
        EXPECT_EQ(QRVAviFile20::ODML_SOURCE_NONE, reader.GetIndexSource());
        EXPECT_EQ(0u, reader.StreamCount());
        EXPECT_FALSE(reader.IsScreenMovie());
    }
}

// Counts the reads of the file.
class COmtCountingReader : public QRVAviFile20 {
public:
    int32_t ReadAt(void* pBuffer, uint64_t nCount, uint64_t nOffset) override
    {
        ++m_nReads;
        return QRVAviFile20::ReadAt(pBuffer, nCount, nOffset);
    }
    uint32_t m_nReads = 0;
};

TEST(OpenMovie, AWalkedIndexIsSharedWithAnotherReaderWhileTheFileIsOpen)
{
    const OdtMovie movie = OmtMovie();
    const OdtClassicFile file = OdtLayOut(OdtWriteClassic(movie, OdtVideoFormat(movie)), {ODT_IDX1_NONE});
    CTestFile test("shared.avi");
    ASSERT_TRUE(OdtWriteRaw(test.Path(), file.bytes, 0));
    QRVAviFile20 first;
    ASSERT_EQ(ODML_OK, first.OpenMovie(test.ReaderPath()));
    ASSERT_EQ(QRVAviFile20::ODML_SOURCE_WALK, first.GetIndexSource());

    COmtCountingReader second;
    ASSERT_EQ(ODML_OK, second.OpenMovie(test.ReaderPath()));
    EXPECT_EQ(0u, second.m_nReads);  // no walk of its own
    ASSERT_EQ(first.StreamCount(), second.StreamCount());
    for (uint32_t s = 0; s < first.StreamCount(); ++s) {
        const QRVAviFile20::StreamRecord& a = *first.Stream(s);
        const QRVAviFile20::StreamRecord& b = *second.Stream(s);
        ASSERT_EQ(a.m_nEntries, b.m_nEntries);
        EXPECT_EQ(a.m_nLength, b.m_nLength);
        EXPECT_EQ(a.m_format, b.m_format);
        for (uint32_t e = 0; e < a.m_nEntries; ++e) {
            EXPECT_EQ(a.m_pEntries[e].nOffset, b.m_pEntries[e].nOffset);
            EXPECT_EQ(a.m_pEntries[e].nSize, b.m_pEntries[e].nSize);
        }
    }
    // Once no reader holds the file, the next open walks it again.
    first.Reset();
    second.Reset();
    COmtCountingReader third;
    ASSERT_EQ(ODML_OK, third.OpenMovie(test.ReaderPath()));
    EXPECT_GT(third.m_nReads, 0u);
}
