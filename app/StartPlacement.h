// Where the main window goes at start when it is neither full screen nor
// maximized: position and size of the configuration, in pixels or in
// percent of the work area, applied to the window centred at its size.
#pragma once

#include <windows.h>

class CPlayerConfig;

struct CStartPlacement {
    bool bMove = false;  // false: the window stays as it is
    int x = 0;           // outer rectangle when bMove
    int y = 0;
    int cx = 0;
    int cy = 0;
};

// rcWindow: the window's current outer rectangle; rcWorkArea: the part of
// the primary screen outside the taskbar, in screen coordinates.
CStartPlacement ComputeStartPlacement(const CPlayerConfig& config, const RECT& rcWindow,
                                      const RECT& rcWorkArea);
