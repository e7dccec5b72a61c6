// Command-line parsing as the player does it: each case is a whole command
// line given to a helper program, whose runtime splits it into arguments
// exactly as the player's runtime does; the helper reports what it parsed.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PlayerConfig.h"
#include "RuntimeArgs.h"
#include "afxstring.h"
#include "child_process.h"
#include "config_dump.h"
#include "msgbox.h"
#include "resource.h"

namespace {

struct ParseCase {
    const wchar_t* pszArguments;                 // command line after the program
    std::function<void(CPlayerConfig&)> expect;  // changes from the defaults
    std::vector<std::wstring> badExtension;      // insertions of message 57668
};

struct ParseResult {
    std::wstring strConfig;           // DumpConfig text
    std::vector<std::wstring> boxes;  // "id|insertion..."
    std::vector<std::wstring> args;   // the runtime's arguments after the program
    bool bRuntimeSplit = false;       // args came from the runtime's own vector
};

ParseResult ParseInChild(const std::wstring& strArguments)
{
    ParseResult result;
    CChildResult child = RunAndCapture(ConfigProbePath(), strArguments);
    EXPECT_TRUE(child.bStarted && child.bEnded && child.dwExitCode == 0)
        << "helper failed for: " << ::testing::PrintToString(strArguments);
    size_t nStart = 0;
    while (nStart < child.strOutput.size()) {
        size_t nEnd = child.strOutput.find(L'\n', nStart);
        if (nEnd == std::wstring::npos)
            nEnd = child.strOutput.size();
        std::wstring strLine = child.strOutput.substr(nStart, nEnd - nStart);
        nStart = nEnd + 1;
        if (strLine.compare(0, 4, L"box=") == 0)
            result.boxes.push_back(strLine.substr(4));
        else if (strLine.compare(0, 4, L"arg=") == 0)
            result.args.push_back(strLine.substr(4));
        else if (strLine == L"runtime=1")
            result.bRuntimeSplit = true;
        else if (strLine == L"runtime=0")
            result.bRuntimeSplit = false;
        else
            result.strConfig += strLine + L"\n";
    }
    return result;
}

std::string Narrow(const std::wstring& str)
{
    if (str.empty())
        return {};
    int nBytes = ::WideCharToMultiByte(CP_UTF8, 0, str.c_str(), static_cast<int>(str.size()), nullptr, 0,
                                       nullptr, nullptr);
    std::string strOut(static_cast<size_t>(nBytes > 0 ? nBytes : 0), '\0');
    if (nBytes > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, str.c_str(), static_cast<int>(str.size()), &strOut[0], nBytes,
                              nullptr, nullptr);
    return strOut;
}

void RunTable(const std::vector<ParseCase>& cases)
{
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(Narrow(c.pszArguments));
        CPlayerConfig expected;
        if (c.expect)
            c.expect(expected);
        std::vector<std::wstring> expectedBoxes;
        for (const std::wstring& strInsertion : c.badExtension)
            expectedBoxes.push_back(std::to_wstring(IDS_BAD_EXTENSION) + L"|" + strInsertion);

        ParseResult result = ParseInChild(c.pszArguments);
        EXPECT_TRUE(result.bRuntimeSplit);
        EXPECT_EQ(Narrow(DumpConfig(expected)), Narrow(result.strConfig));
        EXPECT_EQ(expectedBoxes, result.boxes);
        // The in-process tests split with SplitCommandLine: it must agree
        // with the runtime on these lines.
        CArgumentVector split = SplitCommandLine(L"player.exe " + std::wstring(c.pszArguments));
        ASSERT_FALSE(split.empty());
        EXPECT_EQ(std::vector<std::wstring>(split.begin() + 1, split.end()), result.args);
    }
}

TEST(ConfigParseTest, NoArgumentsGiveTheDefaults)
{
    RunTable({
        {L"", nullptr, {}},
    });
    CPlayerConfig config;
    EXPECT_EQ(-1, config.m_nLeft);
    EXPECT_EQ(-1, config.m_nTop);
    EXPECT_EQ(-1, config.m_nWidth);
    EXPECT_EQ(-1, config.m_nHeight);
    EXPECT_EQ(1, config.m_bTitleBar);
    EXPECT_EQ(1, config.m_bMenu);
    EXPECT_EQ(1, config.m_bToolBar);
    EXPECT_EQ(1, config.m_bStatusBar);
    EXPECT_EQ(1, config.m_bAutoPlay);
    EXPECT_EQ(1, config.m_bDrag);
    EXPECT_EQ(0u, config.m_crBackground);
    EXPECT_TRUE(config.m_strMovieFile.empty());
}

TEST(ConfigParseTest, FlagOptionsJoinedOrApartAndIgnoringCase)
{
    auto fullNoTitleNoMenu = [](CPlayerConfig& c) {
        c.m_bFullScreen = 1;
        c.m_bTitleBar = 0;
        c.m_bMenu = 0;
    };
    RunTable({
        {L"/F/T/M", fullNoTitleNoMenu, {}},
        {L"/F /T /M", fullNoTitleNoMenu, {}},
        {L"-F-T-M", fullNoTitleNoMenu, {}},
        {L"/f-t/m", fullNoTitleNoMenu, {}},
        {L"/E /MX /TB /S /R /A /D /ST",
         [](CPlayerConfig& c) {
             c.m_bExitAtEnd = 1;
             c.m_bMaximize = 1;
             c.m_bToolBar = 0;
             c.m_bStatusBar = 0;
             c.m_bRepeat = 1;
             c.m_bAlwaysOnTop = 1;
             c.m_bDrag = 0;
             c.m_bStayAtEnd = 1;
         },
         {}},
        // Whole-token matches: MX is not M, TB is not T, ST is not S.
        {L"/MX/TB/ST",
         [](CPlayerConfig& c) {
             c.m_bMaximize = 1;
             c.m_bToolBar = 0;
             c.m_bStayAtEnd = 1;
         },
         {}},
        // Empty tokens and unknown options match nothing.
        {L"// - /-/ /X /FULL /EE /B /MXX", nullptr, {}},
    });
}

TEST(ConfigParseTest, PositionAndSizeValuesComeFromTheWholeLine)
{
    auto pos = [](int x, int y, int bPercent) {
        return [=](CPlayerConfig& c) {
            c.m_nLeft = x;
            c.m_nTop = y;
            c.m_bPosPercent = bPercent;
        };
    };
    auto size = [](int cx, int cy, int bPercent) {
        return [=](CPlayerConfig& c) {
            c.m_nWidth = cx;
            c.m_nHeight = cy;
            c.m_bSizePercent = bPercent;
        };
    };
    RunTable({
        {L"/P100,50", pos(100, 50, 0), {}},
        {L"/p10,20", pos(10, 20, 0), {}},
        {L"/P50%,50%", pos(50, 50, 1), {}},
        {L"/P50,50%", pos(50, 50, 0), {}},
        {L"/P50%,75", pos(50, 75, 1), {}},
        {L"/Z50%,75%", size(50, 75, 1), {}},
        {L"\"/Z640 , 480\"", size(640, 480, 0), {}},
        {L"\"/P 100, 50\"", pos(100, 50, 0), {}},
        // Apart from its option the value is still read, and its piece,
        // when last, is a plain argument without the .avi ending.
        {L"/P 100,50 /F",
         [](CPlayerConfig& c) {
             c.m_nLeft = 100;
             c.m_nTop = 50;
             c.m_bFullScreen = 1;
         },
         {}},
        {L"/Z640 , 480", size(640, 480, 0), {L"480"}},
        // Negative numbers: the pieces after "-" are tokens that match nothing.
        {L"/P-10,20", pos(-10, 20, 0), {}},
        {L"/P-1,100", pos(-1, 100, 0), {}},
        {L"/Z-5,-6", size(-5, -6, 0), {}},
        // Only the first "/P" counts, and "-P" only when there is no "/P".
        {L"/P100,100 /P200,200", pos(100, 100, 0), {}},
        {L"-P10,10 /P20,20", pos(20, 20, 0), {}},
        {L"-P10,10 -P20,20", pos(10, 10, 0), {}},
        {L"-z30%,40%", size(30, 40, 1), {}},
        // A value that cannot be read leaves the defaults.
        {L"/P /Pabc /Z /Z10 /Z10, /P,5", nullptr, {}},
        // Numbers beyond the int range saturate.
        {L"/P99999999999,-99999999999", pos(2147483647, -2147483647 - 1, 0), {}},
        // A token that begins with P takes the position, whatever follows.
        {L"/PLAY /Z1,2", size(1, 2, 0), {}},
        {L"/Q /PX /P7,8", nullptr, {}},
    });
}

TEST(ConfigParseTest, BackgroundColourIsClampedRgb)
{
    auto color = [](COLORREF cr) { return [=](CPlayerConfig& c) { c.m_crBackground = cr; }; };
    RunTable({
        {L"/BCRGB(255,255,255)", color(RGB(255, 255, 255)), {}},
        {L"/bcrgb(10,20,30)", color(RGB(10, 20, 30)), {}},
        {L"/BCRGB(300,-5,128)", color(RGB(255, 0, 128)), {}},
        {L"\"/BCRRGGBB ( 1 , 2 , 3 )\"", color(RGB(1, 2, 3)), {}},
        // Split by the runtime into pieces; the colour is still read, and
        // the last piece draws the wrong-extension message.
        {L"/BCRGB(1, 2, 3)", color(RGB(1, 2, 3)), {L"3)"}},
        {L"\"/BCRGB(4, 5, 6)\"", color(RGB(4, 5, 6)), {}},
        {L"-BCRGB(7,8,9) /BCRGB(1,1,1)", color(RGB(1, 1, 1)), {}},
        {L"/BC /BCRGB /BCRGB(1,2) /BCRB(1,2,3) /BCGRB(1,2,3)", nullptr, {}},
    });
}

TEST(ConfigParseTest, KeywordsComeFromTheStringTableInOrder)
{
    const std::wstring strPlay = AfxLoadString(IDS_KEYWORD_PLAY);
    const std::wstring strOpen = AfxLoadString(IDS_KEYWORD_OPEN);
    const std::wstring strDelete = AfxLoadString(IDS_KEYWORD_DELETE);
    ASSERT_EQ(L"Воспроизвести", strPlay);
    ASSERT_EQ(L"Открыть", strOpen);
    ASSERT_EQ(L"Удалить", strDelete);
    auto noAutoPlay = [](CPlayerConfig& c) { c.m_bAutoPlay = 0; };
    RunTable({
        {L"/Открыть", noAutoPlay, {}},
        {L"/ОТКРЫТЬ", noAutoPlay, {}},
        {L"/Открыть /Воспроизвести", nullptr, {}},
        {L"/Воспроизвести-Открыть", noAutoPlay, {}},
        {L"-удалить", [](CPlayerConfig& c) { c.m_bDeleteFile = 1; }, {}},
        {L"/Удалить/Открыть/Е",
         [](CPlayerConfig& c) {  // Cyrillic Е is not E
             c.m_bDeleteFile = 1;
             c.m_bAutoPlay = 0;
         },
         {}},
        {L"/Open /Play /Delete /Открыт", nullptr, {}},
    });
}

TEST(ConfigParseTest, MovieFileIsTheLastPlainArgumentEndingInAvi)
{
    auto movie = [](const wchar_t* psz) { return [=](CPlayerConfig& c) { c.m_strMovieFile = psz; }; };
    RunTable({
        {L"movie.avi", movie(L"movie.avi"), {}},
        {L"C:\\Films\\MOVIE.AVI", movie(L"C:\\Films\\MOVIE.AVI"), {}},
        {L"\"C:\\My Films\\a b.Avi\"", movie(L"C:\\My Films\\a b.Avi"), {}},
        {L"/F movie.avi",
         [](CPlayerConfig& c) {
             c.m_bFullScreen = 1;
             c.m_strMovieFile = L"movie.avi";
         },
         {}},
        {L"movie.avi /F", [](CPlayerConfig& c) { c.m_bFullScreen = 1; }, {}},
        {L"first.avi second.avi", movie(L"second.avi"), {}},
        {L"first.avi notes.txt", nullptr, {L"notes.txt"}},
        {L"movie.avi.bak", nullptr, {L"movie.avi.bak"}},
        {L"avi", nullptr, {L"avi"}},
        {L"\"\"", nullptr, {L""}},
        {L".avi", movie(L".avi"), {}},
        {L"\"100% film.avi\"", movie(L"100% film.avi"), {}},
    });
}

TEST(ConfigParseTest, QuotingFollowsTheRuntime)
{
    RunTable({
        // Quotes in the middle of a word group blanks too: one argument
        // "/F /T", whose token "F " (with the blank) is not F.
        {L"/F\" \"/T", [](CPlayerConfig& c) { c.m_bTitleBar = 0; }, {}},
        {L"\"/F/T\" \"/M\"",
         [](CPlayerConfig& c) {
             c.m_bFullScreen = 1;
             c.m_bTitleBar = 0;
             c.m_bMenu = 0;
         },
         {}},
        // A quote not closed runs to the end of the line.
        {L"/R \"my movie.avi",
         [](CPlayerConfig& c) {
             c.m_bRepeat = 1;
             c.m_strMovieFile = L"my movie.avi";
         },
         {}},
        // Backslashes before a quote.
        {L"\"C:\\dir\\\\\" /R", [](CPlayerConfig& c) { c.m_bRepeat = 1; }, {}},
        {L"a\\\"b.avi", [](CPlayerConfig& c) { c.m_strMovieFile = L"a\"b.avi"; }, {}},
    });
}

}  // namespace
