#include "histogramview.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

HistogramView::HistogramView(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(200, 100);
}

void HistogramView::setHistogram(const Histogram& histogram)
{
    m_histogram = histogram;
    update();
}

void HistogramView::setLogScale(bool on)
{
    m_log = on;
    update();
}

void HistogramView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(32, 32, 32));
    const auto& channels = m_histogram.channels;
    if (channels.isEmpty()) {
        return;
    }
    const auto scaled = [this](quint64 n) { return m_log ? std::log1p(double(n)) : double(n); };
    double top = 1;
    for (const ChannelHistogram& ch : channels) {
        for (quint64 n : ch.bins) {
            top = std::max(top, scaled(n));
        }
    }
    const QColor grey(220, 220, 220),
        colours[] = {QColor(255, 70, 70), QColor(70, 220, 70), QColor(90, 140, 255)};
    const double w = width(), h = height();
    p.setRenderHint(QPainter::Antialiasing);
    for (int c = 0; c < channels.size(); ++c) {
        QPainterPath curve(QPointF(0, h));
        for (int v = 0; v < 256; ++v) {
            curve.lineTo(v * (w - 1) / 255, h - scaled(channels[c].bins[v]) / top * (h - 1));
        }
        curve.lineTo(w - 1, h);
        QColor line = channels.size() == 1 ? grey : colours[c];
        p.setPen(line);
        line.setAlpha(60);
        p.setBrush(line);
        p.drawPath(curve);
    }
    // Clipping: a bar at the end where any channel has pixels at its lowest or highest value.
    const bool low = std::any_of(channels.begin(), channels.end(),
                                 [](const ChannelHistogram& ch) { return ch.lowShare > 0; });
    const bool high = std::any_of(channels.begin(), channels.end(),
                                  [](const ChannelHistogram& ch) { return ch.highShare > 0; });
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 160, 0));
    if (low) {
        p.drawRect(QRectF(0, 0, 4, h));
    }
    if (high) {
        p.drawRect(QRectF(w - 4, 0, 4, h));
    }
}
