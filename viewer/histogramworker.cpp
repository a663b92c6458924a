#include "histogramworker.h"

#include <QElapsedTimer>

#include <pthread.h>

#include <algorithm>
#include <cstring>

namespace {
void copyInto(const QImage& from, QImage* to)
{
    if (to->size() != from.size() || to->format() != from.format()) {
        *to = QImage(from.size(), from.format());
    }
    const size_t row = size_t(std::min(from.bytesPerLine(), to->bytesPerLine()));
    for (int y = 0; y < from.height(); ++y) {
        std::memcpy(to->scanLine(y), from.constScanLine(y), row);
    }
}
} // namespace

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
        // The display thread's data lives only during its call: the worker gets a copy, into
        // buffers kept from the last one (a fresh 15 MB block each time costs page faults).
        if (deepSamples) {
            m_samples.resize(int(deepSamples->dataSize));
            std::memcpy(m_samples.data(), deepSamples->rawData, deepSamples->dataSize);
            m_layout = *deepSamples;
        } else {
            m_samples.clear();
            copyInto(picture, &m_picture);
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
