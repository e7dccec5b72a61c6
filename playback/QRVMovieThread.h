// QRVMovieThread: the movie window's playback worker. A polling loop driven
// by one-byte flags: the owner sets run, pause and stop (always in the
// groups of SetPlayFlags, SetPauseFlags and SetStopFlags), a multimedia
// timer sets tick, and the body calls the owner's OnFrameTick() for every
// tick it takes, writing MS_PLAYING, MS_PAUSED and finally MS_STOPPED.
#pragma once

#include <atomic>

#include "MovieState.h"
#include "QRVBaseThread.h"

// What the playback worker needs of the window that owns it.
class QRVMovieThreadOwner {
public:
    // One clock tick: show the picture of the current time. Called on the
    // worker thread; returns early once the worker's stop request is set.
    virtual void OnFrameTick() = 0;

protected:
    ~QRVMovieThreadOwner() = default;
};

class QRVMovieThread : public QRVBaseThread {
public:
    explicit QRVMovieThread(QRVMovieThreadOwner* pOwner) : m_pOwner(pOwner) {}
    ~QRVMovieThread() override;

    // Begins the worker unless run is already set; when it cannot begin
    // the flags go back to stopped.
    void StartPlaying();
    // The stored state when the owner wrote it (0, 1, 2, 3, 64, 128);
    // otherwise what the flags say: playing, paused or stopped.
    int GetState() const;
    int GetStoredState() const { return m_nState; }
    // Written by the owner for the states it reports itself.
    void SetState(int nState) { m_nState = nState; }

    // The flag groups, each written in this order: start or resume,
    // pause, and stop (which also drops a pending tick).
    void SetPlayFlags();
    void SetPauseFlags();
    void SetStopFlags();
    // Called by the multimedia timer's thread.
    void SetTick() { m_bTick = true; }
    void ClearTick() { m_bTick = false; }

    bool IsTickPending() const { return m_bTick; }
    bool IsRunSet() const { return m_bRun; }
    bool IsPauseSet() const { return m_bPause; }
    bool IsStopSet() const { return m_bStop; }

protected:
    LONG Run() override;

private:
    // Single bytes written by one thread and polled by another.
    std::atomic<bool> m_bTick{false};
    std::atomic<bool> m_bRun{false};
    std::atomic<bool> m_bPause{false};
    std::atomic<bool> m_bStop{true};
    QRVMovieThreadOwner* const m_pOwner;  // not owned
    std::atomic<int> m_nState{MS_NONE};
};
