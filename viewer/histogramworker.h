#ifndef HISTOGRAMWORKER_H
#define HISTOGRAMWORKER_H

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QThread>

#include <atomic>
#include <mutex>

#include "histogram.h"

// Computes histograms of displayed pictures on a thread of its own, at most kMaxRate a
// second: offer() is called on the display thread with every picture and takes a copy only
// when the worker is idle and the last one is old enough, so the display never waits for it.
class HistogramWorker : public QObject
{
    Q_OBJECT

public:
    static constexpr int kMaxRate = 10;

    HistogramWorker();
    ~HistogramWorker() override;

    // Display thread. deepSamples: see CameraSession::FrameTap; depth their bits. Nothing is
    // taken while disabled (the dock is hidden).
    void offer(const QImage& picture, const OImageFrame* deepSamples, int depth);
    void setEnabled(bool on) { m_enabled = on; }
    // Milliseconds the last histogram took to compute.
    double lastCostMs() const { return m_lastCostMs; }

signals:
    // Emitted on the worker thread.
    void computed(Histogram histogram);

private:
    void compute(const QImage& picture, const QByteArray& samples, OImageFrame layout, int depth);

    QThread m_thread;
    QObject m_context; // lives on m_thread: the queued computations run there
    std::atomic<bool> m_enabled{false};
    std::atomic<bool> m_busy{false};
    std::mutex m_clockMutex; // guards m_sinceOffer
    QElapsedTimer m_sinceOffer;
    std::atomic<double> m_lastCostMs{0};
};

#endif // HISTOGRAMWORKER_H
