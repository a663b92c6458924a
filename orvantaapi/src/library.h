// Process-wide SDK state: the backends chosen at init and the registry of open sessions.
// Handles are numbered tokens looked up here, never pointers the SDK dereferences.
#ifndef ORVANTA_LIBRARY_H
#define ORVANTA_LIBRARY_H

#include "backend.h"
#include "simbackend.h"

#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace orvanta {

class Library
{
public:
    static Library& instance();

    int init();
    int uninit();

    int enumerate(std::vector<DeviceEntry>& out);
    int open(const std::string& id, OrvantaHandle& handle);
    // Takes the session out of the registry; the caller ends it.
    int take(OrvantaHandle handle, std::shared_ptr<Device>& device);
    int device(OrvantaHandle handle, std::shared_ptr<Device>& device);
    int simulated(std::shared_ptr<SimBackend>& sim);

private:
    // Finds the session of a handle; with remove, the handle stops being valid.
    int lookup(OrvantaHandle handle, std::shared_ptr<Device>& device, bool remove);
    std::mutex mutex_;
    bool initialized_ = false;
    std::vector<std::shared_ptr<Backend>> backends_;
    std::shared_ptr<SimBackend> sim_;
    std::map<uintptr_t, std::shared_ptr<Device>> sessions_;
    uintptr_t lastToken_ = 0x0A000000; // tokens only grow, so a closed handle never returns
};

} // namespace orvanta

#endif
