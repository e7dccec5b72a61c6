// Command routing. Each command target has one command table: a row per
// command id with its handler and its update handler side by side, either
// of which may be missing. A class looks a request up in its own table and
// then in its base class's; a class that routes on (the frame: view, then
// itself, then the application) overrides OnCmdMsg.
#pragma once

#include <cstddef>
#include <windows.h>

#include "cmdui.h"
#include "object.h"

enum ECmdMsg {
    CN_COMMAND,            // carry the command out
    CN_UPDATE_COMMAND_UI,  // run its update handler
    CN_QUERY_HANDLER       // only tell whether a command handler exists
};

// One row of a command table of class T.
template <class T> struct CCmdEntry {
    UINT nID;
    void (T::*pfnCommand)();        // null: the command is not carried out here
    void (T::*pfnUpdate)(CCmdUI&);  // null: its state is not decided here
};

class CCmdTarget : public CObject {
public:
    // One routing step: true when this target (or one it routes to)
    // handled the request. pCmdUI is used with CN_UPDATE_COMMAND_UI only.
    virtual bool OnCmdMsg(UINT nID, ECmdMsg nCode, CCmdUI* pCmdUI);

    // The state a command's update handler gives it (enabled without one).
    bool IsCommandEnabled(UINT nID);

protected:
    // This class's command table, then its base's. A class with commands:
    //   static const CCmdEntry<CMine> table[] = {{ID_X, &CMine::OnX, &CMine::OnUpdateX}, ...};
    //   return DispatchCmd(this, table, nID, nCode, pCmdUI) || CBase::OnCmdTable(nID, nCode, pCmdUI);
    virtual bool OnCmdTable(UINT nID, ECmdMsg nCode, CCmdUI* pCmdUI) { return false; }

    template <class T, size_t N>
    static bool DispatchCmd(T* pThis, const CCmdEntry<T> (&table)[N], UINT nID, ECmdMsg nCode, CCmdUI* pCmdUI)
    {
        for (const CCmdEntry<T>& row : table) {
            if (row.nID != nID)
                continue;
            switch (nCode) {
            case CN_COMMAND:
                if (row.pfnCommand == nullptr)
                    return false;
                (pThis->*row.pfnCommand)();
                return true;
            case CN_UPDATE_COMMAND_UI:
                if (row.pfnUpdate == nullptr || pCmdUI == nullptr)
                    return false;
                (pThis->*row.pfnUpdate)(*pCmdUI);
                return true;
            case CN_QUERY_HANDLER:
                return row.pfnCommand != nullptr;
            }
        }
        return false;
    }
};
