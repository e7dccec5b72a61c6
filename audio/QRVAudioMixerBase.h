// QRVAudioMixerBase: one control of the system audio mixer bound to a
// window control. Bind opens the mixer with the window as its callback (so
// change notifications arrive as MM_MIXM_CONTROL_CHANGE), finds the line
// and its control, and prepares the request that reads and writes the
// control's values, one per channel (times the items of a multiple-item
// control).
#pragma once

#include <string>
#include <vector>
#include <windows.h>
#include <mmsystem.h>

#include "QRVMMError.h"

// Component type that stands for "no source": the destination itself.
constexpr DWORD MIXER_NO_SOURCE = MIXERLINE_COMPONENTTYPE_SRC_LAST + 1;  // 0x100B
constexpr DWORD MIXER_ANY_LINE = static_cast<DWORD>(-1);

class QRVAudioMixerBase : public QRVMMError {
public:
    QRVAudioMixerBase() = default;
    QRVAudioMixerBase(const QRVAudioMixerBase&) = delete;
    QRVAudioMixerBase& operator=(const QRVAudioMixerBase&) = delete;

    // Run when the control's window is destroyed.
    virtual void Release() = 0;
    virtual bool PrepareDetails();
    virtual ~QRVAudioMixerBase();

    // Binds control type controlType of the first source line of type
    // sourceType (and line id lineId unless MIXER_ANY_LINE) on the first
    // destination of type destinationType of mixer mixerId. Without such a
    // source line, or when its control reports success but holds no value,
    // the destination's own control of that type is bound.
    bool Bind(DWORD destinationType, DWORD sourceType, DWORD controlType, HWND hCallback, UINT mixerId,
              DWORD lineId);
    // Closes the mixer (false, keeping the handle, when that fails).
    bool Unbind();
    bool ReadDetails();
    bool WriteDetails();

    bool IsBound() const { return m_hMixer != nullptr; }
    HMIXER GetMixer() const { return m_hMixer; }
    const MIXERCONTROLW& GetControl() const { return m_control; }
    const std::wstring& GetLineName() const { return m_strLineName; }
    const std::wstring& GetDestinationName() const { return m_strDestinationName; }
    // The values as last read or written; GetValueCount() of them.
    const DWORD* GetValues() const { return m_pValues; }
    int GetValueCount() const { return static_cast<int>(m_valueBuffer.size()); }

protected:
    // Values per item: 1 for a uniform control, else the line's channels.
    int ValueChannels() const { return static_cast<int>(m_details.cChannels); }

    MIXERCONTROLDETAILS m_details{};
    std::vector<DWORD> m_valueBuffer;
    std::wstring m_strLineName;
    std::wstring m_strDestinationName;
    std::wstring m_strLineShortName;
    HMIXER m_hMixer = nullptr;
    MIXERCONTROLW m_control{};
    int m_nChannels = 0;
    DWORD* m_pValues = nullptr;
    int m_nItemIndex = 0;

private:
    // The control of type controlType on line, with its request prepared.
    bool BindControl(const MIXERLINEW& line, DWORD controlType);
    // False when a read of the bound control succeeds without filling in
    // a value.
    bool HoldsValue();
};
