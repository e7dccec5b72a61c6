// The playback worker: run, pause, stop and tick flags, the states it
// writes, its owner's frame ticks, and its life from start to stop.
#include <gtest/gtest.h>

#include <atomic>

#include "QRVMovieThread.h"
#include "handle.h"
#include "thread_count.h"

namespace {

// Counts the ticks it is given and announces each with an event.
class CTickOwner : public QRVMovieThreadOwner {
public:
    CTickOwner() : m_tick(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    void OnFrameTick() override
    {
        m_dwThreadId = ::GetCurrentThreadId();
        ++m_nTicks;
        ::SetEvent(m_tick.Get());
    }
    bool AwaitTick() { return ::WaitForSingleObject(m_tick.Get(), 10000) == WAIT_OBJECT_0; }

    std::atomic<int> m_nTicks{0};
    std::atomic<DWORD> m_dwThreadId{0};

private:
    CHandle m_tick;
};

// A worker whose body waits for a gate before the real loop starts, so a
// test can change the flags between the begin and the body.
class CGatedMovieThread : public QRVMovieThread {
public:
    explicit CGatedMovieThread(QRVMovieThreadOwner* pOwner)
        : QRVMovieThread(pOwner), m_gate(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
    }
    ~CGatedMovieThread() override
    {
        Open();
        StopAndWait();
    }
    void Open() { ::SetEvent(m_gate.Get()); }

protected:
    LONG Run() override
    {
        ::WaitForSingleObject(m_gate.Get(), INFINITE);
        return QRVMovieThread::Run();
    }

private:
    CHandle m_gate;
};

// The movie window's stop: flags first, then the request, then the wait.
DWORD StopWorker(QRVMovieThread& thread)
{
    thread.SetStopFlags();
    thread.RequestStop();
    return thread.Wait(10000);
}

}  // namespace

TEST(MovieThread, ConstructedWorkerIsStoppedWithNoThread)
{
    CTickOwner owner;
    QRVMovieThread thread(&owner);
    EXPECT_TRUE(thread.IsStopSet());
    EXPECT_FALSE(thread.IsRunSet());
    EXPECT_FALSE(thread.IsPauseSet());
    EXPECT_FALSE(thread.IsTickPending());
    EXPECT_EQ(thread.GetStoredState(), MS_NONE);
    EXPECT_EQ(thread.QueryStatus(), TS_NOT_BEGUN);
}

TEST(MovieThread, StateComesFromTheStoreOrFromTheFlags)
{
    struct Case {
        int nStored;
        void (QRVMovieThread::*pfnFlags)();
        int nExpected;
    };
    const Case cases[] = {
        {MS_NONE, &QRVMovieThread::SetPlayFlags, MS_NONE},
        {MS_NO_VIDEO, &QRVMovieThread::SetPlayFlags, MS_NO_VIDEO},
        {MS_NO_AUDIO, &QRVMovieThread::SetPauseFlags, MS_NO_AUDIO},
        {MS_NO_MEDIA, &QRVMovieThread::SetStopFlags, MS_NO_MEDIA},
        {MS_READY, &QRVMovieThread::SetPlayFlags, MS_READY},
        {MS_CLOSED, &QRVMovieThread::SetPauseFlags, MS_CLOSED},
        {MS_PLAYING, &QRVMovieThread::SetPauseFlags, MS_PAUSED},
        {MS_PAUSED, &QRVMovieThread::SetPlayFlags, MS_PLAYING},
        {MS_STOPPED, &QRVMovieThread::SetPlayFlags, MS_PLAYING},
        {MS_SEEKING, &QRVMovieThread::SetStopFlags, MS_STOPPED},
        {MS_PLAYING, &QRVMovieThread::SetStopFlags, MS_STOPPED},
    };
    CTickOwner owner;
    for (const Case& c : cases) {
        QRVMovieThread thread(&owner);
        thread.SetState(c.nStored);
        (thread.*c.pfnFlags)();
        EXPECT_EQ(thread.GetState(), c.nExpected) << "stored " << c.nStored;
    }
}

TEST(MovieThread, FlagGroupsSetExactlyOneOfRunPauseStop)
{
    CTickOwner owner;
    QRVMovieThread thread(&owner);
    thread.SetTick();
    thread.SetPlayFlags();
    EXPECT_TRUE(thread.IsRunSet() && !thread.IsPauseSet() && !thread.IsStopSet());
    EXPECT_TRUE(thread.IsTickPending());
    thread.SetPauseFlags();
    EXPECT_TRUE(!thread.IsRunSet() && thread.IsPauseSet() && !thread.IsStopSet());
    EXPECT_TRUE(thread.IsTickPending());
    thread.SetStopFlags();  // stopping also drops the pending tick
    EXPECT_TRUE(!thread.IsRunSet() && !thread.IsPauseSet() && thread.IsStopSet());
    EXPECT_FALSE(thread.IsTickPending());
}

TEST(MovieThread, PlayingWorkerCallsTheOwnerOncePerTick)
{
    CTickOwner owner;
    QRVMovieThread thread(&owner);
    thread.StartPlaying();
    ASSERT_EQ(thread.QueryStatus(), TS_RUNNING);
    // The body writes the playing state as its first act.
    ASSERT_TRUE(WaitUntil([&] { return thread.GetStoredState() == MS_PLAYING; }));
    EXPECT_EQ(thread.GetState(), MS_PLAYING);
    for (int i = 1; i <= 3; ++i) {
        thread.SetTick();
        ASSERT_TRUE(owner.AwaitTick());
        EXPECT_EQ(owner.m_nTicks, i);
    }
    EXPECT_NE(owner.m_dwThreadId, ::GetCurrentThreadId());
    EXPECT_FALSE(thread.IsTickPending());
    EXPECT_EQ(StopWorker(thread), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(thread.GetStoredState(), MS_STOPPED);
    EXPECT_EQ(thread.GetState(), MS_STOPPED);
    EXPECT_EQ(owner.m_nTicks, 3);
}

TEST(MovieThread, PauseKeepsTheWorkerAndItsPendingTickForTheResume)
{
    CTickOwner owner;
    QRVMovieThread thread(&owner);
    thread.StartPlaying();
    thread.SetTick();
    ASSERT_TRUE(owner.AwaitTick());
    const DWORD dwWorker = owner.m_dwThreadId;

    thread.SetPauseFlags();
    EXPECT_EQ(thread.GetState(), MS_PAUSED);
    ASSERT_TRUE(WaitUntil([&] { return thread.GetStoredState() == MS_PAUSED; }));
    thread.SetTick();
    // The worker goes round its paused loop (it rewrites its state) and
    // leaves the tick alone.
    thread.SetState(MS_NONE);
    ASSERT_TRUE(WaitUntil([&] { return thread.GetStoredState() == MS_PAUSED; }));
    EXPECT_TRUE(thread.IsTickPending());
    EXPECT_EQ(owner.m_nTicks, 1);
    EXPECT_EQ(thread.QueryStatus(), TS_RUNNING);

    // Resuming is a flag change on the same thread; the tick is taken at once.
    thread.SetPlayFlags();
    ASSERT_TRUE(owner.AwaitTick());
    EXPECT_EQ(owner.m_nTicks, 2);
    EXPECT_EQ(owner.m_dwThreadId, dwWorker);
    EXPECT_EQ(StopWorker(thread), static_cast<DWORD>(WAIT_OBJECT_0));
}

TEST(MovieThread, StartWhileRunningBeginsNoSecondThread)
{
    CTickOwner owner;
    QRVMovieThread thread(&owner);
    thread.StartPlaying();
    thread.SetTick();
    ASSERT_TRUE(owner.AwaitTick());
    const DWORD dwWorker = owner.m_dwThreadId;
    thread.StartPlaying();
    thread.SetTick();
    ASSERT_TRUE(owner.AwaitTick());
    EXPECT_EQ(owner.m_dwThreadId, dwWorker);
    EXPECT_EQ(StopWorker(thread), static_cast<DWORD>(WAIT_OBJECT_0));
}

TEST(MovieThread, StopRacingTheStartEndsTheBodyAtOnce)
{
    CTickOwner owner;
    CGatedMovieThread thread(&owner);
    thread.StartPlaying();
    ASSERT_EQ(thread.QueryStatus(), TS_RUNNING);
    thread.SetTick();
    thread.SetStopFlags();  // before the body has looked at the flags
    thread.Open();
    ASSERT_EQ(thread.Wait(10000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(thread.GetStoredState(), MS_STOPPED);
    EXPECT_EQ(owner.m_nTicks, 0);
}

TEST(MovieThread, StopFlagAloneEndsTheLoop)
{
    CTickOwner owner;
    QRVMovieThread thread(&owner);
    thread.StartPlaying();
    ASSERT_TRUE(WaitUntil([&] { return thread.GetStoredState() == MS_PLAYING; }));
    thread.SetStopFlags();
    ASSERT_EQ(thread.Wait(10000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(thread.GetStoredState(), MS_STOPPED);
}

TEST(MovieThread, PlayAfterStopBeginsANewThread)
{
    CTickOwner owner;
    QRVMovieThread thread(&owner);
    thread.StartPlaying();
    thread.SetTick();
    ASSERT_TRUE(owner.AwaitTick());
    const DWORD dwFirst = owner.m_dwThreadId;
    ASSERT_EQ(StopWorker(thread), static_cast<DWORD>(WAIT_OBJECT_0));
    thread.StartPlaying();
    thread.SetTick();
    ASSERT_TRUE(owner.AwaitTick());
    EXPECT_NE(owner.m_dwThreadId, dwFirst);
    EXPECT_EQ(StopWorker(thread), static_cast<DWORD>(WAIT_OBJECT_0));
}

TEST(MovieThread, DestroyingAPlayingWorkerEndsItsThread)
{
    CTickOwner owner;
    auto* pThread = new QRVMovieThread(&owner);
    pThread->StartPlaying();
    pThread->SetTick();
    ASSERT_TRUE(owner.AwaitTick());
    HANDLE hWorker = ::OpenThread(SYNCHRONIZE, FALSE, owner.m_dwThreadId);
    ASSERT_NE(hWorker, nullptr);
    CHandle worker(hWorker);
    delete pThread;
    EXPECT_EQ(::WaitForSingleObject(worker.Get(), 0), WAIT_OBJECT_0);
}

TEST(MovieThread, HundredsOfStartStopCyclesNeitherHangNorLeakThreads)
{
    const int nBefore = CountProcessThreads();
    ASSERT_GT(nBefore, 0);
    CTickOwner owner;
    QRVMovieThread thread(&owner);
    const int CYCLES = 300;
    for (int i = 0; i < CYCLES; ++i) {
        thread.StartPlaying();
        thread.SetTick();
        if (i % 2 == 0) {
            ASSERT_TRUE(owner.AwaitTick()) << "cycle " << i;
        }
        ASSERT_EQ(StopWorker(thread), static_cast<DWORD>(WAIT_OBJECT_0)) << "cycle " << i;
        ASSERT_EQ(thread.GetStoredState(), MS_STOPPED) << "cycle " << i;
    }
    EXPECT_GE(owner.m_nTicks, CYCLES / 2);
    EXPECT_LE(CountProcessThreads(), nBefore + 1);
}
