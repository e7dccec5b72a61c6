#include "QRVStreamTime.h"

#include <algorithm>

namespace {

// Results are the platform's LONG, 32 bits on every Windows.
constexpr uint64_t STREAMTIME_MAX = 0x7FFFFFFF;

// n * m / d rounded down or up, saturated to STREAMTIME_MAX. Exact for any
// 64-bit operands: the 128-bit product is divided one bit at a time.
long MulDiv(uint64_t n, uint64_t m, uint64_t d, bool bRoundUp)
{
    const uint64_t nLo = n & 0xFFFFFFFFu, nHi = n >> 32;
    const uint64_t mLo = m & 0xFFFFFFFFu, mHi = m >> 32;
    const uint64_t ll = nLo * mLo, lh = nLo * mHi, hl = nHi * mLo, hh = nHi * mHi;
    const uint64_t mid = (ll >> 32) + (lh & 0xFFFFFFFFu) + (hl & 0xFFFFFFFFu);
    const uint64_t lo = (mid << 32) | (ll & 0xFFFFFFFFu);
    const uint64_t hi = hh + (lh >> 32) + (hl >> 32) + (mid >> 32);
    if (hi >= d)  // the quotient needs more than 64 bits
        return static_cast<long>(STREAMTIME_MAX);
    uint64_t q = 0;
    uint64_t r = hi;  // stays below d
    for (int i = 63; i >= 0; --i) {
        const bool bCarry = (r >> 63) != 0;
        r = (r << 1) | ((lo >> i) & 1u);
        q <<= 1;
        if (bCarry || r >= d) {
            r -= d;
            q |= 1u;
        }
    }
    if (q >= STREAMTIME_MAX)
        return static_cast<long>(STREAMTIME_MAX);
    if (bRoundUp && r != 0)
        ++q;
    return static_cast<long>(q);
}

}  // namespace

long QRVStreamTime::SampleToTime(long nSample) const
{
    if (nRate == 0 || nScale == 0)
        return -1;
    const int64_t nClamped = std::clamp<int64_t>(nSample, Begin(), End());
    return MulDiv(static_cast<uint64_t>(nClamped), static_cast<uint64_t>(nScale) * 1000u, nRate, RoundsUp());
}

long QRVStreamTime::TimeToSample(long nTime) const
{
    if (nTime < 0 || nScale == 0)
        return -1;
    const long nSample =
        MulDiv(static_cast<uint64_t>(nTime), nRate, static_cast<uint64_t>(nScale) * 1000u, RoundsUp());
    return static_cast<long>(std::clamp<int64_t>(nSample, Begin(), End()));
}
