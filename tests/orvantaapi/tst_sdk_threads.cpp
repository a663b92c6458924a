// Concurrent use of the SDK from several threads, as the viewer does it: a stream whose frames
// a display thread copies after pinning, a preview thread grabbing, a GUI thread reading and
// writing features and nodes, a discovery thread enumerating, and a close racing them all.
#include "sdktestutil.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

struct Handover
{
    std::mutex mutex;
    OImageFrame* frame = nullptr;
    uint64_t id = 0;
};
Handover g_handover;
std::atomic<int> g_delivered{0};

void onFrame(OImageFrame* f)
{
    std::lock_guard<std::mutex> lock(g_handover.mutex);
    g_handover.frame = f;
    g_handover.id = f->frameID;
    ++g_delivered;
}

void runFor(double seconds, const std::function<void()>& body)
{
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end)
        body();
}

} // namespace

using SdkThreads = SdkTest;

TEST_F(SdkThreads, StreamCopyGrabAndFeatureCallsRunTogether)
{
    OrvantaHandle h = nullptr;
    ASSERT_EQ(OrvantaOpenCamera(cameraId(1).c_str(), &h), ORVANTA_OK);
    ASSERT_EQ(OrvantaSetSizeInfo(h, OSizeInfo{0, 0, 320, 240, 0, 0}), ORVANTA_OK);
    ASSERT_EQ(OrvantaSetShutter(h, 1000, false), ORVANTA_OK);
    ASSERT_EQ(OrvantaSetFrameRate(h, 300.0f), ORVANTA_OK);
    ASSERT_EQ(OrvantaStartAcquisition(h, onFrame), ORVANTA_OK);

    std::atomic<int> copies{0}, torn{0}, grabs{0};
    std::thread display([&] {
        std::vector<unsigned char> picture;
        runFor(1.5, [&] {
            OImageFrame* f;
            uint64_t id;
            {
                std::lock_guard<std::mutex> lock(g_handover.mutex);
                f = g_handover.frame;
                id = g_handover.id;
            }
            if (f && OrvantaLockFrame(f, id) == ORVANTA_OK) {
                picture.assign(f->rawData, f->rawData + f->dataSize);
                // The frame is unchanged while pinned.
                if (f->frameID != id || std::memcmp(picture.data(), f->rawData, picture.size()))
                    ++torn;
                OrvantaUnlockFrame(f);
                ++copies;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        });
    });
    std::thread preview([&] {
        GrabBuffers g(h);
        runFor(1.5, [&] {
            if (OrvantaGrabRAWData(h, &g.frame, 1000) == ORVANTA_OK)
                ++grabs;
        });
    });
    std::thread gui([&] {
        int i = 0;
        runFor(1.5, [&] {
            OrvantaSetGain(h, i++ % 200, false);
            int v;
            bool a;
            OrvantaGetGain(h, &v, &a);
            NodeIntInfo ni{};
            OrvantaGetNodeInt(h, "BlackLevel", &ni);
            OrvantaSetNodeFloat(h, "Gamma", 0.5 + (i % 5) * 0.1);
            uint32_t reg;
            OrvantaReadRegister(h, 0x10000, &reg);
        });
    });
    std::thread discovery([&] {
        runFor(1.5, [&] {
            int n = 0;
            OrvantaNumberOfCameras(&n);
            char id[ORVANTA_TEXT_SIZE];
            for (int i = 0; i < n; ++i)
                OrvantaGetCameraID(i, id);
        });
    });
    display.join();
    preview.join();
    gui.join();
    discovery.join();
    ASSERT_EQ(OrvantaStopAcquisition(h), ORVANTA_OK);
    EXPECT_GT(g_delivered, 10);
    EXPECT_GT(copies, 5);
    EXPECT_GT(grabs, 2);
    EXPECT_EQ(torn, 0);
    OrvantaCloseCamera(h);
}

TEST_F(SdkThreads, CloseWhileOtherThreadsUseTheHandle)
{
    for (int round = 0; round < 5; ++round) {
        OrvantaHandle h = nullptr;
        ASSERT_EQ(OrvantaOpenCamera(cameraId(2).c_str(), &h), ORVANTA_OK);
        OrvantaSetSizeInfo(h, OSizeInfo{0, 0, 160, 120, 0, 0});
        ASSERT_EQ(OrvantaStartAcquisition(h, onFrame), ORVANTA_OK);
        std::atomic<bool> closed{false};
        std::atomic<int> lateOk{0};
        auto user = [&](bool grab) {
            GrabBuffers g(h);
            while (true) {
                const bool wasClosed = closed;
                NodeIntInfo ni{};
                const int rc = grab ? OrvantaGrabRAWData(h, &g.frame, 100)
                                    : OrvantaGetNodeInt(h, "Width", &ni);
                if (wasClosed) {
                    lateOk += rc == ORVANTA_OK;
                    break;
                }
            }
        };
        std::thread a(user, true), b(user, false);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ASSERT_EQ(OrvantaCloseCamera(h), ORVANTA_OK);
        closed = true;
        a.join();
        b.join();
        // Calls that began after the close all fail cleanly.
        EXPECT_EQ(lateOk, 0);
    }
}

TEST_F(SdkThreads, SeveralCamerasStreamAtOnce)
{
    OrvantaHandle a = nullptr, b = nullptr;
    ASSERT_EQ(OrvantaOpenCamera(cameraId(1).c_str(), &a), ORVANTA_OK);
    ASSERT_EQ(OrvantaOpenCamera(cameraId(2).c_str(), &b), ORVANTA_OK);
    for (OrvantaHandle h : {a, b}) {
        OrvantaSetSizeInfo(h, OSizeInfo{0, 0, 128, 128, 0, 0});
        ASSERT_EQ(OrvantaStartAcquisition(h, onFrame), ORVANTA_OK);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::thread stopper([&] { OrvantaStopAcquisition(a); });
    OrvantaStopAcquisition(b);
    stopper.join();
    uint64_t na = 0, nb = 0;
    OrvantaSimGetDeliveredFrames(cameraId(1).c_str(), &na);
    OrvantaSimGetDeliveredFrames(cameraId(2).c_str(), &nb);
    EXPECT_GT(na, 0u);
    EXPECT_GT(nb, 0u);
    // Uninit closes both while nothing streams any more.
    EXPECT_EQ(OrvantaUninit(), ORVANTA_OK);
    OrvantaInit();
}
