// CLongFileDialog: the player's file dialog. When the user confirms a name
// it checks the full path: not longer than a given number of characters,
// and ending in one of a given list of extensions. A name that fails is
// refused with a message and the dialog stays open for a correction.
#pragma once

#include <string>

#include "filedialog.h"

// Paths longer than this may have been shortened or replaced by the system;
// the wrong-extension message then adds a note saying so.
constexpr size_t LFD_NOTE_PATH_LENGTH = 254;

class CLongFileDialog : public CFileDialog {
public:
    // nMaxPath: longest accepted path in characters (0 or less: any);
    // strRequiredExtensions: ".avi;.mov" (each with its dot; empty: any).
    // The dialog is resizable.
    CLongFileDialog(bool bOpen, const wchar_t* pszDefExt, const wchar_t* pszFileName, DWORD dwFlags,
                    const wchar_t* pszFilter, CWnd* pParent, int nMaxPath,
                    const std::wstring& strRequiredExtensions);

protected:
    // Refuses (true) a path that is too long or wrongly named, after the
    // message that says why; only the length message when both fail.
    bool OnFileNameOK() override;

private:
    bool HasRequiredExtension(const std::wstring& strPath) const;

    int m_nMaxPath;
    std::wstring m_strRequiredExtensions;
};
