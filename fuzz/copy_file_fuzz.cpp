// The copy file readers on arbitrary files.
// - parse_copy_lines: accepted records are well formed and read back the same
//   when written again, as the writer writes them (15 bytes, CR LF) and as
//   short lines (count bytes, LF);
// - parse_command_records: accepted files keep the reset last and hold no
//   preset entry, and read back the same when written again;
// - read_copy_image: an accepted image holds, for every address, the word of
//   the file's last record for it; written with copy_file_text it reads back
//   to the same words 0x0000..0x03FE. The input is read on its own and after a
//   complete file, so that later records replacing earlier ones are reached.

#include "fuzz/fuzz_check.h"
#include "link/hex.h"
#include "transactions/copy_file.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace {

using cam::CopyRecord;

void check_well_formed(std::string_view text, const std::vector<CopyRecord>& records) {
    int line = 0;
    std::size_t end = 0;
    for (const CopyRecord& r : records) {
        FUZZ_CHECK(r.count >= 1 && r.count <= static_cast<int>(cam::kPayloadSize));
        for (std::size_t i = static_cast<std::size_t>(r.count); i < r.payload.size(); ++i)
            FUZZ_CHECK(r.payload[i] == 0);
        FUZZ_CHECK(r.line > line && r.end > end && r.end <= text.size());
        FUZZ_CHECK(text[r.end - 1] == '\n' || r.end == text.size()); // the last may lack it
        line = r.line;
        end = r.end;
    }
}

void check_same_payloads(const std::vector<CopyRecord>& a, const std::vector<CopyRecord>& b) {
    FUZZ_CHECK(a.size() == b.size());
    for (std::size_t i = 0; i < a.size(); ++i)
        FUZZ_CHECK(a[i].payload == b[i].payload);
}

std::string written_text(const std::vector<CopyRecord>& records) {
    std::string out;
    for (const CopyRecord& r : records)
        out += cam::copy_record_text(r.payload);
    return out;
}

std::string short_text(const std::vector<CopyRecord>& records) {
    std::string out;
    for (const CopyRecord& r : records)
        out += cam::hex_bytes(r.payload.data(), static_cast<std::size_t>(r.count)) + "\n";
    return out;
}

void check_lines(std::string_view text) {
    std::vector<CopyRecord> records;
    std::string error;
    if (!cam::parse_copy_lines(text, &records, &error)) {
        FUZZ_CHECK(error.rfind("line ", 0) == 0);
        return;
    }
    check_well_formed(text, records);

    std::vector<CopyRecord> again;
    FUZZ_CHECK(cam::parse_copy_lines(written_text(records), &again, nullptr));
    check_same_payloads(records, again);
    for (const CopyRecord& r : again)
        FUZZ_CHECK(r.count == static_cast<int>(cam::kPayloadSize));

    again.clear();
    FUZZ_CHECK(cam::parse_copy_lines(short_text(records), &again, nullptr));
    check_same_payloads(records, again);
    for (std::size_t i = 0; i < records.size(); ++i)
        FUZZ_CHECK(again[i].count == records[i].count);
}

void check_commands(std::string_view text) {
    std::vector<CopyRecord> records;
    std::string error;
    if (!cam::parse_command_records(text, &records, &error)) {
        FUZZ_CHECK(!error.empty());
        FUZZ_CHECK(records.empty());
        return;
    }
    FUZZ_CHECK(!records.empty());
    std::vector<CopyRecord> lines;
    FUZZ_CHECK(cam::parse_copy_lines(text, &lines, nullptr));
    check_same_payloads(records, lines);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const cam::Payload& p = records[i].payload;
        if (p[0] == cam::kResetClass) FUZZ_CHECK(i + 1 == records.size());
        FUZZ_CHECK(!(p[0] == cam::kWriteClass && p[1] == 0x20 && p[2] == 0x00));
    }
    std::vector<CopyRecord> again;
    FUZZ_CHECK(cam::parse_command_records(written_text(records), &again, nullptr));
    check_same_payloads(records, again);
}

void check_image(std::string_view text) {
    cam::CopyImage image;
    std::string error;
    if (!cam::read_copy_image(text, &image, &error)) {
        FUZZ_CHECK(!error.empty());
        return;
    }
    // What the file says, record by record: the last word for an address counts.
    std::vector<CopyRecord> records;
    FUZZ_CHECK(cam::parse_copy_lines(text, &records, nullptr));
    std::array<std::int32_t, cam::kEepromWordCount> words;
    words.fill(-1);
    for (const CopyRecord& r : records) {
        if (r.payload[0] != cam::kWriteClass) continue;
        FUZZ_CHECK(r.payload[1] == cam::kEepromWordCode && r.count >= 6);
        const int address = r.payload[2] << 8 | r.payload[3];
        FUZZ_CHECK(address < cam::kEepromWordCount);
        words[static_cast<std::size_t>(address)] = r.payload[4] << 8 | r.payload[5];
    }
    for (std::size_t a = 0; a < words.size(); ++a) {
        const bool given = words[a] >= 0;
        FUZZ_CHECK(image.set.test(2 * a) == given && image.set.test(2 * a + 1) == given);
        if (a < static_cast<std::size_t>(cam::kCopyDataRecords)) FUZZ_CHECK(given);
        if (given) {
            FUZZ_CHECK(image.bytes[2 * a] == (words[a] & 0xFF));
            FUZZ_CHECK(image.bytes[2 * a + 1] == (words[a] >> 8));
        }
    }

    std::string file;
    FUZZ_CHECK(cam::copy_file_text(words, &file, &error));
    FUZZ_CHECK(file.size() == cam::kCopyFileSize);
    cam::CopyImage again;
    FUZZ_CHECK(cam::read_copy_image(file, &again, &error));
    const std::size_t kept = 2 * static_cast<std::size_t>(cam::kCopyDataRecords);
    for (std::size_t n = 0; n < kept; ++n)
        FUZZ_CHECK(again.set.test(n) && again.bytes[n] == image.bytes[n]);
    for (std::size_t n = kept; n < again.set.size(); ++n)
        FUZZ_CHECK(!again.set.test(n));
}

const std::string& complete_file() {
    static const std::string text = [] {
        std::vector<std::int32_t> words(cam::kEepromWordCount);
        for (std::size_t a = 0; a < words.size(); ++a)
            words[a] = static_cast<std::int32_t>((a * 0x9E37u + 0x1234u) & 0xFFFFu);
        std::string out;
        FUZZ_CHECK(cam::copy_file_text(words, &out, nullptr));
        return out;
    }();
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    check_lines(text);
    check_commands(text);
    check_image(text);
    check_image(complete_file() + std::string(text));
    return 0;
}
