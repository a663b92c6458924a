// The C interface: argument checks, handle look-up, and the feature families expressed as the
// standard feature nodes every camera backend offers.
#include "OrvantaAPI.h"
#include "OrvantaSimControl.h"

#include "featuresfile.h"
#include "library.h"
#include "pixelformat.h"

#include <cmath>
#include <cstring>

using namespace orvanta;

namespace {

void copyText(const std::string& text, char* out, size_t size)
{
    const size_t n = std::min(text.size(), size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

// Runs f(device) for a valid handle.
template <class F> int withDevice(OrvantaHandle handle, F&& f)
{
    std::shared_ptr<Device> device;
    if (int rc = Library::instance().device(handle, device))
        return rc;
    return f(*device);
}

// Feature-family calls report a camera without the feature as "not supported".
int featureStatus(int rc)
{
    return rc == ORVANTA_ERR_NO_NODE ? ORVANTA_ERR_NOT_SUPPORTED : rc;
}

int getIntFeature(OrvantaHandle h, const char* node, int* value)
{
    if (!value)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withDevice(h, [&](Device& d) {
        IntValue v;
        int rc = featureStatus(d.getInt(Scope::Feature, node, v));
        if (rc == ORVANTA_OK)
            *value = int(v.value);
        return rc;
    });
}

int setIntFeature(OrvantaHandle h, const char* node, int value)
{
    return withDevice(
        h, [&](Device& d) { return featureStatus(d.setInt(Scope::Feature, node, value)); });
}

int intFeatureRange(OrvantaHandle h, const char* node, int* minimum, int* maximum)
{
    if (!minimum || !maximum)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withDevice(h, [&](Device& d) {
        IntValue v;
        int rc = featureStatus(d.getInt(Scope::Feature, node, v));
        if (rc == ORVANTA_OK)
            *minimum = int(v.minimum), *maximum = int(v.maximum);
        return rc;
    });
}

// A camera without the auto node has the manual value only: auto reads as off.
int getAuto(Device& d, const char* node, bool& on)
{
    std::string entry;
    int rc = featureStatus(d.getString(Scope::Feature, node, entry));
    on = rc == ORVANTA_OK && entry != "Off";
    return rc == ORVANTA_ERR_NOT_SUPPORTED ? int(ORVANTA_OK) : rc;
}

// Switching auto off comes first so that the manual value can then be written.
int setWithAuto(Device& d, const char* autoNode, bool autoOn, const std::function<int()>& setValue)
{
    if (autoOn)
        return featureStatus(d.setEnum(Scope::Feature, autoNode, "Continuous"));
    const int rc = featureStatus(d.setEnum(Scope::Feature, autoNode, "Off"));
    if (rc != ORVANTA_OK && rc != ORVANTA_ERR_NOT_SUPPORTED)
        return rc;
    return featureStatus(setValue());
}

int listCount(OrvantaHandle h, const char* node, int* count)
{
    if (!count)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withDevice(h, [&](Device& d) {
        EnumValue e;
        int rc = featureStatus(d.getEnum(Scope::Feature, node, e));
        if (rc == ORVANTA_OK)
            *count = int(e.entries.size());
        return rc;
    });
}

int listEntry(OrvantaHandle h, const char* node, int index, char* text)
{
    if (!text)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withDevice(h, [&](Device& d) {
        EnumValue e;
        int rc = featureStatus(d.getEnum(Scope::Feature, node, e));
        if (rc != ORVANTA_OK)
            return rc;
        if (index < 0 || size_t(index) >= e.entries.size())
            return int(ORVANTA_ERR_BAD_ARGUMENT);
        copyText(e.entries[size_t(index)], text, ORVANTA_TEXT_SIZE);
        return int(ORVANTA_OK);
    });
}

int listCurrent(OrvantaHandle h, const char* node, char* text)
{
    if (!text)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withDevice(h, [&](Device& d) {
        std::string entry;
        int rc = featureStatus(d.getString(Scope::Feature, node, entry));
        if (rc == ORVANTA_OK)
            copyText(entry, text, ORVANTA_TEXT_SIZE);
        return rc;
    });
}

int listSelect(OrvantaHandle h, const char* node, const char* text)
{
    if (!text)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withDevice(
        h, [&](Device& d) { return featureStatus(d.setEnum(Scope::Feature, node, text)); });
}

int getBoolFeature(OrvantaHandle h, const char* node, bool* value)
{
    if (!value)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withDevice(h, [&](Device& d) {
        bool v = false;
        int rc = featureStatus(d.getBool(Scope::Feature, node, v));
        if (rc == ORVANTA_OK)
            *value = v;
        return rc;
    });
}

int setBoolFeature(OrvantaHandle h, const char* node, bool value)
{
    return withDevice(
        h, [&](Device& d) { return featureStatus(d.setBool(Scope::Feature, node, value)); });
}

int getFloatFeature(OrvantaHandle h, const char* node, float* value)
{
    if (!value)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withDevice(h, [&](Device& d) {
        FloatValue v;
        int rc = featureStatus(d.getFloat(Scope::Feature, node, v));
        if (rc == ORVANTA_OK)
            *value = float(v.value);
        return rc;
    });
}

int floatFeatureRange(OrvantaHandle h, const char* node, float* minimum, float* maximum)
{
    if (!minimum || !maximum)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withDevice(h, [&](Device& d) {
        FloatValue v;
        int rc = featureStatus(d.getFloat(Scope::Feature, node, v));
        if (rc == ORVANTA_OK)
            *minimum = float(v.minimum), *maximum = float(v.maximum);
        return rc;
    });
}

int setFloatFeature(OrvantaHandle h, const char* node, float value)
{
    return withDevice(
        h, [&](Device& d) { return featureStatus(d.setFloat(Scope::Feature, node, value)); });
}

// Node calls take a name; a null or empty one is a bad argument.
template <class F> int withNode(OrvantaHandle h, const char* name, F&& f)
{
    if (!name || !*name)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withDevice(h, [&](Device& d) { return f(d, std::string(name)); });
}

template <class F> int withSim(F&& f)
{
    std::shared_ptr<SimBackend> sim;
    if (int rc = Library::instance().simulated(sim))
        return rc;
    return f(*sim);
}

template <class F> int withSimCamera(const char* id, F&& f)
{
    if (!id)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withSim([&](SimBackend& sim) {
        auto camera = sim.camera(id);
        return camera ? f(*camera) : int(ORVANTA_ERR_NO_CAMERA);
    });
}

} // namespace

extern "C" {

int OrvantaInit(void)
{
    return Library::instance().init();
}

int OrvantaUninit(void)
{
    return Library::instance().uninit();
}

const char* OrvantaStatusText(int status)
{
    switch (status) {
    case ORVANTA_OK:
        return "success";
    case ORVANTA_ERR_INVALID_HANDLE:
        return "invalid camera handle";
    case ORVANTA_ERR_NOT_INITIALIZED:
        return "SDK not initialised";
    case ORVANTA_ERR_NO_CAMERA:
        return "no such camera";
    case ORVANTA_ERR_NO_NODE:
        return "no such node";
    case ORVANTA_ERR_WRONG_NODE_TYPE:
        return "wrong node type";
    case ORVANTA_ERR_READ_ONLY:
        return "not writable";
    case ORVANTA_ERR_OUT_OF_RANGE:
        return "value out of range";
    case ORVANTA_ERR_NOT_SUPPORTED:
        return "not supported";
    case ORVANTA_ERR_TIMEOUT:
        return "timeout";
    case ORVANTA_ERR_NOT_ACQUIRING:
        return "not acquiring";
    case ORVANTA_ERR_ACQUIRING:
        return "acquiring";
    case ORVANTA_ERR_BAD_ARGUMENT:
        return "bad argument";
    case ORVANTA_ERR_OPEN_FAILED:
        return "camera refused to open";
    case ORVANTA_ERR_BUSY:
        return "camera already open";
    case ORVANTA_ERR_FRAME_REUSED:
        return "frame buffers reused";
    case ORVANTA_ERR_NO_REGISTER:
        return "no such register";
    case ORVANTA_ERR_DEVICE:
        return "device failure";
    case ORVANTA_ERR_FILE:
        return "file cannot be read or written";
    case ORVANTA_ERR_PARTIAL:
        return "some features were not applied";
    default:
        return "unknown status";
    }
}

int OrvantaNumberOfCameras(int* count)
{
    if (!count)
        return ORVANTA_ERR_BAD_ARGUMENT;
    std::vector<DeviceEntry> list;
    int rc = Library::instance().enumerate(list);
    *count = rc == ORVANTA_OK ? int(list.size()) : 0;
    return rc;
}

static int cameraEntry(int index, char* text, bool id)
{
    if (!text)
        return ORVANTA_ERR_BAD_ARGUMENT;
    std::vector<DeviceEntry> list;
    if (int rc = Library::instance().enumerate(list))
        return rc;
    if (index < 0 || size_t(index) >= list.size())
        return ORVANTA_ERR_NO_CAMERA;
    const DeviceEntry& e = list[size_t(index)];
    copyText(id ? e.id : e.displayName, text, ORVANTA_TEXT_SIZE);
    return ORVANTA_OK;
}

int OrvantaGetDisplayName(int index, char* name)
{
    return cameraEntry(index, name, false);
}

int OrvantaGetCameraID(int index, char* id)
{
    return cameraEntry(index, id, true);
}

int OrvantaOpenCamera(const char* id, OrvantaHandle* handle)
{
    if (!id || !*id || !handle)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return Library::instance().open(id, *handle);
}

int OrvantaCloseCamera(OrvantaHandle handle)
{
    std::shared_ptr<Device> device;
    if (int rc = Library::instance().take(handle, device))
        return rc;
    device->close();
    return ORVANTA_OK;
}

int OrvantaCameraReset(OrvantaHandle handle)
{
    std::shared_ptr<Device> device;
    if (int rc = Library::instance().take(handle, device))
        return rc;
    return device->reset();
}

int OrvantaGetCamInfo(OrvantaHandle handle, OCameraInfo* info)
{
    if (!info)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withDevice(handle, [&](Device& d) {
        OCameraInfo out{};
        std::string text;
        const struct
        {
            const char* node;
            char* field;
        } texts[] = {{"DeviceVendorName", out.vendorName},
                     {"DeviceModelName", out.modelName},
                     {"DeviceSerialNumber", out.serialNumber},
                     {"DeviceVersion", out.deviceVersion}};
        for (const auto& t : texts) {
            if (int rc = d.getString(Scope::Feature, t.node, text))
                return featureStatus(rc);
            copyText(text, t.field, sizeof out.vendorName);
        }
        if (int rc = d.getString(Scope::Feature, "PixelFormat", text))
            return featureStatus(rc);
        out.pixelFormat = pixelFormatCode(text);
        IntValue w, h;
        if (int rc = d.getInt(Scope::Feature, "SensorWidth", w))
            return featureStatus(rc);
        if (int rc = d.getInt(Scope::Feature, "SensorHeight", h))
            return featureStatus(rc);
        out.sensorWidth = uint32_t(w.value);
        out.sensorHeight = uint32_t(h.value);
        *info = out;
        return int(ORVANTA_OK);
    });
}

int OrvantaGetSizeInfo(OrvantaHandle handle, OSizeInfo* size)
{
    if (!size)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withDevice(handle, [&](Device& d) {
        const char* names[] = {"OffsetX", "OffsetY",     "Width",
                               "Height",  "SensorWidth", "SensorHeight"};
        int32_t values[6];
        for (int i = 0; i < 6; ++i) {
            IntValue v;
            if (int rc = d.getInt(Scope::Feature, names[i], v))
                return featureStatus(rc);
            values[i] = int32_t(v.value);
        }
        *size = {values[0], values[1], values[2], values[3], values[4], values[5]};
        return int(ORVANTA_OK);
    });
}

int OrvantaSetSizeInfo(OrvantaHandle handle, OSizeInfo size)
{
    return withDevice(handle, [&](Device& d) {
        IntValue sw, sh, step;
        if (int rc = d.getInt(Scope::Feature, "SensorWidth", sw))
            return featureStatus(rc);
        if (int rc = d.getInt(Scope::Feature, "SensorHeight", sh))
            return featureStatus(rc);
        if (size.width <= 0 || size.height <= 0 || size.width > sw.value || size.height > sh.value)
            return int(ORVANTA_ERR_OUT_OF_RANGE);
        if (int rc = d.getInt(Scope::Feature, "Width", step))
            return featureStatus(rc);
        const int64_t inc = std::max<int64_t>(step.increment, 1);
        auto align = [inc](int64_t v, int64_t lo, int64_t hi) {
            return std::clamp<int64_t>(v / inc * inc, lo, hi / inc * inc);
        };
        const int64_t w = align(size.width, inc, sw.value);
        const int64_t h = align(size.height, inc, sh.value);
        const int64_t x = align(size.xOffset, 0, sw.value - w);
        const int64_t y = align(size.yOffset, 0, sh.value - h);
        // Offsets to 0 first so that every intermediate geometry fits the sensor.
        const std::pair<const char*, int64_t> steps[] = {{"OffsetX", 0}, {"OffsetY", 0},
                                                         {"Width", w},   {"Height", h},
                                                         {"OffsetX", x}, {"OffsetY", y}};
        for (const auto& s : steps)
            if (int rc = d.setInt(Scope::Feature, s.first, s.second))
                return featureStatus(rc);
        return int(ORVANTA_OK);
    });
}

int OrvantaStartAcquisition(OrvantaHandle handle, OrvantaFrameCallback callback)
{
    if (!callback)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withDevice(handle, [&](Device& d) { return d.startAcquisition(callback); });
}

int OrvantaStopAcquisition(OrvantaHandle handle)
{
    return withDevice(handle, [](Device& d) { return d.stopAcquisition(); });
}

int OrvantaSetBayerConversion(OrvantaHandle handle, int enable)
{
    return withDevice(handle, [&](Device& d) { return d.setBayerConversion(enable != 0); });
}

int OrvantaLockFrame(const OImageFrame* frame, uint64_t frameID)
{
    return FrameRing::lock(frame, frameID);
}

int OrvantaUnlockFrame(const OImageFrame* frame)
{
    return FrameRing::unlock(frame);
}

int OrvantaGetStreamStatistics(OrvantaHandle handle, OStreamStatistics* statistics)
{
    if (!statistics)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withDevice(handle, [&](Device& d) {
        *statistics = d.streamCounters().read();
        return int(ORVANTA_OK);
    });
}

int OrvantaResetStreamStatistics(OrvantaHandle handle)
{
    return withDevice(handle, [](Device& d) {
        d.streamCounters().reset();
        return int(ORVANTA_OK);
    });
}

int OrvantaGrabRGBData(OrvantaHandle handle, OImageFrame* frame, int timeoutMs)
{
    if (!frame)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withDevice(handle, [&](Device& d) { return d.grab(*frame, timeoutMs, true); });
}

int OrvantaGrabRAWData(OrvantaHandle handle, OImageFrame* frame, int timeoutMs)
{
    if (!frame)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withDevice(handle, [&](Device& d) { return d.grab(*frame, timeoutMs, false); });
}

int OrvantaRunSoftwareTrigger(OrvantaHandle handle)
{
    return withDevice(handle, [](Device& d) { return d.softwareTrigger(); });
}

int OrvantaReadRegister(OrvantaHandle handle, uint32_t address, uint32_t* value)
{
    if (!value)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withDevice(handle, [&](Device& d) { return d.readRegister(address, *value); });
}

int OrvantaWriteRegiser(OrvantaHandle handle, uint32_t address, uint32_t value)
{
    return withDevice(handle, [&](Device& d) { return d.writeRegister(address, value); });
}

int OrvantaGetNodeList(OrvantaHandle handle, const char* parent, NodeNameList* list)
{
    if (!list)
        return ORVANTA_ERR_BAD_ARGUMENT;
    const uint32_t capacity = std::min<uint32_t>(list->count, ORVANTA_NODE_LIST_CAPACITY);
    list->count = 0;
    return withNode(handle, parent, [&](Device& d, const std::string& name) {
        std::vector<std::string> names;
        if (int rc = d.list(name, names))
            return rc;
        const size_t n = std::min<size_t>(names.size(), capacity);
        for (size_t i = 0; i < n; ++i)
            copyText(names[i], list->names[i], ORVANTA_NODE_TEXT_SIZE);
        list->count = uint32_t(n);
        // More children than places: the caller got the first ones and learns it fell short.
        return names.size() > capacity ? int(ORVANTA_ERR_BAD_ARGUMENT) : int(ORVANTA_OK);
    });
}

int OrvantaGetNodeInfo(OrvantaHandle handle, const char* name, NodeInfo* info)
{
    if (!info)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withNode(handle, name,
                    [&](Device& d, const std::string& n) { return d.info(n, *info); });
}

int OrvantaGetNodeInt(OrvantaHandle handle, const char* name, NodeIntInfo* info)
{
    if (!info)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withNode(handle, name, [&](Device& d, const std::string& n) {
        IntValue v;
        int rc = d.getInt(Scope::Tree, n, v);
        if (rc == ORVANTA_OK)
            *info = {int32_t(uint32_t(v.value)), int32_t(uint32_t(v.minimum)),
                     int32_t(uint32_t(v.maximum)), int32_t(uint32_t(v.increment))};
        return rc;
    });
}

int OrvantaSetNodeInt(OrvantaHandle handle, const char* name, int64_t value)
{
    return withNode(handle, name, [&](Device& d, const std::string& n) {
        return d.setInt(Scope::Tree, n, value);
    });
}

int OrvantaGetNodeFloat(OrvantaHandle handle, const char* name, NodeFloatInfo* info)
{
    if (!info)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withNode(handle, name, [&](Device& d, const std::string& n) {
        FloatValue v;
        int rc = d.getFloat(Scope::Tree, n, v);
        if (rc == ORVANTA_OK)
            *info = {v.value, v.minimum, v.maximum, v.increment};
        return rc;
    });
}

int OrvantaSetNodeFloat(OrvantaHandle handle, const char* name, double value)
{
    return withNode(handle, name, [&](Device& d, const std::string& n) {
        return d.setFloat(Scope::Tree, n, value);
    });
}

int OrvantaGetNodeBoolean(OrvantaHandle handle, const char* name, bool* value)
{
    if (!value)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withNode(handle, name, [&](Device& d, const std::string& n) {
        bool v = false;
        int rc = d.getBool(Scope::Tree, n, v);
        if (rc == ORVANTA_OK)
            *value = v;
        return rc;
    });
}

int OrvantaSetNodeBoolean(OrvantaHandle handle, const char* name, bool value)
{
    return withNode(handle, name, [&](Device& d, const std::string& n) {
        return d.setBool(Scope::Tree, n, value);
    });
}

int OrvantaGetNodeEnum(OrvantaHandle handle, const char* name, NodeEnumInfo* info)
{
    if (!info)
        return ORVANTA_ERR_BAD_ARGUMENT;
    const uint32_t capacity = std::min<uint32_t>(info->count, ORVANTA_ENUM_CAPACITY);
    return withNode(handle, name, [&](Device& d, const std::string& n) {
        EnumValue e;
        if (int rc = d.getEnum(Scope::Tree, n, e))
            return rc;
        if (e.entries.size() > capacity)
            return int(ORVANTA_ERR_BAD_ARGUMENT);
        for (size_t i = 0; i < e.entries.size(); ++i)
            copyText(e.entries[i], info->entries[i], ORVANTA_NODE_TEXT_SIZE);
        info->count = uint32_t(e.entries.size());
        info->index = uint32_t(e.index);
        return int(ORVANTA_OK);
    });
}

int OrvantaSetNodeEnum(OrvantaHandle handle, const char* name, const char* entry)
{
    if (!entry)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withNode(handle, name, [&](Device& d, const std::string& n) {
        return d.setEnum(Scope::Tree, n, entry);
    });
}

int OrvantaGetNodeString(OrvantaHandle handle, const char* name, char* value)
{
    if (!value)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withNode(handle, name, [&](Device& d, const std::string& n) {
        std::string text;
        int rc = d.getString(Scope::Tree, n, text);
        if (rc == ORVANTA_OK)
            copyText(text, value, ORVANTA_NODE_TEXT_SIZE);
        return rc;
    });
}

int OrvantaSetNodeString(OrvantaHandle handle, const char* name, const char* value)
{
    if (!value)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withNode(handle, name, [&](Device& d, const std::string& n) {
        return d.setString(Scope::Tree, n, value);
    });
}

int OrvantaSetNodeCommand(OrvantaHandle handle, const char* name)
{
    return withNode(handle, name,
                    [&](Device& d, const std::string& n) { return d.execute(Scope::Tree, n); });
}

int OrvantaGetGain(OrvantaHandle handle, int* value, bool* autoOn)
{
    if (!value || !autoOn)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withDevice(handle, [&](Device& d) {
        IntValue v;
        bool on = false;
        if (int rc = featureStatus(d.getInt(Scope::Feature, "Gain", v)))
            return rc;
        if (int rc = getAuto(d, "GainAuto", on))
            return rc;
        *value = int(v.value), *autoOn = on;
        return int(ORVANTA_OK);
    });
}

int OrvantaSetGain(OrvantaHandle handle, int value, bool autoOn)
{
    return withDevice(handle, [&](Device& d) {
        return setWithAuto(d, "GainAuto", autoOn,
                           [&] { return d.setInt(Scope::Feature, "Gain", value); });
    });
}

int OrvantaGetGainMinMax(OrvantaHandle handle, int* minimum, int* maximum)
{
    return intFeatureRange(handle, "Gain", minimum, maximum);
}

// Get and set of an integer feature whose range the interface does not offer.
#define ORVANTA_DEFINE_INT_ACCESS(F, NODE)                                                         \
    int OrvantaGet##F(OrvantaHandle handle, int* value)                                            \
    {                                                                                              \
        return getIntFeature(handle, NODE, value);                                                 \
    }                                                                                              \
    int OrvantaSet##F(OrvantaHandle handle, int value)                                             \
    {                                                                                              \
        return setIntFeature(handle, NODE, value);                                                 \
    }

#define ORVANTA_DEFINE_INT_FEATURE(F, NODE)                                                        \
    ORVANTA_DEFINE_INT_ACCESS(F, NODE)                                                             \
    int OrvantaGet##F##MinMax(OrvantaHandle handle, int* minimum, int* maximum)                    \
    {                                                                                              \
        return intFeatureRange(handle, NODE, minimum, maximum);                                    \
    }

ORVANTA_DEFINE_INT_FEATURE(RGain, "RedGain")
ORVANTA_DEFINE_INT_FEATURE(GGain, "GreenGain")
ORVANTA_DEFINE_INT_FEATURE(BGain, "BlueGain")
ORVANTA_DEFINE_INT_FEATURE(BlackLevel, "BlackLevel")
ORVANTA_DEFINE_INT_FEATURE(Contrast, "Contrast")
ORVANTA_DEFINE_INT_FEATURE(Hue, "Hue")
ORVANTA_DEFINE_INT_FEATURE(Saturation, "Saturation")
ORVANTA_DEFINE_INT_FEATURE(Sharpness, "Sharpness")
ORVANTA_DEFINE_INT_FEATURE(AutoExposure, "AutoExposureTarget")

int OrvantaGetShutter(OrvantaHandle handle, uint32_t* value, bool* autoOn)
{
    if (!value || !autoOn)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withDevice(handle, [&](Device& d) {
        FloatValue v;
        bool on = false;
        if (int rc = featureStatus(d.getFloat(Scope::Feature, "ExposureTime", v)))
            return rc;
        if (int rc = getAuto(d, "ExposureAuto", on))
            return rc;
        *value = uint32_t(std::lround(v.value)), *autoOn = on;
        return int(ORVANTA_OK);
    });
}

int OrvantaSetShutter(OrvantaHandle handle, uint32_t value, bool autoOn)
{
    return withDevice(handle, [&](Device& d) {
        return setWithAuto(d, "ExposureAuto", autoOn, [&] {
            return d.setFloat(Scope::Feature, "ExposureTime", double(value));
        });
    });
}

int OrvantaGetShutterMinMax(OrvantaHandle handle, uint32_t* minimum, uint32_t* maximum)
{
    if (!minimum || !maximum)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withDevice(handle, [&](Device& d) {
        FloatValue v;
        int rc = featureStatus(d.getFloat(Scope::Feature, "ExposureTime", v));
        if (rc == ORVANTA_OK)
            *minimum = uint32_t(v.minimum), *maximum = uint32_t(v.maximum);
        return rc;
    });
}

int OrvantaGetGamma(OrvantaHandle handle, float* value)
{
    return getFloatFeature(handle, "Gamma", value);
}

int OrvantaSetGamma(OrvantaHandle handle, float value)
{
    return setFloatFeature(handle, "Gamma", value);
}

int OrvantaGetGammaMinMax(OrvantaHandle handle, float* minimum, float* maximum)
{
    return floatFeatureRange(handle, "Gamma", minimum, maximum);
}

int OrvantaGetFrameRate(OrvantaHandle handle, float* value)
{
    return getFloatFeature(handle, "AcquisitionFrameRate", value);
}

int OrvantaSetFrameRate(OrvantaHandle handle, float value)
{
    return setFloatFeature(handle, "AcquisitionFrameRate", value);
}

int OrvantaGetFrameRateMinMax(OrvantaHandle handle, float* minimum, float* maximum)
{
    return floatFeatureRange(handle, "AcquisitionFrameRate", minimum, maximum);
}

#define ORVANTA_DEFINE_LIST_FEATURE(X, NODE)                                                       \
    int OrvantaGetNumAvailable##X##s(OrvantaHandle handle, int* count)                             \
    {                                                                                              \
        return listCount(handle, NODE, count);                                                     \
    }                                                                                              \
    int OrvantaGetAvailable##X##sIdxToStr(OrvantaHandle handle, int index, char* text)             \
    {                                                                                              \
        return listEntry(handle, NODE, index, text);                                               \
    }                                                                                              \
    int OrvantaGet##X##Str(OrvantaHandle handle, char* text)                                       \
    {                                                                                              \
        return listCurrent(handle, NODE, text);                                                    \
    }                                                                                              \
    int OrvantaSet##X##Str(OrvantaHandle handle, const char* text)                                 \
    {                                                                                              \
        return listSelect(handle, NODE, text);                                                     \
    }

ORVANTA_DEFINE_LIST_FEATURE(PixelFormat, "PixelFormat")
ORVANTA_DEFINE_LIST_FEATURE(WhiteBalance, "BalanceWhiteAuto")
ORVANTA_DEFINE_LIST_FEATURE(TriggerMode, "TriggerType")
ORVANTA_DEFINE_LIST_FEATURE(TriggerSource, "TriggerSource")
ORVANTA_DEFINE_LIST_FEATURE(TriggerPolarity, "TriggerActivation")
ORVANTA_DEFINE_LIST_FEATURE(StrobeMode, "StrobeMode")
ORVANTA_DEFINE_LIST_FEATURE(StrobePolarity, "StrobePolarity")

int OrvantaGetTriggerEnable(OrvantaHandle handle, bool* enabled)
{
    if (!enabled)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withDevice(handle, [&](Device& d) {
        std::string mode;
        int rc = featureStatus(d.getString(Scope::Feature, "TriggerMode", mode));
        if (rc == ORVANTA_OK)
            *enabled = mode == "On";
        return rc;
    });
}

int OrvantaSetTriggerEnable(OrvantaHandle handle, bool enabled)
{
    return listSelect(handle, "TriggerMode", enabled ? "On" : "Off");
}

ORVANTA_DEFINE_INT_ACCESS(TriggerDelay, "TriggerDelay")
ORVANTA_DEFINE_INT_ACCESS(TriggerParameter, "TriggerParameter")
ORVANTA_DEFINE_INT_ACCESS(TriggerNoiseFilter, "TriggerNoiseFilter")
ORVANTA_DEFINE_INT_ACCESS(StrobeDelay, "TimerDelay")
ORVANTA_DEFINE_INT_ACCESS(StrobeDuration, "TimerDuration")

int OrvantaGetStrobeEnable(OrvantaHandle handle, bool* enabled)
{
    return getBoolFeature(handle, "StrobeEnable", enabled);
}

int OrvantaSetStrobeEnable(OrvantaHandle handle, bool enabled)
{
    return setBoolFeature(handle, "StrobeEnable", enabled);
}

int OrvantaSetUserDefault(OrvantaHandle handle)
{
    return withDevice(handle, [](Device& d) { return d.restoreFactoryDefault(); });
}

int OrvantaSaveFeatures(OrvantaHandle handle, const char* path)
{
    if (!path || !*path)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withDevice(handle, [&](Device& d) { return saveFeatureFile(d, path); });
}

int OrvantaLoadFeatures(OrvantaHandle handle, const char* path, char* report, size_t capacity)
{
    if (report && capacity)
        report[0] = '\0';
    if (!path || !*path || (!report && capacity))
        return ORVANTA_ERR_BAD_ARGUMENT;
    std::vector<FeatureProblem> problems;
    const int rc =
        withDevice(handle, [&](Device& d) { return loadFeatureFile(d, path, problems); });
    writeFeatureReport(problems, report, capacity);
    return rc;
}

int OrvantaSimPlugCamera(const char* kind, char* id)
{
    if (!kind)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withSim([&](SimBackend& sim) {
        std::string newId;
        int rc = sim.plug(kind, newId);
        if (rc == ORVANTA_OK && id)
            copyText(newId, id, ORVANTA_TEXT_SIZE);
        return rc;
    });
}

int OrvantaSimUnplugCamera(const char* id)
{
    if (!id)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withSim([&](SimBackend& sim) { return sim.unplug(id); });
}

int OrvantaSimSetDelivering(const char* id, int delivering)
{
    return withSimCamera(id, [&](SimCamera& c) {
        c.setDelivering(delivering != 0);
        return int(ORVANTA_OK);
    });
}

int OrvantaSimGetDeliveredFrames(const char* id, uint64_t* count)
{
    if (!count)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withSimCamera(id, [&](SimCamera& c) {
        *count = c.deliveredFrames();
        return int(ORVANTA_OK);
    });
}

int OrvantaSimSetStreamFaults(const char* id, const OSimStreamFaults* faults)
{
    if (!faults)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withSimCamera(id, [&](SimCamera& c) {
        c.setStreamFaults(*faults);
        return int(ORVANTA_OK);
    });
}

int OrvantaSimClearNodes(const char* id)
{
    return withSimCamera(id, [](SimCamera& c) { return c.clearNodes(); });
}

int OrvantaSimAddNode(const char* id, const char* parent, const char* name, int type)
{
    if (!parent || !name)
        return ORVANTA_ERR_BAD_ARGUMENT;
    return withSimCamera(id, [&](SimCamera& c) { return c.addNode(parent, name, type); });
}

} // extern "C"
