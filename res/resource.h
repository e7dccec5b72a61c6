// Numeric identifiers of every resource, command and string of the player.
// Included by the resource script and by C++ code alike, so only #defines.
#pragma once

// Frame resources: menu, accelerators, icon and title string share this id.
#define IDR_MAINFRAME  100
#define IDR_TOOLBAR    101  // toolbar layout and its button bitmap
#define IDB_BACKGROUND 102  // picture shown while no movie is on screen
#define IDB_VOLUME     103  // four volume images appended to the toolbar
#define IDD_ABOUTBOX   200
#define IDD_VOLUME     10201
// Hand cursor of the hyperlink (not IDC_HAND: <winuser.h> names the
// system's hand so).
#define IDC_LINK_HAND 10800

// About box items
#define IDC_ABOUT_VERSION 1000
#define IDC_ABOUT_LINK    1001

// Volume popup items
#define IDC_VOLUME_SLIDER 10241
#define IDC_VOLUME_MUTE   10242
#define IDC_VOLUME_RAMP   10243
#define IDC_VOLUME_LABEL  10244

// Status-bar indicators (their strings size the panes)
#define ID_INDICATOR_STATE 2000
#define ID_INDICATOR_TIME  2005

// Commands
#define ID_PLAY_STOP        32768
#define ID_PLAY_HOME        32769
#define ID_PLAY_BACK        32770  // Page Up: one second back
#define ID_PLAY_FORWARD     32771  // Page Down: one second forward
#define ID_PLAY_END         32772
#define ID_PLAY_PLAY        32773  // toolbar Play
#define ID_PLAY_PAUSE       32774  // toolbar Pause
#define ID_PLAY_PLAYPAUSE   32775  // menu, Space, Ctrl+P
#define ID_VOLUME_UP        32776
#define ID_VOLUME_DOWN      32777
#define ID_VOLUME_MUTE      32778
#define ID_VIEW_FULLSCREEN  32779
#define ID_VIEW_ESCAPE      32780
#define ID_PLAY_REPEAT      32781
#define ID_VIEW_ALWAYSONTOP 32782
#define ID_SEEK_SLIDER      32783  // toolbar placeholder, then the slider
#define ID_SEPARATOR_SLIDER 32784
#define ID_SEPARATOR_EXIT   32785
#define ID_PLAY_STEPBACK    32786
#define ID_PLAY_STEPFORWARD 32787
#define ID_SEPARATOR_VOLUME 32788
#define ID_VOLUME_POPUP     32789
#define ID_FILE_OPEN        57601
#define ID_FILE_CLOSE       57602
#define ID_APP_ABOUT        57664
#define ID_APP_EXIT         57665

// Strings
#define IDS_STATE_STOPPED         2002
#define IDS_STATE_PAUSED          2003
#define IDS_STATE_PLAYING         2004
#define IDS_NO_AUDIO_RECORD_CODEC 10200
#define IDS_NO_AUDIO_CODEC        10201
#define IDS_OPEN_FAILED           10202
#define IDS_FILE_CORRUPT          10203
#define IDS_OUT_OF_MEMORY         10204
#define IDS_DISK_READ_ERROR       10205
#define IDS_DISK_OPEN_ERROR       10206
#define IDS_AVI_CLASS_MISSING     10207
#define IDS_NO_VIDEO_CODEC        10208
#define IDS_NO_VIDEO_CODEC_TAIL   10209
#define IDS_NO_STREAMS            10210
#define IDS_NO_DV_SUPPORT         10240
#define IDS_SAVE_PATH_TOO_LONG    10302
#define IDS_OPEN_PATH_TOO_LONG    10303
#define IDS_WRONG_EXTENSION       10304
#define IDS_LONG_NAME_NOTE        10305
#define IDS_LINK_FAILED           10805
#define IDS_PLAYER_NAME           57344
#define IDS_IDLE_MESSAGE          57345
#define IDS_KEYWORD_PLAY          57346
#define IDS_KEYWORD_OPEN          57347
#define IDS_KEYWORD_DELETE        57348
#define IDS_FULLSCREEN_TEXT       57349
#define IDS_KEY_ESC               57350
#define IDS_KEY_ALT_ENTER         57351
#define IDS_FILE_NOT_FOUND        57352
#define IDS_VERSION               57353
#define IDS_OPEN_FILTER           57354
#define IDS_OPEN_TITLE            57355
#define IDS_EXIT_ITEM             57356
#define IDS_STATE_SEEKING         57666
#define IDS_WARN_1GB              57667
#define IDS_BAD_EXTENSION         57668
#define IDS_NEED_XP               57669

// Version
#define VISTREL_VERSION_TEXT   "6.0.1"
#define VISTREL_VERSION_COMMAS 6, 0, 1, 0

// Dialog items that code never addresses
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
