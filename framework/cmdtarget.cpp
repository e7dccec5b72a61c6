#include "cmdtarget.h"

bool CCmdTarget::OnCmdMsg(UINT nID, ECmdMsg nCode, CCmdUI* pCmdUI)
{
    switch (nCode) {
    case CN_COMMAND: {
        CCmdHandler handler = GetCommandHandler(nID);
        if (!handler)
            return false;
        handler();
        return true;
    }
    case CN_UPDATE_COMMAND_UI:
        return pCmdUI != nullptr && OnUpdateCommand(*pCmdUI);
    case CN_QUERY_HANDLER:
        return static_cast<bool>(GetCommandHandler(nID));
    }
    return false;
}

bool CCmdTarget::IsCommandEnabled(UINT nID)
{
    CCmdUI state(nID);
    OnCmdMsg(nID, CN_UPDATE_COMMAND_UI, &state);
    return state.m_bEnabled;
}
