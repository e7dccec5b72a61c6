// Inside of the run-length stage (QRVScreenRle): the stores, fills and
// moves shared by its exact loop and its fast loop, and the fast loop itself,
// written for 16-byte and 32-byte units of store. Included by
// QRVScreenRle.cpp and by QRVScreenRleWide.cpp, which builds the 32-byte
// loop for processors with AVX2. Everything here has internal linkage, so
// that no function built for AVX2 can stand in for one of the other file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__AVX2__)
#include <immintrin.h>
#endif

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

// W bytes of pixel pattern, copied as one unit (one vector store where the
// target has them).
template <uint32_t W> struct Unit {
    uint8_t a[W];
};

template <uint32_t W> inline void StoreUnit(uint8_t* p, const Unit<W>& unit)
{
    std::memcpy(p, unit.a, W);
}

template <uint32_t W> inline Unit<W> LoadUnit(const uint8_t* p)
{
    Unit<W> unit;
    std::memcpy(unit.a, p, W);
    return unit;
}

// A unit of 8-byte words: nLow first, then nHigh, repeated.
template <uint32_t W> inline Unit<W> Words(uint64_t nLow, uint64_t nHigh)
{
    Unit<W> unit;
    for (uint32_t n = 0; n < W; n += 16) {
        std::memcpy(unit.a + n, &nLow, 8);
        std::memcpy(unit.a + n + 8, &nHigh, 8);
    }
    return unit;
}

#if defined(__AVX2__)
// 32-byte units as vector registers: built from memory, the compiler keeps
// them on the stack.
template <> struct Unit<32> {
    __m256i v;
};

template <> inline void StoreUnit<32>(uint8_t* p, const Unit<32>& unit)
{
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), unit.v);
}

template <> inline Unit<32> LoadUnit<32>(const uint8_t* p)
{
    return {_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p))};
}

template <> inline Unit<32> Words<32>(uint64_t nLow, uint64_t nHigh)
{
    return {_mm256_set_epi64x(static_cast<long long>(nHigh), static_cast<long long>(nLow),
                              static_cast<long long>(nHigh), static_cast<long long>(nLow))};
}
#endif

using Pattern16 = Unit<16>;

// Fills nBytes with a pattern whose period (the pixel size 1, 2 or 4)
// divides 8 and 16: whole 16-byte units and one last unit that ends exactly
// at the end, or for short fills two overlapping 8-, 4- or 2-byte stores.
// Overlapping bytes receive the same values because every store starts at a
// multiple of the pixel size.
inline void FillPeriodic(uint8_t* p, uint32_t nBytes, uint64_t nPattern)
{
    if (nBytes >= 16) {
        const Pattern16 pattern = Words<16>(nPattern, nPattern);
        uint32_t nOff = 0;
        for (; nOff + 16 <= nBytes; nOff += 16)
            StoreUnit(p + nOff, pattern);
        if (nOff < nBytes)
            StoreUnit(p + nBytes - 16, pattern);
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

// The pixel at pValue (1, 2 or 4 bytes) repeated over 8 bytes.
template <uint32_t BPP> inline uint64_t RunWord(const uint8_t* pValue)
{
    if (BPP == 1)
        return *pValue * 0x0101010101010101ull;
    if (BPP == 2) {
        uint16_t nPixel;
        std::memcpy(&nPixel, pValue, 2);
        return nPixel * 0x0001000100010001ull;
    }
    uint32_t nPixel;
    std::memcpy(&nPixel, pValue, 4);
    return nPixel * 0x0000000100000001ull;
}

// Writes the pixel at pValue nCount times (1..255).
template <uint32_t BPP> inline void FillRun(uint8_t* p, const uint8_t* pValue, uint32_t nCount)
{
    FillPeriodic(p, nCount * BPP, RunWord<BPP>(pValue));
}

// 24 bits: the pattern repeats every 3 bytes, so a store at offset o uses the
// pattern from phase o % 3 on. The phase words are built in registers.
inline uint64_t Phase24(uint32_t b0, uint32_t b1, uint32_t b2)
{
    const uint64_t v = b0 | b1 << 8 | b2 << 16;
    return v | v << 24 | v << 48;  // 8 bytes: b0 b1 b2 b0 b1 b2 b0 b1
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
    const Pattern16 aWord[3] = {Words<16>(w0, w2), Words<16>(w1, w0), Words<16>(w2, w1)};
    uint32_t nOff = 0;
    for (; nOff + 48 <= nBytes; nOff += 48) {
        StoreUnit(p + nOff, aWord[0]);       // phase 0
        StoreUnit(p + nOff + 16, aWord[1]);  // phase 16 % 3 = 1
        StoreUnit(p + nOff + 32, aWord[2]);  // phase 32 % 3 = 2
    }
    for (int k = 0; nOff + 16 <= nBytes; nOff += 16, ++k)
        StoreUnit(p + nOff, aWord[k]);
    // The last unit ends at nBytes; its offset nBytes - 16 has phase 2.
    if (nOff < nBytes)
        StoreUnit(p + nBytes - 16, aWord[2]);
}

// A unit of the pixel at pValue (1, 2 or 4 bytes) repeated.
template <uint32_t BPP, uint32_t W> inline Unit<W> RunUnit(const uint8_t* pValue)
{
#if defined(__AVX2__)
    if constexpr (W == 32) {
        if constexpr (BPP == 1)
            return {_mm256_set1_epi8(static_cast<char>(*pValue))};
        uint32_t nPixel = 0;
        std::memcpy(&nPixel, pValue, BPP);
        if constexpr (BPP == 2)
            return {_mm256_set1_epi16(static_cast<short>(nPixel))};
        return {_mm256_set1_epi32(static_cast<int>(nPixel))};
    }
#endif
    const uint64_t nWord = RunWord<BPP>(pValue);
    return Words<W>(nWord, nWord);
}

// The first unit of a run (the pixel at pValue repeated), and the last one
// when the run fills at least a unit: for 1, 2 and 4 bytes per pixel the
// same pattern, for 3 (16-byte units only) the one that starts at offset
// (3 n - 16) % 3 = 2.
template <uint32_t BPP, uint32_t W> inline void RunEnds(const uint8_t* pValue, Unit<W>& head, Unit<W>& tail)
{
    if constexpr (BPP == 3) {
        static_assert(BPP != 3 || W == 16, "24-bit runs take 16-byte units");
        const uint32_t b0 = pValue[0], b1 = pValue[1], b2 = pValue[2];
        const uint64_t w0 = Phase24(b0, b1, b2), w1 = Phase24(b1, b2, b0), w2 = Phase24(b2, b0, b1);
        head = Words<W>(w0, w2);
        tail = Words<W>(w2, w1);
    } else {
        head = RunUnit<BPP, W>(pValue);
        tail = head;
    }
}

// Runs of more than two units: two units per step, the last step ending
// exactly at the end (overlapping the one before, with the same bytes).
template <uint32_t BPP, uint32_t W>
inline void FillLongRun(uint8_t* p, const uint8_t* pValue, uint32_t nCount)
{
    if constexpr (BPP == 3) {
        // Each 16-byte store needs the pattern of its offset's phase, which
        // FillRun takes in turn.
        FillRun<BPP>(p, pValue, nCount);
    } else {
        Unit<W> head, tail;
        RunEnds<BPP, W>(pValue, head, tail);
        const uint32_t nBytes = nCount * BPP;
        for (uint32_t nOff = 0; nOff + 2 * W < nBytes; nOff += 2 * W) {
            StoreUnit(p + nOff, head);
            StoreUnit(p + nOff + W, head);
        }
        StoreUnit(p + nBytes - 2 * W, head);
        StoreUnit(p + nBytes - W, head);
    }
}

// Copies more than two units, likewise.
template <uint32_t W> inline void CopyLong(uint8_t* p, const uint8_t* q, uint32_t nBytes)
{
    for (uint32_t nOff = 0; nOff + 2 * W < nBytes; nOff += 2 * W) {
        StoreUnit(p + nOff, LoadUnit<W>(q + nOff));
        StoreUnit(p + nOff + W, LoadUnit<W>(q + nOff + W));
    }
    StoreUnit(p + nBytes - 2 * W, LoadUnit<W>(q + nBytes - 2 * W));
    StoreUnit(p + nBytes - W, LoadUnit<W>(q + nBytes - W));
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

// The fast loop decodes row segments: the records between two moves (end of
// line, delta). Runs and literal runs of at most two units take two stores
// of a unit, the first at the start and the second ending at the end; under
// a unit both are the same store at the start, which also writes up to W - 1
// bytes after the record. The next record overwrites those bytes again, so
// only the ones after a segment's last record are wrong, and they get their
// old values back when the segment ends. Before each such short record the
// unit after the stores so far still holds its old values: it is saved, by
// offset in the segment, in a side buffer. Longer records are written
// exactly, over all the bytes written past the record before them, and need
// no saving.
// The loop keeps away from both ends of the buffers (the longest record and
// a margin in the stream and in the picture) and cuts long segments; the
// exact loop decodes what it leaves. True when it decoded the end of picture;
// i, nPos and nCounter are where the exact loop goes on.
constexpr uint32_t RLD_SEGMENT_BYTES = 4096;

template <uint32_t BPP, uint32_t W> struct FastMargins {
    static constexpr uint32_t RECORD_BYTES = 255 * BPP;         // pixel bytes of the longest record
    static constexpr size_t SRC_MARGIN = 3 + RECORD_BYTES + W;  // head, pixels, padding, unit loads
    static constexpr uint64_t DST_MARGIN = RECORD_BYTES + 2 * W;
};

template <uint32_t BPP, uint32_t W>
bool DecodeFast(const uint8_t* pSrc, size_t nSrc, uint8_t* pDst, size_t nDst, uint32_t nStride, size_t& iOut,
                uint64_t& nPosOut, uint16_t& nCounterOut)
{
    constexpr uint32_t RECORD_BYTES = FastMargins<BPP, W>::RECORD_BYTES;
    constexpr size_t SRC_MARGIN = FastMargins<BPP, W>::SRC_MARGIN;
    constexpr uint64_t DST_MARGIN = FastMargins<BPP, W>::DST_MARGIN;
    uint8_t aSaved[RLD_SEGMENT_BYTES + RECORD_BYTES + W];
    // Locals: the picture's stores could alias the callers' variables.
    size_t i = iOut;
    uint64_t nPos = nPosOut;
    uint16_t nCounter = nCounterOut;
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
            uint8_t* const p = pBase + nRel;
            const uint32_t nCount = pSrc[i];
            if (nCount != 0) {
                const uint32_t nBytes = nCount * BPP;
                if (nBytes <= 2 * W) {
                    StoreUnit(aSaved + nStored, LoadUnit<W>(pBase + nStored));
                    Unit<W> head, tail;
                    RunEnds<BPP, W>(pSrc + i + 1, head, tail);
                    const uint32_t nSpan = nBytes > W ? nBytes : W;
                    StoreUnit(p, head);
                    StoreUnit(p + nSpan - W, nBytes >= W ? tail : head);
                    nStored = nRel + nSpan;
                } else {
                    FillLongRun<BPP, W>(p, pSrc + i + 1, nCount);
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
            const uint32_t nSpan = nBytes > W ? nBytes : W;
            if (nBytes <= 2 * W) {
                StoreUnit(aSaved + nStored, LoadUnit<W>(pBase + nStored));
                StoreUnit(p, LoadUnit<W>(q));
                StoreUnit(p + nSpan - W, LoadUnit<W>(q + nSpan - W));
            } else {
                CopyLong<W>(p, q, nBytes);
            }
            nStored = nRel + nSpan;
            nRel += nBytes;
            i += 2 + nBytes + (BPP == 1 ? (nCode & 1u) : 0u);
        }
        // Old values back after the last record.
        StoreUnit(aSaved + nStored, LoadUnit<W>(pBase + nStored));
        StoreUnit(pBase + nRel, LoadUnit<W>(aSaved + nRel));
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
    iOut = i;
    nPosOut = nPos;
    nCounterOut = nCounter;
    return bEnd;
}

}  // namespace

namespace QRVScreenRleWide {

// The fast loop with 32-byte units for 1, 2 and 4 bytes per pixel (other
// sizes decode nothing and return false). Built for AVX2: call it only when
// the processor has it.
bool DecodeFast(uint32_t nBytesPerPixel, const uint8_t* pSrc, size_t nSrc, uint8_t* pDst, size_t nDst,
                uint32_t nStride, size_t& i, uint64_t& nPos, uint16_t& nCounter);

}  // namespace QRVScreenRleWide
