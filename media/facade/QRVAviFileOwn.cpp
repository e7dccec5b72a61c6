// Movies served by our own reader alone: "qrvc" pictures and PCM sound,
// whole or damaged. The stream information and formats come from the
// reader's headers and "strf" chunks, lengths from what its index found;
// no platform file or stream exists for such a movie.
#include "QRVAviFile.h"

#include <algorithm>

using namespace QRVOpenDml;

namespace {

constexpr uint32_t AVF_AVIH_MICROSEC_PER_FRAME = 8;
constexpr uint32_t AVF_STRH_FLAGS = 16;
constexpr uint32_t AVF_STRH_PRIORITY = 20;
constexpr uint32_t AVF_STRH_LANGUAGE = 22;
constexpr uint32_t AVF_STRH_INITIAL_FRAMES = 24;
constexpr uint32_t AVF_STRH_QUALITY = 48;
constexpr uint32_t AVF_STRH_FRAME = 56;
constexpr uint32_t AVF_WAVE_SAMPLES_PER_SEC = 4;

}  // namespace

bool QRVAviFile::OpenWithOwnReader(const wchar_t* pszPath)
{
    m_bOwnReader = true;
    const std::vector<int32_t>& audio = m_direct.AudioStreams();
    const std::vector<int32_t>& video = m_direct.VideoStreams();
    uint64_t nSamples = 0;
    for (uint32_t pass = 0; pass < 2; ++pass) {
        const std::vector<int32_t>& streams = pass == 0 ? audio : video;
        for (uint32_t i = 0; i < streams.size() && i < AVF_MAX_STREAMS; ++i) {
            const QRVAviFile20::StreamRecord* pRecord =
                streams[i] >= 0 ? m_direct.Stream(static_cast<uint32_t>(streams[i])) : nullptr;
            AVISTREAMINFOW info = {};
            if (pRecord == nullptr || !OwnStreamInfo(streams[i], info)) {
                // A stream without a usable rate cannot be timed.
                ShowOpenFailure(pszPath, AVIERR_BADFORMAT);
                Close();
                return false;
            }
            const std::vector<uint8_t>& format = pRecord->m_format;
            const bool bAdopted =
                pass == 0
                    ? AdoptAudioStream(i, format.data(), static_cast<uint32_t>(format.size()), info)
                    : AdoptVideoStream(i, format.data(), static_cast<uint32_t>(format.size()), info);
            if (!bAdopted) {
                Close();
                return false;
            }
            (pass == 0 ? m_nAudioStreams : m_nVideoStreams) = i + 1;
            nSamples += info.dwLength;
        }
    }
    // Headers and nothing else: no complete frame and no sound to play.
    if (nSamples == 0) {
        ShowOpenFailure(pszPath, AVIERR_BADFORMAT);
        Close();
        return false;
    }
    return true;
}

bool QRVAviFile::OwnStreamInfo(int32_t nStream, AVISTREAMINFOW& info) const
{
    const QRVAviFile20::StreamRecord* pRecord =
        nStream >= 0 ? m_direct.Stream(static_cast<uint32_t>(nStream)) : nullptr;
    if (pRecord == nullptr)
        return false;
    const uint8_t* h = pRecord->m_header;
    info = {};
    info.fccType = Get32(h + ODML_STRH_TYPE);
    info.fccHandler = Get32(h + ODML_STRH_HANDLER);
    info.dwFlags = Get32(h + AVF_STRH_FLAGS);
    info.wPriority = Get16(h + AVF_STRH_PRIORITY);
    info.wLanguage = Get16(h + AVF_STRH_LANGUAGE);
    info.dwScale = Get32(h + ODML_STRH_SCALE);
    info.dwRate = Get32(h + ODML_STRH_RATE);
    // Streams are taken to begin at their first chunk: the reader's index
    // counts from there.
    info.dwStart = 0;
    info.dwLength = pRecord->m_nLength;
    info.dwInitialFrames = Get32(h + AVF_STRH_INITIAL_FRAMES);
    info.dwSuggestedBufferSize = Get32(h + ODML_STRH_BUFFER_SIZE);
    info.dwQuality = Get32(h + AVF_STRH_QUALITY);
    info.dwSampleSize = pRecord->m_nSampleSize;
    info.rcFrame.left = static_cast<int16_t>(Get16(h + AVF_STRH_FRAME));
    info.rcFrame.top = static_cast<int16_t>(Get16(h + AVF_STRH_FRAME + 2));
    info.rcFrame.right = static_cast<int16_t>(Get16(h + AVF_STRH_FRAME + 4));
    info.rcFrame.bottom = static_cast<int16_t>(Get16(h + AVF_STRH_FRAME + 6));
    info.dwFormatChangeCount = static_cast<DWORD>(pRecord->m_paletteChanges.size());
    if (info.dwScale != 0 && info.dwRate != 0)
        return true;
    // A damaged rate: sound takes its format's sample rate, pictures the
    // main header's frame time.
    const std::vector<uint8_t>& format = pRecord->m_format;
    if (info.fccType == ODML_ID_AUDS && format.size() >= ODML_WAVE_BYTES) {
        info.dwScale = 1;
        info.dwRate = Get32(format.data() + AVF_WAVE_SAMPLES_PER_SEC);
    } else if (info.fccType == ODML_ID_VIDS) {
        info.dwScale = Get32(m_direct.MainHeader() + AVF_AVIH_MICROSEC_PER_FRAME);
        info.dwRate = 1000000;
    }
    return info.dwScale != 0 && info.dwRate != 0;
}

long QRVAviFile::VideoStart(uint32_t nIndex) const
{
    if (m_bOwnReader)
        return static_cast<long>(m_pVideoInfo[nIndex]->dwStart);
    return AVIStreamStart(m_videoHandles[nIndex]);
}

long QRVAviFile::VideoLength(uint32_t nIndex) const
{
    if (m_bOwnReader)
        return static_cast<long>(std::min<DWORD>(m_pVideoInfo[nIndex]->dwLength, 0x7FFFFFFF));
    return AVIStreamLength(m_videoHandles[nIndex]);
}
