#include "wndclass.h"

#include <cwchar>
#include <set>
#include <string>

#include "winapp.h"
#include "wnd.h"

LPCWSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon)
{
    static std::set<std::wstring> s_names;  // registered so far; node addresses stay put
    HINSTANCE hInstance = AfxGetInstanceHandle();
    wchar_t szName[96];
    std::swprintf(szName, sizeof(szName) / sizeof(szName[0]), L"QRV:%p:%x:%p:%p:%p",
                  static_cast<void*>(hInstance), nClassStyle, static_cast<void*>(hCursor),
                  static_cast<void*>(hbrBackground), static_cast<void*>(hIcon));
    auto found = s_names.find(szName);
    if (found != s_names.end())
        return found->c_str();

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = nClassStyle;
    wc.lpfnWndProc = AfxWndProc;
    wc.hInstance = hInstance;
    wc.hCursor = hCursor;
    wc.hbrBackground = hbrBackground;
    wc.hIcon = hIcon;
    wc.lpszClassName = szName;
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    return s_names.insert(szName).first->c_str();
}

LPCWSTR AfxDefaultWndClass()
{
    return AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, ::LoadCursorW(nullptr, IDC_ARROW),
                               reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
}
