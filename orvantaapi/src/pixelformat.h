// Names, GigE Vision codes and bit depths of the pixel formats the SDK knows.
#ifndef ORVANTA_PIXELFORMAT_H
#define ORVANTA_PIXELFORMAT_H

#include "OrvantaAPI.h"

#include <cstdint>
#include <string>

namespace orvanta {

struct PixelFormatInfo
{
    const char* name;
    uint32_t code;
    int depth; // significant bits per sample
};

inline const PixelFormatInfo* pixelFormatInfo(const std::string& name)
{
    static const PixelFormatInfo formats[] = {{"Mono8", ORVANTA_PIXEL_MONO8, 8},
                                              {"Mono10", ORVANTA_PIXEL_MONO10, 10},
                                              {"Mono12", ORVANTA_PIXEL_MONO12, 12},
                                              {"BayerGR8", ORVANTA_PIXEL_BAYERGR8, 8},
                                              {"BayerGR12", ORVANTA_PIXEL_BAYERGR12, 12}};
    for (const auto& f : formats)
        if (name == f.name)
            return &f;
    return nullptr;
}

inline uint32_t pixelFormatCode(const std::string& name)
{
    const PixelFormatInfo* f = pixelFormatInfo(name);
    return f ? f->code : 0;
}

inline int pixelFormatDepth(const std::string& name)
{
    const PixelFormatInfo* f = pixelFormatInfo(name);
    return f ? f->depth : 8;
}

} // namespace orvanta

#endif
