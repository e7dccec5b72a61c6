// CControlBar: a bar along the top or the bottom of its frame (the toolbar,
// the status bar). The frame lays its visible bars out in RecalcLayout, in
// the order they were added, and the view takes what is left; at idle time
// each visible bar has its items (buttons, panes) updated through the
// frame's command route with update objects of its own, as a menu is.
//
// A bar keeps its own style bits (CBRS_*, afxdefs.h) apart from the window
// style: the side it sits on (CBRS_ALIGN_TOP or CBRS_ALIGN_BOTTOM), the
// borders it draws in its non-client area (CBRS_BORDER_*), tooltips and
// fly-by prompts (CBRS_TOOLTIPS, CBRS_FLYBY).
#pragma once

#include <windows.h>

#include "afxdefs.h"
#include "wnd.h"

class CFrameWnd;

class CControlBar : public CWnd {
public:
    ~CControlBar() override;

    // Height the bar takes in a frame whose client area is nWidth wide;
    // by default the height its window has now.
    virtual int CalcHeight(int nWidth);
    // Runs the update handlers of the bar's items found on pTarget's
    // route. Without a handler, and when bDisableIfNoHandler, an item is
    // enabled only if some command handler on the route would carry it out.
    virtual void OnUpdateCmdUI(CCmdTarget* pTarget, bool bDisableIfNoHandler) {}

    // Visible by its own style, whatever the frame's state.
    bool IsBarVisible() const { return m_hWnd != nullptr && (GetStyle() & WS_VISIBLE) != 0; }

    DWORD GetBarStyle() const { return m_dwStyle; }
    // Takes the CBRS_* bits of dwStyle; a change of borders is redrawn.
    void SetBarStyle(DWORD dwStyle);
    bool IsAlignedBottom() const { return (m_dwStyle & CBRS_ALIGN_BOTTOM) != 0; }

    // The frame that lays the bar out, or null.
    CFrameWnd* GetDockingFrame() const { return m_pDockFrame; }

    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override;

protected:
    // Creates the common control pszClass as a child of pParent that the
    // frame, not the control, places: dwStyle's CBRS_* bits stay with the
    // bar, the rest (with dwCtrlStyle) goes to the window.
    bool CreateBar(CFrameWnd* pParent, LPCWSTR pszClass, DWORD dwCtrlStyle, DWORD dwStyle, UINT nID);

    // Room the CBRS_BORDER_* borders take, top and bottom together.
    int BorderHeight() const;

    DWORD m_dwStyle = CBRS_TOP;  // CBRS_* bits

private:
    friend class CFrameWnd;
    void DrawBorders();

    CFrameWnd* m_pDockFrame = nullptr;  // the frame that lays it out (not owned)
};
