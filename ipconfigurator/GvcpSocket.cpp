#include "GvcpSocket.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace gvcp {

namespace {

sockaddr_in Address(uint32_t ip, uint16_t port)
{
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = ip;
    addr.sin_port = htons(port);
    return addr;
}

} // namespace

UdpSocket::UdpSocket(UdpSocket&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

UdpSocket& UdpSocket::operator=(UdpSocket&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

bool UdpSocket::Open()
{
    Close();
    m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (m_fd < 0)
        return false;
    const int flags = ::fcntl(m_fd, F_GETFL, 0);
    if (flags < 0 || ::fcntl(m_fd, F_SETFL, flags | O_NONBLOCK) < 0) {
        Close();
        return false;
    }
    return true;
}

void UdpSocket::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

int UdpSocket::Bind(uint32_t ip, uint16_t port)
{
    const sockaddr_in addr = Address(ip, port);
    return ::bind(m_fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
}

int UdpSocket::EnableBroadcast()
{
    const int on = 1;
    return ::setsockopt(m_fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
}

int UdpSocket::EnableReuseAddress()
{
    const int on = 1;
    return ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
}

int UdpSocket::SetReceiveBuffer(int bytes)
{
    return ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
}

long UdpSocket::SendTo(uint32_t ip, uint16_t port, const void* data, size_t size)
{
    const sockaddr_in addr = Address(ip, port);
    return ::sendto(m_fd, data, size, 0, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
}

long UdpSocket::SendFrom(uint32_t sourceIp, uint32_t ip, uint16_t port, const void* data,
                         size_t size)
{
    sockaddr_in addr = Address(ip, port);
    iovec iov{const_cast<void*>(data), size};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr msg{};
    msg.msg_name = &addr;
    msg.msg_namelen = sizeof addr;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    cmsghdr* cmsg = CMSG_FIRSTHDR(&msg);
    cmsg->cmsg_level = IPPROTO_IP;
    cmsg->cmsg_type = IP_PKTINFO;
    cmsg->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_spec_dst.s_addr = sourceIp;
    std::memcpy(CMSG_DATA(cmsg), &info, sizeof info);
    return ::sendmsg(m_fd, &msg, 0);
}

long UdpSocket::Receive(void* buffer, size_t capacity, uint32_t* fromIp, uint16_t* fromPort)
{
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    long n;
    do {
        n = ::recvfrom(m_fd, buffer, capacity, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
    } while (n < 0 && errno == EINTR);
    if (fromIp)
        *fromIp = from.sin_addr.s_addr;
    if (fromPort)
        *fromPort = ntohs(from.sin_port);
    return n;
}

WaitResult WaitReadable(int fd, Clock::time_point deadline)
{
    if (fd < 0 || fd >= FD_SETSIZE)
        return WaitResult::Failed;
    for (;;) {
        const auto left = deadline - Clock::now();
        const auto us = left.count() > 0
                            ? std::chrono::duration_cast<std::chrono::microseconds>(left).count()
                            : 0;
        timeval tv{};
        tv.tv_sec = static_cast<time_t>(us / 1000000);
        tv.tv_usec = static_cast<suseconds_t>(us % 1000000);
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(fd, &readable);
        const int n = ::select(fd + 1, &readable, nullptr, nullptr, &tv);
        if (n > 0)
            return WaitResult::Readable;
        if (n == 0)
            return WaitResult::TimedOut;
        if (errno != EINTR)
            return WaitResult::Failed;
    }
}

} // namespace gvcp
