#pragma once
// The simulated camera's EEPROM written out as a copy file, so that a later
// run can start from it (--eeprom) and the tool can copy it to a camera.
//
// The file holds a data record 21 0C for every word 0x000..0x3FF in ascending
// order, then the end record (F1, the camera reset); 32 bytes each (30
// upper-case hexadecimal digits, CR, LF). Unlike the file of a camera-to-PC
// copy it keeps the last word 0x3FF as well, so that loading it gives back
// the very same EEPROM.

#include "sim/memory_state.h"

#include <string>

namespace camsim {

std::string EepromCopyText(const MemoryState& memory);

// Writes `text` to a new file in the folder of `path` and renames it to
// `path`, so that a reader sees the old file or the whole new one. False with
// "path: reason" when it cannot.
bool WriteFileAtomically(const std::string& path, const std::string& text, std::string* error);

} // namespace camsim
