// Command routing. Each class lists its commands in GetCommandHandler and
// its update handlers in OnUpdateCommand, both as switch tables; a class
// that routes on (the frame: view, then itself, then the application)
// overrides OnCmdMsg.
#pragma once

#include <functional>
#include <windows.h>

#include "cmdui.h"
#include "object.h"

using CCmdHandler = std::function<void()>;

enum ECmdMsg {
    CN_COMMAND,             // carry the command out
    CN_UPDATE_COMMAND_UI,   // run its update handler
    CN_QUERY_HANDLER        // only tell whether a command handler exists
};

class CCmdTarget : public CObject {
public:
    // The handler of command nID in this class, or an empty one.
    virtual CCmdHandler GetCommandHandler(UINT nID) { return {}; }
    // Runs the update handler of cmdUI.m_nID; false when this class has none.
    virtual bool OnUpdateCommand(CCmdUI& cmdUI) { return false; }

    // One routing step: true when this target (or one it routes to)
    // handled the request. pCmdUI is used with CN_UPDATE_COMMAND_UI only.
    virtual bool OnCmdMsg(UINT nID, ECmdMsg nCode, CCmdUI* pCmdUI);

    // The state a command's update handler gives it (enabled without one).
    bool IsCommandEnabled(UINT nID);
};
