#pragma once
// The lines of a copy file (*.dat) as command records. A copy file is text:
// one command payload per line, payload bytes 1..15 as hexadecimal digits,
// high nibble first, for example "210C00051234000000000000000000" CR LF
// (write word 0x1234 at EEPROM address 0x0005) or the end record "F1" and
// twenty-eight "0" (the camera reset).
//
// Read here, before anything reaches the camera; a file is taken whole or
// refused whole with the first fault, its line and, for a character that does
// not belong, the character and its column:
// - a line ends with LF; a CR right before the LF belongs to the line end;
// - the last line may lack its line end (hand-edited files often do; a CR at
//   the very end is its line end then). Such a line may also be a file cut
//   short, so an EEPROM word record (21 0C or 21 0F) there must hold its
//   address and whole word: a cut one would write a word the file never had;
// - a line beginning with the byte 0x1A (end-of-file mark) ends the file;
// - empty lines are skipped;
// - any other line is 2 to 30 hexadecimal digits of either case, an even
//   number of them, and nothing else: payload bytes 1..n, the others 0.
//   Its characters are checked before its length, so that a byte-order mark,
//   a blank, a stray CR or binary data is named as what it is.
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

// The reason a character is refused, e.g. "character 0xEF is not a
// hexadecimal digit (column 1)"; printable ones are shown as well.
inline std::string copy_character_fault(char c, std::size_t column) {
    const auto byte = static_cast<std::uint8_t>(c);
    std::string what = "character ";
    if (byte > 0x20 && byte < 0x7F) what += std::string("'") + c + "' (";
    what += "0x" + hex2(byte);
    if (byte > 0x20 && byte < 0x7F) what += ")";
    return what + " is not a hexadecimal digit (column " + std::to_string(column) + ")";
}

// Splits `text` into records. On a fault returns false with "line N: why".
inline bool parse_copy_lines(std::string_view text, std::vector<CopyRecord>* records,
                             std::string* error) {
    std::size_t begin = 0;
    int line = 0;
    const auto fail = [&](const std::string& why) {
        if (error) *error = "line " + std::to_string(line) + ": " + why;
        return false;
    };
    while (begin < text.size()) {
        ++line;
        if (text[begin] == kEndOfFileMark) break;
        const std::size_t lf = text.find('\n', begin);
        const bool terminated = lf != std::string_view::npos;
        const std::size_t stop = terminated ? lf : text.size();
        std::string_view digits = text.substr(begin, stop - begin);
        if (!digits.empty() && digits.back() == '\r') digits.remove_suffix(1);
        const std::size_t end = terminated ? lf + 1 : text.size();
        begin = end;
        if (digits.empty()) continue;
        for (std::size_t i = 0; i < digits.size(); ++i)
            if (hex_digit(digits[i]) < 0) return fail(copy_character_fault(digits[i], i + 1));
        if (digits.size() > 2 * kPayloadSize)
            return fail("more than 30 hexadecimal digits (" + std::to_string(digits.size()) + ")");
        if (digits.size() % 2 != 0) return fail("an odd number of hexadecimal digits");
        CopyRecord record;
        record.line = line;
        record.end = end;
        for (std::size_t i = 0; i < digits.size(); i += 2)
            record.payload[i / 2] = static_cast<std::uint8_t>(hex_byte(digits[i], digits[i + 1]));
        record.count = static_cast<int>(digits.size() / 2);
        const bool eepromWord = record.payload[0] == kWriteClass &&
                                (record.payload[1] == 0x0C || record.payload[1] == 0x0F);
        if (!terminated && eepromWord && record.count < 6)
            return fail("the last line has no line end and its EEPROM word record no whole "
                        "word: the file is cut short");
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
