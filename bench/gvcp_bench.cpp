// GVCP figures inside the test network (run it through tools/netns/testnet.sh, see
// bench/gvcp.cmake): READREG round trips of our client against the emulator, side by side
// with the same number of register reads by the Debian GigE Vision command-line client, and
// one discovery with 50 emulated cameras behind one interface.
#include "DeviceControl.h"
#include "DeviceDiscovery.h"
#include "PeerProcess.h"
#include "TestnetGuard.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <sstream>

namespace {

using Clock = std::chrono::steady_clock;

struct Figures
{
    double median;
    double p99;
};

Figures Percentiles(std::vector<double> us)
{
    if (us.empty())
        return {0, 0};
    std::sort(us.begin(), us.end());
    return {us[us.size() / 2], us[std::min(us.size() - 1, us.size() * 99 / 100)]};
}

// Intervals between the READREG commands the emulator received from one client, in µs.
std::vector<double> CommandIntervals(const std::string& log)
{
    std::vector<long long> times;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) {
        const size_t t = line.find(" t=");
        if (line.rfind("rx ", 0) == 0 && line.find(" 42010080") != std::string::npos &&
            t != std::string::npos)
            times.push_back(std::stoll(line.substr(t + 3)));
    }
    std::vector<double> out;
    for (size_t i = 1; i < times.size(); ++i)
        out.push_back(double(times[i] - times[i - 1]));
    return out;
}

std::unique_ptr<testnet::PeerProcess> Emulator(const std::vector<std::string>& cameras, bool log)
{
    std::vector<std::string> argv = {testnet::Env("ORVANTA_EMULATOR"), "--iface", "eth0", "--log",
                                     log ? "1" : "0"};
    for (const auto& c : cameras) {
        argv.push_back("--camera");
        argv.push_back(c);
    }
    const std::string ns = testnet::EnvList("TESTNET_CAM_NS_0").at(0);
    auto peer = std::make_unique<testnet::PeerProcess>(testnet::InNamespace(ns, argv));
    if (!peer->WaitFor("ready"))
        std::fprintf(stderr, "emulator did not start: %s\n", peer->Output().c_str());
    return peer;
}

void ReadRegisterRoundTrips(int count)
{
    const std::string camera = "10.10.1.40";
    const int hostIp = int(inet_addr(testnet::EnvList("TESTNET_HOST_IPS").at(0).c_str()));
    {
        auto emulator = Emulator({"mac=02:00:00:00:00:40,ip=" + camera}, true);
        CDeviceControl control(hostIp, 0);
        std::vector<double> us;
        int failures = 0;
        for (int i = 0; i < count; ++i) {
            int request[1] = {int(htonl(gvcp::REG_PERSISTENT_IP))};
            int* data = nullptr;
            int length = 0;
            const auto start = Clock::now();
            const int r = control.GevSendCommand(gvcp::READREG_CMD, int(inet_addr(camera.c_str())),
                                                 request, 4, &data, &length);
            us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
            failures += r != 0;
            delete[] data;
        }
        const Figures own = Percentiles(us);
        const Figures ownWire = Percentiles(CommandIntervals(emulator->Output()));
        std::printf("READREG x%d, our client:        round trip median %.0f us, p99 %.0f us; "
                    "interval at the device median %.0f us, p99 %.0f us; failures %d\n",
                    count, own.median, own.p99, ownWire.median, ownWire.p99, failures);
    }
    {
        auto emulator = Emulator({"mac=02:00:00:00:00:40,ip=" + camera}, true);
        std::vector<std::string> argv = {"arv-tool-0.8", "-a", camera, "control"};
        for (int i = 0; i < count; ++i)
            argv.push_back("R[0x064C]");
        testnet::PeerProcess tool(argv);
        const auto start = Clock::now();
        const int status = tool.Wait(120000);
        const double total =
            std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        const Figures other = Percentiles(CommandIntervals(emulator->Output()));
        std::printf("READREG x%d, the Debian client: interval at the device median %.0f us, p99 "
                    "%.0f us (whole run %.0f ms with start-up, exit status %d)\n",
                    count, other.median, other.p99, total, status);
    }
}

void DiscoveryOfFifty()
{
    std::vector<std::string> cameras;
    for (int i = 0; i < 50; ++i) {
        char cameraArg[160];
        std::snprintf(cameraArg, sizeof cameraArg,
                      "mac=02:00:00:00:01:%02x,ip=10.10.1.%d,serial=BENCH%02d,model=Bench", i,
                      100 + i, i);
        cameras.push_back(cameraArg);
    }
    auto emulator = Emulator(cameras, false);
    const int hostIp = int(inet_addr(testnet::EnvList("TESTNET_HOST_IPS").at(0).c_str()));

    std::vector<CamInfo*> found;
    {
        CDeviceDiscovery discovery(hostIp, 9000);
        discovery.SearchDevice(&found, 1500);
    }
    const size_t count = found.size();
    for (CamInfo* c : found)
        delete c;

    // Arrival times, with the same message code on a socket of the same kind.
    gvcp::UdpSocket socket;
    socket.Open();
    socket.Bind(INADDR_ANY, 9001);
    socket.EnableBroadcast();
    const auto command = gvcp::BuildDiscoveryCommand(1);
    const auto start = Clock::now();
    socket.SendFrom(uint32_t(hostIp), htonl(INADDR_BROADCAST), gvcp::kPort, command.data(),
                    command.size());
    const auto deadline = start + std::chrono::milliseconds(1500);
    double last = 0;
    int answers = 0;
    uint8_t buffer[gvcp::kReceiveBufferSize];
    while (gvcp::WaitReadable(socket.Fd(), deadline) == gvcp::WaitResult::Readable) {
        const long n = socket.Receive(buffer, sizeof buffer);
        CamInfo info;
        if (n > 0 && gvcp::ParseDiscoveryAck(buffer, size_t(n), 1, uint32_t(hostIp), &info) == 0) {
            ++answers;
            last = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        }
    }
    std::printf("Discovery, 50 cameras behind one interface: %zu found by one search in the "
                "1.5 s window; in a second run %d answers, the last %.2f ms after sending\n",
                count, answers, last);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string why = testnet::WhyNotInsideTestNetwork();
    if (!why.empty()) {
        std::fprintf(stderr, "refusing to run: %s\n", why.c_str());
        return 1;
    }
    const int count = argc > 1 ? std::atoi(argv[1]) : 2000;
    ReadRegisterRoundTrips(count);
    DiscoveryOfFifty();
    return 0;
}
