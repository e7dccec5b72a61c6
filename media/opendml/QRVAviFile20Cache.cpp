// Sharing a walked index between readers of the same file: the player opens
// every movie twice (the pictures and the sound each have their own
// reader), and the walk of the "movi" data of a long recording is what
// makes opening it slow. A reader whose index came from a walk offers its
// tables while it holds the file open; another lenient open of the same
// file (same name, length and time of the last write) copies them instead
// of walking again. The holder keeps other writers out of the file, so the
// tables still describe it.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "QRVAviFile20.h"

namespace {

std::mutex s_sharedLock;
std::vector<const QRVAviFile20*> s_sharedReaders;

}  // namespace

void QRVAviFile20::CopyTablesFrom(const QRVAviFile20& from)
{
    std::memcpy(m_mainHeader, from.m_mainHeader, sizeof m_mainHeader);
    m_pStreams.reset(from.m_nStreams > 0 ? new StreamRecord[from.m_nStreams] : nullptr);
    m_nStreams = m_pStreams ? from.m_nStreams : 0;
    for (uint32_t s = 0; s < m_nStreams; ++s) {
        const StreamRecord& source = from.m_pStreams[s];
        StreamRecord& record = m_pStreams[s];
        std::memcpy(record.m_header, source.m_header, sizeof record.m_header);
        record.m_pEntries.reset(new IndexEntry[source.m_nEntries + 1]);
        if (source.m_nEntries > 0)
            std::memcpy(record.m_pEntries.get(), source.m_pEntries.get(), sizeof(IndexEntry) * source.m_nEntries);
        record.m_nEntries = source.m_nEntries;
        record.m_nLength = source.m_nLength;
        record.m_nSampleSize = source.m_nSampleSize;
        record.m_bHeader = source.m_bHeader;
        record.m_format = source.m_format;
        record.m_paletteChanges = source.m_paletteChanges;
    }
    m_videoStreams = from.m_videoStreams;
    m_audioStreams = from.m_audioStreams;
    m_nTableEntries = from.m_nTableEntries;
    m_nSource = from.m_nSource;
}

bool QRVAviFile20::TakeSharedTables(const CFileChar* pszPath, uint64_t nModified)
{
    if (nModified == 0)
        return false;  // without the time of the last write, a file cannot be told from another
    std::lock_guard<std::mutex> lock(s_sharedLock);
    for (const QRVAviFile20* pOther : s_sharedReaders) {
        if (pOther->m_nLength == m_nLength && pOther->m_nModified == nModified && pOther->m_strPath == pszPath) {
            CopyTablesFrom(*pOther);
            return true;
        }
    }
    return false;
}

void QRVAviFile20::ShareTables(const CFileChar* pszPath, uint64_t nModified)
{
    if (nModified == 0)
        return;
    m_strPath = pszPath;
    m_nModified = nModified;
    std::lock_guard<std::mutex> lock(s_sharedLock);
    s_sharedReaders.push_back(this);
    m_bShared = true;
}

void QRVAviFile20::StopSharingTables()
{
    if (!m_bShared)
        return;
    std::lock_guard<std::mutex> lock(s_sharedLock);
    s_sharedReaders.erase(std::remove(s_sharedReaders.begin(), s_sharedReaders.end(), this),
                          s_sharedReaders.end());
    m_bShared = false;
}
