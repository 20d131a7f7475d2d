#pragma once
// The serial devices of this machine, as the kernel lists them under
// /sys/class/tty: USB adapters with their description, vendor:product and
// serial number, the built-in ports that have a UART behind them, and the
// stable names under /dev/serial/by-id that point to each.

#include <string>
#include <vector>

namespace cam {

struct TSerialPortInfo {
    std::string device;                   // /dev/ttyUSB0
    std::string driver;                   // ftdi_sio, cp210x, cdc_acm, serial8250, ...
    std::string description;              // "FTDI FT232R USB UART", "built-in serial port (16550A)"
    std::string usbId;                    // "0403:6001", empty when not USB
    std::string serial;                   // the USB serial number, when the adapter has one
    std::vector<std::string> stableNames; // /dev/serial/by-id/... naming this device
    bool accessible = false;              // the user may read and write it
};

// `sysClassTty` and `devDir` are the kernel's folders; tests pass copies.
std::vector<TSerialPortInfo> ListSerialPorts(const std::string& sysClassTty = "/sys/class/tty",
                                             const std::string& devDir = "/dev");
// The list as the `--list-ports` option prints it.
std::string FormatSerialPorts(const std::vector<TSerialPortInfo>& ports);

} // namespace cam
