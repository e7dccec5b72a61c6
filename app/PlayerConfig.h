// CPlayerConfig: what the command line asks of the player. One instance
// lives in the application object; it is filled once at start-up and read
// by start-up, the main frame and the view. Nothing of it is stored.
#pragma once

#include <string>
#include <vector>
#include <windows.h>

#include "object.h"

class CPlayerConfig : public CObject {
public:
    CPlayerConfig() = default;
    ~CPlayerConfig() override = default;

    // Reads the options and the movie file. lpszCommandLine is the text
    // after the program name; the single arguments come from the runtime's
    // split argument vector (see RuntimeArgs.h). Shows at most the
    // wrong-extension message; skips what it does not understand.
    void ParseCommandLine(LPCWSTR lpszCommandLine);
    // The same with the argument vector given (argument 0 is the program).
    void ParseArguments(LPCWSTR lpszCommandLine, const std::vector<std::wstring>& args);

    int m_nLeft = -1;  // pixels or percent; -1 = not given
    int m_nTop = -1;
    int m_bPosPercent = 0;
    int m_bExitAtEnd = 0;
    int m_bMaximize = 0;
    int m_bFullScreen = 0;
    int m_bTitleBar = 1;
    int m_bMenu = 1;
    int m_bToolBar = 1;
    int m_bStatusBar = 1;
    int m_bRepeat = 0;
    int m_bAlwaysOnTop = 0;
    int m_bDrag = 1;
    int m_bAutoPlay = 1;
    int m_bStayAtEnd = 0;
    COLORREF m_crBackground = RGB(0, 0, 0);
    int m_bDeleteFile = 0;
    int m_nWidth = -1;  // pixels or percent; -1 = not given
    int m_nHeight = -1;
    int m_bSizePercent = 0;
    std::wstring m_strMovieFile;  // empty: no movie named

private:
    struct CParseContext;
    void ParseOption(const std::wstring& strArgument, CParseContext& context);
    void ParseToken(const std::wstring& strToken, CParseContext& context);
    static void ReadPair(const std::wstring& strUpperLine, const wchar_t* pszMarker, int& nFirst,
                         int& nSecond, int& bPercent);
    void ParseMovieFile(const std::wstring& strArgument);
};
