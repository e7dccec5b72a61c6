// The main frame's side of the system volume: binding the wave-out line's
// volume and mute at creation, the volume commands of the keys and the
// menu, the toolbar's volume button with its popup and its four images.
#include "MainFrm.h"

#include <algorithm>

#include "resource.h"

namespace {

constexpr int FRAME_WAVE_OUT_LINE = 1;  // the wave-out source's line kind
constexpr UINT FRAME_VOLUME_STEPS = 25;

}  // namespace

void CMainFrame::CreateVolume()
{
    const bool bVolume = m_volume.Open(m_hWnd, 0) && m_volume.BindLine(FRAME_WAVE_OUT_LINE, VK_MUTE_CONTROL, false) &&
                         m_volume.BindLine(FRAME_WAVE_OUT_LINE, VK_VOLUME_CONTROL, false) &&
                         m_volume.GetRange(FRAME_WAVE_OUT_LINE, VK_VOLUME_CONTROL, m_nVolumeMin, m_nVolumeMax) &&
                         m_volume.SetSteps(FRAME_VOLUME_STEPS);
    if (bVolume && m_dlgVolume.CreateModeless())
        return;
    m_volume.Close();
    if (m_wndToolBar.m_hWnd != nullptr) {
        for (UINT nID : {ID_VOLUME_POPUP, ID_SEPARATOR_VOLUME})
            m_wndToolBar.HideButton(m_wndToolBar.CommandToIndex(nID), true);
    }
}

void CMainFrame::RefreshVolumePopup()
{
    if (m_dlgVolume.m_hWnd != nullptr)
        m_dlgVolume.Refresh();
}

void CMainFrame::StepVolume(bool bUp)
{
    m_volume.Step(bUp, FRAME_WAVE_OUT_LINE, VK_VOLUME_CONTROL);
    m_volume.SetValue(0, FRAME_WAVE_OUT_LINE, VK_MUTE_CONTROL);  // and unmuted
    RefreshVolumePopup();
}

void CMainFrame::OnVolumeMute()
{
    int nMuted = 0;
    if (m_volume.GetValue(FRAME_WAVE_OUT_LINE, VK_MUTE_CONTROL, nMuted))
        m_volume.SetValue(nMuted != 0 ? 0 : 1, FRAME_WAVE_OUT_LINE, VK_MUTE_CONTROL);
    RefreshVolumePopup();
}

void CMainFrame::OnVolumePopup()
{
    if (m_dlgVolume.m_hWnd != nullptr)
        m_dlgVolume.ShowWindow(SW_SHOW);
}

void CMainFrame::OnUpdateVolumeUp(CCmdUI& cmdUI)
{
    // The Volume submenu's entry carries this command's id.
    if (cmdUI.IsSubMenu()) {
        cmdUI.Enable(m_volume.IsOpen());
        return;
    }
    // Also at the maximum while muted: the command still unmutes there.
    int nVolume = 0;
    int nMuted = 0;
    cmdUI.Enable(m_volume.GetValue(FRAME_WAVE_OUT_LINE, VK_VOLUME_CONTROL, nVolume) &&
                 (nVolume < m_nVolumeMax ||
                  (m_volume.GetValue(FRAME_WAVE_OUT_LINE, VK_MUTE_CONTROL, nMuted) && nMuted != 0)));
}

void CMainFrame::OnUpdateVolumeDown(CCmdUI& cmdUI)
{
    int nVolume = 0;
    cmdUI.Enable(m_volume.GetValue(FRAME_WAVE_OUT_LINE, VK_VOLUME_CONTROL, nVolume) && nVolume > m_nVolumeMin);
}

void CMainFrame::OnUpdateVolumeMute(CCmdUI& cmdUI)
{
    int nMuted = 0;
    cmdUI.SetCheck(m_volume.GetValue(FRAME_WAVE_OUT_LINE, VK_MUTE_CONTROL, nMuted) && nMuted != 0 ? 1 : 0);
    cmdUI.Enable(m_volume.IsOpen());
}

int CMainFrame::VolumeImage(int nBase, bool bMuted, int nVolume, int nMin, int nMax)
{
    if (bMuted || nVolume == nMin)
        return nBase;
    // (Clamped: a driver may report a value outside its own bounds.)
    return nBase + 1 + std::clamp(::MulDiv(2, nVolume - nMin, nMax - nMin), 0, 2);
}

void CMainFrame::OnUpdateVolumePopup(CCmdUI& cmdUI)
{
    int nMuted = 0;
    int nVolume = 0;
    int nMin = 0;
    int nMax = 0;
    const int nIndex = m_wndToolBar.m_hWnd != nullptr ? m_wndToolBar.CommandToIndex(ID_VOLUME_POPUP) : -1;
    if (m_nVolumeImageBase < 0 || nIndex < 0 || !m_volume.GetValue(FRAME_WAVE_OUT_LINE, VK_MUTE_CONTROL, nMuted) ||
        !m_volume.GetValue(FRAME_WAVE_OUT_LINE, VK_VOLUME_CONTROL, nVolume) ||
        !m_volume.GetRange(FRAME_WAVE_OUT_LINE, VK_VOLUME_CONTROL, nMin, nMax))
        return;
    const int nImage = VolumeImage(m_nVolumeImageBase, nMuted != 0, nVolume, nMin, nMax);
    UINT nID = 0;
    UINT nStyle = 0;
    int nOldImage = 0;
    m_wndToolBar.GetButtonInfo(nIndex, nID, nStyle, nOldImage);
    if (nImage != nOldImage)
        m_wndToolBar.SetButtonInfo(nIndex, nID, nStyle, nImage);
}
