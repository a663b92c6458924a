#pragma once

#include "NetworkCheck.h"
#include "configtasks.h"

#include <QFutureWatcher>
#include <QString>
#include <QWidget>

#include <memory>
#include <mutex>
#include <vector>

namespace Ui {
class Widget;
}
class QTreeWidgetItem;
class progressdlg;

// The configurator's window: discovers cameras on every physical interface, lists them in a
// tree under their interfaces, shows the clicked interface and camera and changes the camera's
// name and addresses. The window only shows and asks: device work runs as background tasks
// (configtasks.h) that get the form's values by value and hand their result back through
// their watcher; configuration tasks run one at a time behind the modal progress dialog.
class Widget : public QWidget
{
    Q_OBJECT

public:
    explicit Widget(QWidget* parent = nullptr);
    ~Widget() override;

    void UpdateCameraList();
    void addTreeRoot(QString text0, QString text1, int index);
    QTreeWidgetItem* addTreeChild(QTreeWidgetItem* parent, QString text0, QString text1);
    // Shows `cam` and reads its persistent address in the background ("Reading…" meanwhile),
    // or clears the camera panel when `cam` is null.
    void selectCamInfo(CamInfo* cam);

    progressdlg* progressDialog() const { return m_progressDlg; }

private slots:
    void on_btnRefresh_clicked();
    void on_btnCheckNetwork_clicked();
    void CheckNetworkFinished();
    void on_treeWidget_itemClicked(QTreeWidgetItem* item, int column);
    void DiscoveryFinished();
    void on_btnSetInfo_clicked();
    void on_btnSetStaic_clicked();
    void on_chkStatic_clicked();
    void SetCamInfoFinished();
    void SetStaticFinished();
    void RefreshFinished();
    void CameraRead();
    void showProgress();

private:
    // Progress values from the tasks, in order, until the window's thread shows them.
    struct ProgressQueue
    {
        std::mutex mutex;
        std::vector<int> values;
    };

    // The persistent-address reads of one selection; a newer selection makes them stale.
    struct PanelRead
    {
        int serial = 0;
        gvcp::PersistentReadout readout;
    };

    template <typename Watcher, typename Body>
    void startTask(const QString& label, Watcher& watcher, Body body);
    void continueTask(const QString& label, std::function<TaskResult()> body);
    void showProgressDialog(const QString& label);
    ProgressFn progressReporter();
    void waitForTasks();

    void showInterface(const _IF_INFO& entry);
    void showCamera(const _IF_INFO& entry, const CamInfo& cam);
    void reselectCamera(const CamInfo& cam);
    void clearCameraPanel();
    void showReading();
    void showReadStatus(int result);
    void setAddressEditorsEnabled(bool bEnabled);
    bool newAddressComplete() const;
    CamForm readCamForm() const;
    bool addressAccepted(const gvcp::IpSettings& address);
    bool confirm(const QString& text);
    void showError(const QString& text);
    void showRefusal(const QString& reason);

    std::vector<_IF_INFO> m_ifList;            // interfaces and cameras of the last discovery
    std::shared_ptr<CDeviceControl> m_control; // the selected camera's client, shared with tasks
    CamInfo m_selCam{};
    gvcp::HostInterface m_selIf; // the interface that found the selected camera
    int m_readSerial = 0;
    QFutureWatcher<std::vector<_IF_INFO>> m_discoveryWatcher;
    QFutureWatcher<TaskResult> m_camInfoWatcher;
    QFutureWatcher<TaskResult> m_forceWatcher;
    QFutureWatcher<TaskResult> m_refreshWatcher; // the follow-up that ends a configuration task
    QFutureWatcher<PanelRead> m_readWatcher;
    QFutureWatcher<std::vector<gvcp::Finding>> m_checkWatcher;
    progressdlg* m_progressDlg = nullptr;
    std::shared_ptr<ProgressQueue> m_progress = std::make_shared<ProgressQueue>();
    Ui::Widget* ui;
};
