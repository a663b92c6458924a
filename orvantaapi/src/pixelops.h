// Pixel conversions shared by the cameras: Bayer GR demosaic and bit-depth reduction.
#ifndef ORVANTA_PIXELOPS_H
#define ORVANTA_PIXELOPS_H

#include <cstddef>
#include <cstdint>

namespace orvanta {

// Bilinear demosaic of a Bayer GR mosaic (first row G R G R ..., second row B G B G ...) into
// packed RGB888. Uses OpenCV's imgproc where the SDK was built with it (same interior result,
// about twice as fast), else demosaicGR8Bilinear.
void demosaicGR8(const uint8_t* mosaic, int width, int height, uint8_t* rgb);

// The SDK's own bilinear demosaic; border pixels use reflected neighbours.
void demosaicGR8Bilinear(const uint8_t* mosaic, int width, int height, uint8_t* rgb);

// Most significant 8 bits of 16-bit little-endian samples of the given bit depth.
void reduceTo8(const uint16_t* samples, size_t count, int bitDepth, uint8_t* out);

// Replicates a grey plane into packed RGB888.
void greyToRgb(const uint8_t* grey, size_t count, uint8_t* rgb);

} // namespace orvanta

#endif
