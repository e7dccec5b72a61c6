// The operating-system version code from the version records, and the
// refusal of systems older than Windows XP.
#include <string>

#include <gtest/gtest.h>

#include "OsVersion.h"
#include "PlayerApp.h"
#include "msgbox.h"
#include "resource.h"

namespace {

constexpr DWORD PACKED_NOT_NT = 0x80000000;

DWORD Packed(bool bNt, DWORD dwMajor, DWORD dwMinor)
{
    return (bNt ? 0 : PACKED_NOT_NT) | (dwMinor << 8) | dwMajor;
}

struct VersionCase {
    const char* pszSystem;
    DWORD dwPacked;
    bool bRecord;  // false: the extended record cannot be read
    DWORD dwPlatformId;
    DWORD dwMajor;
    DWORD dwMinor;
    int nExpected;
};

TEST(OsVersionTest, CodeFollowsTheVersionRecords)
{
    const DWORD NT = VER_PLATFORM_WIN32_NT;
    const DWORD W9X = VER_PLATFORM_WIN32_WINDOWS;
    const DWORD W32S = VER_PLATFORM_WIN32s;
    const VersionCase cases[] = {
        {"record unreadable", Packed(true, 5, 1), false, NT, 5, 1, 0},
        {"Win32s", Packed(false, 3, 10), true, W32S, 3, 10, 1},
        {"Win32s, record unreadable", Packed(false, 3, 10), false, 0, 0, 0, 1},
        {"NT 3.51", Packed(true, 3, 51), true, NT, 3, 51, 2},
        {"Windows 95", Packed(false, 4, 0), true, W9X, 4, 0, 3},
        {"Windows 95 OSR2", Packed(false, 4, 3), true, W9X, 4, 3, 3},
        {"future 9x 5.0", Packed(false, 5, 0), true, W9X, 5, 0, 3},
        {"Windows 98", Packed(false, 4, 10), true, W9X, 4, 10, 4},
        {"Windows ME", Packed(false, 4, 90), true, W9X, 4, 90, 5},
        {"NT 4.0", Packed(true, 4, 0), true, NT, 4, 0, 6},
        {"Windows 2000", Packed(true, 5, 0), true, NT, 5, 0, 7},
        {"Windows XP", Packed(true, 5, 1), true, NT, 5, 1, 8},
        {"Server 2003", Packed(true, 5, 2), true, NT, 5, 2, 9},
        {"later 5.x", Packed(true, 5, 7), true, NT, 5, 7, 9},
        {"Vista", Packed(true, 6, 0), true, NT, 6, 0, 10},
        {"Windows 7", Packed(true, 6, 1), true, NT, 6, 1, 10},
        {"Windows 10", Packed(true, 10, 0), true, NT, 10, 0, 10},
        // Records that disagree: a pre-4 record outside the NT family is
        // as old as Win32s.
        {"old record outside NT", Packed(true, 5, 1), true, W9X, 3, 95, 1},
    };
    for (const VersionCase& c : cases) {
        OSVERSIONINFOEXW info{};
        info.dwOSVersionInfoSize = sizeof(info);
        info.dwPlatformId = c.dwPlatformId;
        info.dwMajorVersion = c.dwMajor;
        info.dwMinorVersion = c.dwMinor;
        EXPECT_EQ(c.nExpected, OsVersionCode(c.dwPacked, c.bRecord ? &info : nullptr)) << c.pszSystem;
    }
}

TEST(OsVersionTest, RunningSystemIsXpOrLater)
{
    EXPECT_GE(QueryOsVersionCode(), OSV_WINXP);
}

TEST(OsVersionTest, SystemsBeforeXpAreRefusedWithMessage)
{
    const std::wstring strText = L"Эта функция доступна только в Windows XP или выше.";
    for (int nCode = OSV_UNKNOWN; nCode <= OSV_VISTA_OR_LATER; ++nCode) {
        CMessageBoxCapture capture;
        bool bAccepted = CPlayerApp::AcceptOsVersion(nCode);
        auto records = capture.Records();
        if (nCode >= OSV_WINXP) {
            EXPECT_TRUE(bAccepted) << nCode;
            EXPECT_TRUE(records.empty()) << nCode;
            continue;
        }
        EXPECT_FALSE(bAccepted) << nCode;
        ASSERT_EQ(1u, records.size()) << nCode;
        EXPECT_EQ(static_cast<UINT>(IDS_NEED_XP), records[0].nIDPrompt);
        EXPECT_TRUE(records[0].insertions.empty());
        EXPECT_EQ(strText, records[0].strText);
        EXPECT_EQ(static_cast<UINT>(MB_OK), records[0].nType);
    }
}

}  // namespace
