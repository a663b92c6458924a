#include "AddressProbe.h"

#include "GvcpSocket.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <netinet/in.h>
#include <thread>

namespace gvcp {

namespace {

constexpr uint16_t kProbeRequestId = 1;
constexpr auto kPollInterval = std::chrono::milliseconds(20);
// Once the address is resolved, a device that speaks GVCP has this long to say who it is.
constexpr auto kGvcpGrace = std::chrono::milliseconds(50);

// The ARP table of this thread's network namespace.
std::string ReadArpTable()
{
    for (const char* path : {"/proc/thread-self/net/arp", "/proc/net/arp"}) {
        std::ifstream in(path);
        if (in)
            return std::string(std::istreambuf_iterator<char>(in), {});
    }
    return {};
}

// A discovery answer from the probed address, or false.
bool ReadAnswer(UdpSocket& socket, uint32_t ip, KnownCamera* device)
{
    uint8_t buffer[kReceiveBufferSize];
    uint32_t fromIp = 0;
    const long size = socket.Receive(buffer, sizeof buffer, &fromIp);
    CamInfo info;
    if (size <= 0 || ParseDiscoveryAck(buffer, size_t(size), kProbeRequestId, 0, &info) != kSuccess)
        return false;
    *device = KnownCamera::From(info);
    return ntohl(fromIp) == ip || device->ip == ip;
}

} // namespace

ProbeFinding ProbeAddress(uint32_t interfaceIp, uint32_t ip, std::chrono::milliseconds window)
{
    ProbeFinding finding;
    // Bound to all addresses, so that an answer sent by broadcast is heard as well.
    UdpSocket socket;
    if (!socket.Open() || socket.Bind(htonl(INADDR_ANY), 0) != 0)
        return finding;
    const std::vector<uint8_t> command = BuildDiscoveryCommand(kProbeRequestId);
    if (socket.SendFrom(htonl(interfaceIp), htonl(ip), kPort, command.data(), command.size()) < 0)
        return finding; // no route to the address: nothing to learn here

    auto deadline = Clock::now() + window;
    for (;;) {
        const auto now = Clock::now();
        if (now >= deadline)
            return finding;
        switch (WaitReadable(socket.Fd(), std::min(deadline, now + kPollInterval))) {
        case WaitResult::Failed:
            return finding;
        case WaitResult::Readable: {
            KnownCamera device;
            if (ReadAnswer(socket, ip, &device))
                return {ProbeFinding::Source::Gvcp, device};
            break;
        }
        case WaitResult::TimedOut:
            break;
        }
        MacAddress mac;
        if (finding.source == ProbeFinding::Source::Nothing &&
            FindNeighbour(ReadArpTable(), ip, &mac)) {
            finding.source = ProbeFinding::Source::Neighbour;
            finding.device.mac = mac;
            finding.device.ip = ip;
            deadline = std::min(deadline, Clock::now() + kGvcpGrace);
        }
    }
}

bool AwaitCamera(uint32_t interfaceIp, uint32_t ip, const MacAddress& mac,
                 std::chrono::milliseconds within)
{
    const auto deadline = Clock::now() + within;
    do {
        const ProbeFinding found = ProbeAddress(interfaceIp, ip);
        if (found.source == ProbeFinding::Source::Gvcp && found.device.mac == mac)
            return true;
        // A probe that could not be sent returns at once: wait out the window all the same.
        std::this_thread::sleep_until(std::min(deadline, Clock::now() + kPollInterval));
    } while (Clock::now() < deadline);
    return false;
}

} // namespace gvcp
