// Minimal reader of "qrvc" run-length streams for the writer's tests: walks
// the records, counts the pixels each row receives and paints them into a
// picture, refusing anything that leaves the picture or the stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "QRVPicture.h"

struct RleWalk {
    bool bOk = false;  // ended with end of picture, all inside bounds
    std::string strError;
    std::vector<uint32_t> rowPixels;  // pixels written (runs and literals) per storage row
    size_t nRecords = 0;
    size_t nDeltas = 0;
    size_t nEndOfLines = 0;
    size_t nLiterals = 0;
    size_t nRuns = 0;
};

// Walks stream over picture (painting it when bPaint).
inline RleWalk WalkRle(const std::vector<uint8_t>& stream, QRVPicture& picture, bool bPaint = true)
{
    RleWalk walk;
    const uint32_t nBpp = picture.BytesPerPixel();
    const uint32_t nWidth = static_cast<uint32_t>(picture.Width());
    const uint32_t nHeight = static_cast<uint32_t>(picture.Height());
    walk.rowPixels.assign(nHeight, 0);
    uint32_t x = 0, y = 0;
    size_t i = 0;
    auto fail = [&](const char* psz) {
        walk.strError = std::string(psz) + " at byte " + std::to_string(i);
        return walk;
    };
    auto put = [&](const uint8_t* pPixels, uint32_t nCount, bool bRepeat) {
        if (y >= nHeight || x + nCount > nWidth)
            return false;
        for (uint32_t k = 0; k < nCount; ++k) {
            if (bPaint)
                std::memcpy(picture.Row(y) + (x + k) * nBpp, pPixels + (bRepeat ? 0 : k * nBpp), nBpp);
        }
        x += nCount;
        walk.rowPixels[y] += nCount;
        return true;
    };
    while (i < stream.size()) {
        ++walk.nRecords;
        const uint8_t n = stream[i];
        if (n != 0) {
            if (i + 1 + nBpp > stream.size())
                return fail("run past end");
            if (!put(&stream[i + 1], n, true))
                return fail("run outside picture");
            ++walk.nRuns;
            i += 1 + nBpp;
            continue;
        }
        if (i + 2 > stream.size())
            return fail("record past end");
        const uint8_t nCode = stream[i + 1];
        if (nCode == 0) {
            ++y;
            x = 0;
            ++walk.nEndOfLines;
            i += 2;
        } else if (nCode == 1) {
            i += 2;
            if (i != stream.size())
                return fail("bytes after end of picture");
            walk.bOk = true;
            return walk;
        } else if (nCode == 2) {
            if (i + 4 > stream.size())
                return fail("delta past end");
            x += stream[i + 2];
            y += stream[i + 3];
            if (x > nWidth || y > nHeight)
                return fail("delta outside picture");
            ++walk.nDeltas;
            i += 4;
        } else {
            const size_t nBytes = static_cast<size_t>(nCode) * nBpp + ((nBpp == 1 && (nCode & 1)) ? 1 : 0);
            if (i + 2 + nBytes > stream.size())
                return fail("literal past end");
            if (!put(&stream[i + 2], nCode, false))
                return fail("literal outside picture");
            ++walk.nLiterals;
            i += 2 + nBytes;
        }
    }
    return fail("no end of picture");
}
