// Moving pictures for test movies: "screen" (a desktop with windows, the
// default sample movie), "noise" (random pixels, the hardest case for the
// codec), "bars" (colour bars with a block that moves every other frame,
// so some frames are unchanged) and "video" (a document that scrolls now and
// then beside a playing video, about a ninth of the screen changing
// completely every frame).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "QRVCanvas.h"

class QRVScene {
public:
    virtual ~QRVScene() = default;
    // Draws frame nFrame of a movie at nFps frames per second onto canvas.
    virtual void Render(uint32_t nFrame, uint32_t nFps, QRVCanvas& canvas) = 0;
};

// Null for an unknown name.
std::unique_ptr<QRVScene> QRVMakeScene(const std::string& strName);
