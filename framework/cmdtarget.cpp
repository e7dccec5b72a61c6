#include "cmdtarget.h"

bool CCmdTarget::OnCmdMsg(UINT nID, ECmdMsg nCode, CCmdUI* pCmdUI)
{
    return OnCmdTable(nID, nCode, pCmdUI);
}

bool CCmdTarget::IsCommandEnabled(UINT nID)
{
    CCmdUI state(nID);
    OnCmdMsg(nID, CN_UPDATE_COMMAND_UI, &state);
    return state.m_bEnabled;
}
