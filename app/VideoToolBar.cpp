#include "VideoToolBar.h"

#include "MainFrm.h"
#include "PlayerView.h"

LRESULT CVideoToolBar::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    if (nMsg == WM_HSCROLL && m_wndSlider.m_hWnd != nullptr &&
        reinterpret_cast<HWND>(lParam) == m_wndSlider.m_hWnd)
        OnSliderScroll(LOWORD(wParam));
    return CToolBar::WindowProc(nMsg, wParam, lParam);
}

void CVideoToolBar::OnSliderScroll(UINT nCode)
{
    if (nCode != TB_THUMBTRACK && nCode != TB_ENDTRACK)
        return;
    // The trackbar may end one tracking twice (at the release and again
    // when it lets the mouse go); a second final seek would cancel the
    // restart of playback that the first one arranged.
    if (nCode == TB_ENDTRACK && !m_wndSlider.m_bTracking)
        return;
    if (nCode == TB_ENDTRACK)
        m_wndSlider.m_bTracking = false;
    auto* pFrame = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
    CPlayerView* pView = pFrame != nullptr ? pFrame->GetPlayerView() : nullptr;
    if (pView == nullptr || pFrame->GetActiveView() != pView)
        return;
    // A click on the channel asks for the exact picture of its point.
    pView->SeekTo(m_wndSlider.GetPos(), nCode == TB_ENDTRACK, m_wndSlider.m_bJumped);
    m_wndSlider.m_bJumped = false;
}
