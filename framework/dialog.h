// CDialog: a dialog box from a template, modal or modeless. The object is
// tied to the dialog window at WM_INITDIALOG (the window is subclassed, the
// system's dialog procedure stays the default for every message the class
// does not handle); OnInitDialog attaches the controls to their items by id.
// OK and Cancel (buttons, Enter, Esc) reach OnOK and OnCancel through the
// command table; by default they end the dialog with IDOK and IDCANCEL.
#pragma once

#include <windows.h>

#include "wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParent = nullptr);
    ~CDialog() override;

    // Modal: runs the dialog until EndDialog and gives its result; -1 when
    // the dialog could not be made.
    virtual INT_PTR DoModal();
    // Modeless: makes the dialog and returns at once.
    bool CreateModeless();
    // Ends a modal dialog with nResult, or destroys a modeless one.
    void EndDialog(INT_PTR nResult);

    // After the controls exist; true lets the system focus the first one.
    virtual bool OnInitDialog() { return true; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    // A modeless dialog's keyboard navigation.
    bool PreTranslateMessage(MSG* pMsg) override;

protected:
    bool OnCmdTable(UINT nID, ECmdMsg nCode, CCmdUI* pCmdUI) override;

private:
    static INT_PTR CALLBACK DialogProc(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam);
    HWND OwnerHwnd() const;
    void OnOKCommand() { OnOK(); }
    void OnCancelCommand() { OnCancel(); }

    UINT m_nIDTemplate;
    CWnd* m_pParent;  // not owned; null: the application's main window
    bool m_bModal = false;
};
