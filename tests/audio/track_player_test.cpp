// The sound-track player over real movie files: choosing the stream and its
// format, the buffer sizes that the stream's convenient read size leads to,
// a sound-only movie; on the test world's sound server, seeking, the end of
// the sound and the stall detection of the clock; and, run with no sound
// server at all (TrackNoSoundServer.*), that opening fails cleanly.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "QRVAviAudio.h"
#include "TrackMovies.h"
#include "msgbox.h"

namespace {

bool NoSoundServerAsked()
{
    const char* psz = std::getenv("VISTREL_NO_SOUND");
    return psz != nullptr && psz[0] == '1';
}

// The player with a look at where the priming started reading, and at the
// engine's own clock, which leaves the end and stall detection alone.
class CTrackPlayer : public QRVAviAudio {
public:
    ~CTrackPlayer() override { Shutdown(); }

    bool StartBuffers() override
    {
        m_nPrimedFrom = -1;
        m_bPriming = true;
        const bool bResult = QRVAviAudio::StartBuffers();
        m_bPriming = false;
        return bResult;
    }
    bool FillBuffer(WAVEHDR* pHeader) override
    {
        if (m_bPriming && m_nPrimedFrom < 0)
            m_nPrimedFrom = m_nReadCursor.load();
        ++m_nFillCalls;
        return QRVAviAudio::FillBuffer(pHeader);
    }
    int EngineClock() { return QRVAudio::GetPosition(); }

    std::atomic<int> m_nPrimedFrom{-1};
    std::atomic<int> m_nFillCalls{0};

private:
    std::atomic<bool> m_bPriming{false};
};

// Polls the engine's clock until pred(position) holds; false after nMaxMs.
template <typename Pred> bool WaitForEngineClock(CTrackPlayer& player, Pred pred, DWORD nMaxMs = 10000)
{
    const DWORD dwStart = ::GetTickCount();
    while (!pred(player.EngineClock())) {
        if (::GetTickCount() - dwStart > nMaxMs)
            return false;
        ::Sleep(5);
    }
    return true;
}

// Opens a counter movie of nSeconds in the player, as the movie window does.
::testing::AssertionResult OpenCounterMovie(QRVAviAudio& player, const CTestFile& file, uint32_t nSeconds,
                                            uint32_t nSourceHz = 44100, bool bSoundOnly = false)
{
    TrackCounterMovie movie;
    movie.nSourceHz = nSourceHz;
    movie.nFrames = nSourceHz * nSeconds;
    movie.bSoundOnly = bSoundOnly;
    const std::string strError = WriteTrackCounterMovie(file.Path(), movie);
    if (!strError.empty())
        return ::testing::AssertionFailure() << strError;
    if (!player.OpenSource(file.Wide(), 0))
        return ::testing::AssertionFailure() << "the player did not open " << file.Path();
    player.SetStartTime(0);
    return ::testing::AssertionSuccess();
}

class TrackSoundServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (NoSoundServerAsked())
            GTEST_SKIP() << "runs with the sound server only";
    }
};

class TrackNoSoundServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!NoSoundServerAsked())
            GTEST_SKIP() << "runs with VISTREL_NO_SOUND=1 only";
    }
};

}  // namespace

// ---- the source -------------------------------------------------------------

TEST(TrackSource, OpeningChoosesTheSoundStreamAndTakesItsFormatAndEnd)
{
    CTestFile file("open.avi");
    QRVAviAudio player;
    EXPECT_FALSE(player.IsSourceOpen());
    EXPECT_EQ(player.GetStream(), -1);
    ASSERT_TRUE(OpenCounterMovie(player, file, 2));
    EXPECT_TRUE(player.IsSourceOpen());
    EXPECT_EQ(player.GetStream(), 0);
    EXPECT_EQ(player.GetFile().GetVideoStreamCount(), 1u);
    const WAVEFORMATEX* pFormat = player.GetDeviceFormat();
    ASSERT_NE(pFormat, nullptr);
    EXPECT_EQ(pFormat->wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(pFormat->nChannels, 2);
    EXPECT_EQ(pFormat->nSamplesPerSec, 44100u);
    EXPECT_EQ(pFormat->nBlockAlign, 4);
    EXPECT_EQ(player.GetSourceSampleRate(), 44100u);
    EXPECT_EQ(player.GetEndTime(), 2000);
    EXPECT_FALSE(player.HasDevice()) << "opening the source leaves the device closed";
    EXPECT_TRUE(player.CloseSource());
    EXPECT_FALSE(player.IsSourceOpen());
    EXPECT_FALSE(player.CloseSource()) << "nothing left to close";
    EXPECT_EQ(player.GetEndTime(), 0);
}

TEST(TrackSource, AStreamIndexBeyondTheFilesSoundStreamsClosesTheFileAgain)
{
    CTestFile file("index.avi");
    TrackCounterMovie movie;
    ASSERT_EQ(WriteTrackCounterMovie(file.Path(), movie), "");
    for (int nStream : {1, 5, -1}) {
        QRVAviAudio player;
        EXPECT_FALSE(player.OpenSource(file.Wide(), nStream)) << nStream;
        EXPECT_FALSE(player.IsSourceOpen()) << nStream;
        EXPECT_EQ(player.GetStream(), -1) << nStream;
        EXPECT_EQ(player.GetEndTime(), 0) << nStream;
        EXPECT_EQ(player.GetFormat(), nullptr) << nStream;
    }
}

TEST(TrackSource, AFileThatCannotBeOpenedGivesFalseAfterTheFacadesMessage)
{
    CMessageBoxCapture capture;
    CTestFile file("missing.avi");
    QRVAviAudio player;
    EXPECT_FALSE(player.OpenSource(file.Wide(), 0));
    EXPECT_FALSE(player.IsSourceOpen());
    EXPECT_EQ(player.GetStream(), -1);
    EXPECT_EQ(capture.Records().size(), 1u);
}

TEST(TrackSource, TheRateScalesTheDeviceFormatButNotTheFiles)
{
    CTestFile file("rate.avi");
    QRVAviAudio player;
    ASSERT_TRUE(player.SetRate(2.0f));
    ASSERT_TRUE(OpenCounterMovie(player, file, 1, 22050));
    EXPECT_EQ(player.GetDeviceFormat()->nSamplesPerSec, 44100u);
    EXPECT_EQ(player.GetDeviceFormat()->nAvgBytesPerSec, 44100u * 4);
    EXPECT_EQ(player.GetSourceSampleRate(), 22050u);
    // Asked again and again, the format is scaled once.
    for (int i = 0; i < 2; ++i) {
        const WAVEFORMATEX* pFormat = player.GetFormat();
        ASSERT_NE(pFormat, nullptr);
        EXPECT_EQ(pFormat->nSamplesPerSec, 44100u);
        EXPECT_EQ(pFormat->nAvgBytesPerSec, 44100u * 4);
    }
    EXPECT_EQ(player.GetFile().GetAudioFormat(0)->nSamplesPerSec, 22050u);
    EXPECT_EQ(player.GetEndTime(), 1000) << "the end is movie time";
}

TEST(TrackSource, ASoundOnlyMovieOpensAndLastsAsLongAsItsSound)
{
    CTestFile file("soundonly.avi");
    QRVAviAudio player;
    ASSERT_TRUE(OpenCounterMovie(player, file, 3, 44100, true));
    EXPECT_EQ(player.GetFile().GetVideoStreamCount(), 0u);
    EXPECT_EQ(player.GetFile().GetAudioStreamCount(), 1u);
    EXPECT_EQ(player.GetEndTime(), 3000);
    EXPECT_EQ(player.GetDeviceFormat()->nSamplesPerSec, 44100u);
}

TEST(TrackBuffers, TheConvenientReadSizeBecomesTheBufferSize)
{
    struct Case {
        long nReadSize;
        int nSize;
    };
    const Case cases[] = {{4000, 4000}, {100000, 100000}, {0, AU_MAX_BUFFER_SIZE}, {-5, AU_MAX_BUFFER_SIZE}};
    for (const Case& c : cases) {
        int nSize = 0, nCount = 0;
        QRVAviAudio::BufferSettingsForReadSize(c.nReadSize, nSize, nCount);
        EXPECT_EQ(nSize, c.nSize) << "read size " << c.nReadSize;
        EXPECT_EQ(nCount, AU_MAX_BUFFERS) << "read size " << c.nReadSize;
    }
}

namespace {

// Movies whose sound stream reports a convenient read size of 4000 bytes,
// of 100000 bytes, and one whose read fails (an empty stream); and the
// buffers the player then plays with.
struct BufferCase {
    const char* pszName;
    uint32_t nSoundBytes;
    long nReadSize;  // what the facade reports
    int nSetting;    // what the player asks for
    int nPlayed;     // what the engine uses
};

const BufferCase BUFFER_CASES[] = {
    {"read4000", 4000, 4000, 4000, 4000},
    {"read100000", 100000, 100000, 100000, AU_MAX_BUFFER_SIZE},
    {"readfails", 0, 0, AU_MAX_BUFFER_SIZE, AU_MAX_BUFFER_SIZE},
};

class TrackBufferSizes : public ::testing::TestWithParam<BufferCase> {
protected:
    void SetUp() override
    {
        m_pFile = std::make_unique<CTestFile>(std::string(GetParam().pszName) + ".avi");
        ASSERT_EQ(WriteLargeTrackMovie(m_pFile->Path(), GetParam().nSoundBytes), "");
    }
    std::unique_ptr<CTestFile> m_pFile;
};

}  // namespace

TEST_P(TrackBufferSizes, EightBuffersOfTheReadSizeUpTo22800Bytes)
{
    const BufferCase& c = GetParam();
    CTrackPlayer player;
    ASSERT_TRUE(player.OpenSource(m_pFile->Wide(), 0));
    // The large file is read through our own index, which reports the size.
    ASSERT_TRUE(player.GetFile().IsDirectIndexed());
    int nSize = 0, nCount = 0;
    player.GetBufferSettings(nSize, nCount);
    EXPECT_EQ(nSize, c.nSetting);
    EXPECT_EQ(nCount, AU_MAX_BUFFERS);
    if (NoSoundServerAsked())
        return;
    player.SetStartTime(0);
    ASSERT_TRUE(player.Resume()) << "result " << player.GetLastResult();
    EXPECT_EQ(player.GetBufferCount(), static_cast<UINT>(AU_MAX_BUFFERS));
    EXPECT_EQ(player.GetBufferSize(), c.nPlayed);
    EXPECT_TRUE(player.Stop());
    EXPECT_FALSE(player.HasDevice());
}

INSTANTIATE_TEST_SUITE_P(ReadSizes, TrackBufferSizes, ::testing::ValuesIn(BUFFER_CASES),
                         [](const ::testing::TestParamInfo<BufferCase>& info) {
                             return std::string(info.param.pszName);
                         });

// ---- on the sound server -------------------------------------------------------

TEST_F(TrackSoundServer, ResumingAfterASeekStartsAtTheSampleOfTheNewTime)
{
    CTestFile file("seek.avi");
    CTrackPlayer player;
    ASSERT_TRUE(OpenCounterMovie(player, file, 10));
    ASSERT_TRUE(player.QueryFormat(false));
    ASSERT_TRUE(player.Resume());
    EXPECT_EQ(player.m_nPrimedFrom, 0);
    ASSERT_TRUE(WaitForEngineClock(player, [](int nPos) { return nPos > 200; }));

    EXPECT_TRUE(player.Stop());
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(player.GetPosition(), -1);
    player.SetStartTime(5000);
    const DWORD dwStart = ::GetTickCount();
    ASSERT_TRUE(player.Resume());
    EXPECT_EQ(player.m_nPrimedFrom, player.GetFile().AudioTimeToSample(0, 5000));
    EXPECT_EQ(player.m_nPrimedFrom, 5000 * 44100 / 1000);
    EXPECT_GE(player.GetPosition(), 5000);
    ASSERT_TRUE(WaitForEngineClock(player, [](int nPos) { return nPos >= 5300; }));
    const int nPos = player.GetPosition();
    // 5000 plus the played time, which the wall clock bounds; the device's
    // position runs ahead of what has sounded by the server's buffering.
    EXPECT_LE(nPos, 5000 + static_cast<int>(::GetTickCount() - dwStart) + 200);
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_TRUE(player.Stop());
}

TEST_F(TrackSoundServer, AtTheEndTheClockStopsAndThePlayerReportsNotPlaying)
{
    CTestFile file("end.avi");
    CTrackPlayer player;
    ASSERT_TRUE(OpenCounterMovie(player, file, 1));
    const int nEnd = player.GetEndTime();
    ASSERT_TRUE(player.Resume());
    // Every reading until the clock gives up; the flag must fall at the
    // first reading at or past the end, or at the fourth repeat of a
    // reading, and not before.
    std::vector<int> readings;
    const DWORD dwStart = ::GetTickCount();
    for (;;) {
        const int nPos = player.GetPosition();
        if (nPos == -1)
            break;
        readings.push_back(nPos);
        const size_t n = readings.size();
        const bool bAtEnd = nPos >= nEnd;
        const bool bStalled = n >= 5 && readings[n - 5] == nPos && readings[n - 4] == nPos &&
                              readings[n - 3] == nPos && readings[n - 2] == nPos;
        ASSERT_EQ(player.IsPlaying(), !(bAtEnd || bStalled)) << "reading " << n << ": " << nPos;
        if (!player.IsPlaying())
            break;
        ASSERT_LT(::GetTickCount() - dwStart, 10000u) << "the clock never ended";
        // Readings as far apart as a movie's frame ticks: four equal ones
        // then mean a device that has stopped, not a position that a busy
        // sound server reports in coarse steps.
        ::Sleep(25);
    }
    ASSERT_FALSE(readings.empty());
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(player.GetPosition(), -1) << "a player that is not playing has no clock";
    EXPECT_GE(readings.back(), nEnd - 100) << "the clock stopped before the end of the sound";
    EXPECT_LE(readings.back(), nEnd + 50);
    // Past the end the ring offers its buffers every 20 ms and no faster:
    // an empty buffer handed to the device would come straight back.
    const int nCallsBefore = player.m_nFillCalls;
    ::Sleep(500);  // a stretch of wall time to count the offers in
    EXPECT_LE(player.m_nFillCalls - nCallsBefore, 100) << "the ring spins at the end of the sound";
    // The player stays open until it is stopped.
    EXPECT_TRUE(player.IsOpen());
    EXPECT_TRUE(player.Stop());
    EXPECT_FALSE(player.HasDevice());
}

TEST_F(TrackSoundServer, APausedPlayerReportsNotPlayingAtTheFourthRepeatedReadingAndResumeBringsTheClockBack)
{
    CTestFile file("pause.avi");
    CTrackPlayer player;
    ASSERT_TRUE(OpenCounterMovie(player, file, 10));
    ASSERT_TRUE(player.Resume());
    ASSERT_TRUE(WaitForEngineClock(player, [](int nPos) { return nPos > 300; }));
    ASSERT_TRUE(player.Pause());
    // Wait until the paused device's position has settled: unchanged for
    // longer than its 10 ms steps and the server's latency.
    int nSettled = player.EngineClock();
    DWORD dwSince = ::GetTickCount();
    ASSERT_TRUE(WaitForEngineClock(player, [&](int nPos) {
        if (nPos != nSettled) {
            nSettled = nPos;
            dwSince = ::GetTickCount();
        }
        return ::GetTickCount() - dwSince >= 150;
    }));
    // The first reading is new, then it repeats: still playing for three
    // repeats, not playing from the fourth on.
    const int nFirst = player.GetPosition();
    ASSERT_EQ(nFirst, nSettled);
    EXPECT_TRUE(player.IsPlaying());
    for (int nRepeat = 1; nRepeat <= 4; ++nRepeat) {
        ASSERT_EQ(player.GetPosition(), nFirst) << "repeat " << nRepeat;
        EXPECT_EQ(player.IsPlaying(), nRepeat < 4) << "repeat " << nRepeat;
    }
    EXPECT_EQ(player.GetPosition(), -1);
    EXPECT_TRUE(player.IsOpen());

    ASSERT_TRUE(player.Resume());
    EXPECT_TRUE(player.IsPlaying());
    const DWORD dwStart = ::GetTickCount();
    int nPos = -1;
    while ((nPos = player.GetPosition()) <= nFirst + 200 && ::GetTickCount() - dwStart < 10000)
        ::Sleep(20);
    EXPECT_GT(nPos, nFirst + 200) << "the clock did not come back after resume";
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_TRUE(player.Stop());
}

TEST_F(TrackSoundServer, ASoundOnlyMoviePlaysToItsEnd)
{
    CTestFile file("soundonly_play.avi");
    CTrackPlayer player;
    ASSERT_TRUE(OpenCounterMovie(player, file, 1, 44100, true));
    ASSERT_TRUE(player.QueryFormat(false));
    ASSERT_TRUE(player.Resume());
    EXPECT_EQ(player.GetBufferSize(), AU_MAX_BUFFER_SIZE);
    int nLast = -1;
    const DWORD dwStart = ::GetTickCount();
    for (int nPos; (nPos = player.GetPosition()) != -1 && ::GetTickCount() - dwStart < 10000;) {
        nLast = nPos;
        ::Sleep(10);
    }
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_GE(nLast, player.GetEndTime() - 100);
    EXPECT_TRUE(player.Stop());
}

TEST_F(TrackSoundServer, DestroyingAPlayingPlayerEndsItsRefillThreadBeforeItsFile)
{
    CTestFile file("destroy.avi");
    for (int i = 0; i < 5; ++i) {
        auto pPlayer = std::make_unique<CTrackPlayer>();
        ASSERT_TRUE(OpenCounterMovie(*pPlayer, file, 3));
        ASSERT_TRUE(pPlayer->Resume()) << "cycle " << i;
        ASSERT_TRUE(WaitForEngineClock(*pPlayer, [](int nPos) { return nPos >= 100; }));
        EXPECT_TRUE(pPlayer->IsRefillThreadRunning());
        pPlayer.reset();
    }
}

// ---- without a sound server -----------------------------------------------------

TEST_F(TrackNoSoundServer, OpeningFailsCleanlyAndTheCallerGoesOnWithoutSound)
{
    CTestFile file("nosound.avi");
    CMessageBoxCapture capture;
    for (int i = 0; i < 3; ++i) {
        // As the movie window does: the query fails, the player is dropped.
        auto pPlayer = std::make_unique<QRVAviAudio>();
        ASSERT_TRUE(OpenCounterMovie(*pPlayer, file, 1));
        EXPECT_FALSE(pPlayer->QueryFormat(false));
        EXPECT_NE(pPlayer->GetLastResult(), static_cast<MMRESULT>(MMSYSERR_NOERROR));
        EXPECT_FALSE(pPlayer->Resume());
        EXPECT_FALSE(pPlayer->IsPlaying());
        EXPECT_FALSE(pPlayer->HasDevice());
        EXPECT_FALSE(pPlayer->IsRefillThreadRunning());
        EXPECT_EQ(pPlayer->GetPosition(), -1);
        EXPECT_FALSE(pPlayer->Stop());
        pPlayer.reset();
    }
    // No sound server is no codec problem: nothing for the user to read.
    EXPECT_TRUE(capture.Records().empty());
}
