// Speed of the OpenDML reader on a one-hour movie over 4 GiB: 108000 frames
// at 30 fps (a 11 MiB key frame every 10 s, 24-byte delta frames between)
// and one PCM chunk per second, written sparse into the temporary folder so
// that it costs a few megabytes of disk. Measures Open (walk, two-pass index
// build) and sweeps of ReadDirect and FindKeyFrameDirect calls; prints the
// table size per entry. Build without sanitizers for meaningful figures.
#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "QRVAviFile20.h"
#include "QRVOpenDmlWriter.h"
#include "QRVOutput.h"

namespace {

constexpr uint32_t BM_FRAMES = 108000;
constexpr uint32_t BM_FPS = 30;
constexpr uint32_t BM_KEY_EVERY = 300;
constexpr uint32_t BM_KEY_BYTES = 11u << 20;
constexpr uint32_t BM_DELTA_BYTES = 24;
constexpr uint32_t BM_RATE = 22050;

// The movie, written once for all benchmarks and removed at exit.
class CBenchMovie {
public:
    CBenchMovie()
    {
        const char* pszDir = std::getenv("TMPDIR");
        m_strPath = std::string(pszDir ? pszDir : "/tmp") + "/vistrel_odml_bench_" +
                    std::to_string(getpid()) + ".avi";
        m_bOk = Write();
        if (!m_bOk)
            std::fprintf(stderr, "cannot write %s\n", m_strPath.c_str());
    }
    ~CBenchMovie() { std::remove(m_strPath.c_str()); }
    CBenchMovie(const CBenchMovie&) = delete;
    CBenchMovie& operator=(const CBenchMovie&) = delete;

    const std::string& Path() const { return m_strPath; }
    bool Ok() const { return m_bOk; }
    uint64_t Size() const { return m_nSize; }

private:
    bool Write()
    {
        QRVFileOutput out;
        if (!out.Open(m_strPath))
            return false;
        QRVVideoStreamFormat video;
        video.nWidth = 1920;
        video.nHeight = 1080;
        video.nRate = BM_FPS;
        QRVAudioStreamFormat audio;
        audio.nSamplesPerSec = BM_RATE;
        QRVOpenDmlWriter writer;
        if (!writer.Open(out, video, &audio))
            return false;
        const std::vector<uint8_t> delta(BM_DELTA_BYTES, 0x5A);
        const uint8_t head[8] = {'k', 'e', 'y', 0, 0, 0, 0, 0};
        for (uint32_t f = 0; f < BM_FRAMES; ++f) {
            if (f % BM_FPS == 0 && !writer.WriteAudioSparse(nullptr, 0, BM_RATE * 2))
                return false;
            const bool bOk = f % BM_KEY_EVERY == 0
                                 ? writer.WriteVideoSparse(head, sizeof head, BM_KEY_BYTES, true)
                                 : writer.WriteVideo(delta, false);
            if (!bOk)
                return false;
        }
        m_nSize = writer.FileSize();
        return writer.Close() && out.Finish();
    }

    std::string m_strPath;
    bool m_bOk = false;
    uint64_t m_nSize = 0;
};

CBenchMovie& Movie()
{
    static CBenchMovie s_movie;
    return s_movie;
}

bool OpenMovie(QRVAviFile20& reader, benchmark::State& state)
{
    if (!Movie().Ok() || reader.Open(Movie().Path().c_str()) != ODML_OK) {
        state.SkipWithError("movie not indexed");
        return false;
    }
    return true;
}

void BM_Open(benchmark::State& state)
{
    QRVAviFile20 reader;
    for (auto _ : state) {
        if (!OpenMovie(reader, state))
            return;
    }
    uint64_t nEntries = 0;
    for (uint32_t s = 0; s < reader.StreamCount(); ++s)
        nEntries += reader.Stream(s)->m_nEntries;
    state.counters["file_GiB"] = static_cast<double>(Movie().Size()) / (1u << 30);
    struct stat st {};
    if (stat(Movie().Path().c_str(), &st) == 0)
        state.counters["disk_MiB"] = static_cast<double>(st.st_blocks) * 512 / (1u << 20);
    state.counters["entries"] = static_cast<double>(nEntries);
    state.counters["bytes_per_entry"] = sizeof(QRVAviFile20::IndexEntry);
    state.counters["table_KiB"] = static_cast<double>(nEntries * sizeof(QRVAviFile20::IndexEntry)) / 1024;
}
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond);

// Every frame's size, then every delta frame's bytes.
void BM_ReadDirectVideoSweep(benchmark::State& state)
{
    QRVAviFile20 reader;
    if (!OpenMovie(reader, state))
        return;
    uint8_t buffer[BM_DELTA_BYTES];
    for (auto _ : state) {
        for (int32_t f = 0; f < static_cast<int32_t>(BM_FRAMES); ++f) {
            int32_t nBytes = 0, nSamples = 0;
            reader.ReadDirect(0, f, 1, nullptr, 0, &nBytes, &nSamples);
            if (nBytes == static_cast<int32_t>(BM_DELTA_BYTES))
                reader.ReadDirect(0, f, 1, buffer, sizeof buffer, &nBytes, &nSamples);
            benchmark::DoNotOptimize(nBytes);
        }
    }
    state.SetItemsProcessed(state.iterations() * BM_FRAMES);
}
BENCHMARK(BM_ReadDirectVideoSweep)->Unit(benchmark::kMillisecond);

// 4 KiB sound reads spread over the hour, each from a sample inside a chunk.
void BM_ReadDirectSoundSweep(benchmark::State& state)
{
    QRVAviFile20 reader;
    if (!OpenMovie(reader, state))
        return;
    std::vector<uint8_t> buffer(4096);
    constexpr int32_t nSamples = static_cast<int32_t>(BM_FRAMES / BM_FPS * BM_RATE);
    constexpr int32_t nStep = 7919 * 3;
    for (auto _ : state) {
        int32_t nReads = 0;
        for (int32_t s = 0; s < nSamples; s += nStep, ++nReads) {
            int32_t nBytes = 0, nGot = 0;
            reader.ReadDirect(1, s, 2048, buffer.data(), 4096, &nBytes, &nGot);
            benchmark::DoNotOptimize(nBytes);
        }
        state.counters["reads"] = nReads;
    }
    state.SetItemsProcessed(state.iterations() * (nSamples / nStep + 1));
}
BENCHMARK(BM_ReadDirectSoundSweep)->Unit(benchmark::kMillisecond);

void BM_FindKeyFrameDirectSweep(benchmark::State& state)
{
    QRVAviFile20 reader;
    if (!OpenMovie(reader, state))
        return;
    for (auto _ : state) {
        for (int32_t f = 0; f < static_cast<int32_t>(BM_FRAMES); ++f)
            benchmark::DoNotOptimize(reader.FindKeyFrameDirect(0, f));
    }
    state.SetItemsProcessed(state.iterations() * BM_FRAMES);
}
BENCHMARK(BM_FindKeyFrameDirectSweep)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
