// Window classes that use the framework's window procedure.
#pragma once

#include <windows.h>

// Registers once, for the program's instance, a class with AfxWndProc and
// the given look; returns its generated name (valid for the whole run).
LPCWSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr, HBRUSH hbrBackground = nullptr,
                            HICON hIcon = nullptr);

// The class that frames and views get when they ask for none: double-clicks,
// full redraw on resize, arrow cursor, window-colour background.
LPCWSTR AfxDefaultWndClass();
