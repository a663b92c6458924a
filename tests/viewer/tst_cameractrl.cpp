// Camera control dock against simulated cameras, without a main window: loading, the feature
// handlers, white balance, video modes, trigger/strobe, user sets and save options.
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRubberBand>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include <thread>

#include "cameractrl.h"
#include "qlonglongspinbox.h"
#include "roilabelview.h"
#include "simcamera.h"
#include "viewerresources.h"

using SimCamera = simtest::Camera;
using simtest::chooseItem;
using simtest::items;

// The exposure range the dock reads (linked through this wrapper): both ends at this value, or
// the camera's own while it is negative. The simulated cameras' range is fixed.
static int64_t g_forcedShutterRange = -1;

extern "C" {
int __real_OrvantaGetShutterMinMax(OrvantaHandle, uint32_t*, uint32_t*);
int __wrap_OrvantaGetShutterMinMax(OrvantaHandle h, uint32_t* lo, uint32_t* hi)
{
    if (g_forcedShutterRange < 0)
        return __real_OrvantaGetShutterMinMax(h, lo, hi);
    *lo = *hi = uint32_t(g_forcedShutterRange);
    return ORVANTA_OK;
}
}

class TestCameraCtrl : public QObject
{
    Q_OBJECT

private:
    template <typename T> T* w(CameraCtrl& dock, const char* name)
    {
        T* widget = dock.findChild<T*>(QLatin1String(name));
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }
    // Types text into a spin box's field and commits it with Return, as a user does.
    static void commit(QAbstractSpinBox* box, const QString& text)
    {
        box->findChild<QLineEdit*>()->setText(text);
        QTest::keyClick(box, Qt::Key_Return);
    }
    // The same key by key, so the box's own checks of every keystroke apply.
    static void typeAndCommit(QAbstractSpinBox* box, const QString& keys)
    {
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, keys);
        QTest::keyClick(box, Qt::Key_Return);
    }
    static QString notice(CameraCtrl& dock)
    {
        return dock.findChild<QLabel*>(QStringLiteral("laCtrlStatus"))->text();
    }
    // The controls of features the camera lacks: disabled and saying why.
    QStringList unsupported(CameraCtrl& dock)
    {
        QStringList names;
        for (QWidget* widget : dock.findChildren<QWidget*>())
            if (widget->toolTip() == QLatin1String("Not supported by this camera") &&
                !widget->isEnabled())
                names << widget->objectName();
        names.sort();
        return names;
    }

private slots:
    void initTestCase()
    {
        simtest::initSimulatedOnly();
        initViewerResources(); // as the viewer's main() does
    }
    void cleanupTestCase() { OrvantaUninit(); }

    void formStartsWithItsOwnRangesAndTexts()
    {
        CameraSession session;
        CameraCtrl dock(&session);
        QCOMPARE(dock.windowTitle(), QStringLiteral("Camera Control"));
        QCOMPARE(dock.minimumSize(), QSize(415, 200));
        QCOMPARE(dock.allowedAreas(), Qt::RightDockWidgetArea);
        QCOMPARE(w<QLabel>(dock, "laGain")->text(), QStringLiteral("(0 ~ 240)"));
        QCOMPARE(w<QLabel>(dock, "laRGain")->text(), QStringLiteral("(64 ~ 4095)"));
        QCOMPARE(w<QLabel>(dock, "laGamma")->text(), QStringLiteral("(0.3 ~ 1.0)"));
        QCOMPARE(w<QLabel>(dock, "laShutter")->text(), QStringLiteral("us (50 ~ 2000000)"));
        QCOMPARE(w<QSlider>(dock, "sliSaturation")->pageStep(), 30);
        QCOMPARE(w<QSpinBox>(dock, "spiSharp")->minimum(), 10);
        auto* shutter = w<QLongLongSpinBox>(dock, "spiShutter");
        QCOMPARE(shutter->value(), 2000LL);
        QCOMPARE(shutter->maximum(), 2000000LL);
        QVERIFY(!shutter->keyboardTracking());
        QVERIFY(w<QSlider>(dock, "sliShutter")->isHidden());
        QVERIFY(w<QRadioButton>(dock, "radioSaveAll")->isHidden());
        QVERIFY(w<QRadioButton>(dock, "radioSaveOnce")->isChecked());
        // Shown where the icon theme lacks "browser" too: the viewer carries its own.
        QVERIFY(!w<QPushButton>(dock, "btnSaveBrowser")->icon().pixmap(20).isNull());
        for (QAbstractSpinBox* box : dock.findChildren<QAbstractSpinBox*>())
            QVERIFY2(!box->keyboardTracking(), qPrintable(box->objectName()));
        int count = 0;
        dock.getSaveOpt(nullptr, nullptr, &count);
        QCOMPARE(count, 1);
    }

    void loadShowsTheCameraAndItsRanges()
    {
        SimCamera cam("color");
        QVERIFY(cam.handle());
        CameraCtrl dock(&cam.session());
        dock.loadConfigurationValue(cam.handle());

        int lo = 0, hi = 0, v = 0;
        OrvantaGetRGainMinMax(cam.handle(), &lo, &hi);
        OrvantaGetRGain(cam.handle(), &v);
        QCOMPARE(w<QLabel>(dock, "laRGain")->text(), QStringLiteral("(%1 ~ %2)").arg(lo).arg(hi));
        QCOMPARE(w<QSpinBox>(dock, "spiRGain")->maximum(), hi);
        QCOMPARE(w<QSlider>(dock, "sliRGain")->minimum(), lo);
        QCOMPARE(w<QSpinBox>(dock, "spiRGain")->value(), v);
        QCOMPARE(w<QSlider>(dock, "sliRGain")->value(), v);
        QCOMPARE(w<QSpinBox>(dock, "spiGain")->value(), cam.gain());
        QCOMPARE(w<QLongLongSpinBox>(dock, "spiShutter")->value(), qlonglong(cam.shutter()));
        QVERIFY(w<QSpinBox>(dock, "spiHue")->isEnabled());
        QCOMPARE(w<QComboBox>(dock, "cbPixelFormat")->currentText(),
                 cam.text(OrvantaGetPixelFormatStr));
        const OSizeInfo size = cam.size();
        QCOMPARE(w<QSpinBox>(dock, "spiWidth")->value(), size.width);
        QCOMPARE(w<QSpinBox>(dock, "spiWidth")->maximum(), size.maxWidth);
    }

    void unsupportedFeaturesAreDisabled()
    {
        SimCamera cam("nowb");
        CameraCtrl dock(&cam.session());
        dock.loadConfigurationValue(cam.handle());
        auto* wb = w<QComboBox>(dock, "cmbWB");
        QCOMPARE(items(wb), QStringList{QStringLiteral("Not Supported")});
        QCOMPARE(unsupported(dock),
                 (QStringList{"cmbWB", "sliHue", "sliSaturation", "spiHue", "spiSaturation"}));
        // Colour gains follow the white balance: disabled, though the camera has them.
        QVERIFY(!w<QSpinBox>(dock, "spiRGain")->isEnabled());
        QVERIFY(!w<QSlider>(dock, "sliBGain")->isEnabled());
        QVERIFY(w<QSpinBox>(dock, "spiGain")->isEnabled());

        SimCamera thermal("thermal");
        dock.loadConfigurationValue(thermal.handle());
        QCOMPARE(
            unsupported(dock),
            (QStringList{"cmbWB", "sliBGain", "sliGGain", "sliHue", "sliRGain", "sliSaturation",
                         "spiBGain", "spiGGain", "spiHue", "spiRGain", "spiSaturation"}));

        // No user sets in the camera's tree, and an exposure range that leaves nothing to set.
        SimCamera bare("color");
        bare.clearNodes();
        g_forcedShutterRange = 5000;
        dock.loadConfigurationValue(bare.handle());
        g_forcedShutterRange = -1;
        QCOMPARE(unsupported(dock), (QStringList{"btnUserSetLoad", "btnUserSetPW", "btnUserSetSave",
                                                 "chkShutter", "cmbUserSet", "spiShutter"}));
        QCOMPARE(w<QComboBox>(dock, "cmbUserSet")->count(), 0);

        // The next camera that has them gets them back.
        SimCamera colour("color");
        dock.loadConfigurationValue(colour.handle());
        QCOMPARE(unsupported(dock), QStringList());
        QVERIFY(w<QSpinBox>(dock, "spiHue")->isEnabled());
        QVERIFY(w<QComboBox>(dock, "cmbWB")->isEnabled());
        QVERIFY(w<QSpinBox>(dock, "spiRGain")->isEnabled());
    }

    void typedValuesOutsideTheRangeAreClampedAndSaid()
    {
        SimCamera cam("color");
        CameraCtrl dock(&cam.session());
        dock.show();
        dock.loadConfigurationValue(cam.handle());
        auto* fps = w<QDoubleSpinBox>(dock, "spiFrameRate");
        const QString top = QString::number(fps->maximum(), 'f', 1); // about 32 fps here
        QVERIFY(fps->maximum() < 45);
        QCOMPARE(w<QLabel>(dock, "laFrameRate")->text(), QStringLiteral("(0.5 ~ %1)").arg(top));
        typeAndCommit(fps, QStringLiteral("20"));
        float rate = 0;
        OrvantaGetFrameRate(cam.handle(), &rate);
        QCOMPARE(rate, 20.0f);
        for (const char* typed : {"45", "500"}) { // each digit reaches the field
            typeAndCommit(fps, QLatin1String(typed));
            OrvantaGetFrameRate(cam.handle(), &rate);
            QVERIFY(qAbs(double(rate) - fps->maximum()) < 0.05);
            QCOMPARE(notice(dock),
                     QStringLiteral("Frame Rate: %1 is outside 0.5 ~ %2: clamped to %2")
                         .arg(QLatin1String(typed), top));
        }
        typeAndCommit(fps, QStringLiteral("0.7"));
        QCOMPARE(notice(dock), QStringLiteral("Frame Rate: below 1.0 is not written"));
        // A smaller region reads out faster: rates up to 100 fps, typed ones written as typed.
        QCOMPARE(OrvantaSetSizeInfo(cam.handle(), OSizeInfo{0, 0, 640, 512, 0, 0}),
                 int(ORVANTA_OK));
        dock.loadVideoInfo();
        QVERIFY(fps->maximum() > 60);
        for (const char* typed : {"45", "60"}) {
            typeAndCommit(fps, QLatin1String(typed));
            OrvantaGetFrameRate(cam.handle(), &rate);
            QCOMPARE(rate, QByteArray(typed).toFloat());
            QCOMPARE(fps->value(), QByteArray(typed).toDouble());
        }
        QCOMPARE(notice(dock), QStringLiteral("Frame Rate: below 1.0 is not written")); // no clamp

        auto* gain = w<QSpinBox>(dock, "spiGain");
        typeAndCommit(gain, QStringLiteral("99999"));
        QCOMPARE(cam.gain(), 240);
        QCOMPARE(notice(dock), QStringLiteral("Gain: 99999 is outside 0 ~ 240: clamped to 240"));
        typeAndCommit(gain, QStringLiteral("abc")); // letters never reach the field
        QCOMPARE(notice(dock), QStringLiteral("Gain: no value typed: 240 kept"));
        QCOMPARE(gain->value(), 240);

        typeAndCommit(w<QLongLongSpinBox>(dock, "spiShutter"), QStringLiteral("3000000"));
        QCOMPARE(cam.shutter(), 2000000u);
        QCOMPARE(notice(dock),
                 QStringLiteral("Shutter: 3000000 is outside 50 ~ 2000000: clamped to 2000000"));
    }

    void loadClampsTheShownValueAndWritesIt()
    {
        SimCamera cam("color");
        int lo = 0, hi = 0;
        OrvantaGetGainMinMax(cam.handle(), &lo, &hi);
        QVERIFY(cam.gain() != hi);
        CameraCtrl dock(&cam.session());
        auto* spin = w<QSpinBox>(dock, "spiGain");
        spin->setRange(0, hi + 1000);
        spin->setValue(hi + 500); // no camera yet: shown only
        dock.loadConfigurationValue(cam.handle());
        QCOMPARE(spin->value(), hi);
        QCOMPARE(cam.gain(), hi); // the clamped value reached the camera before the read
        QCOMPARE(w<QSlider>(dock, "sliGain")->value(), hi);
    }

    void refusedWriteLeavesTheSlider()
    {
        SimCamera cam("color");
        CameraCtrl dock(&cam.session());
        dock.loadConfigurationValue(cam.handle());
        auto* spin = w<QSpinBox>(dock, "spiContrast");
        auto* slider = w<QSlider>(dock, "sliContrast");
        const int before = spin->value();
        const int max = spin->maximum();
        spin->setRange(spin->minimum(), max + 100);
        spin->setValue(max + 50);
        int camera = -1;
        OrvantaGetContrast(cam.handle(), &camera);
        QCOMPARE(camera, before);
        QCOMPARE(spin->value(), max + 50);
        QCOMPARE(slider->value(), before);

        // A page click whose write is refused does not move the slider either.
        SimCamera nowb("nowb");
        CameraCtrl other(&nowb.session());
        other.loadConfigurationValue(nowb.handle());
        auto* hue = w<QSlider>(other, "sliHue");
        const int huePos = hue->value();
        hue->setEnabled(true);
        hue->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(hue->value(), huePos);
    }

    void slidersWriteOnPageAndReleaseOnly()
    {
        SimCamera cam("color");
        CameraCtrl dock(&cam.session());
        dock.loadConfigurationValue(cam.handle());
        auto* spin = w<QSpinBox>(dock, "spiGain");
        auto* slider = w<QSlider>(dock, "sliGain");
        spin->setValue(spin->minimum() + 10);
        const int start = cam.gain();
        QCOMPARE(start, spin->minimum() + 10);

        slider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(slider->value(), start + 1);
        QCOMPARE(cam.gain(), start); // arrow keys move without writing

        slider->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(cam.gain(), start + 1 + slider->pageStep());
        QCOMPARE(slider->value(), cam.gain());
        QCOMPARE(spin->value(), cam.gain());

        slider->setValue(start + 3); // a drag
        QCOMPARE(cam.gain(), start + 1 + slider->pageStep());
        QMetaObject::invokeMethod(slider, "sliderReleased");
        QCOMPARE(cam.gain(), start + 3);
    }

    void shutterStepsAndTheWriteGrid()
    {
        SimCamera cam("color");
        CameraCtrl dock(&cam.session());
        dock.loadConfigurationValue(cam.handle());
        auto* shutter = w<QLongLongSpinBox>(dock, "spiShutter");
        QVERIFY(shutter->minimum() <= 755);
        commit(shutter, QStringLiteral("1000"));
        QCOMPARE(cam.shutter(), 1000u);

        commit(shutter, QStringLiteral("755"));
        QCOMPARE(shutter->value(), 755LL);
        QCOMPARE(shutter->singleStep(), 10);
        QCOMPARE(cam.shutter(), 1000u); // shown, not written
        commit(shutter, QStringLiteral("760"));
        QCOMPARE(cam.shutter(), 760u);

        const QList<QPair<qlonglong, int>> table = {{-5, 1},
                                                    {499, 1},
                                                    {500, 10},
                                                    {5499, 10},
                                                    {5500, 100},
                                                    {75999, 100},
                                                    {76000, 1000},
                                                    {709999, 1000},
                                                    {710000, 10000},
                                                    {5799999, 10000},
                                                    {5800000, 100000},
                                                    {45999999, 100000},
                                                    {46000000, 1000000}};
        for (const auto& row : table) {
            shutter->setValue(row.first);
            QCOMPARE(shutter->singleStep(), row.second);
        }

        // Off the grid the arrow keys stay off it, and nothing is written.
        commit(shutter, QStringLiteral("5000"));
        shutter->setValue(5495);
        shutter->stepBy(1);
        QCOMPARE(shutter->value(), 5505LL);
        shutter->stepBy(1);
        QCOMPARE(shutter->value(), 5605LL);
        QCOMPARE(cam.shutter(), 5000u);
    }

    void shutterAutoAndReleaseRounding()
    {
        SimCamera cam("color");
        CameraCtrl dock(&cam.session());
        dock.loadConfigurationValue(cam.handle());
        auto* shutter = w<QLongLongSpinBox>(dock, "spiShutter");
        auto* slider = w<QSlider>(dock, "sliShutter");
        slider->setValue(5507);
        QMetaObject::invokeMethod(slider, "sliderReleased");
        QCOMPARE(shutter->value(), 5500LL);
        QCOMPARE(cam.shutter(), 5500u);

        auto* autoBox = w<QCheckBox>(dock, "chkShutter");
        autoBox->click();
        bool autoOn = false;
        cam.shutter(&autoOn);
        QVERIFY(autoOn);
        QVERIFY(!shutter->isEnabled());
        autoBox->click();
        cam.shutter(&autoOn);
        QVERIFY(!autoOn);
        QVERIFY(shutter->isEnabled());
        QCOMPARE(shutter->value(), qlonglong(cam.shutter()));
    }

    void gammaScaledAndUnscaled()
    {
        SimCamera cam("color");
        CameraCtrl dock(&cam.session());
        dock.loadConfigurationValue(cam.handle());
        auto* spin = w<QDoubleSpinBox>(dock, "spiGamma");
        auto* slider = w<QSlider>(dock, "sliGamma");
        QCOMPARE(slider->minimum(), 3);
        QCOMPARE(slider->maximum(), 10);
        QCOMPARE(spin->singleStep(), 0.1);
        QCOMPARE(w<QLabel>(dock, "laGamma")->text(), QStringLiteral("(0.3 ~ 1)"));
        spin->setValue(0.7);
        QCOMPARE(slider->value(), 7);
        float gamma = 0;
        OrvantaGetGamma(cam.handle(), &gamma);
        QVERIFY(qAbs(gamma - 0.7f) < 1e-4f);
        slider->triggerAction(QAbstractSlider::SliderPageStepSub);
        QCOMPARE(spin->value(), 0.6);
        QCOMPARE(slider->value(), 6);

        SimCamera wide("gamma4");
        dock.loadConfigurationValue(wide.handle());
        QCOMPARE(slider->minimum(), 1);
        QCOMPARE(slider->maximum(), 4);
        QCOMPARE(spin->singleStep(), 1.0);
        QCOMPARE(w<QLabel>(dock, "laGamma")->text(), QStringLiteral("(1 ~ 4)"));
        spin->setValue(3.0);
        QCOMPARE(slider->value(), 3);
        OrvantaGetGamma(wide.handle(), &gamma);
        QVERIFY(qAbs(gamma - 3.0f) < 1e-4f);
        slider->setValue(2);
        QMetaObject::invokeMethod(slider, "sliderReleased");
        QCOMPARE(spin->value(), 2.0);

        // Back on a camera with a tenths range, the spin box steps by 0.1 again.
        dock.loadConfigurationValue(cam.handle());
        QCOMPARE(spin->singleStep(), 0.1);
    }

    void whiteBalanceOnceAndContinuous()
    {
        SimCamera cam("color");
        CameraCtrl dock(&cam.session());
        dock.loadConfigurationValue(cam.handle());
        auto* wb = w<QComboBox>(dock, "cmbWB");
        QVERIFY(wb->isEnabled());
        QVERIFY(items(wb).contains(QStringLiteral("Once")));

        chooseItem(wb, QStringLiteral("Continuous"));
        QCOMPARE(cam.text(OrvantaGetWhiteBalanceStr), QStringLiteral("Continuous"));
        QVERIFY(!w<QSpinBox>(dock, "spiRGain")->isEnabled());
        QVERIFY(!w<QSlider>(dock, "sliBGain")->isEnabled());

        chooseItem(wb, QStringLiteral("Once"));
        QVERIFY(w<QSpinBox>(dock, "spiRGain")->isEnabled());
        QCOMPARE(wb->currentIndex(), 0);
        int r = 0, b = 0;
        OrvantaGetRGain(cam.handle(), &r);
        OrvantaGetBGain(cam.handle(), &b);
        QCOMPARE(w<QSpinBox>(dock, "spiRGain")->value(), r);
        QCOMPARE(w<QSlider>(dock, "sliBGain")->value(), b);
    }

    void monoFormatsDisableWhiteBalance()
    {
        SimCamera cam("mono");
        CameraCtrl dock(&cam.session());
        dock.loadConfigurationValue(cam.handle());
        QVERIFY(!w<QComboBox>(dock, "cmbWB")->isEnabled());
        for (const char* name : {"spiRGain", "spiGGain", "spiBGain"})
            QVERIFY2(!w<QSpinBox>(dock, name)->isEnabled(), name);
        for (const char* name : {"sliRGain", "sliGGain", "sliBGain"})
            QVERIFY2(!w<QSlider>(dock, name)->isEnabled(), name);

        // The next colour camera enables them again.
        SimCamera colour("color");
        dock.loadConfigurationValue(colour.handle());
        QVERIFY(w<QComboBox>(dock, "cmbWB")->isEnabled());
    }

    void featureDefaultReloads()
    {
        SimCamera cam("color");
        CameraCtrl dock(&cam.session());
        dock.loadConfigurationValue(cam.handle());
        auto* spin = w<QSpinBox>(dock, "spiGain");
        const int factory = cam.gain();
        spin->setValue(factory == spin->minimum() ? factory + 1 : spin->minimum());
        QVERIFY(cam.gain() != factory);
        QTest::mouseClick(w<QPushButton>(dock, "btnWBDefault"), Qt::LeftButton);
        QCOMPARE(cam.gain(), factory);
        QCOMPARE(spin->value(), factory);
    }

    void roiDragMapsToSensorAndWritesNothing()
    {
        SimCamera cam("mono");
        CameraCtrl dock(&cam.session());
        dock.loadConfigurationValue(cam.handle());
        dock.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dock));
        auto* tabs = dock.findChild<QTabWidget*>();
        tabs->setCurrentIndex(1);
        auto* view = w<RoiLabelView>(dock, "laROI");
        QCOMPARE(view->size(), QSize(371, 231));
        const OSizeInfo before = cam.size();
        QCOMPARE(before.maxWidth, 1280);
        QCOMPARE(before.maxHeight, 1024);

        QTest::mousePress(view, Qt::LeftButton, {}, QPoint(37, 23));
        QTest::mouseMove(view, QPoint(74, 46));
        // QTest::mouseMove does not carry a pressed button offscreen; send the move directly.
        QMouseEvent move(QEvent::MouseMove, QPointF(74, 46), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(view, &move);
        auto* band = view->findChild<QRubberBand*>();
        QVERIFY(band->isVisible());
        QCOMPARE(band->geometry(), QRect(QPoint(37, 23), QPoint(74, 46)));
        QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(74, 46));

        QCOMPARE(w<QSpinBox>(dock, "spiOffsetX")->value(), 127);
        QCOMPARE(w<QSpinBox>(dock, "spiOffsetY")->value(), 101);
        QCOMPARE(w<QSpinBox>(dock, "spiWidth")->value(), 127);
        QCOMPARE(w<QSpinBox>(dock, "spiHeight")->value(), 101);
        const OSizeInfo after = cam.size();
        QCOMPARE(after.xOffset, before.xOffset);
        QCOMPARE(after.width, before.width);

        // A leftward drag clamps the width to 0.
        QTest::mousePress(view, Qt::LeftButton, {}, QPoint(200, 100));
        QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(100, 150));
        QCOMPARE(w<QSpinBox>(dock, "spiWidth")->value(), 0);
        QVERIFY(!band->isVisible());
    }

    void applyWritesTheRoiAndMaximizeRestoresIt()
    {
        SimCamera cam("mono");
        CameraCtrl dock(&cam.session());
        dock.loadConfigurationValue(cam.handle());
        w<QSpinBox>(dock, "spiOffsetX")->setValue(64);
        w<QSpinBox>(dock, "spiOffsetY")->setValue(32);
        w<QSpinBox>(dock, "spiWidth")->setValue(640);
        w<QSpinBox>(dock, "spiHeight")->setValue(480);
        QSignalSpy hide(&dock, &CameraCtrl::sigHideRubberBand);
        QTest::mouseClick(w<QPushButton>(dock, "btnROIApply"), Qt::LeftButton);
        QCOMPARE(hide.count(), 1);
        OSizeInfo s = cam.size();
        QCOMPARE(s.xOffset, w<QSpinBox>(dock, "spiOffsetX")->value());
        QCOMPARE(s.width, w<QSpinBox>(dock, "spiWidth")->value());
        QVERIFY(s.width > 0 && s.width <= 640);
        QVERIFY(s.height > 0 && s.height <= 480);

        QTest::mouseClick(w<QPushButton>(dock, "btnROIMax"), Qt::LeftButton);
        QCOMPARE(cam.size().width, s.width); // Maximize alone writes nothing
        QTest::mouseClick(w<QPushButton>(dock, "btnROIApply"), Qt::LeftButton);
        s = cam.size();
        QCOMPARE(s.xOffset, 0);
        QCOMPARE(s.yOffset, 0);
        QCOMPARE(s.width, 1280);
        QCOMPARE(s.height, 1024);
    }

    void frameRateBelowOneIsIgnored()
    {
        SimCamera cam("mono");
        CameraCtrl dock(&cam.session());
        dock.loadConfigurationValue(cam.handle());
        auto* fps = w<QDoubleSpinBox>(dock, "spiFrameRate");
        float before = 0;
        OrvantaGetFrameRate(cam.handle(), &before);
        QVERIFY(fps->minimum() < 1.0 || fps->maximum() > 2.0);
        const double target = qBound(fps->minimum(), 2.0, fps->maximum());
        fps->setValue(target);
        float now = 0;
        OrvantaGetFrameRate(cam.handle(), &now);
        QVERIFY(qAbs(double(now) - target) < 0.05);
        if (fps->minimum() < 1.0) {
            fps->setValue(0.5);
            OrvantaGetFrameRate(cam.handle(), &now);
            QVERIFY(qAbs(double(now) - target) < 0.05);
        }
    }

    void extensionListsFollowOpenAndFormatChanges()
    {
        SimCamera colour("color");
        CameraCtrl dock(&colour.session());
        dock.loadConfigurationValue(colour.handle());
        auto* ext = w<QComboBox>(dock, "cmbSaveExt");
        auto* format = w<QComboBox>(dock, "cbPixelFormat");
        QCOMPARE(items(ext), (QStringList{"BMP", "JPG", "PNG", "RAW", "RGB"}));
        const QString other = format->itemText(format->currentIndex() == 0 ? 1 : 0);
        chooseItem(format, other);
        QCOMPARE(colour.text(OrvantaGetPixelFormatStr), other);
        QCOMPARE(items(ext), (QStringList{"BMP", "JPG", "TIF", "RAW", "RGB"}));
        for (const QString& colourFormat : {QStringLiteral("RGB8"), QStringLiteral("YUV422_8")}) {
            chooseItem(format, colourFormat); // colour without a mosaic: RGB is offered too
            QCOMPARE(colour.text(OrvantaGetPixelFormatStr), colourFormat);
            QCOMPARE(items(ext), (QStringList{"BMP", "JPG", "TIF", "RAW", "RGB"}));
        }

        SimCamera mono("mono");
        dock.loadConfigurationValue(mono.handle());
        QCOMPARE(items(ext), (QStringList{"BMP", "JPG", "PNG", "RAW"}));
        chooseItem(format, QStringLiteral("Mono12"));
        QCOMPARE(mono.text(OrvantaGetPixelFormatStr), QStringLiteral("Mono12"));
        QCOMPARE(items(ext), (QStringList{"BMP", "JPG", "TIF", "RAW"}));
    }

    void triggerApplyWritesTheGroupButNotTheDelay()
    {
        SimCamera cam("color");
        CameraCtrl dock(&cam.session());
        dock.loadConfigurationValue(cam.handle());
        auto* mode = w<QComboBox>(dock, "cmbTriMode");
        auto* source = w<QComboBox>(dock, "cmbTriSource");
        auto* pol = w<QComboBox>(dock, "cmbTriPol");
        QVERIFY(mode->count() > 1 && source->count() > 1 && pol->count() > 1);
        QCOMPARE(source->currentText(), cam.text(OrvantaGetTriggerSourceStr));

        // Change the widgets without their own handlers writing, then Apply.
        const QList<QWidget*> group = {mode,
                                       source,
                                       pol,
                                       w<QSpinBox>(dock, "spTriPara"),
                                       w<QCheckBox>(dock, "chkTriEnabled"),
                                       w<QSpinBox>(dock, "spTriDelay")};
        for (QWidget* widget : group)
            widget->blockSignals(true);
        mode->setCurrentIndex(mode->count() - 1);
        source->setCurrentIndex(source->count() - 1);
        pol->setCurrentIndex(pol->count() - 1);
        w<QSpinBox>(dock, "spTriPara")->setValue(17);
        w<QCheckBox>(dock, "chkTriEnabled")->setChecked(true);
        int delayBefore = 0;
        OrvantaGetTriggerDelay(cam.handle(), &delayBefore);
        w<QSpinBox>(dock, "spTriDelay")->setValue(delayBefore + 100);
        for (QWidget* widget : group)
            widget->blockSignals(false);
        QTest::mouseClick(w<QPushButton>(dock, "btnApply"), Qt::LeftButton);

        QCOMPARE(cam.text(OrvantaGetTriggerModeStr), mode->currentText());
        QCOMPARE(cam.text(OrvantaGetTriggerSourceStr), source->currentText());
        QCOMPARE(cam.text(OrvantaGetTriggerPolarityStr), pol->currentText());
        int para = 0, delay = 0;
        bool enabled = false;
        OrvantaGetTriggerParameter(cam.handle(), &para);
        OrvantaGetTriggerEnable(cam.handle(), &enabled);
        OrvantaGetTriggerDelay(cam.handle(), &delay);
        QCOMPARE(para, 17);
        QVERIFY(enabled);
        QCOMPARE(delay, delayBefore);

        // The delay and the strobe controls write at once.
        w<QSpinBox>(dock, "spTriDelay")->setValue(delayBefore + 200);
        OrvantaGetTriggerDelay(cam.handle(), &delay);
        QCOMPARE(delay, delayBefore + 200);
        w<QSpinBox>(dock, "spStroDuration")->setValue(1000);
        int duration = 0;
        OrvantaGetStrobeDuration(cam.handle(), &duration);
        QCOMPARE(duration, 1000);
        chooseItem(w<QComboBox>(dock, "cmbStroPol"), w<QComboBox>(dock, "cmbStroPol")->itemText(1));
        QCOMPARE(cam.text(OrvantaGetStrobePolarityStr),
                 w<QComboBox>(dock, "cmbStroPol")->itemText(1));
    }

    void userSetsSaveLoadAndPowerOnDefault()
    {
        SimCamera cam("color");
        CameraCtrl dock(&cam.session());
        dock.loadConfigurationValue(cam.handle());
        auto* sets = w<QComboBox>(dock, "cmbUserSet");
        QVERIFY(sets->count() >= 2);
        char powerOn[ORVANTA_NODE_TEXT_SIZE] = {};
        OrvantaGetNodeString(cam.handle(), "UserSetDefaultSelector", powerOn);
        QCOMPARE(sets->currentText(), QString::fromLatin1(powerOn));

        const QString userSet = sets->itemText(sets->count() - 1);
        sets->setCurrentText(userSet);
        auto* gain = w<QSpinBox>(dock, "spiGain");
        const int saved = gain->minimum() + 7;
        gain->setValue(saved);
        QTest::mouseClick(w<QPushButton>(dock, "btnUserSetSave"), Qt::LeftButton);
        QTest::mouseClick(w<QPushButton>(dock, "btnUserSetPW"), Qt::LeftButton);
        OrvantaGetNodeString(cam.handle(), "UserSetDefaultSelector", powerOn);
        QCOMPARE(QString::fromLatin1(powerOn), userSet);

        gain->setValue(saved + 5);
        QCOMPARE(cam.gain(), saved + 5);
        sets->setCurrentText(userSet);
        QTest::mouseClick(w<QPushButton>(dock, "btnUserSetLoad"), Qt::LeftButton);
        QCOMPARE(cam.gain(), saved);
        QCOMPARE(gain->value(), saved); // the dock was reloaded
        QCOMPARE(sets->currentText(), userSet);
    }

    void saveOptionsAreResetAndReadableFromAnyThread()
    {
        SimCamera cam("color");
        CameraCtrl dock(&cam.session());
        dock.loadConfigurationValue(cam.handle());
        QString path, ext;
        int count = 0;
        dock.getSaveOpt(&path, &ext, &count);
        QCOMPARE(path, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
        QCOMPARE(ext, QStringLiteral("BMP"));
        QCOMPARE(count, 1);

        // A reader thread (like the display thread) while the GUI thread edits the options.
        std::atomic<bool> done{false};
        std::atomic<int> bad{0};
        std::thread reader([&] {
            while (!done) {
                QString p, e;
                int c = 0;
                dock.getSaveOpt(&p, &e, &c);
                if (c != 1 || e.isEmpty() || !p.startsWith(QLatin1Char('/')))
                    ++bad;
            }
        });
        auto* edit = w<QLineEdit>(dock, "edSavePath");
        auto* extBox = w<QComboBox>(dock, "cmbSaveExt");
        for (int i = 0; i < 200; ++i) {
            edit->setText(QStringLiteral("/tmp/run%1").arg(i));
            extBox->setCurrentIndex(i % extBox->count());
        }
        done = true;
        reader.join();
        QCOMPARE(bad.load(), 0);
        dock.getSaveOpt(&path, &ext, nullptr);
        QCOMPARE(path, QStringLiteral("/tmp/run199"));
        QCOMPARE(ext, extBox->itemText(199 % extBox->count()));
    }

    void cancelledFolderDialogKeepsThePath()
    {
        CameraSession session;
        CameraCtrl dock(&session);
        auto* edit = w<QLineEdit>(dock, "edSavePath");
        edit->setText(QStringLiteral("/tmp"));
        QTimer::singleShot(200, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                if (auto* dialog = qobject_cast<QDialog*>(modal))
                    dialog->reject();
        });
        QTest::mouseClick(w<QPushButton>(dock, "btnSaveBrowser"), Qt::LeftButton);
        QCOMPARE(edit->text(), QStringLiteral("/tmp"));
    }

    void keypadEnterIsSwallowed()
    {
        CameraSession session;
        CameraCtrl dock(&session);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Enter, Qt::KeypadModifier);
        QCoreApplication::sendEvent(&dock, &enter);
        QVERIFY(enter.isAccepted());
        QKeyEvent ret(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(&dock, &ret);
        QVERIFY(!ret.isAccepted()); // passed on
    }
};

QTEST_MAIN(TestCameraCtrl)
#include "tst_cameractrl.moc"
