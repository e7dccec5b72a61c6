// The player's single door to a movie file. A movie whose picture streams
// are all "qrvc" and whose sound is PCM is served by our own reader alone
// (QRVAviFile20::OpenMovie), whole or damaged, without the platform's AVI
// library; any other movie is opened with that library. Lists up to five
// sound and five picture streams, keeps their
// formats, hands out the picture that belongs to a movie time ("qrvc" streams
// decoded by our own decoder, everything else by the platform's frame
// decompressor), keeps the colour table of 8-bit pictures in step with the
// stream's format changes, converts between times and samples and reads
// sound. Frame reads of "qrvc" streams, sound reads and key-frame searches go
// through the embedded OpenDML reader, which serves files it indexed from its
// own tables: the platform library is never asked for what those tables hold.
//
// No lock of its own: one caller at a time. Pictures handed out stay valid
// until the next request on the same facade.
#pragma once

#include <string>

#include <windows.h>
#include <vfw.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "QRVAviFile20.h"
#include "QRVSnapshotCache.h"
#include "QRVStreamTime.h"
#include "avilibrary.h"
#include "ScreenCodecDecoder.h"

constexpr uint32_t AVF_MAX_STREAMS = 5;
// One palette slot: a bitmap info header and 256 colours, with room to spare.
constexpr uint32_t AVF_PALETTE_SLOT = 1076;
constexpr uint32_t AVF_HEADER_BYTES = 40;
constexpr uint32_t AVF_MAX_COLORS = 256;
// Sound formats are handed out at least this long (a WAVEFORMATEX).
constexpr uint32_t AVF_MIN_WAVE_FORMAT = 18;
// Largest stream format accepted from a file.
constexpr long AVF_MAX_FORMAT_BYTES = 1 << 20;
// File capability flag: every frame is a key frame.
constexpr DWORD AVF_CAPS_ALL_KEY_FRAMES = 0x10;

class QRVAviFile {
public:
    QRVAviFile();
    virtual ~QRVAviFile();
    QRVAviFile(const QRVAviFile&) = delete;
    QRVAviFile& operator=(const QRVAviFile&) = delete;

    // Opens the movie and lists its streams. On failure the user has seen the
    // message that applies, and nothing is held.
    bool Open(const wchar_t* pszPath);
    // The name under which the platform's AVI library is given the file.
    static std::wstring PlatformPath(const wchar_t* pszPath);
    // Releases streams, frame readers, decoders, buffers and the file.
    void Close();

    // Prepares frame delivery for a picture stream and sets its end time;
    // tells the user when no decompressor exists.
    bool GetFrameOpen(uint32_t nIndex);
    // Releases the platform's frame reader of the stream; false when the
    // platform reports a failure.
    bool GetFrameClose(uint32_t nIndex);

    // The picture of stream nIndex at time nTime (ms). ppHeader and ppBits
    // receive the picture or both null (unchanged, past the end, or it
    // could not be made). nFrame is the caller's current frame, moved to
    // the frame settled on. With bKeyFramesOnly a jump shows the nearest key
    // frame at or before the target without decoding past it. True when the
    // picture's colour table was replaced (8-bit pictures).
    bool GetFrame(uint32_t nIndex, long nTime, BITMAPINFOHEADER** ppHeader, uint8_t** ppBits, long& nFrame,
                  bool bKeyFramesOnly);
    // The same for a frame given by its number.
    bool GetFrameAtSample(uint32_t nIndex, long nSample, BITMAPINFOHEADER** ppHeader, uint8_t** ppBits,
                          long& nFrame, bool bKeyFramesOnly);

    long AudioTimeToSample(uint32_t nIndex, long nTime) const;    // 0 for a bad index
    long AudioSampleToTime(uint32_t nIndex, long nSample) const;  // -1 for a bad index
    long VideoTimeToSample(uint32_t nIndex, long nTime) const;    // -1 for a bad index
    long VideoSampleToTime(uint32_t nIndex, long nSample) const;  // -1 for a bad index

    // Bytes that a read of a convenient number of samples from sample 0
    // reports; 0 when that read fails.
    long GetAudioReadSize(uint32_t nIndex);
    // Reads sound from sample nCursor into pBuffer (nBytes in: its size,
    // out: bytes read); the cursor moves past the samples read.
    bool ReadAudioSamples(uint32_t nIndex, long& nCursor, void* pBuffer, long& nBytes);

    bool IsOpen() const { return m_pFile != nullptr || m_bOwnReader; }
    // Whether our own reader serves the whole movie (no platform file).
    bool IsServedByOwnReader() const { return m_bOwnReader; }
    uint32_t GetVideoStreamCount() const { return m_nVideoStreams; }
    uint32_t GetAudioStreamCount() const { return m_nAudioStreams; }

    BITMAPINFOHEADER* GetVideoFormat(uint32_t nIndex) const;
    uint32_t GetVideoFormatSize(uint32_t nIndex) const;
    const AVISTREAMINFOW* GetVideoInfo(uint32_t nIndex) const;
    long GetVideoEndTime(uint32_t nIndex) const;
    bool HasBuiltInDecoder(uint32_t nIndex) const;
    const RGBQUAD* GetPaletteColors(uint32_t nIndex) const;
    WAVEFORMATEX* GetAudioFormat(uint32_t nIndex) const;
    const AVISTREAMINFOW* GetAudioInfo(uint32_t nIndex) const;
    long GetAudioEndTime(uint32_t nIndex) const;

    // Frames the built-in decoder has decoded since construction, and
    // pictures copied to and from its snapshots; show what a request cost.
    uint32_t GetDecodedFrameCount() const { return m_nDecodedFrames; }
    uint64_t GetPictureCopyCount() const { return m_pictures.CopyCount(); }
    // Bytes of decoded pictures and snapshots held.
    uint64_t GetPictureBytesHeld() const { return m_pictures.BytesHeld(); }
    // Whether the embedded OpenDML reader serves this file from its index.
    bool IsDirectIndexed() const { return m_direct.IsIndexed(); }

private:
    using CBuffer = std::unique_ptr<uint8_t[]>;
    class CBuiltInFrames;

    void Reset();
    bool OpenWithPlatform(const wchar_t* pszPath);
    bool OpenWithOwnReader(const wchar_t* pszPath);
    bool OpenAudioStream(uint32_t nIndex);
    bool OpenVideoStream(uint32_t nIndex);
    bool AdoptAudioStream(uint32_t nIndex, const uint8_t* pFormat, uint32_t cb, const AVISTREAMINFOW& info);
    bool AdoptVideoStream(uint32_t nIndex, const uint8_t* pFormat, uint32_t cb, const AVISTREAMINFOW& info);
    bool OwnStreamInfo(int32_t nStream, AVISTREAMINFOW& info) const;
    long VideoStart(uint32_t nIndex) const;
    long VideoLength(uint32_t nIndex) const;
    bool ReadFormatChange(uint32_t nIndex, long nFrame, long& nPosition, std::vector<uint8_t>& format);
    void ShowOpenFailure(const wchar_t* pszPath, HRESULT hr) const;
    void ShowNoStreams(const wchar_t* pszPath) const;
    void ShowNoDecompressor(uint32_t nIndex) const;

    long KeyFrameAtOrBefore(uint32_t nIndex, long nFrame);
    bool DecodeBuiltIn(uint32_t nIndex, long nFrame, BITMAPINFOHEADER** ppHeader, uint8_t** ppBits);
    bool PlatformKnowsFrame(uint32_t nIndex, long nFrame) const;
    QRVPaintResult DecodeOne(uint32_t nIndex, long nFrame, uint8_t* pPicture, uint32_t& cbFrame);
    bool PlatformFrame(uint32_t nIndex, long nFrame, BITMAPINFOHEADER** ppHeader, uint8_t** ppBits);
    // A stream's rate, scale, start and length for our own exact time and
    // sample conversions; the stream must be open.
    QRVStreamTime AudioTime(uint32_t nIndex) const { return StreamTimeOf(*m_pAudioInfo[nIndex]); }
    QRVStreamTime VideoTime(uint32_t nIndex) const { return StreamTimeOf(*m_pVideoInfo[nIndex]); }
    static QRVStreamTime StreamTimeOf(const AVISTREAMINFOW& info);
    bool RefreshPalette(uint32_t nIndex, BITMAPINFOHEADER* pHeader, uint32_t nRoom, long nFrame);
    uint8_t* PaletteSlot(uint32_t nIndex) { return m_palettes + AVF_PALETTE_SLOT * nIndex; }

    CAviLibrary m_library;  // first in, last out: everything below uses it
    QRVAviFile20 m_direct;  // our own reader: the whole movie, or direct reads past 1 GiB
    bool m_bOwnReader = false;  // m_direct serves the movie alone; no platform file
    DWORD m_nOpenMode = OF_SHARE_DENY_WRITE;
    PAVIFILE m_pFile = nullptr;
    AVIFILEINFOW m_fileInfo = {};

    uint32_t m_nAudioStreams = 0;
    PAVISTREAM m_audioHandles[AVF_MAX_STREAMS] = {};
    CBuffer m_pAudioFormat[AVF_MAX_STREAMS];
    long m_audioEndTime[AVF_MAX_STREAMS] = {};
    std::unique_ptr<AVISTREAMINFOW> m_pAudioInfo[AVF_MAX_STREAMS];

    uint32_t m_nVideoStreams = 0;
    PAVISTREAM m_videoHandles[AVF_MAX_STREAMS] = {};
    CBuffer m_pVideoFormat[AVF_MAX_STREAMS];         // at least a header and 256 colours long
    uint32_t m_cbVideoFormat[AVF_MAX_STREAMS] = {};  // as stored in the file
    PGETFRAME m_getFrame[AVF_MAX_STREAMS] = {};
    long m_videoEndTime[AVF_MAX_STREAMS] = {};
    CBuffer m_pOutputFormat[AVF_MAX_STREAMS];
    uint32_t m_cbOutputFormat[AVF_MAX_STREAMS] = {};
    QRVScreenDecoderPtr m_pDecoder[AVF_MAX_STREAMS];
    std::unique_ptr<AVISTREAMINFOW> m_pVideoInfo[AVF_MAX_STREAMS];

    uint32_t m_bAllKeyFrames = 0;
    CBuffer m_pCompressed;
    uint32_t m_cbCompressed = 0;
    // The decoded picture of a "qrvc" stream and its snapshots, and the
    // stream they belong to (-1: none).
    QRVSnapshotCache m_pictures;
    long m_nDecodedStream = -1;
    long m_nPaletteSample[AVF_MAX_STREAMS] = {};
    uint8_t m_palettes[AVF_PALETTE_SLOT * AVF_MAX_STREAMS] = {};
    uint32_t m_nDecodedFrames = 0;
};
