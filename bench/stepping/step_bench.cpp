// Stepping through a 1920 x 1080 screen recording one frame at a time, the
// way a person looks for the moment something was clicked: the "video" scene
// (a video playing in a window beside a document that scrolls now and then)
// and the "screen" scene (a desktop where little changes), at 32 and 16
// bits, a key frame every 300 frames. From the last frame of the second
// key interval (599) 300 steps back, the last of them into the first
// interval; then 300 steps forward. Each step is a Reach of the snapshot
// cache over frames decoded in memory, once without snapshots (budget 0:
// every step back decodes from the key frame) and once with the standard
// budget. Prints per direction the mean and worst time per step, frames
// decoded and pictures copied per step, the most memory held, and whether
// every picture equals the one reached without snapshots. Figures only.
//   step_bench [SCENE...]     (default: video screen)
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "QRVCanvas.h"
#include "QRVPicture.h"
#include "QRVScenes.h"
#include "QRVScreenEncoder.h"
#include "QRVSnapshotCache.h"
#include "ScreenCodecDecoder.h"

namespace {

constexpr int32_t BENCH_WIDTH = 1920;
constexpr int32_t BENCH_HEIGHT = 1080;
constexpr long BENCH_KEY_EVERY = 300;
constexpr long BENCH_FRAMES = 2 * BENCH_KEY_EVERY;
constexpr uint32_t BENCH_FPS = 30;

struct CMovie {
    int nBits = 0;
    std::vector<std::vector<uint8_t>> frames;
    QRVBitmapHeader input{};
    QRVBitmapHeader output{};
};

bool EncodeMovie(const std::string& strScene, int nBits, CMovie& movie)
{
    std::unique_ptr<QRVScene> pScene = QRVMakeScene(strScene);
    QRVScreenEncoder encoder;
    if (!pScene || !encoder.Begin(BENCH_WIDTH, BENCH_HEIGHT, nBits))
        return false;
    QRVCanvas canvas(BENCH_WIDTH, BENCH_HEIGHT);
    QRVPicture picture;
    movie.nBits = nBits;
    movie.frames.resize(BENCH_FRAMES);
    for (long f = 0; f < BENCH_FRAMES; ++f) {
        pScene->Render(static_cast<uint32_t>(f), BENCH_FPS, canvas);
        if (!canvas.ToPicture(picture, nBits) || !encoder.EncodeFrame(picture, f % BENCH_KEY_EVERY == 0, movie.frames[f]))
            return false;
    }
    const uint16_t nBitCount = static_cast<uint16_t>(nBits);
    movie.input = QRVBitmapHeader{40, BENCH_WIDTH, BENCH_HEIGHT, 1, nBitCount, 0, 0, 0, 0, 0, 0};
    std::memcpy(&movie.input.biCompression, "qrvc", 4);
    movie.output = QRVBitmapHeader{40, BENCH_WIDTH, BENCH_HEIGHT, 1, nBitCount, 0, 0, 0, 0, 0, 0};
    return true;
}

class CMemoryFrames : public QRVFrameSource {
public:
    explicit CMemoryFrames(CMovie& movie) : m_movie(movie), m_pDecoder(QRVScreenCodec::Create()) {}
    long KeyFrameAtOrBefore(long nFrame) override { return nFrame - nFrame % BENCH_KEY_EVERY; }
    QRVPaintResult Paint(long nFrame, uint8_t* pPicture, uint32_t& cbFrame) override
    {
        const std::vector<uint8_t>& frame = m_movie.frames[static_cast<size_t>(nFrame)];
        cbFrame = static_cast<uint32_t>(frame.size());
        if (frame.empty())
            return SNP_EMPTY;
        m_movie.input.biSizeImage = static_cast<uint32_t>(frame.size());
        ++m_nDecodes;
        return QRVScreenCodec::Decompress(m_pDecoder.get(), &m_movie.input, frame.data(), &m_movie.output,
                                          pPicture) == SCD_OK
                   ? SNP_PAINTED
                   : SNP_FAILED;
    }
    uint64_t m_nDecodes = 0;

private:
    CMovie& m_movie;
    QRVScreenDecoderPtr m_pDecoder;
};

struct CFigures {
    std::vector<double> times;  // ms per request
    double fDecodes = 0, fCopies = 0;
    uint64_t nMostBytes = 0;
};

// Reaches each target in turn; each picture's checksum goes to (or is
// checked against) sums.
CFigures Walk(QRVSnapshotCache& cache, CMemoryFrames& frames, const std::vector<long>& targets,
              std::vector<uint32_t>& sums, bool bRecord, uint32_t& nWrong)
{
    CFigures figures;
    const uint64_t nDecodes = frames.m_nDecodes, nCopies = cache.CopyCount();
    for (size_t i = 0; i < targets.size(); ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        const QRVPaintResult result = cache.Reach(targets[i], false, frames);
        figures.times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
        figures.nMostBytes = std::max(figures.nMostBytes, cache.BytesHeld() - cache.PictureBytes());
        const uint32_t nSum = result == SNP_PAINTED
                                  ? static_cast<uint32_t>(adler32(1, cache.Picture(), cache.PictureBytes()))
                                  : 0;
        if (bRecord)
            sums.push_back(nSum);
        else if (sums[i] != nSum)
            ++nWrong;
    }
    figures.fDecodes = static_cast<double>(frames.m_nDecodes - nDecodes) / static_cast<double>(targets.size());
    figures.fCopies = static_cast<double>(cache.CopyCount() - nCopies) / static_cast<double>(targets.size());
    return figures;
}

// Mean and worst of the requests [nFirst, nEnd).
void Print(const char* pszLabel, const CFigures& f, size_t nFirst, size_t nEnd)
{
    double fTotal = 0, fWorst = 0;
    for (size_t i = nFirst; i < nEnd; ++i) {
        fTotal += f.times[i];
        fWorst = std::max(fWorst, f.times[i]);
    }
    std::printf("  %-34s mean %7.2f ms  worst %7.2f ms\n", pszLabel, fTotal / static_cast<double>(nEnd - nFirst),
                fWorst);
}

void PrintWork(const CFigures& f)
{
    std::printf("  %-34s decodes/request %.1f  copies/request %.2f  snapshots held at most %.1f MiB\n", "",
                f.fDecodes, f.fCopies, static_cast<double>(f.nMostBytes) / (1 << 20));
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> scenes;
    for (int i = 1; i < argc; ++i)
        scenes.push_back(argv[i]);
    if (scenes.empty())
        scenes = {"video", "screen"};
    std::vector<long> back, forward, seeks;
    for (long f = BENCH_FRAMES - 2; f >= BENCH_KEY_EVERY - 1; --f)
        back.push_back(f);
    for (long f = BENCH_KEY_EVERY; f < BENCH_FRAMES; ++f)
        forward.push_back(f);
    for (uint32_t i = 0, n = 12345; i < 40; ++i) {
        n = n * 1664525u + 1013904223u;
        seeks.push_back(static_cast<long>((n >> 8) % BENCH_FRAMES));
    }
    std::printf("snapshot budget: %u MiB or %u pictures, whichever is smaller\n", static_cast<unsigned>(SNP_BUDGET_BYTES >> 20),
                SNP_MAX_PICTURES);
    for (const std::string& strScene : scenes) {
        for (int nBits : {32, 16}) {
            CMovie movie;
            if (!EncodeMovie(strScene, nBits, movie)) {
                std::fprintf(stderr, "cannot encode the \"%s\" scene\n", strScene.c_str());
                return 1;
            }
            uint64_t nBytes = 0;
            for (const auto& frame : movie.frames)
                nBytes += frame.size();
            std::printf("%s, %dx%d, %d bits, key every %ld: %.1f KiB a frame\n", strScene.c_str(), BENCH_WIDTH,
                        BENCH_HEIGHT, nBits, BENCH_KEY_EVERY,
                        static_cast<double>(nBytes) / BENCH_FRAMES / 1024);
            std::vector<uint32_t> sumsBack, sumsForward, sumsSeeks;
            uint32_t nWrong = 0;
            for (bool bSnapshots : {false, true}) {
                const char* pszHow = bSnapshots ? "snapshots" : "no snapshots";
                QRVSnapshotCache cache(bSnapshots ? SNP_BUDGET_BYTES : 0);
                CMemoryFrames frames(movie);
                const uint32_t cbPicture = QRVScreenCodec::PictureBytes(movie.output);
                const auto t0 = std::chrono::steady_clock::now();
                if (!cache.SetPictureSize(cbPicture) || cache.Reach(BENCH_FRAMES - 1, false, frames) != SNP_PAINTED) {
                    std::fprintf(stderr, "cannot decode the movie\n");
                    return 1;
                }
                std::printf(" %s: seek to frame %ld %.2f ms\n", pszHow, BENCH_FRAMES - 1,
                            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
                const CFigures b = Walk(cache, frames, back, sumsBack, !bSnapshots, nWrong);
                Print("300 steps back", b, 0, back.size());
                Print("  the 299 within the interval", b, 0, back.size() - 1);
                Print("  the last, into the interval before", b, back.size() - 1, back.size());
                PrintWork(b);
                const CFigures f = Walk(cache, frames, forward, sumsForward, !bSnapshots, nWrong);
                Print("300 steps forward", f, 0, forward.size());
                PrintWork(f);
                const CFigures r = Walk(cache, frames, seeks, sumsSeeks, !bSnapshots, nWrong);
                Print("40 seeks to random frames", r, 0, seeks.size());
                PrintWork(r);
            }
            std::printf("  pictures differing from a decode from the key frame: %u\n", nWrong);
        }
    }
    return 0;
}
