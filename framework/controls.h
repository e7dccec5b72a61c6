// Thin wrappers of the common controls the player uses. Each control owns
// its behaviour: the notifications it sends its parent come back to it
// first (reflection) and reach the parent only when it leaves them.
// Create one with Create(...) or attach it to a dialog item with
// SubclassDlgItem(id, pDialog).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "wnd.h"

// Registers the common control classes (bars, trackbars, status bars);
// dialogs and controls call it before they are made, as often as they like.
void AfxInitCommonControls();

// A push button, check box or radio button.
class CButton : public CWnd {
public:
    bool Create(LPCWSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nID);
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int nCheck) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck)); }

    // A click; true when handled here, false to let the parent's command
    // route have it as a command.
    virtual bool OnClicked() { return false; }

    bool OnChildNotify(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

// A text or picture label.
class CStatic : public CWnd {
public:
    bool Create(LPCWSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nID = 0xFFFF);

    // Colours for painting; a null brush leaves them to the parent.
    virtual HBRUSH OnCtlColor(HDC hDC) { return nullptr; }

    bool OnChildNotify(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

// A trackbar (the seek slider, the volume slider).
class CSliderCtrl : public CWnd {
public:
    bool Create(DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nID);

    void SetRange(int nMin, int nMax, bool bRedraw = true);
    int GetRangeMin() const { return static_cast<int>(SendMessage(TBM_GETRANGEMIN)); }
    int GetRangeMax() const { return static_cast<int>(SendMessage(TBM_GETRANGEMAX)); }
    int GetPos() const { return static_cast<int>(SendMessage(TBM_GETPOS)); }
    void SetPos(int nPos) { SendMessage(TBM_SETPOS, TRUE, nPos); }
    void SetPageSize(int nSize) { SendMessage(TBM_SETPAGESIZE, 0, nSize); }
    void SetLineSize(int nSize) { SendMessage(TBM_SETLINESIZE, 0, nSize); }

    // A scroll notification (TB_ code) with the position it reports; true
    // when handled here, false to pass it on to the parent.
    virtual bool OnScroll(UINT nCode, int nPos) { return false; }

    bool OnChildNotify(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};
