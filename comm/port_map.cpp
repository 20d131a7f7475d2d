#include "comm/port_map.h"

#include <cstdlib>
#include <map>
#include <mutex>
#include <sys/stat.h>

namespace cam {
namespace {

std::mutex& map_mutex() {
    static std::mutex m;
    return m;
}

std::map<int, std::string>& port_map() {
    static std::map<int, std::string> m;
    return m;
}

} // namespace

void SetPortDevice(int n, std::string path) {
    std::lock_guard lock(map_mutex());
    if (path.empty())
        port_map().erase(n);
    else
        port_map()[n] = std::move(path);
}

std::string PortDevicePath(int n) {
    {
        std::lock_guard lock(map_mutex());
        const auto it = port_map().find(n);
        if (it != port_map().end()) return it->second;
    }
    const std::string var = "CAM38R5_PORT" + std::to_string(n);
    if (const char* env = std::getenv(var.c_str()); env && *env) return env;
    if (n < 1) return {};
    return "/dev/ttyS" + std::to_string(n - 1);
}

bool PortWorthTrying(int n) {
    {
        std::lock_guard lock(map_mutex());
        if (port_map().count(n) != 0) return true;
    }
    const std::string var = "CAM38R5_PORT" + std::to_string(n);
    if (const char* env = std::getenv(var.c_str()); env && *env) return true;
    struct stat info {};
    return n >= 1 && ::stat(PortDevicePath(n).c_str(), &info) == 0;
}

} // namespace cam
