#include "OsVersion.h"

namespace {

// High bit of the packed version: a system outside the NT family.
constexpr DWORD PACKED_NOT_NT = 0x80000000;

}  // namespace

int OsVersionCode(DWORD dwPackedVersion, const OSVERSIONINFOEXW* pInfo)
{
    const DWORD dwPackedMajor = LOBYTE(LOWORD(dwPackedVersion));
    if ((dwPackedVersion & PACKED_NOT_NT) != 0 && dwPackedMajor < 4)
        return OSV_WIN32S;
    if (pInfo == nullptr)
        return OSV_UNKNOWN;

    const DWORD dwMajor = pInfo->dwMajorVersion;
    const DWORD dwMinor = pInfo->dwMinorVersion;
    if (pInfo->dwPlatformId == VER_PLATFORM_WIN32_NT) {
        if (dwMajor >= 6)
            return OSV_VISTA_OR_LATER;
        if (dwMajor == 5)
            return dwMinor == 0 ? OSV_WIN2000 : (dwMinor == 1 ? OSV_WINXP : OSV_WIN2003);
        if (dwMajor == 4)
            return OSV_NT4;
        return OSV_NT_OLD;
    }
    // Outside the NT family. A record older than 4 (the packed number said
    // otherwise) is as old as the systems of code 1.
    if (dwMajor < 4)
        return OSV_WIN32S;
    if (dwMajor == 4 && dwMinor == 10)
        return OSV_WIN98;
    if (dwMajor == 4 && dwMinor == 90)
        return OSV_WINME;
    return OSV_WIN95;
}

int QueryOsVersionCode()
{
    const DWORD dwPacked = ::GetVersion();
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)))
        return OsVersionCode(dwPacked, nullptr);
    return OsVersionCode(dwPacked, &info);
}
