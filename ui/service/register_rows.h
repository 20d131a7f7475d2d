#pragma once
// The rows of the register list on the Debug tab: one per register address
// 0x00 to 0xCB, each the address as two upper-case hexadecimal digits, a
// blank and the register's name. 0x40..0x53 are timing-generator registers
// (TG), 0x54..0x5C sync-generator registers (SSG), 0x5D their common control,
// 0xC0..0xCB the AGC table and all others signal-processor (DSP) registers.

#include <array>

namespace cam {

inline constexpr int kRegisterRowCount = 0xCC;

// UTF-8 texts, row n for register n.
const std::array<const char*, kRegisterRowCount>& register_rows();

} // namespace cam
