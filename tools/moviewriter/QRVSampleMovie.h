// Whole test movies from a scene and a tone: the settings, their command-line
// form, and the loop that encodes frames and interleaves them with sound.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class QRVOutput;

struct QRVMovieSettings {
    std::string strOutput;
    int32_t nWidth = 640;
    int32_t nHeight = 480;
    int nBitCount = 24;
    uint32_t nFps = 15;
    double fSeconds = 8.0;
    bool bSound = true;
    double fToneHz = 440.0;
    double fToneAmplitude = 0.25;
    uint32_t nSampleRate = 22050;
    uint16_t nSoundBits = 16;
    uint16_t nChannels = 1;
    uint32_t nKeyEvery = 30;          // a key frame every N frames (frame 0 always)
    bool bEmptyWhenUnchanged = true;  // unchanged frames as empty chunks
    std::string strScene = "screen";
    bool bOpenDml = false;     // OpenDML form (AVI 2.0) instead of classic AVI
    bool bLegacyIndex = true;  // OpenDML: "idx1" for the first RIFF chunk
    uint32_t nFillerMiB = 0;   // OpenDML: a gap of this many MiB after each second

    uint32_t FrameCount() const;
};

// Usage text for the command-line program.
const char* QRVMovieUsage();

// Parses the arguments after the program name. False with a message on any
// unknown option, missing or malformed value, or a missing output name.
bool QRVParseMovieArgs(const std::vector<std::string>& args, QRVMovieSettings& settings,
                       std::string& strError);

// Writes the movie to output (which the caller finishes), or to the file
// named in the settings. False with a message on failure.
bool QRVWriteMovie(const QRVMovieSettings& settings, QRVOutput& output, std::string& strError);
bool QRVWriteMovieFile(const QRVMovieSettings& settings, std::string& strError);
