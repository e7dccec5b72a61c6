// CMenu: owns one menu handle and destroys it (with its submenus) at the
// end, unless it was released to a window that destroys it itself.
#pragma once

#include <utility>
#include <windows.h>

class CMenu {
public:
    CMenu() = default;
    explicit CMenu(HMENU hMenu) : m_hMenu(hMenu) {}
    ~CMenu() { Reset(); }
    CMenu(CMenu&& other) noexcept : m_hMenu(std::exchange(other.m_hMenu, nullptr)) {}
    CMenu& operator=(CMenu&& other) noexcept
    {
        if (this != &other)
            Reset(std::exchange(other.m_hMenu, nullptr));
        return *this;
    }
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    // Menu resource nID of the program; false when there is none.
    bool LoadMenu(UINT nID);

    HMENU Get() const { return m_hMenu; }
    explicit operator bool() const { return m_hMenu != nullptr; }
    // Submenu at nPos; it belongs to this menu.
    HMENU GetSubMenu(int nPos) const { return m_hMenu != nullptr ? ::GetSubMenu(m_hMenu, nPos) : nullptr; }
    void Reset(HMENU hMenu = nullptr)
    {
        if (m_hMenu != nullptr)
            ::DestroyMenu(m_hMenu);
        m_hMenu = hMenu;
    }
    HMENU Release() { return std::exchange(m_hMenu, nullptr); }

private:
    HMENU m_hMenu = nullptr;
};

// Shows hPopup at a screen point, owned by pOwner: the owner runs the
// items' update handlers as the menu opens and gets the chosen command the
// normal way (WM_COMMAND). Returns when the menu has closed.
class CWnd;
bool AfxTrackPopupMenu(HMENU hPopup, POINT ptScreen, CWnd* pOwner);
