// Conversions between a stream's samples and milliseconds, by the AVI
// library's rule: streams of fewer than 1000 samples a second round down,
// faster ones (sound) round up, and results are held to the stream's span
// [start, start + length]. Done exactly in 64-bit integers: the platform's
// own functions compute in single-precision floating point, whose results
// differ by one between builds (x87 registers in 32-bit code, SSE in 64-bit).
// Portable: no platform headers.
#pragma once

#include <algorithm>
#include <cstdint>

struct QRVStreamTime {
    uint32_t nRate = 0;  // samples per nScale seconds
    uint32_t nScale = 0;
    uint32_t nStart = 0;   // first sample
    uint32_t nLength = 0;  // samples

    // The time of a sample in ms; -1 when the stream has no rate.
    long SampleToTime(long nSample) const;
    // The sample at a time in ms; -1 for a negative time or no scale.
    long TimeToSample(long nTime) const;
    // The time just past the last sample.
    long EndTime() const { return SampleToTime(static_cast<long>(End())); }

private:
    // The span's first sample and the one just past its last, held to the
    // platform's LONG range.
    int64_t Begin() const { return std::min<int64_t>(nStart, 0x7FFFFFFF); }
    int64_t End() const { return std::min<int64_t>(static_cast<int64_t>(nStart) + nLength, 0x7FFFFFFF); }
    bool RoundsUp() const { return nRate / nScale >= 1000; }
};
