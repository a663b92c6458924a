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

void HistogramWorker::offer(const QImage& picture, const OImageFrame* deepSamples, int depth)
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
    // The display thread's data lives only during its call: the worker gets a copy.
    if (deepSamples) {
        const QByteArray samples(reinterpret_cast<const char*>(deepSamples->rawData),
                                 int(deepSamples->dataSize));
        QMetaObject::invokeMethod(
            &m_context,
            [this, samples, layout = *deepSamples, depth] {
                compute(QImage(), samples, layout, depth);
            },
            Qt::QueuedConnection);
    } else {
        QMetaObject::invokeMethod(
            &m_context, [this, copy = picture.copy()] { compute(copy, QByteArray(), {}, 8); },
            Qt::QueuedConnection);
    }
}

void HistogramWorker::compute(const QImage& picture, const QByteArray& samples, OImageFrame layout,
                              int depth)
{
    QElapsedTimer clock;
    clock.start();
    layout.rawData = reinterpret_cast<unsigned char*>(const_cast<char*>(samples.constData()));
    Histogram h = samples.isEmpty() ? Histogram::of(picture) : Histogram::ofSamples(layout, depth);
    m_lastCostMs = double(clock.nsecsElapsed()) / 1e6;
    emit computed(std::move(h));
    m_busy = false;
}
