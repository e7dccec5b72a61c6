#include "afxstring.h"

#include "winapp.h"

bool AfxLoadString(UINT nID, std::wstring& strOut)
{
    strOut.clear();
    // With a zero buffer size the system hands out a read-only pointer to
    // the resource text and its length, so no length limit applies.
    const wchar_t* pText = nullptr;
    int nLength = ::LoadStringW(AfxGetResourceHandle(), nID, reinterpret_cast<LPWSTR>(&pText), 0);
    if (nLength <= 0 || pText == nullptr)
        return false;
    strOut.assign(pText, static_cast<size_t>(nLength));
    return true;
}

std::wstring AfxLoadString(UINT nID)
{
    std::wstring str;
    AfxLoadString(nID, str);
    return str;
}

std::wstring AfxFormatString(const std::wstring& strFormat, const std::vector<std::wstring>& insertions)
{
    std::wstring strOut;
    strOut.reserve(strFormat.size());
    size_t nNext = 0;  // next insertion for %s and %d
    auto insert = [&](size_t nIndex) {
        if (nIndex < insertions.size())
            strOut += insertions[nIndex];
    };
    for (size_t i = 0; i < strFormat.size(); ++i) {
        wchar_t ch = strFormat[i];
        if (ch != L'%' || i + 1 >= strFormat.size()) {
            strOut += ch;
            continue;
        }
        wchar_t chMarker = strFormat[i + 1];
        if (chMarker >= L'1' && chMarker <= L'9') {
            insert(static_cast<size_t>(chMarker - L'1'));
        } else if (chMarker == L's' || chMarker == L'd') {
            insert(nNext++);
        } else if (chMarker == L'%') {
            strOut += L'%';
        } else {
            strOut += ch;
            continue;
        }
        ++i;
    }
    return strOut;
}

std::wstring AfxFormatString(const std::wstring& strFormat, std::initializer_list<std::wstring> insertions)
{
    return AfxFormatString(strFormat, std::vector<std::wstring>(insertions));
}
