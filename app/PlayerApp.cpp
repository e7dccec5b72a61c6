#include "PlayerApp.h"

#include "AboutDlg.h"
#include "MainFrm.h"
#include "OsVersion.h"
#include "PlayerView.h"
#include "StartPlacement.h"
#include "resource.h"

const wchar_t PLAYER_CLASS_NAME[] = L"PLAYER_CLASS_C78E88EA-6EED-400C-B320-0FB8DECF6717";

namespace {

// The primary screen without the taskbar.
RECT GetWorkArea()
{
    RECT rc{};
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rc, 0))
        rc = RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    return rc;
}

}  // namespace

CPlayerApp::CPlayerApp() = default;

CPlayerApp::~CPlayerApp() = default;

CPlayerApp* GetPlayerApp()
{
    return dynamic_cast<CPlayerApp*>(AfxGetApp());
}

CPlayerConfig* GetPlayerConfig()
{
    CPlayerApp* pApp = GetPlayerApp();
    return pApp != nullptr ? &pApp->GetConfig() : nullptr;
}

bool CPlayerApp::AcceptOsVersion(int nVersionCode)
{
    if (nVersionCode >= OSV_WINXP)
        return true;
    AfxMessageBox(IDS_NEED_XP, {}, MB_OK);
    return false;
}

bool CPlayerApp::InitApplication()
{
    if (!AcceptOsVersion(QueryOsVersionCode()))
        return false;
    if (!CWinApp::InitApplication())
        return false;

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = AfxWndProc;
    wc.hInstance = m_hInstance;
    wc.hIcon = ::LoadIconW(m_hInstance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = PLAYER_CLASS_NAME;
    m_bClassRegistered = ::RegisterClassExW(&wc) != 0;
    return m_bClassRegistered;
}

bool CPlayerApp::InitInstance()
{
    AfxOleInit();  // for the frame's drop target; the result is not tested

    m_config.ParseCommandLine(m_lpCmdLine);

    m_pMainFrame = std::make_unique<CMainFrame>();
    m_pMainWnd = m_pMainFrame.get();
    // The shell's show state is not used; the first state is chosen below.
    m_nCmdShow = SW_HIDE;
    if (!m_pMainFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW))
        return false;

    if (!OpenCommandLineMovie())
        return false;

    m_pMainFrame->CenterWindow();
    ShowFirstState();
    m_pMainFrame->UpdateWindow();
    return true;
}

// False when the movie exists but cannot be opened: the program ends.
bool CPlayerApp::OpenCommandLineMovie()
{
    if (m_config.m_strMovieFile.empty())
        return true;
    if (::GetFileAttributesW(m_config.m_strMovieFile.c_str()) == INVALID_FILE_ATTRIBUTES) {
        AfxMessageBox(IDS_FILE_NOT_FOUND, {m_config.m_strMovieFile}, MB_OK);
        return true;  // the player starts empty
    }
    CPlayerView* pView = m_pMainFrame->GetPlayerView();
    if (pView != nullptr && !pView->OpenFile(m_config.m_strMovieFile))
        return false;  // the view has shown why
    return true;
}

void CPlayerApp::ShowFirstState()
{
    CMainFrame& frame = *m_pMainFrame;
    if (m_config.m_bFullScreen) {
        frame.ToggleFullScreen();  // shows the window; position and size do not apply
        frame.Invalidate();
        return;
    }
    if (m_config.m_bMaximize) {
        frame.ShowWindow(SW_SHOWMAXIMIZED);
        return;
    }
    CStartPlacement placement = ComputeStartPlacement(m_config, frame.GetWindowRect(), GetWorkArea());
    if (placement.bMove)
        frame.SetWindowPos(nullptr, placement.x, placement.y, placement.cx, placement.cy,
                           SWP_NOZORDER | SWP_NOACTIVATE);
    frame.ShowWindow(SW_SHOWNORMAL);
}

bool CPlayerApp::OnCmdTable(UINT nID, ECmdMsg nCode, CCmdUI* pCmdUI)
{
    static const CCmdEntry<CPlayerApp> table[] = {
        {ID_APP_ABOUT, &CPlayerApp::OnAppAbout, nullptr},
    };
    return DispatchCmd(this, table, nID, nCode, pCmdUI) || CWinApp::OnCmdTable(nID, nCode, pCmdUI);
}

void CPlayerApp::OnAppAbout()
{
    CAboutDlg dlg;
    dlg.DoModal();
}

int CPlayerApp::ExitInstance()
{
    m_pMainFrame.reset();
    if (m_bClassRegistered) {
        ::UnregisterClassW(PLAYER_CLASS_NAME, m_hInstance);
        m_bClassRegistered = false;
    }
    return CWinApp::ExitInstance();
}
