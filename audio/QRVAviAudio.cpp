#include "QRVAviAudio.h"

#include <cstring>
#include <new>

QRVAviAudio::~QRVAviAudio()
{
    // The refill thread reads through the facade: it must be gone first.
    Shutdown();
}

// ---- source ---------------------------------------------------------------

bool QRVAviAudio::OpenSource(const std::wstring& strPath, int nStream)
{
    // Nothing may be reading the facade while it changes files.
    Stop();
    if (!m_file.Open(strPath.c_str())) {
        m_nStream = -1;
        return false;
    }
    if (nStream < 0 || static_cast<uint32_t>(nStream) >= m_file.GetAudioStreamCount()) {
        m_file.Close();
        m_nStream = -1;
        return false;
    }
    m_nStream = nStream;
    SetFormat(m_file.GetAudioFormat(StreamIndex()));
    return true;
}

bool QRVAviAudio::CloseSource()
{
    if (!m_file.IsOpen())
        return false;
    Stop();
    m_file.Close();
    m_nStream = -1;
    return true;
}

const WAVEFORMATEX* QRVAviAudio::GetFormat()
{
    const WAVEFORMATEX* pSource = m_file.GetAudioFormat(StreamIndex());
    if (pSource == nullptr)
        return nullptr;
    // The engine takes the format, remembers the source's sample rate and
    // applies the rate; what it holds then is handed out as a copy of our
    // own, so that the facade's format stays as the file has it.
    SetFormat(pSource);
    const WAVEFORMATEX* pScaled = GetDeviceFormat();
    if (pScaled == nullptr)
        return nullptr;
    const size_t cb = sizeof(WAVEFORMATEX) + pScaled->cbSize;
    m_pFormat.reset(new (std::nothrow) BYTE[cb]);
    if (!m_pFormat)
        return nullptr;
    std::memcpy(m_pFormat.get(), pScaled, cb);
    return reinterpret_cast<const WAVEFORMATEX*>(m_pFormat.get());
}

int QRVAviAudio::GetEndTime()
{
    return static_cast<int>(m_file.GetAudioEndTime(StreamIndex()));
}

// ---- buffers --------------------------------------------------------------

void QRVAviAudio::BufferSettingsForReadSize(long nReadSize, int& nSize, int& nCount)
{
    nSize = AU_MAX_BUFFER_SIZE;
    nCount = AU_MAX_BUFFERS;
    if (nReadSize > 0)
        nSize = nReadSize > INT32_MAX ? INT32_MAX : static_cast<int>(nReadSize);
}

void QRVAviAudio::GetBufferSettings(int& nSize, int& nCount)
{
    BufferSettingsForReadSize(m_file.GetAudioReadSize(StreamIndex()), nSize, nCount);
}

bool QRVAviAudio::FillBuffer(WAVEHDR* pHeader)
{
    if (pHeader == nullptr || pHeader->lpData == nullptr)
        return false;
    long nCursor = m_nReadCursor;
    long nBytes = GetBufferSize();
    if (!m_file.ReadAudioSamples(StreamIndex(), nCursor, pHeader->lpData, nBytes) || nBytes <= 0) {
        // An empty buffer is not queued: the device would hand it straight
        // back and the ring would spin at the end of the sound.
        pHeader->dwBufferLength = 0;
        return false;
    }
    pHeader->dwBufferLength = static_cast<DWORD>(nBytes);
    m_nReadCursor = static_cast<int>(nCursor);
    return true;
}

bool QRVAviAudio::StartBuffers()
{
    if (!HasDevice() || IsRecording() || IsPlaying())
        return false;
    // Nothing sounds before Resume restarts the device.
    if (!PauseDevice())
        return false;
    m_nReadCursor = static_cast<int>(m_file.AudioTimeToSample(StreamIndex(), GetStartTime()));
    bool bAllWritten = true;
    for (UINT i = 0; i < GetBufferCount(); ++i) {
        WAVEHDR* pHeader = GetHeader(i);
        // A buffer that could not be filled would play stale bytes; it is
        // left to the refill thread, which takes it in its turn.
        if (!FillBuffer(pHeader)) {
            bAllWritten = false;
            continue;
        }
        if (!WriteToDevice(pHeader))
            return false;
    }
    return bAllWritten;
}

// ---- clock ----------------------------------------------------------------

int QRVAviAudio::GetPosition()
{
    const int nPosition = QRVAudio::GetPosition();
    if (IsRecording() || nPosition == -1 || m_nStream < 0)
        return nPosition;
    if (nPosition >= GetEndTime())
        SetPlaying(false);
    if (nPosition == m_nLastPosition) {
        // The device has stopped moving: drained, or stuck.
        if (++m_nRepeatCount > AVA_MAX_REPEATS)
            SetPlaying(false);
    } else {
        m_nRepeatCount = 0;
        m_nLastPosition = nPosition;
    }
    return nPosition;
}
