#include "QRVAviWriter.h"

#include <algorithm>

#include "QRVOutput.h"
#include "QRVRiffBuild.h"
#include "QRVScreenFormat.h"
#include "QRVStreamChunks.h"

using namespace QRVLittleEndian;
using namespace QRVRiffBuild;

namespace {

constexpr uint32_t AVIW_PALETTE_ENTRIES = 256;

uint32_t Clamp32(uint64_t n)
{
    return n > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(n);
}

}  // namespace

bool QRVAviWriter::Fail(const char* pszMessage)
{
    m_strError = pszMessage;
    return false;
}

void QRVAviWriter::SetSizeLimit(uint64_t nLimit)
{
    m_nLimit = std::min(nLimit, AVIW_CLASSIC_LIMIT);
}

bool QRVAviWriter::Open(QRVOutput& output, const QRVVideoStreamFormat& video,
                        const QRVAudioStreamFormat* pAudio)
{
    if (m_bOpen)
        return Fail("writer already open");
    if (const char* pszProblem = QRVStreamChunks::CheckFormats(video, pAudio))
        return Fail(pszProblem);
    m_video = video;
    m_bAudio = pAudio != nullptr;
    m_audio = m_bAudio ? *pAudio : QRVAudioStreamFormat();
    m_pOutput = &output;
    m_index.clear();
    m_nVideoFrames = m_nAudioBlocks = 0;
    m_nMaxVideoChunk = m_nMaxAudioChunk = 0;
    m_bPaletteChanges = false;
    m_bFailed = false;
    m_nEnd = 0;
    m_nHeaderBytes = 0;
    m_nMoviList = 0;

    const std::vector<uint8_t> header = BuildHeader(false);
    m_nHeaderBytes = static_cast<uint32_t>(header.size());
    m_nMoviList = m_nHeaderBytes - 12;
    if (output.Tell() != 0 || !output.Write(header)) {
        m_pOutput = nullptr;
        return Fail("cannot write the file header");
    }
    m_nEnd = m_nHeaderBytes;
    m_bOpen = true;
    m_strError.clear();
    return true;
}

std::vector<uint8_t> QRVAviWriter::BuildHeader(bool bFinal) const
{
    const uint64_t nFileEnd = m_nEnd + 8u + AVR_INDEX_ENTRY_BYTES * static_cast<uint64_t>(m_index.size());
    std::vector<uint8_t> out;

    const size_t nRiff = BeginList(out, "RIFF", "AVI ");
    const size_t nHdrl = BeginList(out, "LIST", "hdrl");

    QRVAviMainHeader main;
    main.dwMicroSecPerFrame = Clamp32((1000000ull * m_video.nScale + m_video.nRate / 2) / m_video.nRate);
    uint64_t nBytesPerSec =
        (static_cast<uint64_t>(m_nMaxVideoChunk) * m_video.nRate + m_video.nScale - 1) / m_video.nScale;
    if (m_bAudio)
        nBytesPerSec += static_cast<uint64_t>(m_audio.nSamplesPerSec) * m_audio.BlockAlign();
    main.dwMaxBytesPerSec = Clamp32(nBytesPerSec);
    main.dwFlags = AVR_MAIN_HASINDEX | (m_bAudio ? AVR_MAIN_ISINTERLEAVED : 0u);
    main.dwTotalFrames = m_nVideoFrames;
    main.dwStreams = m_bAudio ? 2u : 1u;
    main.dwSuggestedBufferSize = std::max(m_nMaxVideoChunk, m_nMaxAudioChunk);
    main.dwWidth = static_cast<uint32_t>(m_video.nWidth);
    main.dwHeight = static_cast<uint32_t>(m_video.nHeight);
    size_t nChunk = BeginChunk(out, "avih");
    AppendRecord(out, main);
    EndChunk(out, nChunk);

    // Video stream 0.
    size_t nStrl = BeginList(out, "LIST", "strl");
    QRVStreamChunks::AppendVideo(out, m_video, m_nVideoFrames, m_nMaxVideoChunk,
                                 m_bPaletteChanges ? AVR_STREAM_PALCHANGES : 0u);
    EndChunk(out, nStrl);

    if (m_bAudio) {
        nStrl = BeginList(out, "LIST", "strl");
        QRVStreamChunks::AppendAudio(out, m_audio, m_nAudioBlocks, m_nMaxAudioChunk);
        EndChunk(out, nStrl);
    }
    EndChunk(out, nHdrl);

    // The "movi" list header closes the block; the list and RIFF sizes are
    // final at Close and cover only the header block before.
    BeginList(out, "LIST", "movi");
    const uint64_t nMoviSize = bFinal ? m_nEnd - (m_nMoviList + 8) : 4u;
    Patch32(out, out.size() - 8, static_cast<uint32_t>(nMoviSize));
    Patch32(out, nRiff, static_cast<uint32_t>(bFinal ? nFileEnd - 8 : out.size() - 8));
    return out;
}

bool QRVAviWriter::WriteChunk(const char* pszId, const uint8_t* pData, uint32_t nSize, uint32_t nFlags)
{
    if (!m_bOpen || m_bFailed)
        return Fail("writer not open");
    // Chunk with padding, plus the index that Close writes after it.
    const uint64_t nChunkEnd = m_nEnd + 8u + nSize + (nSize & 1u);
    const uint64_t nIndexBytes = 8u + AVR_INDEX_ENTRY_BYTES * (static_cast<uint64_t>(m_index.size()) + 1u);
    if (nSize > m_nLimit || nChunkEnd + nIndexBytes > m_nLimit)
        return Fail("movie would exceed the classic AVI size limit (1 GiB)");
    if (nSize > 0 && pData == nullptr)
        return Fail("no chunk data");

    std::vector<uint8_t> head;
    PutFourCC(head, pszId);
    Put32(head, nSize);
    static const uint8_t s_pad = 0;
    if (!m_pOutput->Seek(m_nEnd) || !m_pOutput->Write(head) || !m_pOutput->Write(pData, nSize) ||
        ((nSize & 1u) != 0 && !m_pOutput->Write(&s_pad, 1))) {
        m_bFailed = true;
        return Fail("cannot write movie data");
    }
    QRVAviIndexEntry entry;
    entry.ckid = FourCC(pszId);
    entry.dwFlags = nFlags;
    entry.dwChunkOffset = static_cast<uint32_t>(m_nEnd - (m_nMoviList + 8));
    entry.dwChunkLength = nSize;
    m_index.push_back(entry);
    m_nEnd = nChunkEnd;
    return true;
}

bool QRVAviWriter::WriteVideo(const uint8_t* pData, uint32_t nSize, bool bKey)
{
    if (m_nVideoFrames == UINT32_MAX)
        return Fail("too many frames");
    if (!WriteChunk("00dc", pData, nSize, bKey ? AVR_INDEX_KEYFRAME : 0u))
        return false;
    ++m_nVideoFrames;
    m_nMaxVideoChunk = std::max(m_nMaxVideoChunk, nSize);
    return true;
}

bool QRVAviWriter::WriteVideo(const std::vector<uint8_t>& data, bool bKey)
{
    if (data.size() > UINT32_MAX)
        return Fail("chunk too large");
    return WriteVideo(data.data(), static_cast<uint32_t>(data.size()), bKey);
}

bool QRVAviWriter::WriteAudio(const uint8_t* pData, uint32_t nSize)
{
    if (!m_bAudio)
        return Fail("movie has no sound stream");
    const uint32_t nBlock = m_audio.BlockAlign();
    if (nSize % nBlock != 0)
        return Fail("sound data must be whole sample blocks");
    if (nSize / nBlock > UINT32_MAX - m_nAudioBlocks)
        return Fail("too much sound");
    if (!WriteChunk("01wb", pData, nSize, AVR_INDEX_KEYFRAME))
        return false;
    m_nAudioBlocks += nSize / nBlock;
    m_nMaxAudioChunk = std::max(m_nMaxAudioChunk, nSize);
    return true;
}

bool QRVAviWriter::WriteAudio(const std::vector<uint8_t>& data)
{
    if (data.size() > UINT32_MAX)
        return Fail("chunk too large");
    return WriteAudio(data.data(), static_cast<uint32_t>(data.size()));
}

bool QRVAviWriter::WritePaletteChange(uint32_t nFirst, const std::vector<uint32_t>& entries)
{
    if (m_video.nBitCount != 8)
        return Fail("palette changes need an 8-bit stream");
    if (entries.empty() || nFirst >= AVIW_PALETTE_ENTRIES || entries.size() > AVIW_PALETTE_ENTRIES - nFirst)
        return Fail("palette change outside the colour table");
    // AVIPALCHANGE: first entry, count (0 = 256), flags, then PALETTEENTRY
    // values (red, green, blue, flags).
    std::vector<uint8_t> body;
    Put8(body, nFirst);
    Put8(body, entries.size() == AVIW_PALETTE_ENTRIES ? 0u : static_cast<uint32_t>(entries.size()));
    Put16(body, 0);
    for (uint32_t nQuad : entries) {
        Put8(body, nQuad >> 16);
        Put8(body, nQuad >> 8);
        Put8(body, nQuad);
        Put8(body, 0);
    }
    if (!WriteChunk("00pc", body.data(), static_cast<uint32_t>(body.size()), AVR_INDEX_NO_TIME))
        return false;
    m_bPaletteChanges = true;
    return true;
}

bool QRVAviWriter::Close()
{
    if (!m_bOpen)
        return Fail("writer not open");
    m_bOpen = false;
    if (m_bFailed)
        return Fail("movie data incomplete");
    std::vector<uint8_t> index;
    PutFourCC(index, "idx1");
    Put32(index, static_cast<uint32_t>(AVR_INDEX_ENTRY_BYTES * m_index.size()));
    for (const QRVAviIndexEntry& entry : m_index)
        AppendRecord(index, entry);

    const std::vector<uint8_t> header = BuildHeader(true);
    if (header.size() != m_nHeaderBytes)
        return Fail("header size changed");
    const uint64_t nFileEnd = m_nEnd + index.size();
    if (!m_pOutput->Seek(m_nEnd) || !m_pOutput->Write(index) || !m_pOutput->Seek(0) ||
        !m_pOutput->Write(header) || !m_pOutput->Seek(nFileEnd)) {
        m_bFailed = true;
        return Fail("cannot write the index or the headers");
    }
    m_pOutput = nullptr;
    return true;
}
