// The movie window's state machine: loading, playing, pausing, stopping,
// seeking, stepping, the clock tick with the end of the movie, and timers.
#include "QRVMovieWnd.h"

#include <algorithm>
#include <cstdlib>

#include "QRVAviAudio.h"

namespace {

// Asks the window's own thread to arm (lParam = delay) or kill
// (lParam = MW_KILL) one of its window timers.
constexpr UINT MWM_TIMER_REQUEST = WM_APP + 0x487;
constexpr LPARAM MW_KILL = -1;

constexpr int MW_START_DELAY_MS = 25;    // timer 98: repeat, autoplay, resumption
constexpr DWORD MW_PLAY_SETTLE_MS = 25;  // Play gives the worker this long to start
constexpr int MW_PAUSE_POLLS = 101;      // Pause waits this many times 10 ms at most
constexpr DWORD MW_PAUSE_POLL_MS = 10;
constexpr UINT MW_MIN_TICK_MS = 5;

bool IsTimedState(int nState)
{
    return nState == MS_PAUSED || nState == MS_STOPPED;
}

}  // namespace

QRVMovieWnd::QRVMovieWnd() = default;

QRVMovieWnd::~QRVMovieWnd()
{
    // The window's last messages (WM_DESTROY closes the movie) must reach
    // this object while it is still whole.
    if (m_hWnd != nullptr)
        DestroyWindow();
    CloseMovie();
}

bool QRVMovieWnd::OnWindowThread() const
{
    return m_hWnd != nullptr && ::GetWindowThreadProcessId(m_hWnd, nullptr) == ::GetCurrentThreadId();
}

HWND QRVMovieWnd::ParentHwnd() const
{
    return m_hWnd != nullptr ? ::GetParent(m_hWnd) : nullptr;
}

CWnd* QRVMovieWnd::MainWnd() const
{
    CWnd* pMain = AfxGetMainWnd();
    return pMain != nullptr && pMain->m_hWnd != nullptr ? pMain : nullptr;
}

// ---- creation ----

bool QRVMovieWnd::Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                         CWnd* pParent, UINT nID)
{
    if (lpszClassName == nullptr) {
        // No background brush: PaintFrame covers every pixel itself.
        lpszClassName = AfxRegisterWndClass(CS_DBLCLKS | CS_BYTEALIGNWINDOW,
                                            ::LoadCursorW(nullptr, IDC_ARROW), nullptr, nullptr);
    }
    return CWnd::Create(lpszClassName, lpszWindowName, dwStyle, rect, pParent, nID);
}

bool QRVMovieWnd::CreateMovieWindow(CWnd* pParent)
{
    return Create(nullptr, L"QRV AVI Player", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, m_rcLayout, pParent,
                  0);
}

// ---- notifications ----

int QRVMovieWnd::GetReportedState() const
{
    return m_bHeldForDrag ? MS_SEEKING : m_thread.GetState();
}

void QRVMovieWnd::NotifyState()
{
    HWND hParent = ParentHwnd();
    if ((m_dwOptions & MWO_NOTIFY_STATE) && hParent != nullptr)
        ::PostMessageW(hParent, WM_MOVIE_NOTIFY, MN_STATE, GetReportedState());
}

void QRVMovieWnd::NotifyPosition()
{
    if (!(m_dwOptions & MWO_NOTIFY_POSITION))
        return;
    m_nNotifiedPosition = m_nPosition.load();
    HWND hParent = ParentHwnd();
    if (hParent != nullptr)
        ::PostMessageW(hParent, WM_MOVIE_NOTIFY, MN_POSITION, GetPosition());
}

// ---- opening and closing ----

bool QRVMovieWnd::OpenMovie(const wchar_t* pszPath)
{
    CloseMovie();
    if (pszPath == nullptr)
        return false;
    m_strFileName = pszPath;
    // A three-letter extension other than ".avi" is not even tried.
    const size_t nDot = m_strFileName.rfind(L'.');
    if (nDot != std::wstring::npos && m_strFileName.size() >= 4 && nDot == m_strFileName.size() - 4 &&
        ::lstrcmpiW(m_strFileName.c_str() + nDot, L".avi") != 0)
        m_strFileName.clear();
    const bool bResult = !m_strFileName.empty() && LoadMovie();
    if (bResult) {
        FitToParent();
        if (m_dwOptions & MWO_AUTOPLAY)
            ArmTimer(MWT_START, MW_START_DELAY_MS);
    }
    return bResult;
}

void QRVMovieWnd::ComputeTiming(const AVISTREAMINFOW& info)
{
    const int nDuration =
        info.dwRate != 0 ? ::MulDiv(1000, static_cast<int>(info.dwScale), static_cast<int>(info.dwRate)) : 0;
    m_fFrameDuration = static_cast<float>(std::max(nDuration, 0));
    const float fPeriod = m_fFrameDuration / 2.0f / m_fSpeed;
    m_nTickPeriod = fPeriod > 0.0f ? static_cast<UINT>(fPeriod) : 0;
    if (m_nTickPeriod < MW_MIN_TICK_MS)
        m_nTickPeriod = MW_MIN_TICK_MS;
}

bool QRVMovieWnd::LoadMovie()
{
    if (!m_file.Open(m_strFileName.c_str()))
        return false;
    m_nVideoStream = 0;
    const bool bFrames = m_file.GetFrameOpen(0);
    if (bFrames) {
        m_dwTimeBase = ::timeGetTime();
        m_nPosition = 0;
        m_nShownFrame = -1;
        m_nFoundFrame = -1;
        m_nNotifiedPosition = 0;
        m_bHeldForDrag = false;
        m_bPaletteDirty = true;
    }
    if (const AVISTREAMINFOW* pInfo = bFrames ? m_file.GetVideoInfo(0) : nullptr) {
        ComputeTiming(*pInfo);
        CSingleLock lock(m_csFrame);
        CFrameRef frame;
        LookUpFrame(m_nPosition, false, frame);
        if (frame.pHeader != nullptr) {
            m_nShownFrame = m_nFoundFrame.load();
            AttachFrame(frame);
            m_bHasFrame = true;
            PaintFrame();
        } else {
            m_nVideoStream = -1;
            m_bHasFrame = false;
            if (HWND hParent = ParentHwnd())
                ::InvalidateRect(hParent, nullptr, FALSE);
        }
    } else {
        // No picture stream that can be shown: a sound-only movie, or none.
        m_thread.SetState(MS_NO_VIDEO);
        NotifyState();
        m_nVideoStream = -1;
        m_bHasFrame = false;
    }

    if (m_file.GetAudioStreamCount() >= 1) {
        m_pAudio.reset();
        m_pAudio = std::make_unique<QRVAviAudio>();
        m_pAudio->SetRate(m_fSpeed);
        // Without a source the player stays, silent.
        if (m_pAudio->OpenSource(m_strFileName, 0)) {
            m_pAudio->SetStartTime(0);
            if (m_pAudio->QueryFormat(false)) {
                if (m_nVideoStream == -1)
                    m_bAudioOnly = true;
            } else {
                m_pAudio.reset();
                m_bAudioOnly = false;
                const bool bNothing = m_nVideoStream == -1 && m_thread.GetState() == MS_NO_VIDEO;
                m_thread.SetState(bNothing ? MS_NO_MEDIA : MS_NO_AUDIO);
                NotifyState();
            }
        }
    }

    const bool bResult = m_bHasFrame || m_bAudioOnly;
    m_thread.SetState(bResult ? MS_READY : MS_NONE);
    NotifyState();
    return bResult;
}

void QRVMovieWnd::CloseMovie()
{
    m_bHasFrame = false;
    Stop(false, true);
    KillMovieTimer(MWT_SETTLE);
    KillMovieTimer(MWT_START);
    m_pAudio.reset();
    {
        CSingleLock lock(m_csFrame);
        if (m_nVideoStream >= 0)
            m_file.GetFrameClose(static_cast<uint32_t>(m_nVideoStream));
        m_bHeldForDrag = false;
        m_bAudioOnly = false;
        m_strFileName.clear();
        m_file.Close();
        m_dib.Clear();  // the facade's buffers are gone
        m_nVideoStream = -1;
        m_nPendingSeek = -1;
    }
    m_thread.SetState(MS_CLOSED);
    NotifyState();
    if (m_hWnd != nullptr)
        Invalidate(false);
}

// ---- playing, pausing, stopping ----

int QRVMovieWnd::Play()
{
    // A worker told to stop (the end of the movie, say) may still be
    // finishing its tick; it needs none of our locks, so it is waited for
    // here, before the state lock, and the new worker can begin.
    if (m_thread.GetStatus() == TS_RUNNING && (m_thread.IsStopRequested() || m_thread.IsStopSet()))
        m_thread.Wait(INFINITE);

    CSingleLock lock(m_csState);
    KillMovieTimer(MWT_SETTLE);
    KillMovieTimer(MWT_START);
    const int nState = m_thread.GetState();
    if (nState == MS_PLAYING)
        return MS_PLAYING;
    m_dwLastTick = m_dwTimeBase = ::timeGetTime();
    if (m_nPosition >= GetEndPosition()) {
        m_nPosition = GetStartPosition();
        int nPos = m_nPosition;
        Seek(nPos, MW_SEEK_FINAL, MW_SEEK_KEY_FRAMES, MW_SEEK_MAY_STOP);
    }
    if (m_pAudio)
        m_pAudio->Resume();
    if (nState == MS_PAUSED) {
        m_thread.SetPlayFlags();  // the waiting worker goes on
    } else {
        m_thread.StartPlaying();
        if (m_thread.IsRunSet())
            m_thread.SetState(MS_PLAYING);  // the flags tell the state from now on
    }
    if (m_nTickTimer == 0)
        m_nTickTimer =
            ::timeSetEvent(m_nTickPeriod, 0, &QRVMovieWnd::TickCallback, reinterpret_cast<DWORD_PTR>(this),
                           TIME_PERIODIC | TIME_KILL_SYNCHRONOUS);
    ::Sleep(MW_PLAY_SETTLE_MS);
    const int nResult = m_thread.GetState();
    NotifyState();
    return nResult;
}

int QRVMovieWnd::Pause()
{
    CSingleLock lock(m_csState);
    int nState = m_thread.GetState();
    if (nState == MS_PLAYING) {
        if (m_pAudio)
            m_pAudio->Pause();
        m_thread.SetPauseFlags();
        // The worker acknowledges by writing the paused state itself.
        for (int i = 0; i < MW_PAUSE_POLLS && m_thread.GetStoredState() == MS_PLAYING &&
                        m_thread.GetStatus() == TS_RUNNING && !m_thread.IsStopRequested();
             ++i)
            ::Sleep(MW_PAUSE_POLL_MS);
        nState = m_thread.GetState();
        NotifyState();
    }
    return nState;
}

void QRVMovieWnd::StopLocked(bool bRewind, bool bWorkerRunning)
{
    if (UINT nTimer = m_nTickTimer.exchange(0))
        ::timeKillEvent(nTimer);
    if (bWorkerRunning) {
        if (m_pAudio)
            m_pAudio->Stop();
        m_thread.RequestStop();
        m_thread.SetStopFlags();
        if (bRewind) {
            m_nPosition = GetStartPosition();
            int nPos = m_nPosition;
            Seek(nPos, MW_SEEK_FINAL, MW_SEEK_KEY_FRAMES, MW_SEEK_NO_STOP);
        }
    }
    NotifyState();
    m_thread.ClearTick();
}

void QRVMovieWnd::Stop(bool bRewind, bool bWait)
{
    bool bWaitForWorker = false;
    {
        CSingleLock lock(m_csState);
        if (m_thread.GetStatus() == TS_RUNNING)
            m_thread.SetStatus(m_thread.QueryStatus());
        const bool bRunning = m_thread.GetStatus() == TS_RUNNING;
        StopLocked(bRewind, bRunning);
        bWaitForWorker = bRunning && bWait;
    }
    // The wait is outside the state lock: a worker that reached the end of
    // the movie at this moment takes that lock in its end handling, sees
    // its stop request and leaves.
    if (bWaitForWorker)
        m_thread.Wait(INFINITE);
}

void QRVMovieWnd::StopFromWorker(bool bRewind)
{
    // The caller holds the state lock; this thread is the worker, so it
    // runs, and asking for its status could wait for a Wait on it.
    StopLocked(bRewind, true);
}

// ---- seeking and stepping ----

int QRVMovieWnd::Seek(int& nPos, bool bFinal, bool bExact, bool bNoStop)
{
    int nResult = m_thread.GetState();
    m_nPendingSeek = -1;
    KillMovieTimer(MWT_SETTLE);
    KillMovieTimer(MWT_START);
    if (m_strFileName.empty() && !m_pAudio)
        return nResult;
    if (!bFinal && nResult == MS_PLAYING) {
        if (!(m_dwOptions & MWO_NO_DRAG_RESUME))
            m_bHeldForDrag = true;
        nResult = Pause();
    }
    if (m_pAudio)
        m_pAudio->Stop();
    if (nPos < 0)
        nPos = 0;
    const int nEnd = GetEndPosition();
    bool bKeyOnly = false;
    if (m_bAudioOnly && m_pAudio) {
        nPos = std::min(nPos, nEnd);
        m_nPosition = nPos;
    } else {
        nPos = std::min(nPos, nEnd);
        m_nPendingSeek = nPos;
        m_dwLastTick = m_dwTimeBase = ::timeGetTime();
        // Key frames only while one slider pixel stands for many frames.
        bKeyOnly = !bFinal && !bExact;
        if (m_fNotifyGranularity < static_cast<float>(m_nFastSeekFrames) * m_fFrameDuration)
            bKeyOnly = false;
        m_nPosition = nPos;
        CSingleLock lock(m_csFrame);
        CFrameRef frame;
        LookUpFrame(m_nPosition, bKeyOnly, frame);
        if (m_nFoundFrame != m_nShownFrame) {
            m_nShownFrame = m_nFoundFrame.load();
            if (frame.pHeader != nullptr) {
                AttachFrame(frame);
                m_bHasFrame = true;
                PaintFrame();
                NotifyPosition();
            } else if (m_nVideoStream >= 0 &&
                       m_file.HasBuiltInDecoder(static_cast<uint32_t>(m_nVideoStream))) {
                // The built-in decoder updates its picture in place.
                PaintFrame();
                NotifyPosition();
            }
        }
    }
    if (bFinal) {
        if (m_pAudio)
            m_pAudio->SetStartTime(nPos);
        if (m_bHeldForDrag) {
            m_bHeldForDrag = false;
            if (m_nPosition >= nEnd) {
                if (!bNoStop)
                    Stop(false, false);
                if (m_dwOptions & MWO_REPEAT)
                    ArmTimer(MWT_START, MW_START_DELAY_MS);
            } else {
                ArmTimer(MWT_START, MW_START_DELAY_MS);
            }
        } else if (nResult == MS_PLAYING && m_pAudio && m_thread.GetState() == MS_PLAYING) {
            // Still playing: the sound stopped for the seek goes on from the
            // new time, and stays the clock.
            m_dwLastTick = m_dwTimeBase = ::timeGetTime();
            m_pAudio->Resume();
        }
    }
    if (!bFinal && bKeyOnly)
        ArmTimer(MWT_SETTLE, static_cast<UINT>(std::max(m_nSettleDelay, 0)));
    return nResult;
}

int QRVMovieWnd::StepForward()
{
    return StepFrames(1);
}

int QRVMovieWnd::StepBackward()
{
    return StepFrames(-1);
}

int QRVMovieWnd::StepFrames(int nFrames)
{
    const int nState = m_thread.GetState();
    const AVISTREAMINFOW* pInfo =
        m_nVideoStream >= 0 ? m_file.GetVideoInfo(static_cast<uint32_t>(m_nVideoStream)) : nullptr;
    if (IsTimedState(nState) && pInfo != nullptr && pInfo->dwRate != 0) {
        const int nFrame = ::MulDiv(1000, static_cast<int>(pInfo->dwScale), static_cast<int>(pInfo->dwRate));
        int nPos = GetPosition() + nFrames * nFrame;
        // Whole milliseconds per frame fall behind the frames (33 ms at 30
        // fps), and the end position shows the last frame: a step goes to
        // the first millisecond of the frame next to the one shown, so that
        // every step shows another frame.
        const long nShown = m_nShownFrame;
        if (nShown >= 0) {
            const uint32_t nStream = static_cast<uint32_t>(m_nVideoStream);
            const long nTarget = nShown + nFrames;
            long nTime = m_file.VideoSampleToTime(nStream, nTarget);
            if (nTime >= 0 && m_file.VideoTimeToSample(nStream, nTime) < nTarget)
                ++nTime;
            if (nTime >= 0)
                nPos = static_cast<int>(nTime);
        }
        Seek(nPos, MW_SEEK_FINAL, MW_SEEK_KEY_FRAMES, MW_SEEK_MAY_STOP);
    }
    return nState;
}

// ---- lengths and positions ----

int QRVMovieWnd::GetLength()
{
    if (m_pAudio) {
        if (m_bAudioOnly)
            return m_pAudio->GetEndTime();
        if (m_dwOptions & MWO_LONGER_TRACK) {
            const long nVideo =
                m_nVideoStream >= 0 ? m_file.GetVideoEndTime(static_cast<uint32_t>(m_nVideoStream)) : 0;
            return std::max(m_pAudio->GetEndTime(), static_cast<int>(nVideo));
        }
    }
    if (m_nVideoStream < 0 || static_cast<uint32_t>(m_nVideoStream) >= m_file.GetVideoStreamCount())
        return 0;
    return static_cast<int>(m_file.GetVideoEndTime(static_cast<uint32_t>(m_nVideoStream)));
}

int QRVMovieWnd::GetPosition()
{
    const int nPending = m_nPendingSeek;
    if (m_bHeldForDrag && nPending != -1)
        return nPending;
    return m_nPosition;
}

BITMAPINFOHEADER* QRVMovieWnd::GetVideoFormat()
{
    if (m_nVideoStream < 0 || static_cast<uint32_t>(m_nVideoStream) >= m_file.GetVideoStreamCount())
        return nullptr;
    return m_file.GetVideoFormat(static_cast<uint32_t>(m_nVideoStream));
}

int QRVMovieWnd::GetClockPosition()
{
    QRVAviAudio* pAudio = m_pAudio.get();
    if (pAudio != nullptr && pAudio->IsPlaying() && !pAudio->IsRecording()) {
        const int nSound = pAudio->GetPosition();
        // The system sample stays fresh, so that the system clock takes
        // over from here when the sound stops reporting.
        m_dwLastTick = ::timeGetTime();
        if (nSound >= 0)
            return nSound;
    }
    const DWORD dwNow = ::timeGetTime();
    m_dwLastTick = dwNow;
    const LONG nElapsed = static_cast<LONG>(dwNow - m_dwTimeBase);
    return m_nPosition + static_cast<int>(static_cast<float>(nElapsed) * m_fSpeed);
}

// ---- the tick ----

bool QRVMovieWnd::LookUpFrame(long nTime, bool bKeyOnly, CFrameRef& frame)
{
    frame = CFrameRef();
    ++m_nLookupSerial;
    if (m_nVideoStream < 0)
        return false;
    long nFound = m_nFoundFrame;
    const bool bPalette = m_file.GetFrame(static_cast<uint32_t>(m_nVideoStream), nTime, &frame.pHeader,
                                          &frame.pBits, nFound, bKeyOnly);
    m_nFoundFrame = nFound;
    if (frame.pHeader == nullptr || frame.pBits == nullptr)
        frame = CFrameRef();
    if (bPalette)
        m_bPaletteDirty = true;
    return bPalette;
}

void QRVMovieWnd::AttachFrame(const CFrameRef& frame)
{
    // Not owned: the blocks stay the facade's.
    m_dib.Attach(frame.pHeader, frame.pBits, 0);
}

void QRVMovieWnd::OnFrameTick()
{
    const int nPosition = GetClockPosition();
    m_nPosition = nPosition;
    if (IsStopRequested())
        return;
    const int nMoved = std::abs(nPosition - m_nNotifiedPosition);
    if (m_nNotifiedPosition == 0 || static_cast<float>(nMoved) > m_fNotifyGranularity ||
        nMoved > m_nNotifyJump)
        NotifyPosition();

    if (m_bAudioOnly && m_pAudio) {
        if (nPosition >= GetEndPosition() && !HandleEnd())
            return;
    } else {
        if (IsStopRequested())
            return;
        if ((m_dwOptions & MWO_END_CHECK_FIRST) && nPosition >= GetEndPosition() && !HandleEnd())
            return;
        CFrameRef frame;
        unsigned nSerial;
        {
            CSingleLock lock(m_csFrame);
            LookUpFrame(nPosition, false, frame);
            nSerial = m_nLookupSerial;
        }
        if (IsStopRequested())
            return;
        if (frame.pHeader != nullptr && m_nShownFrame != m_nFoundFrame) {
            CSingleLock lock(m_csFrame);
            // A seek on the other thread may have replaced the facade's
            // picture since the lookup: then it has drawn its own.
            if (!IsStopRequested() && nSerial == m_nLookupSerial) {
                AttachFrame(frame);
                PaintFrame();
            }
        } else if (nPosition >= GetEndPosition() && !HandleEnd()) {
            return;
        }
    }
    m_nShownFrame = m_nFoundFrame.load();
    m_dwTimeBase = m_dwLastTick.load();
}

bool QRVMovieWnd::HandleEnd()
{
    const DWORD dwOptions = m_dwOptions;
    {
        CSingleLock lock(m_csState);
        // Stopped from the user-interface thread meanwhile (CloseMovie,
        // Stop): that stop stands, and it may be waiting for this worker.
        if (IsStopRequested() || m_thread.IsStopSet())
            return false;
        StopFromWorker(!(dwOptions & MWO_STAY_AT_END));
    }
    CWnd* pMain = MainWnd();
    if ((dwOptions & MWO_CLOSE_AT_END) && pMain != nullptr) {
        m_thread.RequestStop();
        pMain->PostMessage(WM_CLOSE, 0, 0);
        return false;
    }
    if (dwOptions & MWO_REPEAT) {
        ArmTimer(MWT_START, MW_START_DELAY_MS);
        return true;
    }
    return (dwOptions & MWO_CLOSE_AT_END) != 0;
}

void CALLBACK QRVMovieWnd::TickCallback(UINT uTimerId, UINT, DWORD_PTR dwUser, DWORD_PTR, DWORD_PTR)
{
    auto* pThis = reinterpret_cast<QRVMovieWnd*>(dwUser);
    if (pThis != nullptr && uTimerId == pThis->m_nTickTimer)
        pThis->m_thread.SetTick();
}

// ---- window timers ----

void QRVMovieWnd::ArmTimer(UINT_PTR nId, UINT nMs)
{
    if (m_hWnd == nullptr)
        return;
    if (!OnWindowThread()) {
        PostMessage(MWM_TIMER_REQUEST, nId, static_cast<LPARAM>(nMs));
        return;
    }
    if (nId == MWT_START) {
        if (m_nStartTimer == 0)
            m_nStartTimer = ::SetTimer(m_hWnd, MWT_START, nMs, nullptr);
    } else {
        m_nSettleTimer = ::SetTimer(m_hWnd, MWT_SETTLE, nMs, nullptr);
    }
}

void QRVMovieWnd::KillMovieTimer(UINT_PTR nId)
{
    if (m_hWnd == nullptr)
        return;
    if (!OnWindowThread()) {
        PostMessage(MWM_TIMER_REQUEST, nId, MW_KILL);
        return;
    }
    UINT_PTR& nField = nId == MWT_START ? m_nStartTimer : m_nSettleTimer;
    if (nField != 0) {
        ::KillTimer(m_hWnd, nId);
        nField = 0;
    }
}

void QRVMovieWnd::OnTimerRequest(WPARAM wParam, LPARAM lParam)
{
    if (wParam != MWT_START && wParam != MWT_SETTLE)
        return;
    if (lParam == MW_KILL)
        KillMovieTimer(wParam);
    else if (!m_strFileName.empty())  // the movie that asked may be closed by now
        ArmTimer(wParam, static_cast<UINT>(lParam));
}

void QRVMovieWnd::OnSettle()
{
    KillMovieTimer(MWT_SETTLE);
    const int nPending = m_nPendingSeek;
    if (nPending < 0)
        return;
    m_dwLastTick = m_dwTimeBase = ::timeGetTime();
    CSingleLock lock(m_csFrame);
    CFrameRef frame;
    LookUpFrame(nPending, false, frame);
    if (frame.pHeader == nullptr)
        return;
    m_nPosition = nPending;
    m_nPendingSeek = -1;
    if (m_nFoundFrame != m_nShownFrame) {
        m_nShownFrame = m_nFoundFrame.load();
        AttachFrame(frame);
        PaintFrame();
    }
}

void QRVMovieWnd::OnTimer(UINT_PTR nId)
{
    if (nId == MWT_SETTLE) {
        OnSettle();
    } else if (nId == MWT_START) {
        KillMovieTimer(MWT_START);
        Play();
    }
}

// ---- messages ----

LRESULT QRVMovieWnd::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    switch (nMsg) {
    case WM_PAINT: {
        {
            CPaintDC dc(m_hWnd);  // validates the window
        }
        CSingleLock lock(m_csFrame);
        PaintFrame();
        return 0;
    }
    case WM_LBUTTONDOWN:
        if (m_dwOptions & MWO_DRAG_FRAME) {
            CWnd* pMain = MainWnd();
            if (pMain != nullptr && !::IsZoomed(pMain->m_hWnd))
                pMain->PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, lParam);
        }
        break;
    case WM_LBUTTONDBLCLK: {
        const LRESULT lResult = Default();
        const DWORD dwOptions = m_dwOptions;
        if (!(dwOptions & MWO_NO_DBLCLK) && (dwOptions & MWO_DRAG_FRAME)) {
            if (CWnd* pMain = MainWnd())
                pMain->PostMessage(WM_NCLBUTTONDBLCLK, HTCAPTION, lParam);
        }
        return lResult;
    }
    case WM_CONTEXTMENU:
        if (HWND hParent = ParentHwnd())
            return ::SendMessageW(hParent, WM_CONTEXTMENU, wParam, lParam);
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        break;
    case MWM_TIMER_REQUEST:
        OnTimerRequest(wParam, lParam);
        return 0;
    case WM_DESTROY:
        CloseMovie();
        m_pAudio.reset();
        break;
    }
    return CWnd::WindowProc(nMsg, wParam, lParam);
}
