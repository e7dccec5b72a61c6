#include "QRVAudioMixerButton.h"

bool QRVAudioMixerButton::PrepareDetails()
{
    m_control.fdwControl |= MIXERCONTROL_CONTROLF_UNIFORM;
    return QRVAudioMixerBase::PrepareDetails();
}

bool QRVAudioMixerButton::Init(DWORD destinationType, DWORD sourceType, DWORD controlType, int nItemIndex,
                               UINT mixerId)
{
    if (m_hWnd == nullptr)
        return false;
    ::EnableWindow(m_hWnd, FALSE);
    switch (controlType & MIXERCONTROL_CT_CLASS_MASK) {
    case MIXERCONTROL_CT_CLASS_SWITCH:
        m_nItemIndex = 0;
        break;
    case MIXERCONTROL_CT_CLASS_LIST:
        m_nItemIndex = nItemIndex;
        break;
    default:
        return false;
    }
    if (!Bind(destinationType, sourceType, controlType, m_hWnd, mixerId, MIXER_ANY_LINE))
        return false;
    const bool bMultiple = (m_control.fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE) != 0;
    if (m_nItemIndex >= 0 && m_nItemIndex < GetValueCount() &&
        (!bMultiple || static_cast<DWORD>(m_nItemIndex) < m_control.cMultipleItems)) {
        ReadDetails();
        ::EnableWindow(m_hWnd, TRUE);
        ShowValue();
        return true;
    }
    Unbind();
    return false;
}

void QRVAudioMixerButton::Toggle()
{
    if (!IsBound() || m_pValues == nullptr)
        return;
    m_pValues[m_nItemIndex] = IsOn() ? 0 : 1;
    ShowValue();
    WriteDetails();
}

bool QRVAudioMixerButton::OnClicked()
{
    Toggle();
    return true;
}

LRESULT QRVAudioMixerButton::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    switch (nMsg) {
    case MM_MIXM_CONTROL_CHANGE:
        if (IsBound() && reinterpret_cast<HMIXER>(wParam) == m_hMixer &&
            static_cast<DWORD>(lParam) == m_control.dwControlID && ReadDetails())
            ShowValue();
        return 0;
    case WM_DESTROY:
        Release();
        break;
    }
    return CButton::WindowProc(nMsg, wParam, lParam);
}
