#pragma once
// Property checks for the fuzz harnesses: a failed check prints where and
// aborts, so libFuzzer and the corpus replay both report it as a crash.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                                         \
    do {                                                                                         \
        if (!(cond)) {                                                                           \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);        \
            std::abort();                                                                        \
        }                                                                                        \
    } while (0)

namespace camfuzz {

// CRC-16/ARC bit by bit (reflected 0x8005, init 0, no final XOR): an
// independent reference for cam::frame_crc.
inline std::uint16_t reference_crc(const std::uint8_t* data, std::size_t len) {
    std::uint16_t crc = 0;
    for (std::size_t i = 0; i < len; ++i) {
        crc = static_cast<std::uint16_t>(crc ^ data[i]);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>((crc & 1u) ? (crc >> 1) ^ 0xA001u : crc >> 1);
    }
    return crc;
}

// True when bytes[0..length) end with ETX and a CRC (high byte first) that
// matches bytes 1..ETX.
inline bool frame_good(const std::uint8_t* bytes, std::size_t length) {
    if (length < 4 || bytes[length - 3] != 0x03) return false;
    const unsigned received = static_cast<unsigned>(bytes[length - 2] << 8 | bytes[length - 1]);
    return reference_crc(bytes + 1, length - 3) == received;
}

} // namespace camfuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
