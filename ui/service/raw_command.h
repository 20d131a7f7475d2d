#pragma once
// A command typed by the technician as text: hexadecimal bytes, high nibble
// first, two digits per byte. Any character that is neither a letter nor a
// digit (blank, comma, "-", ":") separates bytes; a digit that stands alone
// before a separator (or at the end) is a byte of its own, so "31 A 1" is
// 31 0A 01 and "310A01" the same. Letters that are no hexadecimal digits are
// refused rather than sent.

#include "link/frames.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace cam {

struct RawCommand {
    enum class Error { None, NotHex, TooLong, Empty };

    Error error = Error::None;
    std::size_t badIndex = 0;                       // position of the refused character (NotHex)
    int count = 0;                                  // bytes typed
    std::array<std::uint8_t, kPayloadSize> bytes{}; // payload bytes 1..15, zero after count
};

RawCommand parse_raw_command(std::u16string_view text);

} // namespace cam
