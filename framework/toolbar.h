// CToolBar: a control bar on the common toolbar control. Its buttons come
// from a toolbar resource (type 241, all WORDs: version 1, image width,
// image height, item count, then one command id per item, 0 for a
// separator) and the bitmap of the same id, which holds the button images
// side by side in the order of the non-separator items. The bitmap's
// standard grey, silver, white and black are mapped to the system's 3D
// colours, and silver shows the bar through. Loaded buttons are their
// image plus 7 pixels wide and high.
//
// Buttons are addressed by index (0 .. GetCount() - 1, separators
// included). Their styles are TBBS_* (afxdefs.h): the control's button
// style in the low word and its state in the high word, TBBS_DISABLED
// meaning "not enabled". A separator's image is its width in pixels.
//
// A click sends WM_COMMAND (BN_CLICKED, lParam = the toolbar) to the frame,
// whose command route carries it out unless the command's update handler
// disables it now. At idle time the frame runs every button's update
// handler (CToolCmdUI enables, disables and checks the button). With
// CBRS_TOOLTIPS a button's tooltip is the part of the command's string
// after its first line break; with CBRS_FLYBY the part before it (the
// prompt) is shown in the frame's message pane while the mouse is over the
// button, and the frame's idle prompt comes back when it leaves.
//
// GNU windres writes its TOOLBAR statement in a layout of its own (DWORDs,
// no version), which is refused: write the resource as raw data of type
// 241, as res/player.rc does.
#pragma once

#include <string>
#include <vector>
#include <windows.h>
#include <commctrl.h>

#include "cmdui.h"
#include "controlbar.h"
#include "gdiguards.h"

class CToolBar : public CControlBar {
public:
    CToolBar() = default;
    ~CToolBar() override;

    // Creates the control as a child of pParent (dwCtrlStyle: TBSTYLE_*
    // bits; dwStyle: window style with the bar's CBRS_* bits) and has the
    // frame lay it out.
    bool CreateEx(CFrameWnd* pParent, DWORD dwCtrlStyle = TBSTYLE_FLAT,
                  DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, UINT nID = AFX_IDW_TOOLBAR);

    // Replaces the buttons with those of toolbar resource nIDResource and
    // its bitmap (both in the resource module). False when the layout is
    // missing or malformed (the bar keeps its buttons) or the bitmap is
    // missing (the bar is left empty).
    bool LoadToolBar(UINT nIDResource);
    // Sets the size of the images and of the buttons (each at least the
    // image size plus 7 by 6, the control's minimum).
    void SetSizes(SIZE sizeButton, SIZE sizeImage);
    // Appends nCount images of bitmap nIDBitmap of hInst (nCount images
    // side by side at the bar's image size) to the bar's images; returns
    // the index of the first of them, or -1 on failure.
    int AddBitmapImages(HINSTANCE hInst, UINT nIDBitmap, int nCount);

    int GetCount() const;
    // Index of the first item with command nID, or -1.
    int CommandToIndex(UINT nID) const;
    // Command of the item at nIndex (0 for a plain separator).
    UINT GetItemID(int nIndex) const;
    // The item's rectangle in the bar's client area; empty when it is
    // hidden or does not exist.
    void GetItemRect(int nIndex, RECT* pRect) const;

    UINT GetButtonStyle(int nIndex) const;
    void SetButtonStyle(int nIndex, UINT nStyle);
    void GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const;
    // Gives the item a command, a TBBS_* style and an image (for a
    // separator, its width).
    void SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage);

    void HideButton(int nIndex, bool bHide = true);
    bool IsButtonHidden(int nIndex) const;

    // The control's tooltip window (with CBRS_TOOLTIPS), or null.
    HWND GetToolTips() const;

    // Height of the single row of buttons, with the bar's borders.
    int CalcHeight(int nWidth) override;
    void OnUpdateCmdUI(CCmdTarget* pTarget, bool bDisableIfNoHandler) override;

    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override;
    bool OnChildNotify(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

protected:
    bool GetButton(int nIndex, TBBUTTON* pButton) const;  // state with TBSTATE_ENABLED turned round
    void SetButton(int nIndex, const TBBUTTON& button);   // likewise

    // Fly-by prompt for the item under pt (client coordinates).
    void TrackFlyBy(POINT pt);
    void ShowFlyBy(UINT nID);

    SIZE m_sizeImage{16, 15};
    SIZE m_sizeButton{23, 22};
    UINT m_nIDFlyBy = 0;                         // command whose prompt the message pane shows, 0 none
    std::wstring m_strToolTip;                   // the text last handed to the tooltip
    std::vector<CGdiObject<HBITMAP>> m_bitmaps;  // image bitmaps handed to the control
};

// Update of one toolbar button, by index; separators are never touched.
class CToolCmdUI : public CCmdUI {
public:
    CToolCmdUI(CToolBar* pToolBar, UINT nIndex, UINT nID);

    void Enable(bool bOn = true) override;
    void SetCheck(int nCheck = 1) override;
    void SetText(const std::wstring& strText) override {}  // buttons show no text

    CToolBar* m_pToolBar;  // not owned
};
