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
    std::function<void(LONG)> m_onIdle;     // runs after the base idle work

    CCmdHandler GetCommandHandler(UINT nID) override
    {
        switch (nID) {
        case ID_ROUTE_ALL:
        case ID_ROUTE_FRAME_APP:
        case ID_ROUTE_APP:
            return [this, nID] { Log(nID); };
        }
        return CWinApp::GetCommandHandler(nID);
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
    void Log(UINT nID)
    {
        if (m_pLog != nullptr)
            m_pLog->push_back(LogEntry("app", nID));
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

    CCmdHandler GetCommandHandler(UINT nID) override
    {
        switch (nID) {
        case ID_ROUTE_ALL: return [this, nID] { m_pLog->push_back(LogEntry("view", nID)); };
        }
        return CView::GetCommandHandler(nID);
    }

private:
    CCommandLog* m_pLog;
};

class CTestFrame : public CFrameWnd {
public:
    explicit CTestFrame(CCommandLog* pLog) : m_pLog(pLog) {}
    ~CTestFrame() override { SetActiveView(nullptr); }

    std::function<void(CREATESTRUCTW&)> m_adjustCreate;   // PreCreateWindow changes
    bool m_bCreateView = true;
    std::unique_ptr<CTestView> m_pView;
    int m_nIdleUpdates = 0;
    bool m_bSubMenuSeen = false;    // the update of ID_TEST_SUBFIRST came for a submenu

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
                if (!m_pView->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, RECT{0, 0, 0, 0},
                                     this, AFX_IDW_PANE_FIRST))
                    return -1;
                SetActiveView(m_pView.get());
            }
            RecalcLayout();
            return 0;
        }
        return CFrameWnd::WindowProc(nMsg, wParam, lParam);
    }

    CCmdHandler GetCommandHandler(UINT nID) override
    {
        switch (nID) {
        case ID_ROUTE_ALL:
        case ID_ROUTE_FRAME_APP:
        case ID_TEST_GREY:
        case ID_TEST_CHECK:
        case ID_TEST_CMDONLY:
        case ID_TEST_KEY_ENABLED:
        case ID_TEST_KEY_DISABLED:
            return [this, nID] { m_pLog->push_back(LogEntry("frame", nID)); };
        }
        return CFrameWnd::GetCommandHandler(nID);
    }

    bool OnUpdateCommand(CCmdUI& cmdUI) override
    {
        switch (cmdUI.m_nID) {
        case ID_TEST_GREY:          cmdUI.Enable(false); return true;
        case ID_TEST_CHECK:         cmdUI.SetCheck(1); return true;
        case ID_TEST_TEXT:          cmdUI.SetText(L"New text\tF9"); return true;
        case ID_TEST_KEY_DISABLED:  cmdUI.Enable(false); return true;
        case ID_TEST_SUBFIRST:
            if (cmdUI.IsSubMenu()) {
                m_bSubMenuSeen = true;
                cmdUI.Enable(false);
            } else {
                cmdUI.Enable(true);
            }
            return true;
        }
        return CFrameWnd::OnUpdateCommand(cmdUI);
    }

    void OnIdleUpdateCmdUI() override { ++m_nIdleUpdates; }

private:
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
