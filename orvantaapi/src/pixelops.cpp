#include "pixelops.h"

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

namespace orvanta {

namespace {

inline int reflect(int i, int n)
{
    if (i < 0)
        return -i;
    if (i >= n)
        return 2 * n - 2 - i;
    return i;
}

// One output pixel with reflected borders; used only for the first and last columns.
void edgePixel(const uint8_t* up, const uint8_t* cur, const uint8_t* down, int x, int width,
               bool evenRow, uint8_t* out)
{
    auto at = [&](const uint8_t* row, int i) { return int(row[reflect(i, width)]); };
    const int c = at(cur, x);
    const int horiz = (at(cur, x - 1) + at(cur, x + 1) + 1) >> 1;
    const int vert = (at(up, x) + at(down, x) + 1) >> 1;
    const int cross = (at(cur, x - 1) + at(cur, x + 1) + at(up, x) + at(down, x) + 2) >> 2;
    const int diag = (at(up, x - 1) + at(up, x + 1) + at(down, x - 1) + at(down, x + 1) + 2) >> 2;
    int r, g, b;
    const bool evenCol = (x & 1) == 0;
    if (evenRow && evenCol) { // G on a G R row
        r = horiz, g = c, b = vert;
    } else if (evenRow) { // R
        r = c, g = cross, b = diag;
    } else if (evenCol) { // B
        r = diag, g = cross, b = c;
    } else { // G on a B G row
        r = vert, g = c, b = horiz;
    }
    out[0] = uint8_t(r), out[1] = uint8_t(g), out[2] = uint8_t(b);
}

// Interior of a G R row, pixel pairs from x = 2 to width - 3.
ORVANTA_CLONES void rowGR(const uint8_t* __restrict up, const uint8_t* __restrict c,
                          const uint8_t* __restrict down, int width, uint8_t* __restrict out)
{
    for (int x = 2; x + 3 < width + 1; x += 2) {
        uint8_t* o = out + 3 * x;
        // G at x
        o[0] = uint8_t((c[x - 1] + c[x + 1] + 1) >> 1);
        o[1] = c[x];
        o[2] = uint8_t((up[x] + down[x] + 1) >> 1);
        // R at x + 1
        o[3] = c[x + 1];
        o[4] = uint8_t((c[x] + c[x + 2] + up[x + 1] + down[x + 1] + 2) >> 2);
        o[5] = uint8_t((up[x] + up[x + 2] + down[x] + down[x + 2] + 2) >> 2);
    }
}

// Interior of a B G row, pixel pairs from x = 2 to width - 3.
ORVANTA_CLONES void rowBG(const uint8_t* __restrict up, const uint8_t* __restrict c,
                          const uint8_t* __restrict down, int width, uint8_t* __restrict out)
{
    for (int x = 2; x + 3 < width + 1; x += 2) {
        uint8_t* o = out + 3 * x;
        // B at x
        o[0] = uint8_t((up[x - 1] + up[x + 1] + down[x - 1] + down[x + 1] + 2) >> 2);
        o[1] = uint8_t((c[x - 1] + c[x + 1] + up[x] + down[x] + 2) >> 2);
        o[2] = c[x];
        // G at x + 1
        o[3] = uint8_t((up[x + 1] + down[x + 1] + 1) >> 1);
        o[4] = c[x + 1];
        o[5] = uint8_t((c[x] + c[x + 2] + 1) >> 1);
    }
}

} // namespace

void demosaicGR8(const uint8_t* mosaic, int width, int height, uint8_t* rgb)
{
#ifdef ORVANTA_HAVE_OPENCV
    if (width >= 8 && height >= 8) {
        // OpenCV names the pattern after the second row's pixels: GenICam GR is its GB.
        const cv::Mat in(height, width, CV_8UC1, const_cast<uint8_t*>(mosaic));
        cv::Mat out(height, width, CV_8UC3, rgb);
        cv::cvtColor(in, out, cv::COLOR_BayerGB2RGB);
        return;
    }
#endif
    demosaicGR8Bilinear(mosaic, width, height, rgb);
}

void demosaicGR8Bilinear(const uint8_t* mosaic, int width, int height, uint8_t* rgb)
{
    if (width < 2 || height < 2) {
        greyToRgb(mosaic, size_t(width > 0 ? width : 0) * size_t(height > 0 ? height : 0), rgb);
        return;
    }
    for (int y = 0; y < height; ++y) {
        const uint8_t* up = mosaic + size_t(reflect(y - 1, height)) * width;
        const uint8_t* cur = mosaic + size_t(y) * width;
        const uint8_t* down = mosaic + size_t(reflect(y + 1, height)) * width;
        uint8_t* out = rgb + size_t(y) * width * 3;
        const bool evenRow = (y & 1) == 0;
        if (width >= 6)
            (evenRow ? rowGR : rowBG)(up, cur, down, width, out);
        // Columns the pair loop did not cover: the first two and the last one or two.
        const int covered = width >= 6 ? 2 + 2 * ((width - 3) / 2) : 0;
        for (int x = 0; x < (width >= 6 ? 2 : width); ++x)
            edgePixel(up, cur, down, x, width, evenRow, out + 3 * x);
        for (int x = covered; width >= 6 && x < width; ++x)
            edgePixel(up, cur, down, x, width, evenRow, out + 3 * x);
    }
}

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

} // namespace orvanta
