// Main window session: action states, titles, open errors, discovery closing a vanished
// camera, reset, and opening another camera while one streams.
#include "tst_mainwindow_util.h"

#include <QPushButton>
#include <QTreeView>

#include "cameractrl.h"
#include "treemodel.h"
#include "xmlctrl.h"

using namespace mwtest;

class TestMainWindowSession : public QObject
{
    Q_OBJECT

private slots:
    void startUpShowsNoCameraState()
    {
        auto w = makeWindow("mono:1");
        QCOMPARE(w->windowTitle(), QStringLiteral("OrvantaViewer"));
        CHECK_STATES(*w, Session::NoCamera);
        QVERIFY(logContains(*w, QStringLiteral("] Start orvantaviewer")));
        QCOMPARE(label(*w, "laCount"), QStringLiteral("Recv :                 0"));
        QCOMPARE(label(*w, "laRate"),
                 QStringLiteral("                         0.0 fps (0.0 MB/s)"));
        // Without a camera the control dock stays hidden: both actions that show it are off.
        QVERIFY(w->cameraCtrl()->isHidden());
        QVERIFY(!action(*w, "actionShowCameraControl")->isEnabled());
        QVERIFY(!w->cameraCtrl()->toggleViewAction()->isEnabled());
    }

    void sessionStatesAndTitles()
    {
        auto w = makeWindow("mono:1");
        const QString id = sdkCameraId(0);
        w->slotOpenCamera(0);
        QVERIFY(w->cameraHandle());
        QCOMPARE(w->cameraId(), id);
        QCOMPARE(w->windowTitle(), QStringLiteral("OrvantaViewer - %1 1280x1024").arg(id));
        QVERIFY(logContains(*w, QStringLiteral("Success open camera[%1] 1280x1024").arg(id)));
        CHECK_STATES(*w, Session::Open);
        QVERIFY(!w->cameraList()->findChild<QListWidget*>()->isEnabled());

        action(*w, "actionPlay")->trigger();
        QVERIFY(w->isAcquiring());
        CHECK_STATES(*w, Session::Acquiring);
        QVERIFY(logContains(*w, QStringLiteral("start stream Camera[%1]").arg(id)));

        action(*w, "actionStop")->trigger();
        QVERIFY(!w->isAcquiring());
        CHECK_STATES(*w, Session::Open);
        QVERIFY(logContains(*w, QStringLiteral("stop steam Camera[%1]").arg(id)));

        action(*w, "actionClose")->trigger();
        QVERIFY(!w->cameraHandle());
        QVERIFY(w->cameraId().isEmpty());
        CHECK_STATES(*w, Session::NoCamera);
        QVERIFY(logContains(*w, QStringLiteral("close Camera[%1]").arg(id)));
        // The title keeps the last camera until the next open.
        QCOMPARE(w->windowTitle(), QStringLiteral("OrvantaViewer - %1 1280x1024").arg(id));
        QVERIFY(w->cameraList()->findChild<QListWidget*>()->isEnabled());
    }

    void openWithoutCurrentRowDoesNothing()
    {
        // One listed camera never clicked: no current row, so Open does nothing at all.
        auto w = makeWindow("mono:1");
        action(*w, "actionOpen")->trigger();
        QVERIFY(!w->cameraHandle());
        CHECK_STATES(*w, Session::NoCamera);
    }

    void openErrorShowsBoxAndLog()
    {
        auto w = makeWindow("noopen:1");
        const QString id = sdkCameraId(0);
        MessageBoxAnswer box(QMessageBox::Ok);
        w->slotOpenCamera(0);
        QVERIFY(box.seen);
        QCOMPARE(box.title, QStringLiteral("error"));
        QCOMPARE(box.text, QStringLiteral("%1 open error").arg(id));
        QVERIFY(lastLog(*w).endsWith(QStringLiteral("] %1 open error").arg(id)));
        // The reason comes first, with the SDK's own words.
        QVERIFY(logContains(
            *w, QStringLiteral("open camera %1: %2")
                    .arg(id, QLatin1String(OrvantaStatusText(ORVANTA_ERR_OPEN_FAILED)))));
        QVERIFY(!w->cameraHandle());
        CHECK_STATES(*w, Session::NoCamera);
    }

    void vanishedCameraIsClosedByDiscovery()
    {
        auto w = makeWindow("mono:1");
        const QString id = sdkCameraId(0);
        w->slotOpenCamera(0);
        // A command node's editor (the "Excute" button) is on show when the camera goes.
        TreeModel* model = w->xmlCtrl()->model();
        const QModelIndexList command =
            model->match(model->index(0, 0), Qt::DisplayRole, QStringLiteral("TriggerSoftware"), 1,
                         Qt::MatchExactly | Qt::MatchRecursive);
        QVERIFY(!command.isEmpty());
        emit w->xmlCtrl()->findChild<QTreeView*>()->clicked(command.first());
        QVERIFY(!w->xmlCtrl()->findChildren<QPushButton*>().first()->isHidden());
        w->slotStartCamera();
        QTRY_VERIFY(w->receivedFrameCount() > 0);
        OrvantaSimUnplugCamera(id.toLatin1().constData());
        w->OnTimer();
        QTRY_VERIFY_WITH_TIMEOUT(!w->cameraHandle(), 10000);
        QVERIFY(!w->isAcquiring());
        CHECK_STATES(*w, Session::NoCamera);
        QVERIFY(logContains(*w, QStringLiteral("close Camera[%1]").arg(id)));
        // The window says why and keeps nothing of the camera: title, feature tree, editor.
        QVERIFY(logContains(*w, QStringLiteral("camera %1 disconnected").arg(id)));
        QCOMPARE(w->windowTitle(), QStringLiteral("OrvantaViewer"));
        QVERIFY(!w->xmlCtrl()->model());
        QVERIFY(w->xmlCtrl()->findChildren<QPushButton*>().first()->isHidden());
    }

    void secondCameraKeepsSessionOpen()
    {
        auto w = makeWindow("mono:1");
        w->slotOpenCamera(0);
        char added[ORVANTA_TEXT_SIZE] = {};
        QCOMPARE(OrvantaSimPlugCamera("color", added), int(ORVANTA_OK));
        auto* list = w->cameraList()->findChild<QListWidget*>();
        w->OnTimer();
        QTRY_COMPARE(list->count(), 2);
        QTest::qWait(100); // the main-thread half of the discovery
        QVERIFY(w->cameraHandle());
        CHECK_STATES(*w, Session::Open);
    }

    void resetAsksForConfirmation()
    {
        auto w = makeWindow("mono:1");
        w->slotOpenCamera(0);
        {
            MessageBoxAnswer no(QMessageBox::No);
            action(*w, "actionCameraReset")->trigger();
            QVERIFY(no.seen);
            QCOMPARE(no.title, QStringLiteral("Confirm"));
            QCOMPARE(no.text, QStringLiteral("Do you want to reboot camera?"));
        }
        QVERIFY(w->cameraHandle());

        w->slotStartCamera(); // resetting a streaming camera ends the stream first
        MessageBoxAnswer yes(QMessageBox::Yes);
        action(*w, "actionCameraReset")->trigger();
        QVERIFY(yes.seen);
        QVERIFY(!w->cameraHandle());
        QVERIFY(!w->isAcquiring());
        CHECK_STATES(*w, Session::NoCamera);
    }

    void cameraWithNucModeOpensWithoutControl()
    {
        auto w = makeWindow("thermal:1");
        w->slotOpenCamera(0);
        QVERIFY(w->cameraHandle());
        QVERIFY(!action(*w, "actionControl")->isEnabled());
        QVERIFY(!action(*w, "actionShowCameraControl")->isEnabled()); // nor through the menu
        QVERIFY(w->cameraCtrl()->isHidden());
    }

    void openingAnotherCameraWhileStreamingStopsTheStream()
    {
        auto w = makeWindow("mono:2");
        const QString second = sdkCameraId(1);
        w->slotOpenCamera(0);
        w->slotStartCamera();
        QTRY_VERIFY(w->receivedFrameCount() > 0);
        w->slotOpenCamera(1);
        QVERIFY(!w->isAcquiring());
        QCOMPARE(w->cameraId(), second);
        CHECK_STATES(*w, Session::Open);

        w->slotStartCamera();
        QTRY_VERIFY(w->receivedFrameCount() > 0);
        w->slotStopCamera();
        QTRY_COMPARE(label(*w, "laCount"),
                     QStringLiteral("Recv :                 %1").arg(deliveredFrames(second)));
    }
};

QTEST_MAIN(TestMainWindowSession)
#include "tst_mainwindow_session.moc"
