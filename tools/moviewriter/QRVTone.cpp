#include "QRVTone.h"

#include <algorithm>
#include <cmath>

std::vector<uint8_t> QRVSineTone(const QRVToneFormat& format, double fFrequency, double fAmplitude,
                                 uint64_t nFirst, uint32_t nCount)
{
    std::vector<uint8_t> out;
    if ((format.nChannels != 1 && format.nChannels != 2) ||
        (format.nBitsPerSample != 8 && format.nBitsPerSample != 16) || format.nSamplesPerSec == 0)
        return out;
    const double fPi = 3.14159265358979323846;
    const double fPeak = std::clamp(fAmplitude, 0.0, 1.0);
    out.reserve(static_cast<size_t>(nCount) * format.nChannels * (format.nBitsPerSample / 8));
    for (uint32_t i = 0; i < nCount; ++i) {
        // Phase from the sample number modulo the rate keeps precision on long tones.
        const uint64_t nSample = nFirst + i;
        const double fSeconds = static_cast<double>(nSample % format.nSamplesPerSec) / format.nSamplesPerSec +
                                static_cast<double>(nSample / format.nSamplesPerSec);
        const double fValue = fPeak * std::sin(2.0 * fPi * fFrequency * fSeconds);
        for (uint16_t c = 0; c < format.nChannels; ++c) {
            if (format.nBitsPerSample == 8) {
                out.push_back(static_cast<uint8_t>(std::lround(128.0 + 127.0 * fValue)));
            } else {
                const long nValue = std::lround(32767.0 * fValue);
                const uint16_t nWord = static_cast<uint16_t>(static_cast<int16_t>(nValue));
                out.push_back(static_cast<uint8_t>(nWord));
                out.push_back(static_cast<uint8_t>(nWord >> 8));
            }
        }
    }
    return out;
}
