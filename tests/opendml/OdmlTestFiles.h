// Test movies for the OpenDML reader: written by the movie writer's OpenDML
// form into the temporary folder, or put together byte by byte for files no
// writer would make; both can be stretched past 1 GiB with a sparse tail.
#pragma once

#include "RiffBytes.h"
#include "TestFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

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

// Writes the movie; nLength > 0 stretches the file to that length (the
// tail is a gap of zeros, which the reader's walk stops at).
inline ::testing::AssertionResult OdtWriteMovie(const std::string& strPath, const OdtMovie& movie,
                                                const QRVOpenDmlOptions& options, uint64_t nLength = 0)
{
    QRVFileOutput file;
    if (!file.Open(strPath))
        return ::testing::AssertionFailure() << "cannot create " << strPath;
    QRVVideoStreamFormat video;
    video.nWidth = 64;
    video.nHeight = 48;
    video.nBitCount = 24;
    video.nRate = 30;
    video.nCompression = movie.nCompression;
    const QRVAudioStreamFormat audio = OdtAudioFormat();
    QRVOpenDmlWriter writer;
    if (!writer.Open(file, video, movie.bAudio ? &audio : nullptr, options))
        return ::testing::AssertionFailure() << writer.LastError();
    for (size_t i = 0; i < movie.frames.size(); ++i) {
        if (movie.bAudio && i < movie.sound.size() && !writer.WriteAudio(movie.sound[i]))
            return ::testing::AssertionFailure() << writer.LastError();
        if (!writer.WriteVideo(movie.frames[i], movie.keys[i]))
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
