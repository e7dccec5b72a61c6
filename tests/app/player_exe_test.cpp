// VistrelPlayer.exe as a whole: it starts with its main window and ends
// with exit code 0 when that window is told to exit or to close.
#include <string>

#include <gtest/gtest.h>
#include <windows.h>

#include "PlayerApp.h"
#include "handle.h"
#include "resource.h"

namespace {

// Upper bound for the program to start or end; only guards against a hang.
constexpr DWORD HANG_GUARD_MS = 60000;

std::wstring PlayerExePath()
{
    // The build gives the path of the exe on the host; Wine maps the host's
    // root to drive Z.
    std::string strHost = VISTREL_PLAYER_EXE;
    std::wstring strPath = L"Z:";
    for (char ch : strHost)
        strPath += ch == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(ch));
    return strPath;
}

HWND FindPlayerWindow(DWORD dwProcessId)
{
    HWND hWnd = nullptr;
    while ((hWnd = ::FindWindowExW(nullptr, hWnd, PLAYER_CLASS_NAME, nullptr)) != nullptr) {
        DWORD dwOwner = 0;
        ::GetWindowThreadProcessId(hWnd, &dwOwner);
        if (dwOwner == dwProcessId)
            return hWnd;
    }
    return nullptr;
}

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
        std::wstring strCmdLine = L"\"" + PlayerExePath() + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(::CreateProcessW(nullptr, &strCmdLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                     nullptr, &si, &pi))
            << c.pszName;
        CHandle process(pi.hProcess);
        CHandle thread(pi.hThread);

        // Idle in its message loop: the main window exists by then.
        ASSERT_EQ(0u, ::WaitForInputIdle(process.Get(), HANG_GUARD_MS)) << c.pszName;
        HWND hWnd = FindPlayerWindow(pi.dwProcessId);
        ASSERT_NE(nullptr, hWnd) << c.pszName;
        EXPECT_TRUE(::IsWindowVisible(hWnd)) << c.pszName;

        ::PostMessageW(hWnd, c.nMsg, c.wParam, 0);
        ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process.Get(), HANG_GUARD_MS)) << c.pszName;
        DWORD dwExitCode = 1;
        ASSERT_TRUE(::GetExitCodeProcess(process.Get(), &dwExitCode));
        EXPECT_EQ(0u, dwExitCode) << c.pszName;
    }
}

} // namespace
