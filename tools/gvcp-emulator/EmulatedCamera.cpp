#include "EmulatedCamera.h"

#include "GvcpMessages.h"

#include <algorithm>
#include <cstring>

namespace emulator {

namespace {

using gvcp::ReadBe16;
using gvcp::ReadBe32;
using gvcp::WriteBe16;
using gvcp::WriteBe32;

constexpr uint16_t kStatusWriteProtect = 0x8004;
constexpr uint16_t READMEM_CMD = 0x0084;
constexpr size_t kMaxReadMem = 536;
constexpr uint32_t kBroadcast = 0xFFFFFFFF;

enum : uint32_t
{
    REG_VERSION = 0x0000,
    REG_DEVICE_MODE = 0x0004,
    REG_MAC_HIGH = 0x0008,
    REG_MAC_LOW = 0x000C,
    REG_IP_CAPABILITY = 0x0010,
    REG_CURRENT_IP = 0x0024,
    REG_CURRENT_MASK = 0x0034,
    REG_CURRENT_GATEWAY = 0x0044,
    REG_MANUFACTURER = 0x0048,
    REG_MODEL = 0x0068,
    REG_DEVICE_VERSION = 0x0088,
    REG_MANUFACTURER_INFO = 0x00A8,
    REG_SERIAL = 0x00D8,
    REG_FIRST_URL = 0x0200,
    REG_SECOND_URL = 0x0400,
    REG_INTERFACE_COUNT = 0x0600,
    REG_STREAM_CHANNELS = 0x0904,
    REG_GVCP_CAPABILITY = 0x0934,
    REG_HEARTBEAT_TIMEOUT = 0x0938,
    REG_MCDA = 0x0B10,
    REG_MCTT = 0x0B14,
    REG_MCRC = 0x0B18,
    DESCRIPTION_FILE = 0x10000,
};

struct Area
{
    uint32_t base;
    uint32_t size;
    bool writable;
};

// The register space the device answers for; everything else is an invalid address.
constexpr Area kAreas[] = {
    {REG_VERSION, 0x14, false},
    {gvcp::REG_IP_CONFIGURATION, 4, true},
    {REG_CURRENT_IP, 4, false},
    {REG_CURRENT_MASK, 4, false},
    {REG_CURRENT_GATEWAY, 4, false},
    {REG_MANUFACTURER, gvcp::REG_USER_NAME - REG_MANUFACTURER, false},
    {gvcp::REG_USER_NAME, 16, true},
    {REG_FIRST_URL, 0x400, false},
    {REG_INTERFACE_COUNT, 4, false},
    {gvcp::REG_PERSISTENT_IP, 4, true},
    {gvcp::REG_PERSISTENT_MASK, 4, true},
    {gvcp::REG_PERSISTENT_GATEWAY, 4, true},
    {gvcp::REG_MESSAGE_CHANNELS, 8, false},
    {REG_GVCP_CAPABILITY, 4, false},
    {REG_HEARTBEAT_TIMEOUT, 4, true},
    {gvcp::REG_CCP, 4, true},
    {gvcp::REG_MCP, 4, true},
    {REG_MCDA, 12, true},
};

const Area* FindArea(uint32_t address, uint32_t size)
{
    for (const Area& area : kAreas)
        if (address >= area.base && address + size <= area.base + area.size)
            return &area;
    return nullptr;
}

// A minimal device description: the root category and the user-defined name.
std::string DescriptionFile(const CameraConfig& config)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<RegisterDescription ModelName=\"" +
           config.model + "\" VendorName=\"" + config.manufacturer +
           "\" StandardNameSpace=\"GEV\" SchemaMajorVersion=\"1\" SchemaMinorVersion=\"1\" "
           "SchemaSubMinorVersion=\"0\" MajorVersion=\"1\" MinorVersion=\"0\" "
           "SubMinorVersion=\"0\" ToolTip=\"GigE Vision device emulator\" "
           "ProductGuid=\"6A1F3C52-8E4B-4C0D-9A57-0B1E2D3C4F50\" "
           "VersionGuid=\"6A1F3C52-8E4B-4C0D-9A57-0B1E2D3C4F51\" "
           "xmlns=\"http://www.genicam.org/GenApi/Version_1_1\">\n"
           "  <Category Name=\"Root\" NameSpace=\"Standard\">\n"
           "    <pFeature>DeviceControl</pFeature>\n"
           "  </Category>\n"
           "  <Category Name=\"DeviceControl\" NameSpace=\"Standard\">\n"
           "    <pFeature>DeviceUserID</pFeature>\n"
           "  </Category>\n"
           "  <StringReg Name=\"DeviceUserID\" NameSpace=\"Standard\">\n"
           "    <Address>0xE8</Address>\n"
           "    <Length>16</Length>\n"
           "    <AccessMode>RW</AccessMode>\n"
           "    <pPort>Device</pPort>\n"
           "  </StringReg>\n"
           "  <Port Name=\"Device\" NameSpace=\"Standard\"/>\n"
           "</RegisterDescription>\n";
}

std::vector<uint8_t> AckHeader(uint16_t status, uint16_t ack, size_t length, uint16_t reqId)
{
    std::vector<uint8_t> out(gvcp::kHeaderSize + length, 0);
    WriteBe16(out.data(), status);
    WriteBe16(out.data() + 2, ack);
    WriteBe16(out.data() + 4, uint16_t(length));
    WriteBe16(out.data() + 6, reqId);
    return out;
}

std::vector<uint8_t> Distorted(const std::vector<uint8_t>& ack, ExtraDatagram kind)
{
    std::vector<uint8_t> out = ack;
    const uint16_t id = ReadBe16(ack.data() + 6);
    switch (kind) {
    case ExtraDatagram::Stale:
        WriteBe16(out.data() + 6, id == 1 ? 0xFFFF : uint16_t(id - 1));
        break;
    case ExtraDatagram::Newer:
        WriteBe16(out.data() + 6, gvcp::NextRequestId(id));
        break;
    case ExtraDatagram::Short:
        out.resize(4);
        break;
    case ExtraDatagram::WrongCode:
        WriteBe16(out.data() + 2, uint16_t(ReadBe16(ack.data() + 2) + 2));
        break;
    case ExtraDatagram::Overlong:
        WriteBe16(out.data() + 4, uint16_t(ReadBe16(ack.data() + 4) + 64));
        break;
    case ExtraDatagram::None:
        break;
    }
    return out;
}

} // namespace

EmulatedCamera::EmulatedCamera(const CameraConfig& config)
    : m_config(config), m_ip(config.ip), m_mask(config.mask)
{
    const std::string description = DescriptionFile(config);
    // Whole words, so that a reader rounding the file length up stays inside the memory.
    m_memory.assign(DESCRIPTION_FILE + (description.size() + 3) / 4 * 4, 0);
    std::memcpy(m_memory.data() + DESCRIPTION_FILE, description.data(), description.size());
    uint8_t* m = m_memory.data();
    WriteBe32(m + REG_VERSION, 0x00010002);
    WriteBe32(m + REG_DEVICE_MODE, 0x80000001); // transmitter, big-endian, UTF-8 texts
    WriteBe32(m + REG_MAC_HIGH, ReadBe16(config.mac));
    WriteBe32(m + REG_MAC_LOW, ReadBe32(config.mac + 2));
    WriteBe32(m + REG_IP_CAPABILITY, gvcp::IPCFG_MASK);
    WriteBe32(m + gvcp::REG_IP_CONFIGURATION, config.ipConfig);
    WriteBe32(m + REG_CURRENT_IP, config.ip);
    WriteBe32(m + REG_CURRENT_MASK, config.mask);
    WriteBe32(m + REG_CURRENT_GATEWAY, config.gateway);
    PutText(REG_MANUFACTURER, config.manufacturer, 32);
    PutText(REG_MODEL, config.model, 32);
    PutText(REG_DEVICE_VERSION, config.version, 32);
    PutText(REG_MANUFACTURER_INFO, "emulated device", 48);
    PutText(REG_SERIAL, config.serial, 16);
    PutText(gvcp::REG_USER_NAME, config.user, 16);
    char url[64];
    std::snprintf(url, sizeof url, "Local:emulator.xml;%x;%zx", unsigned(DESCRIPTION_FILE),
                  description.size());
    PutText(REG_FIRST_URL, url, 512);
    WriteBe32(m + REG_INTERFACE_COUNT, 1);
    WriteBe32(m + gvcp::REG_MESSAGE_CHANNELS, config.messageChannels);
    WriteBe32(m + REG_STREAM_CHANNELS, 0);
    WriteBe32(m + REG_GVCP_CAPABILITY, 0xC0000000); // user-defined name, serial number
    WriteBe32(m + REG_HEARTBEAT_TIMEOUT, 3000);
}

void EmulatedCamera::PutText(uint32_t address, const std::string& text, size_t width)
{
    std::memset(m_memory.data() + address, 0, width);
    std::memcpy(m_memory.data() + address, text.data(), std::min(width, text.size()));
}

uint32_t EmulatedCamera::Register(uint32_t address) const
{
    return address + 4 <= m_memory.size() ? ReadBe32(m_memory.data() + address) : 0;
}

void EmulatedCamera::ExpirePrivilege(Clock::time_point now)
{
    const auto timeout = std::chrono::milliseconds(Register(REG_HEARTBEAT_TIMEOUT));
    if (m_ccp != 0 && now - m_holderSeen > timeout) {
        m_ccp = 0;
        WriteBe32(m_memory.data() + gvcp::REG_CCP, 0);
    }
}

uint16_t EmulatedCamera::ReadStatus(uint32_t address, const Peer& from, Clock::time_point now)
{
    if (address % 4 != 0)
        return gvcp::kStatusBadAlignment;
    if (address < DESCRIPTION_FILE && !FindArea(address, 4))
        return gvcp::kStatusInvalidAddress;
    if (address + 4 > m_memory.size())
        return gvcp::kStatusInvalidAddress;
    ExpirePrivilege(now);
    if ((m_ccp & gvcp::CCP_EXCLUSIVE) && !(from == m_holder))
        return gvcp::kStatusAccessDenied;
    return gvcp::kStatusSuccess;
}

uint16_t EmulatedCamera::WriteStatus(uint32_t address, uint32_t value, const Peer& from,
                                     Clock::time_point now)
{
    if (address % 4 != 0)
        return gvcp::kStatusBadAlignment;
    const Area* area = FindArea(address, 4);
    if (!area)
        return gvcp::kStatusInvalidAddress;
    if (!area->writable)
        return kStatusWriteProtect;
    ExpirePrivilege(now);
    const bool held = m_ccp != 0;
    if (held && !(from == m_holder))
        return gvcp::kStatusAccessDenied;
    if (address == gvcp::REG_CCP) {
        m_ccp = value & 0x3;
        m_holder = from;
        m_holderSeen = now;
    }
    WriteBe32(m_memory.data() + address, address == gvcp::REG_CCP ? m_ccp : value);
    return gvcp::kStatusSuccess;
}

std::vector<uint8_t> EmulatedCamera::ReadRegisters(const uint8_t* payload, size_t length,
                                                   uint16_t reqId, const Peer& from,
                                                   Clock::time_point now)
{
    std::vector<uint8_t> values;
    uint16_t status = length == 0 || length % 4 ? gvcp::kStatusInvalidParameter : 0;
    for (size_t i = 0; status == 0 && i + 4 <= length; i += 4) {
        const uint32_t address = ReadBe32(payload + i);
        status = ReadStatus(address, from, now);
        if (status == 0) {
            values.resize(values.size() + 4);
            WriteBe32(values.data() + values.size() - 4, Register(address));
        }
    }
    std::vector<uint8_t> ack = AckHeader(status, gvcp::READREG_ACK, values.size(), reqId);
    std::copy(values.begin(), values.end(), ack.begin() + gvcp::kHeaderSize);
    return ack;
}

std::vector<uint8_t> EmulatedCamera::WriteRegisters(const uint8_t* payload, size_t length,
                                                    uint16_t reqId, const Peer& from,
                                                    Clock::time_point now)
{
    uint16_t status = length == 0 || length % 8 ? gvcp::kStatusInvalidParameter : 0;
    uint16_t written = 0;
    for (size_t i = 0; status == 0 && i + 8 <= length; i += 8) {
        status = WriteStatus(ReadBe32(payload + i), ReadBe32(payload + i + 4), from, now);
        if (status == 0)
            ++written;
    }
    std::vector<uint8_t> ack = AckHeader(status, gvcp::WRITEREG_ACK, 4, reqId);
    WriteBe16(ack.data() + 10, written);
    return ack;
}

std::vector<uint8_t> EmulatedCamera::ReadMemory(const uint8_t* payload, size_t length,
                                                uint16_t reqId, const Peer& from,
                                                Clock::time_point now)
{
    if (length < 8)
        return AckHeader(gvcp::kStatusInvalidParameter, READMEM_CMD + 1, 0, reqId);
    const uint32_t address = ReadBe32(payload);
    const uint16_t count = ReadBe16(payload + 6);
    uint16_t status = 0;
    if (address % 4 || count % 4 || count == 0 || count > kMaxReadMem)
        status = gvcp::kStatusInvalidParameter;
    else if (uint64_t(address) + count > m_memory.size() ||
             (address < DESCRIPTION_FILE && !FindArea(address, count)))
        status = gvcp::kStatusInvalidAddress;
    else
        status = ReadStatus(address, from, now);
    if (status != 0)
        return AckHeader(status, READMEM_CMD + 1, 0, reqId);
    std::vector<uint8_t> ack = AckHeader(0, READMEM_CMD + 1, 4 + count, reqId);
    WriteBe32(ack.data() + 8, address);
    std::memcpy(ack.data() + 12, m_memory.data() + address, count);
    return ack;
}

std::vector<uint8_t> EmulatedCamera::DiscoveryAck(uint16_t reqId) const
{
    std::vector<uint8_t> ack =
        AckHeader(0, gvcp::DISCOVERY_ACK, gvcp::kDiscoveryAckSize - gvcp::kHeaderSize, reqId);
    uint8_t* a = ack.data();
    const uint8_t* m = m_memory.data();
    WriteBe32(a + 8, Register(REG_VERSION));
    WriteBe32(a + 12, Register(REG_DEVICE_MODE));
    std::memcpy(a + 18, m_config.mac, 6);
    WriteBe32(a + 24, Register(REG_IP_CAPABILITY));
    WriteBe32(a + 28, Register(gvcp::REG_IP_CONFIGURATION) & gvcp::IPCFG_MASK);
    WriteBe32(a + 44, m_ip);
    WriteBe32(a + 60, m_mask);
    WriteBe32(a + 76, Register(REG_CURRENT_GATEWAY));
    std::memcpy(a + 80, m + REG_MANUFACTURER, 32);
    std::memcpy(a + 112, m + REG_MODEL, 32);
    std::memcpy(a + 144, m + REG_DEVICE_VERSION, 32);
    std::memcpy(a + 176, m + REG_MANUFACTURER_INFO, 48);
    std::memcpy(a + 224, m + REG_SERIAL, 16);
    std::memcpy(a + 240, m + gvcp::REG_USER_NAME, 16);
    return ack;
}

bool EmulatedCamera::ForceIp(const uint8_t* data, size_t size)
{
    if (size < gvcp::kForceIpSize || std::memcmp(data + 10, m_config.mac, 6) != 0)
        return false;
    const uint32_t ip = ReadBe32(data + 28);
    if (ip == 0)
        return true; // restart of the configuration: this device keeps its address
    m_ip = ip;
    m_mask = ReadBe32(data + 44);
    uint8_t* m = m_memory.data();
    WriteBe32(m + REG_CURRENT_IP, m_ip);
    WriteBe32(m + REG_CURRENT_MASK, m_mask);
    WriteBe32(m + REG_CURRENT_GATEWAY, ReadBe32(data + 60));
    return true;
}

std::vector<Outgoing> EmulatedCamera::Answer(std::vector<uint8_t> ack, const Peer& to) const
{
    std::vector<Outgoing> out;
    const Misbehaviour& mis = m_config.misbehave;
    if (mis.silent)
        return out;
    if (mis.before != ExtraDatagram::None)
        out.push_back({Distorted(ack, mis.before), to, mis.delayMs});
    out.push_back({std::move(ack), to, mis.delayMs});
    return out;
}

std::vector<Outgoing> EmulatedCamera::Handle(const uint8_t* data, size_t size, const Peer& from,
                                             Clock::time_point now)
{
    if (size < gvcp::kHeaderSize || data[0] != gvcp::kKey)
        return {};
    const uint8_t flag = data[1];
    const uint16_t command = ReadBe16(data + 2);
    const size_t length = std::min<size_t>(ReadBe16(data + 4), size - gvcp::kHeaderSize);
    const uint16_t reqId = ReadBe16(data + 6);
    const uint8_t* payload = data + gvcp::kHeaderSize;
    if (!(command == gvcp::FORCEIP_CMD || command == gvcp::DISCOVERY_CMD) && from == m_holder)
        m_holderSeen = now;

    switch (command) {
    case gvcp::DISCOVERY_CMD: {
        const bool sameSubnet = (from.ip & m_mask) == (m_ip & m_mask);
        const bool broadcast = !sameSubnet || m_config.misbehave.broadcastDiscovery;
        return Answer(DiscoveryAck(reqId), {broadcast ? kBroadcast : from.ip, from.port});
    }
    case gvcp::FORCEIP_CMD:
        if (!ForceIp(data, size) || !(flag & gvcp::kFlagAckRequired))
            return {};
        return Answer(AckHeader(0, gvcp::FORCEIP_ACK, 0, reqId),
                      {(from.ip & m_mask) == (m_ip & m_mask) ? from.ip : kBroadcast, from.port});
    case gvcp::READREG_CMD:
        return Answer(ReadRegisters(payload, length, reqId, from, now), from);
    case gvcp::WRITEREG_CMD:
        return Answer(WriteRegisters(payload, length, reqId, from, now), from);
    case READMEM_CMD:
        return Answer(ReadMemory(payload, length, reqId, from, now), from);
    default:
        if (!(flag & gvcp::kFlagAckRequired))
            return {};
        return Answer(AckHeader(gvcp::kStatusNotImplemented, uint16_t(command + 1), 0, reqId),
                      from);
    }
}

} // namespace emulator
