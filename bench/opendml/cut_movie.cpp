#include "cut_movie.h"

#include <cstdio>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "QRVCanvas.h"
#include "QRVOpenDmlWriter.h"
#include "QRVOutput.h"
#include "QRVPicture.h"
#include "QRVScreenEncoder.h"

namespace {

constexpr int32_t CUT_WIDTH = 1920;
constexpr int32_t CUT_HEIGHT = 1080;
constexpr int CUT_BITS = 32;
constexpr uint32_t CUT_FPS = 30;
constexpr uint32_t CUT_KEY_EVERY = 300;
constexpr uint32_t CUT_RATE = 22050;
constexpr uint32_t CUT_SOUND_BYTES = CUT_RATE / CUT_FPS * 2;  // one frame's samples, 16-bit mono

// Where a chunk's data lies, to find the cut and what survives it.
struct ChunkPlace {
    uint64_t nData;
    uint32_t nSize;
    bool bVideo;
};

// Small deterministic generator for the size mix.
uint32_t NextRandom(uint32_t& nState)
{
    nState ^= nState << 13;
    nState ^= nState >> 17;
    nState ^= nState << 5;
    return nState;
}

// A delta of a typed character or a moved pointer, now and then a window
// drawn anew.
uint32_t DeltaBytes(uint32_t& nState)
{
    const uint32_t n = NextRandom(nState);
    if (n % 50 == 0)
        return 6 * 1024 + NextRandom(nState) % (24 * 1024);
    return 200 + NextRandom(nState) % 2300;
}

// A key frame of a busy desktop.
uint32_t KeyBytes(uint32_t& nState)
{
    return (9u << 20) + NextRandom(nState) % (4u << 20);
}

// The deflated key frame of the solid picture and a deflated delta that
// changes nothing (deflated even when short, so that zeros may follow).
bool EncodeHeads(std::vector<uint8_t>& key, std::vector<uint8_t>& delta, std::string& strError)
{
    QRVCanvas canvas(CUT_WIDTH, CUT_HEIGHT);
    canvas.Fill(CUT_MOVIE_COLOR);
    QRVPicture picture;
    QRVScreenEncoder encoder;
    std::vector<uint8_t> stream;
    if (!canvas.ToPicture(picture, CUT_BITS) || !encoder.Begin(CUT_WIDTH, CUT_HEIGHT, CUT_BITS) ||
        !encoder.EncodeFrame(picture, true, key) || !encoder.EncodeStream(picture, false, stream) ||
        !encoder.LastUnchanged()) {
        strError = "cannot encode the pictures: " + encoder.LastError();
        return false;
    }
    if (!QRVScreenEncoder::Deflate(stream.data(), stream.size(), 9, delta) ||
        (delta.size() <= 10 && !QRVScreenEncoder::Deflate(stream.data(), stream.size(), 0, delta))) {
        strError = "cannot deflate the delta";
        return false;
    }
    return true;
}

}  // namespace

bool TruncateFile(const std::string& strPath, uint64_t nLength)
{
#ifdef _WIN32
    const HANDLE hFile = ::CreateFileA(strPath.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(nLength);
    const bool bOk = ::SetFilePointerEx(hFile, at, nullptr, FILE_BEGIN) && ::SetEndOfFile(hFile);
    ::CloseHandle(hFile);
    return bOk;
#else
    return ::truncate(strPath.c_str(), static_cast<off_t>(nLength)) == 0;
#endif
}

bool WriteCutMovie(const std::string& strPath, const CutMovieRecipe& recipe, CutMovieFacts& facts,
                   std::string& strError)
{
    facts = CutMovieFacts();
    facts.nSampleRate = CUT_RATE;
    facts.nFps = CUT_FPS;
    std::vector<uint8_t> key, delta;
    if (!EncodeHeads(key, delta, strError))
        return false;

    QRVFileOutput out;
    if (!out.Open(strPath)) {
        strError = "cannot create " + strPath;
        return false;
    }
    QRVVideoStreamFormat video;
    video.nWidth = CUT_WIDTH;
    video.nHeight = CUT_HEIGHT;
    video.nBitCount = CUT_BITS;
    video.nRate = CUT_FPS;
    QRVAudioStreamFormat audio;
    audio.nSamplesPerSec = CUT_RATE;
    QRVOpenDmlOptions options;
    options.bLegacyIndex = false;
    options.bSuperIndex = recipe.bSuperIndex;
    QRVOpenDmlWriter writer;
    if (!writer.Open(out, video, &audio, options)) {
        strError = writer.LastError();
        return false;
    }

    std::vector<ChunkPlace> chunks;
    chunks.reserve(static_cast<size_t>(recipe.nFrames) * 2);
    uint32_t nRiffs = writer.RiffChunks();
    // The chunk just written ends the file so far; a new RIFF segment, when
    // one was started for it, lies right before its head.
    auto note = [&](uint32_t nSize, bool bVideo) {
        const uint64_t nData = writer.FileSize() - (nSize & 1u) - nSize;
        chunks.push_back({nData, nSize, bVideo});
        if (writer.RiffChunks() != nRiffs) {
            nRiffs = writer.RiffChunks();
            facts.nLastRiff = nData - 8 - 24;  // "RIFF" head and "movi" list head
        }
    };
    uint32_t nState = 0x9E3779B9u;
    for (uint32_t f = 0; f < recipe.nFrames; ++f) {
        if (!writer.WriteAudioSparse(nullptr, 0, CUT_SOUND_BYTES)) {
            strError = writer.LastError();
            return false;
        }
        note(CUT_SOUND_BYTES, false);
        const bool bKey = f % CUT_KEY_EVERY == 0;
        const std::vector<uint8_t>& head = bKey ? key : delta;
        const uint32_t nSize = bKey ? KeyBytes(nState) : DeltaBytes(nState);
        if (!writer.WriteVideoSparse(head.data(), static_cast<uint32_t>(head.size()), nSize, bKey)) {
            strError = writer.LastError();
            return false;
        }
        note(nSize, true);
        facts.nKeyFrames += bKey ? 1 : 0;
    }
    facts.nWritten = writer.FileSize();
    facts.nRiffs = writer.RiffChunks();
    facts.nFrames = writer.VideoFrames();
    if (!writer.Close() || !out.Finish()) {
        strError = "cannot finish " + strPath + ": " + writer.LastError();
        return false;
    }

    // The cut: the middle of the chunk that holds the middle of the last
    // RIFF segment (or of the first chunk after that point).
    const uint64_t nMiddle = facts.nLastRiff + (facts.nWritten - facts.nLastRiff) / 2;
    size_t nCut = 0;
    while (nCut < chunks.size() && chunks[nCut].nData + chunks[nCut].nSize <= nMiddle)
        ++nCut;
    if (nCut == chunks.size()) {
        strError = "no chunk to cut in the last RIFF segment";
        return false;
    }
    facts.nCutAt = chunks[nCut].nData + chunks[nCut].nSize / 2;
    facts.bCutInPicture = chunks[nCut].bVideo;
    if (recipe.bCut && !TruncateFile(strPath, facts.nCutAt)) {
        strError = "cannot cut " + strPath;
        return false;
    }
    for (size_t i = 0; i < nCut; ++i) {
        if (chunks[i].bVideo)
            ++facts.nFramesKept;
        else
            facts.nSamplesKept += chunks[i].nSize / 2;
    }
    if (!chunks[nCut].bVideo)
        facts.nSamplesKept += (facts.nCutAt - chunks[nCut].nData) / 2;  // whole samples of a cut sound chunk
    return true;
}
