#include "CounterAudio.h"

#include <algorithm>
#include <utility>

CCounterAudio::CCounterAudio(DWORD nSourceHz, DWORD nFrames, int nBufferSize)
    : m_nFrames(nFrames), m_nBufferSizeSetting(nBufferSize)
{
    m_format.wFormatTag = WAVE_FORMAT_PCM;
    m_format.nChannels = 2;
    m_format.nSamplesPerSec = nSourceHz;
    m_format.wBitsPerSample = 16;
    m_format.nBlockAlign = 4;
    m_format.nAvgBytesPerSec = nSourceHz * 4;
}

CCounterAudio::~CCounterAudio()
{
    Shutdown();
}

void CCounterAudio::GetBufferSettings(int& nSize, int& nCount)
{
    QRVAudio::GetBufferSettings(nSize, nCount);
    if (m_nBufferSizeSetting != 0) {
        nSize = m_nBufferSizeSetting;
        nCount = AU_MAX_BUFFERS;
    }
}

bool CCounterAudio::FillBuffer(WAVEHDR* pHeader)
{
    if (pHeader->lpData == nullptr)
        return false;
    const int nCursor = m_nReadCursor;
    const int nLeft = static_cast<int>(m_nFrames) - nCursor;
    const int nCount = std::min(GetBufferSize() / 4, nLeft);
    if (nCount <= 0) {
        pHeader->dwBufferLength = 0;
        return false;
    }
    auto* pSamples = reinterpret_cast<short*>(pHeader->lpData);
    for (int i = 0; i < nCount; ++i) {
        const DWORD n = static_cast<DWORD>(nCursor + i);
        pSamples[2 * i] = static_cast<short>(n & 0xFFFF);
        pSamples[2 * i + 1] = static_cast<short>(COUNTER_MARK + ((n >> 16) & 0x1FFF));
    }
    pHeader->dwBufferLength = static_cast<DWORD>(nCount) * 4;
    m_nReadCursor = nCursor + nCount;
    ++m_nFills;
    m_dwLastFillThread = ::GetCurrentThreadId();
    return true;
}

bool CCounterAudio::StartBuffers()
{
    if (!HasDevice() || IsRecording() || IsPlaying())
        return false;
    if (!PauseDevice())
        return false;
    m_nReadCursor = SampleAtTime(GetStartTime());
    for (UINT i = 0; i < GetBufferCount(); ++i) {
        WAVEHDR* pHeader = GetHeader(i);
        FillBuffer(pHeader);
        if (!WriteToDevice(pHeader))
            return false;
    }
    return true;
}

bool CCounterAudio::OpenSource(const std::wstring&, int nStream)
{
    if (nStream != 0)
        return false;
    m_bSourceOpen = true;
    SetFormat(&m_format);
    return true;
}

bool CCounterAudio::CloseSource()
{
    return std::exchange(m_bSourceOpen, false);
}

int CCounterAudio::GetEndTime()
{
    return ::MulDiv(static_cast<int>(m_nFrames), 1000, static_cast<int>(m_format.nSamplesPerSec));
}

int CCounterAudio::SampleAtTime(int nMs) const
{
    return ::MulDiv(nMs, static_cast<int>(m_format.nSamplesPerSec), 1000);
}
