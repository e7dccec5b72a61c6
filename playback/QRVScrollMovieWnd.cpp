#include "QRVScrollMovieWnd.h"

#include <algorithm>
#include <climits>

namespace {

constexpr UINT SMW_NO_ACTION = 0xFF;
constexpr int SMW_WHEEL_LINES = 3;
constexpr int SMW_FAR = 0x7FFFFFFF;

// The new position of one axis for a scroll action.
int PositionFor(UINT nAction, int nPos, int nTrack, int nLine, int nPage)
{
    switch (nAction) {
    case SB_LINELEFT:
        return nPos - nLine;
    case SB_LINERIGHT:
        return nPos + nLine;
    case SB_PAGELEFT:
        return nPos - nPage;
    case SB_PAGERIGHT:
        return nPos + nPage;
    case SB_THUMBTRACK:
        return nTrack;
    case SB_LEFT:
        return 0;
    case SB_RIGHT:
        return SMW_FAR;
    default:
        return nPos;  // thumb released, end of scroll, no action
    }
}

// Clamps without overflow: the far end may be SMW_FAR.
int Clamp(long long n, int nLimit)
{
    return static_cast<int>(std::max<long long>(0, std::min<long long>(n, nLimit)));
}

int ScrollLimit(HWND hWnd, int nBar)
{
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE;
    if (!::GetScrollInfo(hWnd, nBar, &si))
        return 0;
    const int nPage = si.nPage > 0 ? static_cast<int>(si.nPage) - 1 : 0;
    return std::max(0, si.nMax - nPage);
}

}  // namespace

bool QRVScrollMovieWnd::PreCreateWindow(CREATESTRUCTW& cs)
{
    cs.style |= WS_HSCROLL | WS_VSCROLL;
    return QRVMovieWnd::PreCreateWindow(cs);
}

void QRVScrollMovieWnd::ReadBarExtents()
{
    const bool bBorder = m_hWnd != nullptr && (GetStyle() & WS_BORDER) != 0;
    m_sizeBars.cx = ::GetSystemMetrics(SM_CXVSCROLL) - (bBorder ? ::GetSystemMetrics(SM_CXBORDER) : 0);
    m_sizeBars.cy = ::GetSystemMetrics(SM_CYHSCROLL) - (bBorder ? ::GetSystemMetrics(SM_CYBORDER) : 0);
}

bool QRVScrollMovieWnd::HasBar(int nBar) const
{
    return (GetStyle() & (nBar == SB_VERT ? WS_VSCROLL : WS_HSCROLL)) != 0;
}

bool QRVScrollMovieWnd::LoadMovie()
{
    if (!QRVMovieWnd::LoadMovie())
        return false;
    if (m_hWnd == nullptr)
        return true;
    if (m_dwOptions & MWO_SHRINK) {
        ::ShowScrollBar(m_hWnd, SB_BOTH, FALSE);
        return true;
    }
    const SIZE size = GetMovieSize(true);
    const RECT rc = GetClientRect();
    const int nClient[2] = {rc.right - rc.left, rc.bottom - rc.top};
    const int nMovie[2] = {size.cx, size.cy};
    const int nBars[2] = {SB_HORZ, SB_VERT};
    // The size changes that showing a bar causes must not recompute the
    // bars half way through.
    const bool bWasUpdating = m_bUpdating;
    m_bUpdating = true;
    for (int i = 0; i < 2; ++i) {
        SCROLLINFO si{};
        si.cbSize = sizeof(si);
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
        si.nMin = 0;
        si.nMax = nMovie[i] - 1;
        si.nPage = static_cast<UINT>(std::max(nClient[i], 0));
        si.nPos = 0;
        ::SetScrollInfo(m_hWnd, nBars[i], &si, TRUE);
        ::ShowScrollBar(m_hWnd, nBars[i], nClient[i] < nMovie[i]);
    }
    m_bUpdating = bWasUpdating;
    return true;
}

void QRVScrollMovieWnd::PrepareDC(HDC hDC)
{
    if ((m_dwOptions & MWO_SHRINK) || m_hWnd == nullptr)
        return;
    if (::GetDeviceCaps(hDC, TECHNOLOGY) == DT_RASPRINTER) {
        ::SetViewportOrgEx(hDC, 0, 0, nullptr);
        return;
    }
    ::SetViewportOrgEx(hDC, -::GetScrollPos(m_hWnd, SB_HORZ), -::GetScrollPos(m_hWnd, SB_VERT), nullptr);
}

bool QRVScrollMovieWnd::ScrollBy(int dx, int dy, bool bScroll)
{
    if (!HasBar(SB_VERT))
        dy = 0;
    if (!HasBar(SB_HORZ))
        dx = 0;
    const int x0 = ::GetScrollPos(m_hWnd, SB_HORZ);
    const int y0 = ::GetScrollPos(m_hWnd, SB_VERT);
    const int x = Clamp(static_cast<long long>(x0) + dx, ScrollLimit(m_hWnd, SB_HORZ));
    const int y = Clamp(static_cast<long long>(y0) + dy, ScrollLimit(m_hWnd, SB_VERT));
    if (x == x0 && y == y0)
        return false;
    if (bScroll) {
        ::ScrollWindow(m_hWnd, x0 - x, y0 - y, nullptr, nullptr);
        if (x != x0)
            ::SetScrollPos(m_hWnd, SB_HORZ, x, TRUE);
        if (y != y0)
            ::SetScrollPos(m_hWnd, SB_VERT, y, TRUE);
    }
    return true;
}

bool QRVScrollMovieWnd::OnScroll(UINT nCode, int nTrackPos, bool bScroll)
{
    const int x0 = ::GetScrollPos(m_hWnd, SB_HORZ);
    const int y0 = ::GetScrollPos(m_hWnd, SB_VERT);
    const long long x = PositionFor(nCode & 0xFF, x0, nTrackPos, m_sizeLine.cx, m_sizePage.cx);
    const long long y = PositionFor((nCode >> 8) & 0xFF, y0, nTrackPos, m_sizeLine.cy, m_sizePage.cy);
    // Distances that fit an int: the far end stands for "as far as it goes".
    const int dx = static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(x - x0, INT_MAX)));
    const int dy = static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(y - y0, INT_MAX)));
    const bool bMoved = ScrollBy(dx, dy, bScroll);
    if (bMoved && bScroll)
        UpdateWindow();
    return bMoved;
}

bool QRVScrollMovieWnd::OnMouseWheel(UINT nFlags, short zDelta)
{
    const bool bVert = HasBar(SB_VERT);
    const bool bHorz = HasBar(SB_HORZ);
    bool bVertical;
    if (bVert && !(bHorz && (nFlags & MK_CONTROL)))
        bVertical = true;
    else if (bHorz)
        bVertical = false;
    else
        return false;
    const int nLine = bVertical ? m_sizeLine.cy : m_sizeLine.cx;
    const int nPage = bVertical ? m_sizePage.cy : m_sizePage.cx;
    const int n = ::MulDiv(-zDelta, SMW_WHEEL_LINES, WHEEL_DELTA);
    int nDistance;
    if (n == -1)
        nDistance = zDelta > 0 ? -nPage : nPage;
    else
        nDistance = std::min(n * nLine, nPage);
    const bool bMoved = bVertical ? ScrollBy(0, nDistance, true) : ScrollBy(nDistance, 0, true);
    if (bMoved)
        UpdateWindow();
    return bMoved;
}

void QRVScrollMovieWnd::UpdateScrollBars()
{
    if (m_bUpdating || m_hWnd == nullptr)
        return;
    m_bUpdating = true;
    const RECT rc = GetClientRect();
    int cw = rc.right - rc.left;
    int ch = rc.bottom - rc.top;
    const bool bHorzShown = HasBar(SB_HORZ);
    const bool bVertShown = HasBar(SB_VERT);
    if (m_dwOptions & MWO_SHRINK) {
        if (bHorzShown)
            ::ShowScrollBar(m_hWnd, SB_HORZ, FALSE);
        if (bVertShown)
            ::ShowScrollBar(m_hWnd, SB_VERT, FALSE);
        m_bUpdating = false;
        return;
    }
    const SIZE size = GetMovieSize(true);
    const int x0 = ::GetScrollPos(m_hWnd, SB_HORZ);
    const int y0 = ::GetScrollPos(m_hWnd, SB_VERT);
    ReadBarExtents();
    if (cw <= m_sizeBars.cx && ch <= m_sizeBars.cy) {
        ::ShowScrollBar(m_hWnd, SB_BOTH, FALSE);
        m_bUpdating = false;
        return;
    }
    if (bHorzShown)
        ch += m_sizeBars.cy;
    if (bVertShown)
        cw += m_sizeBars.cx;
    bool bNeedHorz = false;
    bool bNeedVert = false;
    if (size.cy > ch || size.cx > cw) {
        bNeedHorz = size.cx > cw;
        bNeedVert = size.cy > ch;
        if (bNeedHorz && !bNeedVert && size.cy > ch - m_sizeBars.cy)
            bNeedVert = true;
        else if (bNeedVert && !bNeedHorz && size.cx > cw - m_sizeBars.cx)
            bNeedHorz = true;
    }
    if (bNeedHorz != bHorzShown)
        ::ShowScrollBar(m_hWnd, SB_HORZ, bNeedHorz);
    if (bNeedVert != bVertShown)
        ::ShowScrollBar(m_hWnd, SB_VERT, bNeedVert);
    const int x1 = ::GetScrollPos(m_hWnd, SB_HORZ);
    const int y1 = ::GetScrollPos(m_hWnd, SB_VERT);
    ::SetScrollPos(m_hWnd, SB_HORZ, x0, TRUE);
    ::SetScrollPos(m_hWnd, SB_VERT, y0, TRUE);
    ::ScrollWindow(m_hWnd, x1 - x0, y1 - y0, nullptr, nullptr);
    if (bNeedVert)
        cw -= m_sizeBars.cx;
    if (bNeedHorz)
        ch -= m_sizeBars.cy;
    const int nBars[2] = {SB_HORZ, SB_VERT};
    const int nSizes[2] = {size.cx, size.cy};
    const int nPages[2] = {cw, ch};
    for (int i = 0; i < 2; ++i) {
        SCROLLINFO si{};
        si.cbSize = sizeof(si);
        si.fMask = SIF_RANGE | SIF_PAGE;
        si.nMin = 0;
        si.nMax = nSizes[i] - 1;
        si.nPage = static_cast<UINT>(std::max(nPages[i], 0));
        ::SetScrollInfo(m_hWnd, nBars[i], &si, TRUE);
        // SetScrollInfo gives the position, not success: read it back.
        SCROLLINFO check{};
        check.cbSize = sizeof(check);
        check.fMask = SIF_RANGE;
        if (!::GetScrollInfo(m_hWnd, nBars[i], &check) || check.nMax != si.nMax)
            ::SetScrollRange(m_hWnd, nBars[i], 0, std::max(nSizes[i] - nPages[i], 0), TRUE);
    }
    m_bUpdating = false;
}

LRESULT QRVScrollMovieWnd::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    switch (nMsg) {
    case WM_CREATE:
        ReadBarExtents();
        break;
    case WM_SIZE: {
        const LRESULT lResult = QRVMovieWnd::WindowProc(nMsg, wParam, lParam);
        UpdateScrollBars();
        return lResult;
    }
    case WM_HSCROLL:
    case WM_VSCROLL: {
        // Only the window's own bars (no control sends these to us).
        if ((m_dwOptions & MWO_SHRINK) || lParam != 0)
            return 0;
        const UINT nAction = LOWORD(wParam);
        const UINT nCode = nMsg == WM_HSCROLL ? (0xFF00u | nAction) : ((nAction << 8) | SMW_NO_ACTION);
        // The 16-bit track position of the message; the bar's own for larger ranges.
        int nTrack = static_cast<short>(HIWORD(wParam));
        if (nAction == SB_THUMBTRACK) {
            SCROLLINFO si{};
            si.cbSize = sizeof(si);
            si.fMask = SIF_TRACKPOS;
            if (::GetScrollInfo(m_hWnd, nMsg == WM_HSCROLL ? SB_HORZ : SB_VERT, &si))
                nTrack = si.nTrackPos;
        }
        OnScroll(nCode, nTrack, true);
        return 0;
    }
    case WM_MOUSEWHEEL:
        return OnMouseWheel(GET_KEYSTATE_WPARAM(wParam), GET_WHEEL_DELTA_WPARAM(wParam)) ? 1 : 0;
    }
    return QRVMovieWnd::WindowProc(nMsg, wParam, lParam);
}
