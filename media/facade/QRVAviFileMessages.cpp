// The messages the user sees when a movie cannot be opened or its picture
// has no decompressor. Texts come from the string table.
#include "QRVAviFile.h"

#include <cwchar>
#include <string>

#include "afxstring.h"
#include "msgbox.h"
#include "resource.h"

namespace {

struct CExplanation {
    HRESULT hr;
    UINT nID;
};

const CExplanation s_explanations[] = {
    {static_cast<HRESULT>(0x80044066), IDS_FILE_CORRUPT},       // bad format
    {static_cast<HRESULT>(0x80044067), IDS_OUT_OF_MEMORY},      // memory
    {static_cast<HRESULT>(0x8004406D), IDS_DISK_READ_ERROR},    // file read
    {static_cast<HRESULT>(0x8004406F), IDS_DISK_OPEN_ERROR},    // file open
    {static_cast<HRESULT>(0x80040154), IDS_AVI_CLASS_MISSING},  // class not registered
};

// A four-character code as "%4.4hs" prints it: up to its first zero byte,
// right-aligned in four places.
std::wstring FourCCText(DWORD nCode)
{
    std::wstring str;
    for (int i = 0; i < 4; ++i) {
        const wchar_t c = static_cast<wchar_t>(static_cast<uint8_t>(nCode >> (8 * i)));
        if (c == 0)
            break;
        str += c;
    }
    return std::wstring(4 - str.size(), L' ') + str;
}

}  // namespace

void QRVAviFile::ShowOpenFailure(const wchar_t* pszPath, HRESULT hr) const
{
    wchar_t szCode[16] = {};
    std::swprintf(szCode, 16, L"%lx", static_cast<unsigned long>(hr));
    std::wstring strText = AfxLoadString(IDS_OPEN_FAILED) + L" " + pszPath + L" (" + szCode + L")\n";
    for (const CExplanation& explanation : s_explanations) {
        if (explanation.hr == hr)
            strText += AfxLoadString(explanation.nID);
    }
    AfxMessageBox(strText, MB_OK);
}

void QRVAviFile::ShowNoStreams(const wchar_t* pszPath) const
{
    const std::wstring strText = AfxFormatString(AfxLoadString(IDS_NO_STREAMS), {std::wstring(pszPath)}) +
                                 L"\r\n\r\n" + AfxLoadString(IDS_NO_DV_SUPPORT);
    AfxMessageBox(strText, MB_OK);
}

void QRVAviFile::ShowNoDecompressor(uint32_t nIndex) const
{
    std::wstring strText = AfxLoadString(IDS_NO_VIDEO_CODEC);
    if (const AVISTREAMINFOW* pInfo = GetVideoInfo(nIndex))
        strText += L" (" + FourCCText(pInfo->fccType) + L":" + FourCCText(pInfo->fccHandler) + L") ";
    else
        strText += L" ";
    strText += AfxLoadString(IDS_NO_VIDEO_CODEC_TAIL);
    AfxMessageBox(strText, MB_OK);
}
