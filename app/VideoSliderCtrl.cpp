#include "VideoSliderCtrl.h"

#include <algorithm>

int CVideoSliderCtrl::ClickPosition(int nMin, int nMax, int x, int nThumbWidth, int nChannelLeft,
                                    int nChannelRight)
{
    // MulDiv rounds, and gives -1 for a channel no wider than the thumb:
    // the clamp takes care of both ends.
    const int nPos = nMin + ::MulDiv(nMax - nMin, x - nThumbWidth / 2 - nChannelLeft,
                                     nChannelRight - nChannelLeft - nThumbWidth);
    return std::clamp(nPos, nMin, std::max(nMin, nMax));
}

LRESULT CVideoSliderCtrl::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    switch (nMsg) {
    case WM_LBUTTONDOWN:
        OnLButtonDown(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        break;  // the trackbar then drags the thumb now under the cursor
    case WM_SETFOCUS:
        // The keys belong to the main window, never to the slider.
        if (CWnd* pMain = AfxGetMainWnd(); pMain != nullptr && pMain->m_hWnd != nullptr) {
            pMain->SetFocus();
            return 0;
        }
        break;
    }
    return CSliderCtrl::WindowProc(nMsg, wParam, lParam);
}

void CVideoSliderCtrl::OnLButtonDown(POINT pt)
{
    m_bTracking = true;
    RECT rcThumb{};
    RECT rcChannel{};
    SendMessage(TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&rcThumb));
    SendMessage(TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&rcChannel));
    if (::PtInRect(&rcThumb, pt) || pt.x < rcChannel.left || pt.x >= rcChannel.right) {
        m_bJumped = false;  // a thumb drag or paging, as the trackbar does it
        return;
    }
    SetPos(ClickPosition(GetRangeMin(), GetRangeMax(), pt.x, rcThumb.right - rcThumb.left, rcChannel.left,
                         rcChannel.right));
    m_bJumped = true;
}
