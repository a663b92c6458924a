#include "aravisfeatures.h"

#include <map>

namespace orvanta {

namespace {

std::vector<FeatureAlias> balanceRatio(const char* colour)
{
    const std::string selector = "BalanceRatioSelector";
    return {{"BalanceRatio", 1024, selector, colour},
            {"BalanceRatioAbs", 1024, selector, colour},
            {"BalanceRatioRaw", 1, selector, colour}};
}

} // namespace

std::vector<FeatureAlias> featureAliases(const std::string& name)
{
    static const std::map<std::string, std::vector<FeatureAlias>> aliases = {
        {"Gain", {{"Gain", 10}, {"GainRaw"}, {"GainAbs", 10}}},
        {"RedGain", balanceRatio("Red")},
        {"GreenGain", balanceRatio("Green")},
        {"BlueGain", balanceRatio("Blue")},
        {"ExposureTime", {{"ExposureTime"}, {"ExposureTimeAbs"}, {"ExposureTimeRaw"}}},
        {"AcquisitionFrameRate", {{"AcquisitionFrameRate"}, {"AcquisitionFrameRateAbs"}}},
        {"BlackLevel", {{"BlackLevel"}, {"BlackLevelRaw"}}},
        {"Gamma", {{"Gamma"}, {"GammaAbs"}}},
        {"SensorWidth", {{"SensorWidth"}, {"WidthMax"}}},
        {"SensorHeight", {{"SensorHeight"}, {"HeightMax"}}},
        {"DeviceVersion", {{"DeviceVersion"}, {"DeviceFirmwareVersion"}}},
        {"DeviceSerialNumber", {{"DeviceSerialNumber"}, {"DeviceID"}}},
        {"TriggerDelay", {{"TriggerDelay"}, {"TriggerDelayAbs"}}},
        // The simulated cameras' trigger kinds; real cameras select what the trigger starts.
        {"TriggerType", {{"TriggerSelector"}}},
        {"UserSetDefaultSelector", {{"UserSetDefaultSelector"}, {"UserSetDefault"}}},
    };
    auto it = aliases.find(name);
    if (it != aliases.end())
        return it->second;
    return {{name}};
}

bool isStreamGeometryNode(const std::string& node)
{
    static const char* const names[] = {"Width",          "Height",      "OffsetX",
                                        "OffsetY",        "PixelFormat", "BinningHorizontal",
                                        "BinningVertical"};
    for (const char* n : names)
        if (node == n)
            return true;
    return false;
}

} // namespace orvanta
