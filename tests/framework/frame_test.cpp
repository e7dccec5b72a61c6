// Frame loading, window creation hooks, the view pane, the application's
// start-up sequence and message loop.
#include "test_frame.h"

namespace {

class FrameTest : public CWindowTest {
protected:
    CCommandLog m_log;
    CTestApp m_app;
};

RECT RectInParentClient(HWND hWnd)
{
    RECT rc{};
    ::GetWindowRect(hWnd, &rc);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hWnd), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(FrameTest, LoadFrameTakesTitleUpToLineBreakMenuAndAccelerators)
{
    CTestFrame frame(&m_log);
    ASSERT_TRUE(frame.LoadFrame(IDR_TESTFRAME));

    EXPECT_EQ(L"Тестовая рамка", frame.GetWindowText());
    HMENU hMenu = ::GetMenu(frame.m_hWnd);
    ASSERT_NE(nullptr, hMenu);
    EXPECT_EQ(hMenu, frame.m_hMenuDefault);
    EXPECT_EQ(2, ::GetMenuItemCount(hMenu));
    ASSERT_NE(nullptr, frame.GetDefaultAccelerator());
    EXPECT_EQ(2, ::CopyAcceleratorTableW(frame.GetDefaultAccelerator(), nullptr, 0));
}

TEST_F(FrameTest, LoadFrameCreatesHiddenWindowWithoutFrameOnlyStyleBits)
{
    CTestFrame frame(&m_log);
    ASSERT_TRUE(frame.LoadFrame(IDR_TESTFRAME, WS_OVERLAPPEDWINDOW | WS_VISIBLE | FWS_ADDTOTITLE));
    EXPECT_FALSE(frame.IsWindowVisible());
    EXPECT_EQ(0u, frame.GetStyle() & FWS_ADDTOTITLE);
    EXPECT_TRUE(frame.GetStyle() & WS_THICKFRAME);
}

TEST_F(FrameTest, PreCreateWindowChangesTakeEffect)
{
    LPCWSTR pszClass = AfxRegisterWndClass(CS_DBLCLKS);
    ASSERT_NE(nullptr, pszClass);
    CTestFrame frame(&m_log);
    frame.m_adjustCreate = [&](CREATESTRUCTW& cs) {
        cs.style &= ~WS_THICKFRAME;
        cs.dwExStyle |= WS_EX_TOOLWINDOW;
        cs.x = 10;
        cs.y = 20;
        cs.cx = 300;
        cs.cy = 200;
        cs.hMenu = nullptr;
        cs.lpszClass = pszClass;
    };
    ASSERT_TRUE(frame.LoadFrame(IDR_TESTFRAME));

    EXPECT_FALSE(frame.GetStyle() & WS_THICKFRAME);
    EXPECT_TRUE(frame.GetExStyle() & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(SameRect(RECT{10, 20, 310, 220}, frame.GetWindowRect()));
    EXPECT_EQ(nullptr, ::GetMenu(frame.m_hWnd));
    EXPECT_EQ(nullptr, frame.m_hMenuDefault);
    wchar_t szClass[128] = L"";
    ::GetClassNameW(frame.m_hWnd, szClass, 128);
    EXPECT_STREQ(pszClass, szClass);
}

TEST_F(FrameTest, ViewFillsClientAreaAsPaneAndFollowsResizing)
{
    CTestFrame frame(&m_log);
    ASSERT_TRUE(frame.LoadFrame(IDR_TESTFRAME));
    ASSERT_NE(nullptr, frame.m_pView);
    HWND hView = frame.m_pView->m_hWnd;
    EXPECT_EQ(hView, frame.GetDlgItem(AFX_IDW_PANE_FIRST));
    EXPECT_EQ(frame.m_pView.get(), frame.GetActiveView());
    EXPECT_EQ(&frame, frame.m_pView->GetParentFrame());

    const SIZE sizes[] = {{500, 400}, {260, 180}};
    for (const SIZE& size : sizes) {
        frame.SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_TRUE(SameRect(frame.GetClientRect(), RectInParentClient(hView))) << size.cx << "x" << size.cy;
    }
}

TEST_F(FrameTest, BorderedViewGetsClientEdge)
{
    CTestFrame frame(&m_log);
    ASSERT_TRUE(frame.LoadFrame(IDR_TESTFRAME));
    EXPECT_TRUE(frame.m_pView->GetExStyle() & WS_EX_CLIENTEDGE);
    EXPECT_FALSE(frame.m_pView->GetStyle() & WS_BORDER);
}

TEST_F(FrameTest, ViewsGetFirstUpdateOnceWhenFrameIsLoaded)
{
    CTestFrame frame(&m_log);
    ASSERT_TRUE(frame.LoadFrame(IDR_TESTFRAME));
    EXPECT_EQ(1, frame.m_pView->m_nInitialUpdates);
}

TEST_F(FrameTest, DestroyedViewIsNoLongerActive)
{
    CTestFrame frame(&m_log);
    ASSERT_TRUE(frame.LoadFrame(IDR_TESTFRAME));
    frame.m_pView->DestroyWindow();
    EXPECT_EQ(nullptr, frame.GetActiveView());
    EXPECT_EQ(nullptr, frame.m_pView->m_hWnd);
}

struct CloseCase {
    const char* pszName;
    UINT nMsg;
    WPARAM wParam;
};

TEST_F(FrameTest, ClosingMainFrameEndsMessageLoopWithZero)
{
    const CloseCase cases[] = {
        {"WM_CLOSE", WM_CLOSE, 0},
        {"Exit command", WM_COMMAND, MAKEWPARAM(ID_APP_EXIT, 0)},
        {"Exit accelerator-style", WM_COMMAND, MAKEWPARAM(ID_APP_EXIT, 1)},
    };
    for (const CloseCase& c : cases) {
        CTestFrame frame(&m_log);
        ASSERT_TRUE(frame.LoadFrame(IDR_TESTFRAME));
        m_app.m_pMainWnd = &frame;
        frame.PostMessage(c.nMsg, c.wParam, 0);
        EXPECT_EQ(0, m_app.Run()) << c.pszName;
        EXPECT_EQ(nullptr, frame.m_hWnd) << c.pszName;
        EXPECT_EQ(nullptr, m_app.m_pMainWnd) << c.pszName;
    }
}

TEST_F(FrameTest, ClosingOtherFrameDoesNotEndLoop)
{
    CTestFrame mainFrame(&m_log);
    CTestFrame otherFrame(&m_log);
    ASSERT_TRUE(mainFrame.LoadFrame(IDR_TESTFRAME));
    ASSERT_TRUE(otherFrame.LoadFrame(IDR_TESTFRAME));
    m_app.m_pMainWnd = &mainFrame;
    otherFrame.PostMessage(WM_CLOSE);
    ::PostQuitMessage(5);  // reached only if the close posted no quit of its own
    EXPECT_EQ(5, m_app.Run());
    EXPECT_EQ(nullptr, otherFrame.m_hWnd);
    EXPECT_NE(nullptr, mainFrame.m_hWnd);
}

TEST_F(FrameTest, IdleTimeUpdatesMainFrameCommandStateWhenQueueEmpties)
{
    CTestFrame frame(&m_log);
    ASSERT_TRUE(frame.LoadFrame(IDR_TESTFRAME));
    frame.ShowWindow(SW_SHOWNA);
    m_app.m_pMainWnd = &frame;
    m_app.m_onIdle = [](LONG nCount) {
        if (nCount == 0)
            ::PostQuitMessage(9);
    };
    EXPECT_EQ(9, m_app.Run());
    ASSERT_FALSE(m_app.m_idleCounts.empty());
    EXPECT_EQ(0, m_app.m_idleCounts.front());
    EXPECT_GE(frame.m_nIdleUpdates, 1);
}

TEST_F(FrameTest, HiddenMainFrameGetsNoIdleUpdate)
{
    CTestFrame frame(&m_log);
    ASSERT_TRUE(frame.LoadFrame(IDR_TESTFRAME));
    m_app.m_pMainWnd = &frame;
    m_app.OnIdle(0);
    EXPECT_EQ(0, frame.m_nIdleUpdates);
    frame.ShowWindow(SW_SHOWNA);
    m_app.OnIdle(-1);
    EXPECT_EQ(1, frame.m_nIdleUpdates);
}

// Start-up sequence: which steps run and how it ends.
class CStartApp : public CTestApp {
public:
    bool m_bInitApplication = true;
    bool m_bInitInstance = true;
    bool m_bInitInstanceCalled = false;
    CCommandLog m_log;
    std::unique_ptr<CTestFrame> m_pFrame;

    bool InitApplication() override { return m_bInitApplication; }
    bool InitInstance() override
    {
        m_bInitInstanceCalled = true;
        m_pFrame = std::make_unique<CTestFrame>(&m_log);
        m_pMainWnd = m_pFrame.get();
        if (!m_pFrame->LoadFrame(IDR_TESTFRAME))
            return false;
        if (m_bInitInstance)
            m_pFrame->PostMessage(WM_CLOSE);
        return m_bInitInstance;
    }
};

class StartupTest : public CWindowTest {};

TEST_F(StartupTest, RunsLoopAfterInitialisationAndPassesCommandLineText)
{
    CStartApp app;
    wchar_t szCmdLine[] = L"/X movie.avi";
    EXPECT_EQ(0, AfxWinMain(::GetModuleHandleW(nullptr), nullptr, szCmdLine, SW_SHOWNORMAL));
    EXPECT_STREQ(L"/X movie.avi", app.m_lpCmdLine);
    EXPECT_EQ(SW_SHOWNORMAL, app.m_nCmdShow);
    EXPECT_EQ(nullptr, app.m_pFrame->m_hWnd);
}

TEST_F(StartupTest, FailedInitInstanceDestroysMainWindow)
{
    CStartApp app;
    app.m_bInitInstance = false;
    wchar_t szCmdLine[] = L"";
    AfxWinMain(::GetModuleHandleW(nullptr), nullptr, szCmdLine, SW_SHOWNORMAL);
    ASSERT_TRUE(app.m_bInitInstanceCalled);
    EXPECT_EQ(nullptr, app.m_pFrame->m_hWnd);
}

TEST_F(StartupTest, FailedInitApplicationSkipsInitInstance)
{
    CStartApp app;
    app.m_bInitApplication = false;
    wchar_t szCmdLine[] = L"";
    EXPECT_NE(0, AfxWinMain(::GetModuleHandleW(nullptr), nullptr, szCmdLine, SW_SHOWNORMAL));
    EXPECT_FALSE(app.m_bInitInstanceCalled);
}

TEST_F(StartupTest, ApplicationObjectIsReachableWhileItLives)
{
    {
        CTestApp app;
        EXPECT_EQ(&app, AfxGetApp());
    }
    EXPECT_EQ(nullptr, AfxGetApp());
}

}  // namespace
