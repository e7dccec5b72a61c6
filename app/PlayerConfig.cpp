#include "PlayerConfig.h"

#include <climits>
#include <cwchar>

#include "OptionValue.h"
#include "RuntimeArgs.h"
#include "afxstring.h"
#include "msgbox.h"
#include "resource.h"

namespace {

// Equal ignoring case, as the platform compares for the user's locale.
bool EqualNoCase(const wchar_t* pA, size_t nA, const wchar_t* pB, size_t nB)
{
    if (nA > INT_MAX || nB > INT_MAX)
        return false;
    return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, pA, static_cast<int>(nA), pB,
                            static_cast<int>(nB)) == CSTR_EQUAL;
}

bool TokenIs(const std::wstring& strToken, const wchar_t* pszWord)
{
    return EqualNoCase(strToken.c_str(), strToken.size(), pszWord, wcslen(pszWord));
}

// An empty keyword (a string missing from the resources) matches nothing.
bool TokenIsKeyword(const std::wstring& strToken, const std::wstring& strKeyword)
{
    return !strKeyword.empty() &&
           EqualNoCase(strToken.c_str(), strToken.size(), strKeyword.c_str(), strKeyword.size());
}

bool TokenBeginsWith(const std::wstring& strToken, const wchar_t* pszPrefix)
{
    size_t nPrefix = wcslen(pszPrefix);
    return strToken.size() >= nPrefix && EqualNoCase(strToken.c_str(), nPrefix, pszPrefix, nPrefix);
}

bool IsOptionStart(wchar_t ch)
{
    return ch == L'/' || ch == L'-';
}

}  // namespace

// What one parse needs besides the arguments: the keywords of the
// resources' language and the upper-cased command line for the values.
struct CPlayerConfig::CParseContext {
    std::wstring strPlay;
    std::wstring strOpen;
    std::wstring strDelete;
    std::wstring strUpperLine;
    // A value is read from the whole line, so reading it again for a
    // repeated option gives the same result: once is enough.
    bool bPositionRead = false;
    bool bSizeRead = false;
    bool bColorRead = false;
};

void CPlayerConfig::ParseCommandLine(LPCWSTR lpszCommandLine)
{
    ParseArguments(lpszCommandLine, GetRuntimeArguments());
}

void CPlayerConfig::ParseArguments(LPCWSTR lpszCommandLine, const std::vector<std::wstring>& args)
{
    CParseContext context;
    context.strPlay = AfxLoadString(IDS_KEYWORD_PLAY);
    context.strOpen = AfxLoadString(IDS_KEYWORD_OPEN);
    context.strDelete = AfxLoadString(IDS_KEYWORD_DELETE);
    context.strUpperLine = lpszCommandLine != nullptr ? lpszCommandLine : L"";
    if (!context.strUpperLine.empty() && context.strUpperLine.size() <= MAXDWORD) {
        ::CharUpperBuffW(&context.strUpperLine[0], static_cast<DWORD>(context.strUpperLine.size()));
    }

    for (size_t i = 1; i < args.size(); ++i) {
        const std::wstring& strArgument = args[i];
        if (!strArgument.empty() && IsOptionStart(strArgument[0]))
            ParseOption(strArgument, context);
        else if (i + 1 == args.size() && m_strMovieFile.empty())
            ParseMovieFile(strArgument);
        // A plain argument that is not the last is ignored.
    }
}

void CPlayerConfig::ParseOption(const std::wstring& strArgument, CParseContext& context)
{
    // "/F/T", "-F-T" and "/F-T" all give the tokens F and T.
    size_t nStart = 1;
    for (;;) {
        size_t nEnd = strArgument.find_first_of(L"/-", nStart);
        ParseToken(
            strArgument.substr(nStart, nEnd == std::wstring::npos ? std::wstring::npos : nEnd - nStart),
            context);
        if (nEnd == std::wstring::npos)
            break;
        nStart = nEnd + 1;
    }
}

void CPlayerConfig::ParseToken(const std::wstring& strToken, CParseContext& context)
{
    // In this order; the first match wins.
    if (TokenIs(strToken, L"E")) {
        m_bExitAtEnd = 1;
    } else if (TokenBeginsWith(strToken, L"P")) {
        if (!context.bPositionRead) {
            context.bPositionRead = true;
            ReadPair(context.strUpperLine, L"P", m_nLeft, m_nTop, m_bPosPercent);
        }
    } else if (TokenBeginsWith(strToken, L"Z")) {
        if (!context.bSizeRead) {
            context.bSizeRead = true;
            ReadPair(context.strUpperLine, L"Z", m_nWidth, m_nHeight, m_bSizePercent);
        }
    } else if (TokenIsKeyword(strToken, context.strDelete)) {
        m_bDeleteFile = 1;
    } else if (TokenIs(strToken, L"MX")) {
        m_bMaximize = 1;
    } else if (TokenIs(strToken, L"F")) {
        m_bFullScreen = 1;
    } else if (TokenIs(strToken, L"T")) {
        m_bTitleBar = 0;
    } else if (TokenIs(strToken, L"M")) {
        m_bMenu = 0;
    } else if (TokenIs(strToken, L"TB")) {
        m_bToolBar = 0;
    } else if (TokenIs(strToken, L"S")) {
        m_bStatusBar = 0;
    } else if (TokenIs(strToken, L"R")) {
        m_bRepeat = 1;
    } else if (TokenIs(strToken, L"A")) {
        m_bAlwaysOnTop = 1;
    } else if (TokenIs(strToken, L"D")) {
        m_bDrag = 0;
    } else if (TokenBeginsWith(strToken, L"BC")) {
        if (!context.bColorRead) {
            context.bColorRead = true;
            std::wstring strValue;
            if (FindOptionValue(context.strUpperLine, L"BC", strValue))
                ScanRgbColor(strValue, m_crBackground);
        }
    } else if (TokenIs(strToken, L"ST")) {
        m_bStayAtEnd = 1;
    } else if (TokenIsKeyword(strToken, context.strPlay)) {
        m_bAutoPlay = 1;
    } else if (TokenIsKeyword(strToken, context.strOpen)) {
        m_bAutoPlay = 0;
    }
    // Anything else, the empty token included, is ignored.
}

void CPlayerConfig::ReadPair(const std::wstring& strUpperLine, const wchar_t* pszMarker, int& nFirst,
                             int& nSecond, int& bPercent)
{
    std::wstring strValue;
    if (!FindOptionValue(strUpperLine, pszMarker, strValue))
        return;
    if (ScanNumberPair(strValue, nFirst, nSecond))
        bPercent = 0;
    else if (ScanPercentPair(strValue, nFirst, nSecond))
        bPercent = 1;
}

void CPlayerConfig::ParseMovieFile(const std::wstring& strArgument)
{
    const size_t nExt = 4;  // ".avi"
    if (strArgument.size() >= nExt &&
        EqualNoCase(strArgument.c_str() + strArgument.size() - nExt, nExt, L".avi", nExt)) {
        m_strMovieFile = strArgument;
        return;
    }
    AfxMessageBox(IDS_BAD_EXTENSION, {strArgument}, MB_OK);
}
