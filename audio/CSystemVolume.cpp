#include "CSystemVolume.h"

#include <algorithm>
#include <climits>

#include "QRVMixerCalls.h"

namespace {

constexpr DWORD NO_CONTROL = static_cast<DWORD>(-1);
// A value no volume or mute control holds: a read that leaves it in place
// has filled in nothing.
constexpr DWORD NO_VALUE_MARK = 0xFFFFFFFF;

// The component type of each line kind.
constexpr DWORD LINE_TYPES[CSystemVolume::LINE_KINDS] = {
    MIXERLINE_COMPONENTTYPE_DST_SPEAKERS,    MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT,
    MIXERLINE_COMPONENTTYPE_SRC_SYNTHESIZER, MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC,
    MIXERLINE_COMPONENTTYPE_SRC_LINE,        MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE,
    MIXERLINE_COMPONENTTYPE_SRC_PCSPEAKER,   MIXERLINE_COMPONENTTYPE_SRC_AUXILIARY,
    MIXERLINE_COMPONENTTYPE_SRC_ANALOG,      MIXERLINE_COMPONENTTYPE_SRC_DIGITAL,
    MIXERLINE_COMPONENTTYPE_SRC_TELEPHONE,   MIXERLINE_COMPONENTTYPE_SRC_UNDEFINED,
};

// A request for one value of control dwControlId, for all channels alike.
MIXERCONTROLDETAILS OneValue(DWORD dwControlId, DWORD* pValue)
{
    MIXERCONTROLDETAILS details{};
    details.cbStruct = sizeof(details);
    details.dwControlID = dwControlId;
    details.cChannels = 1;
    details.cbDetails = sizeof(DWORD);
    details.paDetails = pValue;
    return details;
}

}  // namespace

bool CSystemVolume::Open(HWND hCallback, UINT mixerId)
{
    if (m_hMixer != nullptr) {
        UINT nOpenId = static_cast<UINT>(-1);
        if (Keep(::mixerGetID(MixerObject(m_hMixer), &nOpenId, MIXER_OBJECTF_HMIXER)) == MMSYSERR_NOERROR &&
            nOpenId == mixerId)
            return true;
        if (!Close())
            return false;
    }
    if (mixerId >= ::mixerGetNumDevs())
        return false;
    HMIXER hMixer = nullptr;
    const DWORD dwFlags = hCallback != nullptr ? CALLBACK_WINDOW : 0;
    if (Keep(::mixerOpen(&hMixer, mixerId, reinterpret_cast<DWORD_PTR>(hCallback), 0, dwFlags)) !=
        MMSYSERR_NOERROR)
        return false;
    MIXERLINEW destination{};
    destination.cbStruct = sizeof(destination);
    destination.dwDestination = 0;
    if (Keep(::mixerGetDevCapsW(reinterpret_cast<UINT_PTR>(hMixer), &m_caps, sizeof(m_caps))) !=
            MMSYSERR_NOERROR ||
        Keep(::mixerGetLineInfoW(MixerObject(hMixer), &destination,
                                 MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_DESTINATION)) != MMSYSERR_NOERROR) {
        ::mixerClose(hMixer);
        return false;
    }
    m_hMixer = hMixer;
    m_nLineCount = destination.cConnections;
    const size_t nLength = std::max<size_t>(std::min<DWORD>(m_nLineCount, 1024), LINE_KINDS);
    m_muteIds.assign(nLength, NO_CONTROL);
    m_volumeIds.assign(nLength, NO_CONTROL);
    m_savedMute.assign(nLength, false);
    m_savedVolume.assign(nLength, 0);
    m_volumeMin.assign(nLength, 0);
    m_volumeMax.assign(nLength, 0);
    return true;
}

bool CSystemVolume::Close()
{
    if (m_hMixer != nullptr) {
        if (m_bRestoreOnClose) {
            for (size_t i = 0; i < m_volumeIds.size(); ++i) {
                if (m_muteIds[i] != NO_CONTROL)
                    WriteControl(m_muteIds[i], m_savedMute[i] ? 1 : 0);
                if (m_volumeIds[i] != NO_CONTROL)
                    WriteControl(m_volumeIds[i], m_savedVolume[i]);
            }
        }
        if (Keep(::mixerClose(m_hMixer)) != MMSYSERR_NOERROR)
            return false;
        m_hMixer = nullptr;
    }
    for (auto* pIds : {&m_muteIds, &m_volumeIds, &m_savedVolume, &m_volumeMin, &m_volumeMax})
        pIds->clear();
    m_savedMute.clear();
    m_nLineCount = 0;
    m_nSteps = DEFAULT_STEPS;
    return true;
}

DWORD CSystemVolume::FindControl(const MIXERLINEW& line, DWORD dwControlType, MIXERCONTROLW& control)
{
    return Keep(MixerLineControl(m_hMixer, line, dwControlType, control)) == MMSYSERR_NOERROR ? control.dwControlID
                                                                                               : NO_CONTROL;
}

bool CSystemVolume::BindLine(int nIndex, int nKind, bool bRecording, DWORD lineId)
{
    if (m_hMixer == nullptr || nIndex < 0 || nIndex >= LINE_KINDS ||
        (nKind != VK_MUTE_CONTROL && nKind != VK_VOLUME_CONTROL))
        return false;
    MIXERLINEW destination{};
    destination.cbStruct = sizeof(destination);
    destination.dwComponentType =
        bRecording ? MIXERLINE_COMPONENTTYPE_DST_WAVEIN : MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
    if (Keep(::mixerGetLineInfoW(MixerObject(m_hMixer), &destination,
                                 MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE)) != MMSYSERR_NOERROR)
        return false;
    const DWORD dwControlType = nKind == VK_VOLUME_CONTROL ? MIXERCONTROL_CONTROLTYPE_VOLUME
                                                           : MIXERCONTROL_CONTROLTYPE_MUTE;
    MIXERCONTROLW control{};
    DWORD dwId = NO_CONTROL;
    DWORD dwValue = 0;
    if (LINE_TYPES[nIndex] < MIXERLINE_COMPONENTTYPE_SRC_FIRST) {
        dwId = FindControl(destination, dwControlType, control);  // the destination itself
    } else {
        bool bFound = false;
        for (DWORD i = 0; i < destination.cConnections && !bFound; ++i) {
            MIXERLINEW source{};
            bFound = Keep(MixerSourceLine(m_hMixer, destination.dwDestination, i, source)) == MMSYSERR_NOERROR &&
                     source.dwComponentType == LINE_TYPES[nIndex] &&
                     (lineId == static_cast<DWORD>(-1) || source.dwLineID == lineId);
            if (bFound)
                dwId = FindControl(source, dwControlType, control);
        }
        // A control that reports success but holds no value does nothing:
        // the destination's own control of the type is taken instead.
        if (dwId != NO_CONTROL && !ReadControl(dwId, dwValue) && m_nLastResult == MMSYSERR_NOERROR)
            dwId = FindControl(destination, dwControlType, control);
    }
    if (dwId == NO_CONTROL || !ReadControl(dwId, dwValue))
        return false;
    if (nKind == VK_VOLUME_CONTROL) {
        m_volumeIds[nIndex] = dwId;
        m_savedVolume[nIndex] = dwValue;
        m_volumeMin[nIndex] = control.Bounds.dwMinimum;
        m_volumeMax[nIndex] = control.Bounds.dwMaximum;
    } else {
        m_muteIds[nIndex] = dwId;
        m_savedMute[nIndex] = dwValue != 0;
    }
    return true;
}

DWORD CSystemVolume::ControlId(int nIndex, int nKind) const
{
    const std::vector<DWORD>& ids = nKind == VK_VOLUME_CONTROL ? m_volumeIds : m_muteIds;
    if (m_hMixer == nullptr || nIndex < 0 || static_cast<size_t>(nIndex) >= ids.size())
        return NO_CONTROL;
    return ids[nIndex];
}

bool CSystemVolume::ReadControl(DWORD dwControlId, DWORD& dwValue)
{
    DWORD dwRead = NO_VALUE_MARK;
    MIXERCONTROLDETAILS details = OneValue(dwControlId, &dwRead);
    if (Keep(::mixerGetControlDetailsW(MixerObject(m_hMixer), &details,
                                       MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE)) != MMSYSERR_NOERROR ||
        dwRead == NO_VALUE_MARK)
        return false;
    dwValue = dwRead;
    return true;
}

bool CSystemVolume::WriteControl(DWORD dwControlId, DWORD dwValue)
{
    MIXERCONTROLDETAILS details = OneValue(dwControlId, &dwValue);
    return Keep(::mixerSetControlDetails(MixerObject(m_hMixer), &details,
                                         MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE)) ==
           MMSYSERR_NOERROR;
}

bool CSystemVolume::GetRange(int nIndex, int nKind, int& nMin, int& nMax) const
{
    if (ControlId(nIndex, nKind) == NO_CONTROL)
        return false;
    if (nKind == VK_MUTE_CONTROL) {
        nMin = 0;
        nMax = 1;
    } else {
        nMin = static_cast<int>(std::min<DWORD>(m_volumeMin[nIndex], INT_MAX));
        nMax = static_cast<int>(std::min<DWORD>(m_volumeMax[nIndex], INT_MAX));
    }
    return true;
}

bool CSystemVolume::GetValue(int nIndex, int nKind, int& nValue)
{
    const DWORD dwId = ControlId(nIndex, nKind);
    DWORD dwValue = 0;
    if (dwId == NO_CONTROL || !ReadControl(dwId, dwValue))
        return false;
    if (nKind == VK_MUTE_CONTROL)
        nValue = dwValue != 0 ? 1 : 0;
    else
        nValue = static_cast<int>(std::min<DWORD>(dwValue, INT_MAX));
    return true;
}

bool CSystemVolume::SetValue(int nValue, int nIndex, int nKind)
{
    const DWORD dwId = ControlId(nIndex, nKind);
    if (dwId == NO_CONTROL)
        return false;
    if (nKind == VK_MUTE_CONTROL)
        return WriteControl(dwId, nValue != 0 ? 1 : 0);
    int nMin = 0;
    int nMax = 0;
    GetRange(nIndex, nKind, nMin, nMax);
    return WriteControl(dwId, static_cast<DWORD>(std::clamp(nValue, nMin, std::max(nMin, nMax))));
}

int CSystemVolume::StepOf(int nMin, int nMax, UINT nSteps)
{
    return static_cast<int>((static_cast<long long>(nMax) - nMin) / std::max<UINT>(nSteps, 1) + 1);
}

bool CSystemVolume::Step(bool bUp, int nIndex, int nKind)
{
    int nValue = 0;
    if (!GetValue(nIndex, nKind, nValue))
        return false;
    if (nKind == VK_MUTE_CONTROL)
        return SetValue(nValue != 0 ? 0 : 1, nIndex, nKind);
    int nMin = 0;
    int nMax = 0;
    GetRange(nIndex, nKind, nMin, nMax);
    const long long nStep = StepOf(nMin, nMax, m_nSteps);
    if (bUp && nValue < nMax)
        return SetValue(static_cast<int>(std::min<long long>(nValue + nStep, nMax)), nIndex, nKind);
    if (!bUp && nValue > nMin)
        return SetValue(static_cast<int>(std::max<long long>(nValue - nStep, nMin)), nIndex, nKind);
    return true;  // at the limit: nothing to write
}

bool CSystemVolume::SetSteps(UINT nSteps)
{
    if (nSteps == 0 || nSteps > MAX_STEPS)
        return false;
    m_nSteps = nSteps;
    return true;
}
