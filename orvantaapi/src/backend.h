// The seam between the C interface and the cameras behind it. A backend enumerates devices and
// opens them; an open device exposes its feature nodes, registers and acquisition. The
// simulated cameras are one backend.
#ifndef ORVANTA_BACKEND_H
#define ORVANTA_BACKEND_H

#include "OrvantaAPI.h"
#include "nodestore.h"
#include "streamcounters.h"

#include <memory>
#include <string>
#include <vector>

namespace orvanta {

struct DeviceEntry
{
    std::string id;
    std::string displayName;
};

class Device
{
public:
    virtual ~Device() = default;

    virtual int list(const std::string& parent, std::vector<std::string>& names) = 0;
    virtual int info(const std::string& name, NodeInfo& out) = 0;
    virtual int getInt(Scope, const std::string& name, IntValue& out) = 0;
    virtual int setInt(Scope, const std::string& name, int64_t value) = 0;
    virtual int getFloat(Scope, const std::string& name, FloatValue& out) = 0;
    virtual int setFloat(Scope, const std::string& name, double value) = 0;
    virtual int getBool(Scope, const std::string& name, bool& out) = 0;
    virtual int setBool(Scope, const std::string& name, bool value) = 0;
    virtual int getEnum(Scope, const std::string& name, EnumValue& out) = 0;
    virtual int setEnum(Scope, const std::string& name, const std::string& entry) = 0;
    virtual int getString(Scope, const std::string& name, std::string& out) = 0;
    virtual int setString(Scope, const std::string& name, const std::string& value) = 0;
    virtual int execute(Scope, const std::string& name) = 0;
    // Puts the factory settings into the current state.
    virtual int restoreFactoryDefault() = 0;

    virtual int readRegister(uint32_t address, uint32_t& value) = 0;
    virtual int writeRegister(uint32_t address, uint32_t value) = 0;

    virtual int startAcquisition(OrvantaFrameCallback callback) = 0;
    virtual int stopAcquisition() = 0;
    virtual int setBayerConversion(bool on) = 0;
    // Copies one frame into the caller's buffers; rgb chooses the RGB or the RAW grab.
    virtual int grab(OImageFrame& frame, int timeoutMs, bool rgb) = 0;
    virtual int softwareTrigger() = 0;
    // Restarts the device: it leaves the enumeration for a while and comes back at power-on.
    virtual int reset() = 0;
    // Ends the session: acquisition stopped, the device free to be opened again.
    virtual void close() = 0;

    // The session's transfer figures, fed by the backend's streams.
    StreamCounters& streamCounters() { return *counters_; }

protected:
    // Shared with the streams, whose threads may outlive the session object.
    const std::shared_ptr<StreamCounters> counters_ = std::make_shared<StreamCounters>();
};

class Backend
{
public:
    virtual ~Backend() = default;
    virtual std::vector<DeviceEntry> enumerate() = 0;
    // ORVANTA_ERR_NO_CAMERA when the ID is not this backend's.
    virtual int open(const std::string& id, std::shared_ptr<Device>& device) = 0;
};

} // namespace orvanta

#endif
