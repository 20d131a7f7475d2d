#include "sim/memory_state.h"

namespace camsim {

namespace {

constexpr std::uint16_t kHiResolutionBit = 0x4000; // register 0x01
constexpr std::uint16_t kPalBit = 0x0001;          // register 0x40

// Factory values of the registers: a few with a known meaning, the rest an
// arbitrary but fixed pattern so that dumps and copies show real data.
std::uint16_t factory_register(int address) {
    switch (address) {
    case 0x01:
        return 0x0012;
    case 0x2B:
        return 0x8080; // chroma gains B-Y, R-Y
    case 0x2C:
        return 0x0610; // hue words: camera bits 9..15, sign bit 8, magnitude
    case 0x2D:
        return 0x0608;
    case 0x2E:
        return 0x0620;
    case 0x2F:
        return 0x0604;
    case 0x40:
        return 0x0010;
    default:
        break;
    }
    if (address >= 0xC0) return static_cast<std::uint16_t>(0x0100 * (address - 0xC0 + 1));
    return static_cast<std::uint16_t>((address * 0x0111) & 0x0FFF);
}

bool valid_register(int address) {
    return address >= 0 && address < kRegisterCount;
}
bool valid_word(int address) {
    return address >= 0 && address < kEepromWords;
}
bool valid_ram(int address) {
    return address >= kRamFirst && address <= kRamLast;
}

} // namespace

MemoryState::MemoryState(bool pal, bool hiResolution) : pal_(pal), hiResolution_(hiResolution) {
    eeprom_.fill(0xFFFF); // erased
    for (int r = 0; r < kRegisterCount; ++r)
        eeprom_[static_cast<std::size_t>(r)] = factory_register(r);
    eeprom_[kWhiteBalanceLockWord] = 0x0000;
    Restart();
}

std::uint16_t MemoryState::Register(int address) const {
    return valid_register(address) ? registers_[static_cast<std::size_t>(address)] : 0;
}

void MemoryState::SetRegister(int address, std::uint16_t value) {
    if (valid_register(address)) registers_[static_cast<std::size_t>(address)] = value;
}

std::uint16_t MemoryState::Eeprom(int address) const {
    return valid_word(address) ? eeprom_[static_cast<std::size_t>(address)] : 0;
}

void MemoryState::SetEeprom(int address, std::uint16_t value) {
    if (valid_word(address)) eeprom_[static_cast<std::size_t>(address)] = value;
}

std::uint8_t MemoryState::Ram(int address) const {
    return valid_ram(address) ? ram_[static_cast<std::size_t>(address - kRamFirst)] : 0;
}

void MemoryState::SetRam(int address, std::uint8_t value) {
    if (valid_ram(address)) ram_[static_cast<std::size_t>(address - kRamFirst)] = value;
}

void MemoryState::Restart() {
    for (int r = 0; r < kRegisterCount; ++r)
        registers_[static_cast<std::size_t>(r)] = eeprom_[static_cast<std::size_t>(r)];
    auto& front = registers_[0x01];
    front = static_cast<std::uint16_t>(hiResolution_ ? (front | kHiResolutionBit)
                                                     : (front & ~kHiResolutionBit));
    auto& timing = registers_[0x40];
    timing = static_cast<std::uint16_t>(pal_ ? (timing | kPalBit) : (timing & ~kPalBit));
    for (int a = 0; a < kEepromWords; ++a) {
        const std::uint16_t w = eeprom_[static_cast<std::size_t>(a)];
        SetRam(kEepromImageInRam + 2 * a, static_cast<std::uint8_t>(w >> 8));
        SetRam(kEepromImageInRam + 2 * a + 1, static_cast<std::uint8_t>(w));
    }
}

void MemoryState::WriteImage(const std::uint8_t* data, std::size_t count) {
    for (std::size_t a = 0; a < count / 2 && a < eeprom_.size(); ++a)
        eeprom_[a] = static_cast<std::uint16_t>(data[2 * a] | (data[2 * a + 1] << 8));
}

std::optional<Reply> MemoryState::Handle(const Command& command) {
    switch (command.Code()) {
    case 0x0A:
    case 0x0B:
        return RegisterReply(command);
    case 0x0C:
    case 0x0F:
        return EepromReply(command);
    case 0x0D:
        return RamReply(command);
    case 0x0E:
        // 21 0E 01 hi lo sets the word; a read reports it in the same layout.
        if (command.IsWrite()) osd_ = command.Word(4);
        return Reply(0x0E).Put(3, command.Sub()).PutWord(4, osd_);
    case 0x41:
        // 21 41 00: keep the adjusted values (the tool stores them register by
        // register); 21 41 01: discard them.
        if (command.IsWrite() && command.Sub() == 0x01) Restart();
        return Reply(0x41).Put(3, command.Sub());
    default:
        return std::nullopt;
    }
}

Reply MemoryState::RegisterReply(const Command& command) {
    const int r = command.Sub();
    if (!valid_register(r)) return Reply::Rejected(command.Code()).Put(3, r);
    if (command.IsWrite()) {
        SetRegister(r, command.Word(4));
        if (command.Code() == 0x0A) SetEeprom(r, command.Word(4));
    }
    return Reply(command.Code()).Put(3, r).PutWord(4, Register(r));
}

Reply MemoryState::EepromReply(const Command& command) {
    const int a = command.Word(3);
    if (!valid_word(a)) return Reply::Rejected(command.Code()).PutWord(3, a);
    if (command.IsWrite()) {
        const std::uint16_t w = command.Word(5);
        SetEeprom(a, w);
        if (command.Code() == 0x0F) {
            SetRam(kEepromImageInRam + 2 * a, static_cast<std::uint8_t>(w >> 8));
            SetRam(kEepromImageInRam + 2 * a + 1, static_cast<std::uint8_t>(w));
        }
    }
    return Reply(command.Code()).PutWord(3, a).PutWord(5, Eeprom(a));
}

Reply MemoryState::RamReply(const Command& command) {
    // Read 31 0D a_hi a_lo n, write 21 0D a_hi a_lo b. The reply carries the
    // address in bytes 3-4 and the bytes from that address on in bytes 5..15.
    const int a = command.Word(3);
    if (!valid_ram(a)) return Reply::Rejected(0x0D).PutWord(3, a);
    if (command.IsWrite()) SetRam(a, command[5]);
    Reply reply(0x0D);
    reply.PutWord(3, a);
    for (int n = 5; n <= 15; ++n)
        reply.Put(n, Ram(a + n - 5));
    return reply;
}

} // namespace camsim
