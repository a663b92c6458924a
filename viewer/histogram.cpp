#include "histogram.h"

#include <algorithm>
#include <cmath>

#include "pixelfamily.h"

namespace {
// Sums of the values of one channel, and what they give.
struct Moments
{
    double sum = 0, squares = 0;
    quint64 atZero = 0, atTop = 0;

    void finish(ChannelHistogram& ch, quint64 pixels) const
    {
        const double n = double(pixels);
        ch.mean = sum / n;
        ch.deviation = std::sqrt(std::max(0.0, squares / n - ch.mean * ch.mean));
        ch.lowShare = double(atZero) / n;
        ch.highShare = double(atTop) / n;
    }
};
} // namespace

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
    // 8-bit values: the bins hold everything the figures need.
    for (ChannelHistogram& ch : h.channels) {
        Moments m;
        ch.minimum = 255;
        ch.maximum = 0;
        for (int v = 0; v < 256; ++v) {
            const double n = double(ch.bins[v]);
            if (ch.bins[v]) {
                ch.minimum = std::min(ch.minimum, v);
                ch.maximum = std::max(ch.maximum, v);
            }
            m.sum += n * v;
            m.squares += n * v * v;
        }
        m.atZero = ch.bins[0];
        m.atTop = ch.bins[255];
        m.finish(ch, h.pixels);
    }
    return h;
}

Histogram Histogram::ofSamples(const OImageFrame& frame, int depth)
{
    Histogram h;
    if (depth <= 8 || depth > 16 || frame.width == 0 || frame.height == 0) {
        return h;
    }
    h.depth = depth;
    h.channels.resize(1);
    ChannelHistogram& ch = h.channels[0];
    const int top = (1 << depth) - 1, shift = depth - 8;
    ch.minimum = top;
    Moments m;
    for (uint32_t y = 0; y < frame.height; ++y) {
        for (uint32_t x = 0; x < frame.width; ++x) {
            const int v = std::min(rawSampleAt(frame, int(x), int(y)), top);
            if (v < 0) {
                continue; // beyond a short frame's data
            }
            ++ch.bins[size_t(v >> shift)];
            ch.minimum = std::min(ch.minimum, v);
            ch.maximum = std::max(ch.maximum, v);
            m.sum += v;
            m.squares += double(v) * v;
            m.atZero += v == 0;
            m.atTop += v == top;
            ++h.pixels;
        }
    }
    if (h.pixels == 0) {
        return Histogram();
    }
    m.finish(ch, h.pixels);
    return h;
}
