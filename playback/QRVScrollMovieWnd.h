// QRVScrollMovieWnd: the movie window with scroll bars. A picture larger
// than the window, drawn at its own size, can be moved over with the bars
// and the mouse wheel; with MWO_SHRINK the picture is scaled into the window
// and the bars stay hidden. Everything else is QRVMovieWnd's.
#pragma once

#include "QRVMovieWnd.h"

class QRVScrollMovieWnd : public QRVMovieWnd {
public:
    QRVScrollMovieWnd() = default;

    bool PreCreateWindow(CREATESTRUCTW& cs) override;
    // Loads as the movie window does, then starts at the top left corner
    // with bars for the new movie.
    bool LoadMovie() override;
    // The drawing offset: minus the scroll positions.
    void PrepareDC(HDC hDC) override;
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override;

    // Moves the scroll position by a distance in pixels; false when
    // nothing moved. With bScroll the window content follows.
    bool ScrollBy(int dx, int dy, bool bScroll);
    // One scroll action: low byte horizontal, next byte vertical, 0xFF none.
    bool OnScroll(UINT nCode, int nTrackPos, bool bScroll);
    // Which bars show and their ranges, from the client size and the movie.
    void UpdateScrollBars();
    bool OnMouseWheel(UINT nFlags, short zDelta);

    // Width of the vertical bar and height of the horizontal one.
    SIZE GetBarExtents() const { return m_sizeBars; }

private:
    void ReadBarExtents();
    bool HasBar(int nBar) const;

    bool m_bUpdating = false;
    SIZE m_sizeLine{10, 10};
    SIZE m_sizePage{100, 100};
    SIZE m_sizeBars{0, 0};
};
