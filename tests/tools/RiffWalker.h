// Minimal RIFF parser for the writer's tests: builds the chunk tree and
// refuses any chunk that does not fit inside its parent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct RiffChunk {
    std::string strId;    // "RIFF", "LIST", "avih", ...
    std::string strType;  // list type for RIFF and LIST
    size_t nOffset = 0;   // of the chunk header
    uint32_t nSize = 0;   // as stored
    std::vector<RiffChunk> children;

    size_t DataOffset() const { return nOffset + (strType.empty() ? 8 : 12); }
    const RiffChunk* Find(const std::string& strId, const std::string& strType = "") const
    {
        for (const RiffChunk& c : children)
            if (c.strId == strId && (strType.empty() || c.strType == strType))
                return &c;
        return nullptr;
    }
};

inline uint32_t RiffU32(const std::vector<uint8_t>& b, size_t n)
{
    return static_cast<uint32_t>(b[n]) | static_cast<uint32_t>(b[n + 1]) << 8 |
           static_cast<uint32_t>(b[n + 2]) << 16 | static_cast<uint32_t>(b[n + 3]) << 24;
}

inline uint16_t RiffU16(const std::vector<uint8_t>& b, size_t n)
{
    return static_cast<uint16_t>(b[n] | b[n + 1] << 8);
}

// Parses the children between nBegin and nEnd; false with a message when a
// chunk crosses nEnd.
inline bool ParseRiffChildren(const std::vector<uint8_t>& b, size_t nBegin, size_t nEnd,
                              std::vector<RiffChunk>& out, std::string& strError)
{
    size_t n = nBegin;
    while (n < nEnd) {
        if (nEnd - n < 8) {
            strError = "truncated chunk header at " + std::to_string(n);
            return false;
        }
        RiffChunk c;
        c.strId.assign(reinterpret_cast<const char*>(&b[n]), 4);
        c.nSize = RiffU32(b, n + 4);
        c.nOffset = n;
        if (c.nSize > nEnd - n - 8) {
            strError = c.strId + " at " + std::to_string(n) + " exceeds its parent";
            return false;
        }
        const size_t nDataEnd = n + 8 + c.nSize;
        if (c.strId == "RIFF" || c.strId == "LIST") {
            if (c.nSize < 4) {
                strError = "list without type at " + std::to_string(n);
                return false;
            }
            c.strType.assign(reinterpret_cast<const char*>(&b[n + 8]), 4);
            if (!ParseRiffChildren(b, n + 12, nDataEnd, c.children, strError))
                return false;
        }
        out.push_back(c);
        n = nDataEnd + (c.nSize & 1u);
        if (n > nEnd) {
            strError = "padding of " + c.strId + " exceeds its parent";
            return false;
        }
    }
    return true;
}
