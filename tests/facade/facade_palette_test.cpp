// Colour tables of 8-bit "qrvc" streams: the halftone palette before any
// picture, the stored colours with the first picture, and the new colours
// with the first picture at or after each change in the stream.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "FacadeMovies.h"
#include "PlatformMovie.h"
#include "QRVAviFile.h"

namespace {

long MidTime(uint32_t f, uint32_t nFps)
{
    return static_cast<long>((2 * static_cast<uint64_t>(f) + 1) * 500 / nFps);
}

std::vector<uint32_t> Colors(const void* p, size_t n)
{
    std::vector<uint32_t> v(n);
    std::memcpy(v.data(), p, 4 * n);
    return v;
}

}  // namespace

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

// The colours come from the platform's format of the stream at the frame's
// section (Wine reports the sections but answers every format read with the
// stream's first format, and places each change one frame early).
TEST(FacadePalette, EachNewSectionOfFormatChangesReplacesTheColoursOnce)
{
    CTestFile path("palette.avi");
    FacadeMovieRecipe recipe;
    recipe.nBitCount = 8;
    recipe.strScene = "noise";  // no empty frames: every frame delivers a picture
    recipe.paletteChanges = {12, 25};
    FacadeMovie movie;
    ASSERT_TRUE(FacadeWriteMovie(path.Path(), recipe, movie));

    // What the platform says about the stream's sections and colours.
    CAviLibrary library;
    CPlatformMovie platform;
    ASSERT_EQ(AVIERR_OK, platform.Open(path.Wide()));
    PAVISTREAM pStream = platform.Stream(streamtypeVIDEO);
    ASSERT_NE(nullptr, pStream);
    std::vector<long> sections;
    std::vector<std::vector<uint32_t>> colors;
    for (uint32_t f = 0; f < recipe.nFrames; ++f) {
        sections.push_back(AVIStreamFindSample(pStream, f, FIND_PREV | FIND_FORMAT));
        std::vector<uint8_t> format(40 + 1024);
        long cb = static_cast<long>(format.size());
        ASSERT_EQ(AVIERR_OK, AVIStreamReadFormat(pStream, sections.back(), format.data(), &cb));
        colors.push_back(Colors(format.data() + 40, 256));
    }
    ASSERT_EQ(0, sections[0]);
    ASSERT_LT(sections[0], sections[20]);
    ASSERT_LT(sections[20], sections[39]);
    EXPECT_EQ(QRVCanvas::StandardPalette(), colors[0]);

    QRVAviFile file;
    ASSERT_TRUE(file.Open(path.Wide()));
    ASSERT_TRUE(file.GetFrameOpen(0));
    long nCurrent = -1;
    auto expectFrame = [&](uint32_t f, bool bReplaced) {
        SCOPED_TRACE(f);
        BITMAPINFOHEADER* pHeader = nullptr;
        uint8_t* pBits = nullptr;
        EXPECT_EQ(bReplaced, file.GetFrame(0, MidTime(f, recipe.nFps), &pHeader, &pBits, nCurrent, false));
        ASSERT_NE(nullptr, pHeader);
        ASSERT_NE(nullptr, pBits);
        EXPECT_EQ(0, std::memcmp(pBits, movie.pictures[f].Bytes().data(), movie.pictures[f].Bytes().size()));
        // The picture's own table and the display table hold the colours in force.
        EXPECT_EQ(colors[f], Colors(reinterpret_cast<uint8_t*>(pHeader) + pHeader->biSize, 256));
        EXPECT_EQ(colors[f], Colors(file.GetPaletteColors(0), 256));
    };
    for (uint32_t f = 0; f < recipe.nFrames; ++f)
        expectFrame(f, f == 0 || sections[f] != sections[f - 1]);
    // Jumps into other sections replace the colours again, within one not.
    expectFrame(3, true);
    expectFrame(8, false);
    expectFrame(30, true);
    expectFrame(13, true);
}
