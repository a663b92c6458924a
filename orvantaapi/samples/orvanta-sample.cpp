// orvanta-sample: lists the cameras, opens one (the first, or the one whose ID is given),
// optionally loads its settings from a features file, streams for a few seconds, prints the
// frame count and rate, and optionally saves the settings to a features file.
//   orvanta-sample [--load FILE] [--save FILE] [camera-id] [seconds]
#include "OrvantaAPI.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {
std::atomic<unsigned long> g_frames{0};

void onFrame(OImageFrame*)
{
    ++g_frames;
}

int fail(const char* what, int status)
{
    std::fprintf(stderr, "%s: %s (%d)\n", what, OrvantaStatusText(status), status);
    OrvantaUninit();
    return 1;
}
} // namespace

int main(int argc, char** argv)
{
    std::string loadPath, savePath;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--load" || arg == "--save") && i + 1 < argc)
            (arg == "--load" ? loadPath : savePath) = argv[++i];
        else
            args.push_back(arg);
    }
    const double seconds = args.size() > 1 ? std::atof(args[1].c_str()) : 3.0;
    if (int rc = OrvantaInit())
        return fail("init", rc);
    int count = 0;
    OrvantaNumberOfCameras(&count);
    std::printf("%d camera(s)\n", count);
    std::string chosen = args.empty() ? "" : args[0];
    for (int i = 0; i < count; ++i) {
        char id[ORVANTA_TEXT_SIZE] = {}, name[ORVANTA_TEXT_SIZE] = {};
        OrvantaGetCameraID(i, id);
        OrvantaGetDisplayName(i, name);
        std::printf("  [%d] %s  %s\n", i, id, name);
        if (chosen.empty())
            chosen = id;
    }
    if (chosen.empty())
        return fail("no camera to open", ORVANTA_ERR_NO_CAMERA);

    OrvantaHandle camera = nullptr;
    if (int rc = OrvantaOpenCamera(chosen.c_str(), &camera))
        return fail("open", rc);
    if (!loadPath.empty()) {
        char report[4096] = {};
        const int rc = OrvantaLoadFeatures(camera, loadPath.c_str(), report, sizeof report);
        // Lines "LINE<TAB>FEATURE<TAB>REASON" for what the camera did not take.
        std::printf("loaded %s: %s\n%s", loadPath.c_str(), OrvantaStatusText(rc), report);
        if (rc != ORVANTA_OK && rc != ORVANTA_ERR_PARTIAL)
            return fail("load features", rc);
    }
    OSizeInfo size{};
    char format[ORVANTA_TEXT_SIZE] = {};
    float rate = 0;
    OrvantaGetSizeInfo(camera, &size);
    OrvantaGetPixelFormatStr(camera, format);
    OrvantaGetFrameRate(camera, &rate);
    std::printf("streaming %s: %dx%d %s at %.1f fps for %.1f s\n", chosen.c_str(), size.width,
                size.height, format, rate, seconds);

    const auto start = std::chrono::steady_clock::now();
    if (int rc = OrvantaStartAcquisition(camera, onFrame))
        return fail("start", rc);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    OrvantaStopAcquisition(camera);
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%lu frames in %.2f s: %.1f fps\n", g_frames.load(), elapsed, g_frames / elapsed);
    if (!savePath.empty()) {
        if (int rc = OrvantaSaveFeatures(camera, savePath.c_str()))
            return fail("save features", rc);
        std::printf("saved the settings to %s\n", savePath.c_str());
    }
    OrvantaCloseCamera(camera);
    OrvantaUninit();
    return 0;
}
