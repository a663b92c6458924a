// The steps every front end takes to look at and change a camera: read its persistent address
// (which also tells whether it can be changed), describe a change as old -> new lines, write the
// user name under control privilege, and make an address persistent and taken at once. The
// window and the command-line tool both go through these, so a camera ends up with the same
// registers whichever was used.
#pragma once

#include "AddressCheck.h"
#include "DeviceControl.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace gvcp {

// The persistent address registers as the camera answered them.
struct PersistentReadout
{
    int status = kSocketError; // result of the persistent address read
    int result = kSocketError; // result of the last read made: 0 means the camera can be changed
    std::optional<uint32_t> ip, mask, gateway;
};
// Reads the persistent address, mask and gateway (the last two only after the first succeeded).
PersistentReadout ReadPersistentAddress(CDeviceControl& control, uint32_t deviceIp);

enum class CameraStatus
{
    Normal,       // the camera answers register reads
    AccessDenied, // it refuses them (another application controls it)
    Unreachable,  // no answer: it is off, or outside the subnet of its interface
};
CameraStatus StatusOf(int readResult);
const char* StatusName(CameraStatus status); // "Normal", "Access Denied", "Unreachable"

// What a change writes to a camera; each part only when its flag is set.
struct CameraChange
{
    bool name = false;
    std::string userName; // bytes as written; at most kUserNameSize are kept
    bool address = false;
    IpSettings settings; // the persistent address, which the camera takes at once
    bool config = false;
    uint32_t configBits = 0; // the IPCFG_ bits wanted in the IP configuration register
};
constexpr size_t kUserNameSize = 16;

// "Camera: CAM-A, serial 2020, MAC 02:00:00:00:00:01"
std::string CameraLine(const CamInfo& cam);
// One line per value that changes, old -> new, the old values as discovery reported them:
// "User Name: Old \u2192 New", "IP Address: ...", "Subnet Mask", "Gateway", "Static", "DHCP",
// "Auto IP (Link-Local Address)". Empty when nothing changes.
std::vector<std::string> DescribeChange(const CamInfo& cam, const CameraChange& change);

// Takes control privilege, writes the user name and gives the privilege back. When taking the
// privilege fails nothing is written.
struct NameWrite
{
    int open = kSuccess;  // taking the privilege
    int write = kSuccess; // the first failed name register write
};
NameWrite WriteUserNameUnderPrivilege(CDeviceControl& control, uint32_t deviceIp,
                                      const std::string& name);

// Writes the persistent address of `change`, then the configuration bits when change.config,
// then sends FORCEIP to the camera's MAC so that it takes the address at once. A failed
// persistent write stops it. afterWrite(i) as for CDeviceControl::SetPersistentIp.
struct AddressWrite
{
    int persistent = kSuccess;
    int config = kSuccess;
    int force = kSuccess;
};
AddressWrite PersistAndTake(CDeviceControl& control, const CamInfo& cam, const CameraChange& change,
                            const std::function<void(int)>& afterWrite = {});

} // namespace gvcp
