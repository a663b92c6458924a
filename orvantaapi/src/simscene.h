// The synthetic picture of the simulated cameras: a fixed scene rendered per frame through the
// camera's settings (a look-up table per colour) into the sensor's samples, scrolled sideways so
// motion is visible.
#ifndef ORVANTA_SIMSCENE_H
#define ORVANTA_SIMSCENE_H

#include "pixelformat.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace orvanta {

// Scene radiance is 12-bit; a table maps it to the output code of each colour (R, G, B).
struct ToneTables
{
    static constexpr int kInputLevels = 4096;
    std::array<std::vector<uint16_t>, 3> colour;
    int outputBits = 8;
};

struct ToneSettings
{
    double exposureFactor = 1; // exposure relative to the nominal one
    double gainFactor = 1;
    double contrast = 1;
    double gamma = 1;
    double blackLevel = 0; // fraction of full scale added
    std::array<double, 3> whiteBalance{{1, 1, 1}};
    int outputBits = 8;
};

std::shared_ptr<const ToneTables> makeToneTables(const ToneSettings& s);

// One frame of the sensor: its samples, in a colour scene the Bayer mosaic of the arrangement.
struct RenderRequest
{
    int x = 0, y = 0, width = 0, height = 0;
    uint64_t frameNumber = 0;
    std::shared_ptr<const ToneTables> tones;
    Mosaic arrangement = Mosaic::GR;
    // Sharpening of a mono sensor's samples (a colour camera sharpens its RGB output).
    double sharpening = 0;
    // width * height samples of the tables' outputBits (16-bit containers above 8 bits).
    unsigned char* raw = nullptr;
};

class SimScene
{
public:
    // The scene of a sensor size and colour, shared by every camera that has it.
    static std::shared_ptr<const SimScene> get(int width, int height, bool colour);

    SimScene(int width, int height, bool colour);
    void render(const RenderRequest& r) const;
    // Mean radiance of each colour, 0..1 (equal for a mono scene).
    const std::array<double, 3>& meanLevel() const { return mean_; }
    bool colour() const { return colour_; }

private:
    int width_, height_;
    bool colour_;
    std::vector<uint16_t> base_; // height rows of width samples
    std::array<double, 3> mean_{};
};

} // namespace orvanta

#endif
