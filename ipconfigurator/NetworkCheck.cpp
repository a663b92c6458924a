#include "NetworkCheck.h"

#include "AddressCheck.h"
#include "DeviceDiscovery.h"
#include "NetworkInterfaces.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <netinet/in.h>
#include <sstream>

namespace gvcp {

namespace {

constexpr uint32_t kLinkLocalNetwork = 0xA9FE0000; // 169.254.0.0/16
constexpr uint32_t kLinkLocalMask = 0xFFFF0000;
constexpr unsigned kRouteUp = 0x1; // RTF_UP

bool InSubnet(uint32_t ip, uint32_t network, uint32_t mask)
{
    return (ip & mask) == (network & mask);
}

// The route the kernel would take to `ip`: longest prefix, then lowest metric.
const RouteFacts* RouteTo(const std::vector<RouteFacts>& routes, uint32_t ip)
{
    const RouteFacts* best = nullptr;
    for (const RouteFacts& route : routes) {
        if (!InSubnet(ip, route.destination, route.mask))
            continue;
        if (!best || route.mask > best->mask ||
            (route.mask == best->mask && route.metric < best->metric))
            best = &route;
    }
    return best;
}

std::string Subnet(const InterfaceFacts& i)
{
    return SubnetText(i.ip, i.mask);
}

// The same host part in the next subnet of the same size that no interface uses.
std::string FreeSubnetAddress(const InterfaceFacts& moved, const std::vector<InterfaceFacts>& all)
{
    const uint64_t size = uint64_t(~moved.mask) + 1;
    for (uint64_t network = (moved.ip & moved.mask) + size; network <= 0xFFFFFFFFu;
         network += size) {
        const uint32_t candidate = uint32_t(network) | (moved.ip & ~moved.mask);
        const bool taken = std::any_of(all.begin(), all.end(), [&](const InterfaceFacts& other) {
            return other.hasIpv4 && InSubnet(candidate, other.ip, other.mask & moved.mask);
        });
        if (!taken)
            return AddressWithPrefix(candidate, moved.mask);
    }
    const std::string own = AddressWithPrefix(moved.ip, moved.mask);
    return "ADDRESS" + own.substr(own.find('/'));
}

void CheckLink(const InterfaceFacts& i, std::vector<Finding>* out)
{
    if (!i.up)
        out->push_back({FindingKind::InterfaceDown, i.name,
                        i.name + " is down: no camera can be found through it.",
                        "sudo ip link set " + i.name + " up"});
    else if (!i.running)
        out->push_back({FindingKind::InterfaceDown, i.name,
                        i.name + " has no link: its cable is out, or the camera or switch at "
                                 "its other end is off.",
                        "ip link show " + i.name + "   # shows LOWER_UP once the cable is in"});
    if (!i.hasIpv4)
        out->push_back({FindingKind::NoIpv4, i.name,
                        i.name + " has no IPv4 address: no camera can be searched or reached "
                                 "through it.",
                        "sudo ip addr add 169.254.1.1/16 dev " + i.name +
                            "   # or an address in the cameras' subnet"});
}

void CheckMtu(const InterfaceFacts& i, std::vector<Finding>* out)
{
    if (i.mtu <= 0 || i.mtu >= kJumboMtu)
        return;
    out->push_back({FindingKind::SmallMtu, i.name,
                    i.name + " has MTU " + std::to_string(i.mtu) +
                        ": streaming at full rate needs jumbo frames (MTU 9000), or frames "
                        "are split and lost.",
                    "sudo ip link set " + i.name + " mtu 9000"});
}

void CheckReversePath(const InterfaceFacts& i, int all, std::vector<Finding>* out)
{
    const int mode = std::max(all, i.rpFilter); // the kernel applies the stricter of the two
    if (!i.hasIpv4 || mode <= 0)
        return;
    const bool outsideHeard = std::any_of(i.cameras.begin(), i.cameras.end(),
                                          [&](uint32_t ip) { return !InSubnet(ip, i.ip, i.mask); });
    if (i.reversePathDrops == 0 && !(mode == 1 && outsideHeard))
        return;
    std::string explanation =
        i.name + (mode == 1 ? " filters strictly by reverse path (rp_filter=1): answers of "
                              "cameras outside " +
                                  Subnet(i) +
                                  " are dropped unless a route to their subnet "
                                  "leads through " +
                                  i.name
                            : " filters by reverse path (rp_filter=2): answers of cameras "
                              "whose subnet has no route are dropped");
    if (i.reversePathDrops > 0)
        explanation += " (" + std::to_string(i.reversePathDrops) + " dropped during the search)";
    std::string fix = "sudo sysctl -w";
    if (all > 0)
        fix += " net.ipv4.conf.all.rp_filter=0";
    if (i.rpFilter > 0)
        fix += " net.ipv4.conf." + i.name + ".rp_filter=0";
    out->push_back({FindingKind::ReversePathFilter, i.name, explanation + ".", fix});
}

void CheckSharedSubnet(const InterfaceFacts& i, const std::vector<InterfaceFacts>& all,
                       std::vector<Finding>* out)
{
    if (!i.hasIpv4)
        return;
    for (const InterfaceFacts& other : all) {
        if (&other == &i)
            return; // each pair once, on the later interface
        if (!other.hasIpv4 || !InSubnet(i.ip, other.ip, i.mask & other.mask))
            continue;
        const uint32_t wider = i.mask & other.mask;
        out->push_back(
            {FindingKind::SharedSubnet, i.name,
             other.name + " and " + i.name + " are both in subnet " + SubnetText(i.ip, wider) +
                 ": the PC may send a camera's traffic out through the wrong one.",
             "sudo ip addr del " + AddressWithPrefix(i.ip, i.mask) + " dev " + i.name +
                 " && sudo ip addr add " + FreeSubnetAddress(i, all) + " dev " + i.name});
        return;
    }
}

void CheckLinkLocalRoute(const InterfaceFacts& i, const std::vector<RouteFacts>& routes,
                         std::vector<Finding>* out)
{
    for (uint32_t camera : i.cameras) {
        if (!InSubnet(camera, kLinkLocalNetwork, kLinkLocalMask))
            continue;
        const RouteFacts* route = RouteTo(routes, camera);
        if (route && route->interface == i.name)
            continue;
        out->push_back({FindingKind::NoLinkLocalRoute, i.name,
                        "A camera with a link-local address (" + DottedHost(camera) +
                            ") answers on " + i.name +
                            ", but no route for 169.254.0.0/16 "
                            "leads through " +
                            i.name + ": the PC cannot reach it.",
                        "sudo ip route add 169.254.0.0/16 dev " + i.name});
        return;
    }
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The network folder of this thread's namespace.
std::string ReadNetFile(const std::string& name)
{
    std::string text = ReadFile("/proc/thread-self/net/" + name);
    return text.empty() ? ReadFile("/proc/net/" + name) : text;
}

std::optional<uint64_t> ReadNumber(const std::string& path)
{
    std::istringstream in(ReadFile(path));
    uint64_t value = 0;
    if (in >> value)
        return value;
    return std::nullopt;
}

int ReadRpFilter(const std::string& conf)
{
    return int(ReadNumber("/proc/sys/net/ipv4/conf/" + conf + "/rp_filter").value_or(0));
}

} // namespace

const char* FindingKindName(FindingKind kind)
{
    switch (kind) {
    case FindingKind::InterfaceDown:
        return "interface_down";
    case FindingKind::NoIpv4:
        return "no_ipv4";
    case FindingKind::SmallMtu:
        return "mtu";
    case FindingKind::ReversePathFilter:
        return "rp_filter";
    case FindingKind::SharedSubnet:
        return "shared_subnet";
    case FindingKind::NoLinkLocalRoute:
        return "link_local_route";
    case FindingKind::SmallSocketBuffers:
        break;
    }
    return "rmem_max";
}

std::vector<Finding> CheckNetwork(const NetworkFacts& facts)
{
    std::vector<Finding> findings;
    for (const InterfaceFacts& i : facts.interfaces) {
        CheckLink(i, &findings);
        CheckMtu(i, &findings);
        CheckReversePath(i, facts.rpFilterAll, &findings);
        CheckSharedSubnet(i, facts.interfaces, &findings);
        CheckLinkLocalRoute(i, facts.routes, &findings);
    }
    if (facts.rmemMax && *facts.rmemMax < kStreamSocketBuffer)
        findings.push_back({FindingKind::SmallSocketBuffers, "",
                            "net.core.rmem_max is " + std::to_string(*facts.rmemMax) +
                                " bytes: streaming at full rate needs socket buffers of 32 MiB, "
                                "or packets are lost.",
                            "sudo sysctl -w net.core.rmem_max=33554432"});
    return findings;
}

std::vector<RouteFacts> ParseRoutes(const std::string& procNetRoute)
{
    std::vector<RouteFacts> routes;
    std::istringstream lines(procNetRoute);
    std::string line;
    std::getline(lines, line); // column headings
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        RouteFacts route;
        uint32_t destination = 0, gateway = 0, mask = 0;
        unsigned flags = 0, refCount = 0, use = 0;
        if (!(fields >> route.interface >> std::hex >> destination >> gateway >> flags >>
              std::dec >> refCount >> use >> route.metric >> std::hex >> mask) ||
            !(flags & kRouteUp))
            continue;
        // The kernel prints the words as they lie in memory, network order.
        route.destination = ntohl(destination);
        route.mask = ntohl(mask);
        routes.push_back(route);
    }
    return routes;
}

std::optional<uint64_t> ParseReversePathDrops(const std::string& procNetNetstat)
{
    std::istringstream lines(procNetNetstat);
    std::string names, values;
    while (std::getline(lines, names) && std::getline(lines, values)) {
        std::istringstream n(names), v(values);
        std::string name, section;
        uint64_t value = 0;
        n >> name; // "TcpExt:" before the names and before the values
        v >> section;
        while (n >> name && v >> value)
            if (name == "IPReversePathFilter")
                return value;
    }
    return std::nullopt;
}

NetworkFacts CollectNetworkFacts(std::chrono::milliseconds listen,
                                 const std::function<void(int, int)>& progress)
{
    NetworkFacts facts;
    facts.rpFilterAll = ReadRpFilter("all");
    facts.rmemMax = ReadNumber("/proc/sys/net/core/rmem_max");
    facts.routes = ParseRoutes(ReadNetFile("route"));
    const std::vector<NetInterface> all = ListInterfaces(VirtualInterfaceNames());
    const int total = int(
        std::count_if(all.begin(), all.end(), [](const NetInterface& n) { return !n.isVirtual; }));
    for (const NetInterface& iface : all) {
        if (iface.isVirtual)
            continue;
        InterfaceFacts i;
        i.name = iface.name;
        i.up = iface.up;
        i.running = iface.running;
        i.hasIpv4 = iface.hasIpv4;
        i.ip = iface.ip;
        i.mask = iface.mask;
        i.mtu = iface.mtu;
        i.rpFilter = ReadRpFilter(iface.name);
        if (i.hasIpv4 && i.up) {
            const uint64_t before = ParseReversePathDrops(ReadNetFile("netstat")).value_or(0);
            for (const CamInfo& cam : SearchInterface(i.ip, 0, listen))
                i.cameras.push_back(FromWire(cam.currentIp));
            const uint64_t after = ParseReversePathDrops(ReadNetFile("netstat")).value_or(before);
            i.reversePathDrops = after > before ? after - before : 0;
        }
        facts.interfaces.push_back(std::move(i));
        if (progress)
            progress(int(facts.interfaces.size()), total);
    }
    return facts;
}

} // namespace gvcp
