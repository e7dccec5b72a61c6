#include "QRVOutput.h"

#include <cstring>

bool QRVMemoryOutput::Write(const uint8_t* p, size_t n)
{
    if (n == 0)
        return true;
    if (p == nullptr || n > SIZE_MAX - m_nPos)
        return false;
    if (m_nPos + n > m_bytes.size())
        m_bytes.resize(m_nPos + n);
    std::memcpy(m_bytes.data() + m_nPos, p, n);
    m_nPos += n;
    return true;
}

bool QRVMemoryOutput::Seek(uint64_t nPos)
{
    if (nPos > SIZE_MAX / 2)
        return false;
    m_nPos = static_cast<size_t>(nPos);
    if (m_nPos > m_bytes.size())
        m_bytes.resize(m_nPos);
    return true;
}

QRVFileOutput::~QRVFileOutput()
{
    if (m_pFile != nullptr)
        std::fclose(m_pFile);
}

bool QRVFileOutput::Open(const std::string& strPath)
{
    if (m_pFile != nullptr)
        return false;
    m_pFile = std::fopen(strPath.c_str(), "wb");
    m_nPos = 0;
    m_bFailed = false;
    return m_pFile != nullptr;
}

#ifdef _WIN32
bool QRVFileOutput::Open(const std::wstring& strPath)
{
    if (m_pFile != nullptr)
        return false;
    m_pFile = _wfopen(strPath.c_str(), L"wb");
    m_nPos = 0;
    m_bFailed = false;
    return m_pFile != nullptr;
}
#endif

bool QRVFileOutput::Write(const uint8_t* p, size_t n)
{
    if (m_pFile == nullptr || m_bFailed)
        return false;
    if (n == 0)
        return true;
    if (std::fwrite(p, 1, n, m_pFile) != n) {
        m_bFailed = true;
        return false;
    }
    m_nPos += n;
    return true;
}

bool QRVFileOutput::Seek(uint64_t nPos)
{
    if (m_pFile == nullptr || m_bFailed)
        return false;
#ifdef _WIN32
    const int nResult = _fseeki64(m_pFile, static_cast<long long>(nPos), SEEK_SET);
#else
    const int nResult = fseeko(m_pFile, static_cast<off_t>(nPos), SEEK_SET);
#endif
    if (nResult != 0) {
        m_bFailed = true;
        return false;
    }
    m_nPos = nPos;
    return true;
}

bool QRVFileOutput::Finish()
{
    if (m_pFile == nullptr)
        return false;
    const bool bFlushed = std::fflush(m_pFile) == 0;
    const bool bClosed = std::fclose(m_pFile) == 0;
    m_pFile = nullptr;
    return bFlushed && bClosed && !m_bFailed;
}
