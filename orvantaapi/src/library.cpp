#include "library.h"

#include "realbackend.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace orvanta {

namespace {
std::string envOr(const char* name, const char* fallback)
{
    const char* v = std::getenv(name);
    return v ? v : fallback;
}
} // namespace

Library& Library::instance()
{
    static Library lib;
    return lib;
}

int Library::init()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (initialized_)
        return ORVANTA_OK;
    // ORVANTA_BACKENDS: "simulated", "real" or "both"; see defaultBackends() when unset. A
    // build without the real-camera backend gives no cameras for "real".
    const std::string backends = envOr("ORVANTA_BACKENDS", defaultBackends());
    const bool simulated = backends == "simulated" || backends == "both";
    const bool real = backends == "real" || backends == "both";
    // A program has no other channel for these: without a line here the camera list is just
    // empty.
    if (!simulated && !real)
        std::fprintf(stderr,
                     "libOrvantaAPI: unknown ORVANTA_BACKENDS value \"%s\" (simulated, real or "
                     "both): no cameras\n",
                     backends.c_str());
    sim_ = std::make_shared<SimBackend>(simulated ? envOr("ORVANTA_SIM_CAMERAS", "color:1,mono:1")
                                                  : "");
    backends_.clear();
    if (real) {
        std::string failure = "this build has no real-camera backend";
        std::shared_ptr<Backend> backend;
        try {
            backend = makeRealBackend();
        } catch (const std::exception& e) { // its discovery thread could not start
            failure = e.what();
        }
        if (backend)
            backends_.push_back(backend); // real cameras are listed first
        else
            std::fprintf(stderr, "libOrvantaAPI: the real-camera backend did not start (%s)\n",
                         failure.c_str());
    }
    backends_.push_back(sim_);
    initialized_ = true;
    return ORVANTA_OK;
}

int Library::uninit()
{
    std::map<uintptr_t, std::shared_ptr<Device>> sessions;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!initialized_)
            return ORVANTA_ERR_NOT_INITIALIZED;
        sessions.swap(sessions_);
        backends_.clear();
        sim_.reset();
        initialized_ = false;
    }
    for (auto& s : sessions)
        s.second->close();
    return ORVANTA_OK;
}

int Library::enumerate(std::vector<DeviceEntry>& out)
{
    std::vector<std::shared_ptr<Backend>> backends;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!initialized_)
            return ORVANTA_ERR_NOT_INITIALIZED;
        backends = backends_;
    }
    out.clear();
    for (auto& b : backends)
        for (auto& d : b->enumerate())
            out.push_back(d);
    return ORVANTA_OK;
}

int Library::open(const std::string& id, OrvantaHandle& handle)
{
    std::vector<std::shared_ptr<Backend>> backends;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!initialized_)
            return ORVANTA_ERR_NOT_INITIALIZED;
        backends = backends_;
    }
    int rc = ORVANTA_ERR_NO_CAMERA;
    std::shared_ptr<Device> device;
    for (auto& b : backends) {
        rc = b->open(id, device);
        if (rc != ORVANTA_ERR_NO_CAMERA)
            break;
    }
    if (rc != ORVANTA_OK)
        return rc;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!initialized_) {
        device->close();
        return ORVANTA_ERR_NOT_INITIALIZED;
    }
    const uintptr_t token = ++lastToken_;
    sessions_[token] = device;
    handle = reinterpret_cast<OrvantaHandle>(token);
    return ORVANTA_OK;
}

int Library::take(OrvantaHandle handle, std::shared_ptr<Device>& device)
{
    return lookup(handle, device, true);
}

int Library::device(OrvantaHandle handle, std::shared_ptr<Device>& device)
{
    return lookup(handle, device, false);
}

int Library::lookup(OrvantaHandle handle, std::shared_ptr<Device>& device, bool remove)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!initialized_)
        return ORVANTA_ERR_NOT_INITIALIZED;
    auto it = sessions_.find(reinterpret_cast<uintptr_t>(handle));
    if (it == sessions_.end())
        return ORVANTA_ERR_INVALID_HANDLE;
    device = it->second;
    if (remove)
        sessions_.erase(it);
    return ORVANTA_OK;
}

int Library::simulated(std::shared_ptr<SimBackend>& sim)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!initialized_)
        return ORVANTA_ERR_NOT_INITIALIZED;
    sim = sim_;
    return ORVANTA_OK;
}

} // namespace orvanta
