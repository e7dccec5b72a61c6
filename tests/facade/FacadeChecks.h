// What the facade delivers, checked against what was encoded: pictures by
// time (with the colours in force for 8-bit ones), after jumps, and the
// sound track read back.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "FacadeMovies.h"
#include "QRVAviFile.h"

// Middle of frame f: clear of rounding at frame edges.
inline long FacadeMidTime(uint32_t f, uint32_t nFps)
{
    return static_cast<long>((2 * static_cast<uint64_t>(f) + 1) * 500 / nFps);
}

inline std::vector<uint32_t> FacadeColors(const void* p, size_t n)
{
    std::vector<uint32_t> v(n);
    std::memcpy(v.data(), p, 4 * n);
    return v;
}

inline ::testing::AssertionResult FacadeSamePicture(const BITMAPINFOHEADER* pHeader, const uint8_t* pBits,
                                                    const QRVPicture& expected)
{
    if (pHeader == nullptr || pBits == nullptr)
        return ::testing::AssertionFailure() << "no picture";
    if (pHeader->biWidth != expected.Width() || pHeader->biHeight != expected.Height() ||
        pHeader->biBitCount != expected.BitCount() || pHeader->biCompression != BI_RGB)
        return ::testing::AssertionFailure()
               << "format " << pHeader->biWidth << "x" << pHeader->biHeight << "x" << pHeader->biBitCount;
    for (int32_t nRow = 0; nRow < expected.Height(); ++nRow) {
        if (std::memcmp(pBits + static_cast<size_t>(nRow) * expected.Stride(), expected.Row(nRow),
                        expected.Stride()) != 0)
            return ::testing::AssertionFailure() << "row " << nRow << " differs";
    }
    return ::testing::AssertionSuccess();
}

// Asks for frame f by time and checks what comes back against the movie: an
// empty chunk after the frame current delivers nothing (the picture shown
// already is it), from anywhere else the picture it leaves; an 8-bit
// picture and the display table carry the colours in force at f.
inline void FacadeExpectFrameAt(QRVAviFile& file, const FacadeMovie& movie, uint32_t f, uint32_t nFps,
                                long& nCurrent)
{
    SCOPED_TRACE("frame " + std::to_string(f) + " from " + std::to_string(nCurrent));
    BITMAPINFOHEADER* pHeader = nullptr;
    uint8_t* pBits = nullptr;
    const bool bNext = nCurrent + 1 == static_cast<long>(f);
    file.GetFrame(0, FacadeMidTime(f, nFps), &pHeader, &pBits, nCurrent, false);
    EXPECT_EQ(static_cast<long>(f), nCurrent);
    if (movie.empty[f] && bNext) {
        EXPECT_EQ(nullptr, pHeader);
        EXPECT_EQ(nullptr, pBits);
        return;
    }
    EXPECT_TRUE(FacadeSamePicture(pHeader, pBits, movie.pictures[f]));
    if (pHeader != nullptr && pHeader->biBitCount == 8) {
        EXPECT_EQ(movie.palettes[f],
                  FacadeColors(reinterpret_cast<uint8_t*>(pHeader) + pHeader->biSize, 256));
        EXPECT_EQ(movie.palettes[f], FacadeColors(file.GetPaletteColors(0), 256));
    }
}

// Jumps forward and back, within key-frame intervals (every 10 frames) and
// across them, over the first nFrames frames: the frame already current
// leaves nothing to compare, so an earlier frame is taken.
inline void FacadeExpectJumps(QRVAviFile& file, const FacadeMovie& movie, uint32_t nFrames, uint32_t nFps,
                              long& nCurrent)
{
    if (nFrames == 0)
        return;
    for (uint32_t f : {3u, 27u, 26u, 9u, 10u, 35u, 38u, 0u, 21u, 19u, 39u, 1u}) {
        f = std::min(f, nFrames - 1);
        while (f > 0 && static_cast<long>(f) == nCurrent)
            --f;
        if (static_cast<long>(f) != nCurrent)
            FacadeExpectFrameAt(file, movie, f, nFps, nCurrent);
    }
}

// The whole track of sound stream nIndex, read in pieces the way playback
// reads it; stops at nLimit bytes.
inline std::vector<uint8_t> FacadeReadSound(QRVAviFile& file, uint32_t nIndex, size_t nLimit,
                                            long* pnCursor = nullptr)
{
    std::vector<uint8_t> sound;
    std::vector<uint8_t> buffer(1000);
    long nCursor = 0;
    while (sound.size() < nLimit) {
        long nBytes = static_cast<long>(buffer.size());
        if (!file.ReadAudioSamples(nIndex, nCursor, buffer.data(), nBytes) || nBytes <= 0)
            break;
        sound.insert(sound.end(), buffer.begin(), buffer.begin() + nBytes);
    }
    if (pnCursor != nullptr)
        *pnCursor = nCursor;
    return sound;
}
