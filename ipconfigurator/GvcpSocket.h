// A non-blocking IPv4 UDP socket owned by value, and a readiness wait that spends one window.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace gvcp {

using Clock = std::chrono::steady_clock;

class UdpSocket
{
public:
    UdpSocket() = default;
    ~UdpSocket() { Close(); }
    UdpSocket(UdpSocket&& other) noexcept;
    UdpSocket& operator=(UdpSocket&& other) noexcept;
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    // Opens a fresh non-blocking socket (closing any previous one). False on failure.
    bool Open();
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }

    // Addresses in network byte order, ports in host order. Return the system call's result.
    int Bind(uint32_t ip, uint16_t port);
    int EnableBroadcast();
    int EnableReuseAddress();
    // Asks for a receive buffer of `bytes`; the kernel grants at most net.core.rmem_max.
    int SetReceiveBuffer(int bytes);
    long SendTo(uint32_t ip, uint16_t port, const void* data, size_t size);
    // As SendTo, with `sourceIp` as the source address: a limited broadcast then leaves
    // through the interface that holds that address even when the socket is bound to all.
    long SendFrom(uint32_t sourceIp, uint32_t ip, uint16_t port, const void* data, size_t size);
    // One datagram; the sender's address and port (network order, host order) when asked.
    long Receive(void* buffer, size_t capacity, uint32_t* fromIp = nullptr,
                 uint16_t* fromPort = nullptr);

private:
    int m_fd = -1;
};

enum class WaitResult
{
    Readable,
    TimedOut,
    Failed
};

// Waits until `fd` is readable or `deadline` has passed; interrupted waits resume with the
// time that is left.
WaitResult WaitReadable(int fd, Clock::time_point deadline);

} // namespace gvcp
