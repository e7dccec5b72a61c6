// Application, frame and view used by the framework tests: each records the
// commands it carries out in a shared log, as "<who>:<id>".
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "afxwin.h"
#include "test_ids.h"

using CCommandLog = std::vector<std::string>;

inline std::string LogEntry(const char* pszWho, UINT nID)
{
    return std::string(pszWho) + ":" + std::to_string(nID);
}

class CTestApp : public CWinApp {
public:
    CCommandLog* m_pLog = nullptr;
    std::vector<LONG> m_idleCounts;
    std::function<void(LONG)> m_onIdle;  // runs after the base idle work

    bool OnCmdTable(UINT nID, ECmdMsg nCode, CCmdUI* pCmdUI) override
    {
        static const CCmdEntry<CTestApp> table[] = {
            {ID_ROUTE_ALL, &CTestApp::Log<ID_ROUTE_ALL>, nullptr},
            {ID_ROUTE_FRAME_APP, &CTestApp::Log<ID_ROUTE_FRAME_APP>, nullptr},
            {ID_ROUTE_APP, &CTestApp::Log<ID_ROUTE_APP>, nullptr},
        };
        return DispatchCmd(this, table, nID, nCode, pCmdUI) || CWinApp::OnCmdTable(nID, nCode, pCmdUI);
    }

    bool OnIdle(LONG nCount) override
    {
        bool bMore = CWinApp::OnIdle(nCount);
        m_idleCounts.push_back(nCount);
        if (m_onIdle)
            m_onIdle(nCount);
        return bMore;
    }

private:
    template <UINT ID> void Log()
    {
        if (m_pLog != nullptr)
            m_pLog->push_back(LogEntry("app", ID));
    }
};

class CTestView : public CView {
public:
    explicit CTestView(CCommandLog* pLog) : m_pLog(pLog) {}

    int m_nInitialUpdates = 0;

    void OnInitialUpdate() override
    {
        ++m_nInitialUpdates;
        CView::OnInitialUpdate();
    }

protected:
    bool OnCmdTable(UINT nID, ECmdMsg nCode, CCmdUI* pCmdUI) override
    {
        static const CCmdEntry<CTestView> table[] = {
            {ID_ROUTE_ALL, &CTestView::Log<ID_ROUTE_ALL>, nullptr},
        };
        return DispatchCmd(this, table, nID, nCode, pCmdUI) || CView::OnCmdTable(nID, nCode, pCmdUI);
    }

private:
    template <UINT ID> void Log() { m_pLog->push_back(LogEntry("view", ID)); }

    CCommandLog* m_pLog;
};

class CTestFrame : public CFrameWnd {
public:
    explicit CTestFrame(CCommandLog* pLog) : m_pLog(pLog) {}
    ~CTestFrame() override { SetActiveView(nullptr); }

    std::function<void(CREATESTRUCTW&)> m_adjustCreate;  // PreCreateWindow changes
    bool m_bCreateView = true;
    std::unique_ptr<CTestView> m_pView;
    int m_nIdleUpdates = 0;
    std::wstring m_strShortPane = L"short";  // text of pane ID_INDICATOR_SHORT
    bool m_bSubMenuSeen = false;             // the update of ID_TEST_SUBFIRST came for a submenu

    bool PreCreateWindow(CREATESTRUCTW& cs) override
    {
        if (!CFrameWnd::PreCreateWindow(cs))
            return false;
        if (m_adjustCreate)
            m_adjustCreate(cs);
        return true;
    }

    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override
    {
        switch (nMsg) {
        case WM_CREATE:
            if (CFrameWnd::WindowProc(nMsg, wParam, lParam) == -1)
                return -1;
            if (m_bCreateView) {
                m_pView = std::make_unique<CTestView>(m_pLog);
                if (!m_pView->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, RECT{0, 0, 0, 0}, this,
                                     AFX_IDW_PANE_FIRST))
                    return -1;
                SetActiveView(m_pView.get());
            }
            RecalcLayout();
            return 0;
        }
        return CFrameWnd::WindowProc(nMsg, wParam, lParam);
    }

    void OnIdleUpdateCmdUI() override
    {
        ++m_nIdleUpdates;
        CFrameWnd::OnIdleUpdateCmdUI();
    }

protected:
    bool OnCmdTable(UINT nID, ECmdMsg nCode, CCmdUI* pCmdUI) override
    {
        using F = CTestFrame;
        static const CCmdEntry<CTestFrame> table[] = {
            {ID_ROUTE_ALL, &F::Log<ID_ROUTE_ALL>, nullptr},
            {ID_ROUTE_FRAME_APP, &F::Log<ID_ROUTE_FRAME_APP>, nullptr},
            {ID_TEST_GREY, &F::Log<ID_TEST_GREY>, &F::Disable},
            {ID_TEST_CHECK, &F::Log<ID_TEST_CHECK>, &F::Check},
            {ID_TEST_CMDONLY, &F::Log<ID_TEST_CMDONLY>, nullptr},
            {ID_TEST_KEY_ENABLED, &F::Log<ID_TEST_KEY_ENABLED>, nullptr},
            {ID_TEST_KEY_DISABLED, &F::Log<ID_TEST_KEY_DISABLED>, &F::Disable},
            {ID_TEST_TEXT, nullptr, &F::NewText},
            {ID_TEST_SUBFIRST, nullptr, &F::OnUpdateSubFirst},
            {ID_BAR_RUN, &F::Log<ID_BAR_RUN>, nullptr},
            {ID_INDICATOR_SHORT, nullptr, &F::OnUpdateShortPane},
            {ID_INDICATOR_OFF, nullptr, &F::Disable},
        };
        return DispatchCmd(this, table, nID, nCode, pCmdUI) || CFrameWnd::OnCmdTable(nID, nCode, pCmdUI);
    }

private:
    template <UINT ID> void Log() { m_pLog->push_back(LogEntry("frame", ID)); }
    void Disable(CCmdUI& cmdUI) { cmdUI.Enable(false); }
    void Check(CCmdUI& cmdUI) { cmdUI.SetCheck(1); }
    void NewText(CCmdUI& cmdUI) { cmdUI.SetText(L"New text\tF9"); }
    void OnUpdateShortPane(CCmdUI& cmdUI) { cmdUI.SetText(m_strShortPane); }
    void OnUpdateSubFirst(CCmdUI& cmdUI)
    {
        m_bSubMenuSeen = m_bSubMenuSeen || cmdUI.IsSubMenu();
        cmdUI.Enable(!cmdUI.IsSubMenu());
    }

    CCommandLog* m_pLog;
};

// Base of the tests that create windows: leaves no message (and no quit
// request) behind for the next test.
class CWindowTest : public ::testing::Test {
protected:
    void TearDown() override { DrainQueue(); }

    static void DrainQueue()
    {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != WM_QUIT)
                ::DispatchMessageW(&msg);
        }
    }
};
