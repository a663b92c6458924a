#include "GvcpMessages.h"

#include <cstdio>
#include <cstring>

namespace gvcp {

uint16_t ReadBe16(const uint8_t* p)
{
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

uint32_t ReadBe32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

void WriteBe16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v >> 8);
    p[1] = uint8_t(v);
}

void WriteBe32(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

uint32_t FromWire(uint32_t wireWord)
{
    return ReadBe32(reinterpret_cast<const uint8_t*>(&wireWord));
}

uint32_t ToWire(uint32_t hostValue)
{
    uint32_t wire;
    WriteBe32(reinterpret_cast<uint8_t*>(&wire), hostValue);
    return wire;
}

uint16_t NextRequestId(uint16_t last)
{
    const uint16_t next = uint16_t(last + 1);
    return next == 0 ? 1 : next;
}

uint16_t RequestCounter::Next()
{
    uint16_t last = m_last.load();
    while (!m_last.compare_exchange_weak(last, NextRequestId(last))) {
    }
    return NextRequestId(last);
}

bool WriteCommand(uint8_t* out, uint8_t flag, uint16_t command, const void* payload, size_t length,
                  uint16_t reqId)
{
    if (length > kMaxPayload)
        return false;
    out[0] = kKey;
    out[1] = flag;
    WriteBe16(out + 2, command);
    WriteBe16(out + 4, uint16_t(length));
    WriteBe16(out + 6, reqId);
    const size_t words = length & ~size_t(3);
    if (words != 0)
        std::memcpy(out + kHeaderSize, payload, words);
    return true;
}

namespace {

std::vector<uint8_t> BuildWithWords(uint16_t command, const uint32_t* words, size_t count,
                                    uint16_t reqId)
{
    std::vector<uint8_t> payload(count * 4);
    for (size_t i = 0; i < count; ++i)
        WriteBe32(payload.data() + 4 * i, words[i]);
    std::vector<uint8_t> out(kHeaderSize + payload.size(), 0);
    WriteCommand(out.data(), kFlagAckRequired, command, payload.data(), payload.size(), reqId);
    return out;
}

} // namespace

std::vector<uint8_t> BuildDiscoveryCommand(uint16_t reqId)
{
    return BuildWithWords(DISCOVERY_CMD, nullptr, 0, reqId);
}

std::vector<uint8_t> BuildReadRegCommand(uint32_t address, uint16_t reqId)
{
    return BuildWithWords(READREG_CMD, &address, 1, reqId);
}

std::vector<uint8_t> BuildWriteRegCommand(uint32_t address, uint32_t value, uint16_t reqId)
{
    const uint32_t words[2] = {address, value};
    return BuildWithWords(WRITEREG_CMD, words, 2, reqId);
}

std::array<uint8_t, kForceIpSize> BuildForceIpCommand(uint32_t ip, uint32_t mask, uint32_t gateway,
                                                      uint16_t macHigh, uint32_t macLow,
                                                      uint16_t reqId)
{
    std::array<uint8_t, kForceIpSize> out{};
    uint8_t payload[kForceIpPayload] = {};
    WriteBe16(payload + 2, macHigh);
    WriteBe32(payload + 4, macLow);
    WriteBe32(payload + 20, ip);
    WriteBe32(payload + 36, mask);
    WriteBe32(payload + 52, gateway);
    WriteCommand(out.data(), kFlagNoAck, FORCEIP_CMD, payload, sizeof payload, reqId);
    return out;
}

std::array<uint32_t, 4> EncodeUserName(const std::string& name)
{
    uint8_t bytes[16] = {};
    std::memcpy(bytes, name.data(), name.size() < 16 ? name.size() : 16);
    std::array<uint32_t, 4> regs{};
    for (size_t i = 0; i < regs.size(); ++i)
        regs[i] = ReadBe32(bytes + 4 * i);
    return regs;
}

bool ParseAckHeader(const uint8_t* data, size_t size, AckHeader* out)
{
    if (size < kHeaderSize)
        return false;
    out->status = ReadBe16(data);
    out->acknowledge = ReadBe16(data + 2);
    out->length = ReadBe16(data + 4);
    out->ackId = ReadBe16(data + 6);
    return true;
}

namespace {

// Least payload a successful answer must carry for the caller to use it.
size_t MinimumPayload(uint16_t command)
{
    return command == READREG_CMD || command == WRITEREG_CMD ? 4 : 0;
}

} // namespace

ControlAck CheckControlAck(const uint8_t* data, size_t size, uint16_t command, uint16_t reqId)
{
    ControlAck ack;
    AckHeader header{};
    if (!ParseAckHeader(data, size, &header))
        return ack;
    if (header.status != kStatusSuccess) {
        ack.result = header.status;
        return ack;
    }
    if (header.ackId != reqId || header.acknowledge != uint16_t(command + 1))
        return ack;
    if (header.length > size - kHeaderSize || header.length < MinimumPayload(command))
        return ack;
    ack.result = kSuccess;
    ack.payload = data + kHeaderSize;
    ack.payloadLength = header.length;
    ack.count = command == WRITEREG_CMD ? ReadBe32(ack.payload) : header.length;
    return ack;
}

std::string DottedText(uint32_t networkOrderIp)
{
    const auto* b = reinterpret_cast<const uint8_t*>(&networkOrderIp);
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
    return text;
}

std::string MacText(const uint8_t mac[6])
{
    char text[18];
    std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", mac[0], mac[1], mac[2],
                  mac[3], mac[4], mac[5]);
    return text;
}

namespace {

// Copies a field of the datagram only when it lies wholly inside it.
class DiscoveryFields
{
public:
    DiscoveryFields(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    void Copy(size_t offset, void* to, size_t width) const
    {
        if (offset + width <= m_size)
            std::memcpy(to, m_data + offset, width);
    }

private:
    const uint8_t* m_data;
    size_t m_size;
};

} // namespace

int ParseDiscoveryAck(const uint8_t* data, size_t size, uint16_t reqId, uint32_t interfaceIp,
                      CamInfo* out)
{
    AckHeader header{};
    if (!ParseAckHeader(data, size, &header))
        return kNoAnswer;
    if (header.acknowledge != DISCOVERY_ACK || header.ackId != reqId)
        return kNotDiscoveryAck;

    std::memset(out, 0, sizeof *out);
    const DiscoveryFields fields(data, size);
    fields.Copy(12, &out->deviceMode, 4);
    fields.Copy(18, out->mac, 2);
    fields.Copy(20, out->mac + 2, 4);
    fields.Copy(24, &out->ipConfigOptions, 4);
    fields.Copy(28, &out->ipConfigCurrent, 4);
    fields.Copy(44, &out->currentIp, 4);
    fields.Copy(60, &out->subnetMask, 4);
    fields.Copy(76, &out->gateway, 4);
    fields.Copy(112, out->modelName, sizeof out->modelName);
    fields.Copy(224, out->serialNumber, sizeof out->serialNumber);
    fields.Copy(240, out->userName, sizeof out->userName);
    const std::string ip = DottedText(out->currentIp);
    std::memcpy(out->ipText, ip.c_str(), ip.size() + 1);
    const std::string mac = MacText(out->mac);
    std::memcpy(out->macText, mac.c_str(), mac.size() + 1);
    out->interfaceIp = interfaceIp;
    return kSuccess;
}

} // namespace gvcp
