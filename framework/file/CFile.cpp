#include "CFile.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#endif

#ifdef _WIN32

bool CFile::Open(const CFileChar* pszPath, uint32_t nOpenFlags)
{
    Close();
    if (pszPath == nullptr)
        return false;
    const DWORD nShare = (nOpenFlags & shareDenyWrite) ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE h =
        CreateFileW(pszPath, GENERIC_READ, nShare, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    m_hFile = h;
    return true;
}

void CFile::Close()
{
    if (m_hFile != nullptr) {
        CloseHandle(static_cast<HANDLE>(m_hFile));
        m_hFile = nullptr;
    }
}

bool CFile::IsOpen() const
{
    return m_hFile != nullptr;
}

uint64_t CFile::Seek(int64_t nOffset, SeekPosition from)
{
    if (m_hFile == nullptr)
        return CFILE_BAD_POS;
    static const DWORD s_method[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
    LONG nHigh = static_cast<LONG>(static_cast<uint64_t>(nOffset) >> 32);
    // SetFilePointer with the high part: present on every system we target.
    const DWORD nLow = SetFilePointer(static_cast<HANDLE>(m_hFile), static_cast<LONG>(nOffset & 0xFFFFFFFF),
                                      &nHigh, s_method[from]);
    if (nLow == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
        return CFILE_BAD_POS;
    return (static_cast<uint64_t>(static_cast<DWORD>(nHigh)) << 32) | nLow;
}

uint64_t CFile::GetLength()
{
    if (m_hFile == nullptr)
        return CFILE_BAD_POS;
    DWORD nHigh = 0;
    const DWORD nLow = GetFileSize(static_cast<HANDLE>(m_hFile), &nHigh);
    if (nLow == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return CFILE_BAD_POS;
    return (static_cast<uint64_t>(nHigh) << 32) | nLow;
}

uint32_t CFile::Read(void* pBuffer, uint32_t nCount)
{
    if (m_hFile == nullptr || (pBuffer == nullptr && nCount != 0))
        return 0;
    uint32_t nTotal = 0;
    while (nTotal < nCount) {
        DWORD nRead = 0;
        if (!ReadFile(static_cast<HANDLE>(m_hFile), static_cast<uint8_t*>(pBuffer) + nTotal, nCount - nTotal,
                      &nRead, nullptr) ||
            nRead == 0)
            break;
        nTotal += nRead;
    }
    return nTotal;
}

uint64_t CFile::GetModifiedTime() const
{
    FILETIME written = {};
    if (m_hFile == nullptr || !GetFileTime(static_cast<HANDLE>(m_hFile), nullptr, nullptr, &written))
        return 0;
    return (static_cast<uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
}

#else  // POSIX

bool CFile::Open(const CFileChar* pszPath, uint32_t nOpenFlags)
{
    Close();
    if (pszPath == nullptr)
        return false;
    const int nFd = ::open(pszPath, O_RDONLY | O_CLOEXEC);
    if (nFd < 0)
        return false;
    m_nFd = nFd;
    return true;
}

void CFile::Close()
{
    if (m_nFd >= 0) {
        ::close(m_nFd);
        m_nFd = -1;
    }
}

bool CFile::IsOpen() const
{
    return m_nFd >= 0;
}

uint64_t CFile::Seek(int64_t nOffset, SeekPosition from)
{
    if (m_nFd < 0)
        return CFILE_BAD_POS;
    static const int s_whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    const off_t nPos = ::lseek(m_nFd, static_cast<off_t>(nOffset), s_whence[from]);
    if (nPos < 0)
        return CFILE_BAD_POS;
    return static_cast<uint64_t>(nPos);
}

uint64_t CFile::GetLength()
{
    if (m_nFd < 0)
        return CFILE_BAD_POS;
    const off_t nHere = ::lseek(m_nFd, 0, SEEK_CUR);
    const off_t nEnd = ::lseek(m_nFd, 0, SEEK_END);
    if (nHere < 0 || nEnd < 0 || ::lseek(m_nFd, nHere, SEEK_SET) < 0)
        return CFILE_BAD_POS;
    return static_cast<uint64_t>(nEnd);
}

uint32_t CFile::Read(void* pBuffer, uint32_t nCount)
{
    if (m_nFd < 0 || (pBuffer == nullptr && nCount != 0))
        return 0;
    uint32_t nTotal = 0;
    while (nTotal < nCount) {
        const ssize_t n = ::read(m_nFd, static_cast<uint8_t*>(pBuffer) + nTotal, nCount - nTotal);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        nTotal += static_cast<uint32_t>(n);
    }
    return nTotal;
}

uint64_t CFile::GetModifiedTime() const
{
    struct stat info = {};
    if (m_nFd < 0 || ::fstat(m_nFd, &info) != 0)
        return 0;
    return static_cast<uint64_t>(info.st_mtim.tv_sec) * 1000000000u + static_cast<uint64_t>(info.st_mtim.tv_nsec);
}

#endif
