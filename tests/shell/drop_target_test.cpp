// Dropped files: which names are movies, the names read from a drag's
// data, and a window's drop target reached through the real OLE drag and
// drop of this process, with an owner that records what it is asked.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "DropData.h"
#include "MessagePump.h"
#include "QRVUtlDragAndDrop.h"
#include "afxwin.h"

namespace {

std::vector<std::wstring> Collected(const std::vector<std::wstring>& names, QRVDropFilter pFilter,
                                    int* pCount = nullptr)
{
    CDropData data(names);
    COleDataObject object(&data);
    QRVUtlDragAndDropFiles files;
    const int nCount = files.CollectFiles(&object, pFilter);
    if (pCount != nullptr)
        *pCount = nCount;
    std::vector<std::wstring> result{L"stale"};
    files.GetFiles(result);
    return result;
}

// Answers as the player's frame does, and records the calls.
class CDropOwner {
public:
    DROPEFFECT OnDragEnterFiles(COleDataObject* pData, DWORD, POINT)
    {
        ++m_nEnters;
        QRVUtlDragAndDropFiles files;
        return files.CollectFiles(pData, IsAviFile) > 0 ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    }
    DROPEFFECT OnDragOverFiles(COleDataObject* pData, DWORD dwKeys, POINT pt)
    {
        return OnDragEnterFiles(pData, dwKeys, pt);
    }
    BOOL OnDropFiles(COleDataObject* pData, DROPEFFECT, POINT)
    {
        QRVUtlDragAndDropFiles files;
        files.CollectFiles(pData, IsAviFile);
        files.GetFiles(m_dropped);
        return TRUE;
    }
    int m_nEnters = 0;
    std::vector<std::wstring> m_dropped;
};

// A visible window registered as a drop target with a recording owner.
class DropWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        ASSERT_TRUE(m_wnd.CreateEx(0, AfxDefaultWndClass(), L"drop here", WS_POPUP | WS_VISIBLE, RECT{100, 100, 400, 300},
                                   nullptr, 0));
        m_target.SetOwner(&m_owner);
        ASSERT_TRUE(m_target.Register(&m_wnd));
        PumpPending();
    }
    void TearDown() override
    {
        m_target.Revoke();
        m_wnd.DestroyWindow();
        ::OleUninitialize();
    }
    HRESULT Drag(const std::vector<std::wstring>& names, bool bDeny, DWORD& dwEffect, int nPatience = 200)
    {
        return DragFilesTo(POINT{250, 200}, names, bDeny, dwEffect, nPatience);
    }

    CWnd m_wnd;
    CDropOwner m_owner;
    QRVUtlDragAndDropInjection<CDropOwner> m_target;
};

}  // namespace

TEST(DroppedFiles, MoviesAreNamesEndingInAviInAnyCase)
{
    struct Case {
        const wchar_t* pszName;
        bool bMovie;
    };
    for (const Case& c : {Case{L"C:\\a.avi", true}, Case{L"C:\\B.AVI", true}, Case{L"C:\\c.Avi", true},
                          Case{L"C:\\d.avi.txt", false}, Case{L"C:\\e.avix", false}, Case{L"C:\\f.av", false},
                          Case{L"C:\\g.", false}, Case{L"C:\\dir.avi\\h", false}, Case{L"avi", true},
                          Case{L"C:\\фильм с пробелами.AVI", true}}) {
        SCOPED_TRACE(c.pszName);
        EXPECT_EQ(c.bMovie, IsAviFile(nullptr, c.pszName));
    }
}

TEST(DroppedFiles, CollectsTheAcceptedNamesInOrder)
{
    const std::wstring strLong = L"C:\\" + std::wstring(252, L'x') + L".avi";  // 259 characters
    ASSERT_EQ(259u, strLong.size());
    int nCount = -1;
    EXPECT_EQ((std::vector<std::wstring>{L"C:\\two.AVI"}),
              Collected({L"C:\\one.txt", L"C:\\two.AVI", L"C:\\three.avi.txt"}, IsAviFile, &nCount));
    EXPECT_EQ(1, nCount);
    EXPECT_EQ((std::vector<std::wstring>{L"C:\\фильм с пробелами.avi", strLong, L"C:\\b.avi"}),
              Collected({L"C:\\фильм с пробелами.avi", strLong, L"C:\\b.avi"}, IsAviFile));
    EXPECT_EQ(2u, Collected({L"C:\\one.txt", L"C:\\two.doc"}, nullptr).size());  // no filter: all
    EXPECT_TRUE(Collected({L"C:\\one.txt"}, IsAviFile, &nCount).empty());
    EXPECT_EQ(0, nCount);

    // Data without CF_HDROP gives nothing.
    COleDataObject empty(nullptr);
    QRVUtlDragAndDropFiles files;
    EXPECT_EQ(0, files.CollectFiles(&empty, IsAviFile));
}

TEST_F(DropWindow, MoviesDraggedOverTheWindowAreCopiedInAndDropped)
{
    DWORD dwEffect = 0;
    EXPECT_EQ(DRAGDROP_S_DROP, Drag({L"C:\\one.txt", L"C:\\two.AVI", L"C:\\three.avi"}, false, dwEffect));
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), dwEffect);
    EXPECT_EQ((std::vector<std::wstring>{L"C:\\two.AVI", L"C:\\three.avi"}), m_owner.m_dropped);
    EXPECT_FALSE(m_target.IsInDrag());
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), m_target.GetLastEffect());
}

TEST_F(DropWindow, NoMovieOrTheDenyFormatIsRefused)
{
    DWORD dwEffect = 0;
    EXPECT_EQ(DRAGDROP_S_CANCEL, Drag({L"C:\\one.txt", L"C:\\two.avi.txt"}, false, dwEffect, 20));
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), dwEffect);
    EXPECT_GT(m_owner.m_nEnters, 0);

    // The deny format: the owner is not even asked.
    m_owner.m_nEnters = 0;
    EXPECT_EQ(DRAGDROP_S_CANCEL, Drag({L"C:\\movie.avi"}, true, dwEffect, 20));
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), dwEffect);
    EXPECT_EQ(0, m_owner.m_nEnters);
    EXPECT_TRUE(m_owner.m_dropped.empty());
    EXPECT_FALSE(m_target.IsInDrag());
}
