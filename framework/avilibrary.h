// The AVI file library (avifil32), initialised for the guard's lifetime;
// every AVIFileInit is matched by one AVIFileExit.
#pragma once

#include <windows.h>
#include <vfw.h>

class CAviLibrary {
public:
    CAviLibrary() { ::AVIFileInit(); }
    ~CAviLibrary() { ::AVIFileExit(); }
    CAviLibrary(const CAviLibrary&) = delete;
    CAviLibrary& operator=(const CAviLibrary&) = delete;
};
