// CPlayerView: the view in the main frame's pane. Holds the movie window,
// turns the playback commands (menus, keys, toolbar, context menu) into
// movie-window operations, opens and closes movies, sizes the frame to the
// movie, passes the movie window's notifications on to the frame, and shows
// the background picture while no picture is on screen.
#pragma once

#include <string>

#include "QRVScrollMovieWnd.h"
#include "afxwin.h"

class CMainFrame;

class CPlayerView : public CView {
public:
    CPlayerView();
    ~CPlayerView() override;

    void OnInitialUpdate() override;
    void OnDraw(HDC hDC) override;
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override;

    // Opens a movie; false (the movie closed again) when it cannot be.
    bool OpenFile(const std::wstring& strPath);
    // Opens a movie in place of the open one (Open command, dropped files).
    void ReplaceFile(const std::wstring& strPath);
    // Sizes the main frame to the movie.
    void FitFrame();
    // The Close command: the movie goes, the background comes back.
    void CloseFile();
    // A seek asked for by the user (Home, End, the slider); true when the
    // movie window carried it out.
    bool SeekTo(int nPos, bool bFinal, bool bExact);

    // The context menu as it would be shown now: the Play menu, without
    // Always on top in full screen or when that option is off, then a
    // separator and Exit. Null when the menu resource cannot be loaded.
    CMenu BuildContextMenu();

    // Palette messages the frame passes on.
    void RealizePalette();
    void OnPaletteChanged(HWND hWndChanger);

    QRVScrollMovieWnd m_wndMovie;
    int m_nExtraWidth = 0;
    int m_nExtraHeight = 0;
    bool m_bInitialized = false;
    CGdiObject<HBITMAP> m_hBackground;  // background picture, a DIB section
    CGdiObject<HPALETTE> m_pPalette;    // from its colour table at 8 bits or less
    SIZE m_sizeBackground{0, 0};
    bool m_bSeekWhilePlaying = false;
    std::wstring m_strOpenFile;  // empty: no movie open

protected:
    bool OnCmdTable(UINT nID, ECmdMsg nCode, CCmdUI* pCmdUI) override;

private:
    void LoadBackground();
    LRESULT OnMovieNotify(WPARAM wParam, LPARAM lParam);
    void OnLButtonDown(LPARAM lParam);
    void OnLButtonDblClk(LPARAM lParam);
    void OnContextMenu();
    // The one way the view reaches its frame; null outside a main frame.
    CMainFrame* MainFrame();
    void DeleteFileIfAsked();

    // Commands and their enable rules.
    void OnFileOpen();
    void OnPlayPause();
    void OnStop();
    void OnHome();
    void OnEnd();
    void OnBack() { JumpBy(-VIEW_JUMP_MS); }
    void OnForward() { JumpBy(VIEW_JUMP_MS); }
    void OnStepBack();
    void OnStepForward();
    void OnRepeat();
    void OnUpdateIfOpen(CCmdUI& cmdUI);
    void OnUpdatePlay(CCmdUI& cmdUI);
    void OnUpdatePause(CCmdUI& cmdUI);
    void OnUpdateStop(CCmdUI& cmdUI);
    void OnUpdateNavigation(CCmdUI& cmdUI);
    void OnUpdateRepeat(CCmdUI& cmdUI);
    void JumpBy(int nMs);
    // The frame shows where the movie is now.
    void ShowPosition();
    bool IsOpen() const { return !m_strOpenFile.empty(); }
    bool IsHeld() const { return m_wndMovie.m_bHeldForDrag; }

    static constexpr int VIEW_JUMP_MS = 1000;  // Page Up, Page Down
};
