#include "framehandover.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr uint32_t kBayerGR12 = 0x01100010;
constexpr uint32_t kMono12 = 0x01100005;

// Copies up to 'wanted' bytes from src (which holds 'available' bytes); zero-fills the rest so
// a short plane never leaves stale bytes of an earlier frame in the picture.
void copyBounded(unsigned char* dst, size_t wanted, const unsigned char* src, size_t available)
{
    const size_t n = std::min(wanted, available);
    if (n > 0) {
        std::memcpy(dst, src, n);
    }
    if (n < wanted) {
        std::memset(dst + n, 0, wanted - n);
    }
}
} // namespace

void FrameHandOver::push(OImageFrame* frame)
{
    const FrameRef ref{frame, frame->frameID};
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_pending) {
        ++m_dropped;
    }
    m_newest = ref;
    m_pending = true;
}

bool FrameHandOver::takeNewest(FrameRef* out)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_pending) {
        return false;
    }
    *out = m_newest;
    m_pending = false;
    return true;
}

void FrameHandOver::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pending = false;
    m_newest = FrameRef();
}

uint64_t FrameHandOver::droppedFrames() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_dropped;
}

DisplayPlane displayPlaneFor(bool colour, uint32_t pixelFormat, uint32_t bitsPerPixel)
{
    if (colour) {
        return DisplayPlane::Rgb;
    }
    // Any 16-bit container (Mono10 included) is shown from its 8-bit plane; reading the raw
    // plane would show the low bytes of the samples.
    if (pixelFormat == kBayerGR12 || pixelFormat == kMono12 || bitsPerPixel > 8) {
        return DisplayPlane::Mono8;
    }
    return DisplayPlane::Raw;
}

bool copyPinnedFrame(const FrameRef& ref, bool colour, uint32_t pixelFormat,
                     CopiedFrame::Extra extra, CopiedFrame* out)
{
    if (!ref.frame || OrvantaLockFrame(ref.frame, ref.frameID) != ORVANTA_OK) {
        return false;
    }
    const OImageFrame& f = *ref.frame;
    const size_t pixels = size_t(f.width) * f.height;
    const DisplayPlane plane = displayPlaneFor(colour, pixelFormat, f.bitsPerPixel);
    const unsigned char* src = plane == DisplayPlane::Rgb     ? f.rgbData
                               : plane == DisplayPlane::Mono8 ? f.mono8Data
                                                              : f.rawData;
    const size_t pictureBytes = plane == DisplayPlane::Rgb ? pixels * 3 : pixels;
    // The raw plane holds dataSize bytes; the other planes are sized by the geometry.
    const size_t available = plane == DisplayPlane::Raw ? f.dataSize : pictureBytes;
    const bool ok = pixels > 0 && src != nullptr;
    if (ok) {
        out->width = int(f.width);
        out->height = int(f.height);
        out->colour = plane == DisplayPlane::Rgb;
        if (out->picture.size() < pictureBytes) {
            out->picture.resize(pictureBytes);
        }
        copyBounded(out->picture.data(), pictureBytes, src, available);
        out->extra.clear();
        if (extra == CopiedFrame::Extra::Raw && f.rawData) {
            out->extra.assign(f.rawData, f.rawData + f.dataSize);
        } else if (extra == CopiedFrame::Extra::Rgb && f.rgbData) {
            out->extra.assign(f.rgbData, f.rgbData + pixels * 3);
        }
    }
    (void)OrvantaUnlockFrame(ref.frame); // fails only for a frame not pinned: nothing to undo
    return ok;
}
