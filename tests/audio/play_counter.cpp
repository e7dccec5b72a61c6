// Plays the sample-counter sound through the wave engine and reports what
// it saw. Used by the recording test (which checks what reached the sound
// server) and by the one-minute measurement in bench/audio.
//
//   audio_play_counter [--seconds S] [--source-hz N] [--rate R] [--seek-ms T]
//                      [--trace-ms M]
//   audio_play_counter --baseline [--seconds S] [--source-hz N]
//
// With --seek-ms it first plays about 0.4 s from the start, stops, sets the
// start time to T and plays from there to the end. It prints the process's
// CPU time and the clock's largest deviation from the wall clock (movie
// time against wall time times the rate), measured from the first moment
// the clock moved; with --trace-ms, also a reading every M ms. With
// --baseline it plays the sound straight through wave-out instead, to
// show what Wine's own sound path costs.
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <vector>

#include "CounterAudio.h"

namespace {

ULONGLONG CpuTime100ns()
{
    FILETIME create, exit, kernel, user;
    if (!::GetProcessTimes(::GetCurrentProcess(), &create, &exit, &kernel, &user))
        return 0;
    auto value = [](const FILETIME& ft) {
        return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    };
    return value(kernel) + value(user);
}

ULONGLONG ThreadCpuTime100ns(HANDLE hThread)
{
    FILETIME create, exit, kernel, user;
    if (!::GetThreadTimes(hThread, &create, &exit, &kernel, &user))
        return 0;
    auto value = [](const FILETIME& ft) {
        return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    };
    return value(kernel) + value(user);
}

// The same sound played straight through wave-out, refilled on the
// device's event, with no engine: what Wine's sound path itself costs.
int PlayBaseline(int nSourceHz, DWORD nFrames)
{
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = static_cast<DWORD>(nSourceHz);
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = format.nSamplesPerSec * 4;
    HANDLE hEvent = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HWAVEOUT hWave = nullptr;
    if (::waveOutOpen(&hWave, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(hEvent), 0, CALLBACK_EVENT) !=
        MMSYSERR_NOERROR) {
        std::printf("could not open the device\n");
        return 3;
    }
    const DWORD FRAMES_PER_BUFFER = AU_MAX_BUFFER_SIZE / 4;
    std::vector<short> data(static_cast<size_t>(AU_MAX_BUFFERS) * FRAMES_PER_BUFFER * 2);
    WAVEHDR headers[AU_MAX_BUFFERS] = {};
    DWORD nNext = 0;
    auto fill = [&](WAVEHDR& header) {
        auto* pSamples = reinterpret_cast<short*>(header.lpData);
        DWORD n = 0;
        for (; n < FRAMES_PER_BUFFER && nNext < nFrames; ++n, ++nNext) {
            pSamples[2 * n] = static_cast<short>(nNext & 0xFFFF);
            pSamples[2 * n + 1] = static_cast<short>(COUNTER_MARK + ((nNext >> 16) & 0x1FFF));
        }
        header.dwBufferLength = n * 4;
        return n > 0;
    };
    const ULONGLONG nCpuStart = CpuTime100ns();
    const DWORD dwWallStart = ::timeGetTime();
    for (int i = 0; i < AU_MAX_BUFFERS; ++i) {
        headers[i].lpData = reinterpret_cast<LPSTR>(&data[static_cast<size_t>(i) * FRAMES_PER_BUFFER * 2]);
        headers[i].dwBufferLength = FRAMES_PER_BUFFER * 4;
        ::waveOutPrepareHeader(hWave, &headers[i], sizeof headers[i]);
        fill(headers[i]);
        ::waveOutWrite(hWave, &headers[i], sizeof headers[i]);
    }
    for (bool bMore = true; bMore;) {
        ::WaitForSingleObject(hEvent, 1000);
        bMore = false;
        for (WAVEHDR& header : headers) {
            if ((header.dwFlags & WHDR_DONE) && fill(header))
                ::waveOutWrite(hWave, &header, sizeof header);
            bMore = bMore || !(header.dwFlags & WHDR_DONE);
        }
    }
    const DWORD dwWall = ::timeGetTime() - dwWallStart;
    const double fCpu = static_cast<double>(CpuTime100ns() - nCpuStart) / 1e4;
    std::printf("baseline without the engine: wall time %lu ms, process CPU time %.0f ms "
                "(%.2f %% of one core)\n",
                static_cast<unsigned long>(dwWall), fCpu, dwWall ? 100.0 * fCpu / dwWall : 0.0);
    ::waveOutReset(hWave);
    for (WAVEHDR& header : headers)
        ::waveOutUnprepareHeader(hWave, &header, sizeof header);
    ::waveOutClose(hWave);
    ::CloseHandle(hEvent);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    double fSeconds = 3;
    int nSourceHz = 44100;
    float fRate = 1.0f;
    int nSeekMs = -1;
    int nTraceMs = 0;
    bool bBaseline = false;
    for (int i = 1; i < argc && !wcscmp(argv[i], L"--baseline"); ++i)
        bBaseline = true;
    for (int i = bBaseline ? 2 : 1; i + 1 < argc; i += 2) {
        if (!wcscmp(argv[i], L"--seconds"))
            fSeconds = _wtof(argv[i + 1]);
        else if (!wcscmp(argv[i], L"--source-hz"))
            nSourceHz = _wtoi(argv[i + 1]);
        else if (!wcscmp(argv[i], L"--rate"))
            fRate = static_cast<float>(_wtof(argv[i + 1]));
        else if (!wcscmp(argv[i], L"--seek-ms"))
            nSeekMs = _wtoi(argv[i + 1]);
        else if (!wcscmp(argv[i], L"--trace-ms"))
            nTraceMs = _wtoi(argv[i + 1]);
    }
    const DWORD nFrames = static_cast<DWORD>(fSeconds * nSourceHz);
    ::timeBeginPeriod(1);
    if (bBaseline)
        return PlayBaseline(nSourceHz, nFrames);

    CCounterAudio audio(static_cast<DWORD>(nSourceHz), nFrames);
    audio.SetRate(fRate);
    audio.OpenSource(L"", 0);
    audio.SetStartTime(0);
    if (!audio.QueryFormat(false)) {
        std::printf("format refused\n");
        return 2;
    }
    if (nSeekMs >= 0) {
        if (!audio.Resume()) {
            std::printf("could not start\n");
            return 3;
        }
        for (int i = 0; i < 1000 && audio.GetPosition() < 400; ++i)
            ::Sleep(10);
        audio.Stop();
        audio.SetStartTime(nSeekMs);
    }
    const ULONGLONG nCpuStart = CpuTime100ns();
    const ULONGLONG nMainCpuStart = ThreadCpuTime100ns(::GetCurrentThread());
    const DWORD dwWallStart = ::timeGetTime();
    if (!audio.Resume()) {
        std::printf("could not start\n");
        return 3;
    }
    const int nEnd = audio.GetEndTime();
    const int nStartMs = audio.GetStartTime();
    // Clock readings from the first one after the clock moved: the clock's
    // offset from the wall clock (times the rate) at each.
    std::vector<double> offsets;
    std::vector<DWORD> walls;  // wall time of each, from the first
    offsets.reserve(static_cast<size_t>(fSeconds * 20 / fRate) + 64);
    int nPos0 = -1, nLast = -1;
    DWORD dwWall0 = 0, dwLastChange = ::timeGetTime();
    for (;;) {
        const int nPos = audio.GetPosition();
        const DWORD dwNow = ::timeGetTime();
        if (nPos != nLast) {
            nLast = nPos;
            dwLastChange = dwNow;
        }
        if (nPos0 < 0 && nPos > nStartMs) {
            nPos0 = nPos;
            dwWall0 = dwNow;
        }
        if (nPos0 >= 0) {
            offsets.push_back((nPos - nPos0) - fRate * static_cast<double>(dwNow - dwWall0));
            walls.push_back(dwNow - dwWall0);
            if (nTraceMs > 0 && offsets.size() % (nTraceMs / 50 + 1) == 0)
                std::printf("  wall %6lu ms  clock %6d ms  deviation %5.0f ms\n",
                            static_cast<unsigned long>(dwNow - dwWall0), nPos - nPos0, offsets.back());
        }
        if (nPos >= nEnd || dwNow - dwLastChange > 2000)
            break;
        ::Sleep(50);
    }
    const DWORD dwWall = ::timeGetTime() - dwWallStart;
    const double fCpu = static_cast<double>(CpuTime100ns() - nCpuStart) / 1e4;  // ms
    const double fMainCpu =
        static_cast<double>(ThreadCpuTime100ns(::GetCurrentThread()) - nMainCpuStart) / 1e4;
    double fRefillCpu = 0;
    if (HANDLE hRefill = ::OpenThread(THREAD_QUERY_INFORMATION, FALSE, audio.m_dwLastFillThread)) {
        fRefillCpu = static_cast<double>(ThreadCpuTime100ns(hRefill)) / 1e4;
        ::CloseHandle(hRefill);
    }
    // Largest deviation from the first reading; and, once the device has
    // settled (after its first second, while the sound server adjusts its
    // latency), around the median offset: a constant offset does not
    // matter to the picture, drift and jumps do.
    double fFromFirst = 0, fSettled = 0;
    std::vector<double> settled;
    for (size_t i = 0; i < offsets.size(); ++i) {
        fFromFirst = std::fmax(fFromFirst, std::fabs(offsets[i]));
        if (walls[i] >= 1000)
            settled.push_back(offsets[i]);
    }
    if (!settled.empty()) {
        std::vector<double> sorted = settled;
        std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
        const double fMedian = sorted[sorted.size() / 2];
        for (double f : settled)
            fSettled = std::fmax(fSettled, std::fabs(f - fMedian));
    }
    auto percent = [dwWall](double fMs) { return dwWall ? 100.0 * fMs / dwWall : 0.0; };
    std::printf("played from %d ms to %d ms (end %d ms)\n", nStartMs, nLast, nEnd);
    std::printf("wall time %lu ms, process CPU time %.0f ms (%.2f %% of one core)\n",
                static_cast<unsigned long>(dwWall), fCpu, percent(fCpu));
    std::printf("  of which refill thread %.0f ms (%.2f %%), polling caller %.0f ms (%.2f %%)\n", fRefillCpu,
                percent(fRefillCpu), fMainCpu, percent(fMainCpu));
    std::printf("clock: %u readings, largest deviation from the wall clock %.0f ms; "
                "settled %.0f ms\n",
                static_cast<unsigned>(offsets.size()), fFromFirst, fSettled);
    // The device's position runs a little ahead of what the sound server
    // has rendered; give it the time to play the last buffers out.
    ::Sleep(500);
    audio.Stop();
    ::timeEndPeriod(1);
    return nLast >= nEnd - 50 ? 0 : 4;
}
