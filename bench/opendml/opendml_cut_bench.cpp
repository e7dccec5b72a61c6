// Opening a cut recording: a one-hour OpenDML screen recording of 4 GiB
// (see cut_movie.h) without "idx1" nor super index, cut in the middle of a
// chunk of its last RIFF segment, opened with the reader's lenient
// OpenMovie, which rebuilds the index by walking the "movi" data. Prints the
// open time with a warm cache (one open before the timed ones), where the
// index came from, what was found, and the memory of the index beside that
// of the same movie intact (with its super index, opened strictly and
// leniently). Figures only; nothing is asserted.
//   opendml_cut_bench [RUNS]      (timed opens per file, default 5)
// The movies are written sparse into TMPDIR (default /tmp) and removed.
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "QRVAviFile20.h"
#include "cut_movie.h"

// ---- heap bytes in use, and their peak, for the memory of an open ----

namespace {

size_t g_nHeap = 0;
size_t g_nHeapPeak = 0;

void* CountedAlloc(size_t nSize) noexcept
{
    void* p = std::malloc(nSize != 0 ? nSize : 1);
    if (p != nullptr) {
        g_nHeap += malloc_usable_size(p);
        g_nHeapPeak = std::max(g_nHeapPeak, g_nHeap);
    }
    return p;
}

void CountedFree(void* p) noexcept
{
    if (p != nullptr) {
        g_nHeap -= malloc_usable_size(p);
        std::free(p);
    }
}

}  // namespace

void* operator new(size_t nSize)
{
    if (void* p = CountedAlloc(nSize))
        return p;
    throw std::bad_alloc();
}
void* operator new[](size_t nSize)
{
    if (void* p = CountedAlloc(nSize))
        return p;
    throw std::bad_alloc();
}
void* operator new(size_t nSize, const std::nothrow_t&) noexcept
{
    return CountedAlloc(nSize);
}
void* operator new[](size_t nSize, const std::nothrow_t&) noexcept
{
    return CountedAlloc(nSize);
}
void operator delete(void* p) noexcept
{
    CountedFree(p);
}
void operator delete[](void* p) noexcept
{
    CountedFree(p);
}
void operator delete(void* p, size_t) noexcept
{
    CountedFree(p);
}
void operator delete[](void* p, size_t) noexcept
{
    CountedFree(p);
}

namespace {

// The reader, counting its reads of the file: under Wine every read is a
// system call of some tens of microseconds, so their number tells there
// what the time here does not.
class CCountingReader : public QRVAviFile20 {
public:
    int32_t ReadAt(void* pBuffer, uint64_t nCount, uint64_t nOffset) override
    {
        ++m_nReads;
        m_nBytes += nCount;
        return QRVAviFile20::ReadAt(pBuffer, nCount, nOffset);
    }
    uint64_t m_nReads = 0;
    uint64_t m_nBytes = 0;
};

struct OpenFigures {
    bool bOk = false;
    std::vector<double> times;  // ms of each timed open
    QRVAviFile20::IndexSource nSource = QRVAviFile20::ODML_SOURCE_NONE;
    uint64_t nFrames = 0;
    uint64_t nKeyFrames = 0;
    uint64_t nSamples = 0;
    uint64_t nEntries = 0;
    uint64_t nTableBytes = 0;  // entries x sizeof(IndexEntry), all streams
    size_t nPeak = 0;          // heap peak during the open, above what was in use before
    size_t nHeld = 0;          // heap the open reader keeps
    uint64_t nReads = 0;       // reads of the file, and their bytes
    uint64_t nReadBytes = 0;

    double Min() const { return times.empty() ? 0 : *std::min_element(times.begin(), times.end()); }
    double Median() const
    {
        std::vector<double> sorted = times;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0 : sorted[sorted.size() / 2];
    }
};

const char* SourceName(QRVAviFile20::IndexSource nSource)
{
    switch (nSource) {
    case QRVAviFile20::ODML_SOURCE_SUPER_INDEX:
        return "super index";
    case QRVAviFile20::ODML_SOURCE_IDX1:
        return "idx1";
    case QRVAviFile20::ODML_SOURCE_WALK:
        return "walk of movi";
    default:
        return "none";
    }
}

// One open (OpenMovie, or the strict Open) to warm the cache, then nRuns
// timed ones, each with a reader of its own.
OpenFigures MeasureOpen(const std::string& strPath, bool bStrict, int nRuns)
{
    OpenFigures figures;
    for (int nRun = -1; nRun < nRuns; ++nRun) {
        CCountingReader reader;
        const size_t nBefore = g_nHeap;
        g_nHeapPeak = g_nHeap;
        const auto t0 = std::chrono::steady_clock::now();
        const int32_t nResult = bStrict ? reader.Open(strPath.c_str()) : reader.OpenMovie(strPath.c_str());
        const auto t1 = std::chrono::steady_clock::now();
        if (nResult != ODML_OK)
            return figures;
        if (nRun < 0)
            continue;
        figures.times.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        figures.nPeak = g_nHeapPeak - nBefore;
        figures.nHeld = g_nHeap - nBefore;
        figures.nSource = reader.GetIndexSource();
        figures.nReads = reader.m_nReads;
        figures.nReadBytes = reader.m_nBytes;
        figures.nEntries = figures.nTableBytes = figures.nFrames = figures.nKeyFrames = figures.nSamples = 0;
        for (uint32_t s = 0; s < reader.StreamCount(); ++s) {
            const QRVAviFile20::StreamRecord* pRecord = reader.Stream(s);
            figures.nEntries += pRecord->m_nEntries;
            figures.nTableBytes += uint64_t{pRecord->m_nEntries} * sizeof(QRVAviFile20::IndexEntry);
        }
        if (!reader.VideoStreams().empty()) {
            const QRVAviFile20::StreamRecord* pVideo =
                reader.Stream(static_cast<uint32_t>(reader.VideoStreams()[0]));
            figures.nFrames = pVideo->m_nEntries;
            for (uint32_t e = 0; e < pVideo->m_nEntries; ++e)
                figures.nKeyFrames += (pVideo->m_pEntries[e].nSize & QRVOpenDml::ODML_NOT_KEY_FRAME) == 0;
        }
        if (!reader.AudioStreams().empty()) {
            const QRVAviFile20::StreamRecord* pAudio =
                reader.Stream(static_cast<uint32_t>(reader.AudioStreams()[0]));
            uint64_t nBytes = 0;
            for (uint32_t e = 0; e < pAudio->m_nEntries; ++e)
                nBytes += pAudio->m_pEntries[e].nSize & QRVOpenDml::ODML_SIZE_MASK;
            figures.nSamples =
                pAudio->m_nSampleSize != 0 ? nBytes / pAudio->m_nSampleSize : pAudio->m_nEntries;
        }
    }
    figures.bOk = true;
    return figures;
}

double GiB(uint64_t n)
{
    return static_cast<double>(n) / (1u << 30);
}
double MiB(uint64_t n)
{
    return static_cast<double>(n) / (1u << 20);
}

double DiskMiB(const std::string& strPath)
{
    struct stat st {};
    return stat(strPath.c_str(), &st) == 0 ? static_cast<double>(st.st_blocks) * 512 / (1u << 20) : 0;
}

void PrintOpen(const char* pszWhat, bool bStrict, const OpenFigures& f, const CutMovieFacts& facts)
{
    if (!f.bOk) {
        std::printf("%-34s did not open\n", pszWhat);
        return;
    }
    // The strict open reads the super indexes only and names no source.
    std::printf("%-34s %7.1f ms (median %7.1f ms of %zu)  index from: %s\n", pszWhat, f.Min(), f.Median(),
                f.times.size(), bStrict ? "super index" : SourceName(f.nSource));
    std::printf(
        "%-34s frames %llu (%llu key), sound %llu samples = %.2f s; %llu reads of the file, %.1f MiB\n", "",
        static_cast<unsigned long long>(f.nFrames), static_cast<unsigned long long>(f.nKeyFrames),
        static_cast<unsigned long long>(f.nSamples), static_cast<double>(f.nSamples) / facts.nSampleRate,
        static_cast<unsigned long long>(f.nReads), MiB(f.nReadBytes));
    std::printf(
        "%-34s index %llu entries x %zu B = %.2f MiB; heap kept %.2f MiB, peak during the open %.2f MiB\n",
        "", static_cast<unsigned long long>(f.nEntries), sizeof(QRVAviFile20::IndexEntry), MiB(f.nTableBytes),
        MiB(f.nHeld), MiB(f.nPeak));
}

int Fail(const std::string& strWhat)
{
    std::fprintf(stderr, "opendml_cut_bench: %s\n", strWhat.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const int nRuns = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const char* pszDir = std::getenv("TMPDIR");
    const std::string strBase =
        std::string(pszDir ? pszDir : "/tmp") + "/vistrel_cut_bench_" + std::to_string(getpid());
    const std::string strCut = strBase + "_cut.avi";
    const std::string strIntact = strBase + "_intact.avi";

    // The recording as its program left it: no super index, no "idx1".
    CutMovieRecipe recipe;
    recipe.bCut = false;
    CutMovieFacts facts;
    std::string strError;
    auto t0 = std::chrono::steady_clock::now();
    if (!WriteCutMovie(strCut, recipe, facts, strError)) {
        std::remove(strCut.c_str());
        return Fail(strError);
    }
    const double fWriteSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf(
        "movie: 1920x1080 32-bit qrvc, %u fps, %u frames (%u key frames), PCM %u Hz 16-bit mono, one sound "
        "chunk per frame\n",
        facts.nFps, facts.nFrames, facts.nKeyFrames, facts.nSampleRate);
    std::printf(
        "written without idx1 nor super index in %.1f s: %.3f GiB in %u RIFF segments (last at %.3f GiB), "
        "%.0f MiB on disk\n",
        fWriteSeconds, GiB(facts.nWritten), facts.nRiffs, GiB(facts.nLastRiff), DiskMiB(strCut));
    const OpenFigures whole = MeasureOpen(strCut, false, nRuns);

    if (!TruncateFile(strCut, facts.nCutAt)) {
        std::remove(strCut.c_str());
        return Fail("cannot cut " + strCut);
    }
    std::printf(
        "cut at %.3f GiB, in the middle of a %s chunk of the last RIFF segment: %u whole frames and %llu "
        "sound samples (%.2f s) lie before it; %.0f MiB on disk\n",
        GiB(facts.nCutAt), facts.bCutInPicture ? "picture" : "sound", facts.nFramesKept,
        static_cast<unsigned long long>(facts.nSamplesKept),
        static_cast<double>(facts.nSamplesKept) / facts.nSampleRate, DiskMiB(strCut));
    const OpenFigures cut = MeasureOpen(strCut, false, nRuns);
    std::remove(strCut.c_str());

    // The same recording intact, as its program would have finished it.
    recipe.bSuperIndex = true;
    CutMovieFacts intactFacts;
    if (!WriteCutMovie(strIntact, recipe, intactFacts, strError)) {
        std::remove(strIntact.c_str());
        return Fail(strError);
    }
    const OpenFigures intactStrict = MeasureOpen(strIntact, true, nRuns);
    const OpenFigures intactMovie = MeasureOpen(strIntact, false, nRuns);
    std::remove(strIntact.c_str());

    double fLoad = 0;
    if (std::FILE* pLoad = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(pLoad, "%lf", &fLoad) != 1)
            fLoad = 0;
        std::fclose(pLoad);
    }
    std::printf("\nopen times with a warm cache (min, median of %d; %ld cores, load average %.2f):\n", nRuns,
                sysconf(_SC_NPROCESSORS_ONLN), fLoad);
    PrintOpen("cut, OpenMovie:", false, cut, facts);
    PrintOpen("whole, no indexes, OpenMovie:", false, whole, facts);
    PrintOpen("intact (super index), Open:", true, intactStrict, facts);
    PrintOpen("intact (super index), OpenMovie:", false, intactMovie, facts);
    if (cut.bOk && intactStrict.bOk) {
        std::printf("\ncut vs intact: index %.2f MiB vs %.2f MiB (%.3f times, %.2f%% of the frames kept); "
                    "per frame kept %.1f B vs %.1f B\n",
                    MiB(cut.nTableBytes), MiB(intactStrict.nTableBytes),
                    static_cast<double>(cut.nTableBytes) / intactStrict.nTableBytes,
                    100.0 * cut.nFrames / intactFacts.nFrames,
                    cut.nFrames ? static_cast<double>(cut.nTableBytes) / cut.nFrames : 0.0,
                    static_cast<double>(intactStrict.nTableBytes) / intactFacts.nFrames);
        std::printf(
            "goals: OpenMovie of the cut movie under 1 s (%s); its index no larger than the intact one's "
            "(%s)\n",
            cut.Min() < 1000 ? "met" : "NOT met",
            cut.nTableBytes <= intactStrict.nTableBytes ? "met" : "NOT met");
    }
    return 0;
}
