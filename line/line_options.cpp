#include "line/line_options.h"

#include "line/line_report.h"

#include <QFile>
#include <QString>

#include <algorithm>
#include <charconv>
#include <set>

namespace cam {

namespace {

using Command = LineOptions::Command;

struct CommandName {
    const char* name;
    Command command;
};

const CommandName kCommands[] = {{"backup", Command::Backup},
                                 {"restore", Command::Restore},
                                 {"verify", Command::Verify},
                                 {"clone", Command::Clone},
                                 {"list-ports", Command::ListPorts}};

// Options that take a value; the others are flags.
const char* const kValueOptions[] = {"--port",       "--ports-from", "--keep",
                                     "--backup-dir", "--report",     "--tick-ms"};
const char* const kFlags[] = {"--single", "--help", "-h", "--version"};

bool isOneOf(const std::string& name, const auto& names) {
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// One device per line; blank lines and everything after a '#' are skipped.
bool readPortsFile(const std::string& path, std::vector<std::string>* ports, std::string* error) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        *error = "--ports-from " + path + ": " + file.errorString().toStdString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = "--ports-from " + path + ": " + file.errorString().toStdString();
        return false;
    }
    const std::string text = bytes.toStdString();
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        line = trimmed(line.substr(0, line.find('#')));
        if (!line.empty()) ports->push_back(line);
        start = end + 1;
    }
    return true;
}

bool parseTick(const std::string& text, int* value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, *value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end && *value > 0 &&
           *value <= kMaxTickMs;
}

} // namespace

bool ParseLineOptions(const std::vector<std::string>& args, LineOptions* options,
                      std::string* error) {
    std::string why;
    const auto fail = [&](const std::string& reason) {
        if (error) *error = reason;
        return false;
    };
    std::vector<std::string> positional;
    std::vector<std::string> ports;
    std::set<std::string> seen; // options given, for the ones a command does not take
    bool help = false, version = false, optionsEnd = false;
    LineOptions parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        if (optionsEnd || name.empty() || name[0] != '-' || name == "-") {
            positional.push_back(name);
            continue;
        }
        if (name == "--") {
            optionsEnd = true;
            continue;
        }
        std::string value;
        bool hasValue = false;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            hasValue = true;
        }
        if (isOneOf(name, kFlags)) {
            if (hasValue) return fail(name + " takes no value");
            parsed.single = parsed.single || name == "--single";
            help = help || name == "--help" || name == "-h";
            version = version || name == "--version";
            seen.insert(name);
            continue;
        }
        if (!isOneOf(name, kValueOptions)) return fail("unknown option " + name);
        if (!hasValue && i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) value = args[++i];
        if (value.empty()) return fail(name + " needs a value");
        const bool repeatable = name == "--port" || name == "--ports-from" || name == "--keep";
        if (!repeatable && seen.count(name)) return fail(name + " is given twice");
        seen.insert(name);
        if (name == "--port") {
            ports.push_back(value);
        } else if (name == "--ports-from") {
            if (!readPortsFile(value, &ports, &why)) return fail(why);
        } else if (name == "--keep") {
            if (!ParseKeptRanges(value, &parsed.keep, &why)) return fail("--keep " + why);
        } else if (name == "--backup-dir") {
            parsed.backupDir = value;
        } else if (name == "--report") {
            if (!IsReportPath(value))
                return fail("--report " + value + ": the report is a .csv or .jsonl file");
            parsed.report = value;
        } else if (!parseTick(value, &parsed.tickMs)) {
            return fail("--tick-ms takes milliseconds from 1 to " + std::to_string(kMaxTickMs));
        }
    }
    std::set<std::string> distinct;
    for (const std::string& port : ports)
        if (!distinct.insert(port).second) return fail("port " + port + " is given twice");
    parsed.ports = std::move(ports);

    if (help || version) {
        parsed.command = help ? Command::Help : Command::Version;
        *options = std::move(parsed);
        return true;
    }
    if (positional.empty()) return fail("no command given");
    const auto known = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&](const CommandName& c) { return positional[0] == c.name; });
    if (known == std::end(kCommands)) return fail("unknown command " + positional[0]);
    parsed.command = known->command;
    const std::string command = known->name;

    const bool takesFile = parsed.command != Command::ListPorts;
    if (takesFile && positional.size() < 2)
        return fail(command + (parsed.command == Command::Clone ? " needs the golden file"
                                                                : " needs a FILE"));
    if (positional.size() > (takesFile ? 2u : 1u))
        return fail("unexpected argument " + positional[takesFile ? 2 : 1]);
    if (takesFile) parsed.file = positional[1];

    if (parsed.command != Command::Restore && parsed.single)
        return fail("--single goes with restore only");
    for (const char* cloneOnly : {"--keep", "--backup-dir", "--report"})
        if (parsed.command != Command::Clone && seen.count(cloneOnly))
            return fail(std::string(cloneOnly) + " goes with clone only");

    switch (parsed.command) {
    case Command::Clone:
        if (parsed.ports.empty()) return fail("clone needs at least one --port");
        if (parsed.backupDir.empty()) return fail("clone needs --backup-dir");
        break;
    case Command::ListPorts:
        if (!parsed.ports.empty()) return fail("list-ports takes no port");
        break;
    default:
        if (parsed.ports.size() != 1) return fail(command + " takes exactly one --port");
        break;
    }
    *options = std::move(parsed);
    return true;
}

std::string LineUsage(const std::string& program) {
    const std::string p = "  " + program;
    return "Usage:\n" + p + " backup  --port DEV FILE\n" + p +
           " restore --port DEV FILE [--single]\n" + p + " verify  --port DEV FILE\n" + p +
           " clone GOLDEN.dat --port DEV [--port DEV ...] [--ports-from FILE]\n"
           "        [--keep RANGES] --backup-dir DIR [--report FILE]\n" +
           p +
           " list-ports\n"
           "\n"
           "Backs up, restores, verifies and clones the EEPROM of 38R5 cameras.\n"
           "\n"
           "  backup      read the camera's 1024 words into the copy file FILE\n"
           "  restore     write FILE into the camera (as one batch), then verify it\n"
           "  verify      compare the camera's words with FILE\n"
           "  clone       back up every camera into DIR, then write GOLDEN.dat into it,\n"
           "              keeping the words of --keep from its own backup, and verify\n"
           "  list-ports  show the serial ports of this machine\n"
           "\n"
           "  --port DEV         serial device (for clone: one per camera, repeatable)\n"
           "  --ports-from FILE  more devices for clone, one a line ('#' starts a comment)\n"
           "  --single           restore record by record instead of as one batch\n"
           "  --keep RANGES      words each camera keeps, e.g. 0x100-0x13F,0x3F0-0x3FF\n"
           "  --backup-dir DIR   folder for each camera's backup before the clone\n"
           "  --report FILE      one row per camera, as .csv or .jsonl\n"
           "  --tick-ms N        supervision tick in ms (default 1500); a reply is awaited\n"
           "                     for 20 ticks\n"
           "  --help             show this text\n"
           "  --version          show the version\n";
}

} // namespace cam
