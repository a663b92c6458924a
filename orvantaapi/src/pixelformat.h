// The pixel formats the SDK decodes: names, GenICam codes and how their pixels are laid out.
#ifndef ORVANTA_PIXELFORMAT_H
#define ORVANTA_PIXELFORMAT_H

#include "OrvantaAPI.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvanta {

enum class PixelFamily
{
    Mono,
    Bayer,
    Rgb,
    Yuv
};

// Bayer arrangements, named by the colours of the first row.
enum class Mosaic
{
    None,
    GR,
    RG,
    GB,
    BG
};

// Every arrangement is the GR one shifted: its colour at (x, y) is GR's at (x + dx, y + dy).
struct MosaicShift
{
    int dx = 0, dy = 0;
};

inline MosaicShift mosaicShift(Mosaic m)
{
    switch (m) {
    case Mosaic::RG:
        return {1, 0};
    case Mosaic::GB:
        return {1, 1};
    case Mosaic::BG:
        return {0, 1};
    default:
        return {0, 0};
    }
}

// How the samples of a mono or Bayer format lie in the data.
enum class Packing
{
    Byte,      // one byte a sample
    Word,      // 16-bit little-endian containers
    LsbPacked, // "p" formats: a bit stream, least significant bit first
    GvPacked   // "Packed" formats: two samples in three bytes, the high bits whole
};

// Byte order of the colour formats.
enum class ChannelOrder
{
    None,
    Rgb,
    Bgr,
    Rgba,
    Bgra,
    Yuyv,
    Uyvy
};

struct PixelFormatInfo
{
    std::string name;
    uint32_t code;
    PixelFamily family;
    int depth; // significant bits of a sample; 8 for colour formats
    Packing packing = Packing::Byte;
    Mosaic mosaic = Mosaic::None;
    ChannelOrder order = ChannelOrder::None;

    bool colour() const { return family != PixelFamily::Mono; }
    // Bits one pixel occupies in the data (the GenICam code says so itself).
    int bitsPerPixel() const { return int((code >> 16) & 0xff); }
    size_t imageBytes(int width, int height) const
    {
        return (size_t(width) * size_t(height) * size_t(bitsPerPixel()) + 7) / 8;
    }
};

// Every format the SDK decodes.
const std::vector<PixelFormatInfo>& pixelFormats();
// Null when the SDK does not know the format. Names also include the older GigE Vision names
// of the same codes (RGB8Packed, YUV422Packed, ...).
const PixelFormatInfo* pixelFormatByName(const std::string& name);
const PixelFormatInfo* pixelFormatByCode(uint32_t code);

inline uint32_t pixelFormatCode(const std::string& name)
{
    const PixelFormatInfo* f = pixelFormatByName(name);
    return f ? f->code : 0;
}

} // namespace orvanta

#endif
