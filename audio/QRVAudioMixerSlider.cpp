#include "QRVAudioMixerSlider.h"

#include <algorithm>
#include <climits>

namespace {

// The louder of the first two values (the only one with one channel).
DWORD Louder(const DWORD* pValues, int nValues)
{
    return nValues >= 2 ? std::max(pValues[0], pValues[1]) : pValues[0];
}

DWORD Truncated(double f)
{
    return f <= 0.0 ? 0 : static_cast<DWORD>(std::min(f, 4294967295.0));
}

}  // namespace

int QRVAudioMixerSlider::DivisorOf(DWORD dwMin, DWORD dwMax, DWORD nSteps)
{
    DWORD dwSpan = dwMax - dwMin + 1;
    if (dwSpan == 0)
        dwSpan = 1;
    const DWORD dwDivisor = nSteps != 0 ? dwSpan / nSteps : 0;
    return dwDivisor == 0 ? 1 : static_cast<int>(std::min<DWORD>(dwDivisor, INT_MAX));
}

int QRVAudioMixerSlider::ThumbOf(int nMode, const DWORD* pValues, int nValues, int nDivisor, int nSteps,
                                 float& fBalance)
{
    const DWORD dwLouder = Louder(pValues, nValues);
    if (nValues >= 2 && dwLouder > 0)
        fBalance = static_cast<float>((static_cast<double>(pValues[1]) - pValues[0]) / dwLouder);
    const DWORD dwDivisor = static_cast<DWORD>(std::max(nDivisor, 1));
    switch (nMode) {
    case MSM_LEFT:
        return static_cast<int>(pValues[0] / dwDivisor);
    case MSM_RIGHT:
        return static_cast<int>(pValues[nValues >= 2 ? 1 : 0] / dwDivisor);
    case MSM_BOTH:
        return static_cast<int>(dwLouder / dwDivisor);
    default:
        return dwLouder > 0 ? static_cast<int>(nSteps * (fBalance + 1.0f) / 2.0f) : -1;
    }
}

void QRVAudioMixerSlider::ApplyThumb(int nMode, int v, int nSpan, float fBalance, DWORD* pValues, int nValues)
{
    if (nValues <= 0)
        return;
    const DWORD dwV = static_cast<DWORD>(std::max(v, 0));
    const int nSecond = nValues >= 2 ? 1 : 0;
    const DWORD dwLouder = Louder(pValues, nValues);
    switch (nMode) {
    case MSM_LEFT:
        pValues[0] = dwV;
        break;
    case MSM_RIGHT:
        pValues[nSecond] = dwV;
        break;
    case MSM_BOTH:
        if (nValues < 2) {
            pValues[0] = dwV;
        } else if (fBalance > 0.0f) {
            pValues[1] = dwV;
            pValues[0] = Truncated(dwV * (1.0 - fBalance));
        } else {
            pValues[0] = dwV;
            pValues[1] = Truncated(dwV * (1.0 + fBalance));
        }
        break;
    default: {
        const double fSpan = std::max(nSpan, 1);
        if (v > nSpan / 2) {
            pValues[nSecond] = dwLouder;
            pValues[0] = Truncated(dwLouder * 2.0 * (1.0 - v / fSpan));
        } else {
            pValues[nSecond] = Truncated(dwLouder * 2.0 * v / fSpan);
            pValues[0] = dwLouder;
        }
        break;
    }
    }
}

bool QRVAudioMixerSlider::Init(DWORD destinationType, DWORD sourceType, DWORD controlType, int nMode,
                               UINT mixerId, DWORD lineId)
{
    if (m_hWnd == nullptr)
        return false;
    ::EnableWindow(m_hWnd, FALSE);
    if (nMode == MSM_BALANCE)
        SetPos((GetRangeMin() + GetRangeMax()) / 2);
    if ((controlType & MIXERCONTROL_CT_CLASS_MASK) != MIXERCONTROL_CT_CLASS_FADER || nMode < MSM_LEFT ||
        nMode > MSM_BALANCE)
        return false;
    if (!Bind(destinationType, sourceType, controlType, m_hWnd, mixerId, lineId))
        return false;
    m_nMode = nMode;
    m_nSteps = static_cast<int>(std::min<DWORD>(m_control.Metrics.cSteps, INT_MAX));
    m_nDivisor = DivisorOf(m_control.Bounds.dwMinimum, m_control.Bounds.dwMaximum, m_control.Metrics.cSteps);
    SetRange(0, m_nSteps);
    if (m_nChannels >= 2 || nMode == MSM_BOTH) {
        if (!ReadDetails())
            return false;
        ::EnableWindow(m_hWnd, TRUE);
        ShowValue();
        return true;
    }
    if (nMode == MSM_BALANCE)
        SetPos(m_nSteps / 2);
    Unbind();
    return false;
}

int QRVAudioMixerSlider::Span() const
{
    const DWORD dwSpan = m_control.Bounds.dwMaximum - m_control.Bounds.dwMinimum + 1;
    return dwSpan == 0 ? 1 : static_cast<int>(std::min<DWORD>(dwSpan, INT_MAX));
}

void QRVAudioMixerSlider::ShowValue()
{
    if (m_pValues == nullptr)
        return;
    const int nThumb = ThumbOf(m_nMode, m_pValues, ValueChannels(), m_nDivisor, m_nSteps, m_fBalance);
    if (nThumb >= 0)  // (the balance of silence is unknown)
        MoveThumb(nThumb);
}

void QRVAudioMixerSlider::TakeValue(int v)
{
    if (m_pValues == nullptr || ValueChannels() == 0)
        return;
    ApplyThumb(m_nMode, v, Span(), m_fBalance, m_pValues, ValueChannels());
    WriteDetails();
}

void QRVAudioMixerSlider::MoveThumb(int nPos)
{
    if (IsVertical())
        nPos = m_nSteps - nPos;
    SendMessage(TBM_SETPOS, TRUE, nPos);
}

int QRVAudioMixerSlider::ReadThumb() const
{
    int nPos = GetPos();
    if (IsVertical())
        nPos = m_nSteps - nPos;
    return nPos * m_nDivisor;
}

bool QRVAudioMixerSlider::OnScroll(UINT nCode, int nPos)
{
    if (IsBound())
        TakeValue(ReadThumb());
    return true;
}

LRESULT QRVAudioMixerSlider::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    switch (nMsg) {
    case MM_MIXM_CONTROL_CHANGE:
        if (IsBound() && reinterpret_cast<HMIXER>(wParam) == m_hMixer &&
            static_cast<DWORD>(lParam) == m_control.dwControlID) {
            if (HWND hParent = ::GetParent(m_hWnd))
                ::PostMessageW(hParent, nMsg, wParam, lParam);
            if (ReadDetails())
                ShowValue();
        }
        return 0;
    case WM_DESTROY:
        Release();
        break;
    }
    return CSliderCtrl::WindowProc(nMsg, wParam, lParam);
}
