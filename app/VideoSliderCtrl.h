// CVideoSliderCtrl: the seek slider on the toolbar. A click on its channel
// moves the thumb there at once (and the drag goes on from there); it never
// keeps the keyboard focus, so the playback keys keep working after a seek
// with the mouse. The toolbar turns its notifications into seeks.
#pragma once

#include "afxwin.h"

class CVideoSliderCtrl : public CSliderCtrl {
public:
    // The position a click at x on the channel stands for: the thumb's
    // centre comes under the click. Clamped to nMin .. nMax.
    static int ClickPosition(int nMin, int nMax, int x, int nThumbWidth, int nChannelLeft, int nChannelRight);

    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override;

    // The last press on the channel moved the thumb to the click point;
    // cleared by the next notification the toolbar handles.
    bool m_bJumped = false;
    // A press on the slider began a tracking that has not ended yet.
    bool m_bTracking = false;

private:
    void OnLButtonDown(POINT pt);
};
