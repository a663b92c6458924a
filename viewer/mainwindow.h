#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include <QColor>
#include <QMainWindow>
#include <QPixmap>
#include <QString>
#include <QStringList>

#include "camerasession.h"
#include "sdk/OrvantaAPI.h"

class AboutDialog;
class AccessRegister;
class CameraCtrl;
class CameraDiscovery;
class CameraList;
class DrawCenterDlg;
class FeatureFiles;
class LogStatus;
class QDockWidget;
class HistogramDock;
class StreamStatisticsDock;
class QLabel;
class XMLCtrl;

namespace Ui {
class MainWindow;
}

// What the window offers: no camera, a camera open, or a camera acquiring (stream or grab).
enum class UiState
{
    NoCamera,
    Opened,
    Streaming
};

// The viewer's single window: owns the SDK lifetime and the camera session, lists the cameras,
// shows the session's frames, state, counters and log, and hosts the docks. The stream itself
// (threads, counting, saving) lives in the CameraSession the window and the docks share.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    CameraSession* session() const { return m_session; }
    // Short forms of the session's state for callers of the window.
    bool isAcquiring() const { return m_session->isAcquiring(); }
    void resetReceivedFrameCount() { m_session->resetFrameCount(); }
    quint64 receivedFrameCount() const { return m_session->frameCount(); }
    OrvantaHandle cameraHandle() const { return m_session->handle(); }
    QString cameraId() const { return m_session->cameraId(); }

    CameraCtrl* cameraCtrl() const { return m_cameraCtrl; }
    CameraList* cameraList() const { return m_cameraList; }
    XMLCtrl* xmlCtrl() const { return m_xmlCtrl; }
    LogStatus* logStatus() const { return m_logStatus; }
    FeatureFiles* featureFiles() const { return m_featureFiles; }
    // Returns once every save job started so far has finished writing its file.
    void waitForSaves() { m_session->waitForSaves(); }

signals:
    void sigUpdateCameraList(QStringList list);
    void sigCameraOpened(bool bOpened);
    void sigDisplayFrame(QPixmap pixmap);
    void sigTraceLog(QString str);
    void sigStatusBar(int type, double value, double db);

public slots:
    void slotShowCameraList(bool checked = true);
    void slotShowXMLCtrl(bool checked = true);
    void slotShowCameraCtrl(bool checked = true);
    void slotShowLogStatus(bool checked = true);
    void slotShowAboutDlg();
    void slotShowDrawCenterDlg(bool checked);
    void slotCenterValue(int width, QColor color);
    void slotRefreshCamera(int* nNum = nullptr);
    void slotOpenCamera(int idx = -1);
    void slotCloseCamera();
    void slotAccessRegister();
    void slotResetCamera();
    void slotSaveFeatures();
    void slotLoadFeatures();
    void slotSaveImg(bool bSave);
    void slotStartCamera();
    void slotStopCamera();
    void slotOneGrab();
    void slotDisplayFrame(QPixmap pixmap);
    void slotFinishedGrab();
    void slotZoomFit();
    void slotZoom100();
    void slotZoomIn();
    void slotZoomOut();
    void slotExit();
    void slotStatusBar(int type, double value, double db);
    void OnTimer();

private:
    void UpdateUIStatus(UiState state);
    void init_graphics_view(bool streaming);

    void connectActions();
    void connectSession();
    void createDocks();
    void addDock(QDockWidget* dock, Qt::DockWidgetArea area, QAction* showAction,
                 void (MainWindow::*show)(bool));
    static void showDock(QDockWidget* dock, bool checked);
    void createStatusLabels();
    void showOpenedCamera();
    void onStreamingChanged(bool on);
    void onSessionClosed(const QString& reason);
    void releaseDocks(bool waitForPreview);
    void reloadDocks();
    void applyDiscovery(int count, const QStringList& ids);
    void showRate(double fps, double megabytesPerSecond);

    CameraSession* m_session = nullptr;
    CameraList* m_cameraList = nullptr;
    XMLCtrl* m_xmlCtrl = nullptr;
    CameraCtrl* m_cameraCtrl = nullptr;
    LogStatus* m_logStatus = nullptr;
    AccessRegister* m_accessRegister = nullptr;
    AboutDialog* m_aboutDlg = nullptr;
    DrawCenterDlg* m_drawCenterDlg = nullptr;
    FeatureFiles* m_featureFiles = nullptr;
    StreamStatisticsDock* m_streamStatistics = nullptr;
    HistogramDock* m_histogram = nullptr;
    CameraDiscovery* m_discovery = nullptr;
    int m_cameraCount = 0;
    bool m_fit = false;
    bool m_hasControlDock = true; // false for a camera with a "NUCMode" node
    int m_centerWidth = 2;
    QColor m_centerColor = Qt::red;
    QLabel* m_rateLabel = nullptr;
    QLabel* m_countLabel = nullptr;
    Ui::MainWindow* ui = nullptr;
};

#endif // MAINWINDOW_H
