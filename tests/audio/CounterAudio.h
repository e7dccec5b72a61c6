// A wave engine whose source is a sample counter: frame n of the 16-bit
// stereo sound carries n, so a recording of what was played tells exactly
// which source frames sounded and in what order. Left: n's low 16 bits;
// right: COUNTER_MARK plus bits 16 to 28 of n (never silent).
#pragma once

#include <atomic>

#include "QRVAudio.h"

constexpr int COUNTER_MARK = 0x2000;

class CCounterAudio : public QRVAudio {
public:
    // nSourceHz frames per second, nFrames of them; nBufferSize 0 keeps the
    // engine's buffer settings, any other value is what GetBufferSettings
    // reports.
    CCounterAudio(DWORD nSourceHz, DWORD nFrames, int nBufferSize = 0);
    ~CCounterAudio() override;

    void GetBufferSettings(int& nSize, int& nCount) override;
    const WAVEFORMATEX* GetFormat() override { return &m_format; }
    bool ReceiveBuffer(WAVEHDR*) override { return false; }
    bool FillBuffer(WAVEHDR* pHeader) override;
    // Like the sound-track player: pause the device, read from the sample
    // of the start time, queue every buffer.
    bool StartBuffers() override;
    bool OpenSource(const std::wstring& strPath, int nStream) override;
    bool IsSourceOpen() override { return m_bSourceOpen; }
    bool CloseSource() override;
    int GetEndTime() override;

    WAVEFORMATEX& SourceFormat() { return m_format; }
    int SampleAtTime(int nMs) const;
    int GetReadCursor() const { return m_nReadCursor; }
    // Counts of FillBuffer calls that filled something, and of calls after
    // the device was primed (made by the refill thread).
    std::atomic<int> m_nFills{0};
    std::atomic<DWORD> m_dwLastFillThread{0};

private:
    WAVEFORMATEX m_format = {};
    DWORD m_nFrames;
    int m_nBufferSizeSetting;
    bool m_bSourceOpen = false;
};
