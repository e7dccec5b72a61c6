#include "numbered_movies.h"

#include <vector>

#include "QRVAviWriter.h"
#include "QRVOutput.h"
#include "QRVPicture.h"
#include "QRVScreenEncoder.h"
#include "QRVTone.h"

namespace {
constexpr uint32_t NM_SOUND_HZ = 22050;
constexpr uint8_t NM_MARK = 0x80;
}  // namespace

COLORREF NumberedFrameColor(uint32_t nFrame)
{
    return RGB(NM_MARK, (nFrame >> 8) & 0xFF, nFrame & 0xFF);
}

int FrameOfColor(COLORREF cr)
{
    if (GetRValue(cr) != NM_MARK)
        return -1;
    return GetGValue(cr) * 256 + GetBValue(cr);
}

POINT CoordinatesOfColor(COLORREF cr)
{
    const int nHigh = GetBValue(cr);
    return POINT{GetRValue(cr) | (nHigh & 0x0F) << 8, GetGValue(cr) | (nHigh >> 4) << 8};
}

std::string WriteNumberedMovie(const std::wstring& strPath, const CNumberedMovie& movie)
{
    QRVFileOutput out;
    if (!out.Open(strPath))
        return "cannot create the movie";
    QRVVideoStreamFormat video;
    video.nWidth = movie.nWidth;
    video.nHeight = movie.nHeight;
    video.nBitCount = 32;
    video.nRate = movie.nFps;
    QRVAudioStreamFormat audio;
    audio.nChannels = 1;
    audio.nSamplesPerSec = NM_SOUND_HZ;
    QRVToneFormat tone;
    tone.nSamplesPerSec = NM_SOUND_HZ;
    QRVAviWriter writer;
    if (!writer.Open(out, video, movie.bSound ? &audio : nullptr))
        return writer.LastError();
    QRVScreenEncoder encoder;
    if (!encoder.Begin(movie.nWidth, movie.nHeight, 32))
        return encoder.LastError();
    const uint32_t nSoundPerFrame = NM_SOUND_HZ / movie.nFps;
    QRVPicture picture;
    if (!picture.Create(movie.nWidth, movie.nHeight, 32))
        return "bad picture size";
    std::vector<uint8_t> frame;
    for (uint32_t n = 0; n < movie.nFrames; ++n) {
        const COLORREF cr = NumberedFrameColor(movie.nFirstNumber + n);
        // Stored as blue, green, red, unused.
        const uint32_t nPixel = (GetRValue(cr) << 16) | (GetGValue(cr) << 8) | GetBValue(cr);
        for (int32_t y = 0; y < movie.nHeight; ++y) {
            for (int32_t x = 0; x < movie.nWidth; ++x) {
                // Rows are stored bottom first; y counts from the top.
                const uint32_t nPlace = (static_cast<uint32_t>(x & 0xFF) << 16) |
                                        (static_cast<uint32_t>(y & 0xFF) << 8) |
                                        static_cast<uint32_t>((x >> 8 & 0x0F) | (y >> 8 & 0x0F) << 4);
                picture.SetPixel(x, movie.nHeight - 1 - y, movie.bCoordinates ? nPlace : nPixel);
            }
        }
        const bool bKey = n % movie.nKeyEvery == 0;
        if (movie.bSound && !writer.WriteAudio(QRVSineTone(
                                tone, 440.0, 0.2, static_cast<uint64_t>(n) * nSoundPerFrame, nSoundPerFrame)))
            return writer.LastError();
        if (!encoder.EncodeFrame(picture, bKey, frame) || !writer.WriteVideo(frame, bKey))
            return "cannot write frame " + std::to_string(n);
    }
    if (!writer.Close())
        return writer.LastError();
    if (!out.Finish())
        return "cannot finish the movie";
    return std::string();
}
