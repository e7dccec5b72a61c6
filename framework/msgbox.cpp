#include "msgbox.h"

#include <utility>

#include "afxstring.h"
#include "winapp.h"
#include "wnd.h"

namespace {

// The installed hook; message boxes may come from any thread.
std::mutex g_hookMutex;
CMessageBoxHook g_hook;

int ShowMessageBox(CMessageBoxRecord&& record)
{
    CMessageBoxHook hook;
    {
        std::lock_guard<std::mutex> lock(g_hookMutex);
        hook = g_hook;
    }
    if (hook)
        return hook(record);
    // Owned by the main window's active popup, so that the box stays in
    // front of whatever the user is looking at.
    HWND hOwner = nullptr;
    if (CWnd* pMain = AfxGetMainWnd())
        hOwner = pMain->m_hWnd;
    if (hOwner != nullptr)
        hOwner = ::GetLastActivePopup(hOwner);
    std::wstring strCaption;
    if (CWinApp* pApp = AfxGetApp())
        strCaption = pApp->GetAppName();
    return ::MessageBoxW(hOwner, record.strText.c_str(), strCaption.c_str(), record.nType);
}

}  // namespace

CMessageBoxHook AfxSetMessageBoxHook(CMessageBoxHook hook)
{
    std::lock_guard<std::mutex> lock(g_hookMutex);
    return std::exchange(g_hook, std::move(hook));
}

int AfxMessageBox(UINT nIDPrompt, std::initializer_list<std::wstring> insertions, UINT nType)
{
    CMessageBoxRecord record;
    record.nIDPrompt = nIDPrompt;
    record.insertions.assign(insertions.begin(), insertions.end());
    record.strText = AfxFormatString(AfxLoadString(nIDPrompt), record.insertions);
    record.nType = nType;
    return ShowMessageBox(std::move(record));
}

int AfxMessageBox(const std::wstring& strText, UINT nType)
{
    CMessageBoxRecord record;
    record.strText = strText;
    record.nType = nType;
    return ShowMessageBox(std::move(record));
}

CMessageBoxCapture::CMessageBoxCapture(int nAnswer) : m_nAnswer(nAnswer)
{
    m_hookPrev = AfxSetMessageBoxHook([this](const CMessageBoxRecord& record) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_records.push_back(record);
        return m_nAnswer;
    });
}

std::vector<CMessageBoxRecord> CMessageBoxCapture::Records() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_records;
}

CMessageBoxCapture::~CMessageBoxCapture()
{
    AfxSetMessageBoxHook(std::move(m_hookPrev));
}
