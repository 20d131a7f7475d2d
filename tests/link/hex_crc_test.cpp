#include "link/crc.h"
#include "link/frames.h"
#include "link/hex.h"

#include <gtest/gtest.h>

#include <string>

using namespace cam;

TEST(Hex, FormatsUpperCaseWithLeadingZeros) {
    struct Case {
        unsigned value;
        std::string two, four;
    } cases[] = {{0x00, "00", "0000"},
                 {0x0A, "0A", "000A"},
                 {0xFF, "FF", "00FF"},
                 {0x1234, "34", "1234"},
                 {0xFFF0, "F0", "FFF0"}};
    for (const auto& c : cases) {
        EXPECT_EQ(hex2(static_cast<std::uint8_t>(c.value)), c.two) << c.value;
        EXPECT_EQ(hex4(static_cast<std::uint16_t>(c.value)), c.four) << c.value;
    }
}

TEST(Hex, ReadsDigitsBytesAndValues) {
    EXPECT_EQ(hex_digit('0'), 0);
    EXPECT_EQ(hex_digit('9'), 9);
    EXPECT_EQ(hex_digit('a'), 10);
    EXPECT_EQ(hex_digit('F'), 15);
    EXPECT_EQ(hex_digit('G'), -1);
    EXPECT_EQ(hex_digit(' '), -1);
    EXPECT_EQ(hex_byte('a', '5'), 0xA5);
    EXPECT_EQ(hex_byte('5', 'x'), -1);
    struct Case {
        const char* text;
        std::int32_t value;
    } values[] = {{"", 0},      {"0", 0},   {"012c", 0x12C}, {"FFFF", 0xFFFF},
                  {"12 3", -1}, {"-1", -1}, {"B0", 0xB0}};
    for (const auto& c : values)
        EXPECT_EQ(hex_value(c.text), c.value) << c.text;
}

TEST(Crc, CheckValueAndAugmentedRoutineAgree) {
    const std::string check = "123456789";
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(check.data());
    EXPECT_EQ(frame_crc(bytes, check.size()), 0xBB3D);
    // The register stays below 0x10000 after every byte of the augmented form.
    std::uint32_t reg = 0;
    for (std::uint8_t b : check) {
        reg = crc_calc(reg, &b, 1);
        EXPECT_LT(reg, 0x10000u);
    }
}

TEST(Frames, CommandFramesAreExactOnTheWire) {
    struct Case {
        std::vector<std::uint8_t> payload;
        std::uint8_t crcHigh, crcLow;
    } cases[] = {{{0x31, 0x0A, 0x01}, 0x43, 0x1F}, {{0xF1}, 0xD5, 0xC5}};
    for (const auto& c : cases) {
        TxFrame frame{};
        frame.fill(0xEE); // leftovers of an earlier command
        for (std::size_t i = 0; i < c.payload.size(); ++i)
            frame[i + 1] = c.payload[i];
        complete_command_frame(frame, static_cast<int>(c.payload.size()));
        EXPECT_EQ(frame[0], STX);
        for (std::size_t i = c.payload.size() + 1; i <= 15; ++i)
            EXPECT_EQ(frame[i], 0) << i;
        EXPECT_EQ(frame[16], ETX);
        EXPECT_EQ(frame[17], c.crcHigh);
        EXPECT_EQ(frame[18], c.crcLow);
    }
}

TEST(Frames, CountZeroClearsEveryPayloadByteAndFifteenClearsNone) {
    TxFrame frame{};
    frame.fill(0x77);
    complete_command_frame(frame, 15);
    for (std::size_t i = 1; i <= 15; ++i)
        EXPECT_EQ(frame[i], 0x77);
    complete_command_frame(frame, 0);
    for (std::size_t i = 1; i <= 15; ++i)
        EXPECT_EQ(frame[i], 0x00);
}

TEST(Frames, BulkFrameCarriesSizeCodeDataEtxAndCrc) {
    std::vector<std::uint8_t> image(kBulkDataSize);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7);
    BulkFrame frame{};
    build_bulk_frame(frame, image.data());
    EXPECT_EQ(frame.size(), 2053u);
    EXPECT_EQ(frame[0], SOH);
    EXPECT_EQ(frame[1], 0x75);
    EXPECT_EQ(frame[2 + 100], image[100]);
    EXPECT_EQ(frame[2050], ETX);
    const std::uint16_t crc = frame_crc(frame.data() + 1, 2050);
    EXPECT_EQ(frame[2051], crc >> 8);
    EXPECT_EQ(frame[2052], crc & 0xFF);
    EXPECT_EQ(bulk_data_size(0x73), 1024u);
    EXPECT_EQ(bulk_data_size(0x74), 1536u);
    EXPECT_EQ(bulk_data_size(0x42), 2048u);
}
