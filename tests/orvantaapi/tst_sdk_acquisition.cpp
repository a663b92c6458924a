// Acquisition and pictures: pacing, stop, single frame, software trigger, grabs, frame pinning,
// the picture following the settings, and every pixel format.
#include "pixelreference.h"
#include "sdktestutil.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<int> g_frames{0};
std::atomic<bool> g_afterStop{false};
std::atomic<bool> g_stopped{false};
NewestFrame g_newest;

void countFrame(OImageFrame* f)
{
    if (g_stopped)
        g_afterStop = true;
    ++g_frames;
    g_newest.publish(f);
}

class SdkAcquisition : public SdkTest
{
protected:
    void SetUp() override
    {
        SdkTest::SetUp();
        g_frames = 0;
        g_afterStop = g_stopped = false;
        g_newest.clear();
        ASSERT_EQ(OrvantaOpenCamera(cameraId(1).c_str(), &mono_), ORVANTA_OK);
    }

    bool waitFrames(int n, double seconds)
    {
        const auto end = Clock::now() + std::chrono::duration<double>(seconds);
        while (g_frames < n && Clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return g_frames >= n;
    }

    OrvantaHandle mono_ = nullptr;
};

} // namespace

TEST_F(SdkAcquisition, DeliversAtAboutTheSetRateAndNothingAfterStop)
{
    ASSERT_EQ(OrvantaSetFrameRate(mono_, 50.0f), ORVANTA_OK);
    const auto start = Clock::now();
    ASSERT_EQ(OrvantaStartAcquisition(mono_, countFrame), ORVANTA_OK);
    EXPECT_EQ(OrvantaStartAcquisition(mono_, countFrame), ORVANTA_ERR_ACQUIRING);
    // Changing the geometry needs a stopped stream.
    EXPECT_EQ(OrvantaSetSizeInfo(mono_, OSizeInfo{0, 0, 640, 480, 0, 0}), ORVANTA_ERR_ACQUIRING);
    ASSERT_TRUE(waitFrames(25, 20));
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    ASSERT_EQ(OrvantaStopAcquisition(mono_), ORVANTA_OK);
    g_stopped = true;
    const int atStop = g_frames;
    // 25 frames at 50 fps take 0.5 s; never faster than the rate allows (pacing), and on a
    // loaded machine possibly much slower.
    EXPECT_GE(elapsed, 0.45);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(g_frames, atStop);
    EXPECT_FALSE(g_afterStop);
    uint64_t delivered = 0;
    ASSERT_EQ(OrvantaSimGetDeliveredFrames(cameraId(1).c_str(), &delivered), ORVANTA_OK);
    EXPECT_EQ(delivered, uint64_t(atStop));
    EXPECT_EQ(OrvantaStopAcquisition(mono_), ORVANTA_OK); // stopping twice is fine
    // The stream can start again.
    ASSERT_EQ(OrvantaStartAcquisition(mono_, countFrame), ORVANTA_OK);
    g_stopped = false;
    EXPECT_TRUE(waitFrames(atStop + 3, 20));
    OrvantaStopAcquisition(mono_);
}

TEST_F(SdkAcquisition, SingleFrameModeDeliversExactlyOne)
{
    ASSERT_EQ(OrvantaSetNodeEnum(mono_, "AcquisitionMode", "SingleFrame"), ORVANTA_OK);
    ASSERT_EQ(OrvantaStartAcquisition(mono_, countFrame), ORVANTA_OK);
    ASSERT_TRUE(waitFrames(1, 10));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    OrvantaStopAcquisition(mono_);
    EXPECT_EQ(g_frames, 1);
    ASSERT_EQ(OrvantaSetNodeEnum(mono_, "AcquisitionMode", "Continuous"), ORVANTA_OK);
}

TEST_F(SdkAcquisition, SoftwareTriggerDeliversOneFramePerTrigger)
{
    EXPECT_EQ(OrvantaRunSoftwareTrigger(mono_), ORVANTA_ERR_NOT_ACQUIRING);
    ASSERT_EQ(OrvantaSetTriggerEnable(mono_, true), ORVANTA_OK);
    ASSERT_EQ(OrvantaSetTriggerSourceStr(mono_, "Software"), ORVANTA_OK);
    ASSERT_EQ(OrvantaStartAcquisition(mono_, countFrame), ORVANTA_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(g_frames, 0);
    for (int i = 1; i <= 3; ++i) {
        ASSERT_EQ(OrvantaRunSoftwareTrigger(mono_), ORVANTA_OK);
        ASSERT_TRUE(waitFrames(i, 10));
    }
    ASSERT_EQ(OrvantaSetNodeCommand(mono_, "TriggerSoftware"), ORVANTA_OK);
    ASSERT_TRUE(waitFrames(4, 10));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(g_frames, 4);
    OrvantaStopAcquisition(mono_);
}

TEST_F(SdkAcquisition, GrabsInTriggerModeWaitForATrigger)
{
    ASSERT_EQ(OrvantaSetTriggerEnable(mono_, true), ORVANTA_OK);
    GrabBuffers g(mono_);
    // Without a stream no trigger can fire; with one, nothing comes until a trigger does.
    EXPECT_EQ(OrvantaGrabRAWData(mono_, &g.frame, 100), ORVANTA_ERR_TIMEOUT);
    ASSERT_EQ(OrvantaStartAcquisition(mono_, countFrame), ORVANTA_OK);
    EXPECT_EQ(OrvantaGrabRAWData(mono_, &g.frame, 100), ORVANTA_ERR_TIMEOUT);

    constexpr int kPending = 1;
    std::atomic<int> status{kPending};
    std::thread grabber([&] { status = OrvantaGrabRAWData(mono_, &g.frame, 20000); });
    // A trigger fired before the grab began waiting is not its trigger, so fire until it ends.
    for (int i = 0; i < 200 && status == kPending; ++i) {
        ASSERT_EQ(OrvantaRunSoftwareTrigger(mono_), ORVANTA_OK);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    grabber.join();
    EXPECT_EQ(status, ORVANTA_OK);
    EXPECT_GE(g_frames, 1); // the stream got its frame of the same trigger
    OrvantaStopAcquisition(mono_);

    ASSERT_EQ(OrvantaSetTriggerEnable(mono_, false), ORVANTA_OK);
    EXPECT_EQ(OrvantaGrabRAWData(mono_, &g.frame, 1000), ORVANTA_OK);
}

TEST_F(SdkAcquisition, SilentCameraDeliversNothingAndGrabsTimeOut)
{
    const std::string id = cameraId(1);
    ASSERT_EQ(OrvantaSimSetDelivering(id.c_str(), 0), ORVANTA_OK);
    ASSERT_EQ(OrvantaStartAcquisition(mono_, countFrame), ORVANTA_OK);
    GrabBuffers g(mono_);
    const auto start = Clock::now();
    EXPECT_EQ(OrvantaGrabRAWData(mono_, &g.frame, 200), ORVANTA_ERR_TIMEOUT);
    EXPECT_GE(std::chrono::duration<double>(Clock::now() - start).count(), 0.19);
    EXPECT_EQ(g_frames, 0);
    ASSERT_EQ(OrvantaSimSetDelivering(id.c_str(), 1), ORVANTA_OK);
    EXPECT_TRUE(waitFrames(2, 10));
    OrvantaStopAcquisition(mono_);
}

TEST_F(SdkAcquisition, GrabsCopyOneFrameWithOrWithoutAStream)
{
    GrabBuffers g(mono_);
    ASSERT_EQ(OrvantaSetSizeInfo(mono_, OSizeInfo{64, 32, 320, 240, 0, 0}), ORVANTA_OK);
    ASSERT_EQ(OrvantaGrabRAWData(mono_, &g.frame, 1000), ORVANTA_OK);
    EXPECT_EQ(g.frame.width, 320u);
    EXPECT_EQ(g.frame.height, 240u);
    EXPECT_EQ(g.frame.dataSize, 320u * 240u);
    EXPECT_EQ(g.frame.bitsPerPixel, 8u);
    EXPECT_EQ(g.frame.pixelFormat, uint32_t(ORVANTA_PIXEL_MONO8));
    EXPECT_EQ(std::memcmp(g.raw.data(), g.mono8.data(), 320 * 240), 0);

    ASSERT_EQ(OrvantaStartAcquisition(mono_, countFrame), ORVANTA_OK);
    ASSERT_EQ(OrvantaGrabRGBData(mono_, &g.frame, 1000), ORVANTA_OK);
    // A mono camera's RGB grab is grey.
    for (size_t i = 0; i < 320 * 240; i += 97)
        ASSERT_TRUE(g.rgb[3 * i] == g.rgb[3 * i + 1] && g.rgb[3 * i] == g.rgb[3 * i + 2]);
    OrvantaStopAcquisition(mono_);
}

TEST_F(SdkAcquisition, TwelveBitFormatsUseSixteenBitContainersWithAnEightBitPlane)
{
    ASSERT_EQ(OrvantaSetPixelFormatStr(mono_, "Mono12"), ORVANTA_OK);
    GrabBuffers g(mono_);
    ASSERT_EQ(OrvantaGrabRAWData(mono_, &g.frame, 1000), ORVANTA_OK);
    EXPECT_EQ(g.frame.bitsPerPixel, 16u);
    EXPECT_EQ(g.frame.pixelFormat, uint32_t(ORVANTA_PIXEL_MONO12));
    const size_t n = size_t(g.frame.width) * g.frame.height;
    EXPECT_EQ(g.frame.dataSize, n * 2);
    uint16_t maxSample = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint16_t sample = uint16_t(g.raw[2 * i] | (g.raw[2 * i + 1] << 8));
        maxSample = std::max(maxSample, sample);
        ASSERT_EQ(g.mono8[i], sample >> 4) << i;
    }
    EXPECT_LT(maxSample, 4096);
    EXPECT_GT(maxSample, 255);

    ASSERT_EQ(OrvantaSetPixelFormatStr(mono_, "Mono10"), ORVANTA_OK);
    ASSERT_EQ(OrvantaGrabRAWData(mono_, &g.frame, 1000), ORVANTA_OK);
    for (size_t i = 0; i < n; i += 13) {
        const uint16_t sample = uint16_t(g.raw[2 * i] | (g.raw[2 * i + 1] << 8));
        ASSERT_LT(sample, 1024);
        ASSERT_EQ(g.mono8[i], sample >> 2);
    }
}

namespace {
std::string pixelFormatAt(OrvantaHandle h, int index)
{
    char name[ORVANTA_TEXT_SIZE] = {};
    OrvantaGetAvailablePixelFormatsIdxToStr(h, index, name);
    return name;
}
} // namespace

// Each format's frame, grabbed and streamed with and without Bayer conversion, has the 8-bit
// plane and RGB picture that the bytes the camera sent stand for.
TEST_F(SdkAcquisition, EveryPixelFormatFillsItsPlanesFromTheCamerasBytes)
{
    OrvantaHandle h = openKind("formats");
    float low = 0, high = 0;
    ASSERT_EQ(OrvantaSetShutter(h, 1000, false), ORVANTA_OK);
    ASSERT_EQ(OrvantaGetFrameRateMinMax(h, &low, &high), ORVANTA_OK);
    ASSERT_EQ(OrvantaSetFrameRate(h, high), ORVANTA_OK);
    GrabBuffers g(h);
    int count = 0, unsupported = 0;
    ASSERT_EQ(OrvantaGetNumAvailablePixelFormats(h, &count), ORVANTA_OK);
    EXPECT_EQ(count, 48); // 9 mono, 32 Bayer, 4 RGB, 2 YUV, and one the SDK does not decode
    for (int i = 0; i < count; ++i) {
        const std::string name = pixelFormatAt(h, i);
        ASSERT_EQ(OrvantaSetPixelFormatStr(h, name.c_str()), ORVANTA_OK) << name;
        pixelref::Layout layout;
        if (!pixelref::parse(name, layout)) {
            ++unsupported;
            EXPECT_EQ(OrvantaStartAcquisition(h, countFrame), ORVANTA_ERR_NOT_SUPPORTED);
            EXPECT_EQ(OrvantaGrabRGBData(h, &g.frame, 1000), ORVANTA_ERR_NOT_SUPPORTED);
            continue;
        }
        ASSERT_EQ(OrvantaGrabRGBData(h, &g.frame, 1000), ORVANTA_OK) << name;
        EXPECT_EQ(pixelref::checkFrame(g.frame, name, true), "");
        EXPECT_EQ(pixelref::streamOneCheckedFrame(h, name, false), "");
        EXPECT_EQ(pixelref::streamOneCheckedFrame(h, name, true), "");
    }
    EXPECT_EQ(unsupported, 1);
}

// The colour camera also sends RGB8 and YUV422_8 (its own demosaic), the mono camera Mono12p:
// the same picture as in the formats it had.
TEST_F(SdkAcquisition, ColourCameraSendsRgbAndYuvMonoCameraMono12p)
{
    OrvantaHandle colour = nullptr;
    ASSERT_EQ(OrvantaOpenCamera(cameraId(0).c_str(), &colour), ORVANTA_OK);
    GrabBuffers c(colour);
    const auto grabbedMeans = [&](const char* format) {
        EXPECT_EQ(OrvantaSetPixelFormatStr(colour, format), ORVANTA_OK);
        EXPECT_EQ(OrvantaGrabRGBData(colour, &c.frame, 1000), ORVANTA_OK) << format;
        EXPECT_EQ(pixelref::checkFrame(c.frame, format, true), "");
        return std::array<double, 3>{c.meanRgb(0), c.meanRgb(1), c.meanRgb(2)};
    };
    const auto bayer = grabbedMeans("BayerGR8");
    for (const char* format : {"RGB8", "YUV422_8"}) {
        const auto means = grabbedMeans(format);
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(means[k], bayer[k], 3) << format << " channel " << k;
    }

    GrabBuffers m(mono_);
    ASSERT_EQ(OrvantaSetPixelFormatStr(mono_, "Mono12"), ORVANTA_OK);
    ASSERT_EQ(OrvantaGrabRAWData(mono_, &m.frame, 1000), ORVANTA_OK);
    const double mono12 = m.meanMono8();
    ASSERT_EQ(OrvantaSetPixelFormatStr(mono_, "Mono12p"), ORVANTA_OK);
    ASSERT_EQ(OrvantaGrabRAWData(mono_, &m.frame, 1000), ORVANTA_OK);
    EXPECT_EQ(m.frame.pixelFormat, uint32_t(ORVANTA_PIXEL_MONO12P));
    OImageFrame raw = m.frame;
    raw.rgbData = nullptr; // the RAW grab leaves the caller's RGB buffer alone
    EXPECT_EQ(pixelref::checkFrame(raw, "Mono12p", false), "");
    EXPECT_NEAR(m.meanMono8(), mono12, 1);
}

TEST_F(SdkAcquisition, PictureFollowsTheSettings)
{
    GrabBuffers g(mono_);
    auto mean = [&] {
        EXPECT_EQ(OrvantaGrabRAWData(mono_, &g.frame, 1000), ORVANTA_OK);
        return g.meanMono8();
    };
    const double base = mean();
    EXPECT_GT(base, 20);
    EXPECT_LT(base, 235);
    OrvantaSetGain(mono_, 60, false);
    const double gained = mean();
    EXPECT_GT(gained, base + 10);
    OrvantaSetGain(mono_, 0, false);
    OrvantaSetShutter(mono_, 2500, false);
    EXPECT_LT(mean(), base - 10);
    OrvantaSetShutter(mono_, 10000, false);
    OrvantaSetBlackLevel(mono_, 1023);
    EXPECT_GT(mean(), base + 10);
    OrvantaSetBlackLevel(mono_, 0);
    OrvantaSetGamma(mono_, 0.4f);
    EXPECT_GT(mean(), base + 10);
    OrvantaSetGamma(mono_, 1.0f);
    // Automatic exposure aims at its target.
    OrvantaSetAutoExposure(mono_, 80);
    OrvantaSetShutter(mono_, 0, true);
    EXPECT_GT(mean(), base + 20);

    // Successive frames differ: the scene moves.
    OrvantaSetShutter(mono_, 10000, false);
    ASSERT_EQ(OrvantaGrabRAWData(mono_, &g.frame, 1000), ORVANTA_OK);
    std::vector<unsigned char> first(g.raw.begin(), g.raw.begin() + g.frame.dataSize);
    ASSERT_EQ(OrvantaGrabRAWData(mono_, &g.frame, 1000), ORVANTA_OK);
    EXPECT_NE(std::memcmp(first.data(), g.raw.data(), first.size()), 0);
}

TEST_F(SdkAcquisition, ColourGainsChangeTheDemosaicedColour)
{
    OrvantaHandle colour = nullptr;
    ASSERT_EQ(OrvantaOpenCamera(cameraId(0).c_str(), &colour), ORVANTA_OK);
    GrabBuffers g(colour);
    ASSERT_EQ(OrvantaGrabRGBData(colour, &g.frame, 1000), ORVANTA_OK);
    EXPECT_EQ(g.frame.pixelFormat, uint32_t(ORVANTA_PIXEL_BAYERGR8));
    const double red = g.meanRgb(0), blue = g.meanRgb(2);
    ASSERT_EQ(OrvantaSetRGain(colour, 2048), ORVANTA_OK);
    ASSERT_EQ(OrvantaSetBGain(colour, 512), ORVANTA_OK);
    ASSERT_EQ(OrvantaGrabRGBData(colour, &g.frame, 1000), ORVANTA_OK);
    EXPECT_GT(g.meanRgb(0), red * 1.3);
    EXPECT_LT(g.meanRgb(2), blue * 0.8);
}

// Horizontal detail of the 8-bit plane: the sum of differences between neighbours.
double edgeEnergy(const GrabBuffers& g)
{
    double sum = 0;
    for (uint32_t y = 0; y < g.frame.height; ++y) {
        const uint8_t* row = &g.mono8[size_t(y) * g.frame.width];
        for (uint32_t x = 1; x < g.frame.width; ++x)
            sum += std::abs(int(row[x]) - int(row[x - 1]));
    }
    return sum;
}

// How many pixels each colour clearly dominates.
std::array<int, 3> dominantColours(const GrabBuffers& g)
{
    std::array<int, 3> counts{};
    const size_t n = size_t(g.frame.width) * g.frame.height;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t* p = &g.rgb[3 * i];
        for (int c = 0; c < 3; ++c)
            if (p[c] > p[(c + 1) % 3] + 40 && p[c] > p[(c + 2) % 3] + 40)
                ++counts[size_t(c)];
    }
    return counts;
}

TEST_F(SdkAcquisition, HueSaturationAndSharpnessShapeTheOutput)
{
    OrvantaHandle colour = nullptr;
    ASSERT_EQ(OrvantaOpenCamera(cameraId(0).c_str(), &colour), ORVANTA_OK);
    GrabBuffers c(colour);
    ASSERT_EQ(OrvantaGrabRGBData(colour, &c.frame, 1000), ORVANTA_OK);
    const std::array<int, 3> before = dominantColours(c);
    ASSERT_EQ(OrvantaSetSaturation(colour, 0), ORVANTA_OK);
    ASSERT_EQ(OrvantaGrabRGBData(colour, &c.frame, 1000), ORVANTA_OK);
    const size_t n = size_t(c.frame.width) * c.frame.height;
    for (size_t i = 0; i < n; i += 101)
        ASSERT_TRUE(c.rgb[3 * i] == c.rgb[3 * i + 1] && c.rgb[3 * i] == c.rgb[3 * i + 2]) << i;
    ASSERT_EQ(OrvantaSetSaturation(colour, 512), ORVANTA_OK);
    ASSERT_EQ(OrvantaSetHue(colour, 508 + 508 * 2 / 3), ORVANTA_OK); // +120 degrees
    ASSERT_EQ(OrvantaGrabRGBData(colour, &c.frame, 1000), ORVANTA_OK);
    // Red areas turn green, green ones blue and blue ones red (roughly: the turn keeps
    // luminance, so it is no exchange of channels).
    const std::array<int, 3> after = dominantColours(c);
    for (int ch = 0; ch < 3; ++ch) {
        ASSERT_GT(before[size_t(ch)], 1000);
        EXPECT_NEAR(after[size_t((ch + 1) % 3)], before[size_t(ch)], before[size_t(ch)] / 3) << ch;
    }

    // Sharpening a mono camera raises the detail of its samples.
    GrabBuffers g(mono_);
    ASSERT_EQ(OrvantaGrabRAWData(mono_, &g.frame, 1000), ORVANTA_OK);
    const double plain = edgeEnergy(g);
    ASSERT_EQ(OrvantaSetSharpness(mono_, 20), ORVANTA_OK);
    ASSERT_EQ(OrvantaGrabRAWData(mono_, &g.frame, 1000), ORVANTA_OK);
    EXPECT_GT(edgeEnergy(g), plain * 1.2);
    // The 8-bit plane of an 8-bit format is the sharpened samples themselves.
    EXPECT_EQ(std::memcmp(g.raw.data(), g.mono8.data(), g.frame.dataSize), 0);
}

TEST_F(SdkAcquisition, BayerConversionFillsRgbOfStreamedFrames)
{
    OrvantaHandle colour = nullptr;
    ASSERT_EQ(OrvantaOpenCamera(cameraId(0).c_str(), &colour), ORVANTA_OK);
    ASSERT_EQ(OrvantaSetSizeInfo(colour, OSizeInfo{0, 0, 2448, 64, 0, 0}), ORVANTA_OK);
    ASSERT_EQ(OrvantaSetBayerConversion(colour, 1), ORVANTA_OK);
    ASSERT_EQ(OrvantaStartAcquisition(colour, countFrame), ORVANTA_OK);
    ASSERT_TRUE(waitFrames(2, 10));
    ASSERT_EQ(OrvantaStopAcquisition(colour), ORVANTA_OK);
    // The record stays readable after stop; the colour bars at the top are saturated.
    OImageFrame* f = g_newest.get();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->width, 2448u);
    EXPECT_EQ(f->height, 64u);
    ASSERT_NE(f->rgbData, nullptr);
    int colourful = 0;
    for (uint32_t i = 0; i < f->width * 8; ++i) {
        const int r = f->rgbData[3 * i], gr = f->rgbData[3 * i + 1], b = f->rgbData[3 * i + 2];
        colourful += std::max({r, gr, b}) - std::min({r, gr, b}) > 60;
    }
    EXPECT_GT(colourful, 100);
}

TEST_F(SdkAcquisition, PinnedFramesAreNotReusedAndReusedOnesAreReported)
{
    ASSERT_EQ(OrvantaSetSizeInfo(mono_, OSizeInfo{0, 0, 64, 64, 0, 0}), ORVANTA_OK);
    ASSERT_EQ(OrvantaSetShutter(mono_, 1000, false), ORVANTA_OK);
    ASSERT_EQ(OrvantaSetFrameRate(mono_, 200.0f), ORVANTA_OK);
    ASSERT_EQ(OrvantaStartAcquisition(mono_, countFrame), ORVANTA_OK);
    ASSERT_TRUE(waitFrames(2, 10));
    OImageFrame* frame = nullptr;
    uint64_t id = 0;
    ASSERT_EQ(g_newest.pin(&frame, &id), ORVANTA_OK);
    std::vector<unsigned char> copy(frame->rawData, frame->rawData + frame->dataSize);
    const int before = g_frames;
    ASSERT_TRUE(waitFrames(before + 2 * ORVANTA_FRAME_RING_DEPTH, 20));
    // Many frames later the pinned buffer still holds its frame.
    EXPECT_EQ(frame->frameID, id);
    EXPECT_EQ(std::memcmp(copy.data(), frame->rawData, copy.size()), 0);
    ASSERT_EQ(OrvantaUnlockFrame(frame), ORVANTA_OK);
    EXPECT_EQ(OrvantaUnlockFrame(frame), ORVANTA_ERR_BAD_ARGUMENT);
    ASSERT_TRUE(waitFrames(g_frames + 2 * ORVANTA_FRAME_RING_DEPTH, 20));
    EXPECT_EQ(OrvantaLockFrame(frame, id), ORVANTA_ERR_FRAME_REUSED);
    OrvantaStopAcquisition(mono_);
}

namespace {
std::atomic<OrvantaHandle> g_selfStopping{nullptr};
std::atomic<int> g_selfStopRc{1};
void stopFromCallback(OImageFrame*)
{
    ++g_frames;
    g_selfStopRc = OrvantaStopAcquisition(g_selfStopping);
}
} // namespace

TEST_F(SdkAcquisition, StopFromInsideTheCallbackDoesNotDeadlock)
{
    g_selfStopping = mono_;
    ASSERT_EQ(OrvantaStartAcquisition(mono_, stopFromCallback), ORVANTA_OK);
    ASSERT_TRUE(waitFrames(1, 10));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(g_frames, 1);
    EXPECT_EQ(g_selfStopRc, ORVANTA_OK);
    EXPECT_EQ(OrvantaStopAcquisition(mono_), ORVANTA_OK);
    ASSERT_EQ(OrvantaStartAcquisition(mono_, countFrame), ORVANTA_OK);
    EXPECT_TRUE(waitFrames(3, 10));
    EXPECT_EQ(OrvantaCloseCamera(mono_), ORVANTA_OK);
}
