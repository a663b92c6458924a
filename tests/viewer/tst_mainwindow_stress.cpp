// Repeated sessions: open, Play, Stop, close and re-open while the discovery timer runs.
// Leaks, hangs and use-after-free show up here under AddressSanitizer.
#include "tst_mainwindow_util.h"

using namespace mwtest;

class TestMainWindowStress : public QObject
{
    Q_OBJECT

private slots:
    void repeatedSessionsWithDiscoveryRunning()
    {
        // Fewer cycles under the sanitizers, where each one is several times slower.
        const int cycles = qEnvironmentVariableIsSet("ORVANTA_STRESS_CYCLES")
                               ? qEnvironmentVariableIntValue("ORVANTA_STRESS_CYCLES")
                               : 200;
        auto w = makeWindow("mono:1,color:1");
        const QString id = sdkCameraId(0);
        auto* timer = w->findChild<QTimer*>(QStringLiteral("discoveryTimer"));
        QVERIFY(timer && timer->isActive());
        timer->setInterval(50); // many discoveries during the run
        OSizeInfo roi = {0, 0, 320, 240, 0, 0};

        for (int i = 0; i < cycles; ++i) {
            w->slotOpenCamera(0);
            QVERIFY2(w->cameraHandle(), qPrintable(QString::number(i)));
            OrvantaSetSizeInfo(w->cameraHandle(), roi);
            w->slotStartCamera();
            QVERIFY(QTest::qWaitFor([&] { return w->receivedFrameCount() >= 2; }, 10000));
            if (i % 3 == 0) {
                w->slotOneGrab(); // refused while streaming
            }
            w->slotStopCamera();
            QCOMPARE(label(*w, "laRate"), QStringLiteral("               0.0 fps (0.0 MB/s)"));
            if (i % 2 == 0) {
                w->slotCloseCamera();
                QVERIFY(!w->cameraHandle());
            } else {
                w->slotOpenCamera(0); // re-open from the open state: SDK-level close first
            }
            QCoreApplication::processEvents();
        }
        w->slotCloseCamera();
        QVERIFY(!w->isAcquiring());
        QVERIFY(w->cameraId().isEmpty());
    }

    void destroyingWhileStreamingStopsAndCloses()
    {
        auto w = makeWindow("mono:1");
        w->slotOpenCamera(0);
        w->slotStartCamera();
        QTRY_VERIFY(w->receivedFrameCount() > 0);
        w.reset(); // joins the display thread and closes the session before the SDK goes
        OrvantaInit();
        int n = 0;
        OrvantaNumberOfCameras(&n);
        QCOMPARE(n, 1);
        char id[ORVANTA_TEXT_SIZE] = {};
        OrvantaGetCameraID(0, id);
        OrvantaHandle h = nullptr;
        QCOMPARE(OrvantaOpenCamera(id, &h), int(ORVANTA_OK)); // not left busy
        OrvantaCloseCamera(h);
        OrvantaUninit();
    }
};

QTEST_MAIN(TestMainWindowStress)
#include "tst_mainwindow_stress.moc"
