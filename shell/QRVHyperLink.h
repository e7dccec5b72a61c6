// QRVCtrl::CHyperLink: a static text control that looks and acts like a web
// link: coloured, underlined text, a hand cursor, a tooltip with the
// address, keyboard activation (Space), a focus rectangle while it has the
// focus, and the visited colour once the link has been opened. Opening
// hands the address to the shell and, when that fails, to the command
// registered for ".htm" files.
//
// Attach it to a dialog item with SubclassDlgItem(id, pDialog) or create it
// with Create(...); the address may be set before, else it is the text.
#pragma once

#include <string>
#include <windows.h>

#include "afxwin.h"
#include "tooltipctrl.h"

namespace QRVCtrl {

// Link style bits.
enum : DWORD {
    HLS_UNDERLINE = 0x01,       // underlined font
    HLS_HOVERCOLOR = 0x02,      // the hover colour while the mouse is over the link
    HLS_SIZETOTEXT = 0x04,      // the control takes the size of its text
    HLS_OPENONPRESS = 0x08,     // opens on the button press instead of the release
    HLS_FOCUSONCLICK = 0x10,    // a click takes the focus
    HLS_NOPRESSEDCOLOR = 0x40,  // the pressed colour is never used
    HLS_DEFAULT = HLS_UNDERLINE | HLS_SIZETOTEXT | HLS_FOCUSONCLICK | HLS_NOPRESSEDCOLOR,
};

// Hover colour that stands for the system's COLOR_HIGHLIGHT.
constexpr COLORREF HLC_SYSTEM_HIGHLIGHT = static_cast<COLORREF>(-1);

// The tooltip's one tool.
constexpr UINT_PTR HL_TOOL_ID = 1;

class CHyperLink : public CStatic {
public:
    CHyperLink();
    ~CHyperLink() override;

    // The colours of every link of the process.
    static void SetColors(COLORREF crLink, COLORREF crPressed, COLORREF crVisited,
                          COLORREF crHover = HLC_SYSTEM_HIGHLIGHT);
    static void GetColors(COLORREF& crLink, COLORREF& crPressed, COLORREF& crVisited, COLORREF& crHover);
    // The text colour for a state: hover (with HLS_HOVERCOLOR), then
    // pressed (without HLS_NOPRESSEDCOLOR), then visited, then the link's.
    static COLORREF StateColor(DWORD dwLinkStyle, bool bHover, bool bPressed, bool bVisited);

    // The rectangle rc takes for a text of szText (border included) in a
    // static of window style dwStyle: SS_CENTERIMAGE centres it vertically,
    // else it keeps the top; SS_CENTER centres it, SS_RIGHT keeps the right
    // edge, the other kinds keep the left edge.
    static RECT SizedRect(const RECT& rc, SIZE szText, DWORD dwStyle);

    // The command line for handler command strCommand (the ".htm" type's
    // "open" command) and an address: the first "%1" in double quotes, or
    // else the first %1, is cut off with the rest of the line, then a blank
    // and the address follow. Empty when nothing is left to run.
    static std::wstring HandlerCommandLine(const std::wstring& strCommand, const std::wstring& strAddress);

    // Opens strAddress: the shell first, then the ".htm" handler's command.
    // Returns the result of the last attempt (above 32 on success).
    static INT_PTR Launch(const std::wstring& strAddress, int nShowCmd);

    // Attaching to a window: the link then takes its address, font, size
    // and tooltip (see the .cpp).
    bool SubclassWindow(HWND hWnd);
    bool SubclassDlgItem(UINT nID, CWnd* pParent);
    bool Create(LPCWSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nID = 0xFFFF);

    // Removes and adds style bits; refused when the two overlap. With
    // bRedraw the window follows at once.
    bool ModifyLinkStyle(DWORD dwRemove, DWORD dwAdd, bool bRedraw = true);
    DWORD GetLinkStyle() const { return m_dwLinkStyle; }

    void SetAddress(const std::wstring& strAddress);
    const std::wstring& GetAddress() const { return m_strAddress; }
    void SetText(const std::wstring& strText);
    // The link uses a copy of hFont with its own underline.
    void SetFont(HFONT hFont);
    HFONT GetFont() const { return m_font.Get(); }

    bool IsHover() const { return m_bHover; }
    bool IsPressed() const { return m_bPressed; }
    bool IsVisited() const { return m_bVisited; }
    COLORREF GetTextColor() const { return StateColor(m_dwLinkStyle, m_bHover, m_bPressed, m_bVisited); }
    HCURSOR GetLinkCursor() const { return m_hLinkCursor; }
    const CToolTipCtrl& GetToolTip() const { return m_toolTip; }

    // Opens the link; on success it turns to the visited colour, on a
    // failure the user hears a beep and reads why.
    bool OpenLink();

    HBRUSH OnCtlColor(HDC hDC) override;
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnAttach();
    bool ApplyFont(HFONT hSource);
    void SizeToText();
    // Runs apply with the control hidden, then sizes it to its text.
    template <class F> void ChangeHidden(F apply);
    void OnPaint();
    void OnMouseMove(POINT pt);
    void OnLButtonDown();
    void OnLButtonUp();
    void OnSetFocus();
    void OnKillFocus();
    void OnCaptureChanged(HWND hWndNew);
    void Repaint();

    HCURSOR m_hLinkCursor;  // shared resource, not destroyed
    bool m_bPressed = false;
    bool m_bHover = false;
    bool m_bVisited = false;
    DWORD m_dwLinkStyle = HLS_DEFAULT;
    std::wstring m_strAddress;
    CGdiObject<HFONT> m_font;  // the control's font while attached
    CToolTipCtrl m_toolTip;
    HFONT m_hFontOriginal = nullptr;  // the control's font before ours; not owned
    bool m_bFocused = false;          // between WM_SETFOCUS and WM_KILLFOCUS
};

}  // namespace QRVCtrl
