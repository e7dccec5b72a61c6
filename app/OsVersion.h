// The operating-system version code that start-up tests against
// Windows XP (code 8).
#pragma once

#include <windows.h>

enum EOsVersionCode {
    OSV_UNKNOWN = 0,  // the extended version record cannot be read
    OSV_WIN32S = 1,   // outside the NT family, major version below 4
    OSV_NT_OLD = 2,   // NT family below 6 that no other code covers
    OSV_WIN95 = 3,    // outside the NT family, 4.x other than 4.10, 4.90
    OSV_WIN98 = 4,
    OSV_WINME = 5,
    OSV_NT4 = 6,
    OSV_WIN2000 = 7,
    OSV_WINXP = 8,
    OSV_WIN2003 = 9,  // 5.2 or a later 5.x
    OSV_VISTA_OR_LATER = 10,
};

// The code from the packed version number (GetVersion) and the extended
// version record (null when it could not be read).
int OsVersionCode(DWORD dwPackedVersion, const OSVERSIONINFOEXW* pInfo);

// The code of the running system.
int QueryOsVersionCode();
