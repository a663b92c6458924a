// The camera session without widgets, against simulated cameras: a refused start, stop and
// counting, a vanished camera, triggered frames and trigger off, and the rate after a stall
// and at a slow frame rate; and the queued call that carries the session's events from the
// camera's threads.
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#include <atomic>
#include <memory>
#include <thread>

#include "queuedcall.h"
#include "simcamera.h"

namespace {
// The fps of every rateChanged so far.
QList<double> rates(const QSignalSpy& spy)
{
    QList<double> fps;
    for (const QList<QVariant>& args : spy)
        fps << args.at(0).toDouble();
    return fps;
}

// A mono camera streaming a small region: its pictures stay below the size from which Qt
// converts them on its own thread pool, whose synchronisation ThreadSanitizer cannot see.
std::unique_ptr<simtest::Camera> smallCamera()
{
    auto cam = std::make_unique<simtest::Camera>("mono");
    const OSizeInfo roi{0, 0, 320, 64, 0, 0};
    if (OrvantaSetSizeInfo(cam->handle(), roi) != ORVANTA_OK)
        qFatal("no small region");
    return cam;
}

quint64 delivered(const char* id)
{
    uint64_t n = 0;
    OrvantaSimGetDeliveredFrames(id, &n);
    return n;
}
} // namespace

class TestCameraSession : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { simtest::initSimulatedOnly(); }
    void cleanupTestCase() { OrvantaUninit(); }

    // Posted from a plain thread that is not joined until the calls are handled, and whose
    // flags are relaxed, so only the call's own hand-over orders its captured values (the
    // ThreadSanitizer build checks that).
    void queuedCallRunsOnTheReceiversThreadOrReleasesWhatItHolds()
    {
        QObject receiver;
        auto* gone = new QObject;
        auto held = std::make_shared<int>(0);
        std::atomic<bool> posted{false}, ran{false};
        QString seen;
        QThread* ranOn = nullptr;
        std::thread poster([&] {
            QueuedCall::post(gone, [held] { ++*held; });
            const QString text = QStringLiteral("frame %1").arg(7);
            QueuedCall::post(&receiver, [&, text] {
                seen = text;
                ranOn = QThread::currentThread();
                ran.store(true, std::memory_order_relaxed);
            });
            posted.store(true, std::memory_order_relaxed);
            while (!ran.load(std::memory_order_relaxed))
                std::this_thread::yield();
        });
        while (!posted.load(std::memory_order_relaxed))
            std::this_thread::yield();
        delete gone; // before its call ran: the call is dropped with what it holds
        QTRY_VERIFY_WITH_TIMEOUT(ran.load(std::memory_order_relaxed), 5000);
        poster.join();
        QCOMPARE(seen, QStringLiteral("frame 7"));
        QCOMPARE(ranOn, QThread::currentThread());
        QCOMPARE(*held, 0);
        QCOMPARE(held.use_count(), 1L);
    }

    void refusedStartLeavesTheCameraOpenedNotStreaming()
    {
        auto cam = smallCamera();
        CameraSession& s = cam->session();
        QSignalSpy errors(&s, &CameraSession::error);
        QSignalSpy streaming(&s, &CameraSession::streamingChanged);
        OrvantaSimUnplugCamera(cam->id()); // the SDK now answers "device failed or vanished"
        QVERIFY(!s.start());
        QVERIFY(s.isOpen());
        QVERIFY(!s.isStreaming());
        QCOMPARE(streaming.count(), 0);
        const QString said = errors.last().at(0).toString();
        const QString reason = QString::fromUtf8(OrvantaStatusText(ORVANTA_ERR_DEVICE));
        QVERIFY2(said.startsWith(QLatin1String("start stream")) && said.endsWith(reason),
                 qPrintable(said));
    }

    void stopCountsEveryDeliveredFrameAndEndsTheDisplay()
    {
        auto cam = smallCamera();
        CameraSession& s = cam->session();
        QSignalSpy counts(&s, &CameraSession::frameCountChanged);
        int pictures = 0; // frameReady comes from the display thread: counted on this one
        QObject receiver;
        connect(
            &s, &CameraSession::frameReady, &receiver, [&] { ++pictures; }, Qt::QueuedConnection);
        const quint64 before = delivered(cam->id());
        QVERIFY(s.start());
        QVERIFY(s.isStreaming());
        QTRY_VERIFY_WITH_TIMEOUT(s.frameCount() >= 10 && pictures >= 2, 10000);
        s.stop();
        QVERIFY(!s.isAcquiring());
        QCOMPARE(s.frameCount(), delivered(cam->id()) - before);
        QCOMPARE(counts.last().at(0).toULongLong(), s.frameCount()); // the final count is shown
        QCoreApplication::processEvents(); // pictures sent before the stop
        const int shown = pictures;
        QTest::qWait(100);
        QCOMPARE(pictures, shown);
        QVERIFY(s.isOpen());
    }

    void vanishedCameraClosesAtOnceWithItsReason()
    {
        auto cam = smallCamera();
        CameraSession& s = cam->session();
        QSignalSpy closed(&s, &CameraSession::closed);
        QSignalSpy streaming(&s, &CameraSession::streamingChanged);
        QVERIFY(s.start());
        QTRY_VERIFY_WITH_TIMEOUT(s.frameCount() > 0, 10000);
        OrvantaSimUnplugCamera(cam->id());
        QElapsedTimer clock;
        clock.start();
        s.closeVanished();
        // Generous: nothing here waits for the camera (the fake-camera test holds 100 ms).
        QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!s.isOpen());
        QVERIFY(!s.isAcquiring());
        QVERIFY(s.cameraId().isEmpty());
        QCOMPARE(streaming.last().at(0).toBool(), false);
        QCOMPARE(closed.count(), 1);
        QCOMPARE(closed.at(0).at(0).toString(),
                 QStringLiteral("camera %1 disconnected").arg(QLatin1String(cam->id())));
        // The session goes on: another camera opens, vanishes, and is let go the same way.
        char other[ORVANTA_TEXT_SIZE] = {};
        QCOMPARE(OrvantaSimPlugCamera("mono", other), int(ORVANTA_OK));
        QVERIFY(s.open(QString::fromLatin1(other)));
        OrvantaSimUnplugCamera(other);
        s.closeVanished();
        QCOMPARE(closed.count(), 2);
        s.waitForIdle();
    }

    void triggeredFramesCountAndTriggerOffResumesTheStream()
    {
        auto cam = smallCamera();
        CameraSession& s = cam->session();
        QCOMPARE(OrvantaSetTriggerEnable(cam->handle(), true), int(ORVANTA_OK));
        QVERIFY(s.start());
        QTest::qWait(200);
        QCOMPARE(s.frameCount(), quint64(0));
        for (quint64 n = 1; n <= 3; ++n) {
            QCOMPARE(OrvantaRunSoftwareTrigger(cam->handle()), int(ORVANTA_OK));
            QTRY_COMPARE_WITH_TIMEOUT(s.frameCount(), n, 5000);
        }
        // Trigger off while streaming: the camera runs free again, with no trigger needed.
        QCOMPARE(OrvantaSetTriggerEnable(cam->handle(), false), int(ORVANTA_OK));
        QTRY_VERIFY_WITH_TIMEOUT(s.frameCount() >= 10, 5000);
        s.stop();
    }

    void rateFallsToZeroWhenFramesStopAndComesBack()
    {
        auto cam = smallCamera();
        CameraSession& s = cam->session();
        QCOMPARE(OrvantaSetFrameRate(cam->handle(), 30), int(ORVANTA_OK));
        QSignalSpy rate(&s, &CameraSession::rateChanged);
        QVERIFY(s.start());
        QTRY_VERIFY_WITH_TIMEOUT(!rate.isEmpty(), 5000);
        QVERIFY2(qAbs(rate.last().at(0).toDouble() - 30) < 5,
                 qPrintable(QString::number(rate.last().at(0).toDouble())));

        OrvantaSimSetDelivering(cam->id(), 0); // a stalled stream
        QElapsedTimer stalled;
        stalled.start();
        rate.clear();
        QTRY_VERIFY_WITH_TIMEOUT(!rate.isEmpty(), 3000);
        QCOMPARE(rates(rate), QList<double>{0.0});
        QVERIFY2(stalled.elapsed() >= 900, qPrintable(QString::number(stalled.elapsed())));
        QTest::qWait(400);
        QCOMPARE(rates(rate), QList<double>{0.0}); // and stays so

        OrvantaSimSetDelivering(cam->id(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(rate.count() >= 2, 3000);
        // The first rate after the stall counts only the frames after it.
        QVERIFY2(qAbs(rate.at(1).at(0).toDouble() - 30) < 5,
                 qPrintable(QString::number(rate.at(1).at(0).toDouble())));
        s.stop();
    }

    void slowStreamShowsItsRateWithinASecondOfItsFirstFrames()
    {
        auto cam = smallCamera();
        CameraSession& s = cam->session();
        QCOMPARE(OrvantaSetFrameRate(cam->handle(), 2), int(ORVANTA_OK));
        QSignalSpy rate(&s, &CameraSession::rateChanged);
        QVERIFY(s.start());
        QTRY_VERIFY_WITH_TIMEOUT(s.frameCount() > 0, 5000);
        QElapsedTimer sinceFirstFrame;
        sinceFirstFrame.start();
        QTRY_VERIFY_WITH_TIMEOUT(!rate.isEmpty(), 3000);
        QVERIFY2(sinceFirstFrame.elapsed() < 1300,
                 qPrintable(QString::number(sinceFirstFrame.elapsed())));
        QVERIFY2(qAbs(rate.first().at(0).toDouble() - 2) < 0.3,
                 qPrintable(QString::number(rate.first().at(0).toDouble())));
        s.stop();
    }
};

QTEST_MAIN(TestCameraSession)
#include "tst_camerasession.moc"
