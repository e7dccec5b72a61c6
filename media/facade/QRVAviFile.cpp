// Opening and closing a movie, its stream list and formats, the sound side
// and the accessors.
#include "QRVAviFile.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "gdiguards.h"

namespace {

constexpr uint32_t AVF_QRVC = BmhFourCC('q', 'r', 'v', 'c');

// Picture bytes of a format as the bit count, width, height and planes
// describe them; 0 when that does not fit into 32 bits.
uint32_t ImageBytes(const BITMAPINFOHEADER& header)
{
    if (header.biWidth <= 0 || header.biHeight == 0)
        return 0;
    const uint64_t nHeight =
        static_cast<uint64_t>(header.biHeight < 0 ? -static_cast<int64_t>(header.biHeight) : header.biHeight);
    const uint64_t nStride = (static_cast<uint64_t>(header.biBitCount) * header.biWidth + 31) / 32 * 4;
    uint64_t nBytes = nStride * nHeight;
    if (header.biPlanes > 1)
        nBytes *= header.biPlanes;
    return nBytes > UINT32_MAX ? 0 : static_cast<uint32_t>(nBytes);
}

// Size of a stream's format at position nPos, or 0 when it cannot be read
// or is beyond what a file can justify.
long FormatSize(PAVISTREAM pStream, long nPos)
{
    long cb = 0;
    if (AVIStreamReadFormat(pStream, nPos, nullptr, &cb) != AVIERR_OK || cb <= 0 || cb > AVF_MAX_FORMAT_BYTES)
        return 0;
    return cb;
}

// Reads a platform stream's format (at its start) and information and hands
// them to adopt; false when a read fails.
template <typename Adopt>
bool ReadPlatformStream(PAVISTREAM pStream, Adopt adopt)
{
    const long nStart = AVIStreamStart(pStream);
    const long cb = FormatSize(pStream, nStart);
    if (cb == 0)
        return false;
    std::vector<uint8_t> format(static_cast<size_t>(cb));
    AVISTREAMINFOW info = {};
    long cbRead = cb;
    if (AVIStreamReadFormat(pStream, nStart, format.data(), &cbRead) != AVIERR_OK ||
        AVIStreamInfoW(pStream, &info, sizeof info) != AVIERR_OK)
        return false;
    return adopt(format, info);
}

}  // namespace

QRVStreamTime QRVAviFile::StreamTimeOf(const AVISTREAMINFOW& info)
{
    QRVStreamTime time;
    time.nRate = info.dwRate;
    time.nScale = info.dwScale;
    time.nStart = info.dwStart;
    time.nLength = info.dwLength;
    return time;
}

QRVAviFile::QRVAviFile()
{
    Reset();
}

QRVAviFile::~QRVAviFile()
{
    Close();
}

void QRVAviFile::Reset()
{
    m_pFile = nullptr;
    m_bOwnReader = false;
    std::memset(&m_fileInfo, 0, sizeof m_fileInfo);
    m_nAudioStreams = 0;
    m_nVideoStreams = 0;
    for (uint32_t i = 0; i < AVF_MAX_STREAMS; ++i) {
        m_audioHandles[i] = nullptr;
        m_pAudioFormat[i].reset();
        m_audioEndTime[i] = 0;
        m_pAudioInfo[i].reset();
        m_videoHandles[i] = nullptr;
        m_pVideoFormat[i].reset();
        m_cbVideoFormat[i] = 0;
        m_getFrame[i] = nullptr;
        m_videoEndTime[i] = 0;
        m_pOutputFormat[i].reset();
        m_cbOutputFormat[i] = 0;
        m_pDecoder[i].reset();
        m_pVideoInfo[i].reset();
        m_nPaletteSample[i] = -1;
    }
    m_bAllKeyFrames = 0;
    m_pCompressed.reset();
    m_cbCompressed = 0;
    m_pictures.Release();
    m_nDecodedStream = -1;

    // Every display colour table starts as the system's halftone palette.
    std::memset(m_palettes, 0, sizeof m_palettes);
    CMemoryDC dc;
    if (dc.Get() == nullptr)
        return;
    CGdiObject<HPALETTE> palette(::CreateHalftonePalette(dc.Get()));
    if (!palette)
        return;
    PALETTEENTRY entries[AVF_MAX_COLORS] = {};
    const UINT nEntries =
        std::min<UINT>(::GetPaletteEntries(palette.Get(), 0, AVF_MAX_COLORS, entries), AVF_MAX_COLORS);
    for (uint32_t nSlot = 0; nSlot < AVF_MAX_STREAMS; ++nSlot) {
        uint8_t* pColors = PaletteSlot(nSlot) + AVF_HEADER_BYTES;
        for (UINT i = 0; i < nEntries; ++i) {
            pColors[4 * i] = entries[i].peBlue;
            pColors[4 * i + 1] = entries[i].peGreen;
            pColors[4 * i + 2] = entries[i].peRed;
        }
    }
}

void QRVAviFile::Close()
{
    for (uint32_t i = 0; i < m_nAudioStreams; ++i) {
        if (m_audioHandles[i] != nullptr)
            AVIStreamRelease(m_audioHandles[i]);
    }
    for (uint32_t i = 0; i < m_nVideoStreams; ++i) {
        // A frame reader left open would outlive its stream.
        if (m_getFrame[i] != nullptr)
            AVIStreamGetFrameClose(m_getFrame[i]);
        if (m_pDecoder[i])
            QRVScreenCodec::End(m_pDecoder[i].get());
        if (m_videoHandles[i] != nullptr)
            AVIStreamRelease(m_videoHandles[i]);
    }
    if (m_pFile != nullptr)
        AVIFileRelease(m_pFile);
    // Our own reader lets the file go too: a closed movie holds no handle,
    // so it can be deleted or written while nothing is shown.
    m_direct.Reset();
    Reset();
}

// The name the platform's AVI library is given: the file's short name,
// where the file system has one. Wine's library passes names through the
// ANSI code page and through fixed buffers: it cannot open names with
// letters outside that code page, refuses paths of some 200 characters and
// crashes on longer ones. Messages still show the name the user gave.
std::wstring QRVAviFile::PlatformPath(const wchar_t* pszPath)
{
    const DWORD nSize = ::GetShortPathNameW(pszPath, nullptr, 0);
    if (nSize == 0)
        return pszPath;
    std::wstring strShort(nSize, L'\0');
    const DWORD nLength = ::GetShortPathNameW(pszPath, &strShort[0], nSize);
    if (nLength == 0 || nLength >= nSize)
        return pszPath;
    strShort.resize(nLength);
    return strShort;
}

bool QRVAviFile::Open(const wchar_t* pszPath)
{
    if (IsOpen())
        Close();
    if (pszPath == nullptr)
        return false;
    // Screen recordings are read by our own reader, damaged ones included;
    // the platform's library sees only movies of other codecs, and files
    // our reader cannot make sense of that are no screen recording.
    const bool bOpened = m_direct.OpenMovie(pszPath) == ODML_OK;
    if (bOpened && m_direct.IsScreenMovie())
        return OpenWithOwnReader(pszPath);
    const bool bOtherCodec = bOpened && m_direct.HasOtherCodec();
    m_direct.Reset();
    if (!bOtherCodec && QRVAviFile20::NamesScreenCodec(pszPath)) {
        ShowOpenFailure(pszPath, AVIERR_BADFORMAT);
        return false;
    }
    return OpenWithPlatform(pszPath);
}

bool QRVAviFile::OpenWithPlatform(const wchar_t* pszPath)
{
    PAVIFILE pFile = nullptr;
    const HRESULT hr = AVIFileOpenW(&pFile, PlatformPath(pszPath).c_str(), m_nOpenMode, nullptr);
    if (hr != AVIERR_OK || pFile == nullptr) {
        if (pFile != nullptr)
            AVIFileRelease(pFile);
        ShowOpenFailure(pszPath, hr);
        return false;
    }
    m_pFile = pFile;
    if (AVIFileInfoW(m_pFile, &m_fileInfo, sizeof m_fileInfo) == AVIERR_OK)
        m_bAllKeyFrames = m_fileInfo.dwCaps & AVF_CAPS_ALL_KEY_FRAMES;

    while (m_nAudioStreams < AVF_MAX_STREAMS &&
           AVIFileGetStream(m_pFile, &m_audioHandles[m_nAudioStreams], streamtypeAUDIO,
                            static_cast<LONG>(m_nAudioStreams)) == AVIERR_OK &&
           m_audioHandles[m_nAudioStreams] != nullptr)
        ++m_nAudioStreams;
    while (m_nVideoStreams < AVF_MAX_STREAMS &&
           AVIFileGetStream(m_pFile, &m_videoHandles[m_nVideoStreams], streamtypeVIDEO,
                            static_cast<LONG>(m_nVideoStreams)) == AVIERR_OK &&
           m_videoHandles[m_nVideoStreams] != nullptr)
        ++m_nVideoStreams;

    for (uint32_t i = 0; i < m_nAudioStreams; ++i) {
        if (!OpenAudioStream(i)) {
            Close();
            return false;
        }
    }
    for (uint32_t i = 0; i < m_nVideoStreams; ++i) {
        if (!OpenVideoStream(i)) {
            Close();
            return false;
        }
    }
    if (m_nAudioStreams == 0 && m_nVideoStreams == 0) {
        ShowNoStreams(pszPath);
        Close();
        return false;
    }
    // Our own index, for the reads the platform fails in large files.
    m_direct.Open(pszPath);
    return true;
}

bool QRVAviFile::OpenAudioStream(uint32_t nIndex)
{
    return ReadPlatformStream(m_audioHandles[nIndex], [&](const std::vector<uint8_t>& format,
                                                          const AVISTREAMINFOW& info) {
        return AdoptAudioStream(nIndex, format.data(), static_cast<uint32_t>(format.size()), info);
    });
}

bool QRVAviFile::AdoptAudioStream(uint32_t nIndex, const uint8_t* pStored, uint32_t cb,
                                  const AVISTREAMINFOW& info)
{
    const size_t cbAlloc = std::max<size_t>(cb, AVF_MIN_WAVE_FORMAT);
    CBuffer pFormat(new (std::nothrow) uint8_t[cbAlloc]());
    std::unique_ptr<AVISTREAMINFOW> pInfo(new (std::nothrow) AVISTREAMINFOW(info));
    if (!pFormat || !pInfo)
        return false;
    std::memcpy(pFormat.get(), pStored, cb);
    // Short stored formats: the fields they lack read as 0 (the buffer
    // started zeroed), which is what the wave engine expects.
    auto* pWave = reinterpret_cast<WAVEFORMATEX*>(pFormat.get());
    if (cb <= 14)
        pWave->wBitsPerSample = 0;
    if (cb <= 16)
        pWave->cbSize = 0;
    m_pAudioFormat[nIndex] = std::move(pFormat);
    m_pAudioInfo[nIndex] = std::move(pInfo);
    m_audioEndTime[nIndex] = AudioTime(nIndex).EndTime();
    return true;
}

bool QRVAviFile::OpenVideoStream(uint32_t nIndex)
{
    return ReadPlatformStream(m_videoHandles[nIndex], [&](const std::vector<uint8_t>& format,
                                                          const AVISTREAMINFOW& info) {
        return AdoptVideoStream(nIndex, format.data(), static_cast<uint32_t>(format.size()), info);
    });
}

bool QRVAviFile::AdoptVideoStream(uint32_t nIndex, const uint8_t* pStored, uint32_t cb,
                                  const AVISTREAMINFOW& info)
{
    // Room for a whole header and 256 colours whatever the file stores, so
    // that every field and colour read later stays inside the buffer.
    const uint32_t cbAlloc = std::max<uint32_t>(cb, AVF_HEADER_BYTES + 4 * AVF_MAX_COLORS);
    CBuffer pFormat(new (std::nothrow) uint8_t[cbAlloc]());
    std::unique_ptr<AVISTREAMINFOW> pInfo(new (std::nothrow) AVISTREAMINFOW(info));
    if (!pFormat || !pInfo)
        return false;
    std::memcpy(pFormat.get(), pStored, cb);
    const auto* pHeader = reinterpret_cast<const BITMAPINFOHEADER*>(pFormat.get());
    if (pHeader->biCompression == AVF_QRVC) {
        CBuffer pOutput(new (std::nothrow) uint8_t[cbAlloc]);
        QRVScreenDecoderPtr pDecoder(QRVScreenCodec::Create());
        if (!pOutput || !pDecoder)
            return false;
        std::memcpy(pOutput.get(), pFormat.get(), cbAlloc);
        auto* pOut = reinterpret_cast<BITMAPINFOHEADER*>(pOutput.get());
        pOut->biCompression = BI_RGB;
        pOut->biSizeImage = ImageBytes(*pOut);
        // A refused format is not an error here: every frame then fails.
        QRVScreenCodec::Begin(pDecoder.get(), reinterpret_cast<const QRVBitmapHeader*>(pHeader),
                              reinterpret_cast<QRVBitmapHeader*>(pOut));
        m_pOutputFormat[nIndex] = std::move(pOutput);
        m_cbOutputFormat[nIndex] = cbAlloc;
        m_pDecoder[nIndex] = std::move(pDecoder);
    }
    m_pVideoFormat[nIndex] = std::move(pFormat);
    m_cbVideoFormat[nIndex] = static_cast<uint32_t>(cb);
    m_pVideoInfo[nIndex] = std::move(pInfo);
    return true;
}

long QRVAviFile::AudioTimeToSample(uint32_t nIndex, long nTime) const
{
    return nIndex < m_nAudioStreams ? AudioTime(nIndex).TimeToSample(nTime) : 0;
}

long QRVAviFile::AudioSampleToTime(uint32_t nIndex, long nSample) const
{
    return nIndex < m_nAudioStreams ? AudioTime(nIndex).SampleToTime(nSample) : -1;
}

long QRVAviFile::VideoTimeToSample(uint32_t nIndex, long nTime) const
{
    return nIndex < m_nVideoStreams ? VideoTime(nIndex).TimeToSample(nTime) : -1;
}

long QRVAviFile::VideoSampleToTime(uint32_t nIndex, long nSample) const
{
    return nIndex < m_nVideoStreams ? VideoTime(nIndex).SampleToTime(nSample) : -1;
}

long QRVAviFile::GetAudioReadSize(uint32_t nIndex)
{
    if (nIndex >= m_nAudioStreams)
        return 0;
    long nBytes = 0;
    long nSamples = 0;
    if (m_direct.ReadAudio(m_audioHandles[nIndex], nIndex, 0, AVISTREAMREAD_CONVENIENT, nullptr, 0, &nBytes,
                           &nSamples) != ODML_OK)
        return 0;
    return std::max(nBytes, 0L);
}

bool QRVAviFile::ReadAudioSamples(uint32_t nIndex, long& nCursor, void* pBuffer, long& nBytes)
{
    if (nIndex >= m_nAudioStreams || pBuffer == nullptr || nBytes <= 0 || nCursor < 0)
        return false;
    long nRead = 0;
    long nSamples = 0;
    // As many whole samples as the buffer holds: Wine's library refuses a
    // count whose bytes exceed the buffer instead of reading what fits.
    const WAVEFORMATEX* pFormat = GetAudioFormat(nIndex);
    const long nCount = nBytes / std::max<long>(pFormat->nBlockAlign, 1);
    if (nCount <= 0)
        return false;
    if (m_direct.ReadAudio(m_audioHandles[nIndex], nIndex, nCursor, nCount, pBuffer, nBytes, &nRead,
                           &nSamples) != ODML_OK)
        return false;
    if (nRead < 0 || nRead > nBytes || nSamples < 0)
        return false;
    nCursor += nSamples;
    nBytes = nRead;
    return true;
}

BITMAPINFOHEADER* QRVAviFile::GetVideoFormat(uint32_t nIndex) const
{
    return nIndex < m_nVideoStreams ? reinterpret_cast<BITMAPINFOHEADER*>(m_pVideoFormat[nIndex].get())
                                    : nullptr;
}

uint32_t QRVAviFile::GetVideoFormatSize(uint32_t nIndex) const
{
    return nIndex < m_nVideoStreams ? m_cbVideoFormat[nIndex] : 0;
}

const AVISTREAMINFOW* QRVAviFile::GetVideoInfo(uint32_t nIndex) const
{
    return nIndex < m_nVideoStreams ? m_pVideoInfo[nIndex].get() : nullptr;
}

long QRVAviFile::GetVideoEndTime(uint32_t nIndex) const
{
    return nIndex < m_nVideoStreams ? m_videoEndTime[nIndex] : 0;
}

bool QRVAviFile::HasBuiltInDecoder(uint32_t nIndex) const
{
    return nIndex < m_nVideoStreams && m_pDecoder[nIndex] != nullptr;
}

const RGBQUAD* QRVAviFile::GetPaletteColors(uint32_t nIndex) const
{
    return nIndex < m_nVideoStreams
               ? reinterpret_cast<const RGBQUAD*>(m_palettes + AVF_PALETTE_SLOT * nIndex + AVF_HEADER_BYTES)
               : nullptr;
}

WAVEFORMATEX* QRVAviFile::GetAudioFormat(uint32_t nIndex) const
{
    return nIndex < m_nAudioStreams ? reinterpret_cast<WAVEFORMATEX*>(m_pAudioFormat[nIndex].get()) : nullptr;
}

const AVISTREAMINFOW* QRVAviFile::GetAudioInfo(uint32_t nIndex) const
{
    return nIndex < m_nAudioStreams ? m_pAudioInfo[nIndex].get() : nullptr;
}

long QRVAviFile::GetAudioEndTime(uint32_t nIndex) const
{
    return nIndex < m_nAudioStreams ? m_audioEndTime[nIndex] : 0;
}
