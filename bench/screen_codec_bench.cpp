// Decode speed of the screen-codec decoder on 1920 x 1080 screen-like frames
// (a desktop with windows and text, flat areas, a gradient, a photo-like
// patch) at 32, 24, 16 and 8 bits: key frames, small delta frames, the 2-byte
// unchanged frame and a noisy key frame; also 1280 x 1024 key frames.
// Besides the time per frame it prints the output bytes per second (picture
// bytes per frame), the frame and inflated stream sizes, and for inflated
// frames decode_us, inflate_us and memset_us (best of several rounds of
// Decompress, of zlib's uncompress alone on the same frame and of memset
// over the output picture), their ratio x_inflate and x_limit, the decode
// time against the physical limit of inflating the frame and writing its
// picture (goal for key frames: at most 1.25).
// Build without sanitizers for meaningful figures.
#include <benchmark/benchmark.h>

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "QRVCanvas.h"
#include "QRVPicture.h"
#include "QRVScenes.h"
#include "QRVScreenEncoder.h"
#include "ScreenCodecDecoder.h"

namespace {

enum FrameKind { FK_KEY, FK_DELTA, FK_NOISE, FK_UNCHANGED };

struct TestFrame {
    std::vector<uint8_t> frame;      // as stored in the movie
    std::vector<uint8_t> reference;  // the picture the frame applies to
    size_t nStream = 0;              // run-length bytes after inflation
};

uint32_t Hash(uint32_t n)
{
    n ^= n >> 16;
    n *= 0x7FEB352Du;
    n ^= n >> 15;
    n *= 0x846CA68Bu;
    n ^= n >> 16;
    return n;
}

// The writer's desktop scene plus a gradient and a photo-like patch.
void DrawScreen(QRVCanvas& c)
{
    std::unique_ptr<QRVScene> pScene = QRVMakeScene("screen");
    pScene->Render(30, 15, c);
    const int32_t w = c.Width(), h = c.Height();
    // Gradient panel, top right.
    const int32_t gx = w * 70 / 100, gy = h * 5 / 100, gw = w * 25 / 100, gh = h * 25 / 100;
    for (int32_t y = 0; y < gh; ++y)
        for (int32_t x = 0; x < gw; ++x)
            c.Set(gx + x, gy + y,
                  static_cast<uint32_t>(x * 255 / gw) << 16 | static_cast<uint32_t>(y * 255 / gh) << 8 |
                      0x80);
    // Photo-like patch, bottom left: smooth shapes with a little grain.
    const int32_t px = w * 5 / 100, py = h * 70 / 100, pw = w * 20 / 100, ph = h * 22 / 100;
    for (int32_t y = 0; y < ph; ++y) {
        for (int32_t x = 0; x < pw; ++x) {
            const double f = 0.5 + 0.25 * std::sin(x * 0.05) + 0.2 * std::cos(y * 0.07 + x * 0.01);
            const uint32_t nGrain = Hash(static_cast<uint32_t>(y * pw + x)) % 12;
            const uint32_t r = std::min<uint32_t>(255, static_cast<uint32_t>(f * 200) + nGrain);
            const uint32_t g = std::min<uint32_t>(255, static_cast<uint32_t>(f * 150) + nGrain);
            const uint32_t b = std::min<uint32_t>(255, static_cast<uint32_t>((1 - f) * 180) + nGrain);
            c.Set(px + x, py + y, r << 16 | g << 8 | b);
        }
    }
}

// A few more letters typed and the caret moved: a small change.
void TypeALittle(QRVCanvas& c)
{
    const int32_t x = c.Width() * 20 / 100, y = c.Height() * 30 / 100;
    for (int i = 0; i < 7; ++i)
        c.FillRect(x + i * 6, y, 5, 7, 0x333333);
    c.FillRect(x + 44, y - 1, 2, 10, 0x000000);
    c.FillRect(c.Width() - 40, c.Height() - 20, 12, 14, 0x000000);
}

size_t InflatedSize(const std::vector<uint8_t>& frame, size_t nCapacity)
{
    if (frame.size() <= SCD_BARE_LIMIT)
        return frame.size();
    std::vector<uint8_t> out(nCapacity);
    uLongf n = static_cast<uLongf>(nCapacity);
    return uncompress(out.data(), &n, frame.data(), static_cast<uLong>(frame.size())) == Z_OK ? n : 0;
}

const TestFrame& GetFrame(int32_t nWidth, int32_t nHeight, int nBits, FrameKind kind)
{
    static std::map<std::vector<int>, TestFrame> s_cache;
    const std::vector<int> key = {nWidth, nHeight, nBits, kind};
    auto it = s_cache.find(key);
    if (it != s_cache.end())
        return it->second;
    TestFrame& t = s_cache[key];
    QRVCanvas canvas(nWidth, nHeight);
    if (kind == FK_NOISE) {
        for (int32_t y = 0; y < nHeight; ++y)
            for (int32_t x = 0; x < nWidth; ++x)
                canvas.Set(x, y, Hash(static_cast<uint32_t>(y * nWidth + x)) & 0xFFFFFF);
    } else {
        DrawScreen(canvas);
    }
    QRVPicture picture;
    QRVScreenEncoder encoder;
    if (!canvas.ToPicture(picture, nBits) || !encoder.Begin(nWidth, nHeight, nBits) ||
        !encoder.EncodeFrame(picture, true, t.frame)) {
        std::fprintf(stderr, "cannot encode the test picture\n");
        std::exit(1);
    }
    if (kind == FK_DELTA || kind == FK_UNCHANGED) {
        t.reference = picture.Bytes();
        if (kind == FK_DELTA)
            TypeALittle(canvas);
        if (!canvas.ToPicture(picture, nBits) || !encoder.EncodeFrame(picture, false, t.frame)) {
            std::fprintf(stderr, "cannot encode the delta\n");
            std::exit(1);
        }
    }
    t.nStream =
        InflatedSize(t.frame, QRVScreenCodec::InflateBytes(QRVBitmapHeader{
                                  40, nWidth, nHeight, 1, static_cast<uint16_t>(nBits), 0, 0, 0, 0, 0, 0}));
    return t;
}

template <typename F> double BestSeconds(F f, int nRounds)
{
    double fBest = 1e9;
    for (int i = 0; i < nRounds; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        const auto t1 = std::chrono::steady_clock::now();
        fBest = std::min(fBest, std::chrono::duration<double>(t1 - t0).count());
    }
    return fBest;
}

void Decode(benchmark::State& state, int32_t nWidth, int32_t nHeight, int nBits, FrameKind kind)
{
    const TestFrame& t = GetFrame(nWidth, nHeight, nBits, kind);

    QRVBitmapHeader in{40, nWidth, nHeight, 1, static_cast<uint16_t>(nBits), BmhFourCC('q', 'r', 'v', 'c'), 0,
                       0,  0,      0,       0};
    QRVBitmapHeader out = in;
    out.biCompression = BMH_RGB;
    QRVScreenDecoderPtr pDecoder(QRVScreenCodec::Create());
    if (!pDecoder || QRVScreenCodec::Begin(pDecoder.get(), &in, &out) != SCD_OK) {
        state.SkipWithError("format refused");
        return;
    }
    const uint32_t nPicture = QRVScreenCodec::PictureBytes(out);
    std::vector<uint8_t> bits(nPicture, 0);
    if (!t.reference.empty())
        bits = t.reference;
    in.biSizeImage = static_cast<uint32_t>(t.frame.size());
    auto decode = [&]() {
        if (QRVScreenCodec::Decompress(pDecoder.get(), &in, t.frame.data(), &out, bits.data()) != SCD_OK)
            std::abort();
    };
    decode();  // allocates the inflation buffer
    for (auto _ : state) {
        decode();
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * nPicture);
    state.counters["frame_B"] = static_cast<double>(t.frame.size());
    state.counters["stream_B"] = static_cast<double>(t.nStream);
    if (t.frame.size() > SCD_BARE_LIMIT) {
        // Decode against uncompress alone into the same buffer size, best of
        // several rounds each, interleaved so both see the same machine.
        std::vector<uint8_t> inflated(QRVScreenCodec::InflateBytes(out));
        auto inflate = [&]() {
            uLongf n = static_cast<uLongf>(inflated.size());
            if (uncompress(inflated.data(), &n, t.frame.data(), static_cast<uLong>(t.frame.size())) != Z_OK)
                std::abort();
        };
        const int nRepeat = std::max(1, static_cast<int>(2e-3 / std::max(1e-7, BestSeconds(inflate, 3))));
        auto fill = [&]() {
            std::memset(bits.data(), static_cast<int>(bits[0]) ^ 1, bits.size());
            benchmark::ClobberMemory();
        };
        double fDecode = 1e9, fInflate = 1e9, fFill = 1e9;
        for (int nRound = 0; nRound < 7; ++nRound) {
            fFill = std::min(fFill, BestSeconds(
                                        [&] {
                                            for (int i = 0; i < nRepeat; ++i)
                                                fill();
                                        },
                                        1));
            fInflate = std::min(fInflate, BestSeconds(
                                              [&] {
                                                  for (int i = 0; i < nRepeat; ++i)
                                                      inflate();
                                              },
                                              1));
            fDecode = std::min(fDecode, BestSeconds(
                                            [&] {
                                                for (int i = 0; i < nRepeat; ++i)
                                                    decode();
                                            },
                                            1));
        }
        state.counters["inflate_us"] = fInflate / nRepeat * 1e6;
        state.counters["decode_us"] = fDecode / nRepeat * 1e6;
        state.counters["x_inflate"] = fDecode / fInflate;
        state.counters["memset_us"] = fFill / nRepeat * 1e6;
        state.counters["x_limit"] = fDecode / (fInflate + fFill);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const char* const apszKind[] = {"key", "delta", "noise", "unchanged"};
    auto add = [&](FrameKind kind, int32_t nWidth, int32_t nHeight, int nBits) {
        char szName[64];
        std::snprintf(szName, sizeof(szName), "decode/%s/%dx%d/%d", apszKind[kind], nWidth, nHeight, nBits);
        benchmark::RegisterBenchmark(szName, [=](benchmark::State& state) {
            Decode(state, nWidth, nHeight, nBits, kind);
        })->Unit(benchmark::kMicrosecond);
    };
    for (FrameKind kind : {FK_KEY, FK_DELTA, FK_UNCHANGED, FK_NOISE})
        for (int nBits : {32, 24, 16, 8})
            add(kind, 1920, 1080, nBits);
    for (int nBits : {32, 24})
        add(FK_KEY, 1280, 1024, nBits);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
