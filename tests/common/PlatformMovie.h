// A movie opened through the platform's AVI library, for tests that compare
// our readers with it. Holds the file and every stream it handed out, and
// releases them when it goes. The caller keeps the library initialised
// (CAviLibrary) for the object's whole life.
#pragma once

#include <string>
#include <vector>
#include <windows.h>
#include <vfw.h>

class CPlatformMovie {
public:
    CPlatformMovie() = default;
    ~CPlatformMovie()
    {
        for (PAVISTREAM p : m_streams)
            AVIStreamRelease(p);
        if (m_pFile)
            AVIFileRelease(m_pFile);
    }
    CPlatformMovie(const CPlatformMovie&) = delete;
    CPlatformMovie& operator=(const CPlatformMovie&) = delete;

    HRESULT Open(const std::wstring& strPath)
    {
        return AVIFileOpenW(&m_pFile, strPath.c_str(), OF_READ | OF_SHARE_DENY_WRITE, nullptr);
    }
    // The first stream of a type, kept until the object goes; null when absent.
    PAVISTREAM Stream(DWORD fccType)
    {
        PAVISTREAM p = nullptr;
        if (m_pFile == nullptr || AVIFileGetStream(m_pFile, &p, fccType, 0) != AVIERR_OK)
            return nullptr;
        m_streams.push_back(p);
        return p;
    }
    PAVIFILE File() const { return m_pFile; }

private:
    PAVIFILE m_pFile = nullptr;
    std::vector<PAVISTREAM> m_streams;
};
