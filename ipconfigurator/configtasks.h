// The configurator's device work, apart from the window: each task takes what it needs by value
// (the camera record, the form's values, the host's view of its network), talks to the camera
// through the gvcp library, and returns what happened. Tasks touch no widget; they report
// progress through the function they are given.
#pragma once

#include "AddressCheck.h"
#include "DeviceControl.h"
#include "findinterface.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

using ProgressFn = std::function<void(int)>;

// The camera panel's form, read once on the window's thread.
struct CamForm
{
    QString userName;
    bool bStatic = false;
    bool bDHCP = false;
    gvcp::IpSettings address; // frMIP, frMSUB, frMMask
};

// What "Set Camera Info" writes for a camera and a form.
struct CamInfoPlan
{
    bool name = false;    // the user-defined name
    bool address = false; // the persistent address, then FORCEIP so the camera takes it at once
    bool config = false;  // the IP configuration bits
    uint32_t wantedBits = 0;
};
// alwaysPersist: the camera was just forced to the form's address, which must be made
// persistent although it equals the current one.
CamInfoPlan planCamInfo(const CamInfo& cam, const CamForm& form, bool alwaysPersist);

// The confirmation texts: the question, the camera, and each value that changes, old -> new.
QString camInfoConfirmation(const CamInfo& cam, const CamForm& form, const CamInfoPlan& plan);
QString staticIpConfirmation(const CamInfo& cam, const gvcp::IpSettings& address);

gvcp::HostInterface hostInterfaceOf(const _IF_INFO& entry);
// The interfaces of the list and every camera found through them.
gvcp::HostView hostViewOf(const std::vector<_IF_INFO>& interfaces);

// Cameras compare by their current address, last octet first.
bool sortingIPAddr(CamInfo* a, CamInfo* b);
// Lists the physical interfaces and searches each for cameras, one after another, interface i
// from port 9000 + i; progress 30 + 10 i after each.
std::vector<_IF_INFO> Discovery(const ProgressFn& progress);

// The persistent address registers as the camera panel shows them.
struct CameraReadout
{
    int status = gvcp::kSocketError; // result of the persistent address read
    int result = gvcp::kSocketError; // result of the last read made: 0 means editable
    std::optional<uint32_t> ip, mask, gateway;
};
CameraReadout readCamera(CDeviceControl& control, uint32_t deviceIp);

struct TaskResult
{
    QString refusal;                  // the address was refused before anything was written
    QStringList errors;               // error box texts, in order
    bool moved = false;               // "Set Static IP": the forced address went out
    CamInfo camera{};                 // the camera as the task left it
    std::vector<_IF_INFO> interfaces; // the list searched again, when the task did so
};

// "Set Camera Info": probes a new address first, then the name, persistent address and IP
// configuration as planned; progress 10 ... 90.
TaskResult applyCamInfo(CDeviceControl& control, const CamInfo& cam, const CamForm& form,
                        const gvcp::HostView& host, bool alwaysPersist, const ProgressFn& progress);
// "Set Static IP": probes the address, forces it onto the camera and waits 3 s for the camera
// to take it.
TaskResult forceAddress(CDeviceControl& control, const CamInfo& cam,
                        const gvcp::IpSettings& address, const gvcp::HostView& host);
