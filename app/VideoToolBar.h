// CVideoToolBar: the player's toolbar. It owns the seek slider, which sits
// over a separator of the toolbar, and turns the slider's notifications
// into seeks of the view: a stream of preview seeks while the thumb is
// dragged, one final seek when it is let go.
#pragma once

#include "VideoSliderCtrl.h"
#include "afxwin.h"

class CVideoToolBar : public CToolBar {
public:
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override;

    CVideoSliderCtrl m_wndSlider;

private:
    void OnSliderScroll(UINT nCode);
};
