// Cross-checks with peers written elsewhere, inside the test network: Debian's fake GigE
// Vision camera and command-line client, and the GVCP dissector of tshark.
#include "DeviceControl.h"
#include "DeviceDiscovery.h"
#include "GvcpNetworkTest.h"

#include <cstdlib>
#include <fstream>
#include <thread>

using namespace nettest;

namespace {

bool Installed(const std::string& program)
{
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

#define REQUIRE_PROGRAM(name)                                                                      \
    if (!Installed(name))                                                                          \
    GTEST_SKIP() << name << " is not installed (Debian package listed in scripts/deps/gvcp.txt)"

std::string PeerNamespace(size_t k)
{
    const auto list = testnet::EnvList("TESTNET_CAM_NS_0");
    return k < list.size() ? list[k] : "";
}

// Runs a client to its end in the host namespace and returns what it printed.
std::string RunClient(const std::vector<std::string>& argv)
{
    testnet::PeerProcess process(argv);
    process.Wait(20000);
    return process.Output();
}

std::vector<CamInfo> Discover(unsigned long long windowMs = 500)
{
    std::vector<CamInfo*> found;
    CDeviceDiscovery discovery(NetIp(HostIp()), 9000);
    discovery.SearchDevice(&found, windowMs);
    std::vector<CamInfo> out;
    for (CamInfo* c : found) {
        out.push_back(*c);
        delete c;
    }
    return out;
}

int Read(CDeviceControl& control, const std::string& ip, uint32_t address, uint32_t* value)
{
    int request[1] = {int(htonl(address))};
    int* data = nullptr;
    int length = 0;
    const int r = control.GevSendCommand(gvcp::READREG_CMD, NetIp(ip), request, 4, &data, &length);
    if (r == 0)
        *value = ntohl(uint32_t(data[0]));
    delete[] data;
    return r;
}

int Write(CDeviceControl& control, const std::string& ip, uint32_t address, uint32_t value)
{
    int request[2] = {int(htonl(address)), int(htonl(value))};
    int count = 0;
    return control.GevSendCommand(gvcp::WRITEREG_CMD, NetIp(ip), request, 8, nullptr, &count);
}

const char* kEmulated = "mac=02:00:00:00:00:09,ip=10.10.1.40,mask=255.255.255.0,gw=10.10.1.1,"
                        "model=EmuModel,serial=EMU9,user=Bench";

} // namespace

TEST(Peers, OurClientDiscoversReadsAndWritesTheFakeCamera)
{
    REQUIRE_PROGRAM("arv-fake-gv-camera-0.8");
    // The fake camera answers at the address the test network gave its namespace.
    testnet::PeerProcess camera(
        testnet::InNamespace(PeerNamespace(0), {"arv-fake-gv-camera-0.8", "-i", "eth0"}));
    std::vector<CamInfo> found;
    for (int attempt = 0; attempt < 20 && found.empty(); ++attempt)
        found = Discover(250);
    ASSERT_EQ(found.size(), 1u) << camera.Output();
    const std::string ip = found[0].ipText;
    EXPECT_EQ(ip, "10.10.1.10");
    EXPECT_FALSE(gvcp::FieldText(found[0].serialNumber).empty());

    CDeviceControl control(NetIp(HostIp()), 0);
    uint32_t value = 0;
    ASSERT_EQ(Read(control, ip, 0x0024, &value), 0);
    EXPECT_EQ(value, 0x0A0A010Au);
    ASSERT_EQ(control.GevOpenDevice(NetIp(ip)), 0);
    ASSERT_EQ(Write(control, ip, gvcp::REG_PERSISTENT_IP, 0x0A0A0142), 0);
    ASSERT_EQ(Read(control, ip, gvcp::REG_PERSISTENT_IP, &value), 0);
    EXPECT_EQ(value, 0x0A0A0142u);
    EXPECT_EQ(control.GevCloseDevice(NetIp(ip)), 0);
}

TEST(Peers, TheClientToolDiscoversAndReadsTheEmulator)
{
    REQUIRE_PROGRAM("arv-tool-0.8");
    auto emulator = StartEmulator({kEmulated}, 0);
    const std::string list = RunClient({"arv-tool-0.8"});
    EXPECT_NE(list.find("EmuModel-EMU9 (10.10.1.40)"), std::string::npos) << list;
    const std::string read =
        RunClient({"arv-tool-0.8", "-a", "10.10.1.40", "control", "R[0x0024]"});
    EXPECT_NE(read.find("= 0x0a0a0128"), std::string::npos) << read;
    RunClient({"arv-tool-0.8", "-a", "10.10.1.40", "control", "R[0x064C]=0x0A0A0177"});
    const std::string back =
        RunClient({"arv-tool-0.8", "-a", "10.10.1.40", "control", "R[0x064C]"});
    EXPECT_NE(back.find("= 0x0a0a0177"), std::string::npos) << back;
    const std::string user =
        RunClient({"arv-tool-0.8", "-a", "10.10.1.40", "control", "DeviceUserID"});
    EXPECT_NE(user.find("DeviceUserID = Bench"), std::string::npos) << user;
}

TEST(Peers, DissectorDecodesOurTrafficWithoutComplaint)
{
    REQUIRE_PROGRAM("tshark");
    const std::string capture = "/tmp/" + testnet::Env("TESTNET_ID") + "-gvcp.pcapng";
    auto emulator = StartEmulator({kEmulated}, 0);
    {
        testnet::PeerProcess tshark({"tshark", "-i", "gv0", "-f", "udp", "-w", capture});
        ASSERT_TRUE(tshark.WaitFor("Capturing on", 20000)) << tshark.Output();
        // The capture may start a moment after it says so.
        std::this_thread::sleep_for(std::chrono::seconds(1));
        EXPECT_EQ(Discover().size(), 1u);
        CDeviceControl control(NetIp(HostIp()), 0);
        uint32_t value = 0;
        EXPECT_EQ(control.GevOpenDevice(NetIp("10.10.1.40")), 0);
        EXPECT_EQ(Read(control, "10.10.1.40", gvcp::REG_PERSISTENT_IP, &value), 0);
        EXPECT_EQ(Write(control, "10.10.1.40", gvcp::REG_PERSISTENT_MASK, 0xFFFFFF00), 0);
        EXPECT_EQ(control.GevCloseDevice(NetIp("10.10.1.40")), 0);
        EXPECT_EQ(control.SetForceIP(int(0x0A0A0141), int(0xFFFFFF00), int(0x0A0A0101), 0x0200,
                                     0x00000009),
                  0);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    const std::string all = RunClient({"tshark", "-r", capture, "-Y", "gvcp"});
    const std::string bad = RunClient(
        {"tshark", "-r", capture, "-Y", "_ws.malformed || _ws.expert.severity >= warning"});
    std::remove(capture.c_str());
    for (const char* decoded : {"DISCOVERY_CMD", "DISCOVERY_ACK", "READREG_CMD", "READREG_ACK",
                                "WRITEREG_CMD", "WRITEREG_ACK", "FORCEIP_CMD"})
        EXPECT_NE(all.find(decoded), std::string::npos) << decoded << "\n" << all;
    EXPECT_EQ(bad.find("GVCP"), std::string::npos) << bad;
    EXPECT_EQ(bad.find("Malformed"), std::string::npos) << bad;
}

int main(int argc, char** argv)
{
    return RunInsideTestNetwork(argc, argv);
}
