// QRVMovieWnd: the child window that plays one movie. It reads the picture
// through its own AVI file facade, drives the sound-track player, keeps the
// movie clock (the sound device's position while the sound plays, else the
// system time), shows the frame that belongs to the clock and reports its
// state and position to its parent with WM_MOVIE_NOTIFY.
//
// Threads: the user-interface thread calls every public operation and gets
// every message; the playback worker calls OnFrameTick; the multimedia
// timer's thread only sets the worker's tick flag. Locks: the state lock
// (Play, Pause, Stop) before the frame lock (frame lookup, attach, drawing).
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <memory>
#include <string>

#include "MovieState.h"
#include "MovieWndDefs.h"
#include "QRVAviFile.h"
#include "QRVMovieThread.h"
#include "QvDIB.h"
#include "afxwin.h"

class QRVAviAudio;

class QRVMovieWnd : public CWnd, public QRVMovieThreadOwner {
public:
    // The playback worker of a movie window.
    using QRVMovieThread = ::QRVMovieThread;

    QRVMovieWnd();
    ~QRVMovieWnd() override;

    // Loads m_strFileName: facade, picture stream, sound track.
    virtual bool LoadMovie();
    // One clock tick; worker thread only.
    void OnFrameTick() override;
    // Draws the current frame, centred or scaled, on the background colour.
    virtual void PaintFrame();
    virtual int GetStartPosition() { return 0; }
    // The clock: the sound position while the sound plays, else system time.
    virtual int GetClockPosition();
    virtual int GetEndPosition() { return GetLength(); }
    // Hook for the scrolling variant: the scroll offset.
    virtual void PrepareDC(HDC hDC) {}
    virtual bool CreateMovieWindow(CWnd* pParent);
    virtual bool OpenMovie(const wchar_t* pszPath);
    // pos is cut to the movie. Gives the state before the seek, or Pause's
    // result when the seek held playback. Callers name the flags with the
    // MW_SEEK_ constants.
    virtual int Seek(int& nPos, bool bFinal, bool bExact, bool bNoStop);
    virtual int GetLength();
    virtual int GetPosition();
    virtual BITMAPINFOHEADER* GetVideoFormat();

    bool Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParent,
                UINT nID);
    void CloseMovie();
    int Play();
    int Pause();
    void Stop(bool bRewind, bool bWait);
    int StepForward();
    int StepBackward();
    SIZE GetMovieSize(bool bActual);
    bool SetLayoutRect(const RECT& rc);
    void FitToParent();
    void SetOptions(DWORD dwOptions);
    DWORD GetOptions() const { return m_dwOptions; }
    void RealizeMoviePalette();
    void PaletteChanged(HWND hWndChanger);

    // The reported state: 32 while held for a drag.
    int GetReportedState() const;
    int GetStoredState() const { return m_thread.GetState(); }
    const QRVMovieThread& GetThread() const { return m_thread; }
    QRVAviAudio* GetAudio() const { return m_pAudio.get(); }
    int GetShownFrame() const { return m_nShownFrame; }
    UINT GetTickPeriod() const { return m_nTickPeriod; }
    float GetFrameDuration() const { return m_fFrameDuration; }
    bool HasFrame() const { return m_bHasFrame; }

    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override;

    COLORREF m_crBackground = RGB(0, 0, 0);
    bool m_bAudioOnly = false;
    std::atomic<bool> m_bHeldForDrag{false};
    std::atomic<float> m_fNotifyGranularity{0.0f};  // set by the window's thread, read by the worker
    int m_nSettleDelay = 200;
    bool m_bPaletteMode = false;

protected:
    void NotifyState();
    void NotifyPosition();
    bool IsStopRequested() const { return m_thread.IsStopRequested(); }
    HWND ParentHwnd() const;
    RECT m_rcLayout{0, 0, 100, 100};
    std::atomic<DWORD> m_dwOptions{0};

private:
    // A frame the facade handed out: both pointers are the facade's and
    // valid until its next lookup.
    struct CFrameRef {
        BITMAPINFOHEADER* pHeader = nullptr;
        uint8_t* pBits = nullptr;
    };

    static void CALLBACK TickCallback(UINT uTimerId, UINT uMsg, DWORD_PTR dwUser, DWORD_PTR, DWORD_PTR);

    // Frame lookup at nTime into m_nFoundFrame; frame lock held by the caller.
    bool LookUpFrame(long nTime, bool bKeyOnly, CFrameRef& frame);
    void AttachFrame(const CFrameRef& frame);
    // One step of nFrames frames from the position, in a stopped or paused movie.
    int StepFrames(int nFrames);
    // End of the movie reached by the worker; false: leave the tick now.
    bool HandleEnd();
    // Stop on the worker thread itself: never waits, never asks for its status.
    void StopFromWorker(bool bRewind);
    void StopLocked(bool bRewind, bool bWorkerRunning);
    void ComputeTiming(const AVISTREAMINFOW& info);
    // Window timers 97 and 98: armed and killed on the window's own thread;
    // other threads post the request.
    void ArmTimer(UINT_PTR nId, UINT nMs);
    void KillMovieTimer(UINT_PTR nId);
    void OnTimerRequest(WPARAM wParam, LPARAM lParam);
    void OnTimer(UINT_PTR nId);
    void OnSettle();
    bool OnWindowThread() const;
    CWnd* MainWnd() const;
    void FillBackground(HDC hDC, const RECT& rc) const;
    void RebuildPalette();

    std::atomic<bool> m_bHasFrame{false};
    SIZE m_sizeMin{160, 120};
    std::unique_ptr<QRVAviAudio> m_pAudio;
    QRVAviFile m_file;
    QvDIB m_dib;  // views the facade's frame; owns nothing
    std::atomic<long> m_nShownFrame{-1};
    // Written by the window's thread and the worker alike: atomic.
    std::atomic<long> m_nFoundFrame{-1};
    std::atomic<int> m_nPosition{0};
    std::atomic<DWORD> m_dwLastTick{0};
    std::atomic<DWORD> m_dwTimeBase{0};
    std::atomic<int> m_nNotifiedPosition{0};
    int m_nVideoStream = -1;
    float m_fFrameDuration = 0.0f;
    UINT_PTR m_nStartTimer = 0;
    std::atomic<UINT> m_nTickTimer{0};
    UINT m_nTickPeriod = 10;
    float m_fSpeed = 1.0f;
    UINT_PTR m_nSettleTimer = 0;
    int m_nFastSeekFrames = 10;
    std::atomic<int> m_nPendingSeek{-1};
    unsigned m_nLookupSerial = 0;  // counts frame lookups; frame lock
    bool m_bPaletteDirty = false;
    CGdiObject<HPALETTE> m_palette;
    std::wstring m_strFileName;
    int m_nNotifyJump = 1000;
    CCriticalSection m_csFrame;
    CCriticalSection m_csState;
    QRVMovieThread m_thread{this};
};
