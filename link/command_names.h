#pragma once
// Readable names for what travels on the camera line: control bytes, the
// tool's commands ("register read 0x2B", "EEPROM word write 0x0151 = 0x1234",
// "Easy status block 3") and the camera's replies ("register 0x2B = 0x1234"),
// after the command codes the camera knows.

#include <cstddef>
#include <cstdint>
#include <string>

namespace cam {

// "ENQ", "ACK", ... for the control bytes, "0x41" for any other byte.
std::string ControlName(std::uint8_t byte);
// What a code is used for ("EEPROM word", "white balance", ...), or nullptr
// for a code the camera does not know.
const char* CommandUse(std::uint8_t code);
// A command's 15 payload bytes (frame bytes 1..15).
std::string CommandName(const std::uint8_t* payload);
// A reply's payload (15 bytes of an STX frame, 2 of an SOH frame) and the
// 15 payload bytes of the command it answers (nullptr when unknown; some
// replies carry only data and need the command for the address).
// `afterBulk`: the reply answers a bulk frame (A0 and the size code).
std::string ReplyName(const std::uint8_t* payload, std::size_t count, const std::uint8_t* request,
                      bool afterBulk = false);
// The tool's bulk frame from its size code.
std::string BulkName(std::uint8_t sizeCode);

} // namespace cam
