#include "DeviceControl.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>

namespace {

// Holds the exchange lock for one exchange; failures are printed and the exchange goes on.
class ExchangeLock
{
public:
    explicit ExchangeLock(pthread_mutex_t* mutex) : m_mutex(mutex)
    {
        const int error = pthread_mutex_lock(m_mutex);
        if (error != 0)
            std::printf("CCriticalSection::Lock() failed: %d (%s)\n", error, std::strerror(error));
    }
    ~ExchangeLock()
    {
        const int error = pthread_mutex_unlock(m_mutex);
        if (error != 0)
            std::printf("CCriticalSection::Unlock() failed: %d (%s)\n", error,
                        std::strerror(error));
    }
    ExchangeLock(const ExchangeLock&) = delete;
    ExchangeLock& operator=(const ExchangeLock&) = delete;

private:
    pthread_mutex_t* m_mutex;
};

} // namespace

CDeviceControl::CDeviceControl(int interfaceIp, short /*unused*/) : m_interfaceIp(interfaceIp)
{
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&m_lock, &attr);
    pthread_mutexattr_destroy(&attr);
    if (InitUSocket(interfaceIp) != 0)
        std::printf("new CUSocket Create Fail! \n");
}

CDeviceControl::~CDeviceControl()
{
    m_socket.Close();
    pthread_mutex_destroy(&m_lock);
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
    ExchangeLock lock(&m_lock);
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

int CDeviceControl::WriteRegister(int deviceIp, uint32_t address, uint32_t value)
{
    int payload[2] = {int(htonl(address)), int(htonl(value))};
    int count = 0;
    return GevSendCommand(gvcp::WRITEREG_CMD, deviceIp, payload, sizeof payload, nullptr, &count);
}

int CDeviceControl::ReadRegister(int deviceIp, uint32_t address, uint32_t* value)
{
    int payload[1] = {int(htonl(address))};
    int* answer = nullptr;
    int answerLength = 0;
    const int result = GevSendCommand(gvcp::READREG_CMD, deviceIp, payload, sizeof payload, &answer,
                                      &answerLength);
    if (result == gvcp::kSuccess)
        *value = ntohl(uint32_t(answer[0]));
    delete[] answer;
    return result;
}

int CDeviceControl::GevOpenDevice(int deviceIp)
{
    return WriteRegister(deviceIp, gvcp::REG_CCP, gvcp::CCP_EXCLUSIVE);
}

int CDeviceControl::GevCloseDevice(int deviceIp)
{
    int result = WriteRegister(deviceIp, gvcp::REG_CCP, 0);
    if (result != gvcp::kSuccess)
        return result;
    uint32_t channels = 0;
    result = ReadRegister(deviceIp, gvcp::REG_MESSAGE_CHANNELS, &channels);
    if (result != gvcp::kSuccess)
        return result;
    return channels != 0 ? WriteRegister(deviceIp, gvcp::REG_MCP, 0) : gvcp::kSuccess;
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
