#pragma once
// Hexadecimal text helpers shared by the status bar, the decoders and the
// hexadecimal entry fields.

#include <cstdint>
#include <string>
#include <string_view>

namespace cam {

// Two upper-case hexadecimal digits, high nibble first.
std::string hex2(std::uint8_t value);
// Four upper-case hexadecimal digits, most significant first.
std::string hex4(std::uint16_t value);
// 0..15 for a hexadecimal digit (either case), -1 for anything else.
int hex_digit(char c);
// Two digits as one byte, or -1 when either is not a hexadecimal digit.
int hex_byte(char high, char low);
// Whole text read as a hexadecimal number; "" reads as 0, any non-digit as -1.
// Digits beyond 32 bits wrap as the camera tool always has.
std::int32_t hex_value(std::string_view text);
// Bytes as hexadecimal text without separators.
std::string hex_bytes(const std::uint8_t* data, std::size_t count);

} // namespace cam
