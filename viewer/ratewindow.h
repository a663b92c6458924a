#ifndef RATEWINDOW_H
#define RATEWINDOW_H

#include <cstdint>

// Frame and data rate over windows of frames. A window ends at its 31st frame (30 frame
// intervals), or earlier at the frame nearest to one second after its first frame, so slow
// streams show a rate within a second too. A frame after a pause longer than the pause limit
// starts a new window: a stall never dilutes the rate of the frames after it. Fed by the SDK
// callback thread only; reset and configured while no callback runs (before start, after stop).
class RateWindow
{
public:
    static constexpr int kWindowFrames = 31;
    static constexpr int64_t kWindowMicros = 1000000;

    struct Rate
    {
        double fps = 0;
        double megabytesPerSecond = 0;
    };

    // Counts one frame that arrived at nowMicros (a monotonic clock). On the last frame of a
    // window it fills 'rate' from that frame's geometry and returns true; a window whose
    // elapsed time is not positive yields no rate (never an infinite or NaN one).
    bool addFrame(uint32_t width, uint32_t height, uint32_t bitsPerPixel, int64_t nowMicros,
                  Rate* rate);
    void reset();
    void setPauseLimit(int64_t micros) { m_pauseMicros = micros; }

private:
    int m_count = 0;
    int64_t m_startMicros = 0;
    int64_t m_lastMicros = 0;
    int64_t m_pauseMicros = kWindowMicros;
};

#endif // RATEWINDOW_H
