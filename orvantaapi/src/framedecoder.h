// Turns camera images of any supported pixel format into the SDK's frame planes: the 8-bit
// plane and RGB888, written straight into a ring slot or a caller's grab buffers.
#ifndef ORVANTA_FRAMEDECODER_H
#define ORVANTA_FRAMEDECODER_H

#include "OrvantaAPI.h"
#include "framering.h"
#include "pixelformat.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvanta {

// An image as a camera sent it.
struct ImageView
{
    const uint8_t* data = nullptr;
    size_t size = 0; // bytes at data
    int width = 0, height = 0;
    const PixelFormatInfo* format = nullptr; // null: a format the SDK does not decode

    size_t pixels() const { return size_t(width) * size_t(height); }
    // A known format, a size and data for every pixel.
    bool complete() const;
};

// One per thread that decodes: it keeps the working buffers between frames.
class FrameDecoder
{
public:
    // True when the format's data is its own 8-bit plane (8-bit mono and Bayer).
    static bool monoIsData(const PixelFormatInfo& f);
    // True when the format's data is already RGB888 (RGB8).
    static bool rgbIsData(const PixelFormatInfo& f);
    // True when a frame of the format gets rgbData with Bayer conversion on or off.
    static bool fillsRgb(const PixelFormatInfo& f, bool conversion);

    // The 8-bit plane, width x height bytes: the high 8 bits of each sample, or the luma.
    void toMono8(const ImageView& image, uint8_t* mono8);
    // RGB888: demosaiced for Bayer formats, converted for colour formats, grey (from the
    // image's 8-bit plane mono8) for mono formats.
    void toRgb(const ImageView& image, const uint8_t* mono8, uint8_t* rgb);

    // Makes the slot's frame describe the image, whose data stays where it is while the slot
    // holds it: rawData is the image data, the other planes use it where the format allows
    // and the slot's own buffers, sized for this frame, otherwise. frameID and timestamp are
    // left to the caller.
    void fillSlot(FrameSlot& slot, const ImageView& image, bool conversion);
    // Copies the image into a caller's grab buffers: rawData and mono8Data when set, rgbData
    // when rgb. Sets every field but frameID and timestamp.
    void fillGrab(OImageFrame& frame, const ImageView& image, bool rgb);

private:
    void bayerToRgb(const ImageView& image, uint8_t* rgb);
    // 16-bit samples of rows [first, first + rows): straight from the data for 16-bit
    // containers, unpacked into samples_ for packed formats.
    const uint16_t* sampleRows(const ImageView& image, int first, int rows);

    std::vector<uint16_t> samples_, rgb16_;
    std::vector<uint8_t> mono8_;
};

} // namespace orvanta

#endif
