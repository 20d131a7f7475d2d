#pragma once
// The mark position record the camera reports (position and the limits it
// may move within) and the rules the four mark arrow buttons follow.

#include <array>
#include <cstdint>
#include <optional>
#include <utility>

namespace cam {

struct MarkPosition {
    std::uint8_t x = 0;
    std::uint8_t y = 0;
    std::uint8_t left = 0;
    std::uint8_t right = 0;
    std::uint8_t top = 0;
    std::uint8_t bottom = 0;

    // Six bytes in the order the camera sends them: X, Y, left, right, top, bottom.
    static MarkPosition from_bytes(const std::uint8_t* six);
    bool operator==(const MarkPosition&) const = default;
};

enum class MarkMove { Up, Down, Left, Right };

// The pair (X, Y) an arrow button sends: one coordinate moved by one, in 8
// bits (0 - 1 is 0xFF, 0xFF + 1 is 0x00). Up lowers Y, left lowers X.
std::pair<std::uint8_t, std::uint8_t> mark_moved(const MarkPosition& mark, MarkMove move);

// The Enabled state each arrow button gets, indexed by MarkMove: false when
// the mark is at that limit; true when it can move and the mark is on; no
// change (nullopt) when it can move but the mark is off.
std::array<std::optional<bool>, 4> mark_button_states(const MarkPosition& mark, bool markOn);

} // namespace cam
