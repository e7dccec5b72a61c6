#include "child_process.h"

#include <string>
#include <vector>

#include "PlayerApp.h"
#include "handle.h"

std::wstring HostPathToWindows(const char* pszHostPath)
{
    std::wstring strPath = L"Z:";
    for (const char* p = pszHostPath; *p != '\0'; ++p)
        strPath += *p == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return strPath;
}

std::wstring PlayerExePath()
{
    return HostPathToWindows(VISTREL_PLAYER_EXE);
}

std::wstring ConfigProbePath()
{
    return HostPathToWindows(VISTREL_CONFIG_PROBE_EXE);
}

namespace {

std::wstring FromUtf8(const std::string& str)
{
    if (str.empty())
        return {};
    int nChars = ::MultiByteToWideChar(CP_UTF8, 0, str.data(), static_cast<int>(str.size()), nullptr, 0);
    std::wstring strOut(static_cast<size_t>(nChars > 0 ? nChars : 0), L'\0');
    if (nChars > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, str.data(), static_cast<int>(str.size()), &strOut[0], nChars);
    return strOut;
}

// Moves what the pipe holds now into strOut; false when it is broken.
bool DrainPipe(HANDLE hRead, std::string& strOut)
{
    for (;;) {
        DWORD nAvailable = 0;
        if (!::PeekNamedPipe(hRead, nullptr, 0, nullptr, &nAvailable, nullptr))
            return false;
        if (nAvailable == 0)
            return true;
        std::vector<char> buffer(nAvailable);
        DWORD nRead = 0;
        if (!::ReadFile(hRead, buffer.data(), nAvailable, &nRead, nullptr))
            return false;
        strOut.append(buffer.data(), nRead);
    }
}

}  // namespace

CChildResult RunAndCapture(const std::wstring& strExe, const std::wstring& strArguments)
{
    CChildResult result;
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    HANDLE hRead = nullptr;
    HANDLE hWrite = nullptr;
    if (!::CreatePipe(&hRead, &hWrite, &sa, 1 << 16))
        return result;
    CHandle read(hRead);
    CHandle write(hWrite);
    ::SetHandleInformation(hRead, HANDLE_FLAG_INHERIT, 0);

    std::wstring strCmdLine = L"\"" + strExe + L"\" " + strArguments;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = hWrite;
    si.hStdError = hWrite;
    si.hStdInput = nullptr;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, &strCmdLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
        return result;
    result.bStarted = true;
    CHandle process(pi.hProcess);
    CHandle thread(pi.hThread);
    write.Close();  // the child holds its own copy

    // Read while it runs, so that a full pipe never stops it.
    std::string strRaw;
    const DWORD POLL_MS = 10;
    for (DWORD nWaited = 0; nWaited < HANG_GUARD_MS; nWaited += POLL_MS) {
        bool bEnded = ::WaitForSingleObject(process.Get(), POLL_MS) == WAIT_OBJECT_0;
        DrainPipe(read.Get(), strRaw);
        if (bEnded) {
            result.bEnded = true;
            break;
        }
    }
    if (!result.bEnded)
        ::TerminateProcess(process.Get(), 1);
    ::GetExitCodeProcess(process.Get(), &result.dwExitCode);
    result.strOutput = FromUtf8(strRaw);
    return result;
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
