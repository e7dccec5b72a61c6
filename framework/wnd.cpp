#include "wnd.h"

#include <vector>

#include "winapp.h"

namespace {

// Window property that holds the CWnd of a window: a lookup by handle
// costs the same whatever the number of windows.
const wchar_t WND_PROP_OBJECT[] = L"QRV.CWnd";

// The object whose window is being created on this thread: WM_NCCREATE
// accepts lpCreateParams only when it is this object.
thread_local CWnd* t_pWndInit = nullptr;

class CWndInitScope {
public:
    explicit CWndInitScope(CWnd* pWnd) : m_pPrev(t_pWndInit) { t_pWndInit = pWnd; }
    ~CWndInitScope() { t_pWndInit = m_pPrev; }
    CWndInitScope(const CWndInitScope&) = delete;
    CWndInitScope& operator=(const CWndInitScope&) = delete;

private:
    CWnd* m_pPrev;
};

// Restores the message being processed when a nested dispatch returns.
class CCurrentMsgScope {
public:
    CCurrentMsgScope(const MSG*& rpSlot, const MSG* pMsg) : m_rpSlot(rpSlot), m_pPrev(rpSlot)
    {
        m_rpSlot = pMsg;
    }
    ~CCurrentMsgScope() { m_rpSlot = m_pPrev; }
    CCurrentMsgScope(const CCurrentMsgScope&) = delete;
    CCurrentMsgScope& operator=(const CCurrentMsgScope&) = delete;

private:
    const MSG*& m_rpSlot;
    const MSG* m_pPrev;
};

BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParamList)
{
    reinterpret_cast<std::vector<HWND>*>(lParamList)->push_back(hWnd);
    return TRUE;
}

}  // namespace

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = CWnd::FromHandle(hWnd);
    if (pWnd == nullptr && nMsg == WM_NCCREATE) {
        auto* pcs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* pInit = static_cast<CWnd*>(pcs->lpCreateParams);
        if (pInit != nullptr && pInit == t_pWndInit && pInit->AttachObject(hWnd))
            pWnd = pInit;
    }
    if (pWnd == nullptr)
        return ::DefWindowProcW(hWnd, nMsg, wParam, lParam);

    LRESULT lResult = 0;
    {
        MSG msg{hWnd, nMsg, wParam, lParam, 0, {0, 0}};
        CCurrentMsgScope scope(pWnd->m_pCurrentMsg, &msg);
        if (!pWnd->ReflectChildNotify(nMsg, wParam, lParam, &lResult))
            lResult = pWnd->WindowProc(nMsg, wParam, lParam);
    }
    if (nMsg == WM_NCDESTROY && pWnd->m_hWnd == hWnd) {
        pWnd->DetachObject();
        pWnd->PostNcDestroy();
    }
    return lResult;
}

CWnd::~CWnd()
{
    if (m_hWnd == nullptr)
        return;
    // The derived parts are gone: detach first so that the window's last
    // messages do not reach this object.
    HWND hWnd = m_hWnd;
    bool bOwns = m_bOwnsWindow;
    DetachObject();
    if (bOwns)
        ::DestroyWindow(hWnd);
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (hWnd == nullptr)
        return nullptr;
    return static_cast<CWnd*>(::GetPropW(hWnd, WND_PROP_OBJECT));
}

bool CWnd::AttachObject(HWND hWnd)
{
    if (m_hWnd != nullptr || hWnd == nullptr || FromHandle(hWnd) != nullptr)
        return false;
    if (!::SetPropW(hWnd, WND_PROP_OBJECT, this))
        return false;
    m_hWnd = hWnd;
    return true;
}

void CWnd::DetachObject()
{
    if (m_hWnd == nullptr)
        return;
    if (m_pfnSuper != nullptr) {
        auto pfnCurrent = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC));
        if (pfnCurrent == AfxWndProc)
            ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        m_pfnSuper = nullptr;
    }
    ::RemovePropW(m_hWnd, WND_PROP_OBJECT);
    m_hWnd = nullptr;
    m_bOwnsWindow = false;
}

bool CWnd::Attach(HWND hWnd)
{
    return AttachObject(hWnd);
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    DetachObject();
    return hWnd;
}

bool CWnd::SubclassWindow(HWND hWnd)
{
    if (!AttachObject(hWnd))
        return false;
    auto pfnOld = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc)));
    if (pfnOld == nullptr) {
        DetachObject();
        return false;
    }
    // A window of one of our classes without an object has no procedure
    // of its own to fall back on.
    m_pfnSuper = pfnOld == AfxWndProc ? ::DefWindowProcW : pfnOld;
    return true;
}

bool CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    if (pParent == nullptr)
        return false;
    HWND hItem = pParent->GetDlgItem(nID);
    return hItem != nullptr && SubclassWindow(hItem);
}

HWND CWnd::UnsubclassWindow()
{
    return Detach();
}

bool CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                    const RECT& rect, HWND hWndParent, UINT nIDOrMenu)
{
    CREATESTRUCTW cs{};
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = lpszClassName;
    cs.lpszName = lpszWindowName;
    cs.style = static_cast<LONG>(dwStyle);
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
    cs.hwndParent = hWndParent;
    cs.hMenu = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nIDOrMenu));
    cs.hInstance = AfxGetInstanceHandle();
    if (!PreCreateWindow(cs))
        return false;
    return CreateEx(cs);
}

bool CWnd::CreateEx(CREATESTRUCTW& cs)
{
    if (m_hWnd != nullptr)
        return false;
    cs.lpCreateParams = this;
    HWND hWnd;
    {
        CWndInitScope init(this);
        hWnd = ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x,
                                 cs.y, cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, this);
    }
    if (hWnd == nullptr)
        return false;
    if (m_hWnd != hWnd && !SubclassWindow(hWnd)) {
        // A control whose procedure is not ours, and it cannot be subclassed.
        ::DestroyWindow(hWnd);
        return false;
    }
    m_bOwnsWindow = true;
    return true;
}

bool CWnd::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParent, UINT nID)
{
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect,
                    pParent != nullptr ? pParent->m_hWnd : nullptr, nID);
}

bool CWnd::DestroyWindow()
{
    if (m_hWnd == nullptr)
        return false;
    return ::DestroyWindow(m_hWnd) != FALSE;
}

LRESULT CWnd::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    switch (nMsg) {
    case WM_COMMAND:
        if (OnCommand(wParam, lParam))
            return 0;
        break;
    }
    return DefaultProc(nMsg, wParam, lParam);
}

bool CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT nID = LOWORD(wParam);
    UINT nCode = HIWORD(wParam);
    if (lParam == 0) {
        // Menu (code 0) or accelerator (code 1): a command that its update
        // handler disables is not carried out.
        if (nID == 0)
            return false;
        if (!IsCommandEnabled(nID))
            return true;
        return OnCmdMsg(nID, CN_COMMAND, nullptr);
    }
    // From a control, which has already seen it as a reflected
    // notification: a click is a command.
    if (nCode == BN_CLICKED)
        return OnCmdMsg(nID, CN_COMMAND, nullptr);
    return false;
}

bool CWnd::ReflectChildNotify(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    HWND hChild = nullptr;
    switch (nMsg) {
    case WM_COMMAND:  // lParam null for menus and accelerators
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        hChild = reinterpret_cast<HWND>(lParam);
        break;
    case WM_NOTIFY:
        if (lParam != 0)
            hChild = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
        break;
    case WM_DRAWITEM:
        if (lParam != 0) {
            auto* pdis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (pdis->CtlType != ODT_MENU)
                hChild = pdis->hwndItem;
        }
        break;
    default:
        return false;
    }
    if (hChild == nullptr || hChild == m_hWnd)
        return false;
    CWnd* pChild = FromHandle(hChild);
    if (pChild == nullptr)
        return false;
    *pResult = 0;
    return pChild->OnChildNotify(nMsg, wParam, lParam, pResult);
}

LRESULT CWnd::Default()
{
    if (m_pCurrentMsg == nullptr)
        return 0;
    return DefaultProc(m_pCurrentMsg->message, m_pCurrentMsg->wParam, m_pCurrentMsg->lParam);
}

LRESULT CWnd::DefaultProc(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper != nullptr)
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, nMsg, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, nMsg, wParam, lParam);
}

bool CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg)
{
    for (HWND hWnd = pMsg->hwnd; hWnd != nullptr; hWnd = ::GetParent(hWnd)) {
        CWnd* pWnd = FromHandle(hWnd);
        if (pWnd != nullptr && pWnd->PreTranslateMessage(pMsg))
            return true;
        if (hWnd == hWndStop)
            break;
    }
    return false;
}

void CWnd::SendMessageToDescendants(UINT nMsg, WPARAM wParam, LPARAM lParam) const
{
    // Collected first: a handler may create or destroy windows.
    std::vector<HWND> children;
    ::EnumChildWindows(m_hWnd, CollectWindow, reinterpret_cast<LPARAM>(&children));
    for (HWND hWnd : children) {
        if (FromHandle(hWnd) != nullptr)
            ::SendMessageW(hWnd, nMsg, wParam, lParam);
    }
}

RECT CWnd::GetClientRect() const
{
    RECT rc{};
    ::GetClientRect(m_hWnd, &rc);
    return rc;
}

RECT CWnd::GetWindowRect() const
{
    RECT rc{};
    ::GetWindowRect(m_hWnd, &rc);
    return rc;
}

bool CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    DWORD dwStyle = GetStyle();
    DWORD dwNew = (dwStyle & ~dwRemove) | dwAdd;
    if (dwStyle == dwNew)
        return false;
    ::SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>(dwNew));
    if (nFlags != 0)
        SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return true;
}

bool CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    DWORD dwStyle = GetExStyle();
    DWORD dwNew = (dwStyle & ~dwRemove) | dwAdd;
    if (dwStyle == dwNew)
        return false;
    ::SetWindowLongW(m_hWnd, GWL_EXSTYLE, static_cast<LONG>(dwNew));
    if (nFlags != 0)
        SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return true;
}

void CWnd::MoveWindow(const RECT& rc, bool bRepaint)
{
    ::MoveWindow(m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, bRepaint);
}

std::wstring CWnd::GetWindowText() const
{
    int nLength = ::GetWindowTextLengthW(m_hWnd);
    if (nLength <= 0)
        return {};
    std::wstring strText(static_cast<size_t>(nLength) + 1, L'\0');
    int nCopied = ::GetWindowTextW(m_hWnd, &strText[0], nLength + 1);
    strText.resize(nCopied > 0 ? static_cast<size_t>(nCopied) : 0);
    return strText;
}

void CWnd::CenterWindow(HWND hAlternateOwner)
{
    RECT rcWnd = GetWindowRect();
    RECT rcArea{};
    RECT rcCenter{};
    if (GetStyle() & WS_CHILD) {
        HWND hParent = ::GetParent(m_hWnd);
        ::GetClientRect(hParent, &rcArea);
        ::MapWindowPoints(hParent, HWND_DESKTOP, reinterpret_cast<POINT*>(&rcArea), 2);
        rcCenter = rcArea;
    } else {
        HWND hOwner = hAlternateOwner != nullptr ? hAlternateOwner : ::GetWindow(m_hWnd, GW_OWNER);
        MONITORINFO mi{};
        mi.cbSize = sizeof(mi);
        HMONITOR hMonitor =
            ::MonitorFromWindow(hOwner != nullptr ? hOwner : m_hWnd, MONITOR_DEFAULTTOPRIMARY);
        if (!::GetMonitorInfoW(hMonitor, &mi))
            ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &mi.rcWork, 0);
        rcArea = mi.rcWork;
        if (hOwner != nullptr && ::IsWindowVisible(hOwner) && !::IsIconic(hOwner))
            ::GetWindowRect(hOwner, &rcCenter);
        else
            rcCenter = rcArea;
    }
    int cx = rcWnd.right - rcWnd.left;
    int cy = rcWnd.bottom - rcWnd.top;
    int x = (rcCenter.left + rcCenter.right) / 2 - cx / 2;
    int y = (rcCenter.top + rcCenter.bottom) / 2 - cy / 2;
    // Keep the window inside the area where it fits.
    if (x + cx > rcArea.right)
        x = rcArea.right - cx;
    if (x < rcArea.left)
        x = rcArea.left;
    if (y + cy > rcArea.bottom)
        y = rcArea.bottom - cy;
    if (y < rcArea.top)
        y = rcArea.top;
    if (GetStyle() & WS_CHILD) {
        POINT pt{x, y};
        ::ScreenToClient(::GetParent(m_hWnd), &pt);
        x = pt.x;
        y = pt.y;
    }
    SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
