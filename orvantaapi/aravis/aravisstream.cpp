#include "aravisstream.h"

#include <algorithm>
#include <chrono>

namespace orvanta {

namespace {
// Enough buffers to ride out a slow consumer for a few frames at full rate; the frame ring holds
// one more buffer per slot on top.
constexpr int kBufferCount = 16;
} // namespace

int AravisStream::create(ArvCamera* camera, OrvantaFrameCallback callback,
                         std::shared_ptr<StreamCounters> counters,
                         std::shared_ptr<AravisStream>& out)
{
    std::shared_ptr<AravisStream> s(new AravisStream(callback, std::move(counters)));
    GErrorSlot error;
    const guint payload = arv_camera_get_payload(camera, error.out());
    if (error || payload == 0)
        return ORVANTA_ERR_DEVICE;
    s->stream_.reset(
        arv_camera_create_stream(camera, &AravisStream::onEvent, s.get(), error.out()));
    if (!s->stream_ || error)
        return ORVANTA_ERR_DEVICE;
    arv_stream_set_emit_signals(s->stream_.get(), FALSE);
    // Lost packets are asked for again, so that a lossy link costs resends before frames.
    if (ARV_IS_GV_STREAM(s->stream_.get()))
        g_object_set(s->stream_.get(), "packet-resend", ARV_GV_STREAM_PACKET_RESEND_ALWAYS,
                     nullptr);
    s->home_->stream = s->stream_.get();
    const int buffers = kBufferCount + (callback ? s->ring_.depth() : 0);
    for (int i = 0; i < buffers; ++i)
        arv_stream_push_buffer(s->stream_.get(), arv_buffer_new_allocate(payload));
    out = std::move(s);
    return ORVANTA_OK;
}

AravisStream::~AravisStream()
{
    silence();
    if (stream_) {
        passOnTransferCounts();
        // Signals off first: a signal emitted during the release would reach a dead handler.
        arv_stream_set_emit_signals(stream_.get(), FALSE);
        {
            std::lock_guard<std::mutex> lock(home_->mutex);
            home_->stream = nullptr; // buffers the ring still holds are freed with it
        }
        stream_.reset(); // joins the stream thread
    }
}

void AravisStream::release(std::shared_ptr<AravisStream> stream)
{
    if (!stream)
        return;
    stream->silence();
    if (stream.use_count() == 1 && stream->onStreamThread())
        std::thread([s = std::move(stream)]() mutable { s.reset(); }).detach();
}

void AravisStream::silence()
{
    active_ = false;
    if (!onStreamThread())
        std::lock_guard<std::mutex> wait(deliverMutex_);
    std::lock_guard<std::mutex> lock(grabMutex_);
    for (GrabRequest* r : grabs_) {
        r->done = true;
        r->status = ORVANTA_ERR_NOT_ACQUIRING;
    }
    grabs_.clear();
    grabDone_.notify_all();
}

void AravisStream::onEvent(void* self, ArvStreamCallbackType type, ArvBuffer*)
{
    auto* s = static_cast<AravisStream*>(self);
    if (type == ARV_STREAM_CALLBACK_TYPE_INIT)
        s->threadId_ = std::this_thread::get_id();
    else if (type == ARV_STREAM_CALLBACK_TYPE_BUFFER_DONE)
        s->onBuffer();
}

void AravisStream::onBuffer()
{
    ArvStream* stream = stream_.get();
    if (!stream)
        return; // still inside create()
    passOnTransferCounts();
    ArvBuffer* buffer = arv_stream_try_pop_buffer(stream);
    if (!buffer)
        return;
    ImageView image;
    const bool good = arv_buffer_get_status(buffer) == ARV_BUFFER_STATUS_SUCCESS &&
                      arv_buffer_get_payload_type(buffer) == ARV_BUFFER_PAYLOAD_TYPE_IMAGE;
    if (good) {
        image.data = static_cast<const uint8_t*>(arv_buffer_get_image_data(buffer, &image.size));
        image.width = arv_buffer_get_image_width(buffer);
        image.height = arv_buffer_get_image_height(buffer);
        image.format = pixelFormatByCode(arv_buffer_get_image_pixel_format(buffer));
    }
    if (!image.complete()) {
        // A damaged frame is counted, never shown; one of a format the SDK does not decode
        // is neither.
        if (!good || image.format)
            counters_->frameIncomplete();
        arv_stream_push_buffer(stream, buffer);
        return;
    }
    const guint64 timestamp = arv_buffer_get_system_timestamp(buffer);
    if (firstTimestamp_ == 0)
        firstTimestamp_ = timestamp;
    serveGrab(image);

    std::unique_lock<std::mutex> delivering(deliverMutex_);
    if (!callback_ || !active_) { // a stream for grabs only, or stopped
        arv_stream_push_buffer(stream, buffer);
        return;
    }
    FrameSlot* slot = ring_.beginWrite();
    if (!slot) { // every buffer pinned by consumers: the frame is dropped
        counters_->framesDropped();
        arv_stream_push_buffer(stream, buffer);
        return;
    }
    // The frame is delivered from the Aravis buffer itself; the slot gives it back to the
    // stream when it is written again.
    slot->held = hold(buffer);
    decoder_.fillSlot(*slot, image, bayer_);
    OImageFrame& f = slot->frame;
    f.timestamp = (timestamp - firstTimestamp_) / 1000;
    ring_.publish(slot, nextFrameId_++);
    counters_->frameDelivered();
    callback_(&f);
}

void AravisStream::passOnTransferCounts()
{
    std::lock_guard<std::mutex> lock(transferMutex_);
    guint64 completed = 0, failures = 0, underruns = 0, resent = 0, missing = 0;
    arv_stream_get_statistics(stream_.get(), &completed, &failures, &underruns);
    if (ARV_IS_GV_STREAM(stream_.get()))
        arv_gv_stream_get_statistics(ARV_GV_STREAM(stream_.get()), &resent, &missing);
    counters_->packets(resent - resentPassed_, missing - missingPassed_);
    if (underruns > underrunsPassed_)
        counters_->framesDropped(underruns - underrunsPassed_);
    resentPassed_ = resent, missingPassed_ = missing, underrunsPassed_ = underruns;
}

std::shared_ptr<void> AravisStream::hold(ArvBuffer* buffer) const
{
    return std::shared_ptr<void>(buffer, [home = home_](void* held) {
        auto* b = static_cast<ArvBuffer*>(held);
        std::lock_guard<std::mutex> lock(home->mutex);
        if (home->stream)
            arv_stream_push_buffer(home->stream, b);
        else
            g_object_unref(b);
    });
}

void AravisStream::serveGrab(const ImageView& image)
{
    std::lock_guard<std::mutex> lock(grabMutex_);
    if (grabs_.empty())
        return;
    const uint64_t id = nextFrameId_++;
    for (GrabRequest* r : grabs_) {
        OImageFrame& f = *r->frame;
        r->done = true;
        if (image.pixels() > r->sensorPixels) {
            r->status = ORVANTA_ERR_BAD_ARGUMENT; // the frame would not fit the caller's buffers
            continue;
        }
        decoder_.fillGrab(f, image, r->rgb);
        f.frameID = id;
        f.timestamp = 0;
        r->status = ORVANTA_OK;
    }
    grabs_.clear();
    grabDone_.notify_all();
}

int AravisStream::grab(OImageFrame& frame, size_t sensorPixels, int timeoutMs, bool rgb)
{
    if (onStreamThread())
        return ORVANTA_ERR_ACQUIRING; // the frame could only come from this very thread
    GrabRequest request;
    request.frame = &frame;
    request.sensorPixels = sensorPixels;
    request.rgb = rgb;
    std::unique_lock<std::mutex> lock(grabMutex_);
    if (!active_)
        return ORVANTA_ERR_NOT_ACQUIRING;
    grabs_.push_back(&request);
    if (!grabDone_.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)),
                            [&] { return request.done; })) {
        grabs_.erase(std::find(grabs_.begin(), grabs_.end(), &request));
        return ORVANTA_ERR_TIMEOUT;
    }
    return request.status;
}

} // namespace orvanta
