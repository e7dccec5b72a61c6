#include "PlayerApp.h"

#include "MainFrm.h"
#include "resource.h"

const wchar_t PLAYER_CLASS_NAME[] = L"PLAYER_CLASS_C78E88EA-6EED-400C-B320-0FB8DECF6717";

CPlayerApp::CPlayerApp() = default;

CPlayerApp::~CPlayerApp() = default;

bool CPlayerApp::InitApplication()
{
    // (The check for Windows XP or later goes first here.)
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
    AfxOleInit();   // for the frame's drop target; the result is not tested

    // (The command line is parsed into the configuration here.)

    m_pMainFrame = std::make_unique<CMainFrame>();
    m_pMainWnd = m_pMainFrame.get();
    // The shell's show state is not used; the first state is chosen below.
    m_nCmdShow = SW_HIDE;
    if (!m_pMainFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW))
        return false;

    // (The movie named on the command line is opened here.)

    m_pMainFrame->CenterWindow();

    // (Full screen, maximized and the placement options choose the first
    // state here.)
    m_pMainFrame->ShowWindow(SW_SHOWNORMAL);
    m_pMainFrame->UpdateWindow();
    return true;
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
