#include "framedecoder.h"

#include "pixelops.h"

#include <algorithm>
#include <cstring>

namespace orvanta {

namespace {
// Deep mosaics are demosaiced in bands of rows, so that their 16-bit working copies stay small.
constexpr int kBandRows = 32;
// Rows of mosaic above and below a band that the demosaic reads; even, so a band starts on the
// mosaic's own row parity.
constexpr int kBandMargin = 2;
} // namespace

bool ImageView::complete() const
{
    return data && format && width > 0 && height > 0 && size >= format->imageBytes(width, height);
}

bool FrameDecoder::monoIsData(const PixelFormatInfo& f)
{
    return !(f.family == PixelFamily::Rgb || f.family == PixelFamily::Yuv) &&
           f.packing == Packing::Byte;
}

bool FrameDecoder::rgbIsData(const PixelFormatInfo& f)
{
    return f.order == ChannelOrder::Rgb;
}

bool FrameDecoder::fillsRgb(const PixelFormatInfo& f, bool conversion)
{
    return conversion || f.family == PixelFamily::Rgb || f.family == PixelFamily::Yuv;
}

void FrameDecoder::toMono8(const ImageView& image, uint8_t* mono8)
{
    const PixelFormatInfo& f = *image.format;
    const size_t n = image.pixels();
    if (f.family == PixelFamily::Rgb || f.family == PixelFamily::Yuv) {
        colourLuma(image.data, image.width, image.height, f.order, mono8);
    } else if (f.packing == Packing::Byte) {
        if (mono8 != image.data)
            std::memcpy(mono8, image.data, n);
    } else if (f.packing == Packing::Word) {
        reduceTo8(reinterpret_cast<const uint16_t*>(image.data), n, f.depth, mono8);
    } else {
        unpackTop8(image.data, f.packing, f.depth, n, mono8);
    }
}

void FrameDecoder::toRgb(const ImageView& image, const uint8_t* mono8, uint8_t* rgb)
{
    const PixelFormatInfo& f = *image.format;
    switch (f.family) {
    case PixelFamily::Mono:
        greyToRgb(mono8, image.pixels(), rgb);
        break;
    case PixelFamily::Bayer:
        bayerToRgb(image, rgb);
        break;
    default:
        colourToRgb(image.data, image.width, image.height, f.order, rgb);
    }
}

void FrameDecoder::bayerToRgb(const ImageView& image, uint8_t* rgb)
{
    const PixelFormatInfo& f = *image.format;
    const int w = image.width, h = image.height;
    if (f.packing == Packing::Byte) {
        demosaic8(image.data, w, h, f.mosaic, rgb);
        return;
    }
    // Deep mosaics are demosaiced at their own depth and reduced afterwards, band by band; a
    // short last band joins the one before.
    for (int y0 = 0; y0 < h;) {
        const int y1 = h - y0 < 2 * kBandRows ? h : y0 + kBandRows;
        const int top = std::max(0, y0 - kBandMargin);
        const int bottom = std::min(h, y1 + kBandMargin);
        const size_t row = size_t(w) * 3;
        rgb16_.resize(size_t(bottom - top) * row);
        demosaic16(sampleRows(image, top, bottom - top), w, bottom - top, f.mosaic, rgb16_.data());
        reduceTo8(rgb16_.data() + size_t(y0 - top) * row, size_t(y1 - y0) * row, f.depth,
                  rgb + size_t(y0) * row);
        y0 = y1;
    }
}

const uint16_t* FrameDecoder::sampleRows(const ImageView& image, int first, int rows)
{
    const PixelFormatInfo& f = *image.format;
    const size_t begin = size_t(first) * size_t(image.width);
    const size_t count = size_t(rows) * size_t(image.width);
    if (f.packing == Packing::Word)
        return reinterpret_cast<const uint16_t*>(image.data) + begin;
    samples_.resize(count);
    unpackSamples(image.data, f.packing, f.depth, begin, count, samples_.data());
    return samples_.data();
}

void FrameDecoder::fillSlot(FrameSlot& slot, const ImageView& image, bool conversion)
{
    const PixelFormatInfo& f = *image.format;
    OImageFrame& frame = slot.frame;
    const size_t pixels = image.pixels();
    frame.rawData = const_cast<unsigned char*>(image.data);
    if (monoIsData(f)) {
        frame.mono8Data = frame.rawData;
    } else {
        slot.mono8.resize(pixels);
        frame.mono8Data = slot.mono8.data();
        toMono8(image, frame.mono8Data);
    }
    if (rgbIsData(f)) {
        frame.rgbData = frame.rawData;
    } else if (fillsRgb(f, conversion)) {
        slot.rgb.resize(pixels * 3);
        frame.rgbData = slot.rgb.data();
        toRgb(image, frame.mono8Data, frame.rgbData);
    } else {
        frame.rgbData = nullptr;
    }
    frame.dataSize = uint32_t(f.imageBytes(image.width, image.height));
    frame.width = uint32_t(image.width);
    frame.height = uint32_t(image.height);
    frame.bitsPerPixel = uint32_t(f.bitsPerPixel());
    frame.pixelFormat = f.code;
}

void FrameDecoder::fillGrab(OImageFrame& frame, const ImageView& image, bool rgb)
{
    const PixelFormatInfo& f = *image.format;
    const size_t bytes = f.imageBytes(image.width, image.height);
    if (frame.rawData)
        std::memcpy(frame.rawData, image.data, bytes);
    uint8_t* mono8 = frame.mono8Data;
    if (!mono8 && rgb && f.family == PixelFamily::Mono) { // the grey picture needs the plane
        mono8_.resize(image.pixels());
        mono8 = mono8_.data();
    }
    if (mono8)
        toMono8(image, mono8);
    if (rgb)
        toRgb(image, mono8, frame.rgbData);
    frame.dataSize = uint32_t(bytes);
    frame.width = uint32_t(image.width);
    frame.height = uint32_t(image.height);
    frame.bitsPerPixel = uint32_t(f.bitsPerPixel());
    frame.pixelFormat = f.code;
}

} // namespace orvanta
