// Which files the OpenDML reader indexes: only files over 1 GiB, with every
// limit of the index and header checked at its edge, and every validation
// failure ending the parse with its own text.
#include <gtest/gtest.h>

#include <string>

#include "OdmlTestFiles.h"
#include "QRVAviFile20.h"

namespace {

constexpr uint64_t ODT_LARGE = ODT_ONE_GIB + 1;

struct OpenOutcome {
    int32_t nResult;
    bool bIndexed;
    std::string strError;
};

OpenOutcome OpenFile(CTestFile& file)
{
    QRVAviFile20 reader;
    const int32_t nResult = reader.Open(file.ReaderPath());
    return {nResult, reader.IsIndexed(), reader.LastValidationError()};
}

}  // namespace

TEST(OpenDmlOpen, OnlyFilesLargerThanOneGibAreIndexed)
{
    const struct {
        uint64_t nLength;
        int32_t nResult;
    } cases[] = {{ODT_ONE_GIB - 1, ODML_FAIL}, {ODT_ONE_GIB, ODML_FAIL}, {ODT_ONE_GIB + 1, ODML_OK}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nLength);
        CTestFile file("size.avi");
        ASSERT_TRUE(OdtWriteMovie(file.Path(), OdtSampleMovie(20, 5), QRVOpenDmlOptions(), c.nLength));
        const OpenOutcome outcome = OpenFile(file);
        EXPECT_EQ(c.nResult, outcome.nResult);
        EXPECT_EQ(c.nResult == ODML_OK, outcome.bIndexed);
        EXPECT_EQ("", outcome.strError);
    }
}

TEST(OpenDmlOpen, MissingFileFails)
{
    CTestFile file("absent.avi");
    const OpenOutcome outcome = OpenFile(file);
    EXPECT_EQ(ODML_FAIL, outcome.nResult);
    EXPECT_FALSE(outcome.bIndexed);
}

TEST(OpenDmlOpen, StreamCountOfTheMainHeaderIsCheckedAtItsLimits)
{
    // The movie has two stream lists (video and sound).
    const struct {
        int64_t nStored;
        const char* pszError;
    } cases[] = {
        {0, "Invalid number of streams"},
        {1, "More streams actually present than indicated in AVIMAINHEADER"},
        {2, ""},
        {1000, ""},
        {1001, "Invalid number of streams"},
        {0xFFFFFFFF, "Invalid number of streams"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nStored);
        QRVOpenDmlOptions options;
        options.nStreamCount = c.nStored;
        CTestFile file("streams.avi");
        ASSERT_TRUE(OdtWriteMovie(file.Path(), OdtSampleMovie(10, 3), options, ODT_LARGE));
        const OpenOutcome outcome = OpenFile(file);
        EXPECT_EQ(*c.pszError ? ODML_FAIL : ODML_OK, outcome.nResult);
        EXPECT_EQ(c.pszError, outcome.strError);
    }
}

TEST(OpenDmlOpen, MalformedSuperIndexHeadsAreRefusedWithTheirTexts)
{
    const struct {
        uint16_t nLongs;
        uint8_t nSubType;
        uint8_t nType;
        const char* pszError;
    } cases[] = {
        {2, 0, 0, "AVISUPERINDEX::wLongsPerEntry != 4"},
        {4, 1, 0, "only AVISUPERINDEX::SubType 0 supported"},
        {4, 0, 1, "only AVISUPERINDEX::bIndexType == AVI_INDEX_OF_INDEXES supported"},
        // Checked in this order: the first fault wins.
        {3, 1, 1, "AVISUPERINDEX::wLongsPerEntry != 4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszError);
        QRVOpenDmlOptions options;
        options.nLongsPerEntry = c.nLongs;
        options.nIndexSubType = c.nSubType;
        options.nIndexType = c.nType;
        CTestFile file("indx.avi");
        ASSERT_TRUE(OdtWriteMovie(file.Path(), OdtSampleMovie(10, 3), options, ODT_LARGE));
        const OpenOutcome outcome = OpenFile(file);
        EXPECT_EQ(ODML_FAIL, outcome.nResult);
        EXPECT_FALSE(outcome.bIndexed);
        EXPECT_EQ(c.pszError, outcome.strError);
    }
}

TEST(OpenDmlOpen, VideoOfAnotherCodecIsNotIndexed)
{
    OdtMovie movie = OdtSampleMovie(10, 3);
    movie.nCompression = QRVLittleEndian::FourCC("QRVC");  // upper case is another codec
    CTestFile file("codec.avi");
    ASSERT_TRUE(OdtWriteMovie(file.Path(), movie, QRVOpenDmlOptions(), ODT_LARGE));
    const OpenOutcome outcome = OpenFile(file);
    EXPECT_EQ(ODML_FAIL, outcome.nResult);
    EXPECT_EQ("video codec is NOT QRVC", outcome.strError);
}

TEST(OpenDmlOpen, FileWithoutSuperIndexFailsWithoutText)
{
    QRVOpenDmlOptions options;
    options.bSuperIndex = false;
    CTestFile file("noindx.avi");
    ASSERT_TRUE(OdtWriteMovie(file.Path(), OdtSampleMovie(10, 3), options, ODT_LARGE));
    const OpenOutcome outcome = OpenFile(file);
    EXPECT_EQ(ODML_FAIL, outcome.nResult);
    EXPECT_FALSE(outcome.bIndexed);
    EXPECT_EQ("", outcome.strError);
}

TEST(OpenDmlOpen, SuperIndexEntriesAreLimitedTo100000)
{
    // One frame per standard index, so the super index has one entry per frame.
    for (uint32_t nFrames : {100000u, 100001u}) {
        SCOPED_TRACE(nFrames);
        OdtMovie movie;
        movie.bAudio = false;
        movie.frames.assign(nFrames, std::vector<uint8_t>());
        movie.keys.assign(nFrames, true);
        movie.frames.back() = OdtBytes(9, 9);
        QRVOpenDmlOptions options;
        options.nStdIndexEntries = 1;
        options.nSuperIndexSlots = nFrames;
        options.bLegacyIndex = false;
        CTestFile file("super.avi");
        ASSERT_TRUE(OdtWriteMovie(file.Path(), movie, options, ODT_LARGE));
        QRVAviFile20 reader;
        const int32_t nResult = reader.Open(file.ReaderPath());
        if (nFrames == 100000u) {
            EXPECT_EQ(ODML_OK, nResult);
            ASSERT_NE(nullptr, reader.Stream(0));
            EXPECT_EQ(nFrames, reader.Stream(0)->m_nEntries);
            EXPECT_EQ(9u, reader.Stream(0)->m_pEntries[nFrames - 1].nSize);
        } else {
            EXPECT_EQ(ODML_FAIL, nResult);
            EXPECT_EQ("too many superindex entries", reader.LastValidationError());
        }
    }
}

TEST(OpenDmlOpen, StandardIndexEntriesAreLimitedTo200000)
{
    for (uint32_t nFrames : {200000u, 200001u}) {
        SCOPED_TRACE(nFrames);
        OdtMovie movie;
        movie.bAudio = false;
        movie.frames.assign(nFrames, std::vector<uint8_t>());
        movie.keys.assign(nFrames, false);
        movie.keys[0] = true;
        QRVOpenDmlOptions options;
        options.bLegacyIndex = false;
        CTestFile file("std.avi");
        ASSERT_TRUE(OdtWriteMovie(file.Path(), movie, options, ODT_LARGE));
        QRVAviFile20 reader;
        const int32_t nResult = reader.Open(file.ReaderPath());
        if (nFrames == 200000u) {
            EXPECT_EQ(ODML_OK, nResult);
            ASSERT_NE(nullptr, reader.Stream(0));
            EXPECT_EQ(nFrames, reader.Stream(0)->m_nEntries);
        } else {
            EXPECT_EQ(ODML_FAIL, nResult);
            EXPECT_EQ("too many subindex entries", reader.LastValidationError());
        }
    }
}

TEST(OpenDmlOpen, ResetForgetsEverythingAndAFailedOpenLeavesNothingIndexed)
{
    CTestFile good("good.avi");
    ASSERT_TRUE(OdtWriteMovie(good.Path(), OdtSampleMovie(10, 3), QRVOpenDmlOptions(), ODT_LARGE));
    QRVOpenDmlOptions bad;
    bad.nIndexType = 1;
    CTestFile faulty("bad.avi");
    ASSERT_TRUE(OdtWriteMovie(faulty.Path(), OdtSampleMovie(10, 3), bad, ODT_LARGE));

    QRVAviFile20 reader;
    ASSERT_EQ(ODML_OK, reader.Open(good.ReaderPath()));
    EXPECT_EQ(2u, reader.StreamCount());
    EXPECT_EQ(ODML_FAIL, reader.Open(faulty.ReaderPath()));
    EXPECT_FALSE(reader.IsIndexed());
    EXPECT_EQ(0u, reader.StreamCount());
    EXPECT_TRUE(reader.VideoStreams().empty());
    EXPECT_EQ(-1, reader.FindKeyFrameDirect(0, 1));
    ASSERT_EQ(ODML_OK, reader.Open(good.ReaderPath()));
    reader.Reset();
    EXPECT_FALSE(reader.IsIndexed());
    EXPECT_EQ(0u, reader.StreamCount());
    EXPECT_TRUE(reader.AudioStreams().empty());
}
