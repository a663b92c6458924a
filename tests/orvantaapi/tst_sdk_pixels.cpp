// Pixel work of the SDK: demosaic of every Bayer arrangement, packed layouts, colour formats,
// bit-depth reduction, tone tables, output processing and the scene's ROI crop.
#include "framedecoder.h"
#include "outputprocessing.h"
#include "pixelops.h"
#include "pixelreference.h"
#include "simscene.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

using namespace orvanta;

namespace {

const Mosaic kArrangements[] = {Mosaic::GR, Mosaic::RG, Mosaic::GB, Mosaic::BG};

// The colour (0 R, 1 G, 2 B) an arrangement samples at (x, y), by its first two rows.
int siteColour(Mosaic a, int x, int y)
{
    static const char* rows[][2] = {{"GR", "BG"}, {"RG", "GB"}, {"GB", "RG"}, {"BG", "GR"}};
    const char c = rows[int(a) - 1][y % 2][x % 2];
    return c == 'R' ? 0 : c == 'G' ? 1 : 2;
}

// Straightforward bilinear reference with reflected borders.
template <class T> std::vector<T> referenceDemosaic(const std::vector<T>& m, int w, int h, Mosaic a)
{
    auto at = [&](int x, int y) {
        x = x < 0 ? -x : x >= w ? 2 * w - 2 - x : x;
        y = y < 0 ? -y : y >= h ? 2 * h - 2 - y : y;
        return int(m[size_t(y) * w + x]);
    };
    std::vector<T> out(size_t(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int c = at(x, y);
            const int horiz = (at(x - 1, y) + at(x + 1, y) + 1) >> 1;
            const int vert = (at(x, y - 1) + at(x, y + 1) + 1) >> 1;
            const int cross = (at(x - 1, y) + at(x + 1, y) + at(x, y - 1) + at(x, y + 1) + 2) >> 2;
            const int diag =
                (at(x - 1, y - 1) + at(x + 1, y - 1) + at(x - 1, y + 1) + at(x + 1, y + 1) + 2) >>
                2;
            int rgb[3];
            const int own = siteColour(a, x, y);
            rgb[own] = c;
            if (own == 1) { // G: red and blue from the row or the column that has them
                const bool redInRow = siteColour(a, x + 1, y) == 0;
                rgb[0] = redInRow ? horiz : vert;
                rgb[2] = redInRow ? vert : horiz;
            } else {
                rgb[1] = cross;
                rgb[2 - own] = diag;
            }
            for (int k = 0; k < 3; ++k)
                out[(size_t(y) * w + x) * 3 + k] = T(rgb[k]);
        }
    return out;
}

// The mosaic a sensor of an arrangement takes of a flat colour.
template <class T> std::vector<T> flatMosaic(int w, int h, Mosaic a, const int (&colour)[3])
{
    std::vector<T> m(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            m[size_t(y) * w + x] = T(colour[siteColour(a, x, y)]);
    return m;
}

template <class T> std::vector<T> noise(size_t n, unsigned seed, int max)
{
    std::mt19937 rng(seed);
    std::vector<T> v(n);
    for (auto& s : v)
        s = T(rng() % unsigned(max + 1));
    return v;
}

bool isFlat(const std::vector<uint8_t>& rgb, const int (&colour)[3])
{
    for (size_t i = 0; i < rgb.size(); ++i)
        if (rgb[i] != colour[i % 3])
            return false;
    return true;
}

} // namespace

TEST(Demosaic, OwnBilinearMatchesTheReferenceEverywhere)
{
    const int flat[3] = {200, 100, 30};
    for (Mosaic a : kArrangements)
        for (int w : {2, 5, 6, 7, 8, 33}) {
            for (int h : {2, 3, 8, 17}) {
                std::vector<uint8_t> rgb(size_t(w) * h * 3);
                own::demosaic8(flatMosaic<uint8_t>(w, h, a, flat).data(), w, h, a, rgb.data());
                ASSERT_TRUE(isFlat(rgb, flat)) << int(a) << " " << w << "x" << h;

                const auto n8 = noise<uint8_t>(size_t(w) * h, unsigned(w * 100 + h), 255);
                own::demosaic8(n8.data(), w, h, a, rgb.data());
                ASSERT_EQ(rgb, referenceDemosaic(n8, w, h, a)) << int(a) << " " << w << "x" << h;

                const auto n16 = noise<uint16_t>(size_t(w) * h, unsigned(w + h), 65535);
                std::vector<uint16_t> rgb16(rgb.size());
                own::demosaic16(n16.data(), w, h, a, rgb16.data());
                ASSERT_EQ(rgb16, referenceDemosaic(n16, w, h, a)) << int(a) << " " << w << "x" << h;
            }
        }
}

TEST(Demosaic, SdkDemosaicKeepsFlatColoursAndMatchesTheReferenceInside)
{
    const int flat[3] = {10, 220, 140};
    for (Mosaic a : kArrangements)
        for (int w : {8, 40}) {
            for (int h : {8, 17}) {
                std::vector<uint8_t> rgb(size_t(w) * h * 3);
                demosaic8(flatMosaic<uint8_t>(w, h, a, flat).data(), w, h, a, rgb.data());
                ASSERT_TRUE(isFlat(rgb, flat)) << int(a) << " " << w << "x" << h;

                const auto n8 = noise<uint8_t>(size_t(w) * h, unsigned(w * 7 + h), 255);
                const auto n16 = noise<uint16_t>(size_t(w) * h, unsigned(w * 7 + h), 4095);
                std::vector<uint16_t> rgb16(rgb.size());
                demosaic8(n8.data(), w, h, a, rgb.data());
                demosaic16(n16.data(), w, h, a, rgb16.data());
                const auto ref8 = referenceDemosaic(n8, w, h, a);
                const auto ref16 = referenceDemosaic(n16, w, h, a);
                for (int y = 1; y + 1 < h; ++y)
                    for (int x = 1; x + 1 < w; ++x)
                        for (int c = 0; c < 3; ++c) {
                            const size_t i = (size_t(y) * w + x) * 3 + c;
                            ASSERT_EQ(rgb[i], ref8[i]) << int(a) << " at " << x << "," << y;
                            ASSERT_EQ(rgb16[i], ref16[i]) << int(a) << " at " << x << "," << y;
                        }
            }
        }
}

// Reference bytes worked out by hand from the layouts the format names stand for.
TEST(PackedSamples, FollowTheLayoutsTheirNamesStandFor)
{
    const struct
    {
        const char* name;
        Packing packing;
        int depth;
        std::vector<uint16_t> samples;
        std::vector<uint8_t> bytes;
    } cases[] = {
        // 12p: 0x123 0x456 -> 23 | 1 + 6<<4 | 45, ...; the last byte's high nibble is padding.
        {"Mono12p",
         Packing::LsbPacked,
         12,
         {0x123, 0x456, 0x789, 0xABC, 0xFED},
         {0x23, 0x61, 0x45, 0x89, 0xC7, 0xAB, 0xED, 0x0F}},
        // 10p: four samples in five bytes, least significant bit first.
        {"Mono10p",
         Packing::LsbPacked,
         10,
         {0x3FF, 0x001, 0x2AA, 0x155, 0x123},
         {0xFF, 0x07, 0xA0, 0x6A, 0x55, 0x23, 0x01}},
        // 12Packed: high 8 bits whole in bytes 0 and 2, the low nibbles in byte 1.
        {"Mono12Packed",
         Packing::GvPacked,
         12,
         {0x123, 0x456, 0x789},
         {0x12, 0x63, 0x45, 0x78, 0x09}},
        // 10Packed: the low two bits in bits 1..0 and 5..4 of byte 1.
        {"Mono10Packed",
         Packing::GvPacked,
         10,
         {0x3FF, 0x001, 0x2AA},
         {0xFF, 0x13, 0x00, 0xAA, 0x02}},
    };
    for (const auto& c : cases) {
        const size_t n = c.samples.size();
        std::vector<uint8_t> packed(c.bytes.size(), 0xEE);
        packSamples(c.samples.data(), n, c.packing, c.depth, packed.data());
        EXPECT_EQ(packed, c.bytes) << c.name;

        std::vector<uint16_t> unpacked(n);
        unpackSamples(c.bytes.data(), c.packing, c.depth, 0, n, unpacked.data());
        EXPECT_EQ(unpacked, c.samples) << c.name;
        unpackSamples(c.bytes.data(), c.packing, c.depth, 1, n - 1, unpacked.data());
        EXPECT_EQ(std::vector<uint16_t>(unpacked.begin(), unpacked.end() - 1),
                  std::vector<uint16_t>(c.samples.begin() + 1, c.samples.end()))
            << c.name << " from the second sample";

        std::vector<uint8_t> top(n);
        unpackTop8(c.bytes.data(), c.packing, c.depth, n, top.data());
        pixelref::Layout layout;
        ASSERT_TRUE(pixelref::parse(c.name, layout));
        for (size_t i = 0; i < n; ++i) {
            EXPECT_EQ(top[i], c.samples[i] >> (c.depth - 8)) << c.name << " " << i;
            EXPECT_EQ(pixelref::sample(c.bytes.data(), layout, i), c.samples[i]) << c.name;
        }
        // A whole group more than the loops' unit, to cover them.
        const auto many = noise<uint16_t>(37, 5, (1 << c.depth) - 1);
        std::vector<uint8_t> bytes((37 * 12 + 7) / 8);
        packSamples(many.data(), many.size(), c.packing, c.depth, bytes.data());
        std::vector<uint16_t> back(many.size());
        unpackSamples(bytes.data(), c.packing, c.depth, 0, many.size(), back.data());
        EXPECT_EQ(back, many) << c.name;
    }
}

TEST(ColourFormats, OwnAndSdkConversionsMatchTheReference)
{
    constexpr int w = 8, h = 2;
    for (const char* name : {"RGB8", "BGR8", "RGBa8", "BGRa8", "YUV422_8", "YUV422_8_UYVY"}) {
        const PixelFormatInfo& f = *pixelFormatByName(name);
        pixelref::Layout l;
        ASSERT_TRUE(pixelref::parse(name, l));
        const auto data = noise<uint8_t>(size_t(w) * h * 4, 11, 255);
        std::vector<uint8_t> ownRgb(w * h * 3), sdkRgb(w * h * 3), ownLuma(w * h), sdkLuma(w * h);
        own::colourToRgb(data.data(), w * h, f.order, ownRgb.data());
        own::colourLuma(data.data(), w * h, f.order, ownLuma.data());
        colourToRgb(data.data(), w, h, f.order, sdkRgb.data());
        colourLuma(data.data(), w, h, f.order, sdkLuma.data());
        const double tolerance = l.family == pixelref::Layout::Yuv ? 2.01 : 0;
        for (size_t i = 0; i < size_t(w) * h; ++i) {
            double rgb[3], luma = 0;
            pixelref::colour(data.data(), l, i, rgb, luma);
            EXPECT_NEAR(ownLuma[i], luma, 1.01) << name << " " << i;
            EXPECT_NEAR(sdkLuma[i], luma, 1.01) << name << " " << i;
            for (int c = 0; c < 3; ++c) {
                EXPECT_NEAR(ownRgb[3 * i + c], rgb[c], tolerance) << name << " " << i;
                EXPECT_NEAR(sdkRgb[3 * i + c], rgb[c], tolerance) << name << " " << i;
            }
        }
        // The simulated cameras' encoding reads back: exactly, or for YUV a flat colour.
        std::vector<uint8_t> flat(w * h * 3), encoded(w * h * 4), decoded(w * h * 3);
        for (size_t i = 0; i < flat.size(); i += 3)
            flat[i] = 180, flat[i + 1] = 90, flat[i + 2] = 40;
        rgbToColour(flat.data(), w * h, f.order, encoded.data());
        colourToRgb(encoded.data(), w, h, f.order, decoded.data());
        for (size_t i = 0; i < flat.size(); ++i)
            EXPECT_NEAR(decoded[i], flat[i], l.family == pixelref::Layout::Yuv ? 3 : 0) << name;
    }
}

// Deep mosaics are demosaiced band by band: the bands join without a seam.
TEST(FrameDecoder, DeepMosaicsDecodeLikeOneWholeDemosaic)
{
    constexpr int w = 16, h = 100;
    const auto samples = noise<uint16_t>(size_t(w) * h, 3, 4095);
    std::vector<uint16_t> whole(size_t(w) * h * 3);
    demosaic16(samples.data(), w, h, Mosaic::RG, whole.data());
    std::vector<uint8_t> expected(whole.size());
    reduceTo8(whole.data(), whole.size(), 12, expected.data());

    std::vector<uint8_t> packed((size_t(w) * h * 12 + 7) / 8);
    packSamples(samples.data(), samples.size(), Packing::LsbPacked, 12, packed.data());
    FrameDecoder decoder;
    for (const char* name : {"BayerRG12", "BayerRG12p"}) {
        ImageView image;
        image.format = pixelFormatByName(name);
        image.width = w, image.height = h;
        image.data = image.format->packing == Packing::Word
                         ? reinterpret_cast<const uint8_t*>(samples.data())
                         : packed.data();
        image.size = image.format->imageBytes(w, h);
        ASSERT_TRUE(image.complete()) << name;
        std::vector<uint8_t> rgb(expected.size());
        decoder.toRgb(image, nullptr, rgb.data());
        EXPECT_EQ(rgb, expected) << name;
        --image.size;
        EXPECT_FALSE(image.complete()) << name;
    }
}

TEST(Reduce, KeepsTheMostSignificantEightBits)
{
    std::vector<uint16_t> samples = {0, 15, 16, 4095, 2048, 1023};
    std::vector<uint8_t> out(samples.size());
    reduceTo8(samples.data(), samples.size(), 12, out.data());
    EXPECT_EQ(out, (std::vector<uint8_t>{0, 0, 1, 255, 128, 63}));
    reduceTo8(samples.data() + 5, 1, 10, out.data());
    EXPECT_EQ(out[0], 255);
    std::vector<uint8_t> grey = {7, 9}, rgb(6);
    greyToRgb(grey.data(), 2, rgb.data());
    EXPECT_EQ(rgb, (std::vector<uint8_t>{7, 7, 7, 9, 9, 9}));
}

TEST(ToneTables, FollowGainBlackLevelGammaAndDepth)
{
    ToneSettings s;
    auto base = makeToneTables(s);
    EXPECT_EQ(base->colour[1][0], 0);
    EXPECT_EQ(base->colour[1][4095], 255);
    s.gainFactor = 2;
    auto gained = makeToneTables(s);
    EXPECT_GT(gained->colour[1][1000], base->colour[1][1000]);
    s = ToneSettings{};
    s.blackLevel = 0.1;
    EXPECT_GE(makeToneTables(s)->colour[1][0], 25);
    s = ToneSettings{};
    s.gamma = 0.5;
    EXPECT_GT(makeToneTables(s)->colour[1][1000], base->colour[1][1000]);
    s = ToneSettings{};
    s.whiteBalance = {2, 1, 0.5};
    auto wb = makeToneTables(s);
    EXPECT_GT(wb->colour[0][1000], wb->colour[1][1000]);
    EXPECT_LT(wb->colour[2][1000], wb->colour[1][1000]);
    s = ToneSettings{};
    s.outputBits = 12;
    EXPECT_EQ(makeToneTables(s)->colour[1][4095], 4095);
    // Tables never decrease with the input.
    for (int i = 1; i < 4096; ++i)
        ASSERT_GE(gained->colour[1][i], gained->colour[1][i - 1]);
}

int luma(const uint8_t* p)
{
    return int(std::lround(0.213 * p[0] + 0.715 * p[1] + 0.072 * p[2]));
}

TEST(OutputProcessing, HueAndSaturationKeepLuminanceAndNeutralKeepsPixels)
{
    // Colours that stay inside the cube when turned, so nothing is clipped.
    const std::vector<uint8_t> colours = {150, 90, 80, 90, 140, 100, 90, 100, 160, 128, 128, 128};
    const size_t n = colours.size() / 3;
    std::vector<uint8_t> rgb = colours;
    adjustColour(rgb.data(), n, colourMatrix(0, 1));
    EXPECT_EQ(rgb, colours);
    adjustColour(rgb.data(), n, colourMatrix(360, 1));
    for (size_t i = 0; i < rgb.size(); ++i)
        EXPECT_NEAR(rgb[i], colours[i], 1) << i;

    rgb = colours;
    adjustColour(rgb.data(), n, colourMatrix(0, 0));
    for (size_t p = 0; p < n; ++p) {
        const uint8_t* px = &rgb[3 * p];
        EXPECT_TRUE(px[0] == px[1] && px[1] == px[2]) << p;
        EXPECT_NEAR(px[0], luma(&colours[3 * p]), 1) << p;
    }

    rgb = colours;
    adjustColour(rgb.data(), n, colourMatrix(120, 1));
    EXPECT_LT(rgb[0], rgb[1]); // the red pixel turned towards green
    for (size_t p = 0; p < n; ++p)
        EXPECT_NEAR(luma(&rgb[3 * p]), luma(&colours[3 * p]), 3) << p;
    EXPECT_EQ(std::vector<uint8_t>(rgb.end() - 3, rgb.end()), (std::vector<uint8_t>(3, 128)));

    rgb = {250, 10, 10};
    adjustColour(rgb.data(), 1, colourMatrix(0, 2)); // clamped, not wrapped
    EXPECT_EQ(rgb[0], 255);
    EXPECT_EQ(rgb[1], 0);
}

TEST(OutputProcessing, SharpeningRaisesEdgesLeavesFlatAreasAndClamps)
{
    constexpr int w = 8, h = 5;
    // Dark left half, bright right half, one sample per pixel.
    std::vector<uint8_t> step(w * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            step[size_t(y) * w + x] = x < w / 2 ? 60 : 180;
    std::vector<uint8_t> out = step;
    sharpen(out.data(), w, h, 1, 0);
    EXPECT_EQ(out, step);
    sharpen(out.data(), w, h, 1, 1);
    for (int y = 1; y + 1 < h; ++y) {
        const uint8_t* row = &out[size_t(y) * w];
        EXPECT_LT(row[w / 2 - 1], 60); // undershoot on the dark side
        EXPECT_GT(row[w / 2], 180);    // overshoot on the bright side
        EXPECT_EQ(row[1], 60);         // flat
        EXPECT_EQ(row[w - 2], 180);
        EXPECT_EQ(row[0], 60); // border kept
    }
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + w),
              std::vector<uint8_t>(step.begin(), step.begin() + w));

    // Interleaved RGB: each colour is sharpened on its own.
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    for (size_t i = 0; i < step.size(); ++i)
        rgb[3 * i] = step[i], rgb[3 * i + 1] = 100, rgb[3 * i + 2] = uint8_t(240 - step[i]);
    sharpen(rgb.data(), w, h, 3, 1);
    const uint8_t* edge = &rgb[(size_t(2) * w + w / 2) * 3];
    EXPECT_GT(edge[0], 180);
    EXPECT_EQ(edge[1], 100);
    EXPECT_LT(edge[2], 60);

    // 12-bit samples clamp at their own full scale.
    std::vector<uint16_t> wide(w * h);
    for (size_t i = 0; i < wide.size(); ++i)
        wide[i] = i % w < w / 2 ? 0 : 4000;
    sharpen(wide.data(), w, h, 1, 4095);
    EXPECT_EQ(wide[size_t(2) * w + w / 2], 4095);
    EXPECT_EQ(wide[size_t(2) * w + w / 2 - 1], 0);
}

TEST(Scene, RegionOfInterestIsTheSensorPictureCroppedAtTheOffset)
{
    SimScene scene(256, 128, true);
    ToneSettings s;
    s.outputBits = 12;
    RenderRequest full;
    full.width = 256, full.height = 128, full.frameNumber = 3;
    full.tones = makeToneTables(s);
    std::vector<unsigned char> fullRaw(256 * 128 * 2);
    full.raw = fullRaw.data();
    scene.render(full);

    RenderRequest roi = full;
    roi.x = 40, roi.y = 24, roi.width = 64, roi.height = 32;
    std::vector<unsigned char> raw(64 * 32 * 2);
    roi.raw = raw.data();
    scene.render(roi);
    for (int y = 0; y < 32; ++y)
        ASSERT_EQ(std::memcmp(&raw[size_t(y) * 64 * 2], &fullRaw[(size_t(y + 24) * 256 + 40) * 2],
                              64 * 2),
                  0)
            << "row " << y;
    // The next frame is the picture moved 4 pixels sideways, wrapping round: motion.
    RenderRequest next = full;
    next.frameNumber = 4;
    std::vector<unsigned char> nextRaw(fullRaw.size());
    next.raw = nextRaw.data();
    scene.render(next);
    EXPECT_NE(nextRaw, fullRaw);
    const auto* now = reinterpret_cast<const uint16_t*>(fullRaw.data());
    const auto* later = reinterpret_cast<const uint16_t*>(nextRaw.data());
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 256; ++x)
            ASSERT_EQ(later[y * 256 + x], now[y * 256 + (x + 4) % 256]) << x << "," << y;
}
