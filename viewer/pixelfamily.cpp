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
