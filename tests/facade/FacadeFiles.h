// Movies on disk as their chunks, and the damage tests do to them: the
// chunk map of a written movie (read head by head, so that a sparse movie of
// several GiB stays on disk), whole-file reads, size patches and cuts, and
// what a cut leaves of the pictures and the sound.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct FacadeChunk {
    std::string strId;     // "RIFF", "LIST", "00dc", ...
    std::string strType;   // of a RIFF or LIST chunk; empty for others
    uint64_t nOffset = 0;  // of the head
    uint32_t nSize = 0;    // as stored
    int nDepth = 0;        // 0: a top-level RIFF chunk

    uint64_t Data() const { return nOffset + 8; }
    uint64_t End() const { return Data() + nSize; }
    bool Is(const std::string& str) const { return strId == str || strType == str; }
};

inline uint32_t FacadeGet32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline void FacadePatch32(std::vector<uint8_t>& bytes, uint64_t nOffset, uint32_t n)
{
    for (uint64_t i = 0; i < 4 && nOffset + i < bytes.size(); ++i)
        bytes[static_cast<size_t>(nOffset + i)] = static_cast<uint8_t>(n >> (8 * i));
}

inline void FacadeMapChunks(std::FILE* pFile, uint64_t nFrom, uint64_t nTo, int nDepth,
                            std::vector<FacadeChunk>& chunks)
{
    while (nFrom + 8 <= nTo) {
        uint8_t head[12];
        if (_fseeki64(pFile, static_cast<int64_t>(nFrom), SEEK_SET) != 0 ||
            std::fread(head, 1, 12, pFile) < 8)
            return;
        FacadeChunk chunk;
        chunk.strId.assign(head, head + 4);
        chunk.nSize = FacadeGet32(head + 4);
        chunk.nOffset = nFrom;
        chunk.nDepth = nDepth;
        const bool bList = chunk.strId == "RIFF" || chunk.strId == "LIST";
        if (bList)
            chunk.strType.assign(head + 8, head + 12);
        chunks.push_back(chunk);
        if (bList)
            FacadeMapChunks(pFile, nFrom + 12, std::min(chunk.End(), nTo), nDepth + 1, chunks);
        nFrom = chunk.End() + (chunk.nSize & 1u);
    }
}

// Every chunk of a whole movie in file order, each list before its members.
inline std::vector<FacadeChunk> FacadeMapMovie(const std::string& strPath)
{
    std::vector<FacadeChunk> chunks;
    std::FILE* pFile = std::fopen(strPath.c_str(), "rb");
    if (pFile == nullptr)
        return chunks;
    if (_fseeki64(pFile, 0, SEEK_END) == 0)
        FacadeMapChunks(pFile, 0, static_cast<uint64_t>(_ftelli64(pFile)), 0, chunks);
    std::fclose(pFile);
    return chunks;
}

// The nth chunk (from 0) whose id or list type is str, at or after nFrom;
// null when there are fewer.
inline const FacadeChunk* FacadeFindChunk(const std::vector<FacadeChunk>& chunks, const std::string& str,
                                          uint32_t nth = 0, uint64_t nFrom = 0)
{
    for (const FacadeChunk& chunk : chunks) {
        if (chunk.nOffset >= nFrom && chunk.Is(str) && nth-- == 0)
            return &chunk;
    }
    return nullptr;
}

inline std::vector<uint8_t> FacadeReadBytes(const std::string& strPath)
{
    std::vector<uint8_t> bytes;
    std::FILE* pFile = std::fopen(strPath.c_str(), "rb");
    if (pFile == nullptr)
        return bytes;
    uint8_t buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pFile)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(pFile);
    return bytes;
}

// Cuts the file in place at nLength bytes.
inline bool FacadeCutFile(const std::wstring& strPath, uint64_t nLength)
{
    HANDLE hFile = ::CreateFileW(strPath.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(nLength);
    const bool bCut = ::SetFilePointerEx(hFile, position, nullptr, FILE_BEGIN) && ::SetEndOfFile(hFile);
    return ::CloseHandle(hFile) && bCut;
}

// What a cut at nCut leaves of a movie whose picture chunks are "00dc" and
// sound chunks "01wb": the pictures whose chunks end at or before it, and
// the sound before it in whole blocks of nBlock bytes.
struct FacadeRemains {
    uint32_t nFrames = 0;
    size_t nSoundBytes = 0;
};

inline FacadeRemains FacadeCutRemains(const std::vector<FacadeChunk>& chunks, uint64_t nCut, uint32_t nBlock)
{
    FacadeRemains remains;
    for (const FacadeChunk& chunk : chunks) {
        if (chunk.strId == "00dc" && chunk.End() <= nCut)
            ++remains.nFrames;
        else if (chunk.strId == "01wb" && chunk.Data() < nCut)
            remains.nSoundBytes += static_cast<size_t>(std::min<uint64_t>(chunk.nSize, nCut - chunk.Data()));
    }
    remains.nSoundBytes -= remains.nSoundBytes % nBlock;
    return remains;
}
