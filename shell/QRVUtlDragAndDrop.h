// Files dragged from the shell onto a window.
//
// QRVUtlDragAndDropFiles lists the names in a drag's CF_HDROP data that a
// filter accepts. QRVUtlDragAndDropInjection<TOwner> is a drop target that
// hands the decisions to its owner (OnDragEnterFiles, OnDragOverFiles,
// OnDropFiles) and has the shell's drag-image helper draw the dragged
// icons over the window. Data that carries the shell's deny format is
// refused whatever it holds. During one drag the owner is asked once per
// entry; the effect it gave is remembered.
#pragma once

#include <string>
#include <vector>
#include <windows.h>
#include <shlobj.h>

#include "oledroptarget.h"
#include "wnd.h"

// Accepts a dropped name or not; pUserData is the caller's.
using QRVDropFilter = bool (*)(void* pUserData, const std::wstring& strName);

// Accepts names whose extension (the text after the last ".", the whole
// name without one) is "avi" in any case.
bool IsAviFile(void* pUserData, const std::wstring& strName);

// The shell's format that forbids dropping the data it comes with.
CLIPFORMAT DenyDropFormat();

class QRVUtlDragAndDropFiles {
public:
    QRVUtlDragAndDropFiles();
    virtual ~QRVUtlDragAndDropFiles() = default;

    // Lists the names of the data's CF_HDROP that pFilter accepts (all
    // without a filter); gives their number, 0 without CF_HDROP.
    int CollectFiles(const COleDataObject* pDataObject, QRVDropFilter pFilter = nullptr,
                     void* pUserData = nullptr);
    void GetFiles(std::vector<std::wstring>& files) const { files = m_files; }

private:
    std::vector<std::wstring> m_files;
    CLIPFORMAT m_cfDeny;
    CLIPFORMAT m_cfPreferredDropEffect;
};

template <class TOwner> class QRVUtlDragAndDropInjection : public COleDropTarget {
public:
    QRVUtlDragAndDropInjection()
        : m_bHasDragImage(SUCCEEDED(::CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER,
                                                       IID_IDropTargetHelper,
                                                       reinterpret_cast<void**>(&m_pDragImage)))),
          m_cfDeny(DenyDropFormat())
    {
        if (!m_bHasDragImage)
            m_pDragImage = nullptr;
    }
    ~QRVUtlDragAndDropInjection() override
    {
        Revoke();
        if (m_pDragImage != nullptr)
            m_pDragImage->Release();
    }

    void SetOwner(TOwner* pOwner) { m_pOwner = pOwner; }
    bool IsInDrag() const { return m_bInDrag; }
    DROPEFFECT GetLastEffect() const { return m_dwLastEffect; }
    bool HasDragImage() const { return m_bHasDragImage; }

    DROPEFFECT OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, POINT point) override
    {
        if (m_pOwner == nullptr)
            return DROPEFFECT_NONE;
        m_bRightButton = (dwKeyState & MK_RBUTTON) != 0;
        const DROPEFFECT dwEffect = pDataObject->IsDataAvailable(m_cfDeny)
                                        ? DROPEFFECT_NONE
                                        : m_pOwner->OnDragEnterFiles(pDataObject, dwKeyState, point);
        if (m_pDragImage != nullptr) {
            POINT ptScreen = ScreenPoint(pWnd, point);
            m_pDragImage->DragEnter(pWnd->m_hWnd, pDataObject->GetIDataObject(), &ptScreen, dwEffect);
        }
        return Remember(dwEffect, dwKeyState, point);
    }

    DROPEFFECT OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, POINT point) override
    {
        if (m_pOwner == nullptr)
            return DROPEFFECT_NONE;
        const DROPEFFECT dwEffect = pDataObject->IsDataAvailable(m_cfDeny)
                                        ? DROPEFFECT_NONE
                                        : m_pOwner->OnDragOverFiles(pDataObject, dwKeyState, point);
        if (m_pDragImage != nullptr) {
            POINT ptScreen = ScreenPoint(pWnd, point);
            m_pDragImage->DragOver(&ptScreen, dwEffect);
        }
        return Remember(dwEffect, dwKeyState, point);
    }

    BOOL OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect, POINT point) override
    {
        m_bInDrag = false;
        m_dwLastEffect = DROPEFFECT_NONE;
        const BOOL bResult = m_pOwner != nullptr ? m_pOwner->OnDropFiles(pDataObject, dropEffect, point) : FALSE;
        if (m_pDragImage != nullptr) {
            POINT ptScreen = ScreenPoint(pWnd, point);
            m_pDragImage->Drop(pDataObject->GetIDataObject(), &ptScreen, dropEffect);
        }
        Clear();
        return bResult;
    }

    void OnDragLeave(CWnd* pWnd) override
    {
        if (m_pOwner == nullptr)
            return;
        m_bInDrag = false;
        m_dwLastEffect = DROPEFFECT_NONE;
        if (m_pDragImage != nullptr)
            m_pDragImage->DragLeave();
        Clear();
    }

private:
    static POINT ScreenPoint(CWnd* pWnd, POINT point)
    {
        if (pWnd != nullptr)
            ::ClientToScreen(pWnd->m_hWnd, &point);
        return point;
    }
    DROPEFFECT Remember(DROPEFFECT dwEffect, DWORD dwKeyState, POINT point)
    {
        m_ptLast = point;
        m_dwLastEffect = dwEffect;
        m_dwLastKeyState = dwKeyState;
        m_bInDrag = true;
        return dwEffect;
    }
    void Clear()
    {
        m_bRightButton = false;
        m_dwLastKeyState = 0;
        m_ptLast = POINT{};
    }

    TOwner* m_pOwner = nullptr;
    IDropTargetHelper* m_pDragImage = nullptr;
    bool m_bHasDragImage;
    CLIPFORMAT m_cfDeny;
    bool m_bRightButton = false;
    bool m_bInDrag = false;
    DROPEFFECT m_dwLastEffect = DROPEFFECT_NONE;
    DWORD m_dwLastKeyState = 0;
    POINT m_ptLast{};
};
