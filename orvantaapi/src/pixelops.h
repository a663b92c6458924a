// Pixel loops shared by the cameras and the frame decoding: demosaic, bit-depth reduction,
// unpacking and packing of packed samples, and the colour-format conversions the SDK does
// itself where OpenCV is not there.
#ifndef ORVANTA_PIXELOPS_H
#define ORVANTA_PIXELOPS_H

#include "pixelformat.h"

#include <cstddef>
#include <cstdint>

namespace orvanta {

// Bilinear demosaic of a mosaic into packed RGB (three samples a pixel, as deep as the
// mosaic). Uses OpenCV's imgproc where the SDK was built with it, else the SDK's own loops.
void demosaic8(const uint8_t* mosaic, int width, int height, Mosaic arrangement, uint8_t* rgb);
void demosaic16(const uint16_t* mosaic, int width, int height, Mosaic arrangement, uint16_t* rgb);

// Most significant 8 bits of 16-bit samples of the given bit depth.
void reduceTo8(const uint16_t* samples, size_t count, int bitDepth, uint8_t* out);

// Replicates a grey plane into packed RGB888.
void greyToRgb(const uint8_t* grey, size_t count, uint8_t* rgb);

// Packed samples (Packing::LsbPacked or GvPacked, 10 or 12 bits) from sample `first` on:
// the samples themselves, or their most significant 8 bits.
void unpackSamples(const uint8_t* data, Packing packing, int depth, size_t first, size_t count,
                   uint16_t* out);
void unpackTop8(const uint8_t* data, Packing packing, int depth, size_t count, uint8_t* out);
// The reverse of unpackSamples from sample 0 (the simulated cameras send packed formats).
void packSamples(const uint16_t* samples, size_t count, Packing packing, int depth, uint8_t* out);

// Colour formats to RGB888 and their luma (ITU-R BT.601; YUV 4:2:2 with Y in 16..235 and U, V
// centred on 128); width x height pixels, rows packed. Through OpenCV where the SDK has it.
void colourToRgb(const uint8_t* data, int width, int height, ChannelOrder order, uint8_t* rgb);
void colourLuma(const uint8_t* data, int width, int height, ChannelOrder order, uint8_t* luma);
// RGB888 into a colour format (the simulated cameras' output).
void rgbToColour(const uint8_t* rgb, size_t pixels, ChannelOrder order, uint8_t* out);

// The SDK's own conversions, used where OpenCV is not there or cannot take the picture (too
// small, odd widths for YUV).
namespace own {
void demosaic8(const uint8_t* mosaic, int width, int height, Mosaic arrangement, uint8_t* rgb);
void demosaic16(const uint16_t* mosaic, int width, int height, Mosaic arrangement, uint16_t* rgb);
void colourToRgb(const uint8_t* data, size_t pixels, ChannelOrder order, uint8_t* rgb);
void colourLuma(const uint8_t* data, size_t pixels, ChannelOrder order, uint8_t* luma);
} // namespace own

} // namespace orvanta

#endif
