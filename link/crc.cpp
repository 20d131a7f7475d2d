#include "link/crc.h"

namespace cam {

std::uint32_t crc_calc(std::uint32_t reg, const std::uint8_t* data, std::size_t len) {
    for (std::size_t i = 0; i < len; ++i) {
        reg += static_cast<std::uint32_t>(data[i]) << 16;
        for (int bit = 0; bit < 8; ++bit) {
            if (reg & 1u)
                reg = (reg >> 1) ^ 0xA001u;
            else
                reg >>= 1;
        }
    }
    return reg;
}

std::uint16_t frame_crc(const std::uint8_t* data, std::size_t len) {
    static constexpr std::uint8_t kZero[2] = {0, 0};
    const std::uint32_t reg = crc_calc(crc_calc(0, data, len), kZero, 2);
    return static_cast<std::uint16_t>(reg & 0xFFFFu);
}

} // namespace cam
