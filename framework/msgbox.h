// The program's one way to show a message box, and the seam tests use to
// capture message boxes instead of showing them.
#pragma once

#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>
#include <windows.h>

struct CMessageBoxRecord {
    UINT nIDPrompt = 0;  // string id; 0 for a ready text
    std::vector<std::wstring> insertions;
    std::wstring strText;  // the text as it would be shown
    UINT nType = MB_OK;
};

// Receives every message box instead of the screen; returns the button.
using CMessageBoxHook = std::function<int(const CMessageBoxRecord&)>;

// Installs a hook (null restores the real message box); returns the old one.
CMessageBoxHook AfxSetMessageBoxHook(CMessageBoxHook hook);

// String nIDPrompt with its insertions (see AfxFormatString), shown owned
// by the main window with the application title as caption.
int AfxMessageBox(UINT nIDPrompt, std::initializer_list<std::wstring> insertions = {}, UINT nType = MB_OK);
int AfxMessageBox(const std::wstring& strText, UINT nType = MB_OK);

// Captures message boxes while it lives, answering each with nAnswer.
// Boxes may come from any thread.
class CMessageBoxCapture {
public:
    explicit CMessageBoxCapture(int nAnswer = IDOK);
    ~CMessageBoxCapture();
    CMessageBoxCapture(const CMessageBoxCapture&) = delete;
    CMessageBoxCapture& operator=(const CMessageBoxCapture&) = delete;

    std::vector<CMessageBoxRecord> Records() const;

private:
    const int m_nAnswer;
    mutable std::mutex m_mutex;  // guards m_records
    std::vector<CMessageBoxRecord> m_records;
    CMessageBoxHook m_hookPrev;
};
