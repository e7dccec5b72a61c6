// CToolTipCtrl: the common tooltip control, with the few operations the
// player's controls use. The tooltip is a popup owned by the window it is
// created on (its top-level window, as the system has it); it is destroyed
// with its object or with that window, whichever goes first.
#pragma once

#include <string>
#include <windows.h>
#include <commctrl.h>

#include "wnd.h"

class CToolTipCtrl : public CWnd {
public:
    // dwStyle: TTS_* bits added to WS_POPUP.
    bool Create(CWnd* pOwner, DWORD dwStyle = 0);

    // A tool of pWnd with id nIDTool covering rcTool (client coordinates
    // of pWnd) that shows strText.
    bool AddTool(CWnd* pWnd, const std::wstring& strText, const RECT& rcTool, UINT_PTR nIDTool);
    void UpdateTipText(const std::wstring& strText, CWnd* pWnd, UINT_PTR nIDTool);
    void SetToolRect(CWnd* pWnd, UINT_PTR nIDTool, const RECT& rcTool);

    // Hands a mouse message of a tool's window to the tooltip, which shows
    // and hides itself from these.
    void RelayEvent(const MSG& msg);
};
