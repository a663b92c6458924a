// Pixel handling of real-camera images (no camera, no network): every Bayer arrangement gives
// the right colours, deep formats are reduced, packed colour passes through; and the backend
// choice of a library running from its build tree.
#include "aravisframe.h"
#include "realbackend.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

using namespace orvanta;

namespace {

constexpr int kW = 8, kH = 6;
constexpr std::array<uint8_t, 3> kColour = {200, 100, 50};

// A mosaic of one flat colour; firstRow names the colours of row 0 ("GR", "RG", "GB", "BG").
std::vector<uint8_t> flatMosaic(const std::string& firstRow)
{
    auto channel = [](char c) { return c == 'R' ? 0 : c == 'G' ? 1 : 2; };
    const std::string secondRow = firstRow == "GR"   ? "BG"
                                  : firstRow == "RG" ? "GB"
                                  : firstRow == "GB" ? "RG"
                                                     : "GR";
    std::vector<uint8_t> m(kW * kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            m[y * kW + x] = kColour[channel((y % 2 ? secondRow : firstRow)[x % 2])];
    return m;
}

uint32_t bayer8Code(const std::string& arrangement)
{
    return arrangement == "GR"   ? 0x01080008
           : arrangement == "RG" ? 0x01080009
           : arrangement == "GB" ? 0x0108000A
                                 : 0x0108000B;
}

} // namespace

TEST(AravisPixels, EveryBayerArrangementDemosaicsToItsColours)
{
    for (const std::string arrangement : {"GR", "RG", "GB", "BG"}) {
        const std::vector<uint8_t> mosaic = flatMosaic(arrangement);
        ImageView image{mosaic.data(), mosaic.size(), kW, kH, bayer8Code(arrangement)};
        ASSERT_TRUE(imageComplete(image));
        std::vector<uint8_t> rgb(kW * kH * 3), scratch;
        imageToRgb(image, rgb.data(), scratch);
        for (int i = 0; i < kW * kH; ++i)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(rgb[3 * i + c], kColour[c])
                    << arrangement << " pixel " << i << " channel " << c;
        std::vector<uint8_t> mono(kW * kH);
        imageToMono8(image, mono.data(), scratch);
        EXPECT_EQ(mono, mosaic) << arrangement; // 8-bit: the mono plane is the mosaic itself
    }
}

TEST(AravisPixels, DeepFormatsKeepTheirTopBitsAndColourPassesThrough)
{
    // Mono12 in 16-bit containers, and BayerRG12.
    std::vector<uint16_t> deep(kW * kH, 0x0ABC);
    ImageView mono12{reinterpret_cast<const uint8_t*>(deep.data()), deep.size() * 2, kW, kH,
                     0x01100005};
    std::vector<uint8_t> mono(kW * kH), rgb(kW * kH * 3), scratch;
    imageToMono8(mono12, mono.data(), scratch);
    EXPECT_EQ(mono, std::vector<uint8_t>(kW * kH, 0xAB));
    imageToRgb(mono12, rgb.data(), scratch);
    EXPECT_EQ(rgb, std::vector<uint8_t>(kW * kH * 3, 0xAB));

    const std::vector<uint8_t> mosaic8 = flatMosaic("RG");
    std::vector<uint16_t> mosaic12(mosaic8.begin(), mosaic8.end());
    for (auto& s : mosaic12)
        s = uint16_t(s << 4);
    ImageView rg12{reinterpret_cast<const uint8_t*>(mosaic12.data()), mosaic12.size() * 2, kW, kH,
                   0x01100011};
    imageToRgb(rg12, rgb.data(), scratch);
    EXPECT_EQ(rgb[0], kColour[0]);
    EXPECT_EQ(rgb[1], kColour[1]);
    EXPECT_EQ(rgb[2], kColour[2]);

    // BGR8 is swapped into RGB; a truncated image is not complete.
    std::vector<uint8_t> bgr(kW * kH * 3);
    for (int i = 0; i < kW * kH; ++i)
        bgr[3 * i] = 3, bgr[3 * i + 1] = 2, bgr[3 * i + 2] = 1;
    ImageView bgr8{bgr.data(), bgr.size(), kW, kH, 0x02180015};
    imageToRgb(bgr8, rgb.data(), scratch);
    EXPECT_EQ(rgb[0], 1);
    EXPECT_EQ(rgb[2], 3);
    bgr8.size -= 1;
    EXPECT_FALSE(imageComplete(bgr8));
    EXPECT_FALSE(imageComplete(ImageView{bgr.data(), bgr.size(), 0, kH, 0x02180015}));
}

TEST(AravisPixels, BuildTreeDefaultsToTheSimulatedCameras)
{
    EXPECT_STREQ(defaultBackends(), "simulated");
}
