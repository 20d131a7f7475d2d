#include "sim/title_codes.h"

namespace camsim {

int TitleCodeOf(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'Z') return 0x010 + (c - 'A');
    if (c >= 'a' && c <= 'z') return 0x030 + (c - 'a');
    switch (c) {
    case ':':
        return 0x100;
    case ';':
        return 0x101;
    case '\'':
        return 0x102;
    case '"':
        return 0x103;
    case '.':
        return 0x105;
    case ',':
        return 0x106;
    case '<':
        return 0x107;
    case '>':
        return 0x108;
    case '(':
        return 0x109;
    case ')':
        return 0x10A;
    case '[':
        return 0x10B;
    case ']':
        return 0x10C;
    case '{':
        return 0x10D;
    case '}':
        return 0x10E;
    case 0xA1:
        return 0x10F; // half-width full stop
    case 0xA2:
        return 0x110; // half-width opening corner bracket
    case '/':
        return 0x117;
    case '-':
        return 0x120;
    case '*':
        return 0x126;
    case ' ':
        return kTitleBlank;
    default:
        return -1;
    }
}

int TitleCharOf(std::uint16_t code) {
    for (int c = 0; c < 256; ++c)
        if (TitleCodeOf(static_cast<unsigned char>(c)) == code) return c;
    return -1;
}

std::uint16_t TitleCodeTaken(std::uint16_t code) {
    return TitleCharOf(code) < 0 ? kTitleBlank : code;
}

TitleCodes TitleCodesOf(std::string_view text) {
    TitleCodes codes;
    codes.fill(kTitleBlank);
    for (std::size_t i = 0; i < codes.size() && i < text.size(); ++i) {
        const int code = TitleCodeOf(static_cast<unsigned char>(text[i]));
        if (code >= 0) codes[i] = static_cast<std::uint16_t>(code);
    }
    return codes;
}

std::string TitleTextOf(const TitleCodes& codes) {
    std::string text;
    for (std::uint16_t code : codes) {
        const int c = TitleCharOf(code);
        text.push_back(c < 0 ? ' ' : static_cast<char>(c));
    }
    return text;
}

} // namespace camsim
