// Writes the slider and stepping benchmarks' movie: a 1920 x 1080 "qrvc"
// screen recording without sound, by default 32 bits of the "screen" scene
// (windows, typed text, a wandering pointer, so most of each frame is
// unchanged). The 64 x 64 block in the top left corner of frame n is
// red 0x80, green n / 256, blue n % 256, so a pixel read back from the
// screen tells which frame is shown (exactly so at 32 bits).
//   slider_movie.exe OUT.avi [SECONDS] [FPS] [KEY_EVERY_SECONDS] [SCENE] [BITS]
// SCENE is a scene of the movie writer ("screen", "video", ...), BITS 16 or 32.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "QRVAviWriter.h"
#include "QRVCanvas.h"
#include "QRVOutput.h"
#include "QRVPicture.h"
#include "QRVScenes.h"
#include "QRVScreenEncoder.h"

namespace {

constexpr int32_t MOVIE_WIDTH = 1920;
constexpr int32_t MOVIE_HEIGHT = 1080;
constexpr int MOVIE_BITS = 32;   // the default depth
constexpr int32_t MOVIE_BLOCK = 64;

int Fail(const std::string& strWhat)
{
    std::fprintf(stderr, "slider_movie: %s\n", strWhat.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Fail("usage: slider_movie OUT.avi [SECONDS] [FPS] [KEY_EVERY_SECONDS] [SCENE] [BITS]");
    const double fSeconds = argc > 2 ? std::atof(argv[2]) : 60.0;
    const uint32_t nFps = argc > 3 ? static_cast<uint32_t>(std::atoi(argv[3])) : 10;
    const uint32_t nKeySeconds = argc > 4 ? static_cast<uint32_t>(std::atoi(argv[4])) : 10;
    const std::string strScene = argc > 5 ? argv[5] : "screen";
    const int nBits = argc > 6 ? std::atoi(argv[6]) : MOVIE_BITS;
    if (fSeconds <= 0 || nFps == 0 || nKeySeconds == 0)
        return Fail("bad arguments");
    if (nBits != 16 && nBits != 32)
        return Fail("BITS must be 16 or 32");
    std::unique_ptr<QRVScene> pScene = QRVMakeScene(strScene);
    if (!pScene)
        return Fail("unknown scene " + strScene);
    const uint32_t nFrames = static_cast<uint32_t>(fSeconds * nFps + 0.5);
    const uint32_t nKeyEvery = nKeySeconds * nFps;

    QRVFileOutput file;
    if (!file.Open(std::string(argv[1])))
        return Fail(std::string("cannot create ") + argv[1]);
    QRVVideoStreamFormat video;
    video.nWidth = MOVIE_WIDTH;
    video.nHeight = MOVIE_HEIGHT;
    video.nBitCount = nBits;
    video.nRate = nFps;
    video.nScale = 1;
    QRVAviWriter writer;
    QRVScreenEncoder encoder;
    if (!writer.Open(file, video, nullptr))
        return Fail(writer.LastError());
    if (!encoder.Begin(MOVIE_WIDTH, MOVIE_HEIGHT, nBits))
        return Fail(encoder.LastError());

    QRVCanvas canvas(MOVIE_WIDTH, MOVIE_HEIGHT);
    QRVPicture picture;
    std::vector<uint8_t> frame;
    uint64_t nBytes = 0;
    uint32_t nKeys = 0;
    for (uint32_t n = 0; n < nFrames; ++n) {
        pScene->Render(n, nFps, canvas);
        canvas.FillRect(0, 0, MOVIE_BLOCK, MOVIE_BLOCK, 0x800000u | ((n >> 8) & 0xFF) << 8 | (n & 0xFF));
        if (!canvas.ToPicture(picture, nBits) || !encoder.EncodeFrame(picture, n % nKeyEvery == 0, frame))
            return Fail(encoder.LastError());
        if (!writer.WriteVideo(frame, encoder.LastWasKey()))
            return Fail(writer.LastError());
        nBytes += frame.size();
        nKeys += encoder.LastWasKey() ? 1 : 0;
    }
    if (!writer.Close())
        return Fail(writer.LastError());
    if (!file.Finish())
        return Fail(std::string("cannot finish ") + argv[1]);
    std::printf("%s: %dx%d, %d bits, scene %s, %u fps, %u frames (%u key frames), %.1f KiB of frames\n", argv[1],
                MOVIE_WIDTH, MOVIE_HEIGHT, nBits, strScene.c_str(), nFps, nFrames, nKeys, nBytes / 1024.0);
    return 0;
}
