// CStatusBar: a control bar on the common status-bar control, made of
// panes. SetIndicators gives every pane a command id: id 0 (ID_SEPARATOR)
// is a message pane (the first of them, at index 0, stretches over the
// width the others leave and has no border, and shows the frame's message
// text: prompts and the idle prompt); any other id is an indicator whose
// width is that of its string resource in the bar's font, plus the pane's
// borders, and which starts with that string as its text.
//
// Pane styles are SBPS_* (afxdefs.h). A disabled pane (SBPS_DISABLED)
// keeps its text but shows none. Widths are laid out again whenever the
// bar changes size, so that the stretching pane takes the rest.
//
// At idle time the frame runs the update handler of every indicator pane
// (CStatusCmdUI: SetText writes the pane's text, Enable(false) disables it,
// SetCheck pops it out). A pane without an update handler is left as it
// is: unlike toolbar buttons, panes are never disabled for want of one.
#pragma once

#include <string>
#include <vector>
#include <windows.h>
#include <commctrl.h>

#include "cmdui.h"
#include "controlbar.h"

class CStatusBar : public CControlBar {
public:
    // Creates the control as a child of pParent (dwStyle: window style with
    // the bar's CBRS_* bits) and has the frame lay it out. The control has
    // a size grip when the frame has a sizing border.
    bool Create(CFrameWnd* pParent, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_BOTTOM,
                UINT nID = AFX_IDW_STATUS_BAR);
    bool CreateEx(CFrameWnd* pParent, DWORD dwCtrlStyle = 0,
                  DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_BOTTOM, UINT nID = AFX_IDW_STATUS_BAR);

    // One pane per id (at most 256); false when an indicator's string
    // resource is missing.
    bool SetIndicators(const UINT* pIDs, int nCount);

    int GetCount() const { return static_cast<int>(m_panes.size()); }
    // Index of the first pane with id nID, or -1.
    int CommandToIndex(UINT nID) const;
    UINT GetItemID(int nIndex) const;
    // The pane's rectangle in the bar's client area.
    void GetItemRect(int nIndex, RECT* pRect) const;

    // cxWidth: width of the pane's text area (the pane's borders come on top).
    void GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const;
    void SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth);
    UINT GetPaneStyle(int nIndex) const;
    void SetPaneStyle(int nIndex, UINT nStyle);
    std::wstring GetPaneText(int nIndex) const;
    bool SetPaneText(int nIndex, const std::wstring& strText);

    // Height of one line of the bar's font with the pane borders and the
    // bar's borders.
    int CalcHeight(int nWidth) override;
    void OnUpdateCmdUI(CCmdTarget* pTarget, bool bDisableIfNoHandler) override;

    // WM_SETTEXT and WM_GETTEXT act on the first message pane.
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override;

protected:
    struct CStatusPane {
        UINT m_nID = 0;
        UINT m_nStyle = SBPS_NORMAL;
        int m_nWidth = 0;  // text area
        std::wstring m_strText;
    };

    bool IsValidIndex(int nIndex) const { return nIndex >= 0 && nIndex < GetCount(); }
    HFONT GetBarFont() const;
    // Hands the panes' right edges and, with bUpdateText, their texts to
    // the control.
    void UpdateAllPanes(bool bUpdateRects, bool bUpdateText);
    void ShowPaneText(int nIndex);

    std::vector<CStatusPane> m_panes;
};

// Update of one status-bar pane, by index.
class CStatusCmdUI : public CCmdUI {
public:
    CStatusCmdUI(CStatusBar* pStatusBar, UINT nIndex, UINT nID);

    void Enable(bool bOn = true) override;
    void SetCheck(int nCheck = 1) override;
    void SetText(const std::wstring& strText) override;

    CStatusBar* m_pStatusBar;  // not owned
};
