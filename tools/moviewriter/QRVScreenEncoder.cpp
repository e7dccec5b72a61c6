#include "QRVScreenEncoder.h"

#include <algorithm>
#include <cstring>

#include <zlib.h>

#include "QRVRleWriter.h"
#include "QRVScreenFormat.h"

namespace {

bool SamePixel(const uint8_t* p, uint32_t a, uint32_t b, uint32_t nBpp)
{
    return std::memcmp(p + a * nBpp, p + b * nBpp, nBpp) == 0;
}

uint32_t ReadPixel(const uint8_t* p, uint32_t nBpp)
{
    uint32_t nValue = 0;
    for (uint32_t i = 0; i < nBpp; ++i)
        nValue |= static_cast<uint32_t>(p[i]) << (8 * i);
    return nValue;
}

// Moves the decoder's write position from (nX, nRow) to (nToX, nToRow) with
// end-of-line and delta records; nToRow >= nRow, and nToX >= nX on the same row.
void MoveTo(QRVRleWriter& writer, uint32_t& nX, uint32_t& nRow, uint32_t nToX, uint32_t nToRow)
{
    if (nToRow > nRow && nToX < nX) {
        writer.EndOfLine();
        ++nRow;
        nX = 0;
    }
    uint32_t nDx = nToX - nX;
    uint32_t nDy = nToRow - nRow;
    while (nDx > 0 || nDy > 0) {
        const uint32_t nStepX = std::min<uint32_t>(nDx, 255);
        const uint32_t nStepY = std::min<uint32_t>(nDy, 255);
        writer.Delta(static_cast<uint8_t>(nStepX), static_cast<uint8_t>(nStepY));
        nDx -= nStepX;
        nDy -= nStepY;
    }
    nX = nToX;
    nRow = nToRow;
}

}  // namespace

bool QRVScreenEncoder::Begin(int32_t nWidth, int32_t nHeight, int nBitCount)
{
    m_bHasReference = false;
    m_reference = QRVPicture();
    m_nMaxStream = QRVScreenFormat::MaxStreamBytes(nWidth, nHeight, nBitCount);
    if (m_nMaxStream == 0 || QRVScreenFormat::PictureBytes(nWidth, nHeight, nBitCount) == 0) {
        m_nWidth = m_nHeight = m_nBitCount = 0;
        m_strError = "picture geometry not supported by the screen codec";
        return false;
    }
    m_nWidth = nWidth;
    m_nHeight = nHeight;
    m_nBitCount = nBitCount;
    m_strError.clear();
    return true;
}

void QRVScreenEncoder::EncodeSpan(QRVRleWriter& writer, const uint8_t* pPixels, uint32_t nCount)
{
    const uint32_t nBpp = writer.BytesPerPixel();
    // A run of three or more equal pixels starts at i.
    auto runStarts = [&](uint32_t i) {
        return i + 2 < nCount && SamePixel(pPixels, i, i + 1, nBpp) && SamePixel(pPixels, i, i + 2, nBpp);
    };
    uint32_t i = 0;
    while (i < nCount) {
        if (runStarts(i)) {
            uint32_t nRun = 3;
            while (i + nRun < nCount && nRun < RLE_MAX_COUNT && SamePixel(pPixels, i, i + nRun, nBpp))
                ++nRun;
            writer.Run(nRun, ReadPixel(pPixels + i * nBpp, nBpp));
            i += nRun;
            continue;
        }
        uint32_t j = i + 1;
        while (j < nCount && j - i < RLE_MAX_COUNT && !runStarts(j))
            ++j;
        const uint32_t nLength = j - i;
        if (nLength >= RLE_MIN_LITERAL) {
            writer.Literal(pPixels + i * nBpp, nLength);
        } else {
            // One or two pixels: single runs (a pair of equal ones as one run).
            if (nLength == 2 && SamePixel(pPixels, i, i + 1, nBpp)) {
                writer.Run(2, ReadPixel(pPixels + i * nBpp, nBpp));
            } else {
                for (uint32_t k = i; k < j; ++k)
                    writer.Run(1, ReadPixel(pPixels + k * nBpp, nBpp));
            }
        }
        i = j;
    }
}

void QRVScreenEncoder::EncodeKey(const QRVPicture& picture, QRVRleWriter& writer) const
{
    for (int32_t nRow = 0; nRow < m_nHeight; ++nRow) {
        EncodeSpan(writer, picture.Row(nRow), static_cast<uint32_t>(m_nWidth));
        if (nRow + 1 < m_nHeight)
            writer.EndOfLine();
    }
    writer.EndOfPicture();
}

void QRVScreenEncoder::EncodeDelta(const QRVPicture& picture, QRVRleWriter& writer) const
{
    const uint32_t nBpp = picture.BytesPerPixel();
    const uint32_t nWidth = static_cast<uint32_t>(m_nWidth);
    // Unchanged gaps this short are cheaper to rewrite than to skip with a delta.
    const uint32_t nMergeGap = std::max<uint32_t>(1, 4 / nBpp);
    uint32_t nX = 0;
    uint32_t nAt = 0;  // storage row of the write position
    for (int32_t nRow = 0; nRow < m_nHeight; ++nRow) {
        const uint8_t* pNew = picture.Row(nRow);
        const uint8_t* pOld = m_reference.Row(nRow);
        auto changed = [&](uint32_t x) { return std::memcmp(pNew + x * nBpp, pOld + x * nBpp, nBpp) != 0; };
        uint32_t x = 0;
        while (x < nWidth) {
            while (x < nWidth && !changed(x))
                ++x;
            if (x == nWidth)
                break;
            // Changed span [x, nEnd), swallowing short unchanged gaps.
            uint32_t nEnd = x + 1;
            for (;;) {
                while (nEnd < nWidth && changed(nEnd))
                    ++nEnd;
                uint32_t nGapEnd = nEnd;
                while (nGapEnd < nWidth && nGapEnd - nEnd < nMergeGap && !changed(nGapEnd))
                    ++nGapEnd;
                if (nGapEnd < nWidth && nGapEnd - nEnd <= nMergeGap && changed(nGapEnd)) {
                    nEnd = nGapEnd;
                    continue;
                }
                break;
            }
            MoveTo(writer, nX, nAt, x, static_cast<uint32_t>(nRow));
            EncodeSpan(writer, pNew + x * nBpp, nEnd - x);
            nX = nEnd;
            x = nEnd;
        }
    }
    writer.EndOfPicture();
}

bool QRVScreenEncoder::EncodeStream(const QRVPicture& picture, bool bKey, std::vector<uint8_t>& stream)
{
    stream.clear();
    if (m_nMaxStream == 0 || picture.IsEmpty() || picture.Width() != m_nWidth ||
        picture.Height() != m_nHeight || picture.BitCount() != m_nBitCount) {
        m_strError = "picture does not match the encoder's geometry";
        return false;
    }
    QRVRleWriter writer(m_nBitCount);
    m_bLastKey = bKey || !m_bHasReference;
    m_bLastUnchanged = false;
    if (!m_bLastKey) {
        EncodeDelta(picture, writer);
        m_bLastUnchanged = writer.Size() == 2;
        if (writer.Size() > m_nMaxStream) {
            writer.Clear();
            m_bLastKey = true;
        }
    }
    if (m_bLastKey)
        EncodeKey(picture, writer);
    if (writer.Size() > m_nMaxStream) {
        m_strError = "picture too narrow: its stream exceeds the decoder's limit";
        return false;
    }
    stream = writer.Take();
    m_reference = picture;
    m_bHasReference = true;
    return true;
}

bool QRVScreenEncoder::EncodeFrame(const QRVPicture& picture, bool bKey, std::vector<uint8_t>& frame)
{
    std::vector<uint8_t> stream;
    if (!EncodeStream(picture, bKey, stream))
        return false;
    frame = Pack(stream);
    if (frame.empty()) {
        m_strError = "zlib compression failed";
        return false;
    }
    return true;
}

bool QRVScreenEncoder::Deflate(const uint8_t* pData, size_t nSize, int nLevel, std::vector<uint8_t>& out)
{
    out.clear();
    if (nSize > 0x7FFFFFFFu || (nSize > 0 && pData == nullptr))
        return false;
    const uLong nBound = compressBound(static_cast<uLong>(nSize));
    if (nBound < nSize)
        return false;
    out.resize(nBound);
    uLongf nOut = nBound;
    static const Bytef s_empty = 0;
    const int nResult =
        compress2(out.data(), &nOut, nSize > 0 ? pData : &s_empty, static_cast<uLong>(nSize), nLevel);
    if (nResult != Z_OK) {
        out.clear();
        return false;
    }
    out.resize(nOut);
    return true;
}

std::vector<uint8_t> QRVScreenEncoder::Pack(const std::vector<uint8_t>& stream, int nLevel)
{
    if (stream.size() <= QRVScreenFormat::SCF_BARE_LIMIT)
        return stream;
    std::vector<uint8_t> packed;
    if (!Deflate(stream.data(), stream.size(), nLevel, packed))
        return {};
    // A stored (level 0) zlib stream is always longer than its 11+ input bytes.
    if (packed.size() <= QRVScreenFormat::SCF_BARE_LIMIT && !Deflate(stream.data(), stream.size(), 0, packed))
        return {};
    return packed;
}
