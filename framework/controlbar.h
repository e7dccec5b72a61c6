// CControlBar: a bar along the top or the bottom of its frame (the toolbar,
// the status bar). The frame lays its visible bars out in RecalcLayout, in
// the order they were added, and the view takes what is left; at idle time
// each visible bar has its items (buttons, panes) updated through the
// frame's command route with update objects of its own, as a menu is.
#pragma once

#include <windows.h>

#include "wnd.h"

class CFrameWnd;

enum EBarAlign {
    CBRS_ALIGN_TOP,
    CBRS_ALIGN_BOTTOM,
};

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

    EBarAlign m_nAlign = CBRS_ALIGN_TOP;

private:
    friend class CFrameWnd;
    CFrameWnd* m_pDockFrame = nullptr;  // the frame that lays it out (not owned)
};
