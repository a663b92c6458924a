#ifndef HISTOGRAMVIEW_H
#define HISTOGRAMVIEW_H

#include <QWidget>

#include "histogram.h"

// Draws a histogram: one curve per channel (red, green, blue, or grey), linear or logarithmic
// counts, and the two end bins marked when pixels clip there.
class HistogramView : public QWidget
{
    Q_OBJECT

public:
    explicit HistogramView(QWidget* parent = nullptr);

    void setHistogram(const Histogram& histogram);
    void setLogScale(bool on);
    const Histogram& histogram() const { return m_histogram; }
    QSize sizeHint() const override { return {300, 160}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Histogram m_histogram;
    bool m_log = false;
};

#endif // HISTOGRAMVIEW_H
