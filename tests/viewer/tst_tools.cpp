// Log dock, camera list, about box, centre-cross dialog and the zoom view.
#include <QComboBox>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>

#include "aboutdialog.h"
#include "cameralist.h"
#include "drawcenterdlg.h"
#include "logstatus.h"
#include "zoomgraphicsview.h"

namespace {
template <typename T> T* child(QObject* parent, const char* name)
{
    T* found = parent->findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

// What a widget receives from a real double click: press, release, double click, release.
void doubleClick(QWidget* widget, const QPoint& pos)
{
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, pos);
    QTest::mouseDClick(widget, Qt::LeftButton, Qt::NoModifier, pos);
}

void sendWheel(ZoomGraphicsView* view, const QPoint& pos, int delta)
{
    QWheelEvent event(QPointF(pos), QPointF(view->viewport()->mapToGlobal(pos)), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &event);
}

// Every time line the view started has ended (they are its children until deleted).
bool animationsDone(ZoomGraphicsView* view)
{
    return view->findChildren<QTimeLine*>().isEmpty();
}
} // namespace

class TstTools : public QObject
{
    Q_OBJECT

private slots:
    void logLineFormat();
    void logClearsBeyondThousandLines();
    void cameraListCurrentRowRule();
    void cameraListDisabledWhileOpen();
    void aboutBoxTexts();
    void aboutBoxVersionsFromSdkHeader();
    void centreColoursAndApply();
    void centreCrossGeometryAndPainting();
    void zoomSchedulingArithmetic();
    void zoomNotchAnimatesAroundAnchor();
    void zoomReversalAndSettling();
};

void TstTools::logLineFormat()
{
    const QDateTime when(QDate(2026, 12, 7), QTime(9, 5, 3, 42));
    QCOMPARE(LogStatus::formatLine(when, QStringLiteral("Start orvantaviewer")),
             QStringLiteral("[2026-12-7 9:5:3.42] Start orvantaviewer"));
    const QDateTime late(QDate(2026, 1, 31), QTime(23, 59, 59, 999));
    QCOMPARE(LogStatus::formatLine(late, QStringLiteral("x")),
             QStringLiteral("[2026-1-31 23:59:59.999] x"));

    LogStatus log;
    QCOMPARE(log.windowTitle(), QStringLiteral("Log"));
    QCOMPARE(log.allowedAreas(), Qt::BottomDockWidgetArea);
    log.slotTraceLog(QStringLiteral("hello"));
    QCOMPARE(log.lineCount(), 1);
    QVERIFY(
        QRegularExpression(
            QStringLiteral(R"(^\[\d{4}-\d{1,2}-\d{1,2} \d{1,2}:\d{1,2}:\d{1,2}\.\d{1,3}\] hello$)"))
            .match(log.line(0))
            .hasMatch());
}

void TstTools::logClearsBeyondThousandLines()
{
    LogStatus log;
    for (int i = 0; i < 1001; ++i)
        log.slotTraceLog(QString::number(i));
    QCOMPARE(log.lineCount(), 1001);
    QVERIFY(log.line(1000).endsWith(QStringLiteral("] 1000")));
    log.slotTraceLog(QStringLiteral("next"));
    QCOMPARE(log.lineCount(), 1);
    QVERIFY(log.line(0).endsWith(QStringLiteral("] next")));
}

void TstTools::cameraListCurrentRowRule()
{
    CameraList list;
    QCOMPARE(list.windowTitle(), QStringLiteral("Camera List"));
    QCOMPARE(list.currentCameraIdx(), -1);
    list.slotUpdateCameraList({QStringLiteral("only")});
    QCOMPARE(list.currentCameraIdx(), -1);
    list.slotUpdateCameraList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    QCOMPARE(list.currentCameraIdx(), 0);
    child<QListWidget>(&list, "listWidget")->setCurrentRow(2);
    QCOMPARE(list.currentCameraIdx(), 2);
    // A refresh starts over from row 0; with one name again no row is current.
    list.slotUpdateCameraList({QStringLiteral("a"), QStringLiteral("b")});
    QCOMPARE(list.currentCameraIdx(), 0);
    list.slotUpdateCameraList({QStringLiteral("a")});
    QCOMPARE(list.currentCameraIdx(), -1);
    list.slotUpdateCameraList({});
    QCOMPARE(list.currentCameraIdx(), -1);
}

void TstTools::cameraListDisabledWhileOpen()
{
    CameraList list;
    auto* widget = child<QListWidget>(&list, "listWidget");
    QSignalSpy open(&list, &CameraList::sigOpenCamera);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.slotUpdateCameraList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    QCoreApplication::processEvents(); // lets the view lay its items out

    const QPoint second = widget->visualItemRect(widget->item(1)).center();
    doubleClick(widget->viewport(), second);
    QCOMPARE(open.count(), 1);
    QCOMPARE(open.takeFirst().at(0).toInt(), 1);

    list.slotCameraOpened(true);
    QVERIFY(!widget->isEnabled());
    list.slotUpdateCameraList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    QCOMPARE(list.currentCameraIdx(), -1); // no row made current while a camera is open
    doubleClick(widget->viewport(), second);
    QCOMPARE(open.count(), 0);

    list.slotCameraOpened(false);
    QVERIFY(widget->isEnabled());
}

void TstTools::aboutBoxTexts()
{
    QTemporaryDir dir;
    AboutDialog about(nullptr, dir.filePath(QStringLiteral("missing.h")));
    QCOMPARE(about.windowTitle(), QStringLiteral("About OrvantaViewer"));
    QCOMPARE(about.size(), QSize(520, 272));
    QCOMPARE(child<QLabel>(&about, "label")->text(), QStringLiteral("OrvantaViewer v1.2.0.0"));
    QCOMPARE(child<QLabel>(&about, "label_3")->text(), QStringLiteral("Package Version :"));
    QCOMPARE(child<QLabel>(&about, "label_4")->text(), QStringLiteral("Library Version   :"));
    QCOMPARE(child<QLabel>(&about, "label_6")->text(), QStringLiteral("OS Version           : "));
    QCOMPARE(child<QLabel>(&about, "laPackage")->text(), QString());
    QCOMPARE(child<QLabel>(&about, "laLibrary")->text(), QString());
    const QString os = child<QLabel>(&about, "laOS")->text();
    QCOMPARE(os, QStringLiteral("%1, %2 (%3)")
                     .arg(QSysInfo::prettyProductName(), QSysInfo::kernelVersion(),
                          QSysInfo::currentCpuArchitecture()));
    QVERIFY(!QSysInfo::kernelVersion().isEmpty());
}

void TstTools::aboutBoxVersionsFromSdkHeader()
{
    // The SDK's own header carries the version section inside a trailing comment.
    AboutDialog shipped(nullptr, QStringLiteral(ORVANTA_SDK_HEADER));
    QCOMPARE(child<QLabel>(&shipped, "laPackage")->text(), QStringLiteral("1.0.0"));
    QCOMPARE(child<QLabel>(&shipped, "laLibrary")->text(), QStringLiteral("1.0.0"));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("OrvantaAPI.h"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("/*\n[VERSION_INFO]\nPACKAGE_VERSION=2.3.4\n*/\n");
    file.close();
    AboutDialog partial(nullptr, path);
    QCOMPARE(child<QLabel>(&partial, "laPackage")->text(), QStringLiteral("2.3.4"));
    QCOMPARE(child<QLabel>(&partial, "laLibrary")->text(), QString()); // key missing
}

void TstTools::centreColoursAndApply()
{
    QCOMPARE(DrawCenterDlg::colorForIndex(0), QColor(Qt::black));
    QCOMPARE(DrawCenterDlg::colorForIndex(1), QColor(Qt::white));
    QCOMPARE(DrawCenterDlg::colorForIndex(2), QColor(Qt::red));
    QCOMPARE(DrawCenterDlg::colorForIndex(3), QColor(Qt::green));
    QCOMPARE(DrawCenterDlg::colorForIndex(4), QColor(Qt::blue));
    QCOMPARE(DrawCenterDlg::colorForIndex(5), QColor(Qt::red));
    QCOMPARE(DrawCenterDlg::colorForIndex(-1), QColor(Qt::red));

    DrawCenterDlg dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Draw Center"));
    auto* width = child<QSpinBox>(&dlg, "spiWidth");
    auto* colour = child<QComboBox>(&dlg, "comboBox");
    QCOMPARE(width->value(), 2);
    QCOMPARE(width->minimum(), 1);
    QCOMPARE(width->maximum(), 50);
    QCOMPARE(colour->currentText(), QStringLiteral("Red"));
    QCOMPARE(colour->count(), 5);

    QSignalSpy applied(&dlg, &DrawCenterDlg::sigValueApply);
    colour->setCurrentIndex(3);
    width->setValue(7);
    child<QPushButton>(&dlg, "btnApply")->click();
    QCOMPARE(applied.count(), 1);
    QCOMPARE(applied.at(0).at(0).toInt(), 7);
    QCOMPARE(applied.at(0).at(1).value<QColor>(), QColor(Qt::green));
}

void TstTools::centreCrossGeometryAndPainting()
{
    const auto lines = DrawCenterDlg::centerCrossLines(QSize(1280, 1024));
    QCOMPARE(lines[0], QLine(0, 512, 1280, 512));
    QCOMPARE(lines[1], QLine(640, 0, 640, 1024));
    const auto odd = DrawCenterDlg::centerCrossLines(QSize(7, 5));
    QCOMPARE(odd[0], QLine(0, 2, 7, 2));
    QCOMPARE(odd[1], QLine(3, 0, 3, 5));

    QPixmap frame(1280, 1024);
    frame.fill(Qt::black);
    DrawCenterDlg::paintCenterCross(&frame, 3, Qt::green);
    const QImage image = frame.toImage();
    const QRgb green = QColor(Qt::green).rgb();
    const QRgb black = QColor(Qt::black).rgb();
    QCOMPARE(image.pixel(10, 512), green);
    // Rows 510 and 513 have their pixel centres exactly on the pen's edges (512 +- 1.5): which
    // of them is filled depends on the floating-point unit (x87 on i386), so only inner rows
    // and rows clear of the pen are checked.
    QCOMPARE(image.pixel(1270, 511), green);
    QCOMPARE(image.pixel(1270, 515), black);
    QCOMPARE(image.pixel(640, 10), green);
    QCOMPARE(image.pixel(639, 1000), green);
    QCOMPARE(image.pixel(10, 10), black);
    QCOMPARE(image.pixel(600, 520), black);

    QPixmap empty;
    DrawCenterDlg::paintCenterCross(&empty, 2, Qt::red); // nothing to paint, no crash
    QVERIFY(empty.isNull());
}

void TstTools::zoomSchedulingArithmetic()
{
    QCOMPARE(ZoomGraphicsView::scheduleAfterRequest(0, 120), 1.0);
    QCOMPARE(ZoomGraphicsView::scheduleAfterRequest(1, 240), 3.0);
    QCOMPARE(ZoomGraphicsView::scheduleAfterRequest(3, -120), -1.0); // reversal starts over
    QCOMPARE(ZoomGraphicsView::scheduleAfterRequest(-2, -120), -3.0);
    QCOMPARE(ZoomGraphicsView::scheduleAfterRequest(2, 119), 2.0);  // below one notch
    QCOMPARE(ZoomGraphicsView::scheduleAfterRequest(2, -119), 2.0); // truncates toward 0
    QCOMPARE(ZoomGraphicsView::scheduleAfterRequest(0, -359), -2.0);

    QCOMPARE(ZoomGraphicsView::scheduleAfterAnimation(2), 1.0);
    QCOMPARE(ZoomGraphicsView::scheduleAfterAnimation(-2), -1.0);
    QCOMPARE(ZoomGraphicsView::scheduleAfterAnimation(0), 0.0); // no phantom step

    QCOMPARE(ZoomGraphicsView::stepFactor(0), 1.0);
    QCOMPARE(ZoomGraphicsView::stepFactor(1), 1.0 + 1.0 / 300);
    QCOMPARE(ZoomGraphicsView::stepFactor(-3), 1.0 - 3.0 / 300);
    QCOMPARE(ZoomGraphicsView::stepFactor(-1000), 0.5); // never collapses or mirrors

    QCOMPARE(ZoomGraphicsView::centreOf(QRect(QPoint(10, 20), QPoint(409, 319))), QPoint(209, 169));
}

void TstTools::zoomNotchAnimatesAroundAnchor()
{
    QGraphicsScene scene;
    QPixmap frame(1280, 1024);
    frame.fill(Qt::gray);
    scene.addPixmap(frame);
    ZoomGraphicsView view;
    view.setScene(&scene);
    view.resize(400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    bool fit = true;
    view.setFitFlag(&fit);

    const QPoint anchor(100, 80);
    const QPointF before = view.mapToScene(anchor);
    sendWheel(&view, anchor, 120);
    QCOMPARE(fit, false);
    QCOMPARE(view.scheduledScalings(), 1.0);
    QCOMPARE(view.zoomAnchor(), anchor);
    QTRY_VERIFY_WITH_TIMEOUT(animationsDone(&view), 10000);
    QCOMPARE(view.scheduledScalings(), 0.0);

    // At most one step per 20 ms tick over 350 ms, at least the final one.
    const double scale = view.transform().m11();
    QVERIFY2(scale > 1.0 && scale <= std::pow(1.0 + 1.0 / 300, 19) + 1e-9,
             qPrintable(QString::number(scale)));
    QCOMPARE(view.transform().m22(), scale);
    const QPointF after = view.mapToScene(anchor);
    QVERIFY(qAbs(after.x() - before.x()) < 0.5 && qAbs(after.y() - before.y()) < 0.5);

    fit = true;
    view.ZoomInOut(-120);
    QCOMPARE(fit, false);
    QCOMPARE(view.zoomAnchor(), ZoomGraphicsView::centreOf(view.geometry()));
    QCOMPARE(view.scheduledScalings(), -1.0);
    QTRY_VERIFY_WITH_TIMEOUT(animationsDone(&view), 10000);
    QVERIFY(view.transform().m11() < scale);
}

void TstTools::zoomReversalAndSettling()
{
    ZoomGraphicsView view;
    view.resize(200, 200);
    sendWheel(&view, QPoint(50, 50), 120);
    sendWheel(&view, QPoint(50, 50), 120);
    QCOMPARE(view.scheduledScalings(), 2.0);
    sendWheel(&view, QPoint(50, 50), -120);
    QCOMPARE(view.scheduledScalings(), -1.0);
    QTRY_VERIFY_WITH_TIMEOUT(animationsDone(&view), 10000);
    // Three time lines ended: -1 -> 0, then the schedule stays empty.
    QCOMPARE(view.scheduledScalings(), 0.0);

    sendWheel(&view, QPoint(50, 50), 60); // less than a notch: no step, still a time line
    QCOMPARE(view.scheduledScalings(), 0.0);
    QVERIFY(!animationsDone(&view));
    QTRY_VERIFY_WITH_TIMEOUT(animationsDone(&view), 10000);
    QCOMPARE(view.scheduledScalings(), 0.0);
    const double scale = view.transform().m11();
    sendWheel(&view, QPoint(50, 50), -120); // the next backward notch really zooms out
    QCOMPARE(view.scheduledScalings(), -1.0);
    QTRY_VERIFY_WITH_TIMEOUT(animationsDone(&view), 10000);
    QVERIFY(view.transform().m11() < scale);
}

QTEST_MAIN(TstTools)
#include "tst_tools.moc"
