#pragma once

#include "DeviceDiscovery.h"

#include <QFutureWatcher>
#include <QString>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <functional>

namespace Ui {
class Widget;
}
class CDeviceControl;
class IPCtrl;
class QTreeWidgetItem;
class progressdlg;
struct _IF_INFO;

// The configurator's window: discovers cameras on every physical interface, lists them in a
// tree under their interfaces, shows the clicked interface and camera and changes the camera's
// name and addresses. Device work runs as one background task at a time behind the modal
// progress dialog; tasks reach the widgets only through the window's thread.
class Widget : public QWidget
{
    Q_OBJECT

public:
    explicit Widget(QWidget* parent = nullptr);
    ~Widget() override;

    void UpdateCameraList();
    void addTreeRoot(QString text0, QString text1, int index);
    void addTreeChild(QTreeWidgetItem* parent, QString text0, QString text1);

    void selectCamInfo(CamInfo* cam);
    int ReadRegister(int address, int* value, int deviceIp);
    int WriteRegister(int address, int value, int deviceIp);
    int SetIPConfigOpt(int deviceIp, int bits);
    int SetPersisIP(int deviceIp, int ip, int mask, int gateway);
    void SetCamInfo();
    void setStatic();

private slots:
    void on_btnRefresh_clicked();
    void on_treeWidget_itemClicked(QTreeWidgetItem* item, int column);
    void DiscoveryFinished();
    void on_btnSetInfo_clicked();
    void on_btnSetStaic_clicked();
    void on_chkStatic_clicked();
    void SetCamInfoFinished();
    void SetStaticFinished();
    void RefreshFinished();

private:
    // What the "Set Camera Info" work needs from the form, read once on the window's thread.
    struct CamForm
    {
        QString userName;
        bool bStatic = false;
        bool bDHCP = false;
        uint32_t ip = 0; // host order
        uint32_t mask = 0;
        uint32_t gateway = 0;
    };

    void startTask(const QString& label, void (*body)(void*), QFutureWatcher<void>& watcher);
    void continueTask(const QString& label, std::function<void()> body);
    void waitForTasks();
    void showInterface(const _IF_INFO& entry);
    void clearCameraPanel();
    void showReadStatus(int result);
    void setAddressEditorsEnabled(bool bEnabled);
    bool newAddressComplete() const;
    CamForm readCamForm() const;
    void showError(const QString& text);
    void writeCamInfo(bool bAlwaysPersist);
    int writeUserName(int deviceIp, const QString& name);
    void forceAndPersist(int deviceIp, const CamForm& form, int wanted, bool bAlwaysPersist);

    CamInfo m_selCam;
    uint32_t m_selIfIp = 0;   // network order
    uint32_t m_selIfMask = 0; // network order
    std::atomic<bool> m_bForce{false};
    QFutureWatcher<void> m_camInfoWatcher;
    QFutureWatcher<void> m_discoveryWatcher;
    QFutureWatcher<void> m_forceWatcher;
    QFutureWatcher<void> m_refreshWatcher; // the rediscovery that ends a configuration task
    Ui::Widget* ui;
};

// Task bodies run on the global thread pool; the argument is the window.
void Discovery(void* w);
void SetCamInfotProc(void* w);
void SetStaticProc(void* w);
bool sortingIPAddr(CamInfo* a, CamInfo* b);

// The control client of the selected camera (null until one is selected) and the progress
// dialog of the window; both live as long as the window.
extern CDeviceControl* g_control;
extern progressdlg* m_progressDlg;
