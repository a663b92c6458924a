#include "simcamera.h"

#include "framedecoder.h"
#include "pixelops.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace orvanta {

namespace {

const std::vector<std::string> kColourFormats = {"BayerGR8", "BayerGR12", "RGB8", "YUV422_8"};

// Every format the SDK decodes, and one it does not.
std::vector<std::string> everyFormat()
{
    std::vector<std::string> names;
    for (const PixelFormatInfo& f : pixelFormats())
        names.push_back(f.name);
    names.push_back("Mono4p");
    return names;
}

const SimKind kKinds[] = {
    {"color", "OC-500C", 2448, 2048, true, kColourFormats, 0.3, 1.0, true, false, false, 15},
    {"mono",
     "OM-130M",
     1280,
     1024,
     false,
     {"Mono8", "Mono10", "Mono12", "Mono12p"},
     0.3,
     1.0,
     false,
     false,
     false,
     10},
    {"thermal",
     "OT-130T",
     1280,
     1024,
     false,
     {"Mono8", "Mono12"},
     0.3,
     1.0,
     false,
     true,
     false,
     10},
    {"noopen", "OC-500C", 2448, 2048, true, kColourFormats, 0.3, 1.0, true, false, true, 15},
    {"nowb", "OC-500N", 2448, 2048, true, kColourFormats, 0.3, 1.0, false, false, false, 15},
    {"gamma4", "OC-500G", 2448, 2048, true, kColourFormats, 1.0, 4.0, true, false, false, 15},
    {"formats", "OC-64F", 64, 48, true, everyFormat(), 0.3, 1.0, true, false, false, 15},
};

constexpr double kNominalExposureUs = 10000;
constexpr double kFrameOverheadUs = 100;
constexpr int kRoiStep = 8;
constexpr auto kResetAbsence = std::chrono::seconds(2);

Node intNode(const char* name, int64_t min, int64_t max, int64_t inc, int64_t value,
             const char* unit = "")
{
    Node n;
    n.name = name;
    n.type = ORVANTA_NODE_INTEGER;
    n.intMin = min, n.intMax = max, n.intInc = inc, n.intValue = value;
    n.unit = unit;
    return n;
}

Node floatNode(const char* name, double min, double max, double value, const char* unit = "")
{
    Node n;
    n.name = name;
    n.type = ORVANTA_NODE_FLOAT;
    n.floatMin = min, n.floatMax = max, n.floatValue = value;
    n.unit = unit;
    return n;
}

Node enumNode(const char* name, std::vector<std::string> entries, size_t index = 0)
{
    Node n;
    n.name = name;
    n.type = ORVANTA_NODE_ENUMERATION;
    n.entries = std::move(entries);
    n.entryIndex = index;
    return n;
}

Node boolNode(const char* name, bool value)
{
    Node n;
    n.name = name;
    n.type = ORVANTA_NODE_BOOLEAN;
    n.boolValue = value;
    return n;
}

Node stringNode(const char* name, std::string value, int access = ORVANTA_ACCESS_READ_ONLY)
{
    Node n;
    n.name = name;
    n.type = ORVANTA_NODE_STRING;
    n.stringValue = std::move(value);
    n.access = access;
    return n;
}

Node commandNode(const char* name, std::function<int()> action)
{
    Node n;
    n.name = name;
    n.type = ORVANTA_NODE_COMMAND;
    n.access = ORVANTA_ACCESS_WRITE_ONLY;
    n.onExecute = std::move(action);
    return n;
}

Node readOnly(Node n)
{
    n.access = ORVANTA_ACCESS_READ_ONLY;
    return n;
}

Node persistent(Node n, bool lockedWhileAcquiring = false)
{
    n.persistent = true;
    n.lockedWhileAcquiring = lockedWhileAcquiring;
    return n;
}

Node described(Node n, const char* description)
{
    n.description = description;
    return n;
}

} // namespace

bool simKindByName(const std::string& name, SimKind& out)
{
    for (const SimKind& k : kKinds)
        if (k.name == name) {
            out = k;
            return true;
        }
    return false;
}

SimCamera::SimCamera(const SimKind& kind, const std::string& id, int serial)
    : kind_(kind), id_(id), serial_(std::to_string(20240000 + serial))
{
    nodes_.writeGuard = [this](const Node& n) { return guardWrite(n); };
    nodes_.changed = [this](const Node& n) { onChanged(n); };
    buildNodes();
    updateRanges();
    userSets_["Default"] = captureUserSet();
    std::unique_lock<std::mutex> lock;
    const NonVolatile& memory = nonVolatile(lock)[id_];
    for (const auto& set : memory.sets)
        userSets_[set.first] = set.second;
    nodes_.forceEnum("UserSetDefaultSelector", memory.powerOn);
}

SimCamera::~SimCamera()
{
    // The acquisition thread holds a reference, so the last one may go on that thread.
    if (worker_.joinable())
        worker_.detach();
}

std::string SimCamera::displayName() const
{
    return "Simulated " + kind_.model + " (" + serial_ + ")"; // never mistaken for a real camera
}

void SimCamera::buildNodes()
{
    const int w = kind_.sensorWidth, h = kind_.sensorHeight;
    NodeStore& s = nodes_;

    s.addCategory("Root", "DeviceControl");
    s.addFeature("DeviceControl", stringNode("DeviceVendorName", "Orvanta"));
    s.addFeature("DeviceControl", stringNode("DeviceModelName", kind_.model));
    s.addFeature("DeviceControl", stringNode("DeviceSerialNumber", serial_));
    s.addFeature("DeviceControl", stringNode("DeviceVersion", "1.0.0"));
    s.addFeature("DeviceControl",
                 described(stringNode("DeviceUserID", "", ORVANTA_ACCESS_READ_WRITE),
                           "User-defined name of the camera"));
    s.addFeature("DeviceControl", readOnly(floatNode("DeviceTemperature", -40, 125, 41.5, "C")));
    s.addCategory("DeviceControl", "DeviceTemperatureRange");
    s.addFeature("DeviceTemperatureRange",
                 readOnly(floatNode("DeviceTemperatureMax", -40, 125, 85, "C")));
    s.addFeature("DeviceTemperatureRange",
                 readOnly(floatNode("DeviceTemperatureMin", -40, 125, -10, "C")));

    s.addCategory("Root", "ImageFormatControl");
    s.addFeature("ImageFormatControl", readOnly(intNode("SensorWidth", w, w, 1, w)));
    s.addFeature("ImageFormatControl", readOnly(intNode("SensorHeight", h, h, 1, h)));
    s.addFeature("ImageFormatControl", readOnly(intNode("WidthMax", w, w, 1, w)));
    s.addFeature("ImageFormatControl", readOnly(intNode("HeightMax", h, h, 1, h)));
    s.addFeature("ImageFormatControl",
                 persistent(intNode("Width", kRoiStep, w, kRoiStep, w), true));
    s.addFeature("ImageFormatControl",
                 persistent(intNode("Height", kRoiStep, h, kRoiStep, h), true));
    s.addFeature("ImageFormatControl", persistent(intNode("OffsetX", 0, 0, kRoiStep, 0), true));
    s.addFeature("ImageFormatControl", persistent(intNode("OffsetY", 0, 0, kRoiStep, 0), true));
    s.addFeature("ImageFormatControl",
                 persistent(enumNode("PixelFormat", kind_.pixelFormats), true));

    s.addCategory("Root", "AcquisitionControl");
    s.addFeature("AcquisitionControl",
                 persistent(enumNode("AcquisitionMode", {"Continuous", "SingleFrame"}), true));
    s.addFeature("AcquisitionControl", persistent(boolNode("AcquisitionFrameRateEnable", true)));
    s.addFeature("AcquisitionControl",
                 persistent(floatNode("AcquisitionFrameRate", 0.5, 30, 30, "Hz")));
    s.addFeature("AcquisitionControl",
                 readOnly(floatNode("ResultingFrameRate", 0, 100000, 30, "Hz")));
    s.addFeature("AcquisitionControl", persistent(enumNode("ExposureMode", {"Timed"})));
    s.addFeature("AcquisitionControl",
                 persistent(floatNode("ExposureTime", 50, 2000000, kNominalExposureUs, "us")));
    s.addFeature("AcquisitionControl",
                 persistent(enumNode("ExposureAuto", {"Off", "Once", "Continuous"})));
    s.addFeature("AcquisitionControl",
                 persistent(described(intNode("AutoExposureTarget", 0, 100, 1, 50),
                                      "Brightness the automatic exposure and gain aim at")));
    s.addFeature("AcquisitionControl", persistent(enumNode("TriggerMode", {"Off", "On"})));
    s.addFeature(
        "AcquisitionControl",
        persistent(enumNode("TriggerType", {"Standard", "Bulb", "SkipFrames", "MultiShot"})));
    s.addFeature("AcquisitionControl",
                 persistent(enumNode("TriggerSource", {"Software", "Line0", "Line1", "Line2"})));
    s.addFeature("AcquisitionControl",
                 persistent(enumNode("TriggerActivation", {"RisingEdge", "FallingEdge"})));
    s.addFeature("AcquisitionControl", persistent(intNode("TriggerDelay", 0, 4000, 1, 0, "us")));
    s.addFeature("AcquisitionControl", persistent(intNode("TriggerParameter", 0, 255, 1, 0)));
    s.addFeature("AcquisitionControl", persistent(intNode("TriggerNoiseFilter", 0, 1023, 1, 0)));
    s.addFeature("AcquisitionControl", commandNode("TriggerSoftware", [this] {
                     // Runs with mutex_ held (node calls take it).
                     if (!acquiring_)
                         return int(ORVANTA_ERR_NOT_ACQUIRING);
                     ++pendingTriggers_;
                     wake_.notify_all();
                     return int(ORVANTA_OK);
                 }));

    s.addCategory("Root", "AnalogControl");
    s.addFeature("AnalogControl", persistent(intNode("Gain", 0, 240, 1, 0)));
    s.addFeature("AnalogControl", persistent(enumNode("GainAuto", {"Off", "Once", "Continuous"})));
    s.addFeature("AnalogControl", persistent(intNode("BlackLevel", 0, 1023, 1, 0)));
    s.addFeature("AnalogControl",
                 persistent(floatNode(
                     "Gamma", kind_.gammaMin, kind_.gammaMax,
                     kind_.gammaMin <= 1.0 && kind_.gammaMax >= 1.0 ? 1.0 : kind_.gammaMin)));
    s.addFeature("AnalogControl", persistent(intNode("Contrast", 0, 1016, 1, 0)));
    s.addFeature("AnalogControl", persistent(intNode("Sharpness", 10, 20, 1, 10)));
    if (kind_.colour) {
        s.addFeature("AnalogControl", persistent(intNode("RedGain", 64, 4095, 1, 1024)));
        s.addFeature("AnalogControl", persistent(intNode("GreenGain", 64, 4095, 1, 1024)));
        s.addFeature("AnalogControl", persistent(intNode("BlueGain", 64, 4095, 1, 1024)));
    }
    if (kind_.colour && kind_.whiteBalance) {
        s.addFeature("AnalogControl",
                     persistent(enumNode("BalanceWhiteAuto", {"Off", "Once", "Continuous"})));
        s.addCategory("Root", "ColorProcessingControl");
        s.addFeature("ColorProcessingControl", persistent(intNode("Hue", 0, 1016, 1, 508)));
        s.addFeature("ColorProcessingControl", persistent(intNode("Saturation", 0, 1023, 1, 512)));
    }
    s.addCategory("AnalogControl", "AutoIris");
    s.addFeature("AutoIris", persistent(enumNode("AutoIrisMode", {"Off", "Continuous"})));
    s.addFeature("AutoIris", persistent(intNode("AutoIrisTarget", 0, 255, 1, 128)));

    s.addCategory("Root", "DigitalIOControl");
    s.addFeature("DigitalIOControl", persistent(boolNode("StrobeEnable", false)));
    s.addFeature(
        "DigitalIOControl",
        persistent(enumNode("StrobeMode", {"ExposureActive", "TimerActive", "FrameActive"})));
    s.addFeature("DigitalIOControl",
                 persistent(enumNode("StrobePolarity", {"ActiveHigh", "ActiveLow"})));
    s.addFeature("DigitalIOControl", enumNode("TimerSelector", {"Timer0"}));
    s.addFeature("DigitalIOControl", persistent(intNode("TimerDelay", 0, 3900, 1, 0, "us")));
    s.addFeature("DigitalIOControl",
                 persistent(intNode("TimerDuration", 250, 50000, 1, 1000, "us")));
    s.addFeature("DigitalIOControl",
                 persistent(enumNode("TimerTriggerSource", {"ExposureStart", "FrameTrigger"})));

    s.addCategory("Root", "UserSetControl");
    s.addFeature("UserSetControl",
                 enumNode("UserSetSelector", {"Default", "UserSet1", "UserSet2"}));
    s.addFeature("UserSetControl",
                 commandNode("UserSetLoad", [this] { return loadSelectedUserSet(); }));
    s.addFeature("UserSetControl",
                 commandNode("UserSetSave", [this] { return saveSelectedUserSet(); }));
    s.addFeature("UserSetControl",
                 described(enumNode("UserSetDefaultSelector", {"Default", "UserSet1", "UserSet2"}),
                           "User set loaded at power-on"));

    s.addCategory("Root", "TransportLayerControl");
    s.addFeature("TransportLayerControl",
                 readOnly(intNode("GevCurrentIPAddress", 0, 0xFFFFFFFFLL, 1, 0xC0A8010ALL)));
    s.addFeature("TransportLayerControl",
                 readOnly(intNode("GevSCDA", 0, 0xFFFFFFFFLL, 1, 0xC0A80101LL)));
    s.addFeature("TransportLayerControl", intNode("GevSCPSPacketSize", 576, 9000, 4, 1500, "B"));
    s.addFeature("TransportLayerControl",
                 intNode("GevPersistentIPAddress", 0, 0xFFFFFFFFLL, 1, 0xC0A8010ALL));
    s.addFeature("TransportLayerControl",
                 intNode("GevPersistentSubnetMask", 0, 0xFFFFFFFFLL, 1, 0xFFFFFF00LL));
    s.addFeature("TransportLayerControl",
                 intNode("GevPersistentDefaultGateway", 0, 0xFFFFFFFFLL, 1, 0xC0A80101LL));

    if (kind_.thermal) {
        s.addCategory("Root", "ThermalControl");
        s.addFeature("ThermalControl",
                     persistent(stringNode("NUCMode", "Auto", ORVANTA_ACCESS_READ_WRITE)));
    }
}

int SimCamera::guardWrite(const Node& n) const
{
    if (n.lockedWhileAcquiring && acquiring_)
        return ORVANTA_ERR_ACQUIRING;
    auto is = [this](const char* feature, const char* entry) {
        const Node* f = nodes_.feature(feature);
        return f && f->currentEntry() == entry;
    };
    // Values the camera drives itself are not writable meanwhile.
    if (n.name == "ExposureTime" && is("ExposureAuto", "Continuous"))
        return ORVANTA_ERR_READ_ONLY;
    if (n.name == "Gain" && is("GainAuto", "Continuous"))
        return ORVANTA_ERR_READ_ONLY;
    if ((n.name == "RedGain" || n.name == "GreenGain" || n.name == "BlueGain") &&
        is("BalanceWhiteAuto", "Continuous"))
        return ORVANTA_ERR_READ_ONLY;
    return ORVANTA_OK;
}

std::map<std::string, SimCamera::NonVolatile>&
SimCamera::nonVolatile(std::unique_lock<std::mutex>& lock)
{
    static std::mutex mutex;
    static std::map<std::string, NonVolatile> memory;
    lock = std::unique_lock<std::mutex>(mutex);
    return memory;
}

void SimCamera::storeNonVolatile()
{
    std::unique_lock<std::mutex> lock;
    NonVolatile& memory = nonVolatile(lock)[id_];
    memory.powerOn = nodes_.feature("UserSetDefaultSelector")->currentEntry();
    memory.sets = userSets_;
    memory.sets.erase("Default"); // the factory set belongs to the firmware
}

void SimCamera::onChanged(const Node& n)
{
    tones_.reset();
    if (n.name == "TriggerMode")
        wake_.notify_all(); // an acquisition waiting for a trigger re-reads the mode
    if (n.name == "UserSetDefaultSelector")
        storeNonVolatile();
    if (n.name == "BalanceWhiteAuto" && n.currentEntry() != "Off") {
        balanceWhite();
        if (n.currentEntry() == "Once")
            nodes_.forceEnum("BalanceWhiteAuto", "Off");
    }
    updateRanges();
}

void SimCamera::balanceWhite()
{
    // Gains that make the scene's mean grey: green stays, red and blue follow.
    const auto& mean = SimScene::get(kind_.sensorWidth, kind_.sensorHeight, true)->meanLevel();
    const int64_t green = nodes_.feature("GreenGain")->intValue;
    nodes_.forceInt("RedGain",
                    std::clamp<int64_t>(std::lround(green * mean[1] / mean[0]), 64, 4095));
    nodes_.forceInt("BlueGain",
                    std::clamp<int64_t>(std::lround(green * mean[1] / mean[2]), 64, 4095));
}

double SimCamera::maxFrameRate() const
{
    const double exposure = nodes_.feature("ExposureTime")->floatValue;
    const double readout = nodes_.feature("Height")->intValue * kind_.lineTimeUs + kFrameOverheadUs;
    return 1e6 / std::max(exposure, readout);
}

void SimCamera::updateRanges()
{
    Node& width = *nodes_.feature("Width");
    Node& height = *nodes_.feature("Height");
    Node& offsetX = *nodes_.feature("OffsetX");
    Node& offsetY = *nodes_.feature("OffsetY");
    width.intMax = kind_.sensorWidth - offsetX.intValue;
    height.intMax = kind_.sensorHeight - offsetY.intValue;
    offsetX.intMax = kind_.sensorWidth - width.intValue;
    offsetY.intMax = kind_.sensorHeight - height.intValue;

    Node& rate = *nodes_.feature("AcquisitionFrameRate");
    rate.floatMax = std::floor(maxFrameRate() * 100) / 100;
    rate.floatMin = std::min(0.5, rate.floatMax);
    rate.floatValue = std::clamp(rate.floatValue, rate.floatMin, rate.floatMax);
    const bool limited = nodes_.feature("AcquisitionFrameRateEnable")->boolValue;
    nodes_.forceFloat("ResultingFrameRate", limited ? rate.floatValue : rate.floatMax);
}

bool SimCamera::present() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return plugged_ && Clock::now() >= absentUntil_;
}

void SimCamera::unplug()
{
    plugged_ = false;
    std::lock_guard<std::mutex> lock(mutex_);
    wake_.notify_all();
}

void SimCamera::setDelivering(bool on)
{
    delivering_ = on;
    std::lock_guard<std::mutex> lock(mutex_);
    wake_.notify_all();
}

int SimCamera::open()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!plugged_ || Clock::now() < absentUntil_)
        return ORVANTA_ERR_NO_CAMERA;
    if (kind_.refusesOpen)
        return ORVANTA_ERR_OPEN_FAILED;
    if (open_)
        return ORVANTA_ERR_BUSY;
    const std::string powerOn = nodes_.feature("UserSetDefaultSelector")->currentEntry();
    auto it = userSets_.find(powerOn);
    applyUserSet(it != userSets_.end() ? it->second : userSets_["Default"]);
    bayerConversion_ = false;
    open_ = true;
    if (!scene_)
        scene_ = SimScene::get(kind_.sensorWidth, kind_.sensorHeight, kind_.colour);
    return ORVANTA_OK;
}

void SimCamera::close()
{
    stopAcquisition();
    joinWorker();
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = false;
}

int SimCamera::reset()
{
    close();
    std::lock_guard<std::mutex> lock(mutex_);
    absentUntil_ = Clock::now() + kResetAbsence;
    return ORVANTA_OK;
}

int SimCamera::restoreFactoryDefault()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!plugged_)
        return ORVANTA_ERR_DEVICE;
    if (acquiring_)
        return ORVANTA_ERR_ACQUIRING;
    applyUserSet(userSets_["Default"]);
    return ORVANTA_OK;
}

int SimCamera::clearNodes()
{
    std::lock_guard<std::mutex> lock(mutex_);
    nodes_.clearTree();
    return ORVANTA_OK;
}

int SimCamera::addNode(const std::string& parent, const std::string& name, int type)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return nodes_.addTreeNode(parent, name, type);
}

SimCamera::UserSet SimCamera::captureUserSet() const
{
    UserSet set;
    for (const Node* n : nodes_.persistentFeatures())
        set[n->name] = {n->intValue, n->floatValue, n->boolValue, n->entryIndex, n->stringValue};
    return set;
}

void SimCamera::applyUserSet(const UserSet& set)
{
    for (const auto& kv : set) {
        Node* n = nodes_.feature(kv.first);
        if (!n)
            continue;
        n->intValue = kv.second.i;
        n->floatValue = kv.second.f;
        n->boolValue = kv.second.b;
        n->entryIndex = kv.second.entry;
        n->stringValue = kv.second.s;
    }
    // Ranges follow the values (a saved set was consistent when it was saved).
    updateRanges();
    Node* rate = nodes_.feature("AcquisitionFrameRate");
    auto it = set.find("AcquisitionFrameRate");
    if (it != set.end())
        rate->floatValue = std::clamp(it->second.f, rate->floatMin, rate->floatMax);
    updateRanges();
    tones_.reset();
}

int SimCamera::loadSelectedUserSet()
{
    if (acquiring_)
        return ORVANTA_ERR_ACQUIRING;
    auto it = userSets_.find(nodes_.feature("UserSetSelector")->currentEntry());
    if (it == userSets_.end())
        return ORVANTA_ERR_NOT_SUPPORTED; // nothing saved in that set yet
    applyUserSet(it->second);
    return ORVANTA_OK;
}

int SimCamera::saveSelectedUserSet()
{
    const std::string selected = nodes_.feature("UserSetSelector")->currentEntry();
    if (selected == "Default")
        return ORVANTA_ERR_READ_ONLY; // the factory set is fixed
    userSets_[selected] = captureUserSet();
    storeNonVolatile();
    return ORVANTA_OK;
}

// Registers (the map is documented in OrvantaAPI.h). Writes to mirrored registers go through
// the feature's checks (range, increment, access).
namespace {
const struct
{
    uint32_t address;
    const char* node;
} kMirrors[] = {{ORVANTA_REG_PERSISTENT_IP, "GevPersistentIPAddress"},
                {ORVANTA_REG_PERSISTENT_MASK, "GevPersistentSubnetMask"},
                {ORVANTA_REG_PERSISTENT_GATEWAY, "GevPersistentDefaultGateway"},
                {ORVANTA_REG_SCDA, "GevSCDA"},
                {ORVANTA_REG_WIDTH, "Width"},
                {ORVANTA_REG_HEIGHT, "Height"},
                {ORVANTA_REG_OFFSET_X, "OffsetX"},
                {ORVANTA_REG_OFFSET_Y, "OffsetY"},
                {ORVANTA_REG_GAIN, "Gain"},
                {ORVANTA_REG_BLACK_LEVEL, "BlackLevel"}};
constexpr uint32_t kRegVersion = ORVANTA_REG_DEVICE_VERSION, kRegExposure = ORVANTA_REG_EXPOSURE,
                   kRegPixelFormat = ORVANTA_REG_PIXEL_FORMAT;
constexpr uint32_t kRegScratch = ORVANTA_REG_SCRATCH, kRegDelivered = ORVANTA_REG_DELIVERED;
} // namespace

int SimCamera::readRegister(uint32_t address, uint32_t& value)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!plugged_)
        return ORVANTA_ERR_DEVICE;
    for (const auto& m : kMirrors)
        if (m.address == address) {
            value = uint32_t(nodes_.feature(m.node)->intValue);
            return ORVANTA_OK;
        }
    switch (address) {
    case kRegVersion:
        value = 0x00010000;
        return ORVANTA_OK;
    case kRegExposure:
        value = uint32_t(std::lround(nodes_.feature("ExposureTime")->floatValue));
        return ORVANTA_OK;
    case kRegPixelFormat:
        value = pixelFormatCode(nodes_.feature("PixelFormat")->currentEntry());
        return ORVANTA_OK;
    case kRegScratch:
        value = scratchRegister_;
        return ORVANTA_OK;
    case kRegDelivered:
        value = uint32_t(delivered_);
        return ORVANTA_OK;
    default:
        return ORVANTA_ERR_NO_REGISTER;
    }
}

int SimCamera::writeRegister(uint32_t address, uint32_t value)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!plugged_)
        return ORVANTA_ERR_DEVICE;
    for (const auto& m : kMirrors)
        if (m.address == address)
            return nodes_.setInt(Scope::Feature, m.node, int64_t(value));
    switch (address) {
    case kRegExposure:
        return nodes_.setFloat(Scope::Feature, "ExposureTime", double(value));
    case kRegScratch:
        scratchRegister_ = value;
        return ORVANTA_OK;
    case kRegVersion:
    case kRegPixelFormat:
    case kRegDelivered:
        return ORVANTA_ERR_READ_ONLY;
    default:
        return ORVANTA_ERR_NO_REGISTER;
    }
}

SimCamera::Snapshot SimCamera::snapshot()
{
    auto intOf = [this](const char* name) { return int(nodes_.feature(name)->intValue); };
    auto entryOf = [this](const char* name) { return nodes_.feature(name)->currentEntry(); };
    Snapshot s;
    s.format = pixelFormatByName(entryOf("PixelFormat"));
    s.scene = sceneFor(s.format);
    if (!tones_) {
        const auto& mean = s.scene->meanLevel();
        const double meanLevel = (mean[0] + mean[1] + mean[2]) / 3;
        const double target = intOf("AutoExposureTarget") / 100.0;
        ToneSettings t;
        Node& exposure = *nodes_.feature("ExposureTime");
        Node& gain = *nodes_.feature("Gain");
        // Automatic exposure, then automatic gain, bring the mean to the target.
        if (entryOf("ExposureAuto") != "Off") {
            const double us = kNominalExposureUs * target / std::max(meanLevel, 1e-3) /
                              std::pow(10.0, gain.intValue / 200.0);
            exposure.floatValue = std::clamp(std::round(us), exposure.floatMin, exposure.floatMax);
            if (entryOf("ExposureAuto") == "Once")
                nodes_.forceEnum("ExposureAuto", "Off");
        }
        if (entryOf("GainAuto") != "Off") {
            const double factor =
                target / std::max(meanLevel, 1e-3) / (exposure.floatValue / kNominalExposureUs);
            gain.intValue = std::clamp<int64_t>(
                std::lround(200 * std::log10(std::max(factor, 1e-3))), gain.intMin, gain.intMax);
            if (entryOf("GainAuto") == "Once")
                nodes_.forceEnum("GainAuto", "Off");
        }
        updateRanges();
        t.exposureFactor = exposure.floatValue / kNominalExposureUs;
        t.gainFactor = std::pow(10.0, gain.intValue / 200.0);
        t.contrast = 1 + intOf("Contrast") / 508.0;
        t.gamma = nodes_.feature("Gamma")->floatValue;
        t.blackLevel = intOf("BlackLevel") / 1023.0 * 0.25;
        if (kind_.colour)
            t.whiteBalance = {intOf("RedGain") / 1024.0, intOf("GreenGain") / 1024.0,
                              intOf("BlueGain") / 1024.0};
        t.outputBits = s.format ? s.format->depth : 8;
        tones_ = makeToneTables(t);
    }
    s.render.tones = tones_;
    s.render.x = intOf("OffsetX");
    s.render.y = intOf("OffsetY");
    s.render.width = intOf("Width");
    s.render.height = intOf("Height");
    s.conversion = bayerConversion_;
    s.processing = outputProcessing();
    s.render.sharpening = s.processing.sharpening;
    const Node& rate = *nodes_.feature("ResultingFrameRate");
    s.period = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(1.0 / std::max(rate.floatValue, 0.01)));
    s.triggered = triggerModeOn();
    s.singleFrame = entryOf("AcquisitionMode") == "SingleFrame";
    return s;
}

std::shared_ptr<const SimScene> SimCamera::sceneFor(const PixelFormatInfo* format) const
{
    // Mono formats show the scene's luminance, every other one its colours.
    const bool colour = format ? format->family != PixelFamily::Mono : kind_.colour;
    return colour == kind_.colour ? scene_
                                  : SimScene::get(kind_.sensorWidth, kind_.sensorHeight, colour);
}

void SimCamera::renderImage(const Snapshot& s, uint64_t frameNumber,
                            std::vector<unsigned char>& image, std::vector<unsigned char>& scratch)
{
    const PixelFormatInfo& f = *s.format;
    RenderRequest r = s.render;
    r.frameNumber = frameNumber;
    const size_t pixels = size_t(r.width) * size_t(r.height);
    image.resize(f.imageBytes(r.width, r.height));
    if (f.family == PixelFamily::Mono || f.family == PixelFamily::Bayer) {
        r.arrangement = f.mosaic;
        if (f.packing == Packing::Byte || f.packing == Packing::Word) {
            r.raw = image.data();
            s.scene->render(r);
            return;
        }
        scratch.resize(pixels * 2);
        r.raw = scratch.data();
        s.scene->render(r);
        packSamples(reinterpret_cast<const uint16_t*>(scratch.data()), pixels, f.packing, f.depth,
                    image.data());
        return;
    }
    // Colour formats: the camera demosaics its sensor and processes the colours itself.
    const bool rgbImage = f.order == ChannelOrder::Rgb;
    scratch.resize(pixels * (rgbImage ? 1 : 4));
    r.arrangement = Mosaic::GR;
    r.raw = scratch.data();
    s.scene->render(r);
    uint8_t* rgb = rgbImage ? image.data() : scratch.data() + pixels;
    demosaic8(scratch.data(), r.width, r.height, Mosaic::GR, rgb);
    processColour(s, rgb);
    if (!rgbImage)
        rgbToColour(rgb, pixels, f.order, image.data());
}

void SimCamera::processColour(const Snapshot& s, unsigned char* rgb)
{
    const OutputProcessing& p = s.processing;
    const int w = s.render.width, h = s.render.height;
    if (p.changesColour())
        adjustColour(rgb, size_t(w) * size_t(h), colourMatrix(p.hueDegrees, p.saturation));
    if (p.sharpening > 0)
        sharpen(rgb, w, h, 3, p.sharpening);
}

OutputProcessing SimCamera::outputProcessing()
{
    OutputProcessing p;
    // Sharpness 10 is none and 20 the strongest; Hue 508 and Saturation 512 are neutral.
    p.sharpening = (nodes_.feature("Sharpness")->intValue - 10) / 10.0;
    if (const Node* hue = nodes_.feature("Hue"))
        p.hueDegrees = (hue->intValue - 508) * 180.0 / 508;
    if (const Node* saturation = nodes_.feature("Saturation"))
        p.saturation = saturation->intValue / 512.0;
    return p;
}

bool SimCamera::triggerModeOn()
{
    return nodes_.feature("TriggerMode")->currentEntry() == "On";
}

int SimCamera::setBayerConversion(bool on)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!plugged_)
        return ORVANTA_ERR_DEVICE;
    bayerConversion_ = on;
    return ORVANTA_OK;
}

int SimCamera::softwareTrigger()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!plugged_)
        return ORVANTA_ERR_DEVICE;
    return nodes_.execute(Scope::Feature, "TriggerSoftware");
}

void SimCamera::setStreamFaults(const OSimStreamFaults& faults)
{
    std::lock_guard<std::mutex> lock(mutex_);
    faults_ = faults;
}

int SimCamera::startAcquisition(OrvantaFrameCallback callback,
                                std::shared_ptr<StreamCounters> counters)
{
    if (!callback)
        return ORVANTA_ERR_BAD_ARGUMENT;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!plugged_)
            return ORVANTA_ERR_DEVICE;
        if (acquiring_ || std::this_thread::get_id() == workerId_)
            return ORVANTA_ERR_ACQUIRING;
    }
    joinWorker(); // a stream stopped from its own callback
    std::lock_guard<std::mutex> lock(mutex_);
    if (acquiring_)
        return ORVANTA_ERR_ACQUIRING;
    if (!pixelFormatByName(nodes_.feature("PixelFormat")->currentEntry()))
        return ORVANTA_ERR_NOT_SUPPORTED;
    ring_ = std::make_shared<FrameRing>();
    acquiring_ = true;
    stopRequested_ = false;
    pendingTriggers_ = 0;
    counters->streamStarted();
    worker_ = std::thread(&SimCamera::runAcquisition, shared_from_this(), callback, ring_,
                          std::move(counters));
    workerId_ = worker_.get_id();
    return ORVANTA_OK;
}

int SimCamera::stopAcquisition()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopRequested_ = true;
        wake_.notify_all();
        // From inside the callback: the loop ends when the callback returns; no further
        // callback runs. The thread is joined by the next start or the close.
        if (std::this_thread::get_id() == workerId_) {
            acquiring_ = false;
            return ORVANTA_OK;
        }
    }
    joinWorker();
    std::lock_guard<std::mutex> lock(mutex_);
    acquiring_ = false;
    return ORVANTA_OK;
}

void SimCamera::joinWorker()
{
    if (worker_.joinable() && std::this_thread::get_id() != worker_.get_id()) {
        worker_.join();
        std::lock_guard<std::mutex> lock(mutex_);
        workerId_ = std::thread::id();
    }
}

void SimCamera::runAcquisition(std::shared_ptr<SimCamera> self, OrvantaFrameCallback callback,
                               std::shared_ptr<FrameRing> ring,
                               std::shared_ptr<StreamCounters> counters)
{
    self->acquisitionLoop(callback, std::move(ring), *counters);
}

void SimCamera::acquisitionLoop(OrvantaFrameCallback callback, std::shared_ptr<FrameRing> ring,
                                StreamCounters& counters)
{
    const auto started = Clock::now();
    uint64_t sent = 0; // frames sent in this acquisition, which the faults count
    auto due = started;
    bool singleDone = false;
    FrameDecoder decoder;
    std::vector<unsigned char> scratch;
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopRequested_) {
        Snapshot s = snapshot();
        if (s.triggered) {
            // Trigger mode switched off meanwhile also wakes the loop: it then runs free again.
            wake_.wait(lock,
                       [&] { return stopRequested_ || pendingTriggers_ > 0 || !triggerModeOn(); });
            if (stopRequested_)
                break;
            if (pendingTriggers_ == 0) {
                due = Clock::now(); // the free-running frames start now, not in a burst
                continue;
            }
            --pendingTriggers_;
            ++triggersTaken_;
            wake_.notify_all(); // grabs waiting for this trigger
        } else {
            due += s.period;
            const auto now = Clock::now();
            if (due + s.period < now)
                due = now; // fell behind (a slow consumer): do not burst to catch up
            if (wake_.wait_until(lock, due, [&] { return stopRequested_; }))
                break;
        }
        if (singleDone || !plugged_ || !delivering_ || !s.format)
            continue;
        ++sent;
        const auto faulty = [&](uint32_t every) { return every != 0 && sent % every == 0; };
        if (faulty(faults_.corruptEvery)) {
            counters.frameIncomplete();
            continue;
        }
        if (faulty(faults_.delayEvery) &&
            wake_.wait_for(lock, std::chrono::milliseconds(faults_.delayMs),
                           [&] { return stopRequested_; }))
            break;
        FrameSlot* slot = faulty(faults_.dropEvery) ? nullptr : ring->beginWrite();
        if (!slot) { // every buffer pinned by consumers: the frame is dropped
            counters.framesDropped();
            continue;
        }
        const uint64_t frameNumber = nextFrameNumber_++;
        lock.unlock();

        renderImage(s, frameNumber, slot->raw, scratch);
        const ImageView image{slot->raw.data(), slot->raw.size(), s.render.width, s.render.height,
                              s.format};
        decoder.fillSlot(*slot, image, s.conversion);
        OImageFrame& f = slot->frame;
        if (s.format->family == PixelFamily::Bayer && f.rgbData)
            processColour(s, f.rgbData);
        f.timestamp = uint64_t(
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started).count());
        ring->publish(slot, frameNumber);
        counters.frameDelivered();
        callback(&f);
        ++delivered_;
        singleDone = s.singleFrame;
        lock.lock();
    }
}

int SimCamera::grab(OImageFrame& frame, int timeoutMs, bool rgb)
{
    if (rgb ? !frame.rgbData : !frame.rawData)
        return ORVANTA_ERR_BAD_ARGUMENT;
    std::unique_lock<std::mutex> lock(mutex_);
    if (!plugged_)
        return ORVANTA_ERR_DEVICE;
    // In trigger mode the grab takes the frame of the next trigger; triggers only fire while a
    // stream runs, so without one the grab times out, as on a real camera.
    const bool waitForTrigger = triggerModeOn();
    const uint64_t triggersBefore = triggersTaken_;
    const auto frameReady = [&] {
        return delivering_ && (!waitForTrigger || triggersTaken_ != triggersBefore);
    };
    if (!frameReady()) {
        wake_.wait_for(lock, std::chrono::milliseconds(std::max(timeoutMs, 0)),
                       [&] { return !plugged_ || frameReady(); });
        if (!plugged_)
            return ORVANTA_ERR_DEVICE;
        if (!frameReady())
            return ORVANTA_ERR_TIMEOUT;
    }
    Snapshot s = snapshot();
    if (!s.format)
        return ORVANTA_ERR_NOT_SUPPORTED;
    const uint64_t frameNumber = nextFrameNumber_++;
    lock.unlock();

    std::vector<unsigned char> image, scratch;
    renderImage(s, frameNumber, image, scratch);
    FrameDecoder decoder;
    decoder.fillGrab(
        frame, ImageView{image.data(), image.size(), s.render.width, s.render.height, s.format},
        rgb);
    if (rgb && s.format->family == PixelFamily::Bayer)
        processColour(s, frame.rgbData);
    frame.frameID = frameNumber;
    frame.timestamp = 0;
    return ORVANTA_OK;
}

} // namespace orvanta
