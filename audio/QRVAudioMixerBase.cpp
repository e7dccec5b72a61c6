#include "QRVAudioMixerBase.h"

#include <algorithm>
#include <climits>

#include "QRVMixerCalls.h"

namespace {

// A value that the control cannot hold, so that a read that fills in
// nothing can be told from one that does; false when there is none.
bool NoValueMark(const MIXERCONTROLW& control, DWORD& dwMark)
{
    switch (control.dwControlType & MIXERCONTROL_CT_UNITS_MASK) {
    case MIXERCONTROL_CT_UNITS_BOOLEAN:
        dwMark = 0x7FFFFFFF;  // neither false (0) nor true (1)
        return true;
    case MIXERCONTROL_CT_UNITS_SIGNED:
    case MIXERCONTROL_CT_UNITS_DECIBELS:
        if (control.Bounds.lMinimum > LONG_MIN) {
            dwMark = static_cast<DWORD>(control.Bounds.lMinimum - 1);
            return true;
        }
        if (control.Bounds.lMaximum < LONG_MAX) {
            dwMark = static_cast<DWORD>(control.Bounds.lMaximum + 1);
            return true;
        }
        return false;
    default:
        if (control.Bounds.dwMaximum < ULONG_MAX) {
            dwMark = control.Bounds.dwMaximum + 1;
            return true;
        }
        if (control.Bounds.dwMinimum > 0) {
            dwMark = control.Bounds.dwMinimum - 1;
            return true;
        }
        return false;
    }
}

}  // namespace

QRVAudioMixerBase::~QRVAudioMixerBase()
{
    Unbind();
}

bool QRVAudioMixerBase::Bind(DWORD destinationType, DWORD sourceType, DWORD controlType, HWND hCallback,
                             UINT mixerId, DWORD lineId)
{
    if (mixerId >= ::mixerGetNumDevs())
        return false;
    if (m_hMixer != nullptr && !Unbind())
        return false;
    HMIXER hMixer = nullptr;
    if (Keep(::mixerOpen(&hMixer, mixerId, reinterpret_cast<DWORD_PTR>(hCallback), 0, CALLBACK_WINDOW)) !=
        MMSYSERR_NOERROR)
        return false;
    m_hMixer = hMixer;

    MIXERCAPSW caps{};
    if (Keep(::mixerGetDevCapsW(reinterpret_cast<UINT_PTR>(hMixer), &caps, sizeof(caps))) != MMSYSERR_NOERROR) {
        Unbind();
        return false;
    }
    MIXERLINEW destination{};
    bool bFound = false;
    for (DWORD i = 0; i < caps.cDestinations && !bFound; ++i) {
        destination = MIXERLINEW{};
        destination.cbStruct = sizeof(destination);
        destination.dwDestination = i;
        bFound = Keep(::mixerGetLineInfoW(MixerObject(hMixer), &destination,
                                          MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_DESTINATION)) ==
                     MMSYSERR_NOERROR &&
                 destination.dwComponentType == destinationType;
    }
    if (!bFound) {
        Unbind();
        return false;
    }
    m_strDestinationName = destination.szName;

    if (sourceType != MIXER_NO_SOURCE) {
        for (DWORD i = 0; i < destination.cConnections; ++i) {
            MIXERLINEW source{};
            if (Keep(MixerSourceLine(hMixer, destination.dwDestination, i, source)) != MMSYSERR_NOERROR ||
                source.dwComponentType != sourceType || (lineId != MIXER_ANY_LINE && source.dwLineID != lineId))
                continue;
            if (!BindControl(source, controlType))
                return false;
            // A control that reports success but holds no value does
            // nothing: the destination's own one is taken instead.
            if (HoldsValue())
                return true;
            break;
        }
    }
    if (destination.cControls == 0) {
        Unbind();
        return false;
    }
    return BindControl(destination, controlType);
}

bool QRVAudioMixerBase::BindControl(const MIXERLINEW& line, DWORD controlType)
{
    m_nChannels = static_cast<int>(line.cChannels);
    m_strLineName = line.szName;
    m_strLineShortName = line.szShortName;
    if (Keep(MixerLineControl(m_hMixer, line, controlType, m_control)) != MMSYSERR_NOERROR) {
        Unbind();
        return false;
    }
    return PrepareDetails();
}

bool QRVAudioMixerBase::HoldsValue()
{
    DWORD dwMark = 0;
    if (!NoValueMark(m_control, dwMark))
        return true;
    std::fill(m_valueBuffer.begin(), m_valueBuffer.end(), dwMark);
    return !ReadDetails() || m_valueBuffer[0] != dwMark;  // (a failing read is no sign of a stub)
}

bool QRVAudioMixerBase::PrepareDetails()
{
    const bool bUniform = (m_control.fdwControl & MIXERCONTROL_CONTROLF_UNIFORM) != 0;
    const bool bMultiple = (m_control.fdwControl & MIXERCONTROL_CONTROLF_MULTIPLE) != 0;
    const DWORD nChannels = bUniform ? 1 : static_cast<DWORD>(m_nChannels);
    const DWORD nItems = bMultiple ? m_control.cMultipleItems : 1;
    switch (m_control.dwControlType & MIXERCONTROL_CT_UNITS_MASK) {
    case MIXERCONTROL_CT_UNITS_BOOLEAN:
    case MIXERCONTROL_CT_UNITS_SIGNED:
    case MIXERCONTROL_CT_UNITS_UNSIGNED:
    case MIXERCONTROL_CT_UNITS_DECIBELS:
    case MIXERCONTROL_CT_UNITS_PERCENT:
        break;
    default:
        Unbind();
        return false;
    }
    // A driver's counts are not trusted to be sane: at least one value,
    // and no more than a mixer could ever describe.
    constexpr DWORD MAX_VALUES = 4096;
    if (nChannels == 0 || nItems == 0 || nItems > MAX_VALUES / nChannels) {
        Unbind();
        return false;
    }
    m_valueBuffer.assign(static_cast<size_t>(nChannels) * nItems, 0);
    m_pValues = m_valueBuffer.data();
    m_details = MIXERCONTROLDETAILS{};
    m_details.cbStruct = sizeof(m_details);
    m_details.dwControlID = m_control.dwControlID;
    m_details.cChannels = nChannels;
    m_details.cMultipleItems = bMultiple ? m_control.cMultipleItems : 0;
    m_details.cbDetails = sizeof(DWORD);
    m_details.paDetails = m_pValues;
    return true;
}

bool QRVAudioMixerBase::Unbind()
{
    if (m_hMixer != nullptr) {
        if (Keep(::mixerClose(m_hMixer)) != MMSYSERR_NOERROR)
            return false;
        m_hMixer = nullptr;
    }
    m_valueBuffer.clear();
    m_pValues = nullptr;
    m_details.paDetails = nullptr;
    return true;
}

bool QRVAudioMixerBase::ReadDetails()
{
    return m_hMixer != nullptr && m_pValues != nullptr &&
           Keep(::mixerGetControlDetailsW(MixerObject(m_hMixer), &m_details,
                                          MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE)) ==
               MMSYSERR_NOERROR;
}

bool QRVAudioMixerBase::WriteDetails()
{
    return m_hMixer != nullptr && m_pValues != nullptr &&
           Keep(::mixerSetControlDetails(MixerObject(m_hMixer), &m_details,
                                         MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE)) ==
               MMSYSERR_NOERROR;
}
