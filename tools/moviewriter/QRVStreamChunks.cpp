#include "QRVStreamChunks.h"

#include "QRVRiffBuild.h"
#include "QRVScreenFormat.h"

using namespace QRVLittleEndian;
using namespace QRVRiffBuild;

namespace {

constexpr uint32_t SCH_PALETTE_ENTRIES = 256;

}  // namespace

namespace QRVStreamChunks {

const char* CheckFormats(const QRVVideoStreamFormat& video, const QRVAudioStreamFormat* pAudio)
{
    if (QRVScreenFormat::PictureBytes(video.nWidth, video.nHeight, video.nBitCount) == 0 ||
        video.nWidth > INT16_MAX || video.nHeight > INT16_MAX)
        return "unsupported picture size or bit count";
    if (video.nRate == 0 || video.nScale == 0)
        return "frame rate must not be zero";
    if (video.palette.size() > SCH_PALETTE_ENTRIES)
        return "colour table longer than 256 entries";
    if (pAudio != nullptr) {
        if ((pAudio->nChannels != 1 && pAudio->nChannels != 2) ||
            (pAudio->nBitsPerSample != 8 && pAudio->nBitsPerSample != 16))
            return "sound must be 8 or 16 bit, 1 or 2 channels";
        if (pAudio->nSamplesPerSec == 0 ||
            static_cast<uint64_t>(pAudio->nSamplesPerSec) * pAudio->BlockAlign() > UINT32_MAX)
            return "unsupported sound rate";
    }
    return nullptr;
}

void AppendVideo(std::vector<uint8_t>& out, const QRVVideoStreamFormat& video, uint32_t nFrames,
                 uint32_t nMaxChunk, uint32_t nFlags)
{
    QRVAviStreamHeader vids;
    vids.fccType = FourCC("vids");
    vids.fccHandler = video.nCompression;
    vids.dwFlags = nFlags;
    vids.dwScale = video.nScale;
    vids.dwRate = video.nRate;
    vids.dwLength = nFrames;
    vids.dwSuggestedBufferSize = nMaxChunk;
    vids.dwQuality = UINT32_MAX;
    vids.rcFrame[2] = static_cast<int16_t>(video.nWidth);
    vids.rcFrame[3] = static_cast<int16_t>(video.nHeight);
    size_t nChunk = BeginChunk(out, "strh");
    AppendRecord(out, vids);
    EndChunk(out, nChunk);

    QRVBitmapInfoHeader bih;
    bih.biWidth = video.nWidth;
    bih.biHeight = video.nHeight;
    bih.biBitCount = static_cast<uint16_t>(video.nBitCount);
    bih.biCompression = video.nCompression;
    bih.biSizeImage = QRVScreenFormat::PictureBytes(video.nWidth, video.nHeight, video.nBitCount);
    bih.biClrUsed = video.nBitCount == 8 ? SCH_PALETTE_ENTRIES : 0u;
    nChunk = BeginChunk(out, "strf");
    AppendRecord(out, bih);
    if (video.nBitCount == 8) {
        for (uint32_t i = 0; i < SCH_PALETTE_ENTRIES; ++i)
            Put32(out, i < video.palette.size() ? video.palette[i] & 0x00FFFFFFu : 0u);
    }
    EndChunk(out, nChunk);
}

void AppendAudio(std::vector<uint8_t>& out, const QRVAudioStreamFormat& audio, uint32_t nBlocks,
                 uint32_t nMaxChunk)
{
    const uint16_t nBlock = audio.BlockAlign();
    QRVAviStreamHeader auds;
    auds.fccType = FourCC("auds");
    auds.dwScale = nBlock;
    auds.dwRate = audio.nSamplesPerSec * nBlock;
    auds.dwLength = nBlocks;
    auds.dwSuggestedBufferSize = nMaxChunk;
    auds.dwQuality = UINT32_MAX;
    auds.dwSampleSize = nBlock;
    size_t nChunk = BeginChunk(out, "strh");
    AppendRecord(out, auds);
    EndChunk(out, nChunk);

    QRVWaveFormat wave;
    wave.nChannels = audio.nChannels;
    wave.nSamplesPerSec = audio.nSamplesPerSec;
    wave.nAvgBytesPerSec = audio.nSamplesPerSec * nBlock;
    wave.nBlockAlign = nBlock;
    wave.wBitsPerSample = audio.nBitsPerSample;
    nChunk = BeginChunk(out, "strf");
    AppendRecord(out, wave);
    EndChunk(out, nChunk);
}

}  // namespace QRVStreamChunks
