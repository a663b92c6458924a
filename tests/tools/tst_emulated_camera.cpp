// The emulated device's answers, without sockets: datagram in, answers out.
#include "CameraOptions.h"
#include "EmulatedCamera.h"
#include "GvcpMessages.h"

#include <gtest/gtest.h>

using namespace emulator;
using gvcp::ReadBe16;
using gvcp::ReadBe32;

namespace {

const Peer kHost{0x0A0A0101, 9000};
const Peer kOther{0x0A0A0102, 9001};

CameraConfig Config(const std::string& extra = "")
{
    CameraConfig config;
    std::string error;
    EXPECT_TRUE(ParseCameraOptions("mac=02:1a:2b:3c:4d:5e,ip=10.10.1.20,mask=255.255.255.0,"
                                   "model=M,serial=S,user=U" +
                                       (extra.empty() ? "" : "," + extra),
                                   &config, &error))
        << error;
    return config;
}

struct Exchange
{
    EmulatedCamera& camera;
    Clock::time_point now = Clock::now();
    uint16_t id = 0;

    std::vector<Outgoing> Send(const std::vector<uint8_t>& datagram, const Peer& from = kHost)
    {
        return camera.Handle(datagram.data(), datagram.size(), from, now);
    }
    // Status of a single READREG; the value in *value.
    uint16_t Read(uint32_t address, uint32_t* value, const Peer& from = kHost)
    {
        const auto out = Send(gvcp::BuildReadRegCommand(address, ++id), from);
        EXPECT_EQ(out.size(), 1u);
        if (ReadBe16(out[0].bytes.data()) == 0 && out[0].bytes.size() >= 12)
            *value = ReadBe32(out[0].bytes.data() + 8);
        return ReadBe16(out[0].bytes.data());
    }
    uint16_t Write(uint32_t address, uint32_t value, const Peer& from = kHost)
    {
        const auto out = Send(gvcp::BuildWriteRegCommand(address, value, ++id), from);
        EXPECT_EQ(out.size(), 1u);
        return ReadBe16(out[0].bytes.data());
    }
};

} // namespace

TEST(EmulatedCamera, DiscoveryAnswerIsUnicastInsideTheSubnetAndBroadcastOutside)
{
    EmulatedCamera camera(Config());
    Exchange x{camera};
    auto inside = x.Send(gvcp::BuildDiscoveryCommand(4));
    ASSERT_EQ(inside.size(), 1u);
    EXPECT_EQ(inside[0].bytes.size(), 256u);
    EXPECT_EQ(inside[0].to, kHost);
    CamInfo info;
    ASSERT_EQ(gvcp::ParseDiscoveryAck(inside[0].bytes.data(), 256, 4, 0, &info), 0);
    EXPECT_STREQ(info.macText, "02:1a:2b:3c:4d:5e");
    EXPECT_EQ(gvcp::FieldText(info.userName), "U");
    auto outside = x.Send(gvcp::BuildDiscoveryCommand(5), Peer{0xC0A80001, 9000});
    ASSERT_EQ(outside.size(), 1u);
    EXPECT_EQ(outside[0].to.ip, 0xFFFFFFFFu);
    EXPECT_EQ(outside[0].to.port, 9000);
}

TEST(EmulatedCamera, ExclusivePrivilegeShutsOutOthersUntilReleasedOrLapsed)
{
    EmulatedCamera camera(Config());
    Exchange x{camera};
    uint32_t value = 0;
    ASSERT_EQ(x.Write(gvcp::REG_CCP, 1), 0);
    EXPECT_EQ(x.Read(gvcp::REG_PERSISTENT_IP, &value, kOther), 0x8006);
    EXPECT_EQ(x.Write(gvcp::REG_PERSISTENT_IP, 1, kOther), 0x8006);
    EXPECT_EQ(x.Write(gvcp::REG_CCP, 1, kOther), 0x8006);
    ASSERT_EQ(x.Write(gvcp::REG_CCP, 0), 0);
    EXPECT_EQ(x.Read(gvcp::REG_PERSISTENT_IP, &value, kOther), 0);

    ASSERT_EQ(x.Write(gvcp::REG_CCP, 1), 0);
    x.now += std::chrono::milliseconds(2900); // within the 3 s heartbeat timeout
    EXPECT_EQ(x.Read(gvcp::REG_PERSISTENT_IP, &value, kOther), 0x8006);
    x.now += std::chrono::milliseconds(3100);
    EXPECT_EQ(x.Read(gvcp::REG_PERSISTENT_IP, &value, kOther), 0);
    EXPECT_EQ(x.Read(gvcp::REG_CCP, &value, kOther), 0);
    EXPECT_EQ(value, 0u);
}

TEST(EmulatedCamera, RegisterSpaceRules)
{
    EmulatedCamera camera(Config("channels=2,ipconfig=5"));
    Exchange x{camera};
    uint32_t value = 0;
    EXPECT_EQ(x.Read(0x0024, &value), 0);
    EXPECT_EQ(value, 0x0A0A0114u);
    EXPECT_EQ(x.Read(gvcp::REG_MESSAGE_CHANNELS, &value), 0);
    EXPECT_EQ(value, 2u);
    EXPECT_EQ(x.Read(gvcp::REG_IP_CONFIGURATION, &value), 0);
    EXPECT_EQ(value, 5u);
    EXPECT_EQ(x.Read(0x7000, &value), gvcp::kStatusInvalidAddress);
    EXPECT_EQ(x.Read(0x0026, &value), gvcp::kStatusBadAlignment);
    EXPECT_EQ(x.Write(0x0024, 1), 0x8004); // current IP is read-only
    EXPECT_EQ(x.Write(gvcp::REG_PERSISTENT_GATEWAY, 0x0A0A01FE), 0);
    EXPECT_EQ(camera.Register(gvcp::REG_PERSISTENT_GATEWAY), 0x0A0A01FEu);
}

TEST(EmulatedCamera, UserNameWritesChangeTheDiscoveryAnswer)
{
    EmulatedCamera camera(Config());
    Exchange x{camera};
    const auto regs = gvcp::EncodeUserName("Cam1");
    for (uint32_t i = 0; i < 4; ++i)
        ASSERT_EQ(x.Write(gvcp::REG_USER_NAME + 4 * i, regs[i]), 0);
    const auto out = x.Send(gvcp::BuildDiscoveryCommand(9));
    CamInfo info;
    ASSERT_EQ(gvcp::ParseDiscoveryAck(out[0].bytes.data(), out[0].bytes.size(), 9, 0, &info), 0);
    EXPECT_EQ(gvcp::FieldText(info.userName), "Cam1");
}

TEST(EmulatedCamera, ForceIpTakesEffectOnlyForItsMac)
{
    EmulatedCamera camera(Config());
    Exchange x{camera};
    const auto other = gvcp::BuildForceIpCommand(0x0A0A0163, 0xFFFFFF00, 0, 0x021A, 0x2B3C4D5F, 1);
    EXPECT_TRUE(x.Send({other.begin(), other.end()}).empty());
    EXPECT_EQ(camera.Ip(), 0x0A0A0114u);
    auto mine =
        gvcp::BuildForceIpCommand(0xC0A8010A, 0xFFFF0000, 0xC0A80101, 0x021A, 0x2B3C4D5E, 2);
    EXPECT_TRUE(x.Send({mine.begin(), mine.end()}).empty()); // no acknowledge asked for
    EXPECT_EQ(camera.Ip(), 0xC0A8010Au);
    EXPECT_EQ(camera.Mask(), 0xFFFF0000u);
    EXPECT_EQ(camera.Register(0x0044), 0xC0A80101u);
    mine[1] = gvcp::kFlagAckRequired;
    const auto acked = x.Send({mine.begin(), mine.end()});
    ASSERT_EQ(acked.size(), 1u);
    EXPECT_EQ(ReadBe16(acked[0].bytes.data() + 2), gvcp::FORCEIP_ACK);
    EXPECT_EQ(acked[0].to.ip, 0xFFFFFFFFu); // the sender is outside the new subnet
}

TEST(EmulatedCamera, DescriptionFileReadsInWholeWords)
{
    EmulatedCamera camera(Config());
    Exchange x{camera};
    // READMEM: address, reserved, count.
    auto readMem = [&](uint32_t address, uint16_t count) {
        std::vector<uint8_t> payload(8, 0);
        gvcp::WriteBe32(payload.data(), address);
        gvcp::WriteBe16(payload.data() + 6, count);
        std::vector<uint8_t> command(16, 0);
        gvcp::WriteCommand(command.data(), 1, 0x0084, payload.data(), 8, ++x.id);
        const auto out = x.Send(command);
        EXPECT_EQ(out.size(), 1u);
        return out[0].bytes;
    };
    const auto url = readMem(0x0200, 512);
    ASSERT_EQ(ReadBe16(url.data()), 0);
    const std::string text(reinterpret_cast<const char*>(url.data() + 12));
    EXPECT_EQ(text.rfind("Local:emulator.xml;10000;", 0), 0u) << text;
    const size_t length = std::stoul(text.substr(text.rfind(';') + 1), nullptr, 16);
    // A reader rounding the file's length up to whole words stays inside the memory.
    const uint32_t lastWord = uint32_t(0x10000 + (length + 3) / 4 * 4 - 4);
    const auto tail = readMem(lastWord, 4);
    EXPECT_EQ(ReadBe16(tail.data()), 0) << "file length " << length;
    EXPECT_EQ(ReadBe16(readMem(lastWord + 4, 4).data()), gvcp::kStatusInvalidAddress);
}

TEST(EmulatedCamera, MisbehaviourOnPurpose)
{
    EmulatedCamera silent(Config("silent"));
    Exchange quiet{silent};
    EXPECT_TRUE(quiet.Send(gvcp::BuildReadRegCommand(0x0024, 1)).empty());

    EmulatedCamera stale(Config("before=stale,delay=40"));
    Exchange x{stale};
    const auto out = x.Send(gvcp::BuildReadRegCommand(0x0024, 1));
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(ReadBe16(out[0].bytes.data() + 6), 0xFFFF); // the id before 1
    EXPECT_EQ(ReadBe16(out[1].bytes.data() + 6), 1);
    EXPECT_EQ(out[1].delayMs, 40);
}

TEST(CameraOptions, RejectsWhatItCannotRead)
{
    std::string error;
    auto parses = [&](const std::string& text) {
        CameraConfig config;
        return ParseCameraOptions(text, &config, &error);
    };
    EXPECT_FALSE(parses("mac=02:1a,ip=10.0.0.1"));
    EXPECT_FALSE(parses("ip=10.0.0.300"));
    EXPECT_FALSE(parses("ip=10.0.0.1,before=sometimes"));
    EXPECT_FALSE(parses("ip=10.0.0.1,delay=soon"));
    EXPECT_FALSE(parses("model=M"));
    EXPECT_NE(error.find("ip"), std::string::npos);
    EXPECT_TRUE(parses("ip=10.0.0.1,silent,bcast-discovery,before=overlong,channels=0"));
}
