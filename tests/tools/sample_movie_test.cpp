// Whole test movies: command-line settings, and movies whose frames walk back
// to the scene's pictures, with key frames where asked and sound interleaved
// by time.
#include <gtest/gtest.h>

#include <zlib.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "QRVCanvas.h"
#include "QRVOutput.h"
#include "QRVSampleMovie.h"
#include "QRVScenes.h"
#include "QRVScreenFormat.h"
#include "QRVTone.h"
#include "RiffWalker.h"
#include "RleWalker.h"

TEST(MovieArgs, AcceptsEveryOptionWithItsValue)
{
    QRVMovieSettings s;
    std::string strError;
    ASSERT_TRUE(QRVParseMovieArgs(
        {"out.avi", "--width",    "320", "--height",         "200", "--bpp",   "8",     "--fps",
         "25",      "--seconds",  "2.5", "--tone",           "880", "--rate",  "44100", "--sound-bits",
         "8",       "--channels", "2",   "--keyframe-every", "10",  "--scene", "bars",  "--no-empty-frames"},
        s, strError))
        << strError;
    EXPECT_EQ(s.strOutput, "out.avi");
    EXPECT_EQ(s.nWidth, 320);
    EXPECT_EQ(s.nHeight, 200);
    EXPECT_EQ(s.nBitCount, 8);
    EXPECT_EQ(s.nFps, 25u);
    EXPECT_DOUBLE_EQ(s.fSeconds, 2.5);
    EXPECT_DOUBLE_EQ(s.fToneHz, 880.0);
    EXPECT_EQ(s.nSampleRate, 44100u);
    EXPECT_EQ(s.nSoundBits, 8u);
    EXPECT_EQ(s.nChannels, 2u);
    EXPECT_EQ(s.nKeyEvery, 10u);
    EXPECT_EQ(s.strScene, "bars");
    EXPECT_FALSE(s.bEmptyWhenUnchanged);
    EXPECT_TRUE(s.bSound);
    EXPECT_EQ(s.FrameCount(), 63u);  // 62.5 rounded

    ASSERT_TRUE(QRVParseMovieArgs({"--no-sound", "x.avi"}, s, strError));
    EXPECT_FALSE(s.bSound);
    EXPECT_EQ(s.strScene, "screen");  // defaults are back
    EXPECT_EQ(s.nBitCount, 24);
}

TEST(MovieArgs, RefusesBadArgumentsWithAMessage)
{
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--width", "100"},
        {"a.avi", "b.avi"},
        {"a.avi", "--bpp", "12"},
        {"a.avi", "--bpp"},
        {"a.avi", "--width", "0"},
        {"a.avi", "--width", "12x"},
        {"a.avi", "--fps", "-3"},
        {"a.avi", "--seconds", "nan"},
        {"a.avi", "--scene", "movie"},
        {"a.avi", "--channels", "3"},
        {"a.avi", "--sound-bits", "24"},
        {"a.avi", "--frobnicate"},
    };
    for (const std::vector<std::string>& args : bad) {
        QRVMovieSettings s;
        std::string strError;
        EXPECT_FALSE(QRVParseMovieArgs(args, s, strError)) << ::testing::PrintToString(args);
        EXPECT_FALSE(strError.empty());
    }
}

namespace {

struct MovieCase {
    const char* pszScene;
    int nBits;
    int32_t nWidth, nHeight;
    uint32_t nFps, nKeyEvery;
    uint16_t nSoundBits, nChannels;
};

void PrintTo(const MovieCase& mc, std::ostream* pOut)
{
    *pOut << mc.pszScene << " " << mc.nBits << "-bit " << mc.nWidth << "x" << mc.nHeight;
}

}  // namespace

class SampleMovie : public ::testing::TestWithParam<MovieCase> {};

TEST_P(SampleMovie, FramesWalkBackToTheSceneAndSoundFollowsTheFrames)
{
    const MovieCase& mc = GetParam();
    QRVMovieSettings s;
    s.strScene = mc.pszScene;
    s.nBitCount = mc.nBits;
    s.nWidth = mc.nWidth;
    s.nHeight = mc.nHeight;
    s.nFps = mc.nFps;
    s.fSeconds = 1.0;
    s.nKeyEvery = mc.nKeyEvery;
    s.nSoundBits = mc.nSoundBits;
    s.nChannels = mc.nChannels;
    s.nSampleRate = 8000;
    QRVMemoryOutput out;
    std::string strError;
    ASSERT_TRUE(QRVWriteMovie(s, out, strError)) << strError;

    const std::vector<uint8_t>& b = out.Bytes();
    std::vector<RiffChunk> top;
    ASSERT_TRUE(ParseRiffChildren(b, 0, b.size(), top, strError)) << strError;
    ASSERT_EQ(top.size(), 1u);
    const RiffChunk* pMovi = top[0].Find("LIST", "movi");
    const RiffChunk* pIdx1 = top[0].Find("idx1");
    ASSERT_TRUE(pMovi && pIdx1);
    ASSERT_EQ(pIdx1->nSize, 16u * pMovi->children.size());

    QRVPicture painted, expected;
    ASSERT_TRUE(painted.Create(s.nWidth, s.nHeight, s.nBitCount));
    std::unique_ptr<QRVScene> pScene = QRVMakeScene(s.strScene);
    QRVCanvas canvas(s.nWidth, s.nHeight);
    std::vector<uint8_t> sound;
    uint32_t nFrame = 0;
    size_t nEmpty = 0;
    const uint32_t nBlock = s.nChannels * (s.nSoundBits / 8u);
    for (size_t i = 0; i < pMovi->children.size(); ++i) {
        const RiffChunk& c = pMovi->children[i];
        const std::vector<uint8_t> data(b.begin() + c.nOffset + 8, b.begin() + c.nOffset + 8 + c.nSize);
        const uint32_t nFlags = RiffU32(b, pIdx1->DataOffset() + 16 * i + 4);
        if (c.strId == "01wb") {
            EXPECT_EQ(nFlags, 0x10u);
            sound.insert(sound.end(), data.begin(), data.end());
            continue;
        }
        ASSERT_EQ(c.strId, "00dc");
        // Sound up to the end of this frame's time span is already there.
        EXPECT_EQ(sound.size() / nBlock, static_cast<uint64_t>(nFrame + 1) * s.nSampleRate / s.nFps)
            << nFrame;
        const bool bKey = nFrame % s.nKeyEvery == 0;
        EXPECT_EQ(nFlags, bKey ? 0x10u : 0u) << nFrame;
        if (data.empty()) {
            EXPECT_FALSE(bKey);
            ++nEmpty;
        } else {
            std::vector<uint8_t> stream = data;
            if (data.size() > QRVScreenFormat::SCF_BARE_LIMIT) {
                stream.resize(QRVScreenFormat::MaxStreamBytes(s.nWidth, s.nHeight, s.nBitCount));
                uLongf nOut = static_cast<uLongf>(stream.size());
                ASSERT_EQ(uncompress(stream.data(), &nOut, data.data(), static_cast<uLong>(data.size())),
                          Z_OK)
                    << nFrame;
                stream.resize(nOut);
            }
            const RleWalk walk = WalkRle(stream, painted);
            ASSERT_TRUE(walk.bOk) << walk.strError << " frame " << nFrame;
            if (bKey) {
                for (uint32_t nRow : walk.rowPixels)
                    ASSERT_EQ(nRow, static_cast<uint32_t>(s.nWidth));
            }
        }
        pScene->Render(nFrame, s.nFps, canvas);
        ASSERT_TRUE(canvas.ToPicture(expected, s.nBitCount));
        ASSERT_EQ(painted.Bytes(), expected.Bytes()) << "frame " << nFrame;
        ++nFrame;
    }
    EXPECT_EQ(nFrame, s.FrameCount());
    if (s.strScene == "bars") {
        EXPECT_GT(nEmpty, 0u);
    }
    QRVToneFormat tone;
    tone.nChannels = s.nChannels;
    tone.nSamplesPerSec = s.nSampleRate;
    tone.nBitsPerSample = s.nSoundBits;
    EXPECT_EQ(sound, QRVSineTone(tone, s.fToneHz, s.fToneAmplitude, 0, s.nSampleRate));
}

INSTANTIATE_TEST_SUITE_P(ScenesAndFormats, SampleMovie,
                         ::testing::Values(MovieCase{"screen", 8, 160, 120, 10, 4, 16, 1},
                                           MovieCase{"screen", 16, 161, 97, 12, 5, 8, 2},
                                           MovieCase{"screen", 24, 203, 150, 15, 30, 16, 2},
                                           MovieCase{"screen", 32, 120, 90, 7, 1, 8, 1},
                                           MovieCase{"noise", 8, 37, 13, 5, 3, 16, 1},
                                           MovieCase{"noise", 24, 19, 11, 5, 2, 16, 1},
                                           MovieCase{"bars", 16, 64, 48, 10, 6, 16, 1},
                                           MovieCase{"bars", 32, 50, 30, 10, 4, 8, 2},
                                           MovieCase{"video", 24, 180, 120, 10, 8, 16, 1}));

// The "video" scene: between scrolls about a ninth of the screen changes
// from one frame to the next; a scroll moves much of the document as well.
TEST(VideoScene, ANinthOfTheScreenChangesEveryFrameAndMoreWhileTheDocumentScrolls)
{
    const std::unique_ptr<QRVScene> pScene = QRVMakeScene("video");
    ASSERT_NE(nullptr, pScene);
    const uint32_t nFps = 10;
    auto changed = [&](uint32_t nFrame) {
        QRVCanvas a(480, 270), b(480, 270);
        pScene->Render(nFrame, nFps, a);
        pScene->Render(nFrame + 1, nFps, b);
        uint32_t n = 0;
        for (int32_t y = 0; y < a.Height(); ++y)
            for (int32_t x = 0; x < a.Width(); ++x)
                n += a.Get(x, y) != b.Get(x, y);
        return static_cast<double>(n) / (a.Width() * a.Height());
    };
    for (uint32_t nFrame : {10u, 25u, 37u}) {  // no scroll between these and the next
        EXPECT_GT(changed(nFrame), 1.0 / 11) << nFrame;
        EXPECT_LT(changed(nFrame), 1.0 / 7) << nFrame;
    }
    EXPECT_GT(changed(40), changed(10) + 0.05);  // the scroll every four seconds
}

TEST(SineTone, HasTheAskedPeakAndStaysInPhaseAcrossPieces)
{
    QRVToneFormat f;
    f.nSamplesPerSec = 8000;
    f.nBitsPerSample = 16;
    f.nChannels = 2;
    const std::vector<uint8_t> whole = QRVSineTone(f, 1000.0, 0.5, 0, 800);
    ASSERT_EQ(whole.size(), 800u * 4);
    std::vector<uint8_t> pieces = QRVSineTone(f, 1000.0, 0.5, 0, 333);
    const std::vector<uint8_t> rest = QRVSineTone(f, 1000.0, 0.5, 333, 467);
    pieces.insert(pieces.end(), rest.begin(), rest.end());
    EXPECT_EQ(pieces, whole);
    int nPeak = 0;
    for (size_t i = 0; i < whole.size(); i += 2)
        nPeak = std::max(nPeak, std::abs(static_cast<int16_t>(whole[i] | whole[i + 1] << 8)));
    EXPECT_EQ(nPeak, 16384);  // 1 kHz at 8 kHz reaches the crest at sample 2
    f.nBitsPerSample = 8;
    f.nChannels = 1;
    const std::vector<uint8_t> eight = QRVSineTone(f, 1000.0, 1.0, 0, 8);
    EXPECT_EQ(eight, (std::vector<uint8_t>{128, 218, 255, 218, 128, 38, 1, 38}));
    f.nBitsPerSample = 24;
    EXPECT_TRUE(QRVSineTone(f, 1000.0, 1.0, 0, 8).empty());
}
