#include "sim/command.h"

#include "link/crc.h"

#include <algorithm>

namespace camsim {

Command::Command(const std::uint8_t* payload) {
    std::copy(payload, payload + cam::kPayloadSize, bytes_.begin());
}

std::uint8_t Command::operator[](int n) const {
    if (n < 1 || n > static_cast<int>(cam::kPayloadSize)) return 0;
    return bytes_[static_cast<std::size_t>(n - 1)];
}

std::uint16_t Command::Word(int n) const {
    return static_cast<std::uint16_t>(((*this)[n] << 8) | (*this)[n + 1]);
}

Reply::Reply(std::uint8_t code, std::uint8_t status) {
    bytes_[0] = status;
    bytes_[1] = code;
}

Reply& Reply::Put(int n, int value) {
    if (n >= 3 && n <= static_cast<int>(cam::kPayloadSize))
        bytes_[static_cast<std::size_t>(n - 1)] = static_cast<std::uint8_t>(value);
    return *this;
}

Reply& Reply::PutWord(int n, int value) {
    Put(n, (value >> 8) & 0xFF);
    return Put(n + 1, value & 0xFF);
}

std::uint8_t Reply::operator[](int n) const {
    if (n < 1 || n > static_cast<int>(cam::kPayloadSize)) return 0;
    return bytes_[static_cast<std::size_t>(n - 1)];
}

std::uint16_t Reply::Word(int n) const {
    return static_cast<std::uint16_t>(((*this)[n] << 8) | (*this)[n + 1]);
}

cam::TxFrame Reply::Frame() const {
    cam::TxFrame frame{};
    std::copy(bytes_.begin(), bytes_.end(), frame.begin() + 1);
    cam::complete_command_frame(frame, static_cast<int>(cam::kPayloadSize));
    return frame;
}

std::uint8_t Clamp(int value, int lo, int hi) {
    return static_cast<std::uint8_t>(std::clamp(value, lo, hi));
}

} // namespace camsim
