// GVCP wire format: command and acknowledge headers, the messages the configurator builds,
// the acknowledge checks and the discovery-acknowledge fields it keeps. Pure functions over
// byte buffers, no sockets, so every rule here can be tested and fuzzed on its own.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The 8-byte GVCP command header; the payload follows it directly. Multi-byte fields hold
// their bytes in wire (big-endian) order.
struct _command_struct
{
    uint8_t key;
    uint8_t flag;
    uint16_t command;
    uint16_t length;
    uint16_t req_id;
};
static_assert(sizeof(_command_struct) == 8, "GVCP command header is 8 bytes");

// One discovered camera, filled from one DISCOVERY_ACK. Words marked "wire order" keep the
// four bytes as received. Text fields are zero-terminated only when shorter than their width;
// read them with gvcp::FieldText().
struct CamInfo
{
    char modelName[32];
    char serialNumber[16];
    char userName[16];
    char ipText[16];          // currentIp as dotted decimal, zero-terminated
    char macText[18];         // "%02x:%02x:%02x:%02x:%02x:%02x", zero-terminated
    uint8_t mac[6];           // most significant byte first
    uint32_t currentIp;       // network byte order
    uint32_t subnetMask;      // network byte order
    uint32_t gateway;         // network byte order
    uint32_t ipConfigOptions; // wire order
    uint32_t ipConfigCurrent; // wire order
    uint32_t deviceMode;      // wire order
    uint32_t interfaceIp;     // interface that found the camera, network byte order
};

namespace gvcp {

constexpr uint16_t kPort = 3956;
constexpr uint8_t kKey = 0x42;
constexpr uint8_t kFlagAckRequired = 0x01;
constexpr uint8_t kFlagNoAck = 0x00;

constexpr uint16_t DISCOVERY_CMD = 0x0002;
constexpr uint16_t DISCOVERY_ACK = 0x0003;
constexpr uint16_t FORCEIP_CMD = 0x0004;
constexpr uint16_t FORCEIP_ACK = 0x0005;
constexpr uint16_t READREG_CMD = 0x0080;
constexpr uint16_t READREG_ACK = 0x0081;
constexpr uint16_t WRITEREG_CMD = 0x0082;
constexpr uint16_t WRITEREG_ACK = 0x0083;

constexpr size_t kHeaderSize = 8;
constexpr size_t kMaxPayload = 2048;
constexpr size_t kCommandBufferSize = kHeaderSize + kMaxPayload; // 2056
constexpr size_t kReceiveBufferSize = 1024;
constexpr size_t kDiscoveryAckSize = 256;
constexpr size_t kForceIpSize = 64;
constexpr uint16_t kForceIpPayload = 56;

// Result codes of the GVCP clients. A non-zero device status (e.g. 0x8006) is returned as is.
constexpr int kSuccess = 0;
constexpr int kSocketError = -1;
constexpr int kForceIpFailed = 1;
constexpr int kNotDiscoveryAck = 108; // discovery: a datagram that is not the awaited answer
constexpr int kNoAnswer = 109;        // control: no answer in time; discovery: runt datagram
constexpr int kIgnored = 110;         // control, internal: not our answer, keep waiting

// GVCP status codes the clients and the emulator use.
constexpr uint16_t kStatusSuccess = 0x0000;
constexpr uint16_t kStatusNotImplemented = 0x8001;
constexpr uint16_t kStatusInvalidParameter = 0x8002;
constexpr uint16_t kStatusInvalidAddress = 0x8003;
constexpr uint16_t kStatusBadAlignment = 0x8005;
constexpr uint16_t kStatusAccessDenied = 0x8006;

// Bootstrap register addresses.
constexpr uint32_t REG_IP_CONFIGURATION = 0x0014;
constexpr uint32_t REG_USER_NAME = 0x00E8; // 16 bytes: 0x00E8, 0x00EC, 0x00F0, 0x00F4
constexpr uint32_t REG_PERSISTENT_IP = 0x064C;
constexpr uint32_t REG_PERSISTENT_MASK = 0x065C;
constexpr uint32_t REG_PERSISTENT_GATEWAY = 0x066C;
constexpr uint32_t REG_MESSAGE_CHANNELS = 0x0900;
constexpr uint32_t REG_CCP = 0x0A00;
constexpr uint32_t REG_MCP = 0x0B00;

// IP configuration bits of register 0x0014 and of "IP config current".
constexpr uint32_t IPCFG_PERSISTENT = 0x00000001;
constexpr uint32_t IPCFG_DHCP = 0x00000002;
constexpr uint32_t IPCFG_LLA = 0x00000004;
constexpr uint32_t IPCFG_MASK = IPCFG_PERSISTENT | IPCFG_DHCP | IPCFG_LLA;

constexpr uint32_t CCP_EXCLUSIVE = 0x00000001;

// Big-endian field access.
uint16_t ReadBe16(const uint8_t* p);
uint32_t ReadBe32(const uint8_t* p);
void WriteBe16(uint8_t* p, uint16_t v);
void WriteBe32(uint8_t* p, uint32_t v);
// A word held as on the wire (network order) as a host-order number, and back.
uint32_t FromWire(uint32_t wireWord);
uint32_t ToWire(uint32_t hostValue);

// The id that follows `last`: 16 bits wide, 0 is skipped, so the first id is 1.
uint16_t NextRequestId(uint16_t last);

// A client's request counter; safe to advance from several threads.
class RequestCounter
{
public:
    uint16_t Next();
    uint16_t Last() const { return m_last.load(); }

private:
    std::atomic<uint16_t> m_last{0};
};

// Writes the command header and `length` payload bytes (cut down to whole 32-bit words, the
// rest left as the buffer held it) into `out`, which must hold kHeaderSize + length bytes.
// `payload` is copied as given (its words already big-endian). Returns false when length
// exceeds kMaxPayload.
bool WriteCommand(uint8_t* out, uint8_t flag, uint16_t command, const void* payload, size_t length,
                  uint16_t reqId);

std::vector<uint8_t> BuildDiscoveryCommand(uint16_t reqId);
std::vector<uint8_t> BuildReadRegCommand(uint32_t address, uint16_t reqId);
std::vector<uint8_t> BuildWriteRegCommand(uint32_t address, uint32_t value, uint16_t reqId);
// ip, mask and gateway are host-order numbers (192.168.1.10 is 0xC0A8010A); macHigh holds MAC
// bytes 0-1 and macLow bytes 2-5, most significant byte first.
std::array<uint8_t, kForceIpSize> BuildForceIpCommand(uint32_t ip, uint32_t mask, uint32_t gateway,
                                                      uint16_t macHigh, uint32_t macLow,
                                                      uint16_t reqId);

// The four register values (host order) for 0x00E8..0x00F4 that spell `name`: its first 16
// bytes, zero padded, each register the big-endian reading of its four bytes.
std::array<uint32_t, 4> EncodeUserName(const std::string& name);

struct AckHeader
{
    uint16_t status;
    uint16_t acknowledge;
    uint16_t length;
    uint16_t ackId;
};
// False when the datagram is shorter than a header.
bool ParseAckHeader(const uint8_t* data, size_t size, AckHeader* out);

// Outcome of checking one control-channel acknowledge.
struct ControlAck
{
    int result = kIgnored;            // kSuccess, a device status, or kIgnored (keep waiting)
    const uint8_t* payload = nullptr; // points into the datagram when result is kSuccess
    size_t payloadLength = 0;         // the acknowledge's length field, within the datagram
    uint32_t count = 0; // WRITEREG: the big-endian word at payload offset 0; else the length
};

// Checks one acknowledge to `command` sent with `reqId`, reading only the `size` bytes of the
// datagram. In order: a non-zero status is the result whatever else the fields hold; a
// matching ack_id and acknowledge code (command + 1) whose payload lies inside the datagram
// (at least one register value for READREG, the index word for WRITEREG) succeeds; anything
// else (an older or newer ack_id, a wrong acknowledge code, a runt, a length field promising
// more than the datagram holds) is ignored and the caller goes on waiting.
ControlAck CheckControlAck(const uint8_t* data, size_t size, uint16_t command, uint16_t reqId);

// Checks one datagram received while listening for the discovery answer to `reqId`: kNoAnswer
// (109) when shorter than 8 bytes, kNotDiscoveryAck (108) when the acknowledge code is not
// DISCOVERY_ACK or ack_id is not reqId, else kSuccess with `*out` filled. `out` is cleared
// first; a field counts only when it lies wholly inside the datagram, so a short answer leaves
// the missing fields zero. The status field is not looked at. interfaceIp is stored as given.
int ParseDiscoveryAck(const uint8_t* data, size_t size, uint16_t reqId, uint32_t interfaceIp,
                      CamInfo* out);

// Text of a fixed-width field that is zero-terminated only when shorter than its width.
template <size_t N> std::string FieldText(const char (&field)[N])
{
    size_t n = 0;
    while (n < N && field[n] != '\0')
        ++n;
    return std::string(field, n);
}

// "a.b.c.d" of an address held in network byte order.
std::string DottedText(uint32_t networkOrderIp);
// "02:1a:2b:3c:4d:5e"
std::string MacText(const uint8_t mac[6]);

} // namespace gvcp
