#include "roipreviewworker.h"

#include "pixelfamily.h"

#include <QPainter>

#include <chrono>
#include <cstring>

namespace {
constexpr int kGrabTimeoutMs = 1000;
constexpr int kCycleMs = 1000;
} // namespace

void RawXXtoRaw8(unsigned char* dst, const unsigned char* src, int bitDepth, int width, int height)
{
    if (bitDepth <= 8 || width <= 0 || height <= 0)
        return;
    const int shift = bitDepth - 8;
    const size_t count = size_t(width) * size_t(height);
    for (size_t i = 0; i < count; ++i) {
        uint16_t sample;
        std::memcpy(&sample, src + 2 * i, sizeof sample);
        const unsigned reduced = unsigned(sample) >> shift;
        dst[i] = reduced > 255 ? 255 : static_cast<unsigned char>(reduced);
    }
}

QImage composeRoiPreview(QImage& canvas, const QImage& picture, QPoint offset, QSize viewSize)
{
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        painter.drawImage(offset, picture);
    }
    if (viewSize.isEmpty())
        return QImage();
    return canvas.scaled(viewSize, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

RoiPreviewWorker::RoiPreviewWorker(QObject* parent) : QObject(parent) {}

RoiPreviewWorker::~RoiPreviewWorker()
{
    stop();
}

void RoiPreviewWorker::setSource(OrvantaHandle handle, const OSizeInfo& size,
                                 const QString& pixelFormat)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_source.handle = handle;
    m_source.size = size;
    m_source.pixelFormat = pixelFormat;
}

void RoiPreviewWorker::setViewSize(QSize size)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_source.viewSize = size;
}

RoiPreviewWorker::Source RoiPreviewWorker::currentSource() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_source;
}

void RoiPreviewWorker::start()
{
    if (m_thread.joinable() && !m_stop)
        return;
    if (m_thread.joinable())
        m_thread.join(); // asked to stop before: it ends within its grab timeout
    m_stop = false;
    m_thread = std::thread(&RoiPreviewWorker::run, this);
}

void RoiPreviewWorker::stop()
{
    requestStop();
    if (m_thread.joinable())
        m_thread.join();
}

void RoiPreviewWorker::requestStop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
}

bool RoiPreviewWorker::waitForStop(int milliseconds)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_wake.wait_for(lock, std::chrono::milliseconds(milliseconds),
                           [this] { return m_stop.load(); });
}

QImage RoiPreviewWorker::grabPicture(const Source& source, Buffers& buffers)
{
    // Every format is grabbed as RGB (grey for mono formats) and no raw data is copied: a
    // format text that lags behind the camera (changed elsewhere) can then never make a frame
    // overrun the buffers. A frame larger than the sensor (its size changed) is not shown.
    const bool colour = isColourFormat(source.pixelFormat);
    if (!colour)
        buffers.plane.resize(buffers.capacity);
    OImageFrame frame{};
    frame.rgbData = buffers.rgb.data();
    frame.mono8Data = colour ? nullptr : buffers.plane.data();
    // A failed grab is not reported: it would repeat every cycle while its cause lasts (a
    // trigger mode without triggers times out, a format the SDK does not decode is refused, a
    // camera gone is the session's to tell). The preview keeps the picture it has.
    if (OrvantaGrabRGBData(source.handle, &frame, kGrabTimeoutMs) != ORVANTA_OK)
        return QImage();
    const size_t pixels = size_t(frame.width) * frame.height;
    if (pixels == 0 || pixels > buffers.capacity)
        return QImage();
    if (colour)
        return QImage(frame.rgbData, int(frame.width), int(frame.height), int(frame.width) * 3,
                      QImage::Format_RGB888);
    return QImage(frame.mono8Data, int(frame.width), int(frame.height), int(frame.width),
                  QImage::Format_Grayscale8);
}

void RoiPreviewWorker::run()
{
    const Source initial = currentSource();
    const int sensorWidth = qMax(0, initial.size.maxWidth);
    const int sensorHeight = qMax(0, initial.size.maxHeight);
    Buffers buffers;
    buffers.capacity = size_t(sensorWidth) * size_t(sensorHeight);
    buffers.rgb.resize(buffers.capacity * 3);
    const size_t capacity = buffers.capacity;
    QImage canvas;
    if (capacity > 0) {
        canvas = QImage(sensorWidth, sensorHeight, QImage::Format_RGB888);
        canvas.fill(Qt::white);
        if (!initial.viewSize.isEmpty())
            emit sigPreviewReady(
                canvas.scaled(initial.viewSize, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    }

    while (!m_stop) {
        const Source source = currentSource();
        if (source.handle && capacity > 0) {
            const QImage picture = grabPicture(source, buffers);
            if (!picture.isNull()) {
                const QImage scaled = composeRoiPreview(
                    canvas, picture, QPoint(source.size.xOffset, source.size.yOffset),
                    source.viewSize);
                if (!scaled.isNull())
                    emit sigPreviewReady(scaled);
            }
        }
        if (waitForStop(kCycleMs))
            break;
    }
}
