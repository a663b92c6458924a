#ifndef CAMERASESSION_H
#define CAMERASESSION_H

#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "framehandover.h"
#include "pixelfamily.h"
#include "ratewindow.h"
#include "saveoptions.h"
#include "sdk/OrvantaAPI.h"

class FrameSaver;

// How the frames of the camera's current pixel format are shown: as colour (the SDK's RGB
// plane) or as grey, and the format code that picks the grey plane.
struct DisplayFormat
{
    QString name;
    bool colour = false;
    uint32_t pixelFormat = 0;
};

// The one open camera of the viewer and everything that lives as long as it: the SDK handle,
// the live stream (SDK callback -> display thread -> frameReady), single grabs, frame saving,
// the frame counter and the rate. The window and the docks share one session; they change the
// camera through handle() and check() and follow it through the signals.
//
// Threads: every method is called on the session's (GUI) thread. The SDK calls back on its own
// thread and the display thread emits frameReady (the SDK thread for a single grab); every
// other signal is emitted on the session's thread. Only one session streams at a time in a process
// (the SDK callback carries no context).
class CameraSession : public QObject
{
    Q_OBJECT

public:
    // Called on the display thread with every picture it shows (and on the SDK thread with a
    // single grab's picture); the image is valid only during the call.
    // deepSamples, when not null, describes the camera's samples of a mono frame deeper than
    // 8 bits (rawData, dataSize, width, height, bitsPerPixel, pixelFormat), copied while some
    // consumer asks for them (setDeepSamplesWanted) and no raw save needs another copy.
    using FrameTap = std::function<void(const QImage& picture, const OImageFrame* deepSamples)>;

    // The viewer's own figures of the stream, since the session was made or last reset.
    struct DisplayCounters
    {
        quint64 displayed = 0;      // frames shown
        quint64 displaySkipped = 0; // frames a newer one replaced before the display took them
        quint64 saved = 0;          // frames handed to the saver
        quint64 savesSkipped = 0;   // frames not saved because the saver was still busy
    };

    explicit CameraSession(QObject* parent = nullptr);
    ~CameraSession() override;

    // Opens the camera of that ID (closing the one open before). False, with the reason
    // emitted as error(), when the SDK refuses it.
    bool open(const QString& id);
    // Stops a stream or grab and closes the camera; emits closed() with an empty reason.
    void close();
    // The camera went away: the session ends at once and emits closed("camera %1
    // disconnected"); stopping and closing the dead camera, which may take seconds, runs on a
    // worker.
    void closeVanished();

    // Starts the live stream. The session counts as streaming only once the SDK started
    // acquiring; on a refusal it stays opened, not streaming, and says why through error().
    bool start();
    // Ends a stream or a single grab; the final frame count is emitted before it returns.
    void stop();
    // Acquires one frame in single-frame mode and ends by itself when it came, or after 1.5 s.
    bool grabOne();
    // Ends a running single grab (also when its frame never came).
    void finishGrab();

    // Runs a camera change that needs the stream stopped: stops a running stream, runs change,
    // and starts the stream again if it ran.
    template <class F> void withStreamStopped(F&& change)
    {
        const bool wasStreaming = isStreaming();
        if (isAcquiring()) {
            stop();
        }
        change();
        if (wasStreaming) {
            start();
        }
    }

    void resetFrameCount();
    // True for ORVANTA_OK; otherwise emits error("<what>: <status text>") and returns false.
    bool check(int status, const QString& what);

    // Saving of displayed frames, with the options the display thread reads for each one.
    // Switching it on first makes the folder ready (created when missing) and remembers the
    // options; a folder that is not set, cannot be made or not written leaves saving off and
    // returns false with the reason. The first file of each run is logged with its full path.
    bool setSaving(bool on, QString* refusal = nullptr);
    SaveOptions& saveOptions() { return m_saveOptions; }
    void waitForSaves();
    // Adds a consumer of the displayed pictures; only while nothing acquires.
    void addFrameTap(FrameTap tap);
    void setDeepSamplesWanted(bool on) { m_deepWanted = on; }
    // Shows the stream's clipped pixels marked (see withClippingMarked).
    void setMarkClipped(bool on) { m_markClipped = on; }
    // Bits of one sample of the current format (8 for 8-bit and colour formats).
    int sampleDepth() const { return m_format.colour ? 8 : std::max(8, sampleBits(m_format.name)); }
    DisplayCounters displayCounters() const;
    void resetDisplayCounters();
    // The image point whose raw sample the stream reads from every frame of a format deeper
    // than 8 bits; a negative x reads none.
    void setProbe(QPoint imagePoint);
    // That sample in the newest frame, or -1 (no stream, an 8-bit or colour format, outside).
    int probedRawValue() const { return m_probedRaw; }
    // True while the frames are shown as colour (the RGB plane), false for grey.
    bool showsColour() const { return m_format.colour; }
    // The picture of the newest frame on show as the camera delivered it, without the marks of
    // clipped pixels or what the window paints over it: RGB888 for colour, grey as 8 or 32 bits
    // (R = G = B). Null before the first frame of a stream and after a close.
    QImage shownPicture() const { return m_shownPicture; }
    // Returns once closes of vanished cameras and saves still running have ended.
    void waitForIdle();

    OrvantaHandle handle() const { return m_handle; }
    QString cameraId() const { return m_cameraId; }
    // Region of interest and sensor size as read at open and at each start.
    OSizeInfo size() const { return m_size; }
    bool isOpen() const { return m_handle != nullptr; }
    bool isStreaming() const { return m_streaming; }
    bool isGrabbing() const { return m_grabbing; }
    bool isAcquiring() const { return m_streaming || m_grabbing; }
    quint64 frameCount() const { return m_frameCount; }

signals:
    void opened(QString id, QSize size);
    // reason is empty for a close asked for, the log text when the camera went away.
    void closed(QString reason);
    void streamingChanged(bool on);
    void frameReady(QPixmap picture);
    void frameCountChanged(quint64 count);
    void rateChanged(double fps, double megabytesPerSecond);
    void error(QString text);
    // The session's own events for the log ("start stream Camera[...]").
    void logLine(QString text);
    // A "Once" save was handed to the saver; saving is off again.
    void savingStopped();

private:
    static void onStreamFrame(OImageFrame* frame);
    static void onGrabFrame(OImageFrame* frame);
    static void route(CameraSession* session);
    void postError(const QString& text);
    void postLogLine(const QString& text);

    DisplayFormat readDisplayFormat();
    bool startAcquisition(OrvantaFrameCallback callback, const QString& what);
    void stopAcquisition();
    void endAcquisition();
    void joinFinishedClosers();
    void displayLoop();
    void saveFrame(const QImage& image, const CopiedFrame& copy, CopiedFrame::Extra extra,
                   const SaveOptions::Values& options, quint64* skipped);
    void readProbe(const OImageFrame& frame);
    void postShownPicture(const QImage& picture);
    void countFrame();
    void publishCount();
    void publishRate(double fps, double megabytesPerSecond, unsigned stream);
    void checkForStall();
    void restoreContinuousMode();

    OrvantaHandle m_handle = nullptr;
    QString m_cameraId;
    OSizeInfo m_size = {};
    DisplayFormat m_format; // written only while nothing acquires

    std::atomic<bool> m_streaming{false};
    bool m_grabbing = false;
    std::atomic<bool> m_grabDone{false};
    std::atomic<unsigned> m_stream{0}; // numbers streams, so a late rate of an old one is dropped

    FrameHandOver m_frames;
    std::thread m_displayThread;
    std::vector<FrameTap> m_taps;
    std::atomic<bool> m_deepWanted{false};
    std::atomic<bool> m_markClipped{false};
    std::atomic<quint64> m_displayed{0}, m_copiesFailed{0}, m_saved{0}, m_savesSkipped{0};
    quint64 m_handOverDropsAtReset = 0;
    std::atomic<int64_t> m_probe{-1}; // x << 32 | y, or -1
    std::atomic<int> m_probedRaw{-1};
    QImage m_shownPicture; // session thread only

    RateWindow m_rateWindow; // SDK callback thread only, reset while no callback runs
    std::atomic<quint64> m_frameCount{0};
    std::atomic<bool> m_countPending{false}; // a count update is queued or scheduled
    std::atomic<int64_t> m_lastFrameMicros{0};
    int64_t m_stallMicros = RateWindow::kWindowMicros;
    bool m_rateShown = false; // a rate above zero is on show
    QTimer m_countRefresh;    // at most one count update a display period
    QTimer m_stallCheck;
    QTimer m_grabTimeout;

    std::atomic<bool> m_save{false};
    std::atomic<bool> m_announceSave{false}; // the next save job is the first of its run
    SaveOptions m_saveOptions;
    std::unique_ptr<FrameSaver> m_saver;
    // Stops and closes of vanished cameras; the finished ones are joined at the next vanish.
    struct Closer
    {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<Closer> m_closers;
};

#endif // CAMERASESSION_H
