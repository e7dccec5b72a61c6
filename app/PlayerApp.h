// CPlayerApp: the player's application object. Refuses systems older than
// Windows XP, registers the main window class, reads the command line into
// the configuration, creates the main frame and gives it its first state.
#pragma once

#include <memory>

#include "PlayerConfig.h"
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
    CPlayerConfig& GetConfig() { return m_config; }
    const CPlayerConfig& GetConfig() const { return m_config; }

    // True for Windows XP (code 8) or later; otherwise tells the user and
    // gives false.
    static bool AcceptOsVersion(int nVersionCode);

protected:
    // Help > About.
    bool OnCmdTable(UINT nID, ECmdMsg nCode, CCmdUI* pCmdUI) override;

private:
    void OnAppAbout();
    bool OpenCommandLineMovie();
    void ShowFirstState();

    CPlayerConfig m_config;                    // filled once, in InitInstance
    std::unique_ptr<CMainFrame> m_pMainFrame;  // object of m_pMainWnd
    bool m_bClassRegistered = false;
};

// The running player's application object; null when the application
// object is not the player's (framework tests).
CPlayerApp* GetPlayerApp();
// The program's configuration; null outside the player (in tests of parts).
CPlayerConfig* GetPlayerConfig();
