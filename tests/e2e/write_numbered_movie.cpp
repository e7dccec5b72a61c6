// Writes one numbered movie (every pixel of frame n tells n) for the
// end-to-end tests, which read the shown frame back from screenshots.
//
//   e2e_write_movie PATH [--size=WxH] [--fps=N] [--frames=N] [--first=N] [--key-every=N] [--sound]
//                   [--cut-at-frame=N]
//
// --first numbers the frames from N, so that two movies never share a colour;
// --key-every makes every N-th frame a key frame (default: every frame);
// --sound adds a steady 440 Hz tone; --cut-at-frame cuts the file off in the
// middle of frame N's data, as a recording ends when its recorder is killed
// (frames before N whole, no index).
#include "numbered_movies.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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
// Cuts the movie in the middle of the data of its video chunk nFrame.
std::string CutAtFrame(const wchar_t* pszPath, uint32_t nFrame)
{
    std::ifstream in(std::filesystem::path(pszPath), std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    // The header block ends with the "movi" list head; its chunks follow.
    size_t nAt = 0;
    for (size_t i = 12; i + 12 <= bytes.size() && nAt == 0; ++i) {
        if (std::memcmp(&bytes[i], "LIST", 4) == 0 && std::memcmp(&bytes[i + 8], "movi", 4) == 0)
            nAt = i + 12;
    }
    uint32_t nSeen = 0;
    while (nAt != 0 && nAt + 8 <= bytes.size()) {
        uint32_t nSize = 0;
        std::memcpy(&nSize, &bytes[nAt + 4], 4);
        if (std::memcmp(&bytes[nAt + 2], "dc", 2) == 0 && nSeen++ == nFrame) {
            if (nSize < 2)
                return "frame too small to cut inside";
            std::error_code error;
            std::filesystem::resize_file(std::filesystem::path(pszPath), nAt + 8 + nSize / 2, error);
            return error ? "cannot cut the file" : "";
        }
        nAt += 8 + static_cast<size_t>(nSize) + (nSize & 1u);
    }
    return "no frame to cut at";
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: e2e_write_movie PATH [--size=WxH] [--fps=N] [--frames=N] [--first=N] [--key-every=N] [--sound] "
                     "[--cut-at-frame=N]\n");
        return 2;
    }
    CNumberedMovie movie;
    uint32_t nCut = UINT32_MAX;
    movie.nWidth = 320;
    movie.nHeight = 240;
    movie.nFps = 10;
    movie.nFrames = 50;
    for (int i = 2; i < argc; ++i) {
        uint32_t nWidth = 0, nHeight = 0;
        if (TakeNumber(argv[i], L"--fps=", movie.nFps) || TakeNumber(argv[i], L"--frames=", movie.nFrames) ||
            TakeNumber(argv[i], L"--first=", movie.nFirstNumber) || TakeNumber(argv[i], L"--cut-at-frame=", nCut) ||
            (TakeNumber(argv[i], L"--key-every=", movie.nKeyEvery) && movie.nKeyEvery > 0))
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
    std::string strError = WriteNumberedMovie(argv[1], movie);
    if (strError.empty() && nCut != UINT32_MAX)
        strError = CutAtFrame(argv[1], nCut);
    if (!strError.empty()) {
        std::fprintf(stderr, "e2e_write_movie: %s\n", strError.c_str());
        return 1;
    }
    std::printf("wrote %ls: %u frames, first number %u\n", argv[1], movie.nFrames, movie.nFirstNumber);
    return 0;
}
