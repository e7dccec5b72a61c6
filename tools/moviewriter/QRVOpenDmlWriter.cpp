#include "QRVOpenDmlWriter.h"

#include <algorithm>

#include "QRVOutput.h"
#include "QRVRiffBuild.h"
#include "QRVScreenFormat.h"
#include "QRVStreamChunks.h"

using namespace QRVLittleEndian;
using namespace QRVRiffBuild;

namespace {

constexpr uint32_t ODMW_NOT_KEY_FRAME = 0x80000000;
constexpr uint32_t ODMW_INDEX_HEAD_BYTES = 32;  // standard index head, chunk header included
constexpr uint32_t ODMW_SUPER_ENTRY_BYTES = 16;
constexpr uint32_t ODMW_STD_ENTRY_BYTES = 8;
constexpr uint32_t ODMW_DMLH_BYTES = 248;
constexpr uint8_t ODMW_INDEX_OF_CHUNKS = 0x01;

const char* const s_chunkIds[2] = {"00dc", "01wb"};
constexpr int ODMW_FILLER = -1;  // stream number of filler chunks
const char* const s_indexIds[2] = {"ix00", "ix01"};

uint32_t Clamp32(uint64_t n)
{
    return n > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(n);
}

void Put64(std::vector<uint8_t>& out, uint64_t n)
{
    Put32(out, static_cast<uint32_t>(n));
    Put32(out, static_cast<uint32_t>(n >> 32));
}

}  // namespace

bool QRVOpenDmlWriter::Fail(const char* pszMessage)
{
    m_strError = pszMessage;
    return false;
}

bool QRVOpenDmlWriter::Open(QRVOutput& output, const QRVVideoStreamFormat& video,
                            const QRVAudioStreamFormat* pAudio, const QRVOpenDmlOptions& options)
{
    if (m_bOpen)
        return Fail("writer already open");
    if (const char* pszProblem = QRVStreamChunks::CheckFormats(video, pAudio))
        return Fail(pszProblem);
    if (options.nSuperIndexSlots > 0x00FFFFFF)
        return Fail("too many super-index slots");
    if (options.nRiffLimit < 4096)
        return Fail("RIFF chunk limit too small");

    m_video = video;
    m_bAudio = pAudio != nullptr;
    m_audio = m_bAudio ? *pAudio : QRVAudioStreamFormat();
    m_options = options;
    m_options.nRiffLimit = std::min(options.nRiffLimit, ODMW_RIFF_MAX);
    m_pOutput = &output;
    for (StreamState& s : m_streams)
        s = StreamState();
    m_legacy.clear();
    m_nVideoFrames = m_nAudioBlocks = m_nMaxVideoChunk = m_nMaxAudioChunk = 0;
    m_nRiffs = 1;
    m_nFirstRiffSize = 0;
    m_nFirstMoviSize = 4;
    m_nFirstRiffFrames = 0;
    m_bFailed = false;

    const std::vector<uint8_t> header = BuildHeader();
    m_nHeaderBytes = header.size();
    m_nRiffStart = 0;
    m_nMoviStart = m_nHeaderBytes - 12;
    if (output.Tell() != 0 || !output.Write(header)) {
        m_pOutput = nullptr;
        return Fail("cannot write the file header");
    }
    m_nEnd = m_nStored = m_nHeaderBytes;
    m_bOpen = true;
    m_strError.clear();
    return true;
}

std::vector<uint8_t> QRVOpenDmlWriter::BuildHeader() const
{
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
    main.dwFlags =
        (m_options.bLegacyIndex ? AVR_MAIN_HASINDEX : 0u) | (m_bAudio ? AVR_MAIN_ISINTERLEAVED : 0u);
    // The legacy header counts the frames of the first RIFF chunk only.
    main.dwTotalFrames = m_nFirstRiffFrames;
    main.dwStreams =
        m_options.nStreamCount >= 0 ? static_cast<uint32_t>(m_options.nStreamCount) : (m_bAudio ? 2u : 1u);
    main.dwSuggestedBufferSize = std::max(m_nMaxVideoChunk, m_nMaxAudioChunk);
    main.dwWidth = static_cast<uint32_t>(m_video.nWidth);
    main.dwHeight = static_cast<uint32_t>(m_video.nHeight);
    size_t nChunk = BeginChunk(out, "avih");
    AppendRecord(out, main);
    EndChunk(out, nChunk);

    if (m_options.nOddJunk != 0) {
        nChunk = BeginChunk(out, "JUNK");
        out.resize(out.size() + (m_options.nOddJunk | 1u), 0);
        EndChunk(out, nChunk);
    }

    auto superIndex = [&](int nStream) {
        if (!m_options.bSuperIndex)
            return;
        const std::vector<SuperEntry>& entries = m_streams[nStream].super;
        const size_t nIndx = BeginChunk(out, "indx");
        Put16(out, m_options.nLongsPerEntry);
        Put8(out, m_options.nIndexSubType);
        Put8(out, m_options.nIndexType);
        Put32(out, static_cast<uint32_t>(entries.size()));
        PutFourCC(out, s_chunkIds[nStream]);
        for (int i = 0; i < 3; ++i)
            Put32(out, 0);
        for (uint32_t i = 0; i < m_options.nSuperIndexSlots; ++i) {
            const SuperEntry e = i < entries.size() ? entries[i] : SuperEntry{0, 0, 0};
            Put64(out, e.nOffset);
            Put32(out, e.nSize);
            Put32(out, e.nDuration);
        }
        EndChunk(out, nIndx);
    };

    size_t nStrl = BeginList(out, "LIST", "strl");
    QRVStreamChunks::AppendVideo(out, m_video, m_nVideoFrames, m_nMaxVideoChunk, 0u);
    superIndex(0);
    EndChunk(out, nStrl);

    if (m_bAudio) {
        nStrl = BeginList(out, "LIST", "strl");
        QRVStreamChunks::AppendAudio(out, m_audio, m_nAudioBlocks, m_nMaxAudioChunk);
        superIndex(1);
        EndChunk(out, nStrl);
    }

    const size_t nOdml = BeginList(out, "LIST", "odml");
    nChunk = BeginChunk(out, "dmlh");
    Put32(out, m_nVideoFrames);
    out.resize(out.size() + ODMW_DMLH_BYTES - 4, 0);
    EndChunk(out, nChunk);
    EndChunk(out, nOdml);
    EndChunk(out, nHdrl);

    // The "movi" list header closes the block; both sizes are final once
    // the first RIFF chunk is closed.
    BeginList(out, "LIST", "movi");
    Patch32(out, out.size() - 8, m_nFirstMoviSize);
    Patch32(out, nRiff, m_nFirstRiffSize != 0 ? m_nFirstRiffSize : static_cast<uint32_t>(out.size() - 8));
    return out;
}

uint64_t QRVOpenDmlWriter::ClosingBytes(uint64_t nExtraLegacy) const
{
    // Room for the standard indexes of every stream with one more entry,
    // and for the legacy index when this is the first RIFF chunk.
    uint64_t nBytes = 0;
    for (const StreamState& s : m_streams) {
        const uint64_t n = s.pending.size() + 1;
        const uint64_t nGroups = m_options.nStdIndexEntries
                                     ? (n + m_options.nStdIndexEntries - 1) / m_options.nStdIndexEntries
                                     : 1;
        nBytes += nGroups * ODMW_INDEX_HEAD_BYTES + n * ODMW_STD_ENTRY_BYTES + 2;
    }
    if (m_nRiffs == 1 && m_options.bLegacyIndex)
        nBytes += 8 + AVR_INDEX_ENTRY_BYTES * (m_legacy.size() + nExtraLegacy);
    return nBytes;
}

bool QRVOpenDmlWriter::WriteAt(uint64_t nPos, const std::vector<uint8_t>& bytes)
{
    if (!m_pOutput->Seek(nPos) || !m_pOutput->Write(bytes)) {
        m_bFailed = true;
        return false;
    }
    m_nStored = std::max<uint64_t>(m_nStored, nPos + bytes.size());
    return true;
}

bool QRVOpenDmlWriter::WriteChunk(int nStream, const uint8_t* pHead, uint32_t nHead, uint32_t nSize,
                                  bool bKey)
{
    if (!m_bOpen || m_bFailed)
        return Fail("writer not open");
    if (nHead > nSize || (nHead > 0 && pHead == nullptr))
        return Fail("bad chunk data");
    if (nSize > 0x7FFFFFFF)
        return Fail("chunk too large");
    const uint64_t nChunk = 8u + nSize + (nSize & 1u);
    auto fits = [&] { return m_nEnd + nChunk + ClosingBytes(1) - m_nRiffStart <= m_options.nRiffLimit; };
    if (!fits()) {
        // Nothing written into this RIFF chunk yet: the chunk can never fit.
        if (m_nEnd == m_nMoviStart + 12)
            return Fail("chunk does not fit into a RIFF chunk");
        if (!CloseRiff() || !StartRiff()) {
            m_bFailed = true;  // the file is left half-closed
            return false;
        }
        if (!fits())
            return Fail("chunk does not fit into a RIFF chunk");
    }
    std::vector<uint8_t> head;
    PutFourCC(head, nStream == ODMW_FILLER ? "JUNK" : s_chunkIds[nStream]);
    Put32(head, nSize);
    head.insert(head.end(), pHead, pHead + nHead);
    if (!WriteAt(m_nEnd, head))
        return Fail("cannot write movie data");
    if (nStream == ODMW_FILLER) {
        m_nEnd += nChunk;
        return true;
    }
    m_streams[nStream].pending.push_back({m_nEnd + 8, nSize | (bKey ? 0u : ODMW_NOT_KEY_FRAME)});
    if (m_nRiffs == 1 && m_options.bLegacyIndex) {
        QRVAviIndexEntry entry;
        entry.ckid = FourCC(s_chunkIds[nStream]);
        entry.dwFlags = bKey ? AVR_INDEX_KEYFRAME : 0u;
        entry.dwChunkOffset = static_cast<uint32_t>(m_nEnd - (m_nMoviStart + 8));
        entry.dwChunkLength = nSize;
        m_legacy.push_back(entry);
    }
    if (nStream == 0 && m_nRiffs == 1)
        ++m_nFirstRiffFrames;
    m_nEnd += nChunk;
    return true;
}

bool QRVOpenDmlWriter::CloseRiff()
{
    for (int s = 0; s < 2; ++s) {
        StreamState& stream = m_streams[s];
        const size_t nPer = m_options.nStdIndexEntries ? m_options.nStdIndexEntries : stream.pending.size();
        for (size_t nFirst = 0; nFirst < stream.pending.size(); nFirst += nPer) {
            const size_t n = std::min(nPer, stream.pending.size() - nFirst);
            if (m_options.bSuperIndex && stream.super.size() >= m_options.nSuperIndexSlots)
                return Fail("super index full: raise the slot count");
            const uint64_t nBase = stream.pending[nFirst].nOffset;
            std::vector<uint8_t> ix;
            const size_t nIx = BeginChunk(ix, s_indexIds[s]);
            Put16(ix, 2);
            Put8(ix, 0);
            Put8(ix, ODMW_INDEX_OF_CHUNKS);
            Put32(ix, static_cast<uint32_t>(n));
            PutFourCC(ix, s_chunkIds[s]);
            Put64(ix, nBase);
            Put32(ix, 0);
            uint64_t nDuration = 0;
            for (size_t k = nFirst; k < nFirst + n; ++k) {
                Put32(ix, static_cast<uint32_t>(stream.pending[k].nOffset - nBase));
                Put32(ix, stream.pending[k].nSize);
                nDuration +=
                    s == 0 ? 1u : (stream.pending[k].nSize & ~ODMW_NOT_KEY_FRAME) / m_audio.BlockAlign();
            }
            EndChunk(ix, nIx);
            if (!WriteAt(m_nEnd, ix))
                return Fail("cannot write a standard index");
            stream.super.push_back({m_nEnd, static_cast<uint32_t>(ix.size()), Clamp32(nDuration)});
            m_nEnd += ix.size();
        }
        stream.pending.clear();
    }
    const uint32_t nMoviSize = static_cast<uint32_t>(m_nEnd - (m_nMoviStart + 8));
    if (m_nRiffs == 1) {
        m_nFirstMoviSize = nMoviSize;
        if (m_options.bLegacyIndex) {
            std::vector<uint8_t> idx1;
            PutFourCC(idx1, "idx1");
            Put32(idx1, static_cast<uint32_t>(AVR_INDEX_ENTRY_BYTES * m_legacy.size()));
            for (const QRVAviIndexEntry& entry : m_legacy)
                AppendRecord(idx1, entry);
            if (!WriteAt(m_nEnd, idx1))
                return Fail("cannot write the legacy index");
            m_nEnd += idx1.size();
        }
        m_nFirstRiffSize = static_cast<uint32_t>(m_nEnd - m_nRiffStart - 8);
    } else {
        std::vector<uint8_t> size;
        Put32(size, static_cast<uint32_t>(m_nEnd - m_nRiffStart - 8));
        std::vector<uint8_t> movi;
        Put32(movi, nMoviSize);
        if (!WriteAt(m_nRiffStart + 4, size) || !WriteAt(m_nMoviStart + 4, movi))
            return Fail("cannot write a RIFF size");
    }
    return true;
}

bool QRVOpenDmlWriter::StartRiff()
{
    std::vector<uint8_t> head;
    BeginList(head, "RIFF", "AVIX");
    BeginList(head, "LIST", "movi");
    Patch32(head, 4, 16);
    Patch32(head, 16, 4);
    if (!WriteAt(m_nEnd, head))
        return Fail("cannot start a RIFF chunk");
    m_nRiffStart = m_nEnd;
    m_nMoviStart = m_nEnd + 12;
    m_nEnd += head.size();
    ++m_nRiffs;
    return true;
}

bool QRVOpenDmlWriter::WriteVideo(const uint8_t* pData, uint32_t nSize, bool bKey)
{
    return WriteVideoSparse(pData, nSize, nSize, bKey);
}

bool QRVOpenDmlWriter::WriteVideo(const std::vector<uint8_t>& data, bool bKey)
{
    if (data.size() > UINT32_MAX)
        return Fail("chunk too large");
    return WriteVideo(data.data(), static_cast<uint32_t>(data.size()), bKey);
}

bool QRVOpenDmlWriter::WriteVideoSparse(const uint8_t* pHead, uint32_t nHead, uint32_t nSize, bool bKey)
{
    if (m_nVideoFrames == UINT32_MAX)
        return Fail("too many frames");
    if (!WriteChunk(0, pHead, nHead, nSize, bKey))
        return false;
    ++m_nVideoFrames;
    m_nMaxVideoChunk = std::max(m_nMaxVideoChunk, nSize);
    return true;
}

bool QRVOpenDmlWriter::WriteAudio(const uint8_t* pData, uint32_t nSize)
{
    return WriteAudioSparse(pData, nSize, nSize);
}

bool QRVOpenDmlWriter::WriteAudio(const std::vector<uint8_t>& data)
{
    if (data.size() > UINT32_MAX)
        return Fail("chunk too large");
    return WriteAudio(data.data(), static_cast<uint32_t>(data.size()));
}

bool QRVOpenDmlWriter::WriteAudioSparse(const uint8_t* pHead, uint32_t nHead, uint32_t nSize)
{
    if (!m_bAudio)
        return Fail("movie has no sound stream");
    const uint32_t nBlock = m_audio.BlockAlign();
    if (nSize % nBlock != 0)
        return Fail("sound data must be whole sample blocks");
    if (nSize / nBlock > UINT32_MAX - m_nAudioBlocks)
        return Fail("too much sound");
    if (!WriteChunk(1, pHead, nHead, nSize, true))
        return false;
    m_nAudioBlocks += nSize / nBlock;
    m_nMaxAudioChunk = std::max(m_nMaxAudioChunk, nSize);
    return true;
}

bool QRVOpenDmlWriter::WriteFillerSparse(uint32_t nSize)
{
    return WriteChunk(ODMW_FILLER, nullptr, 0, nSize, true);
}

bool QRVOpenDmlWriter::Close()
{
    if (!m_bOpen)
        return Fail("writer not open");
    m_bOpen = false;
    if (m_bFailed)
        return Fail("movie data incomplete");
    if (!CloseRiff())
        return false;
    const std::vector<uint8_t> header = BuildHeader();
    if (header.size() != m_nHeaderBytes)
        return Fail("header size changed");
    if (!WriteAt(0, header))
        return Fail("cannot write the headers");
    // A movie ending in a gap still needs its full length.
    if (m_nStored < m_nEnd && !WriteAt(m_nEnd - 1, std::vector<uint8_t>(1, 0)))
        return Fail("cannot write the end of the movie");
    if (!m_pOutput->Seek(m_nEnd))
        return Fail("cannot write the headers");
    m_pOutput = nullptr;
    return true;
}
