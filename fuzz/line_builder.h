#pragma once
// Turns fuzz input into tool traffic whose frames mostly carry a good CRC, so
// that the fuzzer reaches what the camera does with a command instead of
// stopping at its CRC check. The input is read as steps, each opened by one
// byte `op`:
//   0x00..0x7F  the byte op itself;
//   0x80..0xBF  a command frame: the next 15 bytes are its payload (0 when the
//               input ends), with STX, ETX and a good CRC;
//   0xC0..0xFD  the same frame with the CRC's low byte spoiled;
//   0xFE        a bulk frame: the next byte picks the size code 0x73..0x75,
//               the next bytes give its data (repeated to fill), good CRC;
//   0xFF        the next byte as it is.

#include "fuzz/fuzz_check.h"

#include <vector>

namespace camfuzz {

inline void append_frame(std::vector<std::uint8_t>& out, std::uint8_t start,
                         const std::vector<std::uint8_t>& body, bool spoil) {
    out.push_back(start);
    out.insert(out.end(), body.begin(), body.end());
    out.push_back(0x03);
    const std::uint16_t crc = reference_crc(out.data() + out.size() - body.size() - 1,
                                            body.size() + 1);
    out.push_back(static_cast<std::uint8_t>(crc >> 8));
    out.push_back(static_cast<std::uint8_t>(spoil ? (crc ^ 0x5A) : crc));
}

inline std::vector<std::uint8_t> build_line(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> out;
    std::size_t i = 0;
    const auto next = [&]() -> std::uint8_t { return i < size ? data[i++] : 0; };
    while (i < size) {
        const std::uint8_t op = data[i++];
        if (op < 0x80) {
            out.push_back(op);
        } else if (op <= 0xFD) {
            std::vector<std::uint8_t> payload(15);
            for (auto& b : payload) b = next();
            append_frame(out, 0x02, payload, op >= 0xC0);
        } else if (op == 0xFE) {
            const std::uint8_t code = static_cast<std::uint8_t>(0x73 + next() % 3);
            const std::size_t length = code == 0x73 ? 1024 : code == 0x74 ? 1536 : 2048;
            std::vector<std::uint8_t> body{code};
            const std::size_t from = i;
            const std::size_t given = size - i < 64 ? size - i : 64;
            i += given;
            for (std::size_t n = 0; n < length; ++n)
                body.push_back(given > 0 ? data[from + n % given] : 0);
            append_frame(out, 0x01, body, false);
        } else {
            out.push_back(next());
        }
    }
    return out;
}

} // namespace camfuzz
