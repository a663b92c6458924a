// The network interfaces of this PC as the camera tools see them: name, hardware address, first
// usable IPv4 address, MTU, state, and whether the interface is a software one; and every IPv4
// address the PC holds. No Qt, so that the window and the command-line tool list interfaces by
// one rule.
#pragma once

#include "AddressCheck.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gvcp {

struct NetInterface
{
    std::string name;
    std::string hardwareAddress; // "02:00:00:00:00:01" (upper-case hex), empty when it has none
    bool isVirtual = false;      // listed among the software interfaces
    bool up = false;             // administratively up
    bool running = false;        // up and with a link (carrier)
    bool hasIpv4 = false;
    uint32_t ip = 0;   // host order: the first IPv4 address that is not 0 and not 127.0.0.1
    uint32_t mask = 0; // host order, the netmask of that address
    int mtu = 0;       // 0 when the query failed
};

// Names of the software interfaces (loopback, bridges, veth, tunnels ...): the entries of
// /sys/devices/virtual/net. Empty when the folder cannot be read.
std::vector<std::string> VirtualInterfaceNames();

// Every interface of this thread's network namespace in the kernel's order; those named in
// `virtualNames` are marked virtual.
std::vector<NetInterface> ListInterfaces(const std::vector<std::string>& virtualNames);

// The interfaces cameras are searched on: not virtual, with an IPv4 address, in list order.
std::vector<NetInterface> CameraInterfaces(const std::vector<NetInterface>& all);

// Every IPv4 address of every interface of this thread's network namespace, software ones
// (bridges, tunnels, VPNs) and interfaces that are down included, with its netmask: the
// addresses a camera must not be given. An interface with several addresses is listed once for
// each, named without an alias label ("eth0:1" is eth0). Loopback addresses (127.0.0.0/8) and
// 0.0.0.0 are left out: no camera address is one of them.
std::vector<HostInterface> HostAddresses();

} // namespace gvcp
