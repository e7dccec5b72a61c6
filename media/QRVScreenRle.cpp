#include "QRVScreenRle.h"

#include <cstring>

namespace {

constexpr uint8_t RLD_CODE_END_OF_LINE = 0;
constexpr uint8_t RLD_CODE_END_OF_PICTURE = 1;
constexpr uint8_t RLD_CODE_DELTA = 2;

inline void Store64(uint8_t* p, uint64_t n)
{
    std::memcpy(p, &n, 8);
}

inline void Store32(uint8_t* p, uint32_t n)
{
    std::memcpy(p, &n, 4);
}

inline void Store16(uint8_t* p, uint16_t n)
{
    std::memcpy(p, &n, 2);
}

// 16 bytes of pixel pattern; copied as one unit (one vector store where the
// target has them).
struct Pattern16 {
    uint8_t a[16];
};

inline void Store128(uint8_t* p, const Pattern16& pattern)
{
    std::memcpy(p, pattern.a, 16);
}

inline Pattern16 Load128(const uint8_t* p)
{
    Pattern16 pattern;
    std::memcpy(pattern.a, p, 16);
    return pattern;
}

// Fills nBytes with a pattern whose period (the pixel size 1, 2 or 4)
// divides 8 and 16: whole 16-byte units and one last unit that ends exactly
// at the end, or for short fills two overlapping 8-, 4- or 2-byte stores.
// Overlapping bytes receive the same values because every store starts at a
// multiple of the pixel size.
inline void FillPeriodic(uint8_t* p, uint32_t nBytes, uint64_t nPattern)
{
    if (nBytes >= 16) {
        Pattern16 pattern;
        std::memcpy(pattern.a, &nPattern, 8);
        std::memcpy(pattern.a + 8, &nPattern, 8);
        uint32_t nOff = 0;
        for (; nOff + 16 <= nBytes; nOff += 16)
            Store128(p + nOff, pattern);
        if (nOff < nBytes)
            Store128(p + nBytes - 16, pattern);
    } else if (nBytes >= 8) {
        Store64(p, nPattern);
        Store64(p + nBytes - 8, nPattern);
    } else if (nBytes >= 4) {
        Store32(p, static_cast<uint32_t>(nPattern));
        Store32(p + nBytes - 4, static_cast<uint32_t>(nPattern));
    } else if (nBytes >= 2) {
        Store16(p, static_cast<uint16_t>(nPattern));
        Store16(p + nBytes - 2, static_cast<uint16_t>(nPattern));
    } else if (nBytes == 1) {
        *p = static_cast<uint8_t>(nPattern);
    }
}

// Writes the pixel at pValue nCount times (1..255).
template <uint32_t BPP> inline void FillRun(uint8_t* p, const uint8_t* pValue, uint32_t nCount);

template <> inline void FillRun<1>(uint8_t* p, const uint8_t* pValue, uint32_t nCount)
{
    FillPeriodic(p, nCount, *pValue * 0x0101010101010101ull);
}

template <> inline void FillRun<2>(uint8_t* p, const uint8_t* pValue, uint32_t nCount)
{
    uint16_t nPixel;
    std::memcpy(&nPixel, pValue, 2);
    FillPeriodic(p, nCount * 2, nPixel * 0x0001000100010001ull);
}

template <> inline void FillRun<4>(uint8_t* p, const uint8_t* pValue, uint32_t nCount)
{
    uint32_t nPixel;
    std::memcpy(&nPixel, pValue, 4);
    FillPeriodic(p, nCount * 4, nPixel * 0x0000000100000001ull);
}

// 24 bits: the pattern repeats every 3 bytes, so a store at offset o uses the
// pattern from phase o % 3 on. The phase words are built in registers.
inline uint64_t Phase24(uint32_t b0, uint32_t b1, uint32_t b2)
{
    const uint64_t v = b0 | b1 << 8 | b2 << 16;
    return v | v << 24 | v << 48;  // 8 bytes: b0 b1 b2 b0 b1 b2 b0 b1
}

inline Pattern16 Pair(uint64_t nLow, uint64_t nHigh)
{
    Pattern16 pattern;
    std::memcpy(pattern.a, &nLow, 8);
    std::memcpy(pattern.a + 8, &nHigh, 8);
    return pattern;
}

template <> inline void FillRun<3>(uint8_t* p, const uint8_t* pValue, uint32_t nCount)
{
    if (nCount <= 2) {
        std::memcpy(p, pValue, 3);
        if (nCount == 2)
            std::memcpy(p + 3, pValue, 3);
        return;
    }
    const uint32_t b0 = pValue[0], b1 = pValue[1], b2 = pValue[2];
    const uint64_t w0 = Phase24(b0, b1, b2), w1 = Phase24(b1, b2, b0), w2 = Phase24(b2, b0, b1);
    const uint32_t nBytes = nCount * 3;  // 9 or more
    if (nBytes < 16) {
        // nBytes - 8 has phase 1: nBytes is a multiple of 3.
        Store64(p, w0);
        Store64(p + nBytes - 8, w1);
        return;
    }
    // 16 bytes from phase k: 8 from phase k, 8 from phase (k + 8) % 3.
    const Pattern16 aWord[3] = {Pair(w0, w2), Pair(w1, w0), Pair(w2, w1)};
    uint32_t nOff = 0;
    for (; nOff + 48 <= nBytes; nOff += 48) {
        Store128(p + nOff, aWord[0]);       // phase 0
        Store128(p + nOff + 16, aWord[1]);  // phase 16 % 3 = 1
        Store128(p + nOff + 32, aWord[2]);  // phase 32 % 3 = 2
    }
    for (int k = 0; nOff + 16 <= nBytes; nOff += 16, ++k)
        Store128(p + nOff, aWord[k]);
    // The last unit ends at nBytes; its offset nBytes - 16 has phase 2.
    if (nOff < nBytes)
        Store128(p + nBytes - 16, aWord[2]);
}

// The first 16 bytes of a run (the pixel at pValue repeated), and the last
// 16 when the run has at least 16 bytes: for 1, 2 and 4 bytes per pixel the
// same pattern, for 3 the one that starts at offset (3 n - 16) % 3 = 2.
template <uint32_t BPP> inline void RunEnds(const uint8_t* pValue, Pattern16& head, Pattern16& tail)
{
    uint64_t nWord = 0;
    if (BPP == 1) {
        nWord = *pValue * 0x0101010101010101ull;
    } else if (BPP == 2) {
        uint16_t nPixel;
        std::memcpy(&nPixel, pValue, 2);
        nWord = nPixel * 0x0001000100010001ull;
    } else {
        uint32_t nPixel;
        std::memcpy(&nPixel, pValue, 4);
        nWord = nPixel * 0x0000000100000001ull;
    }
    head = Pair(nWord, nWord);
    tail = head;
}

template <> inline void RunEnds<3>(const uint8_t* pValue, Pattern16& head, Pattern16& tail)
{
    const uint32_t b0 = pValue[0], b1 = pValue[1], b2 = pValue[2];
    const uint64_t w0 = Phase24(b0, b1, b2), w1 = Phase24(b1, b2, b0), w2 = Phase24(b2, b0, b1);
    head = Pair(w0, w2);
    tail = Pair(w2, w1);
}

// Runs of more than 32 bytes: 32 bytes per step, the last step ending
// exactly at the end (overlapping the one before, with the same bytes).
template <uint32_t BPP> inline void FillLongRun(uint8_t* p, const uint8_t* pValue, uint32_t nCount)
{
    Pattern16 head, tail;
    RunEnds<BPP>(pValue, head, tail);
    const uint32_t nBytes = nCount * BPP;
    for (uint32_t nOff = 0; nOff + 32 < nBytes; nOff += 32) {
        Store128(p + nOff, head);
        Store128(p + nOff + 16, head);
    }
    Store128(p + nBytes - 32, head);
    Store128(p + nBytes - 16, head);
}

// 3 bytes per pixel: each 16-byte store needs the pattern of its offset's
// phase, which FillRun takes in turn.
template <> inline void FillLongRun<3>(uint8_t* p, const uint8_t* pValue, uint32_t nCount)
{
    FillRun<3>(p, pValue, nCount);
}

// Copies more than 32 bytes, 32 bytes per step, likewise.
inline void CopyLong(uint8_t* p, const uint8_t* q, uint32_t nBytes)
{
    for (uint32_t nOff = 0; nOff + 32 < nBytes; nOff += 32) {
        Store128(p + nOff, Load128(q + nOff));
        Store128(p + nOff + 16, Load128(q + nOff + 16));
    }
    Store128(p + nBytes - 32, Load128(q + nBytes - 32));
    Store128(p + nBytes - 16, Load128(q + nBytes - 16));
}

// The moves. End of line: to the start of the row below the one the
// counter's pixels were written in. Delta (the record at pRecord): dx pixels
// right and dy rows up.
template <uint32_t BPP> inline void EndOfLine(uint64_t& nPos, uint16_t& nCounter, uint32_t nStride)
{
    nPos = nPos - static_cast<uint64_t>(nCounter) * BPP + nStride;
    nCounter = 0;
}

template <uint32_t BPP>
inline void Delta(uint64_t& nPos, uint16_t& nCounter, uint32_t nStride, const uint8_t* pRecord)
{
    const uint32_t nDx = pRecord[2];
    const uint32_t nDy = pRecord[3];
    nPos += static_cast<uint64_t>(nDx) * BPP + static_cast<uint64_t>(nDy) * nStride;
    nCounter = static_cast<uint16_t>(nCounter + nDx);
}

// Decoding state handed from the fast loop to the exact one.
struct RleState {
    size_t i = 0;       // stream offset of the next record
    uint64_t nPos = 0;  // write offset
    uint16_t nCounter = 0;
};

// The fast loop decodes row segments: the records between two moves (end of
// line, delta). Runs and literal runs of at most 32 bytes take two 16-byte
// stores, the first at the start and the second ending at the end; under 16
// bytes both are the same store at the start, which also writes up to 15
// bytes after the record. The next record overwrites those bytes again, so
// only the ones after a segment's last record are wrong, and they get their
// old values back when the segment ends. Every record stores at least 16
// bytes from its start, so before each record the 16 bytes after the
// previous record's stores still hold their old values: they are saved, by
// offset in the segment, in a side buffer. Longer records are written
// exactly.
// The loop keeps away from both ends of the buffers (the longest record and
// a margin in the stream and in the picture) and cuts long segments; the
// exact loop decodes what it leaves. True when it decoded the end of picture.
constexpr uint32_t RLD_SEGMENT_BYTES = 4096;

template <uint32_t BPP> struct FastMargins {
    static constexpr uint32_t RECORD_BYTES = 255 * BPP;          // pixel bytes of the longest record
    static constexpr size_t SRC_MARGIN = 3 + RECORD_BYTES + 16;  // head, pixels, padding, 16-byte loads
    static constexpr uint64_t DST_MARGIN = RECORD_BYTES + 32;
};

template <uint32_t BPP>
bool DecodeFast(const uint8_t* pSrc, size_t nSrc, uint8_t* pDst, size_t nDst, uint32_t nStride,
                RleState& state)
{
    constexpr uint32_t RECORD_BYTES = FastMargins<BPP>::RECORD_BYTES;
    constexpr size_t SRC_MARGIN = FastMargins<BPP>::SRC_MARGIN;
    constexpr uint64_t DST_MARGIN = FastMargins<BPP>::DST_MARGIN;
    uint8_t aSaved[RLD_SEGMENT_BYTES + RECORD_BYTES + 16];
    size_t i = state.i;
    uint64_t nPos = state.nPos;
    uint16_t nCounter = state.nCounter;
    bool bEnd = false;
    while (nPos <= nDst && nDst - nPos >= DST_MARGIN && nSrc - i >= SRC_MARGIN) {
        uint8_t* const pBase = pDst + nPos;
        const size_t nLastRecord = nSrc - SRC_MARGIN;  // the last stream offset a record may start at
        const uint64_t nRoom = nDst - nPos - DST_MARGIN;
        const uint32_t nLastRel =
            nRoom < RLD_SEGMENT_BYTES ? static_cast<uint32_t>(nRoom) : RLD_SEGMENT_BYTES;
        uint32_t nRel = 0;     // offset of the next record in the segment
        uint32_t nStored = 0;  // end of the segment's stores
        bool bMove = false;
        while (i <= nLastRecord && nRel <= nLastRel) {
            Store128(aSaved + nStored, Load128(pBase + nStored));
            uint8_t* const p = pBase + nRel;
            const uint32_t nCount = pSrc[i];
            if (nCount != 0) {
                const uint32_t nBytes = nCount * BPP;
                if (nBytes <= 32) {
                    Pattern16 head, tail;
                    RunEnds<BPP>(pSrc + i + 1, head, tail);
                    const uint32_t nSpan = nBytes > 16 ? nBytes : 16;
                    Store128(p, head);
                    Store128(p + nSpan - 16, nBytes >= 16 ? tail : head);
                    nStored = nRel + nSpan;
                } else {
                    FillLongRun<BPP>(p, pSrc + i + 1, nCount);
                    nStored = nRel + nBytes;
                }
                nRel += nBytes;
                i += 1 + BPP;
                continue;
            }
            const uint32_t nCode = pSrc[i + 1];
            if (nCode <= RLD_CODE_DELTA) {
                bMove = true;  // or the end of picture
                break;
            }
            const uint32_t nBytes = nCode * BPP;
            const uint8_t* const q = pSrc + i + 2;
            const uint32_t nSpan = nBytes > 16 ? nBytes : 16;
            if (nBytes <= 32) {
                Store128(p, Load128(q));
                Store128(p + nSpan - 16, Load128(q + nSpan - 16));
            } else {
                CopyLong(p, q, nBytes);
            }
            nStored = nRel + nSpan;
            nRel += nBytes;
            i += 2 + nBytes + (BPP == 1 ? (nCode & 1u) : 0u);
        }
        // Old values back after the last record.
        Store128(aSaved + nStored, Load128(pBase + nStored));
        Store128(pBase + nRel, Load128(aSaved + nRel));
        nPos += nRel;
        nCounter = static_cast<uint16_t>(nCounter + nRel / BPP);  // the segment's pixels
        if (!bMove)
            continue;  // segment cut, or near an end: the loop condition decides
        const uint32_t nCode = pSrc[i + 1];
        if (nCode == RLD_CODE_END_OF_LINE) {
            EndOfLine<BPP>(nPos, nCounter, nStride);
            i += 2;
        } else if (nCode == RLD_CODE_END_OF_PICTURE) {
            i += 2;
            bEnd = true;
            break;
        } else {
            Delta<BPP>(nPos, nCounter, nStride, pSrc + i);
            i += 4;
        }
    }
    state.i = i;
    state.nPos = nPos;
    state.nCounter = nCounter;
    return bEnd;
}

// The write position is a 64-bit offset from the start of the picture: moves
// may take it past the end (a stream can only add a bounded amount per
// record, so it cannot wrap). The row start (position - counter x BPP) never
// decreases and never goes below 0: the 16-bit counter only ever holds the
// pixels added since the last end of line, or fewer once it wraps.
template <uint32_t BPP>
QRVRleEnd DecodeStream(const uint8_t* pSrc, size_t nSrc, uint8_t* pDst, size_t nDst, uint32_t nStride,
                       size_t& nRead)
{
    const uint64_t nEnd = nDst;
    size_t i = 0;
    uint64_t nPos = 0;
    uint16_t nCounter = 0;
    // Small streams and pictures (the unchanged frame) go straight to the exact loop.
    if (nSrc >= FastMargins<BPP>::SRC_MARGIN && nDst >= FastMargins<BPP>::DST_MARGIN) {
        RleState state;
        if (DecodeFast<BPP>(pSrc, nSrc, pDst, nDst, nStride, state)) {
            nRead = state.i;
            return RLD_END_OF_PICTURE;
        }
        i = state.i;
        nPos = state.nPos;
        nCounter = state.nCounter;
    }
    QRVRleEnd end = RLD_END_OF_INPUT;
    while (nSrc - i >= 2) {
        const uint32_t nCount = pSrc[i];
        if (nCount != 0) {
            // Run: count, one pixel value.
            if (nSrc - i < 1 + BPP)
                break;
            const uint32_t nBytes = nCount * BPP;
            if (nPos + nBytes > nEnd) {
                end = RLD_OUT_OF_BOUNDS;
                break;
            }
            FillRun<BPP>(pDst + nPos, pSrc + i + 1, nCount);
            nPos += nBytes;
            nCounter = static_cast<uint16_t>(nCounter + nCount);
            i += 1 + BPP;
            continue;
        }
        const uint32_t nCode = pSrc[i + 1];
        if (nCode == RLD_CODE_END_OF_LINE) {
            EndOfLine<BPP>(nPos, nCounter, nStride);
            i += 2;
        } else if (nCode == RLD_CODE_END_OF_PICTURE) {
            i += 2;
            end = RLD_END_OF_PICTURE;
            break;
        } else if (nCode == RLD_CODE_DELTA) {
            if (nSrc - i < 4)
                break;
            Delta<BPP>(nPos, nCounter, nStride, pSrc + i);
            i += 4;
        } else {
            // Literal run of nCode pixels as stored; odd 8-bit ones are padded.
            const uint32_t nBytes = nCode * BPP;
            if (nSrc - i - 2 < nBytes)
                break;
            if (nPos + nBytes > nEnd) {
                end = RLD_OUT_OF_BOUNDS;
                break;
            }
            std::memcpy(pDst + nPos, pSrc + i + 2, nBytes);
            nPos += nBytes;
            nCounter = static_cast<uint16_t>(nCounter + nCode);
            i += 2 + nBytes;
            if (BPP == 1 && (nCode & 1u) != 0 && i < nSrc)
                ++i;
        }
    }
    nRead = i;
    return end;
}

}  // namespace

namespace QRVScreenRle {

uint64_t Stride(int32_t nWidth, uint32_t nBitCount)
{
    if (nWidth <= 0 || nBitCount == 0)
        return 0;
    return (static_cast<uint64_t>(nWidth) * nBitCount + 31) / 32 * 4;
}

QRVRleEnd Decode(uint32_t nBytesPerPixel, const uint8_t* pSrc, size_t nSrc, uint8_t* pDst, size_t nDst,
                 uint32_t nStride, size_t* pnRead)
{
    size_t nRead = 0;
    QRVRleEnd end = RLD_END_OF_PICTURE;
    if (pSrc == nullptr)
        nSrc = 0;
    if (pDst == nullptr)
        nDst = 0;
    switch (nBytesPerPixel) {
    case 1:
        end = DecodeStream<1>(pSrc, nSrc, pDst, nDst, nStride, nRead);
        break;
    case 2:
        end = DecodeStream<2>(pSrc, nSrc, pDst, nDst, nStride, nRead);
        break;
    case 3:
        end = DecodeStream<3>(pSrc, nSrc, pDst, nDst, nStride, nRead);
        break;
    case 4:
        end = DecodeStream<4>(pSrc, nSrc, pDst, nDst, nStride, nRead);
        break;
    default:
        break;
    }
    if (pnRead != nullptr)
        *pnRead = nRead;
    return end;
}

}  // namespace QRVScreenRle
