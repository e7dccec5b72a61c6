#include "TrackMovies.h"

#include <cstdio>

#include "CounterAudio.h"
#include "QRVAviWriter.h"
#include "QRVCanvas.h"
#include "QRVOpenDmlWriter.h"
#include "QRVOutput.h"
#include "QRVPicture.h"
#include "QRVScreenEncoder.h"

namespace {

constexpr uint32_t TM_PICTURES_PER_SECOND = 10;
constexpr int32_t TM_PICTURE_SIDE = 16;
constexpr uint32_t TM_LARGE_PICTURES = 40;
constexpr uint32_t TM_LARGE_FILLER = 30u << 20;  // 40 x 30 MiB: past 1 GiB
constexpr uint16_t TM_COUNTER_BLOCK = 4;         // 16-bit stereo

void Put(std::vector<uint8_t>& v, uint32_t n, int nBytes)
{
    for (int i = 0; i < nBytes; ++i)
        v.push_back(static_cast<uint8_t>(n >> (8 * i)));
}

void PutId(std::vector<uint8_t>& v, const char* psz)
{
    v.insert(v.end(), psz, psz + 4);
}

// Opens a list or RIFF chunk; its size is patched by EndList.
size_t BeginList(std::vector<uint8_t>& v, const char* pszList, const char* pszType)
{
    PutId(v, pszList);
    const size_t nSizeAt = v.size();
    Put(v, 0, 4);
    PutId(v, pszType);
    return nSizeAt;
}

void EndList(std::vector<uint8_t>& v, size_t nSizeAt)
{
    const uint32_t nSize = static_cast<uint32_t>(v.size() - nSizeAt - 4);
    for (int i = 0; i < 4; ++i)
        v[nSizeAt + i] = static_cast<uint8_t>(nSize >> (8 * i));
}

void PutChunk(std::vector<uint8_t>& v, const char* pszId, const std::vector<uint8_t>& data)
{
    PutId(v, pszId);
    Put(v, static_cast<uint32_t>(data.size()), 4);
    v.insert(v.end(), data.begin(), data.end());
    if (data.size() & 1u)
        v.push_back(0);
}

// A classic AVI file with one PCM sound stream and no picture stream, which
// the writer does not make: sound chunks of nChunkFrames frames, "idx1".
std::vector<uint8_t> SoundOnlyAvi(uint32_t nSourceHz, uint32_t nFrames, uint32_t nChunkFrames)
{
    std::vector<uint8_t> v;
    const size_t nRiff = BeginList(v, "RIFF", "AVI ");
    const size_t nHdrl = BeginList(v, "LIST", "hdrl");
    std::vector<uint8_t> avih;
    Put(avih, 0, 4);                             // no picture: no frame time
    Put(avih, nSourceHz * TM_COUNTER_BLOCK, 4);  // bytes per second
    Put(avih, 0, 4);
    Put(avih, 0x10, 4);  // has an index
    Put(avih, 0, 4);     // total frames
    Put(avih, 0, 4);
    Put(avih, 1, 4);                                // streams
    Put(avih, nChunkFrames * TM_COUNTER_BLOCK, 4);  // suggested buffer
    avih.resize(56, 0);
    PutChunk(v, "avih", avih);
    const size_t nStrl = BeginList(v, "LIST", "strl");
    std::vector<uint8_t> strh;
    PutId(strh, "auds");
    Put(strh, 0, 4);                                // handler
    Put(strh, 0, 4);                                // flags
    Put(strh, 0, 4);                                // priority, language
    Put(strh, 0, 4);                                // initial frames
    Put(strh, 1, 4);                                // scale
    Put(strh, nSourceHz, 4);                        // rate
    Put(strh, 0, 4);                                // start
    Put(strh, nFrames, 4);                          // length in samples
    Put(strh, nChunkFrames * TM_COUNTER_BLOCK, 4);  // suggested buffer
    Put(strh, 0xFFFFFFFFu, 4);                      // quality
    Put(strh, TM_COUNTER_BLOCK, 4);                 // sample size
    strh.resize(56, 0);
    PutChunk(v, "strh", strh);
    std::vector<uint8_t> strf;  // PCMWAVEFORMAT, 16 bytes
    Put(strf, WAVE_FORMAT_PCM, 2);
    Put(strf, 2, 2);
    Put(strf, nSourceHz, 4);
    Put(strf, nSourceHz * TM_COUNTER_BLOCK, 4);
    Put(strf, TM_COUNTER_BLOCK, 2);
    Put(strf, 16, 2);
    PutChunk(v, "strf", strf);
    EndList(v, nStrl);
    EndList(v, nHdrl);
    const size_t nMovi = BeginList(v, "LIST", "movi");
    const size_t nMoviId = nMovi + 4;  // idx1 offsets count from "movi"
    std::vector<uint8_t> idx1;
    for (uint32_t nFirst = 0; nFirst < nFrames; nFirst += nChunkFrames) {
        const uint32_t nCount = nFrames - nFirst < nChunkFrames ? nFrames - nFirst : nChunkFrames;
        PutId(idx1, "00wb");
        Put(idx1, 0x10, 4);
        Put(idx1, static_cast<uint32_t>(v.size() - nMoviId), 4);
        Put(idx1, nCount * TM_COUNTER_BLOCK, 4);
        PutChunk(v, "00wb", TrackCounterSound(nFirst, nCount));
    }
    EndList(v, nMovi);
    PutChunk(v, "idx1", idx1);
    EndList(v, nRiff);
    return v;
}

QRVVideoStreamFormat SmallRgbVideo()
{
    QRVVideoStreamFormat video;
    video.nWidth = TM_PICTURE_SIDE;
    video.nHeight = TM_PICTURE_SIDE;
    video.nBitCount = 24;
    video.nRate = TM_PICTURES_PER_SECOND;
    video.nCompression = 0;  // uncompressed: the sound tests never look at it
    return video;
}

std::vector<uint8_t> GreyPicture()
{
    return std::vector<uint8_t>(TM_PICTURE_SIDE * TM_PICTURE_SIDE * 3, 0x80);
}

}  // namespace

std::vector<uint8_t> TrackCounterSound(uint32_t nFirst, uint32_t nCount)
{
    std::vector<uint8_t> v;
    v.reserve(static_cast<size_t>(nCount) * TM_COUNTER_BLOCK);
    for (uint32_t n = nFirst; n < nFirst + nCount; ++n) {
        Put(v, n & 0xFFFF, 2);
        Put(v, COUNTER_MARK + ((n >> 16) & 0x1FFF), 2);
    }
    return v;
}

std::string WriteTrackCounterMovie(const std::string& strPath, const TrackCounterMovie& movie)
{
    const uint32_t nChunk = movie.nSourceHz / TM_PICTURES_PER_SECOND;
    if (nChunk == 0)
        return "sample rate too low";
    QRVFileOutput out;
    if (!out.Open(strPath))
        return "cannot create " + strPath;
    if (movie.bSoundOnly) {
        const std::vector<uint8_t> bytes = SoundOnlyAvi(movie.nSourceHz, movie.nFrames, nChunk);
        if (!out.Write(bytes.data(), bytes.size()) || !out.Finish())
            return "cannot write " + strPath;
        return std::string();
    }
    QRVAudioStreamFormat audio;
    audio.nChannels = 2;
    audio.nSamplesPerSec = movie.nSourceHz;
    audio.nBitsPerSample = 16;
    QRVAviWriter writer;
    if (!writer.Open(out, SmallRgbVideo(), &audio))
        return writer.LastError();
    const std::vector<uint8_t> picture = GreyPicture();
    // Sound first, then the picture of the same tenth of a second.
    for (uint32_t nFirst = 0; nFirst < movie.nFrames; nFirst += nChunk) {
        const uint32_t nCount = movie.nFrames - nFirst < nChunk ? movie.nFrames - nFirst : nChunk;
        if (!writer.WriteAudio(TrackCounterSound(nFirst, nCount)) || !writer.WriteVideo(picture, true))
            return writer.LastError();
    }
    if (!writer.Close())
        return writer.LastError();
    if (!out.Finish())
        return "cannot finish " + strPath;
    return std::string();
}

std::string WriteLargeTrackMovie(const std::string& strPath, uint32_t nSoundBytes)
{
    QRVFileOutput out;
    if (!out.Open(strPath))
        return "cannot create " + strPath;
    QRVAudioStreamFormat audio;
    audio.nChannels = 1;
    audio.nSamplesPerSec = 22050;
    audio.nBitsPerSample = 16;
    // Our own index serves only movies whose picture is "qrvc".
    QRVVideoStreamFormat video = SmallRgbVideo();
    video.nCompression = QRVLittleEndian::FourCC("qrvc");
    QRVCanvas canvas(video.nWidth, video.nHeight);
    QRVPicture blank;
    QRVScreenEncoder encoder;
    std::vector<uint8_t> picture;
    if (!canvas.ToPicture(blank, video.nBitCount) ||
        !encoder.Begin(video.nWidth, video.nHeight, video.nBitCount) ||
        !encoder.EncodeFrame(blank, true, picture))
        return "cannot encode a picture";
    QRVOpenDmlWriter writer;
    if (!writer.Open(out, video, &audio))
        return writer.LastError();
    if (nSoundBytes != 0) {
        std::vector<uint8_t> sound(nSoundBytes);
        for (uint32_t i = 0; i < nSoundBytes; ++i)
            sound[i] = static_cast<uint8_t>(i * 7);
        if (!writer.WriteAudio(sound))
            return writer.LastError();
    }
    for (uint32_t i = 0; i < TM_LARGE_PICTURES; ++i) {
        if (!writer.WriteVideo(picture, true) || !writer.WriteFillerSparse(TM_LARGE_FILLER))
            return writer.LastError();
    }
    if (!writer.Close())
        return writer.LastError();
    if (!out.Finish())
        return "cannot finish " + strPath;
    return std::string();
}
