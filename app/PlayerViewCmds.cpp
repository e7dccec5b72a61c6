// The view's commands with their enable rules, the mouse on the picture
// area and the context menu.
#include "PlayerView.h"

#include <algorithm>

#include "LongFileDialog.h"
#include "MainFrm.h"
#include "PlayerApp.h"
#include "resource.h"

namespace {

constexpr int VIEW_OPEN_MAX_PATH = MAX_PATH;
constexpr int VIEW_PLAY_MENU = 1;  // the Play menu's place in the menu bar

}  // namespace

bool CPlayerView::OnCmdTable(UINT nID, ECmdMsg nCode, CCmdUI* pCmdUI)
{
    using V = CPlayerView;
    static const CCmdEntry<V> table[] = {
        {ID_FILE_OPEN, &V::OnFileOpen, nullptr},
        {ID_FILE_CLOSE, &V::CloseFile, &V::OnUpdateIfOpen},
        {ID_PLAY_PLAYPAUSE, &V::OnPlayPause, &V::OnUpdateIfOpen},
        {ID_PLAY_PLAY, &V::OnPlayPause, &V::OnUpdatePlay},
        {ID_PLAY_PAUSE, &V::OnPlayPause, &V::OnUpdatePause},
        {ID_PLAY_STOP, &V::OnStop, &V::OnUpdateStop},
        {ID_PLAY_HOME, &V::OnHome, &V::OnUpdateNavigation},
        {ID_PLAY_BACK, &V::OnBack, &V::OnUpdateNavigation},
        {ID_PLAY_FORWARD, &V::OnForward, &V::OnUpdateNavigation},
        {ID_PLAY_END, &V::OnEnd, &V::OnUpdateNavigation},
        {ID_PLAY_STEPBACK, &V::OnStepBack, &V::OnUpdateNavigation},
        {ID_PLAY_STEPFORWARD, &V::OnStepForward, &V::OnUpdateNavigation},
        {ID_PLAY_REPEAT, &V::OnRepeat, &V::OnUpdateRepeat},
    };
    return DispatchCmd(this, table, nID, nCode, pCmdUI) || CView::OnCmdTable(nID, nCode, pCmdUI);
}

// ---- enable rules ----

void CPlayerView::OnUpdateIfOpen(CCmdUI& cmdUI)
{
    cmdUI.Enable(IsOpen());
}

void CPlayerView::OnUpdatePlay(CCmdUI& cmdUI)
{
    cmdUI.Enable(IsOpen() && (IsHeld() || m_wndMovie.GetStoredState() != MS_PLAYING));
}

void CPlayerView::OnUpdatePause(CCmdUI& cmdUI)
{
    cmdUI.Enable(IsOpen() && !IsHeld() && m_wndMovie.GetStoredState() == MS_PLAYING);
}

void CPlayerView::OnUpdateStop(CCmdUI& cmdUI)
{
    const int nState = m_wndMovie.GetStoredState();
    cmdUI.Enable(IsOpen() && !IsHeld() && (nState == MS_PLAYING || nState == MS_PAUSED));
}

void CPlayerView::OnUpdateNavigation(CCmdUI& cmdUI)
{
    // No jumps during playback, nor while a seek begun in playback lands.
    cmdUI.Enable(IsOpen() && !IsHeld() && m_wndMovie.GetStoredState() != MS_PLAYING && !m_bSeekWhilePlaying);
}

void CPlayerView::OnUpdateRepeat(CCmdUI& cmdUI)
{
    const CPlayerConfig* pConfig = GetPlayerConfig();
    cmdUI.SetCheck(pConfig != nullptr && pConfig->m_bRepeat ? 1 : 0);
}

// ---- commands ----

void CPlayerView::OnPlayPause()
{
    if (m_wndMovie.GetReportedState() == MS_PLAYING)
        m_wndMovie.Pause();
    else
        m_wndMovie.Play();
    m_bSeekWhilePlaying = false;
}

void CPlayerView::OnStop()
{
    m_wndMovie.Stop(true, false);
    m_bSeekWhilePlaying = false;
    if (CMainFrame* pFrame = MainFrame())
        pFrame->SetPlayState(EPlayState::PS_STOPPED);
}

bool CPlayerView::SeekTo(int nPos, bool bFinal, bool bExact)
{
    CMainFrame* pFrame = MainFrame();
    if (pFrame != nullptr && pFrame->GetPlayState() == EPlayState::PS_PLAYING)
        m_bSeekWhilePlaying = true;
    return m_wndMovie.Seek(nPos, bFinal, bExact, MW_SEEK_MAY_STOP) != 0;
}

void CPlayerView::OnHome()
{
    SeekTo(0, MW_SEEK_FINAL, MW_SEEK_EXACT);
}

void CPlayerView::OnEnd()
{
    SeekTo(m_wndMovie.GetLength(), MW_SEEK_FINAL, MW_SEEK_EXACT);
}

void CPlayerView::JumpBy(int nMs)
{
    int nPos = std::max(m_wndMovie.GetPosition() + nMs, 0);
    m_wndMovie.Seek(nPos, MW_SEEK_FINAL, MW_SEEK_KEY_FRAMES, MW_SEEK_MAY_STOP);
    ShowPosition();
}

void CPlayerView::OnStepBack()
{
    m_wndMovie.StepBackward();
    ShowPosition();
}

void CPlayerView::OnStepForward()
{
    m_wndMovie.StepForward();
    ShowPosition();
}

void CPlayerView::ShowPosition()
{
    if (CMainFrame* pFrame = MainFrame())
        pFrame->SetPosition(m_wndMovie.GetPosition());
}

void CPlayerView::OnRepeat()
{
    CPlayerConfig* pConfig = GetPlayerConfig();
    if (pConfig == nullptr)
        return;
    pConfig->m_bRepeat = !pConfig->m_bRepeat;
    const DWORD dwOptions = m_wndMovie.GetOptions();
    m_wndMovie.SetOptions(pConfig->m_bRepeat ? dwOptions | MWO_REPEAT : dwOptions & ~MWO_REPEAT);
}

void CPlayerView::OnFileOpen()
{
    // The file type chosen last stays chosen for the rest of the run.
    static DWORD s_nFilterIndex = 0;
    const std::wstring strFilter = AfxLoadString(IDS_OPEN_FILTER);
    const std::wstring strTitle = AfxLoadString(IDS_OPEN_TITLE);
    CLongFileDialog dlg(true, L"avi", L"", OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, strFilter.c_str(), this,
                        VIEW_OPEN_MAX_PATH, L".avi");
    dlg.m_ofn.lpstrTitle = strTitle.c_str();
    dlg.m_ofn.nFilterIndex = s_nFilterIndex;
    if (dlg.DoModal() != IDOK)
        return;
    s_nFilterIndex = dlg.m_ofn.nFilterIndex;
    ReplaceFile(dlg.GetPathName());
}

// ---- mouse and context menu ----

void CPlayerView::OnLButtonDown(LPARAM lParam)
{
    const CPlayerConfig* pConfig = GetPlayerConfig();
    CMainFrame* pFrame = MainFrame();
    if (pConfig == nullptr || !pConfig->m_bDrag || pFrame == nullptr)
        return;
    if (!::IsZoomed(pFrame->m_hWnd) && !pFrame->IsFullScreen())
        pFrame->PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, lParam);
}

void CPlayerView::OnLButtonDblClk(LPARAM lParam)
{
    const CPlayerConfig* pConfig = GetPlayerConfig();
    CMainFrame* pFrame = MainFrame();
    if (pConfig == nullptr || !pConfig->m_bDrag || pFrame == nullptr)
        return;
    if (!pFrame->IsFullScreen())
        pFrame->PostMessage(WM_NCLBUTTONDBLCLK, HTCAPTION, lParam);
}

CMenu CPlayerView::BuildContextMenu()
{
    CMenu menu;
    if (!menu.LoadMenu(IDR_MAINFRAME))
        return menu;
    // The Play menu becomes the popup; the rest of the bar goes.
    HMENU hPlay = menu.GetSubMenu(VIEW_PLAY_MENU);
    if (hPlay == nullptr)
        return CMenu();
    ::RemoveMenu(menu.Get(), VIEW_PLAY_MENU, MF_BYPOSITION);
    CMenu popup(hPlay);
    const CPlayerConfig* pConfig = GetPlayerConfig();
    CMainFrame* pFrame = MainFrame();
    if ((pFrame != nullptr && pFrame->IsFullScreen()) || pConfig == nullptr || !pConfig->m_bAlwaysOnTop)
        ::DeleteMenu(popup.Get(), ID_VIEW_ALWAYSONTOP, MF_BYCOMMAND);
    ::AppendMenuW(popup.Get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(popup.Get(), MF_STRING, ID_APP_EXIT, AfxLoadString(IDS_EXIT_ITEM).c_str());
    return popup;
}

void CPlayerView::OnContextMenu()
{
    CMenu popup = BuildContextMenu();
    CMainFrame* pFrame = MainFrame();
    POINT pt{};
    if (!popup || pFrame == nullptr || !::GetCursorPos(&pt))
        return;
    AfxTrackPopupMenu(popup.Get(), pt, pFrame);
}
