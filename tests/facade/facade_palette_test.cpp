// Colour tables of 8-bit "qrvc" streams: the halftone palette before any
// picture, the stored colours with the first picture, and the new colours
// with the first picture at or after each change in the stream.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "FacadeChecks.h"
#include "QRVAviFile.h"

TEST(FacadePalette, DisplayTableStartsAsTheHalftonePalette)
{
    CTestFile path("halftone.avi");
    FacadeMovieRecipe recipe;
    recipe.nBitCount = 8;
    FacadeMovie movie;
    ASSERT_TRUE(FacadeWriteMovie(path.Path(), recipe, movie));
    QRVAviFile file;
    // Before any picture: the halftone palette.
    ASSERT_TRUE(file.Open(path.Wide()));
    const RGBQUAD* pColors = file.GetPaletteColors(0);
    ASSERT_NE(nullptr, pColors);
    HDC hdc = CreateCompatibleDC(nullptr);
    HPALETTE hPalette = CreateHalftonePalette(hdc);
    PALETTEENTRY entries[256] = {};
    const UINT n = GetPaletteEntries(hPalette, 0, 256, entries);
    DeleteObject(hPalette);
    DeleteDC(hdc);
    ASSERT_GT(n, 0u);
    for (UINT i = 0; i < n; ++i) {
        EXPECT_EQ(entries[i].peRed, pColors[i].rgbRed) << i;
        EXPECT_EQ(entries[i].peGreen, pColors[i].rgbGreen) << i;
        EXPECT_EQ(entries[i].peBlue, pColors[i].rgbBlue) << i;
    }
}

// The colours of every frame are those in force at it: the writer's change
// at frame N applies from frame N on. They are replaced (GetFrame answers
// true) with the first picture delivered and with the first picture of
// each new section of changes, in order or after a jump, and not otherwise.
TEST(FacadePalette, EachNewSectionOfFormatChangesReplacesTheColoursOnce)
{
    CTestFile path("palette.avi");
    FacadeMovieRecipe recipe;
    recipe.nBitCount = 8;
    recipe.strScene = "noise";  // no empty frames: every frame delivers a picture
    recipe.paletteChanges = {12, 25};
    FacadeMovie movie;
    ASSERT_TRUE(FacadeWriteMovie(path.Path(), recipe, movie));
    ASSERT_EQ(QRVCanvas::StandardPalette(), movie.palettes[0]);
    ASSERT_NE(movie.palettes[11], movie.palettes[12]);
    // The section of changes that frame f is in.
    auto section = [&](uint32_t f) {
        return std::count_if(recipe.paletteChanges.begin(), recipe.paletteChanges.end(),
                             [f](uint32_t nChange) { return nChange <= f; });
    };

    QRVAviFile file;
    ASSERT_TRUE(file.Open(path.Wide()));
    EXPECT_TRUE(file.IsServedByOwnReader());
    ASSERT_TRUE(file.GetFrameOpen(0));
    long nCurrent = -1;
    auto expectFrame = [&](uint32_t f, bool bReplaced) {
        SCOPED_TRACE(f);
        BITMAPINFOHEADER* pHeader = nullptr;
        uint8_t* pBits = nullptr;
        EXPECT_EQ(bReplaced,
                  file.GetFrame(0, FacadeMidTime(f, recipe.nFps), &pHeader, &pBits, nCurrent, false));
        ASSERT_NE(nullptr, pHeader);
        ASSERT_NE(nullptr, pBits);
        EXPECT_EQ(0, std::memcmp(pBits, movie.pictures[f].Bytes().data(), movie.pictures[f].Bytes().size()));
        // The picture's own table and the display table hold the colours in force.
        EXPECT_EQ(movie.palettes[f],
                  FacadeColors(reinterpret_cast<uint8_t*>(pHeader) + pHeader->biSize, 256));
        EXPECT_EQ(movie.palettes[f], FacadeColors(file.GetPaletteColors(0), 256));
    };
    for (uint32_t f = 0; f < recipe.nFrames; ++f)
        expectFrame(f, f == 0 || section(f) != section(f - 1));
    // Jumps into other sections replace the colours again, within one not.
    expectFrame(3, true);
    expectFrame(8, false);
    expectFrame(30, true);
    expectFrame(13, true);
    expectFrame(24, false);
    expectFrame(25, true);
}
