// The decoded picture of a stream of key and delta frames, and snapshots of
// earlier pictures that make a step back cheap. A delta frame paints onto the
// picture before it, so the picture of frame F is reached by decoding from
// the key frame at or before F; without snapshots every step back decodes
// that whole run again.
//
// Reach decodes from the nearest start it knows: the picture held, a
// snapshot, or the key frame, and keeps snapshots along the way, placed as
// checkpoints of a reversal schedule: with s snapshots a walk back through
// C(s + r, s) frames decodes no frame more than about r times, and the first
// one is never farther than twice an even share from its start, which bounds
// the longest step. Going back within the interval of the picture held (a
// walk back has begun) every planned snapshot is taken; any other decode
// (a seek) takes one only after decoding work worth several copies since
// the last, so that seeks through cheap frames copy nothing. A target that
// is itself a snapshot costs one copy. The picture stays in one buffer, so
// that a caller showing it sees the frames it is handed in place.
//
// Budget: at most SNP_BUDGET_BYTES and SNP_MAX_PICTURES snapshots, none when
// a picture is larger than the budget; their memory is allocated as they
// are first taken, on a walk back one picture a step. A new snapshot takes
// the place of one the current target cannot use (past it or in another
// interval), oldest first; snapshots the target can use are never given up
// for it. Forward playback (the frame
// after the one held) decodes onto the picture held and never copies. Every
// picture reached is bit for bit the one a decode from its key frame gives.
//
// Portable; no lock of its own.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

constexpr uint64_t SNP_BUDGET_BYTES = 64ull << 20;
constexpr uint32_t SNP_MAX_PICTURES = 8;
// Decoding work is counted in compressed bytes: a frame costs its bytes and
// this much besides; copying a picture costs a 32nd of its bytes. A seek
// takes a snapshot after work worth SNP_SEEK_COPIES copies.
constexpr uint64_t SNP_FRAME_WORK = 4096;
constexpr uint64_t SNP_COPY_SHARE = 32;
constexpr uint64_t SNP_SEEK_COPIES = 8;

// What painting a frame did.
enum QRVPaintResult {
    SNP_PAINTED,  // the picture changed into the frame's
    SNP_EMPTY,    // an empty frame: the picture stays as it was
    SNP_FAILED,   // unreadable or undecodable: the picture is undefined
};

// The frames of one picture stream.
class QRVFrameSource {
public:
    virtual ~QRVFrameSource() = default;
    // The nearest key frame at or before nFrame; -1 when unknown.
    virtual long KeyFrameAtOrBefore(long nFrame) = 0;
    // Paints frame nFrame onto pPicture, which holds the picture before it;
    // cbFrame receives the frame's compressed bytes.
    virtual QRVPaintResult Paint(long nFrame, uint8_t* pPicture, uint32_t& cbFrame) = 0;
};

class QRVSnapshotCache {
public:
    explicit QRVSnapshotCache(uint64_t nBudgetBytes = SNP_BUDGET_BYTES, uint32_t nMaxPictures = SNP_MAX_PICTURES);

    // Sets the picture size. A new size frees every picture and holds
    // nothing; false when memory for the picture is short.
    bool SetPictureSize(uint32_t cbPicture);
    // Forgets the picture held and every snapshot (the stream changed or a
    // decode failed); the memory stays for reuse.
    void Drop();
    // Frees every picture.
    void Release();

    // Makes the picture hold frame nFrame. SNP_PAINTED: Picture() is the
    // frame's, and differs from what it held (an empty frame reached from
    // elsewhere than the frame before it is the picture it leaves).
    // SNP_EMPTY: an empty frame after the frame held, which stays; or an
    // empty frame with nothing decoded before it, and nothing is held.
    // SNP_FAILED: nothing is held and every snapshot is dropped. With
    // bAllKeyFrames every frame is decoded alone; a frame whose key frame is
    // unknown is painted onto whatever the picture holds.
    QRVPaintResult Reach(long nFrame, bool bAllKeyFrames, QRVFrameSource& source);

    // The picture (SetPictureSize bytes), in the same buffer until the next
    // SetPictureSize or Release.
    uint8_t* Picture() const { return m_pPicture.get(); }
    long HeldFrame() const { return m_nHeld; }
    uint32_t PictureBytes() const { return m_cbPicture; }

    // What the budget allows for the current size, and what is used.
    uint32_t Capacity() const { return m_nCapacity; }
    uint32_t SnapshotCount() const;
    // Bytes of all pictures allocated, the picture held included.
    uint64_t BytesHeld() const;
    // Pictures copied since construction (snapshots taken and restored).
    uint64_t CopyCount() const { return m_nCopies; }

    // Snapshot positions for a decode from the picture of frame nFrom up to
    // nTarget with nFree snapshots to place: ascending, inside (nFrom,
    // nTarget). nFrom is one before the key frame when decoding from it.
    static std::vector<long> PlanSnapshots(long nFrom, long nTarget, uint32_t nFree);

private:
    using CBuffer = std::unique_ptr<uint8_t[]>;
    struct CSnapshot {
        CBuffer pBits;
        long nFrame = -1;  // -1: free
        uint64_t nAge = 0;
    };

    CSnapshot* BestStart(long nKey, long nTarget);
    CSnapshot* FreeSlot(long nKey, long nTarget, uint32_t nMaxSlots);
    void TakeSnapshot(long nKey, long nTarget, long nFrame, uint32_t nMaxSlots);
    bool DecodeRun(long nKey, long nFrom, long nTarget, bool bBack, QRVFrameSource& source);

    uint64_t m_nBudgetBytes;
    uint32_t m_nMaxPictures;
    uint32_t m_cbPicture = 0;
    uint32_t m_nCapacity = 0;
    CBuffer m_pPicture;
    long m_nHeld = -1;
    std::vector<CSnapshot> m_snapshots;  // at most m_nCapacity
    uint64_t m_nClock = 0;
    uint64_t m_nCopies = 0;
};
