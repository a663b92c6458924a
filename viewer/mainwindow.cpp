#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QDebug>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QtConcurrent>

#include <chrono>
#include <cstring>
#include <pthread.h>
#include <unistd.h>

#include "aboutdialog.h"
#include "accessregister.h"
#include "cameractrl.h"
#include "cameralist.h"
#include "drawcenterdlg.h"
#include "framehandover.h"
#include "framesaver.h"
#include "logstatus.h"
#include "ratewindow.h"
#include "xmlctrl.h"

namespace {
// The SDK callbacks carry no context; they reach the window through this pointer.
std::atomic<MainWindow*> g_mainWindow{nullptr};

constexpr std::chrono::microseconds kDisplayPeriod(33000);
const char kStoppedRateText[] = "               0.0 fps (0.0 MB/s)";

int64_t monotonicMicros()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

// An image over a frame's display plane, rows packed (no copy).
QImage imageOver(const unsigned char* pixels, int width, int height, bool colour)
{
    return colour ? QImage(pixels, width, height, width * 3, QImage::Format_RGB888)
                  : QImage(pixels, width, height, width, QImage::Format_Grayscale8);
}
} // namespace

// Pool task of the periodic discovery.
void DiscoveryThread(void* window)
{
    static_cast<MainWindow*>(window)->DiscoveryProc();
}

// Pool task that waits up to 1.5 s for the single-grab frame.
void OneGrabThread(void* window)
{
    auto* w = static_cast<MainWindow*>(window);
    for (int i = 0; i < 150 && !w->m_grabDone; ++i) {
        usleep(10000);
    }
    if (!w->m_grabDone) {
        emit w->sigStatusBar(0, 0, 0);
    }
}

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), m_frames(new FrameHandOver), m_rateWindow(new RateWindow)
{
    m_discoveryWatcher = new QFutureWatcher<void>(this);
    m_grabWatcher = new QFutureWatcher<void>(this);
    m_saver.reset(new FrameSaver([this](const QString& line) { emit sigTraceLog(line); }));

    ui = new Ui::MainWindow;
    ui->setupUi(this);
    OrvantaInit();

    connectActions();
    createDocks();
    connect(this, &MainWindow::sigStatusBar, this, &MainWindow::slotStatusBar);
    connect(m_grabWatcher, &QFutureWatcher<void>::finished, this, &MainWindow::slotFinishedGrab);

    init_graphics_view(false);
    g_mainWindow = this;
    ui->graphicsView->setFitFlag(&m_fit);

    createStatusLabels();
    emit sigTraceLog(QStringLiteral("Start orvantaviewer"));
    UpdateUIStatus(false, 0);
    slotRefreshCamera(&m_cameraCount);

    m_discoveryTimer = new QTimer(this);
    connect(m_discoveryTimer, &QTimer::timeout, this, &MainWindow::OnTimer);
    m_discoveryTimer->start(3000);
}

MainWindow::~MainWindow()
{
    m_discoveryTimer->stop();
    m_discoveryWatcher->waitForFinished();
    m_grabWatcher->waitForFinished();
    // Closing before OrvantaUninit: the SDK refuses calls on the session after it.
    slotCloseCamera();
    waitForSaves();
    g_mainWindow = nullptr;
    OrvantaUninit();
    delete ui;
}

bool MainWindow::isAcquiring() const
{
    return m_acquiring;
}

void MainWindow::resetReceivedFrameCount()
{
    m_recvCount = 0;
}

quint64 MainWindow::receivedFrameCount() const
{
    return m_recvCount;
}

OrvantaHandle MainWindow::cameraHandle() const
{
    return m_handle;
}

QString MainWindow::cameraId() const
{
    return QString::fromLatin1(m_cameraID);
}

CameraCtrl* MainWindow::cameraCtrl() const
{
    return m_cameraCtrl;
}

CameraList* MainWindow::cameraList() const
{
    return m_cameraList;
}

XMLCtrl* MainWindow::xmlCtrl() const
{
    return m_xmlCtrl;
}

LogStatus* MainWindow::logStatus() const
{
    return m_logStatus;
}

void MainWindow::waitForSaves()
{
    m_saver->waitForIdle();
}

void MainWindow::connectActions()
{
    // The plain triggered() actions call the slots with their default arguments.
    connect(ui->actionDiscovery, &QAction::triggered, this, [this] { slotRefreshCamera(); });
    connect(ui->actionOpen, &QAction::triggered, this, [this] { slotOpenCamera(); });
    connect(ui->actionClose, &QAction::triggered, this, &MainWindow::slotCloseCamera);
    connect(ui->actionPlay, &QAction::triggered, this, &MainWindow::slotStartCamera);
    connect(ui->actionStop, &QAction::triggered, this, &MainWindow::slotStopCamera);
    connect(ui->actionOneGrab, &QAction::triggered, this, &MainWindow::slotOneGrab);
    connect(ui->actionAbout_Orvanta, &QAction::triggered, this, &MainWindow::slotShowAboutDlg);
    connect(ui->actionDrawCenter, &QAction::toggled, this, &MainWindow::slotShowDrawCenterDlg);
    connect(ui->actionRegisterAccess_2, &QAction::triggered, this, &MainWindow::slotAccessRegister);
    connect(ui->actionCameraReset, &QAction::triggered, this, &MainWindow::slotResetCamera);
    connect(ui->actionSave, &QAction::triggered, this, &MainWindow::slotSaveImg);
    connect(ui->actionExit, &QAction::triggered, this, &MainWindow::slotExit);
    connect(ui->actionZoomFIT, &QAction::triggered, this, &MainWindow::slotZoomFit);
    connect(ui->actionZoom100, &QAction::triggered, this, &MainWindow::slotZoom100);
    connect(ui->actionZoomIN, &QAction::triggered, this, &MainWindow::slotZoomIn);
    connect(ui->actionZoomOUT, &QAction::triggered, this, &MainWindow::slotZoomOut);
}

void MainWindow::createDocks()
{
    m_logStatus = new LogStatus(this);
    addDockWidget(Qt::BottomDockWidgetArea, m_logStatus);
    connect(m_logStatus->toggleViewAction(), &QAction::triggered, this,
            &MainWindow::slotShowLogStatus);
    connect(ui->actionShowLogStatus, &QAction::triggered, this, [this] { slotShowLogStatus(); });
    connect(this, &MainWindow::sigTraceLog, m_logStatus, &LogStatus::slotTraceLog);

    m_cameraList = new CameraList(this);
    addDockWidget(Qt::LeftDockWidgetArea, m_cameraList);
    connect(m_cameraList->toggleViewAction(), &QAction::triggered, this,
            &MainWindow::slotShowCameraList);
    connect(ui->actionShowCameraList, &QAction::triggered, this, [this] { slotShowCameraList(); });
    connect(this, &MainWindow::sigUpdateCameraList, m_cameraList,
            &CameraList::slotUpdateCameraList);
    connect(this, &MainWindow::sigCameraOpened, m_cameraList, &CameraList::slotCameraOpened);
    connect(m_cameraList, &CameraList::sigOpenCamera, this, &MainWindow::slotOpenCamera);

    m_xmlCtrl = new XMLCtrl(this);
    addDockWidget(Qt::LeftDockWidgetArea, m_xmlCtrl);
    connect(m_xmlCtrl->toggleViewAction(), &QAction::triggered, this, &MainWindow::slotShowXMLCtrl);
    connect(ui->actionShowXMLControl, &QAction::triggered, this, [this] { slotShowXMLCtrl(); });

    m_cameraCtrl = new CameraCtrl(this);
    m_cameraCtrl->hide();
    addDockWidget(Qt::RightDockWidgetArea, m_cameraCtrl);
    connect(m_cameraCtrl->toggleViewAction(), &QAction::triggered, this,
            &MainWindow::slotShowCameraCtrl);
    connect(ui->actionShowCameraControl, &QAction::triggered, this,
            [this] { slotShowCameraCtrl(); });
    connect(ui->actionControl, &QAction::triggered, this, [this] { slotShowCameraCtrl(); });

    connect(m_xmlCtrl, &XMLCtrl::sigUpdateFeatureInfo, m_cameraCtrl, &CameraCtrl::loadFeatureValue);
    connect(m_xmlCtrl, &XMLCtrl::sigUpdateVideoInfo, m_cameraCtrl, &CameraCtrl::loadVideoInfo);
    connect(m_xmlCtrl, &XMLCtrl::sigUpdateTriggerInfo, m_cameraCtrl, &CameraCtrl::loadTriggerValue);
    connect(m_xmlCtrl, &XMLCtrl::sigUpdateStrobeInfo, m_cameraCtrl, &CameraCtrl::loadStrobeValue);
    connect(m_xmlCtrl, &XMLCtrl::sigUpdateUSerSetInfo, m_cameraCtrl, &CameraCtrl::loadUserSet);

    m_aboutDlg = new AboutDialog(this);
    m_aboutDlg->hide();
    m_drawCenterDlg = new DrawCenterDlg(this);
    m_drawCenterDlg->hide();
    connect(m_drawCenterDlg, &DrawCenterDlg::sigValueApply, this, &MainWindow::slotCenterValue);
    m_centerColor = Qt::red;
    m_centerWidth = 2;
}

void MainWindow::createStatusLabels()
{
    m_rateLabel = new QLabel(this);
    m_countLabel = new QLabel(this);
    m_rateLabel->setObjectName(QStringLiteral("laRate"));
    m_countLabel->setObjectName(QStringLiteral("laCount"));
    m_countRefresh = new QTimer(this);
    m_countRefresh->setSingleShot(true);
    m_countRefresh->setInterval(int(kDisplayPeriod.count() / 1000));
    connect(m_countRefresh, &QTimer::timeout, this, [this] {
        m_countUpdatePending = false; // the callback may signal again
        showCount();
    });
    slotStatusBar(0, 0, 0);
    showRate(0, 0);
    statusBar()->addPermanentWidget(m_rateLabel);
    statusBar()->addPermanentWidget(m_countLabel);
}

// ---- Small slots --------------------------------------------------------------------------

void MainWindow::slotShowCameraList(bool checked)
{
    if (checked) {
        m_cameraList->show();
        m_cameraList->raise();
    }
}

void MainWindow::slotShowXMLCtrl(bool checked)
{
    if (checked) {
        m_xmlCtrl->show();
        m_xmlCtrl->raise();
    }
}

void MainWindow::slotShowCameraCtrl(bool checked)
{
    if (checked) {
        m_cameraCtrl->show();
        m_cameraCtrl->raise();
    }
}

void MainWindow::slotShowLogStatus(bool checked)
{
    if (checked) {
        m_logStatus->show();
        m_logStatus->raise();
    }
}

void MainWindow::slotShowAboutDlg()
{
    m_aboutDlg->show();
}

void MainWindow::slotShowDrawCenterDlg(bool checked)
{
    m_drawCenterDlg->setVisible(checked);
}

void MainWindow::slotCenterValue(int width, QColor color)
{
    m_centerWidth = width;
    m_centerColor = color;
}

// ---- Discovery and session ----------------------------------------------------------------

void MainWindow::slotRefreshCamera(int* nNum)
{
    int n = 0;
    OrvantaNumberOfCameras(&n);
    QStringList names;
    for (int i = 0; i < n; ++i) {
        char name[ORVANTA_TEXT_SIZE] = {};
        OrvantaGetDisplayName(i, name);
        names << QString::fromLatin1(name);
    }
    emit sigUpdateCameraList(names);
    if (nNum) {
        *nNum = n;
    }
}

void MainWindow::OnTimer()
{
    // A discovery still running (slow SDK) is not doubled.
    if (m_discoveryWatcher->isRunning()) {
        return;
    }
    m_discoveryWatcher->setFuture(QtConcurrent::run(DiscoveryThread, static_cast<void*>(this)));
}

void MainWindow::DiscoveryProc()
{
    // Runs on a pool thread: only the SDK is asked here; the decision, which reads the
    // session and may close it, is handed to the main thread.
    int n = 0;
    slotRefreshCamera(&n);
    QStringList ids;
    for (int i = 0; i < n; ++i) {
        char id[ORVANTA_TEXT_SIZE] = {};
        OrvantaGetCameraID(i, id);
        ids << QString::fromLatin1(id);
    }
    QMetaObject::invokeMethod(
        this, [this, n, ids] { applyDiscovery(n, ids); }, Qt::QueuedConnection);
}

void MainWindow::applyDiscovery(int count, const QStringList& ids)
{
    const QString openId = cameraId();
    if (count != m_cameraCount && !openId.isEmpty()) {
        if (count >= 1 && ids.contains(openId)) {
            qDebug() << "camera still present:" << openId << ids;
        } else {
            slotCloseCamera();
        }
    }
    m_cameraCount = count;
}

void MainWindow::slotOpenCamera(int idx)
{
    if (m_handle) {
        // The stream must end (display thread joined) before its camera goes away.
        slotStopCamera();
        OrvantaStopAcquisition(m_handle);
        OrvantaCloseCamera(m_handle);
        m_handle = nullptr;
        UpdateUIStatus(false, 0);
        if (idx == -1) {
            return;
        }
    }
    if (idx == -1) {
        idx = m_cameraList->currentCameraIdx();
        if (idx == -1) {
            return;
        }
    }
    char id[ORVANTA_TEXT_SIZE] = {};
    OrvantaGetCameraID(idx, id);
    OrvantaHandle handle = nullptr;
    if (OrvantaOpenCamera(id, &handle) != ORVANTA_OK) {
        const QString text = QStringLiteral("%1 open error").arg(QString::fromLatin1(id));
        QMessageBox::critical(this, QStringLiteral("error"), text, QMessageBox::Ok);
        emit sigTraceLog(text);
        return;
    }
    m_handle = handle;
    OrvantaGetSizeInfo(m_handle, &m_sizeInfo);
    m_xmlCtrl->CreateXMLTree(m_handle);
    if (m_accessRegister) {
        m_accessRegister->hide();
        delete m_accessRegister;
    }
    m_accessRegister = new AccessRegister(this, m_handle);
    m_accessRegister->hide();
    std::memcpy(m_cameraID, id, sizeof m_cameraID);
    emit sigCameraOpened(true);
    readStreamGeometry();
    emit sigTraceLog(QStringLiteral("Success open camera[%1] %2x%3")
                         .arg(cameraId())
                         .arg(m_sizeInfo.width)
                         .arg(m_sizeInfo.height));
    UpdateUIStatus(true, 1);

    char nuc[ORVANTA_NODE_TEXT_SIZE] = {};
    if (OrvantaGetNodeString(m_handle, "NUCMode", nuc) == ORVANTA_OK) {
        m_cameraCtrl->hide();
        ui->actionControl->setEnabled(false);
    } else {
        m_cameraCtrl->loadConfigurationValue(m_handle);
        m_cameraCtrl->CreateGrabThread();
    }
}

void MainWindow::slotCloseCamera()
{
    m_xmlCtrl->DeleteXMLTree();
    if (m_handle) {
        slotStopCamera();
        if (m_accessRegister) {
            m_accessRegister->hide();
            delete m_accessRegister;
            m_accessRegister = nullptr;
        }
        m_cameraCtrl->hide();
        m_cameraCtrl->DeleteGrabThread();
        OrvantaCloseCamera(m_handle);
        m_handle = nullptr;
        emit sigCameraOpened(false);
        init_graphics_view(false);
    }
    UpdateUIStatus(false, 0);
    emit sigTraceLog(QStringLiteral("close Camera[%1]").arg(cameraId()));
    std::memset(m_cameraID, 0, sizeof m_cameraID);
}

void MainWindow::slotAccessRegister()
{
    if (m_accessRegister) {
        m_accessRegister->show();
    }
}

void MainWindow::slotResetCamera()
{
    const auto answer = QMessageBox::question(this, QStringLiteral("Confirm"),
                                              QStringLiteral("Do you want to reboot camera?"),
                                              QMessageBox::Yes | QMessageBox::No);
    if (answer == QMessageBox::No) {
        return;
    }
    // The reset closes the handle inside the SDK: end a running stream first so the display
    // thread never reads frames of a camera that is gone.
    slotStopCamera();
    OrvantaCameraReset(m_handle);
    slotCloseCamera();
}

// ---- Live stream --------------------------------------------------------------------------

void MainWindow::classifyPixelFormat()
{
    char name[ORVANTA_TEXT_SIZE] = {};
    OrvantaGetPixelFormatStr(m_handle, name);
    const QString format = QString::fromUtf8(name);
    const bool colour = !format.contains(QLatin1String("Mono"));
    m_color = colour;
    OrvantaSetBayerConversion(m_handle, colour && format.contains(QLatin1String("Bayer")));
}

void MainWindow::readStreamGeometry()
{
    setWindowTitle(QStringLiteral("OrvantaViewer - %1 %2x%3")
                       .arg(cameraId())
                       .arg(m_sizeInfo.width)
                       .arg(m_sizeInfo.height));
}

void MainWindow::connectDisplay()
{
    // Unique: Play after a single grab must not display every frame twice.
    connect(this, &MainWindow::sigDisplayFrame, this, &MainWindow::slotDisplayFrame,
            Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection));
}

void MainWindow::slotStartCamera()
{
    if (m_acquiring || !m_handle) {
        return;
    }
    OCameraInfo info = {};
    OrvantaGetCamInfo(m_handle, &info);
    m_pixelFormat = info.pixelFormat;
    OrvantaGetSizeInfo(m_handle, &m_sizeInfo);
    classifyPixelFormat();
    init_graphics_view(true);
    connectDisplay();
    readStreamGeometry();

    m_recvCount = 0;
    m_rateWindow->reset();
    m_frames->clear();
    m_acquiring = true;
    m_displayThread = std::thread(&MainWindow::DisplayThread, this);
    OrvantaStartAcquisition(m_handle, &MainWindow::callback_imgrecv);
    UpdateUIStatus(true, 2);
    emit sigTraceLog(QStringLiteral("start stream Camera[%1]").arg(cameraId()));
}

void MainWindow::slotStopCamera()
{
    if (!m_acquiring) {
        return;
    }
    m_rateLabel->setText(QString::fromLatin1(kStoppedRateText));
    m_acquiring = false;
    if (m_displayThread.joinable()) {
        m_displayThread.join();
    }
    OrvantaStopAcquisition(m_handle);
    m_rateWindow->reset(); // no callback runs any more
    m_frames->clear();
    disconnect(this, &MainWindow::sigDisplayFrame, this, &MainWindow::slotDisplayFrame);
    restoreContinuousMode();
    UpdateUIStatus(false, 2);
    emit sigTraceLog(QStringLiteral("stop steam Camera[%1]").arg(cameraId()));
}

void MainWindow::callback_imgrecv(OImageFrame* frame)
{
    MainWindow* w = g_mainWindow;
    if (!w || !frame) {
        return;
    }
    RateWindow::Rate rate;
    if (w->m_rateWindow->addFrame(frame->width, frame->height, frame->bitsPerPixel,
                                  monotonicMicros(), &rate)) {
        emit w->sigStatusBar(1, rate.fps, rate.megabytesPerSecond);
    }
    const quint64 count = ++w->m_recvCount;
    // One count update in flight at a time: at thousands of frames a second the GUI thread
    // would otherwise fall behind on label updates. The slot shows the newest count.
    if (!w->m_countUpdatePending.exchange(true)) {
        emit w->sigStatusBar(0, double(count), 0);
    }
    w->m_frames->push(frame);
}

void MainWindow::DisplayThread()
{
    pthread_setname_np(pthread_self(), "orv-display");
    CopiedFrame copy;
    copy.picture.resize(size_t(qMax(0, m_sizeInfo.width)) * size_t(qMax(0, m_sizeInfo.height)) * 3);
    const bool colour = m_color;
    const uint32_t pixelFormat = m_pixelFormat;
    const QString camera = cameraId();
    auto nextDisplay = std::chrono::steady_clock::now();
    quint64 savesSkipped = 0;

    while (m_acquiring) {
        FrameRef ref;
        if (!m_frames->takeNewest(&ref)) {
            std::this_thread::sleep_for(kDisplayPeriod);
            continue;
        }
        const bool save = m_save;
        QString path;
        QString extension;
        int count = 1;
        auto extra = CopiedFrame::Extra::None;
        if (save) {
            m_cameraCtrl->getSaveOpt(&path, &extension, &count);
            if (extension.contains(QLatin1String("RAW"))) {
                extra = CopiedFrame::Extra::Raw;
            } else if (extension.contains(QLatin1String("RGB"))) {
                extra = CopiedFrame::Extra::Rgb;
            }
        }
        if (!copyPinnedFrame(ref, colour, pixelFormat, extra, &copy)) {
            continue; // buffers reused meanwhile: never show a torn frame
        }
        const QImage image = imageOver(copy.picture.data(), copy.width, copy.height, copy.colour);
        if (save) {
            SaveJob job;
            job.path = path;
            job.extension = extension;
            job.cameraId = camera;
            job.width = copy.width;
            job.height = copy.height;
            if (extra == CopiedFrame::Extra::None) {
                job.picture = image.copy();
            } else {
                job.data = QByteArray(reinterpret_cast<const char*>(copy.extra.data()),
                                      int(copy.extra.size()));
            }
            if (!m_saver->trySubmit(job)) {
                // Saving is slower than the display: this frame is not saved ("Once" keeps
                // trying with the next one). Said once per stream, not for every frame.
                if (!savesSkipped++) {
                    emit sigTraceLog(QStringLiteral("save is slower than the display: frames "
                                                    "are skipped"));
                }
            } else if (count != -1) {
                m_save = false;
                QMetaObject::invokeMethod(
                    this, [this] { ui->actionSave->setChecked(false); }, Qt::QueuedConnection);
            }
        }
        emit sigDisplayFrame(QPixmap::fromImage(image));
        // At most one frame per display period, measured from the last display.
        nextDisplay = std::max(nextDisplay + kDisplayPeriod, std::chrono::steady_clock::now());
        std::this_thread::sleep_until(nextDisplay);
    }
}

void MainWindow::slotDisplayFrame(QPixmap pixmap)
{
    if (!m_acquiring) {
        return; // queued before a stop
    }
    if (ui->actionDrawCenter->isChecked()) {
        DrawCenterDlg::paintCenterCross(&pixmap, m_centerWidth, m_centerColor);
    }
    m_pixmapItem->setPixmap(pixmap);
    if (m_fit) {
        ui->graphicsView->fitInView(ui->graphicsView->sceneRect(), Qt::KeepAspectRatio);
    }
}

void MainWindow::showRate(double fps, double megabytesPerSecond)
{
    const QString rate = QString::asprintf("%4.1lf fps (%3.1lf MB/s)", fps, megabytesPerSecond);
    m_rateLabel->setText(QStringLiteral("                        %1").arg(rate));
}

void MainWindow::showCount()
{
    const quint32 n = quint32(m_recvCount.load());
    m_countLabel->setText(QStringLiteral("Recv :                 %1").arg(n));
}

void MainWindow::slotStatusBar(int type, double value, double db)
{
    if (type == 0) {
        // Every caller signals the counter's value, so the label shows the counter as it is
        // now; at most one update per display period reaches the label, and the timer shows
        // the frames counted meanwhile.
        Q_UNUSED(value);
        if (!m_countRefresh->isActive()) {
            showCount();
            m_countRefresh->start();
        }
    } else if (type == 1 && m_acquiring) {
        // A rate computed before a stop and delivered after it would hide the stop text.
        showRate(value, db);
    }
}

// ---- Single grab and saving ---------------------------------------------------------------

void MainWindow::slotOneGrab()
{
    if (m_acquiring || !m_handle) {
        return;
    }
    OrvantaSetNodeEnum(m_handle, "AcquisitionMode", "SingleFrame");
    OCameraInfo info = {};
    OrvantaGetCamInfo(m_handle, &info);
    m_pixelFormat = info.pixelFormat;
    OrvantaGetSizeInfo(m_handle, &m_sizeInfo);
    classifyPixelFormat();
    connectDisplay();

    m_recvCount = 0;
    UpdateUIStatus(true, 2);
    m_acquiring = true;
    m_singleGrab = true;
    m_grabDone = false;
    emit sigStatusBar(0, 0, 0);
    OrvantaStartAcquisition(m_handle, &MainWindow::callback_oneGrab);
    m_grabWatcher->setFuture(QtConcurrent::run(OneGrabThread, static_cast<void*>(this)));
}

void MainWindow::callback_oneGrab(OImageFrame* frame)
{
    MainWindow* w = g_mainWindow;
    if (!w || !frame) {
        return;
    }
    const DisplayPlane plane = displayPlaneFor(w->m_color, w->m_pixelFormat, frame->bitsPerPixel);
    const unsigned char* pixels = plane == DisplayPlane::Rgb     ? frame->rgbData
                                  : plane == DisplayPlane::Mono8 ? frame->mono8Data
                                                                 : frame->rawData;
    if (pixels) {
        const QImage image =
            imageOver(pixels, int(frame->width), int(frame->height), plane == DisplayPlane::Rgb);
        emit w->sigDisplayFrame(QPixmap::fromImage(image));
    }
    const quint64 count = ++w->m_recvCount;
    emit w->sigStatusBar(0, double(count), 0);
    w->m_grabDone = true;
}

void MainWindow::slotFinishedGrab()
{
    if (!m_acquiring || !m_singleGrab) {
        return;
    }
    UpdateUIStatus(false, 2);
    m_acquiring = false;
    OrvantaStopAcquisition(m_handle);
    restoreContinuousMode();
}

void MainWindow::restoreContinuousMode()
{
    // Also after a Stop during a single grab: the camera must not stay in single-frame mode.
    if (m_singleGrab) {
        m_singleGrab = false;
        OrvantaSetNodeEnum(m_handle, "AcquisitionMode", "Continuous");
    }
}

void MainWindow::slotSaveImg(bool bSave)
{
    m_save = bSave;
}

// ---- View ---------------------------------------------------------------------------------

void MainWindow::init_graphics_view(bool streaming)
{
    QGraphicsView* view = ui->graphicsView;
    if (m_pixmapItem) {
        view->scene()->removeItem(m_pixmapItem);
        view->resetTransform();
        delete m_pixmapItem;
    }
    m_pixmapItem = new QGraphicsPixmapItem;
    QGraphicsScene* old = m_scene;
    m_scene = new QGraphicsScene(this);
    view->setScene(m_scene);
    m_scene->addItem(m_pixmapItem);
    delete old; // one scene per stream, not one more per start
    view->setAlignment(Qt::AlignCenter);
    view->setDragMode(QGraphicsView::ScrollHandDrag);
    if (!streaming) {
        m_pixmapItem->setPixmap(QPixmap(QStringLiteral(":/icons/logo.png")));
    }
}

void MainWindow::slotZoomFit()
{
    ui->graphicsView->resetTransform();
    QCoreApplication::processEvents();
    m_fit = true;
}

void MainWindow::slotZoom100()
{
    ui->graphicsView->resetTransform();
    m_fit = false;
}

void MainWindow::slotZoomIn()
{
    m_fit = false;
    ui->graphicsView->ZoomInOut(120);
}

void MainWindow::slotZoomOut()
{
    m_fit = false;
    ui->graphicsView->ZoomInOut(-120);
}

void MainWindow::slotExit()
{
    slotCloseCamera();
    QCoreApplication::exit(0);
}

// ---- Action states ------------------------------------------------------------------------

void MainWindow::UpdateUIStatus(bool on, int mode)
{
    const QList<QAction*> session = {ui->actionClose, ui->actionRegisterAccess_2, ui->actionControl,
                                     ui->actionCameraReset};
    const QList<QAction*> start = {ui->actionOneGrab, ui->actionPlay};
    const QList<QAction*> streaming = {ui->actionSave,   ui->actionZoom100, ui->actionZoomFIT,
                                       ui->actionZoomIN, ui->actionZoomOUT, ui->actionDrawCenter};
    auto set = [](const QList<QAction*>& actions, bool enabled) {
        for (QAction* a : actions) {
            a->setEnabled(enabled);
        }
    };
    switch (mode) {
    case 0:
        ui->actionOpen->setEnabled(!on);
        set(session, on);
        set(start, on);
        ui->actionStop->setEnabled(on);
        set(streaming, on);
        break;
    case 1:
        ui->actionOpen->setEnabled(!on);
        set(session, on);
        set(start, on);
        ui->actionStop->setEnabled(!on);
        break;
    case 2:
        set(start, !on);
        ui->actionStop->setEnabled(on);
        set(streaming, on);
        break;
    default:
        break;
    }
}
