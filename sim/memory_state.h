#pragma once
// The camera's memories as the service commands reach them: the 204 signal
// processor registers, the 1024-word EEPROM, the RAM window 0xEE00..0xFFFF
// and the on-screen-display word.
//
// Where things are kept:
// - EEPROM words 0x000..0x0CB hold the stored value of the register with the
//   same number. The storing register write (code 0x0A) sets register and
//   word, the plain one (0x0B) the register only. A restart (the reset
//   command, the end of a copy) and the discard command (21 41 01) load the
//   registers from these words again.
// - EEPROM word 0x151 is the white-balance lock (0x0100 or more locks).
// - RAM 0xF800..0xFFFF holds the camera's working image of the EEPROM, word a
//   at 0xF800 + 2a, high byte first. It is loaded at a restart and follows
//   the EEPROM write that also updates RAM (0x0F), not the plain one (0x0C).
// - Register 0x01 bit 14 (Hi resolution) and register 0x40 bit 0 (PAL) are
//   facts of the hardware: a restart sets them from the build of the camera,
//   whatever the EEPROM says. A register write may still change them.

#include "sim/command.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace camsim {

inline constexpr int kRegisterCount = 0xCC;
inline constexpr int kEepromWords = 1024;
inline constexpr int kRamFirst = 0xEE00;
inline constexpr int kRamLast = 0xFFFF;
inline constexpr int kEepromImageInRam = 0xF800;
inline constexpr int kWhiteBalanceLockWord = 0x0151;

class MemoryState {
  public:
    MemoryState(bool pal, bool hiResolution);

    std::uint16_t Register(int address) const;
    void SetRegister(int address, std::uint16_t value);
    std::uint16_t Eeprom(int address) const;
    void SetEeprom(int address, std::uint16_t value);
    std::uint8_t Ram(int address) const; // 0 outside the RAM window
    void SetRam(int address, std::uint8_t value);
    std::uint16_t Osd() const { return osd_; }

    // Registers from their stored words, RAM image of the EEPROM renewed.
    void Restart();
    // A bulk image: byte 2a is the low and byte 2a+1 the high byte of word a,
    // the order in which the tool lays the words out.
    void WriteImage(const std::uint8_t* data, std::size_t count);

    // Codes 0x0A..0x0F and 0x41; nullopt for any other code.
    std::optional<Reply> Handle(const Command& command);

  private:
    Reply RegisterReply(const Command& command);
    Reply EepromReply(const Command& command);
    Reply RamReply(const Command& command);

    bool pal_;
    bool hiResolution_;
    std::array<std::uint16_t, kRegisterCount> registers_{};
    std::array<std::uint16_t, kEepromWords> eeprom_{};
    std::array<std::uint8_t, kRamLast - kRamFirst + 1> ram_{};
    std::uint16_t osd_ = 0;
};

} // namespace camsim
