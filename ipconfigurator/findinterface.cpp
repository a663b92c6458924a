#include "findinterface.h"

#include "DeviceDiscovery.h"
#include "NetworkInterfaces.h"

#include <QProcess>

#include <algorithm>
#include <cstring>

_IF_INFO::~_IF_INFO()
{
    releaseCameras();
}

_IF_INFO::_IF_INFO(const _IF_INFO& other)
{
    *this = other;
}

_IF_INFO& _IF_INFO::operator=(const _IF_INFO& other)
{
    if (this != &other) {
        releaseCameras();
        copyFields(other);
        for (const CamInfo* cam : other.cameras) {
            cameras.push_back(new CamInfo(*cam));
        }
    }
    return *this;
}

_IF_INFO::_IF_INFO(_IF_INFO&& other) noexcept
{
    *this = std::move(other);
}

_IF_INFO& _IF_INFO::operator=(_IF_INFO&& other) noexcept
{
    if (this != &other) {
        releaseCameras();
        copyFields(other);
        cameras = std::move(other.cameras);
        other.cameras.clear();
    }
    return *this;
}

void _IF_INFO::copyFields(const _IF_INFO& other)
{
    std::memcpy(ifName, other.ifName, sizeof ifName);
    std::memcpy(ifMac, other.ifMac, sizeof ifMac);
    ifIp = other.ifIp;
    ifMask = other.ifMask;
    ifMtu = other.ifMtu;
    ifIndex = other.ifIndex;
}

void _IF_INFO::releaseCameras()
{
    for (CamInfo* cam : cameras) {
        delete cam;
    }
    cameras.clear();
}

namespace {

// Names of the software interfaces (loopback, bridges, veth, tunnels ...) of this host.
std::vector<std::string> virtualInterfaceNames()
{
    QProcess ls;
    ls.start(QStringLiteral("ls"), {QStringLiteral("/sys/devices/virtual/net")},
             QIODevice::ReadWrite);
    ls.waitForFinished(30000);
    std::vector<std::string> names;
    for (const QByteArray& piece : ls.readAllStandardOutput().split('\n')) {
        names.push_back(piece.toStdString());
    }
    return names;
}

void copyText(char (&dest)[32], const std::string& text)
{
    const size_t length = std::min(text.size(), sizeof dest - 1);
    std::memcpy(dest, text.data(), length);
    dest[length] = '\0';
}

} // namespace

int findinterface(int /*family*/, std::vector<_IF_INFO>* list)
{
    const std::vector<gvcp::NetInterface> usable =
        gvcp::CameraInterfaces(gvcp::ListInterfaces(virtualInterfaceNames()));
    list->clear();
    for (const gvcp::NetInterface& iface : usable) {
        _IF_INFO info;
        info.ifIp = gvcp::ToWire(iface.ip);
        info.ifMask = gvcp::ToWire(iface.mask);
        copyText(info.ifName, iface.name);
        copyText(info.ifMac, iface.hardwareAddress);
        info.ifMtu = iface.mtu;
        info.ifIndex = static_cast<int>(list->size());
        list->push_back(std::move(info));
    }
    return 1;
}
