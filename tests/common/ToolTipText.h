// The text a toolbar's tooltip control shows for a button, asked of the
// real control (which asks the toolbar for it).
#pragma once

#include <string>
#include <windows.h>
#include <commctrl.h>

// "<null>" when the control hands out no text at all.
inline std::wstring ToolTipText(HWND hTips, HWND hToolBar, UINT nID)
{
    wchar_t szText[80] = L"unchanged";
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = hToolBar;
    ti.uId = nID;
    ti.lpszText = szText;
    ::SendMessageW(hTips, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&ti));
    return ti.lpszText != nullptr ? ti.lpszText : L"<null>";
}
