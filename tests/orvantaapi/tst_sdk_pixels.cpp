// Pixel work of the SDK: demosaic, bit-depth reduction, tone tables, output processing and the
// scene's ROI crop.
#include "outputprocessing.h"
#include "pixelops.h"
#include "simscene.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

using namespace orvanta;

namespace {

// Straightforward bilinear reference with reflected borders.
std::vector<uint8_t> referenceDemosaic(const std::vector<uint8_t>& m, int w, int h)
{
    auto at = [&](int x, int y) {
        x = x < 0 ? -x : x >= w ? 2 * w - 2 - x : x;
        y = y < 0 ? -y : y >= h ? 2 * h - 2 - y : y;
        return int(m[size_t(y) * w + x]);
    };
    std::vector<uint8_t> out(size_t(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int c = at(x, y);
            const int horiz = (at(x - 1, y) + at(x + 1, y) + 1) >> 1;
            const int vert = (at(x, y - 1) + at(x, y + 1) + 1) >> 1;
            const int cross = (at(x - 1, y) + at(x + 1, y) + at(x, y - 1) + at(x, y + 1) + 2) >> 2;
            const int diag =
                (at(x - 1, y - 1) + at(x + 1, y - 1) + at(x - 1, y + 1) + at(x + 1, y + 1) + 2) >>
                2;
            int r, g, b;
            if (y % 2 == 0 && x % 2 == 0)
                r = horiz, g = c, b = vert;
            else if (y % 2 == 0)
                r = c, g = cross, b = diag;
            else if (x % 2 == 0)
                r = diag, g = cross, b = c;
            else
                r = vert, g = c, b = horiz;
            uint8_t* o = &out[(size_t(y) * w + x) * 3];
            o[0] = uint8_t(r), o[1] = uint8_t(g), o[2] = uint8_t(b);
        }
    return out;
}

// The mosaic a GR sensor takes of a flat colour.
std::vector<uint8_t> flatMosaic(int w, int h, uint8_t r, uint8_t g, uint8_t b)
{
    std::vector<uint8_t> m(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            m[size_t(y) * w + x] = y % 2 == 0 ? (x % 2 ? r : g) : (x % 2 ? g : b);
    return m;
}

} // namespace

TEST(Demosaic, OwnBilinearMatchesTheReferenceEverywhere)
{
    for (int w : {2, 5, 6, 7, 8, 33, 64}) {
        for (int h : {2, 3, 8, 17}) {
            auto flat = flatMosaic(w, h, 200, 100, 30);
            std::vector<uint8_t> rgb(size_t(w) * h * 3);
            demosaicGR8Bilinear(flat.data(), w, h, rgb.data());
            for (size_t i = 0; i < rgb.size(); i += 3)
                ASSERT_TRUE(rgb[i] == 200 && rgb[i + 1] == 100 && rgb[i + 2] == 30)
                    << w << "x" << h << " pixel " << i / 3;

            std::mt19937 rng(unsigned(w * 100 + h));
            std::vector<uint8_t> noise(size_t(w) * h);
            for (auto& v : noise)
                v = uint8_t(rng());
            demosaicGR8Bilinear(noise.data(), w, h, rgb.data());
            ASSERT_EQ(rgb, referenceDemosaic(noise, w, h)) << w << "x" << h;
        }
    }
}

TEST(Demosaic, SdkDemosaicKeepsFlatColoursAndMatchesTheReferenceInside)
{
    for (int w : {8, 40, 64}) {
        for (int h : {8, 17, 32}) {
            auto flat = flatMosaic(w, h, 10, 220, 140);
            std::vector<uint8_t> rgb(size_t(w) * h * 3);
            demosaicGR8(flat.data(), w, h, rgb.data());
            for (size_t i = 0; i < rgb.size(); i += 3)
                ASSERT_TRUE(rgb[i] == 10 && rgb[i + 1] == 220 && rgb[i + 2] == 140)
                    << w << "x" << h << " pixel " << i / 3;

            std::mt19937 rng(unsigned(w * 7 + h));
            std::vector<uint8_t> noise(size_t(w) * h);
            for (auto& v : noise)
                v = uint8_t(rng());
            demosaicGR8(noise.data(), w, h, rgb.data());
            const auto ref = referenceDemosaic(noise, w, h);
            for (int y = 1; y + 1 < h; ++y)
                for (int x = 1; x + 1 < w; ++x)
                    for (int c = 0; c < 3; ++c) {
                        const size_t i = (size_t(y) * w + x) * 3 + c;
                        ASSERT_EQ(rgb[i], ref[i]) << w << "x" << h << " at " << x << "," << y;
                    }
        }
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
    std::vector<unsigned char> fullRaw(256 * 128 * 2), fullMono(256 * 128);
    full.raw = fullRaw.data(), full.mono8 = fullMono.data();
    scene.render(full);

    RenderRequest roi = full;
    roi.x = 40, roi.y = 24, roi.width = 64, roi.height = 32;
    std::vector<unsigned char> raw(64 * 32 * 2), mono(64 * 32), rgb(64 * 32 * 3);
    roi.raw = raw.data(), roi.mono8 = mono.data(), roi.rgb = rgb.data(), roi.toRgb = true;
    scene.render(roi);
    for (int y = 0; y < 32; ++y)
        ASSERT_EQ(std::memcmp(&raw[size_t(y) * 64 * 2], &fullRaw[(size_t(y + 24) * 256 + 40) * 2],
                              64 * 2),
                  0)
            << "row " << y;
    // The next frame is shifted: motion.
    RenderRequest next = full;
    next.frameNumber = 4;
    std::vector<unsigned char> nextRaw(fullRaw.size());
    next.raw = nextRaw.data();
    scene.render(next);
    EXPECT_NE(nextRaw, fullRaw);
}
