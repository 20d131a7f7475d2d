#pragma once
// The lines of a copy file (*.dat) as command records. A copy file is text:
// one command payload per line, payload bytes 1..15 as hexadecimal digits,
// high nibble first, for example "210C00051234000000000000000000" CR LF
// (write word 0x1234 at EEPROM address 0x0005) or the end record "F1" and
// twenty-eight "0" (the camera reset).
//
// Read here, before anything reaches the camera; a file is taken whole or
// refused whole with the first fault and its line:
// - every line ends with LF, the last one too (a file cut short mid-line has
//   no line end); a CR right before the LF belongs to the line end;
// - a line beginning with the byte 0x1A (end-of-file mark) ends the file;
// - empty lines are skipped;
// - any other line is 2 to 30 hexadecimal digits of either case, an even
//   number of them, and nothing else: payload bytes 1..n, the others 0.
//
// Header only: the simulated camera reads its start image with the same rules.

#include "link/frames.h"
#include "link/hex.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cam {

using Payload = std::array<std::uint8_t, kPayloadSize>;

struct CopyRecord {
    int line = 0;        // 1-based line of the file
    std::size_t end = 0; // bytes of the file up to and including this line's LF
    int count = 0;       // payload bytes given on the line
    Payload payload{};   // bytes after `count` are 0
};

inline constexpr char kEndOfFileMark = '\x1A';

// Splits `text` into records. On a fault returns false with "line N: why".
inline bool parse_copy_lines(std::string_view text, std::vector<CopyRecord>* records,
                             std::string* error) {
    std::size_t begin = 0;
    int line = 0;
    const auto fail = [&](const char* why) {
        if (error) *error = "line " + std::to_string(line) + ": " + why;
        return false;
    };
    while (begin < text.size()) {
        ++line;
        if (text[begin] == kEndOfFileMark) break;
        const std::size_t lf = text.find('\n', begin);
        if (lf == std::string_view::npos)
            return fail("the line has no line end: the file is cut short");
        std::string_view digits = text.substr(begin, lf - begin);
        if (!digits.empty() && digits.back() == '\r') digits.remove_suffix(1);
        const std::size_t end = lf + 1;
        begin = end;
        if (digits.empty()) continue;
        if (digits.size() > 2 * kPayloadSize) return fail("more than 30 hexadecimal digits");
        CopyRecord record;
        record.line = line;
        record.end = end;
        for (std::size_t i = 0; i < digits.size(); i += 2) {
            if (i + 1 == digits.size()) return fail("an odd number of hexadecimal digits");
            const int byte = hex_byte(digits[i], digits[i + 1]);
            if (byte < 0) return fail("a character that is not a hexadecimal digit");
            record.payload[i / 2] = static_cast<std::uint8_t>(byte);
        }
        record.count = static_cast<int>(digits.size() / 2);
        records->push_back(record);
    }
    return true;
}

// The records of a file replayed command by command, each one answered by the
// camera before the next goes out. Besides the line rules the file must hold
// at least one record, and every command but the last must be one that the
// camera answers with a reply frame: the reset (class 0xF1) is answered by ACK
// alone and ends the copy, so it may only come last, and the preset entry
// 21 20 00 (also ACK alone) may not come at all. Otherwise the lines after it
// would never be sent.
inline bool parse_command_records(std::string_view text, std::vector<CopyRecord>* records,
                                  std::string* error) {
    std::vector<CopyRecord> found;
    if (!parse_copy_lines(text, &found, error)) return false;
    if (found.empty()) {
        if (error) *error = "the file holds no command";
        return false;
    }
    for (std::size_t i = 0; i < found.size(); ++i) {
        const Payload& p = found[i].payload;
        const bool reset = p[0] == kResetClass;
        const bool preset = p[0] == kWriteClass && p[1] == 0x20 && p[2] == 0x00;
        if (preset || (reset && i + 1 != found.size())) {
            if (error)
                *error = "line " + std::to_string(found[i].line) +
                         (reset ? ": the reset command may only be the last line"
                                : ": the camera does not answer this command with a reply");
            return false;
        }
    }
    records->insert(records->end(), found.begin(), found.end());
    return true;
}

} // namespace cam
