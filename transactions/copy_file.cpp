#include "transactions/copy_file.h"

#include <vector>

namespace cam {

namespace {

std::string hex_address(int address) {
    return "0x" + hex4(static_cast<std::uint16_t>(address));
}

} // namespace

Payload eeprom_write_payload(std::uint16_t address, std::uint16_t word) {
    Payload p{};
    p[0] = kWriteClass;
    p[1] = kEepromWordCode;
    p[2] = static_cast<std::uint8_t>(address >> 8);
    p[3] = static_cast<std::uint8_t>(address);
    p[4] = static_cast<std::uint8_t>(word >> 8);
    p[5] = static_cast<std::uint8_t>(word);
    return p;
}

Payload end_record_payload() {
    Payload p{};
    p[0] = kResetClass;
    return p;
}

std::string copy_record_text(const Payload& payload) {
    std::string record = hex_bytes(payload.data(), payload.size());
    record += "\r\n";
    return record;
}

bool copy_file_text(std::span<const std::int32_t> words, std::string* text, std::string* error) {
    if (words.size() < static_cast<std::size_t>(kCopyDataRecords)) {
        if (error) *error = "fewer than 1023 words";
        return false;
    }
    std::string out;
    out.reserve(kCopyFileSize);
    for (int a = 0; a < kCopyDataRecords; ++a) {
        const std::int32_t word = words[static_cast<std::size_t>(a)];
        if (word < 0 || word > 0xFFFF) {
            if (error) *error = "the word at address " + hex_address(a) + " was not read";
            return false;
        }
        out += copy_record_text(
            eeprom_write_payload(static_cast<std::uint16_t>(a), static_cast<std::uint16_t>(word)));
    }
    out += copy_record_text(end_record_payload());
    *text = std::move(out);
    return true;
}

bool read_copy_image(std::string_view text, CopyImage* image, std::string* error) {
    std::vector<CopyRecord> records;
    if (!parse_copy_lines(text, &records, error)) return false;
    CopyImage out;
    for (const CopyRecord& r : records) {
        if (r.payload[0] != kWriteClass) continue;
        const auto fail = [&](const std::string& why) {
            if (error) *error = "line " + std::to_string(r.line) + ": " + why;
            return false;
        };
        if (r.payload[1] != kEepromWordCode) return fail("not an EEPROM word record");
        if (r.count < 6) return fail("the EEPROM word record has no address and word");
        const int address = r.payload[2] << 8 | r.payload[3];
        if (address >= kEepromWordCount)
            return fail("address " + hex_address(address) + " is past the EEPROM");
        const auto n = static_cast<std::size_t>(2 * address);
        out.bytes[n] = r.payload[5];
        out.bytes[n + 1] = r.payload[4];
        out.set.set(n);
        out.set.set(n + 1);
    }
    for (int a = 0; a < kCopyDataRecords; ++a) {
        if (!out.set.test(static_cast<std::size_t>(2 * a))) {
            if (error)
                *error = "no word for address " + hex_address(a) + ": the file is incomplete";
            return false;
        }
    }
    *image = out;
    return true;
}

bool read_copy_words(std::string_view text, std::array<std::int32_t, kEepromWordCount>* words,
                     std::string* error) {
    std::vector<CopyRecord> records;
    if (!parse_copy_lines(text, &records, error)) return false;
    std::array<std::int32_t, kEepromWordCount> out;
    out.fill(-1);
    bool any = false;
    for (const CopyRecord& r : records) {
        const bool word = r.payload[0] == kWriteClass && r.count >= 6 &&
                          (r.payload[1] == kEepromWordCode || r.payload[1] == 0x0F);
        const int address = r.payload[2] << 8 | r.payload[3];
        if (!word || address >= kEepromWordCount) continue;
        out[static_cast<std::size_t>(address)] = r.payload[4] << 8 | r.payload[5];
        any = true;
    }
    if (!any) {
        if (error) *error = "the file writes no EEPROM word";
        return false;
    }
    *words = out;
    return true;
}

} // namespace cam
