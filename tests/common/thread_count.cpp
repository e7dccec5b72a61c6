#include "thread_count.h"

#include <tlhelp32.h>

int CountProcessThreads()
{
    HANDLE hSnap = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (hSnap == INVALID_HANDLE_VALUE)
        return -1;
    const DWORD dwPid = ::GetCurrentProcessId();
    int nCount = 0;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL b = ::Thread32First(hSnap, &entry); b; b = ::Thread32Next(hSnap, &entry)) {
        if (entry.th32OwnerProcessID == dwPid)
            ++nCount;
        entry.dwSize = sizeof entry;
    }
    ::CloseHandle(hSnap);
    return nCount;
}
