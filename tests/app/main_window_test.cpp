// The player's first window: class, menu, frame style, title, the view in
// its pane, the background picture centred on black, and Exit.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "MainFrm.h"
#include "PlayerApp.h"
#include "PlayerView.h"
#include "resource.h"
#include "started_player.h"

namespace {

// A 32-bit top-down DIB section with a DC, for reading pixels back.
class CPixelBuffer {
public:
    CPixelBuffer(int cx, int cy) : m_cx(cx), m_cy(cy)
    {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = cx;
        bi.bmiHeader.biHeight = -cy;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        void* pBits = nullptr;
        m_bitmap.Reset(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &pBits, nullptr, 0));
        m_pBits = static_cast<const DWORD*>(pBits);
        m_pSelect = std::make_unique<CScopedSelectObject>(m_dc.Get(), m_bitmap.Get());
    }

    bool IsValid() const { return m_pBits != nullptr; }
    HDC DC() const { return m_dc.Get(); }
    DWORD At(int x, int y) const
    {
        ::GdiFlush();
        return m_pBits[y * m_cx + x] & 0x00FFFFFF;
    }

private:
    int m_cx;
    int m_cy;
    CMemoryDC m_dc;
    CGdiObject<HBITMAP> m_bitmap;
    const DWORD* m_pBits = nullptr;
    std::unique_ptr<CScopedSelectObject> m_pSelect;
};

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_app.InitApplication());
        ASSERT_TRUE(m_app.InitInstance());
        m_pFrame = m_app.GetMainFrame();
        ASSERT_NE(nullptr, m_pFrame);
        m_pView = m_pFrame->GetPlayerView();
        ASSERT_NE(nullptr, m_pView);
    }

    void TearDown() override
    {
        m_app.ExitInstance();
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    CPlayerApp m_app;
    CMainFrame* m_pFrame = nullptr;
    CPlayerView* m_pView = nullptr;
};

TEST_F(MainWindowTest, FrameComesUpWithPlayerClassMenuTitleAndFixedBorder)
{
    EXPECT_EQ(m_pFrame, m_app.m_pMainWnd);
    EXPECT_TRUE(m_pFrame->IsWindowVisible());

    wchar_t szClass[128] = L"";
    ::GetClassNameW(m_pFrame->m_hWnd, szClass, 128);
    EXPECT_STREQ(PLAYER_CLASS_NAME, szClass);

    HMENU hMenu = ::GetMenu(m_pFrame->m_hWnd);
    ASSERT_NE(nullptr, hMenu);
    EXPECT_EQ(hMenu, m_pFrame->m_hMenuDefault);
    EXPECT_EQ(3, ::GetMenuItemCount(hMenu));

    std::wstring strTitle = AfxLoadString(IDR_MAINFRAME);
    strTitle = strTitle.substr(0, strTitle.find(L'\n'));
    EXPECT_FALSE(strTitle.empty());
    EXPECT_EQ(strTitle, m_pFrame->GetWindowText());

    DWORD dwStyle = m_pFrame->GetStyle();
    EXPECT_FALSE(dwStyle & WS_THICKFRAME);
    EXPECT_EQ(static_cast<DWORD>(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
              dwStyle & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_FALSE(m_pFrame->GetExStyle() & WS_EX_CLIENTEDGE);

    RECT rc = m_pFrame->GetWindowRect();
    EXPECT_EQ(EmptyFrameSize().cx, rc.right - rc.left);
    EXPECT_EQ(EmptyFrameSize().cy, rc.bottom - rc.top);
}

TEST_F(MainWindowTest, ViewFillsPaneAndBackgroundIsLoaded)
{
    EXPECT_EQ(m_pView->m_hWnd, m_pFrame->GetDlgItem(AFX_IDW_PANE_FIRST));
    EXPECT_EQ(m_pView, m_pFrame->GetActiveView());
    EXPECT_TRUE(m_pView->IsWindowVisible());
    EXPECT_TRUE(m_pView->GetExStyle() & WS_EX_CLIENTEDGE);

    // Between the toolbar and the status bar, the whole width.
    auto inFrame = [&](const CWnd& wnd) {
        RECT rc = wnd.GetWindowRect();
        ::MapWindowPoints(HWND_DESKTOP, m_pFrame->m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    };
    const RECT rcClient = m_pFrame->GetClientRect();
    const RECT rcExpected{rcClient.left, inFrame(m_pFrame->m_wndToolBar).bottom, rcClient.right,
                          inFrame(m_pFrame->m_wndStatusBar).top};
    EXPECT_TRUE(SameRect(rcExpected, inFrame(*m_pView)));
    EXPECT_LT(rcExpected.top, rcExpected.bottom);

    EXPECT_TRUE(m_pView->m_bInitialized);
    EXPECT_TRUE(static_cast<bool>(m_pView->m_hBackground));
    EXPECT_EQ(196, m_pView->m_sizeBackground.cx);
    EXPECT_EQ(86, m_pView->m_sizeBackground.cy);
    EXPECT_FALSE(static_cast<bool>(m_pView->m_pPalette));  // 24-bit picture
}

TEST_F(MainWindowTest, FrameCannotBeTrackedSmallerThanMinimum)
{
    MINMAXINFO mmi{};
    m_pFrame->SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    EXPECT_EQ(CMainFrame::MIN_TRACK_WIDTH, mmi.ptMinTrackSize.x);
    EXPECT_EQ(CMainFrame::MIN_TRACK_HEIGHT, mmi.ptMinTrackSize.y);
}

TEST_F(MainWindowTest, ViewPaintsBackgroundPictureCentredOnBlack)
{
    RECT rcClient = m_pView->GetClientRect();
    const int cx = rcClient.right;
    const int cy = rcClient.bottom;
    const int cxPicture = m_pView->m_sizeBackground.cx;
    const int cyPicture = m_pView->m_sizeBackground.cy;
    ASSERT_GT(cx, cxPicture);
    ASSERT_GT(cy, cyPicture);

    CPixelBuffer view(cx, cy);
    CPixelBuffer picture(cxPicture, cyPicture);
    ASSERT_TRUE(view.IsValid());
    ASSERT_TRUE(picture.IsValid());
    // The view drawn into memory, white first so that unpainted pixels show.
    RECT rcAll{0, 0, cx, cy};
    ::FillRect(view.DC(), &rcAll, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    m_pView->SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(view.DC()), PRF_CLIENT);
    {
        CMemoryDC dcSource;
        CScopedSelectObject select(dcSource.Get(), m_pView->m_hBackground.Get());
        ::BitBlt(picture.DC(), 0, 0, cxPicture, cyPicture, dcSource.Get(), 0, 0, SRCCOPY);
    }

    const int left = (cx - cxPicture) / 2;
    const int top = (cy - cyPicture) / 2;
    const DWORD BLACK = 0;
    ASSERT_NE(BLACK, picture.At(cxPicture / 2, cyPicture / 2));
    EXPECT_EQ(picture.At(cxPicture / 2, cyPicture / 2), view.At(left + cxPicture / 2, top + cyPicture / 2));
    int nMismatches = 0;
    for (int y = 0; y < cyPicture; ++y) {
        for (int x = 0; x < cxPicture; ++x)
            nMismatches += picture.At(x, y) != view.At(left + x, top + y);
    }
    EXPECT_EQ(0, nMismatches);

    const POINT blackPoints[] = {
        {0, 0},
        {cx - 1, 0},
        {0, cy - 1},
        {cx - 1, cy - 1},
        {left - 1, top + cyPicture / 2},
        {left + cxPicture, top + cyPicture / 2},
        {left + cxPicture / 2, top - 1},
        {left + cxPicture / 2, top + cyPicture},
    };
    for (const POINT& pt : blackPoints)
        EXPECT_EQ(BLACK, view.At(pt.x, pt.y)) << pt.x << "," << pt.y;
}

TEST_F(MainWindowTest, FileExitEndsMessageLoopWithZero)
{
    m_pFrame->PostMessage(WM_COMMAND, MAKEWPARAM(ID_APP_EXIT, 0), 0);
    EXPECT_EQ(0, m_app.Run());
    EXPECT_EQ(nullptr, m_app.m_pMainWnd);
    EXPECT_EQ(nullptr, m_app.GetMainFrame());
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    EXPECT_FALSE(::GetClassInfoExW(m_app.m_hInstance, PLAYER_CLASS_NAME, &wc));
}

}  // namespace
