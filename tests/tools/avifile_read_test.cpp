// Movies from the writer open with the platform's AVI file library: it sees
// both streams with their formats, the frame count, the key frames where
// they were written, and the very bytes of frames and sound.
#include <windows.h>
#include <mmsystem.h>
#include <vfw.h>
#include <aviriff.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "QRVAviRecords.h"
#include "QRVAviWriter.h"
#include "PlatformMovie.h"
#include "avilibrary.h"
#include "QRVCanvas.h"
#include "QRVOutput.h"
#include "QRVSampleMovie.h"
#include "QRVScenes.h"
#include "QRVScreenEncoder.h"
#include "QRVTone.h"
#include "TestFile.h"

// Our byte layouts are the platform's records (aviriff.h counts the chunk
// header too).
static_assert(sizeof(AVIMAINHEADER) == 8 + AVR_MAIN_HEADER_BYTES, "avih");
static_assert(sizeof(AVISTREAMHEADER) == 8 + AVR_STREAM_HEADER_BYTES, "strh");
static_assert(offsetof(AVISTREAMHEADER, dwLength) == 8 + 32, "strh length");
static_assert(offsetof(AVISTREAMHEADER, rcFrame) == 8 + 48, "strh frame");
static_assert(sizeof(BITMAPINFOHEADER) == AVR_BITMAP_HEADER_BYTES, "bitmap header");
static_assert(sizeof(WAVEFORMATEX) == AVR_WAVE_FORMAT_BYTES, "wave format");
static_assert(sizeof(AVIINDEXENTRY) == AVR_INDEX_ENTRY_BYTES, "index entry");
static_assert(AVR_INDEX_KEYFRAME == AVIIF_KEYFRAME && AVR_INDEX_NO_TIME == AVIIF_NO_TIME &&
                  AVR_MAIN_HASINDEX == AVIF_HASINDEX && AVR_MAIN_ISINTERLEAVED == AVIF_ISINTERLEAVED &&
                  AVR_STREAM_PALCHANGES == AVISF_VIDEO_PALCHANGES && AVR_WAVE_FORMAT_PCM == WAVE_FORMAT_PCM,
              "flags");

namespace {

struct WrittenMovie {
    std::vector<std::vector<uint8_t>> frames;
    std::vector<bool> keys;
    std::vector<uint8_t> sound;
};

constexpr int32_t TEST_WIDTH = 96;
constexpr int32_t TEST_HEIGHT = 64;
constexpr uint32_t TEST_FPS = 10;
constexpr uint32_t TEST_FRAMES = 24;
constexpr uint32_t TEST_RATE = 11025;

// Bars scene (unchanged odd frames as empty chunks), key frames at 0, 7, 14,
// 21 and at frame 10, stereo 16-bit tone interleaved before each frame.
bool WriteTestMovie(const std::wstring& strPath, int nBits, WrittenMovie& movie)
{
    QRVFileOutput file;
    if (!file.Open(strPath))
        return false;
    QRVVideoStreamFormat video;
    video.nWidth = TEST_WIDTH;
    video.nHeight = TEST_HEIGHT;
    video.nBitCount = nBits;
    video.nRate = TEST_FPS;
    if (nBits == 8)
        video.palette = QRVCanvas::StandardPalette();
    QRVAudioStreamFormat audio;
    audio.nChannels = 2;
    audio.nSamplesPerSec = TEST_RATE;
    audio.nBitsPerSample = 16;
    QRVToneFormat tone;
    tone.nChannels = 2;
    tone.nSamplesPerSec = TEST_RATE;
    tone.nBitsPerSample = 16;

    QRVAviWriter writer;
    QRVScreenEncoder encoder;
    if (!writer.Open(file, video, &audio) || !encoder.Begin(TEST_WIDTH, TEST_HEIGHT, nBits))
        return false;
    std::unique_ptr<QRVScene> pScene = QRVMakeScene("bars");
    QRVCanvas canvas(TEST_WIDTH, TEST_HEIGHT);
    QRVPicture picture;
    for (uint32_t i = 0; i < TEST_FRAMES; ++i) {
        const uint32_t nFrom = i * TEST_RATE / TEST_FPS;
        const uint32_t nTo = (i + 1) * TEST_RATE / TEST_FPS;
        const std::vector<uint8_t> pcm = QRVSineTone(tone, 523.25, 0.3, nFrom, nTo - nFrom);
        if (!writer.WriteAudio(pcm))
            return false;
        movie.sound.insert(movie.sound.end(), pcm.begin(), pcm.end());

        pScene->Render(i, TEST_FPS, canvas);
        std::vector<uint8_t> frame;
        if (!canvas.ToPicture(picture, nBits) || !encoder.EncodeFrame(picture, i % 7 == 0 || i == 10, frame))
            return false;
        if (!encoder.LastWasKey() && encoder.LastUnchanged())
            frame.clear();
        if (!writer.WriteVideo(frame, encoder.LastWasKey()))
            return false;
        movie.frames.push_back(frame);
        movie.keys.push_back(encoder.LastWasKey());
    }
    return writer.Close() && file.Finish();
}

}  // namespace

class AviFileRead : public ::testing::TestWithParam<int> {};

TEST_P(AviFileRead, PlatformLibrarySeesStreamsFramesKeyFramesAndSound)
{
    const int nBits = GetParam();
    CTestFile temp(L"read" + std::to_wstring(nBits) + L".avi");
    ASSERT_FALSE(temp.WidePath().empty());
    WrittenMovie movie;
    ASSERT_TRUE(WriteTestMovie(temp.WidePath(), nBits, movie));

    CAviLibrary library;
    CPlatformMovie avi;
    ASSERT_EQ(avi.Open(temp.WidePath()), AVIERR_OK);
    AVIFILEINFOW fileInfo = {};
    ASSERT_EQ(AVIFileInfoW(avi.File(), &fileInfo, sizeof(fileInfo)), AVIERR_OK);
    EXPECT_EQ(fileInfo.dwStreams, 2u);
    EXPECT_EQ(fileInfo.dwWidth, static_cast<DWORD>(TEST_WIDTH));
    EXPECT_EQ(fileInfo.dwHeight, static_cast<DWORD>(TEST_HEIGHT));

    // Video stream: "qrvc" handler and format, frame count, every frame's bytes.
    PAVISTREAM pVideo = avi.Stream(streamtypeVIDEO);
    ASSERT_NE(pVideo, nullptr);
    AVISTREAMINFOW info = {};
    ASSERT_EQ(AVIStreamInfoW(pVideo, &info, sizeof(info)), AVIERR_OK);
    EXPECT_EQ(info.fccType, streamtypeVIDEO);
    EXPECT_EQ(info.fccHandler, mmioFOURCC('q', 'r', 'v', 'c'));
    EXPECT_EQ(info.dwScale, 1u);
    EXPECT_EQ(info.dwRate, TEST_FPS);
    EXPECT_EQ(info.dwLength, TEST_FRAMES);
    EXPECT_EQ(AVIStreamLength(pVideo), static_cast<LONG>(TEST_FRAMES));
    EXPECT_EQ(info.rcFrame.right, TEST_WIDTH);
    EXPECT_EQ(info.rcFrame.bottom, TEST_HEIGHT);

    LONG cbFormat = 0;
    ASSERT_EQ(AVIStreamReadFormat(pVideo, 0, nullptr, &cbFormat), AVIERR_OK);
    ASSERT_EQ(cbFormat, nBits == 8 ? 40 + 1024 : 40);
    std::vector<uint8_t> format(cbFormat);
    ASSERT_EQ(AVIStreamReadFormat(pVideo, 0, format.data(), &cbFormat), AVIERR_OK);
    BITMAPINFOHEADER bih;
    memcpy(&bih, format.data(), sizeof(bih));
    EXPECT_EQ(bih.biCompression, mmioFOURCC('q', 'r', 'v', 'c'));
    EXPECT_EQ(bih.biWidth, TEST_WIDTH);
    EXPECT_EQ(bih.biHeight, TEST_HEIGHT);
    EXPECT_EQ(bih.biBitCount, nBits);
    if (nBits == 8) {
        EXPECT_EQ(bih.biClrUsed, 256u);
        const uint32_t nEntry = QRVCanvas::StandardPalette()[100];
        EXPECT_EQ(memcmp(format.data() + 40 + 4 * 100, &nEntry, 3), 0);
    }

    size_t nEmpty = 0;
    for (uint32_t i = 0; i < TEST_FRAMES; ++i) {
        std::vector<uint8_t> buffer(movie.frames[i].size() + 64, 0xCD);
        LONG nBytes = -1, nSamples = -1;
        ASSERT_EQ(AVIStreamRead(pVideo, static_cast<LONG>(i), 1, buffer.data(),
                                static_cast<LONG>(buffer.size()), &nBytes, &nSamples),
                  AVIERR_OK)
            << i;
        ASSERT_EQ(nBytes, static_cast<LONG>(movie.frames[i].size())) << i;
        buffer.resize(nBytes);
        EXPECT_EQ(buffer, movie.frames[i]) << i;
        nEmpty += movie.frames[i].empty() ? 1 : 0;
        // Previous key frame (at or before i) is where one was written.
        LONG nExpectedKey = static_cast<LONG>(i);
        while (!movie.keys[nExpectedKey])
            --nExpectedKey;
        EXPECT_EQ(AVIStreamFindSample(pVideo, static_cast<LONG>(i), FIND_PREV | FIND_KEY), nExpectedKey) << i;
        EXPECT_EQ(AVIStreamIsKeyFrame(pVideo, static_cast<LONG>(i)), movie.keys[i] ? TRUE : FALSE) << i;
    }
    EXPECT_GT(nEmpty, 0u);
    EXPECT_EQ(AVIStreamFindSample(pVideo, 11, FIND_NEXT | FIND_KEY), 14);

    // Sound stream: PCM format, length in blocks, the bytes written.
    PAVISTREAM pAudio = avi.Stream(streamtypeAUDIO);
    ASSERT_NE(pAudio, nullptr);
    AVISTREAMINFOW audioInfo = {};
    ASSERT_EQ(AVIStreamInfoW(pAudio, &audioInfo, sizeof(audioInfo)), AVIERR_OK);
    EXPECT_EQ(audioInfo.dwSampleSize, 4u);
    const LONG nBlocks = static_cast<LONG>(movie.sound.size() / 4);
    EXPECT_EQ(AVIStreamLength(pAudio), nBlocks);
    WAVEFORMATEX wave = {};
    LONG cbWave = sizeof(wave);
    ASSERT_EQ(AVIStreamReadFormat(pAudio, 0, &wave, &cbWave), AVIERR_OK);
    EXPECT_GE(cbWave, 16);
    EXPECT_EQ(wave.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(wave.nChannels, 2u);
    EXPECT_EQ(wave.nSamplesPerSec, TEST_RATE);
    EXPECT_EQ(wave.nBlockAlign, 4u);
    EXPECT_EQ(wave.wBitsPerSample, 16u);

    std::vector<uint8_t> sound(movie.sound.size());
    LONG nBytes = 0, nSamples = 0;
    ASSERT_EQ(
        AVIStreamRead(pAudio, 0, nBlocks, sound.data(), static_cast<LONG>(sound.size()), &nBytes, &nSamples),
        AVIERR_OK);
    EXPECT_EQ(nSamples, nBlocks);
    ASSERT_EQ(nBytes, static_cast<LONG>(movie.sound.size()));
    EXPECT_EQ(sound, movie.sound);
    // A piece across chunk boundaries.
    std::vector<uint8_t> piece(2000 * 4);
    ASSERT_EQ(
        AVIStreamRead(pAudio, 3000, 2000, piece.data(), static_cast<LONG>(piece.size()), &nBytes, &nSamples),
        AVIERR_OK);
    ASSERT_EQ(nBytes, static_cast<LONG>(piece.size()));
    EXPECT_TRUE(std::equal(piece.begin(), piece.end(), movie.sound.begin() + 3000 * 4));
}

INSTANTIATE_TEST_SUITE_P(BitCounts, AviFileRead, ::testing::Values(8, 16, 24, 32));

TEST(AviFileRead, SampleMovieFromTheCommandLineSettingsOpens)
{
    CTestFile temp(std::wstring(L"sample.avi"));
    ASSERT_FALSE(temp.WidePath().empty());
    QRVMovieSettings settings;
    std::string strError;
    const std::string strPath(temp.WidePath().begin(), temp.WidePath().end());  // the temp path is ASCII
    ASSERT_TRUE(QRVParseMovieArgs({strPath, "--width", "200", "--height", "150", "--seconds", "2"}, settings,
                                  strError))
        << strError;
    ASSERT_TRUE(QRVWriteMovieFile(settings, strError)) << strError;

    CAviLibrary library;
    CPlatformMovie avi;
    ASSERT_EQ(avi.Open(temp.WidePath()), AVIERR_OK);
    PAVISTREAM pVideo = avi.Stream(streamtypeVIDEO);
    PAVISTREAM pAudio = avi.Stream(streamtypeAUDIO);
    ASSERT_NE(pVideo, nullptr);
    ASSERT_NE(pAudio, nullptr);
    EXPECT_EQ(AVIStreamLength(pVideo), 30);
    EXPECT_EQ(AVIStreamLength(pAudio), 2 * 22050);
    EXPECT_EQ(AVIStreamSampleToTime(pVideo, 15), 1000);
    EXPECT_EQ(AVIStreamFindSample(pVideo, 29, FIND_PREV | FIND_KEY), 0);
}
