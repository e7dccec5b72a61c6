// What the lenient open of QRVAviFile20 finds while it walks: the "movi"
// lists, the legacy index, the standard indexes that super indexes name,
// and the tables while they are built. Internal to the reader.
#pragma once

#include <cstdint>
#include <vector>

#include "QRVAviFile20.h"

// Chunk heads are read in blocks of this size: under Wine each read costs
// several microseconds, whatever its size.
constexpr uint32_t ODML_HEAD_CACHE_BYTES = 65536;
// Chunks outside "movi" lists a lenient open visits at most.
constexpr uint32_t ODML_MAX_HEADER_CHUNKS = 100000;

// What the lenient open finds while it walks.
struct QRVAviFile20::MovieScan {
    struct Segment {
        uint64_t nList;   // the "LIST" head
        uint64_t nBegin;  // first chunk
        uint64_t nEnd;    // just past the data
        bool bWalked;
    };
    std::vector<Segment> segments;
    uint32_t nHeaderChunks = 0;  // visited outside "movi" lists
    bool bIdx1 = false;
    uint64_t nIdx1 = 0;  // the "idx1" head
    std::vector<uint64_t> stdIndexes;  // standard indexes named by super indexes
    bool bSuperIndexFailed = false;
    bool bSuperIndex = false;
    // Per stream while the walk or the legacy index builds the tables.
    std::vector<std::vector<IndexEntry>> entries;
    std::vector<std::vector<uint64_t>> keyOffsets;  // key frames named by "ix##" or "idx1"
    uint64_t nEntries = 0;
    // Chunk heads are read through a small cache: heads of neighbouring
    // chunks (sound, then picture) mostly share one read.
    uint8_t cache[ODML_HEAD_CACHE_BYTES];
    uint64_t nCacheAt = 0;
    uint32_t nCacheBytes = 0;
};

