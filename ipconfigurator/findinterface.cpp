#include "findinterface.h"

#include "DeviceDiscovery.h"

#include <QNetworkInterface>
#include <QProcess>
#include <QStringList>

#include <arpa/inet.h>
#include <cstring>
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

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
QStringList virtualInterfaceNames()
{
    QProcess ls;
    ls.start(QStringLiteral("ls"), {QStringLiteral("/sys/devices/virtual/net")},
             QIODevice::ReadWrite);
    ls.waitForFinished(30000);
    QStringList names;
    for (const QByteArray& piece : ls.readAllStandardOutput().split('\n')) {
        names.append(QString::fromLatin1(piece));
    }
    return names;
}

class SocketHandle
{
public:
    explicit SocketHandle(int fd) : m_fd(fd) {}
    ~SocketHandle()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    SocketHandle(const SocketHandle&) = delete;
    SocketHandle& operator=(const SocketHandle&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

int queryMtu(const SocketHandle& sock, const char* name)
{
    ifreq req{};
    const size_t len = strnlen(name, IFNAMSIZ - 1); // the request names at most 15 characters
    std::memcpy(req.ifr_name, name, len);
    if (sock.fd() < 0 || ::ioctl(sock.fd(), SIOCGIFMTU, &req) != 0) {
        return 0;
    }
    return req.ifr_mtu;
}

void copyText(char (&dest)[32], const QString& text)
{
    const QByteArray bytes = text.toLatin1().left(sizeof dest - 1);
    std::memcpy(dest, bytes.constData(), bytes.size());
    dest[bytes.size()] = '\0';
}

// The first entry with a usable IPv4 address: not loopback, not IPv6 (which reads as 0).
const QNetworkAddressEntry* firstUsableIPv4(const QList<QNetworkAddressEntry>& entries)
{
    for (const QNetworkAddressEntry& entry : entries) {
        const quint32 ip = entry.ip().toIPv4Address();
        if (ip != 0 && entry.ip() != QHostAddress(QHostAddress::LocalHost)) {
            return &entry;
        }
    }
    return nullptr;
}

} // namespace

int findinterface(int family, std::vector<_IF_INFO>* list)
{
    const QStringList virtualNames = virtualInterfaceNames();
    const SocketHandle mtuSocket(::socket(family, SOCK_STREAM, 0));

    list->clear();
    for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces()) {
        const QString name = QString::fromLatin1(iface.name().toLatin1());
        if (virtualNames.contains(name)) {
            continue;
        }
        const QList<QNetworkAddressEntry> entries = iface.addressEntries();
        const QNetworkAddressEntry* entry = firstUsableIPv4(entries);
        if (!entry) {
            continue;
        }

        _IF_INFO info;
        info.ifIp = htonl(entry->ip().toIPv4Address());
        info.ifMask = htonl(entry->netmask().toIPv4Address());
        copyText(info.ifName, name);
        copyText(info.ifMac, iface.hardwareAddress());
        info.ifMtu = queryMtu(mtuSocket, info.ifName);
        info.ifIndex = static_cast<int>(list->size());
        list->push_back(std::move(info));
    }
    return 1;
}
