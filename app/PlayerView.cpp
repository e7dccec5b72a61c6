#include "PlayerView.h"

#include <algorithm>
#include <vector>

#include "MainFrm.h"
#include "PlayerApp.h"
#include "resource.h"

namespace {

constexpr WORD PALETTE_VERSION = 0x300;
constexpr UINT PALETTE_ENTRIES = 256;

constexpr int VIEW_SETTLE_DELAY_MS = 500;
constexpr ULONGLONG VIEW_LARGE_FILE = 1ull << 30;  // 1 GiB: warned about
constexpr int VIEW_MIN_FRAME_WIDTH = 400;
constexpr int VIEW_MIN_FRAME_HEIGHT = 320;
constexpr int VIEW_STOP_POLLS = 10;  // of 25 ms, for a stop to land
constexpr DWORD VIEW_STOP_POLL_MS = 25;

// Size of a file, 0 when it cannot be found.
ULONGLONG FileSize(const std::wstring& strPath)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(strPath.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

CPlayerView::CPlayerView()
{
    m_wndMovie.SetOptions(MWO_DRAG_FRAME | MWO_AUTOPLAY);
    m_wndMovie.m_nSettleDelay = VIEW_SETTLE_DELAY_MS;
}

CPlayerView::~CPlayerView() = default;

LRESULT CPlayerView::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    switch (nMsg) {
    case WM_ERASEBKGND:
        return 1;  // OnDraw paints every pixel
    case WM_SIZE: {
        // The movie window fills the view.
        RECT rc = GetClientRect();
        m_wndMovie.SetLayoutRect(rc);
        break;
    }
    case WM_LBUTTONDOWN:
        Default();
        OnLButtonDown(lParam);
        return 0;
    case WM_LBUTTONDBLCLK:
        Default();
        OnLButtonDblClk(lParam);
        return 0;
    case WM_CONTEXTMENU:
        OnContextMenu();
        return 0;
    case WM_MOVIE_NOTIFY:
        return OnMovieNotify(wParam, lParam);
    case WM_DESTROY:
        m_wndMovie.CloseMovie();
        DeleteFileIfAsked();
        break;
    }
    return CView::WindowProc(nMsg, wParam, lParam);
}

// ---- palette ----

void CPlayerView::RealizePalette()
{
    m_wndMovie.RealizeMoviePalette();
}

void CPlayerView::OnPaletteChanged(HWND hWndChanger)
{
    if (hWndChanger == m_hWnd || hWndChanger == m_wndMovie.m_hWnd)
        return;
    m_wndMovie.PaletteChanged(hWndChanger);
    Invalidate();
    UpdateWindow();
}

LRESULT CPlayerView::OnMovieNotify(WPARAM wParam, LPARAM lParam)
{
    CMainFrame* pFrame = MainFrame();
    if (pFrame == nullptr)
        return 0;
    if (wParam == MN_POSITION) {
        pFrame->SetPosition(static_cast<int>(lParam));
    } else if (wParam == MN_STATE) {
        switch (lParam) {
        case MS_PLAYING:
            m_bSeekWhilePlaying = false;
            pFrame->SetPlayState(EPlayState::PS_PLAYING);
            break;
        case MS_PAUSED:
            pFrame->SetPlayState(EPlayState::PS_PAUSED);
            break;
        case MS_STOPPED:
            // Let a worker that is just ending write its last state.
            for (int i = 0; i < VIEW_STOP_POLLS && !m_wndMovie.m_bHeldForDrag &&
                            m_wndMovie.GetStoredState() == MS_PLAYING;
                 ++i)
                ::Sleep(VIEW_STOP_POLL_MS);
            m_bSeekWhilePlaying = false;
            pFrame->SetPlayState(EPlayState::PS_STOPPED);
            break;
        case MS_SEEKING:
            pFrame->SetPlayState(EPlayState::PS_SEEKING);
            break;
        default:
            pFrame->SetPlayState(EPlayState::PS_NONE);
            break;
        }
    }
    return 0;
}

CMainFrame* CPlayerView::MainFrame()
{
    return dynamic_cast<CMainFrame*>(GetParentFrame());
}

void CPlayerView::OnInitialUpdate()
{
    if (m_bInitialized)
        return;
    CView::OnInitialUpdate();

    m_wndMovie.CreateMovieWindow(this);
    m_wndMovie.ShowWindow(SW_HIDE);
    if (CMainFrame* pFrame = MainFrame())
        pFrame->SetPlayState(EPlayState::PS_NONE);

    DWORD dwOptions = MWO_NOTIFY_POSITION | MWO_NOTIFY_STATE;
    if (const CPlayerConfig* pConfig = GetPlayerConfig()) {
        if (pConfig->m_bExitAtEnd)
            dwOptions |= MWO_CLOSE_AT_END;
        if (pConfig->m_bRepeat)
            dwOptions |= MWO_REPEAT;
        if (pConfig->m_bDrag)
            dwOptions |= MWO_DRAG_FRAME;
        if (pConfig->m_bAutoPlay)
            dwOptions |= MWO_AUTOPLAY;
        if (pConfig->m_bStayAtEnd)
            dwOptions |= MWO_STAY_AT_END;
        m_wndMovie.m_crBackground = pConfig->m_crBackground;
    }
    m_wndMovie.SetOptions(dwOptions);
    m_wndMovie.SetLayoutRect(GetClientRect());

    LoadBackground();
    m_bInitialized = true;

    FitFrame();
    UpdateWindow();
}

bool CPlayerView::OpenFile(const std::wstring& strPath)
{
    if (FileSize(strPath) >= VIEW_LARGE_FILE)
        AfxMessageBox(IDS_WARN_1GB, {}, MB_OK);
    if (strPath.empty())
        return false;
    if (!m_wndMovie.OpenMovie(strPath.c_str())) {
        CloseFile();
        return false;
    }
    m_strOpenFile = strPath;
    if (CMainFrame* pMain = MainFrame()) {
        pMain->SetLength(m_wndMovie.GetLength());
        pMain->SetPosition(0);
        const size_t nSlash = strPath.rfind(L'\\');
        const std::wstring strName = nSlash == std::wstring::npos ? strPath : strPath.substr(nSlash + 1);
        pMain->SetWindowText(strName + L" - " + AfxLoadString(IDS_PLAYER_NAME));
    }
    if (!m_wndMovie.m_bAudioOnly)
        m_wndMovie.ShowWindow(SW_SHOW);
    FitFrame();
    return true;
}

void CPlayerView::ReplaceFile(const std::wstring& strPath)
{
    const std::wstring strPrevious = m_strOpenFile;
    m_wndMovie.ShowWindow(SW_HIDE);
    SetFocus();
    if (!OpenFile(strPath) || strPrevious.empty())
        return;
    // The movie it replaces goes when asked for, unless it is the very file
    // just opened again: that one goes when it is closed.
    if (::lstrcmpiW(strPrevious.c_str(), m_strOpenFile.c_str()) == 0)
        return;
    CPlayerConfig* pConfig = GetPlayerConfig();
    if (pConfig != nullptr && pConfig->m_bDeleteFile) {
        ::DeleteFileW(strPrevious.c_str());
        pConfig->m_bDeleteFile = 0;
    }
}

void CPlayerView::CloseFile()
{
    m_wndMovie.CloseMovie();
    DeleteFileIfAsked();
    FitFrame();
    m_strOpenFile.clear();
    m_wndMovie.ShowWindow(SW_HIDE);
    if (CMainFrame* pMain = MainFrame()) {
        pMain->SetWindowText(AfxLoadString(IDS_PLAYER_NAME));
        pMain->SetLength(-1);
        pMain->SetPlayState(EPlayState::PS_NONE);
        pMain->SetPosition(0);
    }
    Invalidate(true);
}

void CPlayerView::DeleteFileIfAsked()
{
    CPlayerConfig* pConfig = GetPlayerConfig();
    if (pConfig == nullptr || !pConfig->m_bDeleteFile || m_strOpenFile.empty())
        return;
    ::DeleteFileW(m_strOpenFile.c_str());
    pConfig->m_bDeleteFile = 0;
}

void CPlayerView::FitFrame()
{
    CMainFrame* pFrame = MainFrame();
    if (pFrame == nullptr || m_hWnd == nullptr)
        return;
    RECT rcWork{};
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0))
        rcWork = RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    const int nWorkWidth = rcWork.right - rcWork.left;
    const int nWorkHeight = rcWork.bottom - rcWork.top;

    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    if (!::GetWindowPlacement(pFrame->m_hWnd, &wp))
        return;
    if (!pFrame->IsWindowVisible())
        wp.showCmd = SW_HIDE;  // applying the placement must not show it
    const RECT& rcNormal = wp.rcNormalPosition;
    if (m_nExtraWidth == 0 || m_nExtraHeight == 0) {
        WINDOWPLACEMENT wpView{};
        wpView.length = sizeof(wpView);
        ::GetWindowPlacement(m_hWnd, &wpView);
        const RECT& rcView = wpView.rcNormalPosition;
        m_nExtraWidth = (rcNormal.right - rcNormal.left) - (rcView.right - rcView.left) +
                        2 * ::GetSystemMetrics(SM_CXFIXEDFRAME);
        m_nExtraHeight = (rcNormal.bottom - rcNormal.top) - (rcView.bottom - rcView.top) +
                         2 * ::GetSystemMetrics(SM_CYFIXEDFRAME);
    }
    const SIZE sizeMovie = m_wndMovie.GetMovieSize(true);
    int w = std::max<int>(sizeMovie.cx + m_nExtraWidth, VIEW_MIN_FRAME_WIDTH);
    int h = std::max<int>(sizeMovie.cy + m_nExtraHeight, VIEW_MIN_FRAME_HEIGHT);
    int nLeft = rcNormal.left;
    int nTop = rcNormal.top;
    const int nBarWidth = m_wndMovie.GetBarExtents().cx;
    const int nBarHeight = m_wndMovie.GetBarExtents().cy;
    bool bSizing = true;
    if (w > nWorkWidth) {
        h += nBarHeight;
        w = nWorkWidth;
        nLeft = 0;
        if (h > nWorkHeight) {
            h = nWorkHeight;
            nTop = 0;
        }
    } else if (h > nWorkHeight) {
        w += nBarWidth;
        h = nWorkHeight;
        nTop = 0;
        if (w > nWorkWidth) {
            w = nWorkWidth;
            nLeft = 0;
        }
    } else if (w != nWorkWidth && h != nWorkHeight) {
        // The movie fits with room to spare: a fixed frame.
        w -= 2 * ::GetSystemMetrics(SM_CXBORDER);
        h -= 2 * ::GetSystemMetrics(SM_CYBORDER);
        bSizing = false;
    }
    // In full screen the border the movie wants waits until the frame
    // leaves it; the window itself keeps covering the screen.
    const bool bHasSizing = (pFrame->GetStyle() & WS_THICKFRAME) != 0;
    if (pFrame->IsFullScreen())
        pFrame->SetSizingFrameAfterFullScreen(bSizing);
    else if (bSizing != bHasSizing)
        pFrame->ModifyStyle(bSizing ? 0 : WS_THICKFRAME, bSizing ? WS_THICKFRAME : 0, SWP_FRAMECHANGED);
    wp.rcNormalPosition = RECT{nLeft, nTop, nLeft + w, nTop + h};
    ::SetWindowPlacement(pFrame->m_hWnd, &wp);
    if (::IsZoomed(pFrame->m_hWnd))
        m_wndMovie.UpdateScrollBars();
}

void CPlayerView::LoadBackground()
{
    m_hBackground.Reset(static_cast<HBITMAP>(::LoadImageW(
        AfxGetResourceHandle(), MAKEINTRESOURCEW(IDB_BACKGROUND), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
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
    m_wndMovie.m_bPaletteMode = true;
}

void CPlayerView::OnDraw(HDC hDC)
{
    if (!m_bInitialized || !m_hBackground || (!m_strOpenFile.empty() && !m_wndMovie.m_bAudioOnly))
        return;
    RECT rcClient = GetClientRect();
    int cxClient = rcClient.right - rcClient.left;
    int cyClient = rcClient.bottom - rcClient.top;
    int x = cxClient > m_sizeBackground.cx ? (cxClient - m_sizeBackground.cx) / 2 : 0;
    int y = cyClient > m_sizeBackground.cy ? (cyClient - m_sizeBackground.cy) / 2 : 0;

    CScopedSaveDC saved(hDC);  // clipping and palette go back as they were
    CScopedSelectPalette palette(hDC, m_pPalette.Get(), true);
    {
        CMemoryDC dcPicture(hDC);
        CScopedSelectObject select(dcPicture.Get(), m_hBackground.Get());
        ::BitBlt(hDC, x, y, m_sizeBackground.cx, m_sizeBackground.cy, dcPicture.Get(), 0, 0, SRCCOPY);
    }
    ::ExcludeClipRect(hDC, x, y, x + m_sizeBackground.cx, y + m_sizeBackground.cy);
    ::FillRect(hDC, &rcClient, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
}
