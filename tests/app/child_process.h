// Starting the player and helper programs from a test, under Wine: host
// paths, output capture, and finding the player's window.
#pragma once

#include <string>
#include <windows.h>

// A path of the host as Wine sees it (the host's root is drive Z).
std::wstring HostPathToWindows(const char* pszHostPath);

// The player exe and the parsing helper of this build.
std::wstring PlayerExePath();
std::wstring ConfigProbePath();

struct CChildResult {
    bool bStarted = false;
    bool bEnded = false;  // within the hang guard
    DWORD dwExitCode = 1;
    std::wstring strOutput;  // its standard output, from UTF-8
};

// Runs "<exe>" strArguments and collects its standard output.
CChildResult RunAndCapture(const std::wstring& strExe, const std::wstring& strArguments);

// The top-level window of the player's class that belongs to the process.
HWND FindPlayerWindow(DWORD dwProcessId);

// Upper bound for a program to start or end; only guards against a hang.
constexpr DWORD HANG_GUARD_MS = 60000;
