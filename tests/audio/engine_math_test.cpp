// The wave engine's arithmetic and bookkeeping that need no device: the
// clock's rounding, formats with the speed factor applied, the rate range.
#include <gtest/gtest.h>

#include <cstring>

#include "CounterAudio.h"

namespace {

MMTIME Position(UINT wType, DWORD nValue)
{
    MMTIME time = {};
    time.wType = wType;
    time.u.sample = nValue;  // the union's members share their place
    return time;
}

}  // namespace

TEST(EngineClock, ElapsedTimeIsRoundedUpFromASinglePrecisionProduct)
{
    struct Case {
        UINT wType;
        DWORD nValue;
        DWORD nSamplesPerSec;  // of the opened device
        float fRate;
        int nExpected;
    };
    const Case cases[] = {
        {TIME_SAMPLES, 44100, 44100, 1.0f, 1001},  // 1000.0000343 rounds to 1000.000061
        {TIME_SAMPLES, 4410, 44100, 1.0f, 100},    // 100.0000034 rounds to 100.0
        {TIME_SAMPLES, 0, 44100, 1.0f, 0},        {TIME_SAMPLES, 1, 44100, 1.0f, 1},
        {TIME_SAMPLES, 4410, 44100, 2.0f, 200},  // 22050 Hz source played at rate 2
        {TIME_SAMPLES, 22050, 22050, 1.0f, 1001}, {TIME_SAMPLES, 4410, 44100, 0.5f, 50},
        {TIME_BYTES, 176400, 44100, 1.0f, 1001},  // 4 bytes a frame: same factor times 4
        {TIME_MS, 1234, 44100, 1.0f, 1234},       {TIME_MS, 1234, 44100, 2.0f, 2468},
        {TIME_SMPTE, 1234, 44100, 1.0f, 0},       {TIME_MIDI, 1234, 44100, 1.0f, 0},
    };
    for (const Case& c : cases) {
        const float fMsPerSample = 1000.0f / c.nSamplesPerSec;
        const float fMsPerByte = 1000.0f / (c.nSamplesPerSec * 4);
        EXPECT_EQ(
            QRVAudio::ElapsedFromPosition(Position(c.wType, c.nValue), fMsPerSample, fMsPerByte, c.fRate),
            c.nExpected)
            << "type " << c.wType << " value " << c.nValue << " rate " << c.fRate;
    }
}

TEST(EngineFormat, SourceFormatIsCopiedWithTheRateApplied)
{
    struct Case {
        DWORD nSourceHz;
        float fRate;
        DWORD nDeviceHz;
    };
    const Case cases[] = {
        {44100, 1.0f, 44100}, {22050, 2.0f, 44100}, {44100, 0.5f, 22050},
        {8000, 0.25f, 2000},  {11025, 4.0f, 44100}, {44100, 1.5f, 66150},
    };
    for (const Case& c : cases) {
        CCounterAudio audio(c.nSourceHz, 1000);
        EXPECT_TRUE(audio.SetRate(c.fRate));
        ASSERT_TRUE(audio.OpenSource(L"", 0));
        const WAVEFORMATEX* pFormat = audio.GetDeviceFormat();
        ASSERT_NE(pFormat, nullptr);
        EXPECT_EQ(pFormat->nSamplesPerSec, c.nDeviceHz) << "rate " << c.fRate;
        EXPECT_EQ(pFormat->nAvgBytesPerSec, c.nDeviceHz * 4);
        EXPECT_EQ(audio.GetSourceSampleRate(), c.nSourceHz);
        // The source's own format is left as it was.
        EXPECT_EQ(audio.SourceFormat().nSamplesPerSec, c.nSourceHz);
    }
}

TEST(EngineFormat, ChangingTheRateRescalesFromTheSourceRate)
{
    CCounterAudio audio(22050, 1000);
    ASSERT_TRUE(audio.OpenSource(L"", 0));
    EXPECT_TRUE(audio.SetRate(2.0f));
    EXPECT_EQ(audio.GetDeviceFormat()->nSamplesPerSec, 44100u);
    EXPECT_TRUE(audio.SetRate(0.5f));
    EXPECT_EQ(audio.GetDeviceFormat()->nSamplesPerSec, 11025u);
    EXPECT_EQ(audio.GetDeviceFormat()->nAvgBytesPerSec, 44100u);
    EXPECT_TRUE(audio.SetRate(1.0f));
    EXPECT_EQ(audio.GetDeviceFormat()->nSamplesPerSec, 22050u);
    EXPECT_EQ(audio.GetDeviceFormat()->nAvgBytesPerSec, 88200u);
}

TEST(EngineFormat, RatesOutsideAQuarterToFourAreRefusedButKept)
{
    struct Case {
        float fRate;
        bool bAccepted;
    };
    const Case cases[] = {{0.25f, true}, {4.0f, true},   {0.2f, false}, {4.5f, false},
                          {0.0f, false}, {-1.0f, false}, {1.0f, true}};
    for (const Case& c : cases) {
        CCounterAudio audio(44100, 1000);
        audio.SetRate(3.0f);
        EXPECT_EQ(audio.SetRate(c.fRate), c.bAccepted) << c.fRate;
        EXPECT_EQ(audio.GetRate(), c.fRate);
        EXPECT_TRUE(audio.SetRate(c.fRate)) << "the same rate again";
    }
}

TEST(EngineFormat, PcmExtraBytesAreDroppedFromTheCopyOnly)
{
    CCounterAudio audio(44100, 1000);
    WAVEFORMATEX format = audio.SourceFormat();
    format.cbSize = 22;  // a PCM format carries none, whatever it says
    audio.SetFormat(&format);
    ASSERT_NE(audio.GetDeviceFormat(), nullptr);
    EXPECT_EQ(audio.GetDeviceFormat()->cbSize, 0);
    EXPECT_EQ(format.cbSize, 22);
}

TEST(EngineFormat, ExtraBytesOfOtherFormatsAreCopied)
{
    struct {
        WAVEFORMATEX format;
        BYTE extra[4];
    } source = {};
    source.format.wFormatTag = 0x0002;
    source.format.nChannels = 1;
    source.format.nSamplesPerSec = 8000;
    source.format.nAvgBytesPerSec = 4096;
    source.format.nBlockAlign = 256;
    source.format.wBitsPerSample = 4;
    source.format.cbSize = 4;
    std::memcpy(source.extra, "\x01\x02\x03\x04", 4);
    CCounterAudio audio(44100, 1000);
    audio.SetFormat(&source.format);
    const WAVEFORMATEX* pCopy = audio.GetDeviceFormat();
    ASSERT_NE(pCopy, nullptr);
    EXPECT_EQ(pCopy->cbSize, 4);
    EXPECT_EQ(std::memcmp(pCopy + 1, source.extra, 4), 0);
    audio.SetFormat(nullptr);
    EXPECT_EQ(audio.GetDeviceFormat(), nullptr);
}

TEST(EngineState, ConstructedEngineIsClosedAndTellsNoTime)
{
    CCounterAudio audio(44100, 1000);
    EXPECT_FALSE(audio.IsOpen());
    EXPECT_FALSE(audio.HasDevice());
    EXPECT_FALSE(audio.IsPlaying());
    EXPECT_EQ(audio.GetRate(), 1.0f);
    EXPECT_EQ(audio.GetDeviceFormat(), nullptr);
    EXPECT_EQ(audio.GetPosition(), -1);
    EXPECT_EQ(audio.GetStartTime(), 0);
    EXPECT_FALSE(audio.Stop());  // nothing to stop
    EXPECT_TRUE(audio.Pause());  // nothing to pause
    EXPECT_FALSE(audio.Close());
    EXPECT_TRUE(audio.UnprepareBuffers());
    EXPECT_FALSE(audio.IsRefillThreadRunning());
}

TEST(EngineState, ResetKeepsOrDropsTheFormat)
{
    CCounterAudio audio(22050, 1000);
    audio.SetRate(2.0f);
    ASSERT_TRUE(audio.OpenSource(L"", 0));
    audio.SetStartTime(700);
    EXPECT_TRUE(audio.Reset(false));
    EXPECT_EQ(audio.GetStartTime(), 0);
    ASSERT_NE(audio.GetDeviceFormat(), nullptr);
    EXPECT_EQ(audio.GetSourceSampleRate(), 22050u);
    EXPECT_TRUE(audio.Reset(true));
    EXPECT_EQ(audio.GetDeviceFormat(), nullptr);
    EXPECT_EQ(audio.GetSourceSampleRate(), 0u);
}

TEST(EngineState, ResumeWithTheRateOutOfRangeDoesNotOpen)
{
    CCounterAudio audio(44100, 44100);
    ASSERT_TRUE(audio.OpenSource(L"", 0));
    EXPECT_FALSE(audio.SetRate(8.0f));
    EXPECT_FALSE(audio.Resume());
    EXPECT_FALSE(audio.HasDevice());
    EXPECT_FALSE(audio.IsOpen());
    EXPECT_FALSE(audio.IsRefillThreadRunning());
}
