#include "controls.h"

void AfxInitCommonControls()
{
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
}

bool CButton::Create(LPCWSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nID)
{
    return CWnd::Create(L"BUTTON", lpszCaption, dwStyle, rect, pParent, nID);
}

bool CButton::OnChildNotify(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (nMsg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED)
        return OnClicked();
    return false;
}

bool CStatic::Create(LPCWSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nID)
{
    return CWnd::Create(L"STATIC", lpszText, dwStyle, rect, pParent, nID);
}

bool CStatic::OnChildNotify(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (nMsg != WM_CTLCOLORSTATIC)
        return false;
    HBRUSH hBrush = OnCtlColor(reinterpret_cast<HDC>(wParam));
    if (hBrush == nullptr)
        return false;
    *pResult = reinterpret_cast<LRESULT>(hBrush);
    return true;
}

bool CSliderCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nID)
{
    AfxInitCommonControls();
    return CWnd::Create(TRACKBAR_CLASSW, L"", dwStyle, rect, pParent, nID);
}

void CSliderCtrl::SetRange(int nMin, int nMax, bool bRedraw)
{
    SendMessage(TBM_SETRANGEMIN, FALSE, nMin);
    SendMessage(TBM_SETRANGEMAX, bRedraw ? TRUE : FALSE, nMax);
}

bool CSliderCtrl::OnChildNotify(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (nMsg != WM_HSCROLL && nMsg != WM_VSCROLL)
        return false;
    // The bar's own position: wParam carries only 16 bits of it.
    return OnScroll(LOWORD(wParam), GetPos());
}
