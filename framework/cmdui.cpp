#include "cmdui.h"

#include "cmdtarget.h"

void CCmdUI::Enable(bool bOn)
{
    m_bEnabled = bOn;
    m_bEnableChanged = true;
}

void CCmdUI::SetCheck(int nCheck)
{
    m_nCheck = nCheck;
}

void CCmdUI::SetText(const std::wstring& strText)
{
    m_strText = strText;
    m_bTextSet = true;
}

void CCmdUI::DoUpdate(CCmdTarget* pTarget, bool bDisableIfNoHandler)
{
    m_bEnableChanged = false;
    pTarget->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this);
    if (bDisableIfNoHandler && !m_bEnableChanged)
        Enable(pTarget->OnCmdMsg(m_nID, CN_QUERY_HANDLER, nullptr));
}

CMenuCmdUI::CMenuCmdUI(HMENU hMenu, UINT nIndex, UINT nID, HMENU hSubMenu)
    : CCmdUI(nID), m_hMenu(hMenu), m_hSubMenu(hSubMenu)
{
    m_nIndex = nIndex;
}

void CMenuCmdUI::Enable(bool bOn)
{
    CCmdUI::Enable(bOn);
    EnableMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : MF_GRAYED));
}

void CMenuCmdUI::SetCheck(int nCheck)
{
    CCmdUI::SetCheck(nCheck);
    CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (nCheck ? MF_CHECKED : MF_UNCHECKED));
}

void CMenuCmdUI::SetText(const std::wstring& strText)
{
    CCmdUI::SetText(strText);
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_STRING;
    mii.dwTypeData = const_cast<LPWSTR>(strText.c_str());
    SetMenuItemInfoW(m_hMenu, m_nIndex, TRUE, &mii);
}
