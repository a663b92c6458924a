// Adds and removes IPv4 addresses on one network interface over rtnetlink, so that an
// emulated device really answers at the address it was given or forced to.
#pragma once

#include <cstdint>
#include <string>

namespace emulator {

class InterfaceAddresses
{
public:
    // False from IsValid() when the interface does not exist or netlink cannot be opened.
    explicit InterfaceAddresses(const std::string& interfaceName);
    ~InterfaceAddresses();
    InterfaceAddresses(const InterfaceAddresses&) = delete;
    InterfaceAddresses& operator=(const InterfaceAddresses&) = delete;

    bool IsValid() const { return m_socket >= 0 && m_index != 0; }
    // Addresses and masks in host order. An address already present counts as added.
    bool Add(uint32_t ip, uint32_t mask);
    bool Remove(uint32_t ip, uint32_t mask);

private:
    bool Request(int type, int flags, uint32_t ip, uint32_t mask);

    int m_socket = -1;
    unsigned m_index = 0;
    uint32_t m_sequence = 0;
};

} // namespace emulator
