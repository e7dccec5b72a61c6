#include "QRVBaseThread.h"

QRVBaseThread::~QRVBaseThread()
{
    StopAndWait();
}

void QRVBaseThread::StopAndWait()
{
    // The body may use its owner to the end, so it is never abandoned: a
    // body slow to notice (a long read) is asked again every pass and
    // waited for as long as it takes.
    for (;;) {
        {
            CSingleLock lock(m_cs);
            if (m_pThread == nullptr)
                return;
        }
        RequestStop();
        Wait(m_dwStopPassMs);
    }
}

void QRVBaseThread::RefreshStatus()
{
    if (m_nStatus == TS_RUNNING)
        m_nStatus = QueryStatus();
}

CWinThread* QRVBaseThread::BeginThread()
{
    CSingleLock lock(m_cs);
    if (m_pThread != nullptr) {
        RefreshStatus();
        if (m_nStatus != TS_ENDED)
            return nullptr;  // the earlier thread still runs
    }
    delete m_pThread;
    m_pThread = nullptr;
    m_nExitCode = 0;
    CWinThread* pThread = AfxBeginThread(&QRVBaseThread::ThreadEntry, this, THREAD_PRIORITY_NORMAL, 0,
                                         CREATE_SUSPENDED, nullptr);
    m_bStopRequest = false;
    // Released only after auto-delete is off and the object is stored, so
    // that the thread object cannot delete itself under us.
    if (pThread != nullptr) {
        pThread->m_bAutoDelete = false;
        m_pThread = pThread;
        m_nStatus = TS_RUNNING;
        pThread->ResumeThread();
    } else {
        m_nStatus = TS_NOT_BEGUN;
    }
    return pThread;
}

DWORD QRVBaseThread::Wait(DWORD dwMilliseconds)
{
    CSingleLock lock(m_cs);
    DWORD dwResult = TW_NO_THREAD;
    if (m_pThread != nullptr) {
        RefreshStatus();
        dwResult = ::WaitForSingleObject(m_pThread->m_hThread, dwMilliseconds);
        if (dwResult == WAIT_OBJECT_0) {
            delete m_pThread;
            m_pThread = nullptr;
        }
    }
    return dwResult;
}

LONG QRVBaseThread::QueryStatus()
{
    CSingleLock lock(m_cs);
    if (m_pThread == nullptr)
        return TS_NOT_BEGUN;
    DWORD dwCode = 0;
    if (::GetExitCodeThread(m_pThread->m_hThread, &dwCode) && dwCode == STILL_ACTIVE)
        return TS_RUNNING;
    return TS_ENDED;
}

UINT QRVBaseThread::ThreadEntry(LPVOID pParam)
{
    auto* pThis = static_cast<QRVBaseThread*>(pParam);
    LONG nResult = pThis->Run();
    pThis->m_nExitCode = nResult;
    pThis->m_nStatus = TS_ENDED;
    return static_cast<UINT>(nResult);
}
