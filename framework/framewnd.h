// CFrameWnd: a top-level window with a menu, accelerators, control bars
// (top and bottom) and a view pane. It routes commands to its active view,
// then to itself, then to the application, and runs the update handlers of
// a menu as it opens.
#pragma once

#include <string>
#include <vector>
#include <windows.h>

#include "afxdefs.h"
#include "controlbar.h"
#include "wnd.h"

class CView;

class CFrameWnd : public CWnd {
public:
    ~CFrameWnd() override;

    // Loads menu, accelerators, icon and title (string nIDResource up to
    // its first line break) of resource nIDResource, lets PreCreateWindow
    // adjust the creation, creates the window hidden and gives its views
    // their first update.
    virtual bool LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* pParentWnd = nullptr);
    bool PreCreateWindow(CREATESTRUCTW& cs) override;

    CView* GetActiveView() const { return m_pViewActive; }
    void SetActiveView(CView* pView) { m_pViewActive = pView; }

    // The frame lays pBar out from now on (the bar's owner keeps it; a bar
    // that goes away takes itself off).
    void AddControlBar(CControlBar* pBar);
    void RemoveControlBar(CControlBar* pBar);
    const std::vector<CControlBar*>& GetControlBars() const { return m_bars; }

    // Bars take their place at the top and bottom; the pane
    // AFX_IDW_PANE_FIRST fills what is left.
    virtual void RecalcLayout();
    // Idle-time command-state update of the frame's visible bars.
    virtual void OnIdleUpdateCmdUI();

    // Message pane: the first message pane of the status bar (child
    // AFX_IDW_STATUS_BAR), when there is one, which takes the text as its
    // window text. The prompt of a command is its string up to the first
    // line break; a toolbar shows it while the mouse is over the command's
    // button and shows the idle prompt (string m_nIDIdlePrompt) again
    // afterwards.
    void SetMessageText(const std::wstring& strText);
    void SetMessageText(UINT nID);
    virtual std::wstring GetMessageString(UINT nID) const;
    HWND GetMessageBar() const { return GetDlgItem(AFX_IDW_STATUS_BAR); }

    HACCEL GetDefaultAccelerator() const { return m_hAccelTable; }

    bool OnCmdMsg(UINT nID, ECmdMsg nCode, CCmdUI* pCmdUI) override;
    bool PreTranslateMessage(MSG* pMsg) override;
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override;

    HMENU m_hMenuDefault = nullptr;  // the menu the frame was created with
    HACCEL m_hAccelTable = nullptr;  // from the resources: freed by the system
    std::wstring m_strTitle;
    UINT m_nIDIdlePrompt = AFX_IDS_IDLEMESSAGE;  // the message pane's text when idle

protected:
    // Moves the visible control bars, in the order they were added, and
    // shrinks rcClient by the room they take.
    virtual void RepositionBars(RECT& rcClient);
    void OnInitMenuPopup(HMENU hPopup);
    // The message pane follows the menu item under the mouse.
    void OnMenuSelect(UINT nItem, UINT nFlags, HMENU hMenu);

private:
    void OnNcDestroy();

    CView* m_pViewActive = nullptr;    // not owned
    std::vector<CControlBar*> m_bars;  // not owned
};
