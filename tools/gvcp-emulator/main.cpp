// orvanta-gige-emulator: emulates one or more GigE Vision devices on UDP port 3956.
//   orvanta-gige-emulator [--iface NAME] [--port N] [--log 1] --camera OPTIONS [--camera ...]
// With --iface the devices' addresses are put on that interface (and moved on FORCEIP).
// With --log every datagram received is printed as "rx <ip>:<port> <hex bytes> t=<us>".
// Prints "ready" once every socket is bound; stops on SIGTERM or SIGINT.
#include "CameraOptions.h"
#include "EmulatedCamera.h"
#include "GvcpMessages.h"
#include "GvcpSocket.h"
#include "InterfaceAddresses.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <queue>
#include <vector>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int)
{
    g_stop = 1;
}

struct Device
{
    emulator::EmulatedCamera camera;
    gvcp::UdpSocket socket;
    uint32_t boundIp = 0; // host order
    uint32_t boundMask = 0;
};

struct Pending
{
    emulator::Clock::time_point due;
    size_t order;
    size_t device;
    emulator::Outgoing message;
    bool operator>(const Pending& o) const { return due != o.due ? due > o.due : order > o.order; }
};

bool OpenBound(gvcp::UdpSocket* socket, uint32_t hostOrderIp, uint16_t port)
{
    return socket->Open() && socket->EnableReuseAddress() == 0 && socket->EnableBroadcast() == 0 &&
           socket->Bind(htonl(hostOrderIp), port) == 0;
}

class Emulator
{
public:
    Emulator(std::vector<emulator::CameraConfig> configs, const std::string& iface, uint16_t port,
             bool log)
        : m_port(port), m_log(log)
    {
        if (!iface.empty())
            m_addresses = std::make_unique<emulator::InterfaceAddresses>(iface);
        for (const auto& config : configs)
            m_devices.push_back(
                std::make_unique<Device>(Device{emulator::EmulatedCamera(config), {}, 0, 0}));
    }

    bool Start()
    {
        if (m_addresses && !m_addresses->IsValid())
            return Fail("cannot manage the addresses of the interface");
        if (!OpenBound(&m_any, INADDR_ANY, m_port))
            return Fail("cannot bind the broadcast socket");
        for (auto& device : m_devices)
            if (!Bind(*device))
                return false;
        return true;
    }

    void Run()
    {
        while (!g_stop) {
            std::vector<pollfd> fds;
            fds.push_back({m_any.Fd(), POLLIN, 0});
            for (auto& device : m_devices)
                fds.push_back({device->socket.Fd(), POLLIN, 0});
            if (::poll(fds.data(), fds.size(), TimeToNextSendMs()) < 0 && errno != EINTR)
                break;
            const auto now = emulator::Clock::now();
            if (fds[0].revents & POLLIN)
                Receive(m_any, nullptr, now);
            for (size_t i = 0; i < m_devices.size(); ++i)
                if (fds[i + 1].revents & POLLIN)
                    Receive(m_devices[i]->socket, m_devices[i].get(), now);
            SendDue();
        }
    }

private:
    static bool Fail(const char* what)
    {
        std::fprintf(stderr, "orvanta-gige-emulator: %s: %s\n", what, std::strerror(errno));
        return false;
    }

    bool Bind(Device& device)
    {
        const uint32_t ip = device.camera.Ip();
        const uint32_t mask = device.camera.Mask();
        if (m_addresses && device.boundIp != 0 && !AddressInUse(device.boundIp, &device))
            m_addresses->Remove(device.boundIp, device.boundMask);
        if (m_addresses && !m_addresses->Add(ip, mask))
            return Fail("cannot add a device address to the interface");
        device.boundIp = ip;
        device.boundMask = mask;
        if (!OpenBound(&device.socket, ip, m_port))
            return Fail("cannot bind a device socket");
        return true;
    }

    bool AddressInUse(uint32_t ip, const Device* except) const
    {
        for (const auto& device : m_devices)
            if (device.get() != except && device->boundIp == ip)
                return true;
        return false;
    }

    // A datagram on the all-addresses socket (broadcast) goes to every device.
    void Receive(gvcp::UdpSocket& socket, Device* only, emulator::Clock::time_point now)
    {
        uint8_t buffer[2048];
        uint32_t fromIp = 0;
        uint16_t fromPort = 0;
        const long size = socket.Receive(buffer, sizeof buffer, &fromIp, &fromPort);
        if (size < 0)
            return;
        const emulator::Peer from{ntohl(fromIp), fromPort};
        if (m_log)
            Log(from, buffer, size_t(size));
        for (size_t i = 0; i < m_devices.size(); ++i) {
            Device& device = *m_devices[i];
            if (only && only != &device)
                continue;
            auto answers = device.camera.Handle(buffer, size_t(size), from, now);
            if (device.camera.Ip() != device.boundIp)
                Bind(device);
            for (auto& answer : answers)
                m_pending.push({now + std::chrono::milliseconds(answer.delayMs), m_order++, i,
                                std::move(answer)});
        }
    }

    static void Log(const emulator::Peer& from, const uint8_t* data, size_t size)
    {
        std::printf("rx %u.%u.%u.%u:%u ", from.ip >> 24, (from.ip >> 16) & 0xFF,
                    (from.ip >> 8) & 0xFF, from.ip & 0xFF, from.port);
        for (size_t i = 0; i < size; ++i)
            std::printf("%02x", data[i]);
        const auto us = std::chrono::duration_cast<std::chrono::microseconds>(
                            emulator::Clock::now().time_since_epoch())
                            .count();
        std::printf(" t=%lld\n", static_cast<long long>(us));
        std::fflush(stdout);
    }

    int TimeToNextSendMs() const
    {
        if (m_pending.empty())
            return 200;
        const auto left = m_pending.top().due - emulator::Clock::now();
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(left).count();
        return ms <= 0 ? 0 : int(ms) + 1;
    }

    void SendDue()
    {
        const auto now = emulator::Clock::now();
        while (!m_pending.empty() && m_pending.top().due <= now) {
            const Pending& next = m_pending.top();
            const emulator::Outgoing& message = next.message;
            m_devices[next.device]->socket.SendTo(htonl(message.to.ip), message.to.port,
                                                  message.bytes.data(), message.bytes.size());
            m_pending.pop();
        }
    }

    uint16_t m_port;
    bool m_log;
    std::unique_ptr<emulator::InterfaceAddresses> m_addresses;
    std::vector<std::unique_ptr<Device>> m_devices;
    gvcp::UdpSocket m_any;
    std::priority_queue<Pending, std::vector<Pending>, std::greater<Pending>> m_pending;
    size_t m_order = 0;
};

int Usage()
{
    std::fprintf(stderr, "usage: orvanta-gige-emulator [--iface NAME] [--port N] --camera "
                         "mac=..,ip=..[,mask=..,gw=..,model=..,serial=..,user=..,...] ...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<emulator::CameraConfig> configs;
    std::string iface;
    uint16_t port = gvcp::kPort;
    bool log = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            return Usage();
        const std::string value = argv[++i];
        if (arg == "--iface") {
            iface = value;
        } else if (arg == "--port") {
            port = uint16_t(std::atoi(value.c_str()));
        } else if (arg == "--log") {
            log = value == "1";
        } else if (arg == "--camera") {
            emulator::CameraConfig config;
            std::string error;
            if (!emulator::ParseCameraOptions(value, &config, &error)) {
                std::fprintf(stderr, "orvanta-gige-emulator: %s\n", error.c_str());
                return 2;
            }
            configs.push_back(config);
        } else {
            return Usage();
        }
    }
    if (configs.empty())
        return Usage();
    struct sigaction action
    {};
    action.sa_handler = OnSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    Emulator emulator(configs, iface, port, log);
    if (!emulator.Start())
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    emulator.Run();
    return 0;
}
