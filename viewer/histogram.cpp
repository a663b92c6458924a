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
    for (int y = 0; y < picture.height(); ++y) {
        const uchar* row = picture.constScanLine(y);
        for (int c = 0; c < channels; ++c) {
            auto& bins = h.channels[c].bins;
            for (int x = 0; x < width; ++x) {
                ++bins[row[x * channels + c]];
            }
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
