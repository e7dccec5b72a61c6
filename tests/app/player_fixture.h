// The player started in process, reached as a person reaches it: its frame,
// view and movie window, commands sent as keys send them, and the states
// their update handlers give.
#pragma once

#include <string>

#include "MainFrm.h"
#include "MessagePump.h"
#include "PlayerView.h"
#include "started_player.h"

class CPlayer : public CStartedPlayer {
public:
    explicit CPlayer(const std::wstring& strArguments) : CStartedPlayer(strArguments) {}

    CMainFrame& Frame() { return *App().GetMainFrame(); }
    CPlayerView& View() { return *Frame().GetPlayerView(); }
    QRVScrollMovieWnd& Movie() { return View().m_wndMovie; }

    // A command as a key brings it: refused when its update disables it.
    void Command(UINT nID) { ::SendMessageW(Frame().m_hWnd, WM_COMMAND, MAKEWPARAM(nID, 1), 0); }
    bool IsEnabled(UINT nID) { return Frame().IsCommandEnabled(nID); }
    int CheckOf(UINT nID)
    {
        CCmdUI cmdUI(nID);
        cmdUI.DoUpdate(&Frame(), true);
        return cmdUI.m_nCheck;
    }
    bool AwaitStored(int nState)
    {
        return PumpUntil([&] { return Movie().GetStoredState() == nState; });
    }
};
