#include "DeviceDiscovery.h"

#include <cerrno>
#include <cstdio>
#include <netinet/in.h>

namespace {

constexpr int kSearchReceiveBuffer = 1 << 20;

} // namespace

CDeviceDiscovery::CDeviceDiscovery(int interfaceIp, unsigned short port)
    : m_interfaceIp(interfaceIp), m_port(port)
{
    InitSocket(interfaceIp, port);
}

CDeviceDiscovery::~CDeviceDiscovery() = default;

int CDeviceDiscovery::InitSocket(int ip, unsigned short port)
{
    if (!m_socket.Open()) {
        std::printf(" Discovery socket creation error! \n");
        return -1;
    }
    if (m_socket.Bind(uint32_t(ip), port) != 0) {
        std::printf(" Discovery socket Error! \n");
        return -1;
    }
    return 0;
}

int CDeviceDiscovery::SendData(int ip, unsigned short reqId)
{
    const std::vector<uint8_t> command = gvcp::BuildDiscoveryCommand(reqId);
    const long sent = m_socket.SendFrom(uint32_t(ip), htonl(INADDR_BROADCAST), gvcp::kPort,
                                        command.data(), command.size());
    return sent < 0 ? int(sent) : 0;
}

int CDeviceDiscovery::ReceiveData(unsigned long long timeoutMs, unsigned short reqId)
{
    const auto deadline = gvcp::Clock::now() + std::chrono::milliseconds(timeoutMs);
    uint8_t buffer[gvcp::kReceiveBufferSize];
    for (;;) {
        switch (gvcp::WaitReadable(m_socket.Fd(), deadline)) {
        case gvcp::WaitResult::Failed:
            return gvcp::kSocketError;
        case gvcp::WaitResult::TimedOut:
            return gvcp::kSuccess;
        case gvcp::WaitResult::Readable:
            break;
        }
        const long size = m_socket.Receive(buffer, sizeof buffer);
        if (size < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                continue; // dropped after the wake-up (bad checksum): keep listening
            return gvcp::kSocketError;
        }
        CamInfo info;
        const int result =
            gvcp::ParseDiscoveryAck(buffer, size_t(size), reqId, uint32_t(m_interfaceIp), &info);
        if (result != gvcp::kSuccess)
            return result;
        if (m_list)
            m_list->push_back(new CamInfo(info));
    }
}

int CDeviceDiscovery::SearchDevice(std::vector<CamInfo*>* list, unsigned long long timeoutMs)
{
    const unsigned short reqId = m_requestId.Next();
    m_list = list;
    // Answers may come back as unicast or as broadcast; only a socket bound to all addresses
    // receives both. It is bound before the command goes out, so that no early answer finds
    // the port closed; the command still leaves from the interface address.
    InitSocket(INADDR_ANY, m_port);
    m_socket.EnableBroadcast();
    // All answers arrive within milliseconds; the default buffer holds about 160 of them.
    // A smaller buffer than asked for (rmem_max) still serves, so the result is not checked.
    m_socket.SetReceiveBuffer(kSearchReceiveBuffer);
    const int sent = SendData(m_interfaceIp, reqId);
    if (sent != 0) {
        std::printf(" CDeviceDiscovery SendData Error %d\n", sent);
        return sent;
    }
    const int received = ReceiveData(timeoutMs, reqId);
    return received < 0 ? received : 0;
}

namespace gvcp {

std::vector<CamInfo> SearchInterface(uint32_t interfaceIp, uint16_t port,
                                     std::chrono::milliseconds window)
{
    std::vector<CamInfo*> records;
    {
        CDeviceDiscovery search(int(ToWire(interfaceIp)), port);
        search.SearchDevice(&records, static_cast<unsigned long long>(window.count()));
    }
    std::vector<CamInfo> cameras;
    for (CamInfo* record : records) {
        cameras.push_back(*record);
        delete record;
    }
    return cameras;
}

} // namespace gvcp
