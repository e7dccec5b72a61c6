#include "PlayerView.h"

#include <vector>

#include "resource.h"

namespace {

constexpr WORD PALETTE_VERSION = 0x300;
constexpr UINT PALETTE_ENTRIES = 256;

} // namespace

CPlayerView::CPlayerView() = default;

CPlayerView::~CPlayerView() = default;

LRESULT CPlayerView::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    switch (nMsg) {
    case WM_ERASEBKGND:
        return 1;   // OnDraw paints every pixel
    }
    return CView::WindowProc(nMsg, wParam, lParam);
}

void CPlayerView::OnInitialUpdate()
{
    if (m_bInitialized)
        return;
    CView::OnInitialUpdate();

    // (The movie window is created and given its options here.)

    LoadBackground();
    m_bInitialized = true;

    // (The frame is fitted to the picture size here.)
    UpdateWindow();
}

void CPlayerView::LoadBackground()
{
    m_hBackground.Reset(static_cast<HBITMAP>(::LoadImageW(
        AfxGetResourceHandle(), MAKEINTRESOURCEW(IDB_BACKGROUND), IMAGE_BITMAP, 0, 0,
        LR_CREATEDIBSECTION)));
    if (!m_hBackground)
        return;
    BITMAP bm{};
    if (::GetObjectW(m_hBackground.Get(), sizeof(bm), &bm) != sizeof(bm))
        return;
    m_sizeBackground = SIZE{bm.bmWidth, bm.bmHeight};
    if (bm.bmPlanes * bm.bmBitsPixel > 8)
        return;

    // A picture with a colour table gets a palette of its colours.
    RGBQUAD colors[PALETTE_ENTRIES] = {};
    UINT nColors;
    {
        CMemoryDC dc;
        CScopedSelectObject select(dc.Get(), m_hBackground.Get());
        nColors = ::GetDIBColorTable(dc.Get(), 0, PALETTE_ENTRIES, colors);
    }
    std::vector<BYTE> buffer(sizeof(LOGPALETTE) + PALETTE_ENTRIES * sizeof(PALETTEENTRY));
    auto* pLogPalette = reinterpret_cast<LOGPALETTE*>(buffer.data());
    pLogPalette->palVersion = PALETTE_VERSION;
    pLogPalette->palNumEntries = PALETTE_ENTRIES;
    for (UINT i = 0; i < PALETTE_ENTRIES; ++i) {
        PALETTEENTRY& entry = pLogPalette->palPalEntry[i];
        if (i < nColors)
            entry = PALETTEENTRY{colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue, 0};
        else
            entry = PALETTEENTRY{0, 0, 0, 0};
    }
    m_pPalette.Reset(::CreatePalette(pLogPalette));
    // (The movie window is switched to palette mode here.)
}

void CPlayerView::OnDraw(HDC hDC)
{
    if (!m_bInitialized || !m_hBackground || !m_strOpenFile.empty())
        return;
    RECT rcClient = GetClientRect();
    int cxClient = rcClient.right - rcClient.left;
    int cyClient = rcClient.bottom - rcClient.top;
    int x = cxClient > m_sizeBackground.cx ? (cxClient - m_sizeBackground.cx) / 2 : 0;
    int y = cyClient > m_sizeBackground.cy ? (cyClient - m_sizeBackground.cy) / 2 : 0;

    CScopedSaveDC saved(hDC);   // clipping and palette go back as they were
    CScopedSelectPalette palette(hDC, m_pPalette.Get(), true);
    {
        CMemoryDC dcPicture(hDC);
        CScopedSelectObject select(dcPicture.Get(), m_hBackground.Get());
        ::BitBlt(hDC, x, y, m_sizeBackground.cx, m_sizeBackground.cy, dcPicture.Get(), 0, 0,
                 SRCCOPY);
    }
    ::ExcludeClipRect(hDC, x, y, x + m_sizeBackground.cx, y + m_sizeBackground.cy);
    ::FillRect(hDC, &rcClient, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
}
