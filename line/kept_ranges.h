#pragma once
// The EEPROM words a clone keeps from each camera's own backup instead of
// taking them from the golden file, as given with --keep:
// "0x100-0x13F,0x3F0-0x3FF" (addresses in hexadecimal with 0x or decimal,
// single addresses or first-last, blanks around items allowed).

#include <string>
#include <string_view>
#include <vector>

namespace cam {

inline constexpr int kLastEepromWord = 0x3FF;

struct KeptRange {
    int first;
    int last; // inclusive
};

// Appends the ranges of `text` to `ranges` (so that several --keep options
// add up). On a fault nothing is appended and `error` names the item, e.g.
// "0x400": past the last word 0x3FF.
bool ParseKeptRanges(std::string_view text, std::vector<KeptRange>* ranges, std::string* error);

// True when `address` lies in one of the ranges.
bool Kept(const std::vector<KeptRange>& ranges, int address);

// "0x100-0x13F,0x3F0", in the order given; empty when there are none.
std::string FormatKeptRanges(const std::vector<KeptRange>& ranges);

} // namespace cam
