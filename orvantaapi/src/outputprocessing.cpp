#include "outputprocessing.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace orvanta {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Luminance weights the matrices keep.
constexpr double kR = 0.213, kG = 0.715, kB = 0.072;

using Matrix = std::array<double, 9>;

Matrix multiply(const Matrix& a, const Matrix& b)
{
    Matrix m{};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k)
                m[3 * r + c] += a[3 * r + k] * b[3 * k + c];
    return m;
}

template <typename Sample>
void unsharp(Sample* samples, int width, int height, int channels, double amount, int maxValue)
{
    if (amount <= 0 || width < 3 || height < 3)
        return;
    const size_t stride = size_t(width) * channels;
    // Three source rows around the one being written; the rows above are already changed.
    std::vector<Sample> rows(3 * stride);
    Sample* above = rows.data();
    Sample* here = above + stride;
    Sample* below = here + stride;
    std::copy_n(samples, stride, above);
    std::copy_n(samples + stride, stride, here);
    const int gain = int(std::lround(amount * 256));
    for (int y = 1; y + 1 < height; ++y) {
        std::copy_n(samples + (y + 1) * stride, stride, below);
        Sample* out = samples + y * stride;
        for (size_t i = size_t(channels); i + channels < stride; ++i) {
            int sum = 0;
            for (const Sample* row : {above, here, below})
                sum += row[i - channels] + row[i] + row[i + channels];
            const int centre = here[i];
            const int detail = centre * 9 - sum; // nine times (centre - blur)
            const int value = centre + (detail * gain) / (9 * 256);
            out[i] = Sample(std::clamp(value, 0, maxValue));
        }
        std::rotate(rows.begin(), rows.begin() + stride, rows.end());
    }
}

} // namespace

std::array<int, 9> colourMatrix(double hueDegrees, double saturation)
{
    const double a = hueDegrees * kPi / 180;
    const double c = std::cos(a), s = std::sin(a);
    const Matrix hue{
        kR + c * (1 - kR) - s * kR, kG - c * kG - s * kG,          kB - c * kB + s * (1 - kB),
        kR - c * kR + s * 0.143,    kG + c * (1 - kG) + s * 0.140, kB - c * kB - s * 0.283,
        kR - c * kR - s * (1 - kR), kG - c * kG + s * kG,          kB + c * (1 - kB) + s * kB};
    const double t = saturation;
    const Matrix sat{kR + (1 - kR) * t, kG - kG * t,       kB - kB * t,
                     kR - kR * t,       kG + (1 - kG) * t, kB - kB * t,
                     kR - kR * t,       kG - kG * t,       kB + (1 - kB) * t};
    const Matrix m = multiply(sat, hue);
    std::array<int, 9> fixed{};
    for (size_t i = 0; i < m.size(); ++i)
        fixed[i] = int(std::lround(m[i] * 1024));
    return fixed;
}

void adjustColour(uint8_t* rgb, size_t pixels, const std::array<int, 9>& m)
{
    for (size_t p = 0; p < pixels; ++p, rgb += 3) {
        const int r = rgb[0], g = rgb[1], b = rgb[2];
        for (int c = 0; c < 3; ++c) {
            const int v = (m[3 * c] * r + m[3 * c + 1] * g + m[3 * c + 2] * b + 512) >> 10;
            rgb[c] = uint8_t(std::clamp(v, 0, 255));
        }
    }
}

void sharpen(uint8_t* samples, int width, int height, int channels, double amount)
{
    unsharp(samples, width, height, channels, amount, 255);
}

void sharpen(uint16_t* samples, int width, int height, double amount, int maxValue)
{
    unsharp(samples, width, height, 1, amount, maxValue);
}

} // namespace orvanta
