#include "framering.h"

#include <unordered_map>

namespace orvanta {

namespace {
// Every live frame record, so that a caller's pointer is looked up, never dereferenced.
struct SlotRegistry
{
    std::mutex mutex;
    std::unordered_map<const OImageFrame*, std::shared_ptr<FrameSlot>> slots;
};

SlotRegistry& registry()
{
    static SlotRegistry r;
    return r;
}
} // namespace

FrameRing::FrameRing(int depth)
{
    auto& reg = registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    for (int i = 0; i < depth; ++i) {
        auto slot = std::make_shared<FrameSlot>();
        reg.slots[&slot->frame] = slot;
        slots_.push_back(std::move(slot));
    }
}

FrameRing::~FrameRing()
{
    auto& reg = registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    for (auto& slot : slots_) {
        std::lock_guard<std::mutex> slotLock(slot->mutex);
        if (slot->pins > 0)
            slot->orphaned = true;
        else
            reg.slots.erase(&slot->frame);
    }
}

FrameSlot* FrameRing::beginWrite()
{
    for (size_t tried = 0; tried < slots_.size(); ++tried) {
        FrameSlot* slot = slots_[next_].get();
        next_ = (next_ + 1) % slots_.size();
        std::unique_lock<std::mutex> lock(slot->mutex);
        if (slot->pins == 0) {
            slot->writing = true;
            slot->publishedId = 0;
            lock.unlock();
            slot->held.reset(); // no consumer can reach the slot while it is being written
            return slot;
        }
    }
    return nullptr;
}

void FrameRing::publish(FrameSlot* slot, uint64_t frameID)
{
    std::lock_guard<std::mutex> lock(slot->mutex);
    slot->frame.frameID = frameID;
    slot->publishedId = frameID;
    slot->writing = false;
}

int FrameRing::lock(const OImageFrame* frame, uint64_t frameID)
{
    if (!frame)
        return ORVANTA_ERR_BAD_ARGUMENT;
    auto& reg = registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    auto it = reg.slots.find(frame);
    if (it == reg.slots.end())
        return ORVANTA_ERR_BAD_ARGUMENT;
    FrameSlot& slot = *it->second;
    std::lock_guard<std::mutex> slotLock(slot.mutex);
    if (slot.writing || slot.orphaned || slot.publishedId != frameID || frameID == 0)
        return ORVANTA_ERR_FRAME_REUSED;
    ++slot.pins;
    return ORVANTA_OK;
}

int FrameRing::unlock(const OImageFrame* frame)
{
    if (!frame)
        return ORVANTA_ERR_BAD_ARGUMENT;
    auto& reg = registry();
    std::lock_guard<std::mutex> lock(reg.mutex);
    auto it = reg.slots.find(frame);
    if (it == reg.slots.end())
        return ORVANTA_ERR_BAD_ARGUMENT;
    const std::shared_ptr<FrameSlot> slot = it->second; // outlives slotLock
    std::lock_guard<std::mutex> slotLock(slot->mutex);
    if (slot->pins == 0)
        return ORVANTA_ERR_BAD_ARGUMENT;
    if (--slot->pins == 0 && slot->orphaned)
        reg.slots.erase(it);
    return ORVANTA_OK;
}

} // namespace orvanta
