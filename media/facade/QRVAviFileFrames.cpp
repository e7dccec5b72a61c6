// Pictures by time: the frame reader of a stream, the frame lookup with its
// key-frame rules, decoding of "qrvc" frames onto the kept picture, platform
// decompression of everything else, and the colour table of 8-bit pictures.
#include "QRVAviFile.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {

// Colours that follow a delivered picture's header.
uint32_t TableColors(const BITMAPINFOHEADER& header)
{
    if (header.biClrUsed != 0)
        return std::min<uint32_t>(header.biClrUsed, AVF_MAX_COLORS);
    return header.biBitCount <= 8 ? (1u << header.biBitCount) : 0;
}

}  // namespace

bool QRVAviFile::GetFrameOpen(uint32_t nIndex)
{
    if (nIndex >= m_nVideoStreams)
        return false;
    PAVISTREAM pStream = m_videoHandles[nIndex];
    if (!m_pDecoder[nIndex] && m_getFrame[nIndex] == nullptr) {
        // The platform chooses the uncompressed format.
        m_getFrame[nIndex] = AVIStreamGetFrameOpen(pStream, nullptr);
        if (m_getFrame[nIndex] == nullptr) {
            ShowNoDecompressor(nIndex);
            return false;
        }
    }
    m_videoEndTime[nIndex] = VideoTime(nIndex).EndTime();
    return true;
}

bool QRVAviFile::GetFrameClose(uint32_t nIndex)
{
    if (nIndex >= m_nVideoStreams || m_getFrame[nIndex] == nullptr)
        return true;
    const HRESULT hr = AVIStreamGetFrameClose(m_getFrame[nIndex]);
    m_getFrame[nIndex] = nullptr;
    return hr == AVIERR_OK;
}

bool QRVAviFile::GetFrame(uint32_t nIndex, long nTime, BITMAPINFOHEADER** ppHeader, uint8_t** ppBits,
                          long& nFrame, bool bKeyFramesOnly)
{
    if (ppHeader != nullptr)
        *ppHeader = nullptr;
    if (ppBits != nullptr)
        *ppBits = nullptr;
    if (nIndex >= m_nVideoStreams || nTime > m_videoEndTime[nIndex])
        return false;
    // The end time itself shows the last frame.
    if (nTime == m_videoEndTime[nIndex])
        --nTime;
    const long nSample = VideoTime(nIndex).TimeToSample(nTime);
    return GetFrameAtSample(nIndex, nSample, ppHeader, ppBits, nFrame, bKeyFramesOnly);
}

bool QRVAviFile::GetFrameAtSample(uint32_t nIndex, long nSample, BITMAPINFOHEADER** ppHeader,
                                  uint8_t** ppBits, long& nFrame, bool bKeyFramesOnly)
{
    BITMAPINFOHEADER* pHeader = nullptr;
    uint8_t* pBits = nullptr;
    if (ppHeader != nullptr)
        *ppHeader = nullptr;
    if (ppBits != nullptr)
        *ppBits = nullptr;
    if (nIndex >= m_nVideoStreams)
        return false;
    const long nStart = VideoStart(nIndex);
    const long nLength = VideoLength(nIndex);
    if (nSample < nStart || nLength <= 0 || nSample - nStart >= nLength)
        return false;
    long f = nSample;
    if (f == nFrame)
        return false;  // the picture is unchanged
    if (bKeyFramesOnly && nFrame != f - 1) {
        const long k = KeyFrameAtOrBefore(nIndex, f);
        if (k >= 0) {
            // Forward, never step back behind what is shown; backward, the
            // key frame itself.
            if (f > nFrame && k <= nFrame)
                return false;
            f = k;
            if (f == nFrame)
                return false;
        }
    }
    if (m_pDecoder[nIndex])
        DecodeBuiltIn(nIndex, f, &pHeader, &pBits);
    else
        PlatformFrame(nIndex, f, &pHeader, &pBits);
    bool bResult = false;
    if (pHeader != nullptr && pBits != nullptr) {
        if (pHeader->biBitCount == 8) {
            // Room for colours behind the header: our own output format is
            // allocated with room for 256; a platform picture has the table
            // its header announces.
            uint32_t nRoom = 4 * TableColors(*pHeader);
            if (m_pDecoder[nIndex])
                nRoom =
                    pHeader->biSize < m_cbOutputFormat[nIndex]
                        ? std::min<uint32_t>(m_cbOutputFormat[nIndex] - pHeader->biSize, 4 * AVF_MAX_COLORS)
                        : 0;
            bResult = RefreshPalette(nIndex, pHeader, nRoom, f);
        }
        if (ppHeader != nullptr)
            *ppHeader = pHeader;
        if (ppBits != nullptr)
            *ppBits = pBits;
    }
    nFrame = f;
    return bResult;
}

long QRVAviFile::KeyFrameAtOrBefore(uint32_t nIndex, long nFrame)
{
    if (m_bAllKeyFrames)
        return nFrame;
    long nKey = -1;
    if (m_direct.IsIndexed() && nIndex < m_direct.VideoStreams().size()) {
        // Our own index includes the frame itself.
        nKey = m_direct.FindKeyFrame(m_videoHandles[nIndex], nIndex, nFrame);
    } else {
        // The platform's search looks strictly before the frame it is given.
        nKey = m_direct.FindKeyFrame(m_videoHandles[nIndex], nIndex, nFrame + 1);
    }
    return nKey > nFrame ? -1 : nKey;
}

// A "qrvc" stream of the facade as its snapshot cache sees it.
class QRVAviFile::CBuiltInFrames : public QRVFrameSource {
public:
    CBuiltInFrames(QRVAviFile& file, uint32_t nIndex) : m_file(file), m_nIndex(nIndex) {}
    long KeyFrameAtOrBefore(long nFrame) override { return m_file.KeyFrameAtOrBefore(m_nIndex, nFrame); }
    QRVPaintResult Paint(long nFrame, uint8_t* pPicture, uint32_t& cbFrame) override
    {
        return m_file.DecodeOne(m_nIndex, nFrame, pPicture, cbFrame);
    }

private:
    QRVAviFile& m_file;
    uint32_t m_nIndex;
};

bool QRVAviFile::DecodeBuiltIn(uint32_t nIndex, long nFrame, BITMAPINFOHEADER** ppHeader, uint8_t** ppBits)
{
    auto* pOutput = reinterpret_cast<BITMAPINFOHEADER*>(m_pOutputFormat[nIndex].get());
    // Exactly what the decoder may write: stride x height of the output.
    const uint32_t cbPicture =
        QRVScreenCodec::PictureBytes(*reinterpret_cast<const QRVBitmapHeader*>(pOutput));
    if (cbPicture == 0 || !m_pictures.SetPictureSize(cbPicture))
        return false;
    // Pictures of one stream are no start for another's frames.
    if (m_nDecodedStream != static_cast<long>(nIndex)) {
        m_nDecodedStream = static_cast<long>(nIndex);
        m_pictures.Drop();
    }
    CBuiltInFrames frames(*this, nIndex);
    if (m_pictures.Reach(nFrame, m_bAllKeyFrames != 0, frames) != SNP_PAINTED)
        return false;
    *ppHeader = pOutput;
    *ppBits = m_pictures.Picture();
    return true;
}

bool QRVAviFile::PlatformKnowsFrame(uint32_t nIndex, long nFrame) const
{
    if (m_direct.IsIndexed() && nIndex < m_direct.VideoStreams().size())
        return true;  // served from our own index, never by the platform
    // Wine's library aborts the process when asked to read a frame that its
    // legacy index does not cover (the later RIFF chunks of an OpenDML file
    // we could not index); its search answers -1 for those frames.
    return AVIStreamFindSample(m_videoHandles[nIndex], nFrame, FIND_NEXT | FIND_ANY) >= 0;
}

QRVPaintResult QRVAviFile::DecodeOne(uint32_t nIndex, long nFrame, uint8_t* pPicture, uint32_t& cbFrame)
{
    cbFrame = 0;
    PAVISTREAM pStream = m_videoHandles[nIndex];
    if (!PlatformKnowsFrame(nIndex, nFrame))
        return SNP_FAILED;
    long nSize = 0;
    long nSamples = 0;
    // A failed size query is a failed frame, never a guess.
    if (m_direct.ReadVideo(pStream, nIndex, nFrame, 1, nullptr, 0, &nSize, &nSamples) != ODML_OK || nSize < 0)
        return SNP_FAILED;
    if (nSize == 0)
        return SNP_EMPTY;
    if (static_cast<uint32_t>(nSize) > m_cbCompressed) {
        m_pCompressed.reset(new (std::nothrow) uint8_t[static_cast<uint32_t>(nSize)]);
        m_cbCompressed = m_pCompressed ? static_cast<uint32_t>(nSize) : 0;
        if (!m_pCompressed)
            return SNP_FAILED;
    }
    long nRead = 0;
    if (m_direct.ReadVideo(pStream, nIndex, nFrame, 1, m_pCompressed.get(), nSize, &nRead, &nSamples) !=
            ODML_OK ||
        nRead <= 0 || nRead > nSize)
        return SNP_FAILED;
    auto* pFormat = reinterpret_cast<QRVBitmapHeader*>(m_pVideoFormat[nIndex].get());
    pFormat->biSizeImage = static_cast<uint32_t>(nRead);
    cbFrame = static_cast<uint32_t>(nRead);
    auto* pOutput = reinterpret_cast<QRVBitmapHeader*>(m_pOutputFormat[nIndex].get());
    if (QRVScreenCodec::Decompress(m_pDecoder[nIndex].get(), pFormat, m_pCompressed.get(), pOutput, pPicture) !=
        SCD_OK)
        return SNP_FAILED;
    ++m_nDecodedFrames;
    return SNP_PAINTED;
}

bool QRVAviFile::PlatformFrame(uint32_t nIndex, long nFrame, BITMAPINFOHEADER** ppHeader, uint8_t** ppBits)
{
    if (m_getFrame[nIndex] == nullptr || !PlatformKnowsFrame(nIndex, nFrame))
        return false;
    auto* pHeader = static_cast<BITMAPINFOHEADER*>(AVIStreamGetFrame(m_getFrame[nIndex], nFrame));
    if (pHeader == nullptr || pHeader->biSize < AVF_HEADER_BYTES || pHeader->biSize > AVF_MAX_FORMAT_BYTES)
        return false;
    // The pixels follow the delivered header and its own colour table (and
    // the three masks of a 40-byte bit-field header), whatever the stream
    // stored as its format.
    uint32_t nOffset = pHeader->biSize + 4 * TableColors(*pHeader);
    if (pHeader->biCompression == BI_BITFIELDS && pHeader->biSize == AVF_HEADER_BYTES)
        nOffset += 12;
    *ppHeader = pHeader;
    *ppBits = reinterpret_cast<uint8_t*>(pHeader) + nOffset;
    return true;
}

bool QRVAviFile::ReadFormatChange(uint32_t nIndex, long nFrame, long& nPosition, std::vector<uint8_t>& format)
{
    if (m_bOwnReader) {
        nPosition = m_direct.FindFormatChange(nIndex, nFrame);
        return nPosition >= 0 && nPosition != m_nPaletteSample[nIndex] &&
               m_direct.ReadFormatAt(nIndex, nPosition, format) && format.size() >= AVF_HEADER_BYTES &&
               format.size() <= static_cast<size_t>(AVF_MAX_FORMAT_BYTES);
    }
    PAVISTREAM pStream = m_videoHandles[nIndex];
    long p = AVIStreamFindSample(pStream, nFrame, FIND_PREV | FIND_FORMAT);
    if (p < 0) {
        const long nFirst = AVIStreamFindSample(pStream, 0, FIND_NEXT | FIND_FORMAT);
        if (nFirst >= 0 && nFirst > nFrame)
            p = 0;
    }
    nPosition = p;
    if (p < 0 || p == m_nPaletteSample[nIndex])
        return false;
    long cb = 0;
    if (AVIStreamReadFormat(pStream, p, nullptr, &cb) != AVIERR_OK ||
        cb < static_cast<long>(AVF_HEADER_BYTES) || cb > AVF_MAX_FORMAT_BYTES)
        return false;
    format.resize(static_cast<size_t>(cb));
    long cbRead = cb;
    if (AVIStreamReadFormat(pStream, p, format.data(), &cbRead) != AVIERR_OK || cbRead < 0 || cbRead > cb)
        return false;
    format.resize(static_cast<size_t>(cbRead));
    return format.size() >= AVF_HEADER_BYTES;
}

bool QRVAviFile::RefreshPalette(uint32_t nIndex, BITMAPINFOHEADER* pHeader, uint32_t nRoom, long nFrame)
{
    long p = -1;
    std::vector<uint8_t> format;
    if (!ReadFormatChange(nIndex, nFrame, p, format))
        return false;
    const uint32_t cbRead = static_cast<uint32_t>(format.size());
    const uint32_t nHeaderSize = std::min<uint32_t>(
        std::max<uint32_t>(reinterpret_cast<const BITMAPINFOHEADER*>(format.data())->biSize,
                           AVF_HEADER_BYTES),
        cbRead);
    // The colours follow the header; at most 256 of them are kept.
    const uint32_t cbColors = std::min<uint32_t>((cbRead - nHeaderSize) & ~3u, 4 * AVF_MAX_COLORS);
    uint8_t* pSlot = PaletteSlot(nIndex);
    std::memcpy(pSlot, format.data(), AVF_HEADER_BYTES);
    std::memcpy(pSlot + AVF_HEADER_BYTES, format.data() + nHeaderSize, cbColors);

    // Never beyond the colour table the picture's header has room for.
    const uint32_t cbCopy = std::min(cbColors, nRoom & ~3u);
    std::memcpy(reinterpret_cast<uint8_t*>(pHeader) + pHeader->biSize, format.data() + nHeaderSize, cbCopy);
    if (m_pDecoder[nIndex] && pHeader->biClrUsed != 0 && pHeader->biClrUsed < cbCopy / 4)
        pHeader->biClrUsed = cbCopy / 4;
    m_nPaletteSample[nIndex] = p;
    return true;
}
