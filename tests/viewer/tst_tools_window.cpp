// The feature tree dock and the register dialog inside the real main window: the tree and
// the dialog follow the session, the reload signals reach the control dock, and
// "UserSetLoad" stops and restarts a running stream around the command.
#include <QAbstractProxyModel>
#include <QLineEdit>
#include <QPointer>
#include <QSpinBox>
#include <QTreeView>
#include <QtTest>

#include "accessregister.h"
#include "cameractrl.h"
#include "featurefiles.h"
#include "treemodel.h"
#include "tst_mainwindow_util.h"
#include "xmlctrl.h"

namespace {
QStringList topLevelNames(const QAbstractItemModel* model)
{
    QStringList names;
    for (int row = 0; model && row < model->rowCount(); ++row)
        names << model->index(row, 0).data().toString();
    return names;
}

void clickNode(XMLCtrl* dock, const QString& name)
{
    TreeModel* model = dock->model();
    const QModelIndexList found = model->match(model->index(0, 0), Qt::DisplayRole, name, 1,
                                               Qt::MatchExactly | Qt::MatchRecursive);
    QVERIFY2(!found.isEmpty(), qPrintable(name));
    emit dock->findChild<QTreeView*>(QStringLiteral("treeXML"))->clicked(found.first());
    QCOMPARE(dock->currentNodeName(), name);
}
} // namespace

class TstToolsWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("ORVANTA_BACKENDS", "simulated"); }
    void treeFollowsSession();
    void registerDialogPerCamera();
    void treeEditReachesControlDock();
    void userSetLoadRestartsStream();
    void featureFilesCarrySettingsToAnotherCamera();
};

void TstToolsWindow::treeFollowsSession()
{
    auto w = mwtest::makeWindow("color:1,mono:1");
    XMLCtrl* dock = w->xmlCtrl();
    auto* view = dock->findChild<QTreeView*>(QStringLiteral("treeXML"));
    QVERIFY(!dock->model());

    w->slotOpenCamera(0);
    QVERIFY(w->cameraHandle());
    QPointer<TreeModel> first = dock->model();
    auto* filter = qobject_cast<QAbstractProxyModel*>(view->model()); // the dock's tree filter
    QVERIFY(filter);
    QCOMPARE(filter->sourceModel(), first.data());
    const bool firstIsColour =
        topLevelNames(first).contains(QStringLiteral("ColorProcessingControl"));

    w->slotOpenCamera(1);
    QVERIFY(first.isNull());
    QCOMPARE(filter->sourceModel(), dock->model());
    QVERIFY(topLevelNames(dock->model()).contains(QStringLiteral("AnalogControl")));
    QCOMPARE(topLevelNames(dock->model()).contains(QStringLiteral("ColorProcessingControl")),
             !firstIsColour);

    w->slotCloseCamera();
    QVERIFY(!dock->model());
    QCOMPARE(view->model()->rowCount(), 0);
}

void TstToolsWindow::registerDialogPerCamera()
{
    auto w = mwtest::makeWindow("mono:2");
    QVERIFY(!w->findChild<AccessRegister*>());
    w->slotOpenCamera(0);
    QPointer<AccessRegister> first = w->findChild<AccessRegister*>();
    QVERIFY(first);
    QVERIFY(first->isHidden());
    w->slotAccessRegister();
    QVERIFY(first->isVisible());
    first->findChild<QLineEdit*>(QStringLiteral("edAddr"))->setText(QStringLiteral("10"));
    first->findChild<QLineEdit*>(QStringLiteral("edData"))->setText(QStringLiteral("ff"));

    w->slotOpenCamera(1);
    QTRY_VERIFY(first.isNull());
    const QList<AccessRegister*> dialogs = w->findChildren<AccessRegister*>();
    QCOMPARE(dialogs.size(), 1);
    AccessRegister* second = dialogs.first();
    QVERIFY(second->isHidden());
    QCOMPARE(second->findChild<QLineEdit*>(QStringLiteral("edAddr"))->text(), QString());
    QCOMPARE(second->findChild<QLineEdit*>(QStringLiteral("edData"))->text(), QString());

    // The new dialog talks to the new camera.
    second->findChild<QLineEdit*>(QStringLiteral("edAddr"))->setText(QStringLiteral("10"));
    QMetaObject::invokeMethod(second, "on_btnRead_clicked");
    QCOMPARE(second->findChild<QLineEdit*>(QStringLiteral("edData"))->text(),
             QStringLiteral("00010000"));

    w->slotCloseCamera();
    QTRY_VERIFY(w->findChildren<AccessRegister*>().isEmpty());
}

void TstToolsWindow::treeEditReachesControlDock()
{
    auto w = mwtest::makeWindow("mono:1");
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    w->slotOpenCamera(0);
    auto* gainSpin = w->cameraCtrl()->findChild<QSpinBox*>(QStringLiteral("spiGain"));
    QVERIFY(gainSpin);
    QCOMPARE(gainSpin->value(), 0);

    XMLCtrl* dock = w->xmlCtrl();
    clickNode(dock, QStringLiteral("Gain"));
    auto* edit = dock->findChild<QLineEdit*>(QStringLiteral("edXMLValue"));
    edit->setText(QStringLiteral("37"));
    edit->setFocus();
    QCOMPARE(dock->focusWidget(), edit);
    QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(edit->text(), QStringLiteral("37"));
    QCOMPARE(gainSpin->value(), 37);
}

void TstToolsWindow::userSetLoadRestartsStream()
{
    auto w = mwtest::makeWindow("mono:1");
    w->slotOpenCamera(0);
    OrvantaHandle handle = w->cameraHandle();
    QCOMPARE(OrvantaSetNodeInt(handle, "BlackLevel", 99), int(ORVANTA_OK));
    char selector[] = "Default";
    QCOMPARE(OrvantaSetNodeString(handle, "UserSetSelector", selector), int(ORVANTA_OK));

    XMLCtrl* dock = w->xmlCtrl();
    QStringList events;
    auto note = [&](const char* name) {
        events << QStringLiteral("%1%2").arg(QLatin1String(name),
                                             w->isAcquiring() ? " while streaming" : "");
    };
    connect(dock, &XMLCtrl::sigUpdateFeatureInfo, [&](bool update) {
        QVERIFY(!update);
        note("feature");
    });
    connect(dock, &XMLCtrl::sigUpdateVideoInfo, [&] { note("video"); });
    connect(dock, &XMLCtrl::sigUpdateTriggerInfo, [&] { note("trigger"); });
    connect(dock, &XMLCtrl::sigUpdateStrobeInfo, [&] { note("strobe"); });
    connect(dock, &XMLCtrl::sigUpdateUSerSetInfo, [&] { note("userset"); });

    w->slotStartCamera();
    QVERIFY(w->isAcquiring());
    clickNode(dock, QStringLiteral("UserSetLoad"));
    QMetaObject::invokeMethod(dock, "on_btnXMLExcute_clicked");
    QCOMPARE(events, QStringList({"feature", "video", "trigger", "strobe", "userset"}));
    QVERIFY(w->isAcquiring()); // restarted
    QVERIFY(mwtest::action(*w, "actionStop")->isEnabled());

    // The load ran while the stream was stopped (the camera refuses it while streaming).
    NodeIntInfo black = {};
    QCOMPARE(OrvantaGetNodeInt(handle, "BlackLevel", &black), int(ORVANTA_OK));
    QCOMPARE(black.value, 0);

    // Without a stream nothing is started.
    w->slotStopCamera();
    events.clear();
    QMetaObject::invokeMethod(dock, "on_btnXMLExcute_clicked");
    QCOMPARE(events.size(), 5);
    QVERIFY(!w->isAcquiring());
}

void TstToolsWindow::featureFilesCarrySettingsToAnotherCamera()
{
    auto w = mwtest::makeWindow("color:1,mono:1");
    w->slotOpenCamera(0);
    OrvantaHandle colour = w->cameraHandle();
    QCOMPARE(OrvantaSetNodeInt(colour, "Width", 640), int(ORVANTA_OK));
    QCOMPARE(OrvantaSetNodeInt(colour, "Gain", 40), int(ORVANTA_OK));
    QCOMPARE(OrvantaSetNodeFloat(colour, "AcquisitionFrameRate", 12.25), int(ORVANTA_OK));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("colour.txt"));
    QVERIFY(w->featureFiles()->save(path));
    QVERIFY(mwtest::logContains(*w, QStringLiteral("to ") + path));

    // Loaded into the streaming mono camera: the stream stops for the size, runs again after,
    // the docks show the new values and one box lists what the camera did not take.
    w->slotOpenCamera(1);
    w->slotStartCamera();
    QVERIFY(!w->featureFiles()->load(path));
    QVERIFY(w->isAcquiring());
    QCOMPARE(w->cameraCtrl()->findChild<QSpinBox*>(QStringLiteral("spiGain"))->value(), 40);
    NodeIntInfo width{};
    QCOMPARE(OrvantaGetNodeInt(w->cameraHandle(), "Width", &width), int(ORVANTA_OK));
    QCOMPARE(width.value, 640);
    float rate = 0; // not rounded to the control dock's one decimal
    QCOMPARE(OrvantaGetFrameRate(w->cameraHandle(), &rate), int(ORVANTA_OK));
    QCOMPARE(rate, 12.25f);
    const QList<QMessageBox*> boxes = w->findChildren<QMessageBox*>();
    QCOMPARE(boxes.size(), 1);
    const QString listed = boxes.first()->informativeText();
    QVERIFY2(listed.contains(
                 QRegularExpression(QStringLiteral("^Line \\d+, RedGain: missing on this camera$"),
                                    QRegularExpression::MultilineOption)),
             qPrintable(listed));
    QVERIFY(listed.contains(QStringLiteral("PixelFormat: out of range: no entry BayerGR8")));
    // Eight lines: the six colour features, the format, and the colour sensor's full height,
    // which the mono sensor is too small for.
    QVERIFY(listed.contains(QStringLiteral("Height: out of range: 2048 (allowed 8 to 1024")));
    QCOMPARE(listed.split(QLatin1Char('\n')).size(), 8);
    delete boxes.first();

    QVERIFY(!w->featureFiles()->load(dir.filePath(QStringLiteral("missing.txt"))));
    QVERIFY(w->findChild<QMessageBox*>()->text().contains(
        QStringLiteral("cannot be read: No such file or directory")));
}

QTEST_MAIN(TstToolsWindow)
#include "tst_tools_window.moc"
