// CAboutDlg: the About box (Help > About): the program's icon, name,
// version with build date, and a link to the web site.
#pragma once

#include "QRVHyperLink.h"
#include "afxwin.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();

    bool OnInitDialog() override;

    QRVCtrl::CHyperLink m_wndLink;
};
