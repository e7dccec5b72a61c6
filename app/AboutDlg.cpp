#include "AboutDlg.h"

#include <string>

#include "resource.h"

namespace {

// ASCII text (version, compiler date) as wide text.
std::wstring Widen(const char* psz)
{
    std::wstring str;
    for (; *psz != '\0'; ++psz)
        str += static_cast<wchar_t>(static_cast<unsigned char>(*psz));
    return str;
}

// "<label> <version> - <build date>", the date as the compiler gives it
// ("Jan  6 2009").
std::wstring VersionText()
{
    return AfxLoadString(IDS_VERSION) + L" " + Widen(VISTREL_VERSION_TEXT) + L" - " + Widen(__DATE__);
}

}  // namespace

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

bool CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_wndLink.SubclassDlgItem(IDC_ABOUT_LINK, this);
    ::SetDlgItemTextW(m_hWnd, IDC_ABOUT_VERSION, VersionText().c_str());
    return true;
}
