// Counting the threads of this process, to see that none are left behind.
#pragma once

// Number of threads the process has now; -1 when the system cannot tell.
int CountProcessThreads();

// Polls pred every millisecond until it holds or nMaxMs have passed; for
// conditions no event announces (a flag another thread writes).
template <typename Pred> bool WaitUntil(Pred pred, unsigned nMaxMs = 10000);

#include <windows.h>

template <typename Pred> bool WaitUntil(Pred pred, unsigned nMaxMs)
{
    const DWORD dwStart = ::GetTickCount();
    while (!pred()) {
        if (::GetTickCount() - dwStart > nMaxMs)
            return false;
        ::Sleep(1);
    }
    return true;
}
