#include "ratewindow.h"

bool RateWindow::addFrame(uint32_t width, uint32_t height, uint32_t bitsPerPixel, int64_t nowMicros,
                          Rate* rate)
{
    if (m_count == 0) {
        m_startMicros = nowMicros;
    }
    if (++m_count < kWindowFrames) {
        return false;
    }
    m_count = 0;
    const double elapsed = double(nowMicros - m_startMicros) / 1e6;
    if (elapsed <= 0) {
        return false;
    }
    const double bits = double(width) * height * bitsPerPixel;
    rate->fps = (kWindowFrames - 1) / elapsed;
    rate->megabytesPerSecond = bits * rate->fps * 0.125 / 1024 / 1024;
    return true;
}

void RateWindow::reset()
{
    m_count = 0;
    m_startMicros = 0;
}
