// Resource and command ids of the framework tests' own resources.
#pragma once

#define IDR_TESTFRAME 100

#define IDS_TEST_FILE_NOT_FOUND 101
#define IDS_TEST_TWO_INSERTS    102
#define IDS_TEST_NUMBER         103
#define IDS_TEST_LONG           104
#define IDS_TEST_APP_TITLE      57344
#define IDS_TEST_IDLE           57345  // the message pane's idle prompt

// Menu items whose update handlers change their state
#define ID_TEST_GREY      40010
#define ID_TEST_CHECK     40011
#define ID_TEST_TEXT      40012
#define ID_TEST_CMDONLY   40013  // command handler, no update handler
#define ID_TEST_NOHANDLER 40014  // no handler anywhere
#define ID_TEST_SUBFIRST  40015  // first item of a submenu

// Keys only (not in the menu)
#define ID_TEST_KEY_ENABLED  40020
#define ID_TEST_KEY_DISABLED 40021

// Routing: who handles which
#define ID_ROUTE_ALL       40030  // view, frame and application
#define ID_ROUTE_FRAME_APP 40031  // frame and application
#define ID_ROUTE_APP       40032  // application only
#define ID_ROUTE_NONE      40033  // nobody

#ifndef ID_APP_EXIT
#define ID_APP_EXIT 57665
#endif

// The test dialog and its items
#define IDD_TEST_DIALOG   200
#define IDC_TEST_SLIDER   201
#define IDC_TEST_CHECKBOX 202
#define IDC_TEST_LABEL    203

// The test toolbar (layout and its four images) and two more images
#define IDR_TESTBAR         300
#define IDB_TESTEXTRA       301
#define IDR_TESTBAR_SHORT   302    // announces more items than it has
#define IDR_TESTBAR_WINDRES 303    // windres's own TOOLBAR layout
#define ID_BAR_RUN          40040  // carried out by the frame
#define ID_BAR_NEWSEP       40041  // given to a button turned into a separator

// Status-bar indicators
#define ID_INDICATOR_SHORT 40050  // text from its update handler
#define ID_INDICATOR_LONG  40051  // no update handler
#define ID_INDICATOR_OFF   40052  // disabled by its update handler
