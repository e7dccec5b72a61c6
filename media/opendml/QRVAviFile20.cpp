#include "QRVAviFile20.h"
#include "QRVAviFile20Scan.h"

#include <algorithm>
#include <iterator>
#include <new>

using namespace QRVOpenDml;

namespace {

[[noreturn]] void Raise(const char* pszText)
{
    throw QRVOpenDmlError{pszText};
}

}  // namespace

QRVAviFile20::QRVAviFile20() = default;

QRVAviFile20::~QRVAviFile20()
{
    Reset();
}

uint32_t QRVAviFile20::GetOpenFlags() const
{
    return CFile::modeRead | CFile::shareDenyWrite;
}

bool QRVAviFile20::IsLargeFileOnly() const
{
    return true;
}

bool QRVAviFile20::IsStrict() const
{
    return true;
}

bool QRVAviFile20::ContinueWalk() const
{
    return true;
}

bool QRVAviFile20::SkipLists() const
{
    return false;
}

void QRVAviFile20::Reset()
{
    StopSharingTables();
    m_pStreams.reset();
    m_nStreams = 0;
    std::fill(std::begin(m_mainHeader), std::end(m_mainHeader), uint8_t{0});
    m_videoStreams.clear();
    m_audioStreams.clear();
    m_file.Close();
    m_bIndexed = 0;
    m_nLength = 0;
    m_nTableEntries = 0;
    m_bMovieMode = false;
    m_nSource = ODML_SOURCE_NONE;
    m_pScan.reset();
}

const QRVAviFile20::StreamRecord* QRVAviFile20::Stream(uint32_t nStream) const
{
    return m_pStreams && nStream < m_nStreams ? &m_pStreams[nStream] : nullptr;
}

QRVAviFile20::StreamRecord* QRVAviFile20::RecordFor(int32_t nStream)
{
    if (!m_pStreams || nStream < 0 || static_cast<uint32_t>(nStream) >= m_nStreams)
        return nullptr;
    return &m_pStreams[nStream];
}

bool QRVAviFile20::OpenFile(const CFileChar* pszPath)
{
    Reset();
    m_strValidation.clear();
    if (!m_file.Open(pszPath, GetOpenFlags()))
        return false;
    m_nLength = m_file.SeekToEnd();
    if (m_nLength == CFILE_BAD_POS) {
        Reset();
        return false;
    }
    return true;
}

int32_t QRVAviFile20::Open(const CFileChar* pszPath)
{
    if (!OpenFile(pszPath))
        return ODML_FAIL;
    const uint64_t nLength = m_nLength;
    if (IsLargeFileOnly() && nLength <= ODML_LARGE_FILE_LIMIT) {
        m_bIndexed = 0;
        Reset();
        return ODML_FAIL;
    }
    try {
        FoundFlags found;
        const int32_t nResult = Walk(0, nLength, 0, -1, found);
        if (nResult < 0)
            return nResult;
        if (Strict() && (!found.bMainHeader || !found.bStreamHeader || !found.bIndex))
            return ODML_FAIL;
    } catch (const QRVOpenDmlError& error) {
        m_strValidation = error.pszText;
        Reset();
        return ODML_FAIL;
    } catch (const std::bad_alloc&) {
        m_strValidation = "new[] failed";
        Reset();
        return ODML_FAIL;
    }
    m_bIndexed = 1;
    return ODML_OK;
}

int32_t QRVAviFile20::Walk(uint64_t nFrom, uint64_t nTo, int nDepth, int32_t nStream, FoundFlags& found)
{
    if (nDepth == 0)
        nStream = -1;
    while (nFrom < nTo) {
        if (!ContinueWalk())
            break;
        uint8_t head[12];
        if (ReadAt(head, 8, nFrom) != ODML_OK)
            break;
        const uint32_t nId = Get32(head);
        // Ids are four printable characters; anything else (a run of zeros
        // in a gap, say) is no chunk, and walking it 8 bytes at a time could
        // take minutes.
        if (!IsChunkId(nId))
            break;
        // Headers hold a few dozen chunks: a lenient open does not spend
        // minutes on a file made of millions of tiny ones.
        if (m_pScan && ++m_pScan->nHeaderChunks > ODML_MAX_HEADER_CHUNKS)
            break;
        const uint32_t nSize = Get32(head + 4);
        uint64_t nNext = nFrom + 8 + nSize;
        const bool bList = nId == ODML_ID_RIFF || nId == ODML_ID_LIST;
        uint32_t nType = 0;
        bool bPlaceholder = false;
        if (bList) {
            if (ReadAt(head + 8, 4, nFrom + 8) != ODML_OK)
                break;
            nType = Get32(head + 8);
            if (nType == ODML_ID_STRL) {
                if (nStream < INT32_MAX)
                    ++nStream;
                if (Strict() && static_cast<uint32_t>(nStream) >= Get32(m_mainHeader + ODML_AVIH_STREAMS))
                    Raise("More streams actually present than indicated in AVIMAINHEADER");
            }
            // A lenient open takes a list whose size cannot be right (a
            // placeholder left by a recorder that never finished) as
            // running to the end of its parent.
            bPlaceholder = m_bMovieMode && (nSize < 4 || !PlausibleEnd(nNext, nTo));
            if (bPlaceholder)
                nNext = nTo;
        }
        if (!bList && nDepth == 0)
            break;
        const int32_t nResult = OnChunk(nId, nFrom, nStream, found);
        if (nResult < 0)
            return nResult;
        if (!ContinueWalk())
            break;
        if (m_bMovieMode && bList && nType == ODML_ID_MOVI) {
            uint64_t nResume = nNext;
            const int32_t nMovi = OnMovieList(nFrom, nNext, nTo, bPlaceholder, nResume);
            if (nMovi < 0)
                return nMovi;
            nFrom = nResume + (nResume & 1u);
            continue;
        }
        // Lists are kept inside their parent and the nesting is bounded, so a
        // crafted file can neither reach outside nor exhaust the stack.
        // A failure inside a list ends the whole parse: a stream whose index
        // could not be read must not pass for an indexed one.
        if (!SkipLists() && bList && nType != ODML_ID_MOVI && nDepth < ODML_MAX_DEPTH) {
            const int32_t nInner = Walk(nFrom + 12, std::min(nNext, nTo), nDepth + 1, nStream, found);
            if (nInner < 0)
                return nInner;
        }
        nFrom = nNext + (nNext & 1u);
    }
    return 1;
}

int32_t QRVAviFile20::OnChunk(uint32_t nId, uint64_t nOffset, int32_t nStream, FoundFlags& found)
{
    switch (nId) {
    case ODML_ID_AVIH:
        return OnMainHeader(nOffset, found);
    case ODML_ID_STRH:
        return OnStreamHeader(nOffset, nStream, found);
    case ODML_ID_INDX:
        if (m_bMovieMode)
            return OnMovieSuperIndex(nOffset, nStream, found);
        return OnSuperIndex(nOffset, nStream, found);
    case ODML_ID_STRF:
        return m_bMovieMode ? OnStreamFormat(nOffset, nStream) : ODML_OK;
    case ODML_ID_IDX1:
        if (m_bMovieMode)
            OnLegacyIndex(nOffset);
        return ODML_OK;
    default:
        return ODML_OK;
    }
}

int32_t QRVAviFile20::OnMainHeader(uint64_t nOffset, FoundFlags& found)
{
    found.bMainHeader = 1;
    const int32_t nResult = ReadAt(m_mainHeader, ODML_HEADER_BYTES, nOffset);
    if (nResult != ODML_OK)
        return nResult;
    uint32_t nCount = Get32(m_mainHeader + ODML_AVIH_STREAMS);
    if (m_bMovieMode && (nCount == 0 || nCount > ODML_MAX_STREAMS))
        nCount = ODML_MOVIE_STREAMS;  // a damaged count: room for what a movie holds
    if (nCount == 0 || nCount > ODML_MAX_STREAMS) {
        if (Strict())
            Raise("Invalid number of streams");
        // Never more records than a strict reader would accept.
        return ODML_FAIL;
    }
    m_pStreams.reset(new StreamRecord[nCount]);
    m_nStreams = nCount;
    m_nTableEntries = 0;
    return ODML_OK;
}

int32_t QRVAviFile20::OnStreamHeader(uint64_t nOffset, int32_t nStream, FoundFlags& found)
{
    // A stream header before the main header, outside a stream list or
    // without a record ends the parse: the file is not what it claims.
    if (m_bMovieMode && !m_pStreams) {
        // No main header before the stream lists: room for what a movie holds.
        m_pStreams.reset(new StreamRecord[ODML_MOVIE_STREAMS]);
        m_nStreams = ODML_MOVIE_STREAMS;
    }
    StreamRecord* pRecord = RecordFor(nStream);
    if (pRecord == nullptr)
        return m_bMovieMode ? ODML_OK : ODML_FAIL;  // leniently, streams past the count are left out
    found.bStreamHeader = 1;
    const int32_t nResult = ReadAt(pRecord->m_header, ODML_HEADER_BYTES, nOffset);
    if (nResult != ODML_OK)
        return nResult;
    pRecord->m_bHeader = true;
    pRecord->m_nLength = pRecord->HeaderField(ODML_STRH_LENGTH);
    pRecord->m_nSampleSize = pRecord->HeaderField(ODML_STRH_SAMPLE_SIZE);
    const uint32_t nType = pRecord->HeaderField(ODML_STRH_TYPE);
    if (nType == ODML_ID_VIDS)
        m_videoStreams.push_back(nStream);
    else if (nType == ODML_ID_AUDS)
        m_audioStreams.push_back(nStream);
    if (Strict() && nType == ODML_ID_VIDS && pRecord->HeaderField(ODML_STRH_HANDLER) != ODML_ID_QRVC)
        Raise("video codec is NOT QRVC");
    return ODML_OK;
}

int32_t QRVAviFile20::OnSuperIndex(uint64_t nOffset, int32_t nStream, FoundFlags& found)
{
    // Same rule as for stream headers: no record, no index.
    StreamRecord* pRecord = RecordFor(nStream);
    if (pRecord == nullptr)
        return ODML_FAIL;
    found.bIndex = 1;
    m_nTableEntries -= pRecord->m_nEntries;
    pRecord->m_pEntries.reset();
    pRecord->m_nEntries = 0;

    uint8_t head[ODML_INDEX_HEAD_BYTES];
    int32_t nResult = ReadAt(head, sizeof head, nOffset);
    if (nResult != ODML_OK)
        return nResult;
    if (Get16(head + ODML_INDX_LONGS_PER_ENTRY) != 4)
        Raise("AVISUPERINDEX::wLongsPerEntry != 4");
    if (head[ODML_INDX_SUBTYPE] != 0)
        Raise("only AVISUPERINDEX::SubType 0 supported");
    if (head[ODML_INDX_TYPE] != ODML_INDEX_OF_INDEXES)
        Raise("only AVISUPERINDEX::bIndexType == AVI_INDEX_OF_INDEXES supported");
    const uint32_t nSuper = Get32(head + ODML_INDX_ENTRIES_IN_USE);
    if (nSuper > ODML_MAX_SUPER_ENTRIES)
        Raise("too many superindex entries");

    // The entries must be in the file before anything is allocated for them.
    const uint64_t nSuperBytes = ODML_INDEX_HEAD_BYTES + uint64_t{ODML_SUPER_ENTRY_BYTES} * nSuper;
    if (nOffset > m_nLength || nSuperBytes > m_nLength - nOffset)
        return ODML_FAIL;
    std::unique_ptr<uint8_t[]> pSuper(new (std::nothrow) uint8_t[nSuperBytes]);
    if (!pSuper)
        Raise("new[] failed");
    nResult = ReadAt(pSuper.get(), nSuperBytes, nOffset);
    if (nResult != ODML_OK)
        return nResult;

    // First pass: count the entries so that the table is allocated once.
    // Each standard index must fit in the file and within the limit, and
    // all tables together may not hold more entries than the file has
    // room for (8 bytes each), whatever the counts claim.
    uint64_t nTotal = 0;
    uint32_t nLargest = 0;
    for (uint32_t s = 0; s < nSuper; ++s) {
        const uint64_t nStd = Get64(pSuper.get() + ODML_INDEX_HEAD_BYTES + s * ODML_SUPER_ENTRY_BYTES);
        nResult = ReadAt(head, sizeof head, nStd);
        if (nResult != ODML_OK)
            return nResult;
        const uint32_t nCount = Get32(head + ODML_INDX_ENTRIES_IN_USE);
        if (nCount > ODML_MAX_STD_ENTRIES)
            Raise("too many subindex entries");
        if (uint64_t{ODML_STD_ENTRY_BYTES} * nCount > m_nLength - nStd - ODML_INDEX_HEAD_BYTES)
            return ODML_FAIL;
        nTotal += nCount;
        nLargest = std::max(nLargest, nCount);
    }
    if (nTotal > UINT32_MAX || m_nTableEntries + nTotal > m_nLength / ODML_STD_ENTRY_BYTES)
        return ODML_FAIL;
    if (nTotal > SIZE_MAX / sizeof(IndexEntry))
        Raise("new[] failed");
    std::unique_ptr<IndexEntry[]> pEntries(new (std::nothrow) IndexEntry[static_cast<size_t>(nTotal)]);
    std::unique_ptr<uint8_t[]> pStd(new (std::nothrow) uint8_t[size_t{ODML_STD_ENTRY_BYTES} * nLargest + 1]);
    if (!pEntries || !pStd)
        Raise("new[] failed");

    // Second pass: fill the table in index order.
    uint64_t i = 0;
    for (uint32_t s = 0; s < nSuper; ++s) {
        const uint64_t nStd = Get64(pSuper.get() + ODML_INDEX_HEAD_BYTES + s * ODML_SUPER_ENTRY_BYTES);
        nResult = ReadAt(head, sizeof head, nStd);
        if (nResult != ODML_OK)
            return nResult;
        const uint32_t nCount = Get32(head + ODML_INDX_ENTRIES_IN_USE);
        if (nCount > ODML_MAX_STD_ENTRIES)
            Raise("too many subindex entries");
        // The file may have changed since the first pass.
        if (nCount > nLargest || nCount > nTotal - i)
            return ODML_FAIL;
        const uint64_t nBase = Get64(head + ODML_STD_BASE_OFFSET);
        nResult = ReadAt(pStd.get(), uint64_t{ODML_STD_ENTRY_BYTES} * nCount, nStd + ODML_INDEX_HEAD_BYTES);
        if (nResult != ODML_OK)
            return nResult;
        if (m_pScan)
            m_pScan->stdIndexes.push_back(nStd);
        for (uint32_t k = 0; k < nCount; ++k, ++i) {
            const uint8_t* p = pStd.get() + size_t{ODML_STD_ENTRY_BYTES} * k;
            pEntries[i].nOffset = nBase + Get32(p);
            pEntries[i].nSize = Get32(p + 4);
        }
    }
    pRecord->m_pEntries = std::move(pEntries);
    pRecord->m_nEntries = static_cast<uint32_t>(i);
    m_nTableEntries += i;
    return ODML_OK;
}

int32_t QRVAviFile20::ReadAt(void* pBuffer, uint64_t nCount, uint64_t nOffset)
{
    if (nCount > UINT32_MAX || nOffset > static_cast<uint64_t>(INT64_MAX))
        return ODML_FAIL;
    // A seek and a read: under Wine a read at an offset given with the
    // call costs five times as much, and the walk of a long movie makes
    // tens of thousands of reads.
    if (m_file.Seek(static_cast<int64_t>(nOffset), CFile::begin) != nOffset)
        return ODML_FAIL;
    if (m_file.Read(pBuffer, static_cast<uint32_t>(nCount)) != nCount)
        return ODML_FAIL;
    return ODML_OK;
}

int32_t QRVAviFile20::ReadDirect(uint32_t nStream, int32_t nFirst, int32_t nCount, void* pBuffer,
                                 int32_t nBufferSize, int32_t* pnBytes, int32_t* pnSamples)
{
    if (pnBytes)
        *pnBytes = 0;
    if (pnSamples)
        *pnSamples = 0;
    const StreamRecord* pRecord = Stream(nStream);
    if (!m_bIndexed || pRecord == nullptr || nFirst < 0)
        return ODML_FAIL;
    uint64_t nWant = static_cast<uint64_t>(nCount);
    uint64_t nRoom = nBufferSize > 0 ? static_cast<uint64_t>(nBufferSize) : 0;
    if (nCount < 0) {
        nWant = INT32_MAX;
        // The convenient amount: one suggested buffer, never more than the
        // caller's buffer holds.
        const uint32_t nSuggested = pRecord->HeaderField(ODML_STRH_BUFFER_SIZE);
        if (nSuggested != 0)
            nRoom = std::min<uint64_t>(nRoom, nSuggested);
    }
    uint64_t nBytes = 0;
    uint64_t nSamples = 0;
    const uint32_t nSampleSize = pRecord->m_nSampleSize;
    int32_t nResult;
    if (nSampleSize != 0) {
        nResult = ReadFixedSize(*pRecord, nSampleSize, static_cast<uint64_t>(nFirst), nWant,
                                static_cast<uint8_t*>(pBuffer), nRoom, nBytes, nSamples);
    } else {
        nResult = ReadChunks(*pRecord, static_cast<uint64_t>(nFirst), nWant, static_cast<uint8_t*>(pBuffer),
                             nRoom, nBytes, nSamples);
    }
    if (pnBytes)
        *pnBytes = static_cast<int32_t>(nBytes);
    if (pnSamples)
        *pnSamples = static_cast<int32_t>(nSamples);
    if (nResult != ODML_OK)
        return nResult;
    return nSamples > 0 ? ODML_OK : ODML_FAIL;
}

int32_t QRVAviFile20::ReadFixedSize(const StreamRecord& record, uint32_t nSampleSize, uint64_t nFirst,
                                    uint64_t nCount, uint8_t* pBuffer, uint64_t nBufferSize, uint64_t& nBytes,
                                    uint64_t& nSamples)
{
    if (pBuffer == nullptr) {
        // Only the count: what the header says is there, in bytes that fit
        // the caller's 32-bit result.
        const uint64_t nLength = record.m_nLength;
        nSamples = nFirst < nLength ? std::min(nCount, nLength - nFirst) : 0;
        nSamples = std::min<uint64_t>(nSamples, INT32_MAX / nSampleSize);
        nBytes = nSamples * nSampleSize;
        return ODML_OK;
    }
    uint64_t nRemaining = std::min<uint64_t>(nBufferSize / nSampleSize, nCount);
    for (uint32_t e = 0; e < record.m_nEntries && nRemaining > 0; ++e) {
        const IndexEntry& entry = record.m_pEntries[e];
        const uint64_t nInChunk = (entry.nSize & ODML_SIZE_MASK) / nSampleSize;
        if (nFirst >= nInChunk) {
            nFirst -= nInChunk;
            continue;
        }
        const uint64_t n = std::min(nInChunk - nFirst, nRemaining);
        const int32_t nResult =
            ReadAt(pBuffer + nBytes, n * nSampleSize, entry.nOffset + nFirst * nSampleSize);
        if (nResult != ODML_OK)
            return nResult;
        nBytes += n * nSampleSize;
        nSamples += n;
        nRemaining -= n;
        nFirst = 0;
    }
    return ODML_OK;
}

int32_t QRVAviFile20::ReadChunks(const StreamRecord& record, uint64_t nFirst, uint64_t nCount,
                                 uint8_t* pBuffer, uint64_t nBufferSize, uint64_t& nBytes, uint64_t& nSamples)
{
    for (uint64_t e = nFirst; e < record.m_nEntries && nSamples < nCount; ++e) {
        const IndexEntry& entry = record.m_pEntries[e];
        const uint32_t nSize = entry.nSize & ODML_SIZE_MASK;
        if (pBuffer != nullptr) {
            if (nSize > nBufferSize - nBytes)
                break;
            const int32_t nResult = ReadAt(pBuffer + nBytes, nSize, entry.nOffset);
            if (nResult != ODML_OK)
                return nResult;
        } else if (nSize > INT32_MAX - nBytes) {
            break;  // the total must stay a 32-bit count
        }
        nBytes += nSize;
        ++nSamples;
    }
    return ODML_OK;
}

int32_t QRVAviFile20::FindKeyFrameDirect(uint32_t nVideoIndex, int32_t nFrame) const
{
    if (!m_bIndexed || nVideoIndex >= m_videoStreams.size())
        return -1;
    const int32_t nStream = m_videoStreams[nVideoIndex];
    const StreamRecord* pRecord = nStream >= 0 ? Stream(static_cast<uint32_t>(nStream)) : nullptr;
    if (pRecord == nullptr || nFrame < 0)
        return -1;
    if (pRecord->m_nSampleSize != 0)
        return nFrame;
    if (pRecord->m_nEntries == 0)
        return 0;
    // Frames past the table search back from its last entry.
    int64_t k = std::min<int64_t>(nFrame, static_cast<int64_t>(pRecord->m_nEntries) - 1);
    for (; k >= 0; --k) {
        if ((pRecord->m_pEntries[k].nSize & ODML_NOT_KEY_FRAME) == 0)
            return static_cast<int32_t>(k);
    }
    return 0;
}
