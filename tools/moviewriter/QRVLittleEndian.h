// Little-endian byte appends and patches for building file records byte by byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace QRVLittleEndian {

inline void Put8(std::vector<uint8_t>& out, uint32_t n)
{
    out.push_back(static_cast<uint8_t>(n));
}

inline void Put16(std::vector<uint8_t>& out, uint32_t n)
{
    out.push_back(static_cast<uint8_t>(n));
    out.push_back(static_cast<uint8_t>(n >> 8));
}

inline void Put32(std::vector<uint8_t>& out, uint32_t n)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(n >> (8 * i)));
}

// A four-character code as stored: its characters in order.
inline void PutFourCC(std::vector<uint8_t>& out, const char* pszCode)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(pszCode[i]));
}

// Overwrites 4 bytes at nPos; the caller guarantees nPos + 4 <= out.size().
inline void Patch32(std::vector<uint8_t>& out, size_t nPos, uint32_t n)
{
    for (int i = 0; i < 4; ++i)
        out[nPos + i] = static_cast<uint8_t>(n >> (8 * i));
}

inline uint32_t Get16(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8);
}

inline uint32_t Get32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

constexpr uint32_t FourCC(const char* psz)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(psz[0])) |
           (static_cast<uint32_t>(static_cast<uint8_t>(psz[1])) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(psz[2])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(psz[3])) << 24);
}

}  // namespace QRVLittleEndian
