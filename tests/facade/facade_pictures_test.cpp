// Pictures by time from "qrvc" movies of our writer, served by our own
// reader alone: every depth, classic and OpenDML, small and over 1 GiB;
// pixels compared with what was encoded at sequential frames, after jumps
// forward and back, at the end time and past it; the frames decoded per
// request.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "FacadeChecks.h"
#include "FacadeFiles.h"
#include "QRVAviFile.h"
#include "msgbox.h"

namespace {

struct DepthCase {
    int nBitCount;
    bool bOpenDml;
    bool bLarge;
};

std::string CaseName(const ::testing::TestParamInfo<DepthCase>& info)
{
    return std::to_string(info.param.nBitCount) + (info.param.bOpenDml ? "_OpenDml" : "_Classic") +
           (info.param.bLarge ? "_Large" : "_Small");
}

class FacadePictures : public ::testing::TestWithParam<DepthCase> {};

}  // namespace

TEST_P(FacadePictures, EveryFrameMatchesWhatWasEncodedInOrderAfterJumpsAndAtTheEnd)
{
    const DepthCase& c = GetParam();
    CTestFile path("pictures.avi");
    FacadeMovieRecipe recipe;
    recipe.nBitCount = c.nBitCount;
    recipe.bOpenDml = c.bOpenDml;
    if (c.bLarge)
        recipe.nFillerPerFrame = 30u << 20;  // 40 frames: 1.2 GB, almost all of it a gap
    FacadeMovie movie;
    ASSERT_TRUE(FacadeWriteMovie(path.Path(), recipe, movie));
    ASSERT_EQ(c.bLarge, movie.nFileSize > FMT_ONE_GIB);

    QRVAviFile file;
    ASSERT_TRUE(file.Open(path.Wide()));
    EXPECT_TRUE(file.IsServedByOwnReader());
    ASSERT_EQ(1u, file.GetVideoStreamCount());
    ASSERT_TRUE(file.HasBuiltInDecoder(0));
    ASSERT_TRUE(file.GetFrameOpen(0));
    const long nEnd = file.GetVideoEndTime(0);
    EXPECT_EQ(file.VideoSampleToTime(0, recipe.nFrames), nEnd);

    long nCurrent = -1;
    for (uint32_t f = 0; f < recipe.nFrames; ++f)
        FacadeExpectFrameAt(file, movie, f, recipe.nFps, nCurrent);
    FacadeExpectJumps(file, movie, recipe.nFrames, recipe.nFps, nCurrent);

    // The end time is the last frame; past it nothing comes back.
    nCurrent = 5;
    BITMAPINFOHEADER* pHeader = nullptr;
    uint8_t* pBits = nullptr;
    file.GetFrame(0, nEnd, &pHeader, &pBits, nCurrent, false);
    EXPECT_EQ(static_cast<long>(recipe.nFrames - 1), nCurrent);
    if (!movie.empty[recipe.nFrames - 1]) {
        EXPECT_TRUE(FacadeSamePicture(pHeader, pBits, movie.pictures[recipe.nFrames - 1]));
    }
    EXPECT_FALSE(file.GetFrame(0, nEnd + 1, &pHeader, &pBits, nCurrent, false));
    EXPECT_EQ(nullptr, pHeader);
    EXPECT_EQ(nullptr, pBits);
    EXPECT_EQ(static_cast<long>(recipe.nFrames - 1), nCurrent);

    // The frame already current is not delivered again.
    FacadeExpectFrameAt(file, movie, 7, recipe.nFps, nCurrent);
    EXPECT_FALSE(file.GetFrame(0, FacadeMidTime(7, recipe.nFps), &pHeader, &pBits, nCurrent, false));
    EXPECT_EQ(nullptr, pHeader);
    EXPECT_EQ(7, nCurrent);
    EXPECT_TRUE(file.GetFrameClose(0));

    // A closed movie holds no handle on its file: it can be deleted.
    file.Close();
    EXPECT_TRUE(::DeleteFileW(path.Wide())) << ::GetLastError();
}

INSTANTIATE_TEST_SUITE_P(Depths, FacadePictures,
                         ::testing::Values(DepthCase{8, false, false}, DepthCase{16, false, false},
                                           DepthCase{24, false, false}, DepthCase{32, false, false},
                                           DepthCase{8, true, false}, DepthCase{16, true, false},
                                           DepthCase{24, true, false}, DepthCase{32, true, false},
                                           DepthCase{8, true, true}, DepthCase{16, true, true},
                                           DepthCase{24, true, true}, DepthCase{32, true, true}),
                         CaseName);

namespace {

class FacadeEconomy : public ::testing::TestWithParam<bool> {};

}  // namespace

// Key frames at 0, 10, 20, 30; no empty frames ("noise"), so every request
// decodes exactly the frames between its start (the picture held, a
// snapshot kept on an earlier way, or the key frame) and its target.
TEST_P(FacadeEconomy, StepsDecodeOneFrameAndJumpsDecodeFromTheNearestStart)
{
    const bool bOpenDml = GetParam();
    CTestFile path("economy.avi");
    FacadeMovieRecipe recipe;
    recipe.strScene = "noise";
    recipe.bOpenDml = bOpenDml;
    if (bOpenDml)
        recipe.nFillerPerFrame = 30u << 20;
    FacadeMovie movie;
    ASSERT_TRUE(FacadeWriteMovie(path.Path(), recipe, movie));
    for (uint32_t f = 0; f < recipe.nFrames; ++f)
        ASSERT_EQ(f % 10 == 0, movie.keys[f]) << f;

    QRVAviFile file;
    ASSERT_TRUE(file.Open(path.Wide()));
    ASSERT_TRUE(file.GetFrameOpen(0));
    struct Request {
        uint32_t nTarget;
        bool bKeyOnly;
        long nExpectFrame;  // frame settled on
        uint32_t nDecodes;
        bool bPicture;
    };
    const Request requests[] = {
        {0, false, 0, 1, true},     // first picture
        {1, false, 1, 1, true},     // a step decodes the frame alone
        {5, false, 5, 4, true},     // forward within an interval: continues from 1
        {23, false, 23, 4, true},   // across key frame 20: 20..23, snapshots of 20..22
        {21, false, 21, 0, true},   // back within the interval: the snapshot of 21
        {30, false, 30, 1, true},   // onto a key frame: itself
        {29, false, 29, 7, true},   // one step back: from the snapshot of 22
        {35, true, 30, 1, true},    // key frames only, forward: 30 alone
        {38, true, 30, 0, false},   // forward, no newer key frame: nothing
        {15, true, 10, 1, true},    // key frames only, back: 10 alone
        {11, false, 11, 1, true},   // then a step
    };
    long nCurrent = -1;
    for (const Request& r : requests) {
        SCOPED_TRACE("to " + std::to_string(r.nTarget) + (r.bKeyOnly ? " key frames only" : ""));
        const uint32_t nBefore = file.GetDecodedFrameCount();
        BITMAPINFOHEADER* pHeader = nullptr;
        uint8_t* pBits = nullptr;
        file.GetFrame(0, FacadeMidTime(r.nTarget, recipe.nFps), &pHeader, &pBits, nCurrent, r.bKeyOnly);
        EXPECT_EQ(r.nExpectFrame, nCurrent);
        EXPECT_EQ(r.nDecodes, file.GetDecodedFrameCount() - nBefore);
        if (r.bPicture)
            EXPECT_TRUE(FacadeSamePicture(pHeader, pBits, movie.pictures[r.nExpectFrame]));
        else
            EXPECT_EQ(nullptr, pHeader);
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, FacadeEconomy, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "OpenDmlLarge" : "Classic");
                         });

namespace {

class FacadeStepping : public ::testing::TestWithParam<int> {};

}  // namespace

// Key frames 60 frames apart: one step at a time back from the last frame
// through two intervals, then forward again; every picture as encoded, with
// the colour table of its frame at 8 bits, and bounded work per step.
TEST_P(FacadeStepping, StepsBackThroughLongIntervalsDeliverEveryPictureAsEncoded)
{
    CTestFile path("stepping.avi");
    FacadeMovieRecipe recipe;
    recipe.nBitCount = GetParam();
    recipe.nFrames = 130;
    recipe.nKeyEvery = 60;
    recipe.strScene = "video";
    if (recipe.nBitCount == 8)
        recipe.paletteChanges = {30, 75, 76, 118};
    FacadeMovie movie;
    ASSERT_TRUE(FacadeWriteMovie(path.Path(), recipe, movie));

    QRVAviFile file;
    ASSERT_TRUE(file.Open(path.Wide()));
    ASSERT_TRUE(file.GetFrameOpen(0));
    long nCurrent = -1;
    uint32_t nMost = 0;
    for (long f = recipe.nFrames - 1; f >= 0; --f) {
        const uint32_t nBefore = file.GetDecodedFrameCount();
        FacadeExpectFrameAt(file, movie, static_cast<uint32_t>(f), recipe.nFps, nCurrent);
        if (f != static_cast<long>(recipe.nFrames) - 1 && f % 60 != 59)
            nMost = std::max(nMost, file.GetDecodedFrameCount() - nBefore);
    }
    // Without snapshots a step back decodes up to 60 frames.
    EXPECT_LE(nMost, 2u * 60 / 9 + 2);
    for (uint32_t f = 1; f < 70; ++f)
        FacadeExpectFrameAt(file, movie, f, recipe.nFps, nCurrent);
    const uint64_t nCopies = file.GetPictureCopyCount();
    for (uint32_t f = 70; f < recipe.nFrames; ++f)
        FacadeExpectFrameAt(file, movie, f, recipe.nFps, nCurrent);
    EXPECT_EQ(nCopies, file.GetPictureCopyCount()) << "playback copied pictures";
    EXPECT_LE(file.GetPictureBytesHeld(), 9u * 48 * 36 * 4);
}

INSTANTIATE_TEST_SUITE_P(Depths, FacadeStepping, ::testing::Values(8, 16, 24, 32),
                         [](const ::testing::TestParamInfo<int>& info) { return std::to_string(info.param); });

TEST(FacadeEmptyFrames, ZeroByteChunksAreSkippedOnTheWayAndAZeroByteTargetShowsThePictureItLeaves)
{
    CTestFile path("empty.avi");
    FacadeMovieRecipe recipe;  // "bars": the block moves every other frame
    FacadeMovie movie;
    ASSERT_TRUE(FacadeWriteMovie(path.Path(), recipe, movie));
    uint32_t nEmpty = 0;
    while (nEmpty < recipe.nFrames && !(movie.empty[nEmpty] && !movie.keys[nEmpty + 1] && !movie.keys[nEmpty]))
        ++nEmpty;
    ASSERT_LT(nEmpty + 1, recipe.nFrames) << "the scene made no empty frame";

    QRVAviFile file;
    ASSERT_TRUE(file.Open(path.Wide()));
    ASSERT_TRUE(file.GetFrameOpen(0));
    long nCurrent = -1;
    // A jump to the frame after an empty one decodes across it; a jump back
    // to the empty frame shows the picture it leaves (the frame before it),
    // not the one shown; a step onto it from the frame before delivers
    // nothing; the step after it builds on the right picture.
    for (uint32_t f : {nEmpty + 1, nEmpty, nEmpty - 1, nEmpty, nEmpty + 1})
        FacadeExpectFrameAt(file, movie, f, recipe.nFps, nCurrent);
}

TEST(FacadeRequests, BadIndexesAndUnopenedReadersDeliverNothing)
{
    CTestFile path("bad.avi");
    FacadeMovieRecipe recipe;
    FacadeMovie movie;
    ASSERT_TRUE(FacadeWriteMovie(path.Path(), recipe, movie));
    QRVAviFile file;
    ASSERT_TRUE(file.Open(path.Wide()));
    long nCurrent = -1;
    BITMAPINFOHEADER* pHeader = reinterpret_cast<BITMAPINFOHEADER*>(&nCurrent);
    uint8_t* pBits = reinterpret_cast<uint8_t*>(&nCurrent);
    // Before the frame reader is opened the end time is 0.
    EXPECT_FALSE(file.GetFrame(0, 100, &pHeader, &pBits, nCurrent, false));
    EXPECT_EQ(nullptr, pHeader);
    EXPECT_EQ(nullptr, pBits);
    EXPECT_FALSE(file.GetFrameOpen(1));
    EXPECT_FALSE(file.GetFrame(1, 0, &pHeader, &pBits, nCurrent, false));
    EXPECT_FALSE(
        file.GetFrameAtSample(0, static_cast<long>(recipe.nFrames), &pHeader, &pBits, nCurrent, false));
    EXPECT_FALSE(file.GetFrameAtSample(0, -1, &pHeader, &pBits, nCurrent, false));
    EXPECT_EQ(-1, nCurrent);
    EXPECT_EQ(nullptr, file.GetVideoFormat(1));
    EXPECT_EQ(nullptr, file.GetVideoInfo(5));
    EXPECT_EQ(0, file.GetVideoEndTime(1));
    EXPECT_FALSE(file.HasBuiltInDecoder(1));
    EXPECT_EQ(nullptr, file.GetPaletteColors(1));
    ASSERT_TRUE(file.GetFrameOpen(0));
    EXPECT_TRUE(file.GetFrameAtSample(0, 0, &pHeader, &pBits, nCurrent, false) || pHeader != nullptr);
    EXPECT_TRUE(FacadeSamePicture(pHeader, pBits, movie.pictures[0]));
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(0u, file.GetVideoStreamCount());
    EXPECT_FALSE(file.GetFrame(0, 0, &pHeader, &pBits, nCurrent, false));
}

// A large "qrvc" movie whose super indexes our reader refuses (two longs
// per entry): its legacy index covers the first RIFF chunk only, so the
// index comes from a walk of the "movi" data, and every frame of every RIFF
// chunk is delivered, in order and after jumps.
TEST(FacadeLargeRefusedSuperIndex, EveryFrameIsDeliveredFromTheWalkOfTheMovieData)
{
    CTestFile path("unindexed.avi");
    FacadeMovieRecipe recipe;
    recipe.strScene = "noise";
    recipe.bOpenDml = true;
    recipe.nFillerPerFrame = 30u << 20;
    recipe.odml.nLongsPerEntry = 2;  // refused by our reader
    FacadeMovie movie;
    ASSERT_TRUE(FacadeWriteMovie(path.Path(), recipe, movie));
    ASSERT_GT(movie.nFileSize, FMT_ONE_GIB);
    const std::vector<FacadeChunk> chunks = FacadeMapMovie(path.Path());
    ASSERT_NE(nullptr, FacadeFindChunk(chunks, "AVIX"));  // more than one RIFF chunk

    QRVAviFile file;
    ASSERT_TRUE(file.Open(path.Wide()));
    EXPECT_TRUE(file.IsServedByOwnReader());
    ASSERT_EQ(recipe.nFrames, file.GetVideoInfo(0)->dwLength);
    ASSERT_TRUE(file.GetFrameOpen(0));
    long nCurrent = -1;
    for (uint32_t f = 0; f < recipe.nFrames; ++f)
        FacadeExpectFrameAt(file, movie, f, recipe.nFps, nCurrent);
    FacadeExpectJumps(file, movie, recipe.nFrames, recipe.nFps, nCurrent);
}
