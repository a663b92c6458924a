// Asks the network whether an address is taken, without root. A GVCP discovery sent by unicast
// to the address makes the kernel resolve it on the link: a device answering the discovery, or
// a complete neighbour entry for the address, shows that something holds it.
#pragma once

#include "AddressCheck.h"

#include <chrono>

namespace gvcp {

constexpr std::chrono::milliseconds kProbeWindow{300};

// Probes `ip` from the interface holding `interfaceIp` (both host order) for at most `window`.
// A free address takes the whole window; so does one the probe cannot reach (no route), which
// reports Nothing.
ProbeFinding ProbeAddress(uint32_t interfaceIp, uint32_t ip,
                          std::chrono::milliseconds window = kProbeWindow);

// Waits until the camera with `mac` answers a discovery sent to `ip` from the interface holding
// `interfaceIp` (both host order), asking again every probe window: true once it did, false
// when `within` passed first. Shows that a camera took a new address.
bool AwaitCamera(uint32_t interfaceIp, uint32_t ip, const MacAddress& mac,
                 std::chrono::milliseconds within);

} // namespace gvcp
