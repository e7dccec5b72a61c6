// QRVBaseThread: base of the player's worker threads. It owns one
// CWinThread at a time, begins it suspended and then releases it, lets the
// owner ask it to stop, waits for it and tells whether it still runs. One
// object begins any number of threads in turn, never two at once. The
// thread body is Run() of the subclass.
#pragma once

#include <atomic>
#include <windows.h>

#include "critsec.h"
#include "object.h"
#include "winthread.h"

// Status values of a worker thread.
enum : LONG {
    TS_NEVER_BEGUN = 0,
    TS_RUNNING = 1,
    TS_ENDED = 3,
    TS_NOT_BEGUN = 4,  // failed to begin (as a status); no thread object (from QueryStatus)
};

// What Wait() gives when there is no thread to wait for.
constexpr DWORD TW_NO_THREAD = static_cast<DWORD>(-2);

class QRVBaseThread : public CObject {
public:
    QRVBaseThread() = default;
    // Asks a running thread to stop and waits until it has ended.
    ~QRVBaseThread() override;

    // Begins a new thread running Run(). Null when the thread of an earlier
    // call has not yet ended, or when the system refuses a new thread.
    CWinThread* BeginThread();
    virtual void RequestStop() { m_bStopRequest = true; }
    // Waits for the thread; on WAIT_OBJECT_0 the thread object is deleted.
    // TW_NO_THREAD when there is no thread object.
    DWORD Wait(DWORD dwMilliseconds);
    // TS_RUNNING, TS_ENDED, or TS_NOT_BEGUN when there is no thread object.
    LONG QueryStatus();

    bool IsStopRequested() const { return m_bStopRequest; }
    // The stored status; refreshed by BeginThread and Wait, and by callers
    // that store QueryStatus() while it says running.
    LONG GetStatus() const { return m_nStatus; }
    void SetStatus(LONG nStatus) { m_nStatus = nStatus; }
    LONG GetExitCode() const { return m_nExitCode; }

protected:
    // The thread body; its result becomes the thread's exit code.
    virtual LONG Run() = 0;

    // Destructors of subclasses whose Run() uses their own members call
    // this first: it ends the thread while those members still exist.
    void StopAndWait();
    // How long each pass of StopAndWait waits before asking again.
    void SetStopPassWait(DWORD dwMilliseconds) { m_dwStopPassMs = dwMilliseconds; }

private:
    static UINT ThreadEntry(LPVOID pParam);
    void RefreshStatus();

    CCriticalSection m_cs;            // guards m_pThread and m_nStatus changes
    CWinThread* m_pThread = nullptr;  // owned (auto-delete off)
    std::atomic<LONG> m_nStatus{TS_NEVER_BEGUN};
    std::atomic<bool> m_bStopRequest{false};  // polled by the body
    std::atomic<LONG> m_nExitCode{0};
    DWORD m_dwStopPassMs = 1000;
};
