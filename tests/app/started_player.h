// The player started in process from a given command line: the runtime's
// arguments are the system's split of that line, message boxes are
// captured, and the application ends when the object goes.
#pragma once

#include <string>

#include "PlayerApp.h"
#include "RuntimeArgs.h"

// Outer size of the frame with no movie: fitted to the smallest picture it
// is raised to 400 x 320, and a frame that fits loses its sizing border.
inline SIZE EmptyFrameSize()
{
    return SIZE{400 - 2 * ::GetSystemMetrics(SM_CXBORDER), 320 - 2 * ::GetSystemMetrics(SM_CYBORDER)};
}
#include "msgbox.h"

class CStartedPlayer {
public:
    explicit CStartedPlayer(const std::wstring& strArguments)
        : m_strArguments(strArguments), m_args(SplitCommandLine(L"player.exe " + strArguments))
    {
        m_app.m_lpCmdLine = m_strArguments.c_str();
        m_bStarted = m_app.InitApplication() && m_app.InitInstance();
    }

    ~CStartedPlayer()
    {
        m_app.ExitInstance();
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    CStartedPlayer(const CStartedPlayer&) = delete;
    CStartedPlayer& operator=(const CStartedPlayer&) = delete;

    bool IsStarted() const { return m_bStarted; }
    CPlayerApp& App() { return m_app; }
    HWND Frame() const { return m_app.m_pMainWnd != nullptr ? m_app.m_pMainWnd->m_hWnd : nullptr; }
    std::vector<CMessageBoxRecord> Boxes() const { return m_capture.Records(); }

private:
    const std::wstring m_strArguments;
    CRuntimeArgumentsOverride m_args;
    CMessageBoxCapture m_capture;
    CPlayerApp m_app;
    bool m_bStarted = false;
};
