// Encoder of the "qrvc" screen codec: turns pictures into run-length streams,
// as key frames (every pixel written) or as deltas against the picture encoded
// before, and packs the streams into frames (deflated, or bare when short).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "QRVPicture.h"

class QRVRleWriter;

class QRVScreenEncoder {
public:
    // Starts a new sequence for pictures of this geometry; the next frame is a key frame.
    bool Begin(int32_t nWidth, int32_t nHeight, int nBitCount);

    // Encodes pPicture into a run-length stream. A delta is made when bKey is
    // false and a previous picture exists; it falls back to a key frame when
    // the delta would exceed the decoder's stream limit. The picture becomes
    // the reference for the next delta. False (with LastError) when the
    // geometry does not match Begin or the stream exceeds the limit.
    bool EncodeStream(const QRVPicture& picture, bool bKey, std::vector<uint8_t>& stream);

    // EncodeStream followed by Pack.
    bool EncodeFrame(const QRVPicture& picture, bool bKey, std::vector<uint8_t>& frame);

    // Whether the last encoded frame was a key frame, and whether it was a
    // delta that changed nothing (its stream is only the end of picture).
    bool LastWasKey() const { return m_bLastKey; }
    bool LastUnchanged() const { return m_bLastUnchanged; }
    const std::string& LastError() const { return m_strError; }

    // Frame data for a run-length stream: streams of at most 10 bytes are
    // returned bare; longer ones are deflated at nLevel, and if that result
    // were 10 bytes or fewer (and so be taken for a bare stream) at level 0.
    static std::vector<uint8_t> Pack(const std::vector<uint8_t>& stream, int nLevel = 9);

    // One-shot zlib compression (compress2); false on any zlib failure.
    static bool Deflate(const uint8_t* pData, size_t nSize, int nLevel, std::vector<uint8_t>& out);

    // Appends nCount pixels from pPixels as runs and literal runs.
    static void EncodeSpan(QRVRleWriter& writer, const uint8_t* pPixels, uint32_t nCount);

private:
    void EncodeKey(const QRVPicture& picture, QRVRleWriter& writer) const;
    void EncodeDelta(const QRVPicture& picture, QRVRleWriter& writer) const;

    int32_t m_nWidth = 0;
    int32_t m_nHeight = 0;
    int m_nBitCount = 0;
    uint32_t m_nMaxStream = 0;
    QRVPicture m_reference;
    bool m_bHasReference = false;
    bool m_bLastKey = false;
    bool m_bLastUnchanged = false;
    std::string m_strError;
};
