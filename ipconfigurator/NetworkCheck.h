// Why a camera is not found: a check of this PC's network set-up. The facts are gathered from
// the system (interfaces, kernel settings, routes, and a search on every interface); the rules
// are a pure function over them, so that every finding can be tested with values fed in. Each
// finding says in one line what is wrong and gives the command that fixes it. Nothing here
// changes a setting.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace gvcp {

// One physical interface as the check sees it; addresses in host order.
struct InterfaceFacts
{
    std::string name;
    bool up = true;      // administratively up
    bool running = true; // and with a link
    bool hasIpv4 = false;
    uint32_t ip = 0;
    uint32_t mask = 0;
    int mtu = 0;
    int rpFilter = 0; // net.ipv4.conf.<name>.rp_filter
    // Current addresses of the cameras that answered the search on this interface.
    std::vector<uint32_t> cameras;
    // Datagrams the kernel dropped by reverse-path filtering while this interface was searched.
    uint64_t reversePathDrops = 0;
};

// One IPv4 route of the main table; addresses in host order.
struct RouteFacts
{
    std::string interface;
    uint32_t destination = 0;
    uint32_t mask = 0;
    uint32_t metric = 0;
};

struct NetworkFacts
{
    std::vector<InterfaceFacts> interfaces;
    std::vector<RouteFacts> routes;
    int rpFilterAll = 0;             // net.ipv4.conf.all.rp_filter
    std::optional<uint64_t> rmemMax; // net.core.rmem_max in bytes, unset when unreadable
};

enum class FindingKind
{
    InterfaceDown,
    NoIpv4,
    SmallMtu,
    ReversePathFilter,
    SharedSubnet,
    NoLinkLocalRoute,
    SmallSocketBuffers,
};

struct Finding
{
    FindingKind kind;
    std::string interface; // empty for a setting of the whole PC
    std::string explanation;
    std::string fix; // the command that fixes it
};

// Stable names of the kinds: "interface_down", "no_ipv4", "mtu", "rp_filter",
// "shared_subnet", "link_local_route", "rmem_max".
const char* FindingKindName(FindingKind kind);

constexpr int kJumboMtu = 9000;
constexpr uint64_t kStreamSocketBuffer = 32u << 20;

// The findings, interface by interface in the order given, then those of the whole PC.
std::vector<Finding> CheckNetwork(const NetworkFacts& facts);

// Readers of the kernel's texts, so that they can be tested on their own.
// /proc/net/route: the routes that are up.
std::vector<RouteFacts> ParseRoutes(const std::string& procNetRoute);
// /proc/net/netstat: the IPReversePathFilter counter, unset when it is not there.
std::optional<uint64_t> ParseReversePathDrops(const std::string& procNetNetstat);

// Gathers the facts of this thread's network namespace: every physical interface, the
// settings and routes, and one search of `listen` on each interface with an IPv4 address, one
// after another so that reverse-path drops can be told apart; progress(done, total) after each.
NetworkFacts CollectNetworkFacts(std::chrono::milliseconds listen,
                                 const std::function<void(int, int)>& progress = {});

} // namespace gvcp
