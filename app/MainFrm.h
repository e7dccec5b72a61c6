// CMainFrame: the player's top-level window. Holds the view, the toolbar
// with the seek slider and the volume button, the status bar and the volume
// popup; switches to and from full screen, keeps the window on top on
// request, and serves the system volume commands.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "CSystemVolume.h"
#include "PlayState.h"
#include "QRVUtlDragAndDrop.h"
#include "VideoToolBar.h"
#include "VolumeCtrlDlg.h"
#include "afxwin.h"

class CPlayerConfig;
class CPlayerView;

class CMainFrame : public CFrameWnd {
public:
    CMainFrame();
    ~CMainFrame() override;

    bool PreCreateWindow(CREATESTRUCTW& cs) override;
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override;

    CPlayerView* GetPlayerView() const { return m_pView.get(); }

    // Switches between full screen and the window as it was before.
    void ToggleFullScreen();
    bool IsFullScreen() const { return m_bFullScreenMode; }
    // Moves the window into or out of the topmost band, without moving,
    // sizing or activating it.
    void SetTopMost(bool bOn);
    bool IsTopMost() const { return (GetExStyle() & WS_EX_TOPMOST) != 0; }
    // Whether the window gets a sizing border back when full screen ends
    // (the view fits a movie opened in full screen this way).
    void SetSizingFrameAfterFullScreen(bool bOn) { m_bHadSizingFrame = bOn; }

    // What the bars show of playback: the state, the position and the
    // length in ms (-1: no movie). Without a toolbar they are only kept.
    void SetPlayState(EPlayState state);
    void SetPosition(int nMs);
    void SetLength(int nMs);
    EPlayState GetPlayState() const { return m_nPlayState; }
    int GetPosition() const { return m_nPosition; }
    int GetLength() const { return m_nLength; }
    // Movie time per pixel the slider's thumb can travel; 0 without one.
    float GetMsPerPixel() const;

    // The time pane's text: position and length as minutes and seconds,
    // "mm:ss/mm:ss" (minutes may take more digits); empty without a movie.
    static std::wstring TimeText(int nPosition, int nLength);
    // The state pane's string, 0 for none.
    static UINT StateTextId(EPlayState state);

    // The volume button's image for the mute state and volume (of
    // [nMin, nMax]): nBase when muted or at the minimum, else one of the
    // three after it.
    static int VolumeImage(int nBase, bool bMuted, int nVolume, int nMin, int nMax);

    CVideoToolBar m_wndToolBar;
    CStatusBar m_wndStatusBar;
    int m_nVolumeImageBase = 0;  // first volume image in the toolbar's list; -1: none
    CVolumeCtrlDlg m_dlgVolume{this};  // the volume popup, made when the system volume is there
    CSystemVolume m_volume;            // the wave-out line's volume and mute
    int m_nVolumeMin = -1;
    int m_nVolumeMax = -1;

    // Dropped files (in MainFrmDrop.cpp): copy when a dragged name is a
    // movie and no dialog of the program is open; a drop opens the first
    // movie once the drop has returned.
    DROPEFFECT OnDragEnterFiles(COleDataObject* pDataObject, DWORD dwKeyState, POINT point);
    DROPEFFECT OnDragOverFiles(COleDataObject* pDataObject, DWORD dwKeyState, POINT point);
    BOOL OnDropFiles(COleDataObject* pDataObject, DROPEFFECT dropEffect, POINT point);
    QRVUtlDragAndDropInjection<CMainFrame>* GetDropTarget() const { return m_pDropTarget.get(); }

    static constexpr UINT WM_OPEN_DROPPED_FILE = WM_USER + 11;
    static constexpr int MIN_TRACK_WIDTH = 200;
    static constexpr int MIN_TRACK_HEIGHT = 150;

protected:
    bool OnCmdTable(UINT nID, ECmdMsg nCode, CCmdUI* pCmdUI) override;

private:
    int OnCreate(CREATESTRUCTW* pcs);
    void OnGetMinMaxInfo(MINMAXINFO* pMinMax);
    LRESULT OnQueryNewPalette();

    // The bars (in MainFrmBars.cpp).
    bool CreateToolBar(const CPlayerConfig& config);
    bool CreateStatusBar();
    // The slider takes the toolbar's free width; the movie window learns
    // its layout and how fine the slider can show a position.
    void LayoutBars();
    void OnUpdateStatePane(CCmdUI& cmdUI);
    void OnUpdateTimePane(CCmdUI& cmdUI);
    void OnActivateApp(bool bActive);

    // The system volume and its popup (in MainFrmVolume.cpp).
    void CreateVolume();
    // A step up or down, which also unmutes.
    void StepVolume(bool bUp);
    void OnVolumeUp() { StepVolume(true); }
    void OnVolumeDown() { StepVolume(false); }
    void OnVolumeMute();
    void OnVolumePopup();
    void OnUpdateVolumeUp(CCmdUI& cmdUI);
    void OnUpdateVolumeDown(CCmdUI& cmdUI);
    void OnUpdateVolumeMute(CCmdUI& cmdUI);
    void OnUpdateVolumePopup(CCmdUI& cmdUI);
    // The popup shows what the program itself has just changed.
    void RefreshVolumePopup();

    void EnterFullScreen();
    // bActivate false: the window comes back without taking the activation
    // (another program has it).
    void LeaveFullScreen(bool bActivate);

    // Commands and their update handlers.
    void OnFullScreen() { ToggleFullScreen(); }
    void OnUpdateFullScreen(CCmdUI& cmdUI);
    void OnEscape();
    void OnAlwaysOnTop();
    void OnUpdateAlwaysOnTop(CCmdUI& cmdUI);

    std::unique_ptr<CPlayerView> m_pView;  // the view in pane AFX_IDW_PANE_FIRST
    std::wstring m_strDroppedFile;         // the movie the last drop asked for
    std::unique_ptr<QRVUtlDragAndDropInjection<CMainFrame>> m_pDropTarget;
    bool m_bFullScreenMode = false;
    // What full screen changed, for putting it back.
    bool m_bWasZoomed = false;
    bool m_bWasTopMost = false;
    bool m_bHadSizingFrame = false;
    RECT m_rcZoomed{};                       // the maximized window rectangle
    std::vector<CControlBar*> m_barsHidden;  // bars that were visible (not owned)
    EPlayState m_nPlayState = EPlayState::PS_NONE;
    int m_nPosition = 0;
    int m_nLength = -1;
};
