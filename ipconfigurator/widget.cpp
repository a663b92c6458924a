#include "widget.h"

#include "DeviceControl.h"
#include "findinterface.h"
#include "guithread.h"
#include "ipaddress.h"
#include "ipctrl.h"
#include "progressdlg.h"
#include "ui_widget.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHostAddress>
#include <QLineEdit>
#include <QMessageBox>
#include <QtConcurrent>

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/socket.h>
#include <thread>

CDeviceControl* g_control = nullptr;
progressdlg* m_progressDlg = nullptr;

namespace {

constexpr unsigned short kFirstDiscoveryPort = 9000;
constexpr unsigned long long kListenMs = 1500;

constexpr int kAccessDenied = gvcp::kStatusAccessDenied;
constexpr int kBitPersistent = gvcp::IPCFG_PERSISTENT;
constexpr int kBitDHCP = gvcp::IPCFG_DHCP;
constexpr int kBitLLA = gvcp::IPCFG_LLA;

// Progress dialog labels used by more than one task.
const char* const kSearchingLabel = "Searching GigE Camera.......";
const char* const kSettingInfoLabel = "Setting Camera Info.......";

void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Progress reaches the dialog on the window's thread, from whichever thread reports it.
void setProgress(int value)
{
    callOnThreadOf(m_progressDlg, [value] { m_progressDlg->SetProgress(value); });
}

uint32_t hostOrder(uint32_t net)
{
    return ntohl(net);
}

// MAC bytes 0-1 and 2-5, most significant byte first, as FORCEIP takes them.
unsigned short macHigh(const CamInfo& cam)
{
    return static_cast<unsigned short>((cam.mac[0] << 8) | cam.mac[1]);
}

unsigned int macLow(const CamInfo& cam)
{
    return (unsigned(cam.mac[2]) << 24) | (unsigned(cam.mac[3]) << 16) |
           (unsigned(cam.mac[4]) << 8) | unsigned(cam.mac[5]);
}

} // namespace

Widget::Widget(QWidget* parent) : QWidget(parent), m_selCam{}, ui(new Ui::Widget)
{
    ui->setupUi(this);
    ui->edModel->setEnabled(false);
    ui->edSerial->setEnabled(false);
    ui->chkLLA->setChecked(true);
    ui->chkLLA->setEnabled(false);
    ui->frCIP->setEnabled(false);
    ui->frCSUB->setEnabled(false);
    ui->frCMask->setEnabled(false);
    ui->btnSetStaic->hide();

    m_progressDlg = new progressdlg(this);

    connect(&m_discoveryWatcher, &QFutureWatcher<void>::finished, this, &Widget::DiscoveryFinished);
    connect(&m_camInfoWatcher, &QFutureWatcher<void>::finished, this, &Widget::SetCamInfoFinished);
    connect(&m_forceWatcher, &QFutureWatcher<void>::finished, this, &Widget::SetStaticFinished);
    connect(&m_refreshWatcher, &QFutureWatcher<void>::finished, this, &Widget::RefreshFinished);

    setWindowTitle(QStringLiteral("OrvantaIPConfigurator - v1.1.0.0"));
    on_btnRefresh_clicked();
}

Widget::~Widget()
{
    waitForTasks();
    delete g_control;
    g_control = nullptr;
    m_progressDlg = nullptr; // deleted with the window, its parent
    delete ui;
}

// A task still running uses the window and may be waiting in a call to this thread, so events
// are served until it ends. No finishing slot runs any more, so none can start a follow-up.
void Widget::waitForTasks()
{
    const auto watchers = {&m_discoveryWatcher, &m_camInfoWatcher, &m_forceWatcher,
                           &m_refreshWatcher};
    for (QFutureWatcher<void>* watcher : watchers) {
        watcher->disconnect(this);
    }
    for (QFutureWatcher<void>* watcher : watchers) {
        if (watcher->isRunning()) {
            QEventLoop loop;
            connect(watcher, &QFutureWatcher<void>::finished, &loop, &QEventLoop::quit);
            loop.exec();
        }
    }
}

void Widget::startTask(const QString& label, void (*body)(void*), QFutureWatcher<void>& watcher)
{
    m_progressDlg->SetLabelText(label);
    const QRect area = geometry();
    m_progressDlg->move(area.x() + area.width() / 2, area.y() + area.height() / 2);
    m_progressDlg->show();
    m_progressDlg->SetProgress(0);
    m_progressDlg->SetMaxValue(100);
    watcher.setFuture(QtConcurrent::run(body, static_cast<void*>(this)));
    QCoreApplication::processEvents();
    repaint();
}

// The rest of a finished configuration task (talking to the camera, searching again) runs in
// the background behind the same dialog, so the window keeps painting through the listening
// windows; RefreshFinished() fills the tree and closes the dialog.
void Widget::continueTask(const QString& label, std::function<void()> body)
{
    m_progressDlg->SetLabelText(label);
    m_progressDlg->show();
    m_refreshWatcher.setFuture(QtConcurrent::run(std::move(body)));
}

void Widget::RefreshFinished()
{
    UpdateCameraList();
    m_progressDlg->SetProgress(90);
    m_progressDlg->SetProgress(100);
    m_progressDlg->hide();
}

// ---- discovery and the device tree --------------------------------------------------------

bool sortingIPAddr(CamInfo* a, CamInfo* b)
{
    const uint32_t ipA = hostOrder(a->currentIp);
    const uint32_t ipB = hostOrder(b->currentIp);
    for (int shift = 0; shift < 32; shift += 8) { // last octet first
        const uint32_t octetA = (ipA >> shift) & 0xFF;
        const uint32_t octetB = (ipB >> shift) & 0xFF;
        if (octetA != octetB) {
            return octetA < octetB;
        }
    }
    return false;
}

void Discovery(void*)
{
    findinterface(AF_INET);
    for (size_t i = 0; i < g_ifList.size(); ++i) {
        _IF_INFO& entry = g_ifList[i];
        auto search = std::make_unique<CDeviceDiscovery>(
            static_cast<int>(entry.ifIp), static_cast<unsigned short>(kFirstDiscoveryPort + i));
        search->SearchDevice(&entry.cameras, kListenMs);
        setProgress(30 + 10 * static_cast<int>(i));
        std::sort(entry.cameras.begin(), entry.cameras.end(), sortingIPAddr);
    }
}

void Widget::on_btnRefresh_clicked()
{
    startTask(QString::fromLatin1(kSearchingLabel), Discovery, m_discoveryWatcher);
}

void Widget::DiscoveryFinished()
{
    m_progressDlg->SetProgress(100);
    m_progressDlg->hide();
    UpdateCameraList();
    selectCamInfo(nullptr);
}

void Widget::UpdateCameraList()
{
    ui->treeWidget->clear();
    for (size_t i = 0; i < g_ifList.size(); ++i) {
        char text[128];
        std::snprintf(text, sizeof text, "%d# %s", static_cast<int>(i), g_ifList[i].ifName);
        addTreeRoot(QString::fromLatin1(text), QString(), static_cast<int>(i));
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
    if (index < 0 || static_cast<size_t>(index) >= g_ifList.size()) {
        return;
    }
    for (const CamInfo* cam : g_ifList[static_cast<size_t>(index)].cameras) {
        addTreeChild(row,
                     QStringLiteral("%1-%2 %3")
                         .arg(fieldText(cam->ipText), fieldText(cam->modelName),
                              fieldText(cam->serialNumber)),
                     QString());
    }
}

void Widget::addTreeChild(QTreeWidgetItem* parent, QString text0, QString text1)
{
    auto* row = new QTreeWidgetItem(parent);
    row->setText(0, text0);
    row->setText(1, text1);
}

namespace {

// The pieces of the clicked column's text, or of column 0 when that gives fewer than two.
QStringList splitRowText(const QTreeWidgetItem* item, int column, QChar sep)
{
    QStringList pieces = item->text(column).split(sep);
    if (pieces.size() < 2) {
        pieces = item->text(0).split(sep);
    }
    return pieces;
}

// The interface named by the number in front of "#", or null when there is no such entry.
_IF_INFO* interfaceNamed(const QString& number)
{
    bool ok = false;
    const int index = number.trimmed().toInt(&ok);
    if (!ok || index < 0 || static_cast<size_t>(index) >= g_ifList.size()) {
        return nullptr;
    }
    return &g_ifList[static_cast<size_t>(index)];
}

} // namespace

void Widget::on_treeWidget_itemClicked(QTreeWidgetItem* item, int column)
{
    if (!item) {
        return;
    }
    QStringList pieces = splitRowText(item, column, QLatin1Char('#'));
    if (pieces.size() >= 2) {
        if (const _IF_INFO* entry = interfaceNamed(pieces.first())) {
            showInterface(*entry);
            selectCamInfo(nullptr);
        }
    }

    pieces = splitRowText(item, column, QLatin1Char('-'));
    if (pieces.size() < 2 || !item->parent()) {
        return;
    }
    _IF_INFO* entry = interfaceNamed(item->parent()->text(0).split(QLatin1Char('#')).first());
    if (!entry) {
        return;
    }
    showInterface(*entry);
    const uint32_t ip = htonl(QHostAddress(pieces.first()).toIPv4Address());
    for (CamInfo* cam : entry->cameras) {
        if (cam->currentIp == ip) {
            m_selIfIp = entry->ifIp;
            m_selIfMask = entry->ifMask;
            selectCamInfo(cam);
            m_selCam = *cam;
            return;
        }
    }
}

void Widget::showInterface(const _IF_INFO& entry)
{
    const QString name = fieldText(entry.ifName);
    ui->laHNAME->setText(QStringLiteral("Name : %1").arg(name));
    ui->laHMAC->setText(QStringLiteral("MAC Address : %1").arg(fieldText(entry.ifMac)));
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

int Widget::ReadRegister(int address, int* value, int deviceIp)
{
    if (!g_control) {
        return -1;
    }
    int request = static_cast<int>(htonl(static_cast<uint32_t>(address)));
    int* payload = nullptr;
    int length = 0;
    const int result =
        g_control->GevSendCommand(gvcp::READREG_CMD, deviceIp, &request, 4, &payload, &length);
    if (result == 0 && payload && length >= 4) {
        *value = static_cast<int>(ntohl(static_cast<uint32_t>(payload[0])));
    }
    delete[] payload;
    return result;
}

int Widget::WriteRegister(int address, int value, int deviceIp)
{
    if (!g_control) {
        return -1;
    }
    int request[2] = {static_cast<int>(htonl(static_cast<uint32_t>(address))),
                      static_cast<int>(htonl(static_cast<uint32_t>(value)))};
    int count = 0;
    return g_control->GevSendCommand(gvcp::WRITEREG_CMD, deviceIp, request, 8, nullptr, &count);
}

int Widget::SetIPConfigOpt(int deviceIp, int bits)
{
    int value = 0;
    const int result = ReadRegister(gvcp::REG_IP_CONFIGURATION, &value, deviceIp);
    if (result != 0) {
        return result;
    }
    return WriteRegister(gvcp::REG_IP_CONFIGURATION,
                         (value & ~static_cast<int>(gvcp::IPCFG_MASK)) | bits, deviceIp);
}

int Widget::SetPersisIP(int deviceIp, int ip, int mask, int gateway)
{
    const struct
    {
        int address;
        int value;
        int progress;
    } steps[] = {{gvcp::REG_PERSISTENT_GATEWAY, gateway, 40},
                 {gvcp::REG_PERSISTENT_MASK, mask, 50},
                 {gvcp::REG_PERSISTENT_IP, ip, 60}};
    int result = 0;
    for (const auto& step : steps) {
        result = WriteRegister(step.address, step.value, deviceIp);
        if (result != 0) {
            return result;
        }
        sleepMs(50);
        setProgress(step.progress);
    }
    return result;
}

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

void Widget::showReadStatus(int result)
{
    const bool reachable = result == 0 || result == kAccessDenied;
    ui->label_2->setText(result == 0               ? QStringLiteral("Status : Normal")
                         : result == kAccessDenied ? QStringLiteral("Status : Access Denied")
                                                   : QStringLiteral("Unknown connect error"));
    ui->label_2->setStyleSheet(result == 0 ? QStringLiteral("color: green;")
                                           : QStringLiteral("color: red;"));
    ui->btnSetInfo->setVisible(reachable);
    ui->btnSetStaic->setVisible(!reachable);
    if (reachable) {
        ui->btnSetInfo->setStyleSheet(QStringLiteral("color: black;"));
        ui->laValidRange->hide();
        return;
    }
    ui->btnSetStaic->setStyleSheet(QStringLiteral("color: red;"));
    ui->laValidRange->setText(
        QStringLiteral("Valid IP Range : %1").arg(validRangeText(m_selIfIp, m_selIfMask)));
    ui->laValidRange->setStyleSheet(QStringLiteral("color: red;"));
    ui->laValidRange->show();
}

void Widget::selectCamInfo(CamInfo* cam)
{
    if (!cam) {
        clearCameraPanel();
        return;
    }
    delete g_control;
    g_control = new CDeviceControl(static_cast<int>(cam->interfaceIp), 0);

    const int deviceIp = static_cast<int>(cam->currentIp);
    int persistentIp = 0;
    int result = ReadRegister(gvcp::REG_PERSISTENT_IP, &persistentIp, deviceIp);
    showReadStatus(result);

    ui->edModel->setText(fieldText(cam->modelName));
    ui->edSerial->setText(fieldText(cam->serialNumber));
    ui->edUser->setText(fieldText(cam->userName));
    setEditorAddress(ui->frCIP, hostOrder(cam->currentIp));
    setEditorAddress(ui->frCSUB, hostOrder(cam->subnetMask));
    setEditorAddress(ui->frCMask, hostOrder(cam->gateway));
    clearEditor(ui->frMIP);
    clearEditor(ui->frMSUB);
    clearEditor(ui->frMMask);

    if (result == 0) {
        setEditorAddress(ui->frMIP, static_cast<uint32_t>(persistentIp));
        int mask = 0;
        if (ReadRegister(gvcp::REG_PERSISTENT_MASK, &mask, deviceIp) == 0) {
            setEditorAddress(ui->frMSUB, static_cast<uint32_t>(mask));
        }
        int gateway = 0;
        result = ReadRegister(gvcp::REG_PERSISTENT_GATEWAY, &gateway, deviceIp);
        if (result == 0) {
            setEditorAddress(ui->frMMask, static_cast<uint32_t>(gateway));
        }
    }

    const uint32_t current = hostOrder(cam->ipConfigCurrent);
    ui->chkDHCP->setChecked(current & kBitDHCP);
    ui->chkStatic->setChecked(current & kBitPersistent);

    const bool editable = result == 0;
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
    QCoreApplication::processEvents();
    repaint();
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

Widget::CamForm Widget::readCamForm() const
{
    CamForm form;
    form.userName = ui->edUser->text();
    form.bStatic = ui->chkStatic->isChecked();
    form.bDHCP = ui->chkDHCP->isChecked();
    form.ip = editorAddress(ui->frMIP);
    form.mask = editorAddress(ui->frMSUB);
    form.gateway = editorAddress(ui->frMMask);
    return form;
}

// A critical box on the window's thread; the calling task waits until the user closes it.
void Widget::showError(const QString& text)
{
    callOnThreadOf(this, [this, &text] {
        QMessageBox::critical(this, QStringLiteral("Error"), text, QMessageBox::Ok);
    });
}

void Widget::on_btnSetInfo_clicked()
{
    if (ui->chkStatic->isChecked() && !newAddressComplete()) {
        showError(QStringLiteral("Please enter the whole IP address, subnet mask and gateway"));
        return;
    }
    if (QMessageBox::question(this, QStringLiteral("Confirm"),
                              QStringLiteral("Do you want to change camera information??"),
                              QMessageBox::Yes | QMessageBox::No) == QMessageBox::No) {
        return;
    }
    startTask(QString::fromLatin1(kSettingInfoLabel), SetCamInfotProc, m_camInfoWatcher);
}

void Widget::on_btnSetStaic_clicked()
{
    if (!newAddressComplete()) {
        showError(QStringLiteral("Please enter the whole IP address, subnet mask and gateway"));
        return;
    }
    if (QMessageBox::question(this, QStringLiteral("Confirm"),
                              QStringLiteral("Do you want to change IP Setting???"),
                              QMessageBox::Yes | QMessageBox::No) == QMessageBox::No) {
        return;
    }
    startTask(QStringLiteral("Setting Static ip address......."), SetStaticProc, m_forceWatcher);
}

void SetCamInfotProc(void* w)
{
    static_cast<Widget*>(w)->SetCamInfo();
}

void SetStaticProc(void* w)
{
    static_cast<Widget*>(w)->setStatic();
}

int Widget::writeUserName(int deviceIp, const QString& name)
{
    const std::array<uint32_t, 4> values = gvcp::EncodeUserName(name.toLatin1().toStdString());
    int failure = 0;
    for (size_t reg = 0; reg < values.size(); ++reg) {
        const int result = WriteRegister(static_cast<int>(gvcp::REG_USER_NAME + 4 * reg),
                                         static_cast<int>(values[reg]), deviceIp);
        if (result != 0 && failure == 0) {
            failure = result; // every register is still written
        }
    }
    return failure;
}

void Widget::SetCamInfo()
{
    writeCamInfo(false);
}

// bAlwaysPersist: the camera was just given the form's address by FORCEIP, so its current
// address equals the form and the persistent registers must be written regardless.
void Widget::writeCamInfo(bool bAlwaysPersist)
{
    const CamForm form = callOnThreadOf(this, [this] { return readCamForm(); });
    const int deviceIp = static_cast<int>(m_selCam.currentIp);
    const int wanted = kBitLLA | (form.bDHCP ? kBitDHCP : 0) | (form.bStatic ? kBitPersistent : 0);
    const bool configChanged = static_cast<uint32_t>(wanted) != hostOrder(m_selCam.ipConfigCurrent);

    setProgress(10);
    setProgress(20);
    bool nameFailed = false;
    if (form.userName != fieldText(m_selCam.userName)) {
        if (!g_control || g_control->GevOpenDevice(deviceIp) != 0) {
            showError(QStringLiteral("Camera open fail"));
            sleepMs(1000);
            return;
        }
        nameFailed = writeUserName(deviceIp, form.userName) != 0;
        g_control->GevCloseDevice(deviceIp);
    }
    setProgress(30);

    if (nameFailed) {
        showError(QStringLiteral("Set UserID Error"));
    } else {
        if (form.bStatic) {
            forceAndPersist(deviceIp, form, wanted, bAlwaysPersist);
        }
        setProgress(40);
    }

    setProgress(80);
    if (!form.bStatic && configChanged && SetIPConfigOpt(deviceIp, wanted) != 0) {
        showError(QStringLiteral("Set Configuration Error"));
    }
    setProgress(90);
    sleepMs(1000);
}

void Widget::forceAndPersist(int deviceIp, const CamForm& form, int wanted, bool bAlwaysPersist)
{
    setProgress(60);
    const bool unchanged = form.ip == hostOrder(m_selCam.currentIp) &&
                           form.mask == hostOrder(m_selCam.subnetMask) &&
                           form.gateway == hostOrder(m_selCam.gateway);
    if (unchanged && !bAlwaysPersist) {
        return;
    }
    const int result = SetPersisIP(deviceIp, static_cast<int>(form.ip), static_cast<int>(form.mask),
                                   static_cast<int>(form.gateway));
    if (result != 0) {
        if (result != gvcp::kNoAnswer) {
            showError(QStringLiteral("Set Static IP Error"));
        }
        return;
    }
    if (static_cast<uint32_t>(wanted) != hostOrder(m_selCam.ipConfigCurrent) &&
        SetIPConfigOpt(deviceIp, wanted) != 0) {
        showError(QStringLiteral("Set Configuration Error"));
    }
    g_control->SetForceIP(static_cast<int>(form.ip), static_cast<int>(form.mask),
                          static_cast<int>(form.gateway), macHigh(m_selCam), macLow(m_selCam));
    setProgress(70);
}

// The camera panel keeps its contents; only the tree is refreshed.
void Widget::SetCamInfoFinished()
{
    m_progressDlg->SetProgress(100);
    continueTask(QString::fromLatin1(kSearchingLabel), [this] { Discovery(this); });
}

void Widget::setStatic()
{
    const CamForm form = callOnThreadOf(this, [this] { return readCamForm(); });
    const int result =
        g_control ? g_control->SetForceIP(static_cast<int>(form.ip), static_cast<int>(form.mask),
                                          static_cast<int>(form.gateway), macHigh(m_selCam),
                                          macLow(m_selCam))
                  : 1;
    m_bForce = result == 0;
    if (m_bForce) {
        m_selCam.currentIp = htonl(form.ip);
    }
    sleepMs(3000); // the camera takes the forced address
}

// After a forced address the camera answers again: the address is made persistent there and
// the list searched again, both in the background.
void Widget::SetStaticFinished()
{
    if (!m_bForce) {
        m_progressDlg->SetProgress(100);
        m_progressDlg->hide();
        return;
    }
    ui->chkStatic->setChecked(true);
    continueTask(QString::fromLatin1(kSettingInfoLabel), [this] {
        writeCamInfo(true);
        setProgress(70);
        Discovery(this);
        setProgress(80);
    });
}
