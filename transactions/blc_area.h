#pragma once
// The 48-area back-light-compensation mask: six bytes on the wire, 48 check
// boxes on the window. Box k (1..48) is bit (k-1) mod 8 of byte (k-1) div 8;
// bit 0 (value 1) is the leftmost box of a row of eight.

#include <array>
#include <cstdint>

namespace cam {

inline constexpr std::size_t kBlcAreaBytes = 6;
inline constexpr std::size_t kBlcAreaBoxes = 48;

using BlcAreaBytes = std::array<std::uint8_t, kBlcAreaBytes>;
using BlcAreaBoxes = std::array<bool, kBlcAreaBoxes>; // index 0 is box 01

BlcAreaBoxes blc_area_boxes(const BlcAreaBytes& bytes);
BlcAreaBytes blc_area_bytes(const BlcAreaBoxes& boxes);

} // namespace cam
