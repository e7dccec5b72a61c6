// Files no writer makes: chunks in the wrong place, counts and offsets that
// run past the file. The reader must refuse them (or read what is really
// there) without touching memory outside its tables and without allocating
// more than the file could hold. Runs under AddressSanitizer.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "OdmlTestFiles.h"
#include "QRVAviFile20.h"

namespace {

constexpr uint64_t ODT_LARGE = ODT_ONE_GIB + 1;
constexpr uint64_t ODT_STD_AT = 0x20000000;  // where the standard index is put

using Pieces = std::vector<std::pair<uint64_t, std::vector<uint8_t>>>;

// One "qrvc" stream whose super index points at standard indexes at the
// given offsets; the header list is built by the caller's hook.
struct Crafted {
    uint32_t nStreams = 1;
    std::vector<uint64_t> superOffsets{ODT_STD_AT};
    uint32_t nSuperInUse = 1;
    std::vector<std::pair<uint32_t, uint32_t>> stdEntries{{0, 16}, {16, 0x80000010}, {32, 16}};
    uint32_t nStdInUse = 3;
    uint64_t nBase = 0x10000000;
    uint64_t nStdAt = ODT_STD_AT;
    bool bStrhFirst = false;    // "strh" before "avih"
    bool bIndxOutside = false;  // "indx" in "hdrl", outside any "strl"
    bool bStrhOutside = false;  // "strh" in "hdrl", outside any "strl"
    uint64_t nLength = ODT_LARGE;

    Pieces Build() const
    {
        COdtRiff riff;
        riff.List("RIFF", "AVI ").List("LIST", "hdrl");
        if (bStrhFirst)
            riff.Chunk("strh", OdtStreamHeader("vids", "qrvc", 3, 0));
        riff.Chunk("avih", OdtMainHeader(nStreams));
        if (bIndxOutside)
            riff.Chunk("indx", OdtSuperIndex(superOffsets, nSuperInUse));
        if (bStrhOutside)
            riff.Chunk("strh", OdtStreamHeader("vids", "qrvc", 3, 0));
        riff.List("LIST", "strl")
            .Chunk("strh", OdtStreamHeader("vids", "qrvc", 3, 0))
            .Chunk("indx", OdtSuperIndex(superOffsets, nSuperInUse))
            .End();
        riff.End().List("LIST", "movi").End().End();
        Pieces pieces{{0, riff.Bytes()}};
        pieces.push_back(
            {nStdAt, COdtRiff().Chunk("ix00", OdtStdIndex(nBase, stdEntries, nStdInUse)).Bytes()});
        return pieces;
    }
};

struct Outcome {
    int32_t nResult;
    std::string strError;
    uint32_t nEntries;
};

Outcome OpenCrafted(const Crafted& crafted)
{
    CTestFile file("crafted.avi");
    EXPECT_TRUE(OdtWritePieces(file.Path(), crafted.Build(), crafted.nLength));
    QRVAviFile20 reader;
    const int32_t nResult = reader.Open(file.ReaderPath());
    const QRVAviFile20::StreamRecord* pRecord = reader.Stream(0);
    return {nResult, reader.LastValidationError(), pRecord ? pRecord->m_nEntries : 0};
}

}  // namespace

TEST(OpenDmlHostile, CraftedBaselineIsIndexed)
{
    // The others differ from this one in one point each.
    const Outcome outcome = OpenCrafted(Crafted());
    EXPECT_EQ(ODML_OK, outcome.nResult);
    EXPECT_EQ(3u, outcome.nEntries);
}

TEST(OpenDmlHostile, HeadersAndIndexesWithoutARecordEndTheParse)
{
    const struct {
        const char* pszCase;
        Crafted crafted;
    } cases[] = {
        {"stream header before the main header",
         [] {
             Crafted c;
             c.bStrhFirst = true;
             return c;
         }()},
        {"super index outside a stream list",
         [] {
             Crafted c;
             c.bIndxOutside = true;
             return c;
         }()},
        {"stream header outside a stream list",
         [] {
             Crafted c;
             c.bStrhOutside = true;
             return c;
         }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        const Outcome outcome = OpenCrafted(c.crafted);
        EXPECT_EQ(ODML_FAIL, outcome.nResult);
        EXPECT_EQ("", outcome.strError);
    }
}

TEST(OpenDmlHostile, CountsAndOffsetsPastTheFileAreRefused)
{
    const struct {
        const char* pszCase;
        Crafted crafted;
    } cases[] = {
        {"super index claims more entries than the file holds",
         [] {
             Crafted c;
             c.nSuperInUse = 90000;
             c.nLength = ODT_LARGE;
             return c;
         }()},
        {"standard index at the end of the file claims 150000 entries",
         [] {
             Crafted c;
             c.nStdAt = ODT_LARGE - 40;
             c.superOffsets = {ODT_LARGE - 40};
             c.nStdInUse = 150000;
             c.stdEntries = {{0, 1}};
             return c;
         }()},
        {"super index entry beyond the file",
         [] {
             Crafted c;
             c.superOffsets = {ODT_LARGE + 1000};
             return c;
         }()},
        {"super index entry at the largest offset",
         [] {
             Crafted c;
             c.superOffsets = {UINT64_MAX};
             return c;
         }()},
        {"super index entry at the largest signed offset",
         [] {
             Crafted c;
             c.superOffsets = {static_cast<uint64_t>(INT64_MAX)};
             return c;
         }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        const Outcome outcome = OpenCrafted(c.crafted);
        EXPECT_EQ(ODML_FAIL, outcome.nResult);
        EXPECT_EQ(0u, outcome.nEntries);
    }
}

TEST(OpenDmlHostile, RepeatedStandardIndexesCannotInflateTheTable)
{
    // 100000 super entries all naming one standard index of 200000 entries
    // would make 2e10 entries: more than a file of 1 GiB has room for.
    Crafted c;
    c.superOffsets.assign(100000, ODT_STD_AT);
    c.nSuperInUse = 100000;
    c.stdEntries.assign(200000, {0, 8});
    c.nStdInUse = 200000;
    const Outcome outcome = OpenCrafted(c);
    EXPECT_EQ(ODML_FAIL, outcome.nResult);
    EXPECT_EQ(0u, outcome.nEntries);
}

TEST(OpenDmlHostile, EntriesPointingPastTheFileFailOnlyWhenRead)
{
    Crafted c;
    c.nBase = ODT_LARGE - 8;  // the first chunk runs past the end, the others start there
    CTestFile file("past.avi");
    ASSERT_TRUE(OdtWritePieces(file.Path(), c.Build(), c.nLength));
    QRVAviFile20 reader;
    ASSERT_EQ(ODML_OK, reader.Open(file.ReaderPath()));
    uint8_t buffer[64];
    int32_t nBytes = -1, nSamples = -1;
    for (int32_t f = 0; f < 3; ++f) {
        EXPECT_EQ(ODML_FAIL, reader.ReadDirect(0, f, 1, buffer, sizeof buffer, &nBytes, &nSamples));
        EXPECT_EQ(0, nSamples);
    }
    // The sizes alone are still known.
    EXPECT_EQ(ODML_OK, reader.ReadDirect(0, 0, 3, nullptr, 0, &nBytes, &nSamples));
    EXPECT_EQ(48, nBytes);
    EXPECT_EQ(3, nSamples);
}

TEST(OpenDmlHostile, BrokenChunkSizesEndTheWalk)
{
    const struct {
        const char* pszCase;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"RIFF of size 0xFFFFFFFF", {'R', 'I', 'F', 'F', 0xFF, 0xFF, 0xFF, 0xFF, 'A', 'V', 'I', ' '}},
        {"list without a type", {'R', 'I', 'F', 'F', 0, 0, 0, 0}},
        {"plain chunk at the top", {'J', 'U', 'N', 'K', 4, 0, 0, 0, 1, 2, 3, 4}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszCase);
        CTestFile file("broken.avi");
        ASSERT_TRUE(OdtWritePieces(file.Path(), {{0, c.bytes}}, ODT_LARGE));
        QRVAviFile20 reader;
        EXPECT_EQ(ODML_FAIL, reader.Open(file.ReaderPath()));
        EXPECT_FALSE(reader.IsIndexed());
    }
}

TEST(OpenDmlHostile, DeeplyNestedListsDoNotExhaustTheStack)
{
    COdtRiff riff;
    riff.List("RIFF", "AVI ");
    for (int i = 0; i < 20000; ++i)
        riff.List("LIST", "deep");
    for (int i = 0; i < 20000; ++i)
        riff.End();
    riff.End();
    CTestFile file("deep.avi");
    ASSERT_TRUE(OdtWritePieces(file.Path(), {{0, riff.Bytes()}}, ODT_LARGE));
    QRVAviFile20 reader;
    EXPECT_EQ(ODML_FAIL, reader.Open(file.ReaderPath()));
}
