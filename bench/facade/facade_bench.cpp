// Benchmark of the AVI file facade (a Windows program, run under Wine by
// run_facade_bench.sh): pictures of a movie delivered at 30 frames per
// second of movie time in order, then 200 seeks to times spread over the
// movie. Prints the time per sequential frame and the mean and worst seek;
// asserts nothing.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "QRVAviFile.h"

namespace {

class CStopwatch {
public:
    CStopwatch()
    {
        QueryPerformanceFrequency(&m_frequency);
        QueryPerformanceCounter(&m_start);
    }
    double Milliseconds() const
    {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return 1000.0 * static_cast<double>(now.QuadPart - m_start.QuadPart) /
               static_cast<double>(m_frequency.QuadPart);
    }

private:
    LARGE_INTEGER m_frequency;
    LARGE_INTEGER m_start;
};

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: facade_bench movie.avi [seeks]\n");
        return 2;
    }
    const int nSeeks = argc > 2 ? _wtoi(argv[2]) : 200;
    QRVAviFile file;
    if (!file.Open(argv[1]) || !file.GetFrameOpen(0)) {
        std::fprintf(stderr, "facade_bench: cannot open the movie\n");
        return 1;
    }
    const BITMAPINFOHEADER* pFormat = file.GetVideoFormat(0);
    const AVISTREAMINFOW* pInfo = file.GetVideoInfo(0);
    const long nEnd = file.GetVideoEndTime(0);
    std::printf("movie: %ldx%ld, %u bits, %lu frames, %ld ms, %s decoder\n",
                static_cast<long>(pFormat->biWidth), static_cast<long>(pFormat->biHeight),
                static_cast<unsigned>(pFormat->biBitCount), static_cast<unsigned long>(pInfo->dwLength), nEnd,
                file.HasBuiltInDecoder(0) ? "built-in" : "platform");

    // In order, as playback asks: one request per 1/30 s of movie time.
    long nCurrent = -1;
    uint32_t nRequests = 0;
    uint32_t nPictures = 0;
    const uint32_t nDecodedBefore = file.GetDecodedFrameCount();
    CStopwatch sequential;
    for (long t = 0; t <= nEnd; t = static_cast<long>((nRequests + 1) * 1000LL / 30)) {
        BITMAPINFOHEADER* pHeader = nullptr;
        uint8_t* pBits = nullptr;
        file.GetFrame(0, t, &pHeader, &pBits, nCurrent, false);
        ++nRequests;
        if (pHeader != nullptr)
            ++nPictures;
    }
    const double fSequential = sequential.Milliseconds();
    std::printf("sequential: %u requests, %u pictures, %u frames decoded, %.3f ms per request\n", nRequests,
                nPictures, file.GetDecodedFrameCount() - nDecodedBefore, fSequential / nRequests);

    // Seeks to times spread over the movie, in a fixed pseudo-random order.
    uint32_t nSeed = 12345;
    double fTotal = 0;
    double fWorst = 0;
    long nWorstFrom = 0;
    long nWorstTo = 0;
    uint32_t nDecoded = 0;
    std::vector<double> times;
    for (int i = 0; i < nSeeks; ++i) {
        nSeed = nSeed * 1103515245u + 12345u;
        const long t = static_cast<long>((nSeed >> 8) % static_cast<uint32_t>(nEnd));
        const long nFrom = nCurrent;
        const uint32_t nBefore = file.GetDecodedFrameCount();
        BITMAPINFOHEADER* pHeader = nullptr;
        uint8_t* pBits = nullptr;
        CStopwatch seek;
        file.GetFrame(0, t, &pHeader, &pBits, nCurrent, false);
        const double f = seek.Milliseconds();
        nDecoded += file.GetDecodedFrameCount() - nBefore;
        times.push_back(f);
        fTotal += f;
        if (f > fWorst) {
            fWorst = f;
            nWorstFrom = nFrom;
            nWorstTo = nCurrent;
        }
    }
    std::sort(times.begin(), times.end());
    if (nSeeks > 0) {
        std::printf(
            "seeks: %d, mean %.2f ms, median %.2f ms, worst %.2f ms (frame %ld to %ld), %.1f frames decoded "
            "per seek\n",
            nSeeks, fTotal / nSeeks, times[times.size() / 2], fWorst, nWorstFrom, nWorstTo,
            static_cast<double>(nDecoded) / nSeeks);
    }
    file.GetFrameClose(0);
    return 0;
}
