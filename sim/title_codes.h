#pragma once
// The camera's title character generator: which 16-bit codes it can show and
// the single-byte character each stands for.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace camsim {

inline constexpr std::uint16_t kTitleBlank = 0x1FE;
inline constexpr int kTitleLength = 20;
using TitleCodes = std::array<std::uint16_t, kTitleLength>;

// Code of character c, or -1 when the camera has no such character.
int TitleCodeOf(unsigned char c);
// Character shown for a code, or -1 for a code the camera does not know.
int TitleCharOf(std::uint16_t code);
// The code as the camera stores it: unknown codes become the blank.
std::uint16_t TitleCodeTaken(std::uint16_t code);
// Text as codes, padded with blanks to 20; characters without a code are blanks.
TitleCodes TitleCodesOf(std::string_view text);
// The 20 characters the codes show.
std::string TitleTextOf(const TitleCodes& codes);

} // namespace camsim
