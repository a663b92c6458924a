#include "aravisstream.h"

#include "aravisframe.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace orvanta {

namespace {
// Enough buffers to ride out a slow consumer for a few frames at full rate.
constexpr int kBufferCount = 16;
} // namespace

int AravisStream::create(ArvCamera* camera, OrvantaFrameCallback callback,
                         std::shared_ptr<AravisStream>& out)
{
    std::shared_ptr<AravisStream> s(new AravisStream(callback));
    GErrorSlot error;
    const guint payload = arv_camera_get_payload(camera, error.out());
    if (error || payload == 0)
        return ORVANTA_ERR_DEVICE;
    s->stream_.reset(
        arv_camera_create_stream(camera, &AravisStream::onEvent, s.get(), error.out()));
    if (!s->stream_ || error)
        return ORVANTA_ERR_DEVICE;
    arv_stream_set_emit_signals(s->stream_.get(), FALSE);
    for (int i = 0; i < kBufferCount; ++i)
        arv_stream_push_buffer(s->stream_.get(), arv_buffer_new_allocate(payload));
    out = std::move(s);
    return ORVANTA_OK;
}

AravisStream::~AravisStream()
{
    silence();
    if (stream_) {
        // Signals off first: a signal emitted during the release would reach a dead handler.
        arv_stream_set_emit_signals(stream_.get(), FALSE);
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
        image.pixelFormat = arv_buffer_get_image_pixel_format(buffer);
    }
    if (!good || !imageComplete(image)) {
        ++incomplete_;
        arv_stream_push_buffer(stream, buffer);
        return;
    }
    const size_t bytes = size_t(image.width) * size_t(image.height) *
                         size_t(imageBitsPerPixel(image.pixelFormat) / 8);
    image.size = bytes;
    const guint64 timestamp = arv_buffer_get_system_timestamp(buffer);
    if (firstTimestamp_ == 0)
        firstTimestamp_ = timestamp;
    serveGrab(image.data, image.size, image.width, image.height, image.pixelFormat);

    std::unique_lock<std::mutex> delivering(deliverMutex_);
    FrameSlot* slot = callback_ && active_ ? ring_.beginWrite() : nullptr;
    if (!slot) { // no stream callback, stopped, or every buffer pinned: the frame is dropped
        arv_stream_push_buffer(stream, buffer);
        return;
    }
    slot->raw.assign(image.data, image.data + bytes);
    arv_stream_push_buffer(stream, buffer); // back to the camera before any conversion
    image.data = slot->raw.data();

    OImageFrame& f = slot->frame;
    const size_t pixels = size_t(image.width) * size_t(image.height);
    const int bits = imageBitsPerPixel(image.pixelFormat);
    if (bits == 8) {
        f.mono8Data = slot->raw.data();
    } else {
        slot->mono8.resize(pixels);
        imageToMono8(image, slot->mono8.data(), scratch_);
        f.mono8Data = slot->mono8.data();
    }
    if (bayer_) {
        slot->rgb.resize(pixels * 3);
        imageToRgb(image, slot->rgb.data(), scratch_);
    }
    f.rgbData = slot->rgb.data();
    f.rawData = slot->raw.data();
    f.dataSize = uint32_t(bytes);
    f.width = uint32_t(image.width);
    f.height = uint32_t(image.height);
    f.bitsPerPixel = uint32_t(bits);
    f.pixelFormat = image.pixelFormat;
    f.timestamp = (timestamp - firstTimestamp_) / 1000;
    ring_.publish(slot, nextFrameId_++);
    callback_(&f);
    ++delivered_;
}

void AravisStream::serveGrab(const uint8_t* data, size_t size, int width, int height,
                             uint32_t format)
{
    std::lock_guard<std::mutex> lock(grabMutex_);
    if (grabs_.empty())
        return;
    const ImageView image{data, size, width, height, format};
    const size_t pixels = size_t(width) * size_t(height);
    const uint64_t id = nextFrameId_++;
    for (GrabRequest* r : grabs_) {
        OImageFrame& f = *r->frame;
        r->done = true;
        if ((f.rawData && size > r->capacity.raw) || (f.mono8Data && pixels > r->capacity.mono8) ||
            (r->rgb && pixels * 3 > r->capacity.rgb)) {
            r->status = ORVANTA_ERR_BAD_ARGUMENT; // the frame would not fit the caller's buffers
            continue;
        }
        if (f.rawData)
            std::memcpy(f.rawData, data, size);
        if (f.mono8Data)
            imageToMono8(image, f.mono8Data, scratch_);
        if (r->rgb)
            imageToRgb(image, f.rgbData, scratch_);
        f.dataSize = uint32_t(size);
        f.width = uint32_t(width);
        f.height = uint32_t(height);
        f.bitsPerPixel = uint32_t(imageBitsPerPixel(format));
        f.pixelFormat = format;
        f.frameID = id;
        f.timestamp = 0;
        r->status = ORVANTA_OK;
    }
    grabs_.clear();
    grabDone_.notify_all();
}

StreamStatistics AravisStream::statistics() const
{
    StreamStatistics st;
    st.delivered = delivered_;
    st.incomplete = incomplete_;
    guint64 completed = 0, failures = 0, underruns = 0;
    arv_stream_get_statistics(stream_.get(), &completed, &failures, &underruns);
    st.completed = completed, st.failures = failures, st.underruns = underruns;
    if (ARV_IS_GV_STREAM(stream_.get())) {
        guint64 resent = 0, missing = 0;
        arv_gv_stream_get_statistics(ARV_GV_STREAM(stream_.get()), &resent, &missing);
        st.resentPackets = resent, st.missingPackets = missing;
    }
    return st;
}

int AravisStream::grab(OImageFrame& frame, const GrabCapacity& capacity, int timeoutMs, bool rgb)
{
    if (onStreamThread())
        return ORVANTA_ERR_ACQUIRING; // the frame could only come from this very thread
    GrabRequest request;
    request.frame = &frame;
    request.capacity = capacity;
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
