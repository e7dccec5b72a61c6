// QRVAviAudio: the sound-track player. The wave engine with its source side
// filled in: it opens the movie a second time through a file facade of its
// own, picks one sound stream and reads that stream's samples straight into
// the engine's buffers. Its clock is the engine's, with the end of the sound
// and a stalled device detected: once the playing flag falls, the clock
// gives -1 and the movie window goes on with its own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "QRVAudio.h"
#include "QRVAviFile.h"

// Equal clock readings in a row that are still taken for a running device;
// one more and the player reports that it is not playing.
constexpr UINT AVA_MAX_REPEATS = 3;

class QRVAviAudio : public QRVAudio {
public:
    QRVAviAudio() = default;
    // Ends the device and the refill thread before the facade goes.
    ~QRVAviAudio() override;

    // Eight buffers of the stream's convenient read size (the engine caps it
    // at 22800 bytes); 22800 bytes when that size is unknown.
    void GetBufferSettings(int& nSize, int& nCount) override;
    // The chosen stream's format with the rate applied; null without one.
    const WAVEFORMATEX* GetFormat() override;
    // The player never records.
    bool ReceiveBuffer(WAVEHDR*) override { return false; }
    // Reads the stream from the read cursor into the buffer and sets its
    // length. False when nothing was read: the engine offers the buffer
    // again 20 ms later.
    bool FillBuffer(WAVEHDR* pHeader) override;
    // Pauses the freshly opened device and queues every buffer, read from
    // the sample of the start time on.
    bool StartBuffers() override;
    // Opens the movie and chooses sound stream nStream of it.
    bool OpenSource(const std::wstring& strPath, int nStream) override;
    bool IsSourceOpen() override { return m_file.IsOpen(); }
    bool CloseSource() override;
    // The engine's clock; clears the playing flag at the end time of the
    // stream and when the same reading comes more than AVA_MAX_REPEATS
    // times again in a row.
    int GetPosition() override;
    // End of the chosen stream in ms; 0 without one.
    int GetEndTime() override;

    // The buffer settings that a convenient read size leads to.
    static void BufferSettingsForReadSize(long nReadSize, int& nSize, int& nCount);

    int GetStream() const { return m_nStream; }
    const QRVAviFile& GetFile() const { return m_file; }

private:
    // The stream as the facade takes it; out of range when none is chosen.
    uint32_t StreamIndex() const { return static_cast<uint32_t>(m_nStream); }

    QRVAviFile m_file;                  // the sound track's own facade
    int m_nStream = -1;                 // among the file's sound streams; -1 = none
    std::unique_ptr<BYTE[]> m_pFormat;  // what GetFormat hands out
};
