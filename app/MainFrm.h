// CMainFrame: the player's top-level window. Holds the view; the toolbar,
// status bar, volume and full-screen handling join it here.
#pragma once

#include <memory>

#include "PlayState.h"
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
    bool IsFullScreen() const { return m_bFullScreenMode; }

    // What the bars show of playback: the state, the position and the
    // length in ms (-1: no movie). Until the bars exist they are only kept.
    void SetPlayState(EPlayState state) { m_nPlayState = state; }
    void SetPosition(int nMs) { m_nPosition = nMs; }
    void SetLength(int nMs) { m_nLength = nMs; }
    EPlayState GetPlayState() const { return m_nPlayState; }
    int GetPosition() const { return m_nPosition; }
    int GetLength() const { return m_nLength; }

    static constexpr int MIN_TRACK_WIDTH = 200;
    static constexpr int MIN_TRACK_HEIGHT = 150;

private:
    int OnCreate(CREATESTRUCTW* pcs);
    void OnGetMinMaxInfo(MINMAXINFO* pMinMax);
    LRESULT OnQueryNewPalette();

    std::unique_ptr<CPlayerView> m_pView;  // the view in pane AFX_IDW_PANE_FIRST
    bool m_bFullScreenMode = false;
    EPlayState m_nPlayState = EPlayState::PS_NONE;
    int m_nPosition = 0;
    int m_nLength = -1;
};
