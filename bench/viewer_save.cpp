// Saving benchmark of the viewer: time from pressing Save to the complete file for one
// 2448 x 2048 colour frame in each format, the RAW write rate next to dd writing the same
// bytes, and the display rate while saves run.
// Usage: viewer_save [directory, default a new folder under /tmp]
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cstdio>

#include "cameractrl.h"
#include "framesaver.h"
#include "mainwindow.h"
#include "viewerresources.h"

namespace {

void runEventsFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void chooseFormat(MainWindow& w, const QString& dir, const QString& ext, bool once)
{
    CameraCtrl* ctrl = w.cameraCtrl();
    ctrl->findChild<QLineEdit*>(QStringLiteral("edSavePath"))->setText(dir);
    auto* combo = ctrl->findChild<QComboBox*>(QStringLiteral("cmbSaveExt"));
    if (combo->findText(ext) < 0) {
        combo->addItem(ext); // TIF is offered only for some pixel formats
    }
    combo->setCurrentIndex(combo->findText(ext));
    ctrl->findChild<QRadioButton*>(once ? QStringLiteral("radioSaveOnce")
                                        : QStringLiteral("radioSaveAll"))
        ->click();
}

// Milliseconds from now until the only file in dir has stopped growing.
double waitForCompleteFile(const QString& dir, QElapsedTimer& clock)
{
    qint64 lastSize = -1;
    double lastChange = 0;
    while (clock.elapsed() < 20000) {
        QCoreApplication::processEvents();
        const QFileInfoList files = QDir(dir).entryInfoList(QDir::Files);
        const qint64 size = files.isEmpty() ? -1 : files.first().size();
        if (size != lastSize) {
            lastSize = size;
            lastChange = clock.nsecsElapsed() / 1e6;
        } else if (size > 0 && clock.nsecsElapsed() / 1e6 - lastChange > 300) {
            return lastChange;
        }
        QThread::usleep(200);
    }
    return -1;
}

double ddRate(const QString& dir, qint64 bytes)
{
    QProcess dd;
    dd.start(QStringLiteral("dd"),
             {QStringLiteral("if=/dev/zero"), QStringLiteral("of=%1/dd.bin").arg(dir),
              QStringLiteral("bs=%1").arg(bytes), QStringLiteral("count=1")});
    dd.waitForFinished();
    // "... bytes (...) copied, 0.0123 s, 1.2 GB/s"
    const QString out = QString::fromLocal8Bit(dd.readAllStandardError());
    const QStringList parts = out.section(QStringLiteral("copied, "), 1).split(QLatin1Char(' '));
    const double seconds = parts.value(0).toDouble();
    QFile::remove(dir + QStringLiteral("/dd.bin"));
    return seconds > 0 ? bytes / seconds / 1e6 : 0;
}

double rawWriteRate(const QString& dir, qint64 bytes)
{
    SaveJob job;
    job.path = dir;
    job.cameraId = QStringLiteral("bench");
    job.extension = QStringLiteral("RAW");
    job.data = QByteArray(int(bytes), 'x');
    QString name, error;
    QElapsedTimer t;
    t.start();
    writeSaveJob(job, QDateTime::currentDateTime(), &name, &error);
    const double seconds = t.nsecsElapsed() / 1e9;
    QFile::remove(name);
    return bytes / seconds / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("ORVANTA_BACKENDS", "simulated");
    qputenv("ORVANTA_SIM_CAMERAS", "color:1");
    QTemporaryDir settings; // the save options it remembers stay out of the user's settings
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    QApplication app(argc, argv);
    initViewerResources();
    QTemporaryDir tmp;
    const QString root = argc > 1 ? QString::fromLocal8Bit(argv[1]) : tmp.path();

    MainWindow w;
    w.resize(1370, 917);
    w.show();
    w.slotOpenCamera(0);
    OrvantaSetShutter(w.cameraHandle(), 100, false);
    OrvantaSetFrameRate(w.cameraHandle(), 30);
    std::atomic<int> displayed{0};
    QObject::connect(
        &w, &MainWindow::sigDisplayFrame, &w, [&] { ++displayed; }, Qt::DirectConnection);
    w.slotStartCamera();
    runEventsFor(1500);
    QAction* save = w.findChild<QAction*>(QStringLiteral("actionSave"));

    std::printf("one 2448x2048 colour frame, Save pressed to file complete:\n");
    for (const char* ext : {"BMP", "JPG", "PNG", "TIF", "RAW", "RGB"}) {
        const QString dir = root + QLatin1Char('/') + QLatin1String(ext);
        QDir().mkpath(dir);
        chooseFormat(w, dir, QLatin1String(ext), true);
        const int shownBefore = displayed;
        QElapsedTimer clock;
        clock.start();
        save->trigger();
        const double ms = waitForCompleteFile(dir, clock);
        const double fps = (displayed - shownBefore) / (clock.elapsed() / 1000.0);
        const QFileInfoList files = QDir(dir).entryInfoList(QDir::Files);
        std::printf("  %s  %8.1f ms  %9lld bytes  (display %.1f fps meanwhile)\n", ext, ms,
                    files.isEmpty() ? 0LL : (long long)files.first().size(), fps);
        std::fflush(stdout);
    }

    int shownBefore = displayed;
    QElapsedTimer idle;
    idle.start();
    runEventsFor(3000);
    const double idleFps = (displayed - shownBefore) / (idle.elapsed() / 1000.0);
    const QString all = root + QStringLiteral("/all");
    QDir().mkpath(all);
    chooseFormat(w, all, QStringLiteral("PNG"), false);
    shownBefore = displayed;
    QElapsedTimer busy;
    busy.start();
    save->trigger();
    runEventsFor(3000);
    save->trigger();
    const double busyFps = (displayed - shownBefore) / (busy.elapsed() / 1000.0);
    w.slotStopCamera();
    runEventsFor(3000); // the last saves finish
    std::printf("display rate: %.1f fps without saving, %.1f fps while saving every frame as "
                "PNG (%d files in 3 s)\n",
                idleFps, busyFps, int(QDir(all).entryList(QDir::Files).size()));

    const qint64 rgbBytes = 2448LL * 2048 * 3;
    std::printf("RAW write of %lld bytes: %.0f MB/s; dd writing the same bytes: %.0f MB/s\n",
                rgbBytes, rawWriteRate(root, rgbBytes), ddRate(root, rgbBytes));
    return 0;
}
