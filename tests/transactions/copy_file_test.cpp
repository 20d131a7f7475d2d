// The copy file: all words written and read back both ways, and what the
// readers refuse.

#include "transactions/copy_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::uint16_t pattern(int a) {
    return a == 3 ? 0xFFFF : static_cast<std::uint16_t>(a * 0x9E37 ^ 0x5AA5);
}

std::string camera_file() {
    std::vector<std::int32_t> words;
    for (int a = 0; a < 1024; ++a)
        words.push_back(pattern(a));
    std::string text;
    EXPECT_TRUE(cam::copy_file_text(words, &text, nullptr));
    return text;
}

TEST(CopyFile, AllWordsRoundTrip) {
    const std::string text = camera_file();
    ASSERT_EQ(text.size(), 32768u);
    for (int a = 0; a < 1023; ++a) {
        char line[33];
        std::snprintf(line, sizeof line, "210C%04X%04X000000000000000000\r\n", a, pattern(a));
        ASSERT_EQ(text.substr(static_cast<std::size_t>(32 * a), 32), line) << a;
    }
    EXPECT_EQ(text.substr(32 * 1023), "F1" + std::string(28, '0') + "\r\n");

    cam::CopyImage image;
    std::string error;
    ASSERT_TRUE(cam::read_copy_image(text, &image, &error)) << error;
    for (int a = 0; a < 1023; ++a) {
        const auto n = static_cast<std::size_t>(2 * a);
        ASSERT_TRUE(image.set.test(n) && image.set.test(n + 1)) << a;
        ASSERT_EQ(image.bytes[n] | image.bytes[n + 1] << 8, pattern(a)) << a;
    }
    EXPECT_FALSE(image.set.test(2046) || image.set.test(2047)); // word 0x3FF is not in the file

    std::vector<cam::CopyRecord> records;
    ASSERT_TRUE(cam::parse_command_records(text, &records, &error)) << error;
    ASSERT_EQ(records.size(), 1024u);
    EXPECT_EQ(records[1023].payload, cam::end_record_payload());
    EXPECT_EQ(records[1023].end, 32768u);
}

TEST(CopyFile, ReaderRules) {
    const std::string full = camera_file();
    const struct {
        const char* what;
        bool image; // read as the batch image, else line by line
        std::string text;
        const char* error; // nullptr: accepted
    } cases[] = {
        {"lower case, LF only, empty lines", false, "\n210c0005ab\n\r\n310C0005\r\n", nullptr},
        {"the end-of-file mark ends the file", true, full + "\x1A\r\n210C0005XX\r\n", nullptr},
        {"other classes are skipped", true, "310C0005\r\n" + full + "F1\r\n", nullptr},
        {"odd digits", false, "210C0005123\r\n", "line 1"},
        {"more than 15 bytes", false, "21" + std::string(30, '0') + "\r\n", "line 1"},
        {"a word missing", true, full.substr(0, 32 * 5) + full.substr(32 * 6), "0x0005"},
        {"a register write", true, full + "210A2B00001234\r\n", "line 1025"},
        {"a record without its word", true, full + "210C0005\r\n", "line 1025"},
        {"an address past the EEPROM", true, full + "210C04000000\r\n", "0x0400"},
        {"the preset entry", false, "212000\r\n210C00000000\r\n", "line 1"},
        // Characters are named before the length is looked at.
        {"a byte-order mark", true, "\xEF\xBB\xBF" + full,
         "line 1: character 0xEF is not a hexadecimal digit (column 1)"},
        {"a trailing blank", false, "210C0005123400000000000000000 0\r\n",
         "line 1: character 0x20 is not a hexadecimal digit (column 30)"},
        {"CR CR LF", true, full.substr(0, 62) + "\r\r\n" + full.substr(64),
         "line 2: character 0x0D is not a hexadecimal digit (column 31)"},
        {"binary data", false, std::string("210C00051234\r\n210C") + '\0' + "\x05\r\n",
         "line 2: character 0x00 is not a hexadecimal digit (column 5)"},
        {"a letter", true, "210C0000ZZ\r\n" + full,
         "line 1: character 'Z' (0x5A) is not a hexadecimal digit (column 9)"},
        {"32 digits", false, "21" + std::string(30, '0') + "\r\n",
         "line 1: more than 30 hexadecimal digits (32)"},
        // A last line without its line end is a line; one cut inside its word is not.
        {"no line end after the last line", false, "210C00051234\r\n210c0006abcd", nullptr},
        {"a CR alone after the last line", false, "210C00051234\r\n210C00061234\r", nullptr},
        {"a whole file without the last line end", true, full.substr(0, full.size() - 2), nullptr},
        {"cut inside the last word", false, "210C00051234\r\n210C0006AB",
         "line 2: the last line has no line end and its EEPROM word record no whole word"},
        {"cut inside the last address", true, full + "210C03", "line 1025: the last line"},
        {"other commands may end short", false, "210C00051234\r\n310A2B", nullptr},
    };
    for (const auto& c : cases) {
        std::string error;
        cam::CopyImage image;
        std::vector<cam::CopyRecord> records;
        const bool ok = c.image ? cam::read_copy_image(c.text, &image, &error)
                                : cam::parse_command_records(c.text, &records, &error);
        EXPECT_EQ(ok, c.error == nullptr) << c.what << ": " << error;
        if (c.error) {
            EXPECT_NE(error.find(c.error), std::string::npos) << c.what << ": " << error;
        }
    }

    // The last line without its line end reads as the same record.
    std::vector<cam::CopyRecord> records;
    ASSERT_TRUE(cam::parse_command_records("210C00051234\n210c0006abcd", &records, nullptr));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].count, 6);
    EXPECT_EQ(records[1].end, 25u); // the whole file
    EXPECT_EQ(records[1].payload, cam::eeprom_write_payload(6, 0xABCD));

    // A later record for an address replaces the earlier one; word 0x3FF may be given.
    cam::CopyImage image;
    ASSERT_TRUE(cam::read_copy_image(full + "210C00050102\r\n210C03FFBEEF\r\n", &image, nullptr));
    EXPECT_EQ(image.bytes[10] | image.bytes[11] << 8, 0x0102);
    EXPECT_EQ(image.bytes[2046] | image.bytes[2047] << 8, 0xBEEF);
}

} // namespace
