// Runs this thread's messages while a test waits for something that
// messages bring about.
#pragma once

#include <functional>
#include <windows.h>

// Dispatches every message already waiting, and those they post at once.
inline void PumpPending()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// Dispatches messages until pred() holds; false after nTimeoutMs.
inline bool PumpUntil(const std::function<bool()>& pred, DWORD nTimeoutMs = 15000)
{
    const DWORD dwStart = ::GetTickCount();
    for (;;) {
        PumpPending();
        if (pred())
            return true;
        if (::GetTickCount() - dwStart > nTimeoutMs)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}
