// Wire format, acknowledge checks and discovery-acknowledge fields, over plain byte buffers.
#include "DeviceControl.h"
#include "GvcpMessages.h"

#include <arpa/inet.h>
#include <cstring>
#include <gtest/gtest.h>

using namespace gvcp;

namespace {

std::vector<uint8_t> Ack(uint16_t status, uint16_t code, uint16_t id, std::vector<uint8_t> payload,
                         int lengthField = -1)
{
    std::vector<uint8_t> out(8);
    WriteBe16(out.data(), status);
    WriteBe16(out.data() + 2, code);
    WriteBe16(out.data() + 4, uint16_t(lengthField < 0 ? payload.size() : size_t(lengthField)));
    WriteBe16(out.data() + 6, id);
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

std::vector<uint8_t> DiscoveryAckBytes(uint16_t id)
{
    std::vector<uint8_t> a = Ack(0, DISCOVERY_ACK, id, std::vector<uint8_t>(248, 0));
    const uint8_t mac[6] = {0x02, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    std::memcpy(a.data() + 18, mac, 6);
    WriteBe32(a.data() + 28, IPCFG_PERSISTENT);
    WriteBe32(a.data() + 44, 0xC0A8010A);
    WriteBe32(a.data() + 60, 0xFFFFFF00);
    WriteBe32(a.data() + 76, 0xC0A80101);
    std::memset(a.data() + 112, 'M', 32); // model fills its width
    std::memcpy(a.data() + 224, "SN123", 5);
    std::memcpy(a.data() + 240, "Cam1", 4);
    return a;
}

} // namespace

TEST(RequestIds, SkipZeroAndStartAtOne)
{
    EXPECT_EQ(NextRequestId(0), 1);
    EXPECT_EQ(NextRequestId(41), 42);
    EXPECT_EQ(NextRequestId(65535), 1);
    RequestCounter counter;
    EXPECT_EQ(counter.Next(), 1);
    for (int i = 2; i <= 65535; ++i)
        counter.Next();
    EXPECT_EQ(counter.Last(), 65535);
    EXPECT_EQ(counter.Next(), 1);
}

TEST(Commands, HeadersAndPayloadsAreBigEndian)
{
    EXPECT_EQ(BuildDiscoveryCommand(0x1234),
              (std::vector<uint8_t>{0x42, 0x01, 0x00, 0x02, 0x00, 0x00, 0x12, 0x34}));
    EXPECT_EQ(BuildReadRegCommand(0x064C, 7),
              (std::vector<uint8_t>{0x42, 0x01, 0x00, 0x80, 0x00, 0x04, 0x00, 0x07, 0x00, 0x00,
                                    0x06, 0x4C}));
    EXPECT_EQ(BuildWriteRegCommand(0x0A00, 1, 8),
              (std::vector<uint8_t>{0x42, 0x01, 0x00, 0x82, 0x00, 0x08, 0x00, 0x08, 0, 0, 0x0A,
                                    0x00, 0, 0, 0, 1}));
    // The control client's builder copies whole words and refuses payloads beyond 2048 bytes.
    uint8_t buffer[kCommandBufferSize] = {};
    const uint8_t payload[6] = {1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(WriteCommand(buffer, kFlagAckRequired, READREG_CMD, payload, 6, 3));
    EXPECT_EQ(ReadBe16(buffer + 4), 6);
    EXPECT_EQ(buffer[11], 4);
    EXPECT_EQ(buffer[12], 0);
    EXPECT_FALSE(WriteCommand(buffer, kFlagAckRequired, READREG_CMD, payload, 2049, 3));
    CDeviceControl control(int(htonl(INADDR_LOOPBACK)), 0); // loopback: sends nothing
    EXPECT_NE(
        control.SetCommand(reinterpret_cast<_command_struct*>(buffer), READREG_CMD, nullptr, -4, 1),
        0);
}

TEST(Commands, ForceIpLayout)
{
    const auto f = BuildForceIpCommand(0xC0A8010A, 0xFFFFFF00, 0xC0A80101, 0x021A, 0x2B3C4D5E, 9);
    ASSERT_EQ(f.size(), 64u);
    const uint8_t header[8] = {0x42, 0x00, 0x00, 0x04, 0x00, 0x38, 0x00, 0x09};
    EXPECT_EQ(std::memcmp(f.data(), header, 8), 0);
    const uint8_t mac[6] = {0x02, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    EXPECT_EQ(std::memcmp(f.data() + 10, mac, 6), 0);
    EXPECT_EQ(ReadBe32(f.data() + 28), 0xC0A8010Au);
    EXPECT_EQ(ReadBe32(f.data() + 44), 0xFFFFFF00u);
    EXPECT_EQ(ReadBe32(f.data() + 60), 0xC0A80101u);
    const std::pair<int, int> zeros[] = {{8, 10}, {16, 28}, {32, 44}, {48, 60}};
    for (const auto& range : zeros)
        for (int i = range.first; i < range.second; ++i)
            EXPECT_EQ(f[size_t(i)], 0) << "byte " << i;
}

TEST(Commands, UserNameRegisters)
{
    EXPECT_EQ(EncodeUserName("Cam1"), (std::array<uint32_t, 4>{0x43616D31, 0, 0, 0}));
    // Longer names are cut to the 16 bytes of the register block.
    EXPECT_EQ(EncodeUserName("ABCDEFGHIJKLMNOPQR")[3], 0x4D4E4F50u);
}

TEST(ControlAck, StatusWinsOverEverythingElse)
{
    // Access denied is reported even when the id or code do not match the command.
    const auto denied = Ack(kStatusAccessDenied, READREG_ACK, 99, {});
    EXPECT_EQ(CheckControlAck(denied.data(), denied.size(), READREG_CMD, 5).result, 0x8006);
    const auto other = Ack(0x8003, 0x0999, 5, {});
    EXPECT_EQ(CheckControlAck(other.data(), other.size(), WRITEREG_CMD, 5).result, 0x8003);
}

TEST(ControlAck, MatchingAnswerCarriesItsPayload)
{
    const auto read = Ack(0, READREG_ACK, 5, {0xC0, 0xA8, 0x01, 0x0A});
    const ControlAck ack = CheckControlAck(read.data(), read.size(), READREG_CMD, 5);
    ASSERT_EQ(ack.result, kSuccess);
    EXPECT_EQ(ack.payloadLength, 4u);
    EXPECT_EQ(ReadBe32(ack.payload), 0xC0A8010Au);
    const auto write = Ack(0, WRITEREG_ACK, 6, {0, 0, 0, 1});
    EXPECT_EQ(CheckControlAck(write.data(), write.size(), WRITEREG_CMD, 6).count, 1u);
}

TEST(ControlAck, AnswersThatAreNotOursAreIgnored)
{
    const std::vector<std::vector<uint8_t>> ignored = {
        Ack(0, READREG_ACK, 4, {1, 2, 3, 4}),      // older request
        Ack(0, READREG_ACK, 6, {1, 2, 3, 4}),      // newer id: nothing we sent
        Ack(0, WRITEREG_ACK, 5, {1, 2, 3, 4}),     // wrong acknowledge code
        Ack(0, READREG_ACK, 5, {1, 2, 3, 4}, 200), // promises more than the datagram holds
        Ack(0, READREG_ACK, 5, {}),                // no register value at all
        {0x00, 0x00, 0x00},                        // runt
    };
    for (const auto& datagram : ignored)
        EXPECT_EQ(CheckControlAck(datagram.data(), datagram.size(), READREG_CMD, 5).result,
                  kIgnored);
}

TEST(ControlAck, RecvDataprocHandsOutPayloadOrCount)
{
    CDeviceControl control(int(htonl(INADDR_LOOPBACK)), 0); // loopback: sends nothing
    const auto read = Ack(0, READREG_ACK, 5, {0, 0, 0, 2});
    int* data = nullptr;
    int length = 0;
    ASSERT_EQ(control.RecvDataproc(READREG_CMD, reinterpret_cast<const char*>(read.data()),
                                   int(read.size()), &data, &length, 5),
              0);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(length, 4);
    EXPECT_EQ(ntohl(uint32_t(data[0])), 2u);
    delete[] data;

    const auto write = Ack(0, WRITEREG_ACK, 6, {0, 0, 0, 1});
    ASSERT_EQ(control.RecvDataproc(WRITEREG_CMD, reinterpret_cast<const char*>(write.data()),
                                   int(write.size()), nullptr, &length, 6),
              0);
    EXPECT_EQ(length, 1);

    data = nullptr;
    const auto denied = Ack(kStatusAccessDenied, READREG_ACK, 7, {0, 0, 0, 2});
    EXPECT_EQ(control.RecvDataproc(READREG_CMD, reinterpret_cast<const char*>(denied.data()),
                                   int(denied.size()), &data, &length, 7),
              0x8006);
    EXPECT_EQ(data, nullptr);
}

TEST(DiscoveryAck, FieldsOfAFullAnswer)
{
    const auto bytes = DiscoveryAckBytes(3);
    CamInfo info;
    ASSERT_EQ(ParseDiscoveryAck(bytes.data(), bytes.size(), 3, 0x0101A8C0, &info), kSuccess);
    EXPECT_STREQ(info.macText, "02:1a:2b:3c:4d:5e");
    EXPECT_STREQ(info.ipText, "192.168.1.10");
    EXPECT_EQ(ntohl(info.currentIp), 0xC0A8010Au);
    EXPECT_EQ(ntohl(info.subnetMask), 0xFFFFFF00u);
    EXPECT_EQ(ntohl(info.gateway), 0xC0A80101u);
    EXPECT_EQ(ntohl(info.ipConfigCurrent) & IPCFG_PERSISTENT, IPCFG_PERSISTENT);
    EXPECT_EQ(info.interfaceIp, 0x0101A8C0u);
    EXPECT_EQ(FieldText(info.modelName), std::string(32, 'M'));
    EXPECT_EQ(FieldText(info.serialNumber), "SN123");
    EXPECT_EQ(FieldText(info.userName), "Cam1");
}

TEST(DiscoveryAck, WrongAnswersEndListening)
{
    CamInfo info;
    const uint8_t runt[7] = {0, 0, 0, 3, 0, 0, 0};
    EXPECT_EQ(ParseDiscoveryAck(runt, sizeof runt, 3, 0, &info), kNoAnswer);
    const auto older = DiscoveryAckBytes(2);
    EXPECT_EQ(ParseDiscoveryAck(older.data(), older.size(), 3, 0, &info), kNotDiscoveryAck);
    auto code = DiscoveryAckBytes(3);
    WriteBe16(code.data() + 2, READREG_ACK);
    EXPECT_EQ(ParseDiscoveryAck(code.data(), code.size(), 3, 0, &info), kNotDiscoveryAck);
    // The status field is not looked at.
    auto status = DiscoveryAckBytes(3);
    WriteBe16(status.data(), 0x8001);
    EXPECT_EQ(ParseDiscoveryAck(status.data(), status.size(), 3, 0, &info), kSuccess);
}

TEST(DiscoveryAck, ShortAnswerNeverShowsBytesOfAnEarlierOne)
{
    CamInfo info;
    const auto full = DiscoveryAckBytes(3);
    ASSERT_EQ(ParseDiscoveryAck(full.data(), full.size(), 3, 0, &info), kSuccess);
    // Only the part up to the current IP is present: the rest stays empty.
    const std::vector<uint8_t> part(full.begin(), full.begin() + 48);
    ASSERT_EQ(ParseDiscoveryAck(part.data(), part.size(), 3, 0, &info), kSuccess);
    EXPECT_STREQ(info.ipText, "192.168.1.10");
    EXPECT_EQ(info.subnetMask, 0u);
    EXPECT_EQ(FieldText(info.modelName), "");
    EXPECT_EQ(FieldText(info.userName), "");
    // A field cut by the end of the datagram counts as absent, not half filled.
    const std::vector<uint8_t> cut(full.begin(), full.begin() + 130);
    ASSERT_EQ(ParseDiscoveryAck(cut.data(), cut.size(), 3, 0, &info), kSuccess);
    EXPECT_EQ(FieldText(info.modelName), "");
}
