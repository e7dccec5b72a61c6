// The reader beside the platform's AVI library, under Wine: movies over
// 1 GiB whose legacy index covers only the first RIFF chunk, or that have no
// legacy index at all, are read frame by frame and sample by sample through
// the reader's platform-facing reads, and the process survives; files the
// reader does not index are read through the platform.
#include <windows.h>
#include <mmsystem.h>
#include <vfw.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "OdmlTestFiles.h"
#include "QRVAviFile20.h"
#include "QRVAviWriter.h"
#include "PlatformMovie.h"
#include "avilibrary.h"

namespace {

constexpr uint32_t ODT_HOLE = 300u << 20;
const uint8_t s_holeHead[4] = {0xA1, 0xB2, 0xC3, 0xD4};

// Small frames with sound before each, and four 300 MB frames stored as
// gaps (only their first 4 bytes written): over 1 GiB in two RIFF chunks.
struct LargeMovie {
    std::vector<std::vector<uint8_t>> frames;  // empty for a gap frame
    std::vector<bool> keys;
    std::vector<uint8_t> sound;
};

::testing::AssertionResult WriteLargeMovie(const std::string& strPath, bool bLegacyIndex, LargeMovie& movie)
{
    QRVFileOutput out;
    if (!out.Open(strPath))
        return ::testing::AssertionFailure() << "cannot create";
    QRVVideoStreamFormat video;
    video.nWidth = 64;
    video.nHeight = 48;
    const QRVAudioStreamFormat audio = OdtAudioFormat();
    QRVOpenDmlOptions options;
    options.bLegacyIndex = bLegacyIndex;
    QRVOpenDmlWriter writer;
    if (!writer.Open(out, video, &audio, options))
        return ::testing::AssertionFailure() << writer.LastError();
    for (uint32_t i = 0; i < 40; ++i) {
        const std::vector<uint8_t> sound = OdtBytes(2 * (50 + i * 7), 500 + i);
        movie.sound.insert(movie.sound.end(), sound.begin(), sound.end());
        bool bOk = writer.WriteAudio(sound);
        const bool bKey = i % 6 == 0;
        if (i % 10 == 9) {
            bOk = bOk && writer.WriteVideoSparse(s_holeHead, sizeof s_holeHead, ODT_HOLE, bKey);
            movie.frames.emplace_back();
        } else {
            movie.frames.push_back(OdtBytes(20 + i * 3, i));
            bOk = bOk && writer.WriteVideo(movie.frames.back(), bKey);
        }
        movie.keys.push_back(bKey);
        if (!bOk)
            return ::testing::AssertionFailure() << writer.LastError();
    }
    if (!writer.Close() || !out.Finish())
        return ::testing::AssertionFailure() << writer.LastError();
    if (writer.RiffChunks() < 2 || writer.FileSize() <= ODT_ONE_GIB)
        return ::testing::AssertionFailure() << "not a large OpenDML movie";
    return ::testing::AssertionSuccess();
}

void ExpectEveryFrameAndSampleRead(QRVAviFile20& reader, PAVISTREAM pVideo, PAVISTREAM pAudio,
                                   const LargeMovie& movie)
{
    for (long f = 0; f < static_cast<long>(movie.frames.size()); ++f) {
        SCOPED_TRACE(f);
        long nBytes = -1, nSamples = -1;
        ASSERT_EQ(ODML_OK, reader.ReadVideo(pVideo, 0, f, 1, nullptr, 0, &nBytes, &nSamples));
        const bool bGap = movie.frames[f].empty();
        ASSERT_EQ(bGap ? static_cast<long>(ODT_HOLE) : static_cast<long>(movie.frames[f].size()), nBytes);
        std::vector<uint8_t> got(nBytes);
        ASSERT_EQ(ODML_OK, reader.ReadVideo(pVideo, 0, f, 1, got.data(), nBytes, &nBytes, &nSamples));
        EXPECT_EQ(1, nSamples);
        if (bGap) {
            EXPECT_EQ(0, std::memcmp(s_holeHead, got.data(), sizeof s_holeHead));
            EXPECT_EQ(0, got.back());
        } else {
            EXPECT_EQ(movie.frames[f], got);
        }
        // Key frames from the reader's own index.
        long nKey = f;
        while (!movie.keys[nKey])
            --nKey;
        EXPECT_EQ(nKey, reader.FindKeyFrame(pVideo, 0, f));
    }
    std::vector<uint8_t> sound;
    std::vector<uint8_t> buffer(777);
    long nCursor = 0;
    long nBytes = 0, nSamples = 0;
    while (reader.ReadAudio(pAudio, 0, nCursor, 777, buffer.data(), 777, &nBytes, &nSamples) == ODML_OK) {
        sound.insert(sound.end(), buffer.begin(), buffer.begin() + nBytes);
        nCursor += nSamples;
    }
    EXPECT_EQ(movie.sound, sound);
}

}  // namespace

TEST(OpenDmlWine, LargeMovieWithLegacyIndexOfTheFirstRiffChunkReadsWhole)
{
    CAviLibrary library;
    CTestFile file("legacy.avi");
    LargeMovie movie;
    ASSERT_TRUE(WriteLargeMovie(file.Path(), true, movie));
    CPlatformMovie platform;
    ASSERT_EQ(AVIERR_OK, platform.Open(file.WidePath()));
    QRVAviFile20 reader;
    ASSERT_EQ(ODML_OK, reader.Open(file.ReaderPath()));
    ExpectEveryFrameAndSampleRead(reader, platform.Stream(streamtypeVIDEO), platform.Stream(streamtypeAUDIO),
                                  movie);
}

TEST(OpenDmlWine, LargeMovieWithoutLegacyIndexReadsWhole)
{
    CAviLibrary library;
    CTestFile file("nolegacy.avi");
    LargeMovie movie;
    ASSERT_TRUE(WriteLargeMovie(file.Path(), false, movie));
    CPlatformMovie platform;
    // The platform may or may not open such a file; our reads need no stream.
    const bool bPlatform = platform.Open(file.WidePath()) == AVIERR_OK;
    QRVAviFile20 reader;
    ASSERT_EQ(ODML_OK, reader.Open(file.ReaderPath()));
    ExpectEveryFrameAndSampleRead(reader, bPlatform ? platform.Stream(streamtypeVIDEO) : nullptr,
                                  bPlatform ? platform.Stream(streamtypeAUDIO) : nullptr, movie);
}

TEST(OpenDmlWine, DirectKeyFrameSearchAgreesWithThePlatformOverItsIndex)
{
    CAviLibrary library;
    CTestFile file("keys.avi");
    LargeMovie movie;
    ASSERT_TRUE(WriteLargeMovie(file.Path(), true, movie));
    CPlatformMovie platform;
    ASSERT_EQ(AVIERR_OK, platform.Open(file.WidePath()));
    PAVISTREAM pVideo = platform.Stream(streamtypeVIDEO);
    QRVAviFile20 reader;
    ASSERT_EQ(ODML_OK, reader.Open(file.ReaderPath()));
    // Frames 0..26 lie in the first RIFF chunk, which "idx1" covers.
    for (long f = 0; f < 27; ++f) {
        SCOPED_TRACE(f);
        const long nPlatform = AVIStreamFindSample(pVideo, f, FIND_PREV | FIND_KEY);
        EXPECT_EQ(nPlatform, reader.FindKeyFrameDirect(0, f));
        // The platform's previous key frame strictly before a key frame is
        // an earlier one; the direct search returns the frame itself.
        if (movie.keys[f] && f > 0) {
            EXPECT_LT(AVIStreamFindSample(pVideo, f - 1, FIND_PREV | FIND_KEY), f);
        }
    }
}

TEST(OpenDmlWine, FilesTheReaderDoesNotIndexAreReadThroughThePlatform)
{
    CAviLibrary library;
    CTestFile file("classic.avi");
    std::vector<std::vector<uint8_t>> frames;
    {
        QRVFileOutput out;
        ASSERT_TRUE(out.Open(file.Path()));
        QRVVideoStreamFormat video;
        video.nWidth = 32;
        video.nHeight = 32;
        QRVAviWriter writer;
        ASSERT_TRUE(writer.Open(out, video, nullptr));
        for (uint32_t i = 0; i < 12; ++i) {
            frames.push_back(OdtBytes(30 + i, i));
            ASSERT_TRUE(writer.WriteVideo(frames.back(), i % 4 == 0));
        }
        ASSERT_TRUE(writer.Close());
        ASSERT_TRUE(out.Finish());
    }
    CPlatformMovie platform;
    ASSERT_EQ(AVIERR_OK, platform.Open(file.WidePath()));
    PAVISTREAM pVideo = platform.Stream(streamtypeVIDEO);
    QRVAviFile20 reader;
    EXPECT_EQ(ODML_FAIL, reader.Open(file.ReaderPath()));  // under 1 GiB
    for (long f = 0; f < 12; ++f) {
        SCOPED_TRACE(f);
        std::vector<uint8_t> got(100);
        long nBytes = 0, nSamples = 0;
        ASSERT_EQ(ODML_OK, reader.ReadVideo(pVideo, 0, f, 1, got.data(), 100, &nBytes, &nSamples));
        got.resize(nBytes);
        EXPECT_EQ(frames[f], got);
        // The platform's search looks strictly before the frame.
        EXPECT_EQ(f == 0 ? -1L : ((f - 1) / 4) * 4, reader.FindKeyFrame(pVideo, 0, f));
    }
    long nBytes = 0, nSamples = 0;
    uint8_t byte = 0;
    EXPECT_EQ(ODML_FAIL, reader.ReadVideo(nullptr, 0, 0, 1, &byte, 1, &nBytes, &nSamples));
}
