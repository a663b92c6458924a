#ifndef TST_MAINWINDOW_UTIL_H
#define TST_MAINWINDOW_UTIL_H

// Helpers shared by the main-window tests: simulated camera sets, widget look-ups, message
// boxes answered by the test, and a record of the pictures the window displayed.

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

#include <memory>

#include "cameralist.h"
#include "logstatus.h"
#include "mainwindow.h"
#include "sdk/OrvantaSimControl.h"
#include "viewerresources.h"

namespace mwtest {

// A fresh window on the given simulated cameras (the SDK reads the set at OrvantaInit).
inline std::unique_ptr<MainWindow> makeWindow(const char* cameras)
{
    qputenv("ORVANTA_SIM_CAMERAS", cameras);
    initViewerResources();
    return std::make_unique<MainWindow>();
}

inline QAction* action(MainWindow& w, const char* name)
{
    auto* a = w.findChild<QAction*>(QLatin1String(name));
    if (!a) {
        qFatal("no action %s", name);
    }
    return a;
}

inline QString label(MainWindow& w, const char* name)
{
    return w.findChild<QLabel*>(QLatin1String(name))->text();
}

// The rate label once a stream has stopped.
const QString kStopText = QStringLiteral("               0.0 fps (0.0 MB/s)");

inline QString countText(quint64 n)
{
    return QStringLiteral("Recv :                 %1").arg(n);
}

// fps and MB/s of a rate label "<24 spaces>%4.1lf fps (%3.1lf MB/s)"; false when not that form
// or when it still shows the start-up rate of 0.
inline bool parseRate(const QString& text, double* fps, double* mbps)
{
    static const QRegularExpression re(
        QStringLiteral("^ {24}([ \\d]*\\d\\.\\d) fps \\((\\d+\\.\\d) MB/s\\)$"));
    const auto m = re.match(text);
    if (!m.hasMatch()) {
        return false;
    }
    *fps = m.captured(1).trimmed().toDouble();
    *mbps = m.captured(2).toDouble();
    return *fps > 0;
}

inline QString lastLog(MainWindow& w)
{
    LogStatus* log = w.logStatus();
    return log->lineCount() ? log->line(log->lineCount() - 1) : QString();
}

inline bool logContains(MainWindow& w, const QString& text)
{
    LogStatus* log = w.logStatus();
    for (int i = 0; i < log->lineCount(); ++i) {
        if (log->line(i).endsWith(text)) {
            return true;
        }
    }
    return false;
}

inline QString sdkCameraId(int index)
{
    char id[ORVANTA_TEXT_SIZE] = {};
    OrvantaGetCameraID(index, id);
    return QString::fromLatin1(id);
}

inline quint64 deliveredFrames(const QString& id)
{
    uint64_t n = 0;
    OrvantaSimGetDeliveredFrames(id.toLatin1().constData(), &n);
    return n;
}

// Answers the next message box with 'button' and records its title and text.
struct MessageBoxAnswer
{
    QString title;
    QString text;
    bool seen = false;

    explicit MessageBoxAnswer(QMessageBox::StandardButton button)
    {
        auto* timer = new QTimer(qApp);
        timer->setInterval(20);
        QObject::connect(timer, &QTimer::timeout, [this, timer, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                return;
            }
            title = box->windowTitle();
            text = box->text();
            seen = true;
            box->button(button)->click();
            timer->deleteLater();
        });
        timer->start();
    }
};

// Keeps the last pictures the window displayed (queued like the window's own display slot).
struct DisplayedPictures : QObject
{
    QList<QImage> images;
    int total = 0;

    explicit DisplayedPictures(MainWindow& w)
    {
        connect(
            &w, &MainWindow::sigDisplayFrame, this,
            [this](QPixmap p) {
                images << p.toImage();
                ++total;
                if (images.size() > 12) {
                    images.removeFirst();
                }
            },
            Qt::QueuedConnection);
    }
};

// The three session states and the actions each enables.
enum class Session
{
    NoCamera,
    Open,
    Acquiring
};

// Names the actions whose enabled state is wrong for the session state; empty when all match.
inline QString wrongActionStates(MainWindow& w, Session s)
{
    const bool open = s != Session::NoCamera;
    const bool acq = s == Session::Acquiring;
    struct Expect
    {
        const char* name;
        bool enabled;
    };
    const Expect expected[] = {
        {"actionOpen", !open},
        {"actionClose", open},
        {"actionRegisterAccess_2", open},
        {"actionControl", open},
        {"actionShowCameraControl", open}, // the same dock as Control
        {"actionCameraReset", open},
        {"actionSaveFeatures", open},
        {"actionLoadFeatures", open},
        {"actionOneGrab", open && !acq},
        {"actionPlay", open && !acq},
        {"actionStop", acq},
        {"actionSave", acq},
        {"actionZoom100", acq},
        {"actionZoomFIT", acq},
        {"actionZoomIN", acq},
        {"actionZoomOUT", acq},
        {"actionDrawCenter", acq},
        {"actionDiscovery", true},
        {"actionExit", true},
        {"actionAbout_Orvanta", true},
        {"actionShowCameraList", true},
    };
    QStringList wrong;
    for (const Expect& e : expected) {
        if (action(w, e.name)->isEnabled() != e.enabled) {
            wrong << QLatin1String(e.name);
        }
    }
    return wrong.join(QLatin1Char(' '));
}

#define CHECK_STATES(w, s)                                                                         \
    do {                                                                                           \
        const QString wrong = mwtest::wrongActionStates(w, s);                                     \
        QVERIFY2(wrong.isEmpty(), qPrintable("wrong action states: " + wrong));                    \
    } while (0)

} // namespace mwtest

#endif // TST_MAINWINDOW_UTIL_H
