// The Debug tab's texts and values that need no widgets.

#include "ui/service/debug_text.h"
#include "ui/service/raw_command.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(DebugText, MaskedStepMovesOnlyTheMaskedField) {
    struct Case {
        std::uint16_t value, mask;
        int direction;
        std::uint16_t result;
    };
    const Case cases[] = {
        {0x1234, 0x00F0, 1, 0x1244}, {0x1234, 0x00F0, -1, 0x1224},
        {0x12F4, 0x00F0, 1, 0x1204}, {0x1204, 0x00F0, -1, 0x12F4}, // wraps within the field
        {0x1234, 0x0000, 1, 0x1234}, {0x1234, 0x0000, -1, 0x1234}, // no field: no change
        {0xFFFF, 0xFFFF, 1, 0x0000}, {0x0000, 0xFFFF, -1, 0xFFFF},
        {0x8300, 0x0300, 1, 0x8000}, {0xA5A5, 0x8000, 1, 0x25A5}, // the top bit alone
    };
    for (const Case& c : cases)
        EXPECT_EQ(cam::masked_step(c.value, c.mask, c.direction), c.result)
            << std::hex << c.value << " " << c.mask << " " << c.direction;
}

TEST(DebugText, RawCommandText) {
    using E = cam::RawCommand::Error;
    struct Case {
        std::u16string text;
        E error;
        std::vector<std::uint8_t> bytes; // the typed bytes (NotHex: {bad index})
    };
    const Case cases[] = {
        {u"31 A 1", E::None, {0x31, 0x0A, 0x01}},
        {u"310A01", E::None, {0x31, 0x0A, 0x01}},
        {u"  21,0b,2B 00 8 ", E::None, {0x21, 0x0B, 0x2B, 0x00, 0x08}},
        {u"31-0A-01", E::None, {0x31, 0x0A, 0x01}},
        {u"31:0a:01", E::None, {0x31, 0x0A, 0x01}},
        {u"01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F",
         E::None,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
        {u"01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10", E::TooLong, {}},
        {u" , ", E::Empty, {}},
        {u"SendBuffer", E::NotHex, {0}},
        {u"31 0G", E::NotHex, {4}},
        // What a Japanese input method types: full-width blank, ideographic
        // comma, full-width digits and letters.
        {u"31\u30000A\u3001\uFF10\uFF11\uFF0C\uFF41\uFF42", E::None, {0x31, 0x0A, 0x01, 0xAB}},
        {u"31 \u00E9", E::NotHex, {3}},
    };
    for (const Case& c : cases) {
        const std::string name(c.text.begin(), c.text.end());
        const cam::RawCommand r = cam::parse_raw_command(c.text);
        ASSERT_EQ(r.error, c.error) << name;
        if (c.error == E::NotHex) {
            EXPECT_EQ(r.badIndex, c.bytes[0]) << name;
        } else if (c.error == E::None) {
            std::vector<std::uint8_t> expected = c.bytes;
            expected.resize(cam::kPayloadSize, 0);
            EXPECT_EQ(std::vector<std::uint8_t>(r.bytes.begin(), r.bytes.end()), expected) << name;
            EXPECT_EQ(r.count, static_cast<int>(c.bytes.size())) << name;
        }
    }
}

} // namespace
