#include "camerasession.h"

#include <QImage>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <pthread.h>

#include "clippingoverlay.h"
#include "displaypictures.h"
#include "framesaver.h"
#include "pixelfamily.h"
#include "queuedcall.h"

namespace {
constexpr std::chrono::microseconds kDisplayPeriod(33000);
constexpr int kGrabTimeoutMs = 1500;
constexpr int kStallCheckMs = 200;

// The SDK callbacks carry no context: they reach the streaming session through this pointer,
// read and changed under the mutex, so a session detached from it is never touched again.
std::mutex g_routeMutex;
CameraSession* g_routed = nullptr;

int64_t monotonicMicros()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

// An image over a frame's display plane, rows packed (no copy).
QImage imageOver(const unsigned char* pixels, int width, int height, bool colour)
{
    return colour ? QImage(pixels, width, height, width * 3, QImage::Format_RGB888)
                  : QImage(pixels, width, height, width, QImage::Format_Grayscale8);
}

QString statusText(int status)
{
    return QString::fromUtf8(OrvantaStatusText(status));
}
} // namespace

CameraSession::CameraSession(QObject* parent)
    : QObject(parent), m_saver(new FrameSaver([this](const QString& line) { postError(line); }, 4,
                                              [this](const QString& line) { postLogLine(line); }))
{
    m_countRefresh.setSingleShot(true);
    m_countRefresh.setInterval(int(kDisplayPeriod.count() / 1000));
    connect(&m_countRefresh, &QTimer::timeout, this, [this] {
        m_countPending = false; // the callback may post again
        emit frameCountChanged(m_frameCount);
    });
    m_stallCheck.setInterval(kStallCheckMs);
    connect(&m_stallCheck, &QTimer::timeout, this, &CameraSession::checkForStall);
    m_grabTimeout.setSingleShot(true);
    m_grabTimeout.setInterval(kGrabTimeoutMs);
    connect(&m_grabTimeout, &QTimer::timeout, this, &CameraSession::finishGrab);
}

CameraSession::~CameraSession()
{
    close();
    waitForIdle();
}

bool CameraSession::check(int status, const QString& what)
{
    if (status == ORVANTA_OK) {
        return true;
    }
    emit error(QStringLiteral("%1: %2").arg(what, statusText(status)));
    return false;
}

// Any thread: the error and log signals go out on the session's thread.
void CameraSession::postError(const QString& text)
{
    QueuedCall::post(this, [this, text] { emit error(text); });
}

void CameraSession::postLogLine(const QString& text)
{
    QueuedCall::post(this, [this, text] { emit logLine(text); });
}

void CameraSession::route(CameraSession* session)
{
    std::lock_guard<std::mutex> lock(g_routeMutex);
    g_routed = session;
}

// ---- Open and close ---------------------------------------------------------------------------

bool CameraSession::open(const QString& id)
{
    close();
    const QByteArray latin = id.toLatin1();
    OrvantaHandle handle = nullptr;
    if (!check(OrvantaOpenCamera(latin.constData(), &handle),
               QStringLiteral("open camera %1").arg(id))) {
        return false;
    }
    m_handle = handle;
    m_cameraId = id;
    m_size = OSizeInfo{};
    check(OrvantaGetSizeInfo(m_handle, &m_size), QStringLiteral("read the image size"));
    emit opened(id, QSize(m_size.width, m_size.height));
    return true;
}

void CameraSession::close()
{
    if (!m_handle) {
        return;
    }
    stop();
    check(OrvantaCloseCamera(m_handle), QStringLiteral("close camera %1").arg(m_cameraId));
    m_handle = nullptr;
    m_shownPicture = QImage();
    // The camera ID stays readable while the closed signal is handled.
    emit closed(QString());
    m_cameraId.clear();
}

void CameraSession::closeVanished()
{
    if (!m_handle) {
        return;
    }
    // Nothing here waits for the camera: the callback is detached and the display thread,
    // which only reads frames already delivered, ends within a display period.
    route(nullptr);
    const bool wasAcquiring = isAcquiring();
    endAcquisition();
    const OrvantaHandle dead = m_handle;
    m_handle = nullptr;
    m_shownPicture = QImage();
    joinFinishedClosers();
    auto done = std::make_shared<std::atomic<bool>>(false);
    m_closers.push_back({std::thread([dead, done] {
                             // A vanished camera answers these with errors (or after its
                             // timeouts): nothing to report beyond the disconnection itself.
                             (void)OrvantaStopAcquisition(dead);
                             (void)OrvantaCloseCamera(dead);
                             *done = true;
                         }),
                         done});
    if (wasAcquiring) {
        emit frameCountChanged(m_frameCount);
        emit streamingChanged(false);
    }
    emit closed(QStringLiteral("camera %1 disconnected").arg(m_cameraId));
    m_cameraId.clear();
}

// Closers of cameras that vanished before and are done are joined, without waiting.
void CameraSession::joinFinishedClosers()
{
    for (auto it = m_closers.begin(); it != m_closers.end();) {
        if (*it->done) {
            it->thread.join();
            it = m_closers.erase(it);
        } else {
            ++it;
        }
    }
}

void CameraSession::waitForSaves()
{
    m_saver->waitForIdle();
}

void CameraSession::waitForIdle()
{
    for (Closer& closer : m_closers) {
        closer.thread.join();
    }
    m_closers.clear();
    waitForSaves();
}

// ---- Display format: how frames of the current pixel format are shown --------------------------

DisplayFormat CameraSession::readDisplayFormat()
{
    DisplayFormat format;
    OCameraInfo info = {};
    if (check(OrvantaGetCamInfo(m_handle, &info), QStringLiteral("read the camera information"))) {
        format.pixelFormat = info.pixelFormat;
    }
    check(OrvantaGetSizeInfo(m_handle, &m_size), QStringLiteral("read the image size"));
    char name[ORVANTA_TEXT_SIZE] = {};
    check(OrvantaGetPixelFormatStr(m_handle, name), QStringLiteral("read the pixel format"));
    format.name = QString::fromUtf8(name);
    format.colour = isColourFormat(format.name);
    check(OrvantaSetBayerConversion(m_handle, pixelFamily(format.name) == PixelFamily::Bayer),
          QStringLiteral("set the Bayer conversion"));
    return format;
}

// ---- Live stream -------------------------------------------------------------------------------

bool CameraSession::start()
{
    if (!m_handle || isAcquiring()) {
        return false;
    }
    m_format = readDisplayFormat();
    float fps = 0;
    // Without a frame rate (a camera lacking the feature) a second counts as a stall.
    const bool rateKnown = OrvantaGetFrameRate(m_handle, &fps) == ORVANTA_OK && fps > 0;
    m_stallMicros =
        std::max<int64_t>(RateWindow::kWindowMicros, rateKnown ? int64_t(3e6 / double(fps)) : 0);
    m_rateWindow.reset();
    m_rateWindow.setPauseLimit(m_stallMicros);
    m_frames.clear();
    m_lastFrameMicros = monotonicMicros();
    m_rateShown = false;
    m_shownPicture = QImage(); // the window shows a fresh scene for every stream
    if (!startAcquisition(&CameraSession::onStreamFrame, QStringLiteral("start stream"))) {
        return false;
    }
    m_streaming = true;
    m_displayThread = std::thread(&CameraSession::displayLoop, this);
    m_stallCheck.start();
    emit frameCountChanged(m_frameCount); // 0, or the first frames already counted
    emit streamingChanged(true);
    emit logLine(QStringLiteral("start stream Camera[%1]").arg(m_cameraId));
    return true;
}

void CameraSession::stop()
{
    if (!isAcquiring()) {
        return;
    }
    stopAcquisition();
    emit logLine(QStringLiteral("stop steam Camera[%1]").arg(m_cameraId));
}

// Starts the SDK's acquisition with its callbacks routed to this session; false, with the
// reason, when the SDK refuses.
bool CameraSession::startAcquisition(OrvantaFrameCallback callback, const QString& what)
{
    m_frameCount = 0;
    m_countPending = false;
    ++m_stream;
    route(this);
    const int status = OrvantaStartAcquisition(m_handle, callback);
    const QString acquisition = QStringLiteral("%1 Camera[%2]").arg(what, m_cameraId);
    if (status == ORVANTA_ERR_NOT_SUPPORTED) {
        emit error(
            QStringLiteral("%1: pixel format %2 is not supported").arg(acquisition, m_format.name));
    } else if (check(status, acquisition)) {
        return true;
    }
    route(nullptr);
    return false;
}

void CameraSession::stopAcquisition()
{
    const bool grab = m_grabbing;
    endAcquisition();
    // After this returns no callback runs: every frame it delivered has been counted.
    check(OrvantaStopAcquisition(m_handle), QStringLiteral("stop acquisition"));
    route(nullptr);
    m_frames.clear();
    if (grab) {
        restoreContinuousMode();
    }
    emit frameCountChanged(m_frameCount);
    emit streamingChanged(false);
}

// Ends the session's side of an acquisition: flags, timers and the display thread.
void CameraSession::endAcquisition()
{
    ++m_stream;
    m_streaming = false;
    m_grabbing = false;
    m_stallCheck.stop();
    m_grabTimeout.stop();
    m_countRefresh.stop();
    if (m_displayThread.joinable()) {
        m_displayThread.join();
    }
}

void CameraSession::onStreamFrame(OImageFrame* frame)
{
    std::lock_guard<std::mutex> lock(g_routeMutex);
    CameraSession* s = g_routed;
    if (!s || !frame) {
        return;
    }
    const int64_t now = monotonicMicros();
    s->m_lastFrameMicros = now;
    RateWindow::Rate rate;
    if (s->m_rateWindow.addFrame(frame->width, frame->height, frame->bitsPerPixel, now, &rate)) {
        const unsigned stream = s->m_stream;
        QueuedCall::post(
            s, [s, rate, stream] { s->publishRate(rate.fps, rate.megabytesPerSecond, stream); });
    }
    s->countFrame();
    s->readProbe(*frame);
    s->m_frames.push(frame);
}

// Callback thread: the frame's buffers are valid, and one sample costs nothing.
void CameraSession::readProbe(const OImageFrame& frame)
{
    const int64_t probe = m_probe;
    m_probedRaw = probe < 0 ? -1 : rawSampleAt(frame, int(probe >> 32), int(probe & 0xffffffff));
}

// Display or SDK thread: the picture reaches the session's thread ahead of its pixmap, which
// follows through the window's queued connection. One that comes after the stop is dropped, as
// the window drops its pixmap.
void CameraSession::postShownPicture(const QImage& picture)
{
    QueuedCall::post(this, [this, picture] {
        if (isAcquiring()) {
            m_shownPicture = picture;
        }
    });
}

void CameraSession::setProbe(QPoint imagePoint)
{
    m_probe = imagePoint.x() < 0 || imagePoint.y() < 0
                  ? -1
                  : int64_t(imagePoint.x()) << 32 | int64_t(imagePoint.y());
    if (m_probe < 0) {
        m_probedRaw = -1;
    }
}

// Callback thread: counts a frame. One count update is posted per display period at most: at
// thousands of frames a second the session thread would otherwise fall behind; it shows the
// newest count.
void CameraSession::countFrame()
{
    ++m_frameCount;
    if (!m_countPending.exchange(true)) {
        QueuedCall::post(this, [this] { publishCount(); });
    }
}

void CameraSession::publishCount()
{
    if (!m_countRefresh.isActive()) {
        emit frameCountChanged(m_frameCount);
        m_countRefresh.start(); // its timeout shows the frames counted meanwhile
    }
}

void CameraSession::resetFrameCount()
{
    m_frameCount = 0;
    emit frameCountChanged(0);
}

void CameraSession::publishRate(double fps, double megabytesPerSecond, unsigned stream)
{
    // A rate computed just before a stop belongs to a stream that is over.
    if (!m_streaming || stream != m_stream) {
        return;
    }
    m_rateShown = fps > 0;
    emit rateChanged(fps, megabytesPerSecond);
}

void CameraSession::checkForStall()
{
    if (m_rateShown && monotonicMicros() - m_lastFrameMicros > m_stallMicros) {
        m_rateShown = false; // until frames come back and fill a new window
        emit rateChanged(0, 0);
    }
}

void CameraSession::displayLoop()
{
    pthread_setname_np(pthread_self(), "orv-display");
    CopiedFrame copy;
    copy.picture.resize(size_t(std::max(0, m_size.width)) * size_t(std::max(0, m_size.height)) * 3);
    DisplayPictures pictures;
    const DisplayFormat format = m_format;
    auto nextDisplay = std::chrono::steady_clock::now();
    quint64 savesSkipped = 0;
    const bool deepFormat = !format.colour && sampleBits(format.name) > 8;
    OImageFrame deep{};
    deep.pixelFormat = format.pixelFormat;
    deep.bitsPerPixel = (format.pixelFormat >> 16) & 0xff; // bits a pixel occupies

    while (m_streaming) {
        FrameRef ref;
        if (!m_frames.takeNewest(&ref)) {
            std::this_thread::sleep_for(kDisplayPeriod);
            continue;
        }
        const bool save = m_save;
        SaveOptions::Values options;
        auto extra = CopiedFrame::Extra::None;
        if (save) {
            options = m_saveOptions.get();
            if (options.extension.contains(QLatin1String("RAW"))) {
                extra = CopiedFrame::Extra::Raw;
            } else if (options.extension.contains(QLatin1String("RGB"))) {
                extra = CopiedFrame::Extra::Rgb;
            }
        }
        // The deep samples ride on the raw copy; a save of another kind goes first.
        const bool withDeep = deepFormat && m_deepWanted && extra != CopiedFrame::Extra::Rgb;
        const auto copied = withDeep ? CopiedFrame::Extra::Raw : extra;
        if (!copyPinnedFrame(ref, format.colour, format.pixelFormat, copied, &copy)) {
            ++m_copiesFailed;
            continue; // buffers reused meanwhile: never show a torn frame
        }
        const QImage image = imageOver(copy.picture.data(), copy.width, copy.height, copy.colour);
        if (save) {
            saveFrame(image, copy, extra, options, &savesSkipped);
        }
        deep.rawData = copy.extra.data();
        deep.dataSize = uint32_t(copy.extra.size());
        deep.width = uint32_t(copy.width);
        deep.height = uint32_t(copy.height);
        for (const FrameTap& tap : m_taps) {
            tap(image, withDeep ? &deep : nullptr);
        }
        ++m_displayed;
        // The picture on show outlives the copy buffer, which the next frame overwrites. An
        // unmarked one is the pixmap's own pixels (shared, not copied again); a grey one is 32
        // bits, so that the centre cross painted on it keeps its colour. A marked pixmap is a
        // copy of its own, and the picture is kept beside it (grey as 8 bits, a quarter of it).
        const bool mark = m_markClipped;
        QImage shown;
        if (copy.colour) {
            shown = pictures.fill(image);
        } else if (mark) {
            shown = image.copy();
        } else {
            shown = image.convertToFormat(QImage::Format_RGB32);
        }
        postShownPicture(shown);
        emit frameReady(mark ? QPixmap::fromImage(withClippingMarked(shown))
                             : QPixmap::fromImage(shown, Qt::NoFormatConversion));
        // At most one frame per display period, measured from the last display.
        nextDisplay = std::max(nextDisplay + kDisplayPeriod, std::chrono::steady_clock::now());
        std::this_thread::sleep_until(nextDisplay);
    }
}

// Display thread: hands the displayed frame to the saver.
void CameraSession::saveFrame(const QImage& image, const CopiedFrame& copy,
                              CopiedFrame::Extra extra, const SaveOptions::Values& options,
                              quint64* skipped)
{
    SaveJob job;
    job.path = options.path;
    job.extension = options.extension;
    job.cameraId = m_cameraId; // not changed while the display thread runs
    job.announce = m_announceSave.exchange(false);
    job.width = copy.width;
    job.height = copy.height;
    if (extra == CopiedFrame::Extra::None) {
        job.picture = image.copy();
    } else {
        job.data =
            QByteArray(reinterpret_cast<const char*>(copy.extra.data()), int(copy.extra.size()));
    }
    const bool announced = job.announce;
    if (!m_saver->trySubmit(job)) {
        if (announced)
            m_announceSave = true; // the next job is the first one written
        // Saving is slower than the display: this frame is not saved ("Once" keeps trying with
        // the next one). Said once per stream, not for every frame.
        ++m_savesSkipped;
        if (!(*skipped)++) {
            postError(QStringLiteral("save is slower than the display: frames are skipped"));
        }
        return;
    }
    ++m_saved;
    if (options.count != -1) {
        m_save = false;
        QueuedCall::post(this, [this] { emit savingStopped(); });
    }
}

bool CameraSession::setSaving(bool on, QString* refusal)
{
    if (on) {
        const SaveOptions::Values options = m_saveOptions.get();
        QString reason;
        if (!prepareSaveFolder(options.path, &reason)) {
            m_save = false;
            if (refusal)
                *refusal = reason;
            return false;
        }
        SaveOptions::remember(options);
        m_announceSave = true;
    }
    m_save = on;
    return true;
}

void CameraSession::addFrameTap(FrameTap tap)
{
    Q_ASSERT(!isAcquiring()); // the display thread reads them without a lock
    m_taps.push_back(std::move(tap));
}

CameraSession::DisplayCounters CameraSession::displayCounters() const
{
    DisplayCounters c;
    c.displayed = m_displayed;
    c.displaySkipped = m_frames.droppedFrames() - m_handOverDropsAtReset + m_copiesFailed;
    c.saved = m_saved;
    c.savesSkipped = m_savesSkipped;
    return c;
}

void CameraSession::resetDisplayCounters()
{
    m_displayed = m_copiesFailed = m_saved = m_savesSkipped = 0;
    m_handOverDropsAtReset = m_frames.droppedFrames();
}

// ---- Single grab -------------------------------------------------------------------------------

bool CameraSession::grabOne()
{
    if (!m_handle || isAcquiring()) {
        return false;
    }
    check(OrvantaSetNodeEnum(m_handle, "AcquisitionMode", "SingleFrame"),
          QStringLiteral("set AcquisitionMode to SingleFrame"));
    m_format = readDisplayFormat();
    m_grabDone = false;
    if (!startAcquisition(&CameraSession::onGrabFrame, QStringLiteral("start single grab"))) {
        restoreContinuousMode();
        return false;
    }
    m_grabbing = true;
    m_grabTimeout.start();
    emit frameCountChanged(m_frameCount); // 0, or the first frames already counted
    emit streamingChanged(true);
    return true;
}

void CameraSession::onGrabFrame(OImageFrame* frame)
{
    std::lock_guard<std::mutex> lock(g_routeMutex);
    CameraSession* s = g_routed;
    if (!s || !frame) {
        return;
    }
    const DisplayPlane plane =
        displayPlaneFor(s->m_format.colour, s->m_format.pixelFormat, frame->bitsPerPixel);
    const unsigned char* pixels = plane == DisplayPlane::Rgb     ? frame->rgbData
                                  : plane == DisplayPlane::Mono8 ? frame->mono8Data
                                                                 : frame->rawData;
    if (pixels) {
        // The frame's buffers are valid during the callback: the pixmap is made now.
        const QImage image =
            imageOver(pixels, int(frame->width), int(frame->height), plane == DisplayPlane::Rgb);
        for (const FrameTap& tap : s->m_taps) {
            tap(image, nullptr);
        }
        // The 32-bit copy a pixmap needs anyway, shared by the pixmap and the picture on show.
        const QImage shown = image.convertToFormat(QImage::Format_RGB32);
        s->postShownPicture(shown);
        emit s->frameReady(QPixmap::fromImage(shown, Qt::NoFormatConversion));
    }
    s->countFrame();
    if (!s->m_grabDone.exchange(true)) {
        QueuedCall::post(s, [s] { s->finishGrab(); });
    }
}

void CameraSession::finishGrab()
{
    if (m_grabbing) { // not stopped meanwhile
        stopAcquisition();
    }
}

void CameraSession::restoreContinuousMode()
{
    // Also after a Stop during a single grab: the camera must not stay in single-frame mode.
    check(OrvantaSetNodeEnum(m_handle, "AcquisitionMode", "Continuous"),
          QStringLiteral("set AcquisitionMode to Continuous"));
}
