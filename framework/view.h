// CView: the child window in a frame's view pane. It draws in OnDraw and
// gets its first update once the frame is loaded; commands reach it first
// through the frame's routing.
#pragma once

#include <windows.h>

#include "afxdefs.h"
#include "wnd.h"

class CFrameWnd;

class CView : public CWnd {
public:
    // The framework's view class when none is given; a border becomes a
    // client edge.
    bool PreCreateWindow(CREATESTRUCTW& cs) override;

    virtual void OnDraw(HDC hDC) {}
    // First update, sent by the frame after it is loaded. The base repaints.
    virtual void OnInitialUpdate();

    // The nearest frame among the parents.
    CFrameWnd* GetParentFrame() const;

    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override;
};
