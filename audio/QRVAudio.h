// QRVAudio: the streaming wave-out engine. It opens the wave-out device for
// one format, keeps a ring of up to eight buffers queued on it, refills each
// buffer in ring order as the device hands it back, and tells how far
// playback has come in milliseconds of movie time. Where the sound comes
// from is the subclass's business (GetFormat, FillBuffer, StartBuffers and
// the source operations). Refilling runs on the engine's own thread, which
// polls every 20 ms; the driver callback only records flags.
//
// A recording direction exists as well (wave-in calls in place of the
// wave-out ones, returned buffers go to ReceiveBuffer); the player never
// uses it.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <windows.h>
#include <mmsystem.h>

#include "QRVBaseThread.h"
#include "QRVMMError.h"
#include "critsec.h"
#include "object.h"

// Ring and buffer limits, and the refill thread's polling period.
enum : int {
    AU_MAX_BUFFERS = 8,
    AU_MAX_BUFFER_SIZE = 22800,
    AU_POLL_MS = 20,
    AU_OPEN_WAIT_ROUNDS = 100,  // rounds of AU_POLL_MS: two seconds
};

// Accepted range of the playback speed factor.
constexpr float AU_MIN_RATE = 0.25f;
constexpr float AU_MAX_RATE = 4.0f;

class QRVAudio : public CObject, public QRVMMError {
public:
    // The refill thread: runs the engine's loop until asked to stop or
    // until the device reports it is closed.
    class QRVAudioThread : public QRVBaseThread {
    public:
        explicit QRVAudioThread(QRVAudio* pAudio) : m_pAudio(pAudio) {}
        ~QRVAudioThread() override { StopAndWait(); }

    protected:
        LONG Run() override;

    private:
        QRVAudio* const m_pAudio;  // not owned: the engine that embeds us
    };

    QRVAudio();
    // Stops and closes the device and ends the refill thread. Subclasses
    // whose FillBuffer uses their own members call Shutdown() in their own
    // destructor, so that the thread is gone before those members are.
    ~QRVAudio() override;

    virtual bool Open(bool bRecording);
    virtual bool Close();
    // Size in bytes and count of the ring's buffers: 22800 and 8.
    virtual void GetBufferSettings(int& nSize, int& nCount);
    // The source's format, or null; owned by the subclass.
    virtual const WAVEFORMATEX* GetFormat() = 0;
    // Takes a recorded buffer; true when it was used.
    virtual bool ReceiveBuffer(WAVEHDR* pHeader) = 0;
    // Fills a playback buffer from the read cursor and sets its length.
    virtual bool FillBuffer(WAVEHDR* pHeader) = 0;
    // Primes the freshly opened device (called under the engine's lock
    // right after the buffers are prepared).
    virtual bool StartBuffers() = 0;
    virtual bool OpenSource(const std::wstring& strPath, int nStream) = 0;
    virtual bool IsSourceOpen() = 0;
    virtual bool CloseSource() = 0;
    virtual bool Play() { return Resume(); }
    virtual bool Pause();
    virtual bool Resume();
    virtual bool Stop();
    virtual void SetStartTime(int nMs);
    // Movie time in milliseconds, or -1 when the engine cannot tell.
    virtual int GetPosition();
    // End of the sound in milliseconds.
    virtual int GetEndTime() = 0;

    bool Reset(bool bDropFormat);
    // Whether the device can play (record) the source's format, asked
    // without opening it. A format no codec handles shows the user why.
    bool QueryFormat(bool bRecording);
    bool PrepareBuffers();
    bool UnprepareBuffers();
    bool WriteBuffer(bool bRecording, WAVEHDR* pHeader);
    void SetFormat(const WAVEFORMATEX* pFormat);
    bool SetRate(float fRate);

    // Milliseconds the device has played, from its position: rounded up
    // from the single-precision product, then scaled by the speed factor.
    static int ElapsedFromPosition(const MMTIME& time, float fMsPerSample, float fMsPerByte, float fRate);

    bool IsOpen() const { return m_bOpen; }
    bool IsPlaying() const { return m_bPlaying; }
    bool IsRecording() const { return m_bRecording; }
    bool HasDevice() const { return m_hDevice.load() != nullptr; }
    float GetRate() const { return m_fRate; }
    int GetStartTime() const { return m_nStartTime; }
    // The format the device is (to be) opened with; null when none is held.
    const WAVEFORMATEX* GetDeviceFormat() const;
    UINT GetSourceSampleRate() const { return m_nSourceSampleRate; }
    int GetBufferSize() const { return m_nBufferSize; }
    UINT GetBufferCount() const { return m_nBufferCount; }
    bool IsRefillThreadRunning();

protected:
    // Shuts the engine down for good; safe to call more than once.
    void Shutdown();

    // Device calls for subclasses priming the ring; results are kept.
    bool PauseDevice();
    bool WriteToDevice(WAVEHDR* pHeader);
    WAVEHDR* GetHeader(UINT nIndex) { return nIndex < AU_MAX_BUFFERS ? &m_headers[nIndex] : nullptr; }
    void SetPlaying(bool bPlaying) { m_bPlaying = bPlaying; }

    std::atomic<int> m_nReadCursor{0};     // next source sample; the subclass's
    std::atomic<int> m_nLastPosition{-1};  // last clock reading checked by the subclass
    std::atomic<UINT> m_nRepeatCount{0};   // equal readings in a row

private:
    struct CCallbackArgs;

    static void CALLBACK DeviceCallback(HANDLE hDevice, UINT uMsg, DWORD_PTR dwInstance, DWORD_PTR dwParam1,
                                        DWORD_PTR dwParam2);
    static void OnDeviceNotice(QRVAudio* pAudio, void* pArgs);
    LONG RefillLoop(QRVAudioThread& thread);

    WAVEFORMATEX* Format() const { return reinterpret_cast<WAVEFORMATEX*>(m_pFormat.get()); }
    void CopyFormat(const WAVEFORMATEX* pFormat);
    void ApplyRate();
    MMRESULT OpenDevice();
    // Takes the device back whatever state it is in: reset, buffers
    // released, closed. Used when opening fails and at shutdown.
    void AbandonDevice();
    void EndRefillThread();
    HWAVEOUT WaveOut() const { return static_cast<HWAVEOUT>(m_hDevice.load()); }
    HWAVEIN WaveIn() const { return static_cast<HWAVEIN>(m_hDevice.load()); }

    std::atomic<bool> m_bStopping{false};  // while set the thread refills nothing
    CCriticalSection m_cs;                 // opening, closing, buffers, hand-overs
    std::atomic<bool> m_bRecording{false};
    std::atomic<int> m_nStartTime{-1};
    std::atomic<void*> m_hDevice{nullptr};  // HWAVEOUT or HWAVEIN; null while closed
    std::unique_ptr<BYTE[]> m_pFormat;      // WAVEFORMATEX and its extra bytes
    std::atomic<UINT> m_nBufferCount{0};
    WAVEHDR m_headers[AU_MAX_BUFFERS] = {};
    std::unique_ptr<char[]> m_pBufferData[AU_MAX_BUFFERS];
    std::atomic<bool> m_bDone[AU_MAX_BUFFERS] = {};
    std::atomic<bool> m_bOpenNotice{false};
    std::atomic<bool> m_bCloseNotice{false};
    std::atomic<int> m_nCurrent{-1};  // buffer written last
    std::atomic<bool> m_bOpen{false};
    std::atomic<bool> m_bPlaying{false};
    int m_nBufferSize = 0;
    std::atomic<float> m_fMsPerByte{0.0f};
    std::atomic<float> m_fMsPerSample{0.0f};
    std::atomic<float> m_fRate{1.0f};
    UINT m_nSourceSampleRate = 0;
    QRVAudioThread m_thread{this};
};
