// Writer of classic (RIFF 'AVI ') movie files: one video stream, "qrvc" by
// default, and an optional PCM sound stream, with an "idx1" index. The header
// block has a fixed size once the streams are known; it is written at Open
// and rewritten with the final counts at Close. Chunks go out in the order
// they are given, so the caller interleaves them by time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "QRVAviRecords.h"
#include "QRVLittleEndian.h"

class QRVOutput;

struct QRVVideoStreamFormat {
    int32_t nWidth = 0;
    int32_t nHeight = 0;
    int nBitCount = 24;
    uint32_t nRate = 15;  // frames per second = nRate / nScale
    uint32_t nScale = 1;
    uint32_t nCompression = QRVLittleEndian::FourCC("qrvc");
    // Colour table of 8-bit pictures, RGBQUAD values (blue in the low byte);
    // written as 256 entries, missing ones zero.
    std::vector<uint32_t> palette;
};

struct QRVAudioStreamFormat {
    uint16_t nChannels = 1;  // 1 or 2
    uint32_t nSamplesPerSec = 22050;
    uint16_t nBitsPerSample = 16;  // 8 or 16

    uint16_t BlockAlign() const { return static_cast<uint16_t>(nChannels * (nBitsPerSample / 8)); }
};

class QRVAviWriter {
public:
    // Whole-file limit of the classic form.
    static constexpr uint64_t AVIW_CLASSIC_LIMIT = 0x40000000;  // 1 GiB

    QRVAviWriter() = default;
    QRVAviWriter(const QRVAviWriter&) = delete;
    QRVAviWriter& operator=(const QRVAviWriter&) = delete;

    // Starts a movie on output (not owned; must outlive the writer's use and
    // start empty). pAudio null: no sound stream.
    bool Open(QRVOutput& output, const QRVVideoStreamFormat& video, const QRVAudioStreamFormat* pAudio);

    // One video frame ('00dc'); size 0 is an empty "no change" frame.
    bool WriteVideo(const uint8_t* pData, uint32_t nSize, bool bKey);
    bool WriteVideo(const std::vector<uint8_t>& data, bool bKey);

    // Sound bytes ('01wb'), whole sample blocks only; always key frames.
    bool WriteAudio(const uint8_t* pData, uint32_t nSize);
    bool WriteAudio(const std::vector<uint8_t>& data);

    // Palette change ('00pc') of an 8-bit stream: entries from nFirst on,
    // RGBQUAD values as in the format's colour table (1..256 entries).
    bool WritePaletteChange(uint32_t nFirst, const std::vector<uint32_t>& entries);

    // Writes "idx1" and the final headers. The output is left open: the
    // caller finishes it. False when anything failed since Open.
    bool Close();

    // Lowers the file-size limit (tests); never above the classic limit.
    void SetSizeLimit(uint64_t nLimit);

    const std::string& LastError() const { return m_strError; }
    uint32_t VideoFrames() const { return m_nVideoFrames; }
    uint32_t AudioBlocks() const { return m_nAudioBlocks; }
    bool HasAudio() const { return m_bAudio; }

private:
    bool Fail(const char* pszMessage);
    std::vector<uint8_t> BuildHeader(bool bFinal) const;
    bool WriteChunk(const char* pszId, const uint8_t* pData, uint32_t nSize, uint32_t nFlags);

    QRVOutput* m_pOutput = nullptr;  // not owned
    QRVVideoStreamFormat m_video;
    QRVAudioStreamFormat m_audio;
    bool m_bAudio = false;
    bool m_bOpen = false;
    bool m_bFailed = false;
    uint64_t m_nLimit = AVIW_CLASSIC_LIMIT;
    uint64_t m_nEnd = 0;       // end of the data written so far
    uint64_t m_nMoviList = 0;  // position of the "LIST" header of "movi"
    uint32_t m_nHeaderBytes = 0;
    std::vector<QRVAviIndexEntry> m_index;
    uint32_t m_nVideoFrames = 0;
    uint32_t m_nAudioBlocks = 0;
    uint32_t m_nMaxVideoChunk = 0;
    uint32_t m_nMaxAudioChunk = 0;
    bool m_bPaletteChanges = false;
    std::string m_strError;
};
