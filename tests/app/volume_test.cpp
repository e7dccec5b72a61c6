// The system volume: the slider and step arithmetic, the wave-out line's
// volume and mute on the test world's real mixer, the frame's volume
// commands and button images, the popup following the mixer, what is put
// back at the end, and a player without any sound server.
#include <cstdlib>

#include <gtest/gtest.h>

#include "CSystemVolume.h"
#include "player_fixture.h"
#include "resource.h"

namespace {

constexpr int WAVE_OUT = 1;  // the wave-out line's kind
constexpr int PLAY_MENU = 1;

bool NoSoundServer()
{
    const char* psz = std::getenv("VISTREL_NO_SOUND");
    return psz != nullptr && psz[0] == '1';
}

// The mixer as another program sees it: reads and writes the controls
// the player binds, putting nothing back when it goes.
class CMixerProbe {
public:
    CMixerProbe()
    {
        m_volume.m_bRestoreOnClose = false;
        m_bOpen = m_volume.Open(nullptr, 0) && m_volume.BindLine(WAVE_OUT, VK_MUTE_CONTROL, false) &&
                  m_volume.BindLine(WAVE_OUT, VK_VOLUME_CONTROL, false);
    }
    bool IsOpen() const { return m_bOpen; }
    int Volume()
    {
        int n = -1;
        m_volume.GetValue(WAVE_OUT, VK_VOLUME_CONTROL, n);
        return n;
    }
    int Muted()
    {
        int n = -1;
        m_volume.GetValue(WAVE_OUT, VK_MUTE_CONTROL, n);
        return n;
    }
    void Set(int nVolume, int nMuted)
    {
        m_volume.SetValue(nVolume, WAVE_OUT, VK_VOLUME_CONTROL);
        m_volume.SetValue(nMuted, WAVE_OUT, VK_MUTE_CONTROL);
    }

private:
    CSystemVolume m_volume;
    bool m_bOpen = false;
};

class SystemVolume : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (NoSoundServer())
            GTEST_SKIP() << "runs with the sound server only";
        ASSERT_TRUE(m_probe.IsOpen());
        m_probe.Set(65535, 0);
    }
    CMixerProbe m_probe;
};

int ButtonImage(CMainFrame& frame)
{
    UINT nID = 0, nStyle = 0;
    int nImage = -1;
    frame.m_wndToolBar.GetButtonInfo(frame.m_wndToolBar.CommandToIndex(ID_VOLUME_POPUP), nID, nStyle, nImage);
    return nImage;
}

}  // namespace

TEST(VolumeArithmetic, SliderDivisorThumbAndBalance)
{
    EXPECT_EQ(2048, QRVAudioMixerSlider::DivisorOf(0, 65535, 32));
    EXPECT_EQ(341, QRVAudioMixerSlider::DivisorOf(0, 65535, 192));
    EXPECT_EQ(1, QRVAudioMixerSlider::DivisorOf(0, 65535, 0));           // no steps
    EXPECT_EQ(1, QRVAudioMixerSlider::DivisorOf(0, 0xFFFFFFFF, 1 << 30));  // the span wraps to 0

    struct Case {
        int nMode;
        DWORD values[2];
        int nThumb;
    };
    for (const Case& c : {Case{MSM_LEFT, {40000, 20000}, 19}, Case{MSM_RIGHT, {40000, 20000}, 9},
                          Case{MSM_BOTH, {40000, 20000}, 19}, Case{MSM_BALANCE, {40000, 20000}, 8},
                          Case{MSM_BALANCE, {20000, 40000}, 24}, Case{MSM_BALANCE, {0, 0}, -1}}) {
        SCOPED_TRACE(c.nMode);
        float fBalance = 0.25f;
        EXPECT_EQ(c.nThumb, QRVAudioMixerSlider::ThumbOf(c.nMode, c.values, 2, 2048, 32, fBalance));
        if (c.values[0] == 40000) {
            EXPECT_FLOAT_EQ(-0.5f, fBalance);
        }
    }
    // One value (a uniform control): every mode reads and writes it.
    const DWORD one[1] = {30000};
    float fBalance = 0.0f;
    EXPECT_EQ(14, QRVAudioMixerSlider::ThumbOf(MSM_RIGHT, one, 1, 2048, 32, fBalance));
}

TEST(VolumeArithmetic, MovingTheThumbKeepsTheBalance)
{
    struct Case {
        int nMode, v;
        float fBalance;
        DWORD before[2], after[2];
    };
    for (const Case& c : {Case{MSM_BOTH, 30000, -0.5f, {40000, 20000}, {30000, 15000}},
                          Case{MSM_BOTH, 30000, 0.5f, {20000, 40000}, {15000, 30000}},
                          Case{MSM_LEFT, 100, 0.0f, {1, 2}, {100, 2}}, Case{MSM_RIGHT, 100, 0.0f, {1, 2}, {1, 100}},
                          // Balance: past the middle the left fades, before it the right.
                          Case{MSM_BALANCE, 49152, 0.0f, {40000, 20000}, {20000, 40000}},
                          Case{MSM_BALANCE, 16384, 0.0f, {40000, 20000}, {40000, 20000}},
                          Case{MSM_BALANCE, 8192, 0.0f, {40000, 20000}, {40000, 10000}}}) {
        SCOPED_TRACE(c.nMode);
        DWORD values[2] = {c.before[0], c.before[1]};
        QRVAudioMixerSlider::ApplyThumb(c.nMode, c.v, 65536, c.fBalance, values, 2);
        EXPECT_EQ(c.after[0], values[0]);
        EXPECT_EQ(c.after[1], values[1]);
    }
}

TEST(VolumeArithmetic, StepAndButtonImage)
{
    EXPECT_EQ(2622, CSystemVolume::StepOf(0, 65535, 25));
    EXPECT_EQ(4370, CSystemVolume::StepOf(0, 65535, 15));
    struct Case {
        bool bMuted;
        int nVolume, nImage;
    };
    for (const Case& c : {Case{false, 0, 10}, Case{true, 40000, 10}, Case{false, 1, 11}, Case{false, 10000, 11},
                          Case{false, 32768, 12}, Case{false, 50000, 13}, Case{false, 65535, 13}}) {
        SCOPED_TRACE(c.nVolume);
        EXPECT_EQ(c.nImage, CMainFrame::VolumeImage(10, c.bMuted, c.nVolume, 0, 65535));
    }
}

TEST_F(SystemVolume, WaveOutLineBindsLiveControlsAndCloseRestoresThem)
{
    m_probe.Set(50000, 1);
    CSystemVolume volume;
    EXPECT_FALSE(volume.BindLine(WAVE_OUT, VK_VOLUME_CONTROL, false));  // not open
    ASSERT_TRUE(volume.Open(nullptr, 0));
    EXPECT_FALSE(volume.BindLine(CSystemVolume::LINE_KINDS, VK_VOLUME_CONTROL, false));
    EXPECT_FALSE(volume.BindLine(WAVE_OUT, 2, false));
    ASSERT_TRUE(volume.BindLine(WAVE_OUT, VK_VOLUME_CONTROL, false));
    ASSERT_TRUE(volume.BindLine(WAVE_OUT, VK_MUTE_CONTROL, false));
    int nMin = -1, nMax = -1;
    ASSERT_TRUE(volume.GetRange(WAVE_OUT, VK_VOLUME_CONTROL, nMin, nMax));
    EXPECT_EQ(0, nMin);
    EXPECT_EQ(65535, nMax);
    ASSERT_TRUE(volume.SetSteps(25));
    EXPECT_FALSE(volume.SetSteps(256));

    // Steps of 2622, clamped at both ends, and what is written is what the
    // mixer holds for everyone.
    ASSERT_TRUE(volume.Step(false, WAVE_OUT, VK_VOLUME_CONTROL));
    EXPECT_EQ(50000 - 2622, m_probe.Volume());
    ASSERT_TRUE(volume.SetValue(65535 - 100, WAVE_OUT, VK_VOLUME_CONTROL));
    ASSERT_TRUE(volume.Step(true, WAVE_OUT, VK_VOLUME_CONTROL));
    EXPECT_EQ(65535, m_probe.Volume());
    ASSERT_TRUE(volume.Step(true, WAVE_OUT, VK_VOLUME_CONTROL));  // at the limit: nothing written
    EXPECT_EQ(65535, m_probe.Volume());
    ASSERT_TRUE(volume.SetValue(-5, WAVE_OUT, VK_VOLUME_CONTROL));
    EXPECT_EQ(0, m_probe.Volume());
    ASSERT_TRUE(volume.Step(false, WAVE_OUT, VK_VOLUME_CONTROL));
    EXPECT_EQ(0, m_probe.Volume());
    ASSERT_TRUE(volume.Step(true, WAVE_OUT, VK_MUTE_CONTROL));
    EXPECT_EQ(0, m_probe.Muted());

    // Close puts back what was there at bind time.
    ASSERT_TRUE(volume.Close());
    EXPECT_EQ(50000, m_probe.Volume());
    EXPECT_EQ(1, m_probe.Muted());
    EXPECT_EQ(CSystemVolume::DEFAULT_STEPS, volume.GetSteps());
    int nValue = 0;
    EXPECT_FALSE(volume.GetValue(WAVE_OUT, VK_VOLUME_CONTROL, nValue));
}

TEST_F(SystemVolume, KeysChangeTheVolumeThePopupFollowsAndExitPutsItBack)
{
    m_probe.Set(40000, 1);
    {
        CPlayer player(L"");
        ASSERT_TRUE(player.IsStarted());
        CMainFrame& frame = player.Frame();
        ASSERT_NE(nullptr, frame.m_dlgVolume.m_hWnd);
        QRVAudioMixerSlider& slider = frame.m_dlgVolume.m_sliderVolume;
        QRVAudioMixerButton& mute = frame.m_dlgVolume.m_btnMute;
        ASSERT_TRUE(slider.IsBound());
        ASSERT_TRUE(mute.IsBound());
        EXPECT_EQ(BST_CHECKED, mute.GetCheck());
        EXPECT_EQ(1, player.CheckOf(ID_VOLUME_MUTE));

        // Down unmutes and steps; the popup follows without a notification.
        player.Command(ID_VOLUME_DOWN);
        player.Command(ID_VOLUME_DOWN);
        EXPECT_EQ(40000 - 2 * 2622, m_probe.Volume());
        EXPECT_EQ(0, m_probe.Muted());
        EXPECT_EQ(BST_UNCHECKED, mute.GetCheck());
        EXPECT_EQ(m_probe.Volume() / slider.GetDivisor() * slider.GetDivisor(), slider.ReadThumb());
        player.Command(ID_VOLUME_MUTE);
        EXPECT_EQ(1, m_probe.Muted());
        EXPECT_EQ(BST_CHECKED, mute.GetCheck());
        EXPECT_EQ(1, player.CheckOf(ID_VOLUME_MUTE));
        player.Command(ID_VOLUME_UP);
        EXPECT_EQ(40000 - 2622, m_probe.Volume());
        EXPECT_EQ(0, m_probe.Muted());
        EXPECT_EQ(BST_UNCHECKED, mute.GetCheck());
        EXPECT_EQ(m_probe.Volume() / slider.GetDivisor() * slider.GetDivisor(), slider.ReadThumb());

        // At the maximum Ctrl+Up writes no volume but still unmutes; once
        // unmuted there, it is refused.
        m_probe.Set(65535, 1);
        EXPECT_TRUE(player.IsEnabled(ID_VOLUME_DOWN));
        player.Command(ID_VOLUME_UP);
        EXPECT_EQ(65535, m_probe.Volume());
        EXPECT_EQ(0, m_probe.Muted());
        EXPECT_FALSE(player.IsEnabled(ID_VOLUME_UP));
        m_probe.Set(0, 0);
        EXPECT_TRUE(player.IsEnabled(ID_VOLUME_UP));
        EXPECT_FALSE(player.IsEnabled(ID_VOLUME_DOWN));
        player.Command(ID_VOLUME_DOWN);
        EXPECT_EQ(0, m_probe.Volume());
        m_probe.Set(1000, 0);
    }
    EXPECT_EQ(40000, m_probe.Volume());
    EXPECT_EQ(1, m_probe.Muted());
}

TEST_F(SystemVolume, ButtonImageFollowsVolumeAndMute)
{
    CPlayer player(L"");
    ASSERT_TRUE(player.IsStarted());
    CMainFrame& frame = player.Frame();
    const int nBase = frame.m_nVolumeImageBase;
    ASSERT_GE(nBase, 0);
    struct Case {
        int nVolume, nMuted, nImage;
    };
    for (const Case& c : {Case{0, 0, 0}, Case{5000, 0, 1}, Case{32768, 0, 2}, Case{60000, 0, 3}, Case{60000, 1, 0}}) {
        SCOPED_TRACE(c.nVolume);
        m_probe.Set(c.nVolume, c.nMuted);
        frame.OnIdleUpdateCmdUI();
        EXPECT_EQ(nBase + c.nImage, ButtonImage(frame));
    }
}

TEST_F(SystemVolume, PopupAtTheViewsTopRightWithItsSliderLoudAtTheTop)
{
    CPlayer player(L"");
    ASSERT_TRUE(player.IsStarted());
    CMainFrame& frame = player.Frame();
    CVolumeCtrlDlg& popup = frame.m_dlgVolume;
    EXPECT_FALSE(popup.IsWindowVisible());
    player.Command(ID_VOLUME_POPUP);
    ASSERT_TRUE(popup.IsWindowVisible());
    const RECT rcView = player.View().GetWindowRect();
    const RECT rcPopup = popup.GetWindowRect();
    EXPECT_EQ(rcView.right, rcPopup.right);
    EXPECT_EQ(rcView.top, rcPopup.top);
    player.Command(ID_VIEW_ESCAPE);
    EXPECT_FALSE(popup.IsWindowVisible());

    // Vertical: loud at the top (position 0), silence at the bottom.
    QRVAudioMixerSlider& slider = popup.m_sliderVolume;
    m_probe.Set(65535, 0);
    popup.Refresh();
    EXPECT_EQ(0, slider.GetPos());
    m_probe.Set(0, 0);
    popup.Refresh();
    EXPECT_EQ(slider.GetSteps(), slider.GetPos());

    // Dragged by the user: the position the trackbar reports is written.
    slider.SetPos(slider.GetSteps() / 4);
    popup.SendMessage(WM_VSCROLL, MAKEWPARAM(TB_THUMBPOSITION, slider.GetSteps() / 4),
                      reinterpret_cast<LPARAM>(slider.m_hWnd));
    EXPECT_EQ((slider.GetSteps() - slider.GetSteps() / 4) * slider.GetDivisor(), m_probe.Volume());
    // The check box writes the mute.
    popup.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_VOLUME_MUTE, BN_CLICKED),
                      reinterpret_cast<LPARAM>(popup.m_btnMute.m_hWnd));
    EXPECT_EQ(1, m_probe.Muted());
}

// The test world's mixer sends no change notification, so the handlers
// get the message the mixer would send after another program's change.
TEST_F(SystemVolume, ChangeNotificationMovesThumbAndCheckAndReachesThePopup)
{
    CPlayer player(L"");
    ASSERT_TRUE(player.IsStarted());
    CVolumeCtrlDlg& popup = player.Frame().m_dlgVolume;
    QRVAudioMixerSlider& slider = popup.m_sliderVolume;
    QRVAudioMixerButton& mute = popup.m_btnMute;
    m_probe.Set(0, 1);

    // Another control's notification changes nothing.
    slider.SendMessage(MM_MIXM_CONTROL_CHANGE, reinterpret_cast<WPARAM>(slider.GetMixer()),
                       slider.GetControl().dwControlID + 100);
    EXPECT_EQ(0, slider.GetPos());
    slider.SendMessage(MM_MIXM_CONTROL_CHANGE, reinterpret_cast<WPARAM>(slider.GetMixer()),
                       slider.GetControl().dwControlID);
    EXPECT_EQ(slider.GetSteps(), slider.GetPos());
    MSG msg{};
    EXPECT_TRUE(::PeekMessageW(&msg, popup.m_hWnd, MM_MIXM_CONTROL_CHANGE, MM_MIXM_CONTROL_CHANGE, PM_REMOVE));
    EXPECT_EQ(static_cast<LPARAM>(slider.GetControl().dwControlID), msg.lParam);

    EXPECT_EQ(BST_UNCHECKED, mute.GetCheck());
    mute.SendMessage(MM_MIXM_CONTROL_CHANGE, reinterpret_cast<WPARAM>(mute.GetMixer()),
                     mute.GetControl().dwControlID);
    EXPECT_EQ(BST_CHECKED, mute.GetCheck());
}

TEST(VolumeNoSound, NoPopupNoButtonGreyedSubmenuAndDeadKeys)
{
    if (!NoSoundServer())
        GTEST_SKIP() << "runs without a sound server only";
    CPlayer player(L"");
    ASSERT_TRUE(player.IsStarted());
    CMainFrame& frame = player.Frame();
    EXPECT_EQ(nullptr, frame.m_dlgVolume.m_hWnd);
    EXPECT_FALSE(frame.m_volume.IsOpen());
    for (UINT nID : {ID_VOLUME_POPUP, ID_SEPARATOR_VOLUME})
        EXPECT_TRUE(frame.m_wndToolBar.IsButtonHidden(frame.m_wndToolBar.CommandToIndex(nID)));
    for (UINT nID : {ID_VOLUME_UP, ID_VOLUME_DOWN, ID_VOLUME_MUTE})
        EXPECT_FALSE(player.IsEnabled(nID));
    HMENU hPlay = ::GetSubMenu(::GetMenu(frame.m_hWnd), PLAY_MENU);
    ASSERT_NE(nullptr, hPlay);
    frame.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hPlay), MAKELPARAM(PLAY_MENU, 0));
    const int nVolumeItem = ::GetMenuItemCount(hPlay) - 1;
    ASSERT_NE(nullptr, ::GetSubMenu(hPlay, nVolumeItem));
    EXPECT_NE(0u, ::GetMenuState(hPlay, nVolumeItem, MF_BYPOSITION) & MF_GRAYED);
    player.Command(ID_VOLUME_POPUP);  // nothing to show, nothing breaks
    player.Command(ID_VOLUME_MUTE);
}
