#include "statusbar.h"

#include <algorithm>

#include "afxstring.h"
#include "controls.h"
#include "framewnd.h"
#include "gdiguards.h"

namespace {

// Room around the text of a pane: 3 pixels on either side.
const int SB_PANE_BORDER = 6;
// The control takes no more parts.
const int SB_MAX_PANES = 256;
// Bits of a pane style that the control draws itself.
const UINT SB_DRAW_STYLES = SBT_NOBORDERS | SBT_POPOUT;

}  // namespace

bool CStatusBar::Create(CFrameWnd* pParent, DWORD dwStyle, UINT nID)
{
    return CreateEx(pParent, 0, dwStyle, nID);
}

bool CStatusBar::CreateEx(CFrameWnd* pParent, DWORD dwCtrlStyle, DWORD dwStyle, UINT nID)
{
    if (pParent != nullptr && pParent->m_hWnd != nullptr && (pParent->GetStyle() & WS_THICKFRAME))
        dwCtrlStyle |= SBARS_SIZEGRIP;
    if (!CreateBar(pParent, STATUSCLASSNAMEW, dwCtrlStyle, dwStyle, nID))
        return false;
    pParent->AddControlBar(this);
    return true;
}

HFONT CStatusBar::GetBarFont() const
{
    auto hFont = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    return hFont != nullptr ? hFont : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

bool CStatusBar::SetIndicators(const UINT* pIDs, int nCount)
{
    if (m_hWnd == nullptr || nCount < 0 || nCount > SB_MAX_PANES || (pIDs == nullptr && nCount > 0))
        return false;
    std::vector<CStatusPane> panes(static_cast<size_t>(nCount));
    {
        CClientDC dc(nullptr);
        CScopedSelectObject font(dc.Get(), GetBarFont());
        for (int i = 0; i < nCount; ++i) {
            CStatusPane& pane = panes[static_cast<size_t>(i)];
            pane.m_nID = pIDs[i];
            if (pane.m_nID != ID_SEPARATOR) {
                if (!AfxLoadString(pane.m_nID, pane.m_strText))
                    return false;
                SIZE size{};
                ::GetTextExtentPoint32W(dc.Get(), pane.m_strText.c_str(),
                                        static_cast<int>(pane.m_strText.size()), &size);
                pane.m_nWidth = size.cx;
            } else {
                // A message pane: a quarter of the screen, the first one
                // stretching over the rest.
                pane.m_nWidth = ::GetSystemMetrics(SM_CXSCREEN) / 4;
                if (i == 0) {
                    pane.m_nStyle = SBPS_STRETCH | SBPS_NOBORDERS;
                    CFrameWnd* pFrame = GetDockingFrame();
                    if (pFrame != nullptr)
                        pane.m_strText = pFrame->GetMessageString(pFrame->m_nIDIdlePrompt);
                }
            }
        }
    }
    m_panes = std::move(panes);
    UpdateAllPanes(true, true);
    return true;
}

int CStatusBar::CommandToIndex(UINT nID) const
{
    for (size_t i = 0; i < m_panes.size(); ++i) {
        if (m_panes[i].m_nID == nID)
            return static_cast<int>(i);
    }
    return -1;
}

UINT CStatusBar::GetItemID(int nIndex) const
{
    return IsValidIndex(nIndex) ? m_panes[static_cast<size_t>(nIndex)].m_nID : 0;
}

void CStatusBar::GetItemRect(int nIndex, RECT* pRect) const
{
    ::SetRectEmpty(pRect);
    if (IsValidIndex(nIndex) &&
        !SendMessage(SB_GETRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(pRect)))
        ::SetRectEmpty(pRect);
}

void CStatusBar::GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const
{
    nID = 0;
    nStyle = 0;
    cxWidth = 0;
    if (!IsValidIndex(nIndex))
        return;
    const CStatusPane& pane = m_panes[static_cast<size_t>(nIndex)];
    nID = pane.m_nID;
    nStyle = pane.m_nStyle;
    cxWidth = pane.m_nWidth;
}

void CStatusBar::SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth)
{
    if (!IsValidIndex(nIndex))
        return;
    CStatusPane& pane = m_panes[static_cast<size_t>(nIndex)];
    pane.m_nID = nID;
    pane.m_nStyle = nStyle;
    pane.m_nWidth = std::max(cxWidth, 0);
    UpdateAllPanes(true, false);
    ShowPaneText(nIndex);
}

UINT CStatusBar::GetPaneStyle(int nIndex) const
{
    return IsValidIndex(nIndex) ? m_panes[static_cast<size_t>(nIndex)].m_nStyle : 0;
}

void CStatusBar::SetPaneStyle(int nIndex, UINT nStyle)
{
    if (!IsValidIndex(nIndex))
        return;
    CStatusPane& pane = m_panes[static_cast<size_t>(nIndex)];
    if (pane.m_nStyle == nStyle)
        return;
    const bool bStretchChanged = ((pane.m_nStyle ^ nStyle) & SBPS_STRETCH) != 0;
    pane.m_nStyle = nStyle;
    if (bStretchChanged)
        UpdateAllPanes(true, false);
    ShowPaneText(nIndex);
}

std::wstring CStatusBar::GetPaneText(int nIndex) const
{
    return IsValidIndex(nIndex) ? m_panes[static_cast<size_t>(nIndex)].m_strText : std::wstring();
}

bool CStatusBar::SetPaneText(int nIndex, const std::wstring& strText)
{
    if (!IsValidIndex(nIndex))
        return false;
    CStatusPane& pane = m_panes[static_cast<size_t>(nIndex)];
    if (pane.m_strText == strText)
        return true;  // unchanged: no flicker at every idle update
    pane.m_strText = strText;
    ShowPaneText(nIndex);
    return true;
}

void CStatusBar::ShowPaneText(int nIndex)
{
    if (m_hWnd == nullptr || !IsValidIndex(nIndex))
        return;
    const CStatusPane& pane = m_panes[static_cast<size_t>(nIndex)];
    const wchar_t* pszText = (pane.m_nStyle & SBPS_DISABLED) ? L"" : pane.m_strText.c_str();
    SendMessage(SB_SETTEXTW, static_cast<WPARAM>(nIndex) | (pane.m_nStyle & SB_DRAW_STYLES),
                reinterpret_cast<LPARAM>(pszText));
}

void CStatusBar::UpdateAllPanes(bool bUpdateRects, bool bUpdateText)
{
    if (m_hWnd == nullptr || m_panes.empty())
        return;
    if (bUpdateRects) {
        // Borders: horizontal, vertical, and the gap between panes.
        int borders[3] = {0, 0, 0};
        SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
        const RECT rc = GetClientRect();
        int cxRoom = rc.right - rc.left;
        CWnd* pParent = GetParent();
        if ((GetStyle() & SBARS_SIZEGRIP) && !(pParent != nullptr && ::IsZoomed(pParent->m_hWnd)))
            cxRoom -= borders[0] + ::GetSystemMetrics(SM_CXVSCROLL) + ::GetSystemMetrics(SM_CXBORDER) * 2;

        // What the fixed widths leave goes to the stretching panes.
        int cxExtra = cxRoom + borders[2];
        int nStretching = 0;
        for (const CStatusPane& pane : m_panes) {
            cxExtra -= pane.m_nWidth + SB_PANE_BORDER + borders[2];
            if (pane.m_nStyle & SBPS_STRETCH)
                ++nStretching;
        }
        std::vector<int> rights(m_panes.size());
        int nRight = borders[0];
        for (size_t i = 0; i < m_panes.size(); ++i) {
            nRight += m_panes[i].m_nWidth + SB_PANE_BORDER;
            if ((m_panes[i].m_nStyle & SBPS_STRETCH) && cxExtra > 0) {
                const int cxAdd = cxExtra / nStretching;
                nRight += cxAdd;
                cxExtra -= cxAdd;
                --nStretching;
            }
            rights[i] = nRight;
            nRight += borders[2];
        }
        SendMessage(SB_SETPARTS, rights.size(), reinterpret_cast<LPARAM>(rights.data()));
    }
    if (bUpdateText) {
        for (int i = 0; i < GetCount(); ++i)
            ShowPaneText(i);
    }
}

int CStatusBar::CalcHeight(int nWidth)
{
    if (m_hWnd == nullptr)
        return 0;
    TEXTMETRICW tm{};
    {
        CClientDC dc(nullptr);
        CScopedSelectObject font(dc.Get(), GetBarFont());
        ::GetTextMetricsW(dc.Get(), &tm);
    }
    int borders[3] = {0, 0, 0};
    SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    return tm.tmHeight - tm.tmInternalLeading - 1 + borders[1] * 2 + ::GetSystemMetrics(SM_CYBORDER) * 2 +
           BorderHeight();
}

void CStatusBar::OnUpdateCmdUI(CCmdTarget* pTarget, bool bDisableIfNoHandler)
{
    // Panes are never disabled for want of a handler.
    for (int i = 0; i < GetCount(); ++i) {
        const UINT nID = m_panes[static_cast<size_t>(i)].m_nID;
        if (nID == ID_SEPARATOR)
            continue;
        CStatusCmdUI state(this, static_cast<UINT>(i), nID);
        state.DoUpdate(pTarget, false);
    }
}

LRESULT CStatusBar::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    switch (nMsg) {
    case WM_SIZE: {
        LRESULT lResult = Default();
        UpdateAllPanes(true, false);
        return lResult;
    }
    case WM_SETTEXT: {
        const int nIndex = CommandToIndex(ID_SEPARATOR);
        if (nIndex < 0)
            return FALSE;
        auto pszText = reinterpret_cast<LPCWSTR>(lParam);
        return SetPaneText(nIndex, pszText != nullptr ? pszText : L"") ? TRUE : FALSE;
    }
    case WM_GETTEXTLENGTH:
    case WM_GETTEXT: {
        const std::wstring strText = GetPaneText(CommandToIndex(ID_SEPARATOR));
        if (nMsg == WM_GETTEXTLENGTH)
            return static_cast<LRESULT>(strText.size());
        auto pszBuffer = reinterpret_cast<LPWSTR>(lParam);
        if (pszBuffer == nullptr || wParam == 0)
            return 0;
        const size_t nCopy = std::min<size_t>(strText.size(), wParam - 1);
        std::copy_n(strText.c_str(), nCopy, pszBuffer);
        pszBuffer[nCopy] = L'\0';
        return static_cast<LRESULT>(nCopy);
    }
    }
    return CControlBar::WindowProc(nMsg, wParam, lParam);
}

CStatusCmdUI::CStatusCmdUI(CStatusBar* pStatusBar, UINT nIndex, UINT nID)
    : CCmdUI(nID), m_pStatusBar(pStatusBar)
{
    m_nIndex = nIndex;
}

void CStatusCmdUI::Enable(bool bOn)
{
    CCmdUI::Enable(bOn);
    const int nIndex = static_cast<int>(m_nIndex);
    const UINT nStyle = m_pStatusBar->GetPaneStyle(nIndex) & ~SBPS_DISABLED;
    m_pStatusBar->SetPaneStyle(nIndex, bOn ? nStyle : (nStyle | SBPS_DISABLED));
}

void CStatusCmdUI::SetCheck(int nCheck)
{
    CCmdUI::SetCheck(nCheck);
    const int nIndex = static_cast<int>(m_nIndex);
    const UINT nStyle = m_pStatusBar->GetPaneStyle(nIndex) & ~SBPS_POPOUT;
    m_pStatusBar->SetPaneStyle(nIndex, nCheck != 0 ? (nStyle | SBPS_POPOUT) : nStyle);
}

void CStatusCmdUI::SetText(const std::wstring& strText)
{
    CCmdUI::SetText(strText);
    m_pStatusBar->SetPaneText(static_cast<int>(m_nIndex), strText);
}
