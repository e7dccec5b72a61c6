// CPlayerApp: the player's application object. Registers the main window
// class, creates the main frame and shows it.
#pragma once

#include <memory>

#include "afxwin.h"

class CMainFrame;

// Class of the main window; other programs find the player by it.
extern const wchar_t PLAYER_CLASS_NAME[];

class CPlayerApp : public CWinApp {
public:
    CPlayerApp();
    ~CPlayerApp() override;

    bool InitApplication() override;
    bool InitInstance() override;
    int ExitInstance() override;

    CMainFrame* GetMainFrame() const { return m_pMainFrame.get(); }

private:
    std::unique_ptr<CMainFrame> m_pMainFrame;   // object of m_pMainWnd
    bool m_bClassRegistered = false;
};
