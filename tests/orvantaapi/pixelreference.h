// Reference reading of camera images, derived from the GenICam pixel-format naming convention
// and written apart from the SDK's own decoding: what a frame's 8-bit plane and RGB picture
// must hold, given the bytes the camera sent; and a stream whose first frame is checked so.
#ifndef ORVANTA_PIXELREFERENCE_H
#define ORVANTA_PIXELREFERENCE_H

#include "OrvantaAPI.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace pixelref {

// A format as its name describes it: Mono12p, BayerRG10Packed, RGBa8, YUV422_8_UYVY, ...
struct Layout
{
    enum Family
    {
        Mono,
        Bayer,
        Rgb,
        Yuv
    } family = Mono;
    int depth = 8;        // bits of a sample
    char packing = 0;     // 0: one sample a byte or 16-bit word; 'p': bit stream; 'P': Packed
    std::string mosaic;   // Bayer: colours of the first row
    std::string order;    // RGB, BGR, RGBa, BGRa, YUYV or UYVY
    int bitsPerPixel = 8; // in the data
};

inline bool parse(const std::string& name, Layout& l)
{
    auto tail = [&](size_t at) {
        const std::string rest = name.substr(at);
        l.depth = std::atoi(rest.c_str());
        const size_t digits = rest.find_first_not_of("0123456789");
        const std::string suffix = digits == std::string::npos ? "" : rest.substr(digits);
        l.packing = suffix == "p" ? 'p' : suffix == "Packed" ? 'P' : 0;
        if (l.depth <= 8 && l.packing == 0)
            l.bitsPerPixel = 8;
        else
            l.bitsPerPixel = l.packing == 0 ? 16 : l.packing == 'P' ? 12 : l.depth;
        return l.depth >= 8 && l.depth <= 16 && (suffix.empty() || l.packing != 0);
    };
    if (name.rfind("Mono", 0) == 0) {
        l.family = Layout::Mono;
        return tail(4);
    }
    if (name.rfind("Bayer", 0) == 0) {
        l.family = Layout::Bayer;
        l.mosaic = name.substr(5, 2);
        return tail(7);
    }
    if (name == "YUV422_8" || name == "YUV422_8_UYVY") {
        l.family = Layout::Yuv;
        l.order = name == "YUV422_8" ? "YUYV" : "UYVY";
        l.bitsPerPixel = 16;
        return true;
    }
    for (const char* order : {"RGB", "BGR", "RGBa", "BGRa"})
        if (name == std::string(order) + "8") {
            l.family = Layout::Rgb;
            l.order = order;
            l.bitsPerPixel = l.order.size() * 8;
            return true;
        }
    return false;
}

// Sample i of a mono or Bayer image.
inline int sample(const uint8_t* d, const Layout& l, size_t i)
{
    if (l.packing == 'P') { // two samples in three bytes: high bits in bytes 0 and 2
        const uint8_t* g = d + i / 2 * 3;
        const int low = l.depth - 8;
        const int lowBits = (i % 2 ? g[1] >> 4 : g[1]) & ((1 << low) - 1);
        return (g[i % 2 ? 2 : 0] << low) | lowBits;
    }
    if (l.packing == 'p') { // bit k of sample i is bit i * depth + k of the stream
        int v = 0;
        for (int k = 0; k < l.depth; ++k) {
            const size_t bit = i * size_t(l.depth) + size_t(k);
            v |= ((d[bit / 8] >> (bit % 8)) & 1) << k;
        }
        return v;
    }
    return l.depth > 8 ? d[2 * i] | (d[2 * i + 1] << 8) : d[i];
}

// The colour (0 R, 1 G, 2 B) a Bayer site at (x, y) samples.
inline int bayerChannel(const Layout& l, int x, int y)
{
    const char c = l.mosaic[size_t(x % 2)];
    const bool firstRowColour = y % 2 == 0;
    if (c == 'G')
        return firstRowColour ? 1 : (l.mosaic[1 - x % 2] == 'R' ? 2 : 0);
    const int here = c == 'R' ? 0 : 2;
    return firstRowColour ? here : 1;
}

// Colour of pixel i of an RGB or YUV image (YUV: ITU-R BT.601, Y 16..235), and its luma.
inline void colour(const uint8_t* d, const Layout& l, size_t i, double rgb[3], double& luma)
{
    if (l.family == Layout::Yuv) {
        const uint8_t* pair = d + i / 2 * 4;
        const bool uyvy = l.order == "UYVY";
        const double y = pair[(uyvy ? 1 : 0) + 2 * (i % 2)];
        const double u = pair[uyvy ? 0 : 1] - 128.0, v = pair[uyvy ? 2 : 3] - 128.0;
        const double c = 1.164 * std::max(y - 16, 0.0);
        rgb[0] = c + 1.596 * v;
        rgb[1] = c - 0.391 * u - 0.813 * v;
        rgb[2] = c + 2.018 * u;
        for (int k = 0; k < 3; ++k)
            rgb[k] = std::clamp(rgb[k], 0.0, 255.0);
        luma = y;
        return;
    }
    const uint8_t* p = d + i * (l.order.size());
    const bool red = l.order[0] == 'R';
    rgb[0] = p[red ? 0 : 2];
    rgb[1] = p[1];
    rgb[2] = p[red ? 2 : 0];
    luma = 0.299 * rgb[0] + 0.587 * rgb[1] + 0.114 * rgb[2];
}

// Checks a frame's fields and planes against its raw data: empty when they agree, else the
// first difference. rgbExpected: rgbData must hold the picture (conversion on, an RGB grab).
inline std::string checkFrame(const OImageFrame& f, const std::string& name, bool rgbExpected)
{
    Layout l;
    if (!parse(name, l))
        return "unknown format " + name;
    const size_t n = size_t(f.width) * f.height;
    const auto at = [&](const char* what, size_t i) {
        return name + ": " + what + " differs at pixel " + std::to_string(i);
    };
    if (int(f.bitsPerPixel) != l.bitsPerPixel ||
        int((f.pixelFormat >> 16) & 0xff) != l.bitsPerPixel)
        return name + ": bits per pixel " + std::to_string(f.bitsPerPixel);
    if (f.dataSize != (n * size_t(l.bitsPerPixel) + 7) / 8 || !f.rawData || !f.mono8Data)
        return name + ": data size " + std::to_string(f.dataSize);
    const bool colourFormat = l.family == Layout::Rgb || l.family == Layout::Yuv;
    if (rgbExpected || colourFormat) {
        if (!f.rgbData)
            return name + ": no rgbData";
    } else if (f.rgbData) {
        return name + ": rgbData without conversion";
    }
    const uint8_t* raw = f.rawData;
    for (size_t i = 0; i < n; ++i) {
        const int x = int(i % f.width), y = int(i / f.width);
        const uint8_t* rgb = f.rgbData ? f.rgbData + 3 * i : nullptr;
        if (!colourFormat) {
            const int top8 = sample(raw, l, i) >> (l.depth - 8);
            if (f.mono8Data[i] != top8)
                return at("mono8Data", i);
            if (!rgb)
                continue;
            // Mono is grey; a bilinear demosaic keeps each site's own colour.
            const bool inside = x > 0 && y > 0 && x + 1 < int(f.width) && y + 1 < int(f.height);
            if (l.family == Layout::Mono && (rgb[0] != top8 || rgb[1] != top8 || rgb[2] != top8))
                return at("grey rgbData", i);
            if (l.family == Layout::Bayer && inside && rgb[bayerChannel(l, x, y)] != top8)
                return at("demosaiced rgbData", i);
            continue;
        }
        double expected[3], luma = 0;
        colour(raw, l, i, expected, luma);
        if (std::abs(f.mono8Data[i] - luma) > 1.01)
            return at("luma in mono8Data", i);
        for (int c = 0; c < 3; ++c)
            if (std::abs(rgb[c] - expected[c]) > (l.family == Layout::Yuv ? 2.01 : 0))
                return at("rgbData", i);
    }
    return {};
}

// The first frame a stream delivers, checked inside the callback.
struct FirstFrameCheck
{
    std::mutex mutex;
    std::string format;
    bool conversion = false;
    bool done = false;
    std::string result;
};
inline FirstFrameCheck g_check;

inline void checkFirstFrame(OImageFrame* f)
{
    std::lock_guard<std::mutex> lock(g_check.mutex);
    if (!g_check.done)
        g_check.result = checkFrame(*f, g_check.format, g_check.conversion);
    g_check.done = true;
}

// Streams the camera's current format, with Bayer conversion on or off, until one frame was
// checked; the check's result, or why there was none.
inline std::string streamOneCheckedFrame(OrvantaHandle h, const std::string& format,
                                         bool conversion)
{
    {
        std::lock_guard<std::mutex> lock(g_check.mutex);
        g_check.format = format;
        g_check.conversion = conversion;
        g_check.done = false;
    }
    if (OrvantaSetBayerConversion(h, conversion) || OrvantaStartAcquisition(h, checkFirstFrame))
        return format + ": no stream";
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool done = false;
    while (!done && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::lock_guard<std::mutex> lock(g_check.mutex);
        done = g_check.done;
    }
    OrvantaStopAcquisition(h);
    std::lock_guard<std::mutex> lock(g_check.mutex);
    return done ? g_check.result : format + ": no frame";
}

} // namespace pixelref

#endif
