#pragma once
// Command line of the simulated camera program.

#include "sim/camera_model.h"

#include <string>
#include <vector>

namespace camsim {

struct SimOptions {
    ModelOptions model;
    std::string linkPath;         // --link: stable symbolic link to the device
    std::string logPath;          // --log: traffic log
    std::string eepromPath;       // --eeprom: start image
    std::string eepromOutPath;    // --eeprom-out: EEPROM written at exit and on SIGUSR1
    bool pace = false;            // --pace: bytes at the line rate
    bool paceInput = false;       // --pace-in: the tool's bytes reach the camera at the line rate
    bool logMicroseconds = false; // --log-us: time stamps to the microsecond
    bool help = false;            // --help
};

// args without the program name. False with a message for a wrong command line.
bool ParseSimOptions(const std::vector<std::string>& args, SimOptions* options, std::string* error);
std::string SimUsage(const std::string& program);

} // namespace camsim
