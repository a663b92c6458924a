// One emulated GigE Vision device: its bootstrap registers, control channel privilege and
// the answers it gives to GVCP commands. No sockets: a datagram goes in, answers come out,
// so the behaviour can be tested on its own and one process can emulate many devices.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace emulator {

using Clock = std::chrono::steady_clock;

// Ways a device can misbehave on purpose, for tests of the client's error paths.
enum class ExtraDatagram
{
    None,
    Stale,     // an answer with the previous request id
    Newer,     // an answer with the next request id
    Short,     // the first 4 bytes of the answer
    WrongCode, // the answer with a wrong acknowledge code
    Overlong,  // the answer with a length field promising more than it carries
};

struct Misbehaviour
{
    bool silent = false;                        // never answers
    int delayMs = 0;                            // every answer goes out this late
    ExtraDatagram before = ExtraDatagram::None; // sent just before each real answer
    bool broadcastDiscovery = false; // answers discovery by broadcast even inside the subnet
};

struct CameraConfig
{
    uint8_t mac[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
    uint32_t ip = 0; // host order
    uint32_t mask = 0xFFFFFF00;
    uint32_t gateway = 0;
    std::string manufacturer = "Orvanta";
    std::string model = "GigE Emulator";
    std::string version = "1.0";
    std::string serial = "EMU0001";
    std::string user;
    uint32_t messageChannels = 1;
    uint32_t ipConfig = 0x00000006; // DHCP and LLA enabled
    Misbehaviour misbehave;
};

struct Peer
{
    uint32_t ip = 0; // host order
    uint16_t port = 0;
    bool operator==(const Peer& o) const { return ip == o.ip && port == o.port; }
};

struct Outgoing
{
    std::vector<uint8_t> bytes;
    Peer to; // ip 0xFFFFFFFF: limited broadcast
    int delayMs = 0;
};

class EmulatedCamera
{
public:
    explicit EmulatedCamera(const CameraConfig& config);

    // Handles one datagram from `from`; returns what the device sends back, in order.
    std::vector<Outgoing> Handle(const uint8_t* data, size_t size, const Peer& from,
                                 Clock::time_point now);

    uint32_t Ip() const { return m_ip; } // current address, host order
    uint32_t Mask() const { return m_mask; }
    const CameraConfig& Config() const { return m_config; }
    // Register value as the device holds it (test access).
    uint32_t Register(uint32_t address) const;

private:
    std::vector<uint8_t> DiscoveryAck(uint16_t reqId) const;
    std::vector<uint8_t> ReadRegisters(const uint8_t* payload, size_t length, uint16_t reqId,
                                       const Peer& from, Clock::time_point now);
    std::vector<uint8_t> WriteRegisters(const uint8_t* payload, size_t length, uint16_t reqId,
                                        const Peer& from, Clock::time_point now);
    std::vector<uint8_t> ReadMemory(const uint8_t* payload, size_t length, uint16_t reqId,
                                    const Peer& from, Clock::time_point now);
    bool ForceIp(const uint8_t* data, size_t size);
    uint16_t ReadStatus(uint32_t address, const Peer& from, Clock::time_point now);
    uint16_t WriteStatus(uint32_t address, uint32_t value, const Peer& from, Clock::time_point now);
    void ExpirePrivilege(Clock::time_point now);
    void PutText(uint32_t address, const std::string& text, size_t width);
    std::vector<Outgoing> Answer(std::vector<uint8_t> ack, const Peer& to) const;

    CameraConfig m_config;
    uint32_t m_ip;
    uint32_t m_mask;
    std::vector<uint8_t> m_memory; // register space, big-endian words, description file
    // Control channel privilege: holder and its last command.
    uint32_t m_ccp = 0;
    Peer m_holder;
    Clock::time_point m_holderSeen;
};

} // namespace emulator
