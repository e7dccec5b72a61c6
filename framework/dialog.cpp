#include "dialog.h"

#include "controls.h"
#include "winapp.h"

CDialog::CDialog(UINT nIDTemplate, CWnd* pParent) : m_nIDTemplate(nIDTemplate), m_pParent(pParent) {}

CDialog::~CDialog()
{
    // A modeless dialog goes with its object; a modal one has ended before.
    if (m_hWnd != nullptr && !m_bModal)
        ::DestroyWindow(Detach());
}

HWND CDialog::OwnerHwnd() const
{
    if (m_pParent != nullptr)
        return m_pParent->m_hWnd;
    CWnd* pMain = AfxGetMainWnd();
    return pMain != nullptr ? pMain->m_hWnd : nullptr;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    // Every later message reaches the object through the subclassed window
    // procedure, which calls the system's dialog procedure as its default;
    // that one comes back here and finds nothing more to do.
    if (nMsg != WM_INITDIALOG)
        return FALSE;
    auto* pDialog = reinterpret_cast<CDialog*>(lParam);
    if (pDialog == nullptr || !pDialog->SubclassWindow(hDlg))
        return TRUE;
    return pDialog->OnInitDialog() ? TRUE : FALSE;
}

INT_PTR CDialog::DoModal()
{
    if (m_hWnd != nullptr)
        return -1;
    AfxInitCommonControls();
    m_bModal = true;
    const INT_PTR nResult =
        ::DialogBoxParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate), OwnerHwnd(),
                          &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    m_bModal = false;
    return nResult;
}

bool CDialog::CreateModeless()
{
    if (m_hWnd != nullptr)
        return false;
    AfxInitCommonControls();
    m_bModal = false;
    HWND hDlg = ::CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate), OwnerHwnd(),
                                     &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    if (hDlg != nullptr && m_hWnd != hDlg) {
        ::DestroyWindow(hDlg);  // could not be tied to this object
        return false;
    }
    return hDlg != nullptr;
}

void CDialog::EndDialog(INT_PTR nResult)
{
    if (m_hWnd == nullptr)
        return;
    if (m_bModal)
        ::EndDialog(m_hWnd, nResult);
    else
        ::DestroyWindow(m_hWnd);
}

bool CDialog::PreTranslateMessage(MSG* pMsg)
{
    return !m_bModal && m_hWnd != nullptr && ::IsDialogMessageW(m_hWnd, pMsg) != FALSE;
}

bool CDialog::OnCmdTable(UINT nID, ECmdMsg nCode, CCmdUI* pCmdUI)
{
    static const CCmdEntry<CDialog> table[] = {
        {IDOK, &CDialog::OnOKCommand, nullptr},
        {IDCANCEL, &CDialog::OnCancelCommand, nullptr},
    };
    return DispatchCmd(this, table, nID, nCode, pCmdUI) || CWnd::OnCmdTable(nID, nCode, pCmdUI);
}
