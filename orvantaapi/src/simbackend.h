// The simulated cameras as a backend, chosen by ORVANTA_SIM_CAMERAS, and their test control.
#ifndef ORVANTA_SIMBACKEND_H
#define ORVANTA_SIMBACKEND_H

#include "backend.h"
#include "simcamera.h"

#include <memory>
#include <mutex>
#include <vector>

namespace orvanta {

class SimBackend : public Backend
{
public:
    // cameraKinds: "KIND[:COUNT],..."; unknown kinds and bad counts are skipped.
    explicit SimBackend(const std::string& cameraKinds);

    std::vector<DeviceEntry> enumerate() override;
    int open(const std::string& id, std::shared_ptr<Device>& device) override;

    int plug(const std::string& kind, std::string& id);
    int unplug(const std::string& id);
    std::shared_ptr<SimCamera> camera(const std::string& id);

private:
    std::mutex mutex_;
    std::vector<std::shared_ptr<SimCamera>> cameras_;
    int plugged_ = 0; // numbers the IDs; never reused
};

} // namespace orvanta

#endif
