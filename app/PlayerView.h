// CPlayerView: the view in the main frame's pane. Shows the background
// picture while no movie is on screen; the movie window, commands and file
// handling join it here.
#pragma once

#include <string>

#include "afxwin.h"

class CPlayerView : public CView {
public:
    CPlayerView();
    ~CPlayerView() override;

    void OnInitialUpdate() override;
    void OnDraw(HDC hDC) override;
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override;

    bool m_bInitialized = false;
    CGdiObject<HBITMAP> m_hBackground;   // background picture, a DIB section
    CGdiObject<HPALETTE> m_pPalette;     // from its colour table at 8 bits or less
    SIZE m_sizeBackground{0, 0};
    std::wstring m_strOpenFile;          // empty: no movie open

private:
    void LoadBackground();
};
