#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include <QColor>
#include <QFutureWatcher>
#include <QMainWindow>
#include <QPixmap>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <thread>

#include "sdk/OrvantaAPI.h"

class AboutDialog;
class AccessRegister;
class CameraCtrl;
class CameraList;
class DrawCenterDlg;
class FrameHandOver;
struct CopiedFrame;
class FrameSaver;
class LogStatus;
class QGraphicsPixmapItem;
class QGraphicsScene;
class QLabel;
class QTimer;
class RateWindow;
class XMLCtrl;

namespace Ui {
class MainWindow;
}

// The viewer's single window: owns the SDK lifetime, the one camera session, the live
// stream (SDK callback -> display thread -> GUI thread), single grabs and frame saving.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // State shared with the docks; safe to call from any thread.
    bool isAcquiring() const;
    void resetReceivedFrameCount();
    quint64 receivedFrameCount() const;

    // The open camera (null / empty when none); main thread.
    OrvantaHandle cameraHandle() const;
    QString cameraId() const;

    CameraCtrl* cameraCtrl() const;
    CameraList* cameraList() const;
    XMLCtrl* xmlCtrl() const;
    LogStatus* logStatus() const;
    // Returns once every save job started so far has finished writing its file.
    void waitForSaves();

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
    friend void DiscoveryThread(void* window);
    friend void OneGrabThread(void* window);

    void UpdateUIStatus(bool on, int mode);
    void init_graphics_view(bool streaming);
    void DiscoveryProc();
    void DisplayThread();
    static void callback_imgrecv(OImageFrame* frame);
    static void callback_oneGrab(OImageFrame* frame);

    void connectActions();
    void createDocks();
    void createStatusLabels();
    void classifyPixelFormat();
    void readStreamGeometry();
    void connectDisplay();
    void applyDiscovery(int count, const QStringList& ids);
    void showRate(double fps, double megabytesPerSecond);
    void showCount();
    void saveDisplayedFrame(const QImage& image, const CopiedFrame& copy, const QString& cameraId);
    void restoreContinuousMode();

    std::thread m_displayThread;
    std::unique_ptr<FrameHandOver> m_frames;
    CameraList* m_cameraList = nullptr;
    XMLCtrl* m_xmlCtrl = nullptr;
    CameraCtrl* m_cameraCtrl = nullptr;
    LogStatus* m_logStatus = nullptr;
    AccessRegister* m_accessRegister = nullptr;
    AboutDialog* m_aboutDlg = nullptr;
    DrawCenterDlg* m_drawCenterDlg = nullptr;
    OrvantaHandle m_handle = nullptr;
    char m_cameraID[ORVANTA_TEXT_SIZE] = {};
    QTimer* m_discoveryTimer = nullptr;
    int m_cameraCount = 0;
    QFutureWatcher<void>* m_discoveryWatcher = nullptr;
    QFutureWatcher<void>* m_grabWatcher = nullptr;
    std::atomic<bool> m_grabDone{false};
    OSizeInfo m_sizeInfo = {};
    std::atomic<quint32> m_pixelFormat{0};
    bool m_fit = false;
    std::atomic<bool> m_color{false};
    std::atomic<bool> m_acquiring{false};
    int m_centerWidth = 2;
    QColor m_centerColor = Qt::red;
    QGraphicsPixmapItem* m_pixmapItem = nullptr;
    QGraphicsScene* m_scene = nullptr;
    std::atomic<bool> m_save{false};
    std::unique_ptr<FrameSaver> m_saver;
    bool m_singleGrab = false; // the running acquisition is a single grab
    QLabel* m_rateLabel = nullptr;
    QLabel* m_countLabel = nullptr;
    QTimer* m_countRefresh = nullptr; // limits count-label updates to one a display period
    std::atomic<quint64> m_recvCount{0};
    std::atomic<bool> m_countUpdatePending{false}; // a count update is queued or scheduled
    std::unique_ptr<RateWindow> m_rateWindow;
    Ui::MainWindow* ui = nullptr;
};

#endif // MAINWINDOW_H
