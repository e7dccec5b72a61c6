// Plays a 1920 x 1080, 32-bit, 30 fps screen-like movie with sound in a
// movie window on the display and prints what it costs: frames drawn
// against frames due, the largest lag of the picture behind the sound clock,
// and the process's CPU time per second of movie. Figures only, no verdict.
//   moviewnd_bench.exe [seconds]
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "QRVMovieWnd.h"
#include "QRVSampleMovie.h"
#include "movie_host.h"

namespace {

constexpr int BENCH_WIDTH = 1920;
constexpr int BENCH_HEIGHT = 1080;
constexpr int BENCH_FPS = 30;

// Counts the distinct frames that reach the screen and how far each lags
// behind the clock at the moment it is drawn.
class CCountingMovieWnd : public QRVMovieWnd {
public:
    void PaintFrame() override
    {
        QRVMovieWnd::PaintFrame();
        const long nFrame = GetShownFrame();
        if (nFrame < 0 || nFrame == m_nLast)
            return;
        m_nLast = nFrame;
        ++m_nDrawn;
        const int nLag = GetClockPosition() - MulDiv(nFrame, 1000, BENCH_FPS);
        m_nMaxLag = std::max(m_nMaxLag.load(), nLag);
    }

    std::atomic<long> m_nLast{-1};
    std::atomic<int> m_nDrawn{0};
    std::atomic<int> m_nMaxLag{0};
};

double CpuSeconds()
{
    FILETIME ftCreate, ftExit, ftKernel, ftUser;
    ::GetProcessTimes(::GetCurrentProcess(), &ftCreate, &ftExit, &ftKernel, &ftUser);
    auto seconds = [](const FILETIME& ft) {
        return (static_cast<double>(ft.dwHighDateTime) * 4294967296.0 + ft.dwLowDateTime) / 1e7;
    };
    return seconds(ftKernel) + seconds(ftUser);
}

}  // namespace

int main(int argc, char** argv)
{
    const double fSeconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 20.0;
    char szTemp[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, szTemp);
    QRVMovieSettings settings;
    settings.strOutput = std::string(szTemp) + "vistrel-moviewnd-bench.avi";
    settings.nWidth = BENCH_WIDTH;
    settings.nHeight = BENCH_HEIGHT;
    settings.nBitCount = 32;
    settings.nFps = BENCH_FPS;
    settings.fSeconds = fSeconds + 1.0;
    settings.nSampleRate = 44100;
    settings.nChannels = 2;
    std::string strError;
    if (!QRVWriteMovieFile(settings, strError)) {
        std::printf("cannot write the movie: %s\n", strError.c_str());
        return 1;
    }
    const std::wstring strPath(settings.strOutput.begin(), settings.strOutput.end());

    CMovieHost host(1280, 760);
    auto pMovie = std::make_unique<CCountingMovieWnd>();
    if (!pMovie->CreateMovieWindow(host.Wnd()) || !pMovie->OpenMovie(strPath.c_str())) {
        std::printf("cannot open the movie\n");
        ::DeleteFileW(strPath.c_str());
        return 1;
    }
    pMovie->ShowWindow(SW_SHOW);
    host.PumpFor(300);

    const double fCpuStart = CpuSeconds();
    const DWORD dwStart = ::GetTickCount();
    pMovie->Play();
    host.PumpFor(static_cast<DWORD>(fSeconds * 1000));
    const int nClock = pMovie->GetClockPosition();
    const DWORD dwWall = ::GetTickCount() - dwStart;
    const double fCpu = CpuSeconds() - fCpuStart;
    pMovie->Stop(false, true);
    const int nDrawn = pMovie->m_nDrawn.load();
    const int nDue = MulDiv(std::max(nClock, 0), BENCH_FPS, 1000);

    std::printf("movie: %dx%d, 32 bits, %d fps, with 44.1 kHz stereo sound\n", BENCH_WIDTH, BENCH_HEIGHT,
                BENCH_FPS);
    std::printf("played %.1f s of wall time, clock at %d ms\n", dwWall / 1000.0, nClock);
    std::printf("frames drawn %d of %d due (%.1f %%)\n", nDrawn, nDue, nDue ? 100.0 * nDrawn / nDue : 0.0);
    std::printf("largest lag of the picture behind the clock: %d ms (a frame lasts %d ms)\n",
                pMovie->m_nMaxLag.load(), 1000 / BENCH_FPS);
    std::printf("CPU time: %.3f s per second of movie (%.1f %% of one core)\n",
                nClock > 0 ? fCpu / (nClock / 1000.0) : 0.0, dwWall ? 100.0 * fCpu / (dwWall / 1000.0) : 0.0);
    pMovie->CloseMovie();
    pMovie.reset();
    ::DeleteFileW(strPath.c_str());
    return 0;
}
