// The C contract of the SDK: status rules, enumeration, nodes, features, user sets, reset,
// registers.
#include "sdktestutil.h"

#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

namespace {

int countCameras()
{
    int n = -1;
    OrvantaNumberOfCameras(&n);
    return n;
}

std::unique_ptr<NodeNameList> nodeList(OrvantaHandle h, const char* parent, int* status = nullptr)
{
    auto list = std::make_unique<NodeNameList>();
    list->count = ORVANTA_NODE_LIST_CAPACITY;
    const int rc = OrvantaGetNodeList(h, parent, list.get());
    if (status)
        *status = rc;
    return list;
}

} // namespace

TEST(SdkRecords, LayoutMatchesTheDocumentedSizes)
{
    EXPECT_EQ(sizeof(OCameraInfo), 144u);
    EXPECT_EQ(offsetof(OCameraInfo, pixelFormat), 128u);
    EXPECT_EQ(sizeof(OSizeInfo), 24u);
    EXPECT_EQ(sizeof(NodeIntInfo), 16u);
    EXPECT_EQ(sizeof(NodeFloatInfo), 32u);
}

TEST(SdkInit, CallsBeforeInitFailCleanly)
{
    int n = 7;
    EXPECT_EQ(OrvantaNumberOfCameras(&n), ORVANTA_ERR_NOT_INITIALIZED);
    EXPECT_EQ(n, 0);
    OrvantaHandle h = nullptr;
    EXPECT_EQ(OrvantaOpenCamera("Sim-color-1", &h), ORVANTA_ERR_NOT_INITIALIZED);
    EXPECT_EQ(OrvantaUninit(), ORVANTA_ERR_NOT_INITIALIZED);
    // Init again after Uninit works and gives the default set again.
    ASSERT_EQ(OrvantaInit(), ORVANTA_OK);
    EXPECT_EQ(countCameras(), 2);
    ASSERT_EQ(OrvantaUninit(), ORVANTA_OK);
    ASSERT_EQ(OrvantaInit(), ORVANTA_OK);
    EXPECT_EQ(countCameras(), 2);
    OrvantaUninit();
}

TEST(SdkInit, UnknownBackendChoiceIsSaidOnStderr)
{
    // Without the line a typo in ORVANTA_BACKENDS gives an empty camera list and no word why.
    const std::string before = std::getenv("ORVANTA_BACKENDS");
    setenv("ORVANTA_BACKENDS", "simulted", 1);
    testing::internal::CaptureStderr();
    ASSERT_EQ(OrvantaInit(), ORVANTA_OK);
    const std::string said = testing::internal::GetCapturedStderr();
    setenv("ORVANTA_BACKENDS", before.c_str(), 1);
    EXPECT_EQ(countCameras(), 0);
    EXPECT_EQ(said, "libOrvantaAPI: unknown ORVANTA_BACKENDS value \"simulted\" (simulated, real "
                    "or both): no cameras\n");
    OrvantaUninit();

    testing::internal::CaptureStderr();
    ASSERT_EQ(OrvantaInit(), ORVANTA_OK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(countCameras(), 2);
    OrvantaUninit();
}

using SdkContract = SdkTest;

TEST_F(SdkContract, EnumeratesTheDefaultCamerasWithIdentity)
{
    ASSERT_EQ(countCameras(), 2);
    char name[ORVANTA_TEXT_SIZE] = {};
    ASSERT_EQ(OrvantaGetDisplayName(0, name), ORVANTA_OK);
    EXPECT_NE(std::string(name).find("OC-500C"), std::string::npos);
    EXPECT_NE(cameraId(0), cameraId(1));
    EXPECT_EQ(OrvantaGetCameraID(2, name), ORVANTA_ERR_NO_CAMERA);
    EXPECT_EQ(OrvantaGetCameraID(-1, name), ORVANTA_ERR_NO_CAMERA);
    EXPECT_EQ(OrvantaGetCameraID(0, nullptr), ORVANTA_ERR_BAD_ARGUMENT);

    OrvantaHandle h = nullptr;
    ASSERT_EQ(OrvantaOpenCamera(cameraId(0).c_str(), &h), ORVANTA_OK);
    OCameraInfo info{};
    ASSERT_EQ(OrvantaGetCamInfo(h, &info), ORVANTA_OK);
    uint32_t atOffset128 = 0;
    std::memcpy(&atOffset128, reinterpret_cast<const char*>(&info) + 128, 4);
    EXPECT_EQ(atOffset128, uint32_t(ORVANTA_PIXEL_BAYERGR8));
    ASSERT_EQ(OrvantaSetPixelFormatStr(h, "BayerGR12"), ORVANTA_OK);
    OrvantaGetCamInfo(h, &info);
    EXPECT_EQ(info.pixelFormat, uint32_t(ORVANTA_PIXEL_BAYERGR12));
    EXPECT_EQ(info.sensorWidth, 2448u);
    EXPECT_STREQ(info.vendorName, "Orvanta");
    OrvantaCloseCamera(h);
}

TEST_F(SdkContract, BadHandlesAndArgumentsReturnCodes)
{
    int v = 0;
    bool b = false;
    char text[ORVANTA_NODE_TEXT_SIZE] = "keep";
    NodeIntInfo ni{1, 2, 3, 4};
    EXPECT_EQ(OrvantaGetContrast(nullptr, &v), ORVANTA_ERR_INVALID_HANDLE);
    EXPECT_EQ(OrvantaGetNodeString(nullptr, "NUCMode", text), ORVANTA_ERR_INVALID_HANDLE);
    EXPECT_STREQ(text, "keep"); // presets stay on failure
    EXPECT_EQ(OrvantaGetNodeInt(nullptr, "Gain", &ni), ORVANTA_ERR_INVALID_HANDLE);
    EXPECT_EQ(ni.value, 1);
    EXPECT_EQ(OrvantaSetNodeCommand(nullptr, "UserSetSave"), ORVANTA_ERR_INVALID_HANDLE);
    EXPECT_EQ(OrvantaStopAcquisition(nullptr), ORVANTA_ERR_INVALID_HANDLE);
    // An arbitrary pointer is looked up, never dereferenced.
    OrvantaHandle bogus = &v;
    EXPECT_EQ(OrvantaGetGain(bogus, &v, &b), ORVANTA_ERR_INVALID_HANDLE);
    EXPECT_EQ(OrvantaCloseCamera(bogus), ORVANTA_ERR_INVALID_HANDLE);

    OrvantaHandle h = nullptr;
    EXPECT_EQ(OrvantaOpenCamera(nullptr, &h), ORVANTA_ERR_BAD_ARGUMENT);
    EXPECT_EQ(OrvantaOpenCamera("", &h), ORVANTA_ERR_BAD_ARGUMENT);
    EXPECT_EQ(OrvantaOpenCamera("no-such-camera", &h), ORVANTA_ERR_NO_CAMERA);
    ASSERT_EQ(OrvantaOpenCamera(cameraId(0).c_str(), &h), ORVANTA_OK);
    OrvantaHandle second = nullptr;
    EXPECT_EQ(OrvantaOpenCamera(cameraId(0).c_str(), &second), ORVANTA_ERR_BUSY);
    EXPECT_EQ(OrvantaGetContrast(h, nullptr), ORVANTA_ERR_BAD_ARGUMENT);
    EXPECT_EQ(OrvantaGetNodeInt(h, nullptr, &ni), ORVANTA_ERR_BAD_ARGUMENT);
    EXPECT_EQ(OrvantaGetNodeInt(h, "", &ni), ORVANTA_ERR_BAD_ARGUMENT);
    EXPECT_EQ(OrvantaGetNodeInfo(h, "Gain", nullptr), ORVANTA_ERR_BAD_ARGUMENT);
    EXPECT_EQ(OrvantaStartAcquisition(h, nullptr), ORVANTA_ERR_BAD_ARGUMENT);
    EXPECT_EQ(OrvantaGrabRAWData(h, nullptr, 10), ORVANTA_ERR_BAD_ARGUMENT);
    OImageFrame empty{};
    EXPECT_EQ(OrvantaGrabRGBData(h, &empty, 10), ORVANTA_ERR_BAD_ARGUMENT);
    EXPECT_EQ(OrvantaLockFrame(nullptr, 1), ORVANTA_ERR_BAD_ARGUMENT);
    EXPECT_EQ(OrvantaLockFrame(&empty, 1), ORVANTA_ERR_BAD_ARGUMENT);
    EXPECT_EQ(OrvantaUnlockFrame(&empty), ORVANTA_ERR_BAD_ARGUMENT);

    // A closed handle stays invalid, also after the same camera is opened again.
    ASSERT_EQ(OrvantaCloseCamera(h), ORVANTA_OK);
    EXPECT_EQ(OrvantaGetContrast(h, &v), ORVANTA_ERR_INVALID_HANDLE);
    EXPECT_EQ(OrvantaCloseCamera(h), ORVANTA_ERR_INVALID_HANDLE);
    ASSERT_EQ(OrvantaOpenCamera(cameraId(0).c_str(), &second), ORVANTA_OK);
    EXPECT_NE(second, h);
    EXPECT_EQ(OrvantaGetContrast(h, &v), ORVANTA_ERR_INVALID_HANDLE);
    EXPECT_EQ(OrvantaGetContrast(second, &v), ORVANTA_OK);
    // Uninit closes what is open.
    OrvantaUninit();
    OrvantaInit();
    EXPECT_EQ(OrvantaGetContrast(second, &v), ORVANTA_ERR_INVALID_HANDLE);
}

TEST_F(SdkContract, SimulatedKindsBehaveAsDocumented)
{
    char id[ORVANTA_TEXT_SIZE] = {};
    ASSERT_EQ(OrvantaSimPlugCamera("noopen", id), ORVANTA_OK);
    EXPECT_EQ(countCameras(), 3);
    OrvantaHandle h = nullptr;
    EXPECT_EQ(OrvantaOpenCamera(id, &h), ORVANTA_ERR_OPEN_FAILED);
    EXPECT_EQ(OrvantaSimPlugCamera("nonsense", id), ORVANTA_ERR_BAD_ARGUMENT);

    OrvantaHandle thermal = openKind("thermal");
    char text[ORVANTA_NODE_TEXT_SIZE] = {};
    EXPECT_EQ(OrvantaGetNodeString(thermal, "NUCMode", text), ORVANTA_OK);
    OrvantaHandle mono = openKind("mono");
    EXPECT_EQ(OrvantaGetNodeString(mono, "NUCMode", text), ORVANTA_ERR_NO_NODE);
    int v = 0;
    EXPECT_EQ(OrvantaGetRGain(mono, &v), ORVANTA_ERR_NOT_SUPPORTED);
    EXPECT_EQ(OrvantaGetNumAvailableWhiteBalances(mono, &v), ORVANTA_ERR_NOT_SUPPORTED);
    char format[ORVANTA_TEXT_SIZE] = {};
    OrvantaGetPixelFormatStr(mono, format);
    EXPECT_STREQ(format, "Mono8");
    OrvantaGetNumAvailablePixelFormats(mono, &v);
    EXPECT_EQ(v, 4);

    OrvantaHandle nowb = openKind("nowb");
    EXPECT_EQ(OrvantaGetNumAvailableWhiteBalances(nowb, &v), ORVANTA_ERR_NOT_SUPPORTED);
    EXPECT_EQ(OrvantaGetHue(nowb, &v), ORVANTA_ERR_NOT_SUPPORTED);
    EXPECT_EQ(OrvantaGetSaturation(nowb, &v), ORVANTA_ERR_NOT_SUPPORTED);
    EXPECT_EQ(OrvantaGetRGain(nowb, &v), ORVANTA_OK);

    float lo = 0, hi = 0;
    OrvantaHandle g4 = openKind("gamma4");
    ASSERT_EQ(OrvantaGetGammaMinMax(g4, &lo, &hi), ORVANTA_OK);
    EXPECT_FLOAT_EQ(lo, 1.0f);
    EXPECT_FLOAT_EQ(hi, 4.0f);
    OrvantaHandle colour = nullptr;
    ASSERT_EQ(OrvantaOpenCamera(cameraId(0).c_str(), &colour), ORVANTA_OK);
    OrvantaGetGammaMinMax(colour, &lo, &hi);
    EXPECT_FLOAT_EQ(lo, 0.3f);
    EXPECT_FLOAT_EQ(hi, 1.0f);
}

TEST_F(SdkContract, FeatureRangesRefuseValuesOutside)
{
    OrvantaHandle h = nullptr;
    ASSERT_EQ(OrvantaOpenCamera(cameraId(0).c_str(), &h), ORVANTA_OK);
    const struct
    {
        int (*range)(OrvantaHandle, int*, int*);
        int (*set)(OrvantaHandle, int);
        int (*get)(OrvantaHandle, int*);
        int lo, hi;
    } features[] = {
        {OrvantaGetRGainMinMax, OrvantaSetRGain, OrvantaGetRGain, 64, 4095},
        {OrvantaGetBlackLevelMinMax, OrvantaSetBlackLevel, OrvantaGetBlackLevel, 0, 1023},
        {OrvantaGetContrastMinMax, OrvantaSetContrast, OrvantaGetContrast, 0, 1016},
        {OrvantaGetHueMinMax, OrvantaSetHue, OrvantaGetHue, 0, 1016},
        {OrvantaGetSaturationMinMax, OrvantaSetSaturation, OrvantaGetSaturation, 0, 1023},
        {OrvantaGetSharpnessMinMax, OrvantaSetSharpness, OrvantaGetSharpness, 10, 20},
        {OrvantaGetAutoExposureMinMax, OrvantaSetAutoExposure, OrvantaGetAutoExposure, 0, 100},
    };
    for (const auto& f : features) {
        int lo = -1, hi = -1, v = -1;
        ASSERT_EQ(f.range(h, &lo, &hi), ORVANTA_OK);
        EXPECT_EQ(lo, f.lo);
        EXPECT_EQ(hi, f.hi);
        EXPECT_EQ(f.set(h, hi), ORVANTA_OK);
        f.get(h, &v);
        EXPECT_EQ(v, hi);
        EXPECT_EQ(f.set(h, hi + 1), ORVANTA_ERR_OUT_OF_RANGE);
        EXPECT_EQ(f.set(h, lo - 1), ORVANTA_ERR_OUT_OF_RANGE);
        f.get(h, &v);
        EXPECT_EQ(v, hi) << "a refused write leaves the value";
    }

    int lo = 0, hi = 0, gain = 0;
    bool autoOn = true;
    OrvantaGetGainMinMax(h, &lo, &hi);
    EXPECT_EQ(hi, 240);
    ASSERT_EQ(OrvantaSetGain(h, 100, false), ORVANTA_OK);
    OrvantaGetGain(h, &gain, &autoOn);
    EXPECT_EQ(gain, 100);
    EXPECT_FALSE(autoOn);
    EXPECT_EQ(OrvantaSetGain(h, 241, false), ORVANTA_ERR_OUT_OF_RANGE);
    ASSERT_EQ(OrvantaSetGain(h, 0, true), ORVANTA_OK);
    OrvantaGetGain(h, &gain, &autoOn);
    EXPECT_TRUE(autoOn);
    // While auto drives the gain, the node is not writable.
    EXPECT_EQ(OrvantaSetNodeInt(h, "Gain", 5), ORVANTA_ERR_READ_ONLY);

    uint32_t smin = 0, smax = 0, shutter = 0;
    OrvantaGetShutterMinMax(h, &smin, &smax);
    EXPECT_EQ(smin, 50u);
    EXPECT_EQ(smax, 2000000u);
    ASSERT_EQ(OrvantaSetShutter(h, 5000, false), ORVANTA_OK);
    OrvantaGetShutter(h, &shutter, &autoOn);
    EXPECT_EQ(shutter, 5000u);
    EXPECT_EQ(OrvantaSetShutter(h, 49, false), ORVANTA_ERR_OUT_OF_RANGE);

    EXPECT_EQ(OrvantaSetGamma(h, 0.5f), ORVANTA_OK);
    EXPECT_EQ(OrvantaSetGamma(h, 1.5f), ORVANTA_ERR_OUT_OF_RANGE);

    // Lists: every entry can be chosen by its text; unknown texts are refused.
    const struct
    {
        int (*count)(OrvantaHandle, int*);
        int (*at)(OrvantaHandle, int, char*);
        int (*get)(OrvantaHandle, char*);
        int (*set)(OrvantaHandle, const char*);
    } lists[] = {
        {OrvantaGetNumAvailablePixelFormats, OrvantaGetAvailablePixelFormatsIdxToStr,
         OrvantaGetPixelFormatStr, OrvantaSetPixelFormatStr},
        {OrvantaGetNumAvailableWhiteBalances, OrvantaGetAvailableWhiteBalancesIdxToStr,
         OrvantaGetWhiteBalanceStr, OrvantaSetWhiteBalanceStr},
        {OrvantaGetNumAvailableTriggerModes, OrvantaGetAvailableTriggerModesIdxToStr,
         OrvantaGetTriggerModeStr, OrvantaSetTriggerModeStr},
        {OrvantaGetNumAvailableTriggerSources, OrvantaGetAvailableTriggerSourcesIdxToStr,
         OrvantaGetTriggerSourceStr, OrvantaSetTriggerSourceStr},
        {OrvantaGetNumAvailableTriggerPolaritys, OrvantaGetAvailableTriggerPolaritysIdxToStr,
         OrvantaGetTriggerPolarityStr, OrvantaSetTriggerPolarityStr},
        {OrvantaGetNumAvailableStrobeModes, OrvantaGetAvailableStrobeModesIdxToStr,
         OrvantaGetStrobeModeStr, OrvantaSetStrobeModeStr},
        {OrvantaGetNumAvailableStrobePolaritys, OrvantaGetAvailableStrobePolaritysIdxToStr,
         OrvantaGetStrobePolarityStr, OrvantaSetStrobePolarityStr},
    };
    for (const auto& l : lists) {
        int n = 0;
        ASSERT_EQ(l.count(h, &n), ORVANTA_OK);
        ASSERT_GE(n, 2);
        for (int i = 0; i < n; ++i) {
            char entry[ORVANTA_TEXT_SIZE] = {}, now[ORVANTA_TEXT_SIZE] = {};
            ASSERT_EQ(l.at(h, i, entry), ORVANTA_OK);
            if (std::strcmp(entry, "Once") == 0)
                continue; // a one-shot mode falls back to Off at once
            ASSERT_EQ(l.set(h, entry), ORVANTA_OK) << entry;
            l.get(h, now);
            EXPECT_STREQ(now, entry);
        }
        char entry[ORVANTA_TEXT_SIZE] = {};
        EXPECT_EQ(l.at(h, n, entry), ORVANTA_ERR_BAD_ARGUMENT);
        EXPECT_EQ(l.set(h, "no such entry"), ORVANTA_ERR_OUT_OF_RANGE);
    }
    char source[ORVANTA_TEXT_SIZE] = {};
    bool found = false;
    int n = 0;
    OrvantaGetNumAvailableTriggerSources(h, &n);
    for (int i = 0; i < n; ++i) {
        OrvantaGetAvailableTriggerSourcesIdxToStr(h, i, source);
        found = found || std::strcmp(source, "Software") == 0;
    }
    EXPECT_TRUE(found);

    const struct
    {
        int (*set)(OrvantaHandle, int);
        int (*get)(OrvantaHandle, int*);
        int lo, hi;
    } timings[] = {{OrvantaSetTriggerParameter, OrvantaGetTriggerParameter, 0, 255},
                   {OrvantaSetTriggerDelay, OrvantaGetTriggerDelay, 0, 4000},
                   {OrvantaSetTriggerNoiseFilter, OrvantaGetTriggerNoiseFilter, 0, 1023},
                   {OrvantaSetStrobeDelay, OrvantaGetStrobeDelay, 0, 3900},
                   {OrvantaSetStrobeDuration, OrvantaGetStrobeDuration, 250, 50000}};
    for (const auto& t : timings) {
        int v = -1;
        EXPECT_EQ(t.set(h, t.hi), ORVANTA_OK);
        t.get(h, &v);
        EXPECT_EQ(v, t.hi);
        EXPECT_EQ(t.set(h, t.hi + 1), ORVANTA_ERR_OUT_OF_RANGE);
        EXPECT_EQ(t.set(h, t.lo - 1), ORVANTA_ERR_OUT_OF_RANGE);
    }
    bool on = false;
    EXPECT_EQ(OrvantaSetTriggerEnable(h, true), ORVANTA_OK);
    OrvantaGetTriggerEnable(h, &on);
    EXPECT_TRUE(on);
    EXPECT_EQ(OrvantaSetStrobeEnable(h, true), ORVANTA_OK);
    OrvantaGetStrobeEnable(h, &on);
    EXPECT_TRUE(on);
}

TEST_F(SdkContract, RegionOfInterestIsAlignedClampedOrRefused)
{
    OrvantaHandle h = nullptr;
    ASSERT_EQ(OrvantaOpenCamera(cameraId(0).c_str(), &h), ORVANTA_OK);
    OSizeInfo s{};
    ASSERT_EQ(OrvantaGetSizeInfo(h, &s), ORVANTA_OK);
    EXPECT_EQ(s.maxWidth, 2448);
    EXPECT_EQ(s.maxHeight, 2048);
    EXPECT_EQ(s.width, 2448);

    ASSERT_EQ(OrvantaSetSizeInfo(h, OSizeInfo{101, 203, 645, 479, 0, 0}), ORVANTA_OK);
    OrvantaGetSizeInfo(h, &s);
    EXPECT_EQ(s.xOffset, 96);
    EXPECT_EQ(s.yOffset, 200);
    EXPECT_EQ(s.width, 640);
    EXPECT_EQ(s.height, 472);
    // An offset that pushes the region off the sensor is clamped.
    ASSERT_EQ(OrvantaSetSizeInfo(h, OSizeInfo{3000, 3000, 640, 480, 0, 0}), ORVANTA_OK);
    OrvantaGetSizeInfo(h, &s);
    EXPECT_EQ(s.xOffset + s.width, 2448 - 2448 % 8);
    EXPECT_EQ(s.yOffset + s.height, 2048);
    // Zero, negative and oversized sizes are refused and leave the region as it was.
    EXPECT_EQ(OrvantaSetSizeInfo(h, OSizeInfo{0, 0, 0, 480, 0, 0}), ORVANTA_ERR_OUT_OF_RANGE);
    EXPECT_EQ(OrvantaSetSizeInfo(h, OSizeInfo{0, 0, 640, -8, 0, 0}), ORVANTA_ERR_OUT_OF_RANGE);
    EXPECT_EQ(OrvantaSetSizeInfo(h, OSizeInfo{0, 0, 2456, 480, 0, 0}), ORVANTA_ERR_OUT_OF_RANGE);
    OSizeInfo after{};
    OrvantaGetSizeInfo(h, &after);
    EXPECT_EQ(std::memcmp(&s, &after, sizeof s), 0);
    // A width under one increment becomes the smallest region, not zero.
    ASSERT_EQ(OrvantaSetSizeInfo(h, OSizeInfo{0, 0, 3, 3, 0, 0}), ORVANTA_OK);
    OrvantaGetSizeInfo(h, &s);
    EXPECT_EQ(s.width, 8);
    EXPECT_EQ(s.height, 8);
    // The node view follows: Width range shrinks with the offset.
    OrvantaSetSizeInfo(h, OSizeInfo{800, 0, 640, 480, 0, 0});
    NodeIntInfo w{};
    ASSERT_EQ(OrvantaGetNodeInt(h, "Width", &w), ORVANTA_OK);
    EXPECT_EQ(w.value, 640);
    EXPECT_EQ(w.maximum, 2448 - 800);
    EXPECT_EQ(w.increment, 8);
    EXPECT_EQ(OrvantaSetNodeInt(h, "Width", 644), ORVANTA_ERR_OUT_OF_RANGE);
    // The frame-rate ceiling follows the region height and exposure.
    float lo = 0, full = 0, small = 0;
    OrvantaSetSizeInfo(h, OSizeInfo{0, 0, 2448, 2048, 0, 0});
    OrvantaSetShutter(h, 500, false);
    OrvantaGetFrameRateMinMax(h, &lo, &full);
    OrvantaSetSizeInfo(h, OSizeInfo{0, 0, 640, 32, 0, 0});
    OrvantaGetFrameRateMinMax(h, &lo, &small);
    EXPECT_GE(full, 30.0f);
    EXPECT_GE(small, 1000.0f);
}

TEST_F(SdkContract, NodeTreeListsCategoriesAndEveryType)
{
    OrvantaHandle h = nullptr;
    ASSERT_EQ(OrvantaOpenCamera(cameraId(0).c_str(), &h), ORVANTA_OK);
    auto root = nodeList(h, "Root");
    ASSERT_GT(root->count, 3u);
    bool types[9] = {};
    bool readOnly = false, readWrite = false, special = false;
    for (uint32_t i = 0; i < root->count; ++i) {
        NodeInfo info{};
        ASSERT_EQ(OrvantaGetNodeInfo(h, root->names[i], &info), ORVANTA_OK);
        EXPECT_EQ(info.type, ORVANTA_NODE_CATEGORY) << root->names[i];
        auto children = nodeList(h, root->names[i]);
        for (uint32_t j = 0; j < children->count; ++j) {
            NodeInfo c{};
            ASSERT_EQ(OrvantaGetNodeInfo(h, children->names[j], &c), ORVANTA_OK);
            types[c.type] = true;
            readOnly = readOnly || c.access == ORVANTA_ACCESS_READ_ONLY;
            readWrite = readWrite || c.access == ORVANTA_ACCESS_READ_WRITE;
            const std::string name = children->names[j];
            if (name == "AutoIris" || name == "DeviceTemperatureRange")
                special = special || nodeList(h, name.c_str())->count > 0;
        }
    }
    for (int t : {1, 3, 4, 5, 6, 7})
        EXPECT_TRUE(types[t]) << "type " << t;
    EXPECT_TRUE(readOnly && readWrite && special);

    // A leaf or an unknown name has no children: count 0, also for a null handle.
    int rc = 0;
    EXPECT_EQ(nodeList(h, "Gain", &rc)->count, 0u);
    EXPECT_EQ(rc, ORVANTA_ERR_WRONG_NODE_TYPE);
    EXPECT_EQ(nodeList(h, "NoSuchNode", &rc)->count, 0u);
    EXPECT_EQ(rc, ORVANTA_ERR_NO_NODE);
    EXPECT_EQ(nodeList(nullptr, "Root", &rc)->count, 0u);
    EXPECT_EQ(rc, ORVANTA_ERR_INVALID_HANDLE);
    EXPECT_EQ(OrvantaGetNodeList(h, "Root", nullptr), ORVANTA_ERR_BAD_ARGUMENT);
    // A smaller capacity is honoured.
    auto small = std::make_unique<NodeNameList>();
    small->count = 2;
    EXPECT_EQ(OrvantaGetNodeList(h, "Root", small.get()), ORVANTA_ERR_BAD_ARGUMENT);
    EXPECT_EQ(small->count, 2u);
    EXPECT_STREQ(small->names[0], root->names[0]);

    // IPv4-like nodes read as the unsigned 32-bit pattern.
    NodeIntInfo ip{};
    ASSERT_EQ(OrvantaGetNodeInt(h, "GevPersistentIPAddress", &ip), ORVANTA_OK);
    EXPECT_EQ(uint32_t(ip.value), 0xC0A8010Au);
    EXPECT_EQ(uint32_t(ip.maximum), 0xFFFFFFFFu);
    ASSERT_EQ(OrvantaSetNodeInt(h, "GevPersistentIPAddress", int64_t(0xC0A80A0Bu)), ORVANTA_OK);
    ASSERT_EQ(OrvantaSetNodeInt(h, "GevPersistentIPAddress", int32_t(0xC0A80A0Cu)), ORVANTA_OK);
    OrvantaGetNodeInt(h, "GevPersistentIPAddress", &ip);
    EXPECT_EQ(uint32_t(ip.value), 0xC0A80A0Cu);
    EXPECT_EQ(OrvantaGetNodeInt(h, "GevSCDA", &ip), ORVANTA_OK);
    EXPECT_EQ(OrvantaSetNodeInt(h, "GevSCDA", 1), ORVANTA_ERR_READ_ONLY);
}

TEST_F(SdkContract, NodeAccessChecksTypesAndSharesStateWithFeatures)
{
    OrvantaHandle h = nullptr;
    ASSERT_EQ(OrvantaOpenCamera(cameraId(0).c_str(), &h), ORVANTA_OK);
    // The node and the feature family act on one value.
    ASSERT_EQ(OrvantaSetNodeInt(h, "Gain", 42), ORVANTA_OK);
    int gain = 0;
    bool autoOn = true;
    OrvantaGetGain(h, &gain, &autoOn);
    EXPECT_EQ(gain, 42);
    ASSERT_EQ(OrvantaSetBlackLevel(h, 17), ORVANTA_OK);
    NodeIntInfo ni{};
    OrvantaGetNodeInt(h, "BlackLevel", &ni);
    EXPECT_EQ(ni.value, 17);
    EXPECT_EQ(ni.maximum, 1023);
    NodeFloatInfo nf{};
    ASSERT_EQ(OrvantaGetNodeFloat(h, "ExposureTime", &nf), ORVANTA_OK);
    ASSERT_EQ(OrvantaSetNodeFloat(h, "ExposureTime", 1234.0), ORVANTA_OK);
    uint32_t shutter = 0;
    OrvantaGetShutter(h, &shutter, &autoOn);
    EXPECT_EQ(shutter, 1234u);
    EXPECT_EQ(OrvantaSetNodeFloat(h, "ExposureTime", 10.0), ORVANTA_ERR_OUT_OF_RANGE);

    // Wrong types, read-only, unknown names.
    EXPECT_EQ(OrvantaGetNodeFloat(h, "Gain", &nf), ORVANTA_ERR_WRONG_NODE_TYPE);
    EXPECT_EQ(OrvantaSetNodeBoolean(h, "Gain", true), ORVANTA_ERR_WRONG_NODE_TYPE);
    EXPECT_EQ(OrvantaSetNodeCommand(h, "Gain"), ORVANTA_ERR_WRONG_NODE_TYPE);
    EXPECT_EQ(OrvantaSetNodeInt(h, "SensorWidth", 8), ORVANTA_ERR_READ_ONLY);
    EXPECT_EQ(OrvantaSetNodeString(h, "DeviceModelName", "x"), ORVANTA_ERR_READ_ONLY);
    EXPECT_EQ(OrvantaGetNodeInt(h, "NoSuchNode", &ni), ORVANTA_ERR_NO_NODE);
    bool flag = false;
    ASSERT_EQ(OrvantaSetNodeBoolean(h, "StrobeEnable", true), ORVANTA_OK);
    OrvantaGetNodeBoolean(h, "StrobeEnable", &flag);
    EXPECT_TRUE(flag);
    char text[ORVANTA_NODE_TEXT_SIZE] = {};
    ASSERT_EQ(OrvantaSetNodeString(h, "DeviceUserID", "bench camera"), ORVANTA_OK);
    OrvantaGetNodeString(h, "DeviceUserID", text);
    EXPECT_STREQ(text, "bench camera");
    EXPECT_EQ(OrvantaSetNodeString(h, "DeviceUserID", std::string(300, 'x').c_str()),
              ORVANTA_ERR_OUT_OF_RANGE);

    // Enumerations: string access by entry name.
    auto e = std::make_unique<NodeEnumInfo>();
    e->count = ORVANTA_ENUM_CAPACITY;
    ASSERT_EQ(OrvantaGetNodeEnum(h, "PixelFormat", e.get()), ORVANTA_OK);
    ASSERT_EQ(e->count, 4u);
    EXPECT_STREQ(e->entries[e->index], "BayerGR8");
    ASSERT_EQ(OrvantaSetNodeString(h, "PixelFormat", "BayerGR12"), ORVANTA_OK);
    OrvantaGetNodeString(h, "PixelFormat", text);
    EXPECT_STREQ(text, "BayerGR12");
    char format[ORVANTA_TEXT_SIZE] = {};
    OrvantaGetPixelFormatStr(h, format);
    EXPECT_STREQ(format, "BayerGR12");
    ASSERT_EQ(OrvantaSetNodeEnum(h, "PixelFormat", "BayerGR8"), ORVANTA_OK);
    EXPECT_EQ(OrvantaSetNodeEnum(h, "PixelFormat", "Mono8"), ORVANTA_ERR_OUT_OF_RANGE);
    EXPECT_EQ(OrvantaSetNodeEnum(h, "DeviceUserID", "x"), ORVANTA_ERR_WRONG_NODE_TYPE);
    e->count = 1; // too small for the entries
    EXPECT_EQ(OrvantaGetNodeEnum(h, "PixelFormat", e.get()), ORVANTA_ERR_BAD_ARGUMENT);

    // White balance "Once" computes gains and returns to Off.
    int red = 0, blue = 0;
    OrvantaGetRGain(h, &red);
    ASSERT_EQ(OrvantaSetWhiteBalanceStr(h, "Once"), ORVANTA_OK);
    OrvantaGetWhiteBalanceStr(h, format);
    EXPECT_STREQ(format, "Off");
    OrvantaGetRGain(h, &red);
    OrvantaGetBGain(h, &blue);
    EXPECT_NE(red, 1024);
    EXPECT_NE(blue, 1024);
    ASSERT_EQ(OrvantaSetWhiteBalanceStr(h, "Continuous"), ORVANTA_OK);
    EXPECT_EQ(OrvantaSetRGain(h, 100), ORVANTA_ERR_READ_ONLY);
}

TEST_F(SdkContract, TestTreesReplaceTheNodesButNotTheFeatures)
{
    const std::string id = cameraId(0);
    ASSERT_EQ(OrvantaSimClearNodes(id.c_str()), ORVANTA_OK);
    OrvantaHandle h = nullptr;
    ASSERT_EQ(OrvantaOpenCamera(id.c_str(), &h), ORVANTA_OK);
    EXPECT_EQ(nodeList(h, "Root")->count, 0u);
    NodeIntInfo ni{};
    EXPECT_EQ(OrvantaGetNodeInt(h, "Gain", &ni), ORVANTA_ERR_NO_NODE);
    int contrast = -1;
    EXPECT_EQ(OrvantaGetContrast(h, &contrast), ORVANTA_OK);

    ASSERT_EQ(OrvantaSimAddNode(id.c_str(), "Root", "Big", ORVANTA_NODE_CATEGORY), ORVANTA_OK);
    for (int i = 0; i < ORVANTA_NODE_LIST_CAPACITY; ++i)
        ASSERT_EQ(OrvantaSimAddNode(id.c_str(), "Big", ("Value" + std::to_string(i)).c_str(),
                                    ORVANTA_NODE_INTEGER),
                  ORVANTA_OK);
    int rc = -1;
    auto full = nodeList(h, "Big", &rc);
    EXPECT_EQ(rc, ORVANTA_OK);
    ASSERT_EQ(full->count, 128u);
    EXPECT_STREQ(full->names[0], "Value0");
    EXPECT_STREQ(full->names[127], "Value127");
    ASSERT_EQ(OrvantaGetNodeInt(h, "Value5", &ni), ORVANTA_OK);
    EXPECT_EQ(ni.value, 0);
    EXPECT_EQ(ni.maximum, 100);
    // One more than the places: the list stays at capacity.
    ASSERT_EQ(OrvantaSimAddNode(id.c_str(), "Big", "Value128", ORVANTA_NODE_INTEGER), ORVANTA_OK);
    EXPECT_EQ(nodeList(h, "Big", &rc)->count, 128u);
    EXPECT_EQ(rc, ORVANTA_ERR_BAD_ARGUMENT);

    // A node added by a feature's name and type is the feature.
    ASSERT_EQ(OrvantaSimAddNode(id.c_str(), "Root", "Gain", ORVANTA_NODE_INTEGER), ORVANTA_OK);
    ASSERT_EQ(OrvantaSetNodeInt(h, "Gain", 7), ORVANTA_OK);
    int gain = 0;
    bool autoOn = false;
    OrvantaGetGain(h, &gain, &autoOn);
    EXPECT_EQ(gain, 7);
    EXPECT_EQ(OrvantaSimAddNode(id.c_str(), "Missing", "X", ORVANTA_NODE_INTEGER),
              ORVANTA_ERR_NO_NODE);
    EXPECT_EQ(OrvantaSimAddNode(id.c_str(), "Root", "X", 99), ORVANTA_ERR_BAD_ARGUMENT);
    EXPECT_EQ(OrvantaSimAddNode("no-such-camera", "Root", "X", 5), ORVANTA_ERR_NO_CAMERA);
}

TEST_F(SdkContract, UserSetsSaveLoadAndApplyAtPowerOn)
{
    const std::string id = cameraId(0);
    OrvantaHandle h = nullptr;
    ASSERT_EQ(OrvantaOpenCamera(id.c_str(), &h), ORVANTA_OK);
    auto sets = std::make_unique<NodeEnumInfo>();
    sets->count = ORVANTA_ENUM_CAPACITY;
    ASSERT_EQ(OrvantaGetNodeEnum(h, "UserSetSelector", sets.get()), ORVANTA_OK);
    ASSERT_EQ(sets->count, 3u);
    EXPECT_STREQ(sets->entries[0], "Default");
    EXPECT_STREQ(sets->entries[2], "UserSet2");
    char text[ORVANTA_NODE_TEXT_SIZE] = {};
    ASSERT_EQ(OrvantaGetNodeString(h, "UserSetDefaultSelector", text), ORVANTA_OK);
    EXPECT_STREQ(text, "Default");

    // Save a set, change things, load it back.
    OrvantaSetContrast(h, 300);
    OrvantaSetSizeInfo(h, OSizeInfo{16, 16, 640, 480, 0, 0});
    ASSERT_EQ(OrvantaSetNodeEnum(h, "UserSetSelector", "UserSet1"), ORVANTA_OK);
    ASSERT_EQ(OrvantaSetNodeCommand(h, "UserSetSave"), ORVANTA_OK);
    OrvantaSetContrast(h, 5);
    OrvantaSetSizeInfo(h, OSizeInfo{0, 0, 2448, 2048, 0, 0});
    ASSERT_EQ(OrvantaSetNodeCommand(h, "UserSetLoad"), ORVANTA_OK);
    int contrast = 0;
    OSizeInfo s{};
    OrvantaGetContrast(h, &contrast);
    OrvantaGetSizeInfo(h, &s);
    EXPECT_EQ(contrast, 300);
    EXPECT_EQ(s.width, 640);
    EXPECT_EQ(s.xOffset, 16);
    // The factory set cannot be overwritten; an empty set cannot be loaded.
    ASSERT_EQ(OrvantaSetNodeEnum(h, "UserSetSelector", "Default"), ORVANTA_OK);
    EXPECT_EQ(OrvantaSetNodeCommand(h, "UserSetSave"), ORVANTA_ERR_READ_ONLY);
    ASSERT_EQ(OrvantaSetNodeEnum(h, "UserSetSelector", "UserSet2"), ORVANTA_OK);
    EXPECT_EQ(OrvantaSetNodeCommand(h, "UserSetLoad"), ORVANTA_ERR_NOT_SUPPORTED);

    // Factory default restores the Default set into the current state.
    ASSERT_EQ(OrvantaSetUserDefault(h), ORVANTA_OK);
    OrvantaGetContrast(h, &contrast);
    OrvantaGetSizeInfo(h, &s);
    EXPECT_EQ(contrast, 0);
    EXPECT_EQ(s.width, 2448);

    // The power-on set is applied at the next open.
    ASSERT_EQ(OrvantaSetNodeEnum(h, "UserSetDefaultSelector", "UserSet1"), ORVANTA_OK);
    OrvantaSetContrast(h, 9);
    OrvantaCloseCamera(h);
    ASSERT_EQ(OrvantaOpenCamera(id.c_str(), &h), ORVANTA_OK);
    OrvantaGetContrast(h, &contrast);
    EXPECT_EQ(contrast, 300);
    OrvantaGetNodeString(h, "UserSetDefaultSelector", text);
    EXPECT_STREQ(text, "UserSet1");

    // Saved sets and the power-on choice stay with the camera for the process's life.
    OrvantaUninit();
    ASSERT_EQ(OrvantaInit(), ORVANTA_OK);
    ASSERT_EQ(cameraId(0), id);
    ASSERT_EQ(OrvantaOpenCamera(id.c_str(), &h), ORVANTA_OK);
    OrvantaGetContrast(h, &contrast);
    EXPECT_EQ(contrast, 300);
    // Back to factory power-on for the tests that follow.
    ASSERT_EQ(OrvantaSetNodeEnum(h, "UserSetDefaultSelector", "Default"), ORVANTA_OK);
}

TEST_F(SdkContract, ResetHidesTheCameraThenItReturnsAtPowerOn)
{
    const std::string id = cameraId(0);
    OrvantaHandle h = nullptr;
    ASSERT_EQ(OrvantaOpenCamera(id.c_str(), &h), ORVANTA_OK);
    OrvantaSetContrast(h, 77);
    ASSERT_EQ(OrvantaCameraReset(h), ORVANTA_OK);
    int v = 0;
    EXPECT_EQ(OrvantaGetContrast(h, &v), ORVANTA_ERR_INVALID_HANDLE);
    EXPECT_EQ(countCameras(), 1);
    OrvantaHandle again = nullptr;
    EXPECT_EQ(OrvantaOpenCamera(id.c_str(), &again), ORVANTA_ERR_NO_CAMERA);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (countCameras() < 2 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_EQ(countCameras(), 2);
    EXPECT_EQ(cameraId(0), id);
    ASSERT_EQ(OrvantaOpenCamera(id.c_str(), &again), ORVANTA_OK);
    OrvantaGetContrast(again, &v);
    EXPECT_EQ(v, 0);
}

TEST_F(SdkContract, RegistersMirrorFeaturesAndRefuseUnknownAddresses)
{
    OrvantaHandle h = nullptr;
    ASSERT_EQ(OrvantaOpenCamera(cameraId(0).c_str(), &h), ORVANTA_OK);
    uint32_t value = 0;
    ASSERT_EQ(OrvantaReadRegister(h, 0x10000, &value), ORVANTA_OK);
    EXPECT_EQ(value, 2448u);
    ASSERT_EQ(OrvantaWriteRegiser(h, 0x10010, 33), ORVANTA_OK);
    int gain = 0;
    bool autoOn = false;
    OrvantaGetGain(h, &gain, &autoOn);
    EXPECT_EQ(gain, 33);
    EXPECT_EQ(OrvantaWriteRegiser(h, 0x10010, 1000), ORVANTA_ERR_OUT_OF_RANGE);
    OrvantaSetShutter(h, 2500, false);
    OrvantaReadRegister(h, 0x10014, &value);
    EXPECT_EQ(value, 2500u);
    OrvantaReadRegister(h, 0x10018, &value);
    EXPECT_EQ(value, uint32_t(ORVANTA_PIXEL_BAYERGR8));
    ASSERT_EQ(OrvantaWriteRegiser(h, 0x20000, 0xDEADBEEF), ORVANTA_OK);
    OrvantaReadRegister(h, 0x20000, &value);
    EXPECT_EQ(value, 0xDEADBEEFu);
    ASSERT_EQ(OrvantaWriteRegiser(h, 0x064C, 0xC0A80164u), ORVANTA_OK);
    NodeIntInfo ip{};
    OrvantaGetNodeInt(h, "GevPersistentIPAddress", &ip);
    EXPECT_EQ(uint32_t(ip.value), 0xC0A80164u);
    EXPECT_EQ(OrvantaWriteRegiser(h, 0x0D18, 1), ORVANTA_ERR_READ_ONLY);
    value = 0x1234;
    EXPECT_EQ(OrvantaReadRegister(h, 0x4, &value), ORVANTA_ERR_NO_REGISTER);
    EXPECT_EQ(value, 0x1234u);
    EXPECT_EQ(OrvantaWriteRegiser(h, 0xFFFFFFF0u, 1), ORVANTA_ERR_NO_REGISTER);
    EXPECT_EQ(OrvantaReadRegister(h, 0x10000, nullptr), ORVANTA_ERR_BAD_ARGUMENT);
}

TEST_F(SdkContract, UnpluggedCameraFailsWithDeviceError)
{
    std::string id;
    OrvantaHandle h = openKind("mono", &id);
    ASSERT_EQ(countCameras(), 3);
    ASSERT_EQ(OrvantaSimUnplugCamera(id.c_str()), ORVANTA_OK);
    EXPECT_EQ(countCameras(), 2);
    int v = 0;
    EXPECT_EQ(OrvantaGetContrast(h, &v), ORVANTA_ERR_DEVICE);
    EXPECT_EQ(OrvantaSimUnplugCamera(id.c_str()), ORVANTA_ERR_NO_CAMERA);
    EXPECT_EQ(OrvantaCloseCamera(h), ORVANTA_OK);
}
