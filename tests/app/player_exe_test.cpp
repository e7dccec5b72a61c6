// VistrelPlayer.exe as a whole: it starts with its main window, placed as
// its command line asks, and ends with exit code 0 when that window is told
// to exit or to close.
#include <string>

#include <gtest/gtest.h>
#include <windows.h>

#include "child_process.h"
#include "handle.h"
#include "resource.h"

namespace {

// A running player, ended (if still running) when the object goes.
class CPlayerProcess {
public:
    explicit CPlayerProcess(const std::wstring& strArguments)
    {
        std::wstring strCmdLine = L"\"" + PlayerExePath() + L"\" " + strArguments;
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessW(nullptr, &strCmdLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                              &pi))
            return;
        m_process = CHandle(pi.hProcess);
        CHandle thread(pi.hThread);
        m_dwProcessId = pi.dwProcessId;
    }

    ~CPlayerProcess()
    {
        if (m_process.IsValid() && ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT)
            ::TerminateProcess(m_process.Get(), 1);
    }

    bool IsStarted() const { return m_process.IsValid(); }

    // Its main window once the program idles and the window is shown. (A
    // program may idle before it shows its window: the sound system, set
    // up while the window is made, can wait for messages.)
    HWND WaitForMainWindow() const
    {
        if (::WaitForInputIdle(m_process.Get(), HANG_GUARD_MS) != 0)
            return nullptr;
        const DWORD dwStart = ::GetTickCount();
        HWND hWnd = FindPlayerWindow(m_dwProcessId);
        while ((hWnd == nullptr || !::IsWindowVisible(hWnd)) && ::GetTickCount() - dwStart < HANG_GUARD_MS &&
               ::WaitForSingleObject(m_process.Get(), 10) == WAIT_TIMEOUT)
            hWnd = FindPlayerWindow(m_dwProcessId);
        return hWnd;
    }

    // Exit code once it has ended; 0xFFFFFFFF on a hang.
    DWORD WaitForExit() const
    {
        if (::WaitForSingleObject(m_process.Get(), HANG_GUARD_MS) != WAIT_OBJECT_0)
            return 0xFFFFFFFF;
        DWORD dwExitCode = 0xFFFFFFFF;
        ::GetExitCodeProcess(m_process.Get(), &dwExitCode);
        return dwExitCode;
    }

private:
    CHandle m_process;
    DWORD m_dwProcessId = 0;
};

struct EndCase {
    const char* pszName;
    UINT nMsg;
    WPARAM wParam;
};

TEST(PlayerExeTest, StartsWithMainWindowAndEndsWithZero)
{
    const EndCase cases[] = {
        {"File > Exit", WM_COMMAND, MAKEWPARAM(ID_APP_EXIT, 0)},
        {"closing the window", WM_CLOSE, 0},
    };
    for (const EndCase& c : cases) {
        CPlayerProcess player(L"");
        ASSERT_TRUE(player.IsStarted()) << c.pszName;
        HWND hWnd = player.WaitForMainWindow();
        ASSERT_NE(nullptr, hWnd) << c.pszName;
        EXPECT_TRUE(::IsWindowVisible(hWnd)) << c.pszName;

        ::PostMessageW(hWnd, c.nMsg, c.wParam, 0);
        EXPECT_EQ(0u, player.WaitForExit()) << c.pszName;
    }
}

TEST(PlayerExeTest, PositionAndSizeOptionsPlaceTheOuterWindow)
{
    CPlayerProcess player(L"/P100,100 /Z640,480");
    ASSERT_TRUE(player.IsStarted());
    HWND hWnd = player.WaitForMainWindow();
    ASSERT_NE(nullptr, hWnd);
    EXPECT_TRUE(::IsWindowVisible(hWnd));
    RECT rc{};
    ASSERT_TRUE(::GetWindowRect(hWnd, &rc));
    EXPECT_EQ(100, rc.left);
    EXPECT_EQ(100, rc.top);
    EXPECT_EQ(640, rc.right - rc.left);
    EXPECT_EQ(480, rc.bottom - rc.top);
    ::PostMessageW(hWnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, player.WaitForExit());
}

TEST(PlayerExeTest, ThousandsOfArgumentsStillStartThePlayer)
{
    // Empty tokens, unknown options and unbalanced quoting, some
    // thousands of arguments; the last is an option, so no message box.
    std::wstring strArguments;
    for (int i = 0; i < 3000; ++i)
        strArguments += (i % 3 == 0) ? L"// " : (i % 3 == 1) ? L"-Q-- " : L"x ";
    strArguments += L"/P20,30 /Z99999999999999,300 /\"";
    CPlayerProcess player(strArguments);
    ASSERT_TRUE(player.IsStarted());
    HWND hWnd = player.WaitForMainWindow();
    ASSERT_NE(nullptr, hWnd);
    EXPECT_TRUE(::IsWindowVisible(hWnd));
    ::PostMessageW(hWnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, player.WaitForExit());
}

}  // namespace
