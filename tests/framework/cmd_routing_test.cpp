// Command routing (view, then frame, then application), update handlers on
// opening a menu, and the rule that disabled commands are not carried out.
#include "test_frame.h"

namespace {

class CommandRoutingTest : public CWindowTest {
protected:
    void SetUp() override
    {
        m_app.m_pLog = &m_log;
        ASSERT_TRUE(m_frame.LoadFrame(IDR_TESTFRAME));
        m_app.m_pMainWnd = &m_frame;
    }

    void SendMenuCommand(UINT nID) { m_frame.SendMessage(WM_COMMAND, MAKEWPARAM(nID, 0), 0); }

    // Opens (as far as the frame can tell) popup nIndex of the menu bar.
    HMENU InitPopup(int nIndex)
    {
        HMENU hPopup = ::GetSubMenu(::GetMenu(m_frame.m_hWnd), nIndex);
        m_frame.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hPopup), MAKELPARAM(nIndex, FALSE));
        return hPopup;
    }

    // Runs the application's loop over a key posted to the frame.
    void PressKey(UINT nVirtualKey)
    {
        m_frame.PostMessage(WM_KEYDOWN, nVirtualKey, 1);
        ::PostQuitMessage(42);
        EXPECT_EQ(42, m_app.Run());
    }

    CCommandLog m_log;
    CTestApp m_app;
    CTestFrame m_frame{&m_log};
};

struct RouteCase {
    UINT nID;
    const char* pszExpected;  // who carries it out; null: nobody
};

TEST_F(CommandRoutingTest, FirstHandlerOnViewFrameApplicationRouteWins)
{
    const RouteCase cases[] = {
        {ID_ROUTE_ALL, "view"},
        {ID_ROUTE_FRAME_APP, "frame"},
        {ID_ROUTE_APP, "app"},
        {ID_ROUTE_NONE, nullptr},
    };
    for (const RouteCase& c : cases) {
        m_log.clear();
        SendMenuCommand(c.nID);
        CCommandLog expected;
        if (c.pszExpected != nullptr)
            expected.push_back(LogEntry(c.pszExpected, c.nID));
        EXPECT_EQ(expected, m_log) << "command " << c.nID;
    }
}

TEST_F(CommandRoutingTest, WithoutActiveViewFrameHandlesFirst)
{
    m_frame.SetActiveView(nullptr);
    SendMenuCommand(ID_ROUTE_ALL);
    EXPECT_EQ(CCommandLog{LogEntry("frame", ID_ROUTE_ALL)}, m_log);
}

TEST_F(CommandRoutingTest, MenuCommandDisabledByUpdateHandlerIsNotCarriedOut)
{
    SendMenuCommand(ID_TEST_GREY);
    SendMenuCommand(ID_TEST_CMDONLY);
    EXPECT_EQ(CCommandLog{LogEntry("frame", ID_TEST_CMDONLY)}, m_log);
}

TEST_F(CommandRoutingTest, OpeningPopupAppliesUpdateHandlersToItems)
{
    HMENU hPopup = InitPopup(0);

    auto state = [&](UINT nID) { return ::GetMenuState(hPopup, nID, MF_BYCOMMAND); };
    EXPECT_TRUE(state(ID_TEST_GREY) & MF_GRAYED);
    EXPECT_FALSE(state(ID_TEST_GREY) & MF_CHECKED);
    EXPECT_TRUE(state(ID_TEST_CHECK) & MF_CHECKED);
    EXPECT_FALSE(state(ID_TEST_CHECK) & MF_GRAYED);
    // A command handler on the route and no update handler: enabled.
    EXPECT_FALSE(state(ID_TEST_CMDONLY) & MF_GRAYED);
    // No handler of either kind anywhere: greyed.
    EXPECT_TRUE(state(ID_TEST_NOHANDLER) & MF_GRAYED);
    // Exit is handled by the application object.
    EXPECT_FALSE(state(ID_APP_EXIT) & MF_GRAYED);

    wchar_t szText[64] = L"";
    ::GetMenuStringW(hPopup, ID_TEST_TEXT, szText, 64, MF_BYCOMMAND);
    EXPECT_STREQ(L"New text\tF9", szText);
}

TEST_F(CommandRoutingTest, SubmenuItemIsUpdatedWithItsFirstItemAndKnowsIt)
{
    HMENU hPopup = InitPopup(0);
    const int nSubIndex = 6;
    ASSERT_NE(nullptr, ::GetSubMenu(hPopup, nSubIndex));

    EXPECT_TRUE(m_frame.m_bSubMenuSeen);
    EXPECT_TRUE(::GetMenuState(hPopup, nSubIndex, MF_BYPOSITION) & MF_GRAYED);

    // Opened itself, the submenu's first item is updated as an item.
    HMENU hSub = ::GetSubMenu(hPopup, nSubIndex);
    m_frame.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hSub), MAKELPARAM(nSubIndex, FALSE));
    EXPECT_FALSE(::GetMenuState(hSub, ID_TEST_SUBFIRST, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(CommandRoutingTest, SystemMenuIsLeftAlone)
{
    HMENU hPopup = ::GetSubMenu(::GetMenu(m_frame.m_hWnd), 0);
    m_frame.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hPopup), MAKELPARAM(0, TRUE));
    EXPECT_FALSE(::GetMenuState(hPopup, ID_TEST_NOHANDLER, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(CommandRoutingTest, EnabledAcceleratorRunsThroughMessageLoop)
{
    PressKey(VK_F5);
    EXPECT_EQ(CCommandLog{LogEntry("frame", ID_TEST_KEY_ENABLED)}, m_log);
}

TEST_F(CommandRoutingTest, DisabledAcceleratorIsNotCarriedOut)
{
    PressKey(VK_F6);
    EXPECT_TRUE(m_log.empty());
}

TEST_F(CommandRoutingTest, UnboundKeyIsNoCommand)
{
    PressKey(VK_F8);
    EXPECT_TRUE(m_log.empty());
}

TEST_F(CommandRoutingTest, AcceleratorWorksFromChildWindowThroughParents)
{
    // The key goes to the view; pre-translation walks up to the frame.
    m_frame.m_pView->PostMessage(WM_KEYDOWN, VK_F5, 1);
    ::PostQuitMessage(0);
    m_app.Run();
    EXPECT_EQ(CCommandLog{LogEntry("frame", ID_TEST_KEY_ENABLED)}, m_log);
}

}  // namespace
