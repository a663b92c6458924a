// Real GigE Vision and USB3 Vision cameras through Aravis. Discovery takes about a second on a
// network, so a background thread keeps the device list fresh and enumeration answers from it
// at once; a camera that stops answering leaves the list with the next discovery.
#ifndef ORVANTA_ARAVISBACKEND_H
#define ORVANTA_ARAVISBACKEND_H

#include "backend.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace orvanta {

class AravisBackend : public Backend
{
public:
    // ORVANTA_ARAVIS_INTERFACES (for example "Fake" or "GigEVision,USB3Vision") limits
    // discovery to those Aravis interfaces; unset, every interface but the fake one is used.
    // ORVANTA_ARAVIS_REFRESH_MS sets the pause between two discoveries (default 1000).
    AravisBackend();
    ~AravisBackend() override;
    AravisBackend(const AravisBackend&) = delete;
    AravisBackend& operator=(const AravisBackend&) = delete;

    // The list of the last discovery; only the very first call waits for one to finish.
    std::vector<DeviceEntry> enumerate() override;
    int open(const std::string& id, std::shared_ptr<Device>& device) override;

private:
    // Cameras with an open session, shared with the sessions, which may outlive the backend.
    struct OpenSet
    {
        std::mutex mutex;
        std::set<std::string> ids;
    };

    void refreshLoop();
    static std::vector<DeviceEntry> discover();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<DeviceEntry> devices_;
    bool discovered_ = false;
    bool stopping_ = false;
    std::chrono::milliseconds pause_{1000};
    std::shared_ptr<OpenSet> open_ = std::make_shared<OpenSet>();
    std::thread refresher_; // last: starts once everything above is set
};

} // namespace orvanta

#endif
