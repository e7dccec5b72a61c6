// Any command line, however malformed, gives a sound configuration or the
// one wrong-extension message, and never crashes: generated command lines
// (unbalanced quotes, huge numbers, empty tokens, thousands of arguments)
// split as the system splits them, and argument vectors that do not even
// match their line.
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PlayerConfig.h"
#include "RuntimeArgs.h"
#include "StartPlacement.h"
#include "afxstring.h"
#include "msgbox.h"
#include "resource.h"
#include "started_player.h"

namespace {

// Pieces that the parser treats specially, and some that it should not.
const wchar_t* const PIECES[] = {
    L" ",
    L"  ",
    L"\t",
    L"\"",
    L"\"\"",
    L"\\",
    L"\\\"",
    L"/",
    L"-",
    L"//",
    L"--",
    L"/-",
    L"P",
    L"p",
    L"Z",
    L"z",
    L"BC",
    L"bc",
    L"RGB",
    L"rgb",
    L"(",
    L")",
    L",",
    L"%",
    L" , ",
    L"E",
    L"MX",
    L"F",
    L"T",
    L"M",
    L"TB",
    L"S",
    L"R",
    L"A",
    L"D",
    L"ST",
    L"0",
    L"1",
    L"-1",
    L"100",
    L"50%",
    L"255",
    L"300",
    L"-5",
    L"99",
    L"100%",
    L"150%",
    L"2147483647",
    L"2147483648",
    L"-2147483648",
    L"-2147483649",
    L"99999999999999999999",
    L"Воспроизвести",
    L"Открыть",
    L"Удалить",
    L"удалить",
    L".avi",
    L".AVI",
    L"movie",
    L"a b.avi",
    L"C:\\x\\",
    L"%s",
    L"%1",
    L"%%",
    L"\x00A0",
    L"\x3000",
    L"\xD800",
    L"\xFFFF",
    L"\xE9",
    L"\x0130",
};

std::wstring GenerateLine(std::mt19937& rng)
{
    std::uniform_int_distribution<size_t> pickPiece(0, sizeof(PIECES) / sizeof(PIECES[0]) - 1);
    std::uniform_int_distribution<int> pickLength(0, 24);
    std::wstring strLine;
    for (int n = pickLength(rng); n > 0; --n)
        strLine += PIECES[pickPiece(rng)];
    return strLine;
}

bool EndsWithAviIgnoringCase(const std::wstring& str)
{
    if (str.size() < 4)
        return false;
    return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, str.c_str() + str.size() - 4, 4, L".avi",
                            4) == CSTR_EQUAL;
}

bool IsFlag(int n)
{
    return n == 0 || n == 1;
}

// What must hold after parsing whatever came in.
void CheckSound(const CPlayerConfig& config, const CArgumentVector& args,
                const std::vector<CMessageBoxRecord>& boxes, const std::wstring& strLine)
{
    SCOPED_TRACE(::testing::PrintToString(strLine));
    for (int nFlag : {config.m_bPosPercent, config.m_bExitAtEnd, config.m_bMaximize, config.m_bFullScreen,
                      config.m_bTitleBar, config.m_bMenu, config.m_bToolBar, config.m_bStatusBar,
                      config.m_bRepeat, config.m_bAlwaysOnTop, config.m_bDrag, config.m_bAutoPlay,
                      config.m_bStayAtEnd, config.m_bDeleteFile, config.m_bSizePercent}) {
        ASSERT_TRUE(IsFlag(nFlag));
    }
    ASSERT_LE(config.m_crBackground, 0xFFFFFFu);

    const std::wstring* pLast = args.size() > 1 ? &args.back() : nullptr;
    const bool bLastPlain =
        pLast != nullptr && (pLast->empty() || ((*pLast)[0] != L'/' && (*pLast)[0] != L'-'));
    if (!config.m_strMovieFile.empty()) {
        ASSERT_TRUE(bLastPlain);
        ASSERT_EQ(*pLast, config.m_strMovieFile);
        ASSERT_TRUE(EndsWithAviIgnoringCase(config.m_strMovieFile));
    }
    if (boxes.empty()) {
        ASSERT_TRUE(!bLastPlain || !config.m_strMovieFile.empty());
        return;
    }
    ASSERT_EQ(1u, boxes.size());
    ASSERT_TRUE(bLastPlain);
    ASSERT_TRUE(config.m_strMovieFile.empty());
    ASSERT_EQ(static_cast<UINT>(IDS_BAD_EXTENSION), boxes[0].nIDPrompt);
    ASSERT_EQ(std::vector<std::wstring>{*pLast}, boxes[0].insertions);
    ASSERT_EQ(AfxFormatString(AfxLoadString(IDS_BAD_EXTENSION), {*pLast}), boxes[0].strText);
}

// The placement of whatever was parsed stays a plain computation.
void CheckPlacementComputes(const CPlayerConfig& config)
{
    const RECT rcWindows[] = {{440, 352, 840, 672}, {-32000, -32000, -31600, -31680}};
    const RECT rcWorks[] = {{0, 0, 1280, 1024}, {-1920, 40, 0, 1080}, {0, 0, 0, 0}};
    for (const RECT& rcWindow : rcWindows) {
        for (const RECT& rcWork : rcWorks) {
            CStartPlacement placement = ComputeStartPlacement(config, rcWindow, rcWork);
            if (!placement.bMove) {
                ASSERT_EQ(0, placement.x | placement.y | placement.cx | placement.cy);
            }
        }
    }
}

void ParseAndCheck(const std::wstring& strLine, const CArgumentVector& args)
{
    CMessageBoxCapture capture;
    CPlayerConfig config;
    config.ParseArguments(strLine.c_str(), args);
    CheckSound(config, args, capture.Records(), strLine);
    CheckPlacementComputes(config);
}

TEST(ConfigRobustnessTest, GeneratedCommandLinesParseSoundly)
{
    std::mt19937 rng(20261208);
    for (int i = 0; i < 4000; ++i) {
        std::wstring strLine = GenerateLine(rng);
        ParseAndCheck(strLine, SplitCommandLine(L"player.exe " + strLine));
        if (HasFatalFailure())
            return;
    }
}

TEST(ConfigRobustnessTest, ArgumentsThatDoNotMatchTheirLineParseSoundly)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> pickCount(0, 8);
    for (int i = 0; i < 2000; ++i) {
        std::wstring strLine = GenerateLine(rng);
        CArgumentVector args{L"player.exe"};
        for (int n = pickCount(rng); n > 0; --n)
            args.push_back(GenerateLine(rng));
        ParseAndCheck(strLine, args);
        if (HasFatalFailure())
            return;
    }
    // No argument at all, not even the program; no command-line text.
    ParseAndCheck(L"", CArgumentVector{});
    CPlayerConfig config;
    config.ParseArguments(nullptr, CArgumentVector{L"player.exe", L"/P"});
    EXPECT_EQ(-1, config.m_nLeft);
}

TEST(ConfigRobustnessTest, ThousandsOfArguments)
{
    std::wstring strLine;
    for (int i = 0; i < 5000; ++i)
        strLine += (i % 4 == 0) ? L"/P " : (i % 4 == 1) ? L"-- " : (i % 4 == 2) ? L"\"\" " : L"/R ";
    strLine += L"/P12,34 last.AVI";
    CArgumentVector args = SplitCommandLine(L"player.exe " + strLine);
    ASSERT_GT(args.size(), 5000u);
    CMessageBoxCapture capture;
    CPlayerConfig config;
    config.ParseArguments(strLine.c_str(), args);
    EXPECT_TRUE(capture.Records().empty());
    EXPECT_EQ(1, config.m_bRepeat);
    EXPECT_EQ(L"last.AVI", config.m_strMovieFile);
    // The first "/P" is followed by blanks and "--": no position.
    EXPECT_EQ(-1, config.m_nLeft);
    CheckSound(config, args, capture.Records(), L"(thousands)");
}

TEST(ConfigRobustnessTest, GeneratedCommandLinesStartThePlayer)
{
    // The whole start-up on a sample of generated lines: it starts, shows
    // its window, and shows at most the messages about the movie file.
    std::mt19937 rng(11);
    for (int i = 0; i < 60; ++i) {
        std::wstring strLine = GenerateLine(rng);
        SCOPED_TRACE(::testing::PrintToString(strLine));
        CStartedPlayer player(strLine);
        ASSERT_TRUE(player.IsStarted());
        EXPECT_TRUE(::IsWindowVisible(player.Frame()));
        for (const CMessageBoxRecord& box : player.Boxes()) {
            EXPECT_TRUE(box.nIDPrompt == IDS_BAD_EXTENSION || box.nIDPrompt == IDS_FILE_NOT_FOUND)
                << box.nIDPrompt;
        }
    }
}

}  // namespace
