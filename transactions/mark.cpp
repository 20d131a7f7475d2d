#include "transactions/mark.h"

namespace cam {

MarkPosition MarkPosition::from_bytes(const std::uint8_t* six) {
    return {six[0], six[1], six[2], six[3], six[4], six[5]};
}

std::pair<std::uint8_t, std::uint8_t> mark_moved(const MarkPosition& mark, MarkMove move) {
    std::uint8_t x = mark.x;
    std::uint8_t y = mark.y;
    switch (move) {
    case MarkMove::Up:
        --y;
        break;
    case MarkMove::Down:
        ++y;
        break;
    case MarkMove::Left:
        --x;
        break;
    case MarkMove::Right:
        ++x;
        break;
    }
    return {x, y};
}

std::array<std::optional<bool>, 4> mark_button_states(const MarkPosition& mark, bool markOn) {
    const bool usable[4] = {
        mark.top < mark.y,    // Up
        mark.y < mark.bottom, // Down
        mark.left < mark.x,   // Left
        mark.x < mark.right,  // Right
    };
    std::array<std::optional<bool>, 4> states{};
    for (int i = 0; i < 4; ++i) {
        if (!usable[i])
            states[static_cast<std::size_t>(i)] = false;
        else if (markOn)
            states[static_cast<std::size_t>(i)] = true;
    }
    return states;
}

} // namespace cam
