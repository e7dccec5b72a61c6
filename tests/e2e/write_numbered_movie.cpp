// Writes one numbered movie (every pixel of frame n tells n) for the
// end-to-end tests, which read the shown frame back from screenshots.
//
//   e2e_write_movie PATH [--size=WxH] [--fps=N] [--frames=N] [--first=N] [--sound]
//
// --first numbers the frames from N, so that two movies never share a colour;
// --sound adds a steady 440 Hz tone.
#include "numbered_movies.h"

#include <cstdio>
#include <cwchar>
#include <string>

namespace {
bool TakeNumber(const wchar_t* pszArg, const wchar_t* pszName, uint32_t& nValue)
{
    const size_t nLen = wcslen(pszName);
    if (wcsncmp(pszArg, pszName, nLen) != 0)
        return false;
    wchar_t* pszEnd = nullptr;
    nValue = static_cast<uint32_t>(wcstoul(pszArg + nLen, &pszEnd, 10));
    return pszEnd != pszArg + nLen && *pszEnd == L'\0';
}
}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: e2e_write_movie PATH [--size=WxH] [--fps=N] [--frames=N] [--first=N] [--sound]\n");
        return 2;
    }
    CNumberedMovie movie;
    movie.nWidth = 320;
    movie.nHeight = 240;
    movie.nFps = 10;
    movie.nFrames = 50;
    for (int i = 2; i < argc; ++i) {
        uint32_t nWidth = 0, nHeight = 0;
        if (TakeNumber(argv[i], L"--fps=", movie.nFps) || TakeNumber(argv[i], L"--frames=", movie.nFrames) ||
            TakeNumber(argv[i], L"--first=", movie.nFirstNumber))
            continue;
        if (wcscmp(argv[i], L"--sound") == 0) {
            movie.bSound = true;
            continue;
        }
        if (swscanf(argv[i], L"--size=%ux%u", &nWidth, &nHeight) == 2 && nWidth > 0 && nHeight > 0) {
            movie.nWidth = static_cast<int32_t>(nWidth);
            movie.nHeight = static_cast<int32_t>(nHeight);
            continue;
        }
        std::fprintf(stderr, "e2e_write_movie: unknown argument %ls\n", argv[i]);
        return 2;
    }
    if (movie.nFps == 0 || movie.nFrames == 0) {
        std::fprintf(stderr, "e2e_write_movie: fps and frames must be positive\n");
        return 2;
    }
    const std::string strError = WriteNumberedMovie(argv[1], movie);
    if (!strError.empty()) {
        std::fprintf(stderr, "e2e_write_movie: %s\n", strError.c_str());
        return 1;
    }
    std::printf("wrote %ls: %u frames, first number %u\n", argv[1], movie.nFrames, movie.nFirstNumber);
    return 0;
}
