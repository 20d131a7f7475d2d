#pragma once
// Text files of command records, the form in which the camera's EEPROM is
// kept on the PC: one command payload per line as hexadecimal text, for
// example "210C00051234000000000000000000" (write word 0x1234 at EEPROM
// address 0x0005) or the end record "F1" followed by zeros.
//
// Accepted here:
// - up to 30 hexadecimal digits (either case), an even number of them,
//   giving payload bytes 1..n; bytes after n are 0;
// - blanks and the CR of a CR LF line end around the digits;
// - empty lines and lines whose first non-blank character is '#' (notes in a
//   hand-written file) are skipped;
// - a line beginning with the byte 0x1A (end-of-file mark) ends the file.
// Anything else is an error naming the line.

#include "link/frames.h"

#include <array>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace camsim {

struct CommandRecord {
    int line; // 1-based line of the file
    std::array<std::uint8_t, cam::kPayloadSize> payload;
};

bool ReadCommandRecords(std::istream& in, std::vector<CommandRecord>* records, std::string* error);

} // namespace camsim
