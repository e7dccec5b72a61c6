// Sample/time conversions: the AVI library's rounding and clamping rules,
// exact where single-precision arithmetic is off by one, and saturated
// rather than wrapped for hostile headers.
#include <algorithm>
#include <cstdint>
#include <random>

#include <gtest/gtest.h>

#include "QRVStreamTime.h"

namespace {

QRVStreamTime Stream(uint32_t nRate, uint32_t nScale, uint32_t nStart, uint32_t nLength)
{
    QRVStreamTime t;
    t.nRate = nRate;
    t.nScale = nScale;
    t.nStart = nStart;
    t.nLength = nLength;
    return t;
}

TEST(StreamTime, RoundsDownForPicturesAndUpForSound)
{
    const QRVStreamTime video = Stream(30, 1, 0, 300);
    const QRVStreamTime ntsc = Stream(30000, 1001, 0, 1000);
    const QRVStreamTime sound = Stream(22050, 1, 0, 44100);
    const QRVStreamTime boundary = Stream(1000, 1, 0, 5000);  // rate/scale 1000 rounds up
    struct Case {
        const QRVStreamTime* pStream;
        long nSample;
        long nTime;
        long nBack;
    };
    const Case cases[] = {
        {&video, 0, 0, 0},
        {&video, 1, 33, 0},
        {&video, 15, 500, 15},
        {&video, 300, 10000, 300},
        {&ntsc, 1, 33, 0},
        {&ntsc, 30, 1001, 30},
        // 22050 samples are exactly a second; one more rounds the time up.
        {&sound, 22050, 1000, 22050},
        {&sound, 22051, 1001, 22073},
        {&sound, 22100, 1003, 22117},
        {&sound, 1, 1, 23},
        {&boundary, 7, 7, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.pStream->nRate << "/" << c.pStream->nScale << " sample " << c.nSample);
        EXPECT_EQ(c.nTime, c.pStream->SampleToTime(c.nSample));
        EXPECT_EQ(c.nBack, c.pStream->TimeToSample(c.nTime));
    }
    EXPECT_EQ(22050, sound.TimeToSample(1000));
    EXPECT_EQ(2000, sound.EndTime());
    EXPECT_EQ(10000, video.EndTime());
}

TEST(StreamTime, HeldToTheStreamsSpanAndRefusesWhatHasNoMeaning)
{
    const QRVStreamTime started = Stream(10, 1, 5, 20);  // samples 5..25
    EXPECT_EQ(500, started.SampleToTime(-3));
    EXPECT_EQ(500, started.SampleToTime(0));
    EXPECT_EQ(2500, started.SampleToTime(1000));
    EXPECT_EQ(5, started.TimeToSample(0));
    EXPECT_EQ(25, started.TimeToSample(100000));
    EXPECT_EQ(2500, started.EndTime());
    EXPECT_EQ(-1, started.TimeToSample(-1));
    EXPECT_EQ(-1, Stream(0, 1, 0, 10).SampleToTime(3));
    EXPECT_EQ(-1, Stream(10, 0, 0, 10).SampleToTime(3));
    EXPECT_EQ(-1, Stream(10, 0, 0, 10).TimeToSample(3));
    EXPECT_EQ(0, Stream(0, 1, 0, 10).TimeToSample(3));
}

TEST(StreamTime, HugeHeadersSaturateInsteadOfWrapping)
{
    const long nMax = 0x7FFFFFFF;
    const QRVStreamTime slow = Stream(1, 0xFFFFFFFFu, 0, 0xFFFFFFFFu);
    EXPECT_EQ(nMax, slow.SampleToTime(nMax));
    EXPECT_EQ(nMax, slow.EndTime());
    const QRVStreamTime fast = Stream(0xFFFFFFFFu, 1, 0xFFFFFFFFu, 0xFFFFFFFFu);
    EXPECT_EQ(nMax, fast.TimeToSample(nMax));
    // A start past the LONG range is held to it as well.
    EXPECT_EQ(500, fast.SampleToTime(0));
    // 2^31 - 1 samples at 2^32 - 2 Hz are exactly half a second.
    EXPECT_EQ(500, Stream(0xFFFFFFFEu, 1, 0, 0xFFFFFFFFu).SampleToTime(nMax));
}

// Against plain 64-bit arithmetic wherever that cannot overflow.
TEST(StreamTime, AgreesWithDirectArithmeticOnOrdinaryStreams)
{
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) {
        const uint32_t nScale = 1 + random() % 100000;
        const uint32_t nRate = random() % 200000000;
        const QRVStreamTime t = Stream(nRate, nScale, random() % 1000, random() % 5000000);
        const long nSample = static_cast<long>(random() % 6000000);
        const long nTime = static_cast<long>(random() % 6000000);
        const bool bUp = nRate / nScale >= 1000;
        const int64_t nEnd = static_cast<int64_t>(t.nStart) + t.nLength;
        const int64_t nHeld = std::clamp<int64_t>(nSample, t.nStart, nEnd);
        if (nRate != 0) {
            const uint64_t num = static_cast<uint64_t>(nHeld) * nScale * 1000u;
            const int64_t nExpected = static_cast<int64_t>((num + (bUp ? nRate - 1 : 0)) / nRate);
            ASSERT_EQ(std::min<int64_t>(nExpected, 0x7FFFFFFF), t.SampleToTime(nSample));
        }
        const uint64_t den = static_cast<uint64_t>(nScale) * 1000u;
        const uint64_t num = static_cast<uint64_t>(nTime) * nRate;
        const int64_t nRaw = static_cast<int64_t>((num + (bUp ? den - 1 : 0)) / den);
        ASSERT_EQ(std::clamp<int64_t>(nRaw, t.nStart, nEnd), t.TimeToSample(nTime));
    }
}

}  // namespace
