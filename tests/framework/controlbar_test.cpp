// Control bars in a frame: laid out on their sides with the view in the
// rest, and their items updated at idle time through the command route.
#include <map>

#include "test_frame.h"

namespace {

// A plain bar of fixed height whose items are command ids; it records the
// state the update handlers gave each item.
class CTestBar : public CControlBar {
public:
    CTestBar(int nHeight, DWORD dwAlign, std::vector<UINT> items)
        : m_nHeight(nHeight), m_items(std::move(items))
    {
        SetBarStyle(dwAlign);
    }

    bool CreateIn(CFrameWnd& frame)
    {
        if (!Create(L"STATIC", L"", WS_VISIBLE, RECT{0, 0, 10, 10}, &frame, 0xE000 + m_nHeight))
            return false;
        frame.AddControlBar(this);
        return true;
    }

    int CalcHeight(int) override { return m_nHeight; }

    void OnUpdateCmdUI(CCmdTarget* pTarget, bool bDisableIfNoHandler) override
    {
        for (UINT nID : m_items) {
            CCmdUI state(nID);
            state.DoUpdate(pTarget, bDisableIfNoHandler);
            m_states[nID] = state;
        }
    }

    std::map<UINT, CCmdUI> m_states;

private:
    int m_nHeight;
    std::vector<UINT> m_items;
};

RECT ChildRect(HWND hWnd)
{
    RECT rc{};
    ::GetWindowRect(hWnd, &rc);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hWnd), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

void ExpectRect(const RECT& expected, HWND hWnd, const char* pszWhat)
{
    const RECT rc = ChildRect(hWnd);
    EXPECT_TRUE(rc.left == expected.left && rc.top == expected.top && rc.right == expected.right &&
                rc.bottom == expected.bottom)
        << pszWhat << ": (" << rc.left << "," << rc.top << ")-(" << rc.right << "," << rc.bottom << ")";
}

class ControlBarTest : public CWindowTest {
protected:
    CCommandLog m_log;
    CTestApp m_app;
};

TEST_F(ControlBarTest, BarsTakeTheirSidesInOrderAndTheViewTheRest)
{
    CTestFrame frame(&m_log);
    ASSERT_TRUE(frame.LoadFrame(IDR_TESTFRAME));
    CTestBar top1(20, CBRS_ALIGN_TOP, {}), top2(7, CBRS_ALIGN_TOP, {}), bottom(15, CBRS_ALIGN_BOTTOM, {});
    ASSERT_TRUE(top1.CreateIn(frame) && top2.CreateIn(frame) && bottom.CreateIn(frame));
    frame.SetWindowPos(nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT rc = frame.GetClientRect();
    const LONG w = rc.right, h = rc.bottom;
    ExpectRect({0, 0, w, 20}, top1.m_hWnd, "first top bar");
    ExpectRect({0, 20, w, 27}, top2.m_hWnd, "second top bar");
    ExpectRect({0, h - 15, w, h}, bottom.m_hWnd, "bottom bar");
    ExpectRect({0, 27, w, h - 15}, frame.m_pView->m_hWnd, "view");

    // A hidden bar takes no room; a bar that goes away leaves the frame.
    top1.ShowWindow(SW_HIDE);
    frame.RecalcLayout();
    ExpectRect({0, 0, w, 7}, top2.m_hWnd, "second top bar alone");
    {
        CTestBar gone(30, CBRS_ALIGN_BOTTOM, {});
        ASSERT_TRUE(gone.CreateIn(frame));
        EXPECT_EQ(4u, frame.GetControlBars().size());
    }
    EXPECT_EQ(3u, frame.GetControlBars().size());
    frame.RecalcLayout();
    ExpectRect({0, 7, w, h - 15}, frame.m_pView->m_hWnd, "view after the changes");

    // Bars higher than the room left get only that room.
    CTestBar huge(10000, CBRS_ALIGN_BOTTOM, {});
    ASSERT_TRUE(huge.CreateIn(frame));
    frame.RecalcLayout();
    ExpectRect({0, 7, w, h - 15}, huge.m_hWnd, "oversized bar");
}

TEST_F(ControlBarTest, IdleUpdateReachesTheItemsOfVisibleBars)
{
    CTestFrame frame(&m_log);
    ASSERT_TRUE(frame.LoadFrame(IDR_TESTFRAME));
    const std::vector<UINT> items = {ID_TEST_GREY, ID_TEST_CHECK, ID_TEST_CMDONLY, ID_TEST_NOHANDLER,
                                     ID_ROUTE_APP};
    CTestBar bar(20, CBRS_ALIGN_TOP, items), hidden(20, CBRS_ALIGN_BOTTOM, items);
    ASSERT_TRUE(bar.CreateIn(frame) && hidden.CreateIn(frame));
    hidden.ShowWindow(SW_HIDE);

    frame.SendMessage(WM_IDLEUPDATECMDUI);
    ASSERT_EQ(items.size(), bar.m_states.size());
    EXPECT_FALSE(bar.m_states[ID_TEST_GREY].m_bEnabled);  // its update handler
    EXPECT_EQ(1, bar.m_states[ID_TEST_CHECK].m_nCheck);
    EXPECT_TRUE(bar.m_states[ID_TEST_CMDONLY].m_bEnabled);     // a handler on the route
    EXPECT_FALSE(bar.m_states[ID_TEST_NOHANDLER].m_bEnabled);  // none anywhere
    EXPECT_TRUE(bar.m_states[ID_ROUTE_APP].m_bEnabled);        // the application's
    EXPECT_TRUE(hidden.m_states.empty());
}

}  // namespace
