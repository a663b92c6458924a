#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QDebug>
#include <QLabel>
#include <QMessageBox>

#include "aboutdialog.h"
#include "accessregister.h"
#include "cameractrl.h"
#include "cameradiscovery.h"
#include "cameralist.h"
#include "camerasession.h"
#include "drawcenterdlg.h"
#include "featurefiles.h"
#include "histogramdock.h"
#include "logstatus.h"
#include "pixelreadout.h"
#include "streamstatisticsdock.h"
#include "xmlctrl.h"

namespace {
const char kStoppedRateText[] = "               0.0 fps (0.0 MB/s)";
} // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    ui = new Ui::MainWindow;
    ui->setupUi(this);
    // Not checked: without the SDK every later call answers "not initialized", and that is
    // what the log and the boxes then show.
    (void)OrvantaInit();
    m_session = new CameraSession(this);
    m_discovery = new CameraDiscovery(this);
    connect(m_discovery, &CameraDiscovery::namesFound, this, &MainWindow::sigUpdateCameraList);
    connect(m_discovery, &CameraDiscovery::camerasFound, this, &MainWindow::applyDiscovery);

    connectActions();
    createDocks();
    connectSession();
    connect(this, &MainWindow::sigStatusBar, this, &MainWindow::slotStatusBar);

    init_graphics_view(false);
    ui->graphicsView->setFitFlag(&m_fit);

    createStatusLabels();
    emit sigTraceLog(QStringLiteral("Start orvantaviewer"));
    UpdateUIStatus(UiState::NoCamera);
    slotRefreshCamera(&m_cameraCount);
    m_discovery->start(3000);
}

MainWindow::~MainWindow()
{
    m_discovery->stop();
    // Closing before OrvantaUninit: the SDK refuses calls on the session after it.
    slotCloseCamera();
    m_session->waitForIdle();
    (void)OrvantaUninit(); // the last call: nothing is left to act on a failure
    delete ui;
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
    connect(ui->actionSaveFeatures, &QAction::triggered, this, &MainWindow::slotSaveFeatures);
    connect(ui->actionLoadFeatures, &QAction::triggered, this, &MainWindow::slotLoadFeatures);
    connect(ui->actionSave, &QAction::triggered, this, &MainWindow::slotSaveImg);
    connect(ui->actionExit, &QAction::triggered, this, &MainWindow::slotExit);
    connect(ui->actionZoomFIT, &QAction::triggered, this, &MainWindow::slotZoomFit);
    connect(ui->actionZoom100, &QAction::triggered, this, &MainWindow::slotZoom100);
    connect(ui->actionZoomIN, &QAction::triggered, this, &MainWindow::slotZoomIn);
    connect(ui->actionZoomOUT, &QAction::triggered, this, &MainWindow::slotZoomOut);
}

void MainWindow::connectSession()
{
    connect(m_session, &CameraSession::logLine, this, &MainWindow::sigTraceLog);
    connect(m_session, &CameraSession::error, this, &MainWindow::sigTraceLog);
    connect(m_session, &CameraSession::streamingChanged, this, &MainWindow::onStreamingChanged);
    connect(m_session, &CameraSession::closed, this, &MainWindow::onSessionClosed);
    connect(m_session, &CameraSession::frameCountChanged, this,
            [this](quint64 count) { slotStatusBar(0, double(count), 0); });
    connect(m_session, &CameraSession::rateChanged, this,
            [this](double fps, double megabytes) { slotStatusBar(1, fps, megabytes); });
    connect(m_session, &CameraSession::savingStopped, this,
            [this] { ui->actionSave->setChecked(false); });
    // Frames come from the display thread: sigDisplayFrame follows it there and reaches the
    // view queued.
    connect(m_session, &CameraSession::frameReady, this, &MainWindow::sigDisplayFrame,
            Qt::DirectConnection);
    connect(this, &MainWindow::sigDisplayFrame, this, &MainWindow::slotDisplayFrame,
            Qt::QueuedConnection);
}

void MainWindow::addDock(QDockWidget* dock, Qt::DockWidgetArea area, QAction* showAction,
                         void (MainWindow::*show)(bool))
{
    addDockWidget(area, dock);
    connect(dock->toggleViewAction(), &QAction::triggered, this, show);
    connect(showAction, &QAction::triggered, this, [this, show] { (this->*show)(true); });
}

void MainWindow::createDocks()
{
    m_logStatus = new LogStatus(this);
    addDock(m_logStatus, Qt::BottomDockWidgetArea, ui->actionShowLogStatus,
            &MainWindow::slotShowLogStatus);
    connect(this, &MainWindow::sigTraceLog, m_logStatus, &LogStatus::slotTraceLog);

    m_cameraList = new CameraList(this);
    addDock(m_cameraList, Qt::LeftDockWidgetArea, ui->actionShowCameraList,
            &MainWindow::slotShowCameraList);
    connect(this, &MainWindow::sigUpdateCameraList, m_cameraList,
            &CameraList::slotUpdateCameraList);
    connect(this, &MainWindow::sigCameraOpened, m_cameraList, &CameraList::slotCameraOpened);
    connect(m_cameraList, &CameraList::sigOpenCamera, this, &MainWindow::slotOpenCamera);

    m_xmlCtrl = new XMLCtrl(m_session, this);
    addDock(m_xmlCtrl, Qt::LeftDockWidgetArea, ui->actionShowXMLControl,
            &MainWindow::slotShowXMLCtrl);

    m_cameraCtrl = new CameraCtrl(m_session, this);
    m_cameraCtrl->hide();
    addDock(m_cameraCtrl, Qt::RightDockWidgetArea, ui->actionShowCameraControl,
            &MainWindow::slotShowCameraCtrl);
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

    // The analysis docks: hidden until asked for in the View menu.
    m_streamStatistics = new StreamStatisticsDock(m_session, this);
    m_histogram = new HistogramDock(m_session, this);
    ui->menuView->addSeparator();
    for (QDockWidget* dock :
         {static_cast<QDockWidget*>(m_streamStatistics), static_cast<QDockWidget*>(m_histogram)}) {
        addDockWidget(Qt::RightDockWidgetArea, dock);
        dock->hide();
        ui->menuView->addAction(dock->toggleViewAction());
    }

    m_featureFiles = new FeatureFiles(m_session, this);
    connect(m_featureFiles, &FeatureFiles::loaded, this, &MainWindow::reloadDocks);
    connect(m_featureFiles, &FeatureFiles::logLine, this, &MainWindow::sigTraceLog);
}

void MainWindow::createStatusLabels()
{
    m_rateLabel = new QLabel(this);
    m_countLabel = new QLabel(this);
    m_rateLabel->setObjectName(QStringLiteral("laRate"));
    m_countLabel->setObjectName(QStringLiteral("laCount"));
    slotStatusBar(0, 0, 0);
    showRate(0, 0);
    statusBar()->addPermanentWidget(m_rateLabel);
    statusBar()->addPermanentWidget(m_countLabel);
    statusBar()->addPermanentWidget(new PixelReadout(ui->graphicsView, m_session, this));
}

// ---- Small slots --------------------------------------------------------------------------

void MainWindow::slotShowCameraList(bool checked)
{
    showDock(m_cameraList, checked);
}

void MainWindow::slotShowXMLCtrl(bool checked)
{
    showDock(m_xmlCtrl, checked);
}

void MainWindow::slotShowCameraCtrl(bool checked)
{
    showDock(m_cameraCtrl, checked);
}

void MainWindow::slotShowLogStatus(bool checked)
{
    showDock(m_logStatus, checked);
}

void MainWindow::showDock(QDockWidget* dock, bool checked)
{
    if (checked) {
        dock->show();
        dock->raise();
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
    const int n = m_discovery->refresh();
    if (nNum) {
        *nNum = n;
    }
}

void MainWindow::OnTimer()
{
    m_discovery->refreshInBackground();
}

// A periodic discovery's result: the window decides whether its open camera is still there.
void MainWindow::applyDiscovery(int count, const QStringList& ids)
{
    const QString openId = cameraId();
    if (count != m_cameraCount && !openId.isEmpty()) {
        if (count >= 1 && ids.contains(openId)) {
            qDebug() << "camera still present:" << openId << ids;
        } else {
            // The camera is gone: the window lets go at once, the dead camera closes behind.
            releaseDocks(false);
            m_xmlCtrl->HideShowXMLCtrl(XMLCtrl::EditorMode::None, true); // nothing of it stays
            m_session->closeVanished();
        }
    }
    m_cameraCount = count;
}

void MainWindow::slotOpenCamera(int idx)
{
    if (m_session->isOpen()) {
        // The stream ends (display thread joined) before its camera goes away.
        releaseDocks(true);
        m_session->close();
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
    m_session->check(OrvantaGetCameraID(idx, id), QStringLiteral("read the camera ID"));
    if (!m_session->open(QString::fromLatin1(id))) {
        const QString text = QStringLiteral("%1 open error").arg(QString::fromLatin1(id));
        QMessageBox::critical(this, QStringLiteral("error"), text, QMessageBox::Ok);
        emit sigTraceLog(text);
        return;
    }
    showOpenedCamera();
}

void MainWindow::showOpenedCamera()
{
    const OrvantaHandle handle = m_session->handle();
    const OSizeInfo size = m_session->size();
    m_xmlCtrl->CreateXMLTree(handle);
    m_accessRegister = new AccessRegister(m_session, this); // fresh fields for each camera
    m_accessRegister->hide();
    emit sigCameraOpened(true);
    const QString geometry = QStringLiteral("%1x%2").arg(size.width).arg(size.height);
    setWindowTitle(QStringLiteral("OrvantaViewer - %1 %2").arg(cameraId(), geometry));
    emit sigTraceLog(QStringLiteral("Success open camera[%1] %2").arg(cameraId(), geometry));
    // Only the status matters: a camera with this node has no control dock.
    char nuc[ORVANTA_NODE_TEXT_SIZE] = {};
    m_hasControlDock = OrvantaGetNodeString(handle, "NUCMode", nuc) != ORVANTA_OK;
    UpdateUIStatus(UiState::Opened);
    if (!m_hasControlDock) {
        m_cameraCtrl->hide();
    } else {
        m_cameraCtrl->loadConfigurationValue(handle);
        m_cameraCtrl->CreateGrabThread();
    }
}

// The docks let go of the camera before the session closes it; a camera that went away is
// not waited for.
void MainWindow::releaseDocks(bool waitForPreview)
{
    m_xmlCtrl->DeleteXMLTree();
    delete m_accessRegister;
    m_accessRegister = nullptr;
    m_cameraCtrl->hide();
    if (waitForPreview)
        m_cameraCtrl->DeleteGrabThread();
    else
        m_cameraCtrl->StopGrabThreadSoon();
}

// The camera's settings changed behind the docks (a features file was loaded).
void MainWindow::reloadDocks()
{
    m_xmlCtrl->reloadCurrentNode();
    if (m_hasControlDock)
        m_cameraCtrl->loadConfigurationValue(nullptr);
}

void MainWindow::slotSaveFeatures()
{
    m_featureFiles->askAndSave();
}

void MainWindow::slotLoadFeatures()
{
    m_featureFiles->askAndLoad();
}

void MainWindow::slotCloseCamera()
{
    if (m_session->isOpen()) {
        releaseDocks(true);
        m_session->close(); // onSessionClosed follows
        return;
    }
    m_xmlCtrl->DeleteXMLTree();
    UpdateUIStatus(UiState::NoCamera);
    emit sigTraceLog(QStringLiteral("close Camera[]"));
}

void MainWindow::onSessionClosed(const QString& reason)
{
    if (!reason.isEmpty()) {
        emit sigTraceLog(reason);
        setWindowTitle(QStringLiteral("OrvantaViewer")); // the camera is no more
    }
    emit sigCameraOpened(false);
    init_graphics_view(false);
    UpdateUIStatus(UiState::NoCamera);
    emit sigTraceLog(QStringLiteral("close Camera[%1]").arg(cameraId()));
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
    m_session->stop();
    m_session->check(OrvantaCameraReset(m_session->handle()), QStringLiteral("reset camera"));
    slotCloseCamera();
}

// ---- Live stream, single grab and saving: forwards to the session -------------------------

void MainWindow::slotStartCamera()
{
    m_session->start();
}

void MainWindow::slotStopCamera()
{
    m_session->stop();
}

void MainWindow::slotOneGrab()
{
    m_session->grabOne();
}

void MainWindow::slotFinishedGrab()
{
    m_session->finishGrab();
}

void MainWindow::slotSaveImg(bool bSave)
{
    QString refusal;
    if (m_session->setSaving(bSave, &refusal))
        return;
    // Refused when pressed (no folder, or one that cannot be made or written), not per frame.
    ui->actionSave->setChecked(false);
    emit sigTraceLog(refusal);
    QMessageBox::warning(this, QStringLiteral("Save"), refusal);
}

void MainWindow::onStreamingChanged(bool on)
{
    if (on) {
        if (!m_session->isGrabbing()) {
            init_graphics_view(true); // a fresh scene for every stream
            const OSizeInfo size = m_session->size();
            setWindowTitle(QStringLiteral("OrvantaViewer - %1 %2x%3")
                               .arg(cameraId())
                               .arg(size.width)
                               .arg(size.height));
        }
    } else {
        m_rateLabel->setText(QString::fromLatin1(kStoppedRateText));
    }
    UpdateUIStatus(on ? UiState::Streaming : UiState::Opened);
}

void MainWindow::slotDisplayFrame(QPixmap pixmap)
{
    if (!m_session->isAcquiring()) {
        return; // queued before a stop
    }
    if (ui->actionDrawCenter->isChecked()) {
        DrawCenterDlg::paintCenterCross(&pixmap, m_centerWidth, m_centerColor);
    }
    ui->graphicsView->showPicture(pixmap);
}

void MainWindow::showRate(double fps, double megabytesPerSecond)
{
    const QString rate = QString::asprintf("%4.1lf fps (%3.1lf MB/s)", fps, megabytesPerSecond);
    m_rateLabel->setText(QStringLiteral("                        %1").arg(rate));
}

void MainWindow::slotStatusBar(int type, double value, double db)
{
    if (type == 0) {
        m_countLabel->setText(QStringLiteral("Recv :                 %1").arg(quint32(value)));
    } else if (type == 1) {
        showRate(value, db);
    }
}

// ---- View ---------------------------------------------------------------------------------

void MainWindow::init_graphics_view(bool streaming)
{
    // A fresh scene for every stream; the logo while none runs.
    ui->graphicsView->resetPicture(streaming ? QPixmap()
                                             : QPixmap(QStringLiteral(":/icons/logo.png")));
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

void MainWindow::UpdateUIStatus(UiState state)
{
    const bool open = state != UiState::NoCamera;
    const bool streaming = state == UiState::Streaming;
    ui->actionOpen->setEnabled(!open);
    for (QAction* a : {ui->actionClose, ui->actionRegisterAccess_2, ui->actionCameraReset,
                       ui->actionSaveFeatures, ui->actionLoadFeatures}) {
        a->setEnabled(open);
    }
    ui->actionControl->setEnabled(open && m_hasControlDock);
    // Every way to show the control dock agrees: there is none without a camera to control.
    for (QAction* a : {ui->actionShowCameraControl, m_cameraCtrl->toggleViewAction()})
        a->setEnabled(ui->actionControl->isEnabled());
    for (QAction* a : {ui->actionOneGrab, ui->actionPlay}) {
        a->setEnabled(open && !streaming);
    }
    ui->actionStop->setEnabled(streaming);
    for (QAction* a : {ui->actionSave, ui->actionZoom100, ui->actionZoomFIT, ui->actionZoomIN,
                       ui->actionZoomOUT, ui->actionDrawCenter}) {
        a->setEnabled(streaming);
    }
}
