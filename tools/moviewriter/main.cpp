// vistrel-moviewriter: writes "qrvc" test movies (see QRVMovieUsage).
#include <cstdio>
#include <string>
#include <vector>

#include "QRVSampleMovie.h"

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        std::fputs(QRVMovieUsage(), args.empty() ? stderr : stdout);
        return args.empty() ? 2 : 0;
    }
    QRVMovieSettings settings;
    std::string strError;
    if (!QRVParseMovieArgs(args, settings, strError)) {
        std::fprintf(stderr, "vistrel-moviewriter: %s\n%s", strError.c_str(), QRVMovieUsage());
        return 2;
    }
    if (!QRVWriteMovieFile(settings, strError)) {
        std::fprintf(stderr, "vistrel-moviewriter: %s\n", strError.c_str());
        return 1;
    }
    std::printf("%s: %ux%u, %d bits, %u frames at %u fps%s\n", settings.strOutput.c_str(),
                static_cast<unsigned>(settings.nWidth), static_cast<unsigned>(settings.nHeight),
                settings.nBitCount, settings.FrameCount(), settings.nFps,
                settings.bSound ? ", with a tone" : "");
    return 0;
}
