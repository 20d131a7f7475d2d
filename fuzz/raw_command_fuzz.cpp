// The Debug tab's typed command (parse_raw_command) on arbitrary text.
// Input byte 0 chooses how the rest becomes UTF-16 text: odd, as UTF-16LE
// code units; even, one character per byte. The result must agree with a
// plain reference tokenizer, never hold more than 15 bytes, and keep the
// bytes after `count` zero.

#include "fuzz/fuzz_check.h"
#include "ui/service/raw_command.h"

#include <string>
#include <vector>

namespace {

using Error = cam::RawCommand::Error;

struct Expected {
    Error error = Error::None;
    std::size_t badIndex = 0;
    std::vector<std::uint8_t> bytes;
};

int ascii_digit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

// Any ASCII character that is neither a letter nor a digit separates bytes.
bool separates(char16_t c) {
    const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    return c < 0x80 && !letter && !(c >= u'0' && c <= u'9');
}

// The full-width forms an input method types stand for their ASCII twins;
// its blank and the ideographic comma and full stop for a blank.
char16_t ascii(char16_t c) {
    if (c >= 0xFF01 && c <= 0xFF5E) return static_cast<char16_t>(c - 0xFF01 + u'!');
    return c == 0x3000 || c == 0x3001 || c == 0x3002 ? u' ' : c;
}

// Runs of digits split by separators; each run gives a byte per
// two digits and a byte of its own for an odd last digit. A character that is
// none of these refuses the text, unless more than 15 bytes came before it.
Expected reference(std::u16string_view text) {
    Expected out;
    std::vector<int> run;
    const auto flush = [&](bool withOddDigit) {
        for (std::size_t i = 0; i < run.size(); i += 2) {
            if (i + 1 < run.size())
                out.bytes.push_back(static_cast<std::uint8_t>(run[i] * 16 + run[i + 1]));
            else if (withOddDigit)
                out.bytes.push_back(static_cast<std::uint8_t>(run[i]));
        }
        run.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = ascii(text[i]);
        if (ascii_digit(c) >= 0) {
            run.push_back(ascii_digit(c));
        } else if (separates(c)) {
            flush(true);
        } else {
            flush(false);
            if (out.bytes.size() > cam::kPayloadSize) {
                out.error = Error::TooLong;
            } else {
                out.error = Error::NotHex;
                out.badIndex = i;
            }
            return out;
        }
    }
    flush(true);
    if (out.bytes.size() > cam::kPayloadSize)
        out.error = Error::TooLong;
    else if (out.bytes.empty())
        out.error = Error::Empty;
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::u16string text;
    if (data[0] & 1) {
        for (std::size_t i = 1; i + 1 < size; i += 2)
            text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    } else {
        for (std::size_t i = 1; i < size; ++i)
            text.push_back(static_cast<char16_t>(data[i]));
    }
    const cam::RawCommand got = cam::parse_raw_command(text);
    const Expected want = reference(text);

    FUZZ_CHECK(got.count >= 0 && got.count <= static_cast<int>(cam::kPayloadSize));
    for (std::size_t i = static_cast<std::size_t>(got.count); i < got.bytes.size(); ++i)
        FUZZ_CHECK(got.bytes[i] == 0);
    FUZZ_CHECK(got.error == want.error);
    if (got.error == Error::NotHex) {
        FUZZ_CHECK(got.badIndex == want.badIndex && got.badIndex < text.size());
    }
    if (got.error == Error::None) {
        FUZZ_CHECK(got.count >= 1);
        FUZZ_CHECK(static_cast<std::size_t>(got.count) == want.bytes.size());
        for (std::size_t i = 0; i < want.bytes.size(); ++i)
            FUZZ_CHECK(got.bytes[i] == want.bytes[i]);
    }
    return 0;
}
