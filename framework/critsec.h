// CCriticalSection: a recursive lock for threads of this process, and
// CSingleLock, which holds one for the life of a scope.
#pragma once

#include <windows.h>

class CCriticalSection {
public:
    CCriticalSection() { ::InitializeCriticalSection(&m_cs); }
    ~CCriticalSection() { ::DeleteCriticalSection(&m_cs); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Lock() { ::EnterCriticalSection(&m_cs); }
    // Takes the lock only when no other thread holds it.
    bool TryLock() { return ::TryEnterCriticalSection(&m_cs) != FALSE; }
    void Unlock() { ::LeaveCriticalSection(&m_cs); }

private:
    CRITICAL_SECTION m_cs;
};

// Holds the lock from construction (unless told not to) to destruction;
// Unlock() may give it up earlier.
class CSingleLock {
public:
    explicit CSingleLock(CCriticalSection& cs, bool bInitialLock = true) : m_cs(cs)
    {
        if (bInitialLock)
            Lock();
    }
    ~CSingleLock() { Unlock(); }
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;

    void Lock()
    {
        if (!m_bLocked) {
            m_cs.Lock();
            m_bLocked = true;
        }
    }
    // Takes the lock only when it is free; true when held afterwards.
    bool TryLock()
    {
        if (!m_bLocked)
            m_bLocked = m_cs.TryLock();
        return m_bLocked;
    }
    void Unlock()
    {
        if (m_bLocked) {
            m_cs.Unlock();
            m_bLocked = false;
        }
    }
    bool IsLocked() const { return m_bLocked; }

private:
    CCriticalSection& m_cs;
    bool m_bLocked = false;
};
