// Start-up of the player in process under Wine: the frame's first state
// and rectangle against the screen's real work area, the frame styles the
// options ask for, and the messages about the movie file.
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "MainFrm.h"
#include "PlayerView.h"
#include "started_player.h"
#include "QRVSampleMovie.h"
#include "resource.h"

namespace {

RECT WorkArea()
{
    RECT rc{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rc, 0);
    return rc;
}

RECT WindowRect(HWND hWnd)
{
    RECT rc{};
    ::GetWindowRect(hWnd, &rc);
    return rc;
}

std::string Describe(const RECT& rc)
{
    return "(" + std::to_string(rc.left) + "," + std::to_string(rc.top) + ") " +
           std::to_string(rc.right - rc.left) + "x" + std::to_string(rc.bottom - rc.top);
}

RECT At(int x, int y, int cx, int cy)
{
    return RECT{x, y, x + cx, y + cy};
}

struct FirstStateCase {
    const wchar_t* pszArguments;
    // Expected outer rectangle from the work area and the rectangle the
    // frame has when no option places it (centred, the empty frame's size).
    std::function<RECT(const RECT& rcWork, const RECT& rcCentred)> expected;
};

TEST(StartupTest, WithoutOptionsFrameIsCentredInTheWorkArea)
{
    const RECT rcWork = WorkArea();
    ASSERT_GT(rcWork.right - rcWork.left, 400);
    ASSERT_GT(rcWork.bottom - rcWork.top, 320);
    CStartedPlayer player(L"");
    ASSERT_TRUE(player.IsStarted());
    EXPECT_TRUE(::IsWindowVisible(player.Frame()));
    EXPECT_FALSE(::IsZoomed(player.Frame()));
    const RECT rc = WindowRect(player.Frame());
    const SIZE size = EmptyFrameSize();
    EXPECT_EQ(size.cx, rc.right - rc.left);
    EXPECT_EQ(size.cy, rc.bottom - rc.top);
    EXPECT_EQ(rcWork.left + (rcWork.right - rcWork.left - size.cx) / 2, rc.left);
    EXPECT_EQ(rcWork.top + (rcWork.bottom - rcWork.top - size.cy) / 2, rc.top);
    EXPECT_TRUE(player.Boxes().empty());
}

TEST(StartupTest, PlacementOptionsPlaceTheOuterRectangle)
{
    const RECT rcWork = WorkArea();
    RECT rcCentred{};
    {
        CStartedPlayer player(L"");
        ASSERT_TRUE(player.IsStarted());
        rcCentred = WindowRect(player.Frame());
    }
    const int cxWork = rcWork.right - rcWork.left;
    const int cyWork = rcWork.bottom - rcWork.top;
    auto centred = [](const RECT&, const RECT& rc) { return rc; };
    const FirstStateCase cases[] = {
        {L"/P100,100",
         [](const RECT&, const RECT&) { return At(100, 100, EmptyFrameSize().cx, EmptyFrameSize().cy); }},
        {L"/P100,100 /Z640,480", [](const RECT&, const RECT&) { return At(100, 100, 640, 480); }},
        {L"-p-50,-20 -z300,200", [](const RECT&, const RECT&) { return At(-50, -20, 300, 200); }},
        {L"/P5000,100", centred},
        {L"/P100,5000 /Z640,480", centred},
        {L"/P50%,50%",
         [](const RECT& w, const RECT&) {
             return At(w.right / 2, w.bottom / 2, EmptyFrameSize().cx, EmptyFrameSize().cy);
         }},
        {L"/P150%,10%", centred},
        {L"/P10%,100%", centred},
        {L"/Z50%,50%", [=](const RECT&, const RECT& c) { return At(c.left, c.top, cxWork / 2, cyWork / 2); }},
        {L"/Z100%,50%", centred},
        {L"/P10,10 /Z200%,50%",
         [](const RECT&, const RECT&) { return At(10, 10, EmptyFrameSize().cx, EmptyFrameSize().cy); }},
        {L"/P10,10 /Z25%,25%", [=](const RECT&, const RECT&) { return At(10, 10, cxWork / 4, cyWork / 4); }},
        {L"/P-1,100 /Z300,200", [](const RECT&, const RECT& c) { return At(c.left, c.top, 300, 200); }},
    };
    for (const FirstStateCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(c.pszArguments)));
        CStartedPlayer player(c.pszArguments);
        ASSERT_TRUE(player.IsStarted());
        EXPECT_TRUE(::IsWindowVisible(player.Frame()));
        EXPECT_FALSE(::IsZoomed(player.Frame()));
        const RECT rcExpected = c.expected(rcWork, rcCentred);
        EXPECT_EQ(Describe(rcExpected), Describe(WindowRect(player.Frame())));
        EXPECT_TRUE(player.Boxes().empty());
    }
}

TEST(StartupTest, MaximizeIgnoresPositionAndSize)
{
    for (const wchar_t* pszArguments : {L"/MX", L"/MX /P100,100", L"/Z300,200 -mx"}) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(pszArguments)));
        CStartedPlayer player(pszArguments);
        ASSERT_TRUE(player.IsStarted());
        EXPECT_TRUE(::IsWindowVisible(player.Frame()));
        EXPECT_TRUE(::IsZoomed(player.Frame()));
        // The rectangle it restores to is the centred one, not the option's.
        WINDOWPLACEMENT wp{};
        wp.length = sizeof(wp);
        ASSERT_TRUE(::GetWindowPlacement(player.Frame(), &wp));
        EXPECT_EQ(EmptyFrameSize().cx, wp.rcNormalPosition.right - wp.rcNormalPosition.left);
        EXPECT_EQ(EmptyFrameSize().cy, wp.rcNormalPosition.bottom - wp.rcNormalPosition.top);
        EXPECT_NE(100, wp.rcNormalPosition.left);
    }
}

TEST(StartupTest, ExtremePlacementValuesStillShowTheWindow)
{
    const wchar_t* const lines[] = {
        L"/T /P0,0 /Z2147483647,2147483647",
        L"/P0,0 /Z99999999999,99999999999",
        L"/P-2147483648,-2147483648 /Z-2147483648,-2147483648",
        L"/T/M /P-99999999999,0 /Z0,0",
        L"/P0%,0% /Z-1000%,-1000%",
        L"/P-99999999999%,-5% /Z99%,1%",
    };
    for (const wchar_t* pszArguments : lines) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(pszArguments)));
        CStartedPlayer player(pszArguments);
        ASSERT_TRUE(player.IsStarted());
        EXPECT_TRUE(::IsWindowVisible(player.Frame()));
        EXPECT_TRUE(player.Boxes().empty());
    }
}

struct FrameStyleCase {
    const wchar_t* pszArguments;
    bool bMenu;
    bool bCaption;
    bool bTopmost;
};

TEST(StartupTest, FrameOptionsRemoveMenuAndTitleBarAndSetTopmost)
{
    const FrameStyleCase cases[] = {
        {L"", true, true, false},  {L"/M", false, true, false},     {L"/T", true, false, false},
        {L"/A", true, true, true}, {L"/T/M/A", false, false, true},
    };
    for (const FrameStyleCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(c.pszArguments)));
        CStartedPlayer player(c.pszArguments);
        ASSERT_TRUE(player.IsStarted());
        HWND hFrame = player.Frame();
        EXPECT_EQ(c.bMenu, ::GetMenu(hFrame) != nullptr);
        DWORD dwStyle = static_cast<DWORD>(::GetWindowLongW(hFrame, GWL_STYLE));
        EXPECT_EQ(c.bCaption, (dwStyle & WS_CAPTION) == WS_CAPTION);
        if (!c.bCaption) {
            EXPECT_TRUE(dwStyle & WS_POPUP);
            EXPECT_TRUE(dwStyle & WS_DLGFRAME);
        }
        EXPECT_FALSE(dwStyle & WS_THICKFRAME);
        DWORD dwExStyle = static_cast<DWORD>(::GetWindowLongW(hFrame, GWL_EXSTYLE));
        EXPECT_EQ(c.bTopmost, (dwExStyle & WS_EX_TOPMOST) != 0);
    }
}

// A file name in the temporary folder that does not exist.
std::wstring MissingMovieName()
{
    wchar_t szDir[MAX_PATH] = L"";
    ::GetTempPathW(MAX_PATH, szDir);
    std::wstring strPath =
        std::wstring(szDir) + L"vistrel missing " + std::to_wstring(::GetCurrentProcessId()) + L".avi";
    ::DeleteFileW(strPath.c_str());
    return strPath;
}

TEST(StartupTest, MissingMovieIsReportedAndThePlayerStartsEmpty)
{
    const std::wstring strMovie = MissingMovieName();
    CStartedPlayer player(L"/P100,100 \"" + strMovie + L"\"");
    ASSERT_TRUE(player.IsStarted());
    EXPECT_TRUE(::IsWindowVisible(player.Frame()));
    EXPECT_EQ(strMovie, player.App().GetConfig().m_strMovieFile);
    auto boxes = player.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(static_cast<UINT>(IDS_FILE_NOT_FOUND), boxes[0].nIDPrompt);
    ASSERT_EQ(1u, boxes[0].insertions.size());
    EXPECT_EQ(strMovie, boxes[0].insertions[0]);
    EXPECT_EQ(L"Файл не найден: " + strMovie, boxes[0].strText);
    EXPECT_EQ(static_cast<UINT>(MB_OK), boxes[0].nType);
    EXPECT_TRUE(player.App().GetMainFrame()->GetPlayerView()->m_strOpenFile.empty());
}

TEST(StartupTest, ExistingMovieOpensWithoutAMessage)
{
    const std::wstring strMovie = MissingMovieName();
    QRVMovieSettings settings;
    settings.strOutput.assign(strMovie.begin(), strMovie.end());  // the temp path is ASCII
    settings.nWidth = 160;
    settings.nHeight = 120;
    settings.fSeconds = 1.0;
    settings.bSound = false;
    std::string strError;
    ASSERT_TRUE(QRVWriteMovieFile(settings, strError)) << strError;
    {
        CStartedPlayer player(L"/Открыть \"" + strMovie + L"\"");
        ASSERT_TRUE(player.IsStarted());
        EXPECT_TRUE(player.Boxes().empty());
        // The frame learns the movie's length (15 frames of 1/15 s) and
        // position; opened without playing, nothing is playing.
        auto* pFrame = dynamic_cast<CMainFrame*>(player.App().m_pMainWnd);
        ASSERT_NE(nullptr, pFrame);
        EXPECT_NEAR(1000, pFrame->GetLength(), 70);
        EXPECT_EQ(0, pFrame->GetPosition());
        EXPECT_NE(EPlayState::PS_PLAYING, pFrame->GetPlayState());
    }
    ::DeleteFileW(strMovie.c_str());
}

TEST(StartupTest, WrongExtensionIsReportedAndThePlayerStartsEmpty)
{
    CStartedPlayer player(L"/R notes.txt");
    ASSERT_TRUE(player.IsStarted());
    EXPECT_TRUE(::IsWindowVisible(player.Frame()));
    EXPECT_TRUE(player.App().GetConfig().m_strMovieFile.empty());
    EXPECT_EQ(1, player.App().GetConfig().m_bRepeat);
    auto boxes = player.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(static_cast<UINT>(IDS_BAD_EXTENSION), boxes[0].nIDPrompt);
    ASSERT_EQ(1u, boxes[0].insertions.size());
    EXPECT_EQ(L"notes.txt", boxes[0].insertions[0]);
    EXPECT_EQ(L"Файл 'notes.txt' не имеет правильное расширение.  Расширение должно быть "
              L"следующее: .avi: .avi",
              boxes[0].strText);
    EXPECT_EQ(static_cast<UINT>(MB_OK), boxes[0].nType);
}

}  // namespace
