// Files of FFmpeg's AVI muxer read the same way as ours: a movie of ours
// over 1 GiB is stream-copied by FFmpeg, whose muxer then writes its own
// OpenDML form (RIFF 'AVIX' chunks, super and standard indexes, "idx1" for
// the first RIFF chunk); the reader finds every frame, key frame and sound
// sample of it. The copy is a real file of about 1.2 GB in the temporary
// folder, removed at the end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "OdmlTestFiles.h"
#include "QRVAviFile20.h"

#ifndef VISTREL_FFMPEG
#error "VISTREL_FFMPEG names the ffmpeg program"
#endif

namespace {

// FFmpeg refuses packets of several hundred MB, so twelve of 96 MiB.
constexpr uint32_t ODT_BIG = 96u << 20;
const uint8_t s_bigHead[6] = {'b', 'i', 'g', 'f', 'r', 'm'};

struct Expected {
    std::vector<std::vector<uint8_t>> frames;  // empty: a big gap frame
    std::vector<bool> keys;
    std::vector<uint8_t> sound;
};

::testing::AssertionResult WriteOurs(const std::string& strPath, Expected& e)
{
    QRVFileOutput out;
    if (!out.Open(strPath))
        return ::testing::AssertionFailure() << "cannot create";
    QRVVideoStreamFormat video;
    video.nWidth = 64;
    video.nHeight = 48;
    const QRVAudioStreamFormat audio = OdtAudioFormat();
    QRVOpenDmlWriter writer;
    if (!writer.Open(out, video, &audio))
        return ::testing::AssertionFailure() << writer.LastError();
    for (uint32_t i = 0; i < 60; ++i) {
        const std::vector<uint8_t> sound = OdtBytes(2 * 735, 300 + i);
        e.sound.insert(e.sound.end(), sound.begin(), sound.end());
        const bool bKey = i % 8 == 0;
        bool bOk = writer.WriteAudio(sound);
        if (i % 5 == 2) {
            bOk = bOk && writer.WriteVideoSparse(s_bigHead, sizeof s_bigHead, ODT_BIG, bKey);
            e.frames.emplace_back();
        } else {
            e.frames.push_back(OdtBytes(10 + (i * 41) % 500, i));
            bOk = bOk && writer.WriteVideo(e.frames.back(), bKey);
        }
        e.keys.push_back(bKey);
        if (!bOk)
            return ::testing::AssertionFailure() << writer.LastError();
    }
    if (!writer.Close() || !out.Finish())
        return ::testing::AssertionFailure() << writer.LastError();
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(OpenDmlFfmpeg, CopyByFfmpegsMuxerReadsLikeOurs)
{
    CTestFile ours("ours.avi");
    CTestFile theirs("ffmpeg.avi");
    Expected e;
    ASSERT_TRUE(WriteOurs(ours.Path(), e));
    const std::string strCommand = std::string(VISTREL_FFMPEG) + " -nostdin -v error -y -i '" + ours.Path() +
                                   "' -map 0 -c copy -strict unofficial '" + theirs.Path() + "'";
    ASSERT_EQ(0, std::system(strCommand.c_str())) << strCommand;

    for (CTestFile* pFile : {&ours, &theirs}) {
        SCOPED_TRACE(pFile->Path());
        QRVAviFile20 reader;
        ASSERT_EQ(ODML_OK, reader.Open(pFile->ReaderPath()));
        ASSERT_EQ(1u, reader.VideoStreams().size());
        ASSERT_EQ(1u, reader.AudioStreams().size());
        const uint32_t nVideo = static_cast<uint32_t>(reader.VideoStreams()[0]);
        const uint32_t nAudio = static_cast<uint32_t>(reader.AudioStreams()[0]);
        ASSERT_EQ(e.frames.size(), reader.Stream(nVideo)->m_nEntries);
        for (int32_t f = 0; f < static_cast<int32_t>(e.frames.size()); ++f) {
            SCOPED_TRACE(f);
            int32_t nBytes = 0, nSamples = 0;
            ASSERT_EQ(ODML_OK, reader.ReadDirect(nVideo, f, 1, nullptr, 0, &nBytes, &nSamples));
            if (e.frames[f].empty()) {
                EXPECT_EQ(static_cast<int32_t>(ODT_BIG), nBytes);
                std::vector<uint8_t> head(sizeof s_bigHead);
                // Too small a buffer for the whole frame: nothing is read.
                EXPECT_EQ(ODML_FAIL, reader.ReadDirect(nVideo, f, 1, head.data(), 6, &nBytes, &nSamples));
            } else {
                std::vector<uint8_t> got(nBytes);
                ASSERT_EQ(ODML_OK, reader.ReadDirect(nVideo, f, 1, got.data(), nBytes, &nBytes, &nSamples));
                EXPECT_EQ(e.frames[f], got);
            }
            int32_t nKey = f;
            while (!e.keys[nKey])
                --nKey;
            EXPECT_EQ(nKey, reader.FindKeyFrameDirect(0, f));
        }
        std::vector<uint8_t> sound(e.sound.size() + 16);
        int32_t nBytes = 0, nSamples = 0;
        ASSERT_EQ(ODML_OK, reader.ReadDirect(nAudio, 0, 1 << 30, sound.data(),
                                             static_cast<int32_t>(sound.size()), &nBytes, &nSamples));
        sound.resize(nBytes);
        EXPECT_EQ(e.sound, sound);
    }
}
