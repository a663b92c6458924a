// Checks of an address before it is given to a camera. Pure functions over plain data: what the
// host looks like (its interfaces and the cameras found by the last discovery) is passed in, so
// every rule can be tested without a network and shared by every front end. Each refusal
// carries a reason written for the user.
#pragma once

#include "GvcpMessages.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace gvcp {

using MacAddress = std::array<uint8_t, 6>;

// An address, subnet mask and gateway in host order (192.168.1.10 is 0xC0A8010A).
struct IpSettings
{
    uint32_t ip = 0;
    uint32_t mask = 0;
    uint32_t gateway = 0;
    bool operator==(const IpSettings& o) const
    {
        return ip == o.ip && mask == o.mask && gateway == o.gateway;
    }
    bool operator!=(const IpSettings& o) const { return !(*this == o); }
};

// An interface of this PC with one of its addresses, in host order.
struct HostInterface
{
    std::string name;
    uint32_t ip = 0;
    uint32_t mask = 0;
};

// A camera as the checks need it: its MAC identifies it, ip (host order) is where it is now.
struct KnownCamera
{
    MacAddress mac{};
    uint32_t ip = 0;
    std::string model;
    std::string serial;

    static KnownCamera From(const CamInfo& cam);
    // "CAM-A (serial 2020, MAC 02:00:00:00:00:01)"
    std::string Describe() const;
};

// What the host knows of its network: every IPv4 address of its interfaces (an interface with
// several addresses comes once for each) and the cameras of the last discovery.
struct HostView
{
    std::vector<HostInterface> interfaces;
    std::vector<KnownCamera> cameras;
};

enum class AddressProblem
{
    None,
    ThisNetwork,      // 0.0.0.0/8
    LimitedBroadcast, // 255.255.255.255
    Multicast,        // 224.0.0.0/4
    Reserved,         // 240.0.0.0/4
    Loopback,         // 127.0.0.0/8
    BadMask,          // not contiguous, or leaves no room for hosts
    NetworkAddress,   // the subnet's own address
    BroadcastAddress, // the subnet's broadcast address
    BadGateway,       // outside the subnet, or not a host address of it
    HostAddress,      // held by an interface of this PC
    CameraAddress,    // held by another camera of the last discovery
    InUse,            // something answered at the address when probed
    OutsideSubnet,    // allowed, but the camera cannot be reached from its interface afterwards
};

struct AddressVerdict
{
    AddressProblem problem = AddressProblem::None;
    std::string reason; // empty when ok
    bool ok() const { return problem == AddressProblem::None; }
};

// The settings on their own: a usable host address, a contiguous mask of at most /30, not the
// subnet's network or broadcast address, and a gateway (0.0.0.0 for none) inside the subnet.
AddressVerdict CheckAddressFormat(const IpSettings& settings);
// The settings against the host: not an address of this PC nor the network or broadcast
// address of one of its subnets, not one another camera already uses. `self` is the camera being
// changed: its MAC and current address are never a conflict.
AddressVerdict CheckAddressConflicts(const IpSettings& settings, const HostView& host,
                                     const KnownCamera& self);
// Both of the above, format first.
AddressVerdict CheckAddress(const IpSettings& settings, const HostView& host,
                            const KnownCamera& self);
// OutsideSubnet when the camera, once at `settings`, cannot talk to `iface` directly: its
// address lies outside the interface's subnet or the interface outside the camera's.
AddressVerdict CheckReachable(const HostInterface& iface, const IpSettings& settings);

// What a probe of an address found answering there.
struct ProbeFinding
{
    enum class Source
    {
        Nothing,   // no answer: the address is free, or the probe could not be made
        Gvcp,      // a GigE Vision device answered discovery; model and serial are known
        Neighbour, // the kernel resolved the address to a hardware address
    };
    Source source = Source::Nothing;
    KnownCamera device; // mac (and model, serial for Gvcp) of what answered
};

// InUse unless nothing answered, or what answered is `self`, or its MAC belongs to a camera
// of the last discovery that now sits at another address (an old neighbour entry).
AddressVerdict JudgeProbe(const ProbeFinding& finding, uint32_t ip, const HostView& host,
                          const KnownCamera& self);

// The hardware address of a complete entry for `ip` (host order) in the text of the kernel's
// ARP table (/proc/net/arp). False when there is none.
bool FindNeighbour(const std::string& arpTable, uint32_t ip, MacAddress* mac);

// "a.b.c.d" of a host-order address; "a.b.c.d/n" of a subnet; "a.b.c.d/n" of an address
// with the prefix length of its mask (the mask itself when it is not contiguous).
std::string DottedHost(uint32_t hostOrderIp);
std::string SubnetText(uint32_t ip, uint32_t mask);
std::string AddressWithPrefix(uint32_t ip, uint32_t mask);
// Host-order address, mask, gateway and IP configuration bits of a discovered camera.
IpSettings CurrentSettings(const CamInfo& cam);
uint32_t CurrentIpConfig(const CamInfo& cam);

} // namespace gvcp
