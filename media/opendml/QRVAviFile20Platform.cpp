// Reads through the facade's platform streams. Our own index goes first when
// it is loaded: under Wine the platform's AVI library aborts the process on a
// video sample beyond its legacy index and crashes on sound reads of OpenDML
// files without one, so it is asked only about files we did not index.
#include <windows.h>
#include <vfw.h>

#include "QRVAviFile20.h"

static_assert(sizeof(long) == sizeof(int32_t), "LONG is 32 bits");

namespace {

bool ServesList(bool bIndexed, uint32_t nIndex, const std::vector<int32_t>& streams)
{
    return bIndexed && nIndex < streams.size() && streams[nIndex] >= 0;
}

// One read of either kind: from our table when it lists the stream, else
// from the platform.
int32_t ReadIndexedOrPlatform(QRVAviFile20& file, const std::vector<int32_t>& streams, bool bIndexed,
                              IAVIStream* pStream, uint32_t nIndex, long nFirst, long nCount, void* pBuffer,
                              long nBufferSize, long* pnBytes, long* pnSamples)
{
    if (ServesList(bIndexed, nIndex, streams)) {
        int32_t nBytes = 0;
        int32_t nSamples = 0;
        const int32_t nResult = file.ReadDirect(static_cast<uint32_t>(streams[nIndex]), nFirst, nCount,
                                                pBuffer, nBufferSize, &nBytes, &nSamples);
        if (pnBytes)
            *pnBytes = nBytes;
        if (pnSamples)
            *pnSamples = nSamples;
        return nResult;
    }
    if (pStream != nullptr &&
        AVIStreamRead(pStream, nFirst, nCount, pBuffer, nBufferSize, pnBytes, pnSamples) == AVIERR_OK)
        return ODML_OK;
    return ODML_FAIL;
}

}  // namespace

int32_t QRVAviFile20::ReadVideo(IAVIStream* pStream, uint32_t nVideoIndex, long nFirst, long nCount,
                                void* pBuffer, long nBufferSize, long* pnBytes, long* pnSamples)
{
    return ReadIndexedOrPlatform(*this, m_videoStreams, IsIndexed(), pStream, nVideoIndex, nFirst, nCount,
                                 pBuffer, nBufferSize, pnBytes, pnSamples);
}

int32_t QRVAviFile20::ReadAudio(IAVIStream* pStream, uint32_t nAudioIndex, long nFirst, long nCount,
                                void* pBuffer, long nBufferSize, long* pnBytes, long* pnSamples)
{
    return ReadIndexedOrPlatform(*this, m_audioStreams, IsIndexed(), pStream, nAudioIndex, nFirst, nCount,
                                 pBuffer, nBufferSize, pnBytes, pnSamples);
}

long QRVAviFile20::FindKeyFrame(IAVIStream* pStream, uint32_t nVideoIndex, long nFrame)
{
    if (ServesList(IsIndexed(), nVideoIndex, m_videoStreams))
        return FindKeyFrameDirect(nVideoIndex, nFrame);
    if (pStream != nullptr) {
        const long nKey = AVIStreamFindSample(pStream, nFrame - 1, FIND_PREV | FIND_KEY);
        if (nKey >= 0)
            return nKey;
    }
    return FindKeyFrameDirect(nVideoIndex, nFrame);
}
