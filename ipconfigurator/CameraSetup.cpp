#include "CameraSetup.h"

namespace gvcp {

namespace {

std::string Change(const char* what, const std::string& from, const std::string& to)
{
    return std::string(what) + ": " + from + " \u2192 " + to;
}

const char* OnOff(uint32_t bits, uint32_t bit)
{
    return (bits & bit) ? "on" : "off";
}

} // namespace

PersistentReadout ReadPersistentAddress(CDeviceControl& control, uint32_t deviceIp)
{
    PersistentReadout out;
    uint32_t value = 0;
    out.status = out.result = control.ReadRegister(deviceIp, REG_PERSISTENT_IP, &value);
    if (out.status != kSuccess)
        return out;
    out.ip = value;
    if (control.ReadRegister(deviceIp, REG_PERSISTENT_MASK, &value) == kSuccess)
        out.mask = value;
    out.result = control.ReadRegister(deviceIp, REG_PERSISTENT_GATEWAY, &value);
    if (out.result == kSuccess)
        out.gateway = value;
    return out;
}

CameraStatus StatusOf(int readResult)
{
    if (readResult == kSuccess)
        return CameraStatus::Normal;
    return readResult == kStatusAccessDenied ? CameraStatus::AccessDenied
                                             : CameraStatus::Unreachable;
}

const char* StatusName(CameraStatus status)
{
    switch (status) {
    case CameraStatus::Normal:
        return "Normal";
    case CameraStatus::AccessDenied:
        return "Access Denied";
    case CameraStatus::Unreachable:
        break;
    }
    return "Unreachable";
}

std::string CameraLine(const CamInfo& cam)
{
    return "Camera: " + FieldText(cam.modelName) + ", serial " + FieldText(cam.serialNumber) +
           ", MAC " + MacText(cam.mac);
}

std::vector<std::string> DescribeChange(const CamInfo& cam, const CameraChange& change)
{
    std::vector<std::string> lines;
    if (change.name)
        lines.push_back(Change("User Name", FieldText(cam.userName), change.userName));
    if (change.address) {
        const IpSettings from = CurrentSettings(cam);
        const struct
        {
            const char* name;
            uint32_t from, to;
        } fields[] = {{"IP Address", from.ip, change.settings.ip},
                      {"Subnet Mask", from.mask, change.settings.mask},
                      {"Gateway", from.gateway, change.settings.gateway}};
        for (const auto& field : fields)
            if (field.from != field.to)
                lines.push_back(Change(field.name, DottedHost(field.from), DottedHost(field.to)));
    }
    if (change.config) {
        const uint32_t current = CurrentIpConfig(cam);
        const struct
        {
            const char* name;
            uint32_t bit;
        } bits[] = {{"Static", IPCFG_PERSISTENT},
                    {"DHCP", IPCFG_DHCP},
                    {"Auto IP (Link-Local Address)", IPCFG_LLA}};
        for (const auto& b : bits)
            if ((current ^ change.configBits) & b.bit)
                lines.push_back(
                    Change(b.name, OnOff(current, b.bit), OnOff(change.configBits, b.bit)));
    }
    return lines;
}

NameWrite WriteUserNameUnderPrivilege(CDeviceControl& control, uint32_t deviceIp,
                                      const std::string& name)
{
    NameWrite out;
    out.open = control.GevOpenDevice(int(deviceIp));
    if (out.open != kSuccess)
        return out;
    out.write = control.WriteUserName(deviceIp, name);
    control.GevCloseDevice(int(deviceIp)); // a privilege left behind lapses with the heartbeat
    return out;
}

AddressWrite PersistAndTake(CDeviceControl& control, const CamInfo& cam, const CameraChange& change,
                            const std::function<void(int)>& afterWrite)
{
    AddressWrite out;
    out.persistent = control.SetPersistentIp(cam.currentIp, change.settings, afterWrite);
    if (out.persistent != kSuccess)
        return out;
    if (change.config)
        out.config = control.SetIpConfiguration(cam.currentIp, change.configBits);
    out.force = control.SetForceIP(KnownCamera::From(cam).mac, change.settings);
    return out;
}

} // namespace gvcp
