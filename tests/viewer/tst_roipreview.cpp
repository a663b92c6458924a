// ROI preview: the 12-bit reduction, the canvas composition, the worker thread that grabs
// once a second and hands the picture to the GUI thread, and colour or grey by format family.
#include <QLabel>
#include <QtTest>

#include <cstring>
#include <vector>

#include "cameractrl.h"
#include "pixelfamily.h"
#include "roilabelview.h"
#include "roipreviewworker.h"
#include "simcamera.h"

using SimCamera = simtest::Camera;

// Receives the worker's pictures on the test's (GUI) thread through a queued connection, as
// the dock does.
struct PreviewCollector : QObject
{
    QList<QImage> images;
    explicit PreviewCollector(RoiPreviewWorker& worker)
    {
        connect(
            &worker, &RoiPreviewWorker::sigPreviewReady, this,
            [this](const QImage& image) { images << image; }, Qt::QueuedConnection);
    }
};

class TestRoiPreview : public QObject
{
    Q_OBJECT

private:
    static std::vector<unsigned char> samples(const std::vector<uint16_t>& values)
    {
        std::vector<unsigned char> bytes(values.size() * 2);
        std::memcpy(bytes.data(), values.data(), bytes.size());
        return bytes;
    }

private slots:
    void initTestCase() { simtest::initSimulatedOnly(); }
    void cleanupTestCase() { OrvantaUninit(); }

    void twelveBitSamplesAreReducedInBounds()
    {
        const auto src = samples({4095, 16, 0, 0x0FF0, 65535, 4096});
        // 4096 >> 4 is 256: clamped to 255, not wrapped to 0. The destination is sized
        // exactly, so ASan catches any byte written past it.
        std::vector<unsigned char> dst(6, 0xAA);
        RawXXtoRaw8(dst.data(), src.data(), 12, 3, 2);
        QCOMPARE(dst, (std::vector<unsigned char>{255, 1, 0, 255, 255, 255}));

        std::vector<unsigned char> row(4, 0xAA);
        RawXXtoRaw8(row.data(), src.data(), 12, 2, 1); // only the first row of two samples
        QCOMPARE(row, (std::vector<unsigned char>{255, 1, 0xAA, 0xAA}));

        std::vector<unsigned char> untouched(6, 0xAA);
        RawXXtoRaw8(untouched.data(), src.data(), 8, 3, 2);
        QCOMPARE(untouched, std::vector<unsigned char>(6, 0xAA));
        const auto ten = samples({1023, 4});
        std::vector<unsigned char> tenOut(2);
        RawXXtoRaw8(tenOut.data(), ten.data(), 10, 2, 1);
        QCOMPARE(tenOut, (std::vector<unsigned char>{255, 1}));
    }

    void pictureLandsAtTheRoiOnWhite()
    {
        QImage canvas(1280, 1024, QImage::Format_RGB888);
        QImage picture(64, 32, QImage::Format_Grayscale8);
        picture.fill(0);
        const QImage scaled = composeRoiPreview(canvas, picture, QPoint(100, 200), QSize(640, 512));
        QCOMPARE(canvas.pixelColor(99, 199), QColor(Qt::white));
        QCOMPARE(canvas.pixelColor(100, 200), QColor(Qt::black));
        QCOMPARE(canvas.pixelColor(163, 231), QColor(Qt::black));
        QCOMPARE(canvas.pixelColor(164, 200), QColor(Qt::white));
        QCOMPARE(canvas.pixelColor(100, 232), QColor(Qt::white));
        QCOMPARE(scaled.size(), QSize(640, 512));
        QCOMPARE(scaled.pixelColor(50, 100), QColor(Qt::black));
        QCOMPARE(scaled.pixelColor(49, 99), QColor(Qt::white));

        // A second picture elsewhere: the old one is gone (the canvas is cleared).
        composeRoiPreview(canvas, picture, QPoint(0, 0), QSize(640, 512));
        QCOMPARE(canvas.pixelColor(100, 200), QColor(Qt::white));
        QVERIFY(composeRoiPreview(canvas, picture, QPoint(0, 0), QSize()).isNull());
    }

    void workerPaintsTheGrabbedRoiIntoTheView()
    {
        SimCamera cam("mono");
        QVERIFY(cam.handle());
        OSizeInfo roi{100, 200, 256, 128, 0, 0};
        QCOMPARE(OrvantaSetSizeInfo(cam.handle(), roi), int(ORVANTA_OK));
        CameraCtrl dock(&cam.session());
        dock.loadConfigurationValue(cam.handle());
        auto* view = dock.findChild<RoiLabelView*>(QStringLiteral("laROI"));
        dock.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dock));
        dock.CreateGrabThread();
        dock.CreateGrabThread(); // a second call does not start another worker
        // The first picture is the white canvas; wait for one with the grabbed ROI in it.
        const QSize inner = view->size() - QSize(2, 2);
        const int px = 100 * inner.width() / 1280 + 2;
        const int py = 200 * inner.height() / 1024 + 2;
        QImage shown;
        QTRY_VERIFY_WITH_TIMEOUT((shown = view->pixmap(Qt::ReturnByValue).toImage(),
                                  !shown.isNull() && shown.pixelColor(px, py) != QColor(Qt::white)),
                                 15000);
        QCOMPARE(shown.size(), inner);
        QCOMPARE(shown.pixelColor(2, 2), QColor(Qt::white));
        QCOMPARE(shown.pixelColor(inner.width() - 3, inner.height() - 3), QColor(Qt::white));
        dock.DeleteGrabThread();
        dock.DeleteGrabThread(); // stopping twice is harmless
        dock.CreateGrabThread(); // and a new worker can start again
        dock.DeleteGrabThread();
    }

    void workerFollowsTheGrabbedFrameNotAStaleRecord()
    {
        SimCamera cam("mono");
        QCOMPARE(OrvantaSetPixelFormatStr(cam.handle(), "Mono12"), int(ORVANTA_OK));
        // The record still claims the full sensor while the camera delivers 320 x 240: the
        // 12-bit reduction and the picture follow the grabbed frame (ASan checks the bounds).
        const OSizeInfo stale{0, 0, 1280, 1024, 1280, 1024};
        QCOMPARE(OrvantaSetSizeInfo(cam.handle(), OSizeInfo{0, 0, 320, 240, 0, 0}),
                 int(ORVANTA_OK));
        RoiPreviewWorker worker;
        worker.setSource(cam.handle(), stale, QStringLiteral("Mono12"));
        worker.setViewSize(QSize(1280, 1024));
        PreviewCollector got(worker);
        worker.start();
        QTRY_VERIFY_WITH_TIMEOUT(got.images.size() >= 2, 15000); // the white canvas, a frame
        worker.stop();
        QVERIFY(!worker.isRunning());
        const QImage img = got.images.at(1);
        QCOMPARE(img.size(), QSize(1280, 1024));
        QCOMPARE(img.pixelColor(400, 300), QColor(Qt::white)); // outside the frame
        QCOMPARE(img.pixelColor(1279, 1023), QColor(Qt::white));
    }

    void formatFamiliesByName()
    {
        for (const char* name : {"BayerRG12p", "RGB8", "BGRa8", "RGB8Packed", "YUV422_8_UYVY"})
            QVERIFY2(isColourFormat(QLatin1String(name)), name);
        for (const char* name : {"Mono8", "Mono12Packed", "Mono4p", "Coord3D_C16"})
            QVERIFY2(!isColourFormat(QLatin1String(name)), name);
        QCOMPARE(pixelFamily(QStringLiteral("BayerGR8")), PixelFamily::Bayer);
        QCOMPARE(pixelFamily(QStringLiteral("Coord3D_C16")), PixelFamily::Unknown);
    }

    // Colour formats are previewed from the RGB picture, mono ones from the 8-bit plane, both
    // as the SDK decodes them. RGBa8's raw data would not fit the raw buffer, even when the
    // format text lags behind the camera (the last case; ASan checks the bounds).
    void workerShowsEachFormatFamilyAsTheSdkDecodesIt()
    {
        SimCamera cam("formats");
        OSizeInfo size{};
        QCOMPARE(OrvantaGetSizeInfo(cam.handle(), &size), int(ORVANTA_OK));
        const size_t pixels = size_t(size.width) * size_t(size.height);
        std::vector<unsigned char> raw(pixels * 4), rgb(pixels * 3), mono(pixels);
        const struct
        {
            const char* camera;
            const char* format; // as the dock shows it
        } cases[] = {{"RGBa8", "RGBa8"},
                     {"YUV422_8_UYVY", "YUV422_8_UYVY"},
                     {"BayerBG12p", "BayerBG12p"},
                     {"Mono12p", "Mono12p"},
                     {"RGBa8", "Mono8"}};
        for (const auto& c : cases) {
            const char* format = c.format;
            QCOMPARE(OrvantaSetPixelFormatStr(cam.handle(), c.camera), int(ORVANTA_OK));
            RoiPreviewWorker worker;
            worker.setSource(cam.handle(), size, QLatin1String(format));
            worker.setViewSize(QSize(size.maxWidth, size.maxHeight));
            PreviewCollector got(worker);
            worker.start();
            QTRY_VERIFY_WITH_TIMEOUT(got.images.size() >= 2, 15000);
            worker.stop();
            const QImage shown = got.images.at(1).convertToFormat(QImage::Format_RGB888);

            // The SDK's own planes of a frame (the scene scrolls round: the same means).
            OImageFrame frame{};
            frame.rawData = raw.data();
            frame.rgbData = rgb.data();
            frame.mono8Data = mono.data();
            QCOMPARE(OrvantaGrabRGBData(cam.handle(), &frame, 1000), int(ORVANTA_OK));
            const bool colour = isColourFormat(QLatin1String(format));
            double expected[3] = {}, seen[3] = {};
            int greyPixels = 0;
            for (size_t i = 0; i < pixels; ++i) {
                const uchar* p = shown.constScanLine(int(i) / size.width) + 3 * (i % size.width);
                greyPixels += p[0] == p[1] && p[1] == p[2];
                for (int c = 0; c < 3; ++c) {
                    seen[c] += p[c] / double(pixels);
                    expected[c] += (colour ? rgb[3 * i + c] : mono[i]) / double(pixels);
                }
            }
            QVERIFY2(colour == (greyPixels < int(pixels) / 2), format);
            for (int c = 0; c < 3; ++c)
                QVERIFY2(qAbs(seen[c] - expected[c]) < 3,
                         qPrintable(QStringLiteral("%1: %2 shown, %3 decoded")
                                        .arg(QLatin1String(format))
                                        .arg(seen[c])
                                        .arg(expected[c])));
        }
    }

    void workerWithoutCameraIdlesAndStops()
    {
        RoiPreviewWorker worker;
        worker.setSource(nullptr, OSizeInfo{0, 0, 0, 0, 640, 480}, QStringLiteral("Mono8"));
        worker.setViewSize(QSize(64, 48));
        PreviewCollector got(worker);
        worker.start();
        QVERIFY(worker.isRunning());
        QTRY_COMPARE_WITH_TIMEOUT(got.images.size(), 1, 5000); // the white canvas only
        const QImage white = got.images.at(0);
        QCOMPARE(white.size(), QSize(64, 48));
        QCOMPARE(white.pixelColor(10, 10), QColor(Qt::white));
        worker.stop();
        QVERIFY(!worker.isRunning());
        QCoreApplication::processEvents();
        QCOMPARE(got.images.size(), 1);
    }
};

QTEST_MAIN(TestRoiPreview)
#include "tst_roipreview.moc"
