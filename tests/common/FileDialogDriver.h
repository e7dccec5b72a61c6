// Drives a common file dialog of this process as a person would: waits for
// it by its title, types a path into its name field and confirms or
// cancels. The dialog runs its own modal loop on the thread that opened it,
// so the driving runs on another thread (CFileDialogDriver starts one).
// Works with the classic dialog and with the newer item dialog.
#pragma once

#include <functional>
#include <string>
#include <thread>
#include <vector>
#include <windows.h>
#include <dlgs.h>

// Polls pred() every few milliseconds; false when it still fails after
// nTimeoutMs.
inline bool WaitUntilTrue(const std::function<bool()>& pred, DWORD nTimeoutMs = 20000)
{
    const DWORD dwStart = ::GetTickCount();
    while (!pred()) {
        if (::GetTickCount() - dwStart > nTimeoutMs)
            return false;
        ::Sleep(10);
    }
    return true;
}

// Window searches; the system calls these back (stdcall, so no lambdas).
namespace FileDialogDriverDetail {

struct CDialogSearch {
    const std::wstring* pstrTitle;  // null: any title
    std::vector<HWND> found;
};

inline BOOL CALLBACK CollectDialog(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<CDialogSearch*>(lParam);
    DWORD dwProcess = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcess);
    wchar_t szClass[16] = {};
    ::GetClassNameW(hWnd, szClass, 16);
    if (dwProcess != ::GetCurrentProcessId() || !::IsWindowVisible(hWnd) ||
        std::wstring(szClass) != L"#32770")
        return TRUE;
    if (pSearch->pstrTitle != nullptr) {
        wchar_t szTitle[512] = {};
        ::GetWindowTextW(hWnd, szTitle, 512);
        if (*pSearch->pstrTitle != szTitle)
            return TRUE;
    }
    pSearch->found.push_back(hWnd);
    return TRUE;
}

struct CChildSearch {
    int nID;                  // < 0: any
    const wchar_t* pszClass;  // null: any
    HWND hFound;
};

inline BOOL CALLBACK FindChild(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<CChildSearch*>(lParam);
    if (pSearch->nID >= 0 && ::GetDlgCtrlID(hWnd) != pSearch->nID)
        return TRUE;
    wchar_t szClass[64] = {};
    ::GetClassNameW(hWnd, szClass, 64);
    if (pSearch->pszClass != nullptr && ::lstrcmpiW(szClass, pSearch->pszClass) != 0)
        return TRUE;
    pSearch->hFound = hWnd;
    return FALSE;
}

}  // namespace FileDialogDriverDetail

// The visible dialog windows (class "#32770") of this process, with the
// title when one is given.
inline std::vector<HWND> FindProcessDialogs(const std::wstring* pstrTitle)
{
    FileDialogDriverDetail::CDialogSearch search{pstrTitle, {}};
    ::EnumWindows(&FileDialogDriverDetail::CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The first dialog of this process titled *pstrTitle (any title when
// null), once it shows (its initialisation is over by then); null after
// the timeout.
inline HWND WaitForProcessDialog(const std::wstring* pstrTitle = nullptr, DWORD nTimeoutMs = 20000)
{
    HWND hDlg = nullptr;
    WaitUntilTrue(
        [&] {
            std::vector<HWND> found = FindProcessDialogs(pstrTitle);
            hDlg = found.empty() ? nullptr : found.front();
            return hDlg != nullptr;
        },
        nTimeoutMs);
    return hDlg;
}

// The file dialog of this process titled strTitle.
inline HWND WaitForFileDialog(const std::wstring& strTitle, DWORD nTimeoutMs = 20000)
{
    return WaitForProcessDialog(&strTitle, nTimeoutMs);
}

// The first descendant of hParent with control id nID (nID < 0: any) and
// window class pszClass (null: any).
inline HWND FindDescendant(HWND hParent, int nID, const wchar_t* pszClass = nullptr)
{
    FileDialogDriverDetail::CChildSearch search{nID, pszClass, nullptr};
    ::EnumChildWindows(hParent, &FileDialogDriverDetail::FindChild, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

// The name field: the edit inside the name combo box (cmb13, nested in
// ComboBoxEx32 and ComboBox in the classic dialogs of Windows and Wine), or
// a plain edit (edt1, Wine's item dialog).
inline HWND FindFileNameField(HWND hDlg)
{
    HWND hCombo = FindDescendant(hDlg, cmb13);
    if (hCombo != nullptr && ::IsWindowVisible(hCombo)) {
        HWND hEdit = FindDescendant(hCombo, -1, L"Edit");
        if (hEdit != nullptr)
            return hEdit;
    }
    return FindDescendant(hDlg, edt1, L"Edit");
}

inline bool TypeFileName(HWND hDlg, const std::wstring& strPath)
{
    HWND hEdit = FindFileNameField(hDlg);
    return hEdit != nullptr &&
           ::SendMessageW(hEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(strPath.c_str())) != FALSE;
}

// Presses a button of the dialog (IDOK confirms the name, IDCANCEL cancels).
inline void PressDialogButton(HWND hDlg, int nID)
{
    ::PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, nID)));
}

// Cancels every dialog of this process, so that a test that lost its way
// ends with its failures instead of hanging in a modal loop.
inline void CancelProcessDialogs()
{
    for (HWND hDlg : FindProcessDialogs(nullptr))
        PressDialogButton(hDlg, IDCANCEL);
}

// The whole errand: wait for the dialog titled strTitle, type strPath and
// confirm. On failure every dialog of the process is cancelled.
inline bool DriveFileDialog(const std::wstring& strTitle, const std::wstring& strPath)
{
    HWND hDlg = WaitForFileDialog(strTitle);
    if (hDlg == nullptr || !TypeFileName(hDlg, strPath)) {
        CancelProcessDialogs();
        return false;
    }
    PressDialogButton(hDlg, IDOK);
    return true;
}

// Waits for the dialog titled strTitle and cancels it (every dialog of the
// process when it does not come).
inline bool CancelFileDialog(const std::wstring& strTitle)
{
    HWND hDlg = WaitForFileDialog(strTitle);
    if (hDlg == nullptr) {
        CancelProcessDialogs();
        return false;
    }
    PressDialogButton(hDlg, IDCANCEL);
    return true;
}

// Runs a driving function on a thread of its own while the test's thread
// shows the dialog; waits for it at the end of the scope.
class CFileDialogDriver {
public:
    explicit CFileDialogDriver(std::function<void()> drive) : m_thread(std::move(drive)) {}
    ~CFileDialogDriver() { Join(); }
    CFileDialogDriver(const CFileDialogDriver&) = delete;
    CFileDialogDriver& operator=(const CFileDialogDriver&) = delete;

    void Join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    std::thread m_thread;
};
