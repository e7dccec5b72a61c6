// Window objects: lookup by handle, subclassing of existing windows and the
// reflection of child notifications back to the child.
#include <algorithm>

#include "test_frame.h"

#include <commctrl.h>

namespace {

// A plain window of ours that records the messages reaching its WindowProc.
class CRecordingWnd : public CWnd {
public:
    std::vector<UINT> m_seen;

    bool Saw(UINT nMsg) const { return std::find(m_seen.begin(), m_seen.end(), nMsg) != m_seen.end(); }

    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override
    {
        m_seen.push_back(nMsg);
        return CWnd::WindowProc(nMsg, wParam, lParam);
    }
};

// A control that handles the notifications it sends when m_bHandle is set.
class CNotifyingChild : public CWnd {
public:
    static constexpr LRESULT CHILD_RESULT = 77;
    bool m_bHandle = true;
    std::vector<UINT> m_reflected;

    bool OnChildNotify(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        m_reflected.push_back(nMsg);
        if (!m_bHandle)
            return false;
        *pResult = CHILD_RESULT;
        return true;
    }
};

class CPrivateMessageWnd : public CWnd {
public:
    static constexpr UINT WM_PRIVATE = WM_APP + 5;
    static constexpr LRESULT PRIVATE_RESULT = 123;
    std::vector<UINT> m_seen;

    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override
    {
        m_seen.push_back(nMsg);
        switch (nMsg) {
        case WM_PRIVATE:
            return PRIVATE_RESULT;
        }
        return CWnd::WindowProc(nMsg, wParam, lParam);
    }
};

class WndTest : public CWindowTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_parent.CreateEx(0, AfxRegisterWndClass(0), L"parent", WS_OVERLAPPEDWINDOW,
                                      RECT{0, 0, 300, 200}, nullptr, 0));
    }

    HWND CreateControl(LPCWSTR pszClass, UINT nID)
    {
        return ::CreateWindowExW(0, pszClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, m_parent.m_hWnd,
                                 reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)),
                                 ::GetModuleHandleW(nullptr), nullptr);
    }

    CRecordingWnd m_parent;
};

TEST_F(WndTest, ObjectIsFoundFromItsHandleFromCreationOn)
{
    EXPECT_EQ(&m_parent, CWnd::FromHandle(m_parent.m_hWnd));
    EXPECT_TRUE(m_parent.Saw(WM_NCCREATE));
    EXPECT_TRUE(m_parent.Saw(WM_CREATE));
    EXPECT_EQ(nullptr, CWnd::FromHandle(::GetDesktopWindow()));
    EXPECT_EQ(nullptr, CWnd::FromHandle(nullptr));
}

TEST_F(WndTest, DestroyedWindowLeavesObjectDetached)
{
    HWND hWnd = m_parent.m_hWnd;
    ASSERT_TRUE(m_parent.DestroyWindow());
    EXPECT_EQ(nullptr, m_parent.m_hWnd);
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_TRUE(m_parent.Saw(WM_NCDESTROY));
}

TEST_F(WndTest, WindowCreatedByObjectIsDestroyedWithIt)
{
    HWND hWnd;
    {
        CWnd child;
        ASSERT_TRUE(child.Create(L"STATIC", L"x", WS_VISIBLE, RECT{0, 0, 10, 10}, &m_parent, 7));
        hWnd = child.m_hWnd;
        // A control class: the object took the window over after creation.
        EXPECT_EQ(&child, CWnd::FromHandle(hWnd));
    }
    EXPECT_FALSE(::IsWindow(hWnd));
}

TEST_F(WndTest, SubclassedControlKeepsItsOwnProcedureAsDefault)
{
    HWND hEdit = CreateControl(L"EDIT", 10);
    ASSERT_NE(nullptr, hEdit);
    auto pfnOriginal = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hEdit, GWLP_WNDPROC));

    CPrivateMessageWnd edit;
    ASSERT_TRUE(edit.SubclassWindow(hEdit));
    EXPECT_EQ(&edit, CWnd::FromHandle(hEdit));

    // Our procedure sees the message first and answers its own ones...
    EXPECT_EQ(CPrivateMessageWnd::PRIVATE_RESULT,
              ::SendMessageW(hEdit, CPrivateMessageWnd::WM_PRIVATE, 0, 0));
    // ...and the edit control still does what only it knows.
    ::SendMessageW(hEdit, EM_SETLIMITTEXT, 5, 0);
    EXPECT_EQ(5, ::SendMessageW(hEdit, EM_GETLIMITTEXT, 0, 0));
    EXPECT_NE(std::find(edit.m_seen.begin(), edit.m_seen.end(), static_cast<UINT>(EM_GETLIMITTEXT)),
              edit.m_seen.end());

    EXPECT_EQ(hEdit, edit.UnsubclassWindow());
    EXPECT_EQ(pfnOriginal, reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hEdit, GWLP_WNDPROC)));
    EXPECT_EQ(nullptr, CWnd::FromHandle(hEdit));
    EXPECT_TRUE(::IsWindow(hEdit));  // not ours to destroy
    EXPECT_EQ(5, ::SendMessageW(hEdit, EM_GETLIMITTEXT, 0, 0));
}

TEST_F(WndTest, WindowCannotBeSubclassedTwice)
{
    HWND hEdit = CreateControl(L"EDIT", 11);
    CWnd first;
    CWnd second;
    ASSERT_TRUE(first.SubclassDlgItem(11, &m_parent));
    EXPECT_FALSE(second.SubclassWindow(hEdit));
    EXPECT_EQ(&first, CWnd::FromHandle(hEdit));
}

struct ReflectCase {
    const char* pszName;
    UINT nMsg;
};

TEST_F(WndTest, ChildNotificationsGoToSubclassedChildFirst)
{
    const UINT nID = 20;
    HWND hButton = CreateControl(L"BUTTON", nID);
    CNotifyingChild child;
    ASSERT_TRUE(child.SubclassWindow(hButton));

    NMHDR nmhdr{hButton, nID, NM_CLICK};
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = nID;
    dis.hwndItem = hButton;

    const ReflectCase cases[] = {
        {"WM_COMMAND", WM_COMMAND},
        {"WM_NOTIFY", WM_NOTIFY},
        {"WM_HSCROLL", WM_HSCROLL},
        {"WM_VSCROLL", WM_VSCROLL},
        {"WM_CTLCOLORSTATIC", WM_CTLCOLORSTATIC},
        {"WM_CTLCOLORBTN", WM_CTLCOLORBTN},
        {"WM_DRAWITEM", WM_DRAWITEM},
    };
    for (bool bHandle : {true, false}) {
        for (const ReflectCase& c : cases) {
            WPARAM wParam = 0;
            LPARAM lParam = reinterpret_cast<LPARAM>(hButton);
            switch (c.nMsg) {
            case WM_COMMAND:
                wParam = MAKEWPARAM(nID, BN_DOUBLECLICKED);
                break;
            case WM_NOTIFY:
                wParam = nID;
                lParam = reinterpret_cast<LPARAM>(&nmhdr);
                break;
            case WM_DRAWITEM:
                wParam = nID;
                lParam = reinterpret_cast<LPARAM>(&dis);
                break;
            }
            child.m_bHandle = bHandle;
            child.m_reflected.clear();
            m_parent.m_seen.clear();
            LRESULT lResult = m_parent.SendMessage(c.nMsg, wParam, lParam);

            EXPECT_EQ(std::vector<UINT>{c.nMsg}, child.m_reflected) << c.pszName;
            EXPECT_EQ(!bHandle, m_parent.Saw(c.nMsg)) << c.pszName << " handled " << bHandle;
            if (bHandle) {
                EXPECT_EQ(CNotifyingChild::CHILD_RESULT, lResult) << c.pszName;
            }
        }
    }
}

TEST_F(WndTest, MenuCommandsAndOwnerDrawnMenusAreNotReflected)
{
    HWND hButton = CreateControl(L"BUTTON", 21);
    CNotifyingChild child;
    ASSERT_TRUE(child.SubclassWindow(hButton));

    m_parent.SendMessage(WM_COMMAND, MAKEWPARAM(21, 0), 0);
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_MENU;
    dis.hwndItem = reinterpret_cast<HWND>(hButton);  // a menu handle in real use
    m_parent.SendMessage(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));

    EXPECT_TRUE(child.m_reflected.empty());
    EXPECT_TRUE(m_parent.Saw(WM_COMMAND));
    EXPECT_TRUE(m_parent.Saw(WM_DRAWITEM));
}

TEST_F(WndTest, NotificationFromWindowWithoutObjectReachesParent)
{
    HWND hButton = CreateControl(L"BUTTON", 22);
    m_parent.SendMessage(WM_COMMAND, MAKEWPARAM(22, BN_DOUBLECLICKED), reinterpret_cast<LPARAM>(hButton));
    EXPECT_TRUE(m_parent.Saw(WM_COMMAND));
}

}  // namespace
