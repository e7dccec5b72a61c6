// The main frame's bars as the options make them, the state and time
// panes, and the seek slider driven with the mouse: clicks, drags, and the
// keyboard focus that never stays on it.
#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "TestFile.h"
#include "ToolTipText.h"
#include "numbered_movies.h"
#include "player_fixture.h"
#include "resource.h"

namespace {

int PaneOf(CPlayer& player, UINT nID)
{
    return player.Frame().m_wndStatusBar.CommandToIndex(nID);
}

std::wstring PaneText(CPlayer& player, UINT nID)
{
    return player.Frame().m_wndStatusBar.GetPaneText(PaneOf(player, nID));
}

bool IsShown(const CToolBar& bar, UINT nID)
{
    const int nIndex = bar.CommandToIndex(nID);
    return nIndex >= 0 && !bar.IsButtonHidden(nIndex);
}

int WidthOf(const CWnd& wnd)
{
    const RECT rc = wnd.GetWindowRect();
    return rc.right - rc.left;
}

// The slider's client point over position nPos of its channel.
POINT SliderPoint(const CSliderCtrl& slider, int nPos)
{
    RECT rcChannel{};
    RECT rcThumb{};
    slider.SendMessage(TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&rcChannel));
    slider.SendMessage(TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&rcThumb));
    const int nThumb = rcThumb.right - rcThumb.left;
    const int nRange = slider.GetRangeMax() - slider.GetRangeMin();
    const int x = rcChannel.left + nThumb / 2 +
                  ::MulDiv(nPos - slider.GetRangeMin(), rcChannel.right - rcChannel.left - nThumb, nRange);
    return POINT{x, (rcChannel.top + rcChannel.bottom) / 2};
}

}  // namespace

TEST(FrameBars, TimeTextIsMinutesAndSecondsOfPositionAndLength)
{
    EXPECT_EQ(L"01:01/62:05", CMainFrame::TimeText(61999, 3725000));
    EXPECT_EQ(L"00:00/00:00", CMainFrame::TimeText(0, 0));
    EXPECT_EQ(L"100:00/101:40", CMainFrame::TimeText(6000000, 6100000));  // minutes are not cut
    EXPECT_EQ(L"", CMainFrame::TimeText(0, -1));
}

TEST(FrameBars, OptionsDecideWhichBarsAndButtonsThereAre)
{
    struct Case {
        const wchar_t* pszArguments;
        bool bToolBar, bExit, bStatusBar;
    };
    for (const Case& c :
         {Case{L"", true, false, true}, Case{L"/T/M", true, true, true}, Case{L"/T", true, false, true},
          Case{L"/TB", false, false, true}, Case{L"/S", true, false, false}}) {
        SCOPED_TRACE(c.pszArguments);
        CPlayer player(c.pszArguments);
        ASSERT_TRUE(player.IsStarted());
        CMainFrame& frame = player.Frame();
        EXPECT_EQ(c.bToolBar, frame.m_wndToolBar.m_hWnd != nullptr);
        EXPECT_EQ(c.bToolBar, frame.m_wndToolBar.m_wndSlider.m_hWnd != nullptr);
        EXPECT_EQ(c.bStatusBar, frame.m_wndStatusBar.m_hWnd != nullptr);
        if (c.bToolBar) {
            const CVideoToolBar& bar = frame.m_wndToolBar;
            EXPECT_EQ(c.bExit, IsShown(bar, ID_APP_EXIT));
            EXPECT_EQ(c.bExit, IsShown(bar, ID_SEPARATOR_EXIT));
            // The volume button is there with the system volume (the test
            // world has one; the no-sound run has none).
            EXPECT_EQ(frame.m_volume.IsOpen(), IsShown(bar, ID_VOLUME_POPUP));
            EXPECT_EQ(frame.m_volume.IsOpen(), IsShown(bar, ID_SEPARATOR_VOLUME));
            EXPECT_EQ(ID_SEEK_SLIDER, bar.m_wndSlider.GetDlgCtrlID());
            // The slider takes what the buttons leave: it ends where the
            // next shown item begins, and the last one ends the bar.
            RECT rcSlider = bar.m_wndSlider.GetWindowRect();
            ::MapWindowPoints(nullptr, bar.m_hWnd, reinterpret_cast<POINT*>(&rcSlider), 2);
            const RECT rcBar = bar.GetClientRect();
            LONG nNextLeft = rcBar.right;
            LONG nLastRight = rcSlider.right;
            for (UINT nID : {ID_SEPARATOR_VOLUME, ID_VOLUME_POPUP, ID_SEPARATOR_EXIT, ID_APP_EXIT}) {
                if (!IsShown(bar, nID))
                    continue;
                RECT rc{};
                bar.GetItemRect(bar.CommandToIndex(nID), &rc);
                nNextLeft = std::min(nNextLeft, rc.left);
                nLastRight = std::max(nLastRight, rc.right);
            }
            EXPECT_EQ(nNextLeft, rcSlider.right);
            EXPECT_EQ(rcBar.right, nLastRight);
        }
        if (c.bStatusBar) {
            EXPECT_EQ(0, PaneOf(player, ID_SEPARATOR));
            EXPECT_EQ(1, PaneOf(player, ID_INDICATOR_STATE));
            EXPECT_EQ(2, PaneOf(player, ID_INDICATOR_TIME));
        }
    }
}

TEST(FrameBars, StatePaneShowsEveryStateAtOnceAndTimePaneTheMovieTime)
{
    CPlayer player(L"");
    ASSERT_TRUE(player.IsStarted());
    CMainFrame& frame = player.Frame();
    struct Row {
        EPlayState state;
        UINT nID;
    };
    for (const Row& row :
         {Row{EPlayState::PS_STOPPED, IDS_STATE_STOPPED}, Row{EPlayState::PS_PAUSED, IDS_STATE_PAUSED},
          Row{EPlayState::PS_PLAYING, IDS_STATE_PLAYING}, Row{EPlayState::PS_SEEKING, IDS_STATE_SEEKING},
          Row{EPlayState::PS_NONE, 0}}) {
        frame.SetPlayState(row.state);  // no idle time in between
        EXPECT_EQ(row.nID != 0 ? AfxLoadString(row.nID) : L"", PaneText(player, ID_INDICATOR_STATE));
    }
    frame.SetLength(3725000);
    frame.SetPosition(61999);
    EXPECT_EQ(3725000, frame.m_wndToolBar.m_wndSlider.GetRangeMax());
    EXPECT_EQ(61999, frame.m_wndToolBar.m_wndSlider.GetPos());
    frame.SetPlayState(EPlayState::PS_PAUSED);
    EXPECT_EQ(L"01:01/62:05", PaneText(player, ID_INDICATOR_TIME));
    frame.SetLength(-1);
    frame.SetPlayState(EPlayState::PS_NONE);
    EXPECT_EQ(L"", PaneText(player, ID_INDICATOR_TIME));
    EXPECT_EQ(0, frame.m_wndToolBar.m_wndSlider.GetRangeMax());
}

TEST(FrameBars, WithoutAToolbarTheValuesAreOnlyKept)
{
    CPlayer player(L"/TB");
    ASSERT_TRUE(player.IsStarted());
    CMainFrame& frame = player.Frame();
    const std::wstring strBefore = PaneText(player, ID_INDICATOR_STATE);
    frame.SetPlayState(EPlayState::PS_PLAYING);
    frame.SetLength(5000);
    frame.SetPosition(1000);
    EXPECT_EQ(EPlayState::PS_PLAYING, frame.GetPlayState());
    EXPECT_EQ(5000, frame.GetLength());
    EXPECT_EQ(1000, frame.GetPosition());
    EXPECT_EQ(strBefore, PaneText(player, ID_INDICATOR_STATE));  // no update forced
    EXPECT_EQ(0.0f, frame.GetMsPerPixel());
}

TEST(FrameBars, SliderWidensAsTheFrameWidens)
{
    CPlayer player(L"");
    ASSERT_TRUE(player.IsStarted());
    CMainFrame& frame = player.Frame();
    const int nSlider = WidthOf(frame.m_wndToolBar.m_wndSlider);
    const RECT rc = frame.GetWindowRect();
    const int nMore = 137;
    frame.SetWindowPos(nullptr, 0, 0, rc.right - rc.left + nMore, rc.bottom - rc.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(nSlider + nMore, WidthOf(frame.m_wndToolBar.m_wndSlider));
}

// A click on the channel seeks the movie there; a drag holds playback
// with preview seeks and lets it go on at the release; the focus goes back
// to the main window every time.
TEST(FrameSlider, ClickAndDragSeekAndLeaveTheFocusWithTheFrame)
{
    CTestFile file("slider.avi");
    CNumberedMovie movie;
    movie.nFrames = 200;  // 10 s
    ASSERT_EQ("", WriteNumberedMovie(file.WidePath(), movie));
    CPlayer player(L"/Открыть \"" + file.WidePath() + L"\"");
    ASSERT_TRUE(player.IsStarted());
    CMainFrame& frame = player.Frame();
    CVideoSliderCtrl& slider = frame.m_wndToolBar.m_wndSlider;
    ASSERT_EQ(player.Movie().GetLength(), slider.GetRangeMax());
    ::SetFocus(frame.m_hWnd);

    const POINT ptClick = SliderPoint(slider, 6000);
    slider.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(ptClick.x, ptClick.y));
    slider.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(ptClick.x, ptClick.y));
    PumpPending();
    EXPECT_NEAR(6000, player.Movie().GetPosition(), 100);
    EXPECT_NE(slider.m_hWnd, ::GetFocus());
    EXPECT_FALSE(slider.m_bJumped);  // the seek took it

    // The keys work at once.
    player.Command(ID_PLAY_HOME);
    EXPECT_EQ(0, player.Movie().GetPosition());

    // A drag during playback.
    player.Command(ID_PLAY_PLAYPAUSE);
    ASSERT_TRUE(player.AwaitStored(MS_PLAYING));
    const POINT ptThumb = SliderPoint(slider, slider.GetPos());
    slider.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(ptThumb.x, ptThumb.y));
    for (int nPos : {2000, 4000, 5000}) {
        const POINT pt = SliderPoint(slider, nPos);
        slider.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        EXPECT_TRUE(player.Movie().m_bHeldForDrag);
        EXPECT_NEAR(nPos, player.Movie().GetPosition(), 100);
    }
    const POINT ptEnd = SliderPoint(slider, 5000);
    slider.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(ptEnd.x, ptEnd.y));
    EXPECT_FALSE(player.Movie().m_bHeldForDrag);
    EXPECT_TRUE(player.AwaitStored(MS_PLAYING));
    EXPECT_NE(slider.m_hWnd, ::GetFocus());
}

// The toolbar's tooltips are the second part of each command's string.
TEST(FrameBars, ButtonTooltipsComeFromTheStringTable)
{
    CPlayer player(L"");
    ASSERT_TRUE(player.IsStarted());
    CVideoToolBar& bar = player.Frame().m_wndToolBar;
    HWND hTips = bar.GetToolTips();
    ASSERT_NE(nullptr, hTips);
    for (UINT nID : {ID_PLAY_PLAY, ID_PLAY_PAUSE, ID_PLAY_STOP, ID_PLAY_HOME, ID_PLAY_END}) {
        const std::wstring strString = AfxLoadString(nID);
        ASSERT_NE(std::wstring::npos, strString.find(L'\n'));
        EXPECT_EQ(strString.substr(strString.find(L'\n') + 1), ToolTipText(hTips, bar.m_hWnd, nID)) << nID;
    }
}

// What one slider pixel stands for follows the movie's length even when a
// new movie leaves the window's size as it was.
TEST(FrameBars, GranularityFollowsANewLengthWithoutAResize)
{
    CTestFile file("granularity.avi");
    CNumberedMovie movie;
    movie.nFrames = 200;
    ASSERT_EQ("", WriteNumberedMovie(file.WidePath(), movie));
    CPlayer player(L"/Открыть");
    ASSERT_TRUE(player.IsStarted());
    const RECT rcBefore = player.Frame().GetWindowRect();
    player.View().ReplaceFile(file.WidePath());
    const RECT rcAfter = player.Frame().GetWindowRect();
    ASSERT_EQ(rcBefore.right - rcBefore.left,
              rcAfter.right - rcAfter.left);  // the small movie fits as before
    EXPECT_GT(player.Frame().GetMsPerPixel(), 0.0f);
    EXPECT_EQ(player.Frame().GetMsPerPixel(), player.Movie().m_fNotifyGranularity.load());
}
