#pragma once
// The copy file that "Camera->PC" writes and the two PC->Camera copies read.
//
// Written: 1023 data records for the EEPROM words 0x0000..0x03FE in
// ascending order (word 0x03FF is read but not kept), then the end record;
// 32 bytes each (30 upper-case hexadecimal digits, CR, LF), 32 768 bytes in
// all. Data record: 21 0C, address high, low, word high, low, nine 00.
// End record: F1 and fourteen 00 (the camera reset).
//
// Read line by line (the single copy): see parse_command_records.
// Read as an image (the batch copy): see read_copy_image.

#include "transactions/copy_records.h"

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace cam {

inline constexpr int kEepromWordCount = 1024;
inline constexpr int kCopyDataRecords = 1023; // the last word is not written
inline constexpr std::size_t kCopyRecordSize = 32;
inline constexpr std::size_t kCopyFileSize = kCopyRecordSize * (kCopyDataRecords + 1);
inline constexpr std::uint8_t kEepromWordCode = 0x0C;

// Payload of the EEPROM word write 21 0C a_hi a_lo w_hi w_lo.
Payload eeprom_write_payload(std::uint16_t address, std::uint16_t word);
// Payload of the end record: F1 alone.
Payload end_record_payload();
// One record as written: 30 upper-case digits and CR LF.
std::string copy_record_text(const Payload& payload);

// The whole file for the EEPROM words read by "Camera->PC": `words` holds
// entry a = word at address a, for a = 0..1022 at least. An entry outside
// 0..0xFFFF (a word the camera never sent, marked -1 before the copy) makes
// the copy incomplete: false with the address named in `error`, no text.
bool copy_file_text(std::span<const std::int32_t> words, std::string* text, std::string* error);

// The 2048-byte image of the batch copy: byte 2a is the low and byte 2a+1 the
// high byte of the word at address a. `set` tells the bytes that the file
// gave; the others keep what the data table held.
struct CopyImage {
    std::array<std::uint8_t, kBulkDataSize> bytes{};
    std::bitset<kBulkDataSize> set;
};

// Reads a file as an image. Besides the line rules (parse_copy_lines):
// - records of class 0x21 are EEPROM word writes 21 0C with address and word
//   (at least 6 bytes) and an address below 1024; anything else of class 0x21
//   is refused, since the image would carry it as a word;
// - records of any other class (the end record among them) are skipped;
// - every address 0x0000..0x03FE must be given: a partial image would send
//   whatever the data table held as EEPROM contents.
// A later record for the same address replaces an earlier one.
bool read_copy_image(std::string_view text, CopyImage* image, std::string* error);

// The EEPROM words a file writes, for comparing them with a camera: entry a
// is the word of the file's last record 21 0C / 21 0F for address a (with
// address and word), -1 where the file writes none. Other lines are skipped.
// False on a line fault or when the file writes no word at all.
bool read_copy_words(std::string_view text, std::array<std::int32_t, kEepromWordCount>* words,
                     std::string* error);

} // namespace cam
