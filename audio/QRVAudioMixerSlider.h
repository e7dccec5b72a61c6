// QRVAudioMixerSlider: a trackbar bound to a fader control of the system
// mixer (a volume). The thumb shows the control's value and moving it
// writes the control at once; changes made elsewhere move the thumb when
// the mixer reports them. Modes: the left channel, the right channel, both
// channels (the thumb shows the louder one and moving it keeps the
// balance), or the balance itself. A vertical slider has loud at the top.
#pragma once

#include "QRVAudioMixerBase.h"
#include "controls.h"

enum EMixerSliderMode { MSM_LEFT = 0, MSM_RIGHT = 1, MSM_BOTH = 2, MSM_BALANCE = 3 };

class QRVAudioMixerSlider : public CSliderCtrl, public QRVAudioMixerBase {
public:
    // Binds the control (the slider's window receives the mixer's change
    // notifications); the slider stays disabled when this fails.
    bool Init(DWORD destinationType, DWORD sourceType, DWORD controlType, int nMode, UINT mixerId,
              DWORD lineId = MIXER_ANY_LINE);

    void ShowValue();                // values -> thumb
    void TakeValue(int v);           // v (mixer units) -> values -> mixer
    void TakeValue() { TakeValue(ReadThumb()); }
    int ReadThumb() const;           // the thumb in mixer units
    void MoveThumb(int nPos);

    void Release() override {}
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override;
    bool OnScroll(UINT nCode, int nPos) override;

    int GetDivisor() const { return m_nDivisor; }
    int GetSteps() const { return m_nSteps; }
    float GetBalance() const { return m_fBalance; }

    // The arithmetic, apart from any window or mixer.
    // Mixer units per slider step for a control of [dwMin, dwMax] in nSteps.
    static int DivisorOf(DWORD dwMin, DWORD dwMax, DWORD nSteps);
    // The thumb position for pValues (nValues channels); fBalance is
    // updated when the values tell it.
    static int ThumbOf(int nMode, const DWORD* pValues, int nValues, int nDivisor, int nSteps, float& fBalance);
    // Writes thumb value v (mixer units) into pValues for the mode.
    static void ApplyThumb(int nMode, int v, int nSpan, float fBalance, DWORD* pValues, int nValues);

private:
    bool IsVertical() const { return (GetStyle() & TBS_VERT) != 0; }
    int Span() const;

    int m_nDivisor = 1;
    int m_nSteps = 0;
    int m_nMode = MSM_LEFT;
    float m_fBalance = 0.0f;
};
