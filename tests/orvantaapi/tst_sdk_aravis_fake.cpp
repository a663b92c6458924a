// The real-camera backend against Aravis's in-process fake camera, through the C interface.
// Runs only inside a private network namespace (see in-private-net.sh).
#include "OrvantaAPI.h"
#include "privatenet.h"
#include "sdktestutil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr uint32_t kTestRegister = 0x1f0; // the fake camera's scratch register

struct IsolationCheck : ::testing::Environment
{
    void SetUp() override { privatenet::requireIsolation(); }
};
const auto* const kIsolation = ::testing::AddGlobalTestEnvironment(new IsolationCheck);

template <class Pred> bool waitFor(Pred pred, int ms = 10000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::atomic<int> g_frames{0};
std::atomic<int> g_badFrames{0};
std::atomic<uint32_t> g_width{0};

void countFrame(OImageFrame* f)
{
    g_width = f->width;
    if (!f->rawData || !f->mono8Data || f->dataSize != f->width * f->height * f->bitsPerPixel / 8)
        ++g_badFrames;
    ++g_frames;
}

class FakeCamera : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("ORVANTA_BACKENDS", "real", 1);
        setenv("ORVANTA_ARAVIS_INTERFACES", "Fake", 1);
        ASSERT_EQ(OrvantaInit(), ORVANTA_OK);
        int count = 0;
        ASSERT_EQ(OrvantaNumberOfCameras(&count), ORVANTA_OK);
        ASSERT_EQ(count, 1);
        char id[ORVANTA_TEXT_SIZE] = {};
        ASSERT_EQ(OrvantaGetCameraID(0, id), ORVANTA_OK);
        id_ = id;
        ASSERT_EQ(OrvantaOpenCamera(id, &h_), ORVANTA_OK);
        g_frames = 0;
        g_badFrames = 0;
    }
    void TearDown() override { OrvantaUninit(); }

    std::string enumValue(const char* node)
    {
        char v[ORVANTA_NODE_TEXT_SIZE] = {};
        EXPECT_EQ(OrvantaGetNodeString(h_, node, v), ORVANTA_OK) << node;
        return v;
    }

    std::string id_;
    OrvantaHandle h_ = nullptr;
};

} // namespace

TEST(FakeEnumeration, ListsTheFakeCameraBesideMarkedSimulatedOnes)
{
    setenv("ORVANTA_BACKENDS", "both", 1);
    setenv("ORVANTA_ARAVIS_INTERFACES", "Fake", 1);
    setenv("ORVANTA_SIM_CAMERAS", "mono:1", 1);
    ASSERT_EQ(OrvantaInit(), ORVANTA_OK);
    int count = 0;
    ASSERT_EQ(OrvantaNumberOfCameras(&count), ORVANTA_OK);
    ASSERT_EQ(count, 2);
    char id[ORVANTA_TEXT_SIZE] = {}, name[ORVANTA_TEXT_SIZE] = {}, simName[ORVANTA_TEXT_SIZE] = {};
    EXPECT_EQ(OrvantaGetCameraID(0, id), ORVANTA_OK);
    EXPECT_EQ(OrvantaGetDisplayName(0, name), ORVANTA_OK);
    EXPECT_EQ(OrvantaGetDisplayName(1, simName), ORVANTA_OK);
    EXPECT_STREQ(id, "Fake_1");
    EXPECT_STREQ(name, "Aravis Fake (1)");
    EXPECT_EQ(std::string(simName).rfind("Simulated ", 0), 0u) << simName;

    // Both backends open their own cameras; an ID nobody knows is no camera.
    OrvantaHandle real = nullptr, again = nullptr;
    EXPECT_EQ(OrvantaOpenCamera(id, &real), ORVANTA_OK);
    EXPECT_EQ(OrvantaOpenCamera(id, &again), ORVANTA_ERR_BUSY);
    EXPECT_EQ(OrvantaOpenCamera("Fake_9", &again), ORVANTA_ERR_NO_CAMERA);
    EXPECT_EQ(OrvantaCloseCamera(real), ORVANTA_OK);
    EXPECT_EQ(OrvantaGetNodeList(real, "Root", nullptr), ORVANTA_ERR_BAD_ARGUMENT);
    uint32_t v = 0;
    EXPECT_EQ(OrvantaReadRegister(real, kTestRegister, &v), ORVANTA_ERR_INVALID_HANDLE);
    EXPECT_EQ(OrvantaOpenCamera(id, &again), ORVANTA_OK); // free again after the close
    EXPECT_EQ(OrvantaUninit(), ORVANTA_OK);

    // The enumeration answers from the background list: many calls, no discovery each.
    setenv("ORVANTA_BACKENDS", "real", 1);
    ASSERT_EQ(OrvantaInit(), ORVANTA_OK);
    for (int i = 0; i < 200; ++i) {
        ASSERT_EQ(OrvantaNumberOfCameras(&count), ORVANTA_OK);
        ASSERT_EQ(count, 1);
    }
    EXPECT_EQ(OrvantaUninit(), ORVANTA_OK);
}

TEST_F(FakeCamera, FeatureTreeComesFromTheCamerasGenICamFile)
{
    NodeNameList* list = new NodeNameList;
    list->count = ORVANTA_NODE_LIST_CAPACITY;
    ASSERT_EQ(OrvantaGetNodeList(h_, "Root", list), ORVANTA_OK);
    std::vector<std::string> top(list->names, list->names + list->count);
    EXPECT_NE(std::find(top.begin(), top.end(), "ImageFormatControl"), top.end());
    EXPECT_NE(std::find(top.begin(), top.end(), "AcquisitionControl"), top.end());
    list->count = ORVANTA_NODE_LIST_CAPACITY;
    ASSERT_EQ(OrvantaGetNodeList(h_, "ImageFormatControl", list), ORVANTA_OK);
    std::vector<std::string> image(list->names, list->names + list->count);
    EXPECT_NE(std::find(image.begin(), image.end(), "Width"), image.end());
    list->count = ORVANTA_NODE_LIST_CAPACITY;
    EXPECT_EQ(OrvantaGetNodeList(h_, "Width", list), ORVANTA_OK); // a leaf: no children
    EXPECT_EQ(list->count, 0u);
    list->count = ORVANTA_NODE_LIST_CAPACITY;
    EXPECT_EQ(OrvantaGetNodeList(h_, "NoSuchCategory", list), ORVANTA_ERR_NO_NODE);
    EXPECT_EQ(list->count, 0u);
    delete list;

    // Types and access modes as the node editor needs them; read-write nodes are not reported
    // write-only, and commands are write-only.
    const struct
    {
        const char* name;
        int type, access;
    } nodes[] = {{"ImageFormatControl", ORVANTA_NODE_CATEGORY, ORVANTA_ACCESS_READ_ONLY},
                 {"Width", ORVANTA_NODE_INTEGER, ORVANTA_ACCESS_READ_WRITE},
                 {"SensorWidth", ORVANTA_NODE_INTEGER, ORVANTA_ACCESS_READ_ONLY},
                 {"PixelFormat", ORVANTA_NODE_ENUMERATION, ORVANTA_ACCESS_READ_WRITE},
                 {"ExposureTimeAbs", ORVANTA_NODE_FLOAT, ORVANTA_ACCESS_READ_WRITE},
                 {"DeviceVendorName", ORVANTA_NODE_STRING, ORVANTA_ACCESS_READ_ONLY},
                 {"TriggerSoftware", ORVANTA_NODE_COMMAND, ORVANTA_ACCESS_WRITE_ONLY},
                 {"TestRegister", ORVANTA_NODE_INTEGER, ORVANTA_ACCESS_READ_WRITE}};
    for (const auto& n : nodes) {
        NodeInfo info{};
        ASSERT_EQ(OrvantaGetNodeInfo(h_, n.name, &info), ORVANTA_OK) << n.name;
        EXPECT_EQ(info.type, n.type) << n.name;
        EXPECT_EQ(info.access, n.access) << n.name;
    }
    NodeInfo info{};
    EXPECT_EQ(OrvantaGetNodeInfo(h_, "NoSuchNode", &info), ORVANTA_ERR_NO_NODE);
    // A node that exists by name without being listed under any category.
    NodeIntInfo gainRaw{};
    EXPECT_EQ(OrvantaGetNodeInt(h_, "GainRaw", &gainRaw), ORVANTA_OK);
    EXPECT_LE(gainRaw.minimum, gainRaw.maximum);
}

TEST_F(FakeCamera, NodeReadsAndWritesAreCheckedAndReadBack)
{
    NodeIntInfo w{};
    ASSERT_EQ(OrvantaGetNodeInt(h_, "Width", &w), ORVANTA_OK);
    const int target = w.minimum + w.increment * 4;
    EXPECT_EQ(OrvantaSetNodeInt(h_, "Width", target), ORVANTA_OK);
    ASSERT_EQ(OrvantaGetNodeInt(h_, "Width", &w), ORVANTA_OK);
    EXPECT_EQ(w.value, target);
    // Out of range and read-only writes are refused before they reach the camera.
    EXPECT_EQ(OrvantaSetNodeInt(h_, "Width", int64_t(w.maximum) + 1), ORVANTA_ERR_OUT_OF_RANGE);
    EXPECT_EQ(OrvantaSetNodeInt(h_, "SensorWidth", 64), ORVANTA_ERR_READ_ONLY);
    EXPECT_EQ(OrvantaSetNodeString(h_, "DeviceVendorName", "x"), ORVANTA_ERR_READ_ONLY);
    ASSERT_EQ(OrvantaGetNodeInt(h_, "Width", &w), ORVANTA_OK);
    EXPECT_EQ(w.value, target);
    // Wrong types are told apart from missing nodes.
    NodeFloatInfo f{};
    EXPECT_EQ(OrvantaGetNodeFloat(h_, "Width", &f), ORVANTA_ERR_WRONG_NODE_TYPE);
    EXPECT_EQ(OrvantaGetNodeFloat(h_, "NoSuchNode", &f), ORVANTA_ERR_NO_NODE);

    ASSERT_EQ(OrvantaGetNodeFloat(h_, "ExposureTimeAbs", &f), ORVANTA_OK);
    const double exposure = std::min(f.maximum, f.minimum + 1000.0);
    EXPECT_EQ(OrvantaSetNodeFloat(h_, "ExposureTimeAbs", exposure), ORVANTA_OK);
    EXPECT_EQ(OrvantaSetNodeFloat(h_, "ExposureTimeAbs", f.maximum * 2 + 1),
              ORVANTA_ERR_OUT_OF_RANGE);
    ASSERT_EQ(OrvantaGetNodeFloat(h_, "ExposureTimeAbs", &f), ORVANTA_OK);
    EXPECT_NEAR(f.value, exposure, 1.0);

    // Enumerations: the available entries, selecting by name, unknown names refused.
    NodeEnumInfo* e = new NodeEnumInfo;
    e->count = ORVANTA_ENUM_CAPACITY;
    ASSERT_EQ(OrvantaGetNodeEnum(h_, "PixelFormat", e), ORVANTA_OK);
    std::vector<std::string> formats(e->entries, e->entries + e->count);
    EXPECT_NE(std::find(formats.begin(), formats.end(), "BayerGR8"), formats.end());
    EXPECT_EQ(OrvantaSetNodeString(h_, "PixelFormat", "BayerGR8"), ORVANTA_OK);
    EXPECT_EQ(enumValue("PixelFormat"), "BayerGR8");
    e->count = ORVANTA_ENUM_CAPACITY;
    ASSERT_EQ(OrvantaGetNodeEnum(h_, "PixelFormat", e), ORVANTA_OK);
    EXPECT_STREQ(e->entries[e->index], "BayerGR8");
    EXPECT_EQ(OrvantaSetNodeEnum(h_, "PixelFormat", "NoSuchFormat"), ORVANTA_ERR_OUT_OF_RANGE);
    EXPECT_EQ(enumValue("PixelFormat"), "BayerGR8");
    delete e;
}

TEST_F(FakeCamera, FeatureFamiliesUseStandardNamesAndTheirVariants)
{
    OCameraInfo info{};
    ASSERT_EQ(OrvantaGetCamInfo(h_, &info), ORVANTA_OK);
    EXPECT_STREQ(info.vendorName, "Aravis");
    EXPECT_STREQ(info.modelName, "Fake");
    EXPECT_GT(info.sensorWidth, 0u);

    OSizeInfo size{};
    ASSERT_EQ(OrvantaGetSizeInfo(h_, &size), ORVANTA_OK);
    EXPECT_EQ(size.maxWidth, int32_t(info.sensorWidth));
    OSizeInfo roi = size;
    roi.width = size.maxWidth / 2;
    roi.height = size.maxHeight / 2;
    roi.xOffset = size.maxWidth / 4;
    ASSERT_EQ(OrvantaSetSizeInfo(h_, roi), ORVANTA_OK);
    ASSERT_EQ(OrvantaGetSizeInfo(h_, &size), ORVANTA_OK);
    EXPECT_EQ(size.width, roi.width);
    EXPECT_EQ(size.xOffset, roi.xOffset);

    // Gain through GainRaw with GainAuto, exposure through ExposureTimeAbs.
    int gmin = 0, gmax = 0, gain = -1;
    bool autoOn = true;
    ASSERT_EQ(OrvantaGetGainMinMax(h_, &gmin, &gmax), ORVANTA_OK);
    ASSERT_EQ(OrvantaSetGain(h_, gmin + 1, false), ORVANTA_OK);
    ASSERT_EQ(OrvantaGetGain(h_, &gain, &autoOn), ORVANTA_OK);
    EXPECT_EQ(gain, gmin + 1);
    EXPECT_FALSE(autoOn);
    ASSERT_EQ(OrvantaSetGain(h_, gmin, true), ORVANTA_OK);
    ASSERT_EQ(OrvantaGetGain(h_, &gain, &autoOn), ORVANTA_OK);
    EXPECT_TRUE(autoOn);
    EXPECT_EQ(OrvantaSetGain(h_, gmax + 1, false), ORVANTA_ERR_OUT_OF_RANGE);
    uint32_t smin = 0, smax = 0, shutter = 0;
    ASSERT_EQ(OrvantaGetShutterMinMax(h_, &smin, &smax), ORVANTA_OK);
    ASSERT_EQ(OrvantaSetShutter(h_, smin + 500, false), ORVANTA_OK);
    ASSERT_EQ(OrvantaGetShutter(h_, &shutter, &autoOn), ORVANTA_OK);
    EXPECT_NEAR(double(shutter), double(smin + 500), 1.0);
    float rate = 0;
    EXPECT_EQ(OrvantaGetFrameRate(h_, &rate), ORVANTA_OK);
    EXPECT_GT(rate, 0.f);

    int count = 0;
    ASSERT_EQ(OrvantaGetNumAvailablePixelFormats(h_, &count), ORVANTA_OK);
    EXPECT_GE(count, 2);
    EXPECT_EQ(OrvantaSetPixelFormatStr(h_, "Mono8"), ORVANTA_OK);
    char text[ORVANTA_TEXT_SIZE] = {};
    EXPECT_EQ(OrvantaGetPixelFormatStr(h_, text), ORVANTA_OK);
    EXPECT_STREQ(text, "Mono8");
    EXPECT_EQ(OrvantaSetTriggerEnable(h_, true), ORVANTA_OK);
    bool trigger = false;
    EXPECT_EQ(OrvantaGetTriggerEnable(h_, &trigger), ORVANTA_OK);
    EXPECT_TRUE(trigger);
    EXPECT_EQ(OrvantaSetTriggerSourceStr(h_, "Software"), ORVANTA_OK);
}

TEST_F(FakeCamera, WhatTheCameraLacksIsNotSupported)
{
    int v = 0, lo = 0, hi = 0;
    float gamma = 0;
    bool on = false;
    EXPECT_EQ(OrvantaGetHue(h_, &v), ORVANTA_ERR_NOT_SUPPORTED);
    EXPECT_EQ(OrvantaGetSaturation(h_, &v), ORVANTA_ERR_NOT_SUPPORTED);
    EXPECT_EQ(OrvantaGetSharpness(h_, &v), ORVANTA_ERR_NOT_SUPPORTED);
    EXPECT_EQ(OrvantaGetContrast(h_, &v), ORVANTA_ERR_NOT_SUPPORTED);
    EXPECT_EQ(OrvantaSetContrast(h_, 1), ORVANTA_ERR_NOT_SUPPORTED);
    EXPECT_EQ(OrvantaGetRGainMinMax(h_, &lo, &hi), ORVANTA_ERR_NOT_SUPPORTED);
    EXPECT_EQ(OrvantaGetGamma(h_, &gamma), ORVANTA_ERR_NOT_SUPPORTED);
    EXPECT_EQ(OrvantaGetStrobeEnable(h_, &on), ORVANTA_ERR_NOT_SUPPORTED);
    EXPECT_EQ(OrvantaGetStrobeDelay(h_, &v), ORVANTA_ERR_NOT_SUPPORTED);
    EXPECT_EQ(OrvantaSetUserDefault(h_), ORVANTA_ERR_NOT_SUPPORTED);
}

TEST_F(FakeCamera, TestRegisterReadsAndWritesAndUnmappedAddressesAreRefused)
{
    uint32_t value = 0;
    ASSERT_EQ(OrvantaReadRegister(h_, kTestRegister, &value), ORVANTA_OK);
    NodeIntInfo node{};
    ASSERT_EQ(OrvantaGetNodeInt(h_, "TestRegister", &node), ORVANTA_OK);
    EXPECT_EQ(uint32_t(node.value), value);
    ASSERT_EQ(OrvantaWriteRegiser(h_, kTestRegister, 0x12345678), ORVANTA_OK);
    ASSERT_EQ(OrvantaReadRegister(h_, kTestRegister, &value), ORVANTA_OK);
    EXPECT_EQ(value, 0x12345678u);
    ASSERT_EQ(OrvantaGetNodeInt(h_, "TestRegister", &node), ORVANTA_OK);
    EXPECT_EQ(uint32_t(node.value), 0x12345678u);
    // High addresses would crash the fake camera inside Aravis: they never reach it.
    for (uint32_t address : {0x10000u, 0x7ffffffcu, 0xfffffffcu, 0xffffffffu}) {
        EXPECT_EQ(OrvantaReadRegister(h_, address, &value), ORVANTA_ERR_NO_REGISTER) << address;
        EXPECT_EQ(OrvantaWriteRegiser(h_, address, 1), ORVANTA_ERR_NO_REGISTER) << address;
    }
}

TEST_F(FakeCamera, AcquisitionDeliversCompleteFramesAndStopsForGood)
{
    OSizeInfo size{};
    ASSERT_EQ(OrvantaGetSizeInfo(h_, &size), ORVANTA_OK);
    EXPECT_EQ(OrvantaSetFrameRate(h_, 50), ORVANTA_OK);
    ASSERT_EQ(OrvantaSetPixelFormatStr(h_, "BayerGR8"), ORVANTA_OK);
    ASSERT_EQ(OrvantaSetBayerConversion(h_, 1), ORVANTA_OK);
    ASSERT_EQ(OrvantaStartAcquisition(h_, countFrame), ORVANTA_OK);
    EXPECT_EQ(OrvantaStartAcquisition(h_, countFrame), ORVANTA_ERR_ACQUIRING);
    // The geometry is fixed while the stream's buffers are in use.
    EXPECT_EQ(OrvantaSetSizeInfo(h_, size), ORVANTA_ERR_ACQUIRING);
    EXPECT_EQ(OrvantaSetPixelFormatStr(h_, "Mono8"), ORVANTA_ERR_ACQUIRING);
    EXPECT_TRUE(waitFor([] { return g_frames >= 5; }));
    // A grab while streaming takes the next frame of the stream.
    GrabBuffers grab(h_);
    ASSERT_EQ(OrvantaGrabRGBData(h_, &grab.frame, 5000), ORVANTA_OK);
    EXPECT_EQ(grab.frame.pixelFormat, uint32_t(ORVANTA_PIXEL_BAYERGR8));
    ASSERT_EQ(OrvantaStopAcquisition(h_), ORVANTA_OK);
    const int stopped = g_frames;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(g_frames, stopped); // no callback after the stop returned
    EXPECT_EQ(g_badFrames, 0);
    EXPECT_EQ(g_width, uint32_t(size.width));
    EXPECT_EQ(OrvantaStopAcquisition(h_), ORVANTA_OK);
    // Restartable, and the geometry can change again once stopped.
    EXPECT_EQ(OrvantaSetPixelFormatStr(h_, "Mono8"), ORVANTA_OK);
    ASSERT_EQ(OrvantaStartAcquisition(h_, countFrame), ORVANTA_OK);
    EXPECT_TRUE(waitFor([&] { return g_frames >= stopped + 3; }));
    EXPECT_EQ(OrvantaCloseCamera(h_), ORVANTA_OK); // closing stops the stream
    const int closed = g_frames;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(g_frames, closed);
}

TEST_F(FakeCamera, SingleGrabsWithoutAStream)
{
    ASSERT_EQ(OrvantaSetPixelFormatStr(h_, "Mono8"), ORVANTA_OK);
    OSizeInfo size{};
    ASSERT_EQ(OrvantaGetSizeInfo(h_, &size), ORVANTA_OK);
    GrabBuffers grab(h_);
    ASSERT_EQ(OrvantaGrabRAWData(h_, &grab.frame, 5000), ORVANTA_OK);
    EXPECT_EQ(grab.frame.width, uint32_t(size.width));
    EXPECT_EQ(grab.frame.height, uint32_t(size.height));
    EXPECT_EQ(grab.frame.bitsPerPixel, 8u);
    EXPECT_EQ(grab.frame.dataSize, uint32_t(size.width * size.height));
    EXPECT_EQ(std::memcmp(grab.raw.data(), grab.mono8.data(), grab.frame.dataSize), 0);
    // RGB of a mono frame is grey.
    ASSERT_EQ(OrvantaGrabRGBData(h_, &grab.frame, 5000), ORVANTA_OK);
    const size_t pixels = size_t(grab.frame.width) * grab.frame.height;
    size_t grey = 0;
    for (size_t i = 0; i < pixels; ++i)
        grey += grab.rgb[3 * i] == grab.mono8[i] && grab.rgb[3 * i + 2] == grab.mono8[i];
    EXPECT_EQ(grey, pixels);
    // The RAW grab needs rawData; the RGB grab needs rgbData.
    OImageFrame empty{};
    EXPECT_EQ(OrvantaGrabRAWData(h_, &empty, 100), ORVANTA_ERR_BAD_ARGUMENT);
    EXPECT_EQ(OrvantaGrabRGBData(h_, &empty, 100), ORVANTA_ERR_BAD_ARGUMENT);
}

// The control dock's preview grabs a frame a second, each on a stream of its own: a start, a
// region write or a factory reset that comes while it grabs waits for that frame instead of
// being refused as acquiring. Here the grabs follow each other back to back.
TEST_F(FakeCamera, StartsAndRegionWritesWaitForAGrabInProgress)
{
    ASSERT_EQ(OrvantaSetPixelFormatStr(h_, "Mono8"), ORVANTA_OK);
    OSizeInfo size{};
    ASSERT_EQ(OrvantaGetSizeInfo(h_, &size), ORVANTA_OK);
    std::atomic<bool> stop{false};
    std::atomic<int> grabs{0};
    std::thread preview([&] {
        GrabBuffers grab(h_);
        while (!stop)
            grabs += OrvantaGrabRGBData(h_, &grab.frame, 1000) == ORVANTA_OK;
    });
    for (int i = 0; i < 10; ++i) {
        const int before = grabs;
        ASSERT_TRUE(waitFor([&] { return grabs > before; }));
        EXPECT_EQ(OrvantaSetSizeInfo(h_, size), ORVANTA_OK) << i;
        EXPECT_EQ(OrvantaStartAcquisition(h_, countFrame), ORVANTA_OK) << i;
        EXPECT_EQ(OrvantaStopAcquisition(h_), ORVANTA_OK) << i;
    }
    EXPECT_NE(OrvantaSetUserDefault(h_), ORVANTA_ERR_ACQUIRING); // the factory reset
    stop = true;
    preview.join();
}

namespace {
NewestFrame g_newest;
void keepLastFrame(OImageFrame* f)
{
    ++g_frames;
    g_newest.publish(f);
}
} // namespace

// Frames are delivered from Aravis's own buffers: a pinned frame keeps its buffer, unchanged,
// while the stream goes on through the others; once unpinned the buffer goes back to Aravis.
TEST_F(FakeCamera, PinnedFramesKeepTheirBufferWhileTheStreamGoesOn)
{
    ASSERT_EQ(OrvantaSetPixelFormatStr(h_, "Mono8"), ORVANTA_OK);
    EXPECT_EQ(OrvantaSetFrameRate(h_, 100), ORVANTA_OK);
    ASSERT_EQ(OrvantaStartAcquisition(h_, keepLastFrame), ORVANTA_OK);
    ASSERT_TRUE(waitFor([] { return g_frames >= 2; }));
    OImageFrame* frame = nullptr;
    uint64_t id = 0;
    ASSERT_EQ(g_newest.pin(&frame, &id), ORVANTA_OK);
    const std::vector<unsigned char> copy(frame->rawData, frame->rawData + frame->dataSize);
    const int pinnedAt = g_frames;
    // More frames than the stream has buffers: each of the others was filled again.
    ASSERT_TRUE(waitFor([&] { return g_frames >= pinnedAt + 40; }));
    EXPECT_EQ(frame->frameID, id);
    EXPECT_EQ(std::memcmp(copy.data(), frame->rawData, copy.size()), 0);
    // The frames went on changing meanwhile (else this test could not see a reuse).
    g_newest.inspect([&](const OImageFrame* newest) {
        EXPECT_NE(std::memcmp(copy.data(), newest->rawData, copy.size()), 0);
    });
    ASSERT_EQ(OrvantaUnlockFrame(frame), ORVANTA_OK);
    const int unpinnedAt = g_frames;
    ASSERT_TRUE(waitFor([&] { return g_frames >= unpinnedAt + 2 * ORVANTA_FRAME_RING_DEPTH; }));
    EXPECT_EQ(OrvantaLockFrame(frame, id), ORVANTA_ERR_FRAME_REUSED);
    EXPECT_EQ(OrvantaStopAcquisition(h_), ORVANTA_OK);
    EXPECT_EQ(g_badFrames, 0);
}

TEST_F(FakeCamera, PixelFormatTheSdkCannotDecodeIsNotStreamed)
{
    constexpr uint32_t kPixelFormatRegister = 0x128;
    constexpr uint32_t kMono8Signed = 0x01080002;
    ASSERT_EQ(OrvantaWriteRegiser(h_, kPixelFormatRegister, kMono8Signed), ORVANTA_OK);
    EXPECT_EQ(OrvantaStartAcquisition(h_, countFrame), ORVANTA_ERR_NOT_SUPPORTED);
    GrabBuffers grab(h_);
    EXPECT_EQ(OrvantaGrabRAWData(h_, &grab.frame, 1000), ORVANTA_ERR_NOT_SUPPORTED);
    ASSERT_EQ(OrvantaSetPixelFormatStr(h_, "Mono8"), ORVANTA_OK);
    EXPECT_EQ(OrvantaStartAcquisition(h_, countFrame), ORVANTA_OK);
    EXPECT_EQ(OrvantaStopAcquisition(h_), ORVANTA_OK);
}

// The in-process fake camera streams on regardless of its trigger settings, so frames per
// trigger are checked against the networked fake camera; here only the command path.
TEST_F(FakeCamera, SoftwareTriggerNeedsARunningStream)
{
    EXPECT_EQ(OrvantaRunSoftwareTrigger(h_), ORVANTA_ERR_NOT_ACQUIRING);
    ASSERT_EQ(OrvantaSetTriggerEnable(h_, true), ORVANTA_OK);
    ASSERT_EQ(OrvantaSetTriggerSourceStr(h_, "Software"), ORVANTA_OK);
    ASSERT_EQ(OrvantaStartAcquisition(h_, countFrame), ORVANTA_OK);
    EXPECT_EQ(OrvantaRunSoftwareTrigger(h_), ORVANTA_OK);
    EXPECT_EQ(OrvantaStopAcquisition(h_), ORVANTA_OK);
    EXPECT_EQ(OrvantaRunSoftwareTrigger(h_), ORVANTA_ERR_NOT_ACQUIRING);
}
