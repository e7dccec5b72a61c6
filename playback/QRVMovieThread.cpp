#include "QRVMovieThread.h"

namespace {
// Idle step of the loop: a pending tick is taken at most this late.
const DWORD MT_IDLE_SLEEP_MS = 10;
}  // namespace

QRVMovieThread::~QRVMovieThread()
{
    // End the body while the flags and the owner pointer still exist.
    StopAndWait();
}

void QRVMovieThread::SetPlayFlags()
{
    m_bPause = false;
    m_bStop = false;
    m_bRun = true;
}

void QRVMovieThread::SetPauseFlags()
{
    m_bRun = false;
    m_bStop = false;
    m_bPause = true;
}

void QRVMovieThread::SetStopFlags()
{
    m_bRun = false;
    m_bPause = false;
    m_bStop = true;
    m_bTick = false;
}

void QRVMovieThread::StartPlaying()
{
    if (m_bRun)
        return;
    SetPlayFlags();
    if (BeginThread() == nullptr)
        SetStopFlags();
}

int QRVMovieThread::GetState() const
{
    switch (int nState = m_nState) {
    case MS_NONE:
    case MS_NO_VIDEO:
    case MS_NO_AUDIO:
    case MS_NO_MEDIA:
    case MS_READY:
    case MS_CLOSED:
        return nState;
    default:
        break;
    }
    if (m_bRun)
        return MS_PLAYING;
    if (m_bPause)
        return MS_PAUSED;
    return MS_STOPPED;
}

LONG QRVMovieThread::Run()
{
    if (m_bRun) {
        m_nState = MS_PLAYING;
        while (!IsStopRequested() && !m_bStop) {
            if (m_bPause) {
                m_nState = MS_PAUSED;
                ::SleepEx(MT_IDLE_SLEEP_MS, FALSE);
            } else if (m_bRun) {
                m_nState = MS_PLAYING;
                if (m_bTick) {
                    m_bTick = false;
                    m_pOwner->OnFrameTick();
                } else {
                    ::SleepEx(MT_IDLE_SLEEP_MS, FALSE);
                }
            }
            // Neither run nor pause: the owner is rewriting the flags;
            // look again at once.
        }
    }
    m_nState = MS_STOPPED;
    return 0;
}
