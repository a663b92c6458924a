#ifndef PIXELFAMILY_H
#define PIXELFAMILY_H

#include <QString>

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

#endif // PIXELFAMILY_H
