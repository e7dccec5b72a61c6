// The seek slider on its own: where a click on the channel puts the thumb,
// and that the slider never keeps the keyboard focus.
#include <gtest/gtest.h>

#include "MessagePump.h"
#include "VideoSliderCtrl.h"

TEST(SliderArithmetic, ClickPutsTheThumbCentreUnderThePoint)
{
    // Channel 10 .. 210, thumb 10 wide: 190 usable pixels for 0 .. 1900.
    struct Case {
        int nMin, nMax, x, nExpected;
    };
    const Case cases[] = {
        {0, 1900, 15, 0},      // the left end, thumb centre on it
        {0, 1900, 10, 0},      // left of where the centre can go
        {0, 1900, 205, 1900},  // the right end
        {0, 1900, 209, 1900},  // clamped
        {0, 1900, 110, 950},   // the middle
        {0, 1901, 16, 10},     // rounded, not truncated: 1901 / 190 = 10.005
        {100, 100, 110, 100},  // an empty range stays where it is
        {0, 0, 150, 0},        // no movie
        {0, -1, 150, 0},       // before the first movie
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.nExpected, CVideoSliderCtrl::ClickPosition(c.nMin, c.nMax, c.x, 10, 10, 210))
            << c.nMin << ".." << c.nMax << " at " << c.x;
    // A channel no wider than the thumb gives the start.
    EXPECT_EQ(0, CVideoSliderCtrl::ClickPosition(0, 1000, 20, 10, 10, 20));
}

namespace {

// A slider in a visible top-level window, with real clicks on it.
class SliderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_hHost = ::CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 500, 120,
                                    nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, m_hHost);
        m_host.Attach(m_hHost);
        ASSERT_TRUE(m_slider.Create(WS_CHILD | WS_VISIBLE | TBS_NOTICKS, RECT{0, 0, 400, 30}, &m_host, 1));
        m_slider.SetRange(0, 10000);
    }
    void TearDown() override
    {
        m_slider.DestroyWindow();
        m_host.Detach();
        ::DestroyWindow(m_hHost);
    }

    void Click(int x)
    {
        RECT rcChannel{};
        m_slider.SendMessage(TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&rcChannel));
        const LPARAM lPoint = MAKELPARAM(x, (rcChannel.top + rcChannel.bottom) / 2);
        m_slider.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, lPoint);
        m_slider.SendMessage(WM_LBUTTONUP, 0, lPoint);
        PumpPending();
    }
    RECT Channel() const
    {
        RECT rc{};
        m_slider.SendMessage(TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&rc));
        return rc;
    }
    RECT Thumb() const
    {
        RECT rc{};
        m_slider.SendMessage(TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&rc));
        return rc;
    }

    HWND m_hHost = nullptr;
    CWnd m_host;
    CVideoSliderCtrl m_slider;
};

}  // namespace

TEST_F(SliderTest, ClicksOnTheChannelJumpThereAndOnTheThumbDoNot)
{
    const RECT rcChannel = Channel();
    const int nThumb = Thumb().right - Thumb().left;
    ASSERT_GT(rcChannel.right - rcChannel.left, 2 * nThumb);

    m_slider.SetPos(5000);  // the thumb away from both ends
    Click(rcChannel.left + nThumb / 2);
    EXPECT_EQ(0, m_slider.GetPos());
    EXPECT_TRUE(m_slider.m_bJumped);
    Click(rcChannel.right - 1);
    EXPECT_EQ(10000, m_slider.GetPos());

    m_slider.SetPos(5000);
    const RECT rcThumb = Thumb();
    Click((rcThumb.left + rcThumb.right) / 2);
    EXPECT_EQ(5000, m_slider.GetPos());
    EXPECT_FALSE(m_slider.m_bJumped);

    m_slider.SetRange(0, 0);
    Click((rcChannel.left + rcChannel.right) / 2);
    EXPECT_EQ(0, m_slider.GetPos());
}
