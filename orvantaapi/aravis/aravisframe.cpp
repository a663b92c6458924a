#include "aravisframe.h"

#include "pixelops.h"

#include <algorithm>
#include <cstring>

namespace orvanta {

namespace {

// Bayer arrangements by the colours of the first row.
enum class Mosaic
{
    None,
    GR,
    RG,
    GB,
    BG
};

struct FormatInfo
{
    uint32_t code;
    Mosaic mosaic;
    int depth; // significant bits of a sample; 0 for packed colour
};

// Codes as GigE Vision and USB3 Vision define them (mono, Bayer, RGB; unpacked).
constexpr FormatInfo kFormats[] = {
    {0x01080001, Mosaic::None, 8},  {0x01100003, Mosaic::None, 10}, {0x01100005, Mosaic::None, 12},
    {0x01100025, Mosaic::None, 14}, {0x01100007, Mosaic::None, 16}, {0x01080008, Mosaic::GR, 8},
    {0x01080009, Mosaic::RG, 8},    {0x0108000A, Mosaic::GB, 8},    {0x0108000B, Mosaic::BG, 8},
    {0x0110000C, Mosaic::GR, 10},   {0x0110000D, Mosaic::RG, 10},   {0x0110000E, Mosaic::GB, 10},
    {0x0110000F, Mosaic::BG, 10},   {0x01100010, Mosaic::GR, 12},   {0x01100011, Mosaic::RG, 12},
    {0x01100012, Mosaic::GB, 12},   {0x01100013, Mosaic::BG, 12},   {0x0110002E, Mosaic::GR, 16},
    {0x0110002F, Mosaic::RG, 16},   {0x01100030, Mosaic::GB, 16},   {0x01100031, Mosaic::BG, 16},
};
constexpr uint32_t kRgb8 = 0x02180014;
constexpr uint32_t kBgr8 = 0x02180015;

const FormatInfo* formatInfo(uint32_t code)
{
    for (const auto& f : kFormats)
        if (f.code == code)
            return &f;
    return nullptr;
}

size_t pixels(const ImageView& image)
{
    return size_t(image.width) * size_t(image.height);
}

// The 8-bit samples of a mono or Bayer image: the data itself or its reduction in scratch.
const uint8_t* samples8(const ImageView& image, const FormatInfo& f, std::vector<uint8_t>& scratch)
{
    if (f.depth == 8)
        return image.data;
    scratch.resize(pixels(image));
    reduceTo8(reinterpret_cast<const uint16_t*>(image.data), pixels(image), f.depth,
              scratch.data());
    return scratch.data();
}

void flipRows(const uint8_t* in, int width, int height, int channels, uint8_t* out)
{
    const size_t row = size_t(width) * size_t(channels);
    for (int y = 0; y < height; ++y)
        std::memcpy(out + size_t(height - 1 - y) * row, in + size_t(y) * row, row);
}

void mirrorColumns(uint8_t* plane, int width, int height, int channels)
{
    for (int y = 0; y < height; ++y) {
        uint8_t* row = plane + size_t(y) * size_t(width) * size_t(channels);
        for (int l = 0, r = width - 1; l < r; ++l, --r)
            std::swap_ranges(row + l * channels, row + (l + 1) * channels, row + r * channels);
    }
}

// Every arrangement is the GR one seen mirrored: RG across the columns, BG across the rows,
// GB across both (even sizes). The bilinear demosaic commutes with mirroring, so the result
// equals a direct demosaic of the arrangement.
void demosaic(const uint8_t* mosaic, int width, int height, Mosaic m, uint8_t* rgb,
              std::vector<uint8_t>& scratch)
{
    if (m == Mosaic::GR) {
        demosaicGR8(mosaic, width, height, rgb);
        return;
    }
    const bool columns = m == Mosaic::RG || m == Mosaic::GB;
    const bool rows = m == Mosaic::BG || m == Mosaic::GB;
    std::vector<uint8_t> gr(size_t(width) * size_t(height));
    if (rows)
        flipRows(mosaic, width, height, 1, gr.data());
    else
        std::memcpy(gr.data(), mosaic, gr.size());
    if (columns)
        mirrorColumns(gr.data(), width, height, 1);
    if (!rows) {
        demosaicGR8(gr.data(), width, height, rgb);
    } else {
        scratch.resize(gr.size() * 3);
        demosaicGR8(gr.data(), width, height, scratch.data());
        flipRows(scratch.data(), width, height, 3, rgb);
    }
    if (columns)
        mirrorColumns(rgb, width, height, 3);
}

} // namespace

int imageBitsPerPixel(uint32_t pixelFormat)
{
    return int((pixelFormat >> 16) & 0xff);
}

bool imageComplete(const ImageView& image)
{
    const int bits = imageBitsPerPixel(image.pixelFormat);
    return image.data && image.width > 0 && image.height > 0 && bits > 0 &&
           image.size >= (pixels(image) * size_t(bits) + 7) / 8;
}

void imageToMono8(const ImageView& image, uint8_t* mono8, std::vector<uint8_t>& scratch)
{
    const size_t n = pixels(image);
    if (const FormatInfo* f = formatInfo(image.pixelFormat)) {
        const uint8_t* s = samples8(image, *f, scratch);
        if (s != mono8)
            std::memmove(mono8, s, n);
        return;
    }
    if (image.pixelFormat == kRgb8 || image.pixelFormat == kBgr8) {
        for (size_t i = 0; i < n; ++i) {
            const uint8_t* p = image.data + 3 * i;
            mono8[i] = uint8_t((p[0] + 2 * p[1] + p[2] + 2) >> 2);
        }
        return;
    }
    std::memset(mono8, 0, n);
}

void imageToRgb(const ImageView& image, uint8_t* rgb, std::vector<uint8_t>& scratch)
{
    const size_t n = pixels(image);
    if (image.pixelFormat == kRgb8) {
        std::memcpy(rgb, image.data, n * 3);
        return;
    }
    if (image.pixelFormat == kBgr8) {
        for (size_t i = 0; i < n; ++i) {
            rgb[3 * i] = image.data[3 * i + 2];
            rgb[3 * i + 1] = image.data[3 * i + 1];
            rgb[3 * i + 2] = image.data[3 * i];
        }
        return;
    }
    const FormatInfo* f = formatInfo(image.pixelFormat);
    if (!f) {
        std::memset(rgb, 0, n * 3);
        return;
    }
    std::vector<uint8_t> reduced;
    const uint8_t* s = samples8(image, *f, reduced);
    const bool even = image.width % 2 == 0 && image.height % 2 == 0;
    if (f->mosaic == Mosaic::None || (f->mosaic != Mosaic::GR && !even))
        greyToRgb(s, n, rgb);
    else
        demosaic(s, image.width, image.height, f->mosaic, rgb, scratch);
}

} // namespace orvanta
