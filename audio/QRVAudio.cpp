#include "QRVAudio.h"

#include <cmath>
#include <cstring>
#include <new>

#include "QRVAudioRegistry.h"
#include "msgbox.h"
#include "resource.h"

namespace {

// How long shutting down waits for the refill thread; it polls every
// AU_POLL_MS, so this is reached only when the system is badly stuck.
const DWORD AU_THREAD_END_WAIT_MS = 5000;

bool RateInRange(float fRate)
{
    return fRate >= AU_MIN_RATE && fRate <= AU_MAX_RATE;
}

// Rounds up the single-precision product of a factor and a count. The
// volatile stores force rounding to single precision where the compiler
// would otherwise keep extended precision (x87).
int RoundUpProduct(float fFactor, DWORD nCount)
{
    volatile float fCount = static_cast<float>(nCount);
    volatile float fProduct = fFactor * fCount;
    return static_cast<int>(std::ceil(static_cast<float>(fProduct)));
}

}  // namespace

// ---- refill thread --------------------------------------------------------

LONG QRVAudio::QRVAudioThread::Run()
{
    return m_pAudio->RefillLoop(*this);
}

LONG QRVAudio::RefillLoop(QRVAudioThread& thread)
{
    while (!thread.IsStopRequested()) {
        if (m_bCloseNotice) {
            m_bCloseNotice = false;
            m_bOpen = false;
            break;
        }
        if (m_bOpenNotice) {
            m_bOpenNotice = false;
            m_bOpen = true;
            continue;
        }
        if (!m_bStopping) {
            int nNext = m_nCurrent + 1;
            if (nNext >= static_cast<int>(m_nBufferCount))
                nNext = 0;
            // The flag is taken down before the hand-over: the device may
            // give the buffer back before WriteBuffer has even returned.
            if (m_bDone[nNext].exchange(false)) {
                if (WriteBuffer(m_bRecording, &m_headers[nNext]))
                    m_nCurrent = nNext;
                else
                    m_bDone[nNext] = true;  // offered again next round
            }
            if (m_nCurrent != nNext && !thread.IsStopRequested())
                ::SleepEx(AU_POLL_MS, FALSE);
        } else if (!thread.IsStopRequested()) {
            ::SleepEx(AU_POLL_MS, FALSE);
        }
    }
    return 0;
}

// ---- device callback ------------------------------------------------------

struct QRVAudio::CCallbackArgs {
    HANDLE hDevice;
    UINT uMsg;
    DWORD_PTR dwParam1;
};

void CALLBACK QRVAudio::DeviceCallback(HANDLE hDevice, UINT uMsg, DWORD_PTR dwInstance, DWORD_PTR dwParam1,
                                       DWORD_PTR /*dwParam2*/)
{
    CCallbackArgs args{hDevice, uMsg, dwParam1};
    QRVAudioRegistry::VisitIfLive(reinterpret_cast<QRVAudio*>(dwInstance), &OnDeviceNotice, &args);
}

void QRVAudio::OnDeviceNotice(QRVAudio* pAudio, void* pArgs)
{
    // Only flags here: the driver's thread must not be kept waiting.
    const auto& args = *static_cast<const CCallbackArgs*>(pArgs);
    switch (args.uMsg) {
    case WOM_OPEN:
    case WIM_OPEN:
        if (!pAudio->m_bOpen) {
            pAudio->m_hDevice = args.hDevice;
            pAudio->m_bOpenNotice = true;
        }
        break;
    case WOM_CLOSE:
    case WIM_CLOSE:
        if (pAudio->m_bOpen)
            pAudio->m_bCloseNotice = true;
        break;
    case WOM_DONE:
    case WIM_DATA: {
        auto* pHeader = reinterpret_cast<const WAVEHDR*>(args.dwParam1);
        if (pAudio->m_bOpen && pHeader != nullptr && pHeader->dwUser < pAudio->m_nBufferCount)
            pAudio->m_bDone[pHeader->dwUser] = true;
        break;
    }
    default:
        break;
    }
}

// ---- construction ---------------------------------------------------------

QRVAudio::QRVAudio()
{
    Reset(true);
    QRVAudioRegistry::Add(this);
}

QRVAudio::~QRVAudio()
{
    Shutdown();
    QRVAudioRegistry::Remove(this);
}

void QRVAudio::Shutdown()
{
    Stop();
    if (HasDevice())
        AbandonDevice();
    EndRefillThread();
}

void QRVAudio::EndRefillThread()
{
    m_thread.RequestStop();
    m_thread.Wait(AU_THREAD_END_WAIT_MS);
}

bool QRVAudio::IsRefillThreadRunning()
{
    if (m_thread.GetStatus() == TS_RUNNING)
        m_thread.SetStatus(m_thread.QueryStatus());
    return m_thread.GetStatus() == TS_RUNNING;
}

// ---- format and rate ------------------------------------------------------

const WAVEFORMATEX* QRVAudio::GetDeviceFormat() const
{
    return Format();
}

void QRVAudio::CopyFormat(const WAVEFORMATEX* pFormat)
{
    m_pFormat.reset();
    if (pFormat == nullptr)
        return;
    // PCM carries no extra bytes whatever its cbSize says.
    const WORD cbExtra = pFormat->wFormatTag == WAVE_FORMAT_PCM ? 0 : pFormat->cbSize;
    const size_t cb = sizeof(WAVEFORMATEX) + cbExtra;
    m_pFormat.reset(new (std::nothrow) BYTE[cb]);
    if (!m_pFormat)
        return;
    std::memcpy(m_pFormat.get(), pFormat, cb);
    Format()->cbSize = cbExtra;
}

void QRVAudio::ApplyRate()
{
    WAVEFORMATEX* pFormat = Format();
    const float fRate = m_fRate;
    if (pFormat == nullptr || fRate == 1.0f)
        return;
    pFormat->nSamplesPerSec = static_cast<DWORD>(static_cast<int>(fRate * pFormat->nSamplesPerSec));
    pFormat->nAvgBytesPerSec = pFormat->nBlockAlign * pFormat->nSamplesPerSec;
}

void QRVAudio::SetFormat(const WAVEFORMATEX* pFormat)
{
    CopyFormat(pFormat);
    if (!m_pFormat)
        return;
    m_nSourceSampleRate = Format()->nSamplesPerSec;
    ApplyRate();
}

bool QRVAudio::SetRate(float fRate)
{
    if (fRate == m_fRate)
        return true;
    m_fRate = fRate;
    if (!RateInRange(fRate))
        return false;
    WAVEFORMATEX* pFormat = Format();
    if (pFormat == nullptr)
        return true;
    if (m_nSourceSampleRate != 0) {
        pFormat->nSamplesPerSec = m_nSourceSampleRate;
        pFormat->nAvgBytesPerSec = pFormat->nBlockAlign * pFormat->nSamplesPerSec;
    }
    ApplyRate();
    return true;
}

bool QRVAudio::QueryFormat(bool bRecording)
{
    if (!m_pFormat) {
        CopyFormat(GetFormat());
        if (!m_pFormat)
            return false;
    }
    MMRESULT nResult;
    if (bRecording)
        nResult = Keep(::waveInOpen(nullptr, WAVE_MAPPER, Format(), 0, 0, WAVE_FORMAT_QUERY));
    else
        nResult = Keep(::waveOutOpen(nullptr, WAVE_MAPPER, Format(), 0, 0, WAVE_FORMAT_QUERY));
    if (nResult == MMSYSERR_NOERROR)
        return true;
    if (nResult == WAVERR_BADFORMAT)
        AfxMessageBox(bRecording ? IDS_NO_AUDIO_RECORD_CODEC : IDS_NO_AUDIO_CODEC);
    return false;
}

// ---- opening and closing --------------------------------------------------

MMRESULT QRVAudio::OpenDevice()
{
    const auto dwCallback = reinterpret_cast<DWORD_PTR>(&QRVAudio::DeviceCallback);
    const auto dwInstance = reinterpret_cast<DWORD_PTR>(this);
    MMRESULT nResult;
    if (m_bRecording) {
        HWAVEIN hWaveIn = nullptr;
        nResult =
            Keep(::waveInOpen(&hWaveIn, WAVE_MAPPER, Format(), dwCallback, dwInstance, CALLBACK_FUNCTION));
        if (nResult == MMSYSERR_NOERROR)
            m_hDevice = hWaveIn;
    } else {
        HWAVEOUT hWaveOut = nullptr;
        nResult =
            Keep(::waveOutOpen(&hWaveOut, WAVE_MAPPER, Format(), dwCallback, dwInstance, CALLBACK_FUNCTION));
        if (nResult == MMSYSERR_NOERROR)
            m_hDevice = hWaveOut;
    }
    return nResult;
}

bool QRVAudio::Open(bool bRecording)
{
    if (m_bOpen)
        return false;
    if (!m_pFormat) {
        CopyFormat(GetFormat());
        if (!m_pFormat)
            return false;
    }
    CSingleLock lock(m_cs);
    if (m_bOpen)
        return false;
    m_bRecording = bRecording;
    m_thread.BeginThread();
    m_bStopping = false;
    const WAVEFORMATEX* pFormat = Format();
    if (pFormat->nSamplesPerSec != 0 && pFormat->nAvgBytesPerSec != 0) {
        if (OpenDevice() != MMSYSERR_NOERROR) {
            // A sound played through sndPlaySound may hold the device.
            ::sndPlaySoundW(nullptr, 0);
            if (OpenDevice() != MMSYSERR_NOERROR) {
                m_hDevice = nullptr;
                EndRefillThread();
                return false;
            }
        }
    }
    for (int i = 0; i < AU_OPEN_WAIT_ROUNDS && !m_bOpen; ++i)
        ::Sleep(AU_POLL_MS);
    bool bResult = false;
    if (m_bOpen)
        bResult = PrepareBuffers();
    if (!bResult) {
        Close();
        // A device that never reported itself open, or that would not let
        // its buffers go, is taken back here; the thread is not left behind.
        if (HasDevice())
            AbandonDevice();
        EndRefillThread();
        m_bOpen = false;
        Reset(false);
    }
    return bResult;
}

bool QRVAudio::Close()
{
    if (!m_bOpen)
        return false;
    CSingleLock lock(m_cs);
    bool bResult = false;
    if (m_bOpen && HasDevice()) {
        m_bStopping = true;
        if (UnprepareBuffers()) {
            MMRESULT nResult = m_bRecording ? Keep(::waveInClose(WaveIn())) : Keep(::waveOutClose(WaveOut()));
            if (nResult == MMSYSERR_NOERROR) {
                m_hDevice = nullptr;
                bResult = true;
            }
        }
    }
    if (bResult) {
        for (int i = 0; i < AU_OPEN_WAIT_ROUNDS && m_bOpen; ++i)
            ::Sleep(AU_POLL_MS);
        Reset(false);
    }
    return bResult;
}

void QRVAudio::AbandonDevice()
{
    CSingleLock lock(m_cs);
    if (!HasDevice())
        return;
    m_bStopping = true;
    if (m_bRecording)
        Keep(::waveInReset(WaveIn()));
    else
        Keep(::waveOutReset(WaveOut()));
    for (UINT i = 0; i < AU_MAX_BUFFERS; ++i) {
        WAVEHDR& header = m_headers[i];
        if (header.dwFlags & WHDR_PREPARED) {
            if (m_bRecording)
                Keep(::waveInUnprepareHeader(WaveIn(), &header, sizeof header));
            else
                Keep(::waveOutUnprepareHeader(WaveOut(), &header, sizeof header));
        }
    }
    MMRESULT nResult = m_bRecording ? Keep(::waveInClose(WaveIn())) : Keep(::waveOutClose(WaveOut()));
    if (nResult == MMSYSERR_NOERROR) {
        m_hDevice = nullptr;
        for (auto& pData : m_pBufferData)
            pData.reset();
        for (auto& header : m_headers)
            header.lpData = nullptr;
    }
}

// ---- buffers --------------------------------------------------------------

void QRVAudio::GetBufferSettings(int& nSize, int& nCount)
{
    nSize = AU_MAX_BUFFER_SIZE;
    nCount = AU_MAX_BUFFERS;
}

bool QRVAudio::PrepareBuffers()
{
    CSingleLock lock(m_cs);
    if (!m_bOpen || !HasDevice())
        return false;
    int nSize = 0, nCount = 0;
    GetBufferSettings(nSize, nCount);
    if (nSize <= 0 || nSize > AU_MAX_BUFFER_SIZE)
        nSize = AU_MAX_BUFFER_SIZE;
    if (nCount < 0)
        nCount = 0;
    if (nCount > AU_MAX_BUFFERS)
        nCount = AU_MAX_BUFFERS;
    m_nBufferSize = nSize;
    m_nBufferCount = static_cast<UINT>(nCount);
    for (UINT i = 0; i < m_nBufferCount; ++i) {
        WAVEHDR& header = m_headers[i];
        std::memset(&header, 0, sizeof header);
        header.dwLoops = 1;
        m_pBufferData[i].reset(new (std::nothrow) char[static_cast<size_t>(nSize)]);
        MMRESULT nResult = MMSYSERR_NOMEM;
        if (m_pBufferData[i]) {
            header.lpData = m_pBufferData[i].get();
            header.dwBufferLength = static_cast<DWORD>(nSize);
            header.dwUser = i;
            nResult = m_bRecording ? Keep(::waveInPrepareHeader(WaveIn(), &header, sizeof header))
                                   : Keep(::waveOutPrepareHeader(WaveOut(), &header, sizeof header));
        } else {
            Keep(nResult);
        }
        if (nResult != MMSYSERR_NOERROR) {
            // Those prepared so far stay counted, so Close can take them back.
            m_pBufferData[i].reset();
            header.lpData = nullptr;
            m_nBufferCount = i;
            return false;
        }
    }
    m_nReadCursor = 0;
    const WAVEFORMATEX* pFormat = Format();
    m_fMsPerSample = pFormat->nSamplesPerSec ? 1000.0f / pFormat->nSamplesPerSec : 1000.0f;
    m_fMsPerByte = pFormat->nAvgBytesPerSec ? 1000.0f / pFormat->nAvgBytesPerSec : 1000.0f;
    StartBuffers();
    // A buffer the priming did not queue would hold the ring up for good:
    // hand it to the refill thread instead.
    for (UINT i = 0; i < m_nBufferCount; ++i) {
        if (!(m_headers[i].dwFlags & (WHDR_INQUEUE | WHDR_DONE)))
            m_bDone[i] = true;
    }
    return true;
}

bool QRVAudio::UnprepareBuffers()
{
    if (!m_bOpen)
        return true;
    CSingleLock lock(m_cs);
    bool bResult = true;
    for (UINT i = 0; i < m_nBufferCount; ++i) {
        WAVEHDR& header = m_headers[i];
        if (header.lpData == nullptr)
            continue;
        MMRESULT nResult = m_bRecording ? Keep(::waveInUnprepareHeader(WaveIn(), &header, sizeof header))
                                        : Keep(::waveOutUnprepareHeader(WaveOut(), &header, sizeof header));
        if (nResult != MMSYSERR_NOERROR) {
            bResult = false;
            continue;
        }
        m_pBufferData[i].reset();
        header.lpData = nullptr;
        if (m_bRecording)
            m_bDone[i] = false;
    }
    return bResult;
}

bool QRVAudio::WriteBuffer(bool bRecording, WAVEHDR* pHeader)
{
    if (!m_bOpen || bRecording != m_bRecording)
        return false;
    // Only when the lock is free: Close holds it while it waits for this
    // thread to see the close notice. A busy lock means another try in
    // 20 ms.
    CSingleLock lock(m_cs, false);
    if (!lock.TryLock() || !HasDevice() || m_bStopping)
        return false;
    if (bRecording) {
        if (!ReceiveBuffer(pHeader))
            return false;
        return Keep(::waveInAddBuffer(WaveIn(), pHeader, sizeof *pHeader)) == MMSYSERR_NOERROR;
    }
    if (!FillBuffer(pHeader))
        return false;
    return WriteToDevice(pHeader);
}

bool QRVAudio::PauseDevice()
{
    if (!HasDevice() || m_bRecording)
        return false;
    return Keep(::waveOutPause(WaveOut())) == MMSYSERR_NOERROR;
}

bool QRVAudio::WriteToDevice(WAVEHDR* pHeader)
{
    if (!HasDevice() || m_bRecording)
        return false;
    return Keep(::waveOutWrite(WaveOut(), pHeader, sizeof *pHeader)) == MMSYSERR_NOERROR;
}

bool QRVAudio::Reset(bool bDropFormat)
{
    if (HasDevice())
        return false;
    m_nStartTime = 0;
    m_nReadCursor = 0;
    m_nBufferCount = 0;
    if (bDropFormat) {
        m_pFormat.reset();
        m_nSourceSampleRate = 0;
    }
    for (UINT i = 0; i < AU_MAX_BUFFERS; ++i) {
        m_pBufferData[i].reset();
        m_headers[i].lpData = nullptr;
        m_bDone[i] = false;
    }
    m_bOpenNotice = false;
    m_bCloseNotice = false;
    m_nCurrent = -1;
    m_bPlaying = false;
    m_nBufferSize = 0;
    m_fMsPerByte = 0.0f;
    m_fMsPerSample = 0.0f;
    m_nLastPosition = -1;
    m_nRepeatCount = 0;
    return true;
}

// ---- transport ------------------------------------------------------------

bool QRVAudio::Pause()
{
    if (!HasDevice() || !m_bOpen)
        return true;
    if (m_bRecording)
        return false;
    if (!PauseDevice())
        return false;
    ::PlaySoundW(nullptr, nullptr, SND_PURGE);
    return true;
}

bool QRVAudio::Resume()
{
    if (!HasDevice() && !m_bPlaying && RateInRange(m_fRate))
        Open(m_bRecording);
    if (m_bOpen) {
        m_nRepeatCount = 0;
        MMRESULT nResult = m_bRecording ? Keep(::waveInStart(WaveIn())) : Keep(::waveOutRestart(WaveOut()));
        m_bPlaying = nResult == MMSYSERR_NOERROR;
    } else {
        m_bPlaying = false;
    }
    return m_bPlaying;
}

bool QRVAudio::Stop()
{
    if (!HasDevice())
        return false;
    {
        // No refill between the reset and the close: a buffer queued again
        // now would play, and would keep its header from being released.
        CSingleLock lock(m_cs);
        m_bStopping = true;
    }
    MMRESULT nResult = m_bRecording ? Keep(::waveInStop(WaveIn())) : Keep(::waveOutReset(WaveOut()));
    if (nResult != MMSYSERR_NOERROR) {
        m_bStopping = false;
        return false;
    }
    if (m_bRecording)
        Keep(::waveInReset(WaveIn()));  // returns the buffers still queued
    if (IsRefillThreadRunning()) {
        m_bPlaying = false;
        Close();
    }
    return true;
}

void QRVAudio::SetStartTime(int nMs)
{
    m_nStartTime = nMs;
    m_nLastPosition = -1;
    m_nRepeatCount = 0;
}

int QRVAudio::ElapsedFromPosition(const MMTIME& time, float fMsPerSample, float fMsPerByte, float fRate)
{
    int nElapsed = 0;
    switch (time.wType) {
    case TIME_SAMPLES:
        nElapsed = RoundUpProduct(fMsPerSample, time.u.sample);
        break;
    case TIME_BYTES:
        nElapsed = RoundUpProduct(fMsPerByte, time.u.cb);
        break;
    case TIME_MS:
        nElapsed = static_cast<int>(time.u.ms);
        break;
    default:
        break;
    }
    if (fRate != 1.0f) {
        volatile float fScaled = static_cast<float>(nElapsed) * fRate;
        nElapsed = static_cast<int>(static_cast<float>(fScaled));
    }
    return nElapsed;
}

int QRVAudio::GetPosition()
{
    if (!m_bOpen || !m_bPlaying)
        return -1;
    MMTIME time = {};
    time.wType = TIME_SAMPLES;
    MMRESULT nResult = m_bRecording ? Keep(::waveInGetPosition(WaveIn(), &time, sizeof time))
                                    : Keep(::waveOutGetPosition(WaveOut(), &time, sizeof time));
    if (nResult != MMSYSERR_NOERROR)
        return -1;
    const int nStart = m_nStartTime;
    if (nStart == -1)
        return -1;
    return nStart + ElapsedFromPosition(time, m_fMsPerSample, m_fMsPerByte, m_fRate);
}
