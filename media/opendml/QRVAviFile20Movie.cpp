// The lenient open: any AVI movie, classic or OpenDML, whole or cut off.
// The walk collects the headers, the stream formats, the "movi" lists and
// the legacy index; the index of every stream then comes from the first
// source that covers the whole file: the OpenDML super indexes, the "idx1",
// or a walk of the "movi" data that rebuilds the index from the chunks
// themselves ("ix##" chunks met on the way give the key-frame flags).
//
// Everything read here is untrusted: every offset and size is checked
// against the file, the walk only ever moves forward, and the tables are
// bounded like the strict open's (all entries together at most one per 8
// bytes of file).
#include "QRVAviFile20.h"
#include "QRVAviFile20Scan.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>

using namespace QRVOpenDml;

namespace {

constexpr uint32_t ODML_TWOCC_PALETTE = 'p' | ('c' << 8);
// A palette change: first entry, count (0 = 256), flags, then 4 bytes
// (red, green, blue, flags) per entry.
constexpr uint32_t ODML_PALCHANGE_HEAD = 4;
// Legacy index entries tried to find where its offsets count from.
constexpr uint32_t ODML_IDX1_BASE_TRIES = 16;
// Filler chunks looked past behind a list's end.
constexpr int ODML_PLAUSIBLE_JUNK = 4;

int HexDigit(uint32_t c)
{
    if (c >= '0' && c <= '9')
        return static_cast<int>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<int>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<int>(c - 'A' + 10);
    return -1;
}

// Stream number of a data chunk id ("00dc", "01wb", "00pc"), or -1.
int StreamOfChunk(uint32_t nId)
{
    const int nHigh = HexDigit(nId & 0xFF);
    const int nLow = HexDigit((nId >> 8) & 0xFF);
    if (nHigh < 0 || nLow < 0 || !IsChunkId(nId))
        return -1;
    return nHigh * 16 + nLow;
}

// Stream number of a standard index chunk id ("ix00"), or -1.
int StreamOfStandardIndex(uint32_t nId)
{
    if ((nId & 0xFFFF) != ('i' | ('x' << 8)))
        return -1;
    const int nHigh = HexDigit((nId >> 16) & 0xFF);
    const int nLow = HexDigit(nId >> 24);
    return nHigh < 0 || nLow < 0 ? -1 : nHigh * 16 + nLow;
}

bool IsMoviMember(uint32_t nId)
{
    return StreamOfChunk(nId) >= 0 || StreamOfStandardIndex(nId) >= 0;
}

}  // namespace

int32_t QRVAviFile20::OpenMovie(const CFileChar* pszPath)
{
    if (!OpenFile(pszPath))
        return ODML_FAIL;
    m_bMovieMode = true;
    const uint64_t nModified = m_file.GetModifiedTime();
    try {
        if (TakeSharedTables(pszPath, nModified)) {
            m_bIndexed = 1;
            return ODML_OK;
        }
        m_pScan.reset(new MovieScan);
        FoundFlags found;
        const int32_t nResult = Walk(0, m_nLength, 0, -1, found);
        bool bHeaders = false;
        for (uint32_t s = 0; s < StreamCount(); ++s)
            bHeaders = bHeaders || m_pStreams[s].m_bHeader;
        if (nResult < 0 || !bHeaders) {
            Reset();
            return ODML_FAIL;
        }
        IndexMovie();
        DropUnusableStreams();
        if (m_nSource == ODML_SOURCE_WALK)
            ShareTables(pszPath, nModified);
    } catch (const std::bad_alloc&) {
        m_strValidation = "new[] failed";
        Reset();
        return ODML_FAIL;
    }
    m_pScan.reset();
    m_bIndexed = 1;
    return ODML_OK;
}

bool QRVAviFile20::PlausibleEnd(uint64_t nEnd, uint64_t nParentEnd)
{
    if (nEnd > nParentEnd)
        return false;
    uint64_t nNext = nEnd + (nEnd & 1u);
    // Movie data right behind the end: the size is a placeholder. Filler
    // may come first (a recorder's "movi" often starts with "JUNK"); a few
    // such chunks are stepped over.
    for (int i = 0; i < ODML_PLAUSIBLE_JUNK; ++i) {
        uint8_t head[8];
        if (nNext + 8 > nParentEnd || ReadAt(head, 8, nNext) != ODML_OK)
            return true;
        if (Get32(head) != ODML_ID_JUNK)
            return !IsMoviMember(Get32(head));
        const uint32_t nSize = Get32(head + 4);
        nNext += 8 + uint64_t{nSize} + (nSize & 1u);
    }
    return true;
}

int32_t QRVAviFile20::OnMovieList(uint64_t nOffset, uint64_t nNext, uint64_t nParentEnd, bool bPlaceholder,
                                  uint64_t& nResume)
{
    MovieScan::Segment segment{nOffset, nOffset + 12, std::min(nNext, nParentEnd), false};
    if (bPlaceholder) {
        // A list whose size was never written (or the file was cut) ends
        // where its chunks end.
        segment.nEnd = WalkMovi(segment.nBegin, nParentEnd, true);
        segment.bWalked = true;
    }
    m_pScan->segments.push_back(segment);
    nResume = std::max(segment.nEnd, segment.nBegin);
    return ODML_OK;
}

int32_t QRVAviFile20::OnStreamFormat(uint64_t nOffset, int32_t nStream)
{
    StreamRecord* pRecord = RecordFor(nStream);
    uint8_t head[8];
    if (pRecord == nullptr || !pRecord->m_format.empty() || ReadAt(head, 8, nOffset) != ODML_OK)
        return ODML_OK;
    // A size past the file or the limit keeps what is there.
    uint64_t nSize = std::min<uint64_t>(Get32(head + 4), ODML_MAX_FORMAT_BYTES);
    nSize = std::min(nSize, m_nLength - std::min(m_nLength, nOffset + 8));
    pRecord->m_format.resize(static_cast<size_t>(nSize));
    if (nSize > 0 && ReadAt(pRecord->m_format.data(), nSize, nOffset + 8) != ODML_OK)
        pRecord->m_format.clear();
    return ODML_OK;
}

int32_t QRVAviFile20::OnMovieSuperIndex(uint64_t nOffset, int32_t nStream, FoundFlags& found)
{
    // A broken super index is no reason to refuse the movie: the other
    // sources of the index are tried instead.
    int32_t nResult = ODML_FAIL;
    try {
        nResult = OnSuperIndex(nOffset, nStream, found);
    } catch (const QRVOpenDmlError&) {
        nResult = ODML_FAIL;
    }
    if (nResult != ODML_OK) {
        if (StreamRecord* pRecord = RecordFor(nStream)) {
            m_nTableEntries -= pRecord->m_nEntries;
            pRecord->m_pEntries.reset();
            pRecord->m_nEntries = 0;
        }
        m_pScan->bSuperIndexFailed = true;
    } else {
        m_pScan->bSuperIndex = true;
    }
    return ODML_OK;
}

void QRVAviFile20::OnLegacyIndex(uint64_t nOffset)
{
    if (!m_pScan->bIdx1) {
        m_pScan->bIdx1 = true;
        m_pScan->nIdx1 = nOffset;
    }
}

bool QRVAviFile20::ReadHead(uint64_t nOffset, uint8_t* pHead, uint32_t nBytes)
{
    MovieScan& scan = *m_pScan;
    if (nOffset < scan.nCacheAt || nOffset + nBytes > scan.nCacheAt + scan.nCacheBytes) {
        if (nOffset >= m_nLength)
            return false;
        const uint32_t nRead =
            static_cast<uint32_t>(std::min<uint64_t>(ODML_HEAD_CACHE_BYTES, m_nLength - nOffset));
        if (ReadAt(scan.cache, nRead, nOffset) != ODML_OK) {
            scan.nCacheBytes = 0;
            return false;
        }
        scan.nCacheAt = nOffset;
        scan.nCacheBytes = nRead;
        if (nBytes > nRead)
            return false;
    }
    std::memcpy(pHead, scan.cache + (nOffset - scan.nCacheAt), nBytes);
    return true;
}

uint64_t QRVAviFile20::WalkMovi(uint64_t nFrom, uint64_t nTo, bool bOpenEnded)
{
    nTo = std::min(nTo, m_nLength);
    while (nFrom + 8 <= nTo) {
        uint8_t head[12];
        if (!ReadHead(nFrom, head, 8))
            break;
        const uint32_t nId = Get32(head);
        const uint32_t nSize = Get32(head + 4);
        if (!IsChunkId(nId))
            break;  // no chunk: the data ends (zeros of a file never finished)
        const uint64_t nData = nFrom + 8;
        const uint64_t nNext = nData + nSize + (nSize & 1u);  // > nFrom: the walk always moves on
        if (nId == ODML_ID_LIST) {
            if (!ReadHead(nFrom, head, 12))
                break;
            if (Get32(head + 8) == ODML_ID_REC) {
                nFrom += 12;  // the chunks of a "rec " list follow its head
                continue;
            }
            if (bOpenEnded)
                break;  // the next list of the file
            nFrom = nNext;
            continue;
        }
        if (StreamOfChunk(nId) >= 0) {
            if (nData + nSize > m_nLength) {
                // Cut by the end of the file: a picture is dropped, whole
                // sound blocks are kept.
                // A size no chunk of the stream had is damage, not a cut:
                // the rest of the file is not taken for sound.
                const int nStream = StreamOfChunk(nId);
                const StreamRecord* pRecord = RecordFor(nStream);
                const uint32_t nBlock = pRecord ? pRecord->m_nSampleSize : 0;
                const uint64_t nKept = m_nLength - nData;
                uint32_t nLargest = pRecord ? pRecord->HeaderField(ODML_STRH_BUFFER_SIZE) : 0;
                if (static_cast<size_t>(nStream) < m_pScan->entries.size()) {
                    for (const IndexEntry& entry : m_pScan->entries[static_cast<size_t>(nStream)])
                        nLargest = std::max(nLargest, entry.nSize & ODML_SIZE_MASK);
                }
                if (nBlock != 0 && nKept >= nBlock && nSize <= nLargest)
                    AddChunk(nId, nData, static_cast<uint32_t>(nKept - nKept % nBlock), true);
                return m_nLength;
            }
            AddChunk(nId, nData, nSize, true);
        } else if (StreamOfStandardIndex(nId) >= 0) {
            if (nData + nSize <= m_nLength)
                OnStandardIndexInMovi(nFrom, nSize);
        } else if (bOpenEnded && nId != ODML_ID_JUNK) {
            break;  // "idx1", the next "RIFF" or anything else ends the data
        }
        if (nNext > nTo)
            return nTo;
        nFrom = nNext;
    }
    return nFrom;
}

void QRVAviFile20::AddChunk(uint32_t nId, uint64_t nData, uint32_t nSize, bool bKey)
{
    MovieScan& scan = *m_pScan;
    const int nStream = StreamOfChunk(nId);
    StreamRecord* pRecord = RecordFor(nStream);
    if (pRecord == nullptr || !pRecord->m_bHeader || (nSize & ODML_NOT_KEY_FRAME) != 0)
        return;
    if (scan.entries.size() < m_nStreams) {
        scan.entries.resize(m_nStreams);
        scan.keyOffsets.resize(m_nStreams);
    }
    std::vector<IndexEntry>& entries = scan.entries[static_cast<size_t>(nStream)];
    if ((nId >> 16) == ODML_TWOCC_PALETTE) {
        const uint32_t nFrame = static_cast<uint32_t>(std::min<size_t>(entries.size(), UINT32_MAX));
        pRecord->m_paletteChanges.push_back(PaletteChange{nFrame, nSize, nData});
        return;
    }
    // Never more entries than the file has room for, nor than a count holds.
    if (scan.nEntries >= m_nLength / ODML_STD_ENTRY_BYTES || entries.size() >= INT32_MAX)
        return;
    // Walked chunks are not key frames until an index says so.
    entries.push_back(IndexEntry{nData, nSize | (bKey ? 0u : ODML_NOT_KEY_FRAME)});
    ++scan.nEntries;
}

void QRVAviFile20::OnStandardIndexInMovi(uint64_t nOffset, uint32_t nSize)
{
    MovieScan& scan = *m_pScan;
    uint8_t head[ODML_INDEX_HEAD_BYTES];
    if (nSize < ODML_INDEX_HEAD_BYTES - 8 || ReadAt(head, sizeof head, nOffset) != ODML_OK)
        return;
    const int nStream = StreamOfChunk(Get32(head + ODML_INDX_CHUNK_ID));
    if (Get16(head + ODML_INDX_LONGS_PER_ENTRY) != 2 || head[ODML_INDX_TYPE] != ODML_INDEX_OF_CHUNKS ||
        RecordFor(nStream) == nullptr)
        return;
    if (scan.keyOffsets.size() < m_nStreams) {
        scan.entries.resize(m_nStreams);
        scan.keyOffsets.resize(m_nStreams);
    }
    // Only the entries inside the chunk count, whatever the head claims.
    const uint64_t nRoom = (uint64_t{nSize} + 8 - ODML_INDEX_HEAD_BYTES) / ODML_STD_ENTRY_BYTES;
    const uint64_t nCount = std::min<uint64_t>(Get32(head + ODML_INDX_ENTRIES_IN_USE), nRoom);
    const uint64_t nBase = Get64(head + ODML_STD_BASE_OFFSET);
    std::vector<uint64_t>& keys = scan.keyOffsets[static_cast<size_t>(nStream)];
    uint8_t block[ODML_STD_ENTRY_BYTES * 512];
    for (uint64_t k = 0; k < nCount; k += 512) {
        const uint64_t n = std::min<uint64_t>(512, nCount - k);
        if (ReadAt(block, n * ODML_STD_ENTRY_BYTES, nOffset + ODML_INDEX_HEAD_BYTES + k * ODML_STD_ENTRY_BYTES) !=
            ODML_OK)
            return;
        for (uint64_t i = 0; i < n; ++i) {
            const uint8_t* p = block + i * ODML_STD_ENTRY_BYTES;
            if ((Get32(p + 4) & ODML_NOT_KEY_FRAME) == 0 && keys.size() < m_nLength / ODML_STD_ENTRY_BYTES)
                keys.push_back(nBase + Get32(p));
        }
    }
}

void QRVAviFile20::IndexMovie()
{
    MovieScan& scan = *m_pScan;
    if (IndexFromSuperIndexes()) {
        m_nSource = ODML_SOURCE_SUPER_INDEX;
    } else {
        for (uint32_t s = 0; s < m_nStreams; ++s) {
            m_pStreams[s].m_pEntries.reset();
            m_pStreams[s].m_nEntries = 0;
        }
        m_nTableEntries = 0;
        // A "movi" list of placeholder size has been walked to find its end;
        // a legacy index behind it that describes the file still wins, so
        // the walked chunks are set aside until the index is tried.
        std::vector<std::vector<IndexEntry>> walked;
        std::vector<std::vector<PaletteChange>> walkedChanges(m_nStreams);
        walked.swap(scan.entries);
        const uint64_t nWalked = scan.nEntries;
        scan.nEntries = 0;
        for (uint32_t s = 0; s < m_nStreams; ++s)
            walkedChanges[s].swap(m_pStreams[s].m_paletteChanges);
        if (IndexFromIdx1()) {
            m_nSource = ODML_SOURCE_IDX1;
        } else {
            // The index cleared what it had added; its key frames are kept.
            scan.entries.swap(walked);
            scan.nEntries = nWalked;
            for (uint32_t s = 0; s < m_nStreams; ++s)
                m_pStreams[s].m_paletteChanges.swap(walkedChanges[s]);
            IndexFromWalk();
            m_nSource = ODML_SOURCE_WALK;
        }
        FinishMovieTables();
    }
    // Lengths come from what was found, never from the headers' counts.
    for (uint32_t s = 0; s < m_nStreams; ++s) {
        StreamRecord& record = m_pStreams[s];
        if (!record.m_bHeader)
            continue;
        const std::vector<uint8_t>& format = record.m_format;
        if (record.HeaderField(ODML_STRH_TYPE) == ODML_ID_AUDS && format.size() >= ODML_WAVE_BYTES &&
            Get16(format.data()) == ODML_WAVE_PCM && Get16(format.data() + ODML_WAVE_BLOCK_ALIGN) != 0)
            record.m_nSampleSize = Get16(format.data() + ODML_WAVE_BLOCK_ALIGN);
        uint64_t nSamples = record.m_nEntries;
        if (record.m_nSampleSize != 0) {
            uint64_t nBytes = 0;
            for (uint32_t e = 0; e < record.m_nEntries; ++e)
                nBytes += record.m_pEntries[e].nSize & ODML_SIZE_MASK;
            nSamples = nBytes / record.m_nSampleSize;
        }
        record.m_nLength = static_cast<uint32_t>(std::min<uint64_t>(nSamples, INT32_MAX));
    }
}

bool QRVAviFile20::IndexFromSuperIndexes() const
{
    const MovieScan& scan = *m_pScan;
    if (!scan.bSuperIndex || scan.bSuperIndexFailed || scan.segments.empty())
        return false;
    // Every "movi" list must hold a standard index that a super index names:
    // a recording cut short has lists no index covers.
    for (const MovieScan::Segment& segment : scan.segments) {
        if (segment.bWalked)
            return false;
        const bool bCovered = std::any_of(scan.stdIndexes.begin(), scan.stdIndexes.end(),
                                          [&](uint64_t n) { return n >= segment.nList && n < segment.nEnd; });
        if (!bCovered)
            return false;
    }
    for (uint32_t s = 0; s < m_nStreams; ++s) {
        const StreamRecord& record = m_pStreams[s];
        for (uint32_t e = 0; e < record.m_nEntries; ++e) {
            const IndexEntry& entry = record.m_pEntries[e];
            if (entry.nOffset > m_nLength || (entry.nSize & ODML_SIZE_MASK) > m_nLength - entry.nOffset)
                return false;
        }
    }
    return true;
}

bool QRVAviFile20::IndexFromIdx1()
{
    MovieScan& scan = *m_pScan;
    if (!scan.bIdx1 || scan.segments.size() != 1)
        return false;
    uint8_t head[8];
    if (ReadAt(head, 8, scan.nIdx1) != ODML_OK)
        return false;
    const uint64_t nBytes = Get32(head + 4);
    // A legacy index cut by the end of the file gives key frames only.
    const bool bWhole = nBytes <= m_nLength - scan.nIdx1 - 8;
    const uint64_t nEntries = std::min<uint64_t>(nBytes, m_nLength - scan.nIdx1 - 8) / ODML_IDX1_ENTRY_BYTES;
    if (nEntries == 0 || nEntries > m_nLength / ODML_STD_ENTRY_BYTES)
        return false;
    std::unique_ptr<uint8_t[]> pIndex(new uint8_t[static_cast<size_t>(nEntries * ODML_IDX1_ENTRY_BYTES)]);
    if (ReadAt(pIndex.get(), nEntries * ODML_IDX1_ENTRY_BYTES, scan.nIdx1 + 8) != ODML_OK)
        return false;

    // Offsets count from the "movi" list type or from the start of the
    // file; the first chunk entries whose heads are found tell which (one
    // damaged chunk head does not throw the index away).
    const uint64_t nMovi = scan.segments[0].nList + 8;
    uint64_t nBase = UINT64_MAX;
    uint32_t nTried = 0;
    for (uint64_t i = 0; i < nEntries && nBase == UINT64_MAX && nTried < ODML_IDX1_BASE_TRIES; ++i) {
        const uint8_t* p = pIndex.get() + i * ODML_IDX1_ENTRY_BYTES;
        if (StreamOfChunk(Get32(p)) < 0)
            continue;
        ++nTried;
        for (uint64_t nCandidate : {nMovi, uint64_t{0}}) {
            uint8_t chunk[8];
            const uint64_t nAt = nCandidate + Get32(p + 8);
            if (ReadAt(chunk, 8, nAt) == ODML_OK && Get32(chunk) == Get32(p) && Get32(chunk + 4) == Get32(p + 12)) {
                nBase = nCandidate;
                break;
            }
        }
    }
    if (nBase == UINT64_MAX)
        return false;  // the chunks are not where the index says

    bool bConsistent = bWhole;
    uint64_t nLast = UINT64_MAX;
    for (uint64_t i = 0; i < nEntries; ++i) {
        const uint8_t* p = pIndex.get() + i * ODML_IDX1_ENTRY_BYTES;
        const uint32_t nId = Get32(p);
        const uint64_t nData = nBase + Get32(p + 8) + 8;
        const uint32_t nSize = Get32(p + 12);
        if (StreamOfChunk(nId) < 0)
            continue;
        if (nData > m_nLength || nSize > m_nLength - nData) {
            bConsistent = false;
            continue;
        }
        const bool bKey = (Get32(p + 4) & ODML_IDX1_KEY_FRAME) != 0;
        if (bKey && RecordFor(StreamOfChunk(nId)) != nullptr) {
            if (scan.keyOffsets.size() < m_nStreams) {
                scan.entries.resize(m_nStreams);
                scan.keyOffsets.resize(m_nStreams);
            }
            std::vector<uint64_t>& keys = scan.keyOffsets[static_cast<size_t>(StreamOfChunk(nId))];
            if (keys.size() < nEntries)
                keys.push_back(nData);
        }
        AddChunk(nId, nData, nSize, bKey);
        nLast = i;
    }
    // The last chunk must be where the index says, or the index does not
    // describe this file.
    if (bConsistent && nLast != UINT64_MAX) {
        const uint8_t* p = pIndex.get() + nLast * ODML_IDX1_ENTRY_BYTES;
        uint8_t chunk[8];
        bConsistent = ReadAt(chunk, 8, nBase + Get32(p + 8)) == ODML_OK && Get32(chunk) == Get32(p) &&
                      Get32(chunk + 4) == Get32(p + 12);
    }
    if (bConsistent && nLast != UINT64_MAX)
        return true;
    // Not usable as the index: its chunks are forgotten, its key frames kept.
    for (std::vector<IndexEntry>& entries : scan.entries)
        entries.clear();
    for (uint32_t s = 0; s < m_nStreams; ++s)
        m_pStreams[s].m_paletteChanges.clear();
    scan.nEntries = 0;
    return false;
}

void QRVAviFile20::IndexFromWalk()
{
    for (MovieScan::Segment& segment : m_pScan->segments) {
        if (!segment.bWalked) {
            WalkMovi(segment.nBegin, segment.nEnd, false);
            segment.bWalked = true;
        }
    }
}

void QRVAviFile20::FinishMovieTables()
{
    MovieScan& scan = *m_pScan;
    for (uint32_t s = 0; s < m_nStreams && s < scan.entries.size(); ++s) {
        std::vector<IndexEntry>& entries = scan.entries[s];
        StreamRecord& record = m_pStreams[s];
        if (m_nSource == ODML_SOURCE_WALK) {
            // A list of placeholder size was walked with the file, before
            // the lists ahead of it: the table goes into file order, and
            // palette changes count the frames before them again.
            const auto byOffset = [](const IndexEntry& a, const IndexEntry& b) {
                return a.nOffset < b.nOffset;
            };
            if (!std::is_sorted(entries.begin(), entries.end(), byOffset))
                std::stable_sort(entries.begin(), entries.end(), byOffset);
            std::vector<PaletteChange>& changes = record.m_paletteChanges;
            std::stable_sort(
                changes.begin(), changes.end(),
                [](const PaletteChange& a, const PaletteChange& b) { return a.nOffset < b.nOffset; });
            for (PaletteChange& change : changes) {
                const IndexEntry at{change.nOffset, 0};
                change.nFrame = static_cast<uint32_t>(
                    std::lower_bound(entries.begin(), entries.end(), at, byOffset) - entries.begin());
            }
            // Key frames named by an index met on the way; without any, the
            // first frame is the key frame and the rest decode from it.
            std::vector<uint64_t>& keys = scan.keyOffsets[s];
            std::sort(keys.begin(), keys.end());
            for (IndexEntry& entry : entries) {
                entry.nSize |= ODML_NOT_KEY_FRAME;
                if (std::binary_search(keys.begin(), keys.end(), entry.nOffset))
                    entry.nSize &= ODML_SIZE_MASK;
            }
            if (!entries.empty())
                entries[0].nSize &= ODML_SIZE_MASK;
        }
        // One allocation of the final size per stream.
        std::unique_ptr<IndexEntry[]> pEntries(new IndexEntry[entries.size() + 1]);
        std::copy(entries.begin(), entries.end(), pEntries.get());
        record.m_pEntries = std::move(pEntries);
        record.m_nEntries = static_cast<uint32_t>(entries.size());
        m_nTableEntries += entries.size();
        std::vector<IndexEntry>().swap(entries);
    }
}

namespace {

bool IsQrvcFormat(const std::vector<uint8_t>& format)
{
    return format.size() >= ODML_BIH_BYTES && Get32(format.data() + ODML_BIH_COMPRESSION) == ODML_ID_QRVC;
}

bool IsPcmFormat(const std::vector<uint8_t>& format)
{
    return format.size() >= ODML_WAVE_BYTES && Get16(format.data()) == ODML_WAVE_PCM &&
           Get16(format.data() + ODML_WAVE_BLOCK_ALIGN) != 0;
}

}  // namespace

void QRVAviFile20::DropUnusableStreams()
{
    // A stream whose format is missing or cut short can be played by no
    // one: it is left out, and the rest of the movie plays.
    const auto unusable = [this](size_t nMinimum) {
        return [this, nMinimum](int32_t nStream) {
            const StreamRecord* pRecord = RecordFor(nStream);
            return pRecord == nullptr || pRecord->m_format.size() < nMinimum ||
                   (nMinimum == ODML_WAVE_BYTES && Get16(pRecord->m_format.data()) == ODML_WAVE_PCM &&
                    !IsPcmFormat(pRecord->m_format));
        };
    };
    m_videoStreams.erase(std::remove_if(m_videoStreams.begin(), m_videoStreams.end(), unusable(ODML_BIH_BYTES)),
                         m_videoStreams.end());
    m_audioStreams.erase(std::remove_if(m_audioStreams.begin(), m_audioStreams.end(), unusable(ODML_WAVE_BYTES)),
                         m_audioStreams.end());
}

bool QRVAviFile20::IsScreenMovie() const
{
    if (!m_bMovieMode || !m_bIndexed || (m_videoStreams.empty() && m_audioStreams.empty()))
        return false;
    return !HasOtherCodec();
}

bool QRVAviFile20::HasOtherCodec() const
{
    if (!m_bMovieMode || !m_bIndexed)
        return false;
    for (int32_t nStream : m_videoStreams) {
        if (const StreamRecord* pRecord = Stream(static_cast<uint32_t>(nStream)))
            if (!IsQrvcFormat(pRecord->m_format))
                return true;
    }
    for (int32_t nStream : m_audioStreams) {
        if (const StreamRecord* pRecord = Stream(static_cast<uint32_t>(nStream)))
            if (!IsPcmFormat(pRecord->m_format))
                return true;
    }
    return false;
}

bool QRVAviFile20::NamesScreenCodec(const CFileChar* pszPath)
{
    // The header block of a recording names the codec in its stream header
    // and format, well within the first block of the file.
    CFile file;
    if (!file.Open(pszPath, CFile::modeRead | CFile::shareDenyWrite))
        return false;
    std::vector<uint8_t> head(ODML_HEAD_CACHE_BYTES);
    head.resize(file.Read(head.data(), static_cast<uint32_t>(head.size())));
    const uint8_t name[] = {'q', 'r', 'v', 'c'};
    return std::search(head.begin(), head.end(), std::begin(name), std::end(name)) != head.end();
}

int32_t QRVAviFile20::FindFormatChange(uint32_t nVideoIndex, int32_t nFrame) const
{
    if (nVideoIndex >= m_videoStreams.size() || nFrame < 0)
        return -1;
    const StreamRecord* pRecord = Stream(static_cast<uint32_t>(m_videoStreams[nVideoIndex]));
    if (pRecord == nullptr)
        return -1;
    int32_t nAt = 0;
    for (const PaletteChange& change : pRecord->m_paletteChanges) {
        if (change.nFrame <= static_cast<uint32_t>(nFrame))
            nAt = static_cast<int32_t>(std::min<uint32_t>(change.nFrame, INT32_MAX));
    }
    return nAt;
}

bool QRVAviFile20::ReadFormatAt(uint32_t nVideoIndex, int32_t nFrame, std::vector<uint8_t>& format)
{
    format.clear();
    if (nVideoIndex >= m_videoStreams.size() || nFrame < 0)
        return false;
    const StreamRecord* pRecord = Stream(static_cast<uint32_t>(m_videoStreams[nVideoIndex]));
    if (pRecord == nullptr || pRecord->m_format.size() < ODML_BIH_BYTES)
        return false;
    format = pRecord->m_format;
    // The colour table follows the header; changes write into it, never
    // past what the stored format holds.
    const uint64_t nTable = std::max<uint32_t>(Get32(format.data()), ODML_BIH_BYTES);
    const uint64_t nColors = format.size() > nTable ? (format.size() - nTable) / 4 : 0;
    for (const PaletteChange& change : pRecord->m_paletteChanges) {
        if (change.nFrame > static_cast<uint32_t>(nFrame))
            break;
        uint8_t data[ODML_PALCHANGE_HEAD + 4 * 256];
        const uint32_t nBytes = std::min<uint32_t>(change.nSize, sizeof data);
        // A change too short to hold its head, or unreadable, changes nothing.
        if (nBytes < ODML_PALCHANGE_HEAD || ReadAt(data, nBytes, change.nOffset) != ODML_OK)
            continue;
        const uint32_t nFirst = data[0];
        const uint32_t nCount = data[1] == 0 ? 256 : data[1];
        for (uint32_t i = 0; i < nCount && ODML_PALCHANGE_HEAD + 4 * i + 4 <= nBytes; ++i) {
            if (nFirst + i >= nColors)
                break;
            const uint8_t* pEntry = data + ODML_PALCHANGE_HEAD + 4 * i;
            uint8_t* pColor = format.data() + nTable + 4 * (nFirst + i);
            pColor[0] = pEntry[2];  // blue
            pColor[1] = pEntry[1];  // green
            pColor[2] = pEntry[0];  // red
            pColor[3] = 0;
        }
    }
    return true;
}
