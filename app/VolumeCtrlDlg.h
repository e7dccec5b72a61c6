// CVolumeCtrlDlg: the main frame's volume popup, which comes up at the top
// right corner of the movie view.
#pragma once

#include "QRVVolumeControlDlg.h"

class CMainFrame;

class CVolumeCtrlDlg : public QRVVolumeControlDlg {
public:
    explicit CVolumeCtrlDlg(CMainFrame* pFrame);

    bool OnInitDialog() override;
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override;

private:
    // Owned by the frame only while shown (see the .cpp).
    void SetOwner(HWND hOwner);

    CMainFrame* m_pFrame;  // not owned
};
