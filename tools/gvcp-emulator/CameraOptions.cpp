#include "CameraOptions.h"

#include <arpa/inet.h>
#include <cstdio>
#include <sstream>

namespace emulator {

namespace {

bool ParseIp(const std::string& text, uint32_t* out)
{
    in_addr addr{};
    if (inet_pton(AF_INET, text.c_str(), &addr) != 1)
        return false;
    *out = ntohl(addr.s_addr);
    return true;
}

bool ParseMac(const std::string& text, uint8_t mac[6])
{
    unsigned b[6];
    char tail;
    if (std::sscanf(text.c_str(), "%2x:%2x:%2x:%2x:%2x:%2x%c", &b[0], &b[1], &b[2], &b[3], &b[4],
                    &b[5], &tail) != 6)
        return false;
    for (int i = 0; i < 6; ++i)
        mac[i] = uint8_t(b[i]);
    return true;
}

bool ParseNumber(const std::string& text, uint32_t* out)
{
    try {
        size_t used = 0;
        const unsigned long value = std::stoul(text, &used, 0);
        if (used != text.size() || value > 0xFFFFFFFFul)
            return false;
        *out = uint32_t(value);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool ParseExtra(const std::string& text, ExtraDatagram* out)
{
    static const std::pair<const char*, ExtraDatagram> kinds[] = {
        {"stale", ExtraDatagram::Stale},       {"newer", ExtraDatagram::Newer},
        {"short", ExtraDatagram::Short},       {"wrongcode", ExtraDatagram::WrongCode},
        {"overlong", ExtraDatagram::Overlong},
    };
    for (const auto& kind : kinds)
        if (text == kind.first) {
            *out = kind.second;
            return true;
        }
    return false;
}

bool Apply(const std::string& key, const std::string& value, CameraConfig* c)
{
    uint32_t number = 0;
    if (key == "mac")
        return ParseMac(value, c->mac);
    if (key == "ip")
        return ParseIp(value, &c->ip);
    if (key == "mask")
        return ParseIp(value, &c->mask);
    if (key == "gw")
        return ParseIp(value, &c->gateway);
    if (key == "model")
        return c->model = value, true;
    if (key == "serial")
        return c->serial = value, true;
    if (key == "user")
        return c->user = value, true;
    if (key == "manufacturer")
        return c->manufacturer = value, true;
    if (key == "silent")
        return c->misbehave.silent = true, value.empty();
    if (key == "bcast-discovery")
        return c->misbehave.broadcastDiscovery = true, value.empty();
    if (key == "before")
        return ParseExtra(value, &c->misbehave.before);
    if (!ParseNumber(value, &number))
        return false;
    if (key == "channels")
        return c->messageChannels = number, true;
    if (key == "ipconfig")
        return c->ipConfig = number, true;
    if (key == "delay")
        return c->misbehave.delayMs = int(number), number <= 60000;
    return false;
}

} // namespace

bool ParseCameraOptions(const std::string& text, CameraConfig* config, std::string* error)
{
    std::istringstream in(text);
    for (std::string item; std::getline(in, item, ',');) {
        const size_t eq = item.find('=');
        const std::string key = item.substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : item.substr(eq + 1);
        if (!Apply(key, value, config)) {
            *error = "bad camera option \"" + item + "\"";
            return false;
        }
    }
    if (config->ip == 0) {
        *error = "camera needs ip=";
        return false;
    }
    return true;
}

} // namespace emulator
