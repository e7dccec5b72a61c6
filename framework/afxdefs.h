// Identifiers, private messages and style bits shared by the framework and
// the programs built on it. The command ids match the standard resource ids,
// so a program's resource.h may define the same names with the same values.
#pragma once

#include <windows.h>
#include <commctrl.h>

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
// String shown in the status bar's message pane while no prompt is shown.
#define AFX_IDS_IDLEMESSAGE 0xE001

// Id of a separator in a toolbar resource and of the message pane in a
// status bar's indicator list.
#ifndef ID_SEPARATOR
#define ID_SEPARATOR 0
#endif

// Private messages: first update of the views after the frame is loaded,
// and idle-time command-state update of the frame and its bars.
#define WM_IDLEUPDATECMDUI 0x0363
#define WM_INITIALUPDATE   0x0364

// Frame style bit that asks for a document name in the title. Frames here
// never show a document; the bit is accepted and removed before creation.
#define FWS_ADDTOTITLE 0x00008000L

// Default style of a view: visible bordered child.
#define AFX_WS_DEFAULT_VIEW (WS_CHILD | WS_VISIBLE | WS_BORDER)

// Control-bar styles (a bar's own bits, kept apart from the window style):
// the side of the frame it sits on, the borders it draws, and whether it
// shows tooltips and fly-by prompts in the frame's message pane.
#define CBRS_ALIGN_LEFT   0x1000L
#define CBRS_ALIGN_TOP    0x2000L
#define CBRS_ALIGN_RIGHT  0x4000L
#define CBRS_ALIGN_BOTTOM 0x8000L
#define CBRS_ALIGN_ANY    0xF000L

#define CBRS_BORDER_LEFT   0x0100L
#define CBRS_BORDER_TOP    0x0200L
#define CBRS_BORDER_RIGHT  0x0400L
#define CBRS_BORDER_BOTTOM 0x0800L
#define CBRS_BORDER_ANY    0x0F00L

#define CBRS_TOOLTIPS     0x0010L
#define CBRS_FLYBY        0x0020L
#define CBRS_HIDE_INPLACE 0x0008L
#define CBRS_SIZE_DYNAMIC 0x0004L
#define CBRS_SIZE_FIXED   0x0002L
#define CBRS_GRIPPER      0x00400000L
#define CBRS_ALL          0x0040FFFFL

#define CBRS_NOALIGN 0x00000000L
#define CBRS_TOP     (CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM)
#define CBRS_BOTTOM  (CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP)

// Toolbar button styles: the common control's button style in the low
// word, its state in the high word, with the enabled bit turned round so
// that 0 is an ordinary enabled button.
#define TBBS_BUTTON        MAKELONG(TBSTYLE_BUTTON, 0)
#define TBBS_SEPARATOR     MAKELONG(TBSTYLE_SEP, 0)
#define TBBS_CHECKBOX      MAKELONG(TBSTYLE_CHECK, 0)
#define TBBS_GROUP         MAKELONG(TBSTYLE_GROUP, 0)
#define TBBS_CHECKGROUP    (TBBS_GROUP | TBBS_CHECKBOX)
#define TBBS_CHECKED       MAKELONG(0, TBSTATE_CHECKED)
#define TBBS_PRESSED       MAKELONG(0, TBSTATE_PRESSED)
#define TBBS_DISABLED      MAKELONG(0, TBSTATE_ENABLED)
#define TBBS_INDETERMINATE MAKELONG(0, TBSTATE_INDETERMINATE)
#define TBBS_HIDDEN        MAKELONG(0, TBSTATE_HIDDEN)
#define TBBS_WRAPPED       MAKELONG(0, TBSTATE_WRAP)

// Status-bar pane styles: the common control's text-drawing bits, plus a
// disabled pane (shows no text) and the stretching pane (takes the width
// the other panes leave).
#define SBPS_NORMAL    0x0000
#define SBPS_NOBORDERS SBT_NOBORDERS
#define SBPS_POPOUT    SBT_POPOUT
#define SBPS_OWNERDRAW SBT_OWNERDRAW
#define SBPS_DISABLED  0x04000000
#define SBPS_STRETCH   0x08000000
