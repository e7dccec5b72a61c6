// Byte layout of the OpenDML (AVI 2.0) records the reader uses: offsets count
// from the chunk's first byte (its id), all values little-endian. Declared
// here so that portable code needs no platform headers.
#pragma once

#include <cstdint>

namespace QRVOpenDml {

constexpr uint32_t FourCC(const char* psz)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(psz[0])) |
           (static_cast<uint32_t>(static_cast<uint8_t>(psz[1])) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(psz[2])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(psz[3])) << 24);
}

inline uint16_t Get16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t Get32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline uint64_t Get64(const uint8_t* p)
{
    return static_cast<uint64_t>(Get32(p)) | (static_cast<uint64_t>(Get32(p + 4)) << 32);
}

// A validation error: ends the parse; the opens catch it.
struct QRVOpenDmlError {
    const char* pszText;
};

// Chunk ids are four printable characters.
inline bool IsChunkId(uint32_t nId)
{
    for (int i = 0; i < 4; ++i) {
        const uint32_t c = (nId >> (8 * i)) & 0xFF;
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return true;
}

constexpr uint32_t ODML_ID_RIFF = FourCC("RIFF");
constexpr uint32_t ODML_ID_LIST = FourCC("LIST");
constexpr uint32_t ODML_ID_MOVI = FourCC("movi");
constexpr uint32_t ODML_ID_STRL = FourCC("strl");
constexpr uint32_t ODML_ID_AVIH = FourCC("avih");
constexpr uint32_t ODML_ID_STRH = FourCC("strh");
constexpr uint32_t ODML_ID_INDX = FourCC("indx");
constexpr uint32_t ODML_ID_VIDS = FourCC("vids");
constexpr uint32_t ODML_ID_AUDS = FourCC("auds");
constexpr uint32_t ODML_ID_QRVC = FourCC("qrvc");
constexpr uint32_t ODML_ID_STRF = FourCC("strf");
constexpr uint32_t ODML_ID_IDX1 = FourCC("idx1");
constexpr uint32_t ODML_ID_JUNK = FourCC("JUNK");
constexpr uint32_t ODML_ID_REC = FourCC("rec ");
constexpr uint32_t ODML_ID_HDRL = FourCC("hdrl");

// Main header ("avih") and stream header ("strh"): 64 bytes with the chunk head.
constexpr uint32_t ODML_HEADER_BYTES = 64;
constexpr uint32_t ODML_AVIH_STREAMS = 32;
constexpr uint32_t ODML_STRH_TYPE = 8;
constexpr uint32_t ODML_STRH_HANDLER = 12;
constexpr uint32_t ODML_STRH_SCALE = 28;
constexpr uint32_t ODML_STRH_RATE = 32;
constexpr uint32_t ODML_STRH_LENGTH = 40;
constexpr uint32_t ODML_STRH_BUFFER_SIZE = 44;
constexpr uint32_t ODML_STRH_SAMPLE_SIZE = 52;

// Super index ("indx", AVISUPERINDEX) and standard index (AVISTDINDEX) heads.
constexpr uint32_t ODML_INDEX_HEAD_BYTES = 32;
constexpr uint32_t ODML_INDX_LONGS_PER_ENTRY = 8;
constexpr uint32_t ODML_INDX_SUBTYPE = 10;
constexpr uint32_t ODML_INDX_TYPE = 11;
constexpr uint32_t ODML_INDX_ENTRIES_IN_USE = 12;
constexpr uint32_t ODML_INDX_CHUNK_ID = 16;
constexpr uint32_t ODML_STD_BASE_OFFSET = 20;
constexpr uint32_t ODML_SUPER_ENTRY_BYTES = 16;  // offset 64, size 32, duration 32
constexpr uint32_t ODML_STD_ENTRY_BYTES = 8;     // relative offset 32, size 32
constexpr uint8_t ODML_INDEX_OF_INDEXES = 0x00;
constexpr uint8_t ODML_INDEX_OF_CHUNKS = 0x01;

// Legacy index ("idx1") entries: id, flags, offset, size.
constexpr uint32_t ODML_IDX1_ENTRY_BYTES = 16;
constexpr uint32_t ODML_IDX1_KEY_FRAME = 0x10;

// Stream formats ("strf"): bitmap info header (compression at 16) and
// wave format (tag at 0, block align at 12).
constexpr uint32_t ODML_BIH_BYTES = 40;
constexpr uint32_t ODML_BIH_COMPRESSION = 16;
constexpr uint32_t ODML_WAVE_BYTES = 14;
constexpr uint32_t ODML_WAVE_BLOCK_ALIGN = 12;
constexpr uint16_t ODML_WAVE_PCM = 1;
// Largest stream format kept.
constexpr uint32_t ODML_MAX_FORMAT_BYTES = 1 << 20;

// Size field of a standard index entry: bit 31 set for a non-key frame.
constexpr uint32_t ODML_NOT_KEY_FRAME = 0x80000000;
constexpr uint32_t ODML_SIZE_MASK = 0x7FFFFFFF;

}  // namespace QRVOpenDml
