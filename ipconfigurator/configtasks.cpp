#include "configtasks.h"

#include "DeviceDiscovery.h"
#include "NetworkInterfaces.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

constexpr unsigned short kFirstDiscoveryPort = 9000;
constexpr unsigned long long kListenMs = 1500;

void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

QString confirmation(const char* question, const CamInfo& cam, const gvcp::CameraChange& change)
{
    QStringList lines{QString::fromStdString(gvcp::CameraLine(cam))};
    for (const std::string& line : gvcp::DescribeChange(cam, change)) {
        lines << QString::fromStdString(line);
    }
    if (lines.size() == 1) {
        lines << QStringLiteral("Nothing will change.");
    }
    return QLatin1String(question) + QStringLiteral("\n\n") + lines.join(QLatin1Char('\n'));
}

} // namespace

gvcp::CameraChange planCamInfo(const CamInfo& cam, const CamForm& form, bool alwaysPersist)
{
    gvcp::CameraChange change;
    change.configBits = gvcp::IPCFG_LLA | (form.bDHCP ? gvcp::IPCFG_DHCP : 0) |
                        (form.bStatic ? gvcp::IPCFG_PERSISTENT : 0);
    const bool bitsDiffer = change.configBits != gvcp::CurrentIpConfig(cam);
    change.userName = form.userName.toLatin1().toStdString();
    change.name = change.userName != gvcp::FieldText(cam.userName);
    change.settings = form.address;
    if (form.bStatic) {
        change.address = alwaysPersist || form.address != gvcp::CurrentSettings(cam);
        change.config = change.address && bitsDiffer;
    } else {
        change.config = bitsDiffer;
    }
    return change;
}

QString camInfoConfirmation(const CamInfo& cam, const gvcp::CameraChange& change)
{
    return confirmation("Do you want to change camera information??", cam, change);
}

QString staticIpConfirmation(const CamInfo& cam, const gvcp::IpSettings& address)
{
    gvcp::CameraChange change;
    change.address = true;
    change.settings = address;
    return confirmation("Do you want to change IP Setting???", cam, change);
}

gvcp::HostInterface hostInterfaceOf(const _IF_INFO& entry)
{
    return {gvcp::FieldText(entry.ifName), gvcp::FromWire(entry.ifIp),
            gvcp::FromWire(entry.ifMask)};
}

gvcp::HostView hostViewOf(const std::vector<_IF_INFO>& interfaces)
{
    gvcp::HostView view;
    view.interfaces = gvcp::HostAddresses();
    for (const _IF_INFO& entry : interfaces) {
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
    findinterface(0, &interfaces); // the address family is not used
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

namespace {

// The persistent address, the bits that go with it, and FORCEIP so the camera takes the
// address at once.
void persistAndTake(CDeviceControl& control, const CamInfo& cam, const gvcp::CameraChange& change,
                    const ProgressFn& progress, TaskResult* out)
{
    const gvcp::AddressWrite written =
        gvcp::PersistAndTake(control, cam, change, [&progress](int i) { progress(40 + 10 * i); });
    if (written.persistent != gvcp::kSuccess) {
        if (written.persistent != gvcp::kNoAnswer) {
            out->errors << QStringLiteral("Set Static IP Error");
        }
        return;
    }
    if (written.config != gvcp::kSuccess) {
        out->errors << QStringLiteral("Set Configuration Error");
    }
    progress(70);
}

} // namespace

TaskResult SetCamInfo(CDeviceControl& control, const CamInfo& cam, const CamForm& form,
                      const gvcp::HostView& host, bool alwaysPersist, const ProgressFn& progress)
{
    TaskResult out;
    out.camera = cam;
    const gvcp::CameraChange plan = planCamInfo(cam, form, alwaysPersist);
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
        const gvcp::NameWrite written =
            gvcp::WriteUserNameUnderPrivilege(control, device, plan.userName);
        if (written.open != gvcp::kSuccess) {
            out.errors << QStringLiteral("Camera open fail");
            sleepMs(1000);
            return out;
        }
        nameFailed = written.write != gvcp::kSuccess;
    }
    progress(30);

    if (nameFailed) {
        out.errors << QStringLiteral("Set UserID Error");
    } else {
        if (form.bStatic) {
            progress(60);
            if (plan.address) {
                persistAndTake(control, cam, plan, progress, &out);
            }
        }
        progress(40);
    }

    progress(80);
    if (!form.bStatic && plan.config &&
        control.SetIpConfiguration(device, plan.configBits) != gvcp::kSuccess) {
        out.errors << QStringLiteral("Set Configuration Error");
    }
    progress(90);
    sleepMs(1000);
    return out;
}

TaskResult setStatic(CDeviceControl& control, const CamInfo& cam, const gvcp::IpSettings& address,
                     const gvcp::HostView& host)
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
