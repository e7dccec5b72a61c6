#include "AviFrameTool.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <vector>

#include "QRVAviFile.h"
#include "msgbox.h"

namespace {

std::string Utf8(const std::wstring& str)
{
    if (str.empty())
        return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, str.c_str(), static_cast<int>(str.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, str.c_str(), static_cast<int>(str.size()), &out[0], n, nullptr,
                            nullptr);
    return out;
}

std::string FourCC(DWORD n)
{
    std::string str;
    for (int i = 0; i < 4; ++i) {
        const char c = static_cast<char>(n >> (8 * i));
        str += (c >= 32 && c < 127) ? c : '.';
    }
    return str;
}

std::string Format(const char* pszFormat, ...)
{
    char sz[512] = {};
    va_list args;
    va_start(args, pszFormat);
    std::vsnprintf(sz, sizeof sz, pszFormat, args);
    va_end(args);
    return sz;
}

// A whole non-negative decimal number, or false.
bool ParseNumber(const std::wstring& str, long& n)
{
    if (str.empty() || str.size() > 9)
        return false;
    n = 0;
    for (wchar_t c : str) {
        if (c < L'0' || c > L'9')
            return false;
        n = n * 10 + (c - L'0');
    }
    return true;
}

// Writes a bottom-up picture (with its colour table for 8 bits and less) as
// a BMP file.
bool WriteBmp(const std::wstring& strPath, const BITMAPINFOHEADER& header, const uint8_t* pBits)
{
    const uint64_t nStride = (static_cast<uint64_t>(header.biBitCount) * header.biWidth + 31) / 32 * 4;
    const uint64_t nHeight = header.biHeight < 0 ? -static_cast<int64_t>(header.biHeight) : header.biHeight;
    const uint64_t cbPixels = nStride * nHeight;
    const uint32_t nColors =
        header.biBitCount <= 8
            ? (header.biClrUsed != 0 && header.biClrUsed < 256 ? header.biClrUsed : 1u << header.biBitCount)
            : 0;
    if (header.biWidth <= 0 || cbPixels == 0 || cbPixels > 0x7FFFFFFF)
        return false;
    BITMAPINFOHEADER out = header;
    out.biSize = sizeof(BITMAPINFOHEADER);
    out.biCompression = BI_RGB;
    out.biSizeImage = static_cast<DWORD>(cbPixels);
    out.biClrUsed = nColors;
    out.biClrImportant = 0;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = static_cast<DWORD>(sizeof file + sizeof out + 4 * nColors);
    file.bfSize = static_cast<DWORD>(file.bfOffBits + cbPixels);
    std::FILE* pFile = _wfopen(strPath.c_str(), L"wb");
    if (pFile == nullptr)
        return false;
    const uint8_t* pColors = reinterpret_cast<const uint8_t*>(&header) + header.biSize;
    bool bOk = std::fwrite(&file, sizeof file, 1, pFile) == 1 &&
               std::fwrite(&out, sizeof out, 1, pFile) == 1 &&
               (nColors == 0 || std::fwrite(pColors, 4 * nColors, 1, pFile) == 1) &&
               std::fwrite(pBits, static_cast<size_t>(cbPixels), 1, pFile) == 1;
    bOk = std::fclose(pFile) == 0 && bOk;
    return bOk;
}

}  // namespace

const char* AviFrameUsage()
{
    return "usage: avi-frame movie.avi [-t ms | -f frame] [-s stream] [-o picture.bmp]\n"
           "  Lists the movie's streams; with -t or -f writes the picture of picture\n"
           "  stream -s (default 0) at that time in milliseconds or that frame\n"
           "  number to the -o file (default frame.bmp).\n";
}

int AviFrameRun(const std::vector<std::wstring>& args, std::string& strOut, std::string& strErr)
{
    std::wstring strMovie;
    std::wstring strBmp = L"frame.bmp";
    long nTime = -1;
    long nFrame = -1;
    long nStream = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        const bool bValue = i + 1 < args.size();
        if (a == L"-t" && bValue && ParseNumber(args[i + 1], nTime)) {
            ++i;
        } else if (a == L"-f" && bValue && ParseNumber(args[i + 1], nFrame)) {
            ++i;
        } else if (a == L"-s" && bValue && ParseNumber(args[i + 1], nStream)) {
            ++i;
        } else if (a == L"-o" && bValue) {
            strBmp = args[++i];
        } else if (!a.empty() && a[0] != L'-' && strMovie.empty()) {
            strMovie = a;
        } else {
            strErr += "avi-frame: bad argument " + Utf8(a) + "\n" + AviFrameUsage();
            return 2;
        }
    }
    if (strMovie.empty() || (nTime >= 0 && nFrame >= 0)) {
        strErr += AviFrameUsage();
        return 2;
    }

    // The facade's messages go to the error output, not to message boxes.
    CMessageBoxHook hookPrev = AfxSetMessageBoxHook([&strErr](const CMessageBoxRecord& record) {
        strErr += Utf8(record.strText) + "\n";
        return IDOK;
    });
    struct CRestoreHook {
        CMessageBoxHook& hook;
        ~CRestoreHook() { AfxSetMessageBoxHook(std::move(hook)); }
    } restore{hookPrev};

    QRVAviFile file;
    if (!file.Open(strMovie.c_str()))
        return 1;
    for (uint32_t i = 0; i < file.GetVideoStreamCount(); ++i) {
        const BITMAPINFOHEADER* pFormat = file.GetVideoFormat(i);
        const AVISTREAMINFOW* pInfo = file.GetVideoInfo(i);
        strOut += Format("video %u: %s, %ldx%ld, %u bits, %lu frames, %ld ms\n", i,
                         FourCC(pInfo->fccHandler).c_str(), static_cast<long>(pFormat->biWidth),
                         static_cast<long>(pFormat->biHeight), static_cast<unsigned>(pFormat->biBitCount),
                         static_cast<unsigned long>(pInfo->dwLength),
                         file.VideoSampleToTime(i, static_cast<long>(pInfo->dwStart + pInfo->dwLength)));
    }
    for (uint32_t i = 0; i < file.GetAudioStreamCount(); ++i) {
        const WAVEFORMATEX* pFormat = file.GetAudioFormat(i);
        const AVISTREAMINFOW* pInfo = file.GetAudioInfo(i);
        strOut += Format(
            "audio %u: format %u, %lu Hz, %u bits, %u channels, %lu samples, %ld ms\n", i,
            static_cast<unsigned>(pFormat->wFormatTag), static_cast<unsigned long>(pFormat->nSamplesPerSec),
            static_cast<unsigned>(pFormat->wBitsPerSample), static_cast<unsigned>(pFormat->nChannels),
            static_cast<unsigned long>(pInfo->dwLength), file.GetAudioEndTime(i));
    }
    if (nTime < 0 && nFrame < 0)
        return 0;

    const uint32_t nIndex = static_cast<uint32_t>(nStream);
    if (!file.GetFrameOpen(nIndex)) {
        strErr += Format("avi-frame: picture stream %ld cannot be read\n", nStream);
        return 1;
    }
    long f = nFrame >= 0 ? nFrame : file.VideoTimeToSample(nIndex, nTime);
    if (nTime > file.GetVideoEndTime(nIndex) || f < 0) {
        strErr += Format("avi-frame: %ld ms is past the end (%ld ms)\n", nTime, file.GetVideoEndTime(nIndex));
        return 1;
    }
    if (nTime >= 0 && nTime == file.GetVideoEndTime(nIndex))
        f = file.VideoTimeToSample(nIndex, nTime - 1);
    const AVISTREAMINFOW* pInfo = file.GetVideoInfo(nIndex);
    if (f < static_cast<long>(pInfo->dwStart) ||
        f - static_cast<long>(pInfo->dwStart) >= static_cast<long>(pInfo->dwLength)) {
        strErr += Format("avi-frame: frame %ld is past the end (%lu frames)\n", f,
                         static_cast<unsigned long>(pInfo->dwLength));
        return 1;
    }
    // An empty frame repeats the picture before it: look back until a frame
    // delivers one.
    BITMAPINFOHEADER* pHeader = nullptr;
    uint8_t* pBits = nullptr;
    long nShown = f;
    for (long g = f; g >= 0 && pHeader == nullptr; --g) {
        long nCurrent = -2;
        file.GetFrameAtSample(nIndex, g, &pHeader, &pBits, nCurrent, false);
        nShown = g;
        if (pHeader == nullptr && !file.HasBuiltInDecoder(nIndex))
            break;
    }
    if (pHeader == nullptr || pBits == nullptr) {
        strErr += Format("avi-frame: no picture for frame %ld\n", f);
        return 1;
    }
    if (!WriteBmp(strBmp, *pHeader, pBits)) {
        strErr += "avi-frame: cannot write " + Utf8(strBmp) + "\n";
        return 1;
    }
    strOut += Format("frame %ld (picture of frame %ld) written to %s\n", f, nShown, Utf8(strBmp).c_str());
    return 0;
}
