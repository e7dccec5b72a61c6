// COleDropTarget: a window that accepts OLE drag and drop. The object is
// the window's IDropTarget (registered with RegisterDragDrop until Revoke
// or the object's end) and passes each event of a drag, in the window's
// client coordinates, to its virtual handlers. COleDataObject is the data
// being dragged, as the handlers see it.
#pragma once

#include <windows.h>
#include <ole2.h>

class CWnd;

// The effects a drop can have (DROPEFFECT_COPY and the rest).
using DROPEFFECT = DWORD;

// The dragged data (not owned: valid during the call that hands it over).
class COleDataObject {
public:
    explicit COleDataObject(IDataObject* pDataObject) : m_pDataObject(pDataObject) {}

    IDataObject* GetIDataObject() const { return m_pDataObject; }
    // Whether the data is offered in format cf as global memory.
    bool IsDataAvailable(CLIPFORMAT cf) const;
    // The data in format cf as global memory; release it with
    // ReleaseStgMedium (CStgMedium does).
    bool GetData(CLIPFORMAT cf, STGMEDIUM& medium) const;

private:
    IDataObject* m_pDataObject;
};

// Owns a storage medium that a data object handed out.
class CStgMedium {
public:
    CStgMedium() = default;
    ~CStgMedium() { ::ReleaseStgMedium(&m_medium); }
    CStgMedium(const CStgMedium&) = delete;
    CStgMedium& operator=(const CStgMedium&) = delete;
    STGMEDIUM& Get() { return m_medium; }

private:
    STGMEDIUM m_medium{};
};

class COleDropTarget : public IDropTarget {
public:
    COleDropTarget() = default;
    virtual ~COleDropTarget();
    COleDropTarget(const COleDropTarget&) = delete;
    COleDropTarget& operator=(const COleDropTarget&) = delete;

    // Makes pWnd a drop target served by this object.
    bool Register(CWnd* pWnd);
    void Revoke();
    HWND GetWindow() const { return m_hWnd; }

    // The events of a drag over the window; points in client coordinates.
    virtual DROPEFFECT OnDragEnter(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, POINT point)
    {
        return DROPEFFECT_NONE;
    }
    virtual DROPEFFECT OnDragOver(CWnd* pWnd, COleDataObject* pDataObject, DWORD dwKeyState, POINT point)
    {
        return DROPEFFECT_NONE;
    }
    virtual BOOL OnDrop(CWnd* pWnd, COleDataObject* pDataObject, DROPEFFECT dropEffect, POINT point)
    {
        return FALSE;
    }
    virtual void OnDragLeave(CWnd* pWnd) {}

    // IDropTarget. The object's life is its owner's: the counts only keep
    // track of the system's references.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* pDataObject, DWORD grfKeyState, POINTL pt,
                                        DWORD* pdwEffect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* pDataObject, DWORD grfKeyState, POINTL pt,
                                   DWORD* pdwEffect) override;

private:
    POINT ClientPoint(POINTL pt) const;
    void ForgetData();

    HWND m_hWnd = nullptr;
    LONG m_nRefs = 0;
    IDataObject* m_pDataObject = nullptr;  // the current drag's data (a reference held)
};
