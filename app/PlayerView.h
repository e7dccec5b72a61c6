// CPlayerView: the view in the main frame's pane. Holds the movie window,
// opens movies into it, sizes the frame to the movie, passes the movie
// window's notifications on to the frame, and shows the background picture
// while no picture is on screen.
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
    // Sizes the main frame to the movie.
    void FitFrame();
    // The Close command: the movie goes, the background comes back.
    void CloseFile();

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
    void OnPlayPause();
    LRESULT OnMovieNotify(WPARAM wParam, LPARAM lParam);
    // The one way the view reaches its frame; null outside a main frame.
    CMainFrame* MainFrame();
    void DeleteFileIfAsked();
};
