#pragma once
// Control bytes and the two frame shapes the tool puts on the line.

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace cam {

inline constexpr std::uint8_t NUL = 0x00;
inline constexpr std::uint8_t SOH = 0x01;
inline constexpr std::uint8_t STX = 0x02;
inline constexpr std::uint8_t ETX = 0x03;
inline constexpr std::uint8_t EOT = 0x04;
inline constexpr std::uint8_t ENQ = 0x05;
inline constexpr std::uint8_t ACK = 0x06;
inline constexpr std::uint8_t DC1 = 0x11;
inline constexpr std::uint8_t NAK = 0x15;
inline constexpr std::uint8_t SYN = 0x16;

inline constexpr std::uint8_t kReadClass = 0x31;  // "1": ask for a value
inline constexpr std::uint8_t kWriteClass = 0x21; // "!": set a value or act
// The lens adjustment step: its answer is awaited without limit.
inline constexpr std::uint8_t kWaitsWithoutLimit = 0x46;
inline constexpr std::uint8_t kResetClass = 0xF1; // camera reset
inline constexpr std::uint8_t kAccepted = 0xA0;   // reply byte 1 of an accepted command

inline constexpr std::size_t kPayloadSize = 15;
inline constexpr std::size_t kFrameSize = 19; // STX, 15 payload, ETX, CRC hi, CRC lo
inline constexpr std::size_t kBulkDataSize = 2048;
inline constexpr std::size_t kBulkFrameSize = kBulkDataSize + 5;
inline constexpr std::uint8_t kBulkSizeCode = 0x75;

// Command frame: byte 0 start byte, 1..15 payload, 16 ETX, 17/18 CRC.
using TxFrame = std::array<std::uint8_t, kFrameSize>;
using BulkFrame = std::array<std::uint8_t, kBulkFrameSize>;
// Reply buffer: start byte, payload, ETX; bytes past a short frame keep old data.
using ReplyBuffer = std::array<std::uint8_t, 20>;

// Completes a command frame whose payload bytes 1..count are filled: STX,
// zero-filled payload after count, ETX and CRC.
void complete_command_frame(TxFrame& frame, int count);
// The whole command frame for the payload bytes given (at most 15).
TxFrame command_frame(std::initializer_list<std::uint8_t> payload);
// Builds SOH, size code 0x75, the data, ETX and CRC.
void build_bulk_frame(BulkFrame& frame, const std::uint8_t* data2048);
// Data length announced by a bulk size code (0x73: 1024, 0x74: 1536, else 2048).
std::size_t bulk_data_size(std::uint8_t size_code);

} // namespace cam
