// Stream statistics: each counter provoked through the simulated camera's transfer faults or by
// a consumer that pins every buffer, the frame intervals, and the reset.
#include "sdktestutil.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<uint64_t> g_frames{0};
std::atomic<bool> g_pin{false};

void onFrame(OImageFrame* f)
{
    ++g_frames;
    if (g_pin) // a consumer that never lets go: every ring buffer ends up pinned
        OrvantaLockFrame(f, f->frameID);
}

class SdkStatistics : public SdkTest
{
protected:
    void SetUp() override
    {
        SdkTest::SetUp();
        g_frames = 0;
        g_pin = false;
        camera_ = openKind("mono", &id_);
        ASSERT_EQ(OrvantaSetFrameRate(camera_, 50.0f), ORVANTA_OK);
    }

    void setFaults(OSimStreamFaults faults)
    {
        ASSERT_EQ(OrvantaSimSetStreamFaults(id_.c_str(), &faults), ORVANTA_OK);
    }

    // Streams until the statistics show n frames handled (delivered, dropped or incomplete).
    OStreamStatistics streamFrames(uint64_t n)
    {
        EXPECT_EQ(OrvantaStartAcquisition(camera_, onFrame), ORVANTA_OK);
        OStreamStatistics s{};
        const auto end = Clock::now() + std::chrono::seconds(20);
        do {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            EXPECT_EQ(OrvantaGetStreamStatistics(camera_, &s), ORVANTA_OK);
        } while (s.framesDelivered + s.framesDropped + s.framesIncomplete < n &&
                 Clock::now() < end);
        EXPECT_EQ(OrvantaStopAcquisition(camera_), ORVANTA_OK);
        EXPECT_EQ(OrvantaGetStreamStatistics(camera_, &s), ORVANTA_OK);
        return s;
    }

    OrvantaHandle camera_ = nullptr;
    std::string id_;
};

} // namespace

TEST_F(SdkStatistics, FaultsLandInTheirCountersAndResetClearsThem)
{
    OStreamStatistics s{};
    EXPECT_EQ(OrvantaGetStreamStatistics(nullptr, &s), ORVANTA_ERR_INVALID_HANDLE);
    EXPECT_EQ(OrvantaGetStreamStatistics(camera_, nullptr), ORVANTA_ERR_BAD_ARGUMENT);
    EXPECT_EQ(OrvantaResetStreamStatistics(nullptr), ORVANTA_ERR_INVALID_HANDLE);

    setFaults({5, 4, 0, 0}); // drop every 5th frame, corrupt every 4th (the 20th is corrupt)
    s = streamFrames(40);
    const uint64_t sent = s.framesDelivered + s.framesDropped + s.framesIncomplete;
    EXPECT_EQ(s.framesDelivered, g_frames.load()); // counted = delivered
    EXPECT_EQ(s.framesIncomplete, sent / 4);
    EXPECT_EQ(s.framesDropped, sent / 5 - sent / 20);
    EXPECT_EQ(s.packetsResent, 0u); // no packets on this transport
    EXPECT_EQ(s.packetsMissing, 0u);

    // The figures add up over acquisitions until they are reset.
    setFaults({});
    const OStreamStatistics second = streamFrames(sent + 10);
    EXPECT_EQ(second.framesIncomplete, s.framesIncomplete);
    EXPECT_GT(second.framesDelivered, s.framesDelivered);

    ASSERT_EQ(OrvantaResetStreamStatistics(camera_), ORVANTA_OK);
    ASSERT_EQ(OrvantaGetStreamStatistics(camera_, &s), ORVANTA_OK);
    const OStreamStatistics zero{};
    EXPECT_EQ(std::memcmp(&s, &zero, sizeof s), 0);
}

TEST_F(SdkStatistics, FramesFindingEveryBufferPinnedAreCountedAsDropped)
{
    g_pin = true;
    const OStreamStatistics s = streamFrames(ORVANTA_FRAME_RING_DEPTH + 5);
    EXPECT_EQ(s.framesDelivered, uint64_t(ORVANTA_FRAME_RING_DEPTH));
    EXPECT_GE(s.framesDropped, 5u);
}

TEST_F(SdkStatistics, IntervalsFollowTheRateAndShowDelayedFrames)
{
    setFaults({0, 0, 5, 150}); // every 5th frame 150 ms late; the rate gives 20 ms
    ASSERT_EQ(OrvantaStartAcquisition(camera_, onFrame), ORVANTA_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    // Read once the stream has stopped: a frame between the read and the stop would move the
    // maximum the second read is compared with.
    ASSERT_EQ(OrvantaStopAcquisition(camera_), ORVANTA_OK);
    OStreamStatistics s{};
    ASSERT_EQ(OrvantaGetStreamStatistics(camera_, &s), ORVANTA_OK);
    ASSERT_GE(s.framesDelivered, 5u);
    EXPECT_LT(s.intervalMinUs, 100000u);
    EXPECT_GE(s.intervalMaxUs, 150000u);
    EXPECT_LE(s.intervalMinUs, s.intervalMeanUs);
    EXPECT_LE(s.intervalMeanUs, s.intervalMaxUs);
    EXPECT_GE(s.lastSecondMinUs, s.intervalMinUs);
    EXPECT_LE(s.lastSecondMinUs, s.lastSecondMeanUs);
    EXPECT_LE(s.lastSecondMeanUs, s.lastSecondMaxUs);
    EXPECT_LE(s.lastSecondMaxUs, s.intervalMaxUs);
    EXPECT_GT(s.lastSecondMaxUs, 0u);

    // A second later the last second holds no interval; the totals stay.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    OStreamStatistics later{};
    ASSERT_EQ(OrvantaGetStreamStatistics(camera_, &later), ORVANTA_OK);
    EXPECT_EQ(later.lastSecondMaxUs, 0u);
    EXPECT_EQ(later.lastSecondMeanUs, 0u);
    EXPECT_EQ(later.intervalMaxUs, s.intervalMaxUs);
}
