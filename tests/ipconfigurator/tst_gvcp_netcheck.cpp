// The rules of the network check over facts fed in (no network, no system setting read), and
// the readers of the kernel's route and counter tables.
#include "NetworkCheck.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

using namespace gvcp;

namespace {

uint32_t Ip(const char* dotted)
{
    return ntohl(inet_addr(dotted));
}

// An interface that is fine: up, with a link, jumbo frames, no reverse-path filtering.
InterfaceFacts Healthy(const char* name, const char* ip, const char* mask)
{
    InterfaceFacts i;
    i.name = name;
    i.hasIpv4 = true;
    i.ip = Ip(ip);
    i.mask = Ip(mask);
    i.mtu = kJumboMtu;
    return i;
}

NetworkFacts HealthyPc()
{
    NetworkFacts facts;
    facts.interfaces = {Healthy("eth0", "192.168.1.5", "255.255.255.0")};
    facts.interfaces[0].cameras = {Ip("192.168.1.20")};
    facts.routes = {{"eth0", Ip("192.168.1.0"), Ip("255.255.255.0"), 0}};
    facts.rmemMax = kStreamSocketBuffer;
    return facts;
}

// "kind interface: fix" of every finding, in order.
std::vector<std::string> Summary(const std::vector<Finding>& findings)
{
    std::vector<std::string> lines;
    for (const Finding& f : findings)
        lines.push_back(std::string(FindingKindName(f.kind)) + " " + f.interface + ": " + f.fix);
    return lines;
}

} // namespace

TEST(NetworkCheck, AHealthyNetworkHasNoFindings)
{
    EXPECT_TRUE(CheckNetwork(HealthyPc()).empty());
}

TEST(NetworkCheck, FindsEachProblemWithTheCommandThatFixesIt)
{
    NetworkFacts facts = HealthyPc();
    InterfaceFacts down = Healthy("eth1", "10.0.0.5", "255.255.255.0");
    down.up = false;
    InterfaceFacts unplugged = Healthy("eth2", "10.0.1.5", "255.255.255.0");
    unplugged.running = false;
    InterfaceFacts bare = Healthy("eth3", "0.0.0.0", "0.0.0.0");
    bare.hasIpv4 = false;
    bare.mtu = 1500;
    // Strict filtering with a camera outside the subnet heard; loose with answers dropped.
    InterfaceFacts strict = Healthy("eth4", "172.16.5.5", "255.255.0.0");
    strict.rpFilter = 1;
    strict.cameras = {Ip("172.16.7.30"), Ip("10.9.0.20")};
    InterfaceFacts loose = Healthy("eth5", "172.17.5.5", "255.255.0.0");
    loose.rpFilter = 2;
    loose.reversePathDrops = 3;
    // In eth0's subnet; 192.168.2.0/24 is taken too, so the free one is 192.168.3.0/24.
    InterfaceFacts twin = Healthy("eth6", "192.168.1.6", "255.255.255.0");
    InterfaceFacts next = Healthy("eth7", "192.168.2.5", "255.255.255.0");
    // A link-local camera whose subnet is routed through another interface.
    InterfaceFacts linkLocal = Healthy("eth8", "10.0.2.5", "255.255.255.0");
    linkLocal.cameras = {Ip("169.254.10.20")};
    facts.routes.push_back({"eth3", Ip("169.254.0.0"), Ip("255.255.0.0"), 1000});
    facts.interfaces.insert(facts.interfaces.end(),
                            {down, unplugged, bare, strict, loose, twin, next, linkLocal});
    facts.interfaces[0].mtu = 1500;
    facts.rmemMax = 212992;

    const std::vector<Finding> findings = CheckNetwork(facts);
    EXPECT_EQ(
        Summary(findings),
        (std::vector<std::string>{
            "mtu eth0: sudo ip link set eth0 mtu 9000",
            "interface_down eth1: sudo ip link set eth1 up",
            "interface_down eth2: ip link show eth2   # shows LOWER_UP once the cable is in",
            "no_ipv4 eth3: sudo ip addr add 169.254.1.1/16 dev eth3   # or an address in the "
            "cameras' subnet",
            "mtu eth3: sudo ip link set eth3 mtu 9000",
            "rp_filter eth4: sudo sysctl -w net.ipv4.conf.eth4.rp_filter=0",
            "rp_filter eth5: sudo sysctl -w net.ipv4.conf.eth5.rp_filter=0",
            "shared_subnet eth6: sudo ip addr del 192.168.1.6/24 dev eth6 && sudo ip addr add "
            "192.168.3.6/24 dev eth6",
            "link_local_route eth8: sudo ip route add 169.254.0.0/16 dev eth8",
            "rmem_max : sudo sysctl -w net.core.rmem_max=33554432",
        }));
    ASSERT_EQ(findings.size(), 10u);
    EXPECT_EQ(findings[0].explanation, "eth0 has MTU 1500: streaming at full rate needs jumbo "
                                       "frames (MTU 9000), or frames are split and lost.");
    EXPECT_EQ(findings[5].explanation,
              "eth4 filters strictly by reverse path (rp_filter=1): answers of cameras outside "
              "172.16.0.0/16 are dropped unless a route to their subnet leads through eth4.");
    EXPECT_EQ(findings[6].explanation,
              "eth5 filters by reverse path (rp_filter=2): answers of cameras whose subnet has no "
              "route are dropped (3 dropped during the search).");
    EXPECT_EQ(findings[7].explanation, "eth0 and eth6 are both in subnet 192.168.1.0/24: the PC "
                                       "may send a camera's traffic out through the wrong one.");
    EXPECT_EQ(findings[8].explanation,
              "A camera with a link-local address (169.254.10.20) answers on eth8, but no route "
              "for 169.254.0.0/16 leads through eth8: the PC cannot reach it.");
    EXPECT_EQ(findings[9].explanation, "net.core.rmem_max is 212992 bytes: streaming at full "
                                       "rate needs socket buffers of 32 MiB, or packets are lost.");
}

TEST(NetworkCheck, ReversePathFilteringCountsOnlyWithEvidenceAndTheStricterSettingWins)
{
    NetworkFacts facts = HealthyPc();
    InterfaceFacts& eth0 = facts.interfaces[0];
    eth0.rpFilter = 1; // strict, but every camera heard is inside the subnet and none dropped
    EXPECT_TRUE(CheckNetwork(facts).empty());
    eth0.rpFilter = 2;
    eth0.cameras.push_back(Ip("10.9.0.20")); // loose lets it through: a route exists for it
    EXPECT_TRUE(CheckNetwork(facts).empty());

    eth0.rpFilter = 0;
    facts.rpFilterAll = 1; // conf.all is applied when it is the stricter one
    EXPECT_EQ(
        Summary(CheckNetwork(facts)),
        std::vector<std::string>{"rp_filter eth0: sudo sysctl -w net.ipv4.conf.all.rp_filter=0"});
    // A link-local camera routed through its own interface, and an unknown rmem_max, are fine.
    facts.rpFilterAll = 0;
    eth0.cameras = {Ip("169.254.3.4")};
    facts.routes.push_back({"eth0", Ip("169.254.0.0"), Ip("255.255.0.0"), 1000});
    facts.rmemMax.reset();
    EXPECT_TRUE(CheckNetwork(facts).empty());
}

TEST(NetworkCheck, ReadsTheKernelsRouteTableAndReversePathCounter)
{
    const std::string routes =
        "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
        "eth0\t00000000\t0101A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
        "eth0\t0001A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n"
        "eth1\t0000FEA9\t00000000\t0000\t0\t0\t1000\t0000FFFF\t0\t0\t0\n"; // not up
    const std::vector<RouteFacts> parsed = ParseRoutes(routes);
    ASSERT_EQ(parsed.size(), 2u);
    EXPECT_EQ(parsed[0].destination, 0u);
    EXPECT_EQ(parsed[1].interface, "eth0");
    EXPECT_EQ(parsed[1].destination, Ip("192.168.1.0"));
    EXPECT_EQ(parsed[1].mask, Ip("255.255.255.0"));
    EXPECT_EQ(parsed[1].metric, 100u);

    const std::string netstat = "TcpExt: SyncookiesSent TCPDeferAcceptDrop IPReversePathFilter\n"
                                "TcpExt: 0 5 17\n"
                                "IpExt: InNoRoutes\n"
                                "IpExt: 2\n";
    EXPECT_EQ(ParseReversePathDrops(netstat), std::optional<uint64_t>(17));
    EXPECT_EQ(ParseReversePathDrops("IpExt: InNoRoutes\nIpExt: 2\n"), std::nullopt);
}
