// Opening movies: the messages for files that cannot be opened, that hold
// neither sound nor picture, or whose picture has no decompressor; the
// stream list with its limit of five per kind; sound formats padded to 18
// bytes; sound read back sample for sample, and the time conversions.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "FacadeChecks.h"
#include "QRVAviFile.h"
#include "afxstring.h"
#include "msgbox.h"
#include "resource.h"

namespace {

struct HandmadeStream {
    const char* pszType;
    const char* pszHandler;
    std::vector<uint8_t> format;
    uint32_t nRate;
    uint32_t nSampleSize;
};

std::vector<uint8_t> WaveFormat(uint32_t nBytes)
{
    std::vector<uint8_t> v;
    FacadePut(v, 1, 2);  // PCM
    FacadePut(v, 1, 2);  // mono
    FacadePut(v, 22050, 4);
    FacadePut(v, 44100, 4);
    FacadePut(v, 2, 2);       // block align
    FacadePut(v, 16, 2);      // bits
    FacadePut(v, 0x5A5A, 2);  // extra size, if the record is that long
    v.resize(nBytes, 0x5A);
    return v;
}

// A classic AVI file of the given streams, each with one chunk of 200 bytes
// in "movi" and in "idx1".
std::vector<uint8_t> HandmadeAvi(const std::vector<HandmadeStream>& streams)
{
    CFacadeRiff riff;
    riff.List("RIFF", "AVI ").List("LIST", "hdrl");
    std::vector<uint8_t> avih;
    FacadePut(avih, 66666, 4);
    FacadePut(avih, 0, 4);
    FacadePut(avih, 0, 4);
    FacadePut(avih, 0x10, 4);  // has index
    FacadePut(avih, 1, 4);
    FacadePut(avih, 0, 4);
    FacadePut(avih, static_cast<uint32_t>(streams.size()), 4);
    FacadePut(avih, 0, 4);
    FacadePut(avih, 16, 4);
    FacadePut(avih, 16, 4);
    avih.resize(56, 0);
    riff.Chunk("avih", avih);
    for (const HandmadeStream& s : streams) {
        std::vector<uint8_t> strh;
        strh.insert(strh.end(), s.pszType, s.pszType + 4);
        strh.insert(strh.end(), s.pszHandler, s.pszHandler + 4);
        FacadePut(strh, 0, 4);  // flags
        FacadePut(strh, 0, 4);  // priority, language
        FacadePut(strh, 0, 4);  // initial frames
        FacadePut(strh, 1, 4);  // scale
        FacadePut(strh, s.nRate, 4);
        FacadePut(strh, 0, 4);                                        // start
        FacadePut(strh, s.nSampleSize ? 200 / s.nSampleSize : 1, 4);  // length
        FacadePut(strh, 200, 4);                                      // suggested buffer
        FacadePut(strh, 0, 4);                                        // quality
        FacadePut(strh, s.nSampleSize, 4);
        strh.resize(56, 0);
        riff.List("LIST", "strl").Chunk("strh", strh).Chunk("strf", s.format).End();
    }
    riff.End();
    riff.List("LIST", "movi");
    const size_t nMovi = riff.Size() - 4;  // offsets in idx1 count from "movi"
    std::vector<uint8_t> idx1;
    for (size_t i = 0; i < streams.size(); ++i) {
        const std::string strId =
            "0" + std::to_string(i) + (std::strcmp(streams[i].pszType, "auds") == 0 ? "wb" : "dc");
        idx1.insert(idx1.end(), strId.begin(), strId.end());
        FacadePut(idx1, 0x10, 4);
        FacadePut(idx1, static_cast<uint32_t>(riff.Size() - nMovi), 4);
        FacadePut(idx1, 200, 4);
        riff.Chunk(strId.c_str(), std::vector<uint8_t>(200, static_cast<uint8_t>(i)));
    }
    riff.End();
    riff.Chunk("idx1", idx1);
    riff.End();
    return riff.Bytes();
}

std::wstring Hex(uint32_t n)
{
    wchar_t sz[16] = {};
    swprintf(sz, 16, L"%lx", static_cast<unsigned long>(n));
    return sz;
}

}  // namespace

TEST(FacadeMessages, StringsOfTheMessagesArePresent)
{
    for (UINT nID : {IDS_OPEN_FAILED, IDS_FILE_CORRUPT, IDS_OUT_OF_MEMORY, IDS_DISK_READ_ERROR,
                     IDS_DISK_OPEN_ERROR, IDS_AVI_CLASS_MISSING, IDS_NO_VIDEO_CODEC, IDS_NO_VIDEO_CODEC_TAIL,
                     IDS_NO_STREAMS, IDS_NO_DV_SUPPORT})
        EXPECT_FALSE(AfxLoadString(nID).empty()) << nID;
}

TEST(FacadeMessages, MissingFileGetsTheOpenFailureWithItsCode)
{
    CMessageBoxCapture capture;
    CTestFile path("missing.avi");
    QRVAviFile file;
    EXPECT_FALSE(file.Open(path.Wide()));
    EXPECT_FALSE(file.IsOpen());
    const auto records = capture.Records();
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(static_cast<UINT>(MB_OK), records[0].nType);
    // Wine answers a missing file with "file open" (0x8004406F).
    EXPECT_EQ(AfxLoadString(IDS_OPEN_FAILED) + L" " + path.Wide() + L" (" + Hex(0x8004406F) + L")\n" +
                  AfxLoadString(IDS_DISK_OPEN_ERROR),
              records[0].strText);
}

TEST(FacadeMessages, FileThatIsNotAviGetsTheOpenFailureWithTheExplanationOfItsCode)
{
    CMessageBoxCapture capture;
    CTestFile path("text.avi");
    const std::string strText = "This is not a movie at all, just some words in a file.\r\n";
    ASSERT_TRUE(FacadeWriteBytes(path.Path(), std::vector<uint8_t>(strText.begin(), strText.end())));
    QRVAviFile file;
    EXPECT_FALSE(file.Open(path.Wide()));
    const auto records = capture.Records();
    ASSERT_EQ(1u, records.size());
    // Windows' library calls it a bad format; Wine's fails to read it.
    const std::wstring strHead = AfxLoadString(IDS_OPEN_FAILED) + L" " + path.Wide() + L" (";
    EXPECT_TRUE(records[0].strText == strHead + Hex(0x80044066) + L")\n" + AfxLoadString(IDS_FILE_CORRUPT) ||
                records[0].strText == strHead + Hex(0x8004406D) + L")\n" + AfxLoadString(IDS_DISK_READ_ERROR))
        << records[0].strText.size();
}

TEST(FacadeMessages, DvOnlyFileGetsTheNoStreamsMessageWithTheDvNote)
{
    CMessageBoxCapture capture;
    CTestFile path("dv.avi");
    ASSERT_TRUE(
        FacadeWriteBytes(path.Path(), HandmadeAvi({{"iavs", "dvsd", std::vector<uint8_t>(32, 0), 25, 0}})));
    QRVAviFile file;
    EXPECT_FALSE(file.Open(path.Wide()));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(0u, file.GetAudioStreamCount());
    EXPECT_EQ(0u, file.GetVideoStreamCount());
    const auto records = capture.Records();
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(AfxFormatString(AfxLoadString(IDS_NO_STREAMS), {std::wstring(path.Wide())}) + L"\r\n\r\n" +
                  AfxLoadString(IDS_NO_DV_SUPPORT),
              records[0].strText);
    EXPECT_NE(std::wstring::npos, records[0].strText.find(path.Wide()));
}

TEST(FacadeMessages, UnknownVideoCodecGetsTheMissingDecompressorMessage)
{
    CMessageBoxCapture capture;
    CTestFile path("zzzz.avi");
    {
        QRVFileOutput out;
        ASSERT_TRUE(out.Open(path.Path()));
        QRVVideoStreamFormat video;
        video.nWidth = 32;
        video.nHeight = 32;
        video.nCompression = QRVLittleEndian::FourCC("zzzz");
        QRVAviWriter writer;
        ASSERT_TRUE(writer.Open(out, video, nullptr));
        for (int i = 0; i < 5; ++i)
            ASSERT_TRUE(writer.WriteVideo(std::vector<uint8_t>(100, static_cast<uint8_t>(i)), true));
        ASSERT_TRUE(writer.Close());
        ASSERT_TRUE(out.Finish());
    }
    QRVAviFile file;
    ASSERT_TRUE(file.Open(path.Wide()));
    EXPECT_TRUE(capture.Records().empty());
    // Another codec: the platform's library serves the movie.
    EXPECT_FALSE(file.IsServedByOwnReader());
    EXPECT_FALSE(file.HasBuiltInDecoder(0));
    EXPECT_FALSE(file.GetFrameOpen(0));
    const auto records = capture.Records();
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(AfxLoadString(IDS_NO_VIDEO_CODEC) + L" (vids:zzzz) " + AfxLoadString(IDS_NO_VIDEO_CODEC_TAIL),
              records[0].strText);
    // No frame reader: nothing is delivered, and nothing breaks.
    long nCurrent = -1;
    BITMAPINFOHEADER* pHeader = nullptr;
    uint8_t* pBits = nullptr;
    EXPECT_FALSE(file.GetFrameAtSample(0, 1, &pHeader, &pBits, nCurrent, false));
    EXPECT_EQ(nullptr, pHeader);
    EXPECT_EQ(nullptr, pBits);
}

TEST(FacadeStreams, SoundFormatsAreHandedOutAtLeast18BytesLong)
{
    struct Case {
        uint32_t nStored;
        uint16_t nBits;
        uint16_t nExtra;
    };
    for (const Case& c : {Case{14, 0, 0}, Case{16, 16, 0}, Case{18, 16, 0x5A5A}}) {
        SCOPED_TRACE(c.nStored);
        CTestFile path("wave" + std::to_string(c.nStored) + ".avi");
        ASSERT_TRUE(FacadeWriteBytes(path.Path(),
                                     HandmadeAvi({{"auds", "\0\0\0\0", WaveFormat(c.nStored), 22050, 2}})));
        QRVAviFile file;
        ASSERT_TRUE(file.Open(path.Wide()));
        ASSERT_EQ(1u, file.GetAudioStreamCount());
        const WAVEFORMATEX* pFormat = file.GetAudioFormat(0);
        ASSERT_NE(nullptr, pFormat);
        EXPECT_EQ(WAVE_FORMAT_PCM, pFormat->wFormatTag);
        EXPECT_EQ(22050u, pFormat->nSamplesPerSec);
        EXPECT_EQ(2, pFormat->nBlockAlign);
        EXPECT_EQ(c.nBits, pFormat->wBitsPerSample);
        EXPECT_EQ(c.nExtra, pFormat->cbSize);
    }
}

TEST(FacadeStreams, AtMostFiveStreamsOfEachKindAreListed)
{
    std::vector<HandmadeStream> streams;
    for (int i = 0; i < 6; ++i)
        streams.push_back({"auds", "\0\0\0\0", WaveFormat(18), 22050, 2});
    CTestFile path("six.avi");
    ASSERT_TRUE(FacadeWriteBytes(path.Path(), HandmadeAvi(streams)));
    QRVAviFile file;
    ASSERT_TRUE(file.Open(path.Wide()));
    EXPECT_EQ(5u, file.GetAudioStreamCount());
    EXPECT_EQ(0u, file.GetVideoStreamCount());
    EXPECT_NE(nullptr, file.GetAudioFormat(4));
    EXPECT_EQ(nullptr, file.GetAudioFormat(5));
    // Stream 4 reads its own chunk.
    std::vector<uint8_t> buffer(200);
    long nCursor = 0;
    long nBytes = 200;
    ASSERT_TRUE(file.ReadAudioSamples(4, nCursor, buffer.data(), nBytes));
    EXPECT_EQ(200, nBytes);
    EXPECT_EQ(100, nCursor);
    EXPECT_EQ(std::vector<uint8_t>(200, 4), buffer);
}

namespace {

class FacadeSoundTrack : public ::testing::TestWithParam<bool> {};

}  // namespace

TEST_P(FacadeSoundTrack, SamplesReadBackAsWrittenAndTimesConvert)
{
    const bool bLarge = GetParam();
    CTestFile path("sound.avi");
    FacadeMovieRecipe recipe;
    recipe.bOpenDml = bLarge;
    if (bLarge)
        recipe.nFillerPerFrame = 30u << 20;
    FacadeMovie movie;
    ASSERT_TRUE(FacadeWriteMovie(path.Path(), recipe, movie));
    QRVAviFile file;
    ASSERT_TRUE(file.Open(path.Wide()));
    EXPECT_TRUE(file.IsServedByOwnReader());
    ASSERT_EQ(1u, file.GetAudioStreamCount());
    const long nSamples = static_cast<long>(movie.sound.size() / 2);
    EXPECT_EQ(1000, file.AudioSampleToTime(0, 22050));
    EXPECT_EQ(22050, file.AudioTimeToSample(0, 1000));
    EXPECT_EQ(file.AudioSampleToTime(0, nSamples), file.GetAudioEndTime(0));
    // Bad indexes.
    EXPECT_EQ(0, file.AudioTimeToSample(1, 1000));
    EXPECT_EQ(-1, file.AudioSampleToTime(1, 100));
    EXPECT_EQ(0, file.GetAudioEndTime(1));
    EXPECT_EQ(nullptr, file.GetAudioFormat(1));
    EXPECT_EQ(0, file.GetAudioReadSize(1));

    long nCursor = 0;
    EXPECT_EQ(movie.sound, FacadeReadSound(file, 0, movie.sound.size() + 1, &nCursor));
    EXPECT_EQ(nSamples, nCursor);
    // From the middle of the track.
    std::vector<uint8_t> buffer(1000);
    nCursor = file.AudioTimeToSample(0, 1000);
    long nBytes = 100;
    ASSERT_TRUE(file.ReadAudioSamples(0, nCursor, buffer.data(), nBytes));
    EXPECT_EQ(100, nBytes);
    EXPECT_EQ(22050 + 50, nCursor);
    EXPECT_EQ(0, std::memcmp(buffer.data(), movie.sound.data() + 2 * 22050, 100));
    // Past the end nothing is read.
    nCursor = nSamples;
    nBytes = 100;
    EXPECT_FALSE(file.ReadAudioSamples(0, nCursor, buffer.data(), nBytes) && nBytes > 0);
    // The convenient read size is a count of whole samples (Wine's library
    // reports 0 for sound; our own index reports what it can serve).
    EXPECT_EQ(0, file.GetAudioReadSize(0) % 2);
}

INSTANTIATE_TEST_SUITE_P(Forms, FacadeSoundTrack, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "OpenDmlLarge" : "Classic");
                         });
