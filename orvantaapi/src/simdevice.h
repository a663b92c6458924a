// An open session on a simulated camera. Calls after close report an invalid handle; calls on
// an unplugged camera report a device failure.
#ifndef ORVANTA_SIMDEVICE_H
#define ORVANTA_SIMDEVICE_H

#include "backend.h"
#include "simcamera.h"

#include <atomic>
#include <memory>

namespace orvanta {

class SimDevice : public Device
{
public:
    explicit SimDevice(std::shared_ptr<SimCamera> camera) : camera_(std::move(camera)) {}
    ~SimDevice() override { close(); }

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
    template <class F> int call(F&& f)
    {
        if (closed_)
            return ORVANTA_ERR_INVALID_HANDLE;
        return f(*camera_);
    }
    template <class F> int nodes(F&& f)
    {
        return call([&](SimCamera& c) { return c.withNodes(f); });
    }

    std::shared_ptr<SimCamera> camera_;
    std::atomic<bool> closed_{false};
};

} // namespace orvanta

#endif
