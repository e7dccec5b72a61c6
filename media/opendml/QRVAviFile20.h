// The player's own reader of OpenDML (AVI 2.0) movies over 1 GiB. Open walks
// the RIFF tree once (never entering "movi"), collects the main and stream
// headers and turns each stream's super index and the standard indexes it
// points at into one flat table of chunk positions. Reads of samples and
// key-frame searches are then served from those tables.
//
// OpenMovie is the lenient form for any movie, classic or OpenDML, of any
// size, whole or damaged: it also keeps the stream formats and, when no
// usable index covers the file, rebuilds one from the "movi" data itself
// (see QRVAviFile20Movie.cpp).
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
// Stream records of a lenient open whose main header has no usable count.
constexpr uint32_t ODML_MOVIE_STREAMS = 16;
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

    // A palette change ("##pc") of a video stream: it applies from frame
    // nFrame on; its data lies at nOffset.
    struct PaletteChange {
        uint32_t nFrame;
        uint32_t nSize;
        uint64_t nOffset;
    };

    struct StreamRecord {
        uint8_t m_header[QRVOpenDml::ODML_HEADER_BYTES] = {};  // "strh" as stored
        std::unique_ptr<IndexEntry[]> m_pEntries;
        uint32_t m_nEntries = 0;
        // Samples of the stream and bytes per sample (0: one per chunk): the
        // header's values, or what the chunks hold after OpenMovie.
        uint32_t m_nLength = 0;
        uint32_t m_nSampleSize = 0;
        bool m_bHeader = false;            // a "strh" was read
        std::vector<uint8_t> m_format;     // "strf" as stored (OpenMovie only)
        std::vector<PaletteChange> m_paletteChanges;

        uint32_t HeaderField(uint32_t nOffset) const { return QRVOpenDml::Get32(m_header + nOffset); }
    };

    // What one walk has seen.
    struct FoundFlags {
        uint32_t bMainHeader = 0;
        uint32_t bStreamHeader = 0;
        uint32_t bIndex = 0;
    };

    QRVAviFile20();
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
    // Opens any AVI movie leniently and indexes it from its OpenDML indexes,
    // its "idx1" or, failing both, a walk of its "movi" data. ODML_OK when
    // stream headers were found (the movie may still hold no samples).
    int32_t OpenMovie(const CFileChar* pszPath);
    bool IsMovieMode() const { return m_bMovieMode; }
    // After OpenMovie: at least one picture or sound stream, every picture
    // stream "qrvc" and every sound stream PCM, each with a usable format,
    // so that the movie can be played from this reader alone. (Streams whose
    // format is missing or cut short are left out of the lists.)
    bool IsScreenMovie() const;
    // After OpenMovie: a picture stream of another codec or a sound stream
    // of another format, which only the platform can play.
    bool HasOtherCodec() const;
    // Whether the first block of the file names the "qrvc" codec: a screen
    // recording, however damaged its structure.
    static bool NamesScreenCodec(const CFileChar* pszPath);
    // Where the stream's index came from (OpenMovie), for tests and tools.
    enum IndexSource { ODML_SOURCE_NONE, ODML_SOURCE_SUPER_INDEX, ODML_SOURCE_IDX1, ODML_SOURCE_WALK };
    IndexSource GetIndexSource() const { return m_nSource; }

    // Palette changes of a video stream (by list index): the frame at which
    // the format in force at nFrame was set (0: the stored format).
    int32_t FindFormatChange(uint32_t nVideoIndex, int32_t nFrame) const;
    // The video stream's format in force at frame nFrame: the stored format
    // with every palette change up to that frame applied (changes that
    // cannot be read are passed over). False, with the format empty, when
    // the stream has no stored format.
    bool ReadFormatAt(uint32_t nVideoIndex, int32_t nFrame, std::vector<uint8_t>& format);
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
    // The main header as stored (64 bytes with the chunk head; zeros when
    // none was read).
    const uint8_t* MainHeader() const { return m_mainHeader; }
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
    struct MovieScan;
    // Opens the file after a Reset and takes its length; false on failure.
    bool OpenFile(const CFileChar* pszPath);
    int32_t OnMovieList(uint64_t nOffset, uint64_t nNext, uint64_t nParentEnd, bool bPlaceholder, uint64_t& nResume);
    int32_t OnStreamFormat(uint64_t nOffset, int32_t nStream);
    int32_t OnMovieSuperIndex(uint64_t nOffset, int32_t nStream, FoundFlags& found);
    void OnLegacyIndex(uint64_t nOffset);
    // Validation of the strict open; a lenient open never raises.
    bool Strict() const { return !m_bMovieMode && IsStrict(); }
    void IndexMovie();
    bool IndexFromSuperIndexes() const;
    bool IndexFromIdx1();
    void IndexFromWalk();
    uint64_t WalkMovi(uint64_t nFrom, uint64_t nTo, bool bOpenEnded);
    void OnStandardIndexInMovi(uint64_t nOffset, uint32_t nSize);
    void AddChunk(uint32_t nId, uint64_t nData, uint32_t nSize, bool bKey);
    void FinishMovieTables();
    void DropUnusableStreams();
    // Walked tables shared with other readers of the same file.
    void CopyTablesFrom(const QRVAviFile20& from);
    bool TakeSharedTables(const CFileChar* pszPath, uint64_t nModified);
    void ShareTables(const CFileChar* pszPath, uint64_t nModified);
    void StopSharingTables();
    bool ReadHead(uint64_t nOffset, uint8_t* pHead, uint32_t nBytes);
    bool PlausibleEnd(uint64_t nEnd, uint64_t nParentEnd);
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
    bool m_bMovieMode = false;
    IndexSource m_nSource = ODML_SOURCE_NONE;
    std::unique_ptr<MovieScan> m_pScan;  // OpenMovie's findings while it runs
    // While walked tables are offered to other readers: the file they
    // describe.
    bool m_bShared = false;
    std::basic_string<CFileChar> m_strPath;
    uint64_t m_nModified = 0;
};
