// String-table loading and insertion formatting.
#include "test_frame.h"

namespace {

TEST(StringLoadTest, LoadsStringsOfAnyLengthByNumber)
{
    EXPECT_EQ(L"Файл не найден: %s", AfxLoadString(IDS_TEST_FILE_NOT_FOUND));

    std::wstring strLong = AfxLoadString(IDS_TEST_LONG);
    ASSERT_EQ(600u, strLong.size());
    EXPECT_EQ(L"000-456789", strLong.substr(0, 10));
    EXPECT_EQ(L"059-456789", strLong.substr(590));
}

TEST(StringLoadTest, MissingStringIsEmptyAndReported)
{
    std::wstring str = L"old";
    EXPECT_FALSE(AfxLoadString(999, str));
    EXPECT_TRUE(str.empty());
    EXPECT_TRUE(AfxLoadString(IDS_TEST_NUMBER, str));
}

struct FormatCase {
    const wchar_t* pszFormat;
    std::vector<std::wstring> insertions;
    const wchar_t* pszExpected;
};

TEST(StringFormatTest, InsertsTextsForPrintfAndNumberedMarkers)
{
    const FormatCase cases[] = {
        {L"Файл не найден: %s", {L"C:\\a b.avi"}, L"Файл не найден: C:\\a b.avi"},
        {L"Файл '%1 имеет: %2", {L"x.avix", L".avi"}, L"Файл 'x.avix имеет: .avi"},
        {L"%2 before %1, %1 again", {L"a", L"b"}, L"b before a, a again"},
        {L"(%d)", {L"2"}, L"(2)"},
        {L"%s=%d", {L"n", L"-5"}, L"n=-5"},
        {L"100%% done", {}, L"100% done"},
        {L"%s and %s", {L"x"}, L"x and "},  // missing insertion: nothing
        {L"%3", {L"a"}, L""},
        {L"50%", {}, L"50%"},  // lone percent at the end
        {L"%x stays", {L"a"}, L"%x stays"},
        {L"no markers", {L"a"}, L"no markers"},
        {L"", {L"a"}, L""},
    };
    for (const FormatCase& c : cases)
        EXPECT_EQ(c.pszExpected, AfxFormatString(c.pszFormat, c.insertions)) << c.pszFormat;
}

TEST(StringFormatTest, InsertionIsNotFormattedAgain)
{
    EXPECT_EQ(L"[%1 %s]", AfxFormatString(L"[%1]", {L"%1 %s"}));
}

TEST(AppNameTest, ApplicationTitleComesFromItsString)
{
    CTestApp app;
    EXPECT_EQ(L"Тестовое приложение", app.GetAppName());
}

}  // namespace
