// QRVAudioMixerButton: a check box bound to a switch of the system mixer
// (a mute), or to one item of a list control. Clicking it writes the
// switch at once; changes made elsewhere set the check when the mixer
// reports them. It reads and writes one value for all channels.
#pragma once

#include "QRVAudioMixerBase.h"
#include "controls.h"

class QRVAudioMixerButton : public CButton, public QRVAudioMixerBase {
public:
    // Binds the control on any line; the button stays disabled when this
    // fails.
    bool Init(DWORD destinationType, DWORD sourceType, DWORD controlType, int nItemIndex, UINT mixerId);
    // Flips the shown value and writes it.
    void Toggle();
    // The value at the item index, as last read or written.
    bool IsOn() const { return m_pValues != nullptr && m_pValues[m_nItemIndex] != 0; }
    // The check shows that value.
    void ShowValue() { SetCheck(IsOn() ? BST_CHECKED : BST_UNCHECKED); }

    bool PrepareDetails() override;
    void Release() override {}
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override;
    bool OnClicked() override;
};
