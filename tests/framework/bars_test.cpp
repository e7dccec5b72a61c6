// The toolbar and the status bar on the common controls, in a frame: items
// from the resources, layout, idle update, clicks, tooltips and fly-by
// prompts in the message pane.
#include <algorithm>

#include "MessagePump.h"
#include "test_frame.h"
#include "ToolTipText.h"

namespace {

const UINT TEST_INDICATORS[] = {ID_SEPARATOR, ID_INDICATOR_SHORT, ID_INDICATOR_LONG, ID_INDICATOR_OFF};

RECT ChildRect(HWND hWnd)
{
    RECT rc{};
    ::GetWindowRect(hWnd, &rc);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hWnd), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

std::string RectText(const RECT& rc)
{
    return "(" + std::to_string(rc.left) + "," + std::to_string(rc.top) + ")-(" + std::to_string(rc.right) +
           "," + std::to_string(rc.bottom) + ")";
}

bool SameRect(const RECT& a, const RECT& b)
{
    return ::EqualRect(&a, &b) != FALSE;
}

int Width(const RECT& rc)
{
    return rc.right - rc.left;
}

// Text the control shows in a pane (not the text the bar keeps).
std::wstring ShownText(const CStatusBar& bar, int nIndex)
{
    wchar_t szText[256] = L"";
    const auto nLength = LOWORD(bar.SendMessage(SB_GETTEXTLENGTHW, static_cast<WPARAM>(nIndex)));
    if (nLength >= 256)
        return L"<too long>";
    bar.SendMessage(SB_GETTEXTW, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(szText));
    return szText;
}

class BarsTest : public CWindowTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_frame.LoadFrame(IDR_TESTFRAME));
        ASSERT_TRUE(m_toolBar.CreateEx(&m_frame, TBSTYLE_FLAT,
                                       WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS | CBRS_FLYBY));
        ASSERT_TRUE(m_toolBar.LoadToolBar(IDR_TESTBAR));
        ASSERT_TRUE(m_statusBar.Create(&m_frame, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM));
        ASSERT_TRUE(m_statusBar.SetIndicators(TEST_INDICATORS, 4));
        Resize(400);
    }

    void Resize(int cx) { m_frame.SetWindowPos(nullptr, 0, 0, cx, 300, SWP_NOZORDER | SWP_NOACTIVATE); }

    bool Logged(UINT nID) const
    {
        return std::find(m_log.begin(), m_log.end(), LogEntry("frame", nID)) != m_log.end();
    }

    // A click with the left button at the centre of toolbar item nIndex.
    void PostClick(int nIndex)
    {
        RECT rc;
        m_toolBar.GetItemRect(nIndex, &rc);
        const LPARAM lParam = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        m_toolBar.PostMessage(WM_MOUSEMOVE, 0, lParam);
        m_toolBar.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, lParam);
        m_toolBar.PostMessage(WM_LBUTTONUP, 0, lParam);
    }

    bool IsEnabled(UINT nID) const { return m_toolBar.SendMessage(TB_ISBUTTONENABLED, nID) != 0; }

    CCommandLog m_log;
    CTestApp m_app;
    CTestFrame m_frame{&m_log};
    CToolBar m_toolBar;
    CStatusBar m_statusBar;
};

TEST_F(BarsTest, ToolBarHasTheResourceItemsInOrder)
{
    struct {
        UINT nID;
        UINT nStyle;
        int iImage;  // -1: a separator, whose image is its width
    } const expected[] = {
        {ID_BAR_RUN, TBBS_BUTTON, 0},        {ID_TEST_GREY, TBBS_BUTTON, 1},
        {ID_SEPARATOR, TBBS_SEPARATOR, -1},  {ID_TEST_CHECK, TBBS_BUTTON, 2},
        {ID_TEST_NOHANDLER, TBBS_BUTTON, 3},
    };
    ASSERT_EQ(5, m_toolBar.GetCount());
    for (int i = 0; i < 5; ++i) {
        UINT nID = 0, nStyle = 0;
        int iImage = 0;
        m_toolBar.GetButtonInfo(i, nID, nStyle, iImage);
        EXPECT_EQ(expected[i].nID, nID) << i;
        EXPECT_EQ(expected[i].nID, m_toolBar.GetItemID(i)) << i;
        EXPECT_EQ(expected[i].nStyle, LOWORD(nStyle)) << i;
        EXPECT_EQ(0u, nStyle & TBBS_DISABLED) << i;
        if (expected[i].iImage >= 0) {
            EXPECT_EQ(expected[i].iImage, iImage) << i;
            EXPECT_EQ(i, m_toolBar.CommandToIndex(nID));
        }
        RECT rc;
        m_toolBar.GetItemRect(i, &rc);
        EXPECT_FALSE(::IsRectEmpty(&rc)) << i;
    }
    EXPECT_EQ(-1, m_toolBar.CommandToIndex(ID_ROUTE_NONE));
    EXPECT_EQ(0u, m_toolBar.GetItemID(5));

    // Buttons are the image plus 7 both ways.
    RECT rcRun;
    m_toolBar.GetItemRect(0, &rcRun);
    EXPECT_EQ(16 + 7, Width(rcRun));
    EXPECT_EQ(15 + 7, rcRun.bottom - rcRun.top);

    // Resources that are no layout of ours.
    struct {
        UINT nIDResource;
        bool bLoads;
        std::vector<UINT> items;
    } const layouts[] = {
        {IDR_TESTBAR_SHORT, false, {}},
        {IDR_TESTBAR_WINDRES, false, {}},
        {IDB_TESTEXTRA, false, {}},  // a bitmap only
        {IDR_TESTFRAME, false, {}},  // a menu only
    };
    for (const auto& layout : layouts) {
        CToolBar other;
        ASSERT_TRUE(other.CreateEx(&m_frame));
        EXPECT_EQ(layout.bLoads, other.LoadToolBar(layout.nIDResource)) << layout.nIDResource;
        std::vector<UINT> items;
        for (int i = 0; i < other.GetCount(); ++i)
            items.push_back(other.GetItemID(i));
        EXPECT_EQ(layout.items, items) << layout.nIDResource;
    }
}

TEST_F(BarsTest, ButtonInfoMakesSeparatorsOfGivenWidthAndHidesItems)
{
    const int nCheck = m_toolBar.CommandToIndex(ID_TEST_CHECK);
    for (int cxSeparator : {40, 123, 7}) {
        m_toolBar.SetButtonInfo(nCheck, ID_BAR_NEWSEP, TBBS_SEPARATOR, cxSeparator);
        RECT rc;
        m_toolBar.GetItemRect(nCheck, &rc);
        EXPECT_EQ(cxSeparator, Width(rc));
        EXPECT_EQ(ID_BAR_NEWSEP, m_toolBar.GetItemID(nCheck));
        EXPECT_EQ(nCheck, m_toolBar.CommandToIndex(ID_BAR_NEWSEP));
        EXPECT_EQ(TBBS_SEPARATOR, m_toolBar.GetButtonStyle(nCheck));
    }
    // And back to a button with its image.
    m_toolBar.SetButtonInfo(nCheck, ID_TEST_CHECK, TBBS_BUTTON, 2);
    RECT rcButton;
    m_toolBar.GetItemRect(nCheck, &rcButton);
    EXPECT_EQ(16 + 7, Width(rcButton));

    // A hidden item takes no room: the next one moves into its place.
    RECT rcFirst, rcSecond;
    m_toolBar.GetItemRect(0, &rcFirst);
    m_toolBar.HideButton(0);
    EXPECT_TRUE(m_toolBar.IsButtonHidden(0));
    EXPECT_FALSE(m_toolBar.IsButtonHidden(1));
    RECT rcHidden;
    m_toolBar.GetItemRect(0, &rcHidden);
    EXPECT_TRUE(::IsRectEmpty(&rcHidden));
    m_toolBar.GetItemRect(1, &rcSecond);
    EXPECT_EQ(rcFirst.left, rcSecond.left);
    m_toolBar.HideButton(0, false);
    EXPECT_FALSE(m_toolBar.IsButtonHidden(0));
    m_toolBar.GetItemRect(1, &rcSecond);
    EXPECT_EQ(rcFirst.right, rcSecond.left);
}

TEST_F(BarsTest, FrameLaysOutToolBarOnTopStatusBarBelowAndViewBetween)
{
    const RECT rc = m_frame.GetClientRect();
    const int cyTool = m_toolBar.CalcHeight(rc.right);
    const int cyStatus = m_statusBar.CalcHeight(rc.right);
    RECT rcButton;
    m_toolBar.GetItemRect(0, &rcButton);
    EXPECT_GE(cyTool, rcButton.bottom + 2);  // buttons and the bottom border
    EXPECT_GT(cyStatus, 10);

    struct {
        HWND hWnd;
        RECT rc;
    } const expected[] = {
        {m_toolBar.m_hWnd, {0, 0, rc.right, cyTool}},
        {m_statusBar.m_hWnd, {0, rc.bottom - cyStatus, rc.right, rc.bottom}},
        {m_frame.m_pView->m_hWnd, {0, cyTool, rc.right, rc.bottom - cyStatus}},
    };
    for (const auto& item : expected)
        EXPECT_TRUE(SameRect(item.rc, ChildRect(item.hWnd))) << RectText(ChildRect(item.hWnd));

    // Hidden bars take no room.
    m_toolBar.ShowWindow(SW_HIDE);
    m_statusBar.ShowWindow(SW_HIDE);
    m_frame.RecalcLayout();
    EXPECT_TRUE(SameRect(rc, ChildRect(m_frame.m_pView->m_hWnd)))
        << RectText(ChildRect(m_frame.m_pView->m_hWnd));
}

TEST_F(BarsTest, IdleUpdateSetsButtonStatesAndOnlyEnabledButtonsClick)
{
    m_frame.SendMessage(WM_IDLEUPDATECMDUI);
    EXPECT_TRUE(IsEnabled(ID_BAR_RUN));
    EXPECT_FALSE(IsEnabled(ID_TEST_GREY));       // its update handler
    EXPECT_FALSE(IsEnabled(ID_TEST_NOHANDLER));  // no handler anywhere
    EXPECT_TRUE(IsEnabled(ID_TEST_CHECK));
    EXPECT_NE(0, m_toolBar.SendMessage(TB_ISBUTTONCHECKED, ID_TEST_CHECK));
    EXPECT_NE(0u, m_toolBar.GetButtonStyle(1) & TBBS_DISABLED);
    EXPECT_EQ(TBBS_SEPARATOR, m_toolBar.GetButtonStyle(2));  // separators untouched

    // The disabled button's click comes first; when the enabled one's
    // command has arrived, the first has been handled too.
    PostClick(m_toolBar.CommandToIndex(ID_TEST_GREY));
    PostClick(m_toolBar.CommandToIndex(ID_BAR_RUN));
    EXPECT_TRUE(PumpUntil([this] { return Logged(ID_BAR_RUN); }));
    EXPECT_FALSE(Logged(ID_TEST_GREY));

    // A click that the control lets through while the command's handler
    // disables it (before the next idle update) is not carried out either.
    m_toolBar.SendMessage(TB_ENABLEBUTTON, ID_TEST_GREY, MAKELPARAM(TRUE, 0));
    m_frame.SendMessage(WM_COMMAND, MAKEWPARAM(ID_TEST_GREY, BN_CLICKED),
                        reinterpret_cast<LPARAM>(m_toolBar.m_hWnd));
    EXPECT_FALSE(Logged(ID_TEST_GREY));
}

TEST_F(BarsTest, ToolTipIsTheTextAfterTheLineBreakAndImagesAppend)
{
    HWND hTips = m_toolBar.GetToolTips();
    ASSERT_NE(nullptr, hTips);
    struct {
        UINT nID;
        const wchar_t* pszTip;
    } const cases[] = {{ID_BAR_RUN, L"Run"}, {ID_TEST_GREY, L"Grey tip"}, {ID_TEST_CHECK, L""}};
    for (const auto& c : cases)
        EXPECT_EQ(std::wstring(c.pszTip), ToolTipText(hTips, m_toolBar.m_hWnd, c.nID)) << c.nID;

    // Four images loaded: the appended ones come after them.
    EXPECT_EQ(4, m_toolBar.AddBitmapImages(::GetModuleHandleW(nullptr), IDB_TESTEXTRA, 2));
    EXPECT_EQ(6, m_toolBar.AddBitmapImages(::GetModuleHandleW(nullptr), IDB_TESTEXTRA, 2));
    EXPECT_EQ(-1, m_toolBar.AddBitmapImages(::GetModuleHandleW(nullptr), 999, 2));
}

TEST_F(BarsTest, StatusPanesTakeTheWidthOfTheirStringsAndTheStretchPaneTheRest)
{
    // A message pane is a quarter of the screen wide and more; this one
    // only what the indicators leave, as the player's is.
    UINT nID, nStyle;
    int cxMessage;
    m_statusBar.GetPaneInfo(0, nID, nStyle, cxMessage);
    EXPECT_EQ(static_cast<UINT>(SBPS_STRETCH | SBPS_NOBORDERS), nStyle);
    EXPECT_EQ(::GetSystemMetrics(SM_CXSCREEN) / 4, cxMessage);
    m_statusBar.SetPaneInfo(0, ID_SEPARATOR, SBPS_STRETCH | SBPS_NOBORDERS, 0);

    RECT rcShort, rcLong, rcOff, rcMessage;
    m_statusBar.GetItemRect(0, &rcMessage);
    m_statusBar.GetItemRect(1, &rcShort);
    m_statusBar.GetItemRect(2, &rcLong);
    m_statusBar.GetItemRect(3, &rcOff);
    int cxShort, cxLong;
    m_statusBar.GetPaneInfo(1, nID, nStyle, cxShort);
    m_statusBar.GetPaneInfo(2, nID, nStyle, cxLong);
    // The longer string, the wider pane, by as much as its text is wider.
    EXPECT_GT(cxLong, cxShort);
    EXPECT_EQ(cxLong - cxShort, Width(rcLong) - Width(rcShort));
    EXPECT_LT(rcMessage.right, rcShort.left);
    EXPECT_LT(rcLong.right, rcOff.left);

    // Widening the frame widens the stretching pane only.
    Resize(400 + 57);
    RECT rcShort2, rcMessage2;
    m_statusBar.GetItemRect(1, &rcShort2);
    m_statusBar.GetItemRect(0, &rcMessage2);
    EXPECT_EQ(Width(rcMessage) + 57, Width(rcMessage2));
    EXPECT_EQ(Width(rcShort), Width(rcShort2));

    // A fixed pane instead: the message pane keeps its width.
    m_statusBar.SetPaneInfo(0, ID_SEPARATOR, SBPS_NOBORDERS, 100);
    m_statusBar.GetItemRect(0, &rcMessage);
    Resize(400);
    m_statusBar.GetItemRect(0, &rcMessage2);
    EXPECT_EQ(Width(rcMessage), Width(rcMessage2));
    EXPECT_EQ(100 + 6, Width(rcMessage2));
}

TEST_F(BarsTest, PaneTextsFromCallsAndFromUpdateHandlers)
{
    // Indicators start with their strings, the message pane with the
    // frame's idle prompt.
    EXPECT_EQ(L"Готово", m_statusBar.GetPaneText(0));
    EXPECT_EQ(L"XX", m_statusBar.GetPaneText(1));
    EXPECT_EQ(L"Off", ShownText(m_statusBar, 3));
    EXPECT_EQ(2, m_statusBar.CommandToIndex(ID_INDICATOR_LONG));
    EXPECT_EQ(-1, m_statusBar.CommandToIndex(ID_BAR_RUN));

    EXPECT_TRUE(m_statusBar.SetPaneText(2, L"long text"));
    EXPECT_EQ(L"long text", m_statusBar.GetPaneText(2));
    EXPECT_EQ(L"long text", ShownText(m_statusBar, 2));
    EXPECT_FALSE(m_statusBar.SetPaneText(4, L"none"));
    EXPECT_EQ(L"", m_statusBar.GetPaneText(-1));

    m_frame.m_strShortPane = L"00:12/01:00";
    m_frame.SendMessage(WM_IDLEUPDATECMDUI);
    EXPECT_EQ(L"00:12/01:00", ShownText(m_statusBar, 1));  // its update handler
    EXPECT_EQ(L"long text", ShownText(m_statusBar, 2));    // no handler: left alone
    EXPECT_EQ(L"", ShownText(m_statusBar, 3));             // disabled: no text shown
    EXPECT_EQ(L"Off", m_statusBar.GetPaneText(3));         // but kept
    EXPECT_NE(0u, m_statusBar.GetPaneStyle(3) & SBPS_DISABLED);

    // The frame's message text goes to the message pane.
    m_frame.SetMessageText(L"message");
    EXPECT_EQ(L"message", ShownText(m_statusBar, 0));
    m_frame.SetMessageText(ID_TEST_GREY);
    EXPECT_EQ(L"Grey prompt", m_statusBar.GetPaneText(0));
    EXPECT_EQ(L"Grey prompt", m_statusBar.GetWindowText());
}

TEST_F(BarsTest, MenuItemUnderTheMouseShowsItsPromptUntilTheMenuCloses)
{
    HMENU hMenu = ::CreatePopupMenu();
    ::AppendMenuW(hMenu, MF_STRING, ID_TEST_GREY, L"Grey");
    const WPARAM wSelect = MAKEWPARAM(ID_TEST_GREY, MF_STRING);
    m_frame.SendMessage(WM_MENUSELECT, wSelect, reinterpret_cast<LPARAM>(hMenu));
    EXPECT_EQ(L"Grey prompt", m_statusBar.GetPaneText(0));
    m_frame.SendMessage(WM_MENUSELECT, MAKEWPARAM(0, MF_SEPARATOR), reinterpret_cast<LPARAM>(hMenu));
    EXPECT_EQ(L"Готово", m_statusBar.GetPaneText(0));
    m_frame.SendMessage(WM_MENUSELECT, wSelect, reinterpret_cast<LPARAM>(hMenu));
    m_frame.SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);  // the menu closed
    EXPECT_EQ(L"Готово", m_statusBar.GetPaneText(0));
    ::DestroyMenu(hMenu);
}

TEST_F(BarsTest, FlyByPromptShowsWhileTheMouseIsOverAButton)
{
    m_frame.ShowWindow(SW_SHOWNORMAL);
    m_frame.UpdateWindow();
    auto centreOnScreen = [](HWND hWnd, const RECT& rc) {
        POINT pt{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
        ::ClientToScreen(hWnd, &pt);
        return pt;
    };
    struct {
        UINT nID;
        const wchar_t* pszPrompt;
    } const cases[] = {{ID_BAR_RUN, L"Run the test"}, {ID_TEST_CHECK, L"Check prompt"}};
    for (const auto& c : cases) {
        RECT rc;
        m_toolBar.GetItemRect(m_toolBar.CommandToIndex(c.nID), &rc);
        const POINT pt = centreOnScreen(m_toolBar.m_hWnd, rc);
        ::SetCursorPos(pt.x, pt.y);
        EXPECT_TRUE(PumpUntil([&] { return m_statusBar.GetPaneText(0) == c.pszPrompt; }, 5000))
            << c.nID << ": "
            << std::string(m_statusBar.GetPaneText(0).begin(), m_statusBar.GetPaneText(0).end());

        // Off the bar, the idle prompt comes back.
        const POINT ptView = centreOnScreen(m_frame.m_pView->m_hWnd, m_frame.m_pView->GetClientRect());
        ::SetCursorPos(ptView.x, ptView.y);
        EXPECT_TRUE(PumpUntil([&] { return m_statusBar.GetPaneText(0) == L"Готово"; }, 5000));
    }
}

}  // namespace
