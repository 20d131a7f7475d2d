#include "transactions/title_codec.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using cam::TitleCodes;

struct CodeCase {
    int byte;
    int code;
};

TEST(TitleTable, CodesOfSingleBytes) {
    const CodeCase cases[] = {
        {'0', 0x000}, {'9', 0x009}, {'A', 0x010},  {'Z', 0x029},  {'a', 0x030}, {'z', 0x049},
        {':', 0x100}, {';', 0x101}, {'\'', 0x102}, {'"', 0x103},  {'.', 0x105}, {',', 0x106},
        {'<', 0x107}, {'>', 0x108}, {'(', 0x109},  {')', 0x10A},  {'[', 0x10B}, {']', 0x10C},
        {'{', 0x10D}, {'}', 0x10E}, {0xA1, 0x10F}, {0xA2, 0x110}, {'/', 0x117}, {'-', 0x120},
        {'*', 0x126}, {' ', 0x1FE}, {'#', -1},     {'!', -1},     {'+', -1},    {'@', -1},
        {0x00, -1},   {0x7F, -1},   {0xA0, -1},    {0xA3, -1},    {0xDF, -1},   {0xFF, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cam::title_code(static_cast<std::uint8_t>(c.byte)), c.code) << "byte " << c.byte;
}

// The camera's title character table, written out once: each run of
// characters has consecutive codes from `first`. Bytes 0xA1 and 0xA2 are the
// half-width full stop and opening corner bracket.
struct TitleRun {
    std::u32string chars;
    int first;
};
const TitleRun kTitleTable[] = {
    {U"0123456789", 0x000},
    {U"ABCDEFGHIJKLMNOPQRSTUVWXYZ", 0x010},
    {U"abcdefghijklmnopqrstuvwxyz", 0x030},
    {U":;'\"", 0x100},
    {U".,<>()", 0x105},
    {U"[]{}", 0x10B},
    {U"\uFF61\uFF62", 0x10F},
    {U"/", 0x117},
    {U"-", 0x120},
    {U"*", 0x126},
    {U" ", 0x1FE},
};

// Code of each character of the table; every other byte value has none.
std::map<char32_t, int> titleCodes() {
    std::map<char32_t, int> codes;
    for (const auto& run : kTitleTable)
        for (std::size_t i = 0; i < run.chars.size(); ++i)
            codes[run.chars[i]] = run.first + static_cast<int>(i);
    return codes;
}

TEST(TitleTable, EveryByteHasTheCodeOfTheTableAndEveryCodeItsCharacter) {
    const auto codes = titleCodes();
    ASSERT_EQ(codes.size(), 82u);
    for (int x = 0; x < 256; ++x) {
        const auto byte = static_cast<std::uint8_t>(x);
        const auto it = codes.find(cam::title_char_of_byte(byte));
        const bool inTable = it != codes.end() && (x < 0x80 || x == 0xA1 || x == 0xA2);
        EXPECT_EQ(cam::title_code(byte), inTable ? it->second : -1) << "byte " << x;
    }
    for (const auto& [ch, code] : codes)
        EXPECT_EQ(cam::title_char(static_cast<std::uint16_t>(code)), ch) << "code " << code;
}

TEST(TitleTable, CharactersOfTheSingleByteCodePage) {
    const struct {
        char32_t ch;
        int byte;
    } cases[] = {
        {U'A', 0x41},      {U' ', 0x20},    {U'\x7F', 0x7F}, {U'\uFF61', 0xA1}, {U'\uFF62', 0xA2},
        {U'\uFF9F', 0xDF}, {U'\uFF60', -1}, {U'\uFFA0', -1}, {U'\u00E9', -1},   {U'\u3002', -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cam::title_byte(c.ch), c.byte) << static_cast<unsigned>(c.ch);
        if (c.byte >= 0) {
            EXPECT_EQ(cam::title_char_of_byte(static_cast<std::uint8_t>(c.byte)), c.ch);
        }
    }
}

TEST(TitleTable, UnknownCodeShowsAsSpace) {
    for (std::uint16_t code : {0x104, 0x04A, 0x1FF, 0xFFFF})
        EXPECT_EQ(cam::title_char(code), U' ') << code;
}

TEST(TitleEncode, BlocksOfText) {
    const struct {
        std::u32string text;
        unsigned block;
        TitleCodes codes;
    } cases[] = {
        {U"Ab 1", 0, {0x010, 0x031, 0x1FE, 0x001, 0x1FE}},
        {U"ab", 0, {0x030, 0x031, 0x1FE, 0x1FE, 0x1FE}},
        {U"#!\uFF61\uFF62\u00E9", 0, {0x1FE, 0x1FE, 0x10F, 0x110, 0x1FE}},
        {U"ABCDEFGHIJKLMNOPQRST", 3, {0x01F, 0x020, 0x021, 0x022, 0x023}},
        {U"ABCDEFGHIJKLMNOPQRST", 1, {0x015, 0x016, 0x017, 0x018, 0x019}},
        {U"ABCDEFGHIJKLMNOP", 3, {0x01F, 0x1FE, 0x1FE, 0x1FE, 0x1FE}},
        {U"ABCDEFGHIJKLMNO", 3, {0x1FE, 0x1FE, 0x1FE, 0x1FE, 0x1FE}},
        {U"", 2, {0x1FE, 0x1FE, 0x1FE, 0x1FE, 0x1FE}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cam::title_block_encode(c.text, c.block), c.codes)
            << c.text.size() << "/" << c.block;
}

TEST(TitleDecode, ReplacesOneBlockOfThePaddedText) {
    const TitleCodes abcde = {0x010, 0x011, 0x012, 0x013, 0x014};
    const struct {
        std::u32string text;
        unsigned block;
        TitleCodes codes;
        std::u32string expected;
    } cases[] = {
        {U"12345", 1, abcde, U"12345ABCDE          "},
        {U"", 0, abcde, U"ABCDE               "},
        {U"", 3, abcde, U"               ABCDE"},
        {U"ABCDEFGHIJKLMNOPQRST", 2, {0x000, 0x001, 0x002, 0x003, 0x004}, U"ABCDEFGHIJ01234PQRST"},
        // Characters without a code stay where the block does not reach.
        {U"\u00E9\u00E9\u00E9\u00E9\u00E9\u00E9", 0, abcde, U"ABCDE\u00E9              "},
        // An unknown code shows as a space, not as the previous character.
        {U"", 0, {0x010, 0x104, 0x10F, 0x1FE, 0x110}, U"A \uFF61 \uFF62               "},
        // A longer text is cut to the edit's 20 characters.
        {U"ABCDEFGHIJKLMNOPQRSTUVWX", 0, abcde, U"ABCDEFGHIJKLMNOPQRST"},
        // Past the last block: the five characters alone.
        {U"ABCDEFGHIJ", 4, {0x000, 0x001, 0x002, 0x003, 0x004}, U"01234"},
        {U"ABCDEFGHIJ", 255, abcde, U"ABCDE"},
    };
    for (const auto& c : cases) {
        const auto got = cam::title_block_decode(c.text, c.block, c.codes);
        EXPECT_EQ(got, c.expected) << "block " << c.block;
        if (c.block < cam::kTitleBlocks) {
            EXPECT_EQ(got.size(), cam::kTitleLength);
        }
    }
}

// Every character of the table, five at a time in every block, goes out as
// its own code and comes back as itself.
TEST(TitleDecode, EveryCodeOfTheTableSurvivesTheRoundTrip) {
    const auto codes = titleCodes();
    std::u32string all;
    for (const auto& entry : codes)
        all += entry.first;
    for (std::size_t k = 0; k < all.size(); k += cam::kTitleBlockSize) {
        const std::u32string five = all.substr(k, cam::kTitleBlockSize);
        TitleCodes expected;
        expected.fill(cam::kTitleBlank);
        for (std::size_t i = 0; i < five.size(); ++i)
            expected[i] = static_cast<std::uint16_t>(codes.at(five[i]));
        for (unsigned block = 0; block < cam::kTitleBlocks; ++block) {
            const std::u32string text = std::u32string(5 * block, U'x') + five;
            EXPECT_EQ(cam::title_block_encode(text, block), expected) << k << "/" << block;
            const auto decoded = cam::title_block_decode(U"", block, expected);
            EXPECT_EQ(decoded.substr(5 * block, 5), (five + U"     ").substr(0, 5))
                << k << "/" << block;
        }
    }
}

TEST(TitleWire, CodesTravelHighByteFirst) {
    cam::TxFrame frame{};
    frame[1] = 0x21;
    frame[2] = 0x10;
    frame[3] = 0x01;
    frame[4] = 0x00;
    cam::title_codes_to_payload(frame, cam::title_block_encode(U"Ab 1", 0));
    const std::uint8_t expected[] = {0x21, 0x10, 0x01, 0x00, 0x00, 0x10, 0x00,
                                     0x31, 0x01, 0xFE, 0x00, 0x01, 0x01, 0xFE};
    for (std::size_t i = 0; i < sizeof expected; ++i)
        EXPECT_EQ(frame[i + 1], expected[i]) << i;
    EXPECT_EQ(cam::title_codes_from(frame.data() + 5), cam::title_block_encode(U"Ab 1", 0));
}

} // namespace
