#pragma once
// A command frame as the camera receives it, and the reply it builds.
// Bytes are numbered as on the line: byte 1 is the command class (or the
// reply status), byte 2 the command code, bytes 3..15 sub-codes and data.

#include "link/frames.h"

#include <array>
#include <cstdint>

namespace camsim {

// Reply byte 1 of a command the camera cannot carry out (an address out of
// range, a code it does not know). Anything but 0xA0 is an error to the tool.
inline constexpr std::uint8_t kRejected = 0xE0;

class Command {
  public:
    // payload: the 15 payload bytes of the frame (frame bytes 1..15).
    explicit Command(const std::uint8_t* payload);
    // Byte n (1..15); 0 for any other n.
    std::uint8_t operator[](int n) const;
    // Bytes n and n+1 read high byte first.
    std::uint16_t Word(int n) const;
    std::uint8_t Class() const { return bytes_[0]; }
    std::uint8_t Code() const { return bytes_[1]; }
    std::uint8_t Sub() const { return bytes_[2]; }
    bool IsRead() const { return Class() == cam::kReadClass; }
    bool IsWrite() const { return Class() == cam::kWriteClass; }

  private:
    std::array<std::uint8_t, cam::kPayloadSize> bytes_{};
};

class Reply {
  public:
    // Byte 1 = status, byte 2 = code, the rest 0.
    explicit Reply(std::uint8_t code, std::uint8_t status = cam::kAccepted);
    static Reply Rejected(std::uint8_t code) { return Reply(code, kRejected); }

    // Byte n (3..15) = value; other n are ignored.
    Reply& Put(int n, int value);
    // Bytes n and n+1 = value, high byte first.
    Reply& PutWord(int n, int value);
    std::uint8_t operator[](int n) const;
    std::uint16_t Word(int n) const;
    const std::array<std::uint8_t, cam::kPayloadSize>& Payload() const { return bytes_; }
    // STX, the payload, ETX and the link CRC.
    cam::TxFrame Frame() const;

  private:
    std::array<std::uint8_t, cam::kPayloadSize> bytes_{};
};

// value limited to lo..hi, as one byte.
std::uint8_t Clamp(int value, int lo, int hi);

} // namespace camsim
