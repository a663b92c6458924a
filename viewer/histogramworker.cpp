#include "histogramworker.h"

HistogramWorker::HistogramWorker()
{
    qRegisterMetaType<Histogram>();
    m_thread.setObjectName(QStringLiteral("orv-histogram"));
    m_context.moveToThread(&m_thread);
    m_thread.start(QThread::LowPriority);
}

HistogramWorker::~HistogramWorker()
{
    m_thread.quit();
    m_thread.wait();
}

void HistogramWorker::offer(const QImage& picture)
{
    if (!m_enabled || m_busy) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_clockMutex);
        if (m_sinceOffer.isValid() && m_sinceOffer.elapsed() < 1000 / kMaxRate) {
            return;
        }
        m_sinceOffer.start();
    }
    m_busy = true;
    // The display thread's picture lives only during its call: the worker gets a copy.
    QMetaObject::invokeMethod(
        &m_context, [this, copy = picture.copy()] { compute(copy); }, Qt::QueuedConnection);
}

void HistogramWorker::compute(const QImage& picture)
{
    QElapsedTimer clock;
    clock.start();
    Histogram h = Histogram::of(picture);
    m_lastCostMs = double(clock.nsecsElapsed()) / 1e6;
    emit computed(std::move(h));
    m_busy = false;
}
