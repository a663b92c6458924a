// Streaming-path benchmark of the viewer: runs the main window's live stream against a
// simulated camera and prints delivered and counted frames, displayed frames per second,
// CPU seconds of the viewer's threads per delivered frame and memory over the run; the last
// scenario runs with the statistics and histogram docks visible and gives the histogram's cost.
// Usage: viewer_pipeline [seconds per scenario, default 10] [scenario letter, default all]
// (one scenario alone gives that scenario's own peak memory)
#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <unistd.h>

#include "histogramdock.h"
#include "mainwindow.h"
#include "sdk/OrvantaSimControl.h"
#include "viewerresources.h"

namespace {

struct ThreadCpu
{
    double main = 0;      // GUI thread: labels, view, painting
    double display = 0;   // display thread: copy, image, pixmap
    double histogram = 0; // histogram worker
    double other = 0;     // SDK threads (they also run the frame callback)
};

double ticksToSeconds(long long ticks)
{
    return double(ticks) / double(sysconf(_SC_CLK_TCK));
}

ThreadCpu threadCpu()
{
    ThreadCpu cpu;
    const QString self = QString::number(getpid());
    for (const QString& tid :
         QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(QStringLiteral("/proc/self/task/%1/stat").arg(tid));
        QFile comm(QStringLiteral("/proc/self/task/%1/comm").arg(tid));
        if (!stat.open(QIODevice::ReadOnly) || !comm.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray line = stat.readAll();
        const QList<QByteArray> f = line.mid(line.lastIndexOf(')') + 2).split(' ');
        const double s = ticksToSeconds(f.value(11).toLongLong() + f.value(12).toLongLong());
        const QByteArray name = comm.readAll().trimmed();
        if (tid == self) {
            cpu.main += s;
        } else if (name == "orv-display") {
            cpu.display += s;
        } else if (name == "orv-histogram") {
            cpu.histogram += s;
        } else {
            cpu.other += s;
        }
    }
    return cpu;
}

long statusKb(const char* key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    f.open(QIODevice::ReadOnly);
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(key)) {
            return line.mid(int(strlen(key))).trimmed().split(' ').value(0).toLong();
        }
    }
    return 0;
}

void runEventsFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Scenario
{
    const char* title;
    const char* cameras;
    OSizeInfo roi;
    float fps;  // 0: the camera's top rate
    bool docks; // the statistics and histogram docks visible
};

void run(const Scenario& sc, int seconds)
{
    qputenv("ORVANTA_SIM_CAMERAS", sc.cameras);
    MainWindow w;
    w.resize(1370, 917);
    w.show();
    char id[ORVANTA_TEXT_SIZE] = {};
    OrvantaGetCameraID(0, id);
    w.slotOpenCamera(0);
    OrvantaHandle h = w.cameraHandle();
    OrvantaSetShutter(h, 100, false);
    if (sc.roi.width > 0) {
        OrvantaSetSizeInfo(h, sc.roi);
    }
    float lo = 0, hi = 0;
    OrvantaGetFrameRateMinMax(h, &lo, &hi);
    OrvantaSetFrameRate(h, sc.fps > 0 ? sc.fps : hi);
    float rate = 0;
    OrvantaGetFrameRate(h, &rate);
    OSizeInfo size = {};
    OrvantaGetSizeInfo(h, &size);

    quint64 histograms = 0;
    if (sc.docks) {
        for (const char* dock : {"StreamStatisticsDock", "HistogramDock"}) {
            w.findChild<QDockWidget*>(QLatin1String(dock))->show();
        }
        QObject::connect(w.findChild<HistogramDock*>(), &HistogramDock::histogramShown, &w,
                         [&] { ++histograms; });
    }
    std::atomic<quint64> displayed{0};
    QObject::connect(
        &w, &MainWindow::sigDisplayFrame, &w, [&] { ++displayed; }, Qt::DirectConnection);
    uint64_t before = 0;
    OrvantaSimGetDeliveredFrames(id, &before);
    const ThreadCpu cpu0 = threadCpu();
    QElapsedTimer clock;
    clock.start();
    w.slotStartCamera();
    runEventsFor(2000);
    const long rssEarly = statusKb("VmRSS:");
    runEventsFor(seconds * 1000 - 2000);
    const ThreadCpu cpu1 = threadCpu(); // before Stop: the display thread ends with it
    const double elapsed = clock.elapsed() / 1000.0;
    const long rssLate = statusKb("VmRSS:");
    w.slotStopCamera();
    uint64_t after = 0;
    OrvantaSimGetDeliveredFrames(id, &after);
    const quint64 delivered = after - before;
    const quint64 counted = w.receivedFrameCount();
    const double histogramCpu = cpu1.histogram - cpu0.histogram;
    const double viewerCpu = (cpu1.main - cpu0.main) + (cpu1.display - cpu0.display) + histogramCpu;

    std::printf("\n%s: %dx%d at %.1f fps set, %.1f s\n", sc.title, size.width, size.height,
                double(rate), elapsed);
    std::printf("  delivered frames            %llu\n", (unsigned long long)delivered);
    std::printf("  counted frames              %llu (%s)\n", (unsigned long long)counted,
                counted == delivered ? "equal" : "DIFFERENT");
    std::printf("  displayed frames per second %.1f\n", double(displayed) / elapsed);
    std::printf("  CPU s main thread           %.2f (%.1f %% of one core)\n", cpu1.main - cpu0.main,
                100 * (cpu1.main - cpu0.main) / elapsed);
    std::printf("  CPU s display thread        %.2f (%.1f %% of one core)\n",
                cpu1.display - cpu0.display, 100 * (cpu1.display - cpu0.display) / elapsed);
    if (sc.docks) {
        std::printf("  CPU s histogram worker      %.2f (%.1f %% of one core)\n", histogramCpu,
                    100 * histogramCpu / elapsed);
        std::printf("  histograms computed         %llu, %.2f ms CPU each\n",
                    (unsigned long long)histograms,
                    histograms ? 1000 * histogramCpu / double(histograms) : 0.0);
    }
    std::printf("  display path CPU (main + display) %.1f %% of one core\n",
                100 * (viewerCpu - histogramCpu) / elapsed);
    std::printf("  CPU s SDK threads (+callback) %.2f\n", cpu1.other - cpu0.other);
    std::printf("  viewer CPU s per delivered frame %.6f\n",
                delivered ? viewerCpu / double(delivered) : 0.0);
    std::printf("  memory RSS at 2 s %ld kB, at end %ld kB, peak %ld kB\n", rssEarly, rssLate,
                statusKb("VmHWM:"));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("ORVANTA_BACKENDS", "simulated");
    QApplication app(argc, argv);
    initViewerResources();
    const int seconds = argc > 1 ? qMax(3, atoi(argv[1])) : 10;
    const Scenario scenarios[] = {
        {"(a) Mono8 full sensor, top rate", "mono:1", {0, 0, 0, 0, 0, 0}, 0, false},
        {"(b) Mono8 small ROI, top rate", "mono:1", {0, 0, 320, 64, 0, 0}, 0, false},
        {"(c) colour 2448x2048 at 30 fps", "color:1", {0, 0, 0, 0, 0, 0}, 30, false},
        {"(d) colour 2448x2048 at 30 fps, statistics and histogram docks",
         "color:1",
         {0, 0, 0, 0, 0, 0},
         30,
         true},
    };
    const QByteArray only = argc > 2 ? QByteArray(argv[2]) : QByteArray();
    for (const Scenario& sc : scenarios) {
        if (only.isEmpty() || QByteArray(sc.title).startsWith("(" + only + ")")) {
            run(sc, seconds);
        }
    }
    return 0;
}
