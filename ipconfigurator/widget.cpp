#include "widget.h"

#include "ipaddress.h"
#include "ipctrl.h"
#include "progressdlg.h"
#include "ui_widget.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QtConcurrent>

#include <algorithm>
#include <cstdio>

namespace {

// Progress dialog labels used by more than one task.
const char* const kSearchingLabel = "Searching GigE Camera.......";
const char* const kSettingInfoLabel = "Setting Camera Info.......";
const char* const kIncompleteAddress = "Please enter the whole IP address, subnet mask and gateway";
// The network check listens on each interface as long as a discovery does.
constexpr std::chrono::milliseconds kCheckListen{1500};

// Where a tree row points: the interface's position in the list, and for a camera row the
// camera's position in the interface's list (-1 on interface rows).
constexpr int kInterfaceRole = Qt::UserRole;
constexpr int kCameraRole = Qt::UserRole + 1;

QString text(const std::string& s)
{
    return QString::fromStdString(s);
}

} // namespace

Widget::Widget(QWidget* parent) : QWidget(parent), ui(new Ui::Widget)
{
    ui->setupUi(this);
    ui->edModel->setEnabled(false);
    ui->edSerial->setEnabled(false);
    ui->edMac->setEnabled(false);
    ui->chkLLA->setChecked(true);
    ui->chkLLA->setEnabled(false);
    ui->frCIP->setEnabled(false);
    ui->frCSUB->setEnabled(false);
    ui->frCMask->setEnabled(false);
    ui->btnSetStaic->hide();

    m_progressDlg = new progressdlg(this);

    connect(&m_discoveryWatcher, &QFutureWatcherBase::finished, this, &Widget::DiscoveryFinished);
    connect(&m_camInfoWatcher, &QFutureWatcherBase::finished, this, &Widget::SetCamInfoFinished);
    connect(&m_forceWatcher, &QFutureWatcherBase::finished, this, &Widget::SetStaticFinished);
    connect(&m_refreshWatcher, &QFutureWatcherBase::finished, this, &Widget::RefreshFinished);
    connect(&m_readWatcher, &QFutureWatcherBase::finished, this, &Widget::CameraRead);
    connect(&m_checkWatcher, &QFutureWatcherBase::finished, this, &Widget::CheckNetworkFinished);

    setWindowTitle(QStringLiteral("OrvantaIPConfigurator - v1.1.0.0"));
    on_btnRefresh_clicked();
}

Widget::~Widget()
{
    waitForTasks();
    delete ui;
}

// Tasks post their progress to the window, so they must end before it goes. No finishing slot
// runs any more, so none can start a follow-up.
void Widget::waitForTasks()
{
    const std::initializer_list<QFutureWatcherBase*> watchers = {
        &m_discoveryWatcher, &m_camInfoWatcher, &m_forceWatcher,
        &m_refreshWatcher,   &m_readWatcher,    &m_checkWatcher};
    for (QFutureWatcherBase* watcher : watchers) {
        watcher->disconnect(this);
    }
    for (QFutureWatcherBase* watcher : watchers) {
        watcher->waitForFinished();
    }
}

void Widget::showProgressDialog(const QString& label)
{
    m_progressDlg->SetLabelText(label);
    m_progressDlg->show();
}

// Progress reaches the dialog on the window's thread, from whichever thread reports it. The
// values go through a locked queue rather than inside the posted call, so that thread checkers,
// which cannot see Qt's own locking, follow the hand-over too.
ProgressFn Widget::progressReporter()
{
    const std::shared_ptr<ProgressQueue> queue = m_progress;
    QObject* window = this;
    return [queue, window](int value) {
        {
            std::lock_guard<std::mutex> lock(queue->mutex);
            queue->values.push_back(value);
        }
        QMetaObject::invokeMethod(window, "showProgress", Qt::QueuedConnection);
    };
}

void Widget::showProgress()
{
    std::vector<int> values;
    {
        std::lock_guard<std::mutex> lock(m_progress->mutex);
        values.swap(m_progress->values);
    }
    for (int value : values) {
        m_progressDlg->SetProgress(value);
    }
}

template <typename Watcher, typename Body>
void Widget::startTask(const QString& label, Watcher& watcher, Body body)
{
    const QRect area = geometry();
    m_progressDlg->move(area.x() + area.width() / 2, area.y() + area.height() / 2);
    showProgressDialog(label);
    m_progressDlg->SetProgress(0);
    m_progressDlg->SetMaxValue(100);
    watcher.setFuture(QtConcurrent::run(std::move(body)));
    QCoreApplication::processEvents();
    repaint();
}

// The rest of a finished configuration task (talking to the camera, searching again) runs in
// the background behind the same dialog; RefreshFinished() fills the tree and closes it.
void Widget::continueTask(const QString& label, std::function<TaskResult()> body)
{
    showProgressDialog(label);
    m_refreshWatcher.setFuture(QtConcurrent::run(std::move(body)));
}

// ---- discovery and the device tree --------------------------------------------------------

void Widget::on_btnRefresh_clicked()
{
    const ProgressFn progress = progressReporter();
    startTask(QString::fromLatin1(kSearchingLabel), m_discoveryWatcher,
              [progress] { return Discovery(progress); });
}

void Widget::DiscoveryFinished()
{
    m_ifList = m_discoveryWatcher.result();
    m_progressDlg->SetProgress(100);
    m_progressDlg->hide();
    UpdateCameraList();
    selectCamInfo(nullptr);
}

// ---- the network check -------------------------------------------------------------------

void Widget::on_btnCheckNetwork_clicked()
{
    const ProgressFn progress = progressReporter();
    startTask(QStringLiteral("Checking network......."), m_checkWatcher, [progress] {
        return gvcp::CheckNetwork(gvcp::CollectNetworkFacts(
            kCheckListen, [&progress](int done, int total) { progress(10 + 80 * done / total); }));
    });
}

void Widget::CheckNetworkFinished()
{
    const std::vector<gvcp::Finding> findings = m_checkWatcher.result();
    m_progressDlg->SetProgress(100);
    m_progressDlg->hide();
    QString message =
        findings.empty()
            ? QStringLiteral("No problems found on this PC's network.")
            : QStringLiteral("%1 on this PC's network:")
                  .arg(findings.size() == 1 ? QStringLiteral("1 finding")
                                            : QStringLiteral("%1 findings").arg(findings.size()));
    for (const gvcp::Finding& finding : findings) {
        message +=
            QStringLiteral("\n\n%1\n    %2").arg(text(finding.explanation), text(finding.fix));
    }
    QMessageBox box(findings.empty() ? QMessageBox::Information : QMessageBox::Warning,
                    QStringLiteral("Check network"), message, QMessageBox::Ok, this);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse); // the commands can be copied
    box.exec();
}

void Widget::UpdateCameraList()
{
    ui->treeWidget->clear();
    for (size_t i = 0; i < m_ifList.size(); ++i) {
        char rootText[128];
        std::snprintf(rootText, sizeof rootText, "%d# %s", static_cast<int>(i), m_ifList[i].ifName);
        addTreeRoot(QString::fromLatin1(rootText), QString(), static_cast<int>(i));
    }
    ui->treeWidget->expandAll();
    ui->treeWidget->resizeColumnToContents(0); // camera rows are read in full
    QCoreApplication::processEvents();
    repaint();
}

void Widget::addTreeRoot(QString text0, QString text1, int index)
{
    auto* row = new QTreeWidgetItem(ui->treeWidget);
    row->setText(0, text0);
    row->setText(1, text1);
    row->setData(0, kInterfaceRole, index);
    row->setData(0, kCameraRole, -1);
    if (index < 0 || static_cast<size_t>(index) >= m_ifList.size()) {
        return;
    }
    const std::vector<CamInfo*>& cameras = m_ifList[static_cast<size_t>(index)].cameras;
    for (size_t k = 0; k < cameras.size(); ++k) {
        const CamInfo& cam = *cameras[k];
        QTreeWidgetItem* child = addTreeChild(row,
                                              QStringLiteral("%1-%2 %3")
                                                  .arg(text(gvcp::FieldText(cam.ipText)),
                                                       text(gvcp::FieldText(cam.modelName)),
                                                       text(gvcp::FieldText(cam.serialNumber))),
                                              QString());
        child->setData(0, kInterfaceRole, index);
        child->setData(0, kCameraRole, static_cast<int>(k));
    }
}

QTreeWidgetItem* Widget::addTreeChild(QTreeWidgetItem* parent, QString text0, QString text1)
{
    auto* row = new QTreeWidgetItem(parent);
    row->setText(0, text0);
    row->setText(1, text1);
    return row;
}

void Widget::on_treeWidget_itemClicked(QTreeWidgetItem* item, int /*column*/)
{
    if (!item) {
        return;
    }
    const int i = item->data(0, kInterfaceRole).toInt();
    const int k = item->data(0, kCameraRole).toInt();
    if (i < 0 || static_cast<size_t>(i) >= m_ifList.size()) {
        return;
    }
    const _IF_INFO& entry = m_ifList[static_cast<size_t>(i)];
    if (k < 0) {
        showInterface(entry);
        selectCamInfo(nullptr);
    } else if (static_cast<size_t>(k) < entry.cameras.size()) {
        showCamera(entry, *entry.cameras[static_cast<size_t>(k)]);
    }
}

void Widget::showCamera(const _IF_INFO& entry, const CamInfo& cam)
{
    showInterface(entry);
    m_selIf = hostInterfaceOf(entry);
    m_selCam = cam;
    selectCamInfo(&m_selCam);
}

// After a change the camera may sit at another address or behind another interface; its MAC
// finds it again.
void Widget::reselectCamera(const CamInfo& cam)
{
    for (int i = 0; i < ui->treeWidget->topLevelItemCount(); ++i) {
        QTreeWidgetItem* root = ui->treeWidget->topLevelItem(i);
        for (int k = 0; k < root->childCount(); ++k) {
            QTreeWidgetItem* row = root->child(k);
            const _IF_INFO& entry =
                m_ifList[static_cast<size_t>(row->data(0, kInterfaceRole).toInt())];
            const CamInfo& found =
                *entry.cameras[static_cast<size_t>(row->data(0, kCameraRole).toInt())];
            if (std::equal(std::begin(found.mac), std::end(found.mac), std::begin(cam.mac))) {
                ui->treeWidget->setCurrentItem(row);
                showCamera(entry, found);
                return;
            }
        }
    }
    selectCamInfo(nullptr);
}

void Widget::showInterface(const _IF_INFO& entry)
{
    const QString name = text(gvcp::FieldText(entry.ifName));
    ui->laHNAME->setText(QStringLiteral("Name : %1").arg(name));
    ui->laHMAC->setText(QStringLiteral("MAC Address : %1").arg(text(gvcp::FieldText(entry.ifMac))));
    ui->laHIP->setText(QStringLiteral("%1").arg(dottedFromNet(entry.ifIp)));
    ui->laHMTU->setText(QStringLiteral("MTU : %1").arg(entry.ifMtu));
    if (entry.ifMtu == 9000) {
        ui->laHMTUStat->hide();
        ui->laHMTU->setStyleSheet(QStringLiteral("color: black;"));
    } else {
        ui->laHMTU->setStyleSheet(QStringLiteral("color: red;"));
        ui->laHMTUStat->setStyleSheet(QStringLiteral("color: red;"));
        ui->laHMTUStat->setText(
            QStringLiteral("Please change MTU to 9000 (ex:sudo ifconfig %1 mtu 9000)").arg(name));
        ui->laHMTUStat->show();
    }
}

// ---- the camera panel ---------------------------------------------------------------------

void Widget::setAddressEditorsEnabled(bool bEnabled)
{
    ui->frMIP->setEnabled(bEnabled);
    ui->frMSUB->setEnabled(bEnabled);
    ui->frMMask->setEnabled(bEnabled);
}

void Widget::clearCameraPanel()
{
    ui->edModel->clear();
    ui->edSerial->clear();
    ui->edMac->clear();
    ui->edUser->clear();
    for (IPCtrl* editor :
         {ui->frCIP, ui->frCSUB, ui->frCMask, ui->frMIP, ui->frMSUB, ui->frMMask}) {
        clearEditor(editor);
    }
    ui->btnSetInfo->setEnabled(false);
    ui->edSerial->setEnabled(false);
    ui->chkDHCP->setEnabled(false);
    ui->chkStatic->setEnabled(false);
    ui->edUser->setEnabled(false);
    setAddressEditorsEnabled(false);
}

// Until the camera has answered nothing can be changed.
void Widget::showReading()
{
    ui->label_2->setText(QStringLiteral("Reading\u2026"));
    ui->label_2->setStyleSheet(QStringLiteral("color: black;"));
    ui->btnSetInfo->show();
    ui->btnSetStaic->hide();
    ui->laValidRange->hide();
    for (QWidget* control : std::initializer_list<QWidget*>{ui->edUser, ui->chkStatic, ui->chkDHCP,
                                                            ui->btnSetInfo, ui->btnSetStaic}) {
        control->setEnabled(false);
    }
    setAddressEditorsEnabled(false);
}

void Widget::showReadStatus(int result)
{
    const bool denied = result == gvcp::kStatusAccessDenied;
    const bool reachable = result == gvcp::kSuccess || denied;
    ui->label_2->setText(result == gvcp::kSuccess ? QStringLiteral("Status : Normal")
                         : denied                 ? QStringLiteral("Status : Access Denied")
                                                  : QStringLiteral("Unknown connect error"));
    ui->label_2->setStyleSheet(result == gvcp::kSuccess ? QStringLiteral("color: green;")
                                                        : QStringLiteral("color: red;"));
    ui->btnSetInfo->setVisible(reachable);
    ui->btnSetStaic->setVisible(!reachable);
    ui->btnSetStaic->setEnabled(!reachable);
    if (reachable) {
        ui->btnSetInfo->setStyleSheet(QStringLiteral("color: black;"));
        ui->laValidRange->hide();
        return;
    }
    ui->btnSetStaic->setStyleSheet(QStringLiteral("color: red;"));
    ui->laValidRange->setText(
        QStringLiteral("Valid IP Range : %1").arg(validRangeText(m_selIf.ip, m_selIf.mask)));
    ui->laValidRange->setStyleSheet(QStringLiteral("color: red;"));
    ui->laValidRange->show();
}

void Widget::selectCamInfo(CamInfo* cam)
{
    ++m_readSerial; // whatever is still being read is for another selection
    if (!cam) {
        clearCameraPanel();
        return;
    }
    m_control = std::make_shared<CDeviceControl>(static_cast<int>(cam->interfaceIp), 0);

    const gvcp::IpSettings current = gvcp::CurrentSettings(*cam);
    ui->edModel->setText(text(gvcp::FieldText(cam->modelName)));
    ui->edSerial->setText(text(gvcp::FieldText(cam->serialNumber)));
    ui->edMac->setText(text(gvcp::MacText(cam->mac)));
    ui->edUser->setText(text(gvcp::FieldText(cam->userName)));
    setEditorAddress(ui->frCIP, current.ip);
    setEditorAddress(ui->frCSUB, current.mask);
    setEditorAddress(ui->frCMask, current.gateway);
    clearEditor(ui->frMIP);
    clearEditor(ui->frMSUB);
    clearEditor(ui->frMMask);
    const uint32_t bits = gvcp::CurrentIpConfig(*cam);
    ui->chkDHCP->setChecked(bits & gvcp::IPCFG_DHCP);
    ui->chkStatic->setChecked(bits & gvcp::IPCFG_PERSISTENT);
    showReading();

    const std::shared_ptr<CDeviceControl> control = m_control;
    const uint32_t deviceIp = cam->currentIp;
    const int serial = m_readSerial;
    m_readWatcher.setFuture(QtConcurrent::run([control, deviceIp, serial] {
        return PanelRead{serial, gvcp::ReadPersistentAddress(*control, deviceIp)};
    }));
}

void Widget::CameraRead()
{
    const PanelRead read = m_readWatcher.result();
    if (read.serial != m_readSerial) {
        return;
    }
    const gvcp::PersistentReadout& readout = read.readout;
    showReadStatus(readout.status);
    if (readout.ip) {
        setEditorAddress(ui->frMIP, *readout.ip);
    }
    if (readout.mask) {
        setEditorAddress(ui->frMSUB, *readout.mask);
    }
    if (readout.gateway) {
        setEditorAddress(ui->frMMask, *readout.gateway);
    }

    const bool editable = readout.result == gvcp::kSuccess;
    ui->edUser->setEnabled(editable);
    ui->chkStatic->setEnabled(editable);
    ui->chkDHCP->setEnabled(editable);
    ui->btnSetInfo->setEnabled(editable);
    setAddressEditorsEnabled(editable);
    if (editable) {
        on_chkStatic_clicked();
    }
    if (!ui->btnSetStaic->isHidden()) {
        setAddressEditorsEnabled(true);
    }
}

void Widget::on_chkStatic_clicked()
{
    setAddressEditorsEnabled(ui->chkStatic->isChecked());
    QCoreApplication::processEvents();
    repaint();
}

// ---- "Set Camera Info" and "Set Static IP" ------------------------------------------------

bool Widget::newAddressComplete() const
{
    return editorComplete(ui->frMIP) && editorComplete(ui->frMSUB) && editorComplete(ui->frMMask);
}

CamForm Widget::readCamForm() const
{
    CamForm form;
    form.userName = ui->edUser->text();
    form.bStatic = ui->chkStatic->isChecked();
    form.bDHCP = ui->chkDHCP->isChecked();
    form.address = {editorAddress(ui->frMIP), editorAddress(ui->frMSUB),
                    editorAddress(ui->frMMask)};
    return form;
}

void Widget::showError(const QString& message)
{
    QMessageBox::critical(this, QStringLiteral("Error"), message, QMessageBox::Ok);
}

void Widget::showRefusal(const QString& reason)
{
    showError(reason + QStringLiteral("\nNothing was written to the camera."));
}

bool Widget::confirm(const QString& question)
{
    return QMessageBox::question(this, QStringLiteral("Confirm"), question,
                                 QMessageBox::Yes | QMessageBox::No) != QMessageBox::No;
}

// The checks that need no network, before anything is asked; the probe follows in the task.
// An address the interface cannot reach is allowed after a second question.
bool Widget::addressAccepted(const gvcp::IpSettings& address)
{
    const gvcp::AddressVerdict verdict =
        gvcp::CheckAddress(address, hostViewOf(m_ifList), gvcp::KnownCamera::From(m_selCam));
    if (!verdict.ok()) {
        showRefusal(text(verdict.reason));
        return false;
    }
    const gvcp::AddressVerdict reach = gvcp::CheckReachable(m_selIf, address);
    return reach.ok() ||
           confirm(text(reach.reason) + QStringLiteral("\nDo you want to set it anyway?"));
}

void Widget::on_btnSetInfo_clicked()
{
    if (ui->chkStatic->isChecked() && !newAddressComplete()) {
        showError(QString::fromLatin1(kIncompleteAddress));
        return;
    }
    const CamForm form = readCamForm();
    const gvcp::CameraChange plan = planCamInfo(m_selCam, form, false);
    if ((plan.address && !addressAccepted(form.address)) ||
        !confirm(camInfoConfirmation(m_selCam, plan))) {
        return;
    }
    const std::shared_ptr<CDeviceControl> control = m_control;
    const CamInfo cam = m_selCam;
    const gvcp::HostView host = hostViewOf(m_ifList);
    const ProgressFn progress = progressReporter();
    startTask(QString::fromLatin1(kSettingInfoLabel), m_camInfoWatcher,
              [control, cam, form, host, progress] {
                  return SetCamInfo(*control, cam, form, host, false, progress);
              });
}

void Widget::on_btnSetStaic_clicked()
{
    if (!newAddressComplete()) {
        showError(QString::fromLatin1(kIncompleteAddress));
        return;
    }
    const gvcp::IpSettings address = readCamForm().address;
    if (!addressAccepted(address) || !confirm(staticIpConfirmation(m_selCam, address))) {
        return;
    }
    const std::shared_ptr<CDeviceControl> control = m_control;
    const CamInfo cam = m_selCam;
    const gvcp::HostView host = hostViewOf(m_ifList);
    startTask(QStringLiteral("Setting Static ip address......."), m_forceWatcher,
              [control, cam, address, host] { return setStatic(*control, cam, address, host); });
}

// The camera panel keeps its contents until the refreshed tree selects the camera again.
void Widget::SetCamInfoFinished()
{
    const TaskResult result = m_camInfoWatcher.result();
    m_progressDlg->SetProgress(100);
    if (!result.refusal.isEmpty()) {
        m_progressDlg->hide();
        showRefusal(result.refusal);
        return;
    }
    for (const QString& error : result.errors) {
        showError(error);
    }
    const ProgressFn progress = progressReporter();
    continueTask(QString::fromLatin1(kSearchingLabel), [progress] {
        TaskResult refreshed;
        refreshed.interfaces = Discovery(progress);
        return refreshed;
    });
}

// After a forced address the camera answers again: the address is made persistent there and
// the list searched again, both in the background.
void Widget::SetStaticFinished()
{
    const TaskResult result = m_forceWatcher.result();
    if (!result.refusal.isEmpty() || !result.moved) {
        m_progressDlg->SetProgress(100);
        m_progressDlg->hide();
        if (!result.refusal.isEmpty()) {
            showRefusal(result.refusal);
        }
        return;
    }
    m_selCam = result.camera;
    ui->chkStatic->setChecked(true);
    const CamForm form = readCamForm();
    const std::shared_ptr<CDeviceControl> control = m_control;
    const CamInfo cam = m_selCam;
    const gvcp::HostView host = hostViewOf(m_ifList);
    const ProgressFn progress = progressReporter();
    continueTask(QString::fromLatin1(kSettingInfoLabel), [control, cam, form, host, progress] {
        TaskResult done = SetCamInfo(*control, cam, form, host, true, progress);
        progress(70);
        done.interfaces = Discovery(progress);
        progress(80);
        return done;
    });
}

void Widget::RefreshFinished()
{
    TaskResult result = m_refreshWatcher.result();
    m_ifList = std::move(result.interfaces);
    UpdateCameraList();
    m_progressDlg->SetProgress(90);
    m_progressDlg->SetProgress(100);
    m_progressDlg->hide();
    for (const QString& error : result.errors) {
        showError(error);
    }
    reselectCamera(m_selCam);
}
