#include "pixelformat.h"

#include <iterator>
#include <utility>

namespace orvanta {

namespace {

PixelFormatInfo mono(std::string name, uint32_t code, int depth, Packing packing)
{
    return {std::move(name), code, PixelFamily::Mono, depth, packing};
}

PixelFormatInfo bayer(std::string name, uint32_t code, Mosaic mosaic, int depth, Packing packing)
{
    return {std::move(name), code, PixelFamily::Bayer, depth, packing, mosaic};
}

PixelFormatInfo colour(std::string name, uint32_t code, ChannelOrder order)
{
    const bool yuv = order == ChannelOrder::Yuyv || order == ChannelOrder::Uyvy;
    return {std::move(name), code, yuv ? PixelFamily::Yuv : PixelFamily::Rgb, 8, Packing::Byte,
            Mosaic::None,    order};
}

std::vector<PixelFormatInfo> makeTable()
{
    using P = Packing;
    using M = Mosaic;
    std::vector<PixelFormatInfo> t = {
        mono("Mono8", ORVANTA_PIXEL_MONO8, 8, P::Byte),
        mono("Mono10", ORVANTA_PIXEL_MONO10, 10, P::Word),
        mono("Mono12", ORVANTA_PIXEL_MONO12, 12, P::Word),
        mono("Mono14", ORVANTA_PIXEL_MONO14, 14, P::Word),
        mono("Mono16", ORVANTA_PIXEL_MONO16, 16, P::Word),
        mono("Mono10p", ORVANTA_PIXEL_MONO10P, 10, P::LsbPacked),
        mono("Mono12p", ORVANTA_PIXEL_MONO12P, 12, P::LsbPacked),
        mono("Mono10Packed", ORVANTA_PIXEL_MONO10PACKED, 10, P::GvPacked),
        mono("Mono12Packed", ORVANTA_PIXEL_MONO12PACKED, 12, P::GvPacked),
        colour("RGB8", ORVANTA_PIXEL_RGB8, ChannelOrder::Rgb),
        colour("BGR8", ORVANTA_PIXEL_BGR8, ChannelOrder::Bgr),
        colour("RGBa8", ORVANTA_PIXEL_RGBA8, ChannelOrder::Rgba),
        colour("BGRa8", ORVANTA_PIXEL_BGRA8, ChannelOrder::Bgra),
        colour("YUV422_8", ORVANTA_PIXEL_YUV422_8, ChannelOrder::Yuyv),
        colour("YUV422_8_UYVY", ORVANTA_PIXEL_YUV422_8_UYVY, ChannelOrder::Uyvy),
    };
    // Bayer formats: the same eleven layouts for each arrangement.
    const struct
    {
        const char* name;
        Mosaic mosaic;
        uint32_t codes[8]; // 8, 10, 12, 16, 10p, 12p, 10Packed, 12Packed
    } arrangements[] = {
        {"GR",
         M::GR,
         {ORVANTA_PIXEL_BAYERGR8, ORVANTA_PIXEL_BAYERGR10, ORVANTA_PIXEL_BAYERGR12,
          ORVANTA_PIXEL_BAYERGR16, ORVANTA_PIXEL_BAYERGR10P, ORVANTA_PIXEL_BAYERGR12P,
          ORVANTA_PIXEL_BAYERGR10PACKED, ORVANTA_PIXEL_BAYERGR12PACKED}},
        {"RG",
         M::RG,
         {ORVANTA_PIXEL_BAYERRG8, ORVANTA_PIXEL_BAYERRG10, ORVANTA_PIXEL_BAYERRG12,
          ORVANTA_PIXEL_BAYERRG16, ORVANTA_PIXEL_BAYERRG10P, ORVANTA_PIXEL_BAYERRG12P,
          ORVANTA_PIXEL_BAYERRG10PACKED, ORVANTA_PIXEL_BAYERRG12PACKED}},
        {"GB",
         M::GB,
         {ORVANTA_PIXEL_BAYERGB8, ORVANTA_PIXEL_BAYERGB10, ORVANTA_PIXEL_BAYERGB12,
          ORVANTA_PIXEL_BAYERGB16, ORVANTA_PIXEL_BAYERGB10P, ORVANTA_PIXEL_BAYERGB12P,
          ORVANTA_PIXEL_BAYERGB10PACKED, ORVANTA_PIXEL_BAYERGB12PACKED}},
        {"BG",
         M::BG,
         {ORVANTA_PIXEL_BAYERBG8, ORVANTA_PIXEL_BAYERBG10, ORVANTA_PIXEL_BAYERBG12,
          ORVANTA_PIXEL_BAYERBG16, ORVANTA_PIXEL_BAYERBG10P, ORVANTA_PIXEL_BAYERBG12P,
          ORVANTA_PIXEL_BAYERBG10PACKED, ORVANTA_PIXEL_BAYERBG12PACKED}},
    };
    const struct
    {
        const char* suffix;
        int depth;
        Packing packing;
    } layouts[] = {{"8", 8, P::Byte},
                   {"10", 10, P::Word},
                   {"12", 12, P::Word},
                   {"16", 16, P::Word},
                   {"10p", 10, P::LsbPacked},
                   {"12p", 12, P::LsbPacked},
                   {"10Packed", 10, P::GvPacked},
                   {"12Packed", 12, P::GvPacked}};
    for (const auto& a : arrangements)
        for (size_t i = 0; i < std::size(layouts); ++i)
            t.push_back(bayer(std::string("Bayer") + a.name + layouts[i].suffix, a.codes[i],
                              a.mosaic, layouts[i].depth, layouts[i].packing));
    return t;
}

// Older GigE Vision names of codes in the table.
const struct
{
    const char* name;
    uint32_t code;
} kAliases[] = {{"RGB8Packed", ORVANTA_PIXEL_RGB8},
                {"BGR8Packed", ORVANTA_PIXEL_BGR8},
                {"RGBA8Packed", ORVANTA_PIXEL_RGBA8},
                {"BGRA8Packed", ORVANTA_PIXEL_BGRA8},
                {"YUV422Packed", ORVANTA_PIXEL_YUV422_8_UYVY},
                {"YUV422_YUYV_Packed", ORVANTA_PIXEL_YUV422_8}};

} // namespace

const std::vector<PixelFormatInfo>& pixelFormats()
{
    static const std::vector<PixelFormatInfo> table = makeTable();
    return table;
}

const PixelFormatInfo* pixelFormatByName(const std::string& name)
{
    for (const auto& f : pixelFormats())
        if (name == f.name)
            return &f;
    for (const auto& a : kAliases)
        if (name == a.name)
            return pixelFormatByCode(a.code);
    return nullptr;
}

const PixelFormatInfo* pixelFormatByCode(uint32_t code)
{
    for (const auto& f : pixelFormats())
        if (f.code == code)
            return &f;
    return nullptr;
}

} // namespace orvanta
