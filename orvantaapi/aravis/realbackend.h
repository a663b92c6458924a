// The hook through which the SDK adds the backend of real cameras, and the backends chosen when
// ORVANTA_BACKENDS is not set.
#ifndef ORVANTA_REALBACKEND_H
#define ORVANTA_REALBACKEND_H

#include "backend.h"

#include <memory>

namespace orvanta {

// The real-camera backend; null when the SDK was built without one.
std::shared_ptr<Backend> makeRealBackend();

// "both" for an installed library; "simulated" for a library running from its build tree
// (tests, ./scripts/run-viewer), so that no development run discovers on the machine's network.
const char* defaultBackends();

} // namespace orvanta

#endif
