// A file opened for reading, with 64-bit positions. Nothing here throws:
// failures come back as results (a failed seek as CFILE_BAD_POS, a failed
// read as fewer bytes than asked for).
#pragma once

#include <cstdint>

#ifdef _WIN32
using CFileChar = wchar_t;  // paths are UTF-16, as the platform takes them
#else
using CFileChar = char;
#endif

constexpr uint64_t CFILE_BAD_POS = UINT64_MAX;

class CFile {
public:
    // Open flags: reading is the only mode; shareDenyWrite keeps other
    // writers out while the file is open (ignored natively).
    enum : uint32_t { modeRead = 0x0000, shareDenyWrite = 0x0020 };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile() = default;
    ~CFile() { Close(); }
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens an existing file; closes any file held before. False on failure.
    bool Open(const CFileChar* pszPath, uint32_t nOpenFlags);
    void Close();
    bool IsOpen() const;

    // New position from the start, or CFILE_BAD_POS (position unchanged).
    uint64_t Seek(int64_t nOffset, SeekPosition from);
    uint64_t SeekToEnd() { return Seek(0, end); }
    // Length without moving the position; CFILE_BAD_POS on failure.
    uint64_t GetLength();

    // Reads up to nCount bytes at the position; the count that arrived
    // (less only at the end of the file or on an error).
    uint32_t Read(void* pBuffer, uint32_t nCount);
    // Time of the last write in the system's units; 0 when unknown.
    uint64_t GetModifiedTime() const;

private:
#ifdef _WIN32
    void* m_hFile = nullptr;  // HANDLE; null when closed
#else
    int m_nFd = -1;
#endif
};
