#include "tooltipctrl.h"

#include "controls.h"

namespace {

// The record size that the tooltip of every common-controls version since
// Windows 2000 accepts (the full record is refused without the version 6
// manifest).
TOOLINFOW ToolInfo(CWnd* pWnd, UINT_PTR nIDTool)
{
    TOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.hwnd = pWnd != nullptr ? pWnd->m_hWnd : nullptr;
    ti.uId = nIDTool;
    return ti;
}

}  // namespace

bool CToolTipCtrl::Create(CWnd* pOwner, DWORD dwStyle)
{
    AfxInitCommonControls();
    return CreateEx(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | dwStyle, RECT{},
                    pOwner != nullptr ? pOwner->m_hWnd : nullptr, 0);
}

bool CToolTipCtrl::AddTool(CWnd* pWnd, const std::wstring& strText, const RECT& rcTool, UINT_PTR nIDTool)
{
    TOOLINFOW ti = ToolInfo(pWnd, nIDTool);
    ti.uFlags = 0;
    ti.rect = rcTool;
    ti.lpszText = const_cast<LPWSTR>(strText.c_str());  // copied by the control
    return SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)) != FALSE;
}

void CToolTipCtrl::UpdateTipText(const std::wstring& strText, CWnd* pWnd, UINT_PTR nIDTool)
{
    TOOLINFOW ti = ToolInfo(pWnd, nIDTool);
    ti.lpszText = const_cast<LPWSTR>(strText.c_str());
    SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
}

void CToolTipCtrl::SetToolRect(CWnd* pWnd, UINT_PTR nIDTool, const RECT& rcTool)
{
    TOOLINFOW ti = ToolInfo(pWnd, nIDTool);
    ti.rect = rcTool;
    SendMessage(TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&ti));
}

void CToolTipCtrl::RelayEvent(const MSG& msg)
{
    if (m_hWnd != nullptr)
        SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}
