#include "VolumeCtrlDlg.h"

#include "MainFrm.h"
#include "PlayerView.h"
#include "resource.h"

// The popup belongs to the frame only while it is shown. Wine drops a
// window's topmost state whenever it is moved in the z-order while a
// topmost window it owns sits above it (always on top and full screen
// would not stay on top), and a hidden popup owned by a topmost frame is
// such a window. Shown, the popup is owned, so that it comes up above the
// frame and goes with it.
CVolumeCtrlDlg::CVolumeCtrlDlg(CMainFrame* pFrame) : QRVVolumeControlDlg(IDD_VOLUME, pFrame), m_pFrame(pFrame) {}

bool CVolumeCtrlDlg::OnInitDialog()
{
    const bool bResult = QRVVolumeControlDlg::OnInitDialog();
    SetOwner(nullptr);
    return bResult;
}

void CVolumeCtrlDlg::SetOwner(HWND hOwner)
{
    ::SetWindowLongPtrW(m_hWnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(hOwner));
    if (hOwner == nullptr)
        SetWindowPos(HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT CVolumeCtrlDlg::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    switch (nMsg) {
    case WM_SHOWWINDOW:
        if (wParam != FALSE)
            SetOwner(m_pFrame->m_hWnd);
        Default();
        if (CPlayerView* pView = m_pFrame->GetPlayerView();
            wParam != FALSE && pView != nullptr && pView->m_hWnd != nullptr) {
            ::SetFocus(GetDlgItem(IDC_VOLUME_LABEL));
            // Right edges and tops lined up, in screen coordinates.
            const RECT rcView = pView->GetWindowRect();
            const RECT rcSelf = GetWindowRect();
            SetWindowPos(HWND_TOP, rcView.right - (rcSelf.right - rcSelf.left), rcView.top, 0, 0, SWP_NOSIZE);
        }
        return 0;
    case WM_WINDOWPOSCHANGED:
        if ((reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_HIDEWINDOW) != 0) {
            Default();
            SetOwner(nullptr);
            return 0;
        }
        break;
    }
    return QRVVolumeControlDlg::WindowProc(nMsg, wParam, lParam);
}
