// One-shot zlib inflation with the acceptance rules of zlib's uncompress (a
// complete zlib stream whose output fits the buffer; bytes after the stream's
// end are ignored), but on a stream kept from frame to frame: it is reset
// instead of set up anew, and inflating with Z_FINISH in one call spares the
// 32 KiB window that uncompress allocates and fills on every call. The check
// value at the stream's end is compared here, with a faster Adler-32 than
// zlib's (SSE2 where the target has it, AVX2 where the processor has it).
#pragma once

#include <cstdint>

#include <zlib.h>

class QRVInflater {
public:
    QRVInflater();
    ~QRVInflater();
    QRVInflater(const QRVInflater&) = delete;
    QRVInflater& operator=(const QRVInflater&) = delete;

    // Inflates nSrc bytes at pSrc into pDst (nCapacity bytes); true with the
    // inflated length in nOut when uncompress would have succeeded. Bytes of
    // pDst beyond what a failing stream produced may have changed.
    bool Inflate(const uint8_t* pSrc, uint32_t nSrc, uint8_t* pDst, uint32_t nCapacity, uint32_t& nOut);

    // Whether the check value may be computed with AVX2 (where the processor
    // has it; the default). Tests turn it off to run the other computation.
    void AllowAvx2(bool bAllow);

private:
    z_stream m_stream{};
    bool m_bReady = false;
    bool m_bAvx2;
};
