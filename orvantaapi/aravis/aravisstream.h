// One acquisition stream of an Aravis camera: its buffers, the callback on the stream's own
// thread, each good frame delivered from the Aravis buffer itself through the SDK's frame ring
// (no copy; the ring slot holds the buffer until the slot is reused) and single grabs.
#ifndef ORVANTA_ARAVISSTREAM_H
#define ORVANTA_ARAVISSTREAM_H

#include "OrvantaAPI.h"
#include "framedecoder.h"
#include "framering.h"
#include "gobjectptr.h"
#include "streamcounters.h"

#include <arv.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace orvanta {

class AravisStream
{
public:
    // Creates the stream with its buffers (not yet acquiring), packet resend on for GigE
    // Vision. callback may be null: the stream then only serves grabs. counters receives the
    // stream's transfer figures.
    static int create(ArvCamera* camera, OrvantaFrameCallback callback,
                      std::shared_ptr<StreamCounters> counters, std::shared_ptr<AravisStream>& out);
    AravisStream(const AravisStream&) = delete;
    AravisStream& operator=(const AravisStream&) = delete;
    // Releases the stream, which ends its thread; never call it on that thread.
    ~AravisStream();

    // No callback starts after this; waits for a running one unless called from it. Waiting
    // grabs return ORVANTA_ERR_NOT_ACQUIRING.
    void silence();
    bool onStreamThread() const { return std::this_thread::get_id() == threadId_.load(); }

    void setBayerConversion(bool on) { bayer_ = on; }
    // Copies the next good frame into the caller's buffers, which hold a frame of up to
    // sensorPixels pixels as the SDK header asks.
    int grab(OImageFrame& frame, size_t sensorPixels, int timeoutMs, bool rgb);

    // Silences the stream and drops the caller's reference; the last one is dropped off the
    // stream's own thread.
    static void release(std::shared_ptr<AravisStream> stream);

private:
    struct GrabRequest
    {
        OImageFrame* frame = nullptr;
        size_t sensorPixels = 0;
        bool rgb = false;
        bool done = false;
        int status = ORVANTA_ERR_TIMEOUT;
    };

    // Where buffers that ring slots held go when the slots let them go: back to the stream
    // while it lives, freed after.
    struct BufferHome
    {
        std::mutex mutex;
        ArvStream* stream = nullptr;
    };

    AravisStream(OrvantaFrameCallback callback, std::shared_ptr<StreamCounters> counters)
        : callback_(callback), counters_(std::move(counters))
    {}
    static void onEvent(void* self, ArvStreamCallbackType type, ArvBuffer* buffer);
    void onBuffer();
    void serveGrab(const ImageView& image);
    std::shared_ptr<void> hold(ArvBuffer* buffer) const;
    // Hands what Aravis counted since the last call (resent and missing packets, frames
    // without a free buffer) on to the counters.
    void passOnTransferCounts();

    GObjectPtr<ArvStream> stream_;
    const OrvantaFrameCallback callback_;
    std::shared_ptr<BufferHome> home_ = std::make_shared<BufferHome>();
    FrameRing ring_;
    FrameDecoder decoder_;       // stream thread only
    uint64_t nextFrameId_ = 1;   // stream thread only
    guint64 firstTimestamp_ = 0; // stream thread only
    std::atomic<std::thread::id> threadId_{};
    std::atomic<bool> active_{true};
    std::atomic<bool> bayer_{false};
    const std::shared_ptr<StreamCounters> counters_;
    std::mutex transferMutex_; // guards the three counts below
    guint64 resentPassed_ = 0, missingPassed_ = 0, underrunsPassed_ = 0;
    std::mutex deliverMutex_; // held while the callback runs

    std::mutex grabMutex_;
    std::condition_variable grabDone_;
    std::vector<GrabRequest*> grabs_;
};

} // namespace orvanta

#endif
