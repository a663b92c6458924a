#ifndef HISTOGRAMWORKER_H
#define HISTOGRAMWORKER_H

#include <QByteArray>
#include <QImage>
#include <QObject>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

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
    void run();

    std::atomic<bool> m_enabled{false};
    std::atomic<double> m_lastCostMs{0};
    std::chrono::steady_clock::time_point m_lastOffer{}; // display thread only

    std::mutex m_mutex; // guards the job below and m_stop
    std::condition_variable m_wake;
    bool m_pending = false; // a job waits or runs
    bool m_stop = false;
    QImage m_picture;     // the job: a picture,
    QByteArray m_samples; // or deep samples laid out as m_layout
    OImageFrame m_layout{};
    int m_depth = 8;
    std::thread m_thread; // last: started once everything above exists
};

#endif // HISTOGRAMWORKER_H
