// The configuration as text, one "name=value" line per field, so that the
// parsing tests can compare what a child process parsed with what they
// expect and show the difference field by field.
#pragma once

#include <string>

#include "PlayerConfig.h"

inline std::wstring DumpConfig(const CPlayerConfig& c)
{
    auto line = [](const wchar_t* pszName, long long nValue) {
        return std::wstring(pszName) + L"=" + std::to_wstring(nValue) + L"\n";
    };
    std::wstring str;
    str += line(L"m_nLeft", c.m_nLeft);
    str += line(L"m_nTop", c.m_nTop);
    str += line(L"m_bPosPercent", c.m_bPosPercent);
    str += line(L"m_bExitAtEnd", c.m_bExitAtEnd);
    str += line(L"m_bMaximize", c.m_bMaximize);
    str += line(L"m_bFullScreen", c.m_bFullScreen);
    str += line(L"m_bTitleBar", c.m_bTitleBar);
    str += line(L"m_bMenu", c.m_bMenu);
    str += line(L"m_bToolBar", c.m_bToolBar);
    str += line(L"m_bStatusBar", c.m_bStatusBar);
    str += line(L"m_bRepeat", c.m_bRepeat);
    str += line(L"m_bAlwaysOnTop", c.m_bAlwaysOnTop);
    str += line(L"m_bDrag", c.m_bDrag);
    str += line(L"m_bAutoPlay", c.m_bAutoPlay);
    str += line(L"m_bStayAtEnd", c.m_bStayAtEnd);
    str += line(L"m_crBackground", static_cast<long long>(c.m_crBackground));
    str += line(L"m_bDeleteFile", c.m_bDeleteFile);
    str += line(L"m_nWidth", c.m_nWidth);
    str += line(L"m_nHeight", c.m_nHeight);
    str += line(L"m_bSizePercent", c.m_bSizePercent);
    str += L"m_strMovieFile=" + c.m_strMovieFile + L"\n";
    return str;
}
