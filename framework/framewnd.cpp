#include "framewnd.h"

#include <algorithm>

#include "afxstring.h"
#include "view.h"
#include "winapp.h"
#include "wndclass.h"

CFrameWnd::~CFrameWnd()
{
    for (CControlBar* pBar : m_bars)
        pBar->m_pDockFrame = nullptr;
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->m_pMainWnd == this)
        pApp->m_pMainWnd = nullptr;
}

bool CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd)
{
    HINSTANCE hInst = AfxGetResourceHandle();
    std::wstring strFull = AfxLoadString(nIDResource);
    m_strTitle = strFull.substr(0, strFull.find(L'\n'));
    HMENU hMenu = ::LoadMenuW(hInst, MAKEINTRESOURCEW(nIDResource));
    m_hAccelTable = ::LoadAcceleratorsW(hInst, MAKEINTRESOURCEW(nIDResource));

    CREATESTRUCTW cs{};
    cs.style = static_cast<LONG>(dwDefaultStyle);
    cs.x = cs.y = cs.cx = cs.cy = CW_USEDEFAULT;
    cs.hMenu = hMenu;
    cs.hwndParent = pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr;
    cs.lpszName = m_strTitle.c_str();
    cs.hInstance = AfxGetInstanceHandle();
    bool bPrepared = PreCreateWindow(cs);
    if (hMenu != nullptr && (!bPrepared || cs.hMenu != hMenu))
        ::DestroyMenu(hMenu);  // not used
    if (!bPrepared)
        return false;

    cs.style &= ~static_cast<LONG>(WS_VISIBLE);  // shown by the caller
    m_hMenuDefault = cs.hMenu;
    if (!CreateEx(cs)) {
        if (m_hMenuDefault != nullptr && ::IsMenu(m_hMenuDefault))
            ::DestroyMenu(m_hMenuDefault);
        m_hMenuDefault = nullptr;
        return false;
    }

    // Icons of the resource, when there are (shared: the system frees them).
    auto hIconBig = static_cast<HICON>(::LoadImageW(hInst, MAKEINTRESOURCEW(nIDResource), IMAGE_ICON,
                                                    ::GetSystemMetrics(SM_CXICON),
                                                    ::GetSystemMetrics(SM_CYICON), LR_SHARED));
    auto hIconSmall = static_cast<HICON>(::LoadImageW(hInst, MAKEINTRESOURCEW(nIDResource), IMAGE_ICON,
                                                      ::GetSystemMetrics(SM_CXSMICON),
                                                      ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    if (hIconBig != nullptr)
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(hIconBig));
    if (hIconSmall != nullptr)
        SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(hIconSmall));

    SendMessageToDescendants(WM_INITIALUPDATE);
    return true;
}

bool CFrameWnd::PreCreateWindow(CREATESTRUCTW& cs)
{
    if (cs.lpszClass == nullptr) {
        cs.lpszClass = AfxDefaultWndClass();
        if (cs.lpszClass == nullptr)
            return false;
    }
    // Frame-only style bits are not window styles.
    cs.style &= ~static_cast<LONG>(FWS_ADDTOTITLE);
    return true;
}

void CFrameWnd::AddControlBar(CControlBar* pBar)
{
    if (pBar == nullptr || pBar->m_pDockFrame == this)
        return;
    if (pBar->m_pDockFrame != nullptr)
        pBar->m_pDockFrame->RemoveControlBar(pBar);
    pBar->m_pDockFrame = this;
    m_bars.push_back(pBar);
}

void CFrameWnd::RemoveControlBar(CControlBar* pBar)
{
    auto it = std::find(m_bars.begin(), m_bars.end(), pBar);
    if (it == m_bars.end())
        return;
    m_bars.erase(it);
    pBar->m_pDockFrame = nullptr;
}

void CFrameWnd::RepositionBars(RECT& rc)
{
    for (CControlBar* pBar : m_bars) {
        if (!pBar->IsBarVisible())
            continue;
        const int nRoom = static_cast<int>(rc.bottom - rc.top);
        const int nHeight = std::clamp(pBar->CalcHeight(rc.right - rc.left), 0, std::max(nRoom, 0));
        RECT rcBar = rc;
        if (!pBar->IsAlignedBottom()) {
            rcBar.bottom = rc.top + nHeight;
            rc.top += nHeight;
        } else {
            rcBar.top = rc.bottom - nHeight;
            rc.bottom -= nHeight;
        }
        pBar->MoveWindow(rcBar);
    }
}

void CFrameWnd::OnIdleUpdateCmdUI()
{
    for (CControlBar* pBar : m_bars) {
        if (pBar->IsBarVisible())
            pBar->OnUpdateCmdUI(this, true);
    }
}

void CFrameWnd::SetMessageText(const std::wstring& strText)
{
    HWND hBar = GetMessageBar();
    if (hBar != nullptr)
        ::SetWindowTextW(hBar, strText.c_str());
}

void CFrameWnd::OnMenuSelect(UINT nItem, UINT nFlags, HMENU hMenu)
{
    // The prompt of the command under the mouse; submenus, separators and
    // the system menu's items have none, and a closed menu has none.
    const bool bClosed = nFlags == 0xFFFF && hMenu == nullptr;
    const bool bCommand = !bClosed && (nFlags & (MF_POPUP | MF_SEPARATOR | MF_SYSMENU)) == 0 && nItem != 0;
    SetMessageText(bCommand ? nItem : m_nIDIdlePrompt);
}

void CFrameWnd::SetMessageText(UINT nID)
{
    SetMessageText(GetMessageString(nID));
}

std::wstring CFrameWnd::GetMessageString(UINT nID) const
{
    if (nID == 0)
        return {};
    std::wstring strText = AfxLoadString(nID);
    return strText.substr(0, strText.find(L'\n'));
}

void CFrameWnd::RecalcLayout()
{
    if (m_hWnd == nullptr)
        return;
    RECT rc = GetClientRect();
    RepositionBars(rc);
    HWND hPane = GetDlgItem(AFX_IDW_PANE_FIRST);
    if (hPane != nullptr) {
        ::SetWindowPos(hPane, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

bool CFrameWnd::OnCmdMsg(UINT nID, ECmdMsg nCode, CCmdUI* pCmdUI)
{
    if (m_pViewActive != nullptr && m_pViewActive->OnCmdMsg(nID, nCode, pCmdUI))
        return true;
    if (CWnd::OnCmdMsg(nID, nCode, pCmdUI))
        return true;
    CWinApp* pApp = AfxGetApp();
    return pApp != nullptr && pApp->OnCmdMsg(nID, nCode, pCmdUI);
}

bool CFrameWnd::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST)
        return false;
    return m_hAccelTable != nullptr && ::TranslateAcceleratorW(m_hWnd, m_hAccelTable, pMsg) != 0;
}

LRESULT CFrameWnd::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    switch (nMsg) {
    case WM_SIZE:
        Default();
        if (wParam != SIZE_MINIMIZED)
            RecalcLayout();
        return 0;
    case WM_SETFOCUS:
        if (m_pViewActive != nullptr && m_pViewActive->m_hWnd != nullptr) {
            m_pViewActive->SetFocus();
            return 0;
        }
        break;
    case WM_INITMENUPOPUP:
        if (HIWORD(lParam) == 0)  // not the system menu
            OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
        return 0;
    case WM_MENUSELECT:
        OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
        return 0;
    case WM_EXITMENULOOP:
        SetMessageText(m_nIDIdlePrompt);
        break;
    case WM_IDLEUPDATECMDUI:
        OnIdleUpdateCmdUI();
        return 0;
    case WM_NCDESTROY:
        OnNcDestroy();
        return 0;
    }
    return CWnd::WindowProc(nMsg, wParam, lParam);
}

void CFrameWnd::OnInitMenuPopup(HMENU hPopup)
{
    // Handlers may add or remove items: the count is read anew each time.
    for (int nIndex = 0; nIndex < ::GetMenuItemCount(hPopup); ++nIndex) {
        UINT nID = ::GetMenuItemID(hPopup, nIndex);
        if (nID == 0)
            continue;  // separator
        if (nID == static_cast<UINT>(-1)) {
            // A submenu: updated with the id of its first item, and never
            // disabled for want of a handler.
            HMENU hSub = ::GetSubMenu(hPopup, nIndex);
            if (hSub == nullptr)
                continue;
            UINT nFirst = ::GetMenuItemID(hSub, 0);
            if (nFirst == 0 || nFirst == static_cast<UINT>(-1))
                continue;
            CMenuCmdUI state(hPopup, static_cast<UINT>(nIndex), nFirst, hSub);
            state.DoUpdate(this, false);
        } else {
            CMenuCmdUI state(hPopup, static_cast<UINT>(nIndex), nID);
            // System commands (0xF000 and up) are left to the system.
            state.DoUpdate(this, nID < 0xF000);
        }
    }
}

void CFrameWnd::OnNcDestroy()
{
    // A default menu that is not attached at this point (full screen took
    // it off) is not destroyed with the window.
    bool bMenuAttached = ::GetMenu(m_hWnd) == m_hMenuDefault;
    Default();
    if (m_hMenuDefault != nullptr && !bMenuAttached && ::IsMenu(m_hMenuDefault))
        ::DestroyMenu(m_hMenuDefault);
    m_hMenuDefault = nullptr;
    m_pViewActive = nullptr;

    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->m_pMainWnd == this) {
        pApp->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
}
