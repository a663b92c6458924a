#include "histogram.h"

#include <cmath>

Histogram Histogram::of(const QImage& picture)
{
    Histogram h;
    const int channels = picture.format() == QImage::Format_RGB888       ? 3
                         : picture.format() == QImage::Format_Grayscale8 ? 1
                                                                         : 0;
    if (channels == 0 || picture.isNull()) {
        return h;
    }
    h.channels.resize(channels);
    const int width = picture.width();
    auto& first = h.channels[0].bins;
    for (int y = 0; y < picture.height(); ++y) {
        const uchar* p = picture.constScanLine(y);
        const uchar* const end = p + width * channels;
        if (channels == 1) {
            for (; p < end; ++p) {
                ++first[*p];
            }
            continue;
        }
        auto &green = h.channels[1].bins, &blue = h.channels[2].bins;
        for (; p < end; p += 3) { // one pass over the row, the three channels together
            ++first[p[0]];
            ++green[p[1]];
            ++blue[p[2]];
        }
    }
    h.pixels = quint64(width) * quint64(picture.height());
    for (ChannelHistogram& ch : h.channels) {
        double sum = 0, squares = 0;
        ch.minimum = 255;
        ch.maximum = 0;
        for (int v = 0; v < 256; ++v) {
            const double n = double(ch.bins[v]);
            if (ch.bins[v]) {
                ch.minimum = std::min(ch.minimum, v);
                ch.maximum = std::max(ch.maximum, v);
            }
            sum += n * v;
            squares += n * v * v;
        }
        const double pixels = double(h.pixels);
        ch.mean = sum / pixels;
        ch.deviation = std::sqrt(std::max(0.0, squares / pixels - ch.mean * ch.mean));
        ch.lowShare = double(ch.bins[0]) / pixels;
        ch.highShare = double(ch.bins[255]) / pixels;
    }
    return h;
}
