#include "aravisbackend.h"

#include "aravisdevice.h"
#include "gobjectptr.h"

#include <arv.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace orvanta {

namespace {

// Aravis's device lists are process-wide and not safe to update while a device is opened.
std::mutex& systemMutex()
{
    static std::mutex m;
    return m;
}

// How long the first enumeration waits for the first discovery.
constexpr auto kFirstDiscoveryWait = std::chrono::seconds(3);

void chooseInterfaces()
{
    const char* wanted = std::getenv("ORVANTA_ARAVIS_INTERFACES");
    if (!wanted)
        return; // Aravis's own choice: every real interface, the fake one off
    std::set<std::string> names;
    std::stringstream list(wanted);
    for (std::string item; std::getline(list, item, ',');)
        names.insert(item);
    for (unsigned i = 0; i < arv_get_n_interfaces(); ++i) {
        const char* id = arv_get_interface_id(i);
        if (!id)
            continue;
        if (names.count(id))
            arv_enable_interface(id);
        else
            arv_disable_interface(id);
    }
}

std::string text(const char* s)
{
    return s ? s : "";
}

} // namespace

AravisBackend::AravisBackend()
{
    if (const char* ms = std::getenv("ORVANTA_ARAVIS_REFRESH_MS"))
        pause_ = std::chrono::milliseconds(std::clamp(std::atoi(ms), 10, 60000));
    {
        std::lock_guard<std::mutex> lock(systemMutex());
        chooseInterfaces();
    }
    refresher_ = std::thread(&AravisBackend::refreshLoop, this);
}

AravisBackend::~AravisBackend()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    refresher_.join();
}

std::vector<DeviceEntry> AravisBackend::discover()
{
    std::lock_guard<std::mutex> lock(systemMutex());
    arv_update_device_list();
    std::vector<DeviceEntry> out;
    const unsigned n = arv_get_n_devices();
    for (unsigned i = 0; i < n; ++i) {
        const std::string id = text(arv_get_device_id(i));
        if (id.empty())
            continue;
        std::string name = text(arv_get_device_vendor(i)) + " " + text(arv_get_device_model(i));
        const std::string serial = text(arv_get_device_serial_nbr(i));
        if (!serial.empty())
            name += " (" + serial + ")";
        out.push_back({id, name});
    }
    return out;
}

void AravisBackend::refreshLoop()
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        lock.unlock();
        std::vector<DeviceEntry> found = discover();
        lock.lock();
        devices_ = std::move(found);
        discovered_ = true;
        changed_.notify_all();
        changed_.wait_for(lock, pause_, [this] { return stopping_; });
    }
}

std::vector<DeviceEntry> AravisBackend::enumerate()
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, kFirstDiscoveryWait, [this] { return discovered_ || stopping_; });
    return devices_;
}

int AravisBackend::open(const std::string& id, std::shared_ptr<Device>& device)
{
    const std::vector<DeviceEntry> known = enumerate();
    if (std::none_of(known.begin(), known.end(), [&](const DeviceEntry& e) { return e.id == id; }))
        return ORVANTA_ERR_NO_CAMERA;
    {
        std::lock_guard<std::mutex> lock(open_->mutex);
        if (!open_->ids.insert(id).second)
            return ORVANTA_ERR_BUSY;
    }
    std::shared_ptr<OpenSet> openSet = open_;
    auto forget = [openSet, id] {
        std::lock_guard<std::mutex> lock(openSet->mutex);
        openSet->ids.erase(id);
    };
    GObjectPtr<ArvCamera> camera;
    {
        std::lock_guard<std::mutex> lock(systemMutex());
        GErrorSlot error;
        camera.reset(arv_camera_new(id.c_str(), error.out()));
    }
    if (!camera) {
        forget();
        return ORVANTA_ERR_OPEN_FAILED;
    }
    device = std::make_shared<AravisDevice>(std::move(camera), forget);
    return ORVANTA_OK;
}

} // namespace orvanta
