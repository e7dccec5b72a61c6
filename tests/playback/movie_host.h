// A visible top-level window on the test display that hosts a movie window,
// records what the movie window posts to it (notifications, WM_CLOSE) and
// reads pixels back from the screen.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

#include "afxwin.h"

class CMovieHost {
public:
    CMovieHost(int cx, int cy);
    ~CMovieHost();
    CMovieHost(const CMovieHost&) = delete;
    CMovieHost& operator=(const CMovieHost&) = delete;

    HWND Hwnd() const { return m_hWnd; }
    CWnd* Wnd() { return &m_wnd; }

    // Dispatches messages until pred() holds; false after nTimeoutMs.
    bool PumpUntil(const std::function<bool()>& pred, DWORD nTimeoutMs = 15000);
    // Dispatches messages for about nMs.
    void PumpFor(DWORD nMs);

    // Whether a state notification with this code has come, from index nFrom on.
    bool HasState(LPARAM nState, size_t nFrom = 0) const;

    std::vector<std::pair<WPARAM, LPARAM>> m_notes;  // WM_MOVIE_NOTIFY received
    int m_nCloses = 0;                               // WM_CLOSE received

private:
    static LRESULT CALLBACK HostProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;
    CWnd m_wnd;  // the framework's view of the host, for CreateMovieWindow
};

// The colour at (x, y) of a window's client area as the screen shows it.
COLORREF ReadWindowPixel(HWND hWnd, int x, int y);
