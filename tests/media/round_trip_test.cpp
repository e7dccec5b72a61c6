// Pictures encoded by the test-movie writer's encoder come back exactly:
// random and screen-like pictures at every depth and in odd sizes, key
// frames and deltas decoded one after the other into the same bitmap.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "DecoderRig.h"
#include "QRVCanvas.h"
#include "QRVPicture.h"
#include "QRVRleWriter.h"
#include "QRVScenes.h"
#include "QRVScreenEncoder.h"
#include "ScreenCodecDecoder.h"

namespace {

const int s_depths[] = {8, 16, 24, 32};

uint32_t Next(uint32_t& nState)
{
    nState = nState * 1664525u + 1013904223u;
    return nState;
}

// Picture contents: noise, screen-like (flat areas, stripes, a noisy patch),
// and a few changed pixels on top of the previous picture.
enum PictureKind { PK_NOISE, PK_SCREEN, PK_TOUCH };

void Paint(QRVPicture& p, PictureKind kind, uint32_t nSeed)
{
    uint32_t nState = nSeed;
    const uint32_t nMask = p.BytesPerPixel() >= 4 ? 0xFFFFFFFFu : (1u << (8 * p.BytesPerPixel())) - 1;
    if (kind == PK_TOUCH) {
        for (int i = 0; i < 5; ++i) {
            const int32_t x = static_cast<int32_t>(Next(nState) % static_cast<uint32_t>(p.Width()));
            const int32_t y = static_cast<int32_t>(Next(nState) % static_cast<uint32_t>(p.Height()));
            p.SetPixel(x, y, (p.Pixel(x, y) + 1 + Next(nState) % 7) & nMask);
        }
        return;
    }
    for (int32_t y = 0; y < p.Height(); ++y) {
        for (int32_t x = 0; x < p.Width(); ++x) {
            uint32_t v = Next(nState) >> 4;
            if (kind == PK_SCREEN) {
                if (y % 11 == 3 && x % 9 < 6)
                    v = 0x00112233u * static_cast<uint32_t>(1 + x % 3);  // "text"
                else if (x < p.Width() / 2)
                    v = 0x00C0C0C0u;  // flat
                else if (y < p.Height() / 2)
                    v = static_cast<uint32_t>(x * 3 + y);  // gradient
            }
            p.SetPixel(x, y, v & nMask);
        }
    }
}

struct Geometry {
    int32_t nWidth, nHeight;
};

}  // namespace

TEST(ScreenCodecRoundTrip, KeyAndDeltaFramesOfSyntheticPictures)
{
    // Narrower noisy pictures exceed the stream limit of 2 bytes per pixel
    // byte at 8 bits, so the encoder refuses them.
    const Geometry geometries[] = {{7, 1}, {8, 3}, {9, 2}, {13, 13}, {17, 9}, {64, 48}, {257, 3}, {300, 21}};
    // Frame sequence: kind and whether it is asked for as a key frame.
    const struct {
        PictureKind kind;
        bool bKey;
    } frames[] = {{PK_NOISE, true},  {PK_TOUCH, false}, {PK_SCREEN, false}, {PK_TOUCH, false},
                  {PK_TOUCH, false}, {PK_SCREEN, true}, {PK_NOISE, false},  {PK_TOUCH, false}};
    for (int nBits : s_depths) {
        for (const Geometry& g : geometries) {
            SCOPED_TRACE(testing::Message() << g.nWidth << "x" << g.nHeight << "x" << nBits);
            QRVScreenEncoder encoder;
            ASSERT_TRUE(encoder.Begin(g.nWidth, g.nHeight, nBits));
            DecoderRig rig(g.nWidth, g.nHeight, static_cast<uint16_t>(nBits), 0x00);
            QRVPicture picture;
            ASSERT_TRUE(picture.Create(g.nWidth, g.nHeight, nBits));
            uint32_t nSeed = 7;
            for (const auto& f : frames) {
                Paint(picture, f.kind, ++nSeed);
                std::vector<uint8_t> frame;
                ASSERT_TRUE(encoder.EncodeFrame(picture, f.bKey, frame)) << encoder.LastError();
                ASSERT_EQ(rig.Frame(frame), SCD_OK);
                ASSERT_EQ(rig.Picture(), picture.Bytes()) << "frame " << nSeed;
            }
            EXPECT_TRUE(rig.GuardIntact());
        }
    }
}

// The writer's scenes: a desktop with windows and text, moving colour bars
// with unchanged frames, and noise.
TEST(ScreenCodecRoundTrip, SceneMoviesDecodeFrameByFrame)
{
    for (const char* pszScene : {"screen", "bars", "noise"}) {
        for (int nBits : s_depths) {
            SCOPED_TRACE(testing::Message() << pszScene << " " << nBits);
            const int32_t nWidth = 203, nHeight = 97;
            std::unique_ptr<QRVScene> pScene = QRVMakeScene(pszScene);
            ASSERT_TRUE(pScene);
            QRVScreenEncoder encoder;
            ASSERT_TRUE(encoder.Begin(nWidth, nHeight, nBits));
            DecoderRig rig(nWidth, nHeight, static_cast<uint16_t>(nBits), 0x00);
            QRVCanvas canvas(nWidth, nHeight);
            size_t nUnchanged = 0;
            for (uint32_t nFrame = 0; nFrame < 12; ++nFrame) {
                pScene->Render(nFrame, 15, canvas);
                QRVPicture picture;
                ASSERT_TRUE(canvas.ToPicture(picture, nBits));
                std::vector<uint8_t> frame;
                ASSERT_TRUE(encoder.EncodeFrame(picture, nFrame % 8 == 0, frame));
                if (encoder.LastUnchanged()) {
                    ++nUnchanged;
                    EXPECT_EQ(frame.size(), 2u);
                }
                ASSERT_EQ(rig.Frame(frame), SCD_OK);
                ASSERT_EQ(rig.Picture(), picture.Bytes()) << "frame " << nFrame;
            }
            if (std::string(pszScene) == "bars") {
                EXPECT_GT(nUnchanged, 0u) << "the bars scene has unchanged frames";
            }
        }
    }
}

// Early ends: a row left after a few pixels and a picture left after a few
// rows keep the previous values of everything behind them.
TEST(ScreenCodecRoundTrip, EarlyEndsOfLineAndPictureKeepTheRest)
{
    for (int nBits : s_depths) {
        SCOPED_TRACE(nBits);
        const uint32_t nBpp = static_cast<uint32_t>(nBits / 8);
        const int32_t nWidth = 9, nHeight = 6;
        QRVPicture expected = FilledPicture(nWidth, nHeight, nBits, 0x00);
        Paint(expected, PK_NOISE, 99);
        DecoderRig rig(nWidth, nHeight, static_cast<uint16_t>(nBits), 0x00);
        rig.SetPicture(expected.Bytes());

        QRVRleWriter w(nBits);
        for (int32_t nRow = 0; nRow < 3; ++nRow) {
            const uint32_t nCount = static_cast<uint32_t>(nRow) + 1;
            w.Run(nCount, Splat(static_cast<uint8_t>(0x10 + nRow), nBpp));
            for (uint32_t x = 0; x < nCount; ++x)
                expected.SetPixel(static_cast<int32_t>(x), nRow,
                                  Splat(static_cast<uint8_t>(0x10 + nRow), nBpp));
            w.EndOfLine();
        }
        w.EndOfPicture();
        w.Run(9, Splat(0x77, nBpp));  // after the end: ignored
        EXPECT_EQ(rig.Frame(QRVScreenEncoder::Pack(w.Bytes())), SCD_OK);
        EXPECT_EQ(rig.Picture(), expected.Bytes());
    }
}
