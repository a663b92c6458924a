#include "namespacecamera.h"

#include "GvcpMessages.h"
#include "GvcpSocket.h"
#include "InterfaceAddresses.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <sched.h>
#include <sstream>
#include <unistd.h>

namespace {

constexpr uint32_t kOtherControllerIp = 0x0A0A0A0A;
constexpr uint16_t kOtherControllerPort = 40000;
constexpr uint32_t kHeartbeatTimeout = 0x0938;

// Fulfils the promise once: explicitly when the camera listens, else when Serve() gives up.
class ReadySignal
{
public:
    explicit ReadySignal(std::promise<void>& ready) : m_ready(ready) {}
    ~ReadySignal() { Fire(); }
    void Fire()
    {
        if (!m_fired) {
            m_fired = true;
            m_ready.set_value();
        }
    }

private:
    std::promise<void>& m_ready;
    bool m_fired = false;
};

// An acknowledge that refuses one READREG or WRITEREG with `status`.
std::vector<uint8_t> Refusal(uint16_t command, uint16_t reqId, uint16_t status)
{
    std::vector<uint8_t> ack(gvcp::kHeaderSize + 4, 0);
    gvcp::WriteBe16(ack.data(), status);
    gvcp::WriteBe16(ack.data() + 2, uint16_t(command + 1));
    gvcp::WriteBe16(ack.data() + 4, command == gvcp::WRITEREG_CMD ? 4 : 0);
    gvcp::WriteBe16(ack.data() + 6, reqId);
    if (command != gvcp::WRITEREG_CMD) {
        ack.resize(gvcp::kHeaderSize);
    }
    return ack;
}

} // namespace

NamespaceCamera::NamespaceCamera(const std::string& ns, const emulator::CameraConfig& config)
    : m_camera(config)
{
    std::promise<void> ready;
    std::future<void> started = ready.get_future();
    m_thread = std::thread([this, ns, &ready] { Serve(ns, ready); });
    started.wait();
}

NamespaceCamera::~NamespaceCamera()
{
    m_stop = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

std::string NamespaceCamera::Error() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_error;
}

bool NamespaceCamera::Enter(const std::string& ns)
{
    const int fd = ::open(("/run/netns/" + ns).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    // Only this thread changes its network namespace; the test's other threads stay put.
    const bool entered = ::setns(fd, CLONE_NEWNET) == 0;
    const int why = errno;
    ::close(fd);
    errno = why; // the caller reports why setns failed, not close's status
    return entered;
}

void NamespaceCamera::Serve(const std::string& ns, std::promise<void>& ready)
{
    ReadySignal signal(ready);
    auto fail = [this](const std::string& why) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_error = why;
    };
    if (ns.empty() || !Enter(ns)) {
        return fail("cannot enter camera namespace '" + ns + "': " + std::strerror(errno));
    }
    emulator::InterfaceAddresses addresses("eth0");
    uint32_t ip = 0;
    uint32_t mask = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ip = m_camera.Ip();
        mask = m_camera.Mask();
    }
    if (!addresses.IsValid() || !addresses.Add(ip, mask)) {
        return fail("cannot put the camera's address on eth0");
    }
    gvcp::UdpSocket socket;
    if (!socket.Open() || socket.EnableReuseAddress() != 0 || socket.EnableBroadcast() != 0 ||
        socket.Bind(INADDR_ANY, gvcp::kPort) != 0) {
        return fail("cannot bind the camera socket");
    }
    m_running = true;
    signal.Fire();

    uint8_t buffer[2048];
    while (!m_stop) {
        const auto deadline = gvcp::Clock::now() + std::chrono::milliseconds(50);
        if (gvcp::WaitReadable(socket.Fd(), deadline) != gvcp::WaitResult::Readable) {
            continue;
        }
        uint32_t fromIp = 0;
        uint16_t fromPort = 0;
        const long size = socket.Receive(buffer, sizeof buffer, &fromIp, &fromPort);
        if (size <= 0) {
            continue;
        }
        const std::vector<emulator::Outgoing> answers =
            Handle(buffer, size_t(size), {ntohl(fromIp), fromPort});
        uint32_t newIp = 0;
        uint32_t newMask = 0;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            newIp = m_camera.Ip();
            newMask = m_camera.Mask();
        }
        if (newIp != ip) { // FORCEIP: the camera moves to its new address
            // Old one first: removing a primary address also drops the secondaries of its
            // subnet, which the new one would be.
            addresses.Remove(ip, mask);
            addresses.Add(newIp, newMask);
            ip = newIp;
            mask = newMask;
        }
        // Sent from the camera's address: a broadcast answer then leaves through eth0 without
        // needing a route (removing a namespace's last address also removes its routes).
        for (const emulator::Outgoing& answer : answers) {
            socket.SendFrom(htonl(ip), htonl(answer.to.ip), answer.to.port, answer.bytes.data(),
                            answer.bytes.size());
        }
    }
    addresses.Remove(ip, mask); // the next camera of this namespace starts afresh
    m_running = false;
}

bool NamespaceCamera::Refused(uint16_t command, uint32_t address, uint16_t* status) const
{
    const auto& refused = command == gvcp::WRITEREG_CMD ? m_refusedWrites : m_refusedReads;
    const auto it = refused.find(address);
    if (it == refused.end()) {
        return false;
    }
    *status = it->second;
    return true;
}

std::vector<emulator::Outgoing> NamespaceCamera::Handle(const uint8_t* data, size_t size,
                                                        const emulator::Peer& from)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ReceivedCommand received;
    if (size >= gvcp::kHeaderSize) {
        received.command = gvcp::ReadBe16(data + 2);
        if (size >= gvcp::kHeaderSize + 4) {
            received.address = gvcp::ReadBe32(data + 8);
        }
        if (received.command == gvcp::WRITEREG_CMD && size >= gvcp::kHeaderSize + 8) {
            received.value = gvcp::ReadBe32(data + 12);
        }
        if (received.command == gvcp::FORCEIP_CMD && size >= gvcp::kForceIpSize) {
            received.value = gvcp::ReadBe32(data + 28);
        }
    }
    received.fromPort = from.port;

    std::vector<emulator::Outgoing> answers;
    uint16_t status = 0;
    const bool registerAccess =
        received.command == gvcp::READREG_CMD || received.command == gvcp::WRITEREG_CMD;
    if (received.command == gvcp::WRITEREG_CMD && m_ignoredWrites.count(received.address)) {
        // Lost on the way: no answer.
    } else if (registerAccess && Refused(received.command, received.address, &status)) {
        answers.push_back({Refusal(received.command, gvcp::ReadBe16(data + 6), status), from, 0});
    } else {
        answers = m_camera.Handle(data, size, from, emulator::Clock::now());
    }
    if (!answers.empty() && answers.back().bytes.size() >= 2) {
        received.status = gvcp::ReadBe16(answers.back().bytes.data());
    }
    m_commands.push_back(received);
    return answers;
}

uint32_t NamespaceCamera::Register(uint32_t address) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_camera.Register(address);
}

uint32_t NamespaceCamera::Ip() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_camera.Ip();
}

std::vector<ReceivedCommand> NamespaceCamera::Commands() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_commands;
}

std::vector<ReceivedCommand> NamespaceCamera::Writes() const
{
    std::vector<ReceivedCommand> writes;
    for (const ReceivedCommand& c : Commands()) {
        if (c.command == gvcp::WRITEREG_CMD) {
            writes.push_back(c);
        }
    }
    return writes;
}

bool NamespaceCamera::Received(uint16_t command) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::any_of(m_commands.begin(), m_commands.end(),
                       [command](const ReceivedCommand& c) { return c.command == command; });
}

void NamespaceCamera::ClearCommands()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_commands.clear();
}

void NamespaceCamera::RefuseRead(uint32_t address, uint16_t status)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_refusedReads[address] = status;
}

void NamespaceCamera::RefuseWrite(uint32_t address, uint16_t status)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_refusedWrites[address] = status;
}

void NamespaceCamera::IgnoreWrite(uint32_t address)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ignoredWrites.insert(address);
}

void NamespaceCamera::GrantPrivilegeToOther()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const emulator::Peer other{kOtherControllerIp, kOtherControllerPort};
    const auto now = emulator::Clock::now();
    // A long heartbeat timeout first, so the privilege does not lapse during the test.
    const std::vector<uint8_t> heartbeat =
        gvcp::BuildWriteRegCommand(kHeartbeatTimeout, 600000, 0xF000);
    m_camera.Handle(heartbeat.data(), heartbeat.size(), other, now);
    const std::vector<uint8_t> take =
        gvcp::BuildWriteRegCommand(gvcp::REG_CCP, gvcp::CCP_EXCLUSIVE, 0xF001);
    m_camera.Handle(take.data(), take.size(), other, now);
}

std::vector<std::string> CameraNamespaces(int i)
{
    const char* value = std::getenv(("TESTNET_CAM_NS_" + std::to_string(i)).c_str());
    std::istringstream in(value ? value : "");
    std::vector<std::string> names;
    for (std::string name; in >> name;) {
        names.push_back(name);
    }
    return names;
}

uint32_t HostIp(const char* text)
{
    in_addr addr{};
    ::inet_pton(AF_INET, text, &addr);
    return ntohl(addr.s_addr);
}
