// Movies dragged onto the player's frame through this process's real OLE
// drag and drop: what is accepted, what opens, and what is refused, also
// while a dialog of the player is open.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "DropData.h"
#include "TestFile.h"
#include "numbered_movies.h"
#include "player_fixture.h"
#include "resource.h"

namespace {

// A numbered movie at a path of any letters, removed at the end.
class CMovieAt {
public:
    explicit CMovieAt(std::wstring strPath) : m_strPath(std::move(strPath))
    {
        CNumberedMovie movie;
        movie.nFrames = 4;
        m_strError = WriteNumberedMovie(m_strPath, movie);
    }
    ~CMovieAt() { ::DeleteFileW(m_strPath.c_str()); }
    const std::wstring& Path() const { return m_strPath; }
    const std::string& Error() const { return m_strError; }

private:
    std::wstring m_strPath;
    std::string m_strError;
};

std::wstring TempFolder()
{
    wchar_t szDir[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, szDir);
    return szDir;
}

// The middle of the frame's view, on the screen.
POINT ViewCentre(CPlayer& player)
{
    const RECT rc = player.View().GetWindowRect();
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

HRESULT DropOnPlayer(CPlayer& player, const std::vector<std::wstring>& names, DWORD& dwEffect, int nPatience = 200)
{
    ::SetForegroundWindow(player.Frame().m_hWnd);
    PumpPending();
    return DragFilesTo(ViewCentre(player), names, false, dwEffect, nPatience);
}

bool AwaitOpen(CPlayer& player, const std::wstring& strPath)
{
    return PumpUntil([&] { return player.View().m_strOpenFile == strPath; });
}

}  // namespace

TEST(FrameDrops, TheFirstMovieOfTheDraggedFilesOpens)
{
    const std::wstring strTemp = TempFolder() + L"vistrel_drop_" + std::to_wstring(::GetCurrentProcessId());
    // Names of every kind: Cyrillic with spaces, and a path of 259 characters.
    const std::wstring strLongStart = strTemp + L"_long_";
    const CMovieAt cyrillic(strTemp + L" фильм с пробелами.AVI");
    const CMovieAt longName(strLongStart + std::wstring(259 - strLongStart.size() - 4, L'x') + L".avi");
    const CMovieAt second(strTemp + L"_second.avi");
    for (const CMovieAt* p : {&cyrillic, &longName, &second})
        ASSERT_EQ("", p->Error());
    ASSERT_EQ(259u, longName.Path().size());

    CPlayer player(L"");
    ASSERT_TRUE(player.IsStarted());
    struct Case {
        std::vector<std::wstring> names;
        const std::wstring* pOpened;
    };
    const std::wstring strText = strTemp + L"_notes.txt";
    for (const Case& c : {Case{{strText, cyrillic.Path(), second.Path()}, &cyrillic.Path()},
                          Case{{longName.Path(), second.Path()}, &longName.Path()},
                          Case{{second.Path()}, &second.Path()}}) {
        SCOPED_TRACE(*c.pOpened);
        DWORD dwEffect = 0;
        EXPECT_EQ(DRAGDROP_S_DROP, DropOnPlayer(player, c.names, dwEffect));
        EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), dwEffect);
        EXPECT_TRUE(AwaitOpen(player, *c.pOpened));
    }
    EXPECT_TRUE(player.Boxes().empty());
}

TEST(FrameDrops, FilesThatAreNoMoviesAreRefused)
{
    CPlayer player(L"");
    ASSERT_TRUE(player.IsStarted());
    DWORD dwEffect = 0;
    EXPECT_EQ(DRAGDROP_S_CANCEL, DropOnPlayer(player, {TempFolder() + L"notes.txt", L"C:\\a.avi.txt"}, dwEffect, 20));
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), dwEffect);
    EXPECT_TRUE(player.View().m_strOpenFile.empty());
}

TEST(FrameDrops, ADamagedMovieGetsTheMessageAndThePlayerGoesOn)
{
    CTestFile bad("drop_damaged.avi");
    {
        HANDLE h = ::CreateFileW(bad.Wide(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        DWORD dwWritten = 0;
        ::WriteFile(h, "RIFF\x10\x00\x00\x00" "AVI junk", 16, &dwWritten, nullptr);
        ::CloseHandle(h);
    }
    CPlayer player(L"");
    ASSERT_TRUE(player.IsStarted());
    DWORD dwEffect = 0;
    EXPECT_EQ(DRAGDROP_S_DROP, DropOnPlayer(player, {bad.WidePath()}, dwEffect));
    EXPECT_TRUE(PumpUntil([&] { return !player.Boxes().empty(); }));
    EXPECT_TRUE(player.View().m_strOpenFile.empty());
    EXPECT_TRUE(::IsWindow(player.Frame().m_hWnd));
}


namespace {

// What a drag asked inside a dialog's loop saw.
struct CAskedInDialog {
    CPlayer* pPlayer = nullptr;
    std::wstring strMovie;
    DWORD dwEffect = DROPEFFECT_COPY;
    bool bAsked = false;
} s_asked;

// A timer inside the dialog's loop: a drag enters the frame's registered
// target and leaves, then the dialog is cancelled.
void CALLBACK AskDuringDialog(HWND, UINT, UINT_PTR nID, DWORD)
{
    HWND hDialog = ::GetLastActivePopup(s_asked.pPlayer->Frame().m_hWnd);
    if (hDialog == s_asked.pPlayer->Frame().m_hWnd || s_asked.bAsked)
        return;
    s_asked.bAsked = true;
    ::KillTimer(nullptr, nID);
    CDropData data({s_asked.strMovie});
    IDropTarget* pTarget = s_asked.pPlayer->Frame().GetDropTarget();
    const POINT pt = ViewCentre(*s_asked.pPlayer);
    pTarget->DragEnter(&data, MK_LBUTTON, POINTL{pt.x, pt.y}, &s_asked.dwEffect);
    pTarget->DragLeave();
    ::PostMessageW(hDialog, WM_COMMAND, IDCANCEL, 0);
}

}  // namespace

TEST(FrameDrops, RefusedWhileTheAboutBoxOrTheOpenDialogIsOpen)
{
    const CMovieAt movie(TempFolder() + L"vistrel_drop_modal_" + std::to_wstring(::GetCurrentProcessId()) + L".avi");
    ASSERT_EQ("", movie.Error());
    CPlayer player(L"");
    ASSERT_TRUE(player.IsStarted());
    s_asked.pPlayer = &player;
    s_asked.strMovie = movie.Path();
    for (UINT nCommand : {ID_APP_ABOUT, ID_FILE_OPEN}) {
        SCOPED_TRACE(nCommand);
        s_asked.dwEffect = DROPEFFECT_COPY;
        s_asked.bAsked = false;
        const UINT_PTR nTimer = ::SetTimer(nullptr, 0, 100, AskDuringDialog);
        player.Command(nCommand);
        ::KillTimer(nullptr, nTimer);
        EXPECT_TRUE(s_asked.bAsked);
        EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), s_asked.dwEffect);
    }
    // No dialog: the same drag is taken.
    CDropData data({movie.Path()});
    DWORD dwEffect = DROPEFFECT_COPY;
    const POINT pt = ViewCentre(player);
    player.Frame().GetDropTarget()->DragEnter(&data, MK_LBUTTON, POINTL{pt.x, pt.y}, &dwEffect);
    player.Frame().GetDropTarget()->DragLeave();
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), dwEffect);
}
