// Mixer calls shared by the mixer-bound controls and the system volume:
// the questions both ask of a mixer, with their structures filled in.
#pragma once

#include <windows.h>
#include <mmsystem.h>

inline HMIXEROBJ MixerObject(HMIXER hMixer)
{
    return reinterpret_cast<HMIXEROBJ>(hMixer);
}

// Source line nSource of destination dwDestination.
inline MMRESULT MixerSourceLine(HMIXER hMixer, DWORD dwDestination, DWORD nSource, MIXERLINEW& line)
{
    line = MIXERLINEW{};
    line.cbStruct = sizeof(line);
    line.dwDestination = dwDestination;
    line.dwSource = nSource;
    return ::mixerGetLineInfoW(MixerObject(hMixer), &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_SOURCE);
}

// The control of type dwType on line; MIXERR_INVALCONTROL when the line
// has no controls at all.
inline MMRESULT MixerLineControl(HMIXER hMixer, const MIXERLINEW& line, DWORD dwType, MIXERCONTROLW& control)
{
    control = MIXERCONTROLW{};
    control.cbStruct = sizeof(control);
    if (line.cControls == 0)
        return MIXERR_INVALCONTROL;
    MIXERLINECONTROLSW controls{};
    controls.cbStruct = sizeof(controls);
    controls.dwLineID = line.dwLineID;
    controls.dwControlType = dwType;
    controls.cControls = 1;
    controls.cbmxctrl = sizeof(MIXERCONTROLW);
    controls.pamxctrl = &control;
    return ::mixerGetLineControlsW(MixerObject(hMixer), &controls,
                                   MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE);
}
