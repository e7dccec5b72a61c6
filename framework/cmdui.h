// Command user-interface state: the object an update handler talks to.
// The base class records what the handler asked for; derived classes apply
// it to a menu item (here), a toolbar button or a status pane.
#pragma once

#include <string>
#include <windows.h>

class CCmdTarget;

class CCmdUI {
public:
    explicit CCmdUI(UINT nID = 0) : m_nID(nID) {}
    virtual ~CCmdUI() = default;

    virtual void Enable(bool bOn = true);
    virtual void SetCheck(int nCheck = 1);  // 0 clear, 1 checked, 2 indeterminate
    virtual void SetText(const std::wstring& strText);

    // True when the item is a submenu whose first item carries m_nID.
    virtual bool IsSubMenu() const { return false; }

    // Runs the update handler found on pTarget's route. Without one, and
    // when bDisableIfNoHandler, the item is enabled only if some command
    // handler on the route would carry it out.
    void DoUpdate(CCmdTarget* pTarget, bool bDisableIfNoHandler);

    UINT m_nID;
    UINT m_nIndex = 0;              // position in its menu or bar
    bool m_bEnableChanged = false;  // a handler called Enable
    bool m_bEnabled = true;
    int m_nCheck = 0;
    bool m_bTextSet = false;
    std::wstring m_strText;
};

// Update of one item of a popup menu, by position.
class CMenuCmdUI : public CCmdUI {
public:
    CMenuCmdUI(HMENU hMenu, UINT nIndex, UINT nID, HMENU hSubMenu = nullptr);

    void Enable(bool bOn = true) override;
    void SetCheck(int nCheck = 1) override;
    void SetText(const std::wstring& strText) override;
    bool IsSubMenu() const override { return m_hSubMenu != nullptr; }

    HMENU m_hMenu;     // menu that holds the item (not owned)
    HMENU m_hSubMenu;  // the item's submenu, or null (not owned)
};
