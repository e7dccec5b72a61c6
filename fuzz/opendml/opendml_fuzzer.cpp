// libFuzzer target: arbitrary file contents through the OpenDML reader's
// walk, index building, sample reads and key-frame searches, once by the
// strict open and once by the lenient open of any movie (with its stream
// formats and palette changes). The input is written to a file (the reader
// reads files); the large-file rule is lifted so that small inputs reach the
// strict walk. Read buffers are heap blocks of exactly their size, so the
// sanitizer sees any write outside them, and the reported counts are
// checked against what was asked.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "QRVAviFile20.h"

namespace {

class CFuzzReader : public QRVAviFile20 {
public:
    bool IsLargeFileOnly() const override { return false; }
};

void Require(bool b)
{
    if (!b)
        std::abort();
}

const std::string& InputPath()
{
    static const std::string s_path = [] {
        const char* pszDir = std::getenv("TMPDIR");
        return std::string(pszDir ? pszDir : "/tmp") + "/vistrel_odml_fuzz_" + std::to_string(getpid()) +
               ".avi";
    }();
    return s_path;
}

// A read of count samples into a buffer of exactly nBuffer bytes (none
// when nBuffer is 0).
void ReadChecked(QRVAviFile20& reader, uint32_t nStream, int32_t nFirst, int32_t nCount, int32_t nBuffer)
{
    std::unique_ptr<uint8_t[]> pBuffer(nBuffer > 0 ? new uint8_t[nBuffer] : nullptr);
    int32_t nBytes = -1, nSamples = -1;
    const int32_t nResult =
        reader.ReadDirect(nStream, nFirst, nCount, pBuffer.get(), nBuffer, &nBytes, &nSamples);
    Require(nBytes >= 0 && nSamples >= 0);
    Require(nResult == ODML_OK ? nSamples > 0 : nResult == ODML_FAIL || nResult < 0);
    if (pBuffer)
        Require(nBytes <= nBuffer);
    if (nCount >= 0)
        Require(nSamples <= nCount);
}

// Reads of every stream and key-frame searches, steered by nSteer.
void ReadStreams(QRVAviFile20& reader, uint8_t nSteer)
{
    for (uint32_t s = 0; s < reader.StreamCount() && s < 4; ++s) {
        const QRVAviFile20::StreamRecord* pRecord = reader.Stream(s);
        Require(pRecord != nullptr);
        Require(pRecord->m_nEntries == 0 || pRecord->m_pEntries != nullptr);
        const int32_t nEntries = static_cast<int32_t>(std::min<uint32_t>(pRecord->m_nEntries, INT32_MAX));
        ReadChecked(reader, s, 0, 1, 0);
        ReadChecked(reader, s, nSteer, 3, 4096);
        ReadChecked(reader, s, nEntries > 0 ? nEntries - 1 : 0, 2, 1 + nSteer);
        ReadChecked(reader, s, nSteer % 7, -1, 65536);
        ReadChecked(reader, s, INT32_MAX, INT32_MAX, 64);
    }
    for (uint32_t v = 0; v <= reader.VideoStreams().size(); ++v) {
        for (int32_t nFrame : {0, 1, static_cast<int32_t>(nSteer), INT32_MAX, -5}) {
            const int32_t nKey = reader.FindKeyFrameDirect(v, nFrame);
            Require(nKey <= nFrame || nKey == -1);
        }
    }
}

// What only the lenient open has: lengths from the chunks found, stream
// formats with palette changes applied.
void ReadMovieFormats(QRVAviFile20& reader, uint8_t nSteer)
{
    Require(reader.GetIndexSource() != QRVAviFile20::ODML_SOURCE_NONE);
    for (uint32_t s = 0; s < reader.StreamCount(); ++s) {
        const QRVAviFile20::StreamRecord* pRecord = reader.Stream(s);
        Require(pRecord->m_nLength <= INT32_MAX);
        if (pRecord->m_bHeader && pRecord->m_nSampleSize == 0)
            Require(pRecord->m_nLength == std::min<uint32_t>(pRecord->m_nEntries, INT32_MAX));
    }
    const std::vector<int32_t>& videos = reader.VideoStreams();
    for (uint32_t v = 0; v <= videos.size(); ++v) {
        for (int32_t nFrame : {0, 1, static_cast<int32_t>(nSteer), INT32_MAX, -5}) {
            const int32_t nChange = reader.FindFormatChange(v, nFrame);
            Require(nChange == -1 || (nChange >= 0 && nChange <= nFrame));
            std::vector<uint8_t> format;
            if (reader.ReadFormatAt(v, nFrame, format)) {
                Require(v < videos.size() && nFrame >= 0);
                Require(format.size() == reader.Stream(static_cast<uint32_t>(videos[v]))->m_format.size());
            } else {
                Require(format.empty());
            }
        }
    }
    reader.IsScreenMovie();
}

// Removes the input file when the run ends.
struct CInputFile {
    ~CInputFile() { std::remove(InputPath().c_str()); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    CInputFile input;
    std::FILE* pFile = std::fopen(InputPath().c_str(), "wb");
    if (pFile == nullptr)
        return 0;
    const bool bWritten = std::fwrite(pData, 1, nSize, pFile) == nSize;
    std::fclose(pFile);
    if (!bWritten)
        return 0;
    // Requests steered by the last byte of the input.
    const uint8_t nSteer = nSize > 0 ? pData[nSize - 1] : 0;

    CFuzzReader reader;
    const int32_t nResult = reader.Open(InputPath().c_str());
    Require(nResult == ODML_OK || nResult < 0);
    Require(reader.IsIndexed() == (nResult == ODML_OK));
    if (reader.IsIndexed())
        ReadStreams(reader, nSteer);
    reader.Reset();

    QRVAviFile20 movie;
    const int32_t nMovie = movie.OpenMovie(InputPath().c_str());
    Require(nMovie == ODML_OK || nMovie == ODML_FAIL);
    Require(movie.IsIndexed() == (nMovie == ODML_OK));
    Require(movie.IsMovieMode() == (nMovie == ODML_OK));
    if (!movie.IsIndexed()) {
        Require(movie.StreamCount() == 0 && !movie.IsScreenMovie());
        return 0;
    }
    ReadStreams(movie, nSteer);
    ReadMovieFormats(movie, nSteer);
    movie.Reset();
    return 0;
}
