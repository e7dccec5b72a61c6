// CSystemVolume: the system's playback volume and mute as the player's
// keys, menu and volume button use them. Lines are addressed by an index
// (0 the speakers destination, 1 its wave-out source, then the other kinds
// of source); for each, one volume and one mute control can be bound.
// Values are read and written as one value for all channels. Close puts
// back what every bound control held when it was bound.
#pragma once

#include <vector>
#include <windows.h>
#include <mmsystem.h>

enum EVolumeKind { VK_MUTE_CONTROL = 0, VK_VOLUME_CONTROL = 1 };

class CSystemVolume {
public:
    static constexpr int LINE_KINDS = 12;
    static constexpr UINT DEFAULT_STEPS = 15;
    static constexpr UINT MAX_STEPS = 255;

    CSystemVolume() = default;
    CSystemVolume(const CSystemVolume&) = delete;
    CSystemVolume& operator=(const CSystemVolume&) = delete;
    ~CSystemVolume() { Close(); }

    // Opens mixer mixerId (mixer notifications to hCallback when given).
    bool Open(HWND hCallback, UINT mixerId);
    bool Close();
    bool IsOpen() const { return m_hMixer != nullptr; }
    MMRESULT GetLastResult() const { return m_nLastResult; }

    // Binds the mute (kind 0) or volume (kind 1) control of line kind
    // nIndex, on the speakers destination or, when bRecording, the wave-in
    // destination, and remembers its value for Close.
    bool BindLine(int nIndex, int nKind, bool bRecording, DWORD lineId = static_cast<DWORD>(-1));

    bool GetRange(int nIndex, int nKind, int& nMin, int& nMax) const;
    bool GetValue(int nIndex, int nKind, int& nValue);
    bool SetValue(int nValue, int nIndex, int nKind);
    // One step of the volume up or down (clamped; nothing is written at
    // the limit), or the mute flipped.
    bool Step(bool bUp, int nIndex, int nKind);
    // Volume steps between minimum and maximum (1 to 255).
    bool SetSteps(UINT nSteps);
    UINT GetSteps() const { return m_nSteps; }
    // The step Step takes on a control of [nMin, nMax].
    static int StepOf(int nMin, int nMax, UINT nSteps);

    // Whether Close writes back the values found at bind time.
    bool m_bRestoreOnClose = true;

private:
    MMRESULT Keep(MMRESULT nResult) { return m_nLastResult = nResult; }
    DWORD ControlId(int nIndex, int nKind) const;
    // The control of type dwControlType on line, or -1.
    DWORD FindControl(const MIXERLINEW& line, DWORD dwControlType, MIXERCONTROLW& control);
    bool ReadControl(DWORD dwControlId, DWORD& dwValue);
    bool WriteControl(DWORD dwControlId, DWORD dwValue);

    MMRESULT m_nLastResult = MMSYSERR_NOERROR;
    HMIXER m_hMixer = nullptr;
    DWORD m_nLineCount = 0;
    MIXERCAPSW m_caps{};
    UINT m_nSteps = DEFAULT_STEPS;
    std::vector<DWORD> m_muteIds;
    std::vector<DWORD> m_volumeIds;
    std::vector<bool> m_savedMute;
    std::vector<DWORD> m_savedVolume;
    std::vector<DWORD> m_volumeMin;
    std::vector<DWORD> m_volumeMax;
};
