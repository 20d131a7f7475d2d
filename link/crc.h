#pragma once
// Link CRC: CRC-16/ARC (poly 0x8005 reflected as 0xA001, init 0, input and
// output reflected, no final XOR; check value 0xBB3D for "123456789").
// Sent high byte first in every frame, both directions.

#include <cstddef>
#include <cstdint>

namespace cam {

// The augmented register routine: continue `reg` over `len` bytes.
std::uint32_t crc_calc(std::uint32_t reg, const std::uint8_t* data, std::size_t len);
// CRC of a covered block: crc_calc from 0, then over two zero bytes.
std::uint16_t frame_crc(const std::uint8_t* data, std::size_t len);

} // namespace cam
