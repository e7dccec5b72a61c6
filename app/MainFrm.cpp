#include "MainFrm.h"

#include "PlayerApp.h"
#include "PlayerView.h"

namespace {

// First rectangle of the frame, before it is fitted and placed.
constexpr int FRAME_INITIAL_WIDTH = 400;
constexpr int FRAME_INITIAL_HEIGHT = 320;

}  // namespace

CMainFrame::CMainFrame() = default;

CMainFrame::~CMainFrame()
{
    // The window goes while the view object still lives, so that the view
    // closes its movie (and deletes it when asked) however the program ends.
    if (m_hWnd != nullptr)
        DestroyWindow();
    SetActiveView(nullptr);
}

bool CMainFrame::PreCreateWindow(CREATESTRUCTW& cs)
{
    const CPlayerConfig defaults;
    const CPlayerApp* pApp = GetPlayerApp();
    const CPlayerConfig& config = pApp != nullptr ? pApp->GetConfig() : defaults;
    if (!config.m_bMenu)
        cs.hMenu = nullptr;
    if (!config.m_bTitleBar) {
        // A dialog frame without the border bit: no caption.
        cs.style &= ~static_cast<LONG>(WS_BORDER);
        cs.style |= WS_POPUP | WS_DLGFRAME;
    }
    if (config.m_bAlwaysOnTop)
        cs.dwExStyle |= WS_EX_TOPMOST;

    cs.style &= ~static_cast<LONG>(WS_THICKFRAME | FWS_ADDTOTITLE);
    cs.dwExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
    cs.x = 0;
    cs.y = 0;
    cs.cx = FRAME_INITIAL_WIDTH;
    cs.cy = FRAME_INITIAL_HEIGHT;
    if (!CFrameWnd::PreCreateWindow(cs))
        return false;
    cs.lpszClass = PLAYER_CLASS_NAME;
    return true;
}

LRESULT CMainFrame::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    switch (nMsg) {
    case WM_CREATE:
        return OnCreate(reinterpret_cast<CREATESTRUCTW*>(lParam));
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    case WM_PALETTECHANGED:
        Default();
        if (m_pView && m_pView->m_hWnd != nullptr)
            m_pView->OnPaletteChanged(reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_QUERYNEWPALETTE:
        return OnQueryNewPalette();
    }
    return CFrameWnd::WindowProc(nMsg, wParam, lParam);
}

int CMainFrame::OnCreate(CREATESTRUCTW* pcs)
{
    if (CFrameWnd::WindowProc(WM_CREATE, 0, reinterpret_cast<LPARAM>(pcs)) == -1)
        return -1;
    ModifyStyleEx(WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE, 0, SWP_FRAMECHANGED);

    m_pView = std::make_unique<CPlayerView>();
    if (!m_pView->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, RECT{0, 0, 0, 0}, this, AFX_IDW_PANE_FIRST))
        return -1;
    SetActiveView(m_pView.get());

    // (Toolbar with the seek slider, system volume and its popup, status
    // bar, the Always-on-top item and the drop target are created here.)

    RecalcLayout();
    return 0;
}

void CMainFrame::ToggleFullScreen()
{
    // TODO: full screen. Until it exists the window shows in its normal state.
    ShowWindow(SW_SHOWNORMAL);
}

LRESULT CMainFrame::OnQueryNewPalette()
{
    if (CView* pView = GetActiveView()) {
        Invalidate();
        UpdateWindow();
        if (pView == m_pView.get())
            m_pView->RealizePalette();
    }
    return Default();
}

void CMainFrame::OnGetMinMaxInfo(MINMAXINFO* pMinMax)
{
    Default();
    pMinMax->ptMinTrackSize.x = MIN_TRACK_WIDTH;
    pMinMax->ptMinTrackSize.y = MIN_TRACK_HEIGHT;
}
