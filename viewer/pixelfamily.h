#ifndef PIXELFAMILY_H
#define PIXELFAMILY_H

#include <QString>

#include "sdk/OrvantaAPI.h"

// The family of a pixel format, told by its GenICam name. It decides what the viewer shows
// (the RGB picture or the 8-bit plane), whether the SDK's Bayer conversion is needed, and
// whether saving the RGB data is offered.
enum class PixelFamily
{
    Mono,   // Mono8, Mono12p, ...
    Bayer,  // BayerGR8, BayerRG12Packed, ...
    Rgb,    // RGB8, BGRa8, RGB8Packed, ...
    Yuv,    // YUV422_8, YUV422_8_UYVY, YCbCr...
    Unknown // anything else: shown as mono, if the SDK can stream it at all
};

PixelFamily pixelFamily(const QString& pixelFormat);

// Bayer, RGB/BGR and YUV formats are colour.
bool isColourFormat(const QString& pixelFormat);

// Bits of one sample as the format's name gives them ("Mono12p" 12, "BayerGR10Packed" 10,
// "Mono8" 8); 0 for a name without a number.
int sampleBits(const QString& pixelFormat);

// The camera's own sample at (x, y) of a mono or Bayer frame deeper than 8 bits, read from its
// rawData (16-bit containers, ...p bit streams and ...Packed pairs); -1 for 8-bit and colour
// formats and for points outside the frame.
int rawSampleAt(const OImageFrame& frame, int x, int y);

#endif // PIXELFAMILY_H
