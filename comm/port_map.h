#pragma once
// Port number to device path. Port n is the path set by SetPortDevice (main()
// sets it from --port1 / --port2), else the environment variable
// CAM38R5_PORT<n>, else /dev/ttyS<n-1>. Thread-safe.

#include <string>

namespace cam {

// An empty path removes the setting for that port.
void SetPortDevice(int n, std::string path);
// Empty when port n has no device (n < 1 and nothing set).
std::string PortDevicePath(int n);
// True when port n's device was set or named in the environment, or when its
// default device exists.
bool PortWorthTrying(int n);

} // namespace cam
