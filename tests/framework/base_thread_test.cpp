// The worker-thread base: begin, status, stop request, waits, and the
// destructor's waits, one thread at a time per object.
#include <gtest/gtest.h>

#include <atomic>

#include "QRVBaseThread.h"
#include "handle.h"
#include "thread_count.h"

namespace {

// A body that ends when its gate opens (or at once without one), or, in
// stop mode, when the stop request comes.
class CGateThread : public QRVBaseThread {
public:
    explicit CGateThread(LONG nResult = 42, bool bUntilStop = false)
        : m_gate(::CreateEventW(nullptr, TRUE, FALSE, nullptr)), m_nResult(nResult), m_bUntilStop(bUntilStop)
    {
    }
    ~CGateThread() override { StopAndWait(); }

    void Open() { ::SetEvent(m_gate.Get()); }

    std::atomic<int> m_nRuns{0};
    std::atomic<bool> m_bSawStop{false};

protected:
    LONG Run() override
    {
        ++m_nRuns;
        if (m_bUntilStop) {
            while (!IsStopRequested())
                ::WaitForSingleObject(m_gate.Get(), 1);
            m_bSawStop = true;
        } else {
            ::WaitForSingleObject(m_gate.Get(), INFINITE);
        }
        return m_nResult;
    }

private:
    CHandle m_gate;
    const LONG m_nResult;
    const bool m_bUntilStop;
};

HANDLE DuplicateThreadHandle(CWinThread* pThread)
{
    HANDLE hDup = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), pThread->m_hThread, ::GetCurrentProcess(), &hDup, SYNCHRONIZE,
                      FALSE, 0);
    return hDup;
}

}  // namespace

TEST(BaseThread, BeforeAnyBeginThereIsNoThreadToWaitFor)
{
    CGateThread thread;
    EXPECT_EQ(thread.GetStatus(), TS_NEVER_BEGUN);
    EXPECT_EQ(thread.QueryStatus(), TS_NOT_BEGUN);
    EXPECT_EQ(thread.Wait(0), TW_NO_THREAD);
    EXPECT_FALSE(thread.IsStopRequested());
}

TEST(BaseThread, BegunThreadRunsTheBodyAndKeepsItsExitCode)
{
    CGateThread thread(42);
    CWinThread* pThread = thread.BeginThread();
    ASSERT_NE(pThread, nullptr);
    EXPECT_FALSE(pThread->m_bAutoDelete);
    EXPECT_EQ(thread.GetStatus(), TS_RUNNING);
    EXPECT_EQ(thread.QueryStatus(), TS_RUNNING);
    EXPECT_EQ(thread.Wait(0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(thread.QueryStatus(), TS_RUNNING);  // a timed-out wait keeps the thread

    thread.Open();
    ASSERT_EQ(::WaitForSingleObject(pThread->m_hThread, 10000), WAIT_OBJECT_0);
    // Ended but not yet waited for: the object is still there.
    EXPECT_EQ(thread.QueryStatus(), TS_ENDED);
    EXPECT_EQ(thread.GetStatus(), TS_ENDED);
    EXPECT_EQ(thread.GetExitCode(), 42);
    DWORD dwCode = 0;
    ASSERT_TRUE(::GetExitCodeThread(pThread->m_hThread, &dwCode));
    EXPECT_EQ(dwCode, 42u);

    EXPECT_EQ(thread.Wait(1000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(thread.QueryStatus(), TS_NOT_BEGUN);  // the thread object is gone
    EXPECT_EQ(thread.Wait(0), TW_NO_THREAD);
    EXPECT_EQ(thread.m_nRuns, 1);
}

TEST(BaseThread, SecondBeginWhileTheFirstRunsGivesNullThenWorksAfterItEnds)
{
    CGateThread thread;
    ASSERT_NE(thread.BeginThread(), nullptr);
    EXPECT_EQ(thread.BeginThread(), nullptr);
    thread.Open();
    ASSERT_EQ(thread.Wait(10000), static_cast<DWORD>(WAIT_OBJECT_0));
    // The body returns at once now that the gate stays open.
    CWinThread* pSecond = thread.BeginThread();
    ASSERT_NE(pSecond, nullptr);
    ASSERT_EQ(thread.Wait(10000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(thread.m_nRuns, 2);
}

TEST(BaseThread, EndedButUnwaitedThreadIsReplacedByTheNextBegin)
{
    CGateThread thread;
    thread.Open();
    CWinThread* pFirst = thread.BeginThread();
    ASSERT_NE(pFirst, nullptr);
    ASSERT_EQ(::WaitForSingleObject(pFirst->m_hThread, 10000), WAIT_OBJECT_0);
    ASSERT_NE(thread.BeginThread(), nullptr);  // deletes the ended one
    ASSERT_EQ(thread.Wait(10000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(thread.m_nRuns, 2);
}

TEST(BaseThread, StopRequestEndsAPollingBodyAndIsClearedByTheNextBegin)
{
    CGateThread thread(7, true);
    ASSERT_NE(thread.BeginThread(), nullptr);
    thread.RequestStop();
    EXPECT_TRUE(thread.IsStopRequested());
    ASSERT_EQ(thread.Wait(10000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(thread.m_bSawStop);
    EXPECT_EQ(thread.GetExitCode(), 7);

    ASSERT_NE(thread.BeginThread(), nullptr);
    EXPECT_FALSE(thread.IsStopRequested());
    EXPECT_EQ(thread.Wait(0), static_cast<DWORD>(WAIT_TIMEOUT));  // runs until asked again
    thread.RequestStop();
    ASSERT_EQ(thread.Wait(10000), static_cast<DWORD>(WAIT_OBJECT_0));
}

TEST(BaseThread, DestroyingARunningThreadAsksItToStopAndWaitsForIt)
{
    CHandle hDup;
    auto* pThread = new CGateThread(0, true);
    CWinThread* pWin = pThread->BeginThread();
    ASSERT_NE(pWin, nullptr);
    hDup = CHandle(DuplicateThreadHandle(pWin));
    ASSERT_TRUE(hDup.IsValid());
    ASSERT_EQ(::WaitForSingleObject(hDup.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    delete pThread;
    // The thread had ended by the time the destructor returned.
    EXPECT_EQ(::WaitForSingleObject(hDup.Get(), 0), WAIT_OBJECT_0);
}

TEST(BaseThread, HundredsOfBeginStopCyclesLeaveNoThreadBehind)
{
    const int nBefore = CountProcessThreads();
    ASSERT_GT(nBefore, 0);
    CGateThread thread(0, true);
    const int CYCLES = 500;
    for (int i = 0; i < CYCLES; ++i) {
        ASSERT_NE(thread.BeginThread(), nullptr) << "cycle " << i;
        thread.RequestStop();
        ASSERT_EQ(thread.Wait(10000), static_cast<DWORD>(WAIT_OBJECT_0)) << "cycle " << i;
    }
    EXPECT_EQ(thread.m_nRuns, CYCLES);
    EXPECT_LE(CountProcessThreads(), nBefore + 1);
}

namespace {

// A body busy with something long (it ignores stop requests) that ends only
// after more stop requests than the destructor once gave it passes. Its
// gate and counter live outside the object, so that a body left running
// touches nothing that was destroyed.
struct CSlowState {
    CHandle gate{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<int> nRequests{0};
    std::atomic<bool> bEnded{false};
};

class CSlowThread : public QRVBaseThread {
public:
    explicit CSlowThread(CSlowState& state) : m_state(state) { SetStopPassWait(1); }
    ~CSlowThread() override { StopAndWait(); }
    void RequestStop() override
    {
        QRVBaseThread::RequestStop();
        if (++m_state.nRequests > 10)
            ::SetEvent(m_state.gate.Get());
    }

protected:
    LONG Run() override
    {
        CSlowState& state = m_state;
        ::WaitForSingleObject(state.gate.Get(), INFINITE);
        state.bEnded = true;
        return 0;
    }

private:
    CSlowState& m_state;
};

}  // namespace

TEST(BaseThread, DestructorWaitsForABodySlowToNoticeTheStopRequest)
{
    CSlowState state;
    auto* pThread = new CSlowThread(state);
    ASSERT_NE(pThread->BeginThread(), nullptr);
    delete pThread;
    EXPECT_TRUE(state.bEnded);
    EXPECT_GT(state.nRequests, 10);
    ::SetEvent(state.gate.Get());  // lets a body left behind end before the state goes
}
