#include "link/hex.h"

namespace cam {

namespace {
constexpr char kDigits[] = "0123456789ABCDEF";
}

std::string hex2(std::uint8_t value) {
    return {kDigits[value >> 4], kDigits[value & 0x0F]};
}

std::string hex4(std::uint16_t value) {
    return hex2(static_cast<std::uint8_t>(value >> 8)) + hex2(static_cast<std::uint8_t>(value));
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

int hex_byte(char high, char low) {
    const int h = hex_digit(high);
    const int l = hex_digit(low);
    if (h < 0 || l < 0) return -1;
    return h * 16 + l;
}

std::int32_t hex_value(std::string_view text) {
    std::uint32_t value = 0;
    for (char c : text) {
        const int d = hex_digit(c);
        if (d < 0) return -1;
        value = value * 16u + static_cast<std::uint32_t>(d);
    }
    return static_cast<std::int32_t>(value);
}

std::string hex_bytes(const std::uint8_t* data, std::size_t count) {
    std::string out;
    out.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i)
        out += hex2(data[i]);
    return out;
}

} // namespace cam
