#include "transactions/title_codec.h"

namespace cam {

namespace {

constexpr std::array<std::int16_t, 256> make_table() {
    std::array<std::int16_t, 256> t{};
    for (auto& e : t)
        e = -1;
    for (int i = 0; i < 10; ++i)
        t['0' + i] = static_cast<std::int16_t>(0x000 + i);
    for (int i = 0; i < 26; ++i)
        t['A' + i] = static_cast<std::int16_t>(0x010 + i);
    for (int i = 0; i < 26; ++i)
        t['a' + i] = static_cast<std::int16_t>(0x030 + i);
    t[':'] = 0x100;
    t[';'] = 0x101;
    t['\''] = 0x102;
    t['"'] = 0x103;
    t['.'] = 0x105;
    t[','] = 0x106;
    t['<'] = 0x107;
    t['>'] = 0x108;
    t['('] = 0x109;
    t[')'] = 0x10A;
    t['['] = 0x10B;
    t[']'] = 0x10C;
    t['{'] = 0x10D;
    t['}'] = 0x10E;
    t[0xA1] = 0x10F; // half-width ideographic full stop
    t[0xA2] = 0x110; // half-width left corner bracket
    t['/'] = 0x117;
    t['-'] = 0x120;
    t['*'] = 0x126;
    t[' '] = 0x1FE;
    return t;
}

constexpr std::array<std::int16_t, 256> kTable = make_table();

constexpr char32_t kHalfWidthFirst = 0xFF61; // byte 0xA1
constexpr char32_t kHalfWidthLast = 0xFF9F;  // byte 0xDF

} // namespace

std::int16_t title_code(std::uint8_t byte) {
    return kTable[byte];
}

int title_byte(char32_t ch) {
    if (ch < 0x80) return static_cast<int>(ch);
    if (ch >= kHalfWidthFirst && ch <= kHalfWidthLast)
        return 0xA1 + static_cast<int>(ch - kHalfWidthFirst);
    return -1;
}

char32_t title_char_of_byte(std::uint8_t byte) {
    if (byte >= 0xA1 && byte <= 0xDF) return kHalfWidthFirst + (byte - 0xA1u);
    return byte;
}

char32_t title_char(std::uint16_t code) {
    // Compared as plain numbers: 0xFFFF is not the table's "no code" (-1).
    for (int x = 0; x < 256; ++x)
        if (kTable[static_cast<std::size_t>(x)] == static_cast<int>(code))
            return title_char_of_byte(static_cast<std::uint8_t>(x));
    return U' ';
}

TitleCodes title_block_encode(std::u32string_view text, unsigned block) {
    TitleCodes codes{};
    for (std::size_t i = 0; i < kTitleBlockSize; ++i) {
        const std::size_t p = block * kTitleBlockSize + i; // 0-based position
        std::int16_t code = -1;
        if (p < text.size()) {
            const int byte = title_byte(text[p]);
            if (byte >= 0) code = title_code(static_cast<std::uint8_t>(byte));
        }
        codes[i] = code < 0 ? kTitleBlank : static_cast<std::uint16_t>(code);
    }
    return codes;
}

std::u32string title_block_decode(std::u32string_view text, unsigned block,
                                  const TitleCodes& codes) {
    std::u32string decoded;
    for (auto code : codes)
        decoded += title_char(code);
    if (block >= kTitleBlocks) return decoded;

    std::u32string padded(text);
    if (padded.size() < kTitleLength) padded.resize(kTitleLength, U' ');
    const std::size_t start = block * kTitleBlockSize;
    std::u32string result = padded.substr(0, start) + decoded;
    result += padded.substr(start + kTitleBlockSize, kTitleLength - start - kTitleBlockSize);
    return result;
}

TitleCodes title_codes_from(const std::uint8_t* bytes) {
    TitleCodes codes{};
    for (std::size_t i = 0; i < kTitleBlockSize; ++i)
        codes[i] = static_cast<std::uint16_t>(bytes[2 * i] << 8 | bytes[2 * i + 1]);
    return codes;
}

void title_codes_to_payload(TxFrame& frame, const TitleCodes& codes) {
    for (std::size_t i = 0; i < kTitleBlockSize; ++i) {
        frame[5 + 2 * i] = static_cast<std::uint8_t>(codes[i] >> 8);
        frame[6 + 2 * i] = static_cast<std::uint8_t>(codes[i]);
    }
}

} // namespace cam
