// Windows XP has no GetTickCount64, but the thread support library of the
// compiler's runtime imports it, and a missing import stops the program from
// loading at all. Defining the import slot here makes the linker take ours:
// it calls the real function where the system has one and otherwise extends
// GetTickCount with a wrap-around counter.
#include <windows.h>

namespace {

typedef ULONGLONG(WINAPI* TickCount64Fn)();

ULONGLONG WINAPI TickCount64FromTickCount()
{
    // High part counts the wrap-arounds of the 32-bit counter; good enough as
    // long as some call happens at least once every 49 days.
    static volatile LONG s_lastLow = 0;
    static volatile LONG s_high = 0;
    const DWORD now = GetTickCount();
    const DWORD last = static_cast<DWORD>(InterlockedExchange(&s_lastLow, static_cast<LONG>(now)));
    if (now < last)
        InterlockedIncrement(&s_high);
    return (static_cast<ULONGLONG>(static_cast<DWORD>(s_high)) << 32) | now;
}

ULONGLONG WINAPI CompatGetTickCount64()
{
    static TickCount64Fn s_real = nullptr;
    static volatile LONG s_resolved = 0;
    if (!s_resolved) {
        HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        TickCount64Fn real = kernel ? reinterpret_cast<TickCount64Fn>(
                                          reinterpret_cast<void*>(GetProcAddress(kernel, "GetTickCount64")))
                                    : nullptr;
        s_real = real ? real : TickCount64FromTickCount;
        InterlockedExchange(&s_resolved, 1);
    }
    return s_real();
}

}  // namespace

extern "C" {
TickCount64Fn g_compatGetTickCount64 __asm__("__imp__GetTickCount64@0") = CompatGetTickCount64;
}
