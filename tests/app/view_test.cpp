// The player's view as a person uses it through commands (the route menus,
// keys and the context menu take): which commands are enabled in which
// movie state, what each one does, the context menu, the deletion of the
// movie file for the delete keyword, and the frame fitted to the movie.
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FileDialogDriver.h"
#include "TestFile.h"
#include "TrackMovies.h"
#include "numbered_movies.h"
#include "player_fixture.h"
#include "resource.h"

namespace {

// 20 frames a second, long enough that playback never reaches the end here.
CNumberedMovie TenSeconds()
{
    CNumberedMovie movie;
    movie.nFrames = 200;
    return movie;
}

std::wstring Quoted(const std::wstring& str)
{
    return L"\"" + str + L"\"";
}

// Commands whose enable rule depends on the movie, then those always on.
const UINT kMovieCommands[] = {ID_FILE_CLOSE, ID_PLAY_PLAYPAUSE, ID_PLAY_PLAY,       ID_PLAY_PAUSE,
                               ID_PLAY_STOP,  ID_PLAY_HOME,      ID_PLAY_BACK,       ID_PLAY_FORWARD,
                               ID_PLAY_END,   ID_PLAY_STEPBACK,  ID_PLAY_STEPFORWARD};
const UINT kAlwaysOn[] = {ID_FILE_OPEN, ID_PLAY_REPEAT, ID_APP_EXIT};

// Enabled states of kMovieCommands, in their order: close, play/pause,
// play, pause, stop, then the six navigation commands alike.
struct EnableRow {
    const char* pszState;
    bool bClose, bPlayPause, bPlay, bPause, bStop, bNavigate;
};

void ExpectEnabled(CPlayer& player, const EnableRow& row)
{
    SCOPED_TRACE(row.pszState);
    const bool expected[] = {row.bClose,    row.bPlayPause, row.bPlay,     row.bPause,
                             row.bStop,     row.bNavigate,  row.bNavigate, row.bNavigate,
                             row.bNavigate, row.bNavigate,  row.bNavigate};
    for (size_t i = 0; i < std::size(kMovieCommands); ++i)
        EXPECT_EQ(expected[i], player.IsEnabled(kMovieCommands[i])) << "command " << kMovieCommands[i];
    for (UINT nID : kAlwaysOn)
        EXPECT_TRUE(player.IsEnabled(nID)) << "command " << nID;
}

}  // namespace

TEST(ViewCommands, EnableStatesFollowTheMovieThroughItsStates)
{
    CTestFile file("states.avi");
    ASSERT_EQ("", WriteNumberedMovie(file.WidePath(), TenSeconds()));
    CPlayer player(L"/Открыть " + Quoted(file.WidePath()));
    ASSERT_TRUE(player.IsStarted());
    CPlayerView& view = player.View();
    const std::wstring strName = file.WidePath().substr(file.WidePath().rfind(L'\\') + 1);
    EXPECT_EQ(strName + L" - " + AfxLoadString(IDS_PLAYER_NAME), player.Frame().GetWindowText());

    ExpectEnabled(player, {"ready", true, true, true, false, false, true});
    player.Command(ID_PLAY_PLAYPAUSE);
    ASSERT_TRUE(player.AwaitStored(MS_PLAYING));
    ExpectEnabled(player, {"playing", true, true, false, true, true, false});

    // Navigation keys do nothing during playback.
    PumpUntil([&] { return player.Movie().GetPosition() > 200; });
    const int nBefore = player.Movie().GetPosition();
    player.Command(ID_PLAY_HOME);
    player.Command(ID_PLAY_STEPBACK);
    EXPECT_GE(player.Movie().GetPosition(), nBefore);
    EXPECT_EQ(MS_PLAYING, player.Movie().GetStoredState());

    player.Movie().m_bHeldForDrag = true;
    ExpectEnabled(player, {"held for a drag", true, true, true, false, false, false});
    player.Movie().m_bHeldForDrag = false;

    player.Command(ID_PLAY_PLAYPAUSE);
    ASSERT_TRUE(player.AwaitStored(MS_PAUSED));
    ExpectEnabled(player, {"paused", true, true, true, false, true, true});

    // After the pause they work again.
    player.Command(ID_PLAY_HOME);
    EXPECT_EQ(0, player.Movie().GetPosition());
    player.Command(ID_PLAY_STEPFORWARD);
    player.Command(ID_PLAY_STEPFORWARD);
    EXPECT_EQ(100, player.Movie().GetPosition());
    EXPECT_EQ(100, player.Frame().GetPosition());
    player.Command(ID_PLAY_STEPBACK);
    EXPECT_EQ(50, player.Frame().GetPosition());
    player.Command(ID_PLAY_FORWARD);
    EXPECT_EQ(1050, player.Frame().GetPosition());
    player.Command(ID_PLAY_BACK);
    player.Command(ID_PLAY_BACK);
    EXPECT_EQ(0, player.Frame().GetPosition());  // never before the start
    player.Command(ID_PLAY_END);
    EXPECT_EQ(player.Movie().GetLength(), player.Movie().GetPosition());

    // Stop while paused rewinds, and the frame shows the stopped state.
    player.Command(ID_PLAY_STOP);
    ASSERT_TRUE(player.AwaitStored(MS_STOPPED));
    EXPECT_EQ(0, player.Movie().GetPosition());
    EXPECT_EQ(EPlayState::PS_STOPPED, player.Frame().GetPlayState());
    ExpectEnabled(player, {"stopped", true, true, true, false, false, true});

    player.Command(ID_FILE_CLOSE);
    EXPECT_TRUE(view.m_strOpenFile.empty());
    EXPECT_EQ(-1, player.Frame().GetLength());
    EXPECT_EQ(AfxLoadString(IDS_PLAYER_NAME), player.Frame().GetWindowText());
    ExpectEnabled(player, {"closed", false, false, false, false, false, false});
}

TEST(ViewCommands, SoundOnlyMoviePlaysPausesAndStopsBehindTheBackground)
{
    CTestFile file("soundonly.avi");
    TrackCounterMovie movie;
    movie.nFrames = 44100 * 5;
    movie.bSoundOnly = true;
    ASSERT_EQ("", WriteTrackCounterMovie(file.Path(), movie));
    CPlayer player(L"/Открыть " + Quoted(file.WidePath()));
    ASSERT_TRUE(player.IsStarted());
    EXPECT_TRUE(player.Movie().m_bAudioOnly);
    EXPECT_FALSE(player.Movie().IsWindowVisible());
    ExpectEnabled(player, {"sound only", true, true, true, false, false, true});
    player.Command(ID_PLAY_PLAYPAUSE);
    ASSERT_TRUE(player.AwaitStored(MS_PLAYING));
    player.Command(ID_PLAY_PLAYPAUSE);
    ASSERT_TRUE(player.AwaitStored(MS_PAUSED));
    player.Command(ID_PLAY_STOP);
    ASSERT_TRUE(player.AwaitStored(MS_STOPPED));
    EXPECT_FALSE(player.Movie().IsWindowVisible());
}

// With no movie, the play keys start nothing: before they had an enable
// rule, Space began the worker, and with /E the program quit at once.
TEST(ViewCommands, PlayKeysWithoutAMovieStartNothing)
{
    CPlayer player(L"/E");
    ASSERT_TRUE(player.IsStarted());
    ExpectEnabled(player, {"no movie", false, false, false, false, false, false});
    for (UINT nID : {ID_PLAY_PLAYPAUSE, ID_PLAY_PLAY, ID_PLAY_STOP, ID_PLAY_END})
        player.Command(nID);
    PumpPending();
    EXPECT_EQ(TS_NEVER_BEGUN, player.Movie().GetThread().GetStatus());
    EXPECT_TRUE(::IsWindow(player.Frame().m_hWnd));
}

TEST(ViewCommands, RepeatFlipsTheOptionAndItsCheckMark)
{
    CPlayer player(L"");
    ASSERT_TRUE(player.IsStarted());
    for (int nRound = 0; nRound < 2; ++nRound) {
        const bool bOn = nRound == 0;
        player.Command(ID_PLAY_REPEAT);
        EXPECT_EQ(bOn, player.App().GetConfig().m_bRepeat != 0);
        EXPECT_EQ(bOn, (player.Movie().GetOptions() & MWO_REPEAT) != 0);
        EXPECT_EQ(bOn ? 1 : 0, player.CheckOf(ID_PLAY_REPEAT));
    }
}

TEST(ViewContextMenu, PlayMenuWithAlwaysOnTopOnlyForOptionAThenExit)
{
    for (const wchar_t* pszArguments : {L"", L"/A"}) {
        SCOPED_TRACE(pszArguments);
        CPlayer player(pszArguments);
        ASSERT_TRUE(player.IsStarted());
        CMenu popup = player.View().BuildContextMenu();
        ASSERT_TRUE(popup);
        std::vector<UINT> ids;
        for (int i = 0; i < ::GetMenuItemCount(popup.Get()); ++i)
            ids.push_back(::GetMenuItemID(popup.Get(), i));
        ASSERT_GE(ids.size(), 3u);
        EXPECT_EQ(static_cast<UINT>(ID_PLAY_PLAYPAUSE), ids.front());
        const bool bTopItem = std::find(ids.begin(), ids.end(), ID_VIEW_ALWAYSONTOP) != ids.end();
        EXPECT_EQ(std::wstring(pszArguments) == L"/A", bTopItem);
        EXPECT_EQ(0u, ids[ids.size() - 2]);  // a separator
        EXPECT_EQ(static_cast<UINT>(ID_APP_EXIT), ids.back());
        wchar_t szText[64] = {};
        ::GetMenuStringW(popup.Get(), ID_APP_EXIT, szText, 64, MF_BYCOMMAND);
        EXPECT_EQ(AfxLoadString(IDS_EXIT_ITEM), szText);
    }
}

// The delete keyword: the open movie goes when it is closed, when the
// program ends, when a failed open closes it, or once another movie has
// replaced it; only ever one file.
TEST(ViewDeletion, TheMovieGoesOnceInEachCaseAndNoSecondFile)
{
    enum EWay { CLOSE, EXIT, FAILED_OPEN, REPLACED, LARGE_CLOSE };
    for (EWay way : {CLOSE, EXIT, FAILED_OPEN, REPLACED, LARGE_CLOSE}) {
        SCOPED_TRACE(static_cast<int>(way));
        CTestFile first("first.avi");
        CTestFile second("second.avi");
        if (way == LARGE_CLOSE)
            ASSERT_EQ("", WriteLargeTrackMovie(first.Path(), 0));
        else
            ASSERT_EQ("", WriteNumberedMovie(first.WidePath(), CNumberedMovie{}));
        if (way == FAILED_OPEN) {
            std::FILE* pFile = std::fopen(second.Path().c_str(), "wb");
            ASSERT_NE(nullptr, pFile);
            std::fputs("not a movie", pFile);
            std::fclose(pFile);
        } else {
            ASSERT_EQ("", WriteNumberedMovie(second.WidePath(), CNumberedMovie{}));
        }
        {
            CPlayer player(L"/Открыть/Удалить " + Quoted(first.WidePath()));
            ASSERT_TRUE(player.IsStarted());
            ASSERT_EQ(first.WidePath(), player.View().m_strOpenFile);
            // Over 1 GiB: a warning, then the movie opens all the same.
            const std::vector<CMessageBoxRecord> boxes = player.Boxes();
            EXPECT_EQ(way == LARGE_CLOSE, !boxes.empty() && boxes[0].nIDPrompt == IDS_WARN_1GB);
            switch (way) {
            case CLOSE:
            case LARGE_CLOSE:
                player.Command(ID_FILE_CLOSE);
                break;
            case EXIT:
                break;
            case FAILED_OPEN:
            case REPLACED:
                player.View().ReplaceFile(second.WidePath());
                EXPECT_EQ(way == REPLACED, player.View().m_strOpenFile == second.WidePath());
                break;
            }
            if (way != EXIT) {
                EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(first.Wide()));
                EXPECT_EQ(0, player.App().GetConfig().m_bDeleteFile);
            }
            if (way != EXIT)
                player.Command(ID_FILE_CLOSE);  // the second is kept
        }
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(first.Wide()));
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(second.Wide()));
    }
}

TEST(ViewDeletion, AFileThatCannotBeDeletedStaysWithoutAMessage)
{
    CTestFile file("locked.avi");
    ASSERT_EQ("", WriteNumberedMovie(file.WidePath(), CNumberedMovie{}));
    CPlayer player(L"/Открыть/Удалить " + Quoted(file.WidePath()));
    ASSERT_TRUE(player.IsStarted());
    // Another program holds the file open without sharing its deletion.
    HANDLE hFile = ::CreateFileW(file.Wide(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
    player.Command(ID_FILE_CLOSE);
    ::CloseHandle(hFile);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(file.Wide()));
    EXPECT_EQ(0, player.App().GetConfig().m_bDeleteFile);
    EXPECT_TRUE(player.Boxes().empty());
}

// The frame fits a movie that fits the work area with a fixed border; a
// movie too wide or too tall gets a sizing border and the whole work area
// in that direction.
TEST(ViewFitFrame, FixedFrameForAFittingMovieAndTheWorkAreaForALargerOne)
{
    RECT rcWork{};
    ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0));
    const int nWorkWidth = rcWork.right - rcWork.left;
    const int nWorkHeight = rcWork.bottom - rcWork.top;
    struct FitCase {
        const char* pszName;
        int cx, cy;
    };
    for (const FitCase& c : {FitCase{"fits", 480, 360}, FitCase{"wider", nWorkWidth + 100, 200},
                             FitCase{"taller", 200, nWorkHeight + 100}}) {
        SCOPED_TRACE(c.pszName);
        CTestFile file("fit.avi");
        CNumberedMovie movie;
        movie.nWidth = c.cx;
        movie.nHeight = c.cy;
        movie.nFrames = 2;
        ASSERT_EQ("", WriteNumberedMovie(file.WidePath(), movie));
        CPlayer player(L"/Открыть " + Quoted(file.WidePath()));
        ASSERT_TRUE(player.IsStarted());
        const RECT rcFrame = player.Frame().GetWindowRect();
        const bool bSizing = (player.Frame().GetStyle() & WS_THICKFRAME) != 0;
        if (c.cx > nWorkWidth) {
            EXPECT_TRUE(bSizing);
            EXPECT_EQ(0, rcFrame.left);
            EXPECT_EQ(nWorkWidth, rcFrame.right - rcFrame.left);
            EXPECT_LT(rcFrame.bottom - rcFrame.top, nWorkHeight);
        } else if (c.cy > nWorkHeight) {
            EXPECT_TRUE(bSizing);
            EXPECT_EQ(0, rcFrame.top);
            EXPECT_EQ(nWorkHeight, rcFrame.bottom - rcFrame.top);
            EXPECT_LT(rcFrame.right - rcFrame.left, nWorkWidth);
        } else {
            // The view's client area is the movie at its natural size.
            EXPECT_FALSE(bSizing);
            const RECT rcView = player.View().GetClientRect();
            EXPECT_EQ(c.cx, rcView.right - rcView.left);
            EXPECT_EQ(c.cy, rcView.bottom - rcView.top);
        }
    }
}

// A double-click on the picture area maximizes the frame and another one
// restores it; with /D the picture does not act on the window.
TEST(ViewMouse, DoubleClickMaximizesUnlessThePictureMayNotDrag)
{
    for (const wchar_t* pszArguments : {L"", L"/D"}) {
        SCOPED_TRACE(pszArguments);
        CPlayer player(pszArguments);
        ASSERT_TRUE(player.IsStarted());
        const bool bDrags = std::wstring(pszArguments).empty();
        HWND hFrame = player.Frame().m_hWnd;
        for (bool bZoomed : {true, false}) {
            ::SendMessageW(player.View().m_hWnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 20));
            PumpUntil([&] { return (::IsZoomed(hFrame) != FALSE) == (bDrags && bZoomed); }, 2000);
            PumpPending();
            EXPECT_EQ(bDrags && bZoomed, ::IsZoomed(hFrame) != FALSE);
        }
    }
}

// Ctrl+O shows the Open dialog; the name typed there and confirmed opens
// and plays (playing at once is the default); a cancelled dialog leaves the
// movie as it was.
TEST(ViewOpenDialog, ConfirmedNameOpensAndPlaysCancelChangesNothing)
{
    CTestFile first("dialog_first.avi");
    CTestFile second("dialog_second.avi");
    ASSERT_EQ("", WriteNumberedMovie(first.WidePath(), TenSeconds()));
    ASSERT_EQ("", WriteNumberedMovie(second.WidePath(), TenSeconds()));
    CPlayer player(Quoted(first.WidePath()));
    ASSERT_TRUE(player.IsStarted());
    const std::wstring strTitle = AfxLoadString(IDS_OPEN_TITLE);
    {
        bool bCancelled = false;
        CFileDialogDriver driver([&] { bCancelled = CancelFileDialog(strTitle); });
        player.Command(ID_FILE_OPEN);
        driver.Join();
        EXPECT_TRUE(bCancelled);
        EXPECT_EQ(first.WidePath(), player.View().m_strOpenFile);
    }
    bool bDriven = false;
    CFileDialogDriver driver([&] { bDriven = DriveFileDialog(strTitle, second.WidePath()); });
    player.Command(ID_FILE_OPEN);
    driver.Join();
    ASSERT_TRUE(bDriven);
    EXPECT_EQ(second.WidePath(), player.View().m_strOpenFile);
    EXPECT_EQ(0, player.Movie().GetPosition());
    EXPECT_TRUE(PumpUntil(
        [&] { return player.Movie().GetStoredState() == MS_PLAYING && player.Movie().GetPosition() > 0; }));
    EXPECT_TRUE(player.Boxes().empty());
}
