// Writes a movie whose sound is the sample counter (see CounterAudio.h),
// plays it through the sound-track player and reports what it saw. Used by
// the recording tests, which check what reached the sound server.
//
//   audio_play_track [--seconds S] [--source-hz N] [--rate R] [--seek-ms T]
//                    [--sound-only 1]
//
// With --seek-ms it first plays about 0.4 s from the start, stops, sets the
// start time to T and resumes from there, as the movie window does after a
// seek; then it plays to the end of the sound, until the player reports that
// it is no longer playing.
#include <windows.h>
#include <mmsystem.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "QRVAviAudio.h"
#include "TrackMovies.h"

int wmain(int argc, wchar_t** argv)
{
    double fSeconds = 3;
    int nSourceHz = 44100;
    float fRate = 1.0f;
    int nSeekMs = -1;
    bool bSoundOnly = false;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!wcscmp(argv[i], L"--seconds"))
            fSeconds = _wtof(argv[i + 1]);
        else if (!wcscmp(argv[i], L"--source-hz"))
            nSourceHz = _wtoi(argv[i + 1]);
        else if (!wcscmp(argv[i], L"--rate"))
            fRate = static_cast<float>(_wtof(argv[i + 1]));
        else if (!wcscmp(argv[i], L"--seek-ms"))
            nSeekMs = _wtoi(argv[i + 1]);
        else if (!wcscmp(argv[i], L"--sound-only"))
            bSoundOnly = _wtoi(argv[i + 1]) != 0;
    }
    if (fSeconds <= 0 || fSeconds > 600 || nSourceHz < 1000 || nSourceHz > 192000) {
        std::printf("bad arguments\n");
        return 2;
    }
    CTestFile file("play.avi");
    TrackCounterMovie movie;
    movie.nSourceHz = static_cast<uint32_t>(nSourceHz);
    movie.nFrames = static_cast<uint32_t>(fSeconds * nSourceHz);
    movie.bSoundOnly = bSoundOnly;
    const std::string strError = WriteTrackCounterMovie(file.Path(), movie);
    if (!strError.empty()) {
        std::printf("cannot write the movie: %s\n", strError.c_str());
        return 2;
    }
    ::timeBeginPeriod(1);
    QRVAviAudio player;
    if (!player.SetRate(fRate)) {
        std::printf("rate out of range\n");
        return 2;
    }
    if (!player.OpenSource(file.Wide(), 0)) {
        std::printf("cannot open the movie\n");
        return 2;
    }
    player.SetStartTime(0);
    if (!player.QueryFormat(false)) {
        std::printf("format refused\n");
        return 2;
    }
    if (nSeekMs >= 0) {
        if (!player.Resume()) {
            std::printf("could not start\n");
            return 3;
        }
        for (int i = 0; i < 1000 && player.GetPosition() < 400; ++i)
            ::Sleep(10);
        player.Stop();
        player.SetStartTime(nSeekMs);
    }
    if (!player.Resume()) {
        std::printf("could not start\n");
        return 3;
    }
    const int nEnd = player.GetEndTime();
    int nLast = -1;
    const DWORD dwStart = ::timeGetTime();
    const DWORD dwLimit = static_cast<DWORD>(fSeconds * 1000) + 10000;
    for (int nPos; (nPos = player.GetPosition()) != -1 && ::timeGetTime() - dwStart < dwLimit;) {
        nLast = nPos;
        ::Sleep(50);
    }
    std::printf("played from %d ms to %d ms (end %d ms); playing: %s\n", player.GetStartTime(), nLast, nEnd,
                player.IsPlaying() ? "yes" : "no");
    // The device's position runs a little ahead of what the sound server
    // has rendered; give it the time to play the last buffers out.
    ::Sleep(500);
    player.Stop();
    ::timeEndPeriod(1);
    return !player.IsPlaying() && nLast >= nEnd - 100 ? 0 : 4;
}
