#include "AddressCheck.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace gvcp {

namespace {

AddressVerdict Refuse(AddressProblem problem, std::string reason)
{
    return {problem, std::move(reason)};
}

AddressVerdict NotACameraAddress(AddressProblem problem, uint32_t ip, const std::string& why)
{
    return Refuse(problem, DottedHost(ip) + " is not a camera address: " + why + ".");
}

// Number of leading one bits, or -1 when the ones are not contiguous.
int PrefixLength(uint32_t mask)
{
    const uint32_t hostBits = ~mask;
    if ((hostBits & (hostBits + 1)) != 0)
        return -1;
    int length = 0;
    for (uint32_t m = mask; m & 0x80000000u; m <<= 1)
        ++length;
    return length;
}

} // namespace

KnownCamera KnownCamera::From(const CamInfo& cam)
{
    KnownCamera known;
    std::copy(std::begin(cam.mac), std::end(cam.mac), known.mac.begin());
    known.ip = FromWire(cam.currentIp);
    known.model = FieldText(cam.modelName);
    known.serial = FieldText(cam.serialNumber);
    return known;
}

std::string KnownCamera::Describe() const
{
    return model + " (serial " + serial + ", MAC " + MacText(mac.data()) + ")";
}

std::string DottedHost(uint32_t ip)
{
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", ip >> 24, (ip >> 16) & 0xFF, (ip >> 8) & 0xFF,
                  ip & 0xFF);
    return text;
}

std::string AddressWithPrefix(uint32_t ip, uint32_t mask)
{
    const int length = PrefixLength(mask);
    return DottedHost(ip) + "/" + (length < 0 ? DottedHost(mask) : std::to_string(length));
}

std::string SubnetText(uint32_t ip, uint32_t mask)
{
    return AddressWithPrefix(ip & mask, mask);
}

IpSettings CurrentSettings(const CamInfo& cam)
{
    return {FromWire(cam.currentIp), FromWire(cam.subnetMask), FromWire(cam.gateway)};
}

uint32_t CurrentIpConfig(const CamInfo& cam)
{
    return FromWire(cam.ipConfigCurrent);
}

AddressVerdict CheckAddressFormat(const IpSettings& s)
{
    const uint32_t ip = s.ip;
    if ((ip >> 24) == 0)
        return NotACameraAddress(AddressProblem::ThisNetwork, ip,
                                 "addresses starting with 0 stand for \"this network\"");
    if (ip == 0xFFFFFFFFu)
        return NotACameraAddress(AddressProblem::LimitedBroadcast, ip,
                                 "it is the broadcast address of every network");
    if ((ip >> 28) == 0xE)
        return NotACameraAddress(AddressProblem::Multicast, ip,
                                 "it is a multicast address (224.0.0.0 to 239.255.255.255)");
    if ((ip >> 28) == 0xF)
        return NotACameraAddress(AddressProblem::Reserved, ip,
                                 "it is a reserved address (240.0.0.0 and above)");
    if ((ip >> 24) == 127)
        return NotACameraAddress(AddressProblem::Loopback, ip,
                                 "it is a loopback address (127.x.x.x), which every PC keeps for "
                                 "itself");

    const int prefix = PrefixLength(s.mask);
    const std::string maskText = "Subnet mask " + DottedHost(s.mask);
    if (prefix < 0)
        return Refuse(AddressProblem::BadMask,
                      maskText + " is not valid: its one bits must be contiguous, like "
                                 "255.255.255.0.");
    if (prefix == 0)
        return Refuse(AddressProblem::BadMask,
                      maskText + " is not valid: it would put every address in one subnet.");
    if (prefix > 30)
        return Refuse(AddressProblem::BadMask,
                      maskText + " leaves no room for a camera and a PC in one subnet.");

    const uint32_t network = ip & s.mask;
    const uint32_t broadcast = network | ~s.mask;
    const std::string subnet = SubnetText(ip, s.mask);
    if (ip == network)
        return NotACameraAddress(AddressProblem::NetworkAddress, ip,
                                 "it is the network address of subnet " + subnet);
    if (ip == broadcast)
        return NotACameraAddress(AddressProblem::BroadcastAddress, ip,
                                 "it is the broadcast address of subnet " + subnet);

    if (s.gateway != 0) {
        const std::string gateway = "Gateway " + DottedHost(s.gateway);
        if ((s.gateway & s.mask) != network)
            return Refuse(AddressProblem::BadGateway,
                          gateway + " is outside the camera's subnet " + subnet + ".");
        if (s.gateway == network || s.gateway == broadcast)
            return Refuse(AddressProblem::BadGateway,
                          gateway + " is not a host address of subnet " + subnet + ".");
    }
    return {};
}

AddressVerdict CheckAddressConflicts(const IpSettings& s, const HostView& host,
                                     const KnownCamera& self)
{
    for (const HostInterface& iface : host.interfaces) {
        const std::string ofInterface = " of this PC's interface " + iface.name;
        if (iface.ip == s.ip)
            return Refuse(AddressProblem::HostAddress,
                          DottedHost(s.ip) + " is the address" + ofInterface + ".");
        // The PC cannot talk to a camera at its own subnet's network or broadcast address,
        // whatever mask the camera is given.
        const uint32_t network = iface.ip & iface.mask;
        const std::string subnet = SubnetText(iface.ip, iface.mask);
        if (s.ip == network && PrefixLength(iface.mask) < 31)
            return NotACameraAddress(AddressProblem::NetworkAddress, s.ip,
                                     "it is the network address of subnet " + subnet + ofInterface);
        if (s.ip == (network | ~iface.mask) && PrefixLength(iface.mask) < 31)
            return NotACameraAddress(AddressProblem::BroadcastAddress, s.ip,
                                     "it is the broadcast address of subnet " + subnet +
                                         ofInterface);
    }
    if (s.ip == self.ip)
        return {}; // the camera keeps its own address
    for (const KnownCamera& cam : host.cameras) {
        if (cam.ip == s.ip && cam.mac != self.mac)
            return Refuse(AddressProblem::CameraAddress,
                          DottedHost(s.ip) + " is already used by camera " + cam.Describe() + ".");
    }
    return {};
}

AddressVerdict CheckAddress(const IpSettings& s, const HostView& host, const KnownCamera& self)
{
    AddressVerdict verdict = CheckAddressFormat(s);
    return verdict.ok() ? CheckAddressConflicts(s, host, self) : verdict;
}

AddressVerdict CheckReachable(const HostInterface& iface, const IpSettings& s)
{
    const std::string consequence = ": the camera will not be reachable from this interface.";
    if ((s.ip & iface.mask) != (iface.ip & iface.mask))
        return Refuse(AddressProblem::OutsideSubnet,
                      DottedHost(s.ip) + " is outside the subnet of interface " + iface.name +
                          " (" + SubnetText(iface.ip, iface.mask) + ")" + consequence);
    if ((iface.ip & s.mask) != (s.ip & s.mask))
        return Refuse(AddressProblem::OutsideSubnet,
                      "With subnet mask " + DottedHost(s.mask) + " the camera's subnet " +
                          SubnetText(s.ip, s.mask) + " does not hold interface " + iface.name +
                          " (" + DottedHost(iface.ip) + ")" + consequence);
    return {};
}

AddressVerdict JudgeProbe(const ProbeFinding& finding, uint32_t ip, const HostView& host,
                          const KnownCamera& self)
{
    if (finding.source == ProbeFinding::Source::Nothing || finding.device.mac == self.mac)
        return {};
    if (finding.source == ProbeFinding::Source::Gvcp)
        return Refuse(AddressProblem::InUse, DottedHost(ip) + " is already in use: camera " +
                                                 finding.device.Describe() + " answered there.");
    for (const KnownCamera& cam : host.cameras) {
        // The kernel still remembers where a camera was before it moved.
        if (cam.mac == finding.device.mac && cam.ip != ip)
            return {};
    }
    return Refuse(AddressProblem::InUse, DottedHost(ip) + " is already in use: a device with MAC " +
                                             MacText(finding.device.mac.data()) +
                                             " answered there.");
}

bool FindNeighbour(const std::string& arpTable, uint32_t ip, MacAddress* mac)
{
    constexpr unsigned kComplete = 0x2; // ATF_COM
    std::istringstream lines(arpTable);
    std::string line;
    std::getline(lines, line); // column headings
    const std::string wanted = DottedHost(ip);
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string address, type, flags, hardware;
        if (!(fields >> address >> type >> flags >> hardware) || address != wanted)
            continue;
        unsigned flagBits = 0;
        unsigned bytes[6];
        if (std::sscanf(flags.c_str(), "%x", &flagBits) != 1 || !(flagBits & kComplete) ||
            std::sscanf(hardware.c_str(), "%2x:%2x:%2x:%2x:%2x:%2x", &bytes[0], &bytes[1],
                        &bytes[2], &bytes[3], &bytes[4], &bytes[5]) != 6)
            continue;
        for (size_t i = 0; i < 6; ++i)
            (*mac)[i] = uint8_t(bytes[i]);
        return true;
    }
    return false;
}

} // namespace gvcp
