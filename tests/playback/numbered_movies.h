// Movies whose pictures carry their frame number, for the movie window's
// tests: every pixel of frame n is red 0x80, green n / 256, blue n % 256,
// so a pixel read back from the screen tells which frame is shown.
#pragma once

#include "TestFile.h"

#include <windows.h>

#include <cstdint>
#include <string>

struct CNumberedMovie {
    int32_t nWidth = 64;
    int32_t nHeight = 48;
    uint32_t nFps = 20;
    uint32_t nFrames = 40;
    bool bSound = false;     // 22050 Hz mono tone, in step with the pictures
    uint32_t nKeyEvery = 1;  // every nKeyEvery-th frame is a key frame
    // Every pixel names its own place in the picture instead of the frame
    // (CoordinatesOfColor), for tests of where the picture is drawn.
    bool bCoordinates = false;
    // Frame n carries the number nFirstNumber + n (the colour and the
    // number FrameOfColor reads), so that movies can differ in colour.
    uint32_t nFirstNumber = 0;
};

// Writes the movie; an empty string on success, else what failed.
std::string WriteNumberedMovie(const std::wstring& strPath, const CNumberedMovie& movie);

// The colour of frame n, and the frame a colour shows (-1: none).
COLORREF NumberedFrameColor(uint32_t nFrame);
int FrameOfColor(COLORREF cr);
// The picture point (from its top left) that a pixel of a movie written
// with bCoordinates shows: red and green the low bytes of x and y, blue
// their high nibbles.
POINT CoordinatesOfColor(COLORREF cr);
