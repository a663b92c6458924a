// An open session on an Aravis camera: the C interface's node calls on the camera's own GenICam
// tree, the feature calls through the standard names, registers, acquisition and grabs.
// Every call is serialised on one mutex (GenICam evaluation and the control channel are not
// thread-safe); grabs wait outside it. A grab without a running stream starts one of its own
// for its frame; a start, a factory reset or a stream-geometry write that comes meanwhile waits
// for that grab to end (its time-out at most) instead of being refused as acquiring.
#ifndef ORVANTA_ARAVISDEVICE_H
#define ORVANTA_ARAVISDEVICE_H

#include "aravisfeatures.h"
#include "aravisstream.h"
#include "backend.h"
#include "gobjectptr.h"

#include <arv.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace orvanta {

class AravisDevice : public Device
{
public:
    // onClose runs once when the session ends (the camera may then be opened again).
    AravisDevice(GObjectPtr<ArvCamera> camera, std::function<void()> onClose);
    ~AravisDevice() override;

    int list(const std::string& parent, std::vector<std::string>& names) override;
    int info(const std::string& name, NodeInfo& out) override;
    int getInt(Scope, const std::string& name, IntValue& out) override;
    int setInt(Scope, const std::string& name, int64_t value) override;
    int getFloat(Scope, const std::string& name, FloatValue& out) override;
    int setFloat(Scope, const std::string& name, double value) override;
    int getBool(Scope, const std::string& name, bool& out) override;
    int setBool(Scope, const std::string& name, bool value) override;
    int getEnum(Scope, const std::string& name, EnumValue& out) override;
    int setEnum(Scope, const std::string& name, const std::string& entry) override;
    int getString(Scope, const std::string& name, std::string& out) override;
    int setString(Scope, const std::string& name, const std::string& value) override;
    int execute(Scope, const std::string& name) override;
    int restoreFactoryDefault() override;

    int readRegister(uint32_t address, uint32_t& value) override;
    int writeRegister(uint32_t address, uint32_t value) override;

    int startAcquisition(OrvantaFrameCallback callback) override;
    int stopAcquisition() override;
    int setBayerConversion(bool on) override;
    int grab(OImageFrame& frame, int timeoutMs, bool rgb) override;
    int softwareTrigger() override;
    int reset() override;
    void close() override;

private:
    // A node found for a call, with how integer calls scale it when it is a float node.
    struct Target
    {
        ArvGcNode* node = nullptr;
        std::string name;
        double floatScale = 1;
    };

    // Runs f under the session lock; AfterGrab waits first for a grab's own stream to end.
    enum class Wait
    {
        No,
        AfterGrab
    };
    template <class F> int call(F&& f, Wait wait = Wait::No);
    int resolve(Scope scope, const std::string& name, Target& out);
    int guardWrite(const Target& t) const;
    // Runs f(target) under the session lock once the node is found; the writing form also
    // refuses stream-geometry nodes while a stream runs.
    template <class F>
    int onNode(Scope scope, const std::string& name, F&& f, Wait wait = Wait::No);
    template <class F> int onWritableNode(Scope scope, const std::string& name, F&& f);
    void buildRegisterMap();
    bool registerMapped(uint32_t address) const;
    // ORVANTA_ERR_NOT_SUPPORTED when the SDK cannot decode the camera's pixel format.
    int checkPixelFormat();
    std::shared_ptr<AravisStream> stopStream();
    static void onControlLost(ArvDevice*, gpointer flag);
    static void freeLostFlag(gpointer flag, GClosure*);

    std::mutex mutex_; // guards everything below that is not atomic
    GObjectPtr<ArvCamera> camera_;
    ArvDevice* device_ = nullptr; // owned by camera_
    ArvGc* genicam_ = nullptr;    // owned by device_
    gulong lostHandler_ = 0;
    std::vector<std::pair<uint64_t, uint64_t>> registers_; // [begin, end) byte ranges
    std::shared_ptr<AravisStream> stream_;
    bool streamHasCallback_ = false;
    bool grabOwnsStream_ = false; // stream_ was started by a grab for its frame
    std::condition_variable grabEnded_;
    bool bayer_ = false;
    std::function<void()> onClose_;
    std::atomic<bool> closed_{false};
    // Set by Aravis's heartbeat thread when the camera stopped answering; shared with the
    // signal handler so that a handler still running while the session closes stays valid.
    std::shared_ptr<std::atomic<bool>> lost_ = std::make_shared<std::atomic<bool>>(false);
};

} // namespace orvanta

#endif
