#include "QRVInflater.h"

#include <cstddef>

#include "QRVCpu.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#define QRV_ADLER_SSE2 1
#endif
#if defined(QRV_AVX2)
#include <immintrin.h>
#endif

namespace {

constexpr uint32_t ADLER_BASE = 65521;
// Bytes summed before the sums are reduced: the largest multiple of 32 for
// which the 32-bit sums cannot overflow (zlib's NMAX is 5552).
constexpr size_t ADLER_BLOCK = 5536;

// Adds a block of nBlock bytes (whole 32-byte units) to the sums a and b,
// from its byte sum, the running sum of its unit sums and its weighted sum.
inline void AddBlock(uint32_t& a, uint32_t& b, size_t nBlock, uint64_t nSum, uint64_t nPrefix,
                     uint64_t nWeighted)
{
    b = static_cast<uint32_t>((b + static_cast<uint64_t>(a) * nBlock + 32 * nPrefix + nWeighted) %
                              ADLER_BASE);
    a = static_cast<uint32_t>((a + nSum) % ADLER_BASE);
}

// Adds the nBytes (fewer than 32) at p and returns the check value.
inline uint32_t Finish(uint32_t a, uint32_t b, const uint8_t* p, size_t nBytes)
{
    for (size_t j = 0; j < nBytes; ++j) {
        a += p[j];
        b += a;
    }
    return (b % ADLER_BASE) << 16 | (a % ADLER_BASE);
}

// The zlib stream's check value (Adler-32) of nBytes at p, computed 32 bytes
// at a time. Over a block of k units of 32 bytes, a grows by the sum of the
// bytes and b by 32 x (a before each unit) plus, within each unit, byte j
// times (32 - j); the sum of a over the units is the running sum of the unit
// sums.
uint32_t Adler32(const uint8_t* p, size_t nBytes)
{
    uint32_t a = 1, b = 0;
    while (nBytes >= 32) {
        const size_t nBlock = (nBytes < ADLER_BLOCK ? nBytes : ADLER_BLOCK) / 32 * 32;
        uint64_t nSum = 0, nPrefix = 0, nWeighted = 0;
#ifdef QRV_ADLER_SSE2
        const __m128i zero = _mm_setzero_si128();
        const __m128i w0 = _mm_setr_epi16(32, 31, 30, 29, 28, 27, 26, 25);
        const __m128i w1 = _mm_setr_epi16(24, 23, 22, 21, 20, 19, 18, 17);
        const __m128i w2 = _mm_setr_epi16(16, 15, 14, 13, 12, 11, 10, 9);
        const __m128i w3 = _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1);
        __m128i vSum = zero, vPrefix = zero, vWeighted = zero;
        for (size_t nOff = 0; nOff < nBlock; nOff += 32) {
            const __m128i x0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + nOff));
            const __m128i x1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + nOff + 16));
            vPrefix = _mm_add_epi32(vPrefix, vSum);
            vSum = _mm_add_epi32(vSum, _mm_add_epi32(_mm_sad_epu8(x0, zero), _mm_sad_epu8(x1, zero)));
            vWeighted = _mm_add_epi32(vWeighted, _mm_madd_epi16(_mm_unpacklo_epi8(x0, zero), w0));
            vWeighted = _mm_add_epi32(vWeighted, _mm_madd_epi16(_mm_unpackhi_epi8(x0, zero), w1));
            vWeighted = _mm_add_epi32(vWeighted, _mm_madd_epi16(_mm_unpacklo_epi8(x1, zero), w2));
            vWeighted = _mm_add_epi32(vWeighted, _mm_madd_epi16(_mm_unpackhi_epi8(x1, zero), w3));
        }
        // psadbw leaves its sums in lanes 0 and 2.
        alignas(16) uint32_t aSum[4], aPrefix[4], aWeighted[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(aSum), vSum);
        _mm_store_si128(reinterpret_cast<__m128i*>(aPrefix), vPrefix);
        _mm_store_si128(reinterpret_cast<__m128i*>(aWeighted), vWeighted);
        nSum = static_cast<uint64_t>(aSum[0]) + aSum[2];
        nPrefix = static_cast<uint64_t>(aPrefix[0]) + aPrefix[2];
        nWeighted = static_cast<uint64_t>(aWeighted[0]) + aWeighted[1] + aWeighted[2] + aWeighted[3];
#else
        // Per byte position within the unit: the byte sum and its running sum.
        uint32_t aSum[32] = {}, aPrefix[32] = {};
        for (size_t nOff = 0; nOff < nBlock; nOff += 32) {
            for (size_t j = 0; j < 32; ++j) {
                aPrefix[j] += aSum[j];
                aSum[j] += p[nOff + j];
            }
        }
        for (size_t j = 0; j < 32; ++j) {
            nSum += aSum[j];
            nPrefix += aPrefix[j];
            nWeighted += (32 - j) * static_cast<uint64_t>(aSum[j]);
        }
#endif
        AddBlock(a, b, nBlock, nSum, nPrefix, nWeighted);
        p += nBlock;
        nBytes -= nBlock;
    }
    return Finish(a, b, p, nBytes);
}

#if defined(QRV_AVX2)
// The same sums over blocks of 32-byte units, one unit per step in a 256-bit
// register: byte sums by psadbw, weighted sums by pmaddubsw (byte x weight,
// adjacent pairs added: at most 2 x 255 x 32) then pmaddwd. Called only
// where the processor has AVX2.
__attribute__((target("avx2"))) uint32_t Adler32Avx2(const uint8_t* p, size_t nBytes)
{
    uint32_t a = 1, b = 0;
    const __m256i zero = _mm256_setzero_si256();
    const __m256i ones = _mm256_set1_epi16(1);
    const __m256i weights = _mm256_setr_epi8(32, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17,
                                             16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1);
    while (nBytes >= 32) {
        const size_t nBlock = (nBytes < ADLER_BLOCK ? nBytes : ADLER_BLOCK) / 32 * 32;
        __m256i vSum = zero, vPrefix = zero, vWeighted = zero;
        for (size_t nOff = 0; nOff < nBlock; nOff += 32) {
            const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + nOff));
            vPrefix = _mm256_add_epi32(vPrefix, vSum);
            vSum = _mm256_add_epi32(vSum, _mm256_sad_epu8(x, zero));
            vWeighted =
                _mm256_add_epi32(vWeighted, _mm256_madd_epi16(_mm256_maddubs_epi16(x, weights), ones));
        }
        alignas(32) uint32_t aSum[8], aPrefix[8], aWeighted[8];
        _mm256_store_si256(reinterpret_cast<__m256i*>(aSum), vSum);
        _mm256_store_si256(reinterpret_cast<__m256i*>(aPrefix), vPrefix);
        _mm256_store_si256(reinterpret_cast<__m256i*>(aWeighted), vWeighted);
        uint64_t nSum = 0, nPrefix = 0, nWeighted = 0;
        for (int k = 0; k < 8; ++k) {
            nSum += aSum[k];
            nPrefix += aPrefix[k];
            nWeighted += aWeighted[k];
        }
        AddBlock(a, b, nBlock, nSum, nPrefix, nWeighted);
        p += nBlock;
        nBytes -= nBlock;
    }
    return Finish(a, b, p, nBytes);
}
#endif

}  // namespace

QRVInflater::QRVInflater() : m_bAvx2(QRVHasAvx2()) {}

void QRVInflater::AllowAvx2(bool bAllow)
{
    m_bAvx2 = bAllow && QRVHasAvx2();
}

QRVInflater::~QRVInflater()
{
    if (m_bReady)
        inflateEnd(&m_stream);
}

bool QRVInflater::Inflate(const uint8_t* pSrc, uint32_t nSrc, uint8_t* pDst, uint32_t nCapacity,
                          uint32_t& nOut)
{
    nOut = 0;
    if (pSrc == nullptr || pDst == nullptr)
        return false;
    if (!m_bReady) {
        m_stream = z_stream{};
        if (inflateInit(&m_stream) != Z_OK)
            return false;
        m_bReady = true;
    } else if (inflateReset(&m_stream) != Z_OK) {
        return false;
    }
    // zlib still reads the stream's check value but leaves the comparison
    // to us: our Adler-32 is several times faster than zlib's.
    if (inflateValidate(&m_stream, 0) != Z_OK)
        return false;
    // uInt holds at least 32 bits on every target we build for.
    static_assert(sizeof(uInt) >= sizeof(uint32_t), "uInt holds a 32-bit length");
    m_stream.next_in = const_cast<Bytef*>(pSrc);
    m_stream.avail_in = nSrc;
    m_stream.next_out = pDst;
    m_stream.avail_out = nCapacity;
    // uncompress succeeds exactly when inflate reaches the stream's end.
    if (inflate(&m_stream, Z_FINISH) != Z_STREAM_END)
        return false;
    // The stream ends with the check value, big-endian: the last 4 bytes
    // inflate consumed (it reads no further than the stream's end).
    const uint32_t nConsumed = nSrc - m_stream.avail_in;
    if (nConsumed < 4)
        return false;  // cannot happen after the stream's end; keeps the arithmetic safe
    const uint8_t* const pCheck = pSrc + nConsumed - 4;
    const uint32_t nCheck = static_cast<uint32_t>(pCheck[0]) << 24 | static_cast<uint32_t>(pCheck[1]) << 16 |
                            static_cast<uint32_t>(pCheck[2]) << 8 | pCheck[3];
    const uint32_t nInflated = nCapacity - m_stream.avail_out;
#if defined(QRV_AVX2)
    const uint32_t nAdler = m_bAvx2 ? Adler32Avx2(pDst, nInflated) : Adler32(pDst, nInflated);
#else
    const uint32_t nAdler = Adler32(pDst, nInflated);
#endif
    if (nAdler != nCheck)
        return false;
    nOut = nInflated;
    return true;
}
