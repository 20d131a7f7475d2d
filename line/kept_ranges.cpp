#include "line/kept_ranges.h"

#include <charconv>
#include <cstdio>

namespace cam {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

enum class Number { Ok, Junk, TooLarge };

// A word address: 0x1F / 0X1F or 31. Signs, blanks and a bare "0x" are junk
// (from_chars takes no sign for an unsigned number).
Number parseAddress(std::string_view text, int* address) {
    int base = 10;
    if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    unsigned long long value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value, base);
    if (result.ptr != end) return Number::Junk;
    if (result.ec == std::errc::result_out_of_range || value > kLastEepromWord)
        return Number::TooLarge;
    if (result.ec != std::errc()) return Number::Junk;
    *address = static_cast<int>(value);
    return Number::Ok;
}

std::string hex(int address) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%03X", static_cast<unsigned>(address));
    return text;
}

} // namespace

bool ParseKeptRanges(std::string_view text, std::vector<KeptRange>* ranges, std::string* error) {
    std::vector<KeptRange> parsed;
    const auto fail = [&](std::string_view item, const std::string& why) {
        if (error) *error = "\"" + std::string(item) + "\": " + why;
        return false;
    };
    std::size_t start = 0;
    for (int number = 1;; ++number) {
        const auto comma = text.find(',', start);
        const std::string_view item = trimmed(text.substr(start, comma - start));
        if (item.empty()) {
            if (error)
                *error =
                    "item " + std::to_string(number) + " of \"" + std::string(text) + "\" is empty";
            return false;
        }
        const auto dash = item.find('-');
        const std::string_view bounds[] = {
            trimmed(item.substr(0, dash)),
            dash == std::string_view::npos ? item : trimmed(item.substr(dash + 1))};
        int values[2] = {0, 0};
        for (int i = 0; i < 2; ++i) {
            switch (parseAddress(bounds[i], &values[i])) {
            case Number::Ok:
                break;
            case Number::Junk:
                return fail(item, "not a word address or range (e.g. 0x100-0x13F)");
            case Number::TooLarge:
                return fail(item, "past the last word " + hex(kLastEepromWord));
            }
        }
        if (values[0] > values[1]) return fail(item, "the first word comes after the last");
        parsed.push_back({values[0], values[1]});
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    ranges->insert(ranges->end(), parsed.begin(), parsed.end());
    return true;
}

bool Kept(const std::vector<KeptRange>& ranges, int address) {
    for (const KeptRange& range : ranges)
        if (address >= range.first && address <= range.last) return true;
    return false;
}

std::string FormatKeptRanges(const std::vector<KeptRange>& ranges) {
    std::string text;
    for (const KeptRange& range : ranges) {
        if (!text.empty()) text += ',';
        text += hex(range.first);
        if (range.last != range.first) text += '-' + hex(range.last);
    }
    return text;
}

} // namespace cam
