// The player's own reader of OpenDML (AVI 2.0) movies over 1 GiB. Open walks
// the RIFF tree once (never entering "movi"), collects the main and stream
// headers and turns each stream's super index and the standard indexes it
// points at into one flat table of chunk positions. Reads of samples and
// key-frame searches are then served from those tables.
//
// Validation errors travel as exceptions inside Open and never leave it.
// Everything but the platform-first reads is portable.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "CFile.h"
#include "QRVOpenDmlLayout.h"

#ifdef _WIN32
struct IAVIStream;
#endif

constexpr int32_t ODML_OK = 0;
constexpr int32_t ODML_FAIL = static_cast<int32_t>(0x80004005);
// Files of this size or less are not indexed.
constexpr uint64_t ODML_LARGE_FILE_LIMIT = 0x40000000;
constexpr uint32_t ODML_MAX_STREAMS = 1000;
constexpr uint32_t ODML_MAX_SUPER_ENTRIES = 100000;
constexpr uint32_t ODML_MAX_STD_ENTRIES = 200000;
// Lists nested deeper than this are not descended into.
constexpr int ODML_MAX_DEPTH = 16;

class QRVAviFile20 {
public:
    // One chunk of a stream: absolute offset of its data, its size with
    // ODML_NOT_KEY_FRAME set for a non-key frame.
    struct IndexEntry {
        uint64_t nOffset;
        uint32_t nSize;
    };

    struct StreamRecord {
        uint8_t m_header[QRVOpenDml::ODML_HEADER_BYTES] = {};  // "strh" as stored
        std::unique_ptr<IndexEntry[]> m_pEntries;
        uint32_t m_nEntries = 0;

        uint32_t HeaderField(uint32_t nOffset) const { return QRVOpenDml::Get32(m_header + nOffset); }
    };

    // What one walk has seen.
    struct FoundFlags {
        uint32_t bMainHeader = 0;
        uint32_t bStreamHeader = 0;
        uint32_t bIndex = 0;
    };

    QRVAviFile20() = default;
    virtual ~QRVAviFile20();
    QRVAviFile20(const QRVAviFile20&) = delete;
    QRVAviFile20& operator=(const QRVAviFile20&) = delete;

    virtual uint32_t GetOpenFlags() const;
    virtual bool IsLargeFileOnly() const;
    virtual int32_t OnChunk(uint32_t nId, uint64_t nOffset, int32_t nStream, FoundFlags& found);
    virtual int32_t ReadAt(void* pBuffer, uint64_t nCount, uint64_t nOffset);
    virtual bool IsStrict() const;
    virtual bool ContinueWalk() const;
    virtual bool SkipLists() const;

    // Loads the indexes: ODML_OK when the file is indexed, else ODML_FAIL.
    int32_t Open(const CFileChar* pszPath);
    // Frees the tables, closes the file, clears the indexed state.
    void Reset();

    // Reads samples of a stream (by stream number) from the flat index; with
    // no buffer only counts them. A negative count asks for a convenient one.
    int32_t ReadDirect(uint32_t nStream, int32_t nFirst, int32_t nCount, void* pBuffer, int32_t nBufferSize,
                       int32_t* pnBytes, int32_t* pnSamples);
    // Key frame at or before nFrame of a video stream (by list index); -1 when
    // the stream is not known.
    int32_t FindKeyFrameDirect(uint32_t nVideoIndex, int32_t nFrame) const;

#ifdef _WIN32
    // Reads of the facade's streams, as AVIStreamRead takes them. When this
    // reader indexed the file its tables serve the request; the platform
    // library is asked only for files it did not index.
    int32_t ReadVideo(IAVIStream* pStream, uint32_t nVideoIndex, long nFirst, long nCount, void* pBuffer,
                      long nBufferSize, long* pnBytes, long* pnSamples);
    int32_t ReadAudio(IAVIStream* pStream, uint32_t nAudioIndex, long nFirst, long nCount, void* pBuffer,
                      long nBufferSize, long* pnBytes, long* pnSamples);
    // Key frame at or before nFrame; -1 when none can be found.
    long FindKeyFrame(IAVIStream* pStream, uint32_t nVideoIndex, long nFrame);
#endif

    bool IsIndexed() const
    {
        return m_bIndexed != 0;
    }
    uint32_t StreamCount() const
    {
        return m_pStreams ? m_nStreams : 0;
    }
    const StreamRecord* Stream(uint32_t nStream) const;
    const std::vector<int32_t>& VideoStreams() const
    {
        return m_videoStreams;
    }
    const std::vector<int32_t>& AudioStreams() const
    {
        return m_audioStreams;
    }
    // Text of the validation error that ended the last Open; empty when none.
    const std::string& LastValidationError() const
    {
        return m_strValidation;
    }

protected:
    // Visits the chunks between nFrom and nTo; 1 when done, a negative
    // result of OnChunk otherwise.
    int32_t Walk(uint64_t nFrom, uint64_t nTo, int nDepth, int32_t nStream, FoundFlags& found);

private:
    int32_t OnMainHeader(uint64_t nOffset, FoundFlags& found);
    int32_t OnStreamHeader(uint64_t nOffset, int32_t nStream, FoundFlags& found);
    int32_t OnSuperIndex(uint64_t nOffset, int32_t nStream, FoundFlags& found);
    int32_t ReadFixedSize(const StreamRecord& record, uint32_t nSampleSize, uint64_t nFirst, uint64_t nCount,
                          uint8_t* pBuffer, uint64_t nBufferSize, uint64_t& nBytes, uint64_t& nSamples);
    int32_t ReadChunks(const StreamRecord& record, uint64_t nFirst, uint64_t nCount, uint8_t* pBuffer,
                       uint64_t nBufferSize, uint64_t& nBytes, uint64_t& nSamples);
    StreamRecord* RecordFor(int32_t nStream);

    CFile m_file;
    uint8_t m_mainHeader[QRVOpenDml::ODML_HEADER_BYTES] = {};
    std::unique_ptr<StreamRecord[]> m_pStreams;
    uint32_t m_nStreams = 0;  // records in m_pStreams
    std::vector<int32_t> m_videoStreams;
    std::vector<int32_t> m_audioStreams;
    uint32_t m_bIndexed = 0;
    uint64_t m_nLength = 0;        // of the open file
    uint64_t m_nTableEntries = 0;  // entries of all tables, bounded by the file
    std::string m_strValidation;
};
