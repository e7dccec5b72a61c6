#include "QRVAviRecords.h"

using namespace QRVLittleEndian;

void AppendRecord(std::vector<uint8_t>& out, const QRVAviMainHeader& h)
{
    Put32(out, h.dwMicroSecPerFrame);
    Put32(out, h.dwMaxBytesPerSec);
    Put32(out, h.dwPaddingGranularity);
    Put32(out, h.dwFlags);
    Put32(out, h.dwTotalFrames);
    Put32(out, h.dwInitialFrames);
    Put32(out, h.dwStreams);
    Put32(out, h.dwSuggestedBufferSize);
    Put32(out, h.dwWidth);
    Put32(out, h.dwHeight);
    for (int i = 0; i < 4; ++i)
        Put32(out, 0);
}

void AppendRecord(std::vector<uint8_t>& out, const QRVAviStreamHeader& h)
{
    Put32(out, h.fccType);
    Put32(out, h.fccHandler);
    Put32(out, h.dwFlags);
    Put16(out, h.wPriority);
    Put16(out, h.wLanguage);
    Put32(out, h.dwInitialFrames);
    Put32(out, h.dwScale);
    Put32(out, h.dwRate);
    Put32(out, h.dwStart);
    Put32(out, h.dwLength);
    Put32(out, h.dwSuggestedBufferSize);
    Put32(out, h.dwQuality);
    Put32(out, h.dwSampleSize);
    for (int16_t n : h.rcFrame)
        Put16(out, static_cast<uint16_t>(n));
}

void AppendRecord(std::vector<uint8_t>& out, const QRVBitmapInfoHeader& h)
{
    Put32(out, h.biSize);
    Put32(out, static_cast<uint32_t>(h.biWidth));
    Put32(out, static_cast<uint32_t>(h.biHeight));
    Put16(out, h.biPlanes);
    Put16(out, h.biBitCount);
    Put32(out, h.biCompression);
    Put32(out, h.biSizeImage);
    Put32(out, static_cast<uint32_t>(h.biXPelsPerMeter));
    Put32(out, static_cast<uint32_t>(h.biYPelsPerMeter));
    Put32(out, h.biClrUsed);
    Put32(out, h.biClrImportant);
}

void AppendRecord(std::vector<uint8_t>& out, const QRVWaveFormat& f)
{
    Put16(out, f.wFormatTag);
    Put16(out, f.nChannels);
    Put32(out, f.nSamplesPerSec);
    Put32(out, f.nAvgBytesPerSec);
    Put16(out, f.nBlockAlign);
    Put16(out, f.wBitsPerSample);
    Put16(out, f.cbSize);
}

void AppendRecord(std::vector<uint8_t>& out, const QRVAviIndexEntry& e)
{
    Put32(out, e.ckid);
    Put32(out, e.dwFlags);
    Put32(out, e.dwChunkOffset);
    Put32(out, e.dwChunkLength);
}
