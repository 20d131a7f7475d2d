#include "comm/port_list.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace cam {

namespace fs = std::filesystem;

namespace {

std::string readAttribute(const fs::path& file) {
    std::ifstream in(file);
    std::string text;
    std::getline(in, text);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    return text;
}

fs::path resolved(const fs::path& p) {
    std::error_code ec;
    fs::path c = fs::canonical(p, ec);
    return ec ? fs::path{} : c;
}

// The UART type number the serial core reports (0: no UART behind the name).
std::string uartName(const std::string& type) {
    static const char* const kNames[] = {"",       "8250",    "16450",     "16550", "16550A",
                                         "Cirrus", "ST16650", "ST16650V2", "16750"};
    const int n = type.empty() ? -1 : std::atoi(type.c_str());
    return n > 0 && n < static_cast<int>(std::size(kNames)) ? kNames[n] : std::string{};
}

// ttyS2 before ttyS10: the letters, then the number.
bool deviceBefore(const TSerialPortInfo& a, const TSerialPortInfo& b) {
    auto split = [](const std::string& s) {
        std::size_t i = s.size();
        while (i > 0 && std::isdigit(static_cast<unsigned char>(s[i - 1])))
            --i;
        return std::pair{s.substr(0, i), i < s.size() ? std::stol(s.substr(i)) : -1L};
    };
    return split(a.device) < split(b.device);
}

} // namespace

std::vector<TSerialPortInfo> ListSerialPorts(const std::string& sysClassTty,
                                             const std::string& devDir) {
    std::vector<TSerialPortInfo> ports;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(sysClassTty, ec)) {
        const std::string name = entry.path().filename().string();
        const fs::path device = entry.path() / "device";
        // Virtual terminals and pseudo-terminals have no device behind them.
        if (!fs::exists(device, ec)) continue;
        const fs::path node = fs::path(devDir) / name;
        if (!fs::exists(node, ec)) continue;
        const std::string type = readAttribute(entry.path() / "type");
        if (type == "0") continue; // a built-in name without a UART

        TSerialPortInfo info;
        info.device = node.string();
        info.accessible = ::access(info.device.c_str(), R_OK | W_OK) == 0;
        info.driver = resolved(device / "driver").filename().string();

        // The USB device is the first folder above that has vendor and product.
        fs::path usb = resolved(device);
        for (int level = 0; level < 8 && !usb.empty(); ++level) {
            if (fs::exists(usb / "idVendor", ec) && fs::exists(usb / "idProduct", ec)) break;
            usb =
                usb.has_parent_path() && usb.parent_path() != usb ? usb.parent_path() : fs::path{};
        }
        if (!usb.empty() && fs::exists(usb / "idVendor", ec)) {
            info.usbId = readAttribute(usb / "idVendor") + ':' + readAttribute(usb / "idProduct");
            info.serial = readAttribute(usb / "serial");
            const std::string maker = readAttribute(usb / "manufacturer");
            const std::string product = readAttribute(usb / "product");
            if (product.rfind(maker, 0) == 0)
                info.description = product;
            else
                info.description = maker + (maker.empty() || product.empty() ? "" : " ") + product;
            if (info.description.empty()) info.description = "USB serial adapter";
        } else {
            const std::string uart = uartName(type);
            info.description = "built-in serial port";
            if (!uart.empty()) info.description += " (" + uart + ")";
            info.driver.clear(); // the serial core's own name says nothing here
        }

        const fs::path target = resolved(node);
        for (const fs::directory_entry& link :
             fs::directory_iterator(fs::path(devDir) / "serial" / "by-id", ec))
            if (!target.empty() && resolved(link.path()) == target)
                info.stableNames.push_back(link.path().string());
        std::sort(info.stableNames.begin(), info.stableNames.end());
        ports.push_back(std::move(info));
    }
    std::sort(ports.begin(), ports.end(), deviceBefore);
    return ports;
}

std::string FormatSerialPorts(const std::vector<TSerialPortInfo>& ports) {
    if (ports.empty()) return "No serial devices found.\n";
    std::string out;
    for (const TSerialPortInfo& p : ports) {
        std::string line = p.device;
        line.resize(std::max<std::size_t>(line.size() + 2, 16), ' ');
        line += p.description;
        if (!p.usbId.empty()) line += ", USB " + p.usbId;
        if (!p.serial.empty()) line += ", serial " + p.serial;
        if (!p.driver.empty()) line += " [" + p.driver + "]";
        out += line + '\n';
        const std::string indent(16, ' ');
        for (const std::string& name : p.stableNames)
            out += indent + "stable name: " + name + '\n';
        if (!p.accessible)
            out += indent + "no read/write permission: add your user to the dialout group\n";
    }
    return out;
}

} // namespace cam
