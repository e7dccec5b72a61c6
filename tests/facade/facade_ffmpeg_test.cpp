// AVI files made by FFmpeg, read through the platform's path: uncompressed
// RGB frames compared byte for byte with FFmpeg's own raw output of the same
// source, Microsoft Video-1 frames (decoded by the platform's decompressor)
// compared within the codec's loss, PCM sound read back sample for sample.
// The build makes the files (see CMakeLists.txt) in FACADE_FFMPEG_DIR.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "FacadeFiles.h"
#include "QRVAviFile.h"

#ifndef FACADE_FFMPEG_DIR
#error "FACADE_FFMPEG_DIR names the folder of FFmpeg's files"
#endif

namespace {

constexpr int32_t FFT_WIDTH = 64;
constexpr int32_t FFT_HEIGHT = 48;
constexpr uint32_t FFT_FRAMES = 30;
constexpr uint32_t FFT_FPS = 15;
constexpr size_t FFT_FRAME_BYTES = FFT_WIDTH * FFT_HEIGHT * 3;

std::wstring Path(const char* pszName)
{
    const std::string str = std::string(FACADE_FFMPEG_DIR) + "/" + pszName;
    return std::wstring(str.begin(), str.end());
}

std::vector<uint8_t> ReadAll(const char* pszName)
{
    return FacadeReadBytes(std::string(FACADE_FFMPEG_DIR) + "/" + pszName);
}

long MidTime(uint32_t f)
{
    return static_cast<long>((2 * f + 1) * 500 / FFT_FPS);
}

// Blue, green, red of the pixel at column x of screen row y (0 = top).
void PixelAt(const BITMAPINFOHEADER& header, const uint8_t* pBits, int32_t x, int32_t y, int rgb[3])
{
    const int32_t nHeight = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    const int32_t nRow = header.biHeight < 0 ? y : nHeight - 1 - y;
    const size_t nStride = (static_cast<size_t>(header.biBitCount) * header.biWidth + 31) / 32 * 4;
    const uint8_t* p = pBits + nRow * nStride;
    if (header.biBitCount == 24 || header.biBitCount == 32) {
        const size_t n = header.biBitCount / 8;
        for (int c = 0; c < 3; ++c)
            rgb[c] = p[x * n + c];
    } else {
        const unsigned v = p[2 * x] | (p[2 * x + 1] << 8);  // 5-5-5
        rgb[0] = ((v & 0x1F) * 255) / 31;
        rgb[1] = (((v >> 5) & 0x1F) * 255) / 31;
        rgb[2] = (((v >> 10) & 0x1F) * 255) / 31;
    }
}

// Mean absolute difference per colour value between a picture and a raw
// top-down BGR frame.
double MeanDifference(const BITMAPINFOHEADER& header, const uint8_t* pBits, const uint8_t* pRaw)
{
    double fSum = 0;
    for (int32_t y = 0; y < FFT_HEIGHT; ++y) {
        for (int32_t x = 0; x < FFT_WIDTH; ++x) {
            int rgb[3];
            PixelAt(header, pBits, x, y, rgb);
            for (int c = 0; c < 3; ++c)
                fSum += std::abs(rgb[c] - pRaw[(y * FFT_WIDTH + x) * 3 + c]);
        }
    }
    return fSum / (FFT_WIDTH * FFT_HEIGHT * 3);
}

}  // namespace

TEST(FacadeFfmpeg, UncompressedRgbFramesAndPcmSoundReadAsFfmpegWroteThem)
{
    const std::vector<uint8_t> raw = ReadAll("rgb.raw");
    const std::vector<uint8_t> pcm = ReadAll("rgb.pcm");
    ASSERT_EQ(FFT_FRAMES * FFT_FRAME_BYTES, raw.size());
    ASSERT_FALSE(pcm.empty());
    QRVAviFile file;
    ASSERT_TRUE(file.Open(Path("rgb.avi").c_str()));
    ASSERT_EQ(1u, file.GetVideoStreamCount());
    ASSERT_EQ(1u, file.GetAudioStreamCount());
    EXPECT_FALSE(file.HasBuiltInDecoder(0));
    EXPECT_FALSE(file.IsServedByOwnReader());
    EXPECT_FALSE(file.IsDirectIndexed());
    ASSERT_TRUE(file.GetFrameOpen(0));
    EXPECT_EQ(2000, file.GetVideoEndTime(0));
    // Frame after frame, as playback asks for them.
    long nCurrent = -1;
    for (uint32_t f = 0; f < FFT_FRAMES; ++f) {
        SCOPED_TRACE(f);
        BITMAPINFOHEADER* pHeader = nullptr;
        uint8_t* pBits = nullptr;
        file.GetFrame(0, MidTime(f), &pHeader, &pBits, nCurrent, false);
        ASSERT_NE(nullptr, pHeader);
        ASSERT_NE(nullptr, pBits);
        EXPECT_EQ(FFT_WIDTH, pHeader->biWidth);
        EXPECT_EQ(FFT_HEIGHT, std::abs(pHeader->biHeight));
        ASSERT_EQ(24, pHeader->biBitCount);
        EXPECT_EQ(0.0, MeanDifference(*pHeader, pBits, raw.data() + f * FFT_FRAME_BYTES));
    }
    EXPECT_TRUE(file.GetFrameClose(0));

    const WAVEFORMATEX* pFormat = file.GetAudioFormat(0);
    ASSERT_NE(nullptr, pFormat);
    EXPECT_EQ(WAVE_FORMAT_PCM, pFormat->wFormatTag);
    EXPECT_EQ(22050u, pFormat->nSamplesPerSec);
    EXPECT_EQ(16, pFormat->wBitsPerSample);
    std::vector<uint8_t> sound;
    std::vector<uint8_t> buffer(3000);
    long nCursor = 0;
    for (;;) {
        long nBytes = static_cast<long>(buffer.size());
        if (!file.ReadAudioSamples(0, nCursor, buffer.data(), nBytes) || nBytes == 0)
            break;
        sound.insert(sound.end(), buffer.begin(), buffer.begin() + nBytes);
        ASSERT_LE(sound.size(), pcm.size());
    }
    EXPECT_EQ(pcm, sound);
    EXPECT_EQ(static_cast<long>(pcm.size() / 2), nCursor);
}

TEST(FacadeFfmpeg, MicrosoftVideo1FramesComeThroughThePlatformDecompressor)
{
    const std::vector<uint8_t> raw = ReadAll("rgb.raw");
    ASSERT_EQ(FFT_FRAMES * FFT_FRAME_BYTES, raw.size());
    QRVAviFile file;
    ASSERT_TRUE(file.Open(Path("cram.avi").c_str()));
    ASSERT_EQ(1u, file.GetVideoStreamCount());
    EXPECT_FALSE(file.HasBuiltInDecoder(0));
    EXPECT_FALSE(file.IsServedByOwnReader());
    ASSERT_TRUE(file.GetFrameOpen(0));
    long nCurrent = -1;
    for (uint32_t f = 0; f < FFT_FRAMES; ++f) {
        SCOPED_TRACE(f);
        BITMAPINFOHEADER* pHeader = nullptr;
        uint8_t* pBits = nullptr;
        file.GetFrame(0, MidTime(f), &pHeader, &pBits, nCurrent, false);
        ASSERT_NE(nullptr, pHeader);
        ASSERT_NE(nullptr, pBits);
        ASSERT_EQ(FFT_WIDTH, pHeader->biWidth);
        ASSERT_EQ(FFT_HEIGHT, std::abs(pHeader->biHeight));
        ASSERT_TRUE(pHeader->biBitCount == 16 || pHeader->biBitCount == 24 || pHeader->biBitCount == 32);
        // Video-1 is lossy (4 x 4 blocks of two colours in 5-5-5): close.
        const double fOwn = MeanDifference(*pHeader, pBits, raw.data() + f * FFT_FRAME_BYTES);
        EXPECT_LT(fOwn, 12.0);
    }
}
