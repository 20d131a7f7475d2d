// cam38r5-sim: the simulated camera on a pseudo-terminal. Prints the device
// path as its first line of output; see --help for the options.

#include "sim/camera_model.h"
#include "sim/eeprom_file.h"
#include "sim/pty_server.h"
#include "sim/sim_options.h"
#include "sim/traffic_log.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

volatile std::sig_atomic_t g_stopDescriptor = -1;

extern "C" void on_stop_signal(int) {
    const int fd = g_stopDescriptor;
    if (fd >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
    }
}

// SIGUSR1 asks for the EEPROM file: the handler only notes it and wakes the
// serving loop, which writes the file.
volatile std::sig_atomic_t g_saveRequested = 0;
volatile std::sig_atomic_t g_wakeDescriptor = -1;

extern "C" void on_save_signal(int) {
    g_saveRequested = 1;
    const int fd = g_wakeDescriptor;
    if (fd >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
    }
}

void install_save_handler(int wakeDescriptor) {
    g_wakeDescriptor = wakeDescriptor;
    struct sigaction action {};
    action.sa_handler = on_save_signal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGUSR1, &action, nullptr);
}

bool save_eeprom(const std::string& program, const camsim::CameraModel& model,
                 const std::string& path) {
    std::string error;
    if (camsim::WriteFileAtomically(path, camsim::EepromCopyText(model.Memory()), &error))
        return true;
    std::cerr << program << ": cannot write the EEPROM: " << error << std::endl;
    return false;
}

void install_stop_handlers(int stopDescriptor) {
    g_stopDescriptor = stopDescriptor;
    struct sigaction action {};
    action.sa_handler = on_stop_signal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

// Makes `link` a symbolic link to `target`; an old link there is replaced,
// anything else is left alone.
bool make_link(const std::string& link, const std::string& target, std::string* error) {
    struct stat info {};
    if (::lstat(link.c_str(), &info) == 0) {
        if (!S_ISLNK(info.st_mode)) {
            *error = link + " exists and is not a symbolic link";
            return false;
        }
        ::unlink(link.c_str());
    }
    if (::symlink(target.c_str(), link.c_str()) != 0) {
        *error = link + ": cannot make the link";
        return false;
    }
    return true;
}

// Removes the link if it still points to our device.
void remove_link(const std::string& link, const std::string& target) {
    char buffer[512];
    const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer);
    if (n > 0 && std::string(buffer, static_cast<std::size_t>(n)) == target) ::unlink(link.c_str());
}

} // namespace

int main(int argc, char** argv) {
    const std::string program = argc > 0 ? argv[0] : "cam38r5-sim";
    camsim::SimOptions options;
    std::string error;
    if (!camsim::ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc), &options,
                                 &error)) {
        std::cerr << program << ": " << error << "\n" << camsim::SimUsage(program);
        return 2;
    }
    if (options.help) {
        std::cout << camsim::SimUsage(program);
        return 0;
    }

    camsim::CameraModel model(options.model);
    if (!options.eepromPath.empty() && !model.LoadEepromFile(options.eepromPath, &error)) {
        std::cerr << program << ": " << error << "\n";
        return 1;
    }
    camsim::TrafficLog log;
    if (!options.logPath.empty() && !log.Open(options.logPath, &error)) {
        std::cerr << program << ": " << error << "\n";
        return 1;
    }

    log.SetMicroseconds(options.logMicroseconds);
    camsim::PtyServer server(model, options.pace);
    server.SetInputPace(options.paceInput);
    if (!server.Open(&error)) {
        std::cerr << program << ": " << error << "\n";
        return 1;
    }
    if (log.IsOpen()) server.SetLog(&log);
    install_stop_handlers(server.StopDescriptor());
    if (!options.eepromOutPath.empty()) {
        server.SetWakeHandler([&] {
            if (!g_saveRequested) return;
            g_saveRequested = 0;
            save_eeprom(program, model, options.eepromOutPath);
        });
        install_save_handler(server.WakeDescriptor());
    }
    if (!options.linkPath.empty() && !make_link(options.linkPath, server.DevicePath(), &error)) {
        std::cerr << program << ": " << error << "\n";
        return 1;
    }

    std::cout << server.DevicePath() << std::endl;
    const bool served = server.Serve(&error);
    if (!options.linkPath.empty()) remove_link(options.linkPath, server.DevicePath());
    const bool saved =
        options.eepromOutPath.empty() || save_eeprom(program, model, options.eepromOutPath);
    if (!served) {
        std::cerr << program << ": " << error << "\n";
        return 1;
    }
    return saved ? 0 : 1;
}
