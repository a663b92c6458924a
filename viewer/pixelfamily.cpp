#include "pixelfamily.h"

PixelFamily pixelFamily(const QString& pixelFormat)
{
    const auto startsWith = [&](const char* prefix) {
        return pixelFormat.startsWith(QLatin1String(prefix));
    };
    if (startsWith("Mono")) {
        return PixelFamily::Mono;
    }
    if (startsWith("Bayer")) {
        return PixelFamily::Bayer;
    }
    if (startsWith("RGB") || startsWith("BGR")) {
        return PixelFamily::Rgb;
    }
    if (startsWith("YUV") || startsWith("YCbCr")) {
        return PixelFamily::Yuv;
    }
    return PixelFamily::Unknown;
}

bool isColourFormat(const QString& pixelFormat)
{
    const PixelFamily family = pixelFamily(pixelFormat);
    return family == PixelFamily::Bayer || family == PixelFamily::Rgb || family == PixelFamily::Yuv;
}

int sampleBits(const QString& pixelFormat)
{
    int start = 0;
    while (start < pixelFormat.size() && !pixelFormat[start].isDigit()) {
        ++start;
    }
    int end = start;
    while (end < pixelFormat.size() && pixelFormat[end].isDigit()) {
        ++end;
    }
    return pixelFormat.mid(start, end - start).toInt();
}

namespace {
// Formats that put two pixels in three bytes, the high 8 bits of each in bytes 0 and 2.
bool pairPacked(uint32_t code)
{
    return code == ORVANTA_PIXEL_MONO10PACKED || code == ORVANTA_PIXEL_MONO12PACKED ||
           (code >= ORVANTA_PIXEL_BAYERGR10PACKED && code <= ORVANTA_PIXEL_BAYERBG12PACKED);
}
} // namespace

int rawSampleAt(const OImageFrame& frame, int x, int y)
{
    const uint32_t bits = frame.bitsPerPixel;
    const bool colourCode = (frame.pixelFormat & 0xff000000u) != 0x01000000u;
    if (bits <= 8 || bits > 16 || colourCode || !frame.rawData || x < 0 || y < 0 ||
        uint32_t(x) >= frame.width || uint32_t(y) >= frame.height) {
        return -1;
    }
    const size_t index = size_t(y) * frame.width + size_t(x);
    const unsigned char* d = frame.rawData;
    if (bits == 16) {
        const size_t at = index * 2;
        return at + 2 <= frame.dataSize ? d[at] | d[at + 1] << 8 : -1;
    }
    if (pairPacked(frame.pixelFormat)) {
        const size_t at = index / 2 * 3;
        if (at + 3 > frame.dataSize) {
            return -1;
        }
        const int low = index % 2 ? d[at + 1] >> 4 : d[at + 1] & 0x0f;
        return bits == 12 ? d[at + (index % 2) * 2] << 4 | low
                          : d[at + (index % 2) * 2] << 2 | (low & 0x03);
    }
    // A bit stream, least significant bit first.
    const size_t bit = index * bits;
    const size_t at = bit / 8;
    const size_t bytes = bit % 8 + bits > 16 ? 3 : 2;
    if (at + bytes > frame.dataSize) {
        return -1;
    }
    uint32_t word = d[at] | uint32_t(d[at + 1]) << 8;
    if (bytes == 3) {
        word |= uint32_t(d[at + 2]) << 16;
    }
    return int(word >> (bit % 8) & ((1u << bits) - 1));
}
