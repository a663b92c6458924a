#pragma once

#include <cstdint>
#include <vector>

struct CamInfo;

// One physical network interface with an IPv4 address, and the cameras found through it.
// The entry owns the camera records; a copy copies them, so a list can travel by value from a
// background task to the window.
struct _IF_INFO
{
    char ifName[32] = {}; // Latin-1, zero-terminated
    char ifMac[32] = {};  // platform's hardware-address text, zero-terminated
    uint32_t ifIp = 0;    // network byte order
    uint32_t ifMask = 0;  // network byte order
    int ifMtu = 0;        // 0 when the query failed
    int ifIndex = 0;      // position in the interface list
    std::vector<CamInfo*> cameras;

    _IF_INFO() = default;
    ~_IF_INFO();
    _IF_INFO(_IF_INFO&& other) noexcept;
    _IF_INFO& operator=(_IF_INFO&& other) noexcept;
    _IF_INFO(const _IF_INFO& other);
    _IF_INFO& operator=(const _IF_INFO& other);

private:
    void copyFields(const _IF_INFO& other);
    void releaseCameras();
};

// Rebuilds *list with every interface that is not listed under /sys/devices/virtual/net and
// has an IPv4 address other than 127.0.0.1 (gvcp::CameraInterfaces), in the kernel's order;
// the old entries go with their camera records. `family` is not used. Returns 1.
int findinterface(int family, std::vector<_IF_INFO>* list);
