// The movie of the cut-recording benchmarks: a one-hour OpenDML screen
// recording over 4 GiB (1920 x 1080, 32 bits, 30 fps, 22050 Hz 16-bit mono
// sound in one chunk per frame), written sparse so that it costs a few
// hundred MiB of disk, then cut in the middle of a chunk of its last RIFF
// segment as a recording whose program died would be.
//
// Every frame decodes: each key frame (one every 10 s, 9 to 13 MiB) starts
// with a real key frame of a solid picture of CUT_MOVIE_COLOR and each delta
// (a few hundred bytes to a few dozen KiB) with a real "nothing changed"
// delta, both deflated; the zeros after a zlib stream are ignored by the
// decoder. The sound is silence.
//
// Built into the native benchmark and into the Windows program that writes
// the movie for the player's benchmark under Wine.
#pragma once

#include <cstdint>
#include <string>

// The colour of every picture of the movie (0xRRGGBB).
constexpr uint32_t CUT_MOVIE_COLOR = 0x2EB86C;

struct CutMovieRecipe {
    uint32_t nFrames = 108000;
    // false: no "indx" (super index) in the headers, as a recording cut
    // before its program wrote them; the standard indexes at the end of each
    // finished "movi" stay. Never an "idx1".
    bool bSuperIndex = false;
    bool bCut = true;  // cut the file (else only tell where the cut goes)
};

struct CutMovieFacts {
    uint64_t nWritten = 0;   // length of the whole movie
    uint64_t nCutAt = 0;     // length after the cut: the middle of a chunk of the last RIFF segment
    uint32_t nRiffs = 0;     // RIFF segments written
    uint64_t nLastRiff = 0;  // offset of the last one
    uint32_t nFrames = 0;    // frames written
    uint32_t nKeyFrames = 0;
    // What a reader can recover from the cut file: the whole frames before
    // its end, the whole sound samples before it.
    uint32_t nFramesKept = 0;
    uint64_t nSamplesKept = 0;
    bool bCutInPicture = false;  // the cut chunk is a picture (else sound)
    uint32_t nSampleRate = 0;
    uint32_t nFps = 0;
};

// Writes the movie to strPath (replacing any file there) and cuts it when
// the recipe says so. False with strError on any failure.
bool WriteCutMovie(const std::string& strPath, const CutMovieRecipe& recipe, CutMovieFacts& facts,
                   std::string& strError);

// Shortens the file at strPath to nLength bytes.
bool TruncateFile(const std::string& strPath, uint64_t nLength);
