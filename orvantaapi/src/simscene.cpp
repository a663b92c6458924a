#include "simscene.h"

#include "outputprocessing.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <tuple>

namespace orvanta {

namespace {

struct Rgb
{
    double r, g, b;
};

// The scene: colour bars above, discs on a lit background in the middle, a checkerboard and a
// grey ramp below; lit from the centre with a soft fall-off like a lens.
Rgb sceneColour(int x, int y, int w, int h)
{
    const double u = double(x) / w, v = double(y) / h;
    const double du = u - 0.5, dv = v - 0.5;
    const double light = 0.55 + 0.45 * std::exp(-(du * du + dv * dv) * 3.0);
    Rgb c{0.45, 0.47, 0.50};
    if (v < 0.22) {
        static const Rgb bars[8] = {{1, 1, 1}, {1, 1, 0}, {0, 1, 1}, {0, 1, 0},
                                    {1, 0, 1}, {1, 0, 0}, {0, 0, 1}, {0.05, 0.05, 0.05}};
        c = bars[std::min(7, int(u * 8))];
    } else if (v < 0.72) {
        static const struct
        {
            double cx, cy, radius;
            Rgb colour;
        } discs[] = {{0.15, 0.45, 0.12, {0.9, 0.2, 0.15}},
                     {0.40, 0.52, 0.15, {0.2, 0.75, 0.25}},
                     {0.65, 0.42, 0.10, {0.2, 0.3, 0.9}},
                     {0.87, 0.55, 0.13, {0.95, 0.85, 0.3}}};
        const double aspect = double(h) / w;
        for (const auto& d : discs) {
            const double dx = u - d.cx, dy = (v - d.cy) * aspect;
            if (dx * dx + dy * dy < d.radius * d.radius)
                c = d.colour;
        }
    } else if (u < 0.5) {
        const bool dark = ((x / 64) + (y / 64)) % 2;
        c = dark ? Rgb{0.1, 0.1, 0.1} : Rgb{0.9, 0.9, 0.9};
    } else {
        const double grey = (u - 0.5) * 2;
        c = {grey, grey, grey};
    }
    return {c.r * light, c.g * light, c.b * light};
}

// Output codes of count scene samples; the tables alternate, ta for the first sample.
template <class T>
void lookUp(const uint16_t* src, int count, const uint16_t* ta, const uint16_t* tb, T* out)
{
    int x = 0;
    for (; x + 1 < count; x += 2) {
        out[x] = T(ta[src[x]]);
        out[x + 1] = T(tb[src[x + 1]]);
    }
    if (x < count)
        out[x] = T(ta[src[x]]);
}

// The colour a Bayer GR site samples: G R on even rows, B G on odd rows.
inline int bayerChannel(int x, int y)
{
    if ((y & 1) == 0)
        return (x & 1) ? 0 : 1;
    return (x & 1) ? 1 : 2;
}

} // namespace

std::shared_ptr<const ToneTables> makeToneTables(const ToneSettings& s)
{
    auto t = std::make_shared<ToneTables>();
    t->outputBits = s.outputBits;
    const double maxCode = double((1 << s.outputBits) - 1);
    for (int c = 0; c < 3; ++c) {
        auto& table = t->colour[c];
        table.resize(ToneTables::kInputLevels);
        const double scale = s.exposureFactor * s.gainFactor * s.whiteBalance[c];
        for (int i = 0; i < ToneTables::kInputLevels; ++i) {
            double level = double(i) / (ToneTables::kInputLevels - 1) * scale;
            level = std::clamp((level - 0.5) * s.contrast + 0.5, 0.0, 1.0);
            level = std::pow(level, s.gamma);
            level = std::clamp(level + s.blackLevel, 0.0, 1.0);
            table[i] = uint16_t(std::lround(level * maxCode));
        }
    }
    return t;
}

std::shared_ptr<const SimScene> SimScene::get(int width, int height, bool colour)
{
    // Kept for the process: building a scene costs far more than holding it.
    static std::mutex mutex;
    static std::map<std::tuple<int, int, bool>, std::shared_ptr<const SimScene>> cache;
    std::lock_guard<std::mutex> lock(mutex);
    auto& scene = cache[{width, height, colour}];
    if (!scene)
        scene = std::make_shared<const SimScene>(width, height, colour);
    return scene;
}

SimScene::SimScene(int width, int height, bool colour)
    : width_(width), height_(height), colour_(colour), base_(size_t(width) * height)
{
    // Nominal exposure puts the brightest part of the scene at about 80 % of full scale.
    const double full = 0.8 * (ToneTables::kInputLevels - 1);
    std::array<double, 3> sum{};
    for (int y = 0; y < height; ++y) {
        uint16_t* row = &base_[size_t(y) * width];
        for (int x = 0; x < width; ++x) {
            const Rgb c = sceneColour(x, y, width, height);
            sum[0] += c.r, sum[1] += c.g, sum[2] += c.b;
            double level;
            if (colour) {
                const int ch = bayerChannel(x, y);
                level = ch == 0 ? c.r : ch == 1 ? c.g : c.b;
            } else {
                level = 0.299 * c.r + 0.587 * c.g + 0.114 * c.b;
            }
            row[x] = uint16_t(std::lround(level * full));
        }
    }
    const double n = double(width) * height;
    for (int c = 0; c < 3; ++c)
        mean_[c] = sum[c] / n * 0.8;
    if (!colour)
        mean_.fill(0.299 * mean_[0] + 0.587 * mean_[1] + 0.114 * mean_[2]);
}

void SimScene::render(const RenderRequest& r) const
{
    const ToneTables& t = *r.tones;
    // Scrolls 4 pixels a frame; an even step keeps the colour sites of the mosaic in place.
    const int shift = int((r.frameNumber * 4) % uint64_t(width_));
    const bool wide = t.outputBits > 8;
    // Other arrangements than GR sample the scene one pixel further on.
    const MosaicShift m = colour_ ? mosaicShift(r.arrangement) : MosaicShift{};
    for (int row = 0; row < r.height; ++row) {
        int sy = r.y + row + m.dy;
        if (sy >= height_)
            sy -= 2; // the last row of a shifted mosaic repeats the one of its colours above
        // The row from column start on, wrapping round: two spans of the stored row.
        const uint16_t* src = &base_[size_t(sy) * width_];
        const int start = (r.x + m.dx + shift) % width_;
        const int first = std::min(r.width, width_ - start);
        // Two tables alternate along a row: the colours of its mosaic sites.
        const uint16_t* ta = t.colour[colour_ ? bayerChannel(r.x + m.dx, sy) : 1].data();
        const uint16_t* tb = t.colour[colour_ ? bayerChannel(r.x + m.dx + 1, sy) : 1].data();
        const size_t offset = size_t(row) * r.width;
        // The second span starts on an odd pixel when the first has an odd length.
        const uint16_t* tc = first % 2 ? tb : ta;
        const uint16_t* td = first % 2 ? ta : tb;
        if (wide) {
            uint16_t* out = reinterpret_cast<uint16_t*>(r.raw) + offset;
            lookUp(src + start, first, ta, tb, out);
            lookUp(src, r.width - first, tc, td, out + first);
        } else {
            uint8_t* out = r.raw + offset;
            lookUp(src + start, first, ta, tb, out);
            lookUp(src, r.width - first, tc, td, out + first);
        }
    }
    if (!colour_ && r.sharpening > 0) {
        if (wide)
            sharpen(reinterpret_cast<uint16_t*>(r.raw), r.width, r.height, r.sharpening,
                    (1 << t.outputBits) - 1);
        else
            sharpen(r.raw, r.width, r.height, 1, r.sharpening);
    }
}

} // namespace orvanta
