#include "oledroptarget.h"

#include "wnd.h"

bool COleDataObject::IsDataAvailable(CLIPFORMAT cf) const
{
    FORMATETC format{cf, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return m_pDataObject != nullptr && m_pDataObject->QueryGetData(&format) == S_OK;
}

bool COleDataObject::GetData(CLIPFORMAT cf, STGMEDIUM& medium) const
{
    FORMATETC format{cf, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    if (m_pDataObject == nullptr || FAILED(m_pDataObject->GetData(&format, &medium)))
        return false;
    if (medium.tymed != TYMED_HGLOBAL || medium.hGlobal == nullptr) {
        ::ReleaseStgMedium(&medium);
        medium = STGMEDIUM{};
        return false;
    }
    return true;
}

COleDropTarget::~COleDropTarget()
{
    Revoke();
}

bool COleDropTarget::Register(CWnd* pWnd)
{
    if (pWnd == nullptr || pWnd->m_hWnd == nullptr || m_hWnd != nullptr)
        return false;
    if (FAILED(::RegisterDragDrop(pWnd->m_hWnd, this)))
        return false;
    m_hWnd = pWnd->m_hWnd;
    return true;
}

void COleDropTarget::Revoke()
{
    if (m_hWnd != nullptr) {
        ::RevokeDragDrop(m_hWnd);
        // A drag source in another process may still hold a proxy: its
        // calls must not reach an object that is about to go.
        ::CoDisconnectObject(static_cast<IDropTarget*>(this), 0);
    }
    m_hWnd = nullptr;
    ForgetData();
}

void COleDropTarget::ForgetData()
{
    if (m_pDataObject != nullptr)
        m_pDataObject->Release();
    m_pDataObject = nullptr;
}

POINT COleDropTarget::ClientPoint(POINTL pt) const
{
    POINT point{pt.x, pt.y};
    ::ScreenToClient(m_hWnd, &point);
    return point;
}

HRESULT COleDropTarget::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
        *ppv = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG COleDropTarget::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_nRefs));
}

ULONG COleDropTarget::Release()
{
    return static_cast<ULONG>(::InterlockedDecrement(&m_nRefs));
}

HRESULT COleDropTarget::DragEnter(IDataObject* pDataObject, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect)
{
    if (pdwEffect == nullptr)
        return E_INVALIDARG;
    ForgetData();
    m_pDataObject = pDataObject;
    if (m_pDataObject != nullptr)
        m_pDataObject->AddRef();
    COleDataObject data(m_pDataObject);
    // Only what the source allows.
    *pdwEffect &= OnDragEnter(CWnd::FromHandle(m_hWnd), &data, grfKeyState, ClientPoint(pt));
    return S_OK;
}

HRESULT COleDropTarget::DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect)
{
    if (pdwEffect == nullptr)
        return E_INVALIDARG;
    COleDataObject data(m_pDataObject);
    *pdwEffect &= OnDragOver(CWnd::FromHandle(m_hWnd), &data, grfKeyState, ClientPoint(pt));
    return S_OK;
}

HRESULT COleDropTarget::DragLeave()
{
    OnDragLeave(CWnd::FromHandle(m_hWnd));
    ForgetData();
    return S_OK;
}

HRESULT COleDropTarget::Drop(IDataObject* pDataObject, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect)
{
    if (pdwEffect == nullptr)
        return E_INVALIDARG;
    COleDataObject data(pDataObject);
    // The effect of the last drag over, as the source allows it.
    const DWORD dwEffect = *pdwEffect & OnDragOver(CWnd::FromHandle(m_hWnd), &data, grfKeyState, ClientPoint(pt));
    if (dwEffect == DROPEFFECT_NONE) {
        OnDragLeave(CWnd::FromHandle(m_hWnd));
        *pdwEffect = DROPEFFECT_NONE;
    } else if (!OnDrop(CWnd::FromHandle(m_hWnd), &data, dwEffect, ClientPoint(pt))) {
        *pdwEffect = DROPEFFECT_NONE;
    } else {
        *pdwEffect = dwEffect;
    }
    ForgetData();
    return S_OK;
}
