// Saving displayed frames: file names, the bytes of each format, "Once", the folder made ready
// (or refused with a box) when Save is pressed, the "saving to" line, failures that must reach
// the log instead of passing silently, and the save options remembered across a restart.
#include "tst_mainwindow_util.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QSemaphore>
#include <QTemporaryDir>

#include "cameractrl.h"
#include "framesaver.h"
#include "simcamera.h"

using namespace mwtest;

namespace {
void chooseSaveOptions(MainWindow& w, const QString& path, const QString& ext, bool once)
{
    CameraCtrl* ctrl = w.cameraCtrl();
    ctrl->findChild<QLineEdit*>(QStringLiteral("edSavePath"))->setText(path);
    auto* combo = ctrl->findChild<QComboBox*>(QStringLiteral("cmbSaveExt"));
    const int index = combo->findText(ext);
    QVERIFY2(index >= 0, qPrintable(ext + " not offered"));
    combo->setCurrentIndex(index);
    ctrl->findChild<QRadioButton*>(once ? QStringLiteral("radioSaveOnce")
                                        : QStringLiteral("radioSaveAll"))
        ->click();
}

QStringList filesIn(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

QStringList logLinesWith(MainWindow& w, const QString& text)
{
    QStringList lines;
    for (int i = 0; i < w.logStatus()->lineCount(); ++i)
        if (w.logStatus()->line(i).contains(text))
            lines << w.logStatus()->line(i);
    return lines;
}

// Streams, presses Save ("Once") and waits for the one file; returns its path.
QString saveOnce(MainWindow& w, const QString& dir)
{
    w.slotStartCamera();
    if (!QTest::qWaitFor([&] { return w.receivedFrameCount() > 0; }, 10000)) {
        return QString();
    }
    QAction* save = action(w, "actionSave");
    save->trigger();
    const bool done =
        QTest::qWaitFor([&] { return !save->isChecked() && filesIn(dir).size() == 1; }, 10000);
    Q_UNUSED(done); // the caller checks the files
    w.slotStopCamera();
    w.waitForSaves();
    QCoreApplication::sendPostedEvents(); // the pictures displayed before the stop
    const QStringList files = filesIn(dir);
    return files.size() == 1 ? dir + QLatin1Char('/') + files.first() : QString();
}

QByteArray packedPixels(const QImage& img)
{
    QByteArray out;
    const int rowBytes = img.width() * img.depth() / 8;
    for (int y = 0; y < img.height(); ++y) {
        out.append(reinterpret_cast<const char*>(img.constScanLine(y)), rowBytes);
    }
    return out;
}

// True when one of the recently displayed pictures, in 'format', has exactly these pixels.
bool wasDisplayedPacked(const DisplayedPictures& shown, const QByteArray& pixels,
                        QImage::Format format)
{
    for (const QImage& img : shown.images) {
        if (packedPixels(img.convertToFormat(format)) == pixels) {
            return true;
        }
    }
    return false;
}
} // namespace

class TestMainWindowSave : public QObject
{
    Q_OBJECT

private slots:
    void fileNameForAFixedTime()
    {
        SaveJob job;
        job.path = QStringLiteral("/tmp");
        job.cameraId = QStringLiteral("CAM1");
        job.extension = QStringLiteral("PNG");
        const QDateTime when(QDate(2026, 3, 3), QTime(14, 5, 9, 7));
        QCOMPARE(saveFileName(job, when), QStringLiteral("/tmp/CAM1_3_3_14_5_9_7.PNG"));
    }

    void framesOfTheSameMillisecondKeepTheirOwnFiles()
    {
        QTemporaryDir dir;
        SaveJob job;
        job.path = dir.path();
        job.cameraId = QStringLiteral("CAM1");
        job.extension = QStringLiteral("RAW");
        const QDateTime when(QDate(2026, 3, 3), QTime(14, 5, 9, 7));
        QStringList names;
        for (char c : {'a', 'b', 'c'}) {
            job.data = QByteArray(16, c);
            QString name;
            QString error;
            QVERIFY2(writeSaveJob(job, when, &name, &error), qPrintable(error));
            names << name;
        }
        QCOMPARE(names.at(0), dir.path() + QStringLiteral("/CAM1_3_3_14_5_9_7.RAW"));
        QCOMPARE(names.at(1), dir.path() + QStringLiteral("/CAM1_3_3_14_5_9_7-1.RAW"));
        QCOMPARE(names.at(2), dir.path() + QStringLiteral("/CAM1_3_3_14_5_9_7-2.RAW"));
        for (int i = 0; i < 3; ++i) {
            QFile f(names.at(i));
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), QByteArray(16, "abc"[i]));
        }
    }

    void backlogOfSavesIsBounded()
    {
        // The first job fails and its log report waits, so it stays pending: the second job
        // is refused until it has finished.
        QTemporaryDir dir;
        QSemaphore release;
        QSemaphore reported;
        FrameSaver saver(
            [&](const QString&) {
                reported.release();
                release.acquire();
            },
            1);
        SaveJob job;
        job.path = dir.path() + QStringLiteral("/missing");
        job.cameraId = QStringLiteral("CAM1");
        job.extension = QStringLiteral("RAW");
        job.data = QByteArray(8, 'x');
        SaveJob second = job;
        second.path = dir.path();
        QVERIFY(saver.trySubmit(job));
        QVERIFY(reported.tryAcquire(1, 10000));
        QVERIFY(!saver.trySubmit(second));
        QCOMPARE(second.data, QByteArray(8, 'x')); // a refused job is left to the caller
        release.release();
        saver.waitForIdle();
        QVERIFY(saver.trySubmit(second));
        saver.waitForIdle();
        QCOMPARE(filesIn(dir.path()).size(), 1);
    }

    void pngOnceHoldsTheDisplayedPicture()
    {
        QTemporaryDir dir;
        auto w = makeWindow("mono:1");
        const QString id = sdkCameraId(0);
        w->slotOpenCamera(0);
        chooseSaveOptions(*w, dir.path(), QStringLiteral("PNG"), true);
        DisplayedPictures shown(*w);
        const QString file = saveOnce(*w, dir.path());
        QVERIFY2(!file.isEmpty(), qPrintable(filesIn(dir.path()).join(' ')));
        QVERIFY(!action(*w, "actionSave")->isChecked());
        QVERIFY(QFileInfo(file).fileName().startsWith(id + QLatin1Char('_')));
        QVERIFY(file.endsWith(QLatin1String(".PNG")));
        QImage decoded(file);
        QCOMPARE(decoded.size(), QSize(1280, 1024));
        decoded = decoded.convertToFormat(QImage::Format_Grayscale8);
        QVERIFY(wasDisplayedPacked(shown, packedPixels(decoded), QImage::Format_Grayscale8));
    }

    void rawHoldsTheSensorBytesOfTheDisplayedFrame()
    {
        QTemporaryDir dir;
        auto w = makeWindow("mono:1");
        w->slotOpenCamera(0);
        QCOMPARE(OrvantaSetPixelFormatStr(w->cameraHandle(), "Mono12"), int(ORVANTA_OK));
        chooseSaveOptions(*w, dir.path(), QStringLiteral("RAW"), true);
        DisplayedPictures shown(*w);
        const QString file = saveOnce(*w, dir.path());
        QVERIFY(!file.isEmpty());
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray raw = f.readAll();
        QCOMPARE(raw.size(), 1280 * 1024 * 2); // dataSize: 16-bit containers, no header
        QByteArray top(1280 * 1024, 0);
        const auto* samples = reinterpret_cast<const quint16*>(raw.constData());
        for (int i = 0; i < top.size(); ++i) {
            QVERIFY(samples[i] <= 4095);
            top[i] = char(samples[i] >> 4);
        }
        QVERIFY(wasDisplayedPacked(shown, top, QImage::Format_Grayscale8));
    }

    void rgbOf640x480IsItsPackedColourBytes()
    {
        QTemporaryDir dir;
        auto w = makeWindow("color:1");
        w->slotOpenCamera(0);
        OSizeInfo roi = {0, 0, 640, 480, 0, 0};
        QCOMPARE(OrvantaSetSizeInfo(w->cameraHandle(), roi), int(ORVANTA_OK));
        w->cameraCtrl()->loadVideoInfo();
        chooseSaveOptions(*w, dir.path(), QStringLiteral("RGB"), true);
        DisplayedPictures shown(*w);
        const QString file = saveOnce(*w, dir.path());
        QVERIFY(!file.isEmpty());
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray rgb = f.readAll();
        QCOMPARE(rgb.size(), 921600);
        QVERIFY(wasDisplayedPacked(shown, rgb, QImage::Format_RGB888));
    }

    void saveAllWritesWhileChecked()
    {
        QTemporaryDir dir;
        auto w = makeWindow("mono:1");
        w->slotOpenCamera(0);
        chooseSaveOptions(*w, dir.path(), QStringLiteral("BMP"), false);
        w->slotStartCamera();
        QAction* save = action(*w, "actionSave");
        save->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(filesIn(dir.path()).size() >= 3, 10000);
        QVERIFY(save->isChecked());
        save->trigger();
        w->slotStopCamera();
        w->waitForSaves();
        const int written = filesIn(dir.path()).size();
        w->slotStartCamera();
        QTest::qWait(300);
        w->slotStopCamera();
        w->waitForSaves();
        QCOMPARE(filesIn(dir.path()).size(), written);
    }

    void missingFolderIsCreatedAndTheFirstFileLogged()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + QStringLiteral("/new/frames");
        auto w = makeWindow("mono:1");
        w->slotOpenCamera(0);
        chooseSaveOptions(*w, folder, QStringLiteral("BMP"), true);
        const QString file = saveOnce(*w, folder);
        QVERIFY2(!file.isEmpty(), qPrintable(filesIn(folder).join(' ')));
        QTRY_VERIFY(logContains(*w, QStringLiteral("saving to ") + file));

        // A run of "All" names its first file only.
        chooseSaveOptions(*w, folder, QStringLiteral("BMP"), false);
        w->slotStartCamera();
        QAction* save = action(*w, "actionSave");
        save->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(filesIn(folder).size() >= 4, 10000);
        save->trigger();
        w->slotStopCamera();
        w->waitForSaves();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(logLinesWith(*w, QStringLiteral("saving to ")).size(), 2);
    }

    void unusableFoldersAreRefusedWhenSaveIsPressed()
    {
        QTemporaryDir dir;
        QFile plain(dir.path() + QStringLiteral("/plain"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        auto w = makeWindow("mono:1");
        w->slotOpenCamera(0);
        w->slotStartCamera();
        QTRY_VERIFY(w->receivedFrameCount() > 0);
        QAction* save = action(*w, "actionSave");
        // Run as root, permission bits would not stop a write: these fail for root too. /sys
        // is a folder nobody may create files in, and a folder cannot be made under a file.
        const QList<QPair<QString, QString>> cases = {
            {QString(), QStringLiteral("Cannot save: no folder is set")},
            {plain.fileName() + QStringLiteral("/sub"),
             QStringLiteral("Cannot save to \"%1/sub\": the folder cannot be created (")
                 .arg(plain.fileName())},
            {QStringLiteral("/sys"),
             QStringLiteral("Cannot save to \"/sys\": the folder is not writable (")},
        };
        for (const auto& c : cases) {
            chooseSaveOptions(*w, c.first, QStringLiteral("PNG"), false);
            MessageBoxAnswer box(QMessageBox::Ok);
            save->trigger();
            QVERIFY(box.seen);
            QCOMPARE(box.title, QStringLiteral("Save"));
            QVERIFY2(box.text.startsWith(c.second), qPrintable(box.text));
            QVERIFY(!save->isChecked());
            QVERIFY(lastLog(*w).endsWith(box.text));
        }
        QTest::qWait(200); // frames keep coming: none of them is saved
        w->slotStopCamera();
        w->waitForSaves();
        QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("plain")});
        QVERIFY(logLinesWith(*w, QStringLiteral(" failed: ")).isEmpty());
        QVERIFY(logLinesWith(*w, QStringLiteral("saving to")).isEmpty());
    }

    void failedSaveIsLogged()
    {
        // The folder goes away during a run: each save that fails says so in the log.
        QTemporaryDir dir;
        const QString folder = dir.path() + QStringLiteral("/run");
        auto w = makeWindow("mono:1");
        w->slotOpenCamera(0);
        chooseSaveOptions(*w, folder, QStringLiteral("PNG"), false);
        w->slotStartCamera();
        QTRY_VERIFY(w->receivedFrameCount() > 0);
        QAction* save = action(*w, "actionSave");
        save->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!filesIn(folder).isEmpty(), 10000);
        QTRY_VERIFY(QDir(folder).removeRecursively());
        QTRY_VERIFY_WITH_TIMEOUT(!logLinesWith(*w, QStringLiteral(" failed: ")).isEmpty(), 10000);
        save->trigger();
        w->slotStopCamera();
        const QString line = logLinesWith(*w, QStringLiteral(" failed: ")).first();
        QVERIFY2(line.contains(QStringLiteral("save %1/%2_").arg(folder, w->cameraId())),
                 qPrintable(line));
        QVERIFY2(line.contains(QLatin1String(".PNG failed: ")), qPrintable(line));
    }

    void saveOptionsSurviveARestart()
    {
        QTemporaryDir dir;
        {
            auto w = makeWindow("mono:1");
            w->slotOpenCamera(0);
            CameraCtrl* ctrl = w->cameraCtrl();
            // As a user: type the folder and press Return, pick a format and the count.
            auto* path = ctrl->findChild<QLineEdit*>(QStringLiteral("edSavePath"));
            path->setText(dir.path());
            QTest::keyClick(path, Qt::Key_Return);
            simtest::chooseItem(ctrl->findChild<QComboBox*>(QStringLiteral("cmbSaveExt")),
                                QStringLiteral("PNG"));
            ctrl->findChild<QRadioButton*>(QStringLiteral("radioSaveAll"))->click();
        }
        auto w = makeWindow("mono:1");
        w->slotOpenCamera(0);
        QString path, ext;
        int count = 0;
        w->cameraCtrl()->getSaveOpt(&path, &ext, &count);
        QCOMPARE(path, dir.path());
        QCOMPARE(ext, QStringLiteral("PNG"));
        QCOMPARE(count, -1);
        QVERIFY(
            w->cameraCtrl()->findChild<QRadioButton*>(QStringLiteral("radioSaveAll"))->isChecked());
    }
};

QTEST_MAIN(TestMainWindowSave)
#include "tst_mainwindow_save.moc"
