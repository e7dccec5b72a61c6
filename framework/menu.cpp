#include "menu.h"

#include "winapp.h"
#include "wnd.h"

bool CMenu::LoadMenu(UINT nID)
{
    Reset(::LoadMenuW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nID)));
    return m_hMenu != nullptr;
}

bool AfxTrackPopupMenu(HMENU hPopup, POINT ptScreen, CWnd* pOwner)
{
    if (hPopup == nullptr || pOwner == nullptr || pOwner->m_hWnd == nullptr)
        return false;
    return ::TrackPopupMenu(hPopup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, ptScreen.x, ptScreen.y, 0,
                            pOwner->m_hWnd, nullptr) != FALSE;
}
