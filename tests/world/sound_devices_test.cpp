// What the sound world offers a Windows program: with the private sound
// server running, wave-out devices and a mixer whose speakers destination
// has a wave-out source line with volume and mute controls; with no sound
// server, no wave-out device and no mixer at all.
#include <windows.h>
#include <mmsystem.h>
#include <gtest/gtest.h>

namespace {

// Finds a control of the given type on the wave-out source line of the
// speakers destination of mixer 0.
bool FindWaveOutControl(DWORD controlType, MIXERCONTROLW* found)
{
    HMIXEROBJ mixer = reinterpret_cast<HMIXEROBJ>(static_cast<UINT_PTR>(0));
    MIXERLINEW dest = {};
    dest.cbStruct = sizeof dest;
    dest.dwComponentType = MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
    if (mixerGetLineInfoW(mixer, &dest, MIXER_OBJECTF_MIXER | MIXER_GETLINEINFOF_COMPONENTTYPE))
        return false;
    for (DWORD i = 0; i < dest.cConnections; ++i) {
        MIXERLINEW src = {};
        src.cbStruct = sizeof src;
        src.dwDestination = dest.dwDestination;
        src.dwSource = i;
        if (mixerGetLineInfoW(mixer, &src, MIXER_OBJECTF_MIXER | MIXER_GETLINEINFOF_SOURCE))
            continue;
        if (src.dwComponentType != MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT)
            continue;
        MIXERLINECONTROLSW lc = {};
        lc.cbStruct = sizeof lc;
        lc.dwLineID = src.dwLineID;
        lc.dwControlType = controlType;
        lc.cControls = 1;
        lc.cbmxctrl = sizeof(MIXERCONTROLW);
        lc.pamxctrl = found;
        found->cbStruct = sizeof(MIXERCONTROLW);
        if (mixerGetLineControlsW(mixer, &lc, MIXER_OBJECTF_MIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) ==
            MMSYSERR_NOERROR)
            return true;
    }
    return false;
}

WAVEFORMATEX Pcm16Stereo()
{
    WAVEFORMATEX fmt = {};
    fmt.wFormatTag = WAVE_FORMAT_PCM;
    fmt.nChannels = 2;
    fmt.nSamplesPerSec = 44100;
    fmt.wBitsPerSample = 16;
    fmt.nBlockAlign = 4;
    fmt.nAvgBytesPerSec = 44100 * 4;
    return fmt;
}

}  // namespace

TEST(SoundServer, OffersWaveOutDevicesThatOpen)
{
    EXPECT_GE(waveOutGetNumDevs(), 1u);
    WAVEFORMATEX fmt = Pcm16Stereo();
    HWAVEOUT wave = nullptr;
    ASSERT_EQ(waveOutOpen(&wave, WAVE_MAPPER, &fmt, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(wave), MMSYSERR_NOERROR);
}

TEST(SoundServer, MixerHasWaveOutVolumeAndMuteOnSpeakers)
{
    ASSERT_GE(mixerGetNumDevs(), 1u);
    MIXERCONTROLW volume = {}, mute = {};
    ASSERT_TRUE(FindWaveOutControl(MIXERCONTROL_CONTROLTYPE_VOLUME, &volume));
    ASSERT_TRUE(FindWaveOutControl(MIXERCONTROL_CONTROLTYPE_MUTE, &mute));
    EXPECT_LT(volume.Bounds.dwMinimum, volume.Bounds.dwMaximum);
    EXPECT_EQ(mute.dwControlType, static_cast<DWORD>(MIXERCONTROL_CONTROLTYPE_MUTE));
}

// Run with VISTREL_NO_SOUND=1 (see tests/world/CMakeLists.txt).
TEST(NoSoundServer, HasNoWaveOutDeviceAndNoMixer)
{
    EXPECT_EQ(waveOutGetNumDevs(), 0u);
    EXPECT_EQ(mixerGetNumDevs(), 0u);
    WAVEFORMATEX fmt = Pcm16Stereo();
    HWAVEOUT wave = nullptr;
    EXPECT_NE(waveOutOpen(&wave, WAVE_MAPPER, &fmt, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
    MIXERCONTROLW volume = {};
    EXPECT_FALSE(FindWaveOutControl(MIXERCONTROL_CONTROLTYPE_VOLUME, &volume));
}
