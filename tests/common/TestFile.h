// A file in the temporary folder for one test: named for this process and
// the test, so that test programs running side by side never meet, and
// removed when the object goes. Portable: the native tests use it too.
#pragma once

#include <cstdio>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <gtest/gtest.h>
#include <unistd.h>
#endif

class CTestFile {
public:
    explicit CTestFile(const std::string& strName)
    {
#ifdef _WIN32
        char szDir[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, szDir);
        m_strPath = std::string(szDir) + "vistrel_" + std::to_string(::GetCurrentProcessId()) + "_" + strName;
#else
        m_strPath = ::testing::TempDir() + "vistrel_" + std::to_string(::getpid()) + "_" + strName;
#endif
        m_strWide.assign(m_strPath.begin(), m_strPath.end());  // the temporary folder's name is ASCII
    }
    explicit CTestFile(const std::wstring& strName) : CTestFile(std::string(strName.begin(), strName.end()))
    {
    }
    ~CTestFile()
    {
        std::remove(m_strPath.c_str());
    }
    CTestFile(const CTestFile&) = delete;
    CTestFile& operator=(const CTestFile&) = delete;

    const std::string& Path() const
    {
        return m_strPath;
    }
    const std::wstring& WidePath() const
    {
        return m_strWide;
    }
    const wchar_t* Wide() const
    {
        return m_strWide.c_str();
    }
    // The path as the platform's file functions take it.
#ifdef _WIN32
    const wchar_t* ReaderPath() const
    {
        return m_strWide.c_str();
    }
#else
    const char* ReaderPath() const
    {
        return m_strPath.c_str();
    }
#endif

private:
    std::string m_strPath;
    std::wstring m_strWide;
};
