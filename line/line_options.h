#pragma once
// Command line of cam38r5-line: one command (backup, restore, verify, clone,
// list-ports), its file, and options in any order around it.

#include "line/kept_ranges.h"

#include <string>
#include <vector>

namespace cam {

inline constexpr int kDefaultTickMs = 1500;
inline constexpr int kMaxTickMs = 600000; // the reply time-out, 20 ticks, stays in an int

struct LineOptions {
    enum class Command { Backup, Restore, Verify, Clone, ListPorts, Help, Version };
    Command command = Command::Help;
    std::vector<std::string> ports; // --port, then --ports-from, in the order given
    std::string file;               // backup/restore/verify FILE, or clone's GOLDEN
    bool single = false;            // restore --single: record by record, not as a batch
    std::vector<KeptRange> keep;    // clone --keep, all of them
    std::string backupDir;          // clone --backup-dir
    std::string report;             // clone --report (.csv or .jsonl)
    int tickMs = kDefaultTickMs;    // --tick-ms
};

// `args` without the program name. --opt VALUE and --opt=VALUE are the same;
// "--" ends the options. --help and --version win over a missing file or
// port. False with a one-line reason for a wrong command line.
bool ParseLineOptions(const std::vector<std::string>& args, LineOptions* options,
                      std::string* error);

std::string LineUsage(const std::string& program);

} // namespace cam
