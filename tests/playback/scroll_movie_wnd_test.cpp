// The scrolling movie window: which bars show and their ranges, the wheel,
// scroll actions, and no scrolling with MWO_SHRINK.
#include <gtest/gtest.h>

#include <memory>

#include "QRVScrollMovieWnd.h"
#include "movie_host.h"
#include "numbered_movies.h"

namespace {

constexpr int SMT_CX = 800;
constexpr int SMT_CY = 600;

class ScrollMovieTest : public ::testing::Test {
protected:
    void Open(int nMovieCx, int nMovieCy, DWORD dwOptions = 0)
    {
        CNumberedMovie movie;
        movie.nWidth = nMovieCx;
        movie.nHeight = nMovieCy;
        movie.nFrames = 1;
        movie.bCoordinates = true;
        ASSERT_EQ(WriteNumberedMovie(m_file.WidePath(), movie), "");
        m_pHost = std::make_unique<CMovieHost>(SMT_CX, SMT_CY);
        m_pMovie = std::make_unique<QRVScrollMovieWnd>();
        m_pMovie->SetLayoutRect(RECT{0, 0, SMT_CX, SMT_CY});
        ASSERT_TRUE(m_pMovie->CreateMovieWindow(m_pHost->Wnd()));
        m_pMovie->SetOptions(dwOptions);
        ASSERT_TRUE(m_pMovie->OpenMovie(m_file.WidePath().c_str()));
        m_pMovie->UpdateScrollBars();
    }
    void TearDown() override
    {
        m_pMovie.reset();
        m_pHost.reset();
    }
    bool Shows(DWORD dwBar) const { return (::GetWindowLongW(m_pMovie->m_hWnd, GWL_STYLE) & dwBar) != 0; }
    int Pos(int nBar) const { return ::GetScrollPos(m_pMovie->m_hWnd, nBar); }
    SCROLLINFO Info(int nBar) const
    {
        SCROLLINFO si{};
        si.cbSize = sizeof(si);
        si.fMask = SIF_ALL;
        ::GetScrollInfo(m_pMovie->m_hWnd, nBar, &si);
        return si;
    }

    CTestFile m_file{L"scroll.avi"};
    std::unique_ptr<CMovieHost> m_pHost;
    std::unique_ptr<QRVScrollMovieWnd> m_pMovie;
};

struct CBarCase {
    int cx, cy;
    bool bHorz, bVert;
};

class ScrollBarChoiceTest : public ScrollMovieTest, public ::testing::WithParamInterface<CBarCase> {};

TEST_P(ScrollBarChoiceTest, BarsShowWhereTheMovieDoesNotFit)
{
    const CBarCase& c = GetParam();
    Open(c.cx, c.cy);
    EXPECT_EQ(Shows(WS_HSCROLL), c.bHorz);
    EXPECT_EQ(Shows(WS_VSCROLL), c.bVert);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ScrollBarChoiceTest,
                         ::testing::Values(CBarCase{790, 590, false, false},
                                           // the horizontal bar takes room the height needs
                                           CBarCase{810, 590, true, true}, CBarCase{810, 570, true, false},
                                           CBarCase{700, 610, false, true}));

TEST_F(ScrollMovieTest, RangesAndPagesFollowTheMovieAndTheRoomLeft)
{
    Open(1024, 768);
    const SIZE bars = m_pMovie->GetBarExtents();
    ASSERT_TRUE(Shows(WS_HSCROLL) && Shows(WS_VSCROLL));
    EXPECT_EQ(Info(SB_HORZ).nMax, 1023);
    EXPECT_EQ(static_cast<int>(Info(SB_HORZ).nPage), SMT_CX - bars.cx);
    EXPECT_EQ(Info(SB_VERT).nMax, 767);
    EXPECT_EQ(static_cast<int>(Info(SB_VERT).nPage), SMT_CY - bars.cy);
}

TEST_F(ScrollMovieTest, WheelAndScrollActionsMoveThePicture)
{
    Open(1024, 768);
    m_pMovie->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
    EXPECT_EQ(Pos(SB_VERT), 30);
    m_pMovie->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
    m_pMovie->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
    EXPECT_EQ(Pos(SB_VERT), 30);
    m_pMovie->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-360)), 0);
    EXPECT_EQ(Pos(SB_VERT), 120);  // 90 pixels
    m_pMovie->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, 40), 0);
    EXPECT_EQ(Pos(SB_VERT), 20);  // a whole page up
    m_pMovie->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, static_cast<WORD>(-120)), 0);
    EXPECT_EQ(Pos(SB_HORZ), 30);  // sideways with Ctrl
    EXPECT_EQ(Pos(SB_VERT), 20);

    m_pMovie->SendMessage(WM_HSCROLL, MAKEWPARAM(SB_RIGHT, 0), 0);
    const int nLimit = 1024 - static_cast<int>(Info(SB_HORZ).nPage);
    EXPECT_EQ(Pos(SB_HORZ), nLimit);
    m_pMovie->SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 5), 0);
    EXPECT_EQ(Pos(SB_HORZ), nLimit);
    m_pMovie->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
    EXPECT_EQ(Pos(SB_VERT), 0);
    m_pMovie->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
    EXPECT_EQ(Pos(SB_VERT), 100);

    // The picture moves with the position: the window shows the movie from
    // (nLimit, 100) on.
    auto shows = [&](int x, int y, LONG nPictureX, LONG nPictureY) {
        const POINT pt = CoordinatesOfColor(ReadWindowPixel(m_pMovie->m_hWnd, x, y));
        return pt.x == nPictureX && pt.y == nPictureY;
    };
    EXPECT_TRUE(m_pHost->PumpUntil([&] { return shows(5, 5, nLimit + 5, 105); }));
    EXPECT_TRUE(shows(300, 200, nLimit + 300, 300));
    m_pMovie->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
    m_pMovie->SendMessage(WM_HSCROLL, MAKEWPARAM(SB_LEFT, 0), 0);
    EXPECT_TRUE(m_pHost->PumpUntil([&] { return shows(7, 3, 7, 3); }));
}

TEST_F(ScrollMovieTest, ShrinkKeepsTheBarsHiddenAndIgnoresScrolling)
{
    Open(1024, 768, MWO_SHRINK);
    EXPECT_FALSE(Shows(WS_HSCROLL));
    EXPECT_FALSE(Shows(WS_VSCROLL));
    m_pMovie->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
    m_pMovie->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
    EXPECT_EQ(Pos(SB_VERT), 0);
}

}  // namespace
