// Figures of the SDK's pixel work on one core, and the CPU cost of a simulated stream.
#include "OrvantaAPI.h"
#include "outputprocessing.h"
#include "pixelops.h"
#include "simscene.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

using namespace orvanta;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kWidth = 2448, kHeight = 2048;

// Seconds per run of f, the best of several rounds (the machine is shared).
template <class F> double bestSeconds(F&& f, int runs = 20)
{
    double best = 1e9;
    for (int round = 0; round < 5; ++round) {
        const auto start = Clock::now();
        for (int i = 0; i < runs; ++i)
            f();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count() / runs);
    }
    return best;
}

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

std::atomic<int> g_frames{0};
void onFrame(OImageFrame*)
{
    ++g_frames;
}

void streamCost(bool convert)
{
    setenv("ORVANTA_SIM_CAMERAS", "color:1", 1);
    setenv("ORVANTA_BACKENDS", "simulated", 1);
    OrvantaInit();
    char id[ORVANTA_TEXT_SIZE] = {};
    OrvantaGetCameraID(0, id);
    OrvantaHandle h = nullptr;
    if (OrvantaOpenCamera(id, &h) != ORVANTA_OK) {
        std::printf("cannot open %s\n", id);
        return;
    }
    OrvantaSetFrameRate(h, 30.0f);
    OrvantaSetBayerConversion(h, convert ? 1 : 0);
    g_frames = 0;
    const double cpu0 = cpuSeconds();
    const auto wall0 = Clock::now();
    OrvantaStartAcquisition(h, onFrame);
    std::this_thread::sleep_for(std::chrono::seconds(4));
    OrvantaStopAcquisition(h);
    const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
    const double cpu = cpuSeconds() - cpu0;
    std::printf("stream 2448x2048 BayerGR8 at 30 fps, conversion %-3s: %5.1f fps, "
                "%.3f CPU s per wall s\n",
                convert ? "on" : "off", g_frames / wall, cpu / wall);
    OrvantaCloseCamera(h);
    OrvantaUninit();
}

} // namespace

int main()
{
    cv::setNumThreads(0);
    const double mpix = double(kWidth) * kHeight / 1e6;

    // The mosaic: the colour camera's own picture.
    SimScene scene(kWidth, kHeight, true);
    std::vector<unsigned char> mosaic(size_t(kWidth) * kHeight);
    RenderRequest r;
    r.width = kWidth, r.height = kHeight;
    r.tones = makeToneTables(ToneSettings{});
    r.raw = mosaic.data();
    scene.render(r);

    std::vector<unsigned char> ours(mosaic.size() * 3);
    const double tOurs = bestSeconds(
        [&] { own::demosaic8(mosaic.data(), kWidth, kHeight, Mosaic::GR, ours.data()); });

    // OpenCV names a Bayer pattern after other pixels than GenICam does; take the code whose
    // colours agree with ours.
    const cv::Mat in(kHeight, kWidth, CV_8UC1, mosaic.data());
    const struct
    {
        int code;
        const char* name;
    } codes[] = {{cv::COLOR_BayerBG2RGB, "COLOR_BayerBG2RGB"},
                 {cv::COLOR_BayerGB2RGB, "COLOR_BayerGB2RGB"},
                 {cv::COLOR_BayerRG2RGB, "COLOR_BayerRG2RGB"},
                 {cv::COLOR_BayerGR2RGB, "COLOR_BayerGR2RGB"}};
    double bestDiff = 1e9;
    int bestCode = 0;
    const char* bestName = "";
    cv::Mat out;
    const cv::Mat mine(kHeight, kWidth, CV_8UC3, ours.data());
    for (const auto& c : codes) {
        cv::cvtColor(in, out, c.code);
        // Interior only: the two handle the outermost pixels differently.
        const cv::Rect inner(2, 2, kWidth - 4, kHeight - 4);
        const double diff = cv::norm(out(inner), mine(inner), cv::NORM_L1) / (inner.area() * 3.0);
        if (diff < bestDiff)
            bestDiff = diff, bestCode = c.code, bestName = c.name;
    }
    const double tCv = bestSeconds([&] { cv::cvtColor(in, out, bestCode); });
    std::printf("demosaic Bayer GR8 -> RGB888, %dx%d, one thread\n", kWidth, kHeight);
    std::printf("  ours   %8.1f Mpixel/s\n", mpix / tOurs);
    std::printf("  OpenCV %8.1f Mpixel/s (%s, mean abs difference %.3f)\n", mpix / tCv, bestName,
                bestDiff);
    std::printf("  ours / OpenCV = %.2f\n", tCv / tOurs);
    std::vector<unsigned char> sdk(ours.size());
    const double tSdk =
        bestSeconds([&] { demosaic8(mosaic.data(), kWidth, kHeight, Mosaic::GR, sdk.data()); });
    std::printf("  the SDK's demosaic (as built) %8.1f Mpixel/s with OpenCV's threads\n",
                mpix / tSdk);

    std::vector<uint16_t> samples(size_t(kWidth) * kHeight);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = uint16_t((i * 2654435761u) >> 20) & 0x0FFF;
    std::vector<unsigned char> plane(samples.size());
    std::vector<unsigned char> copy(samples.size() * 2);
    const double tReduce =
        bestSeconds([&] { reduceTo8(samples.data(), samples.size(), 12, plane.data()); });
    const double tCopy =
        bestSeconds([&] { std::memcpy(copy.data(), samples.data(), copy.size()); });
    const double bytes = double(samples.size()) * 2 / 1e9;
    std::printf("12 -> 8 bit reduction of %.1f MB: %.2f GB/s read; memcpy of the same bytes %.2f "
                "GB/s; ratio %.2f\n",
                bytes * 1e3, bytes / tReduce, bytes / tCopy, tCopy / tReduce);

    // Hue, saturation and sharpening of the RGB output, on the demosaiced picture.
    const auto matrix = colourMatrix(60, 1.5);
    std::vector<unsigned char> work(ours);
    const double tColour =
        bestSeconds([&] { adjustColour(work.data(), size_t(kWidth) * kHeight, matrix); }, 5);
    const double tSharpen = bestSeconds([&] { sharpen(work.data(), kWidth, kHeight, 3, 0.5); }, 5);
    std::printf("output processing of RGB %dx%d: hue and saturation %.1f Mpixel/s, sharpening "
                "%.1f Mpixel/s\n",
                kWidth, kHeight, mpix / tColour, mpix / tSharpen);

    streamCost(false);
    streamCost(true);
    return 0;
}
