#include "sim/sim_options.h"

#include <charconv>

namespace camsim {

namespace {

bool parse_count(const std::string& text, int* value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, *value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end && *value >= 0;
}

bool parse_seed(const std::string& text, std::uint64_t* value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, *value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

// The fault options that take a count, and where each one goes.
int* fault_count(const std::string& name, ModelOptions& model) {
    if (name == "--drop-reply") return &model.dropReplyEvery;
    if (name == "--corrupt-reply") return &model.corruptReplyEvery;
    if (name == "--missing-ack") return &model.missingAckEvery;
    if (name == "--nak") return &model.nakEvery;
    if (name == "--delay-reply") return &model.delayReplyEvery;
    if (name == "--silent-after") return &model.silentAfter;
    return nullptr;
}

} // namespace

bool ParseSimOptions(const std::vector<std::string>& args, SimOptions* options,
                     std::string* error) {
    const auto fail = [error](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            hasValue = true;
        }
        const auto take_value = [&]() {
            if (hasValue) return true;
            if (i + 1 >= args.size()) return false;
            value = args[++i];
            return true;
        };
        const bool flag = name == "--pace" || name == "--pace-in" || name == "--log-us" ||
                          name == "--silent" || name == "--help" || name == "-h";
        if (flag) {
            if (hasValue) return fail(name + " takes no value");
            if (name == "--pace") options->pace = true;
            if (name == "--pace-in") options->paceInput = true;
            if (name == "--log-us") options->logMicroseconds = true;
            if (name == "--silent") options->model.silent = true;
            if (name == "--help" || name == "-h") options->help = true;
            continue;
        }
        if (name != "--link" && name != "--log" && name != "--eeprom" && name != "--eeprom-out" &&
            name != "--video" && name != "--resolution" && name != "--fault-seed" &&
            !fault_count(name, options->model))
            return fail("unknown option " + name);
        if (!take_value() || value.empty()) return fail(name + " needs a value");
        if (name == "--link") {
            options->linkPath = value;
        } else if (name == "--log") {
            options->logPath = value;
        } else if (name == "--eeprom") {
            options->eepromPath = value;
        } else if (name == "--eeprom-out") {
            options->eepromOutPath = value;
        } else if (name == "--video") {
            if (value != "pal" && value != "ntsc") return fail("--video takes pal or ntsc");
            options->model.pal = value == "pal";
        } else if (name == "--resolution") {
            if (value != "hi" && value != "lo") return fail("--resolution takes hi or lo");
            options->model.hiResolution = value == "hi";
        } else if (name == "--fault-seed") {
            if (!parse_seed(value, &options->model.faultSeed))
                return fail("--fault-seed takes a number of 0 or more");
        } else {
            int count = 0;
            if (!parse_count(value, &count)) return fail(name + " takes a count of 0 or more");
            *fault_count(name, options->model) = count;
        }
    }
    return true;
}

std::string SimUsage(const std::string& program) {
    return "Usage: " + program +
           " [options]\n"
           "Serves a simulated 38R5 camera on a pseudo-terminal and prints its device path.\n"
           "\n"
           "  --link PATH          make PATH a symbolic link to the device (removed at exit)\n"
           "  --log FILE           write every frame and control byte, both ways, to FILE\n"
           "  --log-us             time stamps in the log to the microsecond (default: ms)\n"
           "  --pace               send at the 9600 bit/s line rate (about 1.04 ms a byte)\n"
           "  --pace-in            take the tool's bytes at the line rate too: each reaches the\n"
           "                       camera one byte time after the one before it\n"
           "  --drop-reply N       leave out every Nth reply frame (0: never)\n"
           "  --corrupt-reply N    send every Nth reply frame with a wrong CRC (0: never)\n"
           "  --missing-ack N      answer every Nth frame without its ACK (0: never)\n"
           "  --nak N              answer every Nth frame with NAK alone, not acting on it\n"
           "  --delay-reply N      hold every Nth reply frame back until the tool sends again\n"
           "                       (after its time-out): the reply arrives late\n"
           "  --silent-after N     fall silent after answering N frames, as on a power loss\n"
           "  --fault-seed S       with S > 0 each fault above strikes at random, with the\n"
           "                       chance 1/N, the same way for the same S\n"
           "  --silent             answer nothing at all\n"
           "  --eeprom FILE        start from the EEPROM written by the command records of FILE\n"
           "                       (one payload per line as hexadecimal text, as in a copy file)\n"
           "  --eeprom-out FILE    write the EEPROM to FILE as a copy file (all 1024 words, then\n"
           "                       the end record) at exit and whenever SIGUSR1 arrives\n"
           "  --video pal|ntsc     television system (default pal)\n"
           "  --resolution hi|lo   CCD resolution (default hi)\n"
           "  --help               show this text\n";
}

} // namespace camsim
