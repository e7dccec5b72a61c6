// The About box: Help > About shows it modally over the player's frame,
// with the version line and the link attached to its item.
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "FileDialogDriver.h"
#include "QRVHyperLink.h"
#include "player_fixture.h"
#include "resource.h"

namespace {

std::wstring TextOf(HWND hWnd)
{
    wchar_t szText[256] = L"";
    ::GetWindowTextW(hWnd, szText, 256);
    return szText;
}

TEST(AboutBox, HelpAboutShowsTheVersionAndTheLinkModallyOverTheFrame)
{
    CPlayer player(L"");
    ASSERT_TRUE(player.IsStarted());
    const HWND hFrame = player.Frame().m_hWnd;

    struct {
        bool bShown = false, bFrameEnabled = true, bUnderlined = false;
        HWND hOwner = nullptr;
        std::wstring strVersion, strLinkText, strLinkAddress;
    } seen;
    CFileDialogDriver driver([&] {
        const HWND hDlg = WaitForProcessDialog();
        seen.bShown = hDlg != nullptr;
        if (!seen.bShown)
            return;
        seen.hOwner = ::GetWindow(hDlg, GW_OWNER);
        seen.bFrameEnabled = ::IsWindowEnabled(hFrame) != FALSE;
        seen.strVersion = TextOf(::GetDlgItem(hDlg, IDC_ABOUT_VERSION));
        const HWND hLink = ::GetDlgItem(hDlg, IDC_ABOUT_LINK);
        seen.strLinkText = TextOf(hLink);
        if (auto* pLink = dynamic_cast<QRVCtrl::CHyperLink*>(CWnd::FromHandle(hLink)))
            seen.strLinkAddress = pLink->GetAddress();
        LOGFONTW lf{};
        ::GetObjectW(reinterpret_cast<HGDIOBJ>(::SendMessageW(hLink, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
        seen.bUnderlined = lf.lfUnderline != FALSE;
        PressDialogButton(hDlg, IDOK);
    });
    player.Command(ID_APP_ABOUT);  // returns when the box is closed
    driver.Join();

    ASSERT_TRUE(seen.bShown);
    EXPECT_EQ(hFrame, seen.hOwner);
    EXPECT_FALSE(seen.bFrameEnabled) << "the box is modal";
    EXPECT_TRUE(::IsWindowEnabled(hFrame));
    EXPECT_TRUE(FindProcessDialogs(nullptr).empty());

    // "<label> <version> - <build date>", the date as "Jan  6 2009".
    const std::wstring strPrefix = AfxLoadString(IDS_VERSION) + L" " VISTREL_VERSION_TEXT L" - ";
    ASSERT_EQ(strPrefix, seen.strVersion.substr(0, strPrefix.size()));
    EXPECT_TRUE(std::regex_match(seen.strVersion.substr(strPrefix.size()),
                                 std::wregex(L"(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
                                             L"( [1-9]|[12][0-9]|3[01]) [0-9]{4}")))
        << seen.strVersion;

    EXPECT_FALSE(seen.strLinkText.empty());
    EXPECT_EQ(seen.strLinkText, seen.strLinkAddress) << "the link opens what it shows";
    EXPECT_TRUE(seen.bUnderlined);
}

}  // namespace
