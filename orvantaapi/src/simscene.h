// The synthetic picture of the simulated cameras: a fixed scene rendered per frame through the
// camera's settings (a look-up table per colour), scrolled sideways so motion is visible.
#ifndef ORVANTA_SIMSCENE_H
#define ORVANTA_SIMSCENE_H

#include "outputprocessing.h"

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

struct RenderRequest
{
    int x = 0, y = 0, width = 0, height = 0;
    uint64_t frameNumber = 0;
    std::shared_ptr<const ToneTables> tones;
    bool toRgb = false;
    // Sharpening applies to the samples of a mono camera and to the RGB output of a colour
    // one (whose raw mosaic stays as the sensor gave it); hue and saturation to RGB output.
    OutputProcessing processing;
    // Destinations: raw is width * height samples of outputBits (16-bit containers above 8);
    // mono8 receives the 8-bit plane (may equal raw for 8-bit output); rgb when toRgb.
    unsigned char* raw = nullptr;
    unsigned char* mono8 = nullptr;
    unsigned char* rgb = nullptr;
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
    std::vector<uint16_t> base_; // height rows of 2 * width samples: the scene twice side by side
    std::array<double, 3> mean_{};
};

} // namespace orvanta

#endif
