// CWnd: a C++ object tied to one window. Windows created through the
// framework's window procedure find their object from WM_NCCREATE; other
// windows (controls, dialog items) are subclassed. Messages arrive in
// WindowProc, where each class handles its own in a switch and passes the
// rest to its base; the base of all ends in Default().
#pragma once

#include <string>
#include <windows.h>

#include "cmdtarget.h"

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override;

    // Our object for hWnd, or null when the window has none.
    static CWnd* FromHandle(HWND hWnd);
    HWND GetSafeHwnd() const { return m_hWnd; }

    // Association without subclassing (messages do not reach the object).
    bool Attach(HWND hWnd);
    HWND Detach();
    // Association with subclassing: our procedure first, the old one as default.
    bool SubclassWindow(HWND hWnd);
    bool SubclassDlgItem(UINT nID, CWnd* pParent);
    HWND UnsubclassWindow();

    // Creation. lpCreateParams carries this object to AfxWndProc; a window
    // of a class with another procedure (a control) is subclassed after.
    virtual bool PreCreateWindow(CREATESTRUCTW& cs) { return true; }
    bool CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                  const RECT& rect, HWND hWndParent, UINT nIDOrMenu);
    bool CreateEx(CREATESTRUCTW& cs);  // after PreCreateWindow, as given
    bool Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParent,
                UINT nID);
    virtual bool DestroyWindow();
    // Last call for the object after WM_NCDESTROY; the window is gone.
    virtual void PostNcDestroy() {}

    // Message hooks.
    virtual bool PreTranslateMessage(MSG* pMsg) { return false; }
    virtual LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam);
    // A notification that this window sent to its parent, offered back to
    // it first; true = handled, *pResult is the answer to the sender.
    virtual bool OnChildNotify(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) { return false; }
    // WM_COMMAND: menus and accelerators run the command route after the
    // update check; clicks of buttons (code 0) are commands too.
    virtual bool OnCommand(WPARAM wParam, LPARAM lParam);

    // Default handling of the message being processed / of any message.
    LRESULT Default();
    LRESULT DefaultProc(UINT nMsg, WPARAM wParam, LPARAM lParam);

    // Offers pMsg to the PreTranslateMessage of its window and of that
    // window's parents, up to and including hWndStop.
    static bool WalkPreTranslateTree(HWND hWndStop, MSG* pMsg);

    // Thin wrappers.
    LRESULT SendMessage(UINT nMsg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageW(m_hWnd, nMsg, wParam, lParam);
    }
    bool PostMessage(UINT nMsg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageW(m_hWnd, nMsg, wParam, lParam) != FALSE;
    }
    // Sends to every descendant that has one of our objects.
    void SendMessageToDescendants(UINT nMsg, WPARAM wParam = 0, LPARAM lParam = 0) const;
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    HWND GetDlgItem(UINT nID) const { return ::GetDlgItem(m_hWnd, static_cast<int>(nID)); }
    UINT GetDlgCtrlID() const { return static_cast<UINT>(::GetDlgCtrlID(m_hWnd)); }
    RECT GetClientRect() const;
    RECT GetWindowRect() const;
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_EXSTYLE)); }
    bool ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    bool ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    bool ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow) != FALSE; }
    bool IsWindowVisible() const { return ::IsWindowVisible(m_hWnd) != FALSE; }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    void Invalidate(bool bErase = true) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    void MoveWindow(const RECT& rc, bool bRepaint = true);
    bool SetWindowPos(HWND hWndAfter, int x, int y, int cx, int cy, UINT nFlags)
    {
        return ::SetWindowPos(m_hWnd, hWndAfter, x, y, cx, cy, nFlags) != FALSE;
    }
    void SetWindowText(const std::wstring& strText) { ::SetWindowTextW(m_hWnd, strText.c_str()); }
    std::wstring GetWindowText() const;
    HWND SetFocus() { return ::SetFocus(m_hWnd); }
    // Centres a top-level window on its owner, or on the work area when it
    // has none or hAlternateOwner is null and it has no owner.
    void CenterWindow(HWND hAlternateOwner = nullptr);

    HWND m_hWnd = nullptr;

protected:
    WNDPROC m_pfnSuper = nullptr;  // procedure of a subclassed window

private:
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    bool AttachObject(HWND hWnd);
    void DetachObject();
    bool ReflectChildNotify(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    const MSG* m_pCurrentMsg = nullptr;  // message being processed, for Default()
    bool m_bOwnsWindow = false;          // created by us: destroyed with the object
};
