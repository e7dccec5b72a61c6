// CWinThread: one worker thread and its handle. AfxBeginThread creates
// the object and the thread; with m_bAutoDelete set (the default) the
// object deletes itself, closing the handle, when the thread ends. Owners
// that keep the object switch auto-delete off before the thread runs, so
// they create it suspended and resume it afterwards.
#pragma once

#include <windows.h>

#include "object.h"

using AFX_THREADPROC = UINT (*)(LPVOID);

class CWinThread : public CObject {
public:
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
    ~CWinThread() override;

    // Creates the thread; false when the system refuses.
    bool CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs);
    // The previous suspend count, or (DWORD)-1 on failure.
    DWORD ResumeThread();
    bool SetThreadPriority(int nPriority);

    HANDLE m_hThread = nullptr;  // owned: closed by the destructor
    DWORD m_nThreadID = 0;
    bool m_bAutoDelete = true;

private:
    static unsigned __stdcall ThreadEntry(void* pThis);

    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
};

// Begins a worker thread running pfnThreadProc(pParam); null on failure.
// With CREATE_SUSPENDED in dwCreateFlags the thread waits for ResumeThread.
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam,
                           int nPriority = THREAD_PRIORITY_NORMAL, UINT nStackSize = 0,
                           DWORD dwCreateFlags = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
