// Reads one emulated device from its command-line description, for example
//   mac=02:1a:2b:3c:4d:5e,ip=10.10.1.10,mask=255.255.255.0,gw=10.10.1.1,model=M,serial=S,
//   user=U,manufacturer=V,channels=1,ipconfig=6,silent,delay=200,before=stale,bcast-discovery
#pragma once

#include "EmulatedCamera.h"

#include <string>

namespace emulator {

// False with a message in *error when the description is not understood.
bool ParseCameraOptions(const std::string& text, CameraConfig* config, std::string* error);

} // namespace emulator
