#include "pixelops.h"

#include <algorithm>
#include <cstring>

#ifdef ORVANTA_HAVE_OPENCV
#include <opencv2/imgproc.hpp>
#endif

// The hot loops are written so that the compiler vectorises them; on x86 they are also built
// for AVX2 and picked at load time.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) &&                             \
    !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define ORVANTA_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define ORVANTA_CLONES
#endif
#if defined(__GNUC__)
#define ORVANTA_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define ORVANTA_ALWAYS_INLINE inline
#endif

namespace orvanta {

namespace {

// ---- Demosaic ------------------------------------------------------------------------------

inline int reflect(int i, int n)
{
    if (i < 0)
        return -i;
    if (i >= n)
        return 2 * n - 2 - i;
    return i;
}

// One output pixel with reflected borders; used only for the first and last columns.
template <class T>
void edgePixel(const T* up, const T* cur, const T* down, int x, int width, bool grRow, bool gCol,
               T* out)
{
    auto at = [&](const T* row, int i) { return int(row[reflect(i, width)]); };
    const int c = at(cur, x);
    const int horiz = (at(cur, x - 1) + at(cur, x + 1) + 1) >> 1;
    const int vert = (at(up, x) + at(down, x) + 1) >> 1;
    const int cross = (at(cur, x - 1) + at(cur, x + 1) + at(up, x) + at(down, x) + 2) >> 2;
    const int diag = (at(up, x - 1) + at(up, x + 1) + at(down, x - 1) + at(down, x + 1) + 2) >> 2;
    int r, g, b;
    if (grRow && gCol) { // G on a G R row
        r = horiz, g = c, b = vert;
    } else if (grRow) { // R
        r = c, g = cross, b = diag;
    } else if (gCol) { // B
        r = diag, g = cross, b = c;
    } else { // G on a B G row
        r = vert, g = c, b = horiz;
    }
    out[0] = T(r), out[1] = T(g), out[2] = T(b);
}

// Interior of a G R row: pixel pairs (G at x, R at x + 1) from x = start while x + 2 < width.
template <class T>
ORVANTA_ALWAYS_INLINE void rowGR(const T* __restrict up, const T* __restrict c,
                                 const T* __restrict down, int start, int width, T* __restrict out)
{
    for (int x = start; x + 2 < width; x += 2) {
        T* o = out + 3 * x;
        o[0] = T((c[x - 1] + c[x + 1] + 1) >> 1);
        o[1] = c[x];
        o[2] = T((up[x] + down[x] + 1) >> 1);
        o[3] = c[x + 1];
        o[4] = T((c[x] + c[x + 2] + up[x + 1] + down[x + 1] + 2) >> 2);
        o[5] = T((up[x] + up[x + 2] + down[x] + down[x + 2] + 2) >> 2);
    }
}

// Interior of a B G row: pixel pairs (B at x, G at x + 1).
template <class T>
ORVANTA_ALWAYS_INLINE void rowBG(const T* __restrict up, const T* __restrict c,
                                 const T* __restrict down, int start, int width, T* __restrict out)
{
    for (int x = start; x + 2 < width; x += 2) {
        T* o = out + 3 * x;
        o[0] = T((up[x - 1] + up[x + 1] + down[x - 1] + down[x + 1] + 2) >> 2);
        o[1] = T((c[x - 1] + c[x + 1] + up[x] + down[x] + 2) >> 2);
        o[2] = c[x];
        o[3] = T((up[x + 1] + down[x + 1] + 1) >> 1);
        o[4] = c[x + 1];
        o[5] = T((c[x] + c[x + 2] + 1) >> 1);
    }
}

ORVANTA_CLONES void rowGR8(const uint8_t* up, const uint8_t* c, const uint8_t* down, int start,
                           int width, uint8_t* out)
{
    rowGR(up, c, down, start, width, out);
}
ORVANTA_CLONES void rowBG8(const uint8_t* up, const uint8_t* c, const uint8_t* down, int start,
                           int width, uint8_t* out)
{
    rowBG(up, c, down, start, width, out);
}
ORVANTA_CLONES void rowGR16(const uint16_t* up, const uint16_t* c, const uint16_t* down, int start,
                            int width, uint16_t* out)
{
    rowGR(up, c, down, start, width, out);
}
ORVANTA_CLONES void rowBG16(const uint16_t* up, const uint16_t* c, const uint16_t* down, int start,
                            int width, uint16_t* out)
{
    rowBG(up, c, down, start, width, out);
}

template <class T, class Row>
void demosaicOwn(const T* mosaic, int width, int height, Mosaic arrangement, T* rgb, Row grRow,
                 Row bgRow)
{
    if (width < 2 || height < 2) {
        const size_t n = size_t(std::max(width, 0)) * size_t(std::max(height, 0));
        for (size_t i = 0; i < n; ++i)
            rgb[3 * i] = rgb[3 * i + 1] = rgb[3 * i + 2] = mosaic[i];
        return;
    }
    const MosaicShift p = mosaicShift(arrangement);
    // The pair loops start where the GR pattern has G (or B) at x, with x - 1 inside the row.
    const int start = p.dx ? 1 : 2;
    const int pairs = width - 2 > start ? (width - 1 - start) / 2 : 0;
    const int covered = start + 2 * pairs;
    for (int y = 0; y < height; ++y) {
        const T* up = mosaic + size_t(reflect(y - 1, height)) * width;
        const T* cur = mosaic + size_t(y) * width;
        const T* down = mosaic + size_t(reflect(y + 1, height)) * width;
        T* out = rgb + size_t(y) * width * 3;
        const bool grRowHere = ((y + p.dy) & 1) == 0;
        if (pairs > 0)
            (grRowHere ? grRow : bgRow)(up, cur, down, start, width, out);
        // Columns the pair loop did not cover: the first one or two and the last ones.
        auto edge = [&](int x) {
            edgePixel(up, cur, down, x, width, grRowHere, ((x + p.dx) & 1) == 0, out + 3 * x);
        };
        for (int x = 0; x < (pairs > 0 ? start : width); ++x)
            edge(x);
        for (int x = pairs > 0 ? covered : width; x < width; ++x)
            edge(x);
    }
}

// ---- Packed samples --------------------------------------------------------------------------

// One sample of packed data.
uint16_t packedSample(const uint8_t* d, Packing packing, int depth, size_t i)
{
    if (packing == Packing::GvPacked) {
        const uint8_t* g = d + (i / 2) * 3;
        const int low = depth - 8; // bits of each sample in the middle byte
        const int middle = (i & 1) ? g[1] >> 4 : g[1];
        return uint16_t((g[(i & 1) ? 2 : 0] << low) | (middle & ((1 << low) - 1)));
    }
    const size_t bit = i * size_t(depth);
    const uint8_t* b = d + bit / 8;
    const int shift = int(bit % 8);
    uint32_t v = b[0];
    if (shift + depth > 8)
        v |= uint32_t(b[1]) << 8;
    if (shift + depth > 16)
        v |= uint32_t(b[2]) << 16;
    return uint16_t((v >> shift) & ((1u << depth) - 1));
}

// Samples a group of packed bytes holds, and its size.
int groupSamples(Packing packing, int depth)
{
    return packing == Packing::LsbPacked && depth == 10 ? 4 : 2;
}
int groupBytes(Packing packing, int depth)
{
    return packing == Packing::LsbPacked && depth == 10 ? 5 : 3;
}

ORVANTA_CLONES void unpackGroups(const uint8_t* __restrict g, Packing packing, int depth,
                                 size_t groups, uint16_t* __restrict out)
{
    if (packing == Packing::GvPacked) {
        const int low = depth - 8;
        const int mask = (1 << low) - 1;
        for (size_t k = 0; k < groups; ++k, g += 3, out += 2) {
            out[0] = uint16_t((g[0] << low) | (g[1] & mask));
            out[1] = uint16_t((g[2] << low) | ((g[1] >> 4) & mask));
        }
    } else if (depth == 12) {
        for (size_t k = 0; k < groups; ++k, g += 3, out += 2) {
            out[0] = uint16_t(g[0] | ((g[1] & 0x0F) << 8));
            out[1] = uint16_t((g[1] >> 4) | (g[2] << 4));
        }
    } else {
        for (size_t k = 0; k < groups; ++k, g += 5, out += 4) {
            out[0] = uint16_t(g[0] | ((g[1] & 0x03) << 8));
            out[1] = uint16_t((g[1] >> 2) | ((g[2] & 0x0F) << 6));
            out[2] = uint16_t((g[2] >> 4) | ((g[3] & 0x3F) << 4));
            out[3] = uint16_t((g[3] >> 6) | (g[4] << 2));
        }
    }
}

ORVANTA_CLONES void top8Groups(const uint8_t* __restrict g, Packing packing, int depth,
                               size_t groups, uint8_t* __restrict out)
{
    if (packing == Packing::GvPacked) { // the high bits are whole bytes
        for (size_t k = 0; k < groups; ++k, g += 3, out += 2) {
            out[0] = g[0];
            out[1] = g[2];
        }
    } else if (depth == 12) {
        for (size_t k = 0; k < groups; ++k, g += 3, out += 2) {
            out[0] = uint8_t((g[0] >> 4) | (g[1] << 4));
            out[1] = g[2];
        }
    } else {
        for (size_t k = 0; k < groups; ++k, g += 5, out += 4) {
            out[0] = uint8_t((g[0] >> 2) | (g[1] << 6));
            out[1] = uint8_t((g[1] >> 4) | (g[2] << 4));
            out[2] = uint8_t((g[2] >> 6) | (g[3] << 2));
            out[3] = g[4];
        }
    }
}

// ---- Colour ---------------------------------------------------------------------------------

inline uint8_t clamp8(int v)
{
    return uint8_t(std::clamp(v, 0, 255));
}

// BT.601 with Y in 16..235, in 1/256 units.
inline void yuvToRgb(int y, int u, int v, uint8_t* rgb)
{
    const int c = 298 * std::max(y - 16, 0) + 128;
    const int d = u - 128, e = v - 128;
    rgb[0] = clamp8((c + 409 * e) >> 8);
    rgb[1] = clamp8((c - 100 * d - 208 * e) >> 8);
    rgb[2] = clamp8((c + 516 * d) >> 8);
}

inline int lumaOf(int r, int g, int b)
{
    return (77 * r + 150 * g + 29 * b + 128) >> 8;
}

bool isYuv(ChannelOrder order)
{
    return order == ChannelOrder::Yuyv || order == ChannelOrder::Uyvy;
}

int channelsOf(ChannelOrder order)
{
    return order == ChannelOrder::Rgba || order == ChannelOrder::Bgra ? 4 : isYuv(order) ? 2 : 3;
}

bool redFirst(ChannelOrder order)
{
    return order == ChannelOrder::Rgb || order == ChannelOrder::Rgba;
}

} // namespace

// ---- Own conversions ---------------------------------------------------------------------------

void own::demosaic8(const uint8_t* mosaic, int width, int height, Mosaic arrangement, uint8_t* rgb)
{
    demosaicOwn(mosaic, width, height, arrangement, rgb, rowGR8, rowBG8);
}

void own::demosaic16(const uint16_t* mosaic, int width, int height, Mosaic arrangement,
                     uint16_t* rgb)
{
    demosaicOwn(mosaic, width, height, arrangement, rgb, rowGR16, rowBG16);
}

void own::colourToRgb(const uint8_t* data, size_t pixels, ChannelOrder order, uint8_t* rgb)
{
    if (isYuv(order)) {
        // Each pair of pixels shares its U and V; a last pixel alone has no V of its own.
        const bool uyvy = order == ChannelOrder::Uyvy;
        for (size_t i = 0; i < pixels; i += 2) {
            const uint8_t* q = data + 2 * i;
            const int y0 = q[uyvy ? 1 : 0], u = q[uyvy ? 0 : 1];
            const bool pair = i + 1 < pixels;
            const int y1 = pair ? q[uyvy ? 3 : 2] : 0, v = pair ? q[uyvy ? 2 : 3] : 128;
            yuvToRgb(y0, u, v, rgb + 3 * i);
            if (pair)
                yuvToRgb(y1, u, v, rgb + 3 * i + 3);
        }
        return;
    }
    const int n = channelsOf(order);
    const int r = redFirst(order) ? 0 : 2;
    for (size_t i = 0; i < pixels; ++i, data += n, rgb += 3) {
        rgb[0] = data[r];
        rgb[1] = data[1];
        rgb[2] = data[2 - r];
    }
}

void own::colourLuma(const uint8_t* data, size_t pixels, ChannelOrder order, uint8_t* luma)
{
    if (isYuv(order)) {
        const size_t first = order == ChannelOrder::Uyvy ? 1 : 0;
        for (size_t i = 0; i < pixels; ++i)
            luma[i] = data[2 * i + first];
        return;
    }
    const int n = channelsOf(order);
    const int r = redFirst(order) ? 0 : 2;
    for (size_t i = 0; i < pixels; ++i, data += n)
        luma[i] = uint8_t(lumaOf(data[r], data[1], data[2 - r]));
}

// ---- Dispatch ------------------------------------------------------------------------------

#ifdef ORVANTA_HAVE_OPENCV
namespace {
// OpenCV names a mosaic after the second row's second and third pixels.
int openCvBayerCode(Mosaic m)
{
    switch (m) {
    case Mosaic::RG:
        return cv::COLOR_BayerBG2RGB;
    case Mosaic::GB:
        return cv::COLOR_BayerGR2RGB;
    case Mosaic::BG:
        return cv::COLOR_BayerRG2RGB;
    default:
        return cv::COLOR_BayerGB2RGB;
    }
}

// The demosaic needs a few rows and columns to work on.
bool openCvDemosaics(int width, int height)
{
    return width >= 8 && height >= 8;
}
} // namespace
#endif

void demosaic8(const uint8_t* mosaic, int width, int height, Mosaic arrangement, uint8_t* rgb)
{
#ifdef ORVANTA_HAVE_OPENCV
    if (openCvDemosaics(width, height)) {
        const cv::Mat in(height, width, CV_8UC1, const_cast<uint8_t*>(mosaic));
        cv::Mat out(height, width, CV_8UC3, rgb);
        cv::cvtColor(in, out, openCvBayerCode(arrangement));
        return;
    }
#endif
    own::demosaic8(mosaic, width, height, arrangement, rgb);
}

void demosaic16(const uint16_t* mosaic, int width, int height, Mosaic arrangement, uint16_t* rgb)
{
#ifdef ORVANTA_HAVE_OPENCV
    if (openCvDemosaics(width, height)) {
        const cv::Mat in(height, width, CV_16UC1, const_cast<uint16_t*>(mosaic));
        cv::Mat out(height, width, CV_16UC3, rgb);
        cv::cvtColor(in, out, openCvBayerCode(arrangement));
        return;
    }
#endif
    own::demosaic16(mosaic, width, height, arrangement, rgb);
}

void colourToRgb(const uint8_t* data, int width, int height, ChannelOrder order, uint8_t* rgb)
{
    const size_t pixels = size_t(width) * size_t(height);
    if (order == ChannelOrder::Rgb) {
        std::memcpy(rgb, data, pixels * 3);
        return;
    }
#ifdef ORVANTA_HAVE_OPENCV
    if (width > 0 && height > 0 && (!isYuv(order) || width % 2 == 0)) {
        static const struct
        {
            ChannelOrder order;
            int code;
        } codes[] = {{ChannelOrder::Bgr, cv::COLOR_BGR2RGB},
                     {ChannelOrder::Rgba, cv::COLOR_RGBA2RGB},
                     {ChannelOrder::Bgra, cv::COLOR_BGRA2RGB},
                     {ChannelOrder::Yuyv, cv::COLOR_YUV2RGB_YUYV},
                     {ChannelOrder::Uyvy, cv::COLOR_YUV2RGB_UYVY}};
        for (const auto& c : codes)
            if (c.order == order) {
                const cv::Mat in(height, width, CV_8UC(channelsOf(order)),
                                 const_cast<uint8_t*>(data));
                cv::Mat out(height, width, CV_8UC3, rgb);
                cv::cvtColor(in, out, c.code);
                return;
            }
    }
#endif
    own::colourToRgb(data, pixels, order, rgb);
}

void colourLuma(const uint8_t* data, int width, int height, ChannelOrder order, uint8_t* luma)
{
#ifdef ORVANTA_HAVE_OPENCV
    if (width > 0 && height > 0 && (!isYuv(order) || width % 2 == 0)) {
        static const struct
        {
            ChannelOrder order;
            int code;
        } codes[] = {{ChannelOrder::Rgb, cv::COLOR_RGB2GRAY},
                     {ChannelOrder::Bgr, cv::COLOR_BGR2GRAY},
                     {ChannelOrder::Rgba, cv::COLOR_RGBA2GRAY},
                     {ChannelOrder::Bgra, cv::COLOR_BGRA2GRAY},
                     {ChannelOrder::Yuyv, cv::COLOR_YUV2GRAY_YUYV},
                     {ChannelOrder::Uyvy, cv::COLOR_YUV2GRAY_UYVY}};
        for (const auto& c : codes)
            if (c.order == order) {
                const cv::Mat in(height, width, CV_8UC(channelsOf(order)),
                                 const_cast<uint8_t*>(data));
                cv::Mat out(height, width, CV_8UC1, luma);
                cv::cvtColor(in, out, c.code);
                return;
            }
    }
#endif
    own::colourLuma(data, size_t(width) * size_t(height), order, luma);
}

void rgbToColour(const uint8_t* rgb, size_t pixels, ChannelOrder order, uint8_t* out)
{
    if (isYuv(order)) {
        const bool uyvy = order == ChannelOrder::Uyvy;
        for (size_t i = 0; i < pixels; i += 2) {
            const uint8_t* a = rgb + 3 * i;
            const uint8_t* b = i + 1 < pixels ? a + 3 : a;
            // Y per pixel, U and V of the pair's mean colour.
            const int r = (a[0] + b[0] + 1) >> 1, g = (a[1] + b[1] + 1) >> 1,
                      bl = (a[2] + b[2] + 1) >> 1;
            const int y0 = ((66 * a[0] + 129 * a[1] + 25 * a[2] + 128) >> 8) + 16;
            const int y1 = ((66 * b[0] + 129 * b[1] + 25 * b[2] + 128) >> 8) + 16;
            const int u = ((-38 * r - 74 * g + 112 * bl + 128) >> 8) + 128;
            const int v = ((112 * r - 94 * g - 18 * bl + 128) >> 8) + 128;
            uint8_t* q = out + 2 * i;
            q[uyvy ? 1 : 0] = uint8_t(y0);
            q[uyvy ? 0 : 1] = clamp8(u);
            if (i + 1 < pixels) {
                q[uyvy ? 3 : 2] = uint8_t(y1);
                q[uyvy ? 2 : 3] = clamp8(v);
            }
        }
        return;
    }
    const int n = channelsOf(order);
    const int r = redFirst(order) ? 0 : 2;
    for (size_t i = 0; i < pixels; ++i, rgb += 3, out += n) {
        out[r] = rgb[0];
        out[1] = rgb[1];
        out[2 - r] = rgb[2];
        if (n == 4)
            out[3] = 255; // opaque
    }
}

// ---- Depth ---------------------------------------------------------------------------------

ORVANTA_CLONES void reduceTo8(const uint16_t* __restrict samples, size_t count, int bitDepth,
                              uint8_t* __restrict out)
{
    const int shift = bitDepth > 8 ? bitDepth - 8 : 0;
    for (size_t i = 0; i < count; ++i)
        out[i] = uint8_t(samples[i] >> shift);
}

ORVANTA_CLONES void greyToRgb(const uint8_t* __restrict grey, size_t count, uint8_t* __restrict rgb)
{
    for (size_t i = 0; i < count; ++i)
        rgb[3 * i] = rgb[3 * i + 1] = rgb[3 * i + 2] = grey[i];
}

void unpackSamples(const uint8_t* data, Packing packing, int depth, size_t first, size_t count,
                   uint16_t* out)
{
    const size_t per = size_t(groupSamples(packing, depth));
    const size_t end = first + count;
    size_t i = first;
    for (; i < end && i % per != 0; ++i) // up to the first whole group
        *out++ = packedSample(data, packing, depth, i);
    const size_t groups = (end - i) / per;
    unpackGroups(data + i / per * size_t(groupBytes(packing, depth)), packing, depth, groups, out);
    out += groups * per;
    for (i += groups * per; i < end; ++i)
        *out++ = packedSample(data, packing, depth, i);
}

void unpackTop8(const uint8_t* data, Packing packing, int depth, size_t count, uint8_t* out)
{
    const size_t per = size_t(groupSamples(packing, depth));
    const size_t groups = count / per;
    top8Groups(data, packing, depth, groups, out);
    for (size_t i = groups * per; i < count; ++i)
        out[i] = uint8_t(packedSample(data, packing, depth, i) >> (depth - 8));
}

void packSamples(const uint16_t* samples, size_t count, Packing packing, int depth, uint8_t* out)
{
    if (packing == Packing::GvPacked) {
        const int low = depth - 8;
        for (size_t i = 0; i < count; i += 2) {
            uint8_t* g = out + i / 2 * 3;
            const int a = samples[i], b = i + 1 < count ? samples[i + 1] : 0;
            g[0] = uint8_t(a >> low);
            g[1] = uint8_t((a & ((1 << low) - 1)) | ((b & ((1 << low) - 1)) << 4));
            if (i + 1 < count)
                g[2] = uint8_t(b >> low);
        }
        return;
    }
    std::memset(out, 0, (count * size_t(depth) + 7) / 8);
    for (size_t i = 0; i < count; ++i) {
        const size_t bit = i * size_t(depth);
        const uint32_t v = uint32_t(samples[i] & ((1u << depth) - 1)) << (bit % 8);
        uint8_t* b = out + bit / 8;
        for (int k = 0; k * 8 < int(bit % 8) + depth; ++k)
            b[k] = uint8_t(b[k] | (v >> (8 * k)));
    }
}

} // namespace orvanta
