#ifndef RATEWINDOW_H
#define RATEWINDOW_H

#include <cstdint>

// Frame and data rate over windows of 31 frames (30 frame intervals). Fed by the SDK
// callback thread only; reset while no callback runs (before start, after stop).
class RateWindow
{
public:
    static constexpr int kWindowFrames = 31;

    struct Rate
    {
        double fps = 0;
        double megabytesPerSecond = 0;
    };

    // Counts one frame that arrived at nowMicros (a monotonic clock). On the 31st frame of a
    // window it fills 'rate' from that frame's geometry and returns true; a window whose
    // elapsed time is not positive yields no rate (never an infinite or NaN one).
    bool addFrame(uint32_t width, uint32_t height, uint32_t bitsPerPixel, int64_t nowMicros,
                  Rate* rate);
    void reset();

private:
    int m_count = 0;
    int64_t m_startMicros = 0;
};

#endif // RATEWINDOW_H
