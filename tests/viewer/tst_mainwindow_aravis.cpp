// The viewer's main window with a real GigE Vision camera: Aravis's networked fake camera in a
// camera namespace of the test network. Listing, opening, streaming, closing and reopening,
// an RGB8 picture, software trigger from the control dock, and unplugging noticed by the
// discovery timer.
#include "tst_mainwindow_util.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QLabel>
#include <QMetaMethod>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "PeerProcess.h"
#include "TestnetGuard.h"
#include "cameractrl.h"
#include "streamstatisticsdock.h"

using namespace mwtest;

namespace {
const char kSerial[] = "E2E01";
// The number the count label shows, -1 when it does not have the count form.
qint64 shownCount(MainWindow& w)
{
    static const QRegularExpression re(QStringLiteral("^Recv : +(\\d+)$"));
    const auto m = re.match(label(w, "laCount"));
    return m.hasMatch() ? m.captured(1).toLongLong() : -1;
}

// fps and MB/s of the rate label; false unless it has the "fps (… MB/s)" form with fps > 0.
bool shownRate(MainWindow& w, double* fps, double* mbps)
{
    return parseRate(label(w, "laRate"), fps, mbps);
}

QListWidget* listWidget(MainWindow& w)
{
    return w.cameraList()->findChild<QListWidget*>();
}

// Posts an event to the GUI thread every 20 ms from a thread of its own and keeps the longest
// time one waited there before it was handled.
class GuiLatencyProbe
{
public:
    GuiLatencyProbe()
    {
        m_thread = std::thread([longest = m_longest, stop = m_stop] {
            QElapsedTimer clock;
            clock.start();
            while (!*stop) {
                const qint64 posted = clock.elapsed();
                QMetaObject::invokeMethod(
                    qApp,
                    [longest, clock, posted] {
                        *longest = qMax<qint64>(*longest, clock.elapsed() - posted);
                    },
                    Qt::QueuedConnection);
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
    }
    ~GuiLatencyProbe()
    {
        *m_stop = true;
        m_thread.join();
    }
    qint64 longestMs() const { return *m_longest; }

private:
    std::shared_ptr<std::atomic<qint64>> m_longest = std::make_shared<std::atomic<qint64>>(0);
    std::shared_ptr<std::atomic<bool>> m_stop = std::make_shared<std::atomic<bool>>(false);
    std::thread m_thread;
};
} // namespace

class TestMainWindowAravis : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<testnet::PeerProcess> m_camera;
    std::unique_ptr<MainWindow> m_window;

    template <typename T> T* dockWidget(const char* name)
    {
        T* widget = m_window->cameraCtrl()->findChild<T*>(QLatin1String(name));
        if (!widget) {
            qFatal("no widget %s", name);
        }
        return widget;
    }

    // Opens the listed camera as a user does: select its row, then Open.
    void openListedCamera()
    {
        listWidget(*m_window)->setCurrentRow(0);
        action(*m_window, "actionOpen")->trigger();
        QVERIFY(m_window->cameraHandle());
        CHECK_STATES(*m_window, Session::Open);
    }

    void streamUntilCounted(quint64 frames)
    {
        m_window->slotStartCamera();
        QVERIFY(m_window->isAcquiring());
        QTRY_VERIFY_WITH_TIMEOUT(m_window->receivedFrameCount() >= frames, 30000);
    }

private slots:
    void initTestCase()
    {
        const std::string why = testnet::WhyNotInsideTestNetwork();
        QVERIFY2(why.empty(), why.c_str());
        qputenv("ORVANTA_BACKENDS", "real");
        qputenv("ORVANTA_ARAVIS_INTERFACES", "GigEVision");
        qputenv("ORVANTA_ARAVIS_REFRESH_MS", "300");
        initViewerResources();
    }

    // A fake camera on the first camera namespace and a window that lists it.
    void init()
    {
        const auto namespaces = testnet::EnvList("TESTNET_CAM_NS");
        QVERIFY(!namespaces.empty());
        std::vector<std::string> camera = {"arv-fake-gv-camera-0.8", "-i", "eth0", "-s", kSerial};
        if (QByteArray(QTest::currentTestFunction()).startsWith("lossy")) {
            camera.insert(camera.end(), {"-r", "50"}); // 5 % of the stream packets lost
        }
        m_camera = std::make_unique<testnet::PeerProcess>(
            testnet::InNamespace(namespaces.front(), camera));
        m_window = std::make_unique<MainWindow>();
        // The camera may start serving after the window's first look: ask again until listed.
        QTRY_VERIFY_WITH_TIMEOUT((m_window->OnTimer(), listWidget(*m_window)->count() == 1), 30000);
    }

    void cleanup()
    {
        m_window.reset();
        m_camera.reset();
    }

    void listedOpenedStreamedClosedAndReopened()
    {
        const QString name = listWidget(*m_window)->item(0)->text();
        QVERIFY2(name.contains(QLatin1String(kSerial)), qPrintable(name));
        openListedCamera();
        const QString id = m_window->cameraId();
        OSizeInfo size{};
        QCOMPARE(OrvantaGetSizeInfo(m_window->cameraHandle(), &size), int(ORVANTA_OK));
        QVERIFY(size.width > 0 && size.height > 0);
        QCOMPARE(
            m_window->windowTitle(),
            QStringLiteral("OrvantaViewer - %1 %2x%3").arg(id).arg(size.width).arg(size.height));
        QVERIFY(logContains(*m_window, QStringLiteral("Success open camera[%1] %2x%3")
                                           .arg(id)
                                           .arg(size.width)
                                           .arg(size.height)));

        DisplayedPictures shown(*m_window);
        streamUntilCounted(1);
        CHECK_STATES(*m_window, Session::Acquiring);
        QTRY_VERIFY_WITH_TIMEOUT(shownCount(*m_window) >= 5, 30000);
        const qint64 early = shownCount(*m_window);
        QTRY_VERIFY_WITH_TIMEOUT(shownCount(*m_window) > early + 5, 30000);
        double fps = 0;
        double mbps = 0;
        QTRY_VERIFY_WITH_TIMEOUT(shownRate(*m_window, &fps, &mbps), 30000);
        // The data rate follows the frames' own geometry (Mono8 unless the camera says else).
        char format[ORVANTA_NODE_TEXT_SIZE] = {};
        OrvantaGetNodeString(m_window->cameraHandle(), "PixelFormat", format);
        if (qstrcmp(format, "Mono8") == 0) {
            const double megabytesPerFrame = double(size.width) * size.height / (1024.0 * 1024.0);
            QVERIFY2(qAbs(mbps - fps * megabytesPerFrame) < 0.15,
                     qPrintable(QStringLiteral("%1 fps %2 MB/s").arg(fps).arg(mbps)));
        }
        QTRY_VERIFY_WITH_TIMEOUT(shown.total > 0, 10000);
        QCOMPARE(shown.images.last().size(), QSize(size.width, size.height));

        action(*m_window, "actionStop")->trigger();
        QVERIFY(!m_window->isAcquiring());
        CHECK_STATES(*m_window, Session::Open);
        QCOMPARE(label(*m_window, "laRate"), kStopText);
        const quint64 stopped = m_window->receivedFrameCount();
        QTRY_COMPARE(label(*m_window, "laCount"), countText(stopped));
        QTest::qWait(500);
        QCOMPARE(m_window->receivedFrameCount(), stopped);

        action(*m_window, "actionClose")->trigger();
        QVERIFY(!m_window->cameraHandle());
        CHECK_STATES(*m_window, Session::NoCamera);
        QVERIFY(logContains(*m_window, QStringLiteral("close Camera[%1]").arg(id)));
        // Closing released the camera: it stays listed and opens and streams again.
        m_window->OnTimer();
        QTest::qWait(1000);
        QCOMPARE(listWidget(*m_window)->count(), 1);
        openListedCamera();
        QCOMPARE(m_window->cameraId(), id);
        streamUntilCounted(stopped + 3);
        action(*m_window, "actionClose")->trigger();
        QVERIFY(!m_window->isAcquiring());
        QVERIFY(!m_window->cameraHandle());
    }

    // RGB8 is shown as the camera's picture, not as the view's empty background.
    void rgb8IsShownAsThePicture()
    {
        openListedCamera();
        QCOMPARE(OrvantaSetPixelFormatStr(m_window->cameraHandle(), "RGB8"), int(ORVANTA_OK));
        streamUntilCounted(3);
        auto* view = m_window->findChild<QGraphicsView*>(QStringLiteral("graphicsView"));
        QVERIFY(view && view->scene());
        const auto shownPicture = [view] {
            for (QGraphicsItem* item : view->scene()->items()) {
                if (auto* p = dynamic_cast<QGraphicsPixmapItem*>(item)) {
                    return p->pixmap().toImage().convertToFormat(QImage::Format_RGB888);
                }
            }
            return QImage();
        };
        QTRY_VERIFY_WITH_TIMEOUT(!shownPicture().isNull(), 10000);
        m_window->slotStopCamera();
        const QImage picture = shownPicture();
        const QColor background = view->backgroundBrush().style() == Qt::NoBrush
                                      ? view->palette().color(QPalette::Base)
                                      : view->backgroundBrush().color();
        double mean = 0;
        for (int y = 0; y < picture.height(); ++y) {
            const uchar* row = picture.constScanLine(y);
            for (int x = 0; x < picture.width() * 3; ++x) {
                mean += row[x];
            }
        }
        mean /= double(picture.width()) * picture.height() * 3;
        const double backgroundMean =
            (background.red() + background.green() + background.blue()) / 3.0;
        QVERIFY2(
            qAbs(mean - backgroundMean) > 20,
            qPrintable(
                QStringLiteral("picture mean %1, background %2").arg(mean).arg(backgroundMean)));
    }

    void softwareTriggerFromTheDockDeliversOneFramePerTrigger()
    {
        openListedCamera();
        action(*m_window, "actionShowCameraControl")->trigger();
        auto* enable = dockWidget<QCheckBox>("chkTriEnabled");
        QVERIFY(!enable->isChecked()); // the fake camera starts free-running
        enable->click();
        QVERIFY(enable->isChecked());
        auto* source = dockWidget<QComboBox>("cmbTriSource");
        QVERIFY(source->isEnabled());
        QVERIFY2(source->findText(QStringLiteral("Software")) >= 0,
                 qPrintable(QStringLiteral("sources: %1").arg(source->count())));
        // Chosen with the keyboard, which reports every step as activated like a user's choice.
        for (int i = 0; i < source->count() && source->currentText() != QLatin1String("Software");
             ++i) {
            QTest::keyClick(source, source->currentIndex() < source->findText("Software")
                                        ? Qt::Key_Down
                                        : Qt::Key_Up);
        }
        QCOMPARE(source->currentText(), QStringLiteral("Software"));
        char text[ORVANTA_TEXT_SIZE] = {};
        QCOMPARE(OrvantaGetTriggerSourceStr(m_window->cameraHandle(), text), int(ORVANTA_OK));
        QCOMPARE(QString::fromLatin1(text), QStringLiteral("Software"));

        m_window->slotStartCamera();
        QVERIFY(m_window->isAcquiring());
        QTest::qWait(1000);
        QCOMPARE(m_window->receivedFrameCount(), quint64(0));
        auto* fire = dockWidget<QPushButton>("btnRunSWTri");
        for (int trigger = 1; trigger <= 3; ++trigger) {
            // Each trigger restarts the count: it shows the frames of this trigger.
            QTest::mouseClick(fire, Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(m_window->receivedFrameCount() >= 1, 10000);
            QTest::qWait(500);
            QCOMPARE(m_window->receivedFrameCount(), quint64(1));
            QTRY_COMPARE(label(*m_window, "laCount"), countText(1));
        }
        m_window->slotStopCamera();
        QVERIFY(!m_window->isAcquiring());
    }

    // The fake camera lacks gamma, black level, hue and white balance: those controls are
    // disabled, not live controls whose values go nowhere.
    void controlsOfFeaturesTheCameraLacksAreDisabled()
    {
        openListedCamera();
        QStringList unsupported;
        for (QWidget* widget : m_window->cameraCtrl()->findChildren<QWidget*>())
            if (widget->toolTip() == QLatin1String("Not supported by this camera") &&
                !widget->isEnabled())
                unsupported << widget->objectName();
        // The fake camera has no trigger delay, parameter or filter, no strobe and no user sets.
        for (const char* name :
             {"spiGamma", "sliGamma", "spiBlackLevel", "spiHue", "cmbWB", "spTriPara", "spTriDelay",
              "spTrNoiseFilter", "chkStroEnabled", "cmbStroMode", "cmbStroPol", "spStroDelay",
              "spStroDuration", "cmbUserSet", "btnUserSetSave", "btnUserSetLoad", "btnUserSetPW"})
            QVERIFY2(unsupported.contains(QLatin1String(name)), qPrintable(unsupported.join(' ')));
        for (const char* name : {"spiGain", "spiShutter", "spiFrameRate", "cbPixelFormat",
                                 "chkTriEnabled", "cmbTriMode", "cmbTriSource", "cmbTriPol"})
            QVERIFY2(dockWidget<QWidget>(name)->isEnabled() &&
                         !unsupported.contains(QLatin1String(name)),
                     name);
        // Apply writes the trigger features the camera has, and nothing is refused.
        dockWidget<QPushButton>("btnApply")->click();
        QCOMPARE(dockWidget<QLabel>("laCtrlStatus")->text(), QString());
    }

    void unpluggedCameraIsClosedByTheDiscoveryTimer()
    {
        openListedCamera();
        const QString id = m_window->cameraId();
        streamUntilCounted(3);
        GuiLatencyProbe probe;
        m_camera.reset(); // the camera process ends mid-stream: unplugged
        // No help from the test: the window's own discovery timer notices the loss.
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->cameraHandle(), 60000);
        QVERIFY(!m_window->isAcquiring());
        CHECK_STATES(*m_window, Session::NoCamera);
        QVERIFY(logContains(*m_window, QStringLiteral("camera %1 disconnected").arg(id)));
        QVERIFY(logContains(*m_window, QStringLiteral("close Camera[%1]").arg(id)));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("OrvantaViewer"));
        // The dead camera's stop and close go on behind the window, which keeps answering: on
        // the GUI thread they would hold it for seconds. The bound leaves room for tests that
        // run beside this one.
        QTest::qWait(1500);
        QVERIFY2(probe.longestMs() < 500, qPrintable(QString::number(probe.longestMs())));
        QTRY_COMPARE_WITH_TIMEOUT(listWidget(*m_window)->count(), 0, 30000);
        QCOMPARE(label(*m_window, "laRate"), kStopText);
    }

    // On a network that loses 5 % of the stream packets the viewer keeps streaming whole frames
    // and the statistics dock shows the losses in red.
    void lossyNetworkKeepsTheViewerStreaming()
    {
        openListedCamera();
        // Frames of about a dozen packets: about half of them arrive whole.
        QCOMPARE(OrvantaSetSizeInfo(m_window->cameraHandle(), OSizeInfo{0, 0, 256, 64, 0, 0}),
                 int(ORVANTA_OK));
        auto* stats = m_window->findChild<StreamStatisticsDock*>();
        stats->show();
        streamUntilCounted(20);
        const quint64 early = m_window->receivedFrameCount();
        QTest::qWait(5000);
        QVERIFY(m_window->isAcquiring());
        QVERIFY(m_window->receivedFrameCount() > early + 10);
        m_window->slotStopCamera();
        stats->refresh();
        bool alarm = false;
        QVERIFY(stats->shownValue(QStringLiteral("Incomplete"), &alarm).toInt() > 0);
        QVERIFY(alarm);
        QVERIFY(stats->shownValue(QStringLiteral("Packets missing")).toInt() > 0);
        QCOMPARE(stats->shownValue(QStringLiteral("Delivered")),
                 QString::number(m_window->receivedFrameCount()));
    }
};

// The cases that mostly wait (for an unplugged camera to be noticed, through a lossy stream)
// run beside other tests; the others stream at full rate and run alone. "--waiting" runs the
// first group, "--streaming" the second, neither runs all; other arguments go to Qt Test.
namespace {
const char* const kWaitingCases[] = {"unpluggedCameraIsClosedByTheDiscoveryTimer",
                                     "lossyNetworkKeepsTheViewerStreaming"};

QStringList casesOf(const QMetaObject& test, bool waiting)
{
    const QStringList fixture = {"initTestCase", "init", "cleanup", "cleanupTestCase"};
    QStringList cases;
    for (int i = test.methodOffset(); i < test.methodCount(); ++i) {
        const QMetaMethod method = test.method(i);
        const QString name = QString::fromLatin1(method.name());
        if (method.methodType() != QMetaMethod::Slot || method.access() != QMetaMethod::Private ||
            fixture.contains(name))
            continue;
        if (std::any_of(std::begin(kWaitingCases), std::end(kWaitingCases),
                        [&](const char* c) { return name == QLatin1String(c); }) == waiting)
            cases << name;
    }
    return cases;
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestMainWindowAravis test;
    QStringList args = app.arguments();
    for (const bool waiting : {true, false}) {
        if (!args.removeAll(waiting ? QStringLiteral("--waiting") : QStringLiteral("--streaming")))
            continue;
        const QStringList cases = casesOf(test.staticMetaObject, waiting);
        if (cases.isEmpty()) // Qt Test would run every case
            qFatal("no test function of this group");
        args << cases;
    }
    return QTest::qExec(&test, args);
}
#include "tst_mainwindow_aravis.moc"
