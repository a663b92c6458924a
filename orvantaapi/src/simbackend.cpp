#include "simbackend.h"

#include "simdevice.h"

#include <algorithm>
#include <sstream>

namespace orvanta {

SimBackend::SimBackend(const std::string& cameraKinds)
{
    std::stringstream list(cameraKinds);
    std::string item;
    while (std::getline(list, item, ',')) {
        const size_t colon = item.find(':');
        const std::string kind = item.substr(0, colon);
        int count = 1;
        if (colon != std::string::npos) {
            try {
                count = std::stoi(item.substr(colon + 1));
            } catch (const std::exception&) {
                continue;
            }
        }
        for (int i = 0; i < std::min(count, 64); ++i) {
            std::string id;
            plug(kind, id);
        }
    }
}

std::vector<DeviceEntry> SimBackend::enumerate()
{
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<DeviceEntry> out;
    for (const auto& c : cameras_)
        if (c->present())
            out.push_back({c->id(), c->displayName()});
    return out;
}

int SimBackend::open(const std::string& id, std::shared_ptr<Device>& device)
{
    auto c = camera(id);
    if (!c)
        return ORVANTA_ERR_NO_CAMERA;
    if (int rc = c->open())
        return rc;
    device = std::make_shared<SimDevice>(c);
    return ORVANTA_OK;
}

int SimBackend::plug(const std::string& kind, std::string& id)
{
    SimKind k;
    if (!simKindByName(kind, k))
        return ORVANTA_ERR_BAD_ARGUMENT;
    std::lock_guard<std::mutex> lock(mutex_);
    const int number = ++plugged_;
    id = "Sim-" + kind + "-" + std::to_string(number);
    cameras_.push_back(std::make_shared<SimCamera>(k, id, number));
    return ORVANTA_OK;
}

int SimBackend::unplug(const std::string& id)
{
    std::shared_ptr<SimCamera> gone;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = std::find_if(cameras_.begin(), cameras_.end(),
                               [&](const auto& c) { return c->id() == id; });
        if (it == cameras_.end())
            return ORVANTA_ERR_NO_CAMERA;
        gone = *it;
        cameras_.erase(it);
    }
    gone->unplug();
    return ORVANTA_OK;
}

std::shared_ptr<SimCamera> SimBackend::camera(const std::string& id)
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& c : cameras_)
        if (c->id() == id)
            return c;
    return nullptr;
}

} // namespace orvanta
