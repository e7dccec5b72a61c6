// Damaged movies of our writer, served by our own reader alone: classic
// movies of every depth with sound cut at many places (inside chunk heads,
// inside picture, sound and palette data, inside the legacy index), without
// their legacy index, with header counts zeroed and with RIFF and "movi"
// sizes that cannot be right; and an OpenDML movie over 1 GiB without a
// legacy index, cut inside its third RIFF chunk. Each opens without a
// message; every picture left is delivered exactly, in order and after
// jumps; frames past the cut deliver nothing; the sound reads back up to the
// cut in whole blocks. Headers with nothing to play get the open failure.
#include <gtest/gtest.h>

#include <cstddef>
#include <cwchar>
#include <string>
#include <vector>

#include "FacadeChecks.h"
#include "FacadeFiles.h"
#include "QRVAviFile.h"
#include "QRVAviRecords.h"
#include "afxstring.h"
#include "msgbox.h"
#include "resource.h"

namespace {

enum class Step {
    CUT,  // the file ends nAt bytes after the chunk's head
    SET,  // the 32-bit field nAt bytes into the chunk's data becomes nValue
    FIT,  // the chunk's size reaches just to the end of the file
};

constexpr int64_t DMG_MIDDLE = -1;      // CUT: in the middle of the chunk's data
constexpr int64_t DMG_END = -2;         // CUT: right after the chunk's data
constexpr int64_t DMG_SIZE_FIELD = -4;  // SET: the chunk's size
constexpr int64_t DMG_TOTAL_FRAMES = offsetof(QRVAviMainHeader, dwTotalFrames);
constexpr int64_t DMG_STREAMS = offsetof(QRVAviMainHeader, dwStreams);
constexpr int64_t DMG_LENGTH = offsetof(QRVAviStreamHeader, dwLength);

struct DamageStep {
    Step kind;
    const char* pszChunk;  // id or list type of the chunk
    uint32_t nth;          // which of them, from 0 (stream data: the frame's)
    int64_t nAt;
    uint32_t nValue;
};

struct DamageCase {
    const char* pszName;
    std::vector<DamageStep> steps;
};

// Palette changes ("00pc") are only in the 8-bit movie; the other damage
// applies to every movie.
const DamageCase s_damage[] = {
    {"CutInsidePictureHead", {{Step::CUT, "00dc", 17, 5, 0}}},
    {"CutInsideSoundHead", {{Step::CUT, "01wb", 9, 3, 0}}},
    {"CutInsidePicture", {{Step::CUT, "00dc", 22, DMG_MIDDLE, 0}}},
    {"CutRightAfterPicture", {{Step::CUT, "00dc", 30, DMG_END, 0}}},
    {"CutInsideSoundOddByte", {{Step::CUT, "01wb", 31, 8 + 1001, 0}}},
    {"CutInsideFirstSound", {{Step::CUT, "01wb", 0, 8 + 301, 0}}},
    {"CutInsideLastPicture", {{Step::CUT, "00dc", 38, DMG_MIDDLE, 0}}},  // 39 is an empty chunk
    {"CutInsidePaletteChange", {{Step::CUT, "00pc", 1, DMG_MIDDLE, 0}}},
    {"CutInsideLegacyIndexHead", {{Step::CUT, "idx1", 0, 6, 0}}},
    {"CutInsideLegacyIndex", {{Step::CUT, "idx1", 0, DMG_MIDDLE, 0}}},
    {"CutBeforeLegacyIndex", {{Step::CUT, "idx1", 0, 0, 0}}},
    {"LegacyIndexRemoved", {{Step::CUT, "idx1", 0, 0, 0}, {Step::FIT, "RIFF", 0, 0, 0}}},
    {"TotalFramesZeroed", {{Step::SET, "avih", 0, DMG_TOTAL_FRAMES, 0}}},
    {"StreamCountZeroed", {{Step::SET, "avih", 0, DMG_STREAMS, 0}}},
    {"StreamLengthsZeroed", {{Step::SET, "strh", 0, DMG_LENGTH, 0}, {Step::SET, "strh", 1, DMG_LENGTH, 0}}},
    {"RiffSizeZero", {{Step::SET, "RIFF", 0, DMG_SIZE_FIELD, 0}}},
    {"RiffSizeAllOnes", {{Step::SET, "RIFF", 0, DMG_SIZE_FIELD, 0xFFFFFFFF}}},
    {"MoviSizeZero", {{Step::SET, "movi", 0, DMG_SIZE_FIELD, 0}}},
    {"MoviSizeAllOnes", {{Step::SET, "movi", 0, DMG_SIZE_FIELD, 0xFFFFFFFF}}},
    {"MoviSizeLeftAtItsPlaceholder", {{Step::SET, "movi", 0, DMG_SIZE_FIELD, 4}}},
    // A recorder that stopped: sizes and counts as they were at the start.
    {"UnfinishedRecording",
     {{Step::CUT, "00dc", 32, DMG_MIDDLE, 0},
      {Step::SET, "RIFF", 0, DMG_SIZE_FIELD, 0},
      {Step::SET, "movi", 0, DMG_SIZE_FIELD, 4},
      {Step::SET, "avih", 0, DMG_TOTAL_FRAMES, 0},
      {Step::SET, "strh", 0, DMG_LENGTH, 0},
      {Step::SET, "strh", 1, DMG_LENGTH, 0}}},
};

// Applies the steps to the movie's bytes; nCut receives where the file now
// ends (UINT64_MAX: not cut). False when a chunk they name is not there, or
// has no middle to cut in.
bool Damage(std::vector<uint8_t>& bytes, const std::vector<FacadeChunk>& chunks,
            const std::vector<DamageStep>& steps, uint64_t& nCut)
{
    nCut = UINT64_MAX;
    for (const DamageStep& step : steps) {
        const FacadeChunk* pChunk = FacadeFindChunk(chunks, step.pszChunk, step.nth);
        if (pChunk == nullptr || (step.nAt == DMG_MIDDLE && pChunk->nSize < 2))
            return false;
        switch (step.kind) {
        case Step::CUT:
            nCut = pChunk->nOffset + (step.nAt == DMG_MIDDLE ? 8 + pChunk->nSize / 2
                                      : step.nAt == DMG_END  ? 8 + pChunk->nSize
                                                             : static_cast<uint64_t>(step.nAt));
            bytes.resize(static_cast<size_t>(std::min<uint64_t>(nCut, bytes.size())));
            break;
        case Step::SET:
            FacadePatch32(bytes, pChunk->Data() + step.nAt, step.nValue);
            break;
        case Step::FIT:
            FacadePatch32(bytes, pChunk->Data() + DMG_SIZE_FIELD,
                          static_cast<uint32_t>(bytes.size() - pChunk->Data()));
            break;
        }
    }
    return true;
}

// Opens the damaged movie and checks it against what was encoded: served by
// our own reader without a message, the pictures left delivered exactly (in
// order and after jumps), nothing past them by time or by number, and the
// sound left read back, no more.
void ExpectServed(const std::wstring& strPath, const FacadeMovieRecipe& recipe, const FacadeMovie& movie,
                  const FacadeRemains& remains)
{
    CMessageBoxCapture capture;
    QRVAviFile file;
    ASSERT_TRUE(file.Open(strPath.c_str()));
    EXPECT_TRUE(file.IsServedByOwnReader());
    ASSERT_EQ(1u, file.GetVideoStreamCount());
    ASSERT_EQ(1u, file.GetAudioStreamCount());
    EXPECT_EQ(remains.nFrames, file.GetVideoInfo(0)->dwLength);
    ASSERT_TRUE(file.GetFrameOpen(0));
    long nCurrent = -1;
    for (uint32_t f = 0; f < remains.nFrames; ++f)
        FacadeExpectFrameAt(file, movie, f, recipe.nFps, nCurrent);
    FacadeExpectJumps(file, movie, remains.nFrames, recipe.nFps, nCurrent);

    const long nShown = nCurrent;
    for (uint32_t f = remains.nFrames; f < recipe.nFrames; ++f) {
        SCOPED_TRACE("past the cut: " + std::to_string(f));
        BITMAPINFOHEADER* pHeader = nullptr;
        uint8_t* pBits = nullptr;
        EXPECT_FALSE(file.GetFrame(0, FacadeMidTime(f, recipe.nFps), &pHeader, &pBits, nCurrent, false));
        EXPECT_EQ(nullptr, pHeader);
        EXPECT_FALSE(file.GetFrameAtSample(0, static_cast<long>(f), &pHeader, &pBits, nCurrent, false));
        EXPECT_EQ(nullptr, pHeader);
        EXPECT_EQ(nullptr, pBits);
        EXPECT_EQ(nShown, nCurrent);
    }

    const std::vector<uint8_t> sound = FacadeReadSound(file, 0, movie.sound.size() + 1);
    ASSERT_EQ(remains.nSoundBytes, sound.size());
    EXPECT_TRUE(std::equal(sound.begin(), sound.end(), movie.sound.begin()));
    EXPECT_TRUE(capture.Records().empty());
}

class FacadeDamaged : public ::testing::TestWithParam<int> {};

}  // namespace

TEST_P(FacadeDamaged, EveryPictureAndSoundBlockLeftIsServedWithoutAMessage)
{
    CTestFile intact("intact.avi");
    CTestFile damaged("damaged.avi");
    FacadeMovieRecipe recipe;
    recipe.nBitCount = GetParam();
    if (recipe.nBitCount == 8)
        recipe.paletteChanges = {12, 25};
    FacadeMovie movie;
    ASSERT_TRUE(FacadeWriteMovie(intact.Path(), recipe, movie));
    const std::vector<uint8_t> bytes = FacadeReadBytes(intact.Path());
    const std::vector<FacadeChunk> chunks = FacadeMapMovie(intact.Path());
    ASSERT_EQ(movie.nFileSize, bytes.size());
    ASSERT_NE(nullptr, FacadeFindChunk(chunks, "00dc", recipe.nFrames - 1));

    for (const DamageCase& c : s_damage) {
        SCOPED_TRACE(c.pszName);
        std::vector<uint8_t> damagedBytes = bytes;
        uint64_t nCut = UINT64_MAX;
        if (!Damage(damagedBytes, chunks, c.steps, nCut)) {
            // Only the 8-bit movie has palette changes.
            EXPECT_STREQ("00pc", c.steps[0].pszChunk);
            EXPECT_NE(8, recipe.nBitCount);
            continue;
        }
        ASSERT_TRUE(FacadeWriteBytes(damaged.Path(), damagedBytes));
        FacadeRemains remains;
        remains.nFrames = recipe.nFrames;
        remains.nSoundBytes = movie.sound.size();
        if (nCut != UINT64_MAX)
            remains = FacadeCutRemains(chunks, nCut, FacadeSoundFormat().BlockAlign());
        ExpectServed(damaged.WidePath(), recipe, movie, remains);
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, FacadeDamaged, ::testing::Values(8, 16, 24, 32),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::to_string(info.param) + "Bits";
                         });

TEST(FacadeDamagedLarge, OpenDmlMovieCutInsideItsThirdRiffChunkServesEverythingBeforeTheCut)
{
    CTestFile path("cut_large.avi");
    FacadeMovieRecipe recipe;
    recipe.bOpenDml = true;
    recipe.nFillerPerFrame = 30u << 20;        // 40 frames: 1.2 GB, almost all of it a gap
    recipe.odml.nRiffLimit = FMT_ONE_GIB / 2;  // three RIFF chunks
    recipe.odml.bLegacyIndex = false;
    FacadeMovie movie;
    ASSERT_TRUE(FacadeWriteMovie(path.Path(), recipe, movie));
    ASSERT_GT(movie.nFileSize, FMT_ONE_GIB);
    const std::vector<FacadeChunk> chunks = FacadeMapMovie(path.Path());
    ASSERT_EQ(nullptr, FacadeFindChunk(chunks, "idx1"));
    const FacadeChunk* pThird = FacadeFindChunk(chunks, "AVIX", 1);
    ASSERT_NE(nullptr, pThird);
    ASSERT_EQ(0, pThird->nDepth);

    // Inside the data of a picture after the third chunk's first ones.
    const FacadeChunk* pPicture = nullptr;
    for (uint32_t n = 2; (pPicture = FacadeFindChunk(chunks, "00dc", n, pThird->nOffset)) != nullptr; ++n) {
        if (pPicture->nSize > 1)
            break;
    }
    ASSERT_NE(nullptr, pPicture);
    const uint64_t nCut = pPicture->Data() + pPicture->nSize / 2;
    const uint32_t nBlock = FacadeSoundFormat().BlockAlign();
    const FacadeRemains remains = FacadeCutRemains(chunks, nCut, nBlock);
    ASSERT_GT(remains.nFrames, FacadeCutRemains(chunks, pThird->nOffset, nBlock).nFrames + 1);
    ASSERT_LT(remains.nFrames, recipe.nFrames);
    ASSERT_TRUE(FacadeCutFile(path.WidePath(), nCut));
    ExpectServed(path.WidePath(), recipe, movie, remains);
}

// Stream headers with no complete picture and no whole sound block: nothing
// to play, and the user is told the file is damaged.
TEST(FacadeDamagedEmpty, HeadersWithoutAPictureOrASoundBlockGetTheOpenFailure)
{
    CTestFile intact("intact.avi");
    CTestFile damaged("damaged.avi");
    FacadeMovieRecipe recipe;
    FacadeMovie movie;
    ASSERT_TRUE(FacadeWriteMovie(intact.Path(), recipe, movie));
    const std::vector<uint8_t> bytes = FacadeReadBytes(intact.Path());
    const std::vector<FacadeChunk> chunks = FacadeMapMovie(intact.Path());
    const FacadeChunk* pMovi = FacadeFindChunk(chunks, "movi");
    const FacadeChunk* pSound = FacadeFindChunk(chunks, "01wb");
    ASSERT_NE(nullptr, pMovi);
    ASSERT_NE(nullptr, pSound);
    wchar_t szCode[16] = {};
    std::swprintf(szCode, 16, L"%lx", static_cast<unsigned long>(AVIERR_BADFORMAT));
    const std::wstring strText = AfxLoadString(IDS_OPEN_FAILED) + L" " + damaged.WidePath() + L" (" + szCode +
                                 L")\n" + AfxLoadString(IDS_FILE_CORRUPT);
    // Right after the "movi" list's head; one byte into the first sound chunk.
    for (uint64_t nCut : {pMovi->nOffset + 12, pSound->Data() + 1}) {
        SCOPED_TRACE(nCut);
        ASSERT_TRUE(
            FacadeWriteBytes(damaged.Path(), std::vector<uint8_t>(bytes.begin(), bytes.begin() + nCut)));
        CMessageBoxCapture capture;
        QRVAviFile file;
        EXPECT_FALSE(file.Open(damaged.Wide()));
        EXPECT_FALSE(file.IsOpen());
        EXPECT_EQ(0u, file.GetVideoStreamCount());
        EXPECT_EQ(0u, file.GetAudioStreamCount());
        const auto records = capture.Records();
        ASSERT_EQ(1u, records.size());
        EXPECT_EQ(strText, records[0].strText);
    }
}
