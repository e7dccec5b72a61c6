#include "QRVHyperLink.h"

#include <shellapi.h>

#include "resource.h"

namespace QRVCtrl {

namespace {

// Colours of every link of the process (user-interface thread only).
COLORREF g_crLink = RGB(0, 0, 255);
COLORREF g_crPressed = RGB(0, 128, 128);
COLORREF g_crVisited = RGB(128, 0, 128);
COLORREF g_crHover = RGB(255, 0, 0);

// Registry values are read into buffers of this many characters,
// terminator included; longer values count as unreadable.
constexpr DWORD MAX_VALUE = 260;

// A registry key opened for reading, closed at the end.
class CRegKey {
public:
    CRegKey() = default;
    ~CRegKey()
    {
        if (m_hKey != nullptr)
            ::RegCloseKey(m_hKey);
    }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;

    bool Open(HKEY hParent, const std::wstring& strSubKey)
    {
        return ::RegOpenKeyExW(hParent, strSubKey.c_str(), 0, KEY_QUERY_VALUE, &m_hKey) == ERROR_SUCCESS;
    }

    // The key's default value as text, environment variables expanded
    // for REG_EXPAND_SZ; false when it is missing, of another type or
    // too long.
    bool ReadDefault(std::wstring& strOut) const
    {
        wchar_t szValue[MAX_VALUE] = L"";
        DWORD dwType = 0;
        DWORD cbValue = sizeof(szValue) - sizeof(wchar_t);  // room for a terminator it may lack
        if (::RegQueryValueExW(m_hKey, nullptr, nullptr, &dwType, reinterpret_cast<BYTE*>(szValue),
                               &cbValue) != ERROR_SUCCESS ||
            (dwType != REG_SZ && dwType != REG_EXPAND_SZ))
            return false;
        szValue[cbValue / sizeof(wchar_t)] = L'\0';
        if (dwType == REG_SZ) {
            strOut = szValue;
            return true;
        }
        wchar_t szExpanded[MAX_VALUE] = L"";
        const DWORD nNeeded = ::ExpandEnvironmentStringsW(szValue, szExpanded, MAX_VALUE);
        if (nNeeded == 0 || nNeeded > MAX_VALUE)
            return false;
        szExpanded[MAX_VALUE - 1] = L'\0';
        strOut = szExpanded;
        return true;
    }

private:
    HKEY m_hKey = nullptr;
};

// The "open" command of the type registered for ".htm" files.
bool ReadHtmlOpenCommand(std::wstring& strCommand)
{
    std::wstring strType;
    {
        CRegKey key;
        if (!key.Open(HKEY_CLASSES_ROOT, L".htm") || !key.ReadDefault(strType) || strType.empty())
            return false;
    }
    CRegKey key;
    return key.Open(HKEY_CLASSES_ROOT, strType + L"\\shell\\open\\command") && key.ReadDefault(strCommand);
}

// WinExec takes the system's ANSI code page.
bool ToAnsi(const std::wstring& str, std::string& strOut)
{
    const int nSize = ::WideCharToMultiByte(CP_ACP, 0, str.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (nSize <= 0)
        return false;
    strOut.assign(static_cast<size_t>(nSize), '\0');
    if (::WideCharToMultiByte(CP_ACP, 0, str.c_str(), -1, &strOut[0], nSize, nullptr, nullptr) != nSize)
        return false;
    strOut.resize(static_cast<size_t>(nSize) - 1);  // without the terminator
    return true;
}

POINT PointOf(LPARAM lParam)
{
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

}  // namespace

CHyperLink::CHyperLink()
    : m_hLinkCursor(::LoadCursorW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDC_LINK_HAND)))
{
}

CHyperLink::~CHyperLink()
{
    // A control that outlives its link gets its own font back before ours
    // is deleted.
    if (m_hWnd != nullptr && m_font)
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_hFontOriginal), FALSE);
}

// ---- colours, sizes and command lines ----

void CHyperLink::SetColors(COLORREF crLink, COLORREF crPressed, COLORREF crVisited, COLORREF crHover)
{
    g_crLink = crLink;
    g_crPressed = crPressed;
    g_crVisited = crVisited;
    g_crHover = crHover == HLC_SYSTEM_HIGHLIGHT ? ::GetSysColor(COLOR_HIGHLIGHT) : crHover;
}

void CHyperLink::GetColors(COLORREF& crLink, COLORREF& crPressed, COLORREF& crVisited, COLORREF& crHover)
{
    crLink = g_crLink;
    crPressed = g_crPressed;
    crVisited = g_crVisited;
    crHover = g_crHover;
}

COLORREF CHyperLink::StateColor(DWORD dwLinkStyle, bool bHover, bool bPressed, bool bVisited)
{
    if (bHover && (dwLinkStyle & HLS_HOVERCOLOR))
        return g_crHover;
    if (bPressed && !(dwLinkStyle & HLS_NOPRESSEDCOLOR))
        return g_crPressed;
    return bVisited ? g_crVisited : g_crLink;
}

RECT CHyperLink::SizedRect(const RECT& rc, SIZE szText, DWORD dwStyle)
{
    RECT rcSized = rc;
    if (dwStyle & SS_CENTERIMAGE)
        rcSized.top += (rc.bottom - rc.top - szText.cy) / 2;
    rcSized.bottom = rcSized.top + szText.cy;
    // The alignment is a kind of static, not a set of bits: SS_SIMPLE and
    // others share SS_CENTER's and SS_RIGHT's bits.
    switch (dwStyle & SS_TYPEMASK) {
    case SS_CENTER:
        rcSized.left += (rc.right - rc.left - szText.cx) / 2;
        rcSized.right = rcSized.left + szText.cx;
        break;
    case SS_RIGHT:
        rcSized.left = rc.right - szText.cx;
        break;
    default:
        rcSized.right = rc.left + szText.cx;
        break;
    }
    return rcSized;
}

std::wstring CHyperLink::HandlerCommandLine(const std::wstring& strCommand, const std::wstring& strAddress)
{
    size_t nCut = strCommand.find(L"\"%1\"");
    if (nCut == std::wstring::npos)
        nCut = strCommand.find(L"%1");
    std::wstring strLine = strCommand.substr(0, nCut);
    // A command that is only its argument would run the address itself.
    if (strLine.find_first_not_of(L" \t") == std::wstring::npos)
        return {};
    return strLine + L" " + strAddress;
}

INT_PTR CHyperLink::Launch(const std::wstring& strAddress, int nShowCmd)
{
    const INT_PTR nShell = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", strAddress.c_str(), nullptr, nullptr, nShowCmd));
    if (nShell > 32)
        return nShell;
    std::wstring strCommand;
    if (!ReadHtmlOpenCommand(strCommand))
        return nShell;
    const std::wstring strLine = HandlerCommandLine(strCommand, strAddress);
    std::string strAnsi;
    if (strLine.empty() || !ToAnsi(strLine, strAnsi))
        return nShell;
    return static_cast<INT_PTR>(::WinExec(strAnsi.c_str(), static_cast<UINT>(nShowCmd)));
}

// ---- attaching ----

bool CHyperLink::SubclassWindow(HWND hWnd)
{
    if (!CStatic::SubclassWindow(hWnd))
        return false;
    OnAttach();
    return true;
}

bool CHyperLink::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    HWND hItem = pParent != nullptr ? pParent->GetDlgItem(nID) : nullptr;
    return hItem != nullptr && SubclassWindow(hItem);
}

bool CHyperLink::Create(LPCWSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nID)
{
    if (!CStatic::Create(lpszText, dwStyle, rect, pParent, nID))
        return false;
    OnAttach();
    return true;
}

void CHyperLink::OnAttach()
{
    if (m_strAddress.empty())
        m_strAddress = GetWindowText();
    if (GetWindowText().empty())
        SetWindowText(m_strAddress);

    m_hFontOriginal = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    if (m_hFontOriginal == nullptr || !ApplyFont(m_hFontOriginal))
        m_dwLinkStyle &= ~HLS_SIZETOTEXT;
    SizeToText();

    if (m_toolTip.Create(this, TTS_ALWAYSTIP | TTS_NOPREFIX))
        m_toolTip.AddTool(this, m_strAddress, GetClientRect(), HL_TOOL_ID);
}

bool CHyperLink::ApplyFont(HFONT hSource)
{
    LOGFONTW lf{};
    if (hSource == nullptr || ::GetObjectW(hSource, sizeof(lf), &lf) == 0)
        return false;
    lf.lfUnderline = (m_dwLinkStyle & HLS_UNDERLINE) ? TRUE : FALSE;
    CGdiObject<HFONT> font(::CreateFontIndirectW(&lf));
    if (!font)
        return false;
    // The control lets go of the old font before it is deleted (it may be
    // the source).
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    m_font = std::move(font);
    return true;
}

void CHyperLink::SizeToText()
{
    if (m_hWnd == nullptr || !(m_dwLinkStyle & HLS_SIZETOTEXT))
        return;
    HWND hParent = ::GetParent(m_hWnd);
    RECT rcWindow = GetWindowRect();
    ::MapWindowPoints(HWND_DESKTOP, hParent, reinterpret_cast<POINT*>(&rcWindow), 2);
    const RECT rcClient = GetClientRect();

    SIZE szText{};
    {
        const std::wstring strText = GetWindowText();
        CClientDC dc(m_hWnd);
        CScopedSelectObject font(dc.Get(), reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
        ::GetTextExtentPoint32W(dc.Get(), strText.c_str(), static_cast<int>(strText.size()), &szText);
    }
    // The border around the client area.
    szText.cx += (rcWindow.right - rcWindow.left) - (rcClient.right - rcClient.left);
    szText.cy += (rcWindow.bottom - rcWindow.top) - (rcClient.bottom - rcClient.top);

    const RECT rc = SizedRect(rcWindow, szText, GetStyle());
    SetWindowPos(nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // The tool keeps covering the whole control.
    if (m_toolTip.m_hWnd != nullptr)
        m_toolTip.SetToolRect(this, HL_TOOL_ID, GetClientRect());
}

// ---- changes ----

template <class F> void CHyperLink::ChangeHidden(F apply)
{
    // Hidden meanwhile, so that the old and the new size are never seen
    // together; a control that was hidden stays so.
    const bool bVisible = (GetStyle() & WS_VISIBLE) != 0;
    if (bVisible)
        ShowWindow(SW_HIDE);
    apply();
    SizeToText();
    if (bVisible)
        ShowWindow(SW_SHOWNA);
}

bool CHyperLink::ModifyLinkStyle(DWORD dwRemove, DWORD dwAdd, bool bRedraw)
{
    if (dwRemove & dwAdd)
        return false;
    const DWORD dwOld = m_dwLinkStyle;
    m_dwLinkStyle = (dwOld & ~dwRemove) | dwAdd;
    if (!bRedraw || m_hWnd == nullptr)
        return true;
    if (((dwOld ^ m_dwLinkStyle) & HLS_UNDERLINE) && m_font)
        ApplyFont(m_font.Get());
    if (dwAdd & HLS_SIZETOTEXT)
        SizeToText();
    if (dwRemove & HLS_HOVERCOLOR)
        Invalidate();
    return true;
}

void CHyperLink::SetAddress(const std::wstring& strAddress)
{
    m_strAddress = strAddress;
    if (m_hWnd == nullptr)
        return;  // attaching takes it
    ChangeHidden([this] {
        if (m_toolTip.m_hWnd != nullptr)
            m_toolTip.UpdateTipText(m_strAddress, this, HL_TOOL_ID);
    });
}

void CHyperLink::SetText(const std::wstring& strText)
{
    if (m_hWnd != nullptr)
        ChangeHidden([&] { SetWindowText(strText); });
}

void CHyperLink::SetFont(HFONT hFont)
{
    if (m_hWnd != nullptr)
        ChangeHidden([&] { ApplyFont(hFont); });
}

// ---- opening ----

bool CHyperLink::OpenLink()
{
    const INT_PTR nResult = Launch(m_strAddress, SW_SHOW);
    if (nResult > 32) {
        m_bVisited = true;
        Repaint();
        return true;
    }
    ::MessageBeep(MB_ICONEXCLAMATION);
    AfxMessageBox(IDS_LINK_FAILED, {std::to_wstring(nResult)}, MB_OK | MB_ICONEXCLAMATION);
    return false;
}

// ---- messages ----

HBRUSH CHyperLink::OnCtlColor(HDC hDC)
{
    // What the parent would have answered by default, with the link's
    // text colour.
    HWND hParent = ::GetParent(m_hWnd);
    const WPARAM wParam = reinterpret_cast<WPARAM>(hDC);
    const LPARAM lParam = reinterpret_cast<LPARAM>(m_hWnd);
    LRESULT lBrush = 0;
    if (CWnd* pParent = CWnd::FromHandle(hParent))
        lBrush = pParent->DefaultProc(WM_CTLCOLORSTATIC, wParam, lParam);
    if (lBrush == 0)
        lBrush = ::DefWindowProcW(hParent, WM_CTLCOLORSTATIC, wParam, lParam);
    ::SetTextColor(hDC, GetTextColor());
    return reinterpret_cast<HBRUSH>(lBrush);
}

LRESULT CHyperLink::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    // The tooltip learns of the mouse here rather than in pre-translation:
    // the system's dialog loop does not offer its messages to our objects.
    if (nMsg >= WM_MOUSEMOVE && nMsg <= WM_MBUTTONDBLCLK) {
        DWORD dwPos = ::GetMessagePos();
        m_toolTip.RelayEvent(
            MSG{m_hWnd, nMsg, wParam, lParam, static_cast<DWORD>(::GetMessageTime()),
                POINT{static_cast<short>(LOWORD(dwPos)), static_cast<short>(HIWORD(dwPos))}});
    }
    switch (nMsg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_SETCURSOR:
        if (m_hLinkCursor != nullptr) {
            ::SetCursor(m_hLinkCursor);
            return TRUE;
        }
        break;
    case WM_NCHITTEST:
        return HTCLIENT;  // a static is otherwise transparent to the mouse
    case WM_MOUSEMOVE:
        OnMouseMove(PointOf(lParam));
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown();
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp();
        return 0;
    case WM_CAPTURECHANGED:
        OnCaptureChanged(reinterpret_cast<HWND>(lParam));
        break;
    case WM_SETFOCUS:
        OnSetFocus();
        return 0;
    case WM_KILLFOCUS:
        OnKillFocus();
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) {
            OpenLink();
            return 0;
        }
        break;
    }
    return CStatic::WindowProc(nMsg, wParam, lParam);
}

void CHyperLink::OnPaint()
{
    // The static paints its text into our DC; the focus rectangle is part
    // of every painting while the link has the focus.
    CPaintDC dc(m_hWnd);
    DefaultProc(WM_PAINT, reinterpret_cast<WPARAM>(dc.Get()), 0);
    if (m_bFocused) {
        const RECT rc = GetClientRect();
        ::DrawFocusRect(dc.Get(), &rc);
    }
}

void CHyperLink::OnMouseMove(POINT pt)
{
    if (!m_bHover) {
        m_bHover = true;
        Invalidate();
        ::SetCapture(m_hWnd);  // to learn when the mouse leaves
        return;
    }
    const RECT rc = GetClientRect();
    if (!::PtInRect(&rc, pt)) {
        m_bHover = false;
        ::ReleaseCapture();
        Invalidate();
    }
}

void CHyperLink::OnCaptureChanged(HWND hWndNew)
{
    // Another window took the mouse (a message box, a drag): no more
    // word of the mouse leaving will come.
    if (hWndNew != m_hWnd && m_bHover) {
        m_bHover = false;
        Invalidate();
    }
}

void CHyperLink::OnLButtonDown()
{
    if (m_dwLinkStyle & HLS_FOCUSONCLICK)
        SetFocus();
    if (m_dwLinkStyle & HLS_OPENONPRESS)
        OpenLink();
    m_bPressed = true;
}

void CHyperLink::OnLButtonUp()
{
    if (m_bPressed && !(m_dwLinkStyle & HLS_OPENONPRESS))
        OpenLink();
}

void CHyperLink::OnSetFocus()
{
    m_bFocused = true;
    m_bPressed = true;
    Repaint();  // with the focus rectangle
}

void CHyperLink::OnKillFocus()
{
    m_bFocused = false;
    m_bHover = false;
    m_bPressed = false;
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();  // held only to follow the hover
    Repaint();
}

void CHyperLink::Repaint()
{
    Invalidate();
    UpdateWindow();
}

}  // namespace QRVCtrl
