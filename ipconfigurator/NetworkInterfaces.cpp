#include "NetworkInterfaces.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace gvcp {

namespace {

constexpr uint32_t kLoopbackAddress = 0x7F000001;

std::string HardwareText(const sockaddr_ll& link)
{
    std::string text;
    for (int i = 0; i < link.sll_halen && i < 8; ++i) {
        char octet[4];
        std::snprintf(octet, sizeof octet, i == 0 ? "%02X" : ":%02X", link.sll_addr[i]);
        text += octet;
    }
    return text;
}

int QueryMtu(int fd, const std::string& name)
{
    ifreq req{};
    // The request names at most IFNAMSIZ - 1 characters.
    std::memcpy(req.ifr_name, name.c_str(), std::min(name.size(), size_t(IFNAMSIZ - 1)));
    if (fd < 0 || ::ioctl(fd, SIOCGIFMTU, &req) != 0)
        return 0;
    return req.ifr_mtu;
}

// An address with a label ("eth0:1") belongs to the interface before the colon, which no
// interface name contains.
std::string InterfaceName(const char* label)
{
    return std::string(label, std::strcspn(label, ":"));
}

NetInterface& EntryFor(std::vector<NetInterface>& list, const char* label)
{
    const std::string name = InterfaceName(label);
    for (NetInterface& entry : list)
        if (entry.name == name)
            return entry;
    list.emplace_back();
    list.back().name = name;
    return list.back();
}

// The IPv4 address and netmask (host order) of an address entry; false for any other entry.
bool Ipv4Of(const ifaddrs& entry, uint32_t* ip, uint32_t* mask)
{
    if (!entry.ifa_addr || entry.ifa_addr->sa_family != AF_INET)
        return false;
    *ip = ntohl(reinterpret_cast<const sockaddr_in*>(entry.ifa_addr)->sin_addr.s_addr);
    *mask = entry.ifa_netmask
                ? ntohl(reinterpret_cast<const sockaddr_in*>(entry.ifa_netmask)->sin_addr.s_addr)
                : 0;
    return true;
}

} // namespace

std::vector<std::string> VirtualInterfaceNames()
{
    std::vector<std::string> names;
    DIR* dir = ::opendir("/sys/devices/virtual/net");
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<NetInterface> ListInterfaces(const std::vector<std::string>& virtualNames)
{
    std::vector<NetInterface> list;
    ifaddrs* all = nullptr;
    if (::getifaddrs(&all) != 0)
        return list;
    // The link entries come first, in the kernel's order; the addresses follow.
    for (const ifaddrs* it = all; it; it = it->ifa_next) {
        NetInterface& entry = EntryFor(list, it->ifa_name);
        entry.up = (it->ifa_flags & IFF_UP) != 0;
        entry.running = (it->ifa_flags & IFF_RUNNING) != 0;
        uint32_t ip = 0;
        uint32_t mask = 0;
        if (it->ifa_addr && it->ifa_addr->sa_family == AF_PACKET) {
            entry.hardwareAddress =
                HardwareText(*reinterpret_cast<const sockaddr_ll*>(it->ifa_addr));
        } else if (!entry.hasIpv4 && Ipv4Of(*it, &ip, &mask) && ip != 0 && ip != kLoopbackAddress) {
            entry.hasIpv4 = true;
            entry.ip = ip;
            entry.mask = mask;
        }
    }
    ::freeifaddrs(all);

    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    for (NetInterface& entry : list) {
        entry.isVirtual =
            std::find(virtualNames.begin(), virtualNames.end(), entry.name) != virtualNames.end();
        entry.mtu = QueryMtu(fd, entry.name);
    }
    if (fd >= 0)
        ::close(fd);
    return list;
}

std::vector<NetInterface> CameraInterfaces(const std::vector<NetInterface>& all)
{
    std::vector<NetInterface> usable;
    std::copy_if(all.begin(), all.end(), std::back_inserter(usable),
                 [](const NetInterface& i) { return !i.isVirtual && i.hasIpv4; });
    return usable;
}

std::vector<HostInterface> HostAddresses()
{
    std::vector<HostInterface> addresses;
    ifaddrs* all = nullptr;
    if (::getifaddrs(&all) != 0)
        return addresses;
    for (const ifaddrs* it = all; it; it = it->ifa_next) {
        uint32_t ip = 0;
        uint32_t mask = 0;
        if (Ipv4Of(*it, &ip, &mask) && ip != 0 && (ip >> 24) != 127)
            addresses.push_back({InterfaceName(it->ifa_name), ip, mask});
    }
    ::freeifaddrs(all);
    return addresses;
}

} // namespace gvcp
