// CMainFrame: the player's top-level window. Holds the view; the toolbar,
// status bar, volume and full-screen handling join it here.
#pragma once

#include <memory>

#include "afxwin.h"

class CPlayerView;

class CMainFrame : public CFrameWnd {
public:
    CMainFrame();
    ~CMainFrame() override;

    bool PreCreateWindow(CREATESTRUCTW& cs) override;
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override;

    CPlayerView* GetPlayerView() const { return m_pView.get(); }

    // Switches between full screen and the normal window.
    void ToggleFullScreen();

    static constexpr int MIN_TRACK_WIDTH = 200;
    static constexpr int MIN_TRACK_HEIGHT = 150;

private:
    int OnCreate(CREATESTRUCTW* pcs);
    void OnGetMinMaxInfo(MINMAXINFO* pMinMax);

    std::unique_ptr<CPlayerView> m_pView;   // the view in pane AFX_IDW_PANE_FIRST
};
