#include "ui/service/debug_text.h"

#include "link/hex.h"

namespace cam {

std::uint16_t masked_step(std::uint16_t value, std::uint16_t mask, int direction) {
    const int step = mask & -mask; // lowest set bit, 0 for no bits
    const int moved = direction >= 0 ? value + step : value - step;
    return static_cast<std::uint16_t>((value & ~mask) | (moved & mask));
}

std::string ram_dump_text(const std::uint8_t* bytes, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i > 0 && i % 16 == 0) text += '\n';
        text += hex2(bytes[i]);
        text += ' ';
    }
    return text;
}

std::string ram_address_text(int base, int size) {
    std::string text;
    for (int line = 0; line < size / 16; ++line) {
        if (line > 0) text += '\n';
        text += hex4(static_cast<std::uint16_t>(base + 0x10 * line));
    }
    return text;
}

std::string area_sample_text(const std::array<std::uint16_t, kAreaSampleCount>& samples) {
    std::string text;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (i > 0 && i % 8 == 0) text += '\n';
        text += hex4(samples[i]);
        text += ' ';
    }
    return text;
}

} // namespace cam
