#include "LongFileDialog.h"

#include <algorithm>

#include "afxstring.h"
#include "msgbox.h"
#include "resource.h"

CLongFileDialog::CLongFileDialog(bool bOpen, const wchar_t* pszDefExt, const wchar_t* pszFileName,
                                 DWORD dwFlags, const wchar_t* pszFilter, CWnd* pParent, int nMaxPath,
                                 const std::wstring& strRequiredExtensions)
    : CFileDialog(bOpen, pszDefExt, pszFileName, dwFlags | OFN_ENABLESIZING, pszFilter, pParent, true),
      m_nMaxPath(nMaxPath), m_strRequiredExtensions(strRequiredExtensions)
{
}

bool CLongFileDialog::HasRequiredExtension(const std::wstring& strPath) const
{
    size_t nStart = 0;
    while (nStart <= m_strRequiredExtensions.size()) {
        size_t nEnd = m_strRequiredExtensions.find(L';', nStart);
        if (nEnd == std::wstring::npos)
            nEnd = m_strRequiredExtensions.size();
        const std::wstring strExt = m_strRequiredExtensions.substr(nStart, nEnd - nStart);
        // An empty entry (";;" or a ";" at the end) names no extension; it
        // must not match every path.
        if (!strExt.empty() && strExt.size() <= strPath.size() &&
            ::lstrcmpiW(strPath.c_str() + (strPath.size() - strExt.size()), strExt.c_str()) == 0)
            return true;
        nStart = nEnd + 1;
    }
    return false;
}

bool CLongFileDialog::OnFileNameOK()
{
    const std::wstring strPath = GetPathName();
    if (m_nMaxPath > 0 && strPath.size() > static_cast<size_t>(m_nMaxPath)) {
        AfxMessageBox(IsOpenDialog() ? IDS_OPEN_PATH_TOO_LONG : IDS_SAVE_PATH_TOO_LONG, {strPath}, MB_OK);
        return true;
    }
    if (m_strRequiredExtensions.empty() || HasRequiredExtension(strPath))
        return false;

    std::wstring strList = m_strRequiredExtensions;
    std::replace(strList.begin(), strList.end(), L';', L' ');
    if (strPath.size() > LFD_NOTE_PATH_LENGTH) {
        AfxMessageBox(AfxFormatString(AfxLoadString(IDS_WRONG_EXTENSION), {strPath, strList}) + L"\r\n\r\n" +
                          AfxLoadString(IDS_LONG_NAME_NOTE),
                      MB_OK);
    } else {
        AfxMessageBox(IDS_WRONG_EXTENSION, {strPath, strList}, MB_OK);
    }
    return true;
}
