// avi-frame, run in process: its stream list, and the BMP it writes for a
// time or a frame number holds exactly the picture that was encoded.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "AviFrameTool.h"
#include "FacadeFiles.h"
#include "FacadeMovies.h"

namespace {

std::wstring Wide(const std::string& str)
{
    return std::wstring(str.begin(), str.end());
}

// The BMP's pixels (after its headers and colour table) equal the picture.
::testing::AssertionResult BmpHolds(const std::vector<uint8_t>& bmp, const QRVPicture& picture)
{
    if (bmp.size() < 54 || bmp[0] != 'B' || bmp[1] != 'M')
        return ::testing::AssertionFailure() << "not a BMP file";
    BITMAPINFOHEADER header;
    std::memcpy(&header, bmp.data() + 14, sizeof header);
    uint32_t nOffBits = 0;
    std::memcpy(&nOffBits, bmp.data() + 10, 4);
    if (header.biWidth != picture.Width() || header.biHeight != picture.Height() ||
        header.biBitCount != picture.BitCount())
        return ::testing::AssertionFailure() << "geometry";
    if (nOffBits + picture.Bytes().size() != bmp.size())
        return ::testing::AssertionFailure() << "size " << bmp.size();
    if (std::memcmp(bmp.data() + nOffBits, picture.Bytes().data(), picture.Bytes().size()) != 0)
        return ::testing::AssertionFailure() << "pixels differ";
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(AviFrameTool, ListsTheStreamsOfAMovie)
{
    CTestFile movieFile("tool.avi");
    FacadeMovieRecipe recipe;
    FacadeMovie movie;
    ASSERT_TRUE(FacadeWriteMovie(movieFile.Path(), recipe, movie));
    std::string strOut, strErr;
    EXPECT_EQ(0, AviFrameRun({movieFile.Wide()}, strOut, strErr)) << strErr;
    EXPECT_EQ("video 0: qrvc, 48x36, 24 bits, 40 frames, 2666 ms\n"
              "audio 0: format 1, 22050 Hz, 16 bits, 1 channels, 58800 samples, 2667 ms\n",
              strOut);
    EXPECT_EQ("", strErr);
}

TEST(AviFrameTool, WritesThePictureForATimeOrAFrameAsBmp)
{
    for (int nBits : {8, 16, 24, 32}) {
        SCOPED_TRACE(nBits);
        CTestFile movieFile("tool" + std::to_string(nBits) + ".avi");
        CTestFile bmpFile("tool" + std::to_string(nBits) + ".bmp");
        FacadeMovieRecipe recipe;
        recipe.nBitCount = nBits;
        FacadeMovie movie;
        ASSERT_TRUE(FacadeWriteMovie(movieFile.Path(), recipe, movie));
        struct Request {
            const wchar_t* pszOption;
            const wchar_t* pszValue;
            uint32_t nFrame;
        };
        // 1000 ms is frame 15 at 15 fps; the end time is the last frame.
        for (const Request& r : {Request{L"-t", L"1000", 15}, Request{L"-f", L"23", 23},
                                 Request{L"-t", L"2666", 39}, Request{L"-f", L"0", 0}}) {
            SCOPED_TRACE(std::string(r.pszOption, r.pszOption + 2));
            std::string strOut, strErr;
            ASSERT_EQ(0, AviFrameRun({movieFile.Wide(), r.pszOption, r.pszValue, L"-o", Wide(bmpFile.Path())},
                                     strOut, strErr))
                << strErr;
            EXPECT_NE(std::string::npos, strOut.find("frame " + std::to_string(r.nFrame) + " "));
            EXPECT_TRUE(BmpHolds(FacadeReadBytes(bmpFile.Path()), movie.pictures[r.nFrame]));
        }
    }
}

TEST(AviFrameTool, RefusesBadArgumentsAndReportsMoviesItCannotOpen)
{
    std::string strOut, strErr;
    EXPECT_EQ(2, AviFrameRun({}, strOut, strErr));
    EXPECT_EQ(2, AviFrameRun({L"a.avi", L"-t"}, strOut, strErr));
    EXPECT_EQ(2, AviFrameRun({L"a.avi", L"-t", L"12x"}, strOut, strErr));
    EXPECT_EQ(2, AviFrameRun({L"a.avi", L"-t", L"1", L"-f", L"1"}, strOut, strErr));
    CTestFile missing("missing.avi");
    strErr.clear();
    EXPECT_EQ(1, AviFrameRun({missing.Wide()}, strOut, strErr));
    // The facade's message went to the error output.
    EXPECT_NE(std::string::npos, strErr.find("(8004406f)"));

    CTestFile movieFile("past.avi");
    FacadeMovieRecipe recipe;
    FacadeMovie movie;
    ASSERT_TRUE(FacadeWriteMovie(movieFile.Path(), recipe, movie));
    strErr.clear();
    EXPECT_EQ(1, AviFrameRun({movieFile.Wide(), L"-t", L"2667"}, strOut, strErr));
    EXPECT_NE(std::string::npos, strErr.find("past the end"));
    EXPECT_EQ(1, AviFrameRun({movieFile.Wide(), L"-f", L"40"}, strOut, strErr));
    EXPECT_EQ(1, AviFrameRun({movieFile.Wide(), L"-s", L"1", L"-f", L"0"}, strOut, strErr));
}
