// Camera control dock inside the real main window: writes that need the stream stopped stop
// and restart it exactly once, the software trigger zeroes the frame count, switching the
// trigger off resumes the stream, user sets load while streaming.
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtTest>

#include <memory>

#include "cameractrl.h"
#include "mainwindow.h"
#include "sdk/OrvantaAPI.h"
#include "viewerresources.h"

class TestCameraCtrlStream : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<QSignalSpy> m_log;

    CameraCtrl* dock() { return m_window->cameraCtrl(); }
    template <typename T> T* w(const char* name)
    {
        T* widget = dock()->findChild<T*>(QLatin1String(name));
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }
    // Stream stops and starts logged by the window since the last call.
    QPair<int, int> stopsAndStarts()
    {
        int stops = 0, starts = 0;
        for (const QList<QVariant>& args : *m_log) {
            const QString line = args.at(0).toString();
            stops += line.startsWith(QLatin1String("stop st"));
            starts += line.startsWith(QLatin1String("start stream"));
        }
        m_log->clear();
        return {stops, starts};
    }
    void startStream()
    {
        m_window->slotStartCamera();
        QVERIFY(m_window->isAcquiring());
        QTRY_VERIFY_WITH_TIMEOUT(m_window->receivedFrameCount() > 2, 20000);
        m_log->clear();
    }

private slots:
    void init()
    {
        qputenv("ORVANTA_BACKENDS", "simulated");
        qputenv("ORVANTA_SIM_CAMERAS", "mono:1");
        initViewerResources();
        m_window = std::make_unique<MainWindow>();
        m_window->slotOpenCamera(0);
        QVERIFY(m_window->cameraHandle());
        m_log = std::make_unique<QSignalSpy>(m_window.get(), &MainWindow::sigTraceLog);
    }
    void cleanup()
    {
        m_log.reset();
        m_window.reset();
    }

    void applyStopsAndRestartsOnlyWhileStreaming()
    {
        w<QSpinBox>("spiWidth")->setValue(640);
        w<QSpinBox>("spiHeight")->setValue(480);
        QTest::mouseClick(w<QPushButton>("btnROIApply"), Qt::LeftButton);
        QCOMPARE(stopsAndStarts(), qMakePair(0, 0));
        QVERIFY(!m_window->isAcquiring());

        startStream();
        w<QSpinBox>("spiOffsetX")->setValue(128);
        w<QSpinBox>("spiWidth")->setValue(320);
        QTest::mouseClick(w<QPushButton>("btnROIApply"), Qt::LeftButton);
        QCOMPARE(stopsAndStarts(), qMakePair(1, 1));
        QVERIFY(m_window->isAcquiring());
        OSizeInfo s{};
        OrvantaGetSizeInfo(m_window->cameraHandle(), &s);
        QCOMPARE(s.xOffset, 128); // written while the stream was stopped
        QCOMPARE(s.width, 320);
        m_window->slotStopCamera();
    }

    void reloadsAndFormatChangesWrapTheStream()
    {
        startStream();
        dock()->loadVideoInfo(); // writes the current pixel format back once
        QCOMPARE(stopsAndStarts(), qMakePair(1, 1));
        auto* format = w<QComboBox>("cbPixelFormat");
        const int index = format->findText(QStringLiteral("Mono12"));
        format->setCurrentIndex(index);
        QMetaObject::invokeMethod(format, "activated", Q_ARG(QString, format->itemText(index)));
        QCOMPARE(stopsAndStarts(), qMakePair(1, 1));
        QVERIFY(m_window->isAcquiring());
        char text[ORVANTA_TEXT_SIZE] = {};
        OrvantaGetPixelFormatStr(m_window->cameraHandle(), text);
        QCOMPARE(QString::fromLatin1(text), QStringLiteral("Mono12"));
        m_window->slotStopCamera();
    }

    void fireTriggerZeroesTheFrameCount()
    {
        startStream();
        QTRY_VERIFY_WITH_TIMEOUT(m_window->receivedFrameCount() > 10, 20000);
        const quint64 before = m_window->receivedFrameCount();
        QTest::mouseClick(w<QPushButton>("btnRunSWTri"), Qt::LeftButton);
        QVERIFY(m_window->receivedFrameCount() < before);
        QCOMPARE(stopsAndStarts(), qMakePair(0, 0)); // the stream keeps running
        m_window->slotStopCamera();
    }

    // The user's way: tick Enable (the stream then waits for triggers), untick it and press
    // Apply: frames flow again without Fire Trigger or Stop/Play.
    void triggerSwitchedOffInTheDockResumesTheStream()
    {
        startStream();
        auto* enable = w<QCheckBox>("chkTriEnabled");
        enable->click();
        QVERIFY(enable->isChecked());
        QTest::mouseClick(w<QPushButton>("btnApply"), Qt::LeftButton);
        QTest::qWait(300); // frames already on their way
        const quint64 waiting = m_window->receivedFrameCount();
        QTest::qWait(500);
        QCOMPARE(m_window->receivedFrameCount(), waiting); // no trigger, no frame
        enable->click();
        QTest::mouseClick(w<QPushButton>("btnApply"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(m_window->receivedFrameCount() > waiting + 2, 5000);
        QVERIFY(m_window->isAcquiring());
        m_window->slotStopCamera();
    }

    void userSetLoadWhileStreamingReloadsTheDock()
    {
        auto* gain = w<QSpinBox>("spiGain");
        auto* sets = w<QComboBox>("cmbUserSet");
        sets->setCurrentText(QStringLiteral("UserSet2"));
        gain->setValue(33);
        QTest::mouseClick(w<QPushButton>("btnUserSetSave"), Qt::LeftButton);
        gain->setValue(44);

        startStream();
        sets->setCurrentText(QStringLiteral("UserSet2"));
        QTest::mouseClick(w<QPushButton>("btnUserSetLoad"), Qt::LeftButton);
        QCOMPARE(stopsAndStarts(), qMakePair(1, 1));
        QVERIFY(m_window->isAcquiring());
        QCOMPARE(gain->value(), 33);
        int value = 0;
        bool autoOn = false;
        OrvantaGetGain(m_window->cameraHandle(), &value, &autoOn);
        QCOMPARE(value, 33);

        // Feature Default the same way: factory gain back, one stop and one start.
        QTest::mouseClick(w<QPushButton>("btnWBDefault"), Qt::LeftButton);
        QCOMPARE(stopsAndStarts(), qMakePair(1, 1));
        OrvantaGetGain(m_window->cameraHandle(), &value, &autoOn);
        QCOMPARE(gain->value(), value);
        QVERIFY(value != 33);
        m_window->slotStopCamera();
    }
};

QTEST_MAIN(TestCameraCtrlStream)
#include "tst_cameractrl_stream.moc"
