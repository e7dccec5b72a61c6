#include "QRVVolumeControlDlg.h"

#include "framewnd.h"
#include "gdiguards.h"
#include "resource.h"
#include "winapp.h"

QRVVolumeControlDlg::QRVVolumeControlDlg(UINT nIDTemplate, CWnd* pParent) : CDialog(nIDTemplate, pParent) {}

bool QRVVolumeControlDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_btnMute.SubclassDlgItem(IDC_VOLUME_MUTE, this);
    m_sliderVolume.SubclassDlgItem(IDC_VOLUME_SLIDER, this);
    m_sliderVolume.Init(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT,
                        MIXERCONTROL_CONTROLTYPE_VOLUME, MSM_BOTH, 0, MIXER_ANY_LINE);
    m_btnMute.Init(MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT,
                   MIXERCONTROL_CONTROLTYPE_MUTE, 0, 0);
    ::SetFocus(GetDlgItem(IDC_VOLUME_LABEL));
    return false;  // the focus is set
}

void QRVVolumeControlDlg::Refresh()
{
    if (m_sliderVolume.IsBound() && m_sliderVolume.ReadDetails())
        m_sliderVolume.ShowValue();
    if (m_btnMute.IsBound() && m_btnMute.ReadDetails())
        m_btnMute.ShowValue();
}

bool QRVVolumeControlDlg::PreTranslateMessage(MSG* pMsg)
{
    auto* pMain = dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
    if (pMain != nullptr && pMain->m_hWnd != nullptr && pMain->GetDefaultAccelerator() != nullptr &&
        ::TranslateAcceleratorW(pMain->m_hWnd, pMain->GetDefaultAccelerator(), pMsg) != 0)
        return true;
    return CDialog::PreTranslateMessage(pMsg);
}

LRESULT QRVVolumeControlDlg::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    switch (nMsg) {
    case WM_ACTIVATE:
        Default();
        if (LOWORD(wParam) == WA_INACTIVE)
            ShowWindow(SW_HIDE);
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    }
    return CDialog::WindowProc(nMsg, wParam, lParam);
}

void QRVVolumeControlDlg::OnPaint()
{
    PAINTSTRUCT ps;
    HDC hDC = ::BeginPaint(m_hWnd, &ps);
    RECT rc{};
    if (HWND hRamp = GetDlgItem(IDC_VOLUME_RAMP); hRamp != nullptr && ::GetWindowRect(hRamp, &rc)) {
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        // The rectangle's right and bottom edges are outside it.
        const int nRight = rc.right - 1;
        const int nBottom = rc.bottom - 1;
        CGdiObject<HPEN> penLight(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNHIGHLIGHT)));
        CGdiObject<HPEN> penDark(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW)));
        HGDIOBJ hOld = ::SelectObject(hDC, penLight.Get());
        ::MoveToEx(hDC, nRight, nBottom, nullptr);
        ::LineTo(hDC, rc.left, rc.top);
        ::LineTo(hDC, nRight, rc.top);
        ::SelectObject(hDC, penDark.Get());
        ::LineTo(hDC, nRight, nBottom);
        ::SelectObject(hDC, hOld);
    }
    ::EndPaint(m_hWnd, &ps);
}
