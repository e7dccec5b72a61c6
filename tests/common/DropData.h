// What a file manager hands over when files are dragged: a data object
// with the names as CF_HDROP (and, when asked, the shell's deny format),
// and a drop source that drops as soon as the target under the cursor has
// accepted the drag, or gives up after a while.
#pragma once

#include <string>
#include <vector>
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

// A CF_HDROP block holding the names, wide, in order.
inline HGLOBAL MakeHDrop(const std::vector<std::wstring>& names)
{
    size_t nChars = 1;  // the list's closing null
    for (const std::wstring& strName : names)
        nChars += strName.size() + 1;
    HGLOBAL hGlobal = ::GlobalAlloc(GHND, sizeof(DROPFILES) + nChars * sizeof(wchar_t));
    if (hGlobal == nullptr)
        return nullptr;
    auto* pDrop = static_cast<DROPFILES*>(::GlobalLock(hGlobal));
    pDrop->pFiles = sizeof(DROPFILES);
    pDrop->fWide = TRUE;
    auto* pNames = reinterpret_cast<wchar_t*>(pDrop + 1);
    for (const std::wstring& strName : names) {
        strName.copy(pNames, strName.size());
        pNames += strName.size() + 1;
    }
    ::GlobalUnlock(hGlobal);
    return hGlobal;
}

class CDropData : public IDataObject {
public:
    explicit CDropData(std::vector<std::wstring> names, bool bDeny = false)
        : m_names(std::move(names)),
          m_cfDeny(bDeny ? static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(
                               L"DenyClipboardFormat_6F70FCF2_F257_4d88_A10C_965C13859B8B"))
                         : 0)
    {
    }
    virtual ~CDropData() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
            *ppv = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&m_nRefs); }
    ULONG STDMETHODCALLTYPE Release() override { return ::InterlockedDecrement(&m_nRefs); }  // on the stack

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* pFormat, STGMEDIUM* pMedium) override
    {
        if (QueryGetData(pFormat) != S_OK)
            return DV_E_FORMATETC;
        HGLOBAL hGlobal = pFormat->cfFormat == CF_HDROP ? MakeHDrop(m_names) : ::GlobalAlloc(GHND, sizeof(DWORD));
        if (hGlobal == nullptr)
            return E_OUTOFMEMORY;
        *pMedium = STGMEDIUM{};
        pMedium->tymed = TYMED_HGLOBAL;
        pMedium->hGlobal = hGlobal;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* pFormat) override
    {
        const bool bOffered = pFormat->cfFormat == CF_HDROP || (m_cfDeny != 0 && pFormat->cfFormat == m_cfDeny);
        return bOffered && (pFormat->tymed & TYMED_HGLOBAL) != 0 ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* pOut) override
    {
        pOut->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override
    {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    std::vector<std::wstring> m_names;
    CLIPFORMAT m_cfDeny;
    LONG m_nRefs = 1;
};

// Drops once the target has shown an effect other than none; cancels
// after nPatience questions without one.
class CDropSource : public IDropSource {
public:
    explicit CDropSource(int nPatience = 200) : m_nPatience(nPatience) {}
    virtual ~CDropSource() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropSource)) {
            *ppv = static_cast<IDropSource*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&m_nRefs); }
    ULONG STDMETHODCALLTYPE Release() override { return ::InterlockedDecrement(&m_nRefs); }

    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL bEscape, DWORD) override
    {
        if (m_bAccepted)
            return DRAGDROP_S_DROP;
        return bEscape || --m_nPatience <= 0 ? DRAGDROP_S_CANCEL : S_OK;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD dwEffect) override
    {
        m_dwLastFeedback = dwEffect;
        if (dwEffect != DROPEFFECT_NONE)
            m_bAccepted = true;
        return DRAGDROP_S_USEDEFAULTCURSORS;
    }

    DWORD m_dwLastFeedback = DROPEFFECT_NONE;

private:
    int m_nPatience;
    bool m_bAccepted = false;
    LONG m_nRefs = 1;
};

// Drags the names with the cursor at ptScreen; the result of DoDragDrop
// and the effect the drop had.
inline HRESULT DragFilesTo(POINT ptScreen, const std::vector<std::wstring>& names, bool bDeny, DWORD& dwEffect,
                           int nPatience = 200)
{
    ::SetCursorPos(ptScreen.x, ptScreen.y);
    CDropData data(names, bDeny);
    CDropSource source(nPatience);
    dwEffect = DROPEFFECT_NONE;
    return ::DoDragDrop(&data, &source, DROPEFFECT_COPY | DROPEFFECT_LINK, &dwEffect);
}
