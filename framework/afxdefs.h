// Identifiers, private messages and style bits shared by the framework and
// the programs built on it. The command ids match the standard resource ids,
// so a program's resource.h may define the same names with the same values.
#pragma once

#include <windows.h>

// Standard commands handled by the framework.
#ifndef ID_APP_EXIT
#define ID_APP_EXIT 57665
#endif

// Child-window ids inside a frame: the bars and the view pane.
#define AFX_IDW_TOOLBAR    0xE800
#define AFX_IDW_STATUS_BAR 0xE801
#define AFX_IDW_PANE_FIRST 0xE900

// String with the application title (message-box caption).
#define AFX_IDS_APP_TITLE 0xE000

// Private messages: first update of the views after the frame is loaded,
// and idle-time command-state update of the frame and its bars.
#define WM_IDLEUPDATECMDUI 0x0363
#define WM_INITIALUPDATE   0x0364

// Frame style bit that asks for a document name in the title. Frames here
// never show a document; the bit is accepted and removed before creation.
#define FWS_ADDTOTITLE 0x00008000L

// Default style of a view: visible bordered child.
#define AFX_WS_DEFAULT_VIEW (WS_CHILD | WS_VISIBLE | WS_BORDER)
