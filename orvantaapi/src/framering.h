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
    // The planes the SDK owns; each is sized by the first frame that needs it.
    std::vector<unsigned char> raw, rgb, mono8;
    // A backend's buffer the frame's planes point into (a real camera's frame, used without a
    // copy). Released when the slot is picked to be written again, or freed.
    std::shared_ptr<void> held;
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
    int depth() const { return int(slots_.size()); }
    ~FrameRing();
    FrameRing(const FrameRing&) = delete;
    FrameRing& operator=(const FrameRing&) = delete;

    // The next buffer that no consumer pins, marked as being written, its held buffer released;
    // null when all are pinned.
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
