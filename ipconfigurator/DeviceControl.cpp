#include "DeviceControl.h"

#include "AddressProbe.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <thread>

CDeviceControl::CDeviceControl(int interfaceIp, short /*unused*/) : m_interfaceIp(interfaceIp)
{
    if (InitUSocket(interfaceIp) != 0)
        std::printf("new CUSocket Create Fail! \n");
}

CDeviceControl::~CDeviceControl()
{
    m_socket.Close();
}

int CDeviceControl::InitUSocket(int ip)
{
    if (!m_socket.Open())
        return gvcp::kSocketError;
    const int bound = m_socket.Bind(uint32_t(ip), 0);
    if (bound != 0)
        m_socket.Close();
    return bound;
}

int CDeviceControl::SetCommand(_command_struct* cmd, int command, int* data, int length,
                               unsigned short reqId)
{
    if (length < 0)
        return gvcp::kSocketError;
    return gvcp::WriteCommand(reinterpret_cast<uint8_t*>(cmd), gvcp::kFlagAckRequired,
                              uint16_t(command), data, size_t(length), reqId)
               ? 0
               : gvcp::kSocketError;
}

int CDeviceControl::RecvDataproc(int command, const char* buffer, int size, int** data, int* length,
                                 unsigned short reqId)
{
    const gvcp::ControlAck ack =
        gvcp::CheckControlAck(reinterpret_cast<const uint8_t*>(buffer), size < 0 ? 0 : size_t(size),
                              uint16_t(command), reqId);
    if (ack.result != gvcp::kSuccess)
        return ack.result;
    if (data) {
        // Whole words, so a caller reading the payload as int values stays inside it.
        *data = new int[(ack.payloadLength + 3) / 4]();
        std::memcpy(*data, ack.payload, ack.payloadLength);
        if (length)
            *length = int(ack.payloadLength);
    } else if (length) {
        *length = int(ack.count);
    }
    return gvcp::kSuccess;
}

int CDeviceControl::AwaitAck(int command, unsigned short reqId, int** outData, int* outLength)
{
    const auto deadline = gvcp::Clock::now() + std::chrono::seconds(1);
    char buffer[gvcp::kReceiveBufferSize];
    for (;;) {
        switch (gvcp::WaitReadable(m_socket.Fd(), deadline)) {
        case gvcp::WaitResult::Failed:
            return gvcp::kSocketError;
        case gvcp::WaitResult::TimedOut:
            return gvcp::kNoAnswer;
        case gvcp::WaitResult::Readable:
            break;
        }
        const long size = m_socket.Receive(buffer, sizeof buffer);
        if (size < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                continue;
            return gvcp::kSocketError;
        }
        const int result = RecvDataproc(command, buffer, int(size), outData, outLength, reqId);
        if (result != gvcp::kIgnored)
            return result;
    }
}

int CDeviceControl::GevSendCommand(int command, int deviceIp, int* data, int length, int** outData,
                                   int* outLength)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    const unsigned short reqId = m_requestId.Next();
    long sent;
    {
        std::vector<uint8_t> packet(gvcp::kCommandBufferSize, 0);
        if (SetCommand(reinterpret_cast<_command_struct*>(packet.data()), command, data, length,
                       reqId) != 0)
            return gvcp::kSocketError;
        sent = m_socket.SendTo(uint32_t(deviceIp), gvcp::kPort, packet.data(),
                               gvcp::kHeaderSize + size_t(length));
    }
    if (sent < 0) {
        std::printf("GevSendCommand : sendto ERR\n");
        return gvcp::kSocketError;
    }
    return AwaitAck(command, reqId, outData, outLength);
}

int CDeviceControl::WriteRegister(uint32_t deviceIp, uint32_t address, uint32_t value)
{
    int payload[2] = {int(htonl(address)), int(htonl(value))};
    int count = 0;
    return GevSendCommand(gvcp::WRITEREG_CMD, int(deviceIp), payload, sizeof payload, nullptr,
                          &count);
}

int CDeviceControl::ReadRegister(uint32_t deviceIp, uint32_t address, uint32_t* value)
{
    int payload[1] = {int(htonl(address))};
    int* answer = nullptr;
    int answerLength = 0;
    const int result = GevSendCommand(gvcp::READREG_CMD, int(deviceIp), payload, sizeof payload,
                                      &answer, &answerLength);
    if (result == gvcp::kSuccess)
        *value = ntohl(uint32_t(answer[0]));
    delete[] answer;
    return result;
}

int CDeviceControl::GevOpenDevice(int deviceIp)
{
    return WriteRegister(uint32_t(deviceIp), gvcp::REG_CCP, gvcp::CCP_EXCLUSIVE);
}

int CDeviceControl::GevCloseDevice(int deviceIp)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    const uint32_t device = uint32_t(deviceIp);
    int result = WriteRegister(device, gvcp::REG_CCP, 0);
    if (result != gvcp::kSuccess)
        return result;
    uint32_t channels = 0;
    result = ReadRegister(device, gvcp::REG_MESSAGE_CHANNELS, &channels);
    if (result != gvcp::kSuccess)
        return result;
    return channels != 0 ? WriteRegister(device, gvcp::REG_MCP, 0) : gvcp::kSuccess;
}

int CDeviceControl::SetForceIP(int ip, int mask, int gateway, unsigned short macHigh,
                               unsigned int macLow)
{
    gvcp::UdpSocket socket;
    if (!socket.Open())
        return gvcp::kForceIpFailed;
    if (socket.Bind(uint32_t(m_interfaceIp), 0) != 0) {
        std::printf("ForceIP socket error! \n");
        return gvcp::kForceIpFailed;
    }
    const auto command = gvcp::BuildForceIpCommand(uint32_t(ip), uint32_t(mask), uint32_t(gateway),
                                                   macHigh, macLow, m_requestId.Next());
    socket.EnableBroadcast();
    if (socket.SendTo(htonl(INADDR_BROADCAST), gvcp::kPort, command.data(), command.size()) < 0) {
        std::fprintf(stderr, "errororororororororor\n");
        return gvcp::kForceIpFailed;
    }
    return gvcp::kSuccess;
}

int CDeviceControl::SetForceIP(const gvcp::MacAddress& mac, const gvcp::IpSettings& settings)
{
    const auto macHigh = static_cast<unsigned short>(gvcp::ReadBe16(mac.data()));
    const unsigned int macLow = gvcp::ReadBe32(mac.data() + 2);
    return SetForceIP(int(settings.ip), int(settings.mask), int(settings.gateway), macHigh, macLow);
}

int CDeviceControl::SetPersistentIp(uint32_t deviceIp, const gvcp::IpSettings& settings,
                                    const std::function<void(int)>& afterWrite)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    const std::pair<uint32_t, uint32_t> writes[] = {
        {gvcp::REG_PERSISTENT_GATEWAY, settings.gateway},
        {gvcp::REG_PERSISTENT_MASK, settings.mask},
        {gvcp::REG_PERSISTENT_IP, settings.ip}};
    for (int i = 0; i < 3; ++i) {
        const int result = WriteRegister(deviceIp, writes[i].first, writes[i].second);
        if (result != gvcp::kSuccess)
            return result;
        // The camera gets time to store each value before the next command.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (afterWrite)
            afterWrite(i);
    }
    return gvcp::kSuccess;
}

int CDeviceControl::SetIpConfiguration(uint32_t deviceIp, uint32_t bits)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    uint32_t value = 0;
    const int result = ReadRegister(deviceIp, gvcp::REG_IP_CONFIGURATION, &value);
    if (result != gvcp::kSuccess)
        return result;
    return WriteRegister(deviceIp, gvcp::REG_IP_CONFIGURATION,
                         (value & ~gvcp::IPCFG_MASK) | (bits & gvcp::IPCFG_MASK));
}

int CDeviceControl::WriteUserName(uint32_t deviceIp, const std::string& name)
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    const std::array<uint32_t, 4> values = gvcp::EncodeUserName(name);
    int failure = gvcp::kSuccess;
    for (uint32_t i = 0; i < values.size(); ++i) {
        const int result = WriteRegister(deviceIp, gvcp::REG_USER_NAME + 4 * i, values[i]);
        if (failure == gvcp::kSuccess)
            failure = result; // the remaining registers are written all the same
    }
    return failure;
}

gvcp::AddressVerdict CDeviceControl::CheckAddress(const gvcp::IpSettings& settings,
                                                  const gvcp::HostView& host,
                                                  const gvcp::KnownCamera& self)
{
    gvcp::AddressVerdict verdict = gvcp::CheckAddress(settings, host, self);
    if (!verdict.ok() || settings.ip == self.ip)
        return verdict;
    const gvcp::ProbeFinding finding =
        gvcp::ProbeAddress(ntohl(uint32_t(m_interfaceIp)), settings.ip);
    return gvcp::JudgeProbe(finding, settings.ip, host, self);
}
