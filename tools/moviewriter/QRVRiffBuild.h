// Building RIFF chunks in memory: a chunk or list header whose size field is
// patched when the chunk is complete, with the padding byte of odd sizes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "QRVLittleEndian.h"

namespace QRVRiffBuild {

// Appends a chunk header and returns the position of its size field.
inline size_t BeginChunk(std::vector<uint8_t>& out, const char* pszId)
{
    QRVLittleEndian::PutFourCC(out, pszId);
    const size_t nSizePos = out.size();
    QRVLittleEndian::Put32(out, 0);
    return nSizePos;
}

inline size_t BeginList(std::vector<uint8_t>& out, const char* pszList, const char* pszType)
{
    const size_t nSizePos = BeginChunk(out, pszList);
    QRVLittleEndian::PutFourCC(out, pszType);
    return nSizePos;
}

// Sets the size of the chunk begun at nSizePos and pads it to an even length.
inline void EndChunk(std::vector<uint8_t>& out, size_t nSizePos)
{
    const size_t nSize = out.size() - nSizePos - 4;
    QRVLittleEndian::Patch32(out, nSizePos, static_cast<uint32_t>(nSize));
    if (nSize & 1u)
        out.push_back(0);
}

}  // namespace QRVRiffBuild
