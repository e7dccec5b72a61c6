// The movie window's interface values: option bits, the notification
// message it posts to its parent and that message's kinds.
#pragma once

#include <windows.h>

// Option bits of the movie window.
enum : DWORD {
    MWO_REPEAT = 0x1,          // start again at the end
    MWO_CLOSE_AT_END = 0x2,    // close the main window at the end
    MWO_AUTOPLAY = 0x4,        // play after a successful open
    MWO_STAY_AT_END = 0x8,     // stop at the end without rewinding
    MWO_DRAG_FRAME = 0x10,     // the picture drags the main window
    MWO_NO_DBLCLK = 0x20,      // a double click on the picture does nothing
    MWO_SHRINK = 0x40,         // scale a larger picture down into the window
    MWO_ENLARGE = 0x80,        // scale a smaller picture up to fill the window
    MWO_LONGER_TRACK = 0x100,  // the length is the longer of sound and picture
    MWO_AUTOSIZE = 0x200,      // size from the parent and the movie
    MWO_NOTIFY_POSITION = 0x400,
    MWO_NOTIFY_STATE = 0x800,
    MWO_END_CHECK_FIRST = 0x1000,  // test for the end before each frame lookup
    MWO_NO_DRAG_RESUME = 0x2000,   // the final seek of a drag does not resume
};

// Posted to the parent: wParam MN_STATE with the reported state in lParam,
// or MN_POSITION with the position in ms.
constexpr UINT WM_MOVIE_NOTIFY = 0x487B;

enum : WPARAM {
    MN_STATE = 1,
    MN_POSITION = 2,
};

// Window timers of the movie window: the settle timer of key-only seeks and
// the start timer (repeat, autoplay, resumption after a drag).
enum : UINT_PTR {
    MWT_SETTLE = 97,
    MWT_START = 98,
};

// The flags of QRVMovieWnd::Seek, by name: a final seek (else a preview
// while dragging), an exact frame (else the nearest key frame first, the
// exact one when the settle timer fires), and whether playback may stop.
constexpr bool MW_SEEK_FINAL = true;
constexpr bool MW_SEEK_PREVIEW = false;
constexpr bool MW_SEEK_EXACT = true;
constexpr bool MW_SEEK_KEY_FRAMES = false;
constexpr bool MW_SEEK_NO_STOP = true;
constexpr bool MW_SEEK_MAY_STOP = false;
