#include "toolbar.h"

#include <algorithm>
#include <cstring>
#include <windowsx.h>

#include "afxstring.h"
#include "controls.h"
#include "framewnd.h"
#include "winapp.h"

namespace {

// Resource type of a toolbar layout.
const LPCWSTR TB_RT_TOOLBAR = MAKEINTRESOURCEW(241);

// A toolbar layout read from its resource.
struct CToolBarLayout {
    UINT nWidth = 0;
    UINT nHeight = 0;
    std::vector<UINT> items;
};

// Reads the WORDs of a layout; false when the data is too short for what
// it announces or is no layout of version 1.
bool ReadLayout(const BYTE* pData, DWORD cbData, CToolBarLayout& layout)
{
    WORD header[4];  // version, width, height, item count
    if (cbData < sizeof(header))
        return false;
    std::memcpy(header, pData, sizeof(header));
    if (header[0] != 1 || header[1] == 0 || header[2] == 0)
        return false;
    const size_t nCount = header[3];
    if ((cbData - sizeof(header)) / sizeof(WORD) < nCount)
        return false;
    layout.nWidth = header[1];
    layout.nHeight = header[2];
    layout.items.resize(nCount);
    for (size_t i = 0; i < nCount; ++i) {
        WORD nID;
        std::memcpy(&nID, pData + sizeof(header) + i * sizeof(WORD), sizeof(WORD));
        layout.items[i] = nID;
    }
    return true;
}

// Room a button needs around its image (the control's own minimum), and
// the room a loaded toolbar gives it.
const int TB_BUTTON_EXTRA_CX = 7;
const int TB_BUTTON_EXTRA_CY = 6;
const int TB_LOADED_EXTRA = 7;

// Default separator widths: narrower on a flat bar.
const int TB_SEPARATOR_FLAT = 6;
const int TB_SEPARATOR = 8;

bool SameButton(const TBBUTTON& a, const TBBUTTON& b)
{
    return a.iBitmap == b.iBitmap && a.idCommand == b.idCommand && a.fsStyle == b.fsStyle &&
           a.fsState == b.fsState && a.dwData == b.dwData && a.iString == b.iString;
}

// The text of a command's string after its first line break.
std::wstring ToolTipOf(UINT nID)
{
    const std::wstring strFull = AfxLoadString(nID);
    const size_t nBreak = strFull.find(L'\n');
    return nBreak == std::wstring::npos ? std::wstring() : strFull.substr(nBreak + 1);
}

}  // namespace

CToolBar::~CToolBar()
{
    // The control may still draw from the bitmaps: it goes first.
    if (m_hWnd != nullptr)
        DestroyWindow();
}

bool CToolBar::CreateEx(CFrameWnd* pParent, DWORD dwCtrlStyle, DWORD dwStyle, UINT nID)
{
    if (dwStyle & CBRS_TOOLTIPS)
        dwCtrlStyle |= TBSTYLE_TOOLTIPS;
    if (!CreateBar(pParent, TOOLBARCLASSNAMEW, dwCtrlStyle, dwStyle, nID))
        return false;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    SetSizes(m_sizeButton, m_sizeImage);
    pParent->AddControlBar(this);
    return true;
}

void CToolBar::SetSizes(SIZE sizeButton, SIZE sizeImage)
{
    m_sizeImage = sizeImage;
    m_sizeButton.cx = std::max<LONG>(sizeButton.cx, sizeImage.cx + TB_BUTTON_EXTRA_CX);
    m_sizeButton.cy = std::max<LONG>(sizeButton.cy, sizeImage.cy + TB_BUTTON_EXTRA_CY);
    if (m_hWnd == nullptr)
        return;
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(m_sizeImage.cx, m_sizeImage.cy));
    SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(m_sizeButton.cx, m_sizeButton.cy));
}

bool CToolBar::LoadToolBar(UINT nIDResource)
{
    if (m_hWnd == nullptr)
        return false;
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC hRsrc = ::FindResourceW(hInst, MAKEINTRESOURCEW(nIDResource), TB_RT_TOOLBAR);
    if (hRsrc == nullptr)
        return false;
    const DWORD cbData = ::SizeofResource(hInst, hRsrc);
    HGLOBAL hGlobal = ::LoadResource(hInst, hRsrc);
    const auto* pData = hGlobal != nullptr ? static_cast<const BYTE*>(::LockResource(hGlobal)) : nullptr;
    CToolBarLayout layout;
    if (pData == nullptr || !ReadLayout(pData, cbData, layout))
        return false;

    while (GetCount() > 0)
        SendMessage(TB_DELETEBUTTON, static_cast<WPARAM>(GetCount() - 1));
    const auto cxImage = static_cast<LONG>(layout.nWidth);
    const auto cyImage = static_cast<LONG>(layout.nHeight);
    SetSizes(SIZE{cxImage + TB_LOADED_EXTRA, cyImage + TB_LOADED_EXTRA}, SIZE{cxImage, cyImage});

    const auto nImages = static_cast<int>(
        std::count_if(layout.items.begin(), layout.items.end(), [](UINT n) { return n != 0; }));
    int iImage = 0;
    if (nImages > 0) {
        iImage = AddBitmapImages(hInst, nIDResource, nImages);
        if (iImage < 0)
            return false;
    }
    const int cxSeparator = (GetStyle() & TBSTYLE_FLAT) ? TB_SEPARATOR_FLAT : TB_SEPARATOR;
    std::vector<TBBUTTON> buttons(layout.items.size());
    for (size_t i = 0; i < buttons.size(); ++i) {
        TBBUTTON& button = buttons[i];
        button.idCommand = static_cast<int>(layout.items[i]);
        button.fsState = TBSTATE_ENABLED;
        button.iString = -1;
        if (layout.items[i] == ID_SEPARATOR) {
            button.fsStyle = TBSTYLE_SEP;
            button.iBitmap = cxSeparator;
        } else {
            button.fsStyle = TBSTYLE_BUTTON;
            button.iBitmap = iImage++;
        }
    }
    if (!buttons.empty() &&
        !SendMessage(TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data())))
        return false;
    return true;
}

int CToolBar::AddBitmapImages(HINSTANCE hInst, UINT nIDBitmap, int nCount)
{
    if (m_hWnd == nullptr || nCount <= 0)
        return -1;
    // The bitmap's grey, silver, white and black become the system's 3D
    // colours; the control takes the button face as transparent.
    CGdiObject<HBITMAP> bitmap(::CreateMappedBitmap(hInst, nIDBitmap, 0, nullptr, 0));
    if (!bitmap)
        return -1;
    TBADDBITMAP tbab{nullptr, reinterpret_cast<UINT_PTR>(bitmap.Get())};
    const auto nFirst = static_cast<int>(
        SendMessage(TB_ADDBITMAP, static_cast<WPARAM>(nCount), reinterpret_cast<LPARAM>(&tbab)));
    if (nFirst < 0)
        return -1;
    m_bitmaps.push_back(std::move(bitmap));
    return nFirst;
}

int CToolBar::GetCount() const
{
    return m_hWnd != nullptr ? static_cast<int>(SendMessage(TB_BUTTONCOUNT)) : 0;
}

int CToolBar::CommandToIndex(UINT nID) const
{
    const int nCount = GetCount();
    for (int i = 0; i < nCount; ++i) {
        if (GetItemID(i) == nID)
            return i;
    }
    return -1;
}

UINT CToolBar::GetItemID(int nIndex) const
{
    TBBUTTON button{};
    return GetButton(nIndex, &button) ? static_cast<UINT>(button.idCommand) : 0;
}

void CToolBar::GetItemRect(int nIndex, RECT* pRect) const
{
    ::SetRectEmpty(pRect);
    TBBUTTON button{};
    if (!GetButton(nIndex, &button) || (button.fsState & TBSTATE_HIDDEN))
        return;
    if (!SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(pRect)))
        ::SetRectEmpty(pRect);
}

bool CToolBar::GetButton(int nIndex, TBBUTTON* pButton) const
{
    *pButton = TBBUTTON{};
    if (m_hWnd == nullptr || nIndex < 0 ||
        !SendMessage(TB_GETBUTTON, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(pButton)))
        return false;
    pButton->fsState ^= TBSTATE_ENABLED;
    return true;
}

void CToolBar::SetButton(int nIndex, const TBBUTTON& button)
{
    TBBUTTON current{};
    if (m_hWnd == nullptr || nIndex < 0 ||
        !SendMessage(TB_GETBUTTON, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&current)))
        return;
    TBBUTTON wanted = button;
    wanted.fsState ^= TBSTATE_ENABLED;
    if (SameButton(current, wanted))
        return;
    // The control changes a button's kind (button, separator) and its
    // command only by replacing it.
    SendMessage(TB_DELETEBUTTON, static_cast<WPARAM>(nIndex));
    if (nIndex >= GetCount())
        SendMessage(TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&wanted));
    else
        SendMessage(TB_INSERTBUTTONW, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&wanted));
    Invalidate();
}

UINT CToolBar::GetButtonStyle(int nIndex) const
{
    TBBUTTON button{};
    GetButton(nIndex, &button);
    return MAKELONG(button.fsStyle, button.fsState);
}

void CToolBar::SetButtonStyle(int nIndex, UINT nStyle)
{
    TBBUTTON button{};
    if (!GetButton(nIndex, &button))
        return;
    button.fsStyle = static_cast<BYTE>(LOWORD(nStyle));
    button.fsState = static_cast<BYTE>(HIWORD(nStyle));
    SetButton(nIndex, button);
}

void CToolBar::GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const
{
    TBBUTTON button{};
    GetButton(nIndex, &button);
    nID = static_cast<UINT>(button.idCommand);
    nStyle = MAKELONG(button.fsStyle, button.fsState);
    iImage = button.iBitmap;
}

void CToolBar::SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage)
{
    TBBUTTON button{};
    if (!GetButton(nIndex, &button))
        return;
    button.idCommand = static_cast<int>(nID);
    button.fsStyle = static_cast<BYTE>(LOWORD(nStyle));
    button.fsState = static_cast<BYTE>(HIWORD(nStyle));
    button.iBitmap = iImage;
    SetButton(nIndex, button);
}

void CToolBar::HideButton(int nIndex, bool bHide)
{
    const UINT nStyle = GetButtonStyle(nIndex);
    SetButtonStyle(nIndex, bHide ? (nStyle | TBBS_HIDDEN) : (nStyle & ~TBBS_HIDDEN));
}

bool CToolBar::IsButtonHidden(int nIndex) const
{
    return (GetButtonStyle(nIndex) & TBBS_HIDDEN) != 0;
}

HWND CToolBar::GetToolTips() const
{
    return m_hWnd != nullptr ? reinterpret_cast<HWND>(SendMessage(TB_GETTOOLTIPS)) : nullptr;
}

int CToolBar::CalcHeight(int nWidth)
{
    if (m_hWnd == nullptr)
        return 0;
    // One row: the buttons' height, or the lowest item when the control
    // places them lower.
    int nHeight = HIWORD(SendMessage(TB_GETBUTTONSIZE));
    const int nCount = GetCount();
    for (int i = 0; i < nCount; ++i) {
        RECT rc;
        GetItemRect(i, &rc);
        nHeight = std::max<int>(nHeight, rc.bottom);
    }
    return nHeight + BorderHeight();
}

void CToolBar::OnUpdateCmdUI(CCmdTarget* pTarget, bool bDisableIfNoHandler)
{
    const int nCount = GetCount();
    for (int i = 0; i < nCount; ++i) {
        TBBUTTON button{};
        if (!GetButton(i, &button) || (button.fsStyle & TBSTYLE_SEP) || button.idCommand == 0)
            continue;
        CToolCmdUI state(this, static_cast<UINT>(i), static_cast<UINT>(button.idCommand));
        state.DoUpdate(pTarget, bDisableIfNoHandler);
    }
}

void CToolBar::TrackFlyBy(POINT pt)
{
    const auto nHit = static_cast<int>(SendMessage(TB_HITTEST, 0, reinterpret_cast<LPARAM>(&pt)));
    TBBUTTON button{};
    UINT nID = 0;
    if (nHit >= 0 && GetButton(nHit, &button) && !(button.fsStyle & TBSTYLE_SEP) &&
        !(button.fsState & TBSTATE_HIDDEN))
        nID = static_cast<UINT>(button.idCommand);
    ShowFlyBy(nID);
}

void CToolBar::ShowFlyBy(UINT nID)
{
    if (nID == m_nIDFlyBy)
        return;
    m_nIDFlyBy = nID;
    CFrameWnd* pFrame = GetDockingFrame();
    if (pFrame == nullptr)
        return;
    if (nID != 0) {
        pFrame->SetMessageText(nID);
        // Tells us when the mouse leaves the bar.
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, m_hWnd, 0};
        ::TrackMouseEvent(&tme);
    } else {
        pFrame->SetMessageText(pFrame->m_nIDIdlePrompt);
    }
}

LRESULT CToolBar::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    switch (nMsg) {
    case WM_MOUSEMOVE: {
        LRESULT lResult = Default();
        if (m_dwStyle & CBRS_FLYBY)
            TrackFlyBy(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return lResult;
    }
    case WM_MOUSELEAVE: {
        LRESULT lResult = Default();
        ShowFlyBy(0);
        return lResult;
    }
    case WM_NOTIFY: {
        // The control's tooltip asks the bar for a button's text.
        auto* pnm = reinterpret_cast<NMHDR*>(lParam);
        if (pnm == nullptr || (pnm->code != TTN_GETDISPINFOW && pnm->code != TTN_GETDISPINFOA))
            break;
        UINT_PTR nID = pnm->idFrom;
        const UINT uFlags = pnm->code == TTN_GETDISPINFOW ? reinterpret_cast<NMTTDISPINFOW*>(pnm)->uFlags
                                                          : reinterpret_cast<NMTTDISPINFOA*>(pnm)->uFlags;
        if (uFlags & TTF_IDISHWND)
            nID = static_cast<UINT_PTR>(::GetDlgCtrlID(reinterpret_cast<HWND>(nID)));
        m_strToolTip = ToolTipOf(static_cast<UINT>(nID));
        if (pnm->code == TTN_GETDISPINFOW) {
            auto* pdi = reinterpret_cast<NMTTDISPINFOW*>(pnm);
            pdi->hinst = nullptr;
            pdi->lpszText = &m_strToolTip[0];
        } else {
            auto* pdi = reinterpret_cast<NMTTDISPINFOA*>(pnm);
            pdi->hinst = nullptr;
            pdi->szText[0] = '\0';
            ::WideCharToMultiByte(CP_ACP, 0, m_strToolTip.c_str(), -1, pdi->szText, sizeof(pdi->szText),
                                  nullptr, nullptr);
            pdi->szText[sizeof(pdi->szText) - 1] = '\0';
            pdi->lpszText = pdi->szText;
        }
        return 0;
    }
    }
    return CControlBar::WindowProc(nMsg, wParam, lParam);
}

bool CToolBar::OnChildNotify(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    // A click of a button whose command its update handler disables now
    // (the button may not show it yet) is not carried out.
    if (nMsg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        CWnd* pParent = GetParent();
        const UINT nID = LOWORD(wParam);
        if (pParent != nullptr && nID != 0 && !pParent->IsCommandEnabled(nID))
            return true;
    }
    return false;
}

CToolCmdUI::CToolCmdUI(CToolBar* pToolBar, UINT nIndex, UINT nID) : CCmdUI(nID), m_pToolBar(pToolBar)
{
    m_nIndex = nIndex;
}

void CToolCmdUI::Enable(bool bOn)
{
    CCmdUI::Enable(bOn);
    const UINT nStyle = m_pToolBar->GetButtonStyle(static_cast<int>(m_nIndex));
    if (LOWORD(nStyle) & TBSTYLE_SEP)
        return;
    const bool bEnabled = (nStyle & TBBS_DISABLED) == 0;
    if (bEnabled != bOn)
        m_pToolBar->SendMessage(TB_ENABLEBUTTON, m_nID, MAKELPARAM(bOn ? TRUE : FALSE, 0));
    // A button disabled while it is held down would stay down.
    if (!bOn && (nStyle & TBBS_PRESSED))
        m_pToolBar->SendMessage(TB_PRESSBUTTON, m_nID, MAKELPARAM(FALSE, 0));
}

void CToolCmdUI::SetCheck(int nCheck)
{
    CCmdUI::SetCheck(nCheck);
    const UINT nStyle = m_pToolBar->GetButtonStyle(static_cast<int>(m_nIndex));
    if (LOWORD(nStyle) & TBSTYLE_SEP)
        return;
    const bool bChecked = (nStyle & TBBS_CHECKED) != 0;
    const bool bIndeterminate = (nStyle & TBBS_INDETERMINATE) != 0;
    if (bChecked != (nCheck == 1))
        m_pToolBar->SendMessage(TB_CHECKBUTTON, m_nID, MAKELPARAM(nCheck == 1 ? TRUE : FALSE, 0));
    if (bIndeterminate != (nCheck == 2))
        m_pToolBar->SendMessage(TB_INDETERMINATE, m_nID, MAKELPARAM(nCheck == 2 ? TRUE : FALSE, 0));
}
