// The item dialog's interfaces are declared for Vista and later only. They
// are used here through COM, found at run time, so this one file sees the
// newer declarations; no function newer than XP is imported (see
// CreateItemFromPath).
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#undef NTDDI_VERSION
#define NTDDI_VERSION 0x06000000

#include "filedialog.h"

#include <algorithm>
#include <cwchar>
#include <utility>
#include <shobjidl.h>

#include "winapp.h"
#include "wnd.h"

namespace {

// Owns one reference to a COM object.
template <class T> class CComPtr {
public:
    CComPtr() = default;
    ~CComPtr() { Reset(); }
    CComPtr(const CComPtr&) = delete;
    CComPtr& operator=(const CComPtr&) = delete;

    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    T** operator&()
    {
        Reset();
        return &m_p;
    }
    void Reset()
    {
        if (m_p != nullptr)
            std::exchange(m_p, nullptr)->Release();
    }

private:
    T* m_p = nullptr;
};

// COM on the calling thread for the guard's lifetime, when it is not there
// yet; a thread that already has COM keeps its own apartment.
class CComApartment {
public:
    CComApartment() : m_bInitialized(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~CComApartment()
    {
        if (m_bInitialized)
            ::CoUninitialize();
    }
    CComApartment(const CComApartment&) = delete;
    CComApartment& operator=(const CComApartment&) = delete;

private:
    const bool m_bInitialized;
};

// A string the shell allocated with the task allocator.
class CTaskString {
public:
    CTaskString() = default;
    ~CTaskString() { ::CoTaskMemFree(m_psz); }
    CTaskString(const CTaskString&) = delete;
    CTaskString& operator=(const CTaskString&) = delete;

    PWSTR* operator&() { return &m_psz; }
    std::wstring Str() const { return m_psz != nullptr ? std::wstring(m_psz) : std::wstring(); }

private:
    PWSTR m_psz = nullptr;
};

std::wstring ItemPath(IShellItem* pItem)
{
    CTaskString strPath;
    if (pItem == nullptr || FAILED(pItem->GetDisplayName(SIGDN_FILESYSPATH, &strPath)))
        return {};
    return strPath.Str();
}

// The shell item of a path. The function that makes one came with Vista,
// like the item dialog itself, so it is looked up in the loaded shell
// library rather than imported.
HRESULT CreateItemFromPath(const std::wstring& strPath, IShellItem** ppItem)
{
    using PFN_CREATE_ITEM = HRESULT(WINAPI*)(PCWSTR, IBindCtx*, REFIID, void**);
    HMODULE hShell = ::GetModuleHandleW(L"shell32.dll");
    if (hShell == nullptr)
        return E_NOTIMPL;
    auto pfnCreate =
        reinterpret_cast<PFN_CREATE_ITEM>(::GetProcAddress(hShell, "SHCreateItemFromParsingName"));
    if (pfnCreate == nullptr)
        return E_NOTIMPL;
    return pfnCreate(strPath.c_str(), nullptr, IID_IShellItem, reinterpret_cast<void**>(ppItem));
}

// Classic flags and the item dialog options that mean the same.
struct COptionMap {
    DWORD dwOfn;
    FILEOPENDIALOGOPTIONS fos;
};
const COptionMap FDO_OPTION_MAP[] = {
    {OFN_OVERWRITEPROMPT, FOS_OVERWRITEPROMPT},
    {OFN_NOCHANGEDIR, FOS_NOCHANGEDIR},
    {OFN_NOVALIDATE, FOS_NOVALIDATE},
    {OFN_ALLOWMULTISELECT, FOS_ALLOWMULTISELECT},
    {OFN_PATHMUSTEXIST, FOS_PATHMUSTEXIST},
    {OFN_FILEMUSTEXIST, FOS_FILEMUSTEXIST | FOS_PATHMUSTEXIST},
    {OFN_CREATEPROMPT, FOS_CREATEPROMPT},
    {OFN_SHAREAWARE, FOS_SHAREAWARE},
    {OFN_NOREADONLYRETURN, FOS_NOREADONLYRETURN},
    {OFN_NOTESTFILECREATE, FOS_NOTESTFILECREATE},
    {OFN_NODEREFERENCELINKS, FOS_NODEREFERENCELINKS},
    {OFN_DONTADDTORECENT, FOS_DONTADDTORECENT},
    {OFN_FORCESHOWHIDDEN, FOS_FORCESHOWHIDDEN},
};

FILEOPENDIALOGOPTIONS MapOptions(FILEOPENDIALOGOPTIONS fosDefault, DWORD dwFlags)
{
    FILEOPENDIALOGOPTIONS fos = fosDefault;
    for (const COptionMap& row : FDO_OPTION_MAP)
        fos &= ~row.fos;
    for (const COptionMap& row : FDO_OPTION_MAP) {
        if ((dwFlags & row.dwOfn) != 0)
            fos |= row.fos;
    }
    // The caller wants a path it can open, never a virtual shell object.
    return fos | FOS_FORCEFILESYSTEM;
}

// The name/pattern pairs of a NUL-separated filter, as the item dialog
// takes them; they point into the filter.
std::vector<COMDLG_FILTERSPEC> FilterSpecs(const wchar_t* pszFilter)
{
    std::vector<COMDLG_FILTERSPEC> specs;
    if (pszFilter == nullptr)
        return specs;
    for (const wchar_t* p = pszFilter; *p != L'\0';) {
        const wchar_t* pszName = p;
        p += std::wcslen(p) + 1;
        if (*p == L'\0')
            break;  // a name without patterns ends the list
        const wchar_t* pszSpec = p;
        p += std::wcslen(p) + 1;
        specs.push_back({pszName, pszSpec});
    }
    return specs;
}

}  // namespace

// Receives the item dialog's events; confirmation goes to OnFileNameOK.
// Lives on the stack of DoModalItemDialog, longer than the dialog that
// holds references to it.
class CFileDialogEvents final : public IFileDialogEvents {
public:
    explicit CFileDialogEvents(CFileDialog* pOwner) : m_pOwner(pOwner) {}
    virtual ~CFileDialogEvents() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IFileDialogEvents)) {
            *ppv = static_cast<IFileDialogEvents*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_nRef)); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(::InterlockedDecrement(&m_nRef)); }

    HRESULT STDMETHODCALLTYPE OnFileOk(IFileDialog* pDialog) override
    {
        CComPtr<IShellItem> pItem;
        if (SUCCEEDED(pDialog->GetResult(&pItem)))
            m_pOwner->SetPathName(ItemPath(pItem.Get()));
        // S_FALSE refuses the name and keeps the dialog open.
        return m_pOwner->OnFileNameOK() ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnFolderChanging(IFileDialog*, IShellItem*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnFolderChange(IFileDialog*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnSelectionChange(IFileDialog*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShareViolation(IFileDialog*, IShellItem*,
                                               FDE_SHAREVIOLATION_RESPONSE*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE OnTypeChange(IFileDialog*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnOverwrite(IFileDialog*, IShellItem*, FDE_OVERWRITE_RESPONSE*) override
    {
        return E_NOTIMPL;
    }

private:
    CFileDialog* m_pOwner;
    LONG m_nRef = 1;  // the stack's own reference
};

CFileDialog::CFileDialog(bool bOpenFileDialog, const wchar_t* pszDefExt, const wchar_t* pszFileName,
                         DWORD dwFlags, const wchar_t* pszFilter, CWnd* pParentWnd, bool bVistaStyle)
    : m_bVistaStyle(bVistaStyle), m_bOpenFileDialog(bOpenFileDialog), m_pParentWnd(pParentWnd),
      m_fileBuffer(MAX_PATH, L'\0')
{
    if (pszFileName != nullptr)
        ::lstrcpynW(m_fileBuffer.data(), pszFileName, static_cast<int>(m_fileBuffer.size()));
    if (pszDefExt != nullptr)
        m_strDefExt = pszDefExt;
    if (pszFilter != nullptr) {
        // "Name|pattern|...||" becomes "Name\0pattern\0...\0\0".
        m_filter.assign(pszFilter, pszFilter + std::wcslen(pszFilter));
        std::replace(m_filter.begin(), m_filter.end(), L'|', L'\0');
        m_filter.push_back(L'\0');
        m_filter.push_back(L'\0');
    }

    m_ofn.lStructSize = sizeof(m_ofn);
    m_ofn.lpstrFile = m_fileBuffer.data();
    m_ofn.nMaxFile = static_cast<DWORD>(m_fileBuffer.size());
    m_ofn.lpstrDefExt = pszDefExt != nullptr ? m_strDefExt.c_str() : nullptr;
    m_ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.data();
    m_ofn.Flags = dwFlags | OFN_EXPLORER;
}

CFileDialog::~CFileDialog() = default;

HWND CFileDialog::OwnerHwnd() const
{
    // A dialog is owned by a top-level window: the one that holds the
    // parent (a view, say), else the main window.
    HWND hParent = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
    if (hParent == nullptr) {
        CWnd* pMain = AfxGetMainWnd();
        hParent = pMain != nullptr ? pMain->m_hWnd : nullptr;
    }
    return hParent != nullptr ? ::GetAncestor(hParent, GA_ROOT) : nullptr;
}

INT_PTR CFileDialog::DoModal()
{
    m_strPathName.clear();
    const HWND hOwner = OwnerHwnd();
    if (m_bVistaStyle) {
        const HRESULT hr = DoModalItemDialog(hOwner);
        if (hr == S_OK)
            return IDOK;
        if (hr == S_FALSE)
            return IDCANCEL;
        // No item dialog on this system: the classic one below.
    }
    return DoModalClassic(hOwner);
}

HRESULT CFileDialog::DoModalItemDialog(HWND hOwner)
{
    CComApartment apartment;
    CFileDialogEvents events(this);  // outlives the dialog below
    CComPtr<IFileDialog> pDialog;
    HRESULT hr =
        ::CoCreateInstance(m_bOpenFileDialog ? CLSID_FileOpenDialog : CLSID_FileSaveDialog, nullptr,
                           CLSCTX_INPROC_SERVER, IID_IFileDialog, reinterpret_cast<void**>(&pDialog));
    if (FAILED(hr) || pDialog.Get() == nullptr)
        return FAILED(hr) ? hr : E_NOINTERFACE;

    FILEOPENDIALOGOPTIONS fos = 0;
    pDialog->GetOptions(&fos);
    pDialog->SetOptions(MapOptions(fos, m_ofn.Flags));
    if (m_ofn.lpstrTitle != nullptr)
        pDialog->SetTitle(m_ofn.lpstrTitle);
    const std::vector<COMDLG_FILTERSPEC> specs = FilterSpecs(m_ofn.lpstrFilter);
    if (!specs.empty()) {
        pDialog->SetFileTypes(static_cast<UINT>(specs.size()), specs.data());
        if (m_ofn.nFilterIndex > 0)
            pDialog->SetFileTypeIndex(m_ofn.nFilterIndex);
    }
    if (m_ofn.lpstrDefExt != nullptr)
        pDialog->SetDefaultExtension(m_ofn.lpstrDefExt);

    // The initial name may carry its folder; the folder goes to the dialog
    // as such, the name into the name field.
    std::wstring strFolder = m_ofn.lpstrInitialDir != nullptr ? m_ofn.lpstrInitialDir : L"";
    std::wstring strName = m_ofn.lpstrFile != nullptr ? m_ofn.lpstrFile : L"";
    const size_t nSlash = strName.find_last_of(L"\\/");
    if (nSlash != std::wstring::npos) {
        strFolder = strName.substr(0, nSlash == 2 && strName[1] == L':' ? 3 : nSlash);
        strName.erase(0, nSlash + 1);
    }
    if (!strFolder.empty()) {
        CComPtr<IShellItem> pFolder;
        if (SUCCEEDED(CreateItemFromPath(strFolder, &pFolder)))
            pDialog->SetFolder(pFolder.Get());
    }
    if (!strName.empty())
        pDialog->SetFileName(strName.c_str());

    DWORD dwCookie = 0;
    const bool bAdvised = SUCCEEDED(pDialog->Advise(&events, &dwCookie));
    hr = pDialog->Show(hOwner);
    if (bAdvised)
        pDialog->Unadvise(dwCookie);
    if (FAILED(hr))
        return S_FALSE;  // cancelled, or the dialog failed after it existed

    CComPtr<IShellItem> pItem;
    if (FAILED(pDialog->GetResult(&pItem)))
        return S_FALSE;
    m_strPathName = ItemPath(pItem.Get());
    if (m_strPathName.empty())
        return S_FALSE;
    UINT nIndex = 0;
    if (!specs.empty() && SUCCEEDED(pDialog->GetFileTypeIndex(&nIndex)))
        m_ofn.nFilterIndex = nIndex;
    StorePathInBuffer();
    return S_OK;
}

INT_PTR CFileDialog::DoModalClassic(HWND hOwner)
{
    m_ofn.hwndOwner = hOwner;
    m_ofn.Flags |= OFN_EXPLORER | OFN_ENABLEHOOK;
    m_ofn.lpfnHook = &CFileDialog::HookProc;
    m_ofn.lCustData = reinterpret_cast<LPARAM>(this);
    const BOOL bOk = m_bOpenFileDialog ? ::GetOpenFileNameW(&m_ofn) : ::GetSaveFileNameW(&m_ofn);
    if (!bOk)
        return IDCANCEL;
    m_strPathName = m_ofn.lpstrFile;
    return IDOK;
}

UINT_PTR CALLBACK CFileDialog::HookProc(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    if (nMsg != WM_NOTIFY)
        return 0;
    const auto* pNotify = reinterpret_cast<const OFNOTIFYW*>(lParam);
    if (pNotify == nullptr || pNotify->hdr.code != CDN_FILEOK || pNotify->lpOFN == nullptr)
        return 0;
    auto* pThis = reinterpret_cast<CFileDialog*>(pNotify->lpOFN->lCustData);
    if (pThis == nullptr)
        return 0;
    // The name buffer holds the confirmed path by now; the dialog (the
    // hook's parent) can tell it too, should the buffer be empty.
    std::wstring strPath = pNotify->lpOFN->lpstrFile != nullptr ? pNotify->lpOFN->lpstrFile : L"";
    if (strPath.empty()) {
        const HWND hFileDlg = ::GetParent(hDlg);
        const LRESULT nLength = ::SendMessageW(hFileDlg, CDM_GETFILEPATH, 0, 0);
        if (nLength > 0) {
            std::vector<wchar_t> buffer(static_cast<size_t>(nLength) + 1, L'\0');
            ::SendMessageW(hFileDlg, CDM_GETFILEPATH, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
            strPath = buffer.data();
        }
    }
    pThis->SetPathName(strPath);
    // A nonzero message result refuses the name.
    const bool bRefuse = pThis->OnFileNameOK();
    ::SetWindowLongPtrW(hDlg, DWLP_MSGRESULT, bRefuse ? 1 : 0);
    return bRefuse ? 1 : 0;
}

void CFileDialog::StorePathInBuffer()
{
    if (m_ofn.lpstrFile == nullptr || m_ofn.nMaxFile == 0)
        return;
    ::lstrcpynW(m_ofn.lpstrFile, m_strPathName.c_str(), static_cast<int>(m_ofn.nMaxFile));
    const size_t nSlash = m_strPathName.find_last_of(L"\\/");
    const size_t nOffset = nSlash == std::wstring::npos ? 0 : nSlash + 1;
    const size_t nDot = m_strPathName.find_last_of(L'.');
    m_ofn.nFileOffset = static_cast<WORD>(std::min<size_t>(nOffset, 0xFFFF));
    m_ofn.nFileExtension = static_cast<WORD>(
        nDot == std::wstring::npos || nDot < nOffset ? 0 : std::min<size_t>(nDot + 1, 0xFFFF));
}
