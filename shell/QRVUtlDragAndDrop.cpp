#include "QRVUtlDragAndDrop.h"

#include <algorithm>
#include <shellapi.h>

namespace {

const wchar_t DENY_FORMAT_NAME[] = L"DenyClipboardFormat_6F70FCF2_F257_4d88_A10C_965C13859B8B";

// The most characters a dropped name may have; longer ones are skipped.
constexpr UINT MAX_DROPPED_NAME = 32767;

}  // namespace

CLIPFORMAT DenyDropFormat()
{
    return static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(DENY_FORMAT_NAME));
}

bool IsAviFile(void* /*pUserData*/, const std::wstring& strName)
{
    const size_t nDot = strName.rfind(L'.');
    std::wstring strExtension = nDot == std::wstring::npos ? strName : strName.substr(nDot + 1);
    if (strExtension.size() != 3)
        return false;
    ::LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_LOWERCASE, strExtension.c_str(), 3, &strExtension[0], 3);
    return strExtension == L"avi";
}

QRVUtlDragAndDropFiles::QRVUtlDragAndDropFiles()
    : m_cfDeny(DenyDropFormat()),
      m_cfPreferredDropEffect(static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(L"Preferred DropEffect")))
{
}

int QRVUtlDragAndDropFiles::CollectFiles(const COleDataObject* pDataObject, QRVDropFilter pFilter,
                                         void* pUserData)
{
    m_files.clear();
    CStgMedium medium;
    if (pDataObject == nullptr || !pDataObject->IsDataAvailable(CF_HDROP) ||
        !pDataObject->GetData(CF_HDROP, medium.Get()))
        return 0;
    // The block is the source's: every name is read by the count and the
    // length the system gives, into a buffer of that size.
    HDROP hDrop = static_cast<HDROP>(medium.Get().hGlobal);
    const UINT nCount = ::DragQueryFileW(hDrop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < nCount; ++i) {
        const UINT nLength = ::DragQueryFileW(hDrop, i, nullptr, 0);
        if (nLength == 0 || nLength > MAX_DROPPED_NAME)
            continue;
        std::wstring strName(nLength + 1, L'\0');
        const UINT nCopied = ::DragQueryFileW(hDrop, i, &strName[0], nLength + 1);
        strName.resize(std::min(nCopied, nLength));
        if (pFilter == nullptr || pFilter(pUserData, strName))
            m_files.push_back(strName);
    }
    return static_cast<int>(m_files.size());
}
