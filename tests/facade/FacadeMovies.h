// Test movies for the facade, with what was encoded kept beside them: every
// frame's picture, its key-frame flag and whether it went out as an empty
// chunk, and the sound bytes. Written by the movie writer (classic or
// OpenDML, optionally stretched past 1 GiB with sparse filler) or put
// together byte by byte for files no writer makes.
#pragma once

#include "RiffBytes.h"
#include "TestFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "QRVAviWriter.h"
#include "QRVCanvas.h"
#include "QRVOpenDmlWriter.h"
#include "QRVOutput.h"
#include "QRVPicture.h"
#include "QRVScenes.h"
#include "QRVScreenEncoder.h"

constexpr uint64_t FMT_ONE_GIB = 0x40000000;

struct FacadeMovieRecipe {
    int32_t nWidth = 48;
    int32_t nHeight = 36;
    int nBitCount = 24;
    uint32_t nFrames = 40;
    uint32_t nFps = 15;
    uint32_t nKeyEvery = 10;
    bool bOpenDml = false;
    bool bSound = true;
    std::string strScene = "bars";  // has unchanged frames, written as empty chunks
    // OpenDML only: sparse filler of this many bytes after every frame, and
    // the writer's options (faults our reader refuses, no legacy index).
    uint32_t nFillerPerFrame = 0;
    QRVOpenDmlOptions odml;
    // 8-bit only: at these frames the colour table changes to a rotated one.
    std::vector<uint32_t> paletteChanges;
};

struct FacadeMovie {
    std::vector<QRVPicture> pictures;
    std::vector<bool> keys;
    std::vector<bool> empty;
    std::vector<uint8_t> sound;
    // Colour table in force at each frame (8-bit).
    std::vector<std::vector<uint32_t>> palettes;
    uint64_t nFileSize = 0;
};

// Colour table number n: the standard one rotated by 17 n entries.
inline std::vector<uint32_t> FacadePalette(uint32_t n)
{
    const std::vector<uint32_t>& standard = QRVCanvas::StandardPalette();
    std::vector<uint32_t> palette(standard.size());
    for (size_t i = 0; i < standard.size(); ++i)
        palette[i] = standard[(i + 17 * n) % standard.size()];
    return palette;
}

// Sound bytes of frame i's span: distinct per frame so that a read of the
// wrong place shows.
inline std::vector<uint8_t> FacadeSound(uint32_t i, uint32_t nBytes)
{
    std::vector<uint8_t> v(nBytes);
    for (uint32_t k = 0; k < nBytes; ++k)
        v[k] = static_cast<uint8_t>(i * 13 + k * 7 + (k >> 8));
    return v;
}

// The sound of every recipe: 16-bit mono at 22050 Hz.
inline QRVAudioStreamFormat FacadeSoundFormat()
{
    QRVAudioStreamFormat audio;
    audio.nChannels = 1;
    audio.nSamplesPerSec = 22050;
    audio.nBitsPerSample = 16;
    return audio;
}

// Palette changes exist in the classic form only.
inline bool FacadeChangePalette(QRVAviWriter& writer, const std::vector<uint32_t>& palette)
{
    return writer.WritePaletteChange(0, palette);
}
inline bool FacadeChangePalette(QRVOpenDmlWriter&, const std::vector<uint32_t>&)
{
    return false;
}

template <class TWriter>
::testing::AssertionResult FacadeWriteFrames(const FacadeMovieRecipe& recipe, TWriter& writer,
                                             QRVOpenDmlWriter* pOdml, FacadeMovie& movie)
{
    std::unique_ptr<QRVScene> pScene = QRVMakeScene(recipe.strScene);
    QRVScreenEncoder encoder;
    if (!pScene || !encoder.Begin(recipe.nWidth, recipe.nHeight, recipe.nBitCount))
        return ::testing::AssertionFailure() << "no scene or encoder";
    QRVCanvas canvas(recipe.nWidth, recipe.nHeight);
    std::vector<uint32_t> palette = QRVCanvas::StandardPalette();
    uint32_t nPalette = 0;
    std::vector<uint8_t> frame;
    for (uint32_t i = 0; i < recipe.nFrames; ++i) {
        if (recipe.bSound) {
            const QRVAudioStreamFormat format = FacadeSoundFormat();
            const std::vector<uint8_t> sound =
                FacadeSound(i, format.BlockAlign() * (format.nSamplesPerSec / recipe.nFps));
            movie.sound.insert(movie.sound.end(), sound.begin(), sound.end());
            if (!writer.WriteAudio(sound))
                return ::testing::AssertionFailure() << "sound of frame " << i;
        }
        for (uint32_t nChange : recipe.paletteChanges) {
            if (nChange == i) {
                palette = FacadePalette(++nPalette);
                if (!FacadeChangePalette(writer, palette))
                    return ::testing::AssertionFailure() << "palette change at " << i;
            }
        }
        pScene->Render(i, recipe.nFps, canvas);
        QRVPicture picture;
        if (!canvas.ToPicture(picture, recipe.nBitCount) ||
            !encoder.EncodeFrame(picture, i % recipe.nKeyEvery == 0, frame))
            return ::testing::AssertionFailure() << encoder.LastError();
        const bool bKey = encoder.LastWasKey();
        const bool bEmpty = !bKey && encoder.LastUnchanged();
        if (bEmpty)
            frame.clear();
        if (!writer.WriteVideo(frame, bKey))
            return ::testing::AssertionFailure() << "frame " << i;
        if (pOdml != nullptr && recipe.nFillerPerFrame != 0 &&
            !pOdml->WriteFillerSparse(recipe.nFillerPerFrame))
            return ::testing::AssertionFailure() << pOdml->LastError();
        movie.pictures.push_back(std::move(picture));
        movie.keys.push_back(bKey);
        movie.empty.push_back(bEmpty);
        movie.palettes.push_back(palette);
    }
    if (!writer.Close())
        return ::testing::AssertionFailure() << writer.LastError();
    return ::testing::AssertionSuccess();
}

// Writes the movie that recipe describes and fills movie with what went in.
inline ::testing::AssertionResult FacadeWriteMovie(const std::string& strPath,
                                                   const FacadeMovieRecipe& recipe, FacadeMovie& movie)
{
    QRVFileOutput out;
    if (!out.Open(strPath))
        return ::testing::AssertionFailure() << "cannot create " << strPath;
    QRVVideoStreamFormat video;
    video.nWidth = recipe.nWidth;
    video.nHeight = recipe.nHeight;
    video.nBitCount = recipe.nBitCount;
    video.nRate = recipe.nFps;
    if (recipe.nBitCount == 8)
        video.palette = QRVCanvas::StandardPalette();
    const QRVAudioStreamFormat audio = FacadeSoundFormat();
    ::testing::AssertionResult result = ::testing::AssertionSuccess();
    if (recipe.bOpenDml) {
        QRVOpenDmlWriter writer;
        if (!writer.Open(out, video, recipe.bSound ? &audio : nullptr, recipe.odml))
            return ::testing::AssertionFailure() << writer.LastError();
        result = FacadeWriteFrames(recipe, writer, &writer, movie);
        movie.nFileSize = writer.FileSize();
    } else {
        QRVAviWriter writer;
        if (!writer.Open(out, video, recipe.bSound ? &audio : nullptr))
            return ::testing::AssertionFailure() << writer.LastError();
        result = FacadeWriteFrames(recipe, writer, nullptr, movie);
        movie.nFileSize = out.Tell();
    }
    if (!out.Finish())
        return ::testing::AssertionFailure() << "cannot finish " << strPath;
    return result;
}

using CFacadeRiff = CRiffBytes;

inline void FacadePut(std::vector<uint8_t>& v, uint32_t n, int nBytes)
{
    for (int i = 0; i < nBytes; ++i)
        v.push_back(static_cast<uint8_t>(n >> (8 * i)));
}

inline ::testing::AssertionResult FacadeWriteBytes(const std::string& strPath,
                                                   const std::vector<uint8_t>& bytes)
{
    QRVFileOutput out;
    if (!out.Open(strPath) || !out.Write(bytes.data(), bytes.size()) || !out.Finish())
        return ::testing::AssertionFailure() << "cannot write " << strPath;
    return ::testing::AssertionSuccess();
}
