// orvanta-ipconfig run as a user runs it, among emulated cameras of the test network: its output,
// its exit codes and the registers the cameras hold afterwards. Cameras (net/cli-cameras.sh):
// behind gv0 (192.168.1.5/24, also 192.168.1.6) A at 192.168.1.20 and B at 10.0.0.20, outside
// the subnet, and a host at 192.168.1.77; behind gv1 (172.16.5.5/16) C, and D, which refuses
// register reads.
// The network check runs in net/cli-check.sh.
#include "GvcpMessages.h"
#include "GvcpNetworkTest.h"
#include "namespacecamera.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>

namespace {

struct ToolRun
{
    int code = -1;
    std::string out, err;
};

// How long one run may take before it is killed and reported: a hung run is a failure of its
// own instead of the whole test program's timeout, and its output so far is kept.
constexpr int kRunLimitSeconds = 240;

// The command line of one run: through the cross-compiling emulator when there is one.
std::vector<std::string> ToolCommand(const std::vector<std::string>& args)
{
    std::vector<std::string> argv;
    std::istringstream runner(testnet::Env("ORVANTA_IPCONFIG_RUNNER"));
    for (std::string word; runner >> word;)
        argv.push_back(word);
    argv.push_back(testnet::Env("ORVANTA_IPCONFIG"));
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
}

// Starts every run from this one thread (a fork while other threads fork too can hang under
// the cross-compiling emulator), then collects all their outputs in one loop.
std::vector<ToolRun> RunTools(const std::vector<std::vector<std::string>>& runs)
{
    std::vector<ToolRun> results(runs.size());
    std::vector<pid_t> pids(runs.size(), -1);
    std::vector<int> fds(2 * runs.size(), -1); // run k's stdout at 2k, its stderr at 2k + 1
    for (size_t k = 0; k < runs.size(); ++k) {
        std::vector<std::string> argv = ToolCommand(runs[k]);
        std::vector<char*> cargv;
        for (std::string& a : argv)
            cargv.push_back(a.data());
        cargv.push_back(nullptr);
        // Close-on-exec, so that no other run inherits these pipes and holds them open.
        int out[2], err[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            continue;
        if (::pipe2(err, O_CLOEXEC) != 0) {
            ::close(out[0]);
            ::close(out[1]);
            continue;
        }
        pids[k] = ::fork();
        if (pids[k] < 0) {
            for (int fd : {out[0], out[1], err[0], err[1]})
                ::close(fd);
            continue;
        }
        if (pids[k] == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(err[1], STDERR_FILENO);
            ::execvp(cargv[0], cargv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        fds[2 * k] = out[0];
        fds[2 * k + 1] = err[0];
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kRunLimitSeconds);
    for (;;) {
        std::vector<pollfd> polled;
        std::vector<size_t> which; // index into fds of each polled entry
        for (size_t i = 0; i < fds.size(); ++i)
            if (fds[i] >= 0) {
                polled.push_back({fds[i], POLLIN, 0});
                which.push_back(i);
            }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (polled.empty() || left.count() <= 0)
            break;
        if (::poll(polled.data(), polled.size(), int(left.count())) < 0 && errno != EINTR)
            break;
        for (size_t j = 0; j < polled.size(); ++j) {
            if (!(polled[j].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const size_t i = which[j];
            char buffer[4096];
            const ssize_t n = ::read(fds[i], buffer, sizeof buffer);
            if (n > 0) {
                (i % 2 ? results[i / 2].err : results[i / 2].out).append(buffer, size_t(n));
            } else {
                ::close(fds[i]);
                fds[i] = -1;
            }
        }
    }

    for (size_t k = 0; k < runs.size(); ++k) {
        if (pids[k] < 0)
            continue;
        if (fds[2 * k] >= 0 || fds[2 * k + 1] >= 0) {
            ::kill(pids[k], SIGKILL);
            results[k].err +=
                "\n(killed: still running after " + std::to_string(kRunLimitSeconds) + " s)";
        }
        for (int fd : {fds[2 * k], fds[2 * k + 1]})
            if (fd >= 0)
                ::close(fd);
        int status = 0;
        if (::waitpid(pids[k], &status, 0) == pids[k])
            results[k].code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    return results;
}

ToolRun RunTool(const std::vector<std::string>& args)
{
    return RunTools({args}).front();
}

emulator::CameraConfig Camera(const char* ip, const char* mask, const char* model,
                              const char* serial, uint8_t macLast, uint32_t ipConfig)
{
    emulator::CameraConfig config;
    config.ip = HostIp(ip);
    config.mask = HostIp(mask);
    config.model = model;
    config.serial = serial;
    config.mac[5] = macLast;
    config.ipConfig = ipConfig;
    return config;
}

// Writes as "address=value", so that a failing comparison shows the whole sequence.
std::vector<std::string> WritesTo(const NamespaceCamera& cam)
{
    std::vector<std::string> writes;
    for (const ReceivedCommand& c : cam.Writes()) {
        char text[32];
        std::snprintf(text, sizeof text, "0x%04x=0x%08x", c.address, c.value);
        writes.push_back(text);
    }
    return writes;
}

std::string W(uint32_t address, const char* dotted)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%04x=0x%08x", address, HostIp(dotted));
    return text;
}

class IpConfigCli : public ::testing::Test
{
protected:
    void SetUp() override
    {
        emulator::CameraConfig a = Camera("192.168.1.20", "255.255.255.0", "CAM-A", "A1", 1,
                                          gvcp::IPCFG_DHCP | gvcp::IPCFG_LLA);
        a.gateway = HostIp("192.168.1.1");
        a.user = "Line1";
        emulator::CameraConfig c = Camera("172.16.7.30", "255.255.0.0", "CAM-C", "C3", 3,
                                          gvcp::IPCFG_PERSISTENT | gvcp::IPCFG_LLA);
        c.gateway = HostIp("172.16.0.1");
        A = Start(0, 0, a);
        B = Start(0, 1, Camera("10.0.0.20", "255.255.255.0", "CAM-B", "B2", 2, gvcp::IPCFG_LLA));
        C = Start(1, 0, c);
        D = Start(1, 1, Camera("172.16.7.40", "255.255.0.0", "CAM-D", "D4", 4, gvcp::IPCFG_LLA));
        D->RefuseRead(gvcp::REG_PERSISTENT_IP, gvcp::kStatusAccessDenied);
    }

    static std::unique_ptr<NamespaceCamera> Start(int iface, size_t k,
                                                  const emulator::CameraConfig& config)
    {
        auto cam = std::make_unique<NamespaceCamera>(CameraNamespaces(iface).at(k), config);
        EXPECT_TRUE(cam->IsRunning()) << cam->Error();
        return cam;
    }

    bool NothingWritten() const
    {
        for (const auto* cam : {A.get(), B.get(), C.get(), D.get()})
            if (!cam->Writes().empty() || cam->Received(gvcp::FORCEIP_CMD))
                return false;
        return true;
    }

    std::unique_ptr<NamespaceCamera> A, B, C, D;
};

const char* const kShortSearch = "--timeout=200";

TEST_F(IpConfigCli, ListJsonGivesEveryCameraSortedWithItsStatus)
{
    const ToolRun run = RunTool({"list", "--json", kShortSearch});
    EXPECT_EQ(run.code, 0) << run.err;
    const char* const camera = R"(    {
      "interface": "%s",
      "mac": "02:00:00:00:00:0%d",
      "ip": "%s",
      "mask": "%s",
      "gateway": "%s",
      "model": "CAM-%c",
      "serial": "%c%d",
      "user_name": "%s",
      "ip_config": {
        "persistent": %s,
        "dhcp": %s,
        "lla": true
      },
      "persistent": %s,
      "status": "%s"
    })";
    const std::string zeros = R"({
        "ip": "0.0.0.0",
        "mask": "0.0.0.0",
        "gateway": "0.0.0.0"
      })";
    auto entry = [&](const char* iface, int n, const char* ip, const char* mask, const char* gw,
                     const char* user, bool persistent, bool dhcp, const std::string& registers,
                     const char* status) {
        char text[1024];
        const char letter = char('A' + n - 1);
        std::snprintf(text, sizeof text, camera, iface, n, ip, mask, gw, letter, letter, n, user,
                      persistent ? "true" : "false", dhcp ? "true" : "false", registers.c_str(),
                      status);
        return std::string(text);
    };
    // By interface, then address: B (10.0.0.20) before A on gv0.
    const std::string expected =
        R"({
  "interfaces": [
    {
      "name": "gv0",
      "ip": "192.168.1.5",
      "mask": "255.255.255.0",
      "mtu": 1500,
      "up": true
    },
    {
      "name": "gv1",
      "ip": "172.16.5.5",
      "mask": "255.255.0.0",
      "mtu": 9000,
      "up": true
    }
  ],
  "cameras": [
)" +
        entry("gv0", 2, "10.0.0.20", "255.255.255.0", "0.0.0.0", "", false, false, "null",
              "Unreachable") +
        ",\n" +
        entry("gv0", 1, "192.168.1.20", "255.255.255.0", "192.168.1.1", "Line1", false, true, zeros,
              "Normal") +
        ",\n" +
        entry("gv1", 3, "172.16.7.30", "255.255.0.0", "172.16.0.1", "", true, false, zeros,
              "Normal") +
        ",\n" +
        entry("gv1", 4, "172.16.7.40", "255.255.0.0", "0.0.0.0", "", false, false, "null",
              "Access Denied") +
        "\n  ]\n}\n";
    EXPECT_EQ(run.out, expected);
}

// Every address the window refuses is refused here too, by set-ip and by force-ip, with the
// same reason and exit code 1, and nothing reaches any camera.
TEST_F(IpConfigCli, RefusedAddressesWriteNothing)
{
    const struct
    {
        std::vector<std::string> address;
        std::string reason;
    } refused[] = {
        {{"0.0.0.0", "255.255.255.0", "0.0.0.0"}, "0.0.0.0 is not a camera address"},
        {{"255.255.255.255", "255.255.255.0", "0.0.0.0"}, "broadcast address of every network"},
        {{"224.0.0.1", "255.255.255.0", "0.0.0.0"}, "it is a multicast address"},
        {{"240.0.0.1", "255.255.255.0", "0.0.0.0"}, "it is a reserved address"},
        {{"127.0.0.1", "255.0.0.0", "0.0.0.0"}, "it is a loopback address"},
        {{"192.168.1.40", "255.255.0.255", "0.0.0.0"}, "Subnet mask 255.255.0.255 is not valid"},
        {{"192.168.1.0", "255.255.255.0", "0.0.0.0"}, "network address of subnet 192.168.1.0/24"},
        {{"192.168.1.255", "255.0.0.0", "0.0.0.0"},
         "broadcast address of subnet 192.168.1.0/24 of this PC's interface gv0"},
        {{"192.168.1.40", "255.255.255.0", "10.0.0.1"}, "Gateway 10.0.0.1 is outside"},
        {{"192.168.1.5", "255.255.255.0", "0.0.0.0"}, "address of this PC's interface gv0"},
        {{"192.168.1.6", "255.255.255.0", "0.0.0.0"}, "address of this PC's interface gv0"},
        {{"192.168.1.77", "255.255.255.0", "0.0.0.0"},
         "192.168.1.77 is already in use: a device with MAC"},
        {{"10.1.1.1", "255.255.255.0", "0.0.0.0"},
         "outside the subnet of interface gv0 (192.168.1.0/24): the camera will not be reachable "
         "from this interface. Add --outside-subnet"},
    };
    // A is changed by set-ip, B (unreachable) by force-ip; each refuses the other's address.
    // The runs write nothing, so they all run at once.
    std::vector<std::vector<std::string>> runs;
    std::vector<std::string> reasons;
    for (const bool set : {true, false}) {
        std::vector<std::pair<std::vector<std::string>, std::string>> addresses;
        for (const auto& r : refused)
            addresses.emplace_back(r.address, r.reason);
        addresses.push_back({{set ? "10.0.0.20" : "192.168.1.20", "255.255.255.0", "0.0.0.0"},
                             "is already used by camera CAM-"});
        for (const auto& [address, reason] : addresses) {
            std::vector<std::string> args = {set ? "set-ip" : "force-ip",
                                             set ? "02:00:00:00:00:01" : "--serial=B2"};
            args.insert(args.end(), address.begin(), address.end());
            // A longer search: the runs share the processor.
            args.insert(args.end(), {"--persistent", "--yes", "--timeout=600"});
            runs.push_back(args);
            reasons.push_back(reason);
        }
    }
    const std::vector<ToolRun> results = RunTools(runs);
    for (size_t k = 0; k < runs.size(); ++k) {
        const ToolRun& run = results[k];
        EXPECT_EQ(run.code, 1) << runs[k][0] << " " << runs[k][2] << ": " << run.err;
        EXPECT_NE(run.err.find(reasons[k]), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("Nothing was written to the camera."), std::string::npos);
    }
    EXPECT_TRUE(NothingWritten());
}

// set-ip writes what "Set Camera Info" writes with Static ticked: persistent gateway, mask and
// address, then the IP configuration, then FORCEIP; --dry-run shows it and writes nothing.
TEST_F(IpConfigCli, SetIpChangesTheRegistersAsTheWindowDoes)
{
    const std::vector<std::string> args = {
        "set-ip",        "02:00:00:00:00:01", "192.168.1.50", "255.255.255.0",
        "192.168.1.254", "--persistent",      "--dhcp",       "off",
        kShortSearch};
    const std::string plan = "Camera: CAM-A, serial A1, MAC 02:00:00:00:00:01, at 192.168.1.20 "
                             "on gv0\n"
                             "  IP Address: 192.168.1.20 \u2192 192.168.1.50\n"
                             "  Gateway: 192.168.1.1 \u2192 192.168.1.254\n"
                             "  Static: off \u2192 on\n"
                             "  DHCP: on \u2192 off\n";
    std::vector<std::string> dry = args;
    dry.push_back("--dry-run");
    ToolRun run = RunTool(dry);
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, plan + "Dry run: nothing was written.\n");
    EXPECT_TRUE(NothingWritten());

    std::vector<std::string> write = args;
    write.push_back("--yes");
    run = RunTool(write);
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, plan + "Done.\n");
    EXPECT_EQ(WritesTo(*A),
              (std::vector<std::string>{W(gvcp::REG_PERSISTENT_GATEWAY, "192.168.1.254"),
                                        W(gvcp::REG_PERSISTENT_MASK, "255.255.255.0"),
                                        W(gvcp::REG_PERSISTENT_IP, "192.168.1.50"),
                                        W(gvcp::REG_IP_CONFIGURATION, "0.0.0.5")}));
    EXPECT_TRUE(A->Received(gvcp::FORCEIP_CMD));
    EXPECT_EQ(A->Ip(), HostIp("192.168.1.50"));
}

// force-ip sends FORCEIP first, then makes the address persistent at the new address, as
// "Set Static IP" does.
TEST_F(IpConfigCli, ForceIpMovesAnUnreachableCameraAndKeepsTheAddress)
{
    const ToolRun run = RunTool({"force-ip", "--serial", "B2", "192.168.1.60", "255.255.255.0",
                                 "192.168.1.1", "--persistent", "--yes", kShortSearch});
    EXPECT_EQ(run.code, 0) << run.err;
    // After the tool's search, FORCEIP comes first.
    std::vector<ReceivedCommand> commands = B->Commands();
    commands.erase(commands.begin(), std::find_if(commands.begin(), commands.end(), [](auto& c) {
                       return c.command != gvcp::DISCOVERY_CMD;
                   }));
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.front().command, gvcp::FORCEIP_CMD);
    EXPECT_EQ(commands.front().value, HostIp("192.168.1.60"));
    EXPECT_EQ(B->Ip(), HostIp("192.168.1.60"));
    EXPECT_EQ(WritesTo(*B),
              (std::vector<std::string>{W(gvcp::REG_PERSISTENT_GATEWAY, "192.168.1.1"),
                                        W(gvcp::REG_PERSISTENT_MASK, "255.255.255.0"),
                                        W(gvcp::REG_PERSISTENT_IP, "192.168.1.60"),
                                        W(gvcp::REG_IP_CONFIGURATION, "0.0.0.5")}));
}

// set-name fills the four user-name registers (16 bytes, no terminator when the name takes
// them all) and gives the control privilege back; a camera that was found but does not
// acknowledge the write gives exit code 4.
TEST_F(IpConfigCli, SetNameWritesTheUserNameRegisters)
{
    ToolRun run =
        RunTool({"set-name", "02:00:00:00:00:01", "Line7-0123456789", "--yes", kShortSearch});
    EXPECT_EQ(run.code, 0) << run.err;
    std::vector<uint32_t> name;
    for (uint32_t reg = gvcp::REG_USER_NAME; reg < gvcp::REG_USER_NAME + 16; reg += 4)
        name.push_back(A->Register(reg));
    EXPECT_EQ(name, (std::vector<uint32_t>{0x4C696E65, 0x372D3031, 0x32333435, 0x36373839}));
    EXPECT_EQ(A->Register(gvcp::REG_CCP), 0u);

    C->IgnoreWrite(gvcp::REG_USER_NAME);
    run = RunTool({"set-name", "--serial", "C3", "Line8", "--yes", kShortSearch});
    EXPECT_EQ(run.code, 4) << run.err;
    EXPECT_NE(run.err.find("writing the user name: the camera did not acknowledge."),
              std::string::npos)
        << run.err;
}

TEST_F(IpConfigCli, ExitCodesOfAnUnknownCameraAndAMissingYes)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"set-ip", "02:00:00:00:00:09", "192.168.1.50", "255.255.255.0",
                                   "0.0.0.0"},
          std::vector<std::string>{"force-ip", "02:00:00:00:00:09", "192.168.1.50", "255.255.255.0",
                                   "0.0.0.0"},
          std::vector<std::string>{"set-name", "02:00:00:00:00:09", "Line9"}}) {
        std::vector<std::string> yes = args;
        yes.insert(yes.end(), {"--yes", kShortSearch});
        const ToolRun unknown = RunTool(yes);
        EXPECT_EQ(unknown.code, 3) << unknown.err;
        EXPECT_NE(unknown.err.find("no camera with MAC 02:00:00:00:00:09 answered on gv0, gv1."),
                  std::string::npos)
            << unknown.err;
        EXPECT_EQ(RunTool(args).code, 2); // refused before anything is searched
    }
    EXPECT_TRUE(NothingWritten());
}

// net/cli-check.sh: gv0 (MTU 1500) filters strictly by reverse path and has a camera outside
// its subnet behind it; gv1 and gv2 share a subnet.
TEST(IpConfigCliCheck, FindsTheProblemsSetUpInTheTestNetwork)
{
    NamespaceCamera outside(CameraNamespaces(0).at(0),
                            Camera("10.0.0.20", "255.255.255.0", "CAM-O", "O1", 9, 4));
    ASSERT_TRUE(outside.IsRunning()) << outside.Error();
    const ToolRun run = RunTool({"check", "--json", kShortSearch});
    EXPECT_EQ(run.code, 1) << run.err;
    std::string expected = R"({
  "findings": [
    {
      "interface": "gv0",
      "kind": "mtu",
      "explanation": "gv0 has MTU 1500: streaming at full rate needs jumbo frames (MTU 9000), or frames are split and lost.",
      "fix": "sudo ip link set gv0 mtu 9000"
    },
    {
      "interface": "gv0",
      "kind": "rp_filter",
      "explanation": "gv0 filters strictly by reverse path (rp_filter=1): answers of cameras outside 192.168.1.0/24 are dropped unless a route to their subnet leads through gv0 (1 dropped during the search).",
      "fix": "sudo sysctl -w net.ipv4.conf.gv0.rp_filter=0"
    },
    {
      "interface": "gv2",
      "kind": "shared_subnet",
      "explanation": "gv1 and gv2 are both in subnet 192.168.2.0/24: the PC may send a camera's traffic out through the wrong one.",
      "fix": "sudo ip addr del 192.168.2.6/24 dev gv2 && sudo ip addr add 192.168.3.6/24 dev gv2"
    })";
    // The machine's own socket buffer limit is read, never changed.
    uint64_t rmemMax = 0;
    std::ifstream("/proc/sys/net/core/rmem_max") >> rmemMax;
    if (rmemMax < (32u << 20))
        expected +=
            R"(,
    {
      "interface": null,
      "kind": "rmem_max",
      "explanation": "net.core.rmem_max is )" +
            std::to_string(rmemMax) +
            R"( bytes: streaming at full rate needs socket buffers of 32 MiB, or packets are lost.",
      "fix": "sudo sysctl -w net.core.rmem_max=33554432"
    })";
    EXPECT_EQ(run.out, expected + "\n  ]\n}\n");
}

} // namespace

int main(int argc, char** argv)
{
    return nettest::RunInsideTestNetwork(argc, argv);
}
