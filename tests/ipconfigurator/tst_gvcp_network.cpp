// The discovery and control-channel clients against emulated cameras, over real sockets in
// the private test network.
#include "AddressProbe.h"
#include "DeviceControl.h"
#include "DeviceDiscovery.h"
#include "GvcpNetworkTest.h"

#include <chrono>
#include <sstream>
#include <thread>

using namespace nettest;

namespace {

struct CameraList
{
    std::vector<CamInfo*> items;
    ~CameraList()
    {
        for (CamInfo* c : items)
            delete c;
    }
};

int Search(CameraList* list, unsigned long long windowMs = 800, size_t iface = 0,
           unsigned short port = 9000)
{
    CDeviceDiscovery discovery(NetIp(HostIp(iface)), port);
    return discovery.SearchDevice(&list->items, windowMs);
}

std::string Camera(const std::string& ip, const std::string& extra = "", int n = 1)
{
    char mac[32];
    std::snprintf(mac, sizeof mac, "02:1a:2b:3c:4d:%02x", n);
    return std::string("mac=") + mac + ",ip=" + ip + ",mask=255.255.255.0,gw=10.10.1.1," +
           "model=Model" + std::to_string(n) + ",serial=SN" + std::to_string(n) + ",user=User" +
           std::to_string(n) + (extra.empty() ? "" : "," + extra);
}

int ReadRegister(CDeviceControl& control, const std::string& ip, uint32_t address, uint32_t* value,
                 int** payload = nullptr)
{
    int request[1] = {int(htonl(address))};
    int* data = nullptr;
    int length = 0;
    const int result =
        control.GevSendCommand(gvcp::READREG_CMD, NetIp(ip), request, 4, &data, &length);
    if (result == 0 && length >= 4)
        *value = ntohl(uint32_t(data[0]));
    if (payload)
        *payload = data;
    else
        delete[] data;
    return result;
}

int WriteRegister(CDeviceControl& control, const std::string& ip, uint32_t address, uint32_t value)
{
    int request[2] = {int(htonl(address)), int(htonl(value))};
    int count = 0;
    return control.GevSendCommand(gvcp::WRITEREG_CMD, NetIp(ip), request, 8, nullptr, &count);
}

// The commands the emulator logged: (command code, request id, whole datagram).
struct Logged
{
    uint16_t command;
    uint16_t id;
    std::vector<uint8_t> bytes;
};

std::vector<Logged> Commands(const std::string& output)
{
    std::vector<Logged> out;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string tag, from, hex;
        if (!(words >> tag >> from >> hex) || tag != "rx" || hex.size() < 16)
            continue;
        Logged logged;
        for (size_t i = 0; i + 1 < hex.size(); i += 2)
            logged.bytes.push_back(uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16)));
        logged.command = gvcp::ReadBe16(logged.bytes.data() + 2);
        logged.id = gvcp::ReadBe16(logged.bytes.data() + 6);
        out.push_back(logged);
    }
    return out;
}

void Settle(int ms = 150)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

TEST(Discovery, NoCameraGivesEmptyListAfterTheWindow)
{
    CameraList list;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Search(&list, 500), 0);
    EXPECT_TRUE(list.items.empty());
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(450));
}

TEST(Discovery, CamerasAreRecordedInArrivalOrder)
{
    const std::string fullModel(32, 'X');
    auto emulator = StartEmulator(
        {Camera("10.10.1.21", "delay=150", 1), Camera("10.10.1.22", "model=" + fullModel, 2)});
    CameraList list;
    ASSERT_EQ(Search(&list), 0);
    ASSERT_EQ(list.items.size(), 2u);
    const CamInfo& first = *list.items[0];
    const CamInfo& second = *list.items[1];
    EXPECT_STREQ(first.ipText, "10.10.1.22");
    EXPECT_STREQ(second.ipText, "10.10.1.21");
    EXPECT_EQ(gvcp::FieldText(first.modelName), fullModel);
    EXPECT_EQ(gvcp::FieldText(first.serialNumber), "SN2");
    EXPECT_STREQ(second.macText, "02:1a:2b:3c:4d:01");
    EXPECT_EQ(gvcp::FieldText(second.userName), "User1");
    EXPECT_EQ(second.subnetMask, uint32_t(NetIp("255.255.255.0")));
    EXPECT_EQ(second.interfaceIp, uint32_t(NetIp(HostIp())));
}

TEST(Discovery, WrongDatagramEndsListeningWithTheRecordsSoFar)
{
    for (const char* wrong : {"before=stale", "before=short"}) {
        SCOPED_TRACE(wrong);
        auto emulator = StartEmulator({Camera("10.10.1.23", "", 1),
                                       Camera("10.10.1.24", std::string("delay=100,") + wrong, 2),
                                       Camera("10.10.1.25", "delay=300", 3)});
        CameraList list;
        EXPECT_EQ(Search(&list, 1000), 0);
        ASSERT_EQ(list.items.size(), 1u);
        EXPECT_STREQ(list.items[0]->ipText, "10.10.1.23");
    }
}

TEST(Discovery, AnswersByBroadcastAreReceived)
{
    // One camera outside the host's subnet (it must answer by broadcast), one that does so
    // on purpose.
    auto emulator =
        StartEmulator({Camera("10.20.0.5", "", 1), Camera("10.10.1.26", "bcast-discovery", 2)});
    CameraList list;
    ASSERT_EQ(Search(&list), 0);
    std::vector<std::string> found;
    for (const CamInfo* c : list.items)
        found.push_back(c->ipText);
    EXPECT_EQ(found, (std::vector<std::string>{"10.20.0.5", "10.10.1.26"}));
}

TEST(Discovery, EachInterfaceFindsOnlyItsOwnCameras)
{
    if (HostIp(1).empty())
        GTEST_SKIP() << "needs a test network with two interfaces";
    auto emulator = StartEmulator({Camera("10.10.2.30", "", 7)}, 1);
    CameraList first, second;
    EXPECT_EQ(Search(&first, 500, 0, 9000), 0);
    EXPECT_EQ(Search(&second, 500, 1, 9001), 0);
    EXPECT_TRUE(first.items.empty());
    ASSERT_EQ(second.items.size(), 1u);
    EXPECT_STREQ(second.items[0]->ipText, "10.10.2.30");
    EXPECT_EQ(second.items[0]->interfaceIp, uint32_t(NetIp(HostIp(1))));
}

TEST(Discovery, PortInUseIsReportedAndSearchStillEnds)
{
    CDeviceDiscovery holder(NetIp(HostIp()), 9005);
    testing::internal::CaptureStdout();
    CDeviceDiscovery second(NetIp(HostIp()), 9005);
    EXPECT_NE(testing::internal::GetCapturedStdout().find(" Discovery socket Error! "),
              std::string::npos);
    CameraList list;
    EXPECT_EQ(second.SearchDevice(&list.items, 200), 0);
}

TEST(Control, SilenceGives109AfterOneSecond)
{
    auto emulator = StartEmulator({Camera("10.10.1.31", "silent")});
    CDeviceControl control(NetIp(HostIp()), 0);
    uint32_t value = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ReadRegister(control, "10.10.1.31", gvcp::REG_PERSISTENT_IP, &value), 109);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(950));
    EXPECT_EQ(control.GevOpenDevice(NetIp("10.10.1.31")), 109);
}

TEST(Control, DatagramsThatAreNotTheAnswerAreSkipped)
{
    for (const char* extra :
         {"before=stale", "before=newer", "before=wrongcode", "before=overlong", "before=short"}) {
        SCOPED_TRACE(extra);
        auto emulator = StartEmulator({Camera("10.10.1.32", std::string(extra) + ",delay=20")});
        CDeviceControl control(NetIp(HostIp()), 0);
        uint32_t value = 0;
        EXPECT_EQ(ReadRegister(control, "10.10.1.32", 0x0024, &value), 0);
        EXPECT_EQ(value, 0x0A0A0120u);
        EXPECT_EQ(WriteRegister(control, "10.10.1.32", gvcp::REG_PERSISTENT_IP, 0x0A0A0150), 0);
    }
}

TEST(Control, ExclusiveAccessDeniesOtherControllersUntilReleased)
{
    auto emulator = StartEmulator({Camera("10.10.1.33", "channels=0")});
    const int camera = NetIp("10.10.1.33");
    CDeviceControl owner(NetIp(HostIp()), 0);
    CDeviceControl other(NetIp(HostIp()), 0);
    ASSERT_EQ(owner.GevOpenDevice(camera), 0);
    uint32_t value = 0;
    int* payload = reinterpret_cast<int*>(&value); // must be replaced by null or a buffer
    EXPECT_EQ(ReadRegister(other, "10.10.1.33", gvcp::REG_PERSISTENT_IP, &value, &payload), 0x8006);
    EXPECT_EQ(payload, nullptr);
    EXPECT_EQ(WriteRegister(other, "10.10.1.33", gvcp::REG_PERSISTENT_IP, 1), 0x8006);
    EXPECT_EQ(other.GevOpenDevice(camera), 0x8006);
    EXPECT_EQ(ReadRegister(owner, "10.10.1.33", gvcp::REG_PERSISTENT_IP, &value), 0);
    ASSERT_EQ(owner.GevCloseDevice(camera), 0);
    EXPECT_EQ(ReadRegister(other, "10.10.1.33", gvcp::REG_PERSISTENT_IP, &value), 0);
}

TEST(Control, PrivilegeLapsesWhenTheHolderFallsSilent)
{
    auto emulator = StartEmulator({Camera("10.10.1.34")});
    CDeviceControl owner(NetIp(HostIp()), 0);
    CDeviceControl other(NetIp(HostIp()), 0);
    ASSERT_EQ(owner.GevOpenDevice(NetIp("10.10.1.34")), 0);
    ASSERT_EQ(WriteRegister(owner, "10.10.1.34", 0x0938, 200), 0); // heartbeat timeout, ms
    uint32_t value = 0;
    EXPECT_EQ(ReadRegister(other, "10.10.1.34", 0x0938, &value), 0x8006);
    Settle(400);
    EXPECT_EQ(ReadRegister(other, "10.10.1.34", 0x0938, &value), 0);
    EXPECT_EQ(value, 200u);
}

TEST(Control, RequestIdsFollowEachOtherAcrossCommands)
{
    auto emulator = StartEmulator({Camera("10.10.1.35", "channels=0")}, 0, true);
    CDeviceControl control(NetIp(HostIp()), 0);
    uint32_t value = 0;
    ASSERT_EQ(ReadRegister(control, "10.10.1.35", gvcp::REG_PERSISTENT_IP, &value), 0);
    ASSERT_EQ(WriteRegister(control, "10.10.1.35", gvcp::REG_PERSISTENT_IP, 0x0A0A0151), 0);
    ASSERT_EQ(
        control.SetForceIP(int(0x0A0A0199), int(0xFFFFFF00), int(0x0A0A0101), 0x0000, 0x00000001),
        0);
    Settle();
    const auto commands = Commands(emulator->Output());
    ASSERT_EQ(commands.size(), 3u) << emulator->Output();
    EXPECT_EQ(commands[0].command, gvcp::READREG_CMD);
    EXPECT_EQ(commands[1].command, gvcp::WRITEREG_CMD);
    EXPECT_EQ(commands[2].command, gvcp::FORCEIP_CMD);
    EXPECT_EQ(commands[0].id, 1);
    EXPECT_EQ(commands[1].id, 2);
    EXPECT_EQ(commands[2].id, 3);
}

TEST(Control, CloseSendsThreeCommandsOnlyWhenTheCameraHasMessageChannels)
{
    for (int channels : {0, 1}) {
        SCOPED_TRACE(channels);
        auto emulator =
            StartEmulator({Camera("10.10.1.36", "channels=" + std::to_string(channels))}, 0, true);
        CDeviceControl control(NetIp(HostIp()), 0);
        EXPECT_EQ(control.GevCloseDevice(NetIp("10.10.1.36")), 0);
        Settle();
        const auto commands = Commands(emulator->Output());
        ASSERT_EQ(commands.size(), channels ? 3u : 2u);
        EXPECT_EQ(gvcp::ReadBe32(commands[0].bytes.data() + 8), gvcp::REG_CCP);
        EXPECT_EQ(gvcp::ReadBe32(commands[1].bytes.data() + 8), gvcp::REG_MESSAGE_CHANNELS);
        if (channels) {
            EXPECT_EQ(gvcp::ReadBe32(commands[2].bytes.data() + 8), gvcp::REG_MCP);
        }
    }
}

TEST(Control, ForceIpMovesTheCameraToItsNewAddress)
{
    auto emulator = StartEmulator(
        {"mac=02:1a:2b:3c:4d:5e,ip=10.20.0.40,mask=255.255.255.0,gw=10.20.0.1"}, 0, true);
    CDeviceControl control(NetIp(HostIp()), 0);
    ASSERT_EQ(
        control.SetForceIP(int(0xC0A8010A), int(0xFFFFFF00), int(0xC0A80101), 0x021A, 0x2B3C4D5E),
        0);
    Settle();
    const auto commands = Commands(emulator->Output());
    ASSERT_EQ(commands.size(), 1u);
    const std::vector<uint8_t>& f = commands[0].bytes;
    ASSERT_EQ(f.size(), 64u);
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 28, f.begin() + 32),
              (std::vector<uint8_t>{0xC0, 0xA8, 0x01, 0x0A}));
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 44, f.begin() + 48),
              (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x00}));
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 60, f.begin() + 64),
              (std::vector<uint8_t>{0xC0, 0xA8, 0x01, 0x01}));
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 10, f.begin() + 16),
              (std::vector<uint8_t>{0x02, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}));

    // Into the host's subnet: the next unicast reaches the camera at its new address.
    ASSERT_EQ(
        control.SetForceIP(int(0x0A0A0141), int(0xFFFFFF00), int(0x0A0A0101), 0x021A, 0x2B3C4D5E),
        0);
    Settle();
    uint32_t value = 0;
    EXPECT_EQ(ReadRegister(control, "10.10.1.65", 0x0024, &value), 0);
    EXPECT_EQ(value, 0x0A0A0141u);
    CameraList list;
    ASSERT_EQ(Search(&list, 500), 0);
    ASSERT_EQ(list.items.size(), 1u);
    EXPECT_STREQ(list.items[0]->ipText, "10.10.1.65");
}

TEST(Control, UserNameWrittenUnderPrivilegeShowsInDiscovery)
{
    auto emulator = StartEmulator({Camera("10.10.1.37", "user=Old")});
    const int camera = NetIp("10.10.1.37");
    CDeviceControl control(NetIp(HostIp()), 0);
    ASSERT_EQ(control.GevOpenDevice(camera), 0);
    ASSERT_EQ(control.WriteUserName(uint32_t(camera), "Cam1"), 0);
    ASSERT_EQ(control.GevCloseDevice(camera), 0);
    CameraList list;
    ASSERT_EQ(Search(&list, 500), 0);
    ASSERT_EQ(list.items.size(), 1u);
    EXPECT_EQ(gvcp::FieldText(list.items[0]->userName), "Cam1");
}

// The camera namespace's own address (10.10.1.10) answers only ARP; a free address nothing.
TEST(Probe, FindsWhatHoldsAnAddress)
{
    const uint32_t host = ntohl(uint32_t(NetIp(HostIp())));
    auto probe = [host](const char* ip) { return gvcp::ProbeAddress(host, ntohl(NetIp(ip))); };
    const gvcp::ProbeFinding neighbour = probe("10.10.1.10");
    EXPECT_EQ(neighbour.source, gvcp::ProbeFinding::Source::Neighbour);
    EXPECT_NE(neighbour.device.mac, gvcp::MacAddress{});
    EXPECT_EQ(probe("10.10.1.99").source, gvcp::ProbeFinding::Source::Nothing);

    auto emulator = StartEmulator({Camera("10.10.1.50")});
    const gvcp::ProbeFinding camera = probe("10.10.1.50");
    EXPECT_EQ(camera.source, gvcp::ProbeFinding::Source::Gvcp);
    EXPECT_EQ(camera.device.Describe(), "Model1 (serial SN1, MAC 02:1a:2b:3c:4d:01)");

    // Through the client: refused for another camera, not for the one that holds it.
    CDeviceControl control(NetIp(HostIp()), 0);
    const gvcp::HostView view{{{"gv0", host, 0xFFFFFF00}}, {}};
    const gvcp::IpSettings settings{camera.device.ip, 0xFFFFFF00, 0};
    gvcp::KnownCamera other = camera.device;
    other.mac[5] = 9;
    other.ip = ntohl(NetIp("10.10.1.60"));
    EXPECT_EQ(control.CheckAddress(settings, view, other).problem, gvcp::AddressProblem::InUse);
    gvcp::KnownCamera self = camera.device;
    self.ip = other.ip; // the camera moves back to where it is
    EXPECT_TRUE(control.CheckAddress(settings, view, self).ok());
}

int main(int argc, char** argv)
{
    return RunInsideTestNetwork(argc, argv);
}
