#include "MainFrm.h"

#include <algorithm>

#include "PlayerApp.h"
#include "PlayerView.h"
#include "resource.h"

namespace {

// First rectangle of the frame, before it is fitted and placed.
constexpr int FRAME_INITIAL_WIDTH = 400;
constexpr int FRAME_INITIAL_HEIGHT = 320;
constexpr int FRAME_PLAY_MENU = 1;  // the Play menu's place in the menu bar

// The program's configuration; the defaults outside the player.
const CPlayerConfig& FrameConfig()
{
    static const CPlayerConfig s_defaults;
    const CPlayerConfig* pConfig = GetPlayerConfig();
    return pConfig != nullptr ? *pConfig : s_defaults;
}

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
    const CPlayerConfig& config = FrameConfig();
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
    case WM_SIZE:
        CFrameWnd::WindowProc(nMsg, wParam, lParam);
        LayoutBars();
        return 0;
    case WM_ACTIVATEAPP:
        OnActivateApp(wParam != FALSE);
        break;
    case WM_OPEN_DROPPED_FILE:
        if (m_pView && m_pView->m_hWnd != nullptr && GetActiveView() == m_pView.get())
            m_pView->ReplaceFile(m_strDroppedFile);
        return 0;
    case WM_DESTROY:
        if (m_pDropTarget)
            m_pDropTarget->Revoke();
        if (m_dlgVolume.m_hWnd != nullptr)
            m_dlgVolume.DestroyWindow();
        m_volume.Close();
        break;
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

    const CPlayerConfig& config = FrameConfig();
    if (config.m_bToolBar && !CreateToolBar(config))
        return -1;
    CreateVolume();
    if (config.m_bStatusBar && !CreateStatusBar())
        return -1;

    // Always on top is offered only to a player started on top.
    if (!config.m_bAlwaysOnTop) {
        if (HMENU hPlay = ::GetSubMenu(::GetMenu(m_hWnd), FRAME_PLAY_MENU))
            ::DeleteMenu(hPlay, ID_VIEW_ALWAYSONTOP, MF_BYCOMMAND);
    }

    RecalcLayout();

    m_pDropTarget = std::make_unique<QRVUtlDragAndDropInjection<CMainFrame>>();
    m_pDropTarget->SetOwner(this);
    m_pDropTarget->Register(this);
    return 0;
}

bool CMainFrame::OnCmdTable(UINT nID, ECmdMsg nCode, CCmdUI* pCmdUI)
{
    using F = CMainFrame;
    static const CCmdEntry<F> table[] = {
        {ID_VIEW_FULLSCREEN, &F::OnFullScreen, &F::OnUpdateFullScreen},
        {ID_VIEW_ESCAPE, &F::OnEscape, nullptr},
        {ID_VIEW_ALWAYSONTOP, &F::OnAlwaysOnTop, &F::OnUpdateAlwaysOnTop},
        {ID_VOLUME_UP, &F::OnVolumeUp, &F::OnUpdateVolumeUp},
        {ID_VOLUME_DOWN, &F::OnVolumeDown, &F::OnUpdateVolumeDown},
        {ID_VOLUME_MUTE, &F::OnVolumeMute, &F::OnUpdateVolumeMute},
        {ID_VOLUME_POPUP, &F::OnVolumePopup, &F::OnUpdateVolumePopup},
        {ID_INDICATOR_STATE, nullptr, &F::OnUpdateStatePane},
        {ID_INDICATOR_TIME, nullptr, &F::OnUpdateTimePane},
    };
    return DispatchCmd(this, table, nID, nCode, pCmdUI) || CFrameWnd::OnCmdTable(nID, nCode, pCmdUI);
}

// ---- full screen ----

void CMainFrame::ToggleFullScreen()
{
    if (m_bFullScreenMode)
        LeaveFullScreen(true);
    else
        EnterFullScreen();
}

void CMainFrame::EnterFullScreen()
{
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    if (!::GetWindowPlacement(m_hWnd, &wp))
        return;
    m_bWasZoomed = wp.showCmd == SW_SHOWMAXIMIZED;
    m_rcZoomed = GetWindowRect();
    m_bWasTopMost = IsTopMost();
    m_bHadSizingFrame = (GetStyle() & WS_THICKFRAME) != 0;

    ::SetMenu(m_hWnd, nullptr);  // the frame keeps it in m_hMenuDefault
    m_barsHidden.clear();
    for (CControlBar* pBar : GetControlBars()) {
        if (pBar->IsBarVisible()) {
            pBar->ShowWindow(SW_HIDE);
            m_barsHidden.push_back(pBar);
        }
    }
    RecalcLayout();

    ModifyStyleEx(WS_EX_WINDOWEDGE, 0);
    if (CView* pView = GetActiveView()) {
        pView->ModifyStyleEx(WS_EX_CLIENTEDGE, 0, SWP_FRAMECHANGED);
        if (pView == m_pView.get())
            m_pView->m_wndMovie.SetOptions(m_pView->m_wndMovie.GetOptions() | MWO_NO_DBLCLK);
    }
    ModifyStyle(WS_MAXIMIZE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, WS_POPUP);
    SetTopMost(true);
    SetWindowPos(nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    // Maximized without caption or border: the whole screen.
    wp.showCmd = SW_SHOWMAXIMIZED;
    wp.flags = 0;
    wp.ptMaxPosition = POINT{0, 0};
    ::SetWindowPlacement(m_hWnd, &wp);
    m_bFullScreenMode = true;
}

void CMainFrame::LeaveFullScreen(bool bActivate)
{
    // Cleared first: nothing that the changes below bring about leaves twice.
    m_bFullScreenMode = false;
    if (FrameConfig().m_bTitleBar)
        ModifyStyle(WS_POPUP, WS_CAPTION | WS_SYSMENU);
    else
        ModifyStyle(0, WS_POPUP | WS_DLGFRAME | WS_SYSMENU);
    if (m_bHadSizingFrame)
        ModifyStyle(0, WS_THICKFRAME);
    if (!m_bWasTopMost)
        SetTopMost(false);
    if (CView* pView = GetActiveView()) {
        pView->ModifyStyleEx(0, WS_EX_CLIENTEDGE, SWP_FRAMECHANGED);
        if (pView == m_pView.get())
            m_pView->m_wndMovie.SetOptions(m_pView->m_wndMovie.GetOptions() & ~MWO_NO_DBLCLK);
    }
    ModifyStyleEx(0, WS_EX_WINDOWEDGE);

    // Only the bars that full screen hid, and that are still there.
    for (CControlBar* pBar : GetControlBars()) {
        if (std::find(m_barsHidden.begin(), m_barsHidden.end(), pBar) != m_barsHidden.end())
            pBar->ShowWindow(SW_SHOWNA);
    }
    m_barsHidden.clear();
    RecalcLayout();

    if (m_bWasZoomed) {
        // Still maximized: back to the maximized rectangle it had, with its
        // caption and borders.
        SetWindowPos(nullptr, m_rcZoomed.left, m_rcZoomed.top, m_rcZoomed.right - m_rcZoomed.left,
                     m_rcZoomed.bottom - m_rcZoomed.top, SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        ShowWindow(bActivate ? SW_RESTORE : SW_SHOWNOACTIVATE);
    }
    if (m_hMenuDefault != nullptr)
        ::SetMenu(m_hWnd, m_hMenuDefault);
}

void CMainFrame::OnActivateApp(bool bActive)
{
    // Another program came to the front: full screen ends, and the window
    // goes behind that program's window when both are in the same band.
    // (A window on its way out, hidden already, is left alone.)
    if (bActive || !m_bFullScreenMode || !IsWindowVisible())
        return;
    LeaveFullScreen(false);
    HWND hForeground = ::GetForegroundWindow();
    if (hForeground == nullptr || hForeground == m_hWnd)
        return;
    const bool bForegroundTopMost = (::GetWindowLongW(hForeground, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    if (bForegroundTopMost == m_bWasTopMost)
        SetWindowPos(hForeground, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CMainFrame::SetTopMost(bool bOn)
{
    if (bOn == IsTopMost())
        return;
    SetWindowPos(bOn ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// ---- commands ----

void CMainFrame::OnUpdateFullScreen(CCmdUI& cmdUI)
{
    cmdUI.SetCheck(m_bFullScreenMode ? 1 : 0);
    // The key shown beside the item is the one that switches back.
    if (dynamic_cast<CMenuCmdUI*>(&cmdUI) != nullptr && !cmdUI.IsSubMenu()) {
        cmdUI.SetText(AfxLoadString(IDS_FULLSCREEN_TEXT) + L"\t" +
                      AfxLoadString(m_bFullScreenMode ? IDS_KEY_ESC : IDS_KEY_ALT_ENTER));
    }
}

void CMainFrame::OnEscape()
{
    if (m_bFullScreenMode)
        ToggleFullScreen();
    if (m_dlgVolume.m_hWnd != nullptr && m_dlgVolume.IsWindowVisible())
        m_dlgVolume.ShowWindow(SW_HIDE);
}

void CMainFrame::OnAlwaysOnTop()
{
    if (!m_bFullScreenMode && FrameConfig().m_bAlwaysOnTop)
        SetTopMost(!IsTopMost());
}

void CMainFrame::OnUpdateAlwaysOnTop(CCmdUI& cmdUI)
{
    cmdUI.SetCheck(IsTopMost() ? 1 : 0);
    cmdUI.Enable(!m_bFullScreenMode);
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
