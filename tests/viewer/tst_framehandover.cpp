// The hand-over of frames from the SDK callback thread to a display thread, without Qt's GUI:
// every frame counted, copies never torn, a reused frame dropped, the display pictures reused
// only when unshared, and the rate window arithmetic.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <mutex>
#include <thread>

#include "displaypictures.h"
#include "framehandover.h"
#include "ratewindow.h"
#include "sdk/OrvantaSimControl.h"

namespace {

uint64_t checksum(const unsigned char* p, size_t n)
{
    uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < n; ++i) {
        h = (h ^ p[i]) * 1099511628211ull;
    }
    return h;
}

// What the callback saw, so the consumer can check its copies against it.
struct Delivery
{
    FrameHandOver handOver;
    std::atomic<uint64_t> counted{0};
    std::mutex mutex;
    std::map<uint64_t, uint64_t> sums; // frame ID -> checksum of the raw bytes
};
Delivery* g_delivery = nullptr;

void onFrame(OImageFrame* frame)
{
    {
        std::lock_guard<std::mutex> lock(g_delivery->mutex);
        g_delivery->sums[frame->frameID] = checksum(frame->rawData, frame->dataSize);
    }
    ++g_delivery->counted;
    g_delivery->handOver.push(frame);
}

// The one mono simulated camera of this test, opened without Qt.
class FrameHandOverStream : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("ORVANTA_SIM_CAMERAS", "mono:1", 1);
        ASSERT_EQ(OrvantaInit(), ORVANTA_OK);
        ASSERT_EQ(OrvantaGetCameraID(0, id), ORVANTA_OK);
        ASSERT_EQ(OrvantaOpenCamera(id, &handle), ORVANTA_OK);
    }
    void TearDown() override
    {
        OrvantaCloseCamera(handle);
        OrvantaUninit();
    }

    char id[ORVANTA_TEXT_SIZE] = {};
    OrvantaHandle handle = nullptr;
};

TEST_F(FrameHandOverStream, DisplayThreadCopiesAreNeverTornAndEveryFrameIsCounted)
{
    // A small ROI at a high rate keeps the ring turning over while the consumer copies.
    ASSERT_EQ(OrvantaSetSizeInfo(handle, OSizeInfo{0, 0, 256, 64, 0, 0}), ORVANTA_OK);
    ASSERT_EQ(OrvantaSetShutter(handle, 100, false), ORVANTA_OK);
    float lo = 0, hi = 0;
    ASSERT_EQ(OrvantaGetFrameRateMinMax(handle, &lo, &hi), ORVANTA_OK);
    ASSERT_EQ(OrvantaSetFrameRate(handle, hi), ORVANTA_OK);
    uint64_t deliveredBefore = 0;
    OrvantaSimGetDeliveredFrames(id, &deliveredBefore);

    Delivery delivery;
    g_delivery = &delivery;
    std::atomic<bool> running{true};
    uint64_t copied = 0, mismatched = 0, dropped = 0;
    std::thread consumer([&] {
        CopiedFrame copy; // starts empty: the picture grows to the frame
        while (running) {
            FrameRef ref;
            if (!delivery.handOver.takeNewest(&ref)) {
                std::this_thread::yield();
                continue;
            }
            if (!copyPinnedFrame(ref, false, ORVANTA_PIXEL_MONO8, CopiedFrame::Extra::Raw, &copy)) {
                ++dropped;
                continue;
            }
            uint64_t expected = 0;
            {
                std::lock_guard<std::mutex> lock(delivery.mutex);
                expected = delivery.sums[ref.frameID];
            }
            ++copied;
            const bool same = checksum(copy.extra.data(), copy.extra.size()) == expected &&
                              checksum(copy.picture.data(), 256 * 64) == expected;
            mismatched += same ? 0 : 1;
        }
    });
    ASSERT_EQ(OrvantaStartAcquisition(handle, onFrame), ORVANTA_OK);
    while (delivery.counted < 1500) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(OrvantaStopAcquisition(handle), ORVANTA_OK);
    running = false;
    consumer.join();

    uint64_t deliveredAfter = 0;
    OrvantaSimGetDeliveredFrames(id, &deliveredAfter);
    EXPECT_EQ(delivery.counted.load(), deliveredAfter - deliveredBefore);
    EXPECT_GT(copied, 0u);
    EXPECT_EQ(mismatched, 0u);
    EXPECT_LE(copied + dropped + delivery.handOver.droppedFrames(), delivery.counted.load());
    g_delivery = nullptr;
}

TEST(FrameHandOverTest, KeepsOnlyTheNewestFrame)
{
    FrameHandOver h;
    OImageFrame a = {}, b = {}, c = {};
    a.frameID = 1;
    b.frameID = 2;
    c.frameID = 3;
    FrameRef ref;
    EXPECT_FALSE(h.takeNewest(&ref));
    h.push(&a);
    h.push(&b);
    h.push(&c);
    ASSERT_TRUE(h.takeNewest(&ref));
    EXPECT_EQ(ref.frame, &c);
    EXPECT_EQ(ref.frameID, 3u);
    EXPECT_FALSE(h.takeNewest(&ref));
    EXPECT_EQ(h.droppedFrames(), 2u);
    h.push(&a);
    h.clear();
    EXPECT_FALSE(h.takeNewest(&ref));
}

TEST(FrameHandOverTest, DisplayPlaneOfEachFormat)
{
    EXPECT_EQ(displayPlaneFor(true, ORVANTA_PIXEL_BAYERGR8, 8), DisplayPlane::Rgb);
    EXPECT_EQ(displayPlaneFor(false, ORVANTA_PIXEL_MONO12, 16), DisplayPlane::Mono8);
    EXPECT_EQ(displayPlaneFor(false, ORVANTA_PIXEL_BAYERGR12, 16), DisplayPlane::Mono8);
    EXPECT_EQ(displayPlaneFor(false, ORVANTA_PIXEL_MONO10, 16), DisplayPlane::Mono8);
    EXPECT_EQ(displayPlaneFor(false, ORVANTA_PIXEL_MONO8, 8), DisplayPlane::Raw);
    EXPECT_EQ(displayPlaneFor(false, ORVANTA_PIXEL_MONO12P, 12), DisplayPlane::Mono8);
    EXPECT_EQ(displayPlaneFor(true, ORVANTA_PIXEL_YUV422_8, 16), DisplayPlane::Rgb);
}

// A picture is refilled in place once nothing shares it; one a pixmap still holds keeps its
// pixels and a new picture takes the frame.
TEST(DisplayPicturesTest, PictureStillSharedIsNeverOverwritten)
{
    const auto frame = [](uchar value) {
        QImage f(5, 3, QImage::Format_RGB888); // rows of 15 bytes in lines of 16
        f.fill(QColor(value, value, value));
        return f;
    };
    DisplayPictures pictures;
    const uchar* first = pictures.fill(frame(10)).constBits();
    const QImage shown = pictures.fill(frame(20)); // shared, as by a pixmap on screen
    const QImage& again = pictures.fill(frame(30));
    EXPECT_EQ(again.constBits(), first);
    EXPECT_EQ(again, frame(30));
    const QImage& replaced = pictures.fill(frame(40));
    EXPECT_NE(replaced.constBits(), shown.constBits());
    EXPECT_EQ(replaced, frame(40));
    EXPECT_EQ(shown, frame(20));
}

TEST(FrameHandOverTest, FrameNotHandedOutBySdkIsNotCopied)
{
    OImageFrame stranger = {};
    unsigned char pixels[16] = {};
    stranger.width = stranger.height = 4;
    stranger.dataSize = 16;
    stranger.rawData = stranger.mono8Data = pixels;
    CopiedFrame copy;
    EXPECT_FALSE(copyPinnedFrame(FrameRef{&stranger, 1}, false, ORVANTA_PIXEL_MONO8,
                                 CopiedFrame::Extra::None, &copy));
    EXPECT_FALSE(
        copyPinnedFrame(FrameRef{}, false, ORVANTA_PIXEL_MONO8, CopiedFrame::Extra::None, &copy));
}

TEST(RateWindowTest, ThirtyFramesPerSecondOf1280x1024Mono8)
{
    RateWindow w;
    RateWindow::Rate rate;
    int reports = 0;
    for (int i = 0; i < 62; ++i) {
        // 30 fps: one frame every 33333 us.
        if (w.addFrame(1280, 1024, 8, 1000000 + int64_t(i) * 100000 / 3, &rate)) {
            ++reports;
            EXPECT_EQ(i % 31, 30);
            EXPECT_NEAR(rate.fps, 30.0, 0.01);
            EXPECT_NEAR(rate.megabytesPerSecond, 37.5, 0.01);
        }
    }
    EXPECT_EQ(reports, 2);
}

TEST(RateWindowTest, ZeroElapsedTimeGivesNoRateAndResetRestarts)
{
    RateWindow w;
    RateWindow::Rate rate;
    for (int i = 0; i < 30; ++i) {
        EXPECT_FALSE(w.addFrame(64, 64, 8, 5000, &rate));
    }
    EXPECT_FALSE(w.addFrame(64, 64, 8, 5000, &rate)); // 31st frame, same instant
    for (int i = 0; i < 20; ++i) {
        w.addFrame(64, 64, 8, 10000 + i, &rate);
    }
    w.reset();
    for (int i = 0; i < 30; ++i) {
        EXPECT_FALSE(w.addFrame(64, 64, 16, 20000 + int64_t(i) * 1000, &rate));
    }
    ASSERT_TRUE(w.addFrame(64, 64, 16, 20000 + 30 * 1000, &rate));
    EXPECT_NEAR(rate.fps, 1000.0, 1e-9);
    EXPECT_NEAR(rate.megabytesPerSecond, 64.0 * 64 * 16 * 1000 / 8 / 1024 / 1024, 1e-9);
}

TEST(RateWindowTest, SlowStreamsReportWithinASecondAndAPauseStartsAFreshWindow)
{
    RateWindow w;
    RateWindow::Rate rate;
    // 2 fps: the third frame, one second after the first, ends the window.
    EXPECT_FALSE(w.addFrame(64, 64, 8, 0, &rate));
    EXPECT_FALSE(w.addFrame(64, 64, 8, 500000, &rate));
    ASSERT_TRUE(w.addFrame(64, 64, 8, 999000, &rate));
    EXPECT_NEAR(rate.fps, 2.0, 0.01);
    // 10 fps, then a pause longer than the limit: the frames after it make their own rate.
    w.setPauseLimit(1000000);
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(w.addFrame(64, 64, 8, 2000000 + i * 100000, &rate));
    }
    int64_t t = 5000000;
    for (int i = 0; i < 30; ++i, t += 20000) {
        EXPECT_FALSE(w.addFrame(64, 64, 8, t, &rate));
    }
    ASSERT_TRUE(w.addFrame(64, 64, 8, t, &rate));
    EXPECT_NEAR(rate.fps, 50.0, 0.01);
}

} // namespace
