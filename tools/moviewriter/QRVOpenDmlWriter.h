// Writer of OpenDML (AVI 2.0) movies: a first RIFF 'AVI ' chunk followed by
// RIFF 'AVIX' chunks, each with its own "movi" list; every stream has a super
// index ("indx") in its header list that points at the standard indexes
// ("ix00", "ix01") written at the end of each "movi"; key-frame bits live in
// the standard index entries; by default a legacy "idx1" covers the first
// RIFF chunk, as common writers make it.
//
// Chunk data may be left out ("sparse" writes): only a head of the data is
// stored and the rest stays a gap in the output, so files of several GiB
// cost little disk. Options produce the faulty files that tests need.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "QRVAviWriter.h"

struct QRVOpenDmlOptions {
    bool bLegacyIndex = true;          // "idx1" for the first RIFF chunk
    uint64_t nRiffLimit = 0x40000000;  // a RIFF chunk is closed before it grows past this
    uint32_t nStdIndexEntries = 0;     // most entries per standard index; 0 = one per RIFF chunk
    uint32_t nSuperIndexSlots = 256;   // super-index entries reserved per stream
    // Faults for tests.
    bool bSuperIndex = true;      // false: no "indx" chunks at all
    uint16_t nLongsPerEntry = 4;  // of the super indexes
    uint8_t nIndexSubType = 0;
    uint8_t nIndexType = 0;     // 0: index of indexes
    int64_t nStreamCount = -1;  // stored in "avih"; -1: the real count
    uint32_t nOddJunk = 0;      // odd-sized "JUNK" chunk of this many bytes in "hdrl" (0: none)
};

class QRVOpenDmlWriter {
public:
    static constexpr uint64_t ODMW_RIFF_MAX = 0xFFFFFF00ull;

    QRVOpenDmlWriter() = default;
    QRVOpenDmlWriter(const QRVOpenDmlWriter&) = delete;
    QRVOpenDmlWriter& operator=(const QRVOpenDmlWriter&) = delete;

    // Starts a movie on output (not owned, must start empty); pAudio null:
    // no sound stream.
    bool Open(QRVOutput& output, const QRVVideoStreamFormat& video, const QRVAudioStreamFormat* pAudio,
              const QRVOpenDmlOptions& options = QRVOpenDmlOptions());

    bool WriteVideo(const uint8_t* pData, uint32_t nSize, bool bKey);
    bool WriteVideo(const std::vector<uint8_t>& data, bool bKey);
    // A frame of nSize bytes of which only the first nHead (from pHead) are
    // stored; the rest is left as a gap that reads as zeros.
    bool WriteVideoSparse(const uint8_t* pHead, uint32_t nHead, uint32_t nSize, bool bKey);

    // Sound bytes, whole sample blocks only.
    bool WriteAudio(const uint8_t* pData, uint32_t nSize);
    bool WriteAudio(const std::vector<uint8_t>& data);
    bool WriteAudioSparse(const uint8_t* pHead, uint32_t nHead, uint32_t nSize);

    // Filler of nSize bytes inside "movi" ("JUNK", in no index), left as a
    // gap: makes a movie large without touching its frames.
    bool WriteFillerSparse(uint32_t nSize);

    // Writes the last indexes and the final headers; the output is left
    // open for the caller to finish. False when anything failed.
    bool Close();

    const std::string& LastError() const { return m_strError; }
    uint32_t VideoFrames() const { return m_nVideoFrames; }
    uint32_t AudioBlocks() const { return m_nAudioBlocks; }
    uint32_t RiffChunks() const { return m_nRiffs; }
    uint32_t LegacyIndexEntries() const { return static_cast<uint32_t>(m_legacy.size()); }
    uint64_t FileSize() const { return m_nEnd; }

private:
    struct ChunkRef {
        uint64_t nOffset;  // of the data
        uint32_t nSize;    // with the not-a-key-frame bit
    };
    struct SuperEntry {
        uint64_t nOffset;
        uint32_t nSize;
        uint32_t nDuration;
    };
    struct StreamState {
        std::vector<ChunkRef> pending;  // chunks of the current RIFF chunk
        std::vector<SuperEntry> super;
    };

    bool Fail(const char* pszMessage);
    bool WriteChunk(int nStream, const uint8_t* pHead, uint32_t nHead, uint32_t nSize, bool bKey);
    uint64_t ClosingBytes(uint64_t nExtraLegacy) const;
    bool CloseRiff();
    bool StartRiff();
    std::vector<uint8_t> BuildHeader() const;
    bool WriteAt(uint64_t nPos, const std::vector<uint8_t>& bytes);

    QRVOutput* m_pOutput = nullptr;  // not owned
    QRVVideoStreamFormat m_video;
    QRVAudioStreamFormat m_audio;
    QRVOpenDmlOptions m_options;
    bool m_bAudio = false;
    bool m_bOpen = false;
    bool m_bFailed = false;
    uint64_t m_nEnd = 0;        // end of the data written so far
    uint64_t m_nStored = 0;     // end of the bytes really stored (gaps may follow)
    uint64_t m_nRiffStart = 0;  // of the current RIFF chunk
    uint64_t m_nMoviStart = 0;  // of the current "movi" LIST header
    uint32_t m_nRiffs = 0;
    uint32_t m_nFirstRiffSize = 0;
    uint32_t m_nFirstMoviSize = 4;
    uint32_t m_nFirstRiffFrames = 0;
    size_t m_nHeaderBytes = 0;
    StreamState m_streams[2];
    std::vector<QRVAviIndexEntry> m_legacy;
    uint32_t m_nVideoFrames = 0;
    uint32_t m_nAudioBlocks = 0;
    uint32_t m_nMaxVideoChunk = 0;
    uint32_t m_nMaxAudioChunk = 0;
    std::string m_strError;
};
