// The wave engine on the test world's sound server: opening, priming,
// refilling in ring order, the clock against the wall clock, pause and
// resume, stop and seek, formats the device refuses; and, run with no
// sound server at all (NoSoundServer.*), that it fails cleanly.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "CounterAudio.h"
#include "handle.h"
#include "msgbox.h"
#include "resource.h"

namespace {

// A counter source that also notes which buffers the refill thread filled,
// in order, and where the priming started reading.
class CRingAudio : public CCounterAudio {
public:
    using CCounterAudio::CCounterAudio;
    ~CRingAudio() override { Shutdown(); }

    bool FillBuffer(WAVEHDR* pHeader) override
    {
        const bool bFilled = CCounterAudio::FillBuffer(pHeader);
        if (bFilled && m_bPrimed) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_refills.push_back(static_cast<int>(pHeader->dwUser));
        }
        return bFilled;
    }
    bool StartBuffers() override
    {
        m_bPrimed = false;
        m_nPrimedFrom = SampleAtTime(GetStartTime());
        const bool bResult = CCounterAudio::StartBuffers();
        m_bPrimed = true;
        return bResult;
    }
    std::vector<int> Refills()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_refills;
    }

    std::atomic<int> m_nPrimedFrom{-1};

private:
    std::atomic<bool> m_bPrimed{false};
    std::mutex m_mutex;
    std::vector<int> m_refills;
};

bool NoSoundServerAsked()
{
    const char* psz = std::getenv("VISTREL_NO_SOUND");
    return psz != nullptr && psz[0] == '1';
}

// Polls the engine's clock until pred(position) holds; the clock has no
// event of its own. False after nMaxMs.
template <typename Pred> bool WaitForClock(QRVAudio& audio, Pred pred, DWORD nMaxMs = 10000)
{
    const DWORD dwStart = ::GetTickCount();
    while (!pred(audio.GetPosition())) {
        if (::GetTickCount() - dwStart > nMaxMs)
            return false;
        ::Sleep(5);
    }
    return true;
}

// A clock reading and the wall time it was taken at.
struct CReading {
    int nPos;
    DWORD dwWall;
};

CReading Read(QRVAudio& audio)
{
    CReading r;
    r.nPos = audio.GetPosition();
    r.dwWall = ::timeGetTime();
    return r;
}

// Measures the clock against the wall clock times the rate over windows
// of nWindowMs, up to nTries of them, and expects one window where they
// agree. The slack covers the device's 10 ms position steps and the delay
// between the two calls of a reading. On a busy machine the sound server
// may stall for a moment, which makes the clock lag in that window; a
// wrong rate shows in every window. Running ahead is wrong in any window.
void ExpectTrueRate(QRVAudio& audio, float fRate, DWORD nWindowMs, int nTries = 3)
{
    std::string strSeen;
    for (int i = 0; i < nTries; ++i) {
        const CReading a = Read(audio);
        ::Sleep(nWindowMs);  // let wall time pass
        const CReading b = Read(audio);
        const double fWall = static_cast<double>(b.dwWall - a.dwWall) * fRate;
        const double fClock = b.nPos - a.nPos;
        const double fSlack = 100 * fRate + 0.03 * fWall;
        EXPECT_LE(fClock, fWall + fSlack) << "the clock ran ahead of the wall clock";
        if (std::fabs(fClock - fWall) <= fSlack)
            return;
        strSeen += " " + std::to_string(static_cast<int>(fClock)) + " ms for " +
                   std::to_string(static_cast<int>(fWall)) + ";";
    }
    ADD_FAILURE() << "the clock never kept to the wall clock (clock for wall x rate):" << strSeen;
}

class SoundServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (NoSoundServerAsked())
            GTEST_SKIP() << "runs with the sound server only";
        ::timeBeginPeriod(1);
    }
    void TearDown() override
    {
        if (!NoSoundServerAsked())
            ::timeEndPeriod(1);
    }
};

class NoSoundServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!NoSoundServerAsked())
            GTEST_SKIP() << "runs with VISTREL_NO_SOUND=1 only";
    }
};

WAVEFORMATEX UnknownCodecFormat()
{
    WAVEFORMATEX format = {};
    format.wFormatTag = 0x7A7A;  // no codec has this tag
    format.nChannels = 2;
    format.nSamplesPerSec = 44100;
    format.nAvgBytesPerSec = 44100 * 4;
    format.nBlockAlign = 4;
    format.wBitsPerSample = 16;
    return format;
}

}  // namespace

TEST_F(SoundServer, PlayableFormatIsAcceptedWithoutAMessage)
{
    CMessageBoxCapture capture;
    CCounterAudio audio(44100, 44100);
    ASSERT_TRUE(audio.OpenSource(L"", 0));
    EXPECT_TRUE(audio.QueryFormat(false));
    EXPECT_EQ(audio.GetLastResult(), static_cast<MMRESULT>(MMSYSERR_NOERROR));
    EXPECT_TRUE(capture.Records().empty());
    EXPECT_FALSE(audio.HasDevice());  // only asked, not opened
}

TEST_F(SoundServer, FormatNoCodecPlaysShowsTheMissingCodecMessage)
{
    CMessageBoxCapture capture;
    CCounterAudio audio(44100, 44100);
    const WAVEFORMATEX format = UnknownCodecFormat();
    audio.SetFormat(&format);
    EXPECT_FALSE(audio.QueryFormat(false));
    EXPECT_EQ(audio.GetLastResult(), static_cast<MMRESULT>(WAVERR_BADFORMAT));
    const auto records = capture.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].nIDPrompt, static_cast<UINT>(IDS_NO_AUDIO_CODEC));
    EXPECT_EQ(records[0].strText,
              L"Не удалось найти необходимый кодек для распаковки поттока звука.\r\nВы не услышите звук.");
    EXPECT_EQ(records[0].nType, static_cast<UINT>(MB_OK));
}

TEST_F(SoundServer, QueryWithoutAnyFormatGivesFalseSilently)
{
    class CNoFormatAudio : public CCounterAudio {
    public:
        using CCounterAudio::CCounterAudio;
        const WAVEFORMATEX* GetFormat() override { return nullptr; }
    };
    CMessageBoxCapture capture;
    CNoFormatAudio audio(44100, 100);
    EXPECT_FALSE(audio.QueryFormat(false));
    EXPECT_FALSE(audio.Open(false));
    EXPECT_TRUE(capture.Records().empty());
}

TEST_F(SoundServer, OpeningPrimesEightBuffersOfTheSourcesSizeAndHoldsTheClock)
{
    struct Case {
        int nSetting;  // what the source's buffer settings report
        int nSize;     // what the engine uses
    };
    const Case cases[] = {{4000, 4000}, {100000, AU_MAX_BUFFER_SIZE}, {0, AU_MAX_BUFFER_SIZE}};
    for (const Case& c : cases) {
        CRingAudio audio(44100, 441000, c.nSetting);
        ASSERT_TRUE(audio.OpenSource(L"", 0));
        ASSERT_TRUE(audio.Open(false)) << "result " << audio.GetLastResult();
        EXPECT_TRUE(audio.IsOpen());
        EXPECT_TRUE(audio.HasDevice());
        EXPECT_EQ(audio.GetBufferCount(), 8u);
        EXPECT_EQ(audio.GetBufferSize(), c.nSize) << "setting " << c.nSetting;
        EXPECT_EQ(audio.m_nFills, 8);
        EXPECT_EQ(audio.GetReadCursor(), 8 * c.nSize / 4);
        // Primed but paused: no restart yet, so no time to tell.
        EXPECT_FALSE(audio.IsPlaying());
        EXPECT_EQ(audio.GetPosition(), -1);
        EXPECT_FALSE(audio.Open(false)) << "already open";
        EXPECT_TRUE(audio.Stop());
        EXPECT_FALSE(audio.IsOpen());
        EXPECT_FALSE(audio.HasDevice());
    }
}

TEST_F(SoundServer, RefillThreadRefillsTheRingInOrder)
{
    // Small buffers, so the ring goes round several times quickly.
    CRingAudio audio(44100, 441000, 4000);
    ASSERT_TRUE(audio.OpenSource(L"", 0));
    ASSERT_TRUE(audio.Resume());
    ASSERT_TRUE(WaitForClock(audio, [](int nPos) { return nPos >= 600; }));
    const std::vector<int> refills = audio.Refills();
    ASSERT_GE(refills.size(), 20u);
    for (size_t i = 0; i < refills.size(); ++i)
        ASSERT_EQ(refills[i], static_cast<int>(i % 8)) << "refill " << i;
    EXPECT_NE(audio.m_dwLastFillThread, ::GetCurrentThreadId());
    EXPECT_TRUE(audio.Stop());
}

TEST_F(SoundServer, ClockRunsAtTheTrueRateHoldsInPauseAndContinuesAfterResume)
{
    CCounterAudio audio(44100, 44100 * 20);
    ASSERT_TRUE(audio.OpenSource(L"", 0));
    audio.SetStartTime(0);
    ASSERT_TRUE(audio.QueryFormat(false));
    ASSERT_TRUE(audio.Resume());
    EXPECT_TRUE(audio.IsPlaying());
    ASSERT_TRUE(WaitForClock(audio, [](int nPos) { return nPos > 100; }));

    ExpectTrueRate(audio, 1.0f, 3000);

    ASSERT_TRUE(audio.Pause());
    EXPECT_TRUE(audio.IsPlaying());  // a pause leaves the flag alone
    const CReading c = Read(audio);
    ::Sleep(700);
    const CReading d = Read(audio);
    EXPECT_LE(d.nPos - c.nPos, 20) << "the clock moved during the pause";
    EXPECT_GE(d.nPos, c.nPos);

    ASSERT_TRUE(audio.Resume());
    ASSERT_TRUE(WaitForClock(audio, [&](int nPos) { return nPos > d.nPos + 100; }));
    ExpectTrueRate(audio, 1.0f, 2000);
    EXPECT_TRUE(audio.Stop());
    EXPECT_EQ(audio.GetPosition(), -1);
}

TEST_F(SoundServer, AtRateTwoA22050HzSourceOpensAt44100AndTheClockRunsTwiceAsFast)
{
    CCounterAudio audio(22050, 22050 * 20);
    ASSERT_TRUE(audio.SetRate(2.0f));
    ASSERT_TRUE(audio.OpenSource(L"", 0));
    audio.SetStartTime(0);
    ASSERT_TRUE(audio.QueryFormat(false));
    EXPECT_EQ(audio.GetDeviceFormat()->nSamplesPerSec, 44100u);
    ASSERT_TRUE(audio.Resume());
    ASSERT_TRUE(WaitForClock(audio, [](int nPos) { return nPos > 200; }));
    ExpectTrueRate(audio, 2.0f, 2500);
    EXPECT_TRUE(audio.Stop());
}

TEST_F(SoundServer, StopThenStartTimeThenResumePlaysFromThere)
{
    CRingAudio audio(44100, 44100 * 20);
    ASSERT_TRUE(audio.OpenSource(L"", 0));
    audio.SetStartTime(0);
    ASSERT_TRUE(audio.Resume());
    EXPECT_EQ(audio.m_nPrimedFrom, 0);
    ASSERT_TRUE(WaitForClock(audio, [](int nPos) { return nPos > 200; }));

    EXPECT_TRUE(audio.Stop());
    EXPECT_FALSE(audio.IsPlaying());
    EXPECT_FALSE(audio.IsOpen());
    EXPECT_FALSE(audio.HasDevice());
    EXPECT_EQ(audio.GetStartTime(), 0);  // a stop rewinds
    EXPECT_EQ(audio.GetPosition(), -1);
    ASSERT_NE(audio.GetDeviceFormat(), nullptr);  // and keeps the format

    audio.SetStartTime(5000);
    ASSERT_TRUE(audio.Resume());
    EXPECT_EQ(audio.m_nPrimedFrom, 5000 * 44100 / 1000);
    const CReading a = Read(audio);
    EXPECT_GE(a.nPos, 5000);
    ASSERT_TRUE(WaitForClock(audio, [](int nPos) { return nPos >= 5500; }));
    EXPECT_LT(audio.GetPosition(), 5000 + 5000) << "far beyond the played time";
    EXPECT_TRUE(audio.Stop());
}

TEST_F(SoundServer, ClockTellsNothingWithoutAStartTime)
{
    CCounterAudio audio(44100, 44100 * 5);
    ASSERT_TRUE(audio.OpenSource(L"", 0));
    audio.SetStartTime(0);
    ASSERT_TRUE(audio.Resume());
    ASSERT_TRUE(WaitForClock(audio, [](int nPos) { return nPos >= 0; }));
    audio.SetStartTime(-1);
    EXPECT_EQ(audio.GetPosition(), -1);
    EXPECT_TRUE(audio.Stop());
}

TEST_F(SoundServer, FormatWithoutARateIsNeverOpened)
{
    CCounterAudio audio(44100, 100);
    WAVEFORMATEX format = audio.SourceFormat();
    format.nSamplesPerSec = 0;
    audio.SetFormat(&format);
    const DWORD dwStart = ::GetTickCount();
    EXPECT_FALSE(audio.Open(false));
    // It waited the whole two seconds for a device that never came.
    EXPECT_GE(::GetTickCount() - dwStart, 1900u);
    EXPECT_FALSE(audio.HasDevice());
    EXPECT_FALSE(audio.IsOpen());
    EXPECT_FALSE(audio.IsRefillThreadRunning());
}

TEST_F(SoundServer, DestroyingAPlayingEngineEndsItsRefillThread)
{
    auto pAudio = std::make_unique<CRingAudio>(44100, 44100 * 10, 4000);
    ASSERT_TRUE(pAudio->OpenSource(L"", 0));
    ASSERT_TRUE(pAudio->Resume());
    ASSERT_TRUE(WaitForClock(*pAudio, [](int nPos) { return nPos >= 300; }));
    ASSERT_FALSE(pAudio->Refills().empty());
    CHandle refill(::OpenThread(SYNCHRONIZE, FALSE, pAudio->m_dwLastFillThread));
    ASSERT_TRUE(refill.IsValid());
    pAudio.reset();
    EXPECT_EQ(::WaitForSingleObject(refill.Get(), 0), WAIT_OBJECT_0);
}

TEST_F(SoundServer, RepeatedPlayStopCyclesReopenTheDeviceEachTime)
{
    CCounterAudio audio(44100, 44100 * 10, 4000);
    ASSERT_TRUE(audio.OpenSource(L"", 0));
    for (int i = 0; i < 25; ++i) {
        audio.SetStartTime(i * 100);
        ASSERT_TRUE(audio.Resume()) << "cycle " << i << " result " << audio.GetLastResult();
        EXPECT_GE(audio.GetPosition(), i * 100);
        if (i % 2 == 0) {
            EXPECT_TRUE(audio.Pause());
        }
        ASSERT_TRUE(audio.Stop()) << "cycle " << i;
        ASSERT_FALSE(audio.HasDevice()) << "cycle " << i;
        ASSERT_FALSE(audio.IsRefillThreadRunning()) << "cycle " << i;
    }
}

TEST_F(NoSoundServer, QueryAndOpenFailQuietlyAndLeaveNothingRunning)
{
    CMessageBoxCapture capture;
    CCounterAudio audio(44100, 44100);
    ASSERT_TRUE(audio.OpenSource(L"", 0));
    EXPECT_FALSE(audio.QueryFormat(false));
    EXPECT_NE(audio.GetLastResult(), static_cast<MMRESULT>(WAVERR_BADFORMAT));
    EXPECT_NE(audio.GetLastResult(), static_cast<MMRESULT>(MMSYSERR_NOERROR));
    EXPECT_TRUE(capture.Records().empty());

    EXPECT_FALSE(audio.Resume());
    EXPECT_FALSE(audio.IsPlaying());
    EXPECT_FALSE(audio.Open(false));
    EXPECT_FALSE(audio.HasDevice());
    EXPECT_FALSE(audio.IsOpen());
    EXPECT_FALSE(audio.IsRefillThreadRunning());
    EXPECT_EQ(audio.GetPosition(), -1);
    EXPECT_TRUE(audio.Pause());
    EXPECT_FALSE(audio.Stop());
    EXPECT_TRUE(capture.Records().empty());
}

TEST_F(NoSoundServer, TheCallerGoesOnAfterTheEngineIsDropped)
{
    // As the movie window does when the query fails: drop the engine and
    // carry on; a second engine behaves the same.
    for (int i = 0; i < 3; ++i) {
        auto pAudio = std::make_unique<CCounterAudio>(44100, 44100);
        ASSERT_TRUE(pAudio->OpenSource(L"", 0));
        pAudio->SetStartTime(0);
        EXPECT_FALSE(pAudio->QueryFormat(false));
        EXPECT_FALSE(pAudio->Resume());
        pAudio.reset();
    }
}
