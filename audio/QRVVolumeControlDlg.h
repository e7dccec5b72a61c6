// QRVVolumeControlDlg: a small borderless popup with a vertical volume
// slider and a mute check box bound to the system mixer's wave-out volume
// and mute. It behaves like a drop-down: Enter, Esc and the loss of
// activation hide it (it is never ended), and while it is active the main
// window's keyboard shortcuts still act on the main window.
#pragma once

#include "QRVAudioMixerButton.h"
#include "QRVAudioMixerSlider.h"
#include "dialog.h"

class QRVVolumeControlDlg : public CDialog {
public:
    QRVVolumeControlDlg(UINT nIDTemplate, CWnd* pParent);

    // Reads the mixer again into the slider and the check box, for changes
    // that the mixer does not report (the program's own, on some systems).
    void Refresh();

    bool OnInitDialog() override;
    void OnOK() override { ShowWindow(SW_HIDE); }
    void OnCancel() override { ShowWindow(SW_HIDE); }
    bool PreTranslateMessage(MSG* pMsg) override;
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override;

    QRVAudioMixerButton m_btnMute;
    QRVAudioMixerSlider m_sliderVolume;

private:
    // The ramp beside the slider: a triangle wide at the loud end.
    void OnPaint();
};
