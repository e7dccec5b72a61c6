// The web link: the command line it gives the ".htm" handler, the size it
// takes, the colour of each state, and the real control in the About box's
// dialog template: its tooltip, hover and cursor, opening through the shell
// and through the ".htm" handler (a recorder of the test's own stands in
// for the browser), the message when nothing opens it, and Tab and Space.
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FileDialogDriver.h"
#include "MessagePump.h"
#include "QRVHyperLink.h"
#include "TestFile.h"
#include "ToolTipText.h"
#include "resource.h"

using QRVCtrl::CHyperLink;

namespace {

// Address schemes of the tests: one registered to the recorder, one that
// nothing handles.
const wchar_t RECORDED_SCHEME[] = L"vistrellinktest";
const wchar_t RECORDED_ADDRESS[] = L"vistrellinktest:opened";
const wchar_t UNHANDLED_ADDRESS[] = L"vistrelunhandled:page";

// ---- rules on their own ----

TEST(HyperLinkRules, HandlerCommandLineCutsTheArgumentAndAppendsTheAddress)
{
    const std::wstring strAddress = L"http://www.example.com/page";
    struct Case {
        const wchar_t* pszCommand;
        const wchar_t* pszLine;  // empty: nothing to run
    };
    const Case cases[] = {
        {L"\"C:\\Web\\browser.exe\" -new \"%1\" -tab",
         L"\"C:\\Web\\browser.exe\" -new  http://www.example.com/page"},
        {L"C:\\Web\\browser.exe %1 -tab", L"C:\\Web\\browser.exe  http://www.example.com/page"},
        {L"C:\\Web\\browser.exe -x %1 \"%1\" -y", L"C:\\Web\\browser.exe -x %1  http://www.example.com/page"},
        {L"C:\\Web\\browser.exe -url", L"C:\\Web\\browser.exe -url http://www.example.com/page"},
        {L"", L""},
        {L"\"%1\"", L""},
        {L"  %1 -tab", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "command [" << std::string(c.pszCommand, c.pszCommand + wcslen(c.pszCommand)) << "]");
        EXPECT_EQ(std::wstring(c.pszLine), CHyperLink::HandlerCommandLine(c.pszCommand, strAddress));
    }
}

TEST(HyperLinkRules, SizedRectFollowsTheAlignment)
{
    const RECT rc{10, 20, 110, 50};  // 100 x 30
    struct Case {
        const char* pszName;
        DWORD dwStyle;
        SIZE szText;
        RECT rcSized;
    };
    const Case cases[] = {
        {"left", SS_LEFT, {40, 13}, {10, 20, 50, 33}},
        {"centred", SS_CENTER, {40, 13}, {40, 20, 80, 33}},
        {"right", SS_RIGHT, {40, 13}, {70, 20, 110, 33}},
        {"left, centred image", SS_LEFT | SS_CENTERIMAGE, {40, 13}, {10, 28, 50, 41}},
        {"centred, centred image", SS_CENTER | SS_CENTERIMAGE, {40, 13}, {40, 28, 80, 41}},
        {"simple is left", SS_SIMPLE, {40, 13}, {10, 20, 50, 33}},
        {"wider than the rectangle", SS_CENTER, {120, 13}, {0, 20, 120, 33}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        const RECT rcSized = CHyperLink::SizedRect(rc, c.szText, c.dwStyle);
        EXPECT_TRUE(::EqualRect(&c.rcSized, &rcSized))
            << rcSized.left << "," << rcSized.top << "," << rcSized.right << "," << rcSized.bottom;
    }
}

// The colours of the process, put back at the end.
class CSavedColors {
public:
    CSavedColors() { CHyperLink::GetColors(m_crLink, m_crPressed, m_crVisited, m_crHover); }
    ~CSavedColors() { CHyperLink::SetColors(m_crLink, m_crPressed, m_crVisited, m_crHover); }
    COLORREF m_crLink, m_crPressed, m_crVisited, m_crHover;
};

TEST(HyperLinkRules, ColourOfEachState)
{
    const CSavedColors defaults;
    EXPECT_EQ(RGB(0, 0, 255), defaults.m_crLink);
    EXPECT_EQ(RGB(0, 128, 128), defaults.m_crPressed);
    EXPECT_EQ(RGB(128, 0, 128), defaults.m_crVisited);
    EXPECT_EQ(RGB(255, 0, 0), defaults.m_crHover);

    const COLORREF LINK = defaults.m_crLink, PRESSED = defaults.m_crPressed, VISITED = defaults.m_crVisited,
                   HOVER = defaults.m_crHover;
    const DWORD PLAIN = QRVCtrl::HLS_DEFAULT & ~QRVCtrl::HLS_NOPRESSEDCOLOR;
    struct Case {
        const char* pszName;
        DWORD dwStyle;
        bool bHover, bPressed, bVisited;
        COLORREF cr;
    };
    const Case cases[] = {
        {"link", QRVCtrl::HLS_DEFAULT, false, false, false, LINK},
        {"hover without the hover style", QRVCtrl::HLS_DEFAULT, true, false, false, LINK},
        {"hover with the hover style", QRVCtrl::HLS_DEFAULT | QRVCtrl::HLS_HOVERCOLOR, true, false, false,
         HOVER},
        {"pressed with no pressed colour", QRVCtrl::HLS_DEFAULT, false, true, false, LINK},
        {"pressed", PLAIN, false, true, false, PRESSED},
        {"visited", QRVCtrl::HLS_DEFAULT, false, false, true, VISITED},
        {"hover before pressed", PLAIN | QRVCtrl::HLS_HOVERCOLOR, true, true, true, HOVER},
        {"pressed before visited", PLAIN, false, true, true, PRESSED},
        {"visited while pressed with no pressed colour", QRVCtrl::HLS_DEFAULT, false, true, true, VISITED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        EXPECT_EQ(c.cr, CHyperLink::StateColor(c.dwStyle, c.bHover, c.bPressed, c.bVisited));
    }

    CHyperLink::SetColors(RGB(1, 2, 3), RGB(4, 5, 6), RGB(7, 8, 9), QRVCtrl::HLC_SYSTEM_HIGHLIGHT);
    COLORREF crLink, crPressed, crVisited, crHover;
    CHyperLink::GetColors(crLink, crPressed, crVisited, crHover);
    EXPECT_EQ(RGB(1, 2, 3), crLink);
    EXPECT_EQ(RGB(4, 5, 6), crPressed);
    EXPECT_EQ(RGB(7, 8, 9), crVisited);
    EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), crHover);
    EXPECT_EQ(RGB(7, 8, 9), CHyperLink::StateColor(QRVCtrl::HLS_DEFAULT, false, false, true));
}

// ---- the real control ----

// A window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND hWnd)
{
    RECT rc{};
    ::GetWindowRect(hWnd, &rc);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hWnd), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

SIZE TextExtent(HFONT hFont, const std::wstring& strText)
{
    CClientDC dc(nullptr);
    CScopedSelectObject font(dc.Get(), hFont);
    SIZE sz{};
    ::GetTextExtentPoint32W(dc.Get(), strText.c_str(), static_cast<int>(strText.size()), &sz);
    return sz;
}

TEST(HyperLink, SizesItselfToItsTextInAnUnderlinedCopyOfItsFont)
{
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, L"STATIC", L"", WS_POPUP, RECT{0, 0, 400, 300}, nullptr, 0));
    const HFONT hFont = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    const std::wstring strText = L"http://www.example.com/sized";
    const SIZE szText = TextExtent(hFont, strText);
    ASSERT_GT(szText.cx, 0);

    enum EAnchor { LEFT, CENTRE, RIGHT };
    struct Case {
        const char* pszName;
        DWORD dwStyle, dwExStyle;
        bool bFont;
        EAnchor anchor;
        bool bVCentre;
    };
    const Case cases[] = {
        {"left", SS_LEFT, 0, true, LEFT, false},
        {"centred", SS_CENTER, 0, true, CENTRE, false},
        {"right", SS_RIGHT, 0, true, RIGHT, false},
        {"centred image", SS_LEFT | SS_CENTERIMAGE, 0, true, LEFT, true},
        {"border", SS_RIGHT | WS_BORDER, WS_EX_CLIENTEDGE, true, RIGHT, false},
        {"no font", SS_LEFT, 0, false, LEFT, false},
    };
    const RECT rcItem{30, 20, 230, 60};  // 200 x 40
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        HWND hStatic =
            ::CreateWindowExW(c.dwExStyle, L"STATIC", strText.c_str(), WS_CHILD | WS_VISIBLE | c.dwStyle,
                              rcItem.left, rcItem.top, rcItem.right - rcItem.left, rcItem.bottom - rcItem.top,
                              parent.m_hWnd, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, hStatic);
        if (c.bFont)
            ::SendMessageW(hStatic, WM_SETFONT, reinterpret_cast<WPARAM>(hFont), FALSE);
        CHyperLink link;
        ASSERT_TRUE(link.SubclassWindow(hStatic));

        const RECT rc = RectInParent(hStatic);
        if (!c.bFont) {
            EXPECT_EQ(0u, link.GetLinkStyle() & QRVCtrl::HLS_SIZETOTEXT);
            EXPECT_TRUE(::EqualRect(&rcItem, &rc));
            ::DestroyWindow(hStatic);
            continue;
        }
        EXPECT_EQ(QRVCtrl::HLS_DEFAULT, link.GetLinkStyle());
        LOGFONTW lfLink{}, lfSource{};
        ASSERT_NE(0, ::GetObjectW(reinterpret_cast<HGDIOBJ>(link.SendMessage(WM_GETFONT)), sizeof(lfLink),
                                  &lfLink));
        ::GetObjectW(hFont, sizeof(lfSource), &lfSource);
        EXPECT_TRUE(lfLink.lfUnderline);
        EXPECT_EQ(lfSource.lfHeight, lfLink.lfHeight);
        EXPECT_EQ(std::wstring(lfSource.lfFaceName), lfLink.lfFaceName);

        const RECT rcClient = link.GetClientRect();
        EXPECT_EQ(szText.cx, rcClient.right);
        EXPECT_EQ(szText.cy, rcClient.bottom);
        switch (c.anchor) {
        case LEFT:
            EXPECT_EQ(rcItem.left, rc.left);
            break;
        case RIGHT:
            EXPECT_EQ(rcItem.right, rc.right);
            break;
        case CENTRE:
            EXPECT_LE(std::abs((rc.left + rc.right) - (rcItem.left + rcItem.right)), 1);
            break;
        }
        if (c.bVCentre) {
            EXPECT_LE(std::abs((rc.top + rc.bottom) - (rcItem.top + rcItem.bottom)), 1);
        } else {
            EXPECT_EQ(rcItem.top, rc.top);
        }
        ::DestroyWindow(hStatic);
    }
}

// ---- the link in the About box's template ----

// The About box's template with a link of the test's own on its link item,
// opening strAddress (the item's text when empty).
class CLinkDialog : public CDialog {
public:
    explicit CLinkDialog(const std::wstring& strAddress = L"") : CDialog(IDD_ABOUTBOX)
    {
        m_link.SetAddress(strAddress);
    }
    bool OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_link.SubclassDlgItem(IDC_ABOUT_LINK, this);
        return true;
    }
    CHyperLink m_link;
};

// The text colour the link's parent gets for painting it.
COLORREF PaintedTextColor(HWND hDlg, HWND hLink)
{
    CMemoryDC dc;
    ::SendMessageW(hDlg, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.Get()),
                   reinterpret_cast<LPARAM>(hLink));
    return ::GetTextColor(dc.Get());
}

COLORREF VisitedColor()
{
    COLORREF crLink, crPressed, crVisited, crHover;
    CHyperLink::GetColors(crLink, crPressed, crVisited, crHover);
    return crVisited;
}

// A click as the mouse brings it.
void Click(CHyperLink& link)
{
    const LPARAM lParam = MAKELPARAM(2, 2);
    link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, lParam);
    link.SendMessage(WM_LBUTTONUP, 0, lParam);
}

// Keys and values of HKEY_CLASSES_ROOT written for one test and put back
// after it. (Wine 8 reads HKEY_CLASSES_ROOT from the machine's classes
// only: the user's classes would go unseen.)
class CScopedClasses {
public:
    CScopedClasses() = default;
    CScopedClasses(const CScopedClasses&) = delete;
    CScopedClasses& operator=(const CScopedClasses&) = delete;
    ~CScopedClasses()
    {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            HKEY hKey = nullptr;
            if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, it->strKey.c_str(), 0, KEY_SET_VALUE, &hKey) !=
                ERROR_SUCCESS)
                continue;
            if (it->bHad)
                ::RegSetValueExW(hKey, NameOf(it->strName), 0, it->dwType, it->data.data(),
                                 static_cast<DWORD>(it->data.size()));
            else
                ::RegDeleteValueW(hKey, NameOf(it->strName));
            ::RegCloseKey(hKey);
        }
        for (auto it = m_created.rbegin(); it != m_created.rend(); ++it)
            ::RegDeleteKeyW(HKEY_CLASSES_ROOT, it->c_str());
    }

    // Sets a text value of strKey (its default value when strName is empty),
    // making the key and its parents as needed.
    bool Set(const std::wstring& strKey, const std::wstring& strValue, const std::wstring& strName = L"")
    {
        HKEY hKey = nullptr;
        bool bCreated = false;
        for (size_t nStart = 0;;) {
            const size_t nSlash = strKey.find(L'\\', nStart);
            const std::wstring strPath = strKey.substr(0, nSlash);
            DWORD dwDisposition = 0;
            if (::RegCreateKeyExW(HKEY_CLASSES_ROOT, strPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &hKey, &dwDisposition) != ERROR_SUCCESS)
                return false;
            bCreated = dwDisposition == REG_CREATED_NEW_KEY;
            if (bCreated)
                m_created.push_back(strPath);
            if (nSlash == std::wstring::npos)
                break;
            ::RegCloseKey(hKey);
            nStart = nSlash + 1;
        }
        if (!bCreated) {
            CSaved saved{strKey, strName, false, 0, std::vector<BYTE>(4096)};
            DWORD cb = static_cast<DWORD>(saved.data.size());
            saved.bHad = ::RegQueryValueExW(hKey, NameOf(strName), nullptr, &saved.dwType, saved.data.data(),
                                            &cb) == ERROR_SUCCESS;
            saved.data.resize(saved.bHad ? cb : 0);
            m_saved.push_back(std::move(saved));
        }
        const bool bSet =
            ::RegSetValueExW(hKey, NameOf(strName), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(strValue.c_str()),
                             static_cast<DWORD>((strValue.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
        ::RegCloseKey(hKey);
        return bSet;
    }

private:
    struct CSaved {
        std::wstring strKey, strName;
        bool bHad;
        DWORD dwType;
        std::vector<BYTE> data;
    };
    static const wchar_t* NameOf(const std::wstring& strName)
    {
        return strName.empty() ? nullptr : strName.c_str();
    }

    std::vector<std::wstring> m_created;  // in the order made
    std::vector<CSaved> m_saved;
};

// The command that has the recorder next to this program write the address
// it is given to strFile.
std::wstring RecorderCommand(const std::wstring& strFile)
{
    wchar_t szPath[MAX_PATH] = L"";
    const DWORD nLength = ::GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    std::wstring strDir(szPath, nLength < MAX_PATH ? nLength : 0);
    strDir.resize(strDir.find_last_of(L"\\/") + 1);
    return L"\"" + strDir + L"" VISTREL_LINK_RECORDER L"\" \"" + strFile + L"\" \"%1\"";
}

bool RegisterRecordedScheme(CScopedClasses& classes, const std::wstring& strCommand)
{
    const std::wstring strScheme = RECORDED_SCHEME;
    return classes.Set(strScheme, L"URL:Vistrel link test") && classes.Set(strScheme, L"", L"URL Protocol") &&
           classes.Set(strScheme + L"\\shell\\open\\command", strCommand);
}

bool Exists(const CTestFile& file)
{
    return ::GetFileAttributesW(file.Wide()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring Recorded(const CTestFile& file)
{
    std::ifstream in(file.Path(), std::ios::binary);
    const std::string str{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return std::wstring(str.begin(), str.end());  // the test addresses are ASCII
}

TEST(HyperLink, TakesItsAddressFromItsTextShowsItAsTooltipAndFitsNewTexts)
{
    CLinkDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless());
    CHyperLink& link = dialog.m_link;
    ASSERT_NE(nullptr, link.m_hWnd);
    EXPECT_FALSE(link.GetAddress().empty());
    EXPECT_EQ(link.GetWindowText(), link.GetAddress());
    EXPECT_EQ(link.GetAddress(), ToolTipText(link.GetToolTip().m_hWnd, link.m_hWnd, QRVCtrl::HL_TOOL_ID));
    EXPECT_NE(nullptr, link.GetLinkCursor());
    EXPECT_FALSE(link.IsVisited());

    const std::wstring strLonger = link.GetWindowText() + L"/longer";
    link.SetText(strLonger);
    EXPECT_EQ(strLonger, link.GetWindowText());
    EXPECT_EQ(TextExtent(link.GetFont(), strLonger).cx, link.GetClientRect().right);
    EXPECT_NE(0u, link.GetStyle() & WS_VISIBLE);

    link.SetAddress(RECORDED_ADDRESS);
    EXPECT_EQ(RECORDED_ADDRESS, ToolTipText(link.GetToolTip().m_hWnd, link.m_hWnd, QRVCtrl::HL_TOOL_ID));
    EXPECT_EQ(strLonger, link.GetWindowText());

    EXPECT_FALSE(link.ModifyLinkStyle(QRVCtrl::HLS_UNDERLINE, QRVCtrl::HLS_UNDERLINE));
    ASSERT_TRUE(link.ModifyLinkStyle(QRVCtrl::HLS_UNDERLINE, 0));
    LOGFONTW lf{};
    ::GetObjectW(reinterpret_cast<HGDIOBJ>(link.SendMessage(WM_GETFONT)), sizeof(lf), &lf);
    EXPECT_FALSE(lf.lfUnderline);
}

TEST(HyperLink, MouseOverShowsTheHandAndTheAddressAndLeavingReleasesTheMouse)
{
    const CSavedColors colors;
    CLinkDialog dialog(RECORDED_ADDRESS);
    ASSERT_TRUE(dialog.CreateModeless());
    dialog.ShowWindow(SW_SHOW);
    dialog.UpdateWindow();
    CHyperLink& link = dialog.m_link;
    ASSERT_TRUE(link.ModifyLinkStyle(0, QRVCtrl::HLS_HOVERCOLOR));

    const RECT rc = link.GetClientRect();
    POINT pt{rc.right / 2, rc.bottom / 2};
    POINT ptScreen = pt;
    ::ClientToScreen(link.m_hWnd, &ptScreen);
    ASSERT_TRUE(::SetCursorPos(ptScreen.x, ptScreen.y));
    link.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y));
    EXPECT_TRUE(link.IsHover());
    EXPECT_EQ(link.m_hWnd, ::GetCapture());
    EXPECT_EQ(colors.m_crHover, PaintedTextColor(dialog.m_hWnd, link.m_hWnd));
    link.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(link.m_hWnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(link.GetLinkCursor(), ::GetCursor());

    const HWND hTips = link.GetToolTip().m_hWnd;
    EXPECT_TRUE(PumpUntil([&] { return ::IsWindowVisible(hTips) != FALSE; })) << "the tooltip shows";
    EXPECT_EQ(RECORDED_ADDRESS, ToolTipText(hTips, link.m_hWnd, QRVCtrl::HL_TOOL_ID));

    ASSERT_TRUE(::SetCursorPos(0, 0));
    POINT ptOut{0, 0};
    ::ScreenToClient(link.m_hWnd, &ptOut);
    link.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(ptOut.x, ptOut.y));
    EXPECT_FALSE(link.IsHover());
    EXPECT_NE(link.m_hWnd, ::GetCapture());
    EXPECT_EQ(colors.m_crLink, PaintedTextColor(dialog.m_hWnd, link.m_hWnd));
}

TEST(HyperLink, ClickOpensTheAddressThroughTheShellAndTurnsVisited)
{
    const CTestFile record("link_shell.txt");
    CScopedClasses classes;
    ASSERT_TRUE(RegisterRecordedScheme(classes, RecorderCommand(record.WidePath())));
    CLinkDialog dialog(RECORDED_ADDRESS);
    ASSERT_TRUE(dialog.CreateModeless());
    CMessageBoxCapture capture;

    Click(dialog.m_link);
    ASSERT_TRUE(PumpUntil([&] { return Exists(record); })) << "the recorder ran";
    EXPECT_EQ(RECORDED_ADDRESS, Recorded(record));
    EXPECT_TRUE(dialog.m_link.IsVisited());
    EXPECT_EQ(VisitedColor(), PaintedTextColor(dialog.m_hWnd, dialog.m_link.m_hWnd));
    EXPECT_TRUE(capture.Records().empty());
}

TEST(HyperLink, WhenTheShellFailsTheHtmlHandlerIsTriedThenTheUserIsTold)
{
    const INT_PTR nShell = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", UNHANDLED_ADDRESS, nullptr, nullptr, SW_SHOW));
    ASSERT_LE(nShell, 32) << "nothing handles the test's unhandled scheme";
    const std::wstring strMissing = L"\"C:\\vistrel no such folder\\browser.exe\"";
    const INT_PTR nMissing =
        ::WinExec("\"C:\\vistrel no such folder\\browser.exe\"  vistrelunhandled:page", SW_SHOW);
    ASSERT_LE(nMissing, 32);

    const CTestFile record("link_htm.txt");
    struct Case {
        const char* pszName;
        const wchar_t* pszType;   // the ".htm" files' type
        std::wstring strCommand;  // its open command; none when empty
        INT_PTR nFailure;         // the number shown; 0: the recorder opens it
    };
    const Case cases[] = {
        {"the handler opens it", L"Vistrel.TestPage", RecorderCommand(record.WidePath()), 0},
        {"no handler: the shell's result", L"Vistrel.NoHandler", L"", nShell},
        {"a handler that cannot start: its result", L"Vistrel.BrokenPage", strMissing + L" \"%1\"", nMissing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        CScopedClasses classes;
        ASSERT_TRUE(classes.Set(L".htm", c.pszType));
        if (!c.strCommand.empty()) {
            ASSERT_TRUE(classes.Set(std::wstring(c.pszType) + L"\\shell\\open\\command", c.strCommand));
        }
        CLinkDialog dialog(UNHANDLED_ADDRESS);
        ASSERT_TRUE(dialog.CreateModeless());
        CMessageBoxCapture capture;

        Click(dialog.m_link);
        const std::vector<CMessageBoxRecord> boxes = capture.Records();
        EXPECT_EQ(c.nFailure == 0, dialog.m_link.IsVisited());
        if (c.nFailure == 0) {
            EXPECT_TRUE(boxes.empty());
            ASSERT_TRUE(PumpUntil([&] { return Exists(record); })) << "the recorder ran";
            EXPECT_EQ(UNHANDLED_ADDRESS, Recorded(record));
            continue;
        }
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ(static_cast<UINT>(IDS_LINK_FAILED), boxes[0].nIDPrompt);
        EXPECT_EQ(std::vector<std::wstring>{std::to_wstring(c.nFailure)}, boxes[0].insertions);
        EXPECT_NE(std::wstring::npos, boxes[0].strText.find(std::to_wstring(c.nFailure)));
        EXPECT_EQ(static_cast<UINT>(MB_ICONEXCLAMATION), boxes[0].nType & MB_ICONMASK);
        EXPECT_NE(VisitedColor(), PaintedTextColor(dialog.m_hWnd, dialog.m_link.m_hWnd));
    }
}

// ---- keyboard, in the dialog's own modal loop ----

// The keyboard focus of the thread that runs hWnd.
HWND FocusOf(HWND hWnd)
{
    GUITHREADINFO gti{};
    gti.cbSize = sizeof(gti);
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(hWnd, nullptr), &gti) ? gti.hwndFocus : nullptr;
}

// A key pressed and released where the focus is.
void PressKey(HWND hDlg, UINT nKey)
{
    const HWND hFocus = FocusOf(hDlg);
    ::PostMessageW(hFocus, WM_KEYDOWN, nKey, 1);
    ::PostMessageW(hFocus, WM_KEYUP, nKey, static_cast<LPARAM>(0xC0000001u));
}

// The top row of a window's pixels as they are on the screen.
std::vector<COLORREF> TopRow(HWND hWnd)
{
    RECT rc{};
    ::GetClientRect(hWnd, &rc);
    CClientDC dc(hWnd);
    std::vector<COLORREF> row;
    for (int x = 0; x < rc.right; ++x)
        row.push_back(::GetPixel(dc.Get(), x, 0));
    return row;
}

TEST(HyperLink, TabDrawsTheFocusRectangleAndSpaceOpensTheLink)
{
    const CTestFile record("link_space.txt");
    CScopedClasses classes;
    ASSERT_TRUE(RegisterRecordedScheme(classes, RecorderCommand(record.WidePath())));
    CLinkDialog dialog(RECORDED_ADDRESS);

    struct {
        bool bShown = false, bOnButton = false, bOnLink = false, bFocusDrawn = false, bRecorded = false;
        COLORREF crText = CLR_INVALID;
    } seen;
    CFileDialogDriver driver([&] {
        const HWND hDlg = WaitForProcessDialog();
        seen.bShown = hDlg != nullptr;
        if (!seen.bShown)
            return;
        const HWND hLink = ::GetDlgItem(hDlg, IDC_ABOUT_LINK);
        const HWND hButton = ::GetDlgItem(hDlg, IDOK);
        // From the button, the next tab stop is the link.
        ::PostMessageW(hDlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hButton), TRUE);
        seen.bOnButton = WaitUntilTrue([&] { return FocusOf(hDlg) == hButton; });
        const std::vector<COLORREF> unfocused = TopRow(hLink);
        if (seen.bOnButton) {
            PressKey(hDlg, VK_TAB);
            seen.bOnLink = WaitUntilTrue([&] { return FocusOf(hDlg) == hLink; });
        }
        if (seen.bOnLink) {
            seen.bFocusDrawn = WaitUntilTrue([&] { return TopRow(hLink) != unfocused; });
            PressKey(hDlg, VK_SPACE);
            seen.bRecorded = WaitUntilTrue([&] { return Exists(record); });
            seen.crText = PaintedTextColor(hDlg, hLink);
        }
        PressDialogButton(hDlg, seen.bRecorded ? IDOK : IDCANCEL);
    });
    EXPECT_EQ(IDOK, dialog.DoModal());
    driver.Join();

    ASSERT_TRUE(seen.bShown);
    EXPECT_TRUE(seen.bOnButton);
    EXPECT_TRUE(seen.bOnLink) << "Tab from the button reaches the link";
    EXPECT_TRUE(seen.bFocusDrawn) << "the focus rectangle is drawn";
    ASSERT_TRUE(seen.bRecorded) << "Space opened the link";
    EXPECT_EQ(RECORDED_ADDRESS, Recorded(record));
    EXPECT_EQ(VisitedColor(), seen.crText);
}

}  // namespace
