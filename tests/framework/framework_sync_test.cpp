// The framework's lock and worker-thread pieces the worker threads build on.
#include <gtest/gtest.h>

#include <atomic>

#include "critsec.h"
#include "handle.h"
#include "winthread.h"

namespace {

struct CTryLockProbe {
    CCriticalSection* pcs;
    bool bGot = false;
};

UINT TryLockFromAnotherThread(LPVOID pParam)
{
    auto* pProbe = static_cast<CTryLockProbe*>(pParam);
    pProbe->bGot = pProbe->pcs->TryLock();
    if (pProbe->bGot)
        pProbe->pcs->Unlock();
    return 0;
}

// Runs TryLockFromAnotherThread on a thread of its own and waits for it.
bool OtherThreadGetsTheLock(CCriticalSection& cs)
{
    CTryLockProbe probe{&cs};
    CWinThread* pThread =
        AfxBeginThread(&TryLockFromAnotherThread, &probe, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    EXPECT_NE(pThread, nullptr);
    if (pThread == nullptr)
        return false;
    pThread->m_bAutoDelete = false;
    pThread->ResumeThread();
    EXPECT_EQ(::WaitForSingleObject(pThread->m_hThread, 10000), WAIT_OBJECT_0);
    delete pThread;
    return probe.bGot;
}

UINT SignalAndReturn(LPVOID pParam)
{
    ::SetEvent(static_cast<HANDLE>(pParam));
    return 5;
}

}  // namespace

TEST(FrameworkSync, SingleLockHoldsTheSectionForItsScope)
{
    CCriticalSection cs;
    {
        CSingleLock lock(cs);
        EXPECT_TRUE(lock.IsLocked());
        EXPECT_FALSE(OtherThreadGetsTheLock(cs));
        EXPECT_TRUE(cs.TryLock());  // the owner may enter again
        cs.Unlock();
        EXPECT_FALSE(OtherThreadGetsTheLock(cs));
    }
    EXPECT_TRUE(OtherThreadGetsTheLock(cs));
}

TEST(FrameworkSync, SingleLockCanStartUnlockedAndLetGoEarly)
{
    CCriticalSection cs;
    CSingleLock lock(cs, false);
    EXPECT_FALSE(lock.IsLocked());
    EXPECT_TRUE(OtherThreadGetsTheLock(cs));
    EXPECT_TRUE(lock.TryLock());
    EXPECT_FALSE(OtherThreadGetsTheLock(cs));
    lock.Unlock();
    EXPECT_FALSE(lock.IsLocked());
    EXPECT_TRUE(OtherThreadGetsTheLock(cs));
}

TEST(FrameworkSync, SuspendedThreadRunsOnlyAfterResumeAndKeepsItsExitCode)
{
    CHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    CWinThread* pThread =
        AfxBeginThread(&SignalAndReturn, event.Get(), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(pThread, nullptr);
    pThread->m_bAutoDelete = false;
    EXPECT_EQ(::WaitForSingleObject(event.Get(), 100), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(pThread->ResumeThread(), 1u);
    ASSERT_EQ(::WaitForSingleObject(pThread->m_hThread, 10000), WAIT_OBJECT_0);
    DWORD dwCode = 0;
    ASSERT_TRUE(::GetExitCodeThread(pThread->m_hThread, &dwCode));
    EXPECT_EQ(dwCode, 5u);
    delete pThread;
}

TEST(FrameworkSync, AutoDeletingThreadRunsAtOnce)
{
    CHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    CWinThread* pThread = AfxBeginThread(&SignalAndReturn, event.Get());
    ASSERT_NE(pThread, nullptr);
    // The object is the thread's own now and may already be gone.
    EXPECT_EQ(::WaitForSingleObject(event.Get(), 10000), WAIT_OBJECT_0);
}
