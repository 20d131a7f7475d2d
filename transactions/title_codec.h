#pragma once
// The camera's title text: 20 characters that travel as four blocks of five
// 16-bit character codes. Characters are those of the Japanese single-byte
// code page: ASCII plus the half-width katakana and punctuation at bytes
// 0xA1..0xDF (U+FF61..U+FF9F). Texts are handled as code points so that a
// character the camera cannot show survives in positions a block leaves alone.

#include "link/frames.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace cam {

inline constexpr std::size_t kTitleLength = 20;   // characters of the title edit
inline constexpr std::size_t kTitleBlockSize = 5; // characters per block
inline constexpr unsigned kTitleBlocks = 4;
inline constexpr std::uint16_t kTitleBlank = 0x1FE; // the camera's space

using TitleCodes = std::array<std::uint16_t, kTitleBlockSize>;

// The camera's code of the character with the single-byte value `byte`, or -1.
std::int16_t title_code(std::uint8_t byte);
// The single-byte value of a character, or -1 when the code page has none.
int title_byte(char32_t ch);
// The character a single-byte value stands for (ASCII, or U+FF61.. for 0xA1..0xDF).
char32_t title_char_of_byte(std::uint8_t byte);
// The character a camera code stands for: the one with the lowest byte value
// whose code it is. A code the table lacks shows as a space.
char32_t title_char(std::uint16_t code);

// The five codes of block `block` of `text`: positions past the end of the
// text and characters without a code become the blank 0x1FE.
TitleCodes title_block_encode(std::u32string_view text, unsigned block);
// `text` with block `block` replaced by the decoded codes: the text is padded
// with spaces to 20 characters first and the result is 20 characters. A block
// number above 3 gives the five decoded characters alone.
std::u32string title_block_decode(std::u32string_view text, unsigned block,
                                  const TitleCodes& codes);

// Five codes, high byte first, from ten consecutive bytes.
TitleCodes title_codes_from(const std::uint8_t* bytes);
// Writes five codes, high byte first, into payload bytes 5..14 of a frame.
void title_codes_to_payload(TxFrame& frame, const TitleCodes& codes);

} // namespace cam
