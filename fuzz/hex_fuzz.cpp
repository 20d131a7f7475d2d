// The hexadecimal helpers on arbitrary text: hex_digit, hex_byte and
// hex_value agree with a plain reference; hex2, hex4 and hex_bytes write
// upper-case digits that read back to the value.

#include "fuzz/fuzz_check.h"
#include "link/hex.h"

#include <string>
#include <string_view>

namespace {

int reference_digit(char c) {
    static constexpr char kUpper[] = "0123456789ABCDEF";
    static constexpr char kLower[] = "0123456789abcdef";
    for (int i = 0; i < 16; ++i)
        if (c == kUpper[i] || c == kLower[i]) return i;
    return -1;
}

std::int32_t reference_value(std::string_view text) {
    std::uint32_t value = 0;
    for (char c : text) {
        const int d = reference_digit(c);
        if (d < 0) return -1;
        value = (value << 4) | static_cast<std::uint32_t>(d);
    }
    return static_cast<std::int32_t>(value);
}

bool upper_digits(const std::string& s) {
    for (char c : s)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (char c : text)
        FUZZ_CHECK(cam::hex_digit(c) == reference_digit(c));
    for (std::size_t i = 0; i + 1 < size; ++i) {
        const int h = reference_digit(text[i]), l = reference_digit(text[i + 1]);
        FUZZ_CHECK(cam::hex_byte(text[i], text[i + 1]) == (h < 0 || l < 0 ? -1 : h * 16 + l));
    }
    FUZZ_CHECK(cam::hex_value(text) == reference_value(text));
    for (std::size_t i = 0; i < size; ++i) {
        const std::string_view part = text.substr(i, 9);
        FUZZ_CHECK(cam::hex_value(part) == reference_value(part));
    }

    std::string joined;
    for (std::size_t i = 0; i < size; ++i) {
        const std::string two = cam::hex2(data[i]);
        FUZZ_CHECK(two.size() == 2 && upper_digits(two));
        FUZZ_CHECK(cam::hex_byte(two[0], two[1]) == data[i]);
        joined += two;
        if (i + 1 < size) {
            const auto word = static_cast<std::uint16_t>(data[i] << 8 | data[i + 1]);
            const std::string four = cam::hex4(word);
            FUZZ_CHECK(four.size() == 4 && upper_digits(four));
            FUZZ_CHECK(cam::hex_value(four) == word);
        }
    }
    FUZZ_CHECK(cam::hex_bytes(data, size) == joined);
    return 0;
}
