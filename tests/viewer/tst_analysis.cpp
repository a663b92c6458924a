// The analysis tools: the histogram of a picture with known values, the raw samples of the
// deeper formats and their histogram, the statistics and histogram docks on a stream with lost
// frames, and the pixel inspector at 100 % and zoomed in.
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>
#include <mutex>

#include "clippingoverlay.h"
#include "histogramdock.h"
#include "histogramview.h"
#include "histogramworker.h"
#include "pixelfamily.h"
#include "pixelreadout.h"
#include "simcamera.h"
#include "streamstatisticsdock.h"

class TestAnalysis : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { simtest::initSimulatedOnly(); }
    void cleanupTestCase() { OrvantaUninit(); }

    void histogramOfAKnownPicture()
    {
        // 10 x 10 RGB: R is 0 in 30 pixels and 255 in 70; G is 7 everywhere; B is the row.
        QImage rgb(10, 10, QImage::Format_RGB888);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                rgb.setPixel(x, y, qRgb(y < 3 ? 0 : 255, 7, y));
        const Histogram h = Histogram::of(rgb);
        QCOMPARE(h.channels.size(), 3);
        QCOMPARE(h.pixels, quint64(100));
        const ChannelHistogram &r = h.channels[0], &g = h.channels[1], &b = h.channels[2];
        QCOMPARE(r.bins[0], quint64(30));
        QCOMPARE(r.bins[255], quint64(70));
        QCOMPARE(r.lowShare, 0.3);
        QCOMPARE(r.highShare, 0.7);
        QCOMPARE(r.mean, 0.7 * 255);
        QVERIFY(std::abs(r.deviation - 255 * std::sqrt(0.21)) < 1e-9);
        QCOMPARE(g.bins[7], quint64(100));
        QCOMPARE(g.minimum, 7);
        QCOMPARE(g.maximum, 7);
        QCOMPARE(g.deviation, 0.0);
        QCOMPARE(g.lowShare + g.highShare, 0.0);
        for (int v = 0; v < 10; ++v)
            QCOMPARE(b.bins[v], quint64(10));
        QCOMPARE(b.minimum, 0);
        QCOMPARE(b.maximum, 9);
        QCOMPARE(b.mean, 4.5);

        // The overlay marks clipped pixels: red at 255 in any channel, else blue at 0.
        const QImage marked = withClippingMarked(rgb);
        QCOMPARE(marked.pixel(0, 0), qRgb(0, 0, 255));
        QCOMPARE(marked.pixel(5, 5), qRgb(255, 0, 0));

        // A grey picture has one channel; rows padded to 4 bytes are not counted.
        QImage grey(3, 2, QImage::Format_Grayscale8);
        grey.fill(200);
        const Histogram gh = Histogram::of(grey);
        QCOMPARE(gh.channels.size(), 1);
        QCOMPARE(gh.channels[0].bins[200], quint64(6));
        QCOMPARE(gh.channels[0].bins[0], quint64(0));
        grey.scanLine(0)[0] = 0;
        grey.scanLine(0)[1] = 255;
        const QImage greyMarked = withClippingMarked(grey);
        QCOMPARE(greyMarked.pixel(0, 0), qRgb(0, 0, 255));
        QCOMPARE(greyMarked.pixel(1, 0), qRgb(255, 0, 0));
        QCOMPARE(greyMarked.pixel(2, 0), qRgb(200, 200, 200));
    }

    void rawSamplesOfTheDeeperFormats()
    {
        // Pixels 0..3 of a 4 x 1 frame hold 0x123, 0xABC, 0x001, 0xFFF (12 bits) in each layout.
        OImageFrame f{};
        f.width = 4;
        f.height = 1;
        const struct
        {
            uint32_t format, bits;
            std::vector<unsigned char> data;
        } cases[] = {
            {ORVANTA_PIXEL_MONO12, 16, {0x23, 0x01, 0xBC, 0x0A, 0x01, 0x00, 0xFF, 0x0F}},
            {ORVANTA_PIXEL_MONO12P, 12, {0x23, 0xC1, 0xAB, 0x01, 0xF0, 0xFF}},
            {ORVANTA_PIXEL_BAYERGR12PACKED, 12, {0x12, 0xC3, 0xAB, 0x00, 0xF1, 0xFF}},
        };
        const int expected[] = {0x123, 0xABC, 0x001, 0xFFF};
        for (const auto& c : cases) {
            f.pixelFormat = c.format;
            f.bitsPerPixel = c.bits;
            f.rawData = const_cast<unsigned char*>(c.data.data());
            f.dataSize = uint32_t(c.data.size());
            for (int x = 0; x < 4; ++x)
                QCOMPARE(rawSampleAt(f, x, 0), expected[x]);
            QCOMPARE(rawSampleAt(f, 4, 0), -1); // outside
            // The histogram's 256 bins span the 12-bit range.
            const Histogram h = Histogram::ofSamples(f, 12);
            QCOMPARE(h.depth, 12);
            const ChannelHistogram& ch = h.channels.at(0);
            for (int v : expected)
                QCOMPARE(ch.bins[size_t(v >> 4)], quint64(1));
            QCOMPARE(ch.minimum, 1);
            QCOMPARE(ch.maximum, 4095);
            QCOMPARE(ch.mean, (0x123 + 0xABC + 0x001 + 0xFFF) / 4.0);
            QCOMPARE(ch.highShare, 0.25);
            QCOMPARE(ch.lowShare, 0.0);
        }
        // Mono10p: 10-bit samples 0x3FF, 0x001 as a bit stream.
        const unsigned char tenBits[] = {0xFF, 0x07, 0x00};
        f.width = 2;
        f.pixelFormat = ORVANTA_PIXEL_MONO10P;
        f.bitsPerPixel = 10;
        f.rawData = const_cast<unsigned char*>(tenBits);
        f.dataSize = sizeof tenBits;
        QCOMPARE(rawSampleAt(f, 0, 0), 0x3FF);
        QCOMPARE(rawSampleAt(f, 1, 0), 0x001);
        f.bitsPerPixel = 8; // 8-bit formats have no raw value beyond the shown one
        f.pixelFormat = ORVANTA_PIXEL_MONO8;
        QCOMPARE(rawSampleAt(f, 0, 0), -1);
    }

    void docksFollowAStreamWithLostFrames()
    {
        simtest::Camera cam("mono");
        QVERIFY(cam.isOpen());
        CameraSession& s = cam.session();
        QCOMPARE(OrvantaSetSizeInfo(cam.handle(), OSizeInfo{0, 0, 320, 64, 0, 0}), int(ORVANTA_OK));
        QCOMPARE(OrvantaSetPixelFormatStr(cam.handle(), "Mono12"), int(ORVANTA_OK));
        const OSimStreamFaults everyThirdCorrupt{0, 3, 0, 0};
        QCOMPARE(OrvantaSimSetStreamFaults(cam.id(), &everyThirdCorrupt), int(ORVANTA_OK));
        StreamStatisticsDock stats(&s);
        HistogramDock histogram(&s);
        stats.show();
        histogram.show();
        QSignalSpy shown(&histogram, &HistogramDock::histogramShown);

        s.setProbe(QPoint(319, 63)); // the pixel inspector's raw sample: the last pixel
        QVERIFY(s.start());
        QTRY_VERIFY_WITH_TIMEOUT(s.frameCount() >= 10 && shown.count() >= 2, 10000);
        QVERIFY(s.probedRawValue() >= 0 && s.probedRawValue() < 4096);
        s.stop();
        stats.refresh();
        bool alarm = false;
        QCOMPARE(stats.shownValue(QStringLiteral("Delivered")), QString::number(s.frameCount()));
        QVERIFY(stats.shownValue(QStringLiteral("Incomplete"), &alarm).toInt() > 0);
        QVERIFY(alarm);
        QCOMPARE(stats.shownValue(QStringLiteral("Packets missing"), &alarm), QStringLiteral("0"));
        QVERIFY(!alarm);
        QVERIFY(histogram.view()->histogram().pixels == 320u * 64u);
        QCOMPARE(histogram.view()->histogram().channels.size(), 1);
        QCOMPARE(histogram.view()->histogram().depth, 12); // bins over the camera's samples
        QVERIFY(histogram.worker()->lastCostMs() >= 0);

        stats.reset();
        QCOMPARE(stats.shownValue(QStringLiteral("Delivered")), QStringLiteral("0"));
        QCOMPARE(stats.shownValue(QStringLiteral("Incomplete"), &alarm), QStringLiteral("0"));
        QVERIFY(!alarm);
    }

    void pixelInspectorReadsTheImageUnderTheCursor()
    {
        simtest::Camera cam("mono"); // open, not streaming: shown as grey
        QGraphicsScene scene;
        QImage picture(40, 30, QImage::Format_Grayscale8);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                picture.scanLine(y)[x] = uchar(x + 100 * (y == 20));
        scene.addPixmap(QPixmap::fromImage(picture));
        QGraphicsView view(&scene);
        view.setAlignment(Qt::AlignLeft | Qt::AlignTop);
        view.resize(200, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        PixelReadout inspector(&view, &cam.session());

        const QPoint origin = view.mapFromScene(QPointF(0, 0));
        QCOMPARE(inspector.describe(origin + QPoint(12, 20)),
                 QStringLiteral("(12, 20)  112   100 %"));
        view.scale(4, 4);
        const QPoint zoomed = view.mapFromScene(QPointF(0, 0));
        QCOMPARE(inspector.describe(zoomed + QPoint(4 * 12 + 2, 4 * 20 + 3)),
                 QStringLiteral("(12, 20)  112   400 %"));
        QCOMPARE(inspector.describe(zoomed + QPoint(4 * 7 + 1, 4 * 3)),
                 QStringLiteral("(7, 3)  7   400 %"));
        QCOMPARE(inspector.describe(QPoint(-1, -1)), QStringLiteral("400 %"));
    }

    // On a stream the inspector reads the frame as delivered: a clipped pixel has its own value,
    // not that of its mark, and a grey one its grey value.
    void pixelInspectorReadsTheFrameNotItsMarks()
    {
        const struct
        {
            const char* format;
            bool marked;
        } cases[] = {{"RGB8", false}, {"RGB8", true}, {"Mono8", true}};
        for (const auto& c : cases) {
            simtest::Camera cam("formats"); // 64 x 48
            CameraSession& s = cam.session();
            QCOMPARE(OrvantaSetPixelFormatStr(cam.handle(), c.format), int(ORVANTA_OK));
            QCOMPARE(OrvantaSetGain(cam.handle(), 240, false), int(ORVANTA_OK)); // clips
            std::mutex mutex;
            QImage delivered;
            s.addFrameTap([&](const QImage& picture, const OImageFrame*) {
                std::lock_guard<std::mutex> lock(mutex);
                delivered = picture.copy();
            });
            s.setMarkClipped(c.marked);
            // Shown the way the window shows frames: queued to the view.
            QGraphicsScene scene;
            QGraphicsPixmapItem* item = scene.addPixmap(QPixmap());
            connect(
                &s, &CameraSession::frameReady, &scene,
                [item](const QPixmap& pixmap) { item->setPixmap(pixmap); }, Qt::QueuedConnection);
            QGraphicsView view(&scene);
            view.setAlignment(Qt::AlignLeft | Qt::AlignTop);
            view.resize(200, 200);
            view.show();
            QVERIFY(QTest::qWaitForWindowExposed(&view));
            PixelReadout inspector(&view, &s);
            QVERIFY(s.start());
            QTRY_VERIFY(!item->pixmap().isNull());
            OrvantaSimSetDelivering(cam.id(), 0); // the last frame stays on show
            for (quint64 counted = 0; counted != s.frameCount();) {
                counted = s.frameCount();
                QTest::qWait(200); // some display periods: the last frame is shown by then
            }

            std::lock_guard<std::mutex> lock(mutex);
            const QImage shown = item->pixmap().toImage();
            QPoint clipped(-1, -1);
            for (int y = 0; y < delivered.height() && clipped.x() < 0; ++y)
                for (int x = 0; x < delivered.width() && clipped.x() < 0; ++x)
                    if (qMax(qMax(qRed(delivered.pixel(x, y)), qGreen(delivered.pixel(x, y))),
                             qBlue(delivered.pixel(x, y))) == 255)
                        clipped = QPoint(x, y);
            QVERIFY2(clipped.x() >= 0, c.format);
            if (c.marked)
                QCOMPARE(shown.pixel(clipped), qRgb(255, 0, 0));
            for (const QPoint at : {clipped, QPoint(5, 7)}) {
                const QRgb v = delivered.pixel(at);
                const QString value =
                    c.format == QLatin1String("RGB8")
                        ? QStringLiteral("R %1 G %2 B %3").arg(qRed(v)).arg(qGreen(v)).arg(qBlue(v))
                        : QString::number(qGray(v));
                QCOMPARE(inspector.describe(view.mapFromScene(QPointF(0, 0)) + at),
                         QStringLiteral("(%1, %2)  %3   100 %").arg(at.x()).arg(at.y()).arg(value));
            }
            s.stop();
        }
    }
};

QTEST_MAIN(TestAnalysis)
#include "tst_analysis.moc"
