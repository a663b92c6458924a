// Soak of the viewer: the real main window, offscreen, streams one camera for minutes (saving
// every displayed frame if asked) and prints, one per line, what memory, counters and CPU did:
//   rss_start_kb rss_end_kb rss_peak_kb delivered counted displayed incomplete saved
//   skipped_saves cpu_s
// rss_start_kb is taken after the first 30 s (or at the end of a shorter run); delivered counts
// the frames the SDK handed to the viewer's callback, counted is the viewer's own frame count,
// incomplete the damaged frames the SDK counted (and never delivered).
//
// Usage: viewer_soak [--camera color|mono|real] [--minutes N] [--rate FPS|max] [--save FORMAT]
// "real" is Aravis's networked fake camera, started in the first camera namespace of the test
// network: tools/netns/testnet.sh --cams 1 -- viewer_soak --camera real ...
// Exits non-zero only when the soak could not run.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/resource.h>

#include "PeerProcess.h"
#include "TestnetGuard.h"
#include "cameractrl.h"
#include "cameralist.h"
#include "camerasession.h"
#include "mainwindow.h"
#include "viewerresources.h"

// The viewer's calls of OrvantaStartAcquisition pass through here (linker --wrap): the frames
// the SDK delivers are counted before the viewer sees them.
extern "C" int __real_OrvantaStartAcquisition(OrvantaHandle handle, OrvantaFrameCallback callback);

namespace {

std::atomic<OrvantaFrameCallback> g_viewerCallback{nullptr};
std::atomic<quint64> g_delivered{0};

void countingCallback(OImageFrame* frame)
{
    ++g_delivered;
    if (OrvantaFrameCallback callback = g_viewerCallback) {
        callback(frame);
    }
}

struct Options
{
    QString camera = QStringLiteral("color");
    double minutes = 1;
    QString rate; // empty: the camera's own rate
    QString save; // empty: no saving
};

bool parse(const QStringList& args, Options* o)
{
    for (int i = 1; i + 1 < args.size(); i += 2) {
        const QString& key = args[i];
        const QString& value = args[i + 1];
        if (key == QLatin1String("--camera")) {
            o->camera = value;
        } else if (key == QLatin1String("--minutes")) {
            o->minutes = value.toDouble();
        } else if (key == QLatin1String("--rate")) {
            o->rate = value;
        } else if (key == QLatin1String("--save")) {
            o->save = value.toUpper();
        } else {
            return false;
        }
    }
    return args.size() % 2 == 1 && o->minutes > 0 &&
           QStringList({"color", "mono", "real"}).contains(o->camera);
}

long statusKb(const char* field)
{
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) {
        return -1;
    }
    char line[256];
    long kb = -1;
    const size_t n = std::strlen(field);
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, field, n) == 0 && line[n] == ':') {
            kb = std::atol(line + n + 1);
            break;
        }
    }
    std::fclose(f);
    return kb;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void runEventsFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

int fail(const char* why)
{
    std::fprintf(stderr, "viewer_soak: %s\n", why);
    return 1;
}

// Removes the saved files of the folder and returns how many there were.
quint64 takeSavedFiles(const QString& dir)
{
    quint64 n = 0;
    for (const QFileInfo& file : QDir(dir).entryInfoList(QDir::Files)) {
        n += QFile::remove(file.absoluteFilePath()) ? 1 : 0;
    }
    return n;
}

void chooseSaveAll(MainWindow& w, const QString& dir, const QString& extension)
{
    CameraCtrl* ctrl = w.cameraCtrl();
    ctrl->findChild<QLineEdit*>(QStringLiteral("edSavePath"))->setText(dir);
    auto* combo = ctrl->findChild<QComboBox*>(QStringLiteral("cmbSaveExt"));
    if (combo->findText(extension) < 0) {
        combo->addItem(extension); // TIF is offered only for some pixel formats
    }
    combo->setCurrentIndex(combo->findText(extension));
    ctrl->findChild<QRadioButton*>(QStringLiteral("radioSaveAll"))->click();
    w.findChild<QAction*>(QStringLiteral("actionSave"))->trigger();
}

} // namespace

extern "C" int __wrap_OrvantaStartAcquisition(OrvantaHandle handle, OrvantaFrameCallback callback)
{
    g_viewerCallback = callback;
    return __real_OrvantaStartAcquisition(handle, callback ? &countingCallback : nullptr);
}

int main(int argc, char* argv[])
{
    QStringList args;
    for (int i = 0; i < argc; ++i) {
        args << QString::fromLocal8Bit(argv[i]);
    }
    Options o;
    if (!parse(args, &o)) {
        return fail("usage: viewer_soak [--camera color|mono|real] [--minutes N] "
                    "[--rate FPS|max] [--save FORMAT]");
    }
    std::unique_ptr<testnet::PeerProcess> fakeCamera;
    if (o.camera == QLatin1String("real")) {
        const std::string why = testnet::WhyNotInsideTestNetwork();
        if (!why.empty()) {
            return fail(why.c_str());
        }
        const auto namespaces = testnet::EnvList("TESTNET_CAM_NS");
        fakeCamera = std::make_unique<testnet::PeerProcess>(testnet::InNamespace(
            namespaces.front(), {"arv-fake-gv-camera-0.8", "-i", "eth0", "-s", "SOAK01"}));
        qputenv("ORVANTA_BACKENDS", "real");
        qputenv("ORVANTA_ARAVIS_INTERFACES", "GigEVision");
    } else {
        qputenv("ORVANTA_BACKENDS", "simulated");
        qputenv("ORVANTA_SIM_CAMERAS", (o.camera + QStringLiteral(":1")).toLatin1());
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    initViewerResources();

    MainWindow w;
    w.resize(1370, 917);
    w.show();
    // The session's complaints (a refused start, skipped saves) go to stderr as they come.
    QObject::connect(w.session(), &CameraSession::error, [](const QString& text) {
        std::fprintf(stderr, "viewer_soak: %s\n", qPrintable(text));
    });
    auto* list = w.cameraList()->findChild<QListWidget*>();
    QElapsedTimer listing;
    listing.start();
    while (list->count() < 1 && listing.elapsed() < 30000) {
        w.OnTimer();
        runEventsFor(300);
    }
    if (list->count() < 1) {
        return fail("no camera listed");
    }
    w.slotOpenCamera(0);
    OrvantaHandle camera = w.cameraHandle();
    if (!camera) {
        return fail("the camera did not open");
    }
    (void)OrvantaSetShutter(camera, 100, false); // short exposure: the rate is not held back
    float rate = 0;
    if (o.rate == QLatin1String("max")) {
        float low = 0;
        (void)OrvantaGetFrameRateMinMax(camera, &low, &rate);
    } else if (!o.rate.isEmpty()) {
        rate = o.rate.toFloat();
    }
    if (rate > 0 && OrvantaSetFrameRate(camera, rate) != ORVANTA_OK) {
        std::fprintf(stderr, "viewer_soak: the camera refused %.1f fps\n", double(rate));
    }

    std::atomic<quint64> displayed{0};
    QObject::connect(
        &w, &MainWindow::sigDisplayFrame, &w, [&] { ++displayed; }, Qt::DirectConnection);
    QTemporaryDir saveDir;
    quint64 saved = 0;
    QTimer emptier;
    if (!o.save.isEmpty()) {
        chooseSaveAll(w, saveDir.path(), o.save);
        QObject::connect(&emptier, &QTimer::timeout,
                         [&] { saved += takeSavedFiles(saveDir.path()); });
        emptier.start(1000);
    }
    w.slotStartCamera();
    if (!w.isAcquiring()) {
        return fail("the stream did not start");
    }

    const qint64 totalMs = qint64(o.minutes * 60000);
    const qint64 settleMs = qMin<qint64>(30000, totalMs);
    QElapsedTimer clock;
    clock.start();
    runEventsFor(int(settleMs));
    const long rssStart = statusKb("VmRSS");
    long rssPeak = rssStart; // VmHWM lags behind the sampled size at times: the larger counts
    while (clock.elapsed() < totalMs) {
        runEventsFor(int(qMin<qint64>(1000, totalMs - clock.elapsed())));
        rssPeak = qMax(rssPeak, statusKb("VmRSS"));
    }
    const double seconds = clock.elapsed() / 1000.0;
    w.slotStopCamera();
    w.waitForSaves();
    emptier.stop();
    runEventsFor(200); // the last queued count and display updates
    saved += takeSavedFiles(saveDir.path());
    const long rssEnd = statusKb("VmRSS");

    char format[ORVANTA_NODE_TEXT_SIZE] = {};
    (void)OrvantaGetNodeString(camera, "PixelFormat", format);
    float shownRate = 0;
    (void)OrvantaGetFrameRate(camera, &shownRate);
    std::printf("# camera %s (%s), %.1f s at %.1f fps set\n", qPrintable(o.camera), format, seconds,
                double(shownRate));
    std::printf("rss_start_kb %ld\n", rssStart);
    std::printf("rss_end_kb %ld\n", rssEnd);
    std::printf("rss_peak_kb %ld\n", qMax(rssPeak, statusKb("VmHWM")));
    std::printf("delivered %llu\n", (unsigned long long)g_delivered.load());
    std::printf("counted %llu\n", (unsigned long long)w.receivedFrameCount());
    std::printf("displayed %llu\n", (unsigned long long)displayed.load());
    OStreamStatistics statistics{}; // counted since the camera was opened: this run
    if (OrvantaGetStreamStatistics(camera, &statistics) != ORVANTA_OK) {
        std::fprintf(stderr, "viewer_soak: the SDK gave no stream statistics\n");
    }
    std::printf("incomplete %llu\n", (unsigned long long)statistics.framesIncomplete);
    std::printf("saved %llu\n", (unsigned long long)saved);
    std::printf("skipped_saves %llu\n",
                (unsigned long long)w.session()->displayCounters().savesSkipped);
    std::printf("cpu_s %.1f\n", cpuSeconds());
    return 0;
}
