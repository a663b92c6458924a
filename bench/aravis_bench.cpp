// Streaming benchmark of the real-camera backend against Aravis's networked fake camera at
// 2048 x 2048 and its top frame rate, side by side with Aravis's own arv-camera-test-0.8 on the
// same camera: frames per second, missing packets and CPU seconds per frame, for Mono8 and for
// BayerGR8 with the SDK's Bayer conversion on (arv-camera-test only receives the frames). Runs
// only inside the test network: tools/netns/testnet.sh --cams 1 -- aravis_bench [seconds]
#include "OrvantaAPI.h"

#include "../tests/orvantaapi/fakegvcamera.h"
#include "../tests/orvantaapi/privatenet.h"

#include <sys/resource.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <thread>

namespace {

struct Figures
{
    double seconds = 0, cpu = 0;
    uint64_t frames = 0, missingPackets = 0, incomplete = 0;
};

std::atomic<uint64_t> g_frames{0};
void onFrame(OImageFrame*)
{
    ++g_frames;
}

double cpuSeconds(const rusage& u)
{
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

std::string firstWord(const char* text)
{
    std::istringstream in(text ? text : "");
    std::string w;
    in >> w;
    return w;
}

// One case of the benchmark: the camera's pixel format, and the SDK's Bayer conversion.
struct Scenario
{
    const char* format;
    bool conversion;
};

int sdkRun(double seconds, const Scenario& scenario, std::string& id, float& rate, Figures& out)
{
    setenv("ORVANTA_BACKENDS", "real", 1);
    setenv("ORVANTA_ARAVIS_INTERFACES", "GigEVision", 1);
    OrvantaInit();
    int count = 0;
    for (int i = 0; i < 100 && count == 0; ++i) {
        OrvantaNumberOfCameras(&count);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    char text[ORVANTA_TEXT_SIZE] = {};
    OrvantaHandle h = nullptr;
    if (count == 0 || OrvantaGetCameraID(0, text) || OrvantaOpenCamera(text, &h)) {
        std::fprintf(stderr, "the fake camera was not found or did not open\n");
        return 1;
    }
    id = text;
    OSizeInfo size{};
    OrvantaGetSizeInfo(h, &size);
    size.xOffset = size.yOffset = 0;
    size.width = std::min(2048, size.maxWidth);
    size.height = std::min(2048, size.maxHeight);
    OrvantaSetSizeInfo(h, size);
    OrvantaSetPixelFormatStr(h, scenario.format);
    OrvantaSetBayerConversion(h, scenario.conversion ? 1 : 0);
    float lo = 0;
    OrvantaGetFrameRateMinMax(h, &lo, &rate);
    OrvantaSetFrameRate(h, rate);

    // Measured from the first second on, as the reference is: stream start-up (buffer
    // allocation, the first frames) is left out of both.
    OrvantaStartAcquisition(h, onFrame);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    const uint64_t framesBefore = g_frames;
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    getrusage(RUSAGE_SELF, &after);
    out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    out.frames = g_frames - framesBefore;
    OStreamStatistics st{};
    OrvantaGetStreamStatistics(h, &st); // on failure the figures stay 0
    OrvantaStopAcquisition(h);
    g_frames = 0;
    out.cpu = cpuSeconds(after) - cpuSeconds(before);
    out.missingPackets = st.packetsMissing;
    out.incomplete = st.framesIncomplete;
    OrvantaCloseCamera(h);
    OrvantaUninit();
    return 0;
}

// CPU seconds a running process has used so far.
double processCpu(pid_t pid)
{
    FILE* f = std::fopen(("/proc/" + std::to_string(pid) + "/stat").c_str(), "r");
    if (!f)
        return 0;
    char line[2048] = {};
    const size_t n = std::fread(line, 1, sizeof line - 1, f);
    std::fclose(f);
    line[n] = '\0';
    const char* rest = std::strrchr(line, ')'); // the command name may hold spaces
    unsigned long utime = 0, stime = 0;
    if (!rest || std::sscanf(rest + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu",
                             &utime, &stime) != 2)
        return 0;
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

// arv-camera-test-0.8 prints one "N frames/s" line a second once streaming. The window runs
// from its first such line to the last one: start-up (opening, GenICam parsing) stays outside,
// as it does for the SDK run. Its closing figures give the missing packets.
int referenceRun(double seconds, const Scenario& scenario, const std::string& id, float rate,
                 Figures& out)
{
    int pipeFd[2];
    if (pipe(pipeFd) != 0)
        return 1;
    const std::string frequency = std::to_string(rate);
    const std::string features = std::string("PixelFormat=") + scenario.format;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFd[1], 1);
        close(pipeFd[0]);
        // Line-buffered, so that each figure arrives when it is printed.
        execlp("stdbuf", "stdbuf", "-oL", "arv-camera-test-0.8", "-n", id.c_str(), "-w", "2048",
               "-h", "2048", "-f", frequency.c_str(), "--features", features.c_str(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFd[1]);
    // A run that never streams is ended all the same.
    std::atomic<bool> finished{false};
    std::thread guard([&] {
        const auto end =
            std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds + 20);
        while (!finished && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (!finished)
            kill(pid, SIGKILL);
    });
    FILE* in = fdopen(pipeFd[0], "r");
    std::string output;
    char line[512];
    int lines = 0;
    double cpuFirst = 0, cpuLast = 0;
    while (std::fgets(line, sizeof line, in)) {
        output += line;
        unsigned long frames = 0;
        if (!std::strstr(line, "frames/s") || std::sscanf(line, "%lu", &frames) != 1)
            continue;
        const double cpu = processCpu(pid);
        if (lines++ == 0) {
            cpuFirst = cpu;
            continue;
        }
        out.frames += frames;
        cpuLast = cpu;
        if (lines > seconds) {
            kill(pid, SIGINT);
            lines = -1000000; // no further counting while it prints its closing figures
        }
    }
    std::fclose(in);
    int status = 0;
    waitpid(pid, &status, 0);
    finished = true;
    guard.join();
    out.seconds = seconds;
    out.cpu = cpuLast - cpuFirst;
    auto figure = [&](const char* key) -> uint64_t {
        const size_t at = output.find(key);
        const size_t eq = at == std::string::npos ? at : output.find('=', at);
        return eq == std::string::npos ? 0 : std::strtoull(output.c_str() + eq + 1, nullptr, 10);
    };
    out.missingPackets = figure("n_missing_packets");
    out.incomplete = figure("n_failures");
    if (!out.frames)
        std::fprintf(stderr, "%s", output.c_str());
    return out.frames ? 0 : 1;
}

void print(const char* who, const Figures& f)
{
    std::printf("%-40s %8.1f %10llu %10llu %12.5f\n", who, double(f.frames) / f.seconds,
                static_cast<unsigned long long>(f.missingPackets),
                static_cast<unsigned long long>(f.incomplete),
                f.frames ? f.cpu / double(f.frames) : 0.0);
}

} // namespace

int main(int argc, char** argv)
{
    const char* host = std::getenv("TESTNET_HOST_NS");
    if (!host || !*host) {
        std::fprintf(stderr, "run through tools/netns/testnet.sh --cams 1 -- %s\n", argv[0]);
        return 2;
    }
    std::istringstream ifaces(
        std::getenv("TESTNET_HOST_IFACES") ? std::getenv("TESTNET_HOST_IFACES") : "");
    std::set<std::string> allowed;
    for (std::string i; ifaces >> i;)
        allowed.insert(i);
    privatenet::requireIsolation(allowed);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;

    // Each client gets a freshly started camera of the same kind.
    const std::string cameraNs = firstWord(std::getenv("TESTNET_CAM_NS"));
    const Scenario scenarios[] = {{"Mono8", false}, {"BayerGR8", true}};
    std::printf("%-40s %8s %10s %10s %12s\n", "", "frames/s", "missing", "incomplete",
                "CPU s/frame");
    for (const Scenario& scenario : scenarios) {
        Figures sdk, reference;
        std::string id;
        float rate = 0;
        {
            FakeGvCamera camera(cameraNs, "GV01");
            std::this_thread::sleep_for(std::chrono::seconds(1));
            if (sdkRun(seconds, scenario, id, rate, sdk))
                return 1;
        }
        FakeGvCamera camera(cameraNs, "GV01");
        std::this_thread::sleep_for(std::chrono::seconds(1));
        if (referenceRun(seconds, scenario, id, rate, reference)) {
            std::fprintf(stderr, "arv-camera-test-0.8 gave no figures\n");
            return 1;
        }
        const std::string what =
            std::string(scenario.format) + (scenario.conversion ? ", Bayer conversion" : "");
        std::printf("%s, 2048 x 2048, requested %.1f frames/s, %.0f s each\n", what.c_str(),
                    double(rate), seconds);
        print("  libOrvantaAPI", sdk);
        print("  arv-camera-test-0.8", reference);
        std::printf("  CPU per frame, ours / arv-camera-test-0.8: %.2f\n",
                    sdk.frames && reference.frames && reference.cpu > 0
                        ? (sdk.cpu / double(sdk.frames)) /
                              (reference.cpu / double(reference.frames))
                        : 0.0);
    }
    return 0;
}
