// Sine tone as PCM sound, for the sound track of test movies.
#pragma once

#include <cstdint>
#include <vector>

struct QRVToneFormat {
    uint16_t nChannels = 1;  // 1 or 2; every channel carries the same tone
    uint32_t nSamplesPerSec = 22050;
    uint16_t nBitsPerSample = 16;  // 8 (unsigned, centred on 128) or 16 (signed)
};

// PCM samples nFirst .. nFirst + nCount - 1 of a sine of fFrequency Hz whose
// peak is fAmplitude (0..1) of full scale. Starting at nFirst keeps the phase
// continuous across consecutive pieces. Empty for an unsupported format.
std::vector<uint8_t> QRVSineTone(const QRVToneFormat& format, double fFrequency, double fAmplitude,
                                 uint64_t nFirst, uint32_t nCount);
