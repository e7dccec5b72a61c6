// The movie window's drawing and layout: the frame centred or scaled on the
// background colour, the logical palette, the window's size and place.
#include "QRVMovieWnd.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

constexpr WORD MW_PALETTE_VERSION = 0x300;
constexpr UINT MW_PALETTE_ENTRIES = 256;

LONG Height(const BITMAPINFOHEADER& header)
{
    return header.biHeight < 0 ? -header.biHeight : header.biHeight;
}

}  // namespace

void QRVMovieWnd::FillBackground(HDC hDC, const RECT& rc) const
{
    CGdiObject<HBRUSH> brush(::CreateSolidBrush(m_crBackground));
    if (brush)
        ::FillRect(hDC, &rc, brush.Get());
}

void QRVMovieWnd::RebuildPalette()
{
    const RGBQUAD* pColors =
        m_nVideoStream >= 0 ? m_file.GetPaletteColors(static_cast<uint32_t>(m_nVideoStream)) : nullptr;
    if (pColors == nullptr)
        return;
    std::vector<BYTE> buffer(sizeof(LOGPALETTE) + MW_PALETTE_ENTRIES * sizeof(PALETTEENTRY));
    auto* pLog = reinterpret_cast<LOGPALETTE*>(buffer.data());
    pLog->palVersion = MW_PALETTE_VERSION;
    pLog->palNumEntries = MW_PALETTE_ENTRIES;
    for (UINT i = 0; i < MW_PALETTE_ENTRIES; ++i)
        pLog->palPalEntry[i] = PALETTEENTRY{pColors[i].rgbRed, pColors[i].rgbGreen, pColors[i].rgbBlue, 0};
    m_palette.Reset(::CreatePalette(pLog));
    m_bPaletteDirty = false;
}

void QRVMovieWnd::PaintFrame()
{
    if (m_hWnd == nullptr)
        return;
    CClientDC dc(m_hWnd);
    HDC hDC = dc.Get();
    if (hDC == nullptr)
        return;
    PrepareDC(hDC);
    RECT rcClient = GetClientRect();
    if (!m_bHasFrame) {
        FillBackground(hDC, rcClient);
        return;
    }

    CSingleLock lock(m_csFrame);
    HPALETTE hOldPalette = nullptr;
    if (m_bPaletteMode) {
        if (m_bPaletteDirty)
            RebuildPalette();
        if (m_palette) {
            hOldPalette = ::SelectPalette(hDC, m_palette.Get(), FALSE);
            ::RealizePalette(hDC);
        }
    }
    const BITMAPINFO* pHeader = m_dib.GetHeader();
    if (pHeader == nullptr || m_dib.GetWidth() <= 0 || m_dib.GetHeight() <= 0) {
        lock.Unlock();
        FillBackground(hDC, rcClient);
        if (hOldPalette != nullptr)
            ::SelectPalette(hDC, hOldPalette, FALSE);
        return;
    }
    const int w = m_dib.GetWidth();
    const int h = m_dib.GetHeight();
    const int cxClient = rcClient.right - rcClient.left;
    const int cyClient = rcClient.bottom - rcClient.top;
    int dw = w;
    int dh = h;
    bool bStretch = false;
    const DWORD dwOptions = m_dwOptions;
    if (dwOptions & MWO_SHRINK)
        bStretch = cxClient < w || cyClient < h;
    if (!bStretch && (dwOptions & MWO_ENLARGE))
        bStretch = cxClient > w || cyClient > h;
    if (bStretch && w > 0 && h > 0) {
        const float sx = static_cast<float>(cxClient) / static_cast<float>(w);
        const float sy = static_cast<float>(cyClient) / static_cast<float>(h);
        const float fScale = sy < sx ? sy : sx;  // the aspect ratio is kept
        dw = static_cast<int>(static_cast<float>(w) * fScale);
        dh = static_cast<int>(static_cast<float>(h) * fScale);
    }
    int x = 0;
    int y = 0;
    bool bBorders = false;
    if (dw < rcClient.right) {
        x = (rcClient.right - dw) / 2;
        bBorders = true;
    }
    if (dh < rcClient.bottom) {
        y = (rcClient.bottom - dh) / 2;
        bBorders = true;
    }
    const int nOldMode = ::SetStretchBltMode(hDC, COLORONCOLOR);
    ::StretchDIBits(hDC, x, y, dw, dh, 0, 0, w, h, m_dib.GetPixels(), pHeader, DIB_RGB_COLORS, SRCCOPY);
    if (nOldMode != 0)
        ::SetStretchBltMode(hDC, nOldMode);
    lock.Unlock();

    if (bBorders) {
        ::ExcludeClipRect(hDC, x, y, x + dw, y + dh);
        POINT ptOrigin{0, 0};
        ::GetViewportOrgEx(hDC, &ptOrigin);
        if (ptOrigin.x != 0 || ptOrigin.y != 0) {
            rcClient.right -= ptOrigin.x;
            rcClient.bottom -= ptOrigin.y;
        }
        FillBackground(hDC, rcClient);
    }
    if (hOldPalette != nullptr)
        ::SelectPalette(hDC, hOldPalette, FALSE);
}

void QRVMovieWnd::RealizeMoviePalette()
{
    if (m_hWnd == nullptr)
        return;
    UINT nChanged = 0;
    {
        CClientDC dc(m_hWnd);
        if (dc.Get() == nullptr || !m_palette)
            return;
        HPALETTE hOld = ::SelectPalette(dc.Get(), m_palette.Get(), FALSE);
        nChanged = ::RealizePalette(dc.Get());
        if (hOld != nullptr)
            ::SelectPalette(dc.Get(), hOld, FALSE);
    }
    if (nChanged != 0 && nChanged != GDI_ERROR)
        Invalidate(false);
}

void QRVMovieWnd::PaletteChanged(HWND hWndChanger)
{
    if (m_hWnd != nullptr && hWndChanger != m_hWnd)
        Invalidate(true);
}

// ---- size and place ----

SIZE QRVMovieWnd::GetMovieSize(bool bActual)
{
    SIZE size{0, 0};
    if (const BITMAPINFOHEADER* pFormat = GetVideoFormat()) {
        const DWORD dwOptions = m_dwOptions;
        if (bActual || !(dwOptions & (MWO_SHRINK | MWO_ENLARGE))) {
            size = SIZE{pFormat->biWidth, Height(*pFormat)};
        } else if (HWND hParent = ParentHwnd()) {
            RECT rc{};
            ::GetClientRect(hParent, &rc);
            size = SIZE{rc.right - rc.left, rc.bottom - rc.top};
            if (!(dwOptions & MWO_SHRINK)) {
                size.cx = std::max<LONG>(size.cx, pFormat->biWidth);
                size.cy = std::max<LONG>(size.cy, Height(*pFormat));
            }
        }
    }
    size.cx = std::max(size.cx, m_sizeMin.cx);
    size.cy = std::max(size.cy, m_sizeMin.cy);
    return size;
}

void QRVMovieWnd::FitToParent()
{
    HWND hParent = ParentHwnd();
    if (hParent == nullptr || !(m_dwOptions & MWO_AUTOSIZE))
        return;
    RECT rc{};
    ::GetClientRect(hParent, &rc);
    const BITMAPINFOHEADER* pFormat = GetVideoFormat();
    if (m_nVideoStream >= 0 && !(m_dwOptions & MWO_SHRINK) && pFormat != nullptr) {
        rc.right = std::max<LONG>(rc.right, rc.left + pFormat->biWidth);
        rc.bottom = std::max<LONG>(rc.bottom, rc.top + Height(*pFormat));
    }
    SetWindowPos(nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool QRVMovieWnd::SetLayoutRect(const RECT& rc)
{
    if (m_dwOptions & MWO_AUTOSIZE)
        return false;
    m_rcLayout = rc;
    if (m_hWnd != nullptr)
        SetWindowPos(nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

void QRVMovieWnd::SetOptions(DWORD dwOptions)
{
    m_dwOptions = dwOptions;
    if (m_hWnd != nullptr) {
        const LONG cx = m_rcLayout.right - m_rcLayout.left;
        const LONG cy = m_rcLayout.bottom - m_rcLayout.top;
        PostMessage(WM_SIZE, 0, static_cast<LPARAM>((cy << 16) | (cx & 0xFFFF)));
    }
}
