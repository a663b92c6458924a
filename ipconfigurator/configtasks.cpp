#include "configtasks.h"

#include "DeviceDiscovery.h"

#include <algorithm>
#include <chrono>
#include <sys/socket.h>
#include <thread>

namespace {

constexpr unsigned short kFirstDiscoveryPort = 9000;
constexpr unsigned long long kListenMs = 1500;

void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

QString dotted(uint32_t host)
{
    return QString::fromStdString(gvcp::DottedHost(host));
}

QString change(const char* what, const QString& from, const QString& to)
{
    return QStringLiteral("%1: %2 \u2192 %3").arg(QLatin1String(what), from, to);
}

QString onOff(uint32_t bits, uint32_t bit)
{
    return (bits & bit) ? QStringLiteral("on") : QStringLiteral("off");
}

QString cameraLine(const CamInfo& cam)
{
    return QStringLiteral("Camera: %1, serial %2, MAC %3")
        .arg(QString::fromStdString(gvcp::FieldText(cam.modelName)),
             QString::fromStdString(gvcp::FieldText(cam.serialNumber)),
             QString::fromStdString(gvcp::MacText(cam.mac)));
}

void addAddressChanges(QStringList* lines, const gvcp::IpSettings& from, const gvcp::IpSettings& to)
{
    const struct
    {
        const char* name;
        uint32_t from, to;
    } fields[] = {{"IP Address", from.ip, to.ip},
                  {"Subnet Mask", from.mask, to.mask},
                  {"Gateway", from.gateway, to.gateway}};
    for (const auto& field : fields) {
        if (field.from != field.to) {
            *lines << change(field.name, dotted(field.from), dotted(field.to));
        }
    }
}

QString confirmation(const char* question, QStringList changes, const CamInfo& cam)
{
    if (changes.isEmpty()) {
        changes << QStringLiteral("Nothing will change.");
    }
    return QLatin1String(question) + QStringLiteral("\n\n") + cameraLine(cam) + QLatin1Char('\n') +
           changes.join(QLatin1Char('\n'));
}

} // namespace

CamInfoPlan planCamInfo(const CamInfo& cam, const CamForm& form, bool alwaysPersist)
{
    CamInfoPlan plan;
    plan.wantedBits = gvcp::IPCFG_LLA | (form.bDHCP ? gvcp::IPCFG_DHCP : 0) |
                      (form.bStatic ? gvcp::IPCFG_PERSISTENT : 0);
    const bool bitsDiffer = plan.wantedBits != gvcp::CurrentIpConfig(cam);
    plan.name = form.userName != QString::fromStdString(gvcp::FieldText(cam.userName));
    if (form.bStatic) {
        // The bits change only together with the address.
        plan.address = alwaysPersist || form.address != gvcp::CurrentSettings(cam);
        plan.config = plan.address && bitsDiffer;
    } else {
        plan.config = bitsDiffer;
    }
    return plan;
}

QString camInfoConfirmation(const CamInfo& cam, const CamForm& form, const CamInfoPlan& plan)
{
    QStringList changes;
    if (plan.name) {
        changes << change("User Name", QString::fromStdString(gvcp::FieldText(cam.userName)),
                          form.userName);
    }
    if (plan.address) {
        addAddressChanges(&changes, gvcp::CurrentSettings(cam), form.address);
    }
    if (plan.config) {
        const uint32_t current = gvcp::CurrentIpConfig(cam);
        const struct
        {
            const char* name;
            uint32_t bit;
        } bits[] = {{"Static", gvcp::IPCFG_PERSISTENT},
                    {"DHCP", gvcp::IPCFG_DHCP},
                    {"Auto IP (Link-Local Address)", gvcp::IPCFG_LLA}};
        for (const auto& b : bits) {
            if ((current ^ plan.wantedBits) & b.bit) {
                changes << change(b.name, onOff(current, b.bit), onOff(plan.wantedBits, b.bit));
            }
        }
    }
    return confirmation("Do you want to change camera information??", changes, cam);
}

QString staticIpConfirmation(const CamInfo& cam, const gvcp::IpSettings& address)
{
    QStringList changes;
    addAddressChanges(&changes, gvcp::CurrentSettings(cam), address);
    return confirmation("Do you want to change IP Setting???", changes, cam);
}

gvcp::HostInterface hostInterfaceOf(const _IF_INFO& entry)
{
    return {gvcp::FieldText(entry.ifName), gvcp::FromWire(entry.ifIp),
            gvcp::FromWire(entry.ifMask)};
}

gvcp::HostView hostViewOf(const std::vector<_IF_INFO>& interfaces)
{
    gvcp::HostView view;
    for (const _IF_INFO& entry : interfaces) {
        view.interfaces.push_back(hostInterfaceOf(entry));
        for (const CamInfo* cam : entry.cameras) {
            view.cameras.push_back(gvcp::KnownCamera::From(*cam));
        }
    }
    return view;
}

bool sortingIPAddr(CamInfo* a, CamInfo* b)
{
    const uint32_t ipA = gvcp::CurrentSettings(*a).ip;
    const uint32_t ipB = gvcp::CurrentSettings(*b).ip;
    for (int shift = 0; shift < 32; shift += 8) { // last octet first
        const uint32_t octetA = (ipA >> shift) & 0xFF;
        const uint32_t octetB = (ipB >> shift) & 0xFF;
        if (octetA != octetB) {
            return octetA < octetB;
        }
    }
    return false;
}

std::vector<_IF_INFO> Discovery(const ProgressFn& progress)
{
    std::vector<_IF_INFO> interfaces;
    findinterface(AF_INET, &interfaces);
    for (size_t i = 0; i < interfaces.size(); ++i) {
        _IF_INFO& entry = interfaces[i];
        {
            CDeviceDiscovery search(static_cast<int>(entry.ifIp),
                                    static_cast<unsigned short>(kFirstDiscoveryPort + i));
            search.SearchDevice(&entry.cameras, kListenMs);
        }
        progress(30 + 10 * static_cast<int>(i));
        std::sort(entry.cameras.begin(), entry.cameras.end(), sortingIPAddr);
    }
    return interfaces;
}

CameraReadout readCamera(CDeviceControl& control, uint32_t deviceIp)
{
    CameraReadout out;
    uint32_t value = 0;
    out.status = out.result = control.ReadRegister(deviceIp, gvcp::REG_PERSISTENT_IP, &value);
    if (out.status != gvcp::kSuccess) {
        return out;
    }
    out.ip = value;
    if (control.ReadRegister(deviceIp, gvcp::REG_PERSISTENT_MASK, &value) == gvcp::kSuccess) {
        out.mask = value;
    }
    out.result = control.ReadRegister(deviceIp, gvcp::REG_PERSISTENT_GATEWAY, &value);
    if (out.result == gvcp::kSuccess) {
        out.gateway = value;
    }
    return out;
}

namespace {

// The persistent address, the bits that go with it, and FORCEIP so the camera takes the
// address at once.
void persistAndTake(CDeviceControl& control, const CamInfo& cam, const CamForm& form,
                    const CamInfoPlan& plan, const ProgressFn& progress, TaskResult* out)
{
    const int result = control.SetPersistentIp(cam.currentIp, form.address,
                                               [&progress](int i) { progress(40 + 10 * i); });
    if (result != gvcp::kSuccess) {
        if (result != gvcp::kNoAnswer) {
            out->errors << QStringLiteral("Set Static IP Error");
        }
        return;
    }
    if (plan.config && control.SetIpConfiguration(cam.currentIp, plan.wantedBits) != 0) {
        out->errors << QStringLiteral("Set Configuration Error");
    }
    control.SetForceIP(gvcp::KnownCamera::From(cam).mac, form.address);
    progress(70);
}

} // namespace

TaskResult applyCamInfo(CDeviceControl& control, const CamInfo& cam, const CamForm& form,
                        const gvcp::HostView& host, bool alwaysPersist, const ProgressFn& progress)
{
    TaskResult out;
    out.camera = cam;
    const CamInfoPlan plan = planCamInfo(cam, form, alwaysPersist);
    if (plan.address && !alwaysPersist) {
        const gvcp::AddressVerdict verdict =
            control.CheckAddress(form.address, host, gvcp::KnownCamera::From(cam));
        if (!verdict.ok()) {
            out.refusal = QString::fromStdString(verdict.reason);
            return out;
        }
    }
    const uint32_t device = cam.currentIp;

    progress(10);
    progress(20);
    bool nameFailed = false;
    if (plan.name) {
        if (control.GevOpenDevice(static_cast<int>(device)) != gvcp::kSuccess) {
            out.errors << QStringLiteral("Camera open fail");
            sleepMs(1000);
            return out;
        }
        nameFailed =
            control.WriteUserName(device, form.userName.toLatin1().toStdString()) != gvcp::kSuccess;
        control.GevCloseDevice(static_cast<int>(device)); // privilege lapses with the heartbeat
    }
    progress(30);

    if (nameFailed) {
        out.errors << QStringLiteral("Set UserID Error");
    } else {
        if (form.bStatic) {
            progress(60);
            if (plan.address) {
                persistAndTake(control, cam, form, plan, progress, &out);
            }
        }
        progress(40);
    }

    progress(80);
    if (!form.bStatic && plan.config &&
        control.SetIpConfiguration(device, plan.wantedBits) != gvcp::kSuccess) {
        out.errors << QStringLiteral("Set Configuration Error");
    }
    progress(90);
    sleepMs(1000);
    return out;
}

TaskResult forceAddress(CDeviceControl& control, const CamInfo& cam,
                        const gvcp::IpSettings& address, const gvcp::HostView& host)
{
    TaskResult out;
    out.camera = cam;
    const gvcp::AddressVerdict verdict =
        control.CheckAddress(address, host, gvcp::KnownCamera::From(cam));
    if (!verdict.ok()) {
        out.refusal = QString::fromStdString(verdict.reason);
        return out;
    }
    out.moved = control.SetForceIP(gvcp::KnownCamera::From(cam).mac, address) == gvcp::kSuccess;
    if (out.moved) {
        out.camera.currentIp = gvcp::ToWire(address.ip);
    }
    sleepMs(3000); // the camera takes the forced address
    return out;
}
