#include "sim/command_records.h"

#include "transactions/copy_records.h"

#include <iterator>

namespace camsim {

bool ReadCommandRecords(std::istream& in, std::vector<CommandRecord>* records, std::string* error) {
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        if (error) *error = "read error";
        return false;
    }
    std::vector<cam::CopyRecord> found;
    if (!cam::parse_command_records(text, &found, error)) return false;
    for (const auto& record : found)
        records->push_back({record.line, record.payload});
    return true;
}

} // namespace camsim
