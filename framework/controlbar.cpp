#include "controlbar.h"

#include "controls.h"
#include "framewnd.h"

namespace {

// Each border is an etched line: a shadow line and a highlight line.
const int CB_BORDER = 2;

}  // namespace

CControlBar::~CControlBar()
{
    if (m_pDockFrame != nullptr)
        m_pDockFrame->RemoveControlBar(this);
}

bool CControlBar::CreateBar(CFrameWnd* pParent, LPCWSTR pszClass, DWORD dwCtrlStyle, DWORD dwStyle, UINT nID)
{
    if (pParent == nullptr || pParent->m_hWnd == nullptr || m_hWnd != nullptr)
        return false;
    AfxInitCommonControls();
    m_dwStyle = dwStyle & CBRS_ALL;
    const DWORD dwWndStyle = (dwStyle & ~CBRS_ALL) | WS_CHILD | dwCtrlStyle | CCS_NOPARENTALIGN |
                             CCS_NOMOVEY | CCS_NODIVIDER | CCS_NORESIZE;
    return CWnd::CreateEx(0, pszClass, L"", dwWndStyle, RECT{0, 0, 0, 0}, pParent->m_hWnd, nID);
}

int CControlBar::CalcHeight(int nWidth)
{
    const RECT rc = GetWindowRect();
    return rc.bottom - rc.top;
}

void CControlBar::SetBarStyle(DWORD dwStyle)
{
    const DWORD dwOld = m_dwStyle;
    m_dwStyle = dwStyle & CBRS_ALL;
    if (m_hWnd != nullptr && ((dwOld ^ m_dwStyle) & CBRS_BORDER_ANY) != 0)
        SetWindowPos(nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

int CControlBar::BorderHeight() const
{
    return ((m_dwStyle & CBRS_BORDER_TOP) ? CB_BORDER : 0) +
           ((m_dwStyle & CBRS_BORDER_BOTTOM) ? CB_BORDER : 0);
}

LRESULT CControlBar::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    switch (nMsg) {
    case WM_NCCALCSIZE: {
        // The control's own non-client area first, then our borders.
        LRESULT lResult = Default();
        auto* prc = reinterpret_cast<RECT*>(lParam);
        if (m_dwStyle & CBRS_BORDER_TOP)
            prc->top += CB_BORDER;
        if (m_dwStyle & CBRS_BORDER_BOTTOM)
            prc->bottom -= CB_BORDER;
        if (prc->bottom < prc->top)
            prc->bottom = prc->top;
        return lResult;
    }
    case WM_NCPAINT:
        Default();
        DrawBorders();
        return 0;
    }
    return CWnd::WindowProc(nMsg, wParam, lParam);
}

void CControlBar::DrawBorders()
{
    if ((m_dwStyle & (CBRS_BORDER_TOP | CBRS_BORDER_BOTTOM)) == 0)
        return;
    HDC hDC = ::GetWindowDC(m_hWnd);
    if (hDC == nullptr)
        return;
    RECT rc = GetWindowRect();
    ::OffsetRect(&rc, -rc.left, -rc.top);
    if (m_dwStyle & CBRS_BORDER_TOP) {
        RECT rcLine{rc.left, rc.top, rc.right, rc.top + CB_BORDER};
        ::DrawEdge(hDC, &rcLine, EDGE_ETCHED, BF_TOP);
    }
    if (m_dwStyle & CBRS_BORDER_BOTTOM) {
        RECT rcLine{rc.left, rc.bottom - CB_BORDER, rc.right, rc.bottom};
        ::DrawEdge(hDC, &rcLine, EDGE_ETCHED, BF_BOTTOM);
    }
    ::ReleaseDC(m_hWnd, hDC);
}
