// Writes seed movies for the OpenDML fuzz target into the folder given:
// small OpenDML files with several RIFF chunks, sound, split standard
// indexes, and with and without a legacy index.
#include <cstdio>
#include <string>
#include <vector>

#include "QRVOpenDmlWriter.h"
#include "QRVOutput.h"

namespace {

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
    if (!writer.Close())
        return false;
    std::FILE* pFile = std::fopen(strPath.c_str(), "wb");
    if (pFile == nullptr)
        return false;
    const bool bOk = std::fwrite(out.Bytes().data(), 1, out.Bytes().size(), pFile) == out.Bytes().size();
    return std::fclose(pFile) == 0 && bOk;
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
                     WriteSeed(strDir + "/video.avi", bare, false, 30);
    if (!bOk)
        std::fprintf(stderr, "cannot write the seeds into %s\n", strDir.c_str());
    return bOk ? 0 : 1;
}
