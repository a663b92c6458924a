#include "InterfaceAddresses.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>
#include <unistd.h>

namespace emulator {

namespace {

int PrefixLength(uint32_t mask)
{
    return __builtin_popcount(mask);
}

void AddAttribute(nlmsghdr* header, unsigned short type, uint32_t value)
{
    auto* attr =
        reinterpret_cast<rtattr*>(reinterpret_cast<char*>(header) + NLMSG_ALIGN(header->nlmsg_len));
    attr->rta_type = type;
    attr->rta_len = RTA_LENGTH(sizeof value);
    std::memcpy(RTA_DATA(attr), &value, sizeof value);
    header->nlmsg_len = NLMSG_ALIGN(header->nlmsg_len) + RTA_ALIGN(attr->rta_len);
}

} // namespace

InterfaceAddresses::InterfaceAddresses(const std::string& interfaceName)
    : m_socket(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE)),
      m_index(::if_nametoindex(interfaceName.c_str()))
{}

InterfaceAddresses::~InterfaceAddresses()
{
    if (m_socket >= 0)
        ::close(m_socket);
}

bool InterfaceAddresses::Add(uint32_t ip, uint32_t mask)
{
    return Request(RTM_NEWADDR, NLM_F_CREATE | NLM_F_REPLACE, ip, mask);
}

bool InterfaceAddresses::Remove(uint32_t ip, uint32_t mask)
{
    return Request(RTM_DELADDR, 0, ip, mask);
}

bool InterfaceAddresses::Request(int type, int flags, uint32_t ip, uint32_t mask)
{
    if (!IsValid())
        return false;
    struct
    {
        nlmsghdr header;
        ifaddrmsg address;
        char attributes[64];
    } request{};
    request.header.nlmsg_len = NLMSG_LENGTH(sizeof(ifaddrmsg));
    request.header.nlmsg_type = uint16_t(type);
    request.header.nlmsg_flags = uint16_t(NLM_F_REQUEST | NLM_F_ACK | flags);
    request.header.nlmsg_seq = ++m_sequence;
    request.address.ifa_family = AF_INET;
    request.address.ifa_prefixlen = uint8_t(PrefixLength(mask));
    request.address.ifa_index = m_index;
    AddAttribute(&request.header, IFA_LOCAL, htonl(ip));
    AddAttribute(&request.header, IFA_ADDRESS, htonl(ip));
    AddAttribute(&request.header, IFA_BROADCAST, htonl(ip | ~mask));
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (::sendto(m_socket, &request, request.header.nlmsg_len, 0,
                 reinterpret_cast<sockaddr*>(&kernel), sizeof kernel) < 0)
        return false;
    alignas(nlmsghdr) char answer[1024];
    for (;;) {
        const ssize_t n = ::recv(m_socket, answer, sizeof answer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < ssize_t(NLMSG_LENGTH(sizeof(nlmsgerr))))
            return false;
        const auto* header = reinterpret_cast<const nlmsghdr*>(answer);
        if (header->nlmsg_seq != m_sequence || header->nlmsg_type != NLMSG_ERROR)
            continue;
        const auto* error = static_cast<const nlmsgerr*>(NLMSG_DATA(header));
        return error->error == 0 || (type == RTM_NEWADDR && error->error == -EEXIST);
    }
}

} // namespace emulator
