#pragma once
// Values and texts of the Debug tab that need no widgets: the masked step of
// the register spin buttons and the text of the RAM dump and the area samples.

#include <array>
#include <cstdint>
#include <string>

namespace cam {

inline constexpr int kAreaSampleCount = 48;

// One click of the register spin buttons: only the bits selected by `mask`
// count; the field steps by its lowest bit and wraps within itself, the other
// bits stay. A mask without bits leaves the value as it is.
std::uint16_t masked_step(std::uint16_t value, std::uint16_t mask, int direction);

// `count` bytes, 16 to a line, each as two digits followed by a blank.
std::string ram_dump_text(const std::uint8_t* bytes, int count);
// The address of each full line of 16 bytes of a dump of `size` bytes from
// `base`, one per line.
std::string ram_address_text(int base, int size);
// 6 lines of 8 samples, each as four digits followed by a blank.
std::string area_sample_text(const std::array<std::uint16_t, kAreaSampleCount>& samples);

} // namespace cam
