// Movie state codes: what the movie window reports to its view, and what
// its playback worker writes while it runs.
#pragma once

enum : int {
    MS_NONE = 0,      // nothing loaded yet, or loading failed
    MS_NO_VIDEO = 1,  // no playable picture stream
    MS_NO_AUDIO = 2,  // a sound track that cannot be played
    MS_NO_MEDIA = 3,  // neither picture nor sound
    MS_PLAYING = 4,
    MS_PAUSED = 8,
    MS_STOPPED = 16,  // the worker has ended its loop
    MS_SEEKING = 32,  // reported only: held while the slider is dragged
    MS_READY = 64,    // loaded and not played since
    MS_CLOSED = 128,  // no movie open
};
