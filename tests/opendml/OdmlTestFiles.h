// Test movies for the OpenDML reader: written by the movie writer's OpenDML
// form into the temporary folder, or put together byte by byte for files no
// writer would make; both can be stretched past 1 GiB with a sparse tail.
// Classic movies of the writer are laid out again as other writers lay them
// out, for the lenient open.
#pragma once

#include "RiffBytes.h"
#include "TestFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "QRVAviWriter.h"
#include "QRVOpenDmlWriter.h"
#include "QRVOutput.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

constexpr uint64_t ODT_ONE_GIB = 0x40000000;

// Distinct bytes per chunk, so that a read of the wrong chunk shows.
inline std::vector<uint8_t> OdtBytes(size_t n, uint32_t nSeed)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(nSeed * 7 + i * 31 + (i >> 8));
    return v;
}

// What goes into a movie: frame i follows sound chunk i (when there is one).
struct OdtMovie {
    std::vector<std::vector<uint8_t>> frames;
    std::vector<bool> keys;
    std::vector<std::vector<uint8_t>> sound;
    bool bAudio = true;
    uint32_t nCompression = QRVLittleEndian::FourCC("qrvc");
    // A sparse "JUNK" filler of nFillerBytes after every nFillerEvery frames
    // (0: none) makes the movie large without touching its chunks.
    uint32_t nFillerEvery = 0;
    uint32_t nFillerBytes = 0;
};

// Frames of sizes 1 + (i * 37) % 300 (odd and even), a key frame every
// nKeyEvery; sound chunks of 100..190 blocks of 16-bit mono.
inline OdtMovie OdtSampleMovie(uint32_t nFrames, uint32_t nKeyEvery)
{
    OdtMovie movie;
    for (uint32_t i = 0; i < nFrames; ++i) {
        movie.frames.push_back(OdtBytes(1 + (i * 37) % 300, i));
        movie.keys.push_back(i % nKeyEvery == 0);
        movie.sound.push_back(OdtBytes(2 * (100 + (i * 13) % 91), 1000 + i));
    }
    return movie;
}

inline QRVAudioStreamFormat OdtAudioFormat()
{
    QRVAudioStreamFormat audio;
    audio.nChannels = 1;
    audio.nSamplesPerSec = 22050;
    audio.nBitsPerSample = 16;
    return audio;
}

inline QRVVideoStreamFormat OdtVideoFormat(const OdtMovie& movie)
{
    QRVVideoStreamFormat video;
    video.nWidth = 64;
    video.nHeight = 48;
    video.nBitCount = 24;
    video.nRate = 30;
    video.nCompression = movie.nCompression;
    return video;
}

// Writes the movie; nLength > 0 stretches the file to that length (the
// tail is a gap of zeros, which the reader's walk stops at).
inline ::testing::AssertionResult OdtWriteMovie(const std::string& strPath, const OdtMovie& movie,
                                                const QRVOpenDmlOptions& options, uint64_t nLength = 0)
{
    QRVFileOutput file;
    if (!file.Open(strPath))
        return ::testing::AssertionFailure() << "cannot create " << strPath;
    const QRVVideoStreamFormat video = OdtVideoFormat(movie);
    const QRVAudioStreamFormat audio = OdtAudioFormat();
    QRVOpenDmlWriter writer;
    if (!writer.Open(file, video, movie.bAudio ? &audio : nullptr, options))
        return ::testing::AssertionFailure() << writer.LastError();
    for (size_t i = 0; i < movie.frames.size(); ++i) {
        if (movie.bAudio && i < movie.sound.size() && !writer.WriteAudio(movie.sound[i]))
            return ::testing::AssertionFailure() << writer.LastError();
        if (!writer.WriteVideo(movie.frames[i], movie.keys[i]))
            return ::testing::AssertionFailure() << writer.LastError();
        if (movie.nFillerEvery != 0 && i % movie.nFillerEvery == movie.nFillerEvery - 1 &&
            !writer.WriteFillerSparse(movie.nFillerBytes))
            return ::testing::AssertionFailure() << writer.LastError();
    }
    if (!writer.Close())
        return ::testing::AssertionFailure() << writer.LastError();
    if (nLength > 0) {
        if (writer.FileSize() > nLength)
            return ::testing::AssertionFailure() << "movie longer than " << nLength;
        // One zero byte at the last position makes the rest a gap.
        static const uint8_t s_zero = 0;
        if (!file.Seek(nLength - 1) || !file.Write(&s_zero, 1))
            return ::testing::AssertionFailure() << "cannot stretch " << strPath;
    }
    if (!file.Finish())
        return ::testing::AssertionFailure() << "cannot finish " << strPath;
    return ::testing::AssertionSuccess();
}

using COdtRiff = CRiffBytes;

inline void OdtPut(std::vector<uint8_t>& out, uint64_t n, int nBytes)
{
    for (int i = 0; i < nBytes; ++i)
        out.push_back(i < 8 ? static_cast<uint8_t>(n >> (8 * i)) : 0);
}

// 56-byte "avih" body with a stream count.
inline std::vector<uint8_t> OdtMainHeader(uint32_t nStreams)
{
    std::vector<uint8_t> v(56, 0);
    for (int i = 0; i < 4; ++i)
        v[24 + i] = static_cast<uint8_t>(nStreams >> (8 * i));
    return v;
}

// 56-byte "strh" body.
inline std::vector<uint8_t> OdtStreamHeader(const char* pszType, const char* pszHandler, uint32_t nLength,
                                            uint32_t nSampleSize)
{
    std::vector<uint8_t> v;
    v.insert(v.end(), pszType, pszType + 4);
    v.insert(v.end(), pszHandler, pszHandler + 4);
    v.resize(32, 0);
    OdtPut(v, nLength, 4);
    OdtPut(v, 0, 4);  // suggested buffer
    OdtPut(v, 0, 4);  // quality
    OdtPut(v, nSampleSize, 4);
    v.resize(56, 0);
    return v;
}

// "indx" body: head and (offset, size, duration) entries; nInUse may lie.
inline std::vector<uint8_t> OdtSuperIndex(const std::vector<uint64_t>& offsets, uint32_t nInUse)
{
    std::vector<uint8_t> v;
    OdtPut(v, 4, 2);
    OdtPut(v, 0, 1);
    OdtPut(v, 0, 1);
    OdtPut(v, nInUse, 4);
    v.insert(v.end(), {'0', '0', 'd', 'c'});
    OdtPut(v, 0, 12);
    for (uint64_t n : offsets) {
        OdtPut(v, n, 8);
        OdtPut(v, 0, 4);
        OdtPut(v, 0, 4);
    }
    return v;
}

// "ix00" body: head and (relative offset, size) entries; nInUse may lie.
inline std::vector<uint8_t>
OdtStdIndex(uint64_t nBase, const std::vector<std::pair<uint32_t, uint32_t>>& entries, uint32_t nInUse)
{
    std::vector<uint8_t> v;
    OdtPut(v, 2, 2);
    OdtPut(v, 0, 1);
    OdtPut(v, 1, 1);
    OdtPut(v, nInUse, 4);
    v.insert(v.end(), {'0', '0', 'd', 'c'});
    OdtPut(v, nBase, 8);
    OdtPut(v, 0, 4);
    for (const auto& e : entries) {
        OdtPut(v, e.first, 4);
        OdtPut(v, e.second, 4);
    }
    return v;
}

// Writes raw bytes, stretched to nLength.
inline ::testing::AssertionResult OdtWriteRaw(const std::string& strPath, const std::vector<uint8_t>& bytes,
                                              uint64_t nLength)
{
    QRVFileOutput file;
    static const uint8_t s_zero = 0;
    if (!file.Open(strPath) || !file.Write(bytes.data(), bytes.size()) ||
        (nLength > bytes.size() && (!file.Seek(nLength - 1) || !file.Write(&s_zero, 1))) || !file.Finish())
        return ::testing::AssertionFailure() << "cannot write " << strPath;
    return ::testing::AssertionSuccess();
}

// Writes pieces of bytes at their offsets into a file of nLength bytes
// (everything else a gap of zeros).
inline ::testing::AssertionResult
OdtWritePieces(const std::string& strPath,
               const std::vector<std::pair<uint64_t, std::vector<uint8_t>>>& pieces, uint64_t nLength)
{
    QRVFileOutput file;
    static const uint8_t s_zero = 0;
    bool bOk = file.Open(strPath) && file.Seek(nLength - 1) && file.Write(&s_zero, 1);
    for (const auto& piece : pieces)
        bOk = bOk && file.Seek(piece.first) && file.Write(piece.second.data(), piece.second.size());
    if (!file.Finish() || !bOk)
        return ::testing::AssertionFailure() << "cannot write " << strPath;
    return ::testing::AssertionSuccess();
}

// Overwrites 4 bytes at nPos of a movie in memory.
inline void OdtSet32(std::vector<uint8_t>& bytes, size_t nPos, uint32_t n)
{
    for (int i = 0; i < 4; ++i)
        bytes.at(nPos + i) = static_cast<uint8_t>(n >> (8 * i));
}

// First place at or after nFrom where the four characters stand; the size
// of the bytes when they do not.
inline size_t OdtFind(const std::vector<uint8_t>& bytes, const char* pszId, size_t nFrom = 0)
{
    for (size_t n = nFrom; n + 4 <= bytes.size(); ++n) {
        if (bytes[n] == pszId[0] && bytes[n + 1] == pszId[1] && bytes[n + 2] == pszId[2] &&
            bytes[n + 3] == pszId[3])
            return n;
    }
    return bytes.size();
}

// Reads nCount bytes at nPos of a file (fewer at its end).
inline std::vector<uint8_t> OdtReadFile(const std::string& strPath, uint64_t nPos, size_t nCount)
{
    std::ifstream file(strPath, std::ios::binary);
    std::vector<uint8_t> bytes(nCount);
    file.seekg(static_cast<std::streamoff>(nPos));
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(nCount));
    bytes.resize(file ? nCount : static_cast<size_t>(std::max<std::streamsize>(file.gcount(), 0)));
    return bytes;
}

// Overwrites bytes of a file in place: a large movie is damaged without
// being written again.
inline ::testing::AssertionResult OdtPatchFile(const std::string& strPath, uint64_t nPos,
                                               const std::vector<uint8_t>& bytes)
{
    std::fstream file(strPath, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(static_cast<std::streamoff>(nPos));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file)
        return ::testing::AssertionFailure() << "cannot patch " << strPath << " at " << nPos;
    return ::testing::AssertionSuccess();
}

// Classic movies for the lenient open: the classic writer's movie, laid out
// again in "movi" the ways other writers lay it out.
constexpr uint32_t ODT_VIDEO = QRVLittleEndian::FourCC("00dc");
constexpr uint32_t ODT_SOUND = QRVLittleEndian::FourCC("01wb");
constexpr uint64_t ODT_UNKNOWN = UINT64_MAX;

// A palette change written before frame nFrame.
struct OdtPaletteChange {
    uint32_t nFrame;
    uint32_t nFirst;
    std::vector<uint32_t> colors;
};

// The classic writer's movie: sound chunk i, then frame i.
inline std::vector<uint8_t> OdtWriteClassic(const OdtMovie& movie, const QRVVideoStreamFormat& video,
                                            const std::vector<OdtPaletteChange>& changes = {})
{
    QRVMemoryOutput out;
    const QRVAudioStreamFormat audio = OdtAudioFormat();
    QRVAviWriter writer;
    EXPECT_TRUE(writer.Open(out, video, movie.bAudio ? &audio : nullptr));
    for (uint32_t i = 0; i < movie.frames.size(); ++i) {
        for (const OdtPaletteChange& change : changes) {
            if (change.nFrame == i) {
                EXPECT_TRUE(writer.WritePaletteChange(change.nFirst, change.colors));
            }
        }
        if (movie.bAudio) {
            EXPECT_TRUE(writer.WriteAudio(movie.sound[i]));
        }
        EXPECT_TRUE(writer.WriteVideo(movie.frames[i], movie.keys[i]));
    }
    EXPECT_TRUE(writer.Close()) << writer.LastError();
    return out.Bytes();
}

enum OdtIdx1 { ODT_IDX1_RELATIVE, ODT_IDX1_ABSOLUTE, ODT_IDX1_NONE };

// How the writer's chunks are laid out again in "movi".
struct OdtLayout {
    OdtIdx1 eIdx1 = ODT_IDX1_RELATIVE;
    bool bJunk = false;     // "JUNK" of 0, 1 or 2 bytes before each sound chunk
    bool bRec = false;      // each sound chunk and its frame in a "LIST rec "
    uint32_t nIxEvery = 0;  // an "ix00" behind every n frames names their key frames
};

// A stream chunk of the laid-out movie; nKeyKnown is the file length from
// which an index in the file names its key flag.
struct OdtChunk {
    uint32_t nId;
    uint64_t nData;
    uint32_t nSize;
    bool bKey;
    uint64_t nKeyKnown;
};

struct OdtClassicFile {
    std::vector<uint8_t> bytes;
    std::vector<OdtChunk> chunks;  // in file order
    std::vector<uint64_t> recLists;
    uint64_t nMovi = 0;  // the "movi" list head
    uint64_t nIdx1 = 0;  // the "idx1" head (the file length without one)

    // The n-th chunk of a stream (throws when there is none).
    OdtChunk& Nth(uint32_t nId, uint32_t n)
    {
        for (OdtChunk& chunk : chunks) {
            if (chunk.nId == nId && n-- == 0)
                return chunk;
        }
        return chunks.at(chunks.size());
    }
};

// The writer's movie laid out again: its header block, its chunks in order
// with their "idx1" flags, a new "idx1", the "movi" and RIFF sizes of the new
// layout. The default layout gives the writer's bytes back.
inline OdtClassicFile OdtLayOut(const std::vector<uint8_t>& written, const OdtLayout& layout)
{
    const auto get32 = [&](size_t n) { return QRVLittleEndian::Get32(&written.at(n)); };
    OdtClassicFile file;
    file.nMovi = OdtFind(written, "movi") - 8;
    const size_t nBody = file.nMovi + 12;
    size_t nWrittenIdx1 = nBody;
    while (get32(nWrittenIdx1) != QRVLittleEndian::FourCC("idx1"))
        nWrittenIdx1 += 8 + ((get32(nWrittenIdx1 + 4) + 1) & ~1u);

    // "idx1" entries with body positions as offsets, and the chunk each names.
    std::vector<std::pair<QRVAviIndexEntry, size_t>> index;
    CRiffBytes body;
    size_t nOpenRec = SIZE_MAX;  // entry of the open "rec " list
    std::vector<size_t> group;   // frames waiting for an "ix00"
    for (size_t n = nBody, e = nWrittenIdx1 + 8; n < nWrittenIdx1; e += 16) {
        const uint32_t nId = get32(n), nSize = get32(n + 4), nFlags = get32(e + 4);
        if (layout.bJunk && nId == ODT_SOUND)
            body.Chunk("JUNK", std::vector<uint8_t>(file.chunks.size() % 3, 0));
        if (layout.bRec && nId == ODT_SOUND) {
            file.recLists.push_back(nBody + body.Size());
            nOpenRec = index.size();
            index.push_back(
                {{QRVLittleEndian::FourCC("rec "), 0x1, static_cast<uint32_t>(body.Size()), 0}, SIZE_MAX});
            body.List("LIST", "rec ");
        }
        index.push_back({{nId, nFlags, static_cast<uint32_t>(body.Size()), nSize}, file.chunks.size()});
        file.chunks.push_back({nId, nBody + body.Size() + 8, nSize, (nFlags & 0x10) != 0, ODT_UNKNOWN});
        const std::string strId(written.begin() + n, written.begin() + n + 4);
        body.Chunk(strId.c_str(),
                   std::vector<uint8_t>(written.begin() + n + 8, written.begin() + n + 8 + nSize));
        n += 8 + ((nSize + 1) & ~1u);
        if (nOpenRec != SIZE_MAX && nId == ODT_VIDEO) {
            body.End();
            QRVAviIndexEntry& rec = index[nOpenRec].first;
            rec.dwChunkLength = static_cast<uint32_t>(body.Size() - rec.dwChunkOffset - 8);
            nOpenRec = SIZE_MAX;
        }
        if (layout.nIxEvery != 0 && nId == ODT_VIDEO) {
            group.push_back(file.chunks.size() - 1);
            if (group.size() < layout.nIxEvery)
                continue;
            const uint64_t nBase = file.chunks[group[0]].nData;
            std::vector<std::pair<uint32_t, uint32_t>> entries;
            for (size_t c : group) {
                const OdtChunk& chunk = file.chunks[c];
                entries.push_back({static_cast<uint32_t>(chunk.nData - nBase),
                                   chunk.nSize | (chunk.bKey ? 0u : 0x80000000u)});
            }
            body.Chunk("ix00", OdtStdIndex(nBase, entries, static_cast<uint32_t>(entries.size())));
            for (size_t c : group)
                file.chunks[c].nKeyKnown = nBody + body.Size();
            group.clear();
        }
    }

    file.bytes.assign(written.begin(), written.begin() + nBody);
    file.bytes.insert(file.bytes.end(), body.Bytes().begin(), body.Bytes().end());
    OdtSet32(file.bytes, file.nMovi + 4, static_cast<uint32_t>(file.bytes.size() - file.nMovi - 8));
    file.nIdx1 = file.bytes.size();
    if (layout.eIdx1 != ODT_IDX1_NONE) {
        COdtRiff idx1;
        idx1.Id("idx1");
        idx1.Put32(static_cast<uint32_t>(16 * index.size()));
        file.bytes.insert(file.bytes.end(), idx1.Bytes().begin(), idx1.Bytes().end());
        for (size_t k = 0; k < index.size(); ++k) {
            QRVAviIndexEntry entry = index[k].first;
            entry.dwChunkOffset += layout.eIdx1 == ODT_IDX1_ABSOLUTE ? static_cast<uint32_t>(nBody) : 4u;
            AppendRecord(file.bytes, entry);
            if (index[k].second != SIZE_MAX) {
                uint64_t& nKnown = file.chunks[index[k].second].nKeyKnown;
                nKnown = std::min<uint64_t>(nKnown, file.nIdx1 + 8 + 16 * (k + 1));
            }
        }
    }
    OdtSet32(file.bytes, 4, static_cast<uint32_t>(file.bytes.size() - 8));
    return file;
}
