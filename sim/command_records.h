#pragma once
// The simulated camera's start image: a copy file (*.dat) as the tool writes
// it with "Camera->PC" and replays it with "PC->Camera(Single)". One command
// payload per line as hexadecimal text, for example
// "210C00051234000000000000000000" CR LF (write word 0x1234 at EEPROM address
// 0x0005), ending with the end record "F1" and twenty-eight "0".
//
// The file is read by the tool's own rules (transactions/copy_records.h,
// parse_command_records), so that the camera starts from exactly the files
// the tool accepts: every line 2 to 30 hexadecimal digits of either case (an
// even number) ended by LF or CR LF (the last line may lack it), empty lines
// skipped, a line beginning with the byte 0x1A ends the file, at least one
// record, and the reset only as the last record. Anything else is an error
// naming the line (and the character that does not belong).

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
