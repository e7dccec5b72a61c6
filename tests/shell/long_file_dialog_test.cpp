// The player's file dialog: its file-name rules on their own, and the real
// dialog shown in process and driven as a person drives it.
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FileDialogDriver.h"
#include "LongFileDialog.h"
#include "TestFile.h"
#include "afxstring.h"
#include "msgbox.h"
#include "resource.h"

namespace {

// Runs the confirmation rules on a path without showing a dialog.
class CRuleProbe : public CLongFileDialog {
public:
    CRuleProbe(bool bOpen, int nMaxPath, const std::wstring& strExtensions)
        : CLongFileDialog(bOpen, L"avi", nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, nullptr, nullptr,
                          nMaxPath, strExtensions)
    {
    }
    bool Refuses(const std::wstring& strPath)
    {
        SetPathName(strPath);
        return OnFileNameOK();
    }
};

// A path of exactly nLength characters that ends in strEnding.
std::wstring PathOfLength(size_t nLength, const std::wstring& strEnding)
{
    const std::wstring strFolder = L"C:\\movies\\";
    return strFolder + std::wstring(nLength - strFolder.size() - strEnding.size(), L'a') + strEnding;
}

std::wstring Text(UINT nID, const std::vector<std::wstring>& insertions)
{
    return AfxFormatString(AfxLoadString(nID), insertions);
}

TEST(LongFileDialogTest, ConfirmedNameIsCheckedForLengthThenExtension)
{
    ASSERT_FALSE(AfxLoadString(IDS_WRONG_EXTENSION).empty());
    ASSERT_FALSE(AfxLoadString(IDS_LONG_NAME_NOTE).empty());

    const std::wstring str100 = PathOfLength(100, L".avi");
    const std::wstring str101 = PathOfLength(101, L".avi");
    const std::wstring str101Txt = PathOfLength(101, L".txt");
    const std::wstring str254 = PathOfLength(254, L".txt");
    const std::wstring str255 = PathOfLength(255, L".txt");
    const std::wstring strLong = PathOfLength(400, L".avi");
    struct Case {
        const char* pszName;
        bool bOpen;
        int nMaxPath;
        std::wstring strExtensions;
        std::wstring strPath;
        std::wstring strMessage;  // empty: accepted without a message
        UINT nID;                 // the message's string id; 0 for a composed text
    };
    const Case cases[] = {
        {"longest path", true, 100, L".avi", str100, L"", 0},
        {"one longer, open", true, 100, L".avi", str101, Text(IDS_OPEN_PATH_TOO_LONG, {str101}),
         IDS_OPEN_PATH_TOO_LONG},
        {"one longer, save", false, 100, L".avi", str101, Text(IDS_SAVE_PATH_TOO_LONG, {str101}),
         IDS_SAVE_PATH_TOO_LONG},
        {"no limit", true, 0, L".avi", strLong, L"", 0},
        {"capitals", true, 260, L".avi", L"C:\\movies\\CLIP.AVI", L"", 0},
        {"longer extension", true, 260, L".avi", L"C:\\movies\\clip.avix",
         Text(IDS_WRONG_EXTENSION, {L"C:\\movies\\clip.avix", L".avi"}), IDS_WRONG_EXTENSION},
        {"wrong at 254", true, 260, L".avi", str254, Text(IDS_WRONG_EXTENSION, {str254, L".avi"}),
         IDS_WRONG_EXTENSION},
        {"wrong at 255", true, 260, L".avi", str255,
         Text(IDS_WRONG_EXTENSION, {str255, L".avi"}) + L"\r\n\r\n" + AfxLoadString(IDS_LONG_NAME_NOTE), 0},
        {"long and wrong", true, 100, L".avi", str101Txt, Text(IDS_OPEN_PATH_TOO_LONG, {str101Txt}),
         IDS_OPEN_PATH_TOO_LONG},
        {"any extension", true, 260, L"", L"C:\\movies\\clip.xyz", L"", 0},
        {"second of two", true, 260, L".avi;.mov", L"C:\\movies\\clip.mov", L"", 0},
        {"none of two", true, 260, L".avi;.mov", L"C:\\movies\\clip.mkv",
         Text(IDS_WRONG_EXTENSION, {L"C:\\movies\\clip.mkv", L".avi .mov"}), IDS_WRONG_EXTENSION},
        {"empty entry matches nothing", true, 260, L".avi;", L"C:\\movies\\clip.txt",
         Text(IDS_WRONG_EXTENSION, {L"C:\\movies\\clip.txt", L".avi "}), IDS_WRONG_EXTENSION},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszName);
        CMessageBoxCapture capture;
        CRuleProbe probe(c.bOpen, c.nMaxPath, c.strExtensions);
        EXPECT_EQ(!c.strMessage.empty(), probe.Refuses(c.strPath));
        const std::vector<CMessageBoxRecord> records = capture.Records();
        ASSERT_EQ(c.strMessage.empty() ? 0u : 1u, records.size());
        if (records.empty())
            continue;
        EXPECT_EQ(c.strMessage, records[0].strText);
        EXPECT_EQ(c.nID, records[0].nIDPrompt);
        EXPECT_EQ(static_cast<UINT>(MB_OK), records[0].nType);
        EXPECT_EQ(std::wstring::npos, records[0].strText.find(L'%'));
    }
}

// A file with a few bytes in it, as the dialog only asks that it exists.
class CExistingFile : public CTestFile {
public:
    explicit CExistingFile(const std::string& strName) : CTestFile(strName)
    {
        std::ofstream(Path(), std::ios::binary) << "RIFF";
    }
};

// The view's Open dialog, shown in process, in both of its kinds.
TEST(LongFileDialogTest, OpenDialogTakesAnExistingMovieAndRefusesOtherNames)
{
    const CExistingFile movie("dialog_clip.avi");
    const CExistingFile notes("dialog_notes.txt");
    const std::wstring strTitle = AfxLoadString(IDS_OPEN_TITLE);
    const std::wstring strFilter = AfxLoadString(IDS_OPEN_FILTER);
    ASSERT_FALSE(strTitle.empty());

    struct Case {
        const char* pszName;
        std::vector<std::wstring> names;  // typed and confirmed in turn; none: Cancel
        INT_PTR nResult;
    };
    const Case cases[] = {
        {"movie", {movie.WidePath()}, IDOK},
        {"wrong name first", {notes.WidePath(), movie.WidePath()}, IDOK},
        {"cancel", {}, IDCANCEL},
    };
    for (bool bVistaStyle : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.pszName) + (bVistaStyle ? ", item dialog" : ", classic dialog"));
            CMessageBoxCapture capture;
            CLongFileDialog dialog(true, L"avi", nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                                   strFilter.c_str(), nullptr, 260, L".avi");
            dialog.m_bVistaStyle = bVistaStyle;
            dialog.m_ofn.lpstrTitle = strTitle.c_str();
            dialog.m_ofn.nFilterIndex = 0;

            std::string strFailure;  // where the driving lost its way
            std::vector<bool> stayedOpen;
            CFileDialogDriver driver([&] {
                // Each refused name brings its message, and the dialog stays.
                for (size_t i = 0; i + 1 < c.names.size(); ++i) {
                    if (!DriveFileDialog(strTitle, c.names[i]) ||
                        !WaitUntilTrue([&] { return capture.Records().size() > i; })) {
                        strFailure = "refused name " + std::to_string(i);
                        CancelProcessDialogs();
                        return;
                    }
                    stayedOpen.push_back(!FindProcessDialogs(&strTitle).empty());
                }
                const bool bDriven =
                    c.names.empty() ? CancelFileDialog(strTitle) : DriveFileDialog(strTitle, c.names.back());
                if (!bDriven)
                    strFailure = "last step";
            });
            const INT_PTR nResult = dialog.DoModal();
            driver.Join();

            ASSERT_EQ("", strFailure);
            EXPECT_EQ(c.nResult, nResult);
            EXPECT_EQ(std::vector<bool>(c.names.empty() ? 0 : c.names.size() - 1, true), stayedOpen);
            const std::vector<CMessageBoxRecord> records = capture.Records();
            ASSERT_EQ(stayedOpen.size(), records.size());
            for (size_t i = 0; i < records.size(); ++i) {
                EXPECT_EQ(static_cast<UINT>(IDS_WRONG_EXTENSION), records[i].nIDPrompt);
                EXPECT_EQ((std::vector<std::wstring>{c.names[i], L".avi"}), records[i].insertions);
            }
            if (nResult == IDOK) {
                EXPECT_EQ(c.names.back(), dialog.GetPathName());
                EXPECT_EQ(c.names.back(), std::wstring(dialog.m_ofn.lpstrFile));
                EXPECT_EQ(1u, dialog.m_ofn.nFilterIndex);
            }
        }
    }
}

}  // namespace
