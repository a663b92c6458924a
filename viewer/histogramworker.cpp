#include "histogramworker.h"

#include <QElapsedTimer>

#include <pthread.h>

HistogramWorker::HistogramWorker() : m_thread(&HistogramWorker::run, this)
{
    qRegisterMetaType<Histogram>();
}

HistogramWorker::~HistogramWorker()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void HistogramWorker::offer(const QImage& picture, const OImageFrame* deepSamples, int depth)
{
    const auto now = std::chrono::steady_clock::now();
    if (!m_enabled || now - m_lastOffer < std::chrono::milliseconds(1000 / kMaxRate)) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_pending) {
            return; // still busy with the last one
        }
        // The display thread's data lives only during its call: the worker gets a copy.
        if (deepSamples) {
            m_samples = QByteArray(reinterpret_cast<const char*>(deepSamples->rawData),
                                   int(deepSamples->dataSize));
            m_layout = *deepSamples;
            m_picture = QImage();
        } else {
            m_picture = picture.copy();
            m_samples.clear();
        }
        m_depth = depth;
        m_pending = true;
    }
    m_lastOffer = now;
    m_wake.notify_one();
}

void HistogramWorker::run()
{
    pthread_setname_np(pthread_self(), "orv-histogram");
    std::unique_lock<std::mutex> lock(m_mutex);
    while (true) {
        m_wake.wait(lock, [this] { return m_stop || m_pending; });
        if (m_stop) {
            return;
        }
        // The job stays put while it is computed: offer() takes no new one meanwhile.
        lock.unlock();
        QElapsedTimer clock;
        clock.start();
        OImageFrame layout = m_layout;
        layout.rawData = reinterpret_cast<unsigned char*>(m_samples.data());
        Histogram h =
            m_samples.isEmpty() ? Histogram::of(m_picture) : Histogram::ofSamples(layout, m_depth);
        m_lastCostMs = double(clock.nsecsElapsed()) / 1e6;
        emit computed(std::move(h));
        lock.lock();
        m_pending = false;
    }
}
