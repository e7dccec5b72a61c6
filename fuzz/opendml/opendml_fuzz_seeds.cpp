// Writes seed movies for the OpenDML fuzz target into the folder given:
// small OpenDML files with several RIFF chunks, sound, split standard
// indexes, and with and without a legacy index; small classic files whole,
// without their index, cut, as a recorder leaves them when it is killed,
// and 8-bit with a palette change.
#include <cstdio>
#include <string>
#include <vector>

#include "QRVAviWriter.h"
#include "QRVOpenDmlWriter.h"
#include "QRVOutput.h"

namespace {

bool WriteFile(const std::string& strPath, const std::vector<uint8_t>& bytes)
{
    std::FILE* pFile = std::fopen(strPath.c_str(), "wb");
    if (pFile == nullptr)
        return false;
    const bool bOk = std::fwrite(bytes.data(), 1, bytes.size(), pFile) == bytes.size();
    return std::fclose(pFile) == 0 && bOk;
}

bool WriteSeed(const std::string& strPath, const QRVOpenDmlOptions& options, bool bAudio, uint32_t nFrames)
{
    QRVMemoryOutput out;
    QRVVideoStreamFormat video;
    video.nWidth = 16;
    video.nHeight = 16;
    QRVAudioStreamFormat audio;
    QRVOpenDmlWriter writer;
    if (!writer.Open(out, video, bAudio ? &audio : nullptr, options))
        return false;
    for (uint32_t i = 0; i < nFrames; ++i) {
        if (bAudio && !writer.WriteAudio(std::vector<uint8_t>(2 * (20 + i % 5), static_cast<uint8_t>(i))))
            return false;
        if (!writer.WriteVideo(std::vector<uint8_t>(1 + i % 9, static_cast<uint8_t>(i * 7)), i % 4 == 0))
            return false;
    }
    return writer.Close() && WriteFile(strPath, out.Bytes());
}

// How a classic seed is left.
enum ClassicEnd { CLASSIC_WHOLE, CLASSIC_NO_INDEX, CLASSIC_CUT, CLASSIC_KILLED };

bool WriteClassicSeed(const std::string& strPath, ClassicEnd eEnd, int nBitCount)
{
    QRVMemoryOutput out;
    QRVVideoStreamFormat video;
    video.nWidth = 16;
    video.nHeight = 16;
    video.nBitCount = nBitCount;
    if (nBitCount == 8) {
        video.nCompression = 0;
        video.palette.assign(16, 0x00102030u);
    }
    QRVAudioStreamFormat audio;
    QRVAviWriter writer;
    if (!writer.Open(out, video, nBitCount == 8 ? nullptr : &audio))
        return false;
    uint32_t nChunks = 0;
    for (uint32_t i = 0; i < 12; ++i, ++nChunks) {
        if (nBitCount == 8 && i == 5) {
            if (!writer.WritePaletteChange(2, {0x00FF0000u, 0x0000FF00u, 0x000000FFu}))
                return false;
            ++nChunks;
        }
        if (nBitCount != 8) {
            if (!writer.WriteAudio(std::vector<uint8_t>(2 * (10 + i % 3), static_cast<uint8_t>(i))))
                return false;
            ++nChunks;
        }
        if (!writer.WriteVideo(std::vector<uint8_t>(1 + i % 7, static_cast<uint8_t>(i * 5)), i % 4 == 0))
            return false;
    }
    // Killed: the file as it is before Close, with the sizes and counts of
    // its start and no legacy index.
    if (eEnd != CLASSIC_KILLED && !writer.Close())
        return false;
    std::vector<uint8_t> bytes = out.Bytes();
    if (eEnd == CLASSIC_NO_INDEX)
        bytes.resize(bytes.size() - 8 - 16 * nChunks);
    else if (eEnd == CLASSIC_CUT)
        bytes.resize(bytes.size() / 2 + 3);
    return WriteFile(strPath, bytes);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string strDir = argv[1];
    QRVOpenDmlOptions small;
    small.nRiffLimit = 4096;
    small.nSuperIndexSlots = 64;
    small.nStdIndexEntries = 3;
    QRVOpenDmlOptions plain;
    plain.nSuperIndexSlots = 2;
    QRVOpenDmlOptions bare = small;
    bare.bLegacyIndex = false;
    bare.nOddJunk = 3;
    const bool bOk = WriteSeed(strDir + "/riffs.avi", small, true, 40) &&
                     WriteSeed(strDir + "/plain.avi", plain, true, 6) &&
                     WriteSeed(strDir + "/video.avi", bare, false, 30) &&
                     WriteClassicSeed(strDir + "/classic.avi", CLASSIC_WHOLE, 24) &&
                     WriteClassicSeed(strDir + "/classic-noidx1.avi", CLASSIC_NO_INDEX, 24) &&
                     WriteClassicSeed(strDir + "/classic-cut.avi", CLASSIC_CUT, 24) &&
                     WriteClassicSeed(strDir + "/classic-killed.avi", CLASSIC_KILLED, 24) &&
                     WriteClassicSeed(strDir + "/classic-palette.avi", CLASSIC_WHOLE, 8);
    if (!bOk)
        std::fprintf(stderr, "cannot write the seeds into %s\n", strDir.c_str());
    return bOk ? 0 : 1;
}
