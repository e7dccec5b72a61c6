// The bitmap view: header kinds and format codes, where the colour table,
// masks and pixels are, row geometry, ownership and Clear, and the headers
// it refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <climits>
#include <cstddef>
#include <cstring>
#include <new>
#include <ostream>
#include <vector>

#include "QvDIB.h"

// Every delete[] of the test program is logged, so that the tests can tell
// which blocks the view freed.
namespace {
constexpr int LOG_SLOTS = 256;
std::atomic<const void*> g_freed[LOG_SLOTS];
std::atomic<int> g_nFreed{0};

void LogFreed(const void* p)
{
    const int n = g_nFreed.fetch_add(1);
    if (n < LOG_SLOTS)
        g_freed[n] = p;
}
}  // namespace

void operator delete[](void* p) noexcept
{
    if (p != nullptr)
        LogFreed(p);
    ::operator delete(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    if (p != nullptr)
        LogFreed(p);
    ::operator delete(p);
}

namespace {

void ResetFreedLog()
{
    g_nFreed = 0;
}

bool WasFreed(const void* p)
{
    const int n = std::min(g_nFreed.load(), LOG_SLOTS);
    for (int i = 0; i < n; ++i)
        if (g_freed[i] == p)
            return true;
    return false;
}

constexpr DWORD CORE = 12;
constexpr DWORD INFO = 40;
constexpr DWORD V4 = 108;
constexpr LONG NONE = -1;  // no such pointer

struct CHeaderRecipe {
    DWORD dwSize;
    LONG nWidth;
    LONG nHeight;
    WORD nPlanes;
    WORD nBits;
    DWORD dwCompression;
    DWORD dwSizeImage;
    DWORD dwClrUsed;
    DWORD dwClrImportant;
    DWORD masks[3];  // written after the header for BI_BITFIELDS
};

void PutWord(BYTE* p, WORD w)
{
    std::memcpy(p, &w, sizeof(w));
}
void PutDword(BYTE* p, DWORD dw)
{
    std::memcpy(p, &dw, sizeof(dw));
}

// Writes the header (and its masks) into pOut, which has room for them.
void WriteHeader(const CHeaderRecipe& s, BYTE* pOut)
{
    PutDword(pOut, s.dwSize);
    if (s.dwSize == CORE) {
        PutWord(pOut + 4, static_cast<WORD>(s.nWidth));
        PutWord(pOut + 6, static_cast<WORD>(s.nHeight));
        PutWord(pOut + 8, s.nPlanes);
        PutWord(pOut + 10, s.nBits);
        return;
    }
    PutDword(pOut + 4, static_cast<DWORD>(s.nWidth));
    PutDword(pOut + 8, static_cast<DWORD>(s.nHeight));
    PutWord(pOut + 12, s.nPlanes);
    PutWord(pOut + 14, s.nBits);
    PutDword(pOut + 16, s.dwCompression);
    PutDword(pOut + 20, s.dwSizeImage);
    PutDword(pOut + 32, s.dwClrUsed);
    PutDword(pOut + 36, s.dwClrImportant);
    if (s.dwCompression == BI_BITFIELDS && s.dwSize >= INFO)
        std::memcpy(pOut + s.dwSize, s.masks, sizeof(s.masks));
}

// A packed bitmap: the header, masks and colour table, then room for rows.
std::vector<BYTE> Packed(const CHeaderRecipe& s, size_t cbRows = 64)
{
    std::vector<BYTE> block(s.dwSize + 12 + 4 * 256 + cbRows, 0);
    WriteHeader(s, block.data());
    return block;
}

// The state of a view with nothing attached (pointers aside).
void ExpectCleared(const QvDIB& dib)
{
    EXPECT_EQ(dib.GetWidth(), 0);
    EXPECT_EQ(dib.GetHeight(), 0);
    EXPECT_EQ(dib.GetPlanes(), 1);
    EXPECT_EQ(dib.GetBitsPerPixel(), 1);
    EXPECT_EQ(dib.GetBitsPerPixelPlanes(), 1);
    EXPECT_EQ(dib.GetImageSize(), 0);
    EXPECT_EQ(dib.GetFormat(), 0);
    EXPECT_EQ(dib.GetColorTable(), nullptr);
    EXPECT_EQ(dib.GetCoreColorTable(), nullptr);
    EXPECT_EQ(dib.GetMasks(), nullptr);
    EXPECT_EQ(dib.GetFirstRow(), nullptr);
    EXPECT_EQ(dib.GetStride(), 0);
    EXPECT_EQ(dib.GetRowStep(), 0);
}

// ---------------------------------------------------------------------------
// Header kinds, format codes and the positions of what follows the header.

struct CKindCase {
    const char* pszName;
    CHeaderRecipe recipe;
    LONG nFormat;
    LONG nColorsUsed;
    LONG nColorsImportant;
    LONG nTableAt;  // bytes from the header, NONE without a table
    LONG nMasksAt;
    LONG nPixelsAt;
};

const DWORD M555[3] = {0x7C00, 0x3E0, 0x1F};
const DWORD M565[3] = {0xF800, 0x7E0, 0x1F};
const DWORD M888[3] = {0xFF0000, 0xFF00, 0xFF};
const DWORD MBGR[3] = {0xFF, 0xFF00, 0xFF0000};
const DWORD M444[3] = {0xF00, 0xF0, 0xF};

CHeaderRecipe Recipe(DWORD dwSize, WORD nBits, DWORD dwCompression = BI_RGB, DWORD dwClrUsed = 0,
                     DWORD dwClrImportant = 0, const DWORD* pMasks = nullptr)
{
    CHeaderRecipe s{dwSize, 8, 4, 1, nBits, dwCompression, 0, dwClrUsed, dwClrImportant, {0, 0, 0}};
    if (pMasks != nullptr)
        std::memcpy(s.masks, pMasks, sizeof(s.masks));
    return s;
}

const CKindCase KIND_CASES[] = {
    // Core headers: 1 << bits colours of 3 bytes, no compression.
    {"Core1", Recipe(CORE, 1), DIBF_1BPP, 2, 2, 12, NONE, 12 + 6},
    {"Core2", Recipe(CORE, 2), DIBF_2BPP, 4, 4, 12, NONE, 12 + 12},
    {"Core4", Recipe(CORE, 4), DIBF_4BPP, 16, 16, 12, NONE, 12 + 48},
    {"Core8", Recipe(CORE, 8), DIBF_8BPP, 256, 256, 12, NONE, 12 + 768},
    {"Core16", Recipe(CORE, 16), DIBF_RGB555, 0, 0, NONE, NONE, 12},
    {"Core24", Recipe(CORE, 24), DIBF_RGB24, 0, 0, NONE, NONE, 12},
    {"Core32", Recipe(CORE, 32), DIBF_RGB32, 0, 0, NONE, NONE, 12},
    // Info headers: 4-byte entries, biClrUsed 0 means all for 8 bits or less.
    {"Info1", Recipe(INFO, 1), DIBF_1BPP, 2, 2, 40, NONE, 40 + 8},
    {"Info2", Recipe(INFO, 2), DIBF_2BPP, 4, 4, 40, NONE, 40 + 16},
    {"Info4", Recipe(INFO, 4), DIBF_4BPP, 16, 16, 40, NONE, 40 + 64},
    {"Info4Rle", Recipe(INFO, 4, BI_RLE4), DIBF_RLE4, 16, 16, 40, NONE, 40 + 64},
    {"Info8", Recipe(INFO, 8), DIBF_8BPP, 256, 256, 40, NONE, 40 + 1024},
    {"Info8Rle", Recipe(INFO, 8, BI_RLE8), DIBF_RLE8, 256, 256, 40, NONE, 40 + 1024},
    {"Info8Used16", Recipe(INFO, 8, BI_RGB, 16), DIBF_8BPP, 16, 16, 40, NONE, 40 + 64},
    {"Info8Important5", Recipe(INFO, 8, BI_RGB, 16, 5), DIBF_8BPP, 16, 5, 40, NONE, 40 + 64},
    {"Info8ImportantBeyondTable", Recipe(INFO, 8, BI_RGB, 16, 200), DIBF_8BPP, 16, 16, 40, NONE, 40 + 64},
    {"Info8Fields565", Recipe(INFO, 8, BI_BITFIELDS, 0, 0, M565), DIBF_RGB565, 256, 256, 52, 40, 52 + 1024},
    {"Info16", Recipe(INFO, 16), DIBF_RGB555, 0, 0, NONE, NONE, 40},
    {"Info16Fields555", Recipe(INFO, 16, BI_BITFIELDS, 0, 0, M555), DIBF_RGB555, 0, 0, NONE, 40, 52},
    {"Info16Fields565", Recipe(INFO, 16, BI_BITFIELDS, 0, 0, M565), DIBF_RGB565, 0, 0, NONE, 40, 52},
    {"Info16Fields444", Recipe(INFO, 16, BI_BITFIELDS, 0, 0, M444), DIBF_BITFIELDS16, 0, 0, NONE, 40, 52},
    {"Info24", Recipe(INFO, 24), DIBF_RGB24, 0, 0, NONE, NONE, 40},
    {"Info24Used2", Recipe(INFO, 24, BI_RGB, 2), DIBF_RGB24, 2, 2, 40, NONE, 48},
    {"Info32", Recipe(INFO, 32), DIBF_RGB32, 0, 0, NONE, NONE, 40},
    {"Info32Fields888", Recipe(INFO, 32, BI_BITFIELDS, 0, 0, M888), DIBF_RGB32, 0, 0, NONE, 40, 52},
    {"Info32FieldsBgr", Recipe(INFO, 32, BI_BITFIELDS, 0, 0, MBGR), DIBF_BITFIELDS32, 0, 0, NONE, 40, 52},
    {"Info32FieldsUsed4", Recipe(INFO, 32, BI_BITFIELDS, 4, 0, MBGR), DIBF_BITFIELDS32, 4, 4, 52, 40,
     52 + 16},
    {"Info0Jpeg", Recipe(INFO, 0, BI_JPEG), DIBF_JPEG, 1, 1, 40, NONE, 44},
    {"Info0Png", Recipe(INFO, 0, BI_PNG), DIBF_PNG, 1, 1, 40, NONE, 44},
    // V4 headers: the same rules after 108 bytes.
    {"V4_8", Recipe(V4, 8), DIBF_8BPP, 256, 256, 108, NONE, 108 + 1024},
    {"V4_24", Recipe(V4, 24), DIBF_RGB24, 0, 0, NONE, NONE, 108},
    {"V4_32Fields888", Recipe(V4, 32, BI_BITFIELDS, 0, 0, M888), DIBF_RGB32, 0, 0, NONE, 108, 120},
    {"V4_16Fields565Used2", Recipe(V4, 16, BI_BITFIELDS, 2, 0, M565), DIBF_RGB565, 2, 2, 120, 108, 128},
};

void PrintTo(const CKindCase& c, std::ostream* pOut)
{
    *pOut << c.pszName;
}

class DibHeaderKinds : public ::testing::TestWithParam<CKindCase> {};

TEST_P(DibHeaderKinds, FindsFormatTableMasksAndPixels)
{
    const CKindCase& c = GetParam();
    std::vector<BYTE> block = Packed(c.recipe);
    const BYTE* pBase = block.data();
    QvDIB dib;
    ASSERT_TRUE(dib.Attach(pBase, nullptr, 0));
    EXPECT_EQ(dib.GetFormat(), c.nFormat);
    EXPECT_EQ(dib.GetColorsUsed(), c.nColorsUsed);
    EXPECT_EQ(dib.GetColorsImportant(), c.nColorsImportant);
    EXPECT_EQ(static_cast<const void*>(dib.GetHeader()), pBase);
    EXPECT_EQ(dib.GetPixels(), pBase + c.nPixelsAt);
    const void* pTable = c.nTableAt == NONE ? nullptr : pBase + c.nTableAt;
    if (c.recipe.dwSize == CORE) {
        EXPECT_EQ(static_cast<const void*>(dib.GetCoreColorTable()), pTable);
        EXPECT_EQ(dib.GetColorTable(), nullptr);
    } else {
        EXPECT_EQ(static_cast<const void*>(dib.GetColorTable()), pTable);
        EXPECT_EQ(dib.GetCoreColorTable(), nullptr);
    }
    EXPECT_EQ(static_cast<const void*>(dib.GetMasks()), c.nMasksAt == NONE ? nullptr : pBase + c.nMasksAt);
    EXPECT_EQ(dib.GetWidth(), 8);
    EXPECT_EQ(dib.GetHeight(), 4);
    EXPECT_EQ(dib.GetPlanes(), 1);
    EXPECT_EQ(dib.GetBitsPerPixel(), c.recipe.nBits);
    EXPECT_EQ(dib.GetBitsPerPixelPlanes(), c.recipe.nBits);
}

INSTANTIATE_TEST_SUITE_P(Kinds, DibHeaderKinds, ::testing::ValuesIn(KIND_CASES),
                         [](const ::testing::TestParamInfo<CKindCase>& info) { return info.param.pszName; });

// ---------------------------------------------------------------------------
// Row geometry: stride, first row, row step and image size.

struct CGeometryCase {
    const char* pszName;
    DWORD dwSize;
    LONG nWidth;
    LONG nHeight;  // negative: top-down
    WORD nPlanes;
    WORD nBits;
    DWORD dwSizeImage;
    LONG nStride;
    LONG nFirstRowAt;  // bytes from the pixels
    LONG nRowStep;
    LONG nImageSize;
};

const CGeometryCase GEOMETRY_CASES[] = {
    {"Bits8Width10BottomUp", INFO, 10, 5, 1, 8, 0, 12, 48, -12, 60},
    {"Bits8Width10TopDown", INFO, 10, -5, 1, 8, 0, 12, 0, 12, 60},
    {"Bits1Width33", INFO, 33, 2, 1, 1, 0, 8, 8, -8, 16},
    {"Bits4Width9", INFO, 9, 1, 1, 4, 0, 8, 0, -8, 8},
    {"Bits16Width7TopDown", INFO, 7, -2, 1, 16, 0, 16, 0, 16, 32},
    {"Bits24Width1", INFO, 1, 3, 1, 24, 0, 4, 8, -4, 12},
    {"Bits24Width3", INFO, 3, 2, 1, 24, 0, 12, 12, -12, 24},
    {"Bits32FullHd", INFO, 1920, 1080, 1, 32, 0, 7680, 7680 * 1079, -7680, 7680 * 1080},
    {"Bits32FullHdTopDown", V4, 1920, -1080, 1, 32, 0, 7680, 0, 7680, 7680 * 1080},
    {"TwoPlanes", INFO, 10, 3, 2, 8, 0, 12, 48, -12, 72},
    {"StatedImageSizeKept", INFO, 10, 5, 1, 8, 1000, 12, 48, -12, 1000},
    {"CoreBottomUp", CORE, 10, 5, 1, 24, 0, 32, 128, -32, 160},
    {"LargestSide", INFO, 32767, 1, 1, 32, 0, 131068, 0, -131068, 131068},
};

void PrintTo(const CGeometryCase& c, std::ostream* pOut)
{
    *pOut << c.pszName;
}

class DibGeometry : public ::testing::TestWithParam<CGeometryCase> {};

TEST_P(DibGeometry, RowsRunTopToBottom)
{
    const CGeometryCase& c = GetParam();
    CHeaderRecipe recipe{c.dwSize, c.nWidth,      c.nHeight, c.nPlanes, c.nBits,
                         BI_RGB,   c.dwSizeImage, 0,         0,         {0, 0, 0}};
    std::vector<BYTE> header = Packed(recipe, 0);
    std::vector<BYTE> pixels(16);  // only its address is used
    QvDIB dib;
    ASSERT_TRUE(dib.Attach(header.data(), pixels.data(), 0));
    EXPECT_EQ(dib.GetPixels(), pixels.data());
    EXPECT_EQ(dib.GetWidth(), c.nWidth);
    EXPECT_EQ(dib.GetHeight(), c.nHeight < 0 ? -c.nHeight : c.nHeight);
    EXPECT_EQ(dib.GetStride(), c.nStride);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(dib.GetFirstRow()) - reinterpret_cast<uintptr_t>(pixels.data()),
              static_cast<uintptr_t>(c.nFirstRowAt));
    EXPECT_EQ(dib.GetRowStep(), c.nRowStep);
    EXPECT_EQ(dib.GetImageSize(), c.nImageSize);
    EXPECT_EQ(dib.GetBitsPerPixelPlanes(), c.nPlanes * c.nBits);
}

INSTANTIATE_TEST_SUITE_P(Rows, DibGeometry, ::testing::ValuesIn(GEOMETRY_CASES),
                         [](const ::testing::TestParamInfo<CGeometryCase>& info) {
                             return info.param.pszName;
                         });

// ---------------------------------------------------------------------------
// Headers that are refused: false, and nothing of the earlier frame left.

struct CRefusalCase {
    const char* pszName;
    CHeaderRecipe recipe;
};

CHeaderRecipe With(CHeaderRecipe s, LONG nWidth, LONG nHeight)
{
    s.nWidth = nWidth;
    s.nHeight = nHeight;
    return s;
}

CHeaderRecipe WithPlanes(CHeaderRecipe s, WORD nPlanes)
{
    s.nPlanes = nPlanes;
    return s;
}

CHeaderRecipe WithImageSize(CHeaderRecipe s, DWORD dwSizeImage)
{
    s.dwSizeImage = dwSizeImage;
    return s;
}

const CRefusalCase REFUSAL_CASES[] = {
    {"Size64", Recipe(64, 8)},
    {"Size0", Recipe(0, 8)},
    {"Size41", Recipe(41, 8)},
    {"SizeV5", Recipe(124, 8)},
    {"WidthZero", With(Recipe(INFO, 24), 0, 4)},
    {"WidthNegative", With(Recipe(INFO, 24), -1, 4)},
    {"WidthAbsurd", With(Recipe(INFO, 24), 32768, 4)},
    {"HeightZero", With(Recipe(INFO, 24), 8, 0)},
    {"HeightAbsurd", With(Recipe(INFO, 24), 8, 32768)},
    {"HeightAbsurdTopDown", With(Recipe(INFO, 24), 8, -32768)},
    {"HeightMinimum", With(Recipe(INFO, 24), 8, LONG_MIN)},
    {"CoreWidthZero", With(Recipe(CORE, 24), 0, 4)},
    {"CoreHeightZero", With(Recipe(CORE, 24), 8, 0)},
    {"CoreWidthAbsurd", With(Recipe(CORE, 24), 65535, 4)},
    {"PlanesZero", WithPlanes(Recipe(INFO, 24), 0)},
    {"PlanesHuge", WithPlanes(Recipe(INFO, 1), 65535)},
    {"PlanesTimesBitsBeyond32", WithPlanes(Recipe(INFO, 32), 2)},
    {"CorePlanesZero", WithPlanes(Recipe(CORE, 24), 0)},
    {"Bits0Uncompressed", Recipe(INFO, 0)},
    {"Bits0Rle8", Recipe(INFO, 0, BI_RLE8)},
    {"Bits3", Recipe(INFO, 3)},
    {"Bits7", Recipe(INFO, 7)},
    {"Bits12", Recipe(INFO, 12)},
    {"Bits48", Recipe(INFO, 48)},
    {"Bits64", Recipe(INFO, 64)},
    {"CoreBits0", Recipe(CORE, 0)},
    {"CoreBits3", Recipe(CORE, 3)},
    {"CompressionAlphaFields", Recipe(INFO, 32, 6)},
    {"CompressionFourCC", Recipe(INFO, 24, 0x63767271)},  // "qrvc"
    {"ColorsUsedBeyond256", Recipe(INFO, 8, BI_RGB, 257)},
    {"ColorsUsedHuge", Recipe(INFO, 24, BI_RGB, 0xFFFFFFFF)},
    {"ImageSizeBeyondSigned", WithImageSize(Recipe(INFO, 24), 0x80000000)},
    {"RowsOverflow24Bits", With(Recipe(INFO, 24), 32767, 32767)},
    {"RowsOverflow32BitsTopDown", With(Recipe(INFO, 32), 32767, -32767)},
    {"RowsOverflowPlanes", With(WithPlanes(Recipe(INFO, 2), 16), 32767, 32767)},
};

void PrintTo(const CRefusalCase& c, std::ostream* pOut)
{
    *pOut << c.pszName;
}

class DibRefusals : public ::testing::TestWithParam<CRefusalCase> {};

TEST_P(DibRefusals, GivesFalseAndClears)
{
    const CRefusalCase& c = GetParam();
    std::vector<BYTE> good = Packed(Recipe(INFO, 24));
    std::vector<BYTE> bad = Packed(c.recipe);
    QvDIB dib;
    ASSERT_TRUE(dib.Attach(good.data(), nullptr, 0));
    ASSERT_EQ(dib.GetWidth(), 8);
    EXPECT_FALSE(dib.Attach(bad.data(), nullptr, 0));
    ExpectCleared(dib);
    EXPECT_EQ(static_cast<const void*>(dib.GetHeader()), bad.data());
    EXPECT_EQ(dib.GetPixels(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Headers, DibRefusals, ::testing::ValuesIn(REFUSAL_CASES),
                         [](const ::testing::TestParamInfo<CRefusalCase>& info) {
                             return info.param.pszName;
                         });

// The largest image that still fits is accepted (the limit is not off by a
// row or a byte).
TEST(DibLimits, AcceptsTheLargestRowAreaThatFits)
{
    // 32767 x 16384 x 32 bits = 2 147 418 112 bytes, just below 2^31.
    std::vector<BYTE> header = Packed(With(Recipe(INFO, 32), 32767, 16384), 0);
    BYTE pixel = 0;
    QvDIB dib;
    ASSERT_TRUE(dib.Attach(header.data(), &pixel, 0));
    EXPECT_EQ(dib.GetImageSize(), 2147418112);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(dib.GetFirstRow()) - reinterpret_cast<uintptr_t>(&pixel),
              static_cast<uintptr_t>(131068) * 16383);
}

// ---------------------------------------------------------------------------
// Readability of the header and of what follows it.

// Two pages, the second one not readable; headers are put just before it.
class CGuardedPages {
public:
    CGuardedPages()
    {
        SYSTEM_INFO si;
        ::GetSystemInfo(&si);
        m_cbPage = si.dwPageSize;
        m_pBase = static_cast<BYTE*>(
            ::VirtualAlloc(nullptr, 2 * m_cbPage, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD dwOld = 0;
        if (m_pBase != nullptr)
            m_bGuarded = ::VirtualProtect(m_pBase + m_cbPage, m_cbPage, PAGE_NOACCESS, &dwOld) != FALSE;
    }
    ~CGuardedPages()
    {
        if (m_pBase != nullptr)
            ::VirtualFree(m_pBase, 0, MEM_RELEASE);
    }
    CGuardedPages(const CGuardedPages&) = delete;
    CGuardedPages& operator=(const CGuardedPages&) = delete;

    bool IsReady() const { return m_bGuarded; }
    // The address with cbReadable bytes left before the unreadable page.
    BYTE* Tail(DWORD cbReadable) const { return m_pBase + m_cbPage - cbReadable; }

private:
    BYTE* m_pBase = nullptr;
    DWORD m_cbPage = 0;
    bool m_bGuarded = false;
};

TEST(DibReadability, FewerThan12ReadableBytesKeepThePreviousFrame)
{
    CGuardedPages pages;
    ASSERT_TRUE(pages.IsReady());
    std::vector<BYTE> good = Packed(Recipe(INFO, 8));
    HBITMAP hBitmap = ::CreateBitmap(1, 1, 1, 32, nullptr);
    ASSERT_NE(hBitmap, nullptr);
    QvDIB dib;
    ASSERT_TRUE(dib.Attach(good.data(), nullptr, 0));
    dib.SetBitmap(hBitmap);
    BYTE* pShort = pages.Tail(8);
    PutDword(pShort, INFO);
    EXPECT_FALSE(dib.Attach(pShort, nullptr, DIBO_HEADER));
    EXPECT_FALSE(dib.Attach(nullptr, nullptr, 0));
    EXPECT_EQ(static_cast<const void*>(dib.GetHeader()), good.data());
    EXPECT_EQ(dib.GetPixels(), good.data() + 40 + 1024);
    EXPECT_EQ(dib.GetWidth(), 8);
    EXPECT_EQ(dib.GetFormat(), DIBF_8BPP);
    EXPECT_EQ(dib.GetOwnership(), 0u);
    EXPECT_EQ(dib.GetBitmap(), hBitmap);
    EXPECT_EQ(::GetObjectType(hBitmap), static_cast<DWORD>(OBJ_BITMAP));
}

struct CReadableCase {
    const char* pszName;
    CHeaderRecipe recipe;
    DWORD cbReadable;  // bytes before the unreadable page
    bool bAccepted;
};

const CReadableCase READABLE_CASES[] = {
    {"CoreHeaderOnly", Recipe(CORE, 24), 12, true},
    {"InfoHeaderCutShort", Recipe(INFO, 24), 39, false},
    {"InfoHeaderWhole", Recipe(INFO, 24), 40, true},
    {"V4HeaderCutShort", Recipe(V4, 24), 100, false},
    {"MasksCutShort", Recipe(INFO, 32, BI_BITFIELDS, 0, 0, M565), 48, false},
    {"MasksWhole", Recipe(INFO, 32, BI_BITFIELDS, 0, 0, M565), 52, true},
    {"InfoTableCutShort", Recipe(INFO, 8), 40 + 1020, false},
    {"InfoTableWhole", Recipe(INFO, 8), 40 + 1024, true},
    {"CoreTableCutShort", Recipe(CORE, 4), 12 + 45, false},
    {"CoreTableWhole", Recipe(CORE, 4), 12 + 48, true},
};

void PrintTo(const CReadableCase& c, std::ostream* pOut)
{
    *pOut << c.pszName;
}

class DibReadableTables : public ::testing::TestWithParam<CReadableCase> {};

TEST_P(DibReadableTables, HeaderMasksAndTableMustBeReadable)
{
    const CReadableCase& c = GetParam();
    CGuardedPages pages;
    ASSERT_TRUE(pages.IsReady());
    BYTE* pHeader = pages.Tail(c.cbReadable);
    // Written through a copy, as the header may not fit before the page.
    std::vector<BYTE> block = Packed(c.recipe, 0);
    std::memcpy(pHeader, block.data(), c.cbReadable);
    BYTE pixel = 0;
    QvDIB dib;
    EXPECT_EQ(dib.Attach(pHeader, &pixel, 0), c.bAccepted);
    EXPECT_EQ(dib.GetWidth(), c.bAccepted ? 8 : 0);
}

INSTANTIATE_TEST_SUITE_P(Tails, DibReadableTables, ::testing::ValuesIn(READABLE_CASES),
                         [](const ::testing::TestParamInfo<CReadableCase>& info) {
                             return info.param.pszName;
                         });

// ---------------------------------------------------------------------------
// Ownership, Clear and the bitmap handle.

BYTE* NewPacked(const CHeaderRecipe& s)
{
    std::vector<BYTE> block = Packed(s);
    BYTE* p = new BYTE[block.size()];
    std::memcpy(p, block.data(), block.size());
    return p;
}

TEST(DibOwnership, BlocksNotOwnedAreNeitherFreedNorForgotten)
{
    std::vector<BYTE> header = Packed(Recipe(INFO, 24));
    std::vector<BYTE> pixels(128);
    QvDIB dib;
    ResetFreedLog();
    ASSERT_TRUE(dib.Attach(header.data(), pixels.data(), 0));
    EXPECT_EQ(dib.GetOwnership(), 0u);
    dib.Clear();
    EXPECT_FALSE(WasFreed(header.data()));
    EXPECT_FALSE(WasFreed(pixels.data()));
    EXPECT_EQ(static_cast<const void*>(dib.GetHeader()), header.data());
    EXPECT_EQ(dib.GetPixels(), pixels.data());
    ExpectCleared(dib);
}

struct COwnershipCase {
    const char* pszName;
    bool bSeparatePixels;
    DWORD dwOwnership;
    DWORD dwKept;  // ownership the view records
    bool bHeaderFreed;
    bool bPixelsFreed;
};

const COwnershipCase OWNERSHIP_CASES[] = {
    {"PackedOwned", false, DIBO_HEADER, DIBO_HEADER, true, false},
    {"PackedPixelBitIgnored", false, DIBO_HEADER | DIBO_PIXELS, DIBO_HEADER, true, false},
    {"BothOwned", true, DIBO_HEADER | DIBO_PIXELS, DIBO_HEADER | DIBO_PIXELS, true, true},
    {"PixelsOwned", true, DIBO_PIXELS, DIBO_PIXELS, false, true},
    {"HeaderOwned", true, DIBO_HEADER, DIBO_HEADER, true, false},
    {"UnknownBitsDropped", true, 0xF2, 0, false, false},
};

void PrintTo(const COwnershipCase& c, std::ostream* pOut)
{
    *pOut << c.pszName;
}

class DibOwnedBlocks : public ::testing::TestWithParam<COwnershipCase> {};

TEST_P(DibOwnedBlocks, ClearFreesWhatIsOwned)
{
    const COwnershipCase& c = GetParam();
    BYTE* pHeader = NewPacked(Recipe(INFO, 24));
    BYTE* pPixels = c.bSeparatePixels ? new BYTE[128] : nullptr;
    QvDIB dib;
    ResetFreedLog();
    ASSERT_TRUE(dib.Attach(pHeader, pPixels, c.dwOwnership));
    EXPECT_EQ(dib.GetOwnership(), c.dwKept);
    dib.Clear();
    EXPECT_EQ(WasFreed(pHeader), c.bHeaderFreed);
    EXPECT_EQ(static_cast<const void*>(dib.GetHeader()), c.bHeaderFreed ? nullptr : pHeader);
    if (pPixels != nullptr) {
        EXPECT_EQ(WasFreed(pPixels), c.bPixelsFreed);
        EXPECT_EQ(dib.GetPixels(), c.bPixelsFreed ? nullptr : pPixels);
    } else {
        // Pixels inside a freed header block are not left dangling.
        EXPECT_EQ(dib.GetPixels(), nullptr);
    }
    EXPECT_EQ(dib.GetOwnership(), 0u);
    ExpectCleared(dib);
    if (!c.bHeaderFreed)
        delete[] pHeader;
    if (pPixels != nullptr && !c.bPixelsFreed)
        delete[] pPixels;
}

INSTANTIATE_TEST_SUITE_P(Bits, DibOwnedBlocks, ::testing::ValuesIn(OWNERSHIP_CASES),
                         [](const ::testing::TestParamInfo<COwnershipCase>& info) {
                             return info.param.pszName;
                         });

TEST(DibOwnership, DestructorAndNextAttachFreeOwnedBlocks)
{
    BYTE* pFirst = NewPacked(Recipe(INFO, 8));
    BYTE* pSecond = NewPacked(Recipe(INFO, 24));
    BYTE* pPixels = new BYTE[64];
    ResetFreedLog();
    {
        QvDIB dib;
        ASSERT_TRUE(dib.Attach(pFirst, nullptr, DIBO_HEADER));
        ASSERT_TRUE(dib.Attach(pSecond, pPixels, DIBO_HEADER | DIBO_PIXELS));
        EXPECT_TRUE(WasFreed(pFirst));
        EXPECT_FALSE(WasFreed(pSecond));
        EXPECT_FALSE(WasFreed(pPixels));
    }
    EXPECT_TRUE(WasFreed(pSecond));
    EXPECT_TRUE(WasFreed(pPixels));
}

TEST(DibOwnership, AnOwnedBlockGivenAgainStaysAliveAndOwned)
{
    BYTE* pHeader = NewPacked(Recipe(INFO, 24));
    BYTE* pPixels = new BYTE[64];
    QvDIB dib;
    ResetFreedLog();
    ASSERT_TRUE(dib.Attach(pHeader, pPixels, DIBO_HEADER | DIBO_PIXELS));
    ASSERT_TRUE(dib.Attach(pHeader, pPixels, 0));
    EXPECT_FALSE(WasFreed(pHeader));
    EXPECT_FALSE(WasFreed(pPixels));
    EXPECT_EQ(dib.GetOwnership(), static_cast<DWORD>(DIBO_HEADER | DIBO_PIXELS));
    EXPECT_EQ(dib.GetWidth(), 8);
    dib.Clear();
    EXPECT_TRUE(WasFreed(pHeader));
    EXPECT_TRUE(WasFreed(pPixels));
}

TEST(DibOwnership, ARefusedHeaderIsStillFreedByClear)
{
    BYTE* pHeader = NewPacked(Recipe(64, 8));
    QvDIB dib;
    ResetFreedLog();
    EXPECT_FALSE(dib.Attach(pHeader, nullptr, DIBO_HEADER));
    EXPECT_EQ(dib.GetOwnership(), static_cast<DWORD>(DIBO_HEADER));
    EXPECT_FALSE(WasFreed(pHeader));
    dib.Clear();
    EXPECT_TRUE(WasFreed(pHeader));
}

TEST(DibBitmapHandle, DeletedByClearAttachReplacementAndDestructor)
{
    std::vector<BYTE> header = Packed(Recipe(INFO, 24));
    HBITMAP hCleared = ::CreateBitmap(1, 1, 1, 32, nullptr);
    HBITMAP hAttached = ::CreateBitmap(1, 1, 1, 32, nullptr);
    HBITMAP hReplaced = ::CreateBitmap(1, 1, 1, 32, nullptr);
    HBITMAP hDestroyed = ::CreateBitmap(1, 1, 1, 32, nullptr);
    ASSERT_TRUE(hCleared && hAttached && hReplaced && hDestroyed);
    {
        QvDIB dib;
        dib.SetBitmap(hCleared);
        dib.Clear();
        EXPECT_EQ(dib.GetBitmap(), nullptr);
        EXPECT_EQ(::GetObjectType(hCleared), 0u);

        dib.SetBitmap(hAttached);
        ASSERT_TRUE(dib.Attach(header.data(), nullptr, 0));
        EXPECT_EQ(dib.GetBitmap(), nullptr);
        EXPECT_EQ(::GetObjectType(hAttached), 0u);

        dib.SetBitmap(hReplaced);
        dib.SetBitmap(hReplaced);  // the same handle again stays
        EXPECT_EQ(::GetObjectType(hReplaced), static_cast<DWORD>(OBJ_BITMAP));
        dib.SetBitmap(hDestroyed);
        EXPECT_EQ(::GetObjectType(hReplaced), 0u);
        EXPECT_EQ(dib.GetBitmap(), hDestroyed);
    }
    EXPECT_EQ(::GetObjectType(hDestroyed), 0u);
}

TEST(DibClear, ANewViewLooksCleared)
{
    QvDIB dib;
    ExpectCleared(dib);
    EXPECT_EQ(dib.GetHeader(), nullptr);
    EXPECT_EQ(dib.GetPixels(), nullptr);
    EXPECT_EQ(dib.GetOwnership(), 0u);
    EXPECT_EQ(dib.GetBitmap(), nullptr);
}

}  // namespace
