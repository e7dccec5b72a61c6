#include "QRVSnapshotCache.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// Above any distance between two frames: comparisons saturate here.
constexpr uint64_t SNP_SATURATED = 1ull << 40;

// C(s + r, s): how many frames s snapshots let a walk back cover when no
// frame is decoded more than r times; saturated.
uint64_t Coverage(uint64_t s, uint64_t r)
{
    uint64_t v = 1;
    for (uint64_t k = 1; k <= s; ++k) {
        if (v > SNP_SATURATED / (r + k))
            return SNP_SATURATED;
        v = v * (r + k) / k;  // C(r + k, k), exact at every step
    }
    return v;
}

}  // namespace

QRVSnapshotCache::QRVSnapshotCache(uint64_t nBudgetBytes, uint32_t nMaxPictures)
    : m_nBudgetBytes(nBudgetBytes), m_nMaxPictures(nMaxPictures)
{
}

bool QRVSnapshotCache::SetPictureSize(uint32_t cbPicture)
{
    if (cbPicture == m_cbPicture && m_pPicture)
        return true;
    Release();
    if (cbPicture == 0)
        return false;
    m_pPicture.reset(new (std::nothrow) uint8_t[cbPicture]());
    if (!m_pPicture)
        return false;
    m_cbPicture = cbPicture;
    m_nCapacity = static_cast<uint32_t>(std::min<uint64_t>(m_nMaxPictures, m_nBudgetBytes / cbPicture));
    return true;
}

void QRVSnapshotCache::Drop()
{
    m_nHeld = -1;
    for (CSnapshot& snapshot : m_snapshots)
        snapshot.nFrame = -1;
}

void QRVSnapshotCache::Release()
{
    m_snapshots.clear();
    m_pPicture.reset();
    m_cbPicture = 0;
    m_nCapacity = 0;
    m_nHeld = -1;
}

uint32_t QRVSnapshotCache::SnapshotCount() const
{
    return static_cast<uint32_t>(std::count_if(m_snapshots.begin(), m_snapshots.end(),
                                               [](const CSnapshot& s) { return s.nFrame >= 0; }));
}

uint64_t QRVSnapshotCache::BytesHeld() const
{
    const uint64_t nPictures = (m_pPicture ? 1 : 0) + m_snapshots.size();
    return nPictures * m_cbPicture;
}

std::vector<long> QRVSnapshotCache::PlanSnapshots(long nFrom, long nTarget, uint32_t nFree)
{
    // Each snapshot splits what is left: below it the walk back later has
    // one more snapshot to spend, above it one fewer. The split point lies
    // in the range where both parts need no more decodes per frame than the
    // whole; the middle of that range, but no more than twice an even share
    // of what is left, keeps the longest decode short.
    std::vector<long> plan;
    long nCur = nFrom;
    uint64_t c = nFree;
    while (c > 0 && nTarget - nCur > 1) {
        const uint64_t s = static_cast<uint64_t>(nTarget - nCur);
        uint64_t rLow = 1, rHigh = s;  // Coverage(c, s) >= s always
        while (rLow < rHigh) {
            const uint64_t r = rLow + (rHigh - rLow) / 2;
            if (Coverage(c, r) >= s)
                rHigh = r;
            else
                rLow = r + 1;
        }
        const uint64_t r = rLow;
        const uint64_t nAbove = Coverage(c - 1, r);
        const uint64_t nLow = nAbove >= s ? 1 : std::max<uint64_t>(1, s - nAbove);
        uint64_t nHigh = std::min<uint64_t>(Coverage(c, r - 1), s - 1);
        nHigh = std::max(nHigh, nLow);
        const uint64_t nEvenShare = (s + c) / (c + 1);
        const long nAt = nCur + static_cast<long>(std::min((nLow + nHigh) / 2, 2 * nEvenShare));
        if (nAt >= nTarget)
            break;
        plan.push_back(nAt);
        nCur = nAt;
        --c;
    }
    return plan;
}

QRVSnapshotCache::CSnapshot* QRVSnapshotCache::BestStart(long nKey, long nTarget)
{
    CSnapshot* pBest = nullptr;
    for (CSnapshot& snapshot : m_snapshots) {
        if (snapshot.nFrame >= nKey && snapshot.nFrame <= nTarget &&
            (pBest == nullptr || snapshot.nFrame > pBest->nFrame))
            pBest = &snapshot;
    }
    return pBest;
}

QRVSnapshotCache::CSnapshot* QRVSnapshotCache::FreeSlot(long nKey, long nTarget, uint32_t nMaxSlots)
{
    // A free slot, else a new one while the budget allows, else the oldest
    // snapshot the target cannot use.
    CSnapshot* pOldest = nullptr;
    for (CSnapshot& snapshot : m_snapshots) {
        if (snapshot.nFrame < 0)
            return &snapshot;
        if ((snapshot.nFrame < nKey || snapshot.nFrame > nTarget) &&
            (pOldest == nullptr || snapshot.nAge < pOldest->nAge))
            pOldest = &snapshot;
    }
    if (m_snapshots.size() < std::min(m_nCapacity, nMaxSlots)) {
        CBuffer pBits(new (std::nothrow) uint8_t[m_cbPicture]);
        if (pBits) {
            m_snapshots.emplace_back();
            m_snapshots.back().pBits = std::move(pBits);
            return &m_snapshots.back();
        }
    }
    return pOldest;
}

void QRVSnapshotCache::TakeSnapshot(long nKey, long nTarget, long nFrame, uint32_t nMaxSlots)
{
    CSnapshot* pSlot = FreeSlot(nKey, nTarget, nMaxSlots);
    if (pSlot == nullptr)
        return;
    std::memcpy(pSlot->pBits.get(), m_pPicture.get(), m_cbPicture);
    ++m_nCopies;
    pSlot->nFrame = nFrame;
    pSlot->nAge = ++m_nClock;
}

bool QRVSnapshotCache::DecodeRun(long nKey, long nFrom, long nTarget, bool bBack, QRVFrameSource& source)
{
    const auto nUsable = std::count_if(m_snapshots.begin(), m_snapshots.end(), [&](const CSnapshot& s) {
        return s.nFrame >= nKey && s.nFrame <= nTarget;
    });
    // A walk back asks the system for one new picture a step, so that its
    // first step is not held up by fresh memory; a seek is long anyway.
    const uint32_t nAllocated = static_cast<uint32_t>(m_snapshots.size());
    const uint32_t nNew = bBack ? std::min(1u, m_nCapacity - nAllocated) : m_nCapacity - nAllocated;
    const std::vector<long> plan =
        PlanSnapshots(nFrom, nTarget, nAllocated + nNew - static_cast<uint32_t>(nUsable));
    const uint64_t nSeekWork = SNP_SEEK_COPIES * (m_cbPicture / SNP_COPY_SHARE);
    uint64_t nWork = 0;  // since the start or the last snapshot
    size_t nNext = 0;
    for (long j = nFrom + 1; j < nTarget; ++j) {
        m_nHeld = -1;
        uint32_t cbFrame = 0;
        const QRVPaintResult result = source.Paint(j, m_pPicture.get(), cbFrame);
        if (result == SNP_FAILED) {
            Drop();
            return false;
        }
        // An empty key frame leaves nothing to build on: start blank.
        if (result == SNP_EMPTY && j == nKey)
            std::memset(m_pPicture.get(), 0, m_cbPicture);
        m_nHeld = j;
        nWork += SNP_FRAME_WORK + cbFrame;
        if (nNext < plan.size() && plan[nNext] == j) {
            ++nNext;
            if (bBack || nWork >= nSeekWork) {
                TakeSnapshot(nKey, nTarget, j, nAllocated + nNew);
                nWork = 0;
            }
        }
    }
    return true;
}

QRVPaintResult QRVSnapshotCache::Reach(long nFrame, bool bAllKeyFrames, QRVFrameSource& source)
{
    if (!m_pPicture || nFrame < 0) {
        Drop();
        return SNP_FAILED;
    }
    if (m_nHeld == nFrame)
        return SNP_PAINTED;
    const bool bNext = m_nHeld >= 0 && m_nHeld == nFrame - 1;
    // A snapshot of the target itself is copied, unless the target follows
    // the picture held (playback paints onto it).
    for (CSnapshot& snapshot : m_snapshots) {
        if (snapshot.nFrame == nFrame && !bNext) {
            std::memcpy(m_pPicture.get(), snapshot.pBits.get(), m_cbPicture);
            ++m_nCopies;
            snapshot.nAge = ++m_nClock;
            m_nHeld = nFrame;
            return SNP_PAINTED;
        }
    }
    if (nFrame != 0 && !bNext && !bAllKeyFrames) {
        const long nKey = source.KeyFrameAtOrBefore(nFrame);
        if (nKey >= 0 && nKey <= nFrame) {
            // Back within the interval of the picture held: a walk back has
            // begun, and snapshots on the way pay for themselves.
            const bool bBack = m_nHeld > nFrame && source.KeyFrameAtOrBefore(m_nHeld) == nKey;
            long nFrom = (m_nHeld >= nKey && m_nHeld < nFrame) ? m_nHeld : nKey - 1;
            CSnapshot* pStart = BestStart(nKey, nFrame);
            if (pStart != nullptr && pStart->nFrame > nFrom) {
                std::memcpy(m_pPicture.get(), pStart->pBits.get(), m_cbPicture);
                ++m_nCopies;
                nFrom = pStart->nFrame;
            }
            m_nHeld = nFrom >= nKey ? nFrom : -1;
            if (!DecodeRun(nKey, nFrom, nFrame, bBack, source))
                return SNP_FAILED;
        }
    }
    const bool bFollows = m_nHeld >= 0 && m_nHeld == nFrame - 1;
    m_nHeld = -1;
    uint32_t cbFrame = 0;
    switch (source.Paint(nFrame, m_pPicture.get(), cbFrame)) {
    case SNP_FAILED:
        Drop();
        return SNP_FAILED;
    case SNP_EMPTY:
        // Built up to the frame before, the picture is the empty frame's;
        // it only stays what the caller had after the frame before.
        m_nHeld = bFollows ? nFrame : -1;
        return bFollows && !bNext ? SNP_PAINTED : SNP_EMPTY;
    case SNP_PAINTED:
        break;
    }
    m_nHeld = nFrame;
    return SNP_PAINTED;
}
