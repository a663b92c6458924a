// The real-camera backend against Aravis's networked fake camera in a camera namespace of the
// test network (tools/netns/testnet.sh): discovery, streaming, every pixel format it sends,
// software trigger, unplugging, and a features file carried over a restart of the camera.
#include "OrvantaAPI.h"
#include "fakegvcamera.h"
#include "pixelreference.h"
#include "privatenet.h"
#include "sdktestutil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <thread>

namespace {

std::string env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::set<std::string> words(const std::string& text)
{
    std::istringstream in(text);
    std::set<std::string> out;
    for (std::string w; in >> w;)
        out.insert(w);
    return out;
}

struct IsolationCheck : ::testing::Environment
{
    void SetUp() override
    {
        if (env("TESTNET_HOST_NS").empty()) {
            std::fprintf(stderr, "refusing to run outside tools/netns/testnet.sh\n");
            std::exit(2);
        }
        privatenet::requireIsolation(words(env("TESTNET_HOST_IFACES")));
    }
};
const auto* const kIsolation = ::testing::AddGlobalTestEnvironment(new IsolationCheck);

template <class Pred> bool waitFor(Pred pred, int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::atomic<int> g_frames{0};
void countFrame(OImageFrame*)
{
    ++g_frames;
}

int cameraCount()
{
    int n = -1;
    OrvantaNumberOfCameras(&n);
    return n;
}

class NetworkedFake : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("ORVANTA_BACKENDS", "real", 1);
        setenv("ORVANTA_ARAVIS_INTERFACES", "GigEVision", 1);
        setenv("ORVANTA_ARAVIS_REFRESH_MS", "300", 1);
        plug();
        ASSERT_EQ(OrvantaInit(), ORVANTA_OK);
        ASSERT_TRUE(waitFor([] { return cameraCount() == 1; }, 15000));
        char id[ORVANTA_TEXT_SIZE] = {};
        ASSERT_EQ(OrvantaGetCameraID(0, id), ORVANTA_OK);
        id_ = id;
        ASSERT_EQ(OrvantaOpenCamera(id, &h_), ORVANTA_OK) << id;
        g_frames = 0;
    }
    void TearDown() override { OrvantaUninit(); }

    void plug()
    {
        camera_ = std::make_unique<FakeGvCamera>(*words(env("TESTNET_CAM_NS")).begin(), "GV01",
                                                 lostPerThousand_);
        ASSERT_TRUE(camera_->running());
    }

    int lostPerThousand_ = 0;
    std::unique_ptr<FakeGvCamera> camera_;
    std::string id_;
    OrvantaHandle h_ = nullptr;
};

} // namespace

TEST_F(NetworkedFake, ListedStreamsAndGrabs)
{
    char name[ORVANTA_TEXT_SIZE] = {};
    ASSERT_EQ(OrvantaGetDisplayName(0, name), ORVANTA_OK);
    EXPECT_NE(std::string(name).find("GV01"), std::string::npos) << name;
    ASSERT_EQ(OrvantaStartAcquisition(h_, countFrame), ORVANTA_OK);
    EXPECT_TRUE(waitFor([] { return g_frames >= 10; }, 15000)) << g_frames;
    OSizeInfo s{};
    ASSERT_EQ(OrvantaGetSizeInfo(h_, &s), ORVANTA_OK);
    std::vector<unsigned char> raw(size_t(s.maxWidth) * s.maxHeight * 2);
    OImageFrame frame{};
    frame.rawData = raw.data();
    EXPECT_EQ(OrvantaGrabRAWData(h_, &frame, 5000), ORVANTA_OK);
    EXPECT_EQ(frame.width, uint32_t(s.width));
    ASSERT_EQ(OrvantaStopAcquisition(h_), ORVANTA_OK);
    const int stopped = g_frames;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(g_frames, stopped);
    EXPECT_EQ(OrvantaGrabRAWData(h_, &frame, 5000), ORVANTA_OK); // without a stream too
}

// Each format the fake camera offers, streamed with and without Bayer conversion: the planes
// hold what its bytes stand for.
TEST_F(NetworkedFake, EveryPixelFormatOfTheCameraFillsItsPlanes)
{
    for (const char* format :
         {"Mono8", "Mono16", "RGB8", "BayerGR8", "BayerRG8", "BayerGB8", "BayerBG8"}) {
        ASSERT_EQ(OrvantaSetPixelFormatStr(h_, format), ORVANTA_OK) << format;
        EXPECT_EQ(pixelref::streamOneCheckedFrame(h_, format, false), "");
        EXPECT_EQ(pixelref::streamOneCheckedFrame(h_, format, true), "");
    }
}

TEST_F(NetworkedFake, SoftwareTriggerDeliversOneFramePerTrigger)
{
    ASSERT_EQ(OrvantaSetTriggerEnable(h_, true), ORVANTA_OK);
    ASSERT_EQ(OrvantaSetTriggerSourceStr(h_, "Software"), ORVANTA_OK);
    ASSERT_EQ(OrvantaStartAcquisition(h_, countFrame), ORVANTA_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(g_frames, 0);
    for (int i = 1; i <= 3; ++i) {
        ASSERT_EQ(OrvantaRunSoftwareTrigger(h_), ORVANTA_OK);
        EXPECT_TRUE(waitFor([i] { return g_frames >= i; }, 5000)) << i;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_EQ(g_frames, i);
    }
    EXPECT_EQ(OrvantaStopAcquisition(h_), ORVANTA_OK);
}

TEST_F(NetworkedFake, UnpluggedCameraLeavesTheListAndFailsItsSession)
{
    ASSERT_EQ(OrvantaStartAcquisition(h_, countFrame), ORVANTA_OK);
    EXPECT_TRUE(waitFor([] { return g_frames >= 3; }, 15000));
    camera_->unplug();
    EXPECT_TRUE(waitFor([] { return cameraCount() == 0; }, 10000));
    // Calls on the session fail (the control channel times out or the loss was noticed).
    EXPECT_TRUE(waitFor(
        [this] {
            NodeIntInfo w{};
            return OrvantaGetNodeInt(h_, "Width", &w) != ORVANTA_OK;
        },
        15000));
    const int frames = g_frames;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(g_frames, frames);
    EXPECT_EQ(OrvantaStopAcquisition(h_), ORVANTA_OK);
    EXPECT_EQ(OrvantaCloseCamera(h_), ORVANTA_OK);
}

TEST_F(NetworkedFake, FeaturesFileRestoresTheSettingsAfterARestart)
{
    const std::pair<const char*, const char*> changes[] = {{"Width", "256"},
                                                           {"Height", "128"},
                                                           {"OffsetX", "16"},
                                                           {"BinningHorizontal", "2"},
                                                           {"TriggerMode", "On"},
                                                           {"TriggerSource", "Software"},
                                                           {"ExposureTimeAbs", "5000.5"},
                                                           {"TestRegister", "42"}};
    for (const auto& c : changes)
        ASSERT_EQ(setNodeText(h_, c.first, c.second), ORVANTA_OK) << c.first;
    TempFile saved("gv-saved.txt"), again("gv-again.txt");
    ASSERT_EQ(OrvantaSaveFeatures(h_, saved.path.c_str()), ORVANTA_OK);
    EXPECT_EQ(saved.read().find("PayloadSize"), std::string::npos); // transport layer

    // The fake camera keeps no user sets: a restart brings back its factory settings.
    ASSERT_EQ(OrvantaCloseCamera(h_), ORVANTA_OK);
    camera_->unplug();
    plug();
    ASSERT_TRUE(
        waitFor([this] { return OrvantaOpenCamera(id_.c_str(), &h_) == ORVANTA_OK; }, 15000));
    ASSERT_NE(nodeInt(h_, "Width"), 256);

    char report[4096] = {};
    ASSERT_EQ(OrvantaLoadFeatures(h_, saved.path.c_str(), report, sizeof report), ORVANTA_OK)
        << report;
    ASSERT_EQ(OrvantaSaveFeatures(h_, again.path.c_str()), ORVANTA_OK);
    EXPECT_EQ(again.featureLines(), saved.featureLines());
    EXPECT_EQ(nodeInt(h_, "Width"), 256);
    EXPECT_EQ(nodeInt(h_, "TestRegister"), 42);
}

namespace {

// The fake camera's picture depends on x + y only, so p(x + 1, y) == p(x, y + 1) holds in
// every whole frame; a frame patched up from packets of two frames breaks it.
std::atomic<int> g_torn{0};
void checkWholeFrame(OImageFrame* f)
{
    ++g_frames;
    const unsigned char* p = f->mono8Data;
    const uint32_t w = f->width;
    for (uint32_t y = 0; y + 1 < f->height; ++y)
        for (uint32_t x = 0; x + 1 < w; ++x)
            if (p[y * w + x + 1] != p[(y + 1) * w + x]) {
                ++g_torn;
                return;
            }
}

// Losing stream packets: 5 % by default, ORVANTA_LOST_PER_THOUSAND for other figures.
class LossyNetworkedFake : public NetworkedFake
{
protected:
    LossyNetworkedFake()
    {
        const std::string lost = env("ORVANTA_LOST_PER_THOUSAND");
        lostPerThousand_ = lost.empty() ? 50 : std::stoi(lost);
    }
};

} // namespace

TEST_F(LossyNetworkedFake, ResendsCountsLossesAndNeverDeliversATornFrame)
{
    g_torn = 0;
    ASSERT_EQ(OrvantaSetPixelFormatStr(h_, "Mono8"), ORVANTA_OK);
    // Frames of about a dozen packets: at 5 % loss about half of them arrive whole. (This fake
    // camera does not answer resend requests, so every loss costs its frame.)
    ASSERT_EQ(OrvantaSetSizeInfo(h_, OSizeInfo{0, 0, 256, 64, 0, 0}), ORVANTA_OK);
    ASSERT_EQ(OrvantaStartAcquisition(h_, checkWholeFrame), ORVANTA_OK);
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(18));
    const int before = g_frames;
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const int lastTwoSeconds = g_frames - before;
    ASSERT_EQ(OrvantaStopAcquisition(h_), ORVANTA_OK);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    OStreamStatistics s{};
    ASSERT_EQ(OrvantaGetStreamStatistics(h_, &s), ORVANTA_OK);
    std::printf("lost %d/1000: resent %llu missing %llu incomplete %llu delivered %llu "
                "dropped %llu fps %.1f\n",
                lostPerThousand_, (unsigned long long)s.packetsResent,
                (unsigned long long)s.packetsMissing, (unsigned long long)s.framesIncomplete,
                (unsigned long long)s.framesDelivered, (unsigned long long)s.framesDropped,
                double(s.framesDelivered) / seconds);
    EXPECT_GT(s.packetsMissing, 0u);
    EXPECT_GT(s.framesIncomplete, 0u);
    EXPECT_EQ(s.framesDelivered, uint64_t(g_frames.load())); // counted = delivered
    EXPECT_EQ(g_torn, 0);
    EXPECT_GT(lastTwoSeconds, 0); // still streaming at the end
}
