#include "ratewindow.h"

bool RateWindow::addFrame(uint32_t width, uint32_t height, uint32_t bitsPerPixel, int64_t nowMicros,
                          Rate* rate)
{
    if (m_count > 0 && nowMicros - m_lastMicros > m_pauseMicros) {
        m_count = 0; // the stream stalled: the frames before the pause are not this rate's
    }
    m_lastMicros = nowMicros;
    if (m_count == 0) {
        m_startMicros = nowMicros;
    }
    ++m_count;
    const int64_t elapsedMicros = nowMicros - m_startMicros;
    if (m_count < kWindowFrames) {
        // Ends here when this frame is nearer to the one-second mark than the next one will be.
        const int64_t halfInterval = m_count > 1 ? elapsedMicros / (2 * (m_count - 1)) : 0;
        if (m_count < 2 || elapsedMicros + halfInterval < kWindowMicros) {
            return false;
        }
    }
    const int intervals = m_count - 1;
    m_count = 0;
    const double elapsed = double(elapsedMicros) / 1e6;
    if (elapsed <= 0) {
        return false;
    }
    const double bits = double(width) * height * bitsPerPixel;
    rate->fps = intervals / elapsed;
    rate->megabytesPerSecond = bits * rate->fps * 0.125 / 1024 / 1024;
    return true;
}

void RateWindow::reset()
{
    m_count = 0;
    m_startMicros = 0;
    m_lastMicros = 0;
}
