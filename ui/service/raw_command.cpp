#include "ui/service/raw_command.h"

#include "link/hex.h"

namespace cam {

namespace {
// A Japanese input method types full-width forms: its digits, letters and
// punctuation are read as their ASCII twins, its blank and the ideographic
// comma and full stop as blanks.
char16_t narrow(char16_t c) {
    if (c >= 0xFF01 && c <= 0xFF5E) return static_cast<char16_t>(c - 0xFEE0);
    if (c == 0x3000 || c == 0x3001 || c == 0x3002) return u' ';
    return c;
}
// Anything that is neither a letter nor a digit separates bytes ("31-0A-01",
// "31:0A:01", "31 0A 01"); a letter that is no hexadecimal digit is refused.
bool separator(char16_t c) {
    const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    const bool number = c >= u'0' && c <= u'9';
    return c < 0x80 && !letter && !number;
}
int digit(char16_t c) {
    return c < 0x80 ? hex_digit(static_cast<char>(c)) : -1;
}
} // namespace

RawCommand parse_raw_command(std::u16string_view text) {
    RawCommand out;
    int pending = -1; // a first digit waiting for its second
    auto push = [&out](int value) {
        if (out.count == static_cast<int>(kPayloadSize)) {
            out.error = RawCommand::Error::TooLong;
            return;
        }
        out.bytes[static_cast<std::size_t>(out.count++)] = static_cast<std::uint8_t>(value);
    };
    for (std::size_t i = 0; i < text.size() && out.error == RawCommand::Error::None; ++i) {
        const char16_t c = narrow(text[i]);
        const int d = digit(c);
        if (d >= 0) {
            if (pending < 0) {
                pending = d;
            } else {
                push(pending * 16 + d);
                pending = -1;
            }
        } else if (separator(c)) {
            if (pending >= 0) push(pending);
            pending = -1;
        } else {
            out.error = RawCommand::Error::NotHex;
            out.badIndex = i;
        }
    }
    if (out.error == RawCommand::Error::None && pending >= 0) push(pending);
    if (out.error == RawCommand::Error::None && out.count == 0)
        out.error = RawCommand::Error::Empty;
    return out;
}

} // namespace cam
