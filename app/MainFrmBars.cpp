// The main frame's bars: the toolbar with the seek slider, the status bar
// with its state and time panes, their layout, and what they show of the
// movie.
#include "MainFrm.h"

#include <algorithm>
#include <cwchar>
#include <shlwapi.h>

#include "PlayerApp.h"
#include "PlayerView.h"
#include "resource.h"

namespace {

constexpr DWORD FRAME_FLAT_TOOLBAR_VERSION = MAKELONG(71, 4);  // common controls 4.71
constexpr int FRAME_VOLUME_IMAGES = 4;

// The common controls' version, major in the high word; 0 when unknown.
DWORD CommonControlsVersion()
{
    HMODULE hModule = ::GetModuleHandleW(L"comctl32.dll");
    using PFN_GET_VERSION = HRESULT(CALLBACK*)(DLLVERSIONINFO*);
    auto pfnGetVersion = hModule != nullptr
                             ? reinterpret_cast<PFN_GET_VERSION>(::GetProcAddress(hModule, "DllGetVersion"))
                             : nullptr;
    DLLVERSIONINFO info{};
    info.cbSize = sizeof(info);
    if (pfnGetVersion == nullptr || FAILED(pfnGetVersion(&info)))
        return 0;
    return MAKELONG(info.dwMinorVersion, info.dwMajorVersion);
}

// Width of a button with its separator, 0 when either is hidden.
int ButtonWidth(const CToolBar& bar, UINT nButton, UINT nSeparator)
{
    int nWidth = 0;
    for (UINT nID : {nButton, nSeparator}) {
        const int nIndex = bar.CommandToIndex(nID);
        if (nIndex < 0 || bar.IsButtonHidden(nIndex))
            return 0;
        RECT rc{};
        bar.GetItemRect(nIndex, &rc);
        nWidth += rc.right - rc.left;
    }
    return nWidth;
}

}  // namespace

bool CMainFrame::CreateToolBar(const CPlayerConfig& config)
{
    const DWORD dwCtrlStyle = CommonControlsVersion() >= FRAME_FLAT_TOOLBAR_VERSION ? TBSTYLE_FLAT : 0;
    DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP | CBRS_TOOLTIPS | CBRS_FLYBY;
    if (config.m_bMenu)
        dwStyle |= CBRS_BORDER_BOTTOM;
    CVideoToolBar& bar = m_wndToolBar;
    if (!bar.CreateEx(this, dwCtrlStyle, dwStyle, AFX_IDW_TOOLBAR) || !bar.LoadToolBar(IDR_TOOLBAR))
        return false;
    m_nVolumeImageBase = bar.AddBitmapImages(AfxGetResourceHandle(), IDB_VOLUME, FRAME_VOLUME_IMAGES);

    // The separators in front of the slider, the volume button and Exit get
    // ids of their own, so that they can be found and hidden.
    const UINT separators[][2] = {{ID_SEEK_SLIDER, ID_SEPARATOR_SLIDER},
                                  {ID_VOLUME_POPUP, ID_SEPARATOR_VOLUME},
                                  {ID_APP_EXIT, ID_SEPARATOR_EXIT}};
    for (const auto& pair : separators) {
        const int nIndex = bar.CommandToIndex(pair[0]);
        if (nIndex <= 0 || bar.GetItemID(nIndex - 1) != ID_SEPARATOR)
            return false;
        UINT nID = 0;
        UINT nStyle = 0;
        int nWidth = 0;
        bar.GetButtonInfo(nIndex - 1, nID, nStyle, nWidth);
        bar.SetButtonInfo(nIndex - 1, pair[1], TBBS_SEPARATOR, nWidth);
    }
    // Exit is there for a window without title bar and menu only.
    const bool bExit = config.m_bToolBar && !config.m_bTitleBar && !config.m_bMenu;
    for (UINT nID : {ID_APP_EXIT, ID_SEPARATOR_EXIT})
        bar.HideButton(bar.CommandToIndex(nID), !bExit);
    // The placeholder becomes a separator under the slider.
    const int nSlider = bar.CommandToIndex(ID_SEEK_SLIDER);
    bar.SetButtonInfo(nSlider, ID_SEEK_SLIDER, TBBS_SEPARATOR, 0);
    RECT rc{};
    bar.GetItemRect(nSlider, &rc);
    if (!bar.m_wndSlider.Create(WS_CHILD | TBS_HORZ | TBS_NOTICKS, rc, &bar, ID_SEEK_SLIDER))
        return false;
    bar.m_wndSlider.SetRange(0, -1);
    bar.m_wndSlider.SetPos(0);
    bar.m_wndSlider.ShowWindow(SW_SHOW);
    return true;
}

bool CMainFrame::CreateStatusBar()
{
    static const UINT indicators[] = {ID_SEPARATOR, ID_INDICATOR_STATE, ID_INDICATOR_TIME};
    if (!m_wndStatusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP,
                               AFX_IDW_STATUS_BAR) ||
        !m_wndStatusBar.SetIndicators(indicators, static_cast<int>(std::size(indicators))))
        return false;
    m_wndStatusBar.SetPaneInfo(0, ID_SEPARATOR, SBPS_NOBORDERS | SBPS_STRETCH, 0);
    m_nIDIdlePrompt = IDS_IDLE_MESSAGE;
    SetMessageText(IDS_IDLE_MESSAGE);
    return true;
}

void CMainFrame::LayoutBars()
{
    CVideoToolBar& bar = m_wndToolBar;
    if (bar.m_hWnd != nullptr && bar.m_wndSlider.m_hWnd != nullptr) {
        const int nExit = ButtonWidth(bar, ID_APP_EXIT, ID_SEPARATOR_EXIT);
        const int nVolume = ButtonWidth(bar, ID_VOLUME_POPUP, ID_SEPARATOR_VOLUME);
        RECT rcSeparator{};
        bar.GetItemRect(bar.CommandToIndex(ID_SEPARATOR_SLIDER), &rcSeparator);
        const RECT rcBar = bar.GetClientRect();
        const int nWidth = std::max(0, static_cast<int>(rcBar.right - rcSeparator.right) - nVolume - nExit);
        const int nSlider = bar.CommandToIndex(ID_SEEK_SLIDER);
        bar.SetButtonInfo(nSlider, ID_SEEK_SLIDER, TBBS_SEPARATOR, nWidth);
        bar.m_wndSlider.SetWindowPos(nullptr, 0, 0, nWidth, rcBar.bottom - rcBar.top,
                                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (m_pView && m_pView->m_hWnd != nullptr && GetActiveView() == m_pView.get()) {
        m_pView->m_wndMovie.SetLayoutRect(m_pView->GetClientRect());
        if (bar.m_wndSlider.m_hWnd != nullptr)
            m_pView->m_wndMovie.m_fNotifyGranularity = GetMsPerPixel();
    }
}

float CMainFrame::GetMsPerPixel() const
{
    const CVideoSliderCtrl& slider = m_wndToolBar.m_wndSlider;
    if (slider.m_hWnd == nullptr)
        return 0.0f;
    RECT rcChannel{};
    RECT rcThumb{};
    slider.SendMessage(TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&rcChannel));
    slider.SendMessage(TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&rcThumb));
    const int nPixels = (rcChannel.right - rcChannel.left) - (rcThumb.right - rcThumb.left);
    return nPixels > 0 ? static_cast<float>(m_nLength) / static_cast<float>(nPixels) : 0.0f;
}

// ---- what the bars show ----

void CMainFrame::SetPlayState(EPlayState state)
{
    m_nPlayState = state;
    // Buttons and panes show the new state now, not at the next idle time.
    if (m_wndToolBar.m_hWnd != nullptr)
        OnIdleUpdateCmdUI();
}

void CMainFrame::SetPosition(int nMs)
{
    m_nPosition = nMs;
    if (m_wndToolBar.m_wndSlider.m_hWnd != nullptr)
        m_wndToolBar.m_wndSlider.SetPos(nMs);
}

void CMainFrame::SetLength(int nMs)
{
    m_nLength = nMs;
    if (m_wndToolBar.m_wndSlider.m_hWnd != nullptr) {
        m_wndToolBar.m_wndSlider.SetRange(0, std::max(nMs, 0));
        // A new length changes what one pixel of the slider stands for,
        // whether or not the window changes size with the new movie.
        if (m_pView && GetActiveView() == m_pView.get())
            m_pView->m_wndMovie.m_fNotifyGranularity = GetMsPerPixel();
    }
}

std::wstring CMainFrame::TimeText(int nPosition, int nLength)
{
    if (nLength < 0)
        return std::wstring();
    const int nPos = nPosition / 1000;
    const int nLen = nLength / 1000;
    wchar_t szText[64];
    std::swprintf(szText, std::size(szText), L"%02d:%02d/%02d:%02d", nPos / 60, nPos % 60, nLen / 60,
                  nLen % 60);
    return szText;
}

UINT CMainFrame::StateTextId(EPlayState state)
{
    switch (state) {
    case EPlayState::PS_STOPPED:
        return IDS_STATE_STOPPED;
    case EPlayState::PS_PAUSED:
        return IDS_STATE_PAUSED;
    case EPlayState::PS_PLAYING:
        return IDS_STATE_PLAYING;
    case EPlayState::PS_SEEKING:
        return IDS_STATE_SEEKING;
    default:
        return 0;
    }
}

void CMainFrame::OnUpdateStatePane(CCmdUI& cmdUI)
{
    const UINT nID = StateTextId(m_nPlayState);
    cmdUI.SetText(nID != 0 ? AfxLoadString(nID) : std::wstring());
}

void CMainFrame::OnUpdateTimePane(CCmdUI& cmdUI)
{
    cmdUI.SetText(TimeText(m_nPosition, m_nLength));
}
