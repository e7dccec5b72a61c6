// CWinApp: the program's one application object, its start-up sequence and
// its message loop. The exe's wWinMain calls AfxWinMain; tests can create
// an application object of their own and drive it in process.
#pragma once

#include <memory>
#include <string>
#include <windows.h>

#include "cmdtarget.h"
#include "oleinit.h"

class CWnd;

class CWinApp : public CCmdTarget {
public:
    CWinApp();
    ~CWinApp() override;

    virtual bool InitApplication() { return true; }
    virtual bool InitInstance() { return true; }
    // Returns the program's exit code: by default the WM_QUIT code.
    virtual int ExitInstance();
    // Idle-time work while the queue is empty; nCount counts the calls
    // since the last message (-1 asks for an update out of turn). Count 0
    // or less updates the command states of the main frame and its bars.
    // Returns true while more idle work is wanted.
    virtual bool OnIdle(LONG nCount);
    // Offers a message to its window and that window's parents, then to
    // the main window (accelerators) when the window is not under it.
    virtual bool PreTranslateMessage(MSG* pMsg);
    // The message loop; returns ExitInstance().
    virtual int Run();
    // One message taken and handled; false on WM_QUIT.
    bool PumpMessage();

    // Application title: string AFX_IDS_APP_TITLE, else the module name.
    const std::wstring& GetAppName();

    CWnd* m_pMainWnd = nullptr;  // not owned
    HINSTANCE m_hInstance;
    LPCWSTR m_lpCmdLine = L"";  // command-line text after the program name
    int m_nCmdShow = SW_SHOWNORMAL;
    std::unique_ptr<COleInitialize> m_pOle;  // AfxOleInit's, undone at exit

protected:
    // Standard commands: Exit closes the main window.
    bool OnCmdTable(UINT nID, ECmdMsg nCode, CCmdUI* pCmdUI) override;
    void OnAppExit();

    MSG m_msgCur{};

private:
    std::wstring m_strAppName;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();

// OLE for the user-interface thread; undone by CWinApp::ExitInstance.
bool AfxOleInit();

// The start-up sequence: InitApplication, InitInstance, Run. On a failure
// the main window, if any, is destroyed and the program returns.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);
