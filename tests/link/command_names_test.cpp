// Every code of the camera's command index has a readable name, for the
// tool's commands and for the camera's replies.

#include "link/command_names.h"
#include "link/frames.h"

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <string>

namespace {

enum Side { Cmd, Rep };

struct Case {
    Side side;
    std::initializer_list<int> bytes; // payload from byte 1 on, the rest 0
    const char* name;
};

std::array<std::uint8_t, cam::kPayloadSize> payload(std::initializer_list<int> bytes) {
    std::array<std::uint8_t, cam::kPayloadSize> p{};
    std::size_t i = 0;
    for (int b : bytes)
        p.at(i++) = static_cast<std::uint8_t>(b);
    return p;
}

// The command index: code, what it is used for, and a command (and for the
// read layouts the reply) as the tool sends and the camera answers it.
const Case kIndex[] = {
    {Cmd, {0x31, 0x0A, 0x2B}, "register read 0x2B"},
    {Cmd, {0x21, 0x0A, 0x2B, 0x12, 0x34}, "register write and store 0x2B = 0x1234"},
    {Rep, {0xA0, 0x0A, 0x2B, 0x12, 0x34}, "register 0x2B = 0x1234"},
    {Cmd, {0x21, 0x0B, 0x2C, 0x07, 0x01}, "register write 0x2C = 0x0701"},
    {Cmd, {0x31, 0x0C, 0x01, 0x51}, "EEPROM word read 0x0151"},
    {Cmd, {0x21, 0x0C, 0x01, 0x51, 0x12, 0x34}, "EEPROM word write 0x0151 = 0x1234"},
    {Rep, {0xA0, 0x0C, 0x01, 0x51, 0x12, 0x34}, "EEPROM word 0x0151 = 0x1234"},
    {Cmd, {0x31, 0x0D, 0xEE, 0x00, 0x01}, "RAM read 0xEE00"},
    {Cmd, {0x21, 0x0D, 0xEE, 0x10, 0x5A}, "RAM byte write 0xEE10 = 0x5A"},
    {Rep, {0xA0, 0x0D, 0xEE, 0x02, 0x12, 0x34}, "RAM 0xEE02 = 12 34"},
    {Cmd, {0x21, 0x0E, 0x01, 0xAB, 0xCD}, "OSD word write 0xABCD"},
    {Cmd, {0x21, 0x0F, 0x00, 0x10, 0x00, 0x80}, "EEPROM word and RAM write 0x0010 = 0x0080"},
    {Cmd, {0x21, 0x10, 0x03, 0x01}, "title position write 01"},
    {Rep, {0xA0, 0x10, 0x01, 0x02, 0x41, 0x42}, "title text: 02 41 42"},
    {Cmd, {0x21, 0x18, 0x00, 0x01}, "BLC on/off write 00 01"},
    {Cmd, {0x21, 0x19, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06}, "BLC area write 01 02 03 04 05 06"},
    {Cmd, {0x21, 0x1A, 0x01, 0x04}, "AGC level write 04"},
    {Rep, {0xA0, 0x1A, 0x02, 0x05}, "sensitivity: 05"},
    {Cmd, {0x21, 0x1B, 0x04}, "one-push AWB write"},
    {Cmd, {0x21, 0x1C, 0x01, 0xFF, 0xFF}, "phase level write FF FF"},
    {Cmd, {0x21, 0x1D, 0x07, 0x01}, "positive/negative write 01"},
    {Cmd, {0x21, 0x1E}, "command group \"Save\" write"},
    {Cmd, {0x21, 0x20, 0x00}, "preset enter write"},
    {Cmd, {0x21, 0x30, 0x01, 0x01}, "white-balance preset 5600 K write 01"},
    {Cmd, {0x21, 0x32, 0x05}, "switch key 0x05"},
    {Cmd, {0x31, 0x35, 0x2F}, "area sample read 47"},
    {Rep, {0xA0, 0x35, 0x2F, 0x01, 0x23}, "area sample 47 = 0x0123"},
    {Cmd, {0x21, 0x36, 0x12, 0x00, 0x01, 0x23}, "defect correction write 12 00 01 23"},
    {Cmd, {0x31, 0x37, 0x01}, "use switch \"EXT SYNC\" read"},
    {Cmd, {0x21, 0x41, 0x00, 0xFF}, "save adjusted values write FF"},
    {Cmd, {0x31, 0x42}, "CCD drive delays read"},
    {Rep, {0xA0, 0x43, 0x7F}, "DC lens offset: 7F"},
    {Cmd, {0x21, 0x45, 0x00, 0x12, 0x34}, "zoom step write 12 34"},
    {Cmd, {0x21, 0x46}, "lens adjustment step write"},
    {Cmd, {0x21, 0x47, 0x01, 0x0C}, "aperture V gain write 0C"},
    {Cmd, {0x21, 0x48, 0x02, 0x01, 0x01, 0x07}, "AES write 01 01 07"},
    {Cmd, {0x21, 0x48, 0x09}, "PEAK/ALC/AES/iris sub 0x09 write"},
    {Cmd, {0x21, 0x49, 0x01}, "initial setting write 01"},
    {Cmd, {0x21, 0x50, 0x07}, "BLC sensitivity write 07"},
    {Rep, {0xA0, 0x51, 0x12}, "alarm number: 12"},
    {Cmd, {0x31, 0x52, 0x01, 0x05}, "lens position recall 5"},
    {Cmd, {0x21, 0x52, 0x01, 0x05}, "lens position store 5"},
    {Cmd, {0x31, 0x53}, "iris bias read"},
    {Cmd, {0x21, 0x56, 0x01, 0x10, 0x20}, "mark position write 10 20"},
    {Cmd, {0x31, 0x60, 0x03}, "Easy status block 3"},
    {Rep, {0xA0, 0x60, 0x03, 0x01, 0xFE}, "Easy status block 3: 01 FE"},
    {Cmd, {0xF1}, "camera reset"},
    // Outside the index, and refusals.
    {Cmd, {0x31, 0x99, 0x01}, "command 0x99 read 01"},
    {Rep, {0xE0, 0x0C, 0x04, 0x00}, "EEPROM word rejected (0xE0)"},
};

} // namespace

TEST(CommandNames, EveryCodeOfTheCommandIndexHasAName) {
    for (const Case& c : kIndex) {
        const auto p = payload(c.bytes);
        const std::string name = c.side == Cmd ? cam::CommandName(p.data())
                                               : cam::ReplyName(p.data(), p.size(), nullptr);
        EXPECT_EQ(name, c.name) << "payload starting " << std::hex << *c.bytes.begin() << ' '
                                << *(c.bytes.begin() + (c.bytes.size() > 1 ? 1 : 0));
    }
    // The RAM reply carries only data: the address is the command's.
    const auto request = payload({0x31, 0x0D, 0xEE, 0x20, 0x01});
    const auto reply = payload({0xA0, 0x0D, 0x00, 0x00, 0x12, 0x34});
    EXPECT_EQ(cam::ReplyName(reply.data(), reply.size(), request.data()), "RAM 0xEE20 = 12 34");
    const auto bulk = payload({0xA0, 0x75});
    EXPECT_EQ(cam::ReplyName(bulk.data(), bulk.size(), nullptr, true),
              "bulk image accepted (size code 0x75)");
}
