// Writes the seed corpus of the decoder's fuzz target into a folder: short
// movies from the test-movie writer's scenes at every depth (key frames and
// deltas), hand-made record streams, and a few refused formats.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "QRVCanvas.h"
#include "QRVOutput.h"
#include "QRVPicture.h"
#include "QRVRleWriter.h"
#include "QRVScenes.h"
#include "QRVScreenEncoder.h"
#include "ScreenCodecFuzzInput.h"

namespace {

using namespace QRVFuzzInput;

uint8_t BitsSelector(int nBits)
{
    return static_cast<uint8_t>(nBits / 8 - 1);
}

bool WriteSeed(const std::string& strDir, int& nIndex, const std::vector<uint8_t>& bytes)
{
    char szName[32];
    std::snprintf(szName, sizeof(szName), "/seed-%03d", nIndex++);
    QRVFileOutput file;
    return file.Open(strDir + szName) && file.Write(bytes.data(), bytes.size()) && file.Finish();
}

// A few frames of a scene, the first a key frame.
bool SceneSeed(const char* pszScene, int32_t nWidth, int32_t nHeight, int nBits, uint32_t nFrames,
               std::vector<uint8_t>& seed)
{
    std::unique_ptr<QRVScene> pScene = QRVMakeScene(pszScene);
    QRVScreenEncoder encoder;
    if (!pScene || !encoder.Begin(nWidth, nHeight, nBits))
        return false;
    seed.clear();
    PutFormat(seed, static_cast<int16_t>(nWidth), static_cast<int16_t>(nHeight), BitsSelector(nBits));
    QRVCanvas canvas(nWidth, nHeight);
    for (uint32_t nFrame = 0; nFrame < nFrames; ++nFrame) {
        pScene->Render(nFrame * 3, 15, canvas);
        QRVPicture picture;
        std::vector<uint8_t> frame;
        if (!canvas.ToPicture(picture, nBits) || !encoder.EncodeFrame(picture, nFrame == 0, frame))
            return false;
        PutFrame(seed, frame);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string strDir = argv[1];
    int nIndex = 0;
    bool bOk = true;
    std::vector<uint8_t> seed;

    for (int nBits : {8, 16, 24, 32}) {
        for (const char* pszScene : {"screen", "bars", "noise"}) {
            bOk = bOk && SceneSeed(pszScene, 48, 20, nBits, 4, seed) && WriteSeed(strDir, nIndex, seed);
        }
        bOk = bOk && SceneSeed("screen", 33, 7, nBits, 2, seed) && WriteSeed(strDir, nIndex, seed);

        // Every record kind by hand, bare and deflated, then Begin and End.
        QRVRleWriter w(nBits);
        const uint8_t pixels[4 * 5] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
        w.Run(3, 0x11223344);
        w.Literal(pixels, 5);
        w.EndOfLine();
        w.Delta(2, 1);
        w.Run(1, 0x55667788);
        w.EndOfLine();
        w.EndOfPicture();
        seed.clear();
        PutFormat(seed, 9, 4, BitsSelector(nBits), FZI_FCC_QRVC, 0, 0x5A);
        PutFrame(seed, QRVScreenEncoder::Pack(w.Bytes()));
        PutFrame(seed, {0x00, 0x01});
        PutFrame(seed, {0x02, 0x07, 0x00, 0x00, 0x01, 0x09}, FZI_OP_BEGIN);
        PutFrame(seed, {}, FZI_OP_END);
        PutFrame(seed, {0x00, 0x02, 0x01, 0x01, 0x01, 0x09, 0x00, 0x01});
        bOk = bOk && WriteSeed(strDir, nIndex, seed);
    }

    // The worked 8-bit examples, and formats the check refuses.
    seed.clear();
    PutFormat(seed, 4, 2, FZI_BITS_8);
    PutFrame(seed, {0x04, 0x05, 0x00, 0x00, 0x02, 0x07, 0x00, 0x01});
    PutFrame(seed, {0x00, 0x02, 0x01, 0x01, 0x01, 0x09, 0x00, 0x01});
    bOk = bOk && WriteSeed(strDir, nIndex, seed);
    const struct {
        int16_t nWidth, nHeight;
        uint8_t nBits, nFcc, nTweaks;
    } refused[] = {
        {4, 2, FZI_BITS_RAW + 4, FZI_FCC_QRVC, 0},        {4, 2, FZI_BITS_24, FZI_FCC_UPPER, 0},
        {4, 2, FZI_BITS_24, FZI_FCC_QRVC, FZI_OUT_WIDER}, {4, 2, FZI_BITS_24, FZI_FCC_QRVC, FZI_TOP_DOWN},
        {16384, 1, FZI_BITS_32, FZI_FCC_QRVC, 0},         {4, 2, FZI_BITS_RAW + 12, FZI_FCC_QRVC, 0},
    };
    for (const auto& r : refused) {
        seed.clear();
        PutFormat(seed, r.nWidth, r.nHeight, r.nBits, r.nFcc, r.nTweaks);
        PutFrame(seed, {0x04, 0x05, 0x00, 0x01});
        bOk = bOk && WriteSeed(strDir, nIndex, seed);
    }
    if (!bOk) {
        std::fprintf(stderr, "could not write the seeds into %s\n", strDir.c_str());
        return 1;
    }
    std::printf("%d seeds in %s\n", nIndex, strDir.c_str());
    return 0;
}
