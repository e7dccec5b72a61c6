// The one message-box function and the seam that captures its boxes.
#include <thread>

#include "test_frame.h"

namespace {

TEST(MessageBoxTest, CaptureRecordsIdInsertionsTextAndAnswersForTheUser)
{
    CMessageBoxCapture capture(IDNO);
    int nResult = AfxMessageBox(IDS_TEST_FILE_NOT_FOUND, {L"movie.avi"}, MB_YESNO | MB_ICONQUESTION);

    EXPECT_EQ(IDNO, nResult);
    ASSERT_EQ(1u, capture.Records().size());
    const CMessageBoxRecord record = capture.Records()[0];
    EXPECT_EQ(static_cast<UINT>(IDS_TEST_FILE_NOT_FOUND), record.nIDPrompt);
    EXPECT_EQ(std::vector<std::wstring>{L"movie.avi"}, record.insertions);
    EXPECT_EQ(L"Файл не найден: movie.avi", record.strText);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), record.nType);
}

TEST(MessageBoxTest, ReadyTextIsRecordedWithoutStringId)
{
    CMessageBoxCapture capture;
    EXPECT_EQ(IDOK, AfxMessageBox(L"plain text"));
    ASSERT_EQ(1u, capture.Records().size());
    EXPECT_EQ(0u, capture.Records()[0].nIDPrompt);
    EXPECT_EQ(L"plain text", capture.Records()[0].strText);
    EXPECT_EQ(static_cast<UINT>(MB_OK), capture.Records()[0].nType);
}

TEST(MessageBoxTest, EndedCaptureGivesBoxesBackToThePreviousHook)
{
    CMessageBoxCapture outer(IDCANCEL);
    {
        CMessageBoxCapture inner(IDRETRY);
        EXPECT_EQ(IDRETRY, AfxMessageBox(IDS_TEST_NUMBER, {L"2"}));
        ASSERT_EQ(1u, inner.Records().size());
        EXPECT_EQ(L"Невозможно открыть ссылку (2)", inner.Records()[0].strText);
    }
    EXPECT_EQ(IDCANCEL, AfxMessageBox(IDS_TEST_NUMBER, {L"3"}));
    EXPECT_EQ(1u, outer.Records().size());
}

TEST(MessageBoxTest, BoxesFromOtherThreadsAreCapturedToo)
{
    CMessageBoxCapture capture(IDYES);
    int nResult = 0;
    std::thread worker([&] { nResult = AfxMessageBox(IDS_TEST_FILE_NOT_FOUND, {L"w.avi"}); });
    worker.join();
    EXPECT_EQ(IDYES, nResult);
    ASSERT_EQ(1u, capture.Records().size());
    EXPECT_EQ(L"Файл не найден: w.avi", capture.Records()[0].strText);
}

TEST(MessageBoxTest, HookInstalledByHandReceivesBoxesUntilRemoved)
{
    int nCalls = 0;
    AfxSetMessageBoxHook([&](const CMessageBoxRecord&) { return ++nCalls, IDABORT; });
    EXPECT_EQ(IDABORT, AfxMessageBox(L"x"));
    EXPECT_EQ(1, nCalls);
    CMessageBoxHook previous = AfxSetMessageBoxHook(nullptr);
    EXPECT_TRUE(static_cast<bool>(previous));
}

}  // namespace
