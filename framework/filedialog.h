// CFileDialog: the system's common file dialog for opening or saving one
// file. Where the system has the newer item dialog (Vista and later, and
// Wine) it is reached through COM at run time; otherwise (Windows XP) the
// classic Explorer-style dialog with a hook is shown. Nothing newer than XP
// is imported, so the program still loads there.
#pragma once

#include <string>
#include <vector>
#include <windows.h>
#include <commdlg.h>

#include "cmdtarget.h"

class CWnd;

class CFileDialog : public CCmdTarget {
public:
    // pszFilter comes as "Name|*.ext|Other|*.a;*.b||"; pszDefExt without its
    // dot; pszFileName fills the name field (it may carry a folder).
    CFileDialog(bool bOpenFileDialog, const wchar_t* pszDefExt = nullptr,
                const wchar_t* pszFileName = nullptr, DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                const wchar_t* pszFilter = nullptr, CWnd* pParentWnd = nullptr, bool bVistaStyle = true);
    ~CFileDialog() override;

    // Shows the dialog until the user confirms a name (IDOK) or cancels
    // (IDCANCEL, also when the dialog could not be shown).
    virtual INT_PTR DoModal();

    // The confirmed full path; also valid inside OnFileNameOK.
    std::wstring GetPathName() const { return m_strPathName; }

    // lpstrTitle, lpstrInitialDir and nFilterIndex (1-based; 0 = first) may
    // be set before DoModal; nFilterIndex holds the chosen type after IDOK.
    // lpstrFile points to the name buffer (MAX_PATH characters unless the
    // caller points it to a larger buffer of its own).
    OPENFILENAMEW m_ofn{};

    // The newer item dialog when the system has it; false forces the
    // classic dialog.
    bool m_bVistaStyle;

protected:
    // Called when the user confirms a name; true refuses it and keeps the
    // dialog open.
    virtual bool OnFileNameOK() { return false; }

    // Sets the path GetPathName reports (the dialogs set it before they
    // call OnFileNameOK).
    void SetPathName(const std::wstring& strPath) { m_strPathName = strPath; }

    bool IsOpenDialog() const { return m_bOpenFileDialog; }

private:
    friend class CFileDialogEvents;
    static UINT_PTR CALLBACK HookProc(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam);

    // The item dialog: S_OK (confirmed), S_FALSE (cancelled) or a failure
    // when the system has none.
    HRESULT DoModalItemDialog(HWND hOwner);
    INT_PTR DoModalClassic(HWND hOwner);
    HWND OwnerHwnd() const;
    // Copies the confirmed path into the name buffer and sets its offsets.
    void StorePathInBuffer();

    const bool m_bOpenFileDialog;
    CWnd* m_pParentWnd;                 // not owned; null: the main window
    std::wstring m_strDefExt;           // without its dot
    std::vector<wchar_t> m_filter;      // NUL-separated pairs, double NUL at the end
    std::vector<wchar_t> m_fileBuffer;  // the default name buffer
    std::wstring m_strPathName;
};
