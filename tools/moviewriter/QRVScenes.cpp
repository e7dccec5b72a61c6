#include "QRVScenes.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Colours chosen on the 8-bit palette's cube, so all bit counts look alike.
constexpr uint32_t CR_DESKTOP = 0x006666;
constexpr uint32_t CR_FACE = 0xCCCCCC;
constexpr uint32_t CR_SHADOW = 0x666666;
constexpr uint32_t CR_TITLE_ACTIVE = 0x003399;
constexpr uint32_t CR_TITLE_INACTIVE = 0x999999;
constexpr uint32_t CR_WHITE = 0xFFFFFF;
constexpr uint32_t CR_BLACK = 0x000000;
constexpr uint32_t CR_TEXT = 0x333333;
constexpr uint32_t CR_LINK = 0x0033CC;

constexpr double SCN_PI = 3.14159265358979323846;

// Small deterministic generator: the same movie every time.
uint32_t Hash(uint32_t n)
{
    n ^= n >> 16;
    n *= 0x7FEB352Du;
    n ^= n >> 15;
    n *= 0x846CA68Bu;
    n ^= n >> 16;
    return n;
}

struct Rect {
    int32_t x, y, w, h;
};

// A window: border, title bar with a caption "text" and buttons, client area.
Rect DrawWindow(QRVCanvas& c, const Rect& r, bool bActive, uint32_t nSeed)
{
    c.FillRect(r.x + 4, r.y + 4, r.w, r.h, CR_SHADOW & 0x333333);
    c.FillRect(r.x, r.y, r.w, r.h, CR_FACE);
    c.FrameRect(r.x, r.y, r.w, r.h, CR_BLACK);
    const int32_t nTitle = 18;
    c.FillRect(r.x + 3, r.y + 3, r.w - 6, nTitle, bActive ? CR_TITLE_ACTIVE : CR_TITLE_INACTIVE);
    // Caption "letters" and the three title buttons.
    const int32_t nCaption = std::min<int32_t>(r.w / 3, 40 + static_cast<int32_t>(nSeed % 60));
    for (int32_t x = 0; x + 5 < nCaption; x += 7)
        c.FillRect(r.x + 8 + x, r.y + 8, 5, 8, CR_WHITE);
    for (int i = 0; i < 3; ++i) {
        const int32_t bx = r.x + r.w - 3 - 18 * (i + 1);
        c.FillRect(bx, r.y + 5, 16, 14, CR_FACE);
        c.FrameRect(bx, r.y + 5, 16, 14, CR_BLACK);
    }
    const Rect client{r.x + 3, r.y + 3 + nTitle + 2, r.w - 6, r.h - nTitle - 8};
    c.FillRect(client.x, client.y, client.w, client.h, CR_WHITE);
    c.FrameRect(client.x, client.y, client.w, client.h, CR_SHADOW);
    return client;
}

// Lines of "words" in a client area; nChars limits how much has been typed.
void DrawText(QRVCanvas& c, const Rect& r, uint32_t nSeed, uint32_t nChars, bool bCaret)
{
    const int32_t nLineHeight = 14;
    uint32_t nTyped = 0;
    int32_t x = r.x + 8;
    int32_t y = r.y + 8;
    for (uint32_t nWord = 0; y + 8 < r.y + r.h; ++nWord) {
        const uint32_t nHash = Hash(nSeed * 7919u + nWord);
        const int32_t nLetters = 2 + static_cast<int32_t>(nHash % 8);
        if (x + nLetters * 6 > r.x + r.w - 8 || nHash % 23 == 0) {
            x = r.x + 8;
            y += nLineHeight;
            continue;
        }
        if (nTyped + static_cast<uint32_t>(nLetters) > nChars) {
            if (bCaret)
                c.FillRect(x, y - 1, 2, 10, CR_BLACK);
            return;
        }
        const uint32_t crWord = (nHash >> 8) % 11 == 0 ? CR_LINK : CR_TEXT;
        for (int32_t i = 0; i < nLetters; ++i) {
            const int32_t nTall = (Hash(nHash + i) % 4 == 0) ? 10 : 7;
            c.FillRect(x + i * 6, y + 8 - nTall, 5, nTall, crWord);
        }
        x += nLetters * 6 + 6;
        nTyped += static_cast<uint32_t>(nLetters);
    }
}

// The desktop: background, icons and the taskbar; its height is returned.
int32_t DrawDesktop(QRVCanvas& c)
{
    const int32_t w = c.Width();
    const int32_t h = c.Height();
    c.Fill(CR_DESKTOP);
    for (int i = 0; i < 4; ++i) {
        c.FillRect(16, 16 + i * 56, 32, 32, i % 2 ? 0xFFCC33 : 0xCCFFFF);
        c.FrameRect(16, 16 + i * 56, 32, 32, CR_BLACK);
        c.FillRect(14, 52 + i * 56, 36, 5, CR_WHITE);
    }
    // Taskbar with its start button and clock area.
    const int32_t nBar = std::max<int32_t>(h / 16, 20);
    c.FillRect(0, h - nBar, w, nBar, CR_FACE);
    c.FillRect(0, h - nBar, w, 1, CR_WHITE);
    c.FillRect(3, h - nBar + 3, 54, nBar - 6, CR_FACE);
    c.FrameRect(3, h - nBar + 3, 54, nBar - 6, CR_BLACK);
    c.FillRect(9, h - nBar + 7, 10, nBar - 14, 0x339933);
    return nBar;
}

class CScreenScene : public QRVScene {
public:
    void Render(uint32_t nFrame, uint32_t nFps, QRVCanvas& c) override
    {
        const double t = static_cast<double>(nFrame) / nFps;
        const int32_t w = c.Width();
        const int32_t h = c.Height();
        const int32_t nBar = DrawDesktop(c);

        // Editor window: text typed at about 25 letters per second.
        const Rect editor{w * 8 / 100, h * 7 / 100, w * 55 / 100, h * 60 / 100};
        const Rect client = DrawWindow(c, editor, false, 3);
        const bool bCaret = (nFrame * 2 / std::max<uint32_t>(nFps, 1)) % 2 == 0;
        DrawText(c, client, 11, static_cast<uint32_t>(40 + t * 25), bCaret);

        // A second window sliding to and fro, with a bar chart.
        const double fSwing = 0.5 - 0.5 * std::cos(2.0 * SCN_PI * t / 6.0);
        const Rect chart{w * 25 / 100 + static_cast<int32_t>(fSwing * w * 33 / 100), h * 36 / 100,
                         w * 40 / 100, h * 46 / 100};
        const Rect area = DrawWindow(c, chart, true, 5);
        const int nBars = 6;
        const uint32_t crBars[nBars] = {0xCC3333, 0x33CC33, 0x3366CC, 0xFF9900, 0x9933CC, 0x33CCCC};
        const int32_t nSlot = (area.w - 16) / nBars;
        for (int i = 0; i < nBars; ++i) {
            const double fLevel = 0.35 + 0.3 * std::sin(t * 1.7 + i * 1.1);
            const int32_t nHeight = static_cast<int32_t>(fLevel * (area.h - 16));
            c.FillRect(area.x + 8 + i * nSlot + 2, area.y + area.h - 8 - nHeight, nSlot - 4, nHeight,
                       crBars[i]);
        }

        // Ticking counter on the taskbar: tenths of seconds in block digits.
        const uint32_t nTenths = static_cast<uint32_t>(nFrame * 10u / std::max<uint32_t>(nFps, 1));
        const int32_t nBlock = std::max<int32_t>((nBar - 6) / 5, 2);
        int32_t x = w - 6 - 4 * (3 * nBlock + nBlock);
        uint32_t nDivisor = 1000;
        for (int i = 0; i < 4; ++i, nDivisor /= 10) {
            c.BlockDigit(x, h - nBar + 3, static_cast<int>(nTenths / nDivisor % 10), nBlock, CR_BLACK);
            x += 4 * nBlock;
        }

        // The mouse pointer wandering over the screen.
        const int32_t px = static_cast<int32_t>(w * (0.5 + 0.4 * std::sin(t * 0.9)));
        const int32_t py = static_cast<int32_t>(h * (0.5 + 0.35 * std::sin(t * 1.3 + 0.5)));
        c.Pointer(px, py);
    }
};

// A document of lines of "words", scrolled up by nScroll pixels inside r:
// only lines wholly inside the area are drawn.
void DrawDocument(QRVCanvas& c, const Rect& r, int32_t nScroll)
{
    const int32_t nLineHeight = 14;
    for (int32_t nLine = std::max<int32_t>(nScroll / nLineHeight, 0);; ++nLine) {
        const int32_t y = r.y + 8 + nLine * nLineHeight - nScroll;
        if (y + nLineHeight > r.y + r.h)
            return;
        if (y < r.y + 2)
            continue;
        int32_t x = r.x + 8;
        for (uint32_t nWord = 0;; ++nWord) {
            const uint32_t nHash = Hash(static_cast<uint32_t>(nLine) * 131u + nWord * 7919u + 17u);
            const int32_t nLetters = 2 + static_cast<int32_t>(nHash % 8);
            if (x + nLetters * 6 > r.x + r.w - 8 || (nWord > 0 && nHash % 29 == 0))
                break;
            const uint32_t crWord = (nHash >> 8) % 11 == 0 ? CR_LINK : CR_TEXT;
            for (int32_t i = 0; i < nLetters; ++i) {
                const int32_t nTall = (Hash(nHash + i) % 4 == 0) ? 10 : 7;
                c.FillRect(x + i * 6, y + 8 - nTall, 5, nTall, crWord);
            }
            x += nLetters * 6 + 6;
        }
    }
}

// "video": what screen recordings often show. A document that scrolls by
// three lines every four seconds, and a player window whose picture (about
// a ninth of the screen) changes completely every frame.
class CVideoScene : public QRVScene {
public:
    void Render(uint32_t nFrame, uint32_t nFps, QRVCanvas& c) override
    {
        const int32_t w = c.Width();
        const int32_t h = c.Height();
        DrawDesktop(c);
        const uint32_t nFramesPerSecond = std::max<uint32_t>(nFps, 1);

        // The scroll takes half a second and happens every four.
        const uint32_t nPeriod = 4 * nFramesPerSecond;
        const uint32_t nGlide = std::max<uint32_t>(nFramesPerSecond / 2, 1);
        const uint32_t nInPeriod = std::min(nFrame % nPeriod, nGlide);
        const int32_t nScroll = static_cast<int32_t>(42 * (nFrame / nPeriod) + 42 * nInPeriod / nGlide);
        const Rect document{w * 3 / 100, h * 5 / 100, w * 52 / 100, h * 82 / 100};
        DrawDocument(c, DrawWindow(c, document, false, 7), nScroll);

        // The player: its picture is a third of the width and the height.
        const int32_t nVideoWidth = std::max<int32_t>(w / 3, 1);
        const int32_t nVideoHeight = std::max<int32_t>(h / 3, 1);
        const Rect player{w * 58 / 100, h * 20 / 100, nVideoWidth + 6, nVideoHeight + 28};
        const Rect picture = DrawWindow(c, player, true, 9);
        // Moving waves: every pixel changes from one frame to the next.
        static const auto s_wave = [] {
            std::array<uint8_t, 256> wave{};
            for (int i = 0; i < 256; ++i)
                wave[i] = static_cast<uint8_t>(127.5 + 127.5 * std::sin(2.0 * SCN_PI * i / 256.0));
            return wave;
        }();
        for (int32_t y = 0; y < picture.h; ++y) {
            for (int32_t x = 0; x < picture.w; ++x) {
                const uint32_t r = s_wave[(3 * x + 5 * nFrame) & 255];
                const uint32_t g = s_wave[(2 * y + 7 * nFrame) & 255];
                const uint32_t b = s_wave[(x + y + 11 * nFrame) & 255];
                c.Set(picture.x + x, picture.y + y, (r << 16) | (g << 8) | b);
            }
        }
        const double t = static_cast<double>(nFrame) / nFramesPerSecond;
        c.Pointer(static_cast<int32_t>(w * (0.3 + 0.2 * std::sin(t * 0.7))),
                  static_cast<int32_t>(h * (0.5 + 0.3 * std::sin(t * 1.1))));
    }
};

class CNoiseScene : public QRVScene {
public:
    void Render(uint32_t nFrame, uint32_t, QRVCanvas& c) override
    {
        uint32_t n = Hash(nFrame + 1);
        for (int32_t y = 0; y < c.Height(); ++y) {
            for (int32_t x = 0; x < c.Width(); ++x) {
                n = n * 1664525u + 1013904223u;
                c.Set(x, y, Hash(n) & 0xFFFFFF);
            }
        }
    }
};

class CBarsScene : public QRVScene {
public:
    void Render(uint32_t nFrame, uint32_t, QRVCanvas& c) override
    {
        const uint32_t crBars[8] = {CR_WHITE, 0xFFFF00, 0x00FFFF, 0x00FF00,
                                    0xFF00FF, 0xFF0000, 0x0000FF, CR_BLACK};
        const int32_t w = c.Width();
        const int32_t h = c.Height();
        for (int i = 0; i < 8; ++i)
            c.FillRect(w * i / 8, 0, w * (i + 1) / 8 - w * i / 8, h, crBars[i]);
        // The block moves on even frames only: odd frames change nothing.
        const int32_t nSize = std::max<int32_t>(std::min(w, h) / 8, 2);
        const int32_t nStep = static_cast<int32_t>(nFrame / 2);
        const int32_t nRange = std::max<int32_t>(w - nSize, 1);
        c.FillRect((nStep * 4) % nRange, (h - nSize) / 2, nSize, nSize, 0x999999);
    }
};

}  // namespace

std::unique_ptr<QRVScene> QRVMakeScene(const std::string& strName)
{
    if (strName == "screen")
        return std::make_unique<CScreenScene>();
    if (strName == "noise")
        return std::make_unique<CNoiseScene>();
    if (strName == "bars")
        return std::make_unique<CBarsScene>();
    if (strName == "video")
        return std::make_unique<CVideoScene>();
    return nullptr;
}
