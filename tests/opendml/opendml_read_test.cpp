// Reads served by the OpenDML reader's own index: frames and sound come back
// byte for byte across RIFF chunks, buffers limit reads, sound reads cross
// chunk borders, and the key-frame search follows the key-frame bits.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "OdmlTestFiles.h"
#include "QRVAviFile20.h"
#include "QRVSampleMovie.h"

namespace {

constexpr uint64_t ODT_LARGE = ODT_ONE_GIB + 1;
constexpr uint32_t ODT_BLOCK = 2;  // 16-bit mono

// A movie in many small RIFF chunks, each standard index holding at most 7
// entries, with an odd-sized JUNK chunk in the header list.
class OpenDmlRead : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_movie = OdtSampleMovie(90, 10);
        QRVOpenDmlOptions options;
        options.nRiffLimit = 16384;
        options.nSuperIndexSlots = 64;
        options.nStdIndexEntries = 7;
        options.nOddJunk = 13;
        ASSERT_TRUE(OdtWriteMovie(m_file.Path(), m_movie, options, ODT_LARGE));
        ASSERT_EQ(ODML_OK, m_reader.Open(m_file.ReaderPath()));
        for (const std::vector<uint8_t>& chunk : m_movie.sound)
            m_sound.insert(m_sound.end(), chunk.begin(), chunk.end());
    }

    uint32_t VideoStream() const { return static_cast<uint32_t>(m_reader.VideoStreams().at(0)); }
    uint32_t AudioStream() const { return static_cast<uint32_t>(m_reader.AudioStreams().at(0)); }

    CTestFile m_file{"read.avi"};
    OdtMovie m_movie;
    std::vector<uint8_t> m_sound;
    QRVAviFile20 m_reader;
};

}  // namespace

TEST_F(OpenDmlRead, StreamsAreListedByKindInFileOrder)
{
    EXPECT_EQ(2u, m_reader.StreamCount());
    EXPECT_EQ(std::vector<int32_t>{0}, m_reader.VideoStreams());
    EXPECT_EQ(std::vector<int32_t>{1}, m_reader.AudioStreams());
    EXPECT_EQ(90u, m_reader.Stream(0)->m_nEntries);
    EXPECT_EQ(90u, m_reader.Stream(1)->m_nEntries);
}

TEST_F(OpenDmlRead, EveryFrameReadsBackWithItsSize)
{
    for (uint32_t i = 0; i < m_movie.frames.size(); ++i) {
        SCOPED_TRACE(i);
        const std::vector<uint8_t>& want = m_movie.frames[i];
        int32_t nBytes = -1, nSamples = -1;
        // Without a buffer: the size of the frame.
        ASSERT_EQ(ODML_OK, m_reader.ReadDirect(VideoStream(), i, 1, nullptr, 0, &nBytes, &nSamples));
        EXPECT_EQ(static_cast<int32_t>(want.size()), nBytes);
        EXPECT_EQ(1, nSamples);
        std::vector<uint8_t> got(want.size() + 5, 0xEE);
        ASSERT_EQ(ODML_OK, m_reader.ReadDirect(VideoStream(), i, 1, got.data(),
                                               static_cast<int32_t>(got.size()), &nBytes, &nSamples));
        ASSERT_EQ(static_cast<int32_t>(want.size()), nBytes);
        EXPECT_EQ(0, std::memcmp(want.data(), got.data(), want.size()));
        EXPECT_EQ(0xEE, got[want.size()]);
    }
}

TEST_F(OpenDmlRead, VideoReadStopsBeforeAFrameThatDoesNotFit)
{
    int32_t nBytes = -1, nSamples = -1;
    const uint32_t nFrame = 3;  // 112 bytes
    const int32_t nSize = static_cast<int32_t>(m_movie.frames[nFrame].size());
    std::vector<uint8_t> buffer(nSize);
    EXPECT_EQ(ODML_FAIL,
              m_reader.ReadDirect(VideoStream(), nFrame, 1, buffer.data(), nSize - 1, &nBytes, &nSamples));
    EXPECT_EQ(0, nBytes);
    EXPECT_EQ(0, nSamples);
    // Several frames: as many whole frames as the buffer holds.
    const int32_t nTwo = nSize + static_cast<int32_t>(m_movie.frames[nFrame + 1].size());
    buffer.resize(nTwo + 10);
    EXPECT_EQ(ODML_OK,
              m_reader.ReadDirect(VideoStream(), nFrame, 5, buffer.data(), nTwo + 1, &nBytes, &nSamples));
    EXPECT_EQ(2, nSamples);
    EXPECT_EQ(nTwo, nBytes);
    EXPECT_EQ(0, std::memcmp(m_movie.frames[nFrame + 1].data(), buffer.data() + nSize,
                             m_movie.frames[nFrame + 1].size()));
}

TEST_F(OpenDmlRead, SoundReadStartingInsideAChunkRunsOnIntoTheNext)
{
    // Sample 150 lies inside the second chunk (the first holds 100 blocks).
    const uint32_t nFirst = 150;
    const uint32_t nCount = 400;
    std::vector<uint8_t> buffer(nCount * ODT_BLOCK + 8, 0xEE);
    int32_t nBytes = -1, nSamples = -1;
    ASSERT_EQ(ODML_OK, m_reader.ReadDirect(AudioStream(), nFirst, nCount, buffer.data(),
                                           static_cast<int32_t>(buffer.size()), &nBytes, &nSamples));
    EXPECT_EQ(static_cast<int32_t>(nCount), nSamples);
    EXPECT_EQ(static_cast<int32_t>(nCount * ODT_BLOCK), nBytes);
    EXPECT_EQ(0, std::memcmp(m_sound.data() + nFirst * ODT_BLOCK, buffer.data(), nCount * ODT_BLOCK));
    EXPECT_EQ(0xEE, buffer[nCount * ODT_BLOCK]);
}

TEST_F(OpenDmlRead, WholeSoundTrackReadsBackInBufferSizedPieces)
{
    // The buffer, not the count, limits each read, as the sound player asks.
    std::vector<uint8_t> got;
    std::vector<uint8_t> buffer(999);  // odd: the last byte never holds a whole block
    int32_t nCursor = 0;
    for (;;) {
        int32_t nBytes = 0, nSamples = 0;
        const int32_t nResult =
            m_reader.ReadDirect(AudioStream(), nCursor, 999, buffer.data(), 999, &nBytes, &nSamples);
        if (nResult != ODML_OK)
            break;
        ASSERT_LE(nBytes, 998);
        got.insert(got.end(), buffer.begin(), buffer.begin() + nBytes);
        nCursor += nSamples;
    }
    EXPECT_EQ(m_sound, got);
}

TEST_F(OpenDmlRead, SoundCountWithoutBufferComesFromTheStreamLength)
{
    const int32_t nTotal = static_cast<int32_t>(m_sound.size() / ODT_BLOCK);
    int32_t nBytes = -1, nSamples = -1;
    ASSERT_EQ(ODML_OK, m_reader.ReadDirect(AudioStream(), 10, 1000000, nullptr, 0, &nBytes, &nSamples));
    EXPECT_EQ(nTotal - 10, nSamples);
    EXPECT_EQ((nTotal - 10) * 2, nBytes);
    EXPECT_EQ(ODML_FAIL, m_reader.ReadDirect(AudioStream(), nTotal, 5, nullptr, 0, &nBytes, &nSamples));
    EXPECT_EQ(0, nSamples);
}

TEST_F(OpenDmlRead, ConvenientReadIsLimitedByTheSuggestedBufferSize)
{
    // The largest sound chunk is the suggested buffer size.
    uint32_t nLargest = 0;
    for (const auto& chunk : m_movie.sound)
        nLargest = std::max<uint32_t>(nLargest, static_cast<uint32_t>(chunk.size()));
    std::vector<uint8_t> buffer(m_sound.size());
    int32_t nBytes = -1, nSamples = -1;
    ASSERT_EQ(ODML_OK, m_reader.ReadDirect(AudioStream(), 0, -1, buffer.data(),
                                           static_cast<int32_t>(buffer.size()), &nBytes, &nSamples));
    EXPECT_EQ(static_cast<int32_t>(nLargest), nBytes);
    EXPECT_EQ(0, std::memcmp(m_sound.data(), buffer.data(), nLargest));
}

TEST_F(OpenDmlRead, KeyFrameSearchFindsTheKeyFrameAtOrBefore)
{
    // Key frames every 10 frames.
    const struct {
        int32_t nFrame;
        int32_t nKey;
    } cases[] = {{0, 0},   {1, 0},   {9, 0},        {10, 10},        {11, 10}, {59, 50},
                 {89, 80}, {90, 80}, {1000000, 80}, {INT32_MAX, 80}, {-1, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nFrame);
        EXPECT_EQ(c.nKey, m_reader.FindKeyFrameDirect(0, c.nFrame));
    }
    EXPECT_EQ(-1, m_reader.FindKeyFrameDirect(1, 5));  // only one video stream
}

TEST_F(OpenDmlRead, RequestsOutsideTheTablesFailWithoutTouchingThem)
{
    std::vector<uint8_t> buffer(4096);
    int32_t nBytes = -1, nSamples = -1;
    const struct {
        uint32_t nStream;
        int32_t nFirst;
        int32_t nCount;
    } cases[] = {
        {0, 90, 1}, {0, INT32_MAX, INT32_MAX}, {0, -1, 1}, {0, 0, 0}, {1, INT32_MAX, 10}, {1, 0, 0},
        {2, 0, 1},  {UINT32_MAX, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nStream << " " << c.nFirst << " " << c.nCount);
        EXPECT_EQ(ODML_FAIL, m_reader.ReadDirect(c.nStream, c.nFirst, c.nCount, buffer.data(), 4096, &nBytes,
                                                 &nSamples));
        EXPECT_EQ(0, nBytes);
        EXPECT_EQ(0, nSamples);
    }
    // A count running past the table reads what is there.
    ASSERT_EQ(ODML_OK, m_reader.ReadDirect(0, 89, INT32_MAX, buffer.data(), 4096, &nBytes, &nSamples));
    EXPECT_EQ(1, nSamples);
}

TEST(OpenDmlReadState, NothingIsServedBeforeOpen)
{
    QRVAviFile20 reader;
    uint8_t buffer[16];
    int32_t nBytes = -1, nSamples = -1;
    EXPECT_EQ(ODML_FAIL, reader.ReadDirect(0, 0, 1, buffer, 16, &nBytes, &nSamples));
    EXPECT_EQ(0, nBytes);
    EXPECT_EQ(0, nSamples);
    EXPECT_EQ(-1, reader.FindKeyFrameDirect(0, 0));
}

TEST(OpenDmlReadState, FramesOfASparseMovieOverOneGibSpanSeveralRiffChunks)
{
    // Three frames of 400 MB stored as gaps between small real frames: the
    // writer starts RIFF 'AVIX' chunks at 1 GiB and the file costs little disk.
    CTestFile file("sparse.avi");
    QRVFileOutput out;
    ASSERT_TRUE(out.Open(file.Path()));
    QRVVideoStreamFormat video;
    video.nWidth = 32;
    video.nHeight = 32;
    QRVOpenDmlWriter writer;
    ASSERT_TRUE(writer.Open(out, video, nullptr));
    std::vector<std::vector<uint8_t>> small;
    const uint32_t nHole = 400u << 20;
    const uint8_t head[4] = {1, 2, 3, 4};
    for (uint32_t i = 0; i < 8; ++i) {
        small.push_back(OdtBytes(51 + i, i));
        ASSERT_TRUE(writer.WriteVideo(small.back(), i % 2 == 0));
        if (i % 2 == 1 && i < 7) {
            ASSERT_TRUE(writer.WriteVideoSparse(head, sizeof head, nHole, false));
        }
    }
    ASSERT_TRUE(writer.Close());
    ASSERT_TRUE(out.Finish());
    EXPECT_GE(writer.RiffChunks(), 2u);
    EXPECT_GT(writer.FileSize(), ODT_ONE_GIB);

    QRVAviFile20 reader;
    ASSERT_EQ(ODML_OK, reader.Open(file.ReaderPath()));
    ASSERT_EQ(11u, reader.Stream(0)->m_nEntries);
    uint32_t nSmall = 0;
    for (int32_t f = 0; f < 11; ++f) {
        SCOPED_TRACE(f);
        int32_t nBytes = 0, nSamples = 0;
        ASSERT_EQ(ODML_OK, reader.ReadDirect(0, f, 1, nullptr, 0, &nBytes, &nSamples));
        if (nBytes == static_cast<int32_t>(nHole)) {
            // Each gap follows a key frame and a delta frame.
            EXPECT_EQ(f - 2, reader.FindKeyFrameDirect(0, f));
            continue;
        }
        std::vector<uint8_t> got(nBytes);
        ASSERT_EQ(ODML_OK, reader.ReadDirect(0, f, 1, got.data(), nBytes, &nBytes, &nSamples));
        EXPECT_EQ(small.at(nSmall), got);
        ++nSmall;
    }
    EXPECT_EQ(8u, nSmall);
#ifndef _WIN32
    struct stat st {};
    ASSERT_EQ(0, stat(file.Path().c_str(), &st));
    EXPECT_LT(static_cast<uint64_t>(st.st_blocks) * 512u, 16u << 20) << "the gaps take disk space";
#endif
}

TEST(OpenDmlReadState, FramesPastFourGibAreFoundByTheirSixtyFourBitOffsets)
{
    // Five frames of 1000 MiB stored as gaps make a file over 4 GiB of five RIFF
    // chunks; the small frames after each gap must come back exactly.
    CTestFile file("fourgib.avi");
    QRVFileOutput out;
    ASSERT_TRUE(out.Open(file.Path()));
    QRVVideoStreamFormat video;
    video.nWidth = 16;
    video.nHeight = 16;
    const QRVAudioStreamFormat audio = OdtAudioFormat();
    QRVOpenDmlWriter writer;
    ASSERT_TRUE(writer.Open(out, video, &audio));
    std::vector<std::vector<uint8_t>> small;
    std::vector<uint8_t> sound;
    const uint32_t nGap = 1000u << 20;
    for (uint32_t i = 0; i < 6; ++i) {
        small.push_back(OdtBytes(77 + i, 40 + i));
        const std::vector<uint8_t> piece = OdtBytes(2 * (60 + i), 90 + i);
        sound.insert(sound.end(), piece.begin(), piece.end());
        ASSERT_TRUE(writer.WriteAudio(piece));
        ASSERT_TRUE(writer.WriteVideo(small.back(), true));
        if (i < 5) {
            ASSERT_TRUE(writer.WriteVideoSparse(nullptr, 0, nGap, false));
        }
    }
    ASSERT_TRUE(writer.Close());
    ASSERT_TRUE(out.Finish());
    EXPECT_EQ(5u, writer.RiffChunks());
    EXPECT_GT(writer.FileSize(), 4 * ODT_ONE_GIB);

    QRVAviFile20 reader;
    ASSERT_EQ(ODML_OK, reader.Open(file.ReaderPath()));
    ASSERT_EQ(11u, reader.Stream(0)->m_nEntries);
    EXPECT_GT(reader.Stream(0)->m_pEntries[10].nOffset, 4 * ODT_ONE_GIB);
    for (int32_t i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        std::vector<uint8_t> got(small[i].size());
        int32_t nBytes = 0, nSamples = 0;
        ASSERT_EQ(ODML_OK, reader.ReadDirect(0, 2 * i, 1, got.data(), static_cast<int32_t>(got.size()),
                                             &nBytes, &nSamples));
        EXPECT_EQ(small[i], got);
        EXPECT_EQ(2 * i, reader.FindKeyFrameDirect(0, 2 * i + 1));
    }
    std::vector<uint8_t> gotSound(sound.size() + 2);
    int32_t nBytes = 0, nSamples = 0;
    ASSERT_EQ(ODML_OK, reader.ReadDirect(1, 0, 100000, gotSound.data(), static_cast<int32_t>(gotSound.size()),
                                         &nBytes, &nSamples));
    gotSound.resize(nBytes);
    EXPECT_EQ(sound, gotSound);
#ifndef _WIN32
    struct stat st {};
    ASSERT_EQ(0, stat(file.Path().c_str(), &st));
    EXPECT_LT(static_cast<uint64_t>(st.st_blocks) * 512u, 16u << 20) << "the gaps take disk space";
#endif
}

TEST(OpenDmlReadState, SampleMovieWithFillerIsReadLikeItsClassicForm)
{
    // The same scene written classic (in memory) and as OpenDML with a
    // 400 MiB gap after each second: the frames and key frames agree.
    QRVMovieSettings settings;
    settings.nWidth = 80;
    settings.nHeight = 60;
    settings.nFps = 5;
    settings.fSeconds = 3;
    settings.nKeyEvery = 4;
    settings.strScene = "bars";
    QRVMemoryOutput classic;
    std::string strError;
    ASSERT_TRUE(QRVWriteMovie(settings, classic, strError)) << strError;

    CTestFile file("filler.avi");
    settings.bOpenDml = true;
    settings.nFillerMiB = 400;
    settings.strOutput = file.Path();
    ASSERT_TRUE(QRVWriteMovieFile(settings, strError)) << strError;

    QRVAviFile20 reader;
    ASSERT_EQ(ODML_OK, reader.Open(file.ReaderPath()));
    ASSERT_EQ(15u, reader.Stream(0)->m_nEntries);
    // Frames of the classic file, found through its "idx1" (16-byte entries
    // after the last 8-byte head; offsets from the "movi" type).
    const std::vector<uint8_t>& b = classic.Bytes();
    auto get32 = [&](size_t n) { return QRVOpenDml::Get32(b.data() + n); };
    size_t nIdx1 = b.size();
    for (size_t n = 12; n + 8 <= b.size(); n += 8 + ((get32(n + 4) + 1) & ~1u)) {
        if (get32(n) == QRVOpenDml::FourCC("LIST") && get32(n + 8) == QRVOpenDml::FourCC("hdrl"))
            continue;
        if (get32(n) == QRVOpenDml::FourCC("idx1"))
            nIdx1 = n;
    }
    ASSERT_LT(nIdx1, b.size());
    size_t nMovi = 0;
    for (size_t n = 12; n + 12 <= b.size(); n += 8 + ((get32(n + 4) + 1) & ~1u))
        if (get32(n) == QRVOpenDml::FourCC("LIST") && get32(n + 8) == QRVOpenDml::FourCC("movi"))
            nMovi = n + 8;
    int32_t nFrame = 0;
    for (size_t e = nIdx1 + 8; e + 16 <= nIdx1 + 8 + get32(nIdx1 + 4); e += 16) {
        if (get32(e) != QRVOpenDml::FourCC("00dc"))
            continue;
        SCOPED_TRACE(nFrame);
        const std::vector<uint8_t> want(b.begin() + nMovi + get32(e + 8) + 8,
                                        b.begin() + nMovi + get32(e + 8) + 8 + get32(e + 12));
        std::vector<uint8_t> got(want.size() + 1);
        int32_t nBytes = 0, nSamples = 0;
        if (want.empty()) {
            EXPECT_EQ(ODML_OK, reader.ReadDirect(0, nFrame, 1, nullptr, 0, &nBytes, &nSamples));
        } else {
            ASSERT_EQ(ODML_OK, reader.ReadDirect(0, nFrame, 1, got.data(), static_cast<int32_t>(got.size()),
                                                 &nBytes, &nSamples));
        }
        got.resize(nBytes);
        EXPECT_EQ(want, got);
        const bool bKey = (get32(e + 4) & 0x10u) != 0;
        EXPECT_EQ(bKey, reader.FindKeyFrameDirect(0, nFrame) == nFrame);
        ++nFrame;
    }
    EXPECT_EQ(15, nFrame);
}
