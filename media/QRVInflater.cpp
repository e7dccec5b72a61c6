#include "QRVInflater.h"

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
    // uInt holds at least 32 bits on every target we build for.
    static_assert(sizeof(uInt) >= sizeof(uint32_t), "uInt holds a 32-bit length");
    m_stream.next_in = const_cast<Bytef*>(pSrc);
    m_stream.avail_in = nSrc;
    m_stream.next_out = pDst;
    m_stream.avail_out = nCapacity;
    // uncompress succeeds exactly when inflate reaches the stream's end.
    if (inflate(&m_stream, Z_FINISH) != Z_STREAM_END)
        return false;
    nOut = nCapacity - m_stream.avail_out;
    return true;
}
