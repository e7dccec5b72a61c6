// Low-level writer of "qrvc" run-length records. It emits exactly the records
// it is asked for, so tests can build any stream, well-formed or not; the
// screen encoder uses it for real pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Record codes after a 0 count byte.
constexpr uint8_t RLE_END_OF_LINE = 0;
constexpr uint8_t RLE_END_OF_PICTURE = 1;
constexpr uint8_t RLE_DELTA = 2;
constexpr unsigned RLE_MIN_LITERAL = 3;
constexpr unsigned RLE_MAX_COUNT = 255;

class QRVRleWriter {
public:
    // nBitCount decides the pixel size (8, 16, 24, 32) and the 8-bit padding rule.
    explicit QRVRleWriter(int nBitCount);

    uint32_t BytesPerPixel() const { return m_nBytesPerPixel; }

    // Run: pixel nValue (little-endian, BytesPerPixel bytes) written nCount times.
    // False, nothing emitted, unless 1 <= nCount <= 255.
    bool Run(unsigned nCount, uint32_t nValue);

    // Literal run of nCount pixels stored at pPixels (nCount x BytesPerPixel
    // bytes), plus the padding byte for odd 8-bit lengths. False, nothing
    // emitted, unless 3 <= nCount <= 255.
    bool Literal(const uint8_t* pPixels, unsigned nCount);

    void Delta(uint8_t nDx, uint8_t nDy);
    void EndOfLine();
    void EndOfPicture();

    // Arbitrary bytes, for streams that break the rules on purpose.
    void Raw(const uint8_t* p, size_t n);
    void RawByte(uint8_t n);

    const std::vector<uint8_t>& Bytes() const { return m_bytes; }
    std::vector<uint8_t> Take();
    size_t Size() const { return m_bytes.size(); }
    void Clear() { m_bytes.clear(); }

private:
    void PutPixel(uint32_t nValue);

    uint32_t m_nBytesPerPixel;
    bool m_bPadOddLiterals;
    std::vector<uint8_t> m_bytes;
};
