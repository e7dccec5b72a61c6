// Movies for the sound-track player's tests, written with the test-movie
// writer or put together by hand: a sample counter as the sound (frame n
// carries n, as CounterAudio.h describes), with or without a picture stream;
// and OpenDML movies over 1 GiB (sparse on disk) whose sound stream holds a
// chosen number of bytes, which our own index then reports as the stream's
// convenient read size.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "TestFile.h"

// Frames [nFirst, nFirst + nCount) of the 16-bit stereo counter sound.
std::vector<uint8_t> TrackCounterSound(uint32_t nFirst, uint32_t nCount);

struct TrackCounterMovie {
    uint32_t nSourceHz = 44100;
    uint32_t nFrames = 44100;  // sound frames in all
    bool bSoundOnly = false;   // no picture stream at all
    // Sound chunks of a tenth of a second, between pictures at 10 per second.
};

// Writes the counter movie; an empty string on success, else what failed.
std::string WriteTrackCounterMovie(const std::string& strPath, const TrackCounterMovie& movie);

// An OpenDML movie of about 1.2 GiB whose one sound stream (16-bit mono,
// 22050 Hz) holds nSoundBytes bytes, 0 for none. Empty string on success.
std::string WriteLargeTrackMovie(const std::string& strPath, uint32_t nSoundBytes);
