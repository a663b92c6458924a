// What a camera's image processor does to its output after the sensor: hue and saturation on
// colour output, sharpening on the processed picture. Neutral settings leave pixels untouched.
#ifndef ORVANTA_OUTPUTPROCESSING_H
#define ORVANTA_OUTPUTPROCESSING_H

#include <array>
#include <cstddef>
#include <cstdint>

namespace orvanta {

struct OutputProcessing
{
    double hueDegrees = 0; // rotation of every colour about the grey axis
    double saturation = 1; // 0 grey, 1 unchanged, 2 doubled
    double sharpening = 0; // 0 none, 1 strong

    bool changesColour() const { return hueDegrees != 0 || saturation != 1; }
};

// The colour matrix of a hue rotation and a saturation change that both keep luminance,
// in 1/1024 units, row-major (out = M * in).
std::array<int, 9> colourMatrix(double hueDegrees, double saturation);
void adjustColour(uint8_t* rgb, size_t pixels, const std::array<int, 9>& matrix);

// Unsharp masking with a 3 x 3 box blur: out = in + amount * (in - blur), clamped to
// [0, maxValue]. Samples are interleaved with `channels` per pixel; the border is kept.
void sharpen(uint8_t* samples, int width, int height, int channels, double amount);
void sharpen(uint16_t* samples, int width, int height, double amount, int maxValue);

} // namespace orvanta

#endif
