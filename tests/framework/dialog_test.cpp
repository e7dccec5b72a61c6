// Dialogs from templates, modal and modeless, and the thin controls
// attached to their items: each control sees its own notifications first.
#include <functional>
#include <string>
#include <vector>

#include "test_frame.h"

namespace {

class CTestSlider : public CSliderCtrl {
public:
    bool OnScroll(UINT nCode, int nPos) override
    {
        m_scrolls.push_back({nCode, nPos});
        return true;
    }
    std::vector<std::pair<UINT, int>> m_scrolls;
};

class CTestCheck : public CButton {
public:
    bool OnClicked() override
    {
        ++m_nClicks;
        return m_bKeep;
    }
    int m_nClicks = 0;
    bool m_bKeep = false;  // false: the click goes on to the dialog's commands
};

class CTestLabel : public CStatic {
public:
    HBRUSH OnCtlColor(HDC) override
    {
        ++m_nColorRequests;
        return static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    }
    int m_nColorRequests = 0;
};

class CTestDialog : public CDialog {
public:
    explicit CTestDialog(CWnd* pParent = nullptr) : CDialog(IDD_TEST_DIALOG, pParent) {}

    // Runs inside the dialog once it shows (modal) or at once (modeless).
    std::function<void(CTestDialog&)> m_onInit;
    int m_nRefusals = 0;  // OK is refused this many times
    std::vector<std::string> m_log;

    CTestSlider m_slider;
    CTestCheck m_check;
    CTestLabel m_label;
    bool m_bAttached = false;

    bool OnInitDialog() override
    {
        m_bAttached = m_slider.SubclassDlgItem(IDC_TEST_SLIDER, this) &&
                      m_check.SubclassDlgItem(IDC_TEST_CHECKBOX, this) &&
                      m_label.SubclassDlgItem(IDC_TEST_LABEL, this);
        m_slider.SetRange(0, 1000);
        m_slider.SetLineSize(10);
        m_slider.SetPos(500);
        if (m_onInit)
            m_onInit(*this);
        return true;
    }
    void OnOK() override
    {
        m_log.push_back("ok");
        if (m_nRefusals > 0) {
            --m_nRefusals;
            return;
        }
        CDialog::OnOK();
    }
    void OnCancel() override
    {
        m_log.push_back("cancel");
        CDialog::OnCancel();
    }

protected:
    bool OnCmdTable(UINT nID, ECmdMsg nCode, CCmdUI* pCmdUI) override
    {
        static const CCmdEntry<CTestDialog> table[] = {
            {IDC_TEST_CHECKBOX, &CTestDialog::OnCheckCommand, nullptr},
        };
        return DispatchCmd(this, table, nID, nCode, pCmdUI) || CDialog::OnCmdTable(nID, nCode, pCmdUI);
    }

private:
    void OnCheckCommand() { m_log.push_back("check"); }
};

void PostCommand(HWND hDlg, UINT nID)
{
    ::PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, static_cast<int>(nID))));
}

class DialogTest : public CWindowTest {
protected:
    CTestApp m_app;
};

TEST_F(DialogTest, ModalDialogEndsThroughItsOwnOkAndCancel)
{
    struct Case {
        std::vector<UINT> commands;
        int nRefusals;
        INT_PTR nResult;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {{IDOK}, 0, IDOK, {"ok"}},
        {{IDCANCEL}, 0, IDCANCEL, {"cancel"}},
        {{IDOK, IDOK, IDCANCEL}, 1, IDOK, {"ok", "ok"}},  // refused once, then taken
    };
    for (const Case& c : cases) {
        CTestDialog dialog;
        dialog.m_nRefusals = c.nRefusals;
        dialog.m_onInit = [&](CTestDialog& d) {
            for (UINT nID : c.commands)
                PostCommand(d.m_hWnd, nID);
        };
        EXPECT_EQ(c.nResult, dialog.DoModal());
        EXPECT_EQ(c.log, dialog.m_log);
        EXPECT_TRUE(dialog.m_bAttached);
        EXPECT_EQ(nullptr, dialog.m_hWnd);  // the window is gone, the object detached
    }
}

TEST_F(DialogTest, ControlsSeeTheirNotificationsBeforeTheDialog)
{
    CTestDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless());
    ASSERT_TRUE(dialog.m_bAttached);
    dialog.ShowWindow(SW_SHOWNOACTIVATE);
    EXPECT_EQ(&dialog, CWnd::FromHandle(dialog.m_hWnd));

    // A key on the slider: it reports the step to itself.
    dialog.m_slider.SendMessage(WM_KEYDOWN, VK_RIGHT);
    ASSERT_FALSE(dialog.m_slider.m_scrolls.empty());
    EXPECT_EQ(TB_LINEDOWN, dialog.m_slider.m_scrolls.front().first);
    EXPECT_EQ(510, dialog.m_slider.m_scrolls.front().second);

    // A click the check box keeps, and one it passes on as a command.
    dialog.m_check.m_bKeep = true;
    dialog.m_check.SendMessage(BM_CLICK);
    EXPECT_TRUE(dialog.m_log.empty());
    dialog.m_check.m_bKeep = false;
    dialog.m_check.SendMessage(BM_CLICK);
    EXPECT_EQ(2, dialog.m_check.m_nClicks);
    EXPECT_EQ(std::vector<std::string>{"check"}, dialog.m_log);
    EXPECT_EQ(BST_UNCHECKED, dialog.m_check.GetCheck());  // two clicks

    // The label is asked for its colours as it paints.
    ::RedrawWindow(dialog.m_label.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_GT(dialog.m_label.m_nColorRequests, 0);

    // Esc through the modeless dialog's keyboard handling: Cancel ends it.
    MSG msg{dialog.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
    EXPECT_TRUE(dialog.PreTranslateMessage(&msg));
    DrainQueue();
    EXPECT_EQ(std::vector<std::string>({"check", "cancel"}), dialog.m_log);
    EXPECT_EQ(nullptr, dialog.m_hWnd);
}

}  // namespace
