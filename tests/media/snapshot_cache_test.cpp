// The snapshot cache over a made-up stream whose every picture depends on
// all frames since its key frame: whatever the order of requests and the
// budget, each picture reached equals a decode from the key frame; a walk
// back costs a few decodes a step; playback never copies; a failed frame
// drops everything.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "QRVSnapshotCache.h"

namespace {

constexpr uint32_t TEST_PICTURE = 64;

// Keys every nKeyEvery frames; frames in `empty` change nothing, frames in
// `failing` cannot be decoded. A key frame writes every byte; a delta mixes
// the frame number into every byte of the picture before it.
class CFakeStream : public QRVFrameSource {
public:
    CFakeStream(long nFrames, long nKeyEvery, uint32_t nSeed) : m_nFrames(nFrames), m_nKeyEvery(nKeyEvery), m_nSeed(nSeed) {}

    long KeyFrameAtOrBefore(long nFrame) override { return nFrame - nFrame % m_nKeyEvery; }
    QRVPaintResult Paint(long nFrame, uint8_t* pPicture, uint32_t& cbFrame) override
    {
        cbFrame = 100;
        if (nFrame < 0 || nFrame >= m_nFrames || failing.count(nFrame) != 0)
            return SNP_FAILED;
        ++nDecodes;
        if (empty.count(nFrame) != 0)
            return SNP_EMPTY;
        for (uint32_t i = 0; i < TEST_PICTURE; ++i) {
            const uint32_t v = (static_cast<uint32_t>(nFrame) * 2654435761u) ^ (i * 40503u) ^ m_nSeed;
            pPicture[i] = nFrame % m_nKeyEvery == 0 ? static_cast<uint8_t>(v >> 7)
                                                     : static_cast<uint8_t>(pPicture[i] * 31 + (v >> 11));
        }
        return SNP_PAINTED;
    }
    // The picture of frame n decoded from its key frame.
    std::vector<uint8_t> Expected(long nFrame)
    {
        std::vector<uint8_t> picture(TEST_PICTURE);
        const uint64_t nBefore = nDecodes;
        uint32_t cb = 0;
        for (long j = KeyFrameAtOrBefore(nFrame); j <= nFrame; ++j)
            Paint(j, picture.data(), cb);
        nDecodes = nBefore;
        return picture;
    }

    std::set<long> empty, failing;
    uint64_t nDecodes = 0;

private:
    long m_nFrames, m_nKeyEvery;
    uint32_t m_nSeed;
};

// Reaches every target and checks what the cache says it holds.
void ExpectExact(QRVSnapshotCache& cache, CFakeStream& stream, const std::vector<long>& targets)
{
    for (long nTarget : targets) {
        SCOPED_TRACE("frame " + std::to_string(nTarget));
        const QRVPaintResult result = cache.Reach(nTarget, false, stream);
        ASSERT_NE(SNP_FAILED, result);
        if (result == SNP_PAINTED || cache.HeldFrame() == nTarget) {
            ASSERT_EQ(nTarget, cache.HeldFrame());
            ASSERT_EQ(stream.Expected(nTarget), std::vector<uint8_t>(cache.Picture(), cache.Picture() + TEST_PICTURE));
        }
        ASSERT_LE(cache.SnapshotCount(), cache.Capacity());
        ASSERT_LE(cache.BytesHeld(), (cache.Capacity() + 1ull) * TEST_PICTURE);
    }
}

std::vector<long> Range(long nFrom, long nTo)  // inclusive, either direction
{
    std::vector<long> v;
    for (long f = nFrom;; f += nFrom <= nTo ? 1 : -1) {
        v.push_back(f);
        if (f == nTo)
            break;
    }
    return v;
}

}  // namespace

TEST(SnapshotCache, EveryPictureEqualsADecodeFromItsKeyFrameWhateverTheOrderAndBudget)
{
    std::vector<long> random;
    for (uint32_t i = 0, n = 7; i < 400; ++i) {
        n = n * 1664525u + 1013904223u;
        random.push_back(static_cast<long>((n >> 9) % 600));
    }
    std::vector<long> zigzag;  // back ten, forward five, through two intervals
    for (long f = 590; f > 200; f -= 5) {
        const std::vector<long> back = Range(f, f - 10), forward = Range(f - 9, f - 5);
        zigzag.insert(zigzag.end(), back.begin(), back.end());
        zigzag.insert(zigzag.end(), forward.begin(), forward.end());
    }
    const struct {
        const char* pszName;
        std::vector<long> targets;
    } walks[] = {
        {"back through an interval and into the one before", Range(599, 250)},
        {"forward then back", [] {
             std::vector<long> v = Range(0, 320), w = Range(319, 0);
             v.insert(v.end(), w.begin(), w.end());
             return v;
         }()},
        {"random", random},
        {"zigzag", zigzag},
    };
    for (uint32_t nPictures : {0u, 1u, 2u, 8u}) {
        for (const auto& walk : walks) {
            SCOPED_TRACE(std::string(walk.pszName) + ", " + std::to_string(nPictures) + " snapshots");
            CFakeStream stream(600, 300, nPictures);
            stream.empty = {7, 150, 151, 298, 299, 301, 450};
            QRVSnapshotCache cache(SNP_BUDGET_BYTES, nPictures);
            ASSERT_TRUE(cache.SetPictureSize(TEST_PICTURE));
            ASSERT_EQ(nPictures, cache.Capacity());
            ExpectExact(cache, stream, walk.targets);
        }
    }
}

TEST(SnapshotCache, AWalkBackDecodesAFewFramesAStepAndPlaybackNeverCopies)
{
    CFakeStream stream(600, 300, 1);
    QRVSnapshotCache cache;
    ASSERT_TRUE(cache.SetPictureSize(TEST_PICTURE));
    ASSERT_EQ(SNP_PAINTED, cache.Reach(599, false, stream));
    uint64_t nMost = 0;
    const uint64_t nStart = stream.nDecodes;
    for (long f = 598; f >= 300; --f) {
        const uint64_t nBefore = stream.nDecodes;
        ASSERT_EQ(SNP_PAINTED, cache.Reach(f, false, stream));
        nMost = std::max(nMost, stream.nDecodes - nBefore);
    }
    // Without snapshots: 150 a step on average, 299 at most.
    EXPECT_LE(stream.nDecodes - nStart, 4u * 299);
    EXPECT_LE(nMost, 2u * 300 / 9 + 2);

    // Playback from a key frame: one decode a frame, no copy.
    const uint64_t nCopies = cache.CopyCount();
    const uint64_t nBefore = stream.nDecodes;
    for (long f = 0; f < 300; ++f)
        ASSERT_EQ(SNP_PAINTED, cache.Reach(f, false, stream));
    EXPECT_EQ(300u, stream.nDecodes - nBefore);
    EXPECT_EQ(nCopies, cache.CopyCount());
}

TEST(SnapshotCache, AFailedFrameOrAnotherStreamStartsFromNothing)
{
    CFakeStream stream(600, 300, 1);
    QRVSnapshotCache cache;
    ASSERT_TRUE(cache.SetPictureSize(TEST_PICTURE));
    ExpectExact(cache, stream, Range(299, 250));
    ASSERT_GT(cache.SnapshotCount(), 0u);

    stream.failing = {260};
    EXPECT_EQ(SNP_FAILED, cache.Reach(270, false, stream));
    EXPECT_EQ(-1, cache.HeldFrame());
    EXPECT_EQ(0u, cache.SnapshotCount());
    stream.failing.clear();
    ExpectExact(cache, stream, Range(280, 240));

    // Other pictures entirely: nothing of the first stream may show through.
    CFakeStream other(600, 300, 99);
    cache.Drop();
    EXPECT_EQ(0u, cache.SnapshotCount());
    ExpectExact(cache, other, Range(280, 230));
}

TEST(SnapshotCache, TheBudgetIsTheSmallerOf64MiBAnd8PicturesAndNoneForHugePictures)
{
    const struct {
        uint32_t cbPicture;
        uint32_t nCapacity;
    } cases[] = {
        {64, 8},
        {1920 * 1080 * 4, 8},
        {2560 * 1600 * 4, 4},
        {3840 * 2160 * 4, 2},
        {(64u << 20) + 4, 0},
    };
    for (const auto& c : cases) {
        QRVSnapshotCache cache;
        if (!cache.SetPictureSize(c.cbPicture))
            continue;  // memory short for the picture itself
        EXPECT_EQ(c.nCapacity, cache.Capacity()) << c.cbPicture;
    }
}

TEST(SnapshotCache, PlannedSnapshotsLieInsideTheRunWithTheFirstNoFartherThanTwoShares)
{
    for (long nLength : {2L, 3L, 9L, 10L, 300L, 3000L, 1000000L}) {
        for (uint32_t nFree : {0u, 1u, 3u, 8u}) {
            SCOPED_TRACE(std::to_string(nLength) + " frames, " + std::to_string(nFree) + " free");
            const std::vector<long> plan = QRVSnapshotCache::PlanSnapshots(-1, nLength - 1, nFree);
            EXPECT_LE(plan.size(), nFree);
            EXPECT_TRUE(std::is_sorted(plan.begin(), plan.end()));
            EXPECT_EQ(plan.end(), std::adjacent_find(plan.begin(), plan.end()));
            if (!plan.empty()) {
                EXPECT_GE(plan.front(), 0);
                EXPECT_LT(plan.back(), nLength - 1);
                EXPECT_LE(plan.front() + 1, 2 * ((nLength + nFree) / (nFree + 1)));
            }
            if (nFree > 0 && nLength > 2) {
                EXPECT_FALSE(plan.empty());
            }
        }
    }
}
