// Feature files: saving a camera's settings, loading them back onto the same or another model,
// and the report of what could not be applied.
#include "sdktestutil.h"

#include <algorithm>
#include <cerrno>

namespace {

// Values off the factory settings; a kind without a feature skips it. The region fits the
// smallest sensor (64 x 48).
// clang-format off
const std::pair<const char*, const char*> kChanges[] = {
    {"DeviceUserID", "line 3\tcamera"}, {"Width", "40"}, {"Height", "32"},
    {"OffsetX", "16"}, {"OffsetY", "8"}, {"AcquisitionFrameRate", "12.25"},
    {"ExposureTime", "20000.5"}, {"Gain", "12"}, {"BlackLevel", "5"}, {"TriggerMode", "On"},
    {"TriggerSource", "Line1"}, {"StrobeEnable", "1"}, {"TimerDuration", "2000"},
    {"RedGain", "900"}, {"Hue", "400"}, {"NUCMode", "Manual"}};
// clang-format on

void applyChanges(OrvantaHandle h)
{
    for (const auto& c : kChanges) {
        const int rc = setNodeText(h, c.first, c.second);
        EXPECT_TRUE(rc == ORVANTA_OK || rc == ORVANTA_ERR_NO_NODE) << c.first << " " << rc;
    }
}

class SdkFeatures : public SdkTest, public ::testing::WithParamInterface<const char*>
{
protected:
    char report_[4096] = {};
};

} // namespace

TEST_P(SdkFeatures, RoundTripRestoresEverySavedFeature)
{
    OrvantaHandle h = openKind(GetParam());
    applyChanges(h);
    TempFile saved("saved.txt"), again("again.txt");
    ASSERT_EQ(OrvantaSaveFeatures(h, saved.path.c_str()), ORVANTA_OK);
    ASSERT_EQ(OrvantaSetUserDefault(h), ORVANTA_OK);
    ASSERT_NE(nodeInt(h, "Width"), 40);

    ASSERT_EQ(OrvantaLoadFeatures(h, saved.path.c_str(), report_, sizeof report_), ORVANTA_OK);
    EXPECT_STREQ(report_, "");
    EXPECT_EQ(nodeInt(h, "Width"), 40);
    EXPECT_EQ(nodeInt(h, "OffsetX"), 16);
    ASSERT_EQ(OrvantaSaveFeatures(h, again.path.c_str()), ORVANTA_OK);
    EXPECT_EQ(again.featureLines(), saved.featureLines());
    EXPECT_GT(saved.featureLines().size(), 30u);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, SdkFeatures,
                         ::testing::Values("color", "mono", "thermal", "nowb", "gamma4",
                                           "formats"));

using SdkFeatureFiles = SdkFeatures;

TEST_F(SdkFeatureFiles, SavedFileHoldsWritableFeaturesInTreeOrder)
{
    OrvantaHandle h = openKind("color");
    ASSERT_EQ(OrvantaSetNodeString(h, "ExposureAuto", "Continuous"), ORVANTA_OK);
    TempFile file("layout.txt");
    ASSERT_EQ(OrvantaSaveFeatures(h, file.path.c_str()), ORVANTA_OK);
    const std::string text = file.read();
    EXPECT_NE(text.find("# Model: Orvanta OC-500C\n"), std::string::npos) << text;
    EXPECT_NE(text.find("# Serial number: 2024"), std::string::npos);
    // The program that saved it: this test.
    EXPECT_NE(
        text.find(std::string("\n# Program: ") + program_invocation_short_name + ", OrvantaAPI "),
        std::string::npos)
        << text;

    std::vector<std::string> names;
    for (const std::string& line : file.featureLines())
        names.push_back(line.substr(0, line.find('\t')));
    auto at = [&](const char* name) { return std::find(names.begin(), names.end(), name); };
    EXPECT_LT(at("Width"), at("OffsetX"));
    EXPECT_LT(at("OffsetX"), at("ExposureAuto"));
    EXPECT_LT(at("ExposureAuto"), at("Gain"));
    EXPECT_NE(text.find("\nPixelFormat\tBayerGR8\n"), std::string::npos);
    EXPECT_NE(text.find("\nAcquisitionFrameRateEnable\t1\n"), std::string::npos);
    // Not saved: commands, read-only features, the transport layer, and a value the camera
    // drives itself while its auto mode is on.
    for (const char* absent : {"TriggerSoftware", "UserSetSave", "DeviceModelName", "SensorWidth",
                               "GevSCPSPacketSize", "GevPersistentIPAddress", "ExposureTime"})
        EXPECT_EQ(at(absent), names.end()) << absent;

    EXPECT_EQ(OrvantaSaveFeatures(h, "/nonexistent-dir/f.txt"), ORVANTA_ERR_FILE);
    EXPECT_EQ(OrvantaSaveFeatures(h, nullptr), ORVANTA_ERR_BAD_ARGUMENT);
    EXPECT_EQ(OrvantaSaveFeatures(nullptr, file.path.c_str()), ORVANTA_ERR_INVALID_HANDLE);
}

TEST_F(SdkFeatureFiles, ColourFileOnMonoReportsColourFeaturesAndAppliesTheRest)
{
    OrvantaHandle colour = openKind("color");
    applyChanges(colour);
    TempFile file("colour.txt");
    ASSERT_EQ(OrvantaSaveFeatures(colour, file.path.c_str()), ORVANTA_OK);

    OrvantaHandle mono = openKind("mono");
    ASSERT_EQ(OrvantaLoadFeatures(mono, file.path.c_str(), report_, sizeof report_),
              ORVANTA_ERR_PARTIAL);
    const std::string report = report_;
    for (const char* colourOnly :
         {"RedGain", "GreenGain", "BlueGain", "BalanceWhiteAuto", "Hue", "Saturation"})
        EXPECT_NE(report.find(std::string("\t") + colourOnly + "\tmissing on this camera\n"),
                  std::string::npos)
            << colourOnly;
    EXPECT_NE(report.find("\tPixelFormat\tout of range: no entry BayerGR8"), std::string::npos);
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 7) << report;
    EXPECT_EQ(nodeInt(mono, "Width"), 40);
    EXPECT_EQ(nodeInt(mono, "TimerDuration"), 2000);
    EXPECT_EQ(nodeFloat(mono, "ExposureTime"), 20000.5);
}

TEST_F(SdkFeatureFiles, DependentFeaturesApplyInALaterPass)
{
    OrvantaHandle h = openKind("color");
    ASSERT_EQ(OrvantaSetNodeString(h, "ExposureAuto", "Continuous"), ORVANTA_OK);
    // OffsetX 1600 fits only once Width is 800; ExposureTime is writable only once auto is off.
    TempFile file("dependent.txt");
    file.write("OffsetX\t1600\nWidth\t800\nExposureTime\t5000\nExposureAuto\tOff\n");
    ASSERT_EQ(OrvantaLoadFeatures(h, file.path.c_str(), report_, sizeof report_), ORVANTA_OK)
        << report_;
    EXPECT_EQ(nodeInt(h, "OffsetX"), 1600);
    EXPECT_EQ(nodeInt(h, "Width"), 800);
    EXPECT_EQ(nodeFloat(h, "ExposureTime"), 5000);
}

TEST_F(SdkFeatureFiles, BadLinesAndRefusedValuesAreReportedByLine)
{
    OrvantaHandle h = openKind("color");
    const auto blackLevel = nodeInt(h, "BlackLevel");
    TempFile file("bad.txt");
    file.write("# comment\n"
               "\n"
               "BlackLevel 7\n"
               "\t5\n"
               "Bad-Name\t1\n"
               "NoSuchFeature\t1\n"
               "Gain\t99999\n"
               "Gain\tloud\n"
               "Gamma\t1e999\n"
               "StrobeEnable\tmaybe\n"
               "TriggerSoftware\t1\n"
               "DeviceModelName\tX\n"
               "GevSCPSPacketSize\t9000\n"
               "PixelFormat\tMono8\r\n"
               "Contrast\t0x20\r\n");
    ASSERT_EQ(OrvantaLoadFeatures(h, file.path.c_str(), report_, sizeof report_),
              ORVANTA_ERR_PARTIAL);
    EXPECT_STREQ(report_,
                 "3\t\tmalformed line: no tab between name and value\n"
                 "4\t\tmalformed line: not a feature name\n"
                 "5\t\tmalformed line: not a feature name\n"
                 "6\tNoSuchFeature\tmissing on this camera\n"
                 "7\tGain\tout of range: 99999 (allowed 0 to 240)\n"
                 "8\tGain\twrong type: \"loud\" is not an integer\n"
                 "9\tGamma\tout of range: 1e999 is too large\n"
                 "10\tStrobeEnable\twrong type: \"maybe\" is not a boolean (1 or 0)\n"
                 "11\tTriggerSoftware\twrong type: the camera's feature is a command\n"
                 "12\tDeviceModelName\tread-only\n"
                 "13\tGevSCPSPacketSize\ttransport-layer setting, never loaded from a file\n"
                 "14\tPixelFormat\tout of range: no entry Mono8 (entries: BayerGR8, BayerGR12, "
                 "RGB8, YUV422_8)\n");
    EXPECT_EQ(nodeInt(h, "Contrast"), 32);           // the good line was applied
    EXPECT_EQ(nodeInt(h, "BlackLevel"), blackLevel); // the malformed one changed nothing

    // A short buffer gets whole lines and the count of the rest.
    char small[110];
    ASSERT_EQ(OrvantaLoadFeatures(h, file.path.c_str(), small, sizeof small), ORVANTA_ERR_PARTIAL);
    EXPECT_STREQ(small, "3\t\tmalformed line: no tab between name and value\n"
                        "4\t\tmalformed line: not a feature name\n"
                        "0\t\t10 more not listed\n");
    char tiny[8] = "xxxxxxx";
    ASSERT_EQ(OrvantaLoadFeatures(h, file.path.c_str(), tiny, sizeof tiny), ORVANTA_ERR_PARTIAL);
    EXPECT_STREQ(tiny, "");
    EXPECT_EQ(OrvantaLoadFeatures(h, file.path.c_str(), nullptr, 0), ORVANTA_ERR_PARTIAL);
    EXPECT_EQ(OrvantaLoadFeatures(h, file.path.c_str(), nullptr, 10), ORVANTA_ERR_BAD_ARGUMENT);

    EXPECT_EQ(OrvantaLoadFeatures(h, "/nonexistent/f.txt", report_, sizeof report_),
              ORVANTA_ERR_FILE);
    EXPECT_STREQ(report_, "0\t\tcannot be read: No such file or directory\n");
    file.write("# only comments\n");
    EXPECT_EQ(OrvantaLoadFeatures(h, file.path.c_str(), report_, sizeof report_),
              ORVANTA_ERR_PARTIAL);
    EXPECT_STREQ(report_, "0\t\tthe file holds no features\n");
}
