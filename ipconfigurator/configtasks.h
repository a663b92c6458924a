// The configurator's device work, apart from the window: each task takes what it needs by value
// (the camera record, the form's values, the host's view of its network), talks to the camera
// through the gvcp library, and returns what happened. Tasks touch no widget; they report
// progress through the function they are given.
#pragma once

#include "CameraSetup.h"
#include "findinterface.h"

#include <QString>
#include <QStringList>

#include <functional>
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

// What "Set Camera Info" writes for a camera and a form: the name when it differs, and with
// Static ticked the address when it differs (the IP configuration bits change only together
// with it), else the bits when they differ. alwaysPersist: the camera was just forced to the
// form's address, which must be made persistent although it equals the current one.
gvcp::CameraChange planCamInfo(const CamInfo& cam, const CamForm& form, bool alwaysPersist);

// The confirmation texts: the question, the camera, and each value that changes, old -> new.
QString camInfoConfirmation(const CamInfo& cam, const gvcp::CameraChange& change);
QString staticIpConfirmation(const CamInfo& cam, const gvcp::IpSettings& address);

gvcp::HostInterface hostInterfaceOf(const _IF_INFO& entry);
// Every IPv4 address of this PC's interfaces, not only those of the list (gvcp::HostAddresses),
// and every camera found through the list's interfaces.
gvcp::HostView hostViewOf(const std::vector<_IF_INFO>& interfaces);

// Cameras compare by their current address, last octet first.
bool sortingIPAddr(CamInfo* a, CamInfo* b);
// Lists the physical interfaces and searches each for cameras, one after another, interface i
// from port 9000 + i; progress 30 + 10 i after each.
std::vector<_IF_INFO> Discovery(const ProgressFn& progress);

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
TaskResult SetCamInfo(CDeviceControl& control, const CamInfo& cam, const CamForm& form,
                      const gvcp::HostView& host, bool alwaysPersist, const ProgressFn& progress);
// "Set Static IP": probes the address, forces it onto the camera and waits 3 s for the camera
// to take it.
TaskResult setStatic(CDeviceControl& control, const CamInfo& cam, const gvcp::IpSettings& address,
                     const gvcp::HostView& host);
