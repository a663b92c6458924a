// The ring of frame buffers an acquisition delivers into, and the pinning that lets a consumer
// copy a delivered frame on another thread without ever seeing it torn.
#ifndef ORVANTA_FRAMERING_H
#define ORVANTA_FRAMERING_H

#include "OrvantaAPI.h"

#include <memory>
#include <mutex>
#include <vector>

namespace orvanta {

struct FrameSlot
{
    OImageFrame frame{};
    std::vector<unsigned char> raw, rgb, mono8;
    // Guarded by mutex: the pins, the writing flag and the published frame ID. Taking the
    // mutex on both sides orders the writer's pixels before a reader's copy and the reader's
    // copy before the next reuse.
    std::mutex mutex;
    int pins = 0;
    bool writing = false;
    bool orphaned = false; // its ring is gone; freed when the last pin goes
    uint64_t publishedId = 0;
};

class FrameRing
{
public:
    // Buffers grow on first use, so only what a stream really fills is allocated.
    explicit FrameRing(int depth = ORVANTA_FRAME_RING_DEPTH);
    ~FrameRing();
    FrameRing(const FrameRing&) = delete;
    FrameRing& operator=(const FrameRing&) = delete;

    // The next buffer that no consumer pins, marked as being written; null when all are pinned.
    FrameSlot* beginWrite();
    // Makes the written buffer hold frame frameID.
    void publish(FrameSlot* slot, uint64_t frameID);

    static int lock(const OImageFrame* frame, uint64_t frameID);
    static int unlock(const OImageFrame* frame);

private:
    std::vector<std::shared_ptr<FrameSlot>> slots_;
    size_t next_ = 0;
};

} // namespace orvanta

#endif
