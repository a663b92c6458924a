#ifndef ROIPREVIEWWORKER_H
#define ROIPREVIEWWORKER_H

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "sdk/OrvantaAPI.h"

// Reduces width x height 16-bit samples of the given bit depth to one byte each (the sample
// shifted right by depth - 8, at most 255). A depth of 8 leaves dst untouched.
void RawXXtoRaw8(unsigned char* dst, const unsigned char* src, int bitDepth, int width, int height);

// Paints picture on the white canvas with its top-left corner at offset (the ROI position on
// the sensor) and scales the result to viewSize with nearest-neighbour sampling.
QImage composeRoiPreview(QImage& canvas, const QImage& picture, QPoint offset, QSize viewSize);

// Once a second grabs one frame of the camera and paints it at its ROI position on a white
// sensor-sized canvas. Runs on its own thread; the scaled result is emitted as an image and
// reaches the GUI thread through a queued connection. All inputs are handed in by the GUI
// thread through setSource / setViewSize.
class RoiPreviewWorker : public QObject
{
    Q_OBJECT

public:
    explicit RoiPreviewWorker(QObject* parent = nullptr);
    ~RoiPreviewWorker() override;

    // What to grab: camera handle (may be null: the worker idles), ROI and sensor size,
    // pixel-format text.
    void setSource(OrvantaHandle handle, const OSizeInfo& size, const QString& pixelFormat);
    // Size of the picture to deliver (the view inside its frame).
    void setViewSize(QSize size);

    // start() does nothing while running; stop() wakes the worker and joins it.
    // requestStop() only asks: a grab in progress (up to its timeout on a camera that went
    // away) ends on the worker's own time, and the next start() or stop() joins it.
    void start();
    void stop();
    void requestStop();
    bool isRunning() const { return m_thread.joinable(); }

signals:
    void sigPreviewReady(const QImage& image);

private:
    struct Source
    {
        OrvantaHandle handle = nullptr;
        OSizeInfo size{};
        QString pixelFormat;
        QSize viewSize;
    };

    void run();
    Source currentSource() const;
    // Buffers for frames of up to `capacity` pixels (the sensor): the RGB picture, and the
    // 8-bit plane, made when a mono format first needs it.
    struct Buffers
    {
        size_t capacity = 0;
        std::vector<unsigned char> rgb, plane;
    };
    // Grabs one frame into the buffers; returns the picture over them, or a null image.
    QImage grabPicture(const Source& source, Buffers& buffers);
    bool waitForStop(int milliseconds);

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    Source m_source;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

#endif // ROIPREVIEWWORKER_H
