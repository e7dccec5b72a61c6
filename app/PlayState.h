// What the main frame shows of playback. The view maps the movie window's
// states onto these; the toolbar buttons and the status bar's state pane
// follow them. The values are the display codes of the frame (1 is unused).
#pragma once

enum class EPlayState : int {
    PS_NONE = 0,
    PS_STOPPED = 2,
    PS_PAUSED = 3,
    PS_PLAYING = 4,
    PS_SEEKING = 5,
};
