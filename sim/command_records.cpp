#include "sim/command_records.h"

#include "link/hex.h"

namespace camsim {

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string trimmed(const std::string& line) {
    std::size_t begin = 0;
    std::size_t end = line.size();
    while (begin < end && is_blank(line[begin]))
        ++begin;
    while (end > begin && is_blank(line[end - 1]))
        --end;
    return line.substr(begin, end - begin);
}

} // namespace

bool ReadCommandRecords(std::istream& in, std::vector<CommandRecord>* records, std::string* error) {
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line[0] == '\x1A') break;
        const std::string text = trimmed(line);
        if (text.empty() || text[0] == '#') continue;
        const auto fail = [&](const std::string& why) {
            if (error) *error = "line " + std::to_string(number) + ": " + why;
            return false;
        };
        if (text.size() > 2 * cam::kPayloadSize) return fail("more than 30 hexadecimal digits");
        if (text.size() % 2 != 0) return fail("an odd number of hexadecimal digits");
        CommandRecord record{number, {}};
        for (std::size_t i = 0; i < text.size(); i += 2) {
            const int byte = cam::hex_byte(text[i], text[i + 1]);
            if (byte < 0) return fail("not hexadecimal text");
            record.payload[i / 2] = static_cast<std::uint8_t>(byte);
        }
        records->push_back(record);
    }
    if (in.bad()) {
        if (error) *error = "read error";
        return false;
    }
    return true;
}

} // namespace camsim
