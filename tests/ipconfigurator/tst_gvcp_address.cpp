// The checks of a new camera address: every refusal reason, the masks the field meets, the
// host's own addresses and cameras, reachability and the verdict on a probe's finding.
#include "AddressCheck.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

using namespace gvcp;

namespace {

uint32_t Ip(const char* dotted)
{
    return ntohl(inet_addr(dotted));
}

IpSettings Settings(const char* ip, const char* mask, const char* gateway = "0.0.0.0")
{
    return {Ip(ip), Ip(mask), Ip(gateway)};
}

KnownCamera Camera(uint8_t macLast, const char* ip)
{
    KnownCamera cam;
    cam.mac = {0x02, 0, 0, 0, 0, macLast};
    cam.ip = Ip(ip);
    cam.model = "CAM";
    cam.serial = "S" + std::to_string(macLast);
    return cam;
}

// The PC: gv0 192.168.1.5/24 and gv1 10.1.0.5/16; cameras 1 (.20, the one being changed) and
// 2 (.30) behind gv0.
struct Host
{
    HostView view{{{"gv0", Ip("192.168.1.5"), Ip("255.255.255.0")},
                   {"gv1", Ip("10.1.0.5"), Ip("255.255.0.0")}},
                  {Camera(1, "192.168.1.20"), Camera(2, "192.168.1.30")}};
    KnownCamera self = Camera(1, "192.168.1.20");
};

} // namespace

TEST(AddressCheck, RefusesEachUnusableAddressWithItsReason)
{
    const struct
    {
        IpSettings settings;
        AddressProblem problem;
    } refused[] = {
        {Settings("0.0.0.0", "255.255.255.0"), AddressProblem::ThisNetwork},
        {Settings("0.1.2.3", "255.0.0.0"), AddressProblem::ThisNetwork},
        {Settings("255.255.255.255", "255.255.255.0"), AddressProblem::LimitedBroadcast},
        {Settings("224.0.0.1", "255.255.255.0"), AddressProblem::Multicast},
        {Settings("239.255.255.250", "255.255.255.0"), AddressProblem::Multicast},
        {Settings("240.0.0.1", "255.255.255.0"), AddressProblem::Reserved},
        {Settings("127.0.0.1", "255.0.0.0"), AddressProblem::Loopback},
        {Settings("192.168.1.20", "255.0.255.0"), AddressProblem::BadMask},
        {Settings("192.168.1.20", "0.0.0.0"), AddressProblem::BadMask},
        {Settings("192.168.1.20", "255.255.255.254"), AddressProblem::BadMask},
        {Settings("10.0.0.0", "255.0.0.0"), AddressProblem::NetworkAddress},
        {Settings("10.255.255.255", "255.0.0.0"), AddressProblem::BroadcastAddress},
        {Settings("172.16.0.0", "255.255.0.0"), AddressProblem::NetworkAddress},
        {Settings("172.16.255.255", "255.255.0.0"), AddressProblem::BroadcastAddress},
        {Settings("192.168.7.0", "255.255.255.0"), AddressProblem::NetworkAddress},
        {Settings("192.168.7.255", "255.255.255.0"), AddressProblem::BroadcastAddress},
        {Settings("192.168.7.8", "255.255.255.252"), AddressProblem::NetworkAddress},
        {Settings("192.168.7.11", "255.255.255.252"), AddressProblem::BroadcastAddress},
        {Settings("192.168.7.9", "255.255.255.252", "192.168.7.1"), AddressProblem::BadGateway},
        {Settings("192.168.7.9", "255.255.255.252", "192.168.7.11"), AddressProblem::BadGateway},
        {Settings("10.2.3.4", "255.0.0.0", "11.0.0.1"), AddressProblem::BadGateway},
    };
    for (const auto& row : refused) {
        const AddressVerdict verdict = CheckAddressFormat(row.settings);
        EXPECT_EQ(verdict.problem, row.problem)
            << DottedHost(row.settings.ip) << " / " << DottedHost(row.settings.mask);
        EXPECT_FALSE(verdict.ok());
        EXPECT_FALSE(verdict.reason.empty());
    }
    for (const IpSettings& usable :
         {Settings("10.0.0.1", "255.0.0.0"), Settings("10.255.255.254", "255.0.0.0", "10.0.0.1"),
          Settings("172.16.0.255", "255.255.0.0", "172.16.0.1"),
          Settings("192.168.7.254", "255.255.255.0", "192.168.7.1"),
          Settings("192.168.7.9", "255.255.255.252", "192.168.7.10")}) {
        EXPECT_TRUE(CheckAddressFormat(usable).ok()) << DottedHost(usable.ip);
    }

    // What the user reads.
    EXPECT_EQ(CheckAddressFormat(Settings("192.168.7.255", "255.255.255.0")).reason,
              "192.168.7.255 is not a camera address: it is the broadcast address of subnet "
              "192.168.7.0/24.");
    EXPECT_EQ(CheckAddressFormat(Settings("192.168.7.9", "255.255.0.255")).reason,
              "Subnet mask 255.255.0.255 is not valid: its one bits must be contiguous, like "
              "255.255.255.0.");
}

TEST(AddressCheck, RefusesWhatThePCOrAnotherCameraHolds)
{
    const Host host;
    auto check = [&](const IpSettings& s) { return CheckAddress(s, host.view, host.self); };

    // Either interface of the PC.
    const AddressVerdict own = check(Settings("192.168.1.5", "255.255.255.0"));
    EXPECT_EQ(own.problem, AddressProblem::HostAddress);
    EXPECT_EQ(own.reason, "192.168.1.5 is the address of this PC's interface gv0.");
    EXPECT_EQ(check(Settings("10.1.0.5", "255.255.0.0")).problem, AddressProblem::HostAddress);
    // The broadcast address of gv0's /24 and the network address of gv1's /16, though the
    // camera's own /8 would allow them.
    EXPECT_EQ(check(Settings("192.168.1.255", "255.0.0.0")).problem,
              AddressProblem::BroadcastAddress);
    const AddressVerdict network = check(Settings("10.1.0.0", "255.0.0.0"));
    EXPECT_EQ(network.problem, AddressProblem::NetworkAddress);
    EXPECT_EQ(network.reason, "10.1.0.0 is not a camera address: it is the network address of "
                              "subnet 10.1.0.0/16 of this PC's interface gv1.");

    const AddressVerdict taken = check(Settings("192.168.1.30", "255.255.255.0"));
    EXPECT_EQ(taken.problem, AddressProblem::CameraAddress);
    EXPECT_EQ(taken.reason, "192.168.1.30 is already used by camera CAM (serial S2, MAC "
                            "02:00:00:00:00:02).");

    // The camera's own current address, and one nobody holds.
    EXPECT_TRUE(check(Settings("192.168.1.20", "255.255.255.0", "192.168.1.1")).ok());
    EXPECT_TRUE(check(Settings("192.168.1.40", "255.255.255.0")).ok());
    // The same camera seen through a second interface is no other camera.
    Host twice;
    twice.view.cameras.push_back(Camera(1, "192.168.1.41"));
    EXPECT_TRUE(
        CheckAddress(Settings("192.168.1.41", "255.255.255.0"), twice.view, twice.self).ok());
}

TEST(AddressCheck, AnAddressOutsideTheInterfaceSubnetIsUnreachable)
{
    const HostInterface gv0{"gv0", Ip("192.168.1.5"), Ip("255.255.255.0")};
    EXPECT_TRUE(CheckReachable(gv0, Settings("192.168.1.40", "255.255.255.0")).ok());
    EXPECT_TRUE(CheckReachable(gv0, Settings("192.168.1.40", "255.255.0.0")).ok());

    const AddressVerdict outside = CheckReachable(gv0, Settings("192.168.7.20", "255.255.255.0"));
    EXPECT_EQ(outside.problem, AddressProblem::OutsideSubnet);
    EXPECT_EQ(outside.reason, "192.168.7.20 is outside the subnet of interface gv0 "
                              "(192.168.1.0/24): the camera will not be reachable from this "
                              "interface.");
    // Inside the interface's subnet, but the camera's narrower mask leaves the PC outside.
    EXPECT_EQ(CheckReachable(gv0, Settings("192.168.1.200", "255.255.255.128")).problem,
              AddressProblem::OutsideSubnet);
}

TEST(AddressCheck, JudgesWhatAProbeFound)
{
    const Host host;
    const uint32_t ip = Ip("192.168.1.40");
    ProbeFinding finding;
    EXPECT_TRUE(JudgeProbe(finding, ip, host.view, host.self).ok());

    finding.source = ProbeFinding::Source::Gvcp;
    finding.device = Camera(7, "192.168.1.40");
    EXPECT_EQ(JudgeProbe(finding, ip, host.view, host.self).reason,
              "192.168.1.40 is already in use: camera CAM (serial S7, MAC 02:00:00:00:00:07) "
              "answered there.");
    finding.device = host.self; // the camera itself
    EXPECT_TRUE(JudgeProbe(finding, ip, host.view, host.self).ok());

    // A neighbour entry: an unknown device holds the address; camera 2 only used to.
    const std::string arp = "IP address       HW type     Flags       HW address            Mask "
                            "    Device\n"
                            "192.168.1.40     0x1         0x2         0a:0b:0c:0d:0e:0f     *   "
                            "     gv0\n"
                            "192.168.1.41     0x1         0x0         00:00:00:00:00:00     *   "
                            "     gv0\n"
                            "192.168.1.42     0x1         0x2         02:00:00:00:00:02     *   "
                            "     gv0\n";
    MacAddress mac;
    EXPECT_FALSE(FindNeighbour(arp, Ip("192.168.1.41"), &mac)); // incomplete: nobody answered
    ASSERT_TRUE(FindNeighbour(arp, ip, &mac));
    finding = {ProbeFinding::Source::Neighbour, {}};
    finding.device.mac = mac;
    EXPECT_EQ(JudgeProbe(finding, ip, host.view, host.self).reason,
              "192.168.1.40 is already in use: a device with MAC 0a:0b:0c:0d:0e:0f answered "
              "there.");
    ASSERT_TRUE(FindNeighbour(arp, Ip("192.168.1.42"), &finding.device.mac));
    EXPECT_TRUE(JudgeProbe(finding, Ip("192.168.1.42"), host.view, host.self).ok());
}
