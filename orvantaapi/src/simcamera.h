// One simulated camera: its identity, its feature state (node store), its user sets, its
// registers and its acquisition. Lives from plug to unplug; sessions borrow it.
#ifndef ORVANTA_SIMCAMERA_H
#define ORVANTA_SIMCAMERA_H

#include "backend.h"
#include "framering.h"
#include "nodestore.h"
#include "outputprocessing.h"
#include "pixelformat.h"
#include "simscene.h"
#include "streamcounters.h"

#include "OrvantaSimControl.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orvanta {

struct SimKind
{
    std::string name;
    std::string model;
    int sensorWidth = 0, sensorHeight = 0;
    bool colour = false;
    std::vector<std::string> pixelFormats;
    double gammaMin = 0.3, gammaMax = 1.0;
    bool whiteBalance = true; // also hue and saturation
    bool thermal = false;
    bool refusesOpen = false;
    double lineTimeUs = 10; // sensor readout time per row
};

// The kind of a name ("color", "mono", ...); false when unknown.
bool simKindByName(const std::string& name, SimKind& out);

class SimCamera : public std::enable_shared_from_this<SimCamera>
{
public:
    using Clock = std::chrono::steady_clock;

    SimCamera(const SimKind& kind, const std::string& id, int serial);
    ~SimCamera();

    const std::string& id() const { return id_; }
    std::string displayName() const;
    const SimKind& kind() const { return kind_; }

    // Listed unless unplugged or restarting after a reset.
    bool present() const;
    void unplug();
    void setDelivering(bool on);
    void setStreamFaults(const OSimStreamFaults& faults);
    uint64_t deliveredFrames() const { return delivered_; }

    // Session: one at a time. Open applies the power-on user set.
    int open();
    void close();
    int reset();

    // Node access; also used by the feature-family calls (Scope::Feature).
    template <class F> int withNodes(F&& f)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!plugged_)
            return ORVANTA_ERR_DEVICE;
        return f(nodes_);
    }
    int restoreFactoryDefault();
    int clearNodes();
    int addNode(const std::string& parent, const std::string& name, int type);

    int readRegister(uint32_t address, uint32_t& value);
    int writeRegister(uint32_t address, uint32_t value);

    int startAcquisition(OrvantaFrameCallback callback, std::shared_ptr<StreamCounters> counters);
    int stopAcquisition();
    int setBayerConversion(bool on);
    int grab(OImageFrame& frame, int timeoutMs, bool rgb);
    int softwareTrigger();

private:
    struct Snapshot
    {
        RenderRequest render;
        const PixelFormatInfo* format = nullptr; // null: a format the SDK does not decode
        std::shared_ptr<const SimScene> scene;
        OutputProcessing processing;
        bool conversion = false; // Bayer conversion
        Clock::duration period{};
        bool triggered = false; // waits for software triggers
        bool singleFrame = false;
    };
    struct SavedValue
    {
        int64_t i = 0;
        double f = 0;
        bool b = false;
        size_t entry = 0;
        std::string s;
    };
    using UserSet = std::map<std::string, SavedValue>;
    // What a camera keeps over power cycles: the saved user sets and the power-on choice. Kept
    // per camera ID for the life of the process, so it also survives OrvantaUninit.
    struct NonVolatile
    {
        std::map<std::string, UserSet> sets;
        std::string powerOn = "Default";
    };
    static std::map<std::string, NonVolatile>& nonVolatile(std::unique_lock<std::mutex>& lock);
    void storeNonVolatile();

    void buildNodes();
    int guardWrite(const Node& n) const;
    void onChanged(const Node& n);
    void updateRanges();
    double maxFrameRate() const;
    void balanceWhite();
    UserSet captureUserSet() const;
    void applyUserSet(const UserSet& set);
    int loadSelectedUserSet();
    int saveSelectedUserSet();
    Snapshot snapshot(); // needs mutex_
    std::shared_ptr<const SimScene> sceneFor(const PixelFormatInfo* format) const;
    // The frame as the camera sends it, in its pixel format; scratch is the caller's.
    static void renderImage(const Snapshot& s, uint64_t frameNumber,
                            std::vector<unsigned char>& image, std::vector<unsigned char>& scratch);
    // Hue, saturation and sharpening of RGB output: the camera's own for colour formats, the
    // SDK's after the demosaic for Bayer formats.
    static void processColour(const Snapshot& s, unsigned char* rgb);
    bool triggerModeOn();                // needs mutex_
    OutputProcessing outputProcessing(); // needs mutex_
    void acquisitionLoop(OrvantaFrameCallback callback, std::shared_ptr<FrameRing> ring,
                         StreamCounters& counters);
    static void runAcquisition(std::shared_ptr<SimCamera> self, OrvantaFrameCallback callback,
                               std::shared_ptr<FrameRing> ring,
                               std::shared_ptr<StreamCounters> counters);
    void joinWorker();

    const SimKind kind_;
    const std::string id_;
    const std::string serial_;
    std::shared_ptr<const SimScene> scene_;

    mutable std::mutex mutex_; // guards everything below that is not atomic
    NodeStore nodes_;
    std::map<std::string, UserSet> userSets_;
    std::shared_ptr<const ToneTables> tones_; // null when the settings changed since
    bool open_ = false;
    bool acquiring_ = false;
    bool bayerConversion_ = false;
    bool stopRequested_ = false;
    int pendingTriggers_ = 0;
    uint64_t triggersTaken_ = 0; // triggers the stream has turned into frames
    uint64_t nextFrameNumber_ = 1;
    uint32_t scratchRegister_ = 0;
    Clock::time_point absentUntil_{};
    std::condition_variable wake_;
    std::thread worker_;
    std::thread::id workerId_;
    std::shared_ptr<FrameRing> ring_;
    OSimStreamFaults faults_{};

    std::atomic<bool> plugged_{true};
    std::atomic<bool> delivering_{true};
    std::atomic<uint64_t> delivered_{0};
};

} // namespace orvanta

#endif
