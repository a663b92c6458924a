// Pixel handling of camera images: the 8-bit plane and the RGB picture of an image in any of
// the usual mono, Bayer and RGB formats, with the demosaic the simulated cameras use.
#ifndef ORVANTA_ARAVISFRAME_H
#define ORVANTA_ARAVISFRAME_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvanta {

struct ImageView
{
    const uint8_t* data = nullptr;
    size_t size = 0;
    int width = 0, height = 0;
    uint32_t pixelFormat = 0; // GigE Vision pixel-format code
};

// Bits one pixel occupies in the image data.
int imageBitsPerPixel(uint32_t pixelFormat);

// True when the data holds at least width x height pixels of the format.
bool imageComplete(const ImageView& image);

// The most significant 8 bits of every sample (width x height bytes). Colour formats give
// their luminance.
void imageToMono8(const ImageView& image, uint8_t* mono8, std::vector<uint8_t>& scratch);

// Packed RGB888 (width x height x 3 bytes): demosaiced colour for Bayer formats, grey for mono
// formats. Unknown formats give black.
void imageToRgb(const ImageView& image, uint8_t* rgb, std::vector<uint8_t>& scratch);

} // namespace orvanta

#endif
