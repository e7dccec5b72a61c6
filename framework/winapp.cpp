#include "winapp.h"

#include <ole2.h>

#include "afxdefs.h"
#include "afxstring.h"
#include "wnd.h"

namespace {

CWinApp* g_pApp = nullptr;

// The text after the program name in a command line as the system gives it.
LPCWSTR SkipProgramName(LPCWSTR lpsz)
{
    if (lpsz == nullptr)
        return L"";
    if (*lpsz == L'"') {
        ++lpsz;
        while (*lpsz != L'\0' && *lpsz != L'"')
            ++lpsz;
        if (*lpsz == L'"')
            ++lpsz;
    } else {
        while (*lpsz > L' ')
            ++lpsz;
    }
    while (*lpsz != L'\0' && *lpsz <= L' ')
        ++lpsz;
    return lpsz;
}

}  // namespace

CWinApp::CWinApp() : m_hInstance(::GetModuleHandleW(nullptr))
{
    if (g_pApp == nullptr)
        g_pApp = this;
    m_lpCmdLine = SkipProgramName(::GetCommandLineW());
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

int CWinApp::ExitInstance()
{
    m_pOle.reset();
    return static_cast<int>(m_msgCur.wParam);
}

bool CWinApp::OnIdle(LONG nCount)
{
    if (nCount <= 0 && m_pMainWnd != nullptr && m_pMainWnd->m_hWnd != nullptr &&
        m_pMainWnd->IsWindowVisible()) {
        m_pMainWnd->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
        m_pMainWnd->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE);
    }
    return nCount < 1;
}

bool CWinApp::PreTranslateMessage(MSG* pMsg)
{
    HWND hMain = m_pMainWnd != nullptr ? m_pMainWnd->m_hWnd : nullptr;
    if (CWnd::WalkPreTranslateTree(hMain, pMsg))
        return true;
    // A window outside the main frame (a modeless popup): the main frame's
    // accelerators still apply.
    if (hMain != nullptr && pMsg->hwnd != nullptr && ::GetAncestor(pMsg->hwnd, GA_ROOT) != hMain)
        return m_pMainWnd->PreTranslateMessage(pMsg);
    return false;
}

bool CWinApp::PumpMessage()
{
    if (::GetMessageW(&m_msgCur, nullptr, 0, 0) <= 0)
        return false;  // WM_QUIT (or an invalid call, treated alike)
    if (!PreTranslateMessage(&m_msgCur)) {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessageW(&m_msgCur);
    }
    return true;
}

int CWinApp::Run()
{
    LONG nIdleCount = 0;
    bool bIdle = true;
    MSG msg;
    for (;;) {
        while (bIdle && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(nIdleCount++))
                bIdle = false;
        }
        do {
            if (!PumpMessage())
                return ExitInstance();
            // Mouse moves and the caret's timer come often and change
            // nothing: they do not restart the idle update.
            UINT nMsg = m_msgCur.message;
            if (nMsg != WM_MOUSEMOVE && nMsg != WM_NCMOUSEMOVE && nMsg != WM_TIMER && nMsg != WM_PAINT &&
                nMsg != 0x0118 /* WM_SYSTIMER */) {
                bIdle = true;
                nIdleCount = 0;
            }
        } while (::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
    }
}

bool CWinApp::OnCmdTable(UINT nID, ECmdMsg nCode, CCmdUI* pCmdUI)
{
    static const CCmdEntry<CWinApp> table[] = {
        {ID_APP_EXIT, &CWinApp::OnAppExit, nullptr},
    };
    return DispatchCmd(this, table, nID, nCode, pCmdUI) || CCmdTarget::OnCmdTable(nID, nCode, pCmdUI);
}

void CWinApp::OnAppExit()
{
    if (m_pMainWnd != nullptr && m_pMainWnd->m_hWnd != nullptr)
        m_pMainWnd->SendMessage(WM_CLOSE);
}

const std::wstring& CWinApp::GetAppName()
{
    if (m_strAppName.empty()) {
        m_strAppName = AfxLoadString(AFX_IDS_APP_TITLE);
        if (m_strAppName.empty()) {
            wchar_t szPath[MAX_PATH] = L"";
            DWORD nLength = ::GetModuleFileNameW(m_hInstance, szPath, MAX_PATH);
            std::wstring strPath(szPath, nLength < MAX_PATH ? nLength : 0);
            size_t nSlash = strPath.find_last_of(L"\\/");
            m_strAppName = nSlash == std::wstring::npos ? strPath : strPath.substr(nSlash + 1);
            size_t nDot = m_strAppName.rfind(L'.');
            if (nDot != std::wstring::npos && nDot > 0)
                m_strAppName.resize(nDot);
        }
    }
    return m_strAppName;
}

CWinApp* AfxGetApp()
{
    return g_pApp;
}

CWnd* AfxGetMainWnd()
{
    return g_pApp != nullptr ? g_pApp->m_pMainWnd : nullptr;
}

HINSTANCE AfxGetInstanceHandle()
{
    return g_pApp != nullptr ? g_pApp->m_hInstance : ::GetModuleHandleW(nullptr);
}

HINSTANCE AfxGetResourceHandle()
{
    return AfxGetInstanceHandle();
}

bool AfxOleInit()
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return SUCCEEDED(::OleInitialize(nullptr));  // kept for the thread's life
    if (!pApp->m_pOle) {
        auto pOle = std::make_unique<COleInitialize>();
        if (!pOle->IsInitialized())
            return false;
        pApp->m_pOle = std::move(pOle);
    }
    return true;
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return -1;
    if (hInstance != nullptr)
        pApp->m_hInstance = hInstance;
    pApp->m_lpCmdLine = lpCmdLine != nullptr ? lpCmdLine : L"";
    pApp->m_nCmdShow = nCmdShow;

    if (!pApp->InitApplication()) {
        if (pApp->m_pMainWnd != nullptr)
            pApp->m_pMainWnd->DestroyWindow();
        return -1;
    }
    if (!pApp->InitInstance()) {
        if (pApp->m_pMainWnd != nullptr)
            pApp->m_pMainWnd->DestroyWindow();
        return pApp->ExitInstance();
    }
    return pApp->Run();
}
