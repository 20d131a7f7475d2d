#include "transactions/mark.h"

#include <gtest/gtest.h>

namespace {

using cam::MarkMove;
using cam::MarkPosition;
using States = std::array<std::optional<bool>, 4>; // up, down, left, right

TEST(Mark, RecordFromTheCamerasBytes) {
    const std::uint8_t bytes[] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(MarkPosition::from_bytes(bytes), (MarkPosition{1, 2, 3, 4, 5, 6}));
}

TEST(Mark, ArrowsMoveOneStepWithEightBitWrap) {
    const struct {
        std::uint8_t x, y;
        MarkMove move;
        std::uint8_t sentX, sentY;
    } cases[] = {
        {10, 20, MarkMove::Up, 10, 19},         {10, 20, MarkMove::Down, 10, 21},
        {10, 20, MarkMove::Left, 9, 20},        {10, 20, MarkMove::Right, 11, 20},
        {0, 0, MarkMove::Left, 0xFF, 0},        {0, 0, MarkMove::Up, 0, 0xFF},
        {0xFF, 0xFF, MarkMove::Right, 0, 0xFF}, {0xFF, 0xFF, MarkMove::Down, 0xFF, 0},
    };
    for (const auto& c : cases) {
        const MarkPosition mark{c.x, c.y, 0, 0, 0, 0};
        const auto [x, y] = cam::mark_moved(mark, c.move);
        EXPECT_EQ(x, c.sentX);
        EXPECT_EQ(y, c.sentY);
    }
}

TEST(Mark, ButtonStatesFollowTheLimits) {
    const std::optional<bool> keep;
    const struct {
        MarkPosition mark;
        bool on;
        States states;
    } cases[] = {
        {{5, 5, 5, 9, 0, 5}, true, {true, false, false, true}},
        {{5, 5, 5, 9, 0, 5}, false, {keep, false, false, keep}},
        {{3, 3, 0, 9, 0, 9}, true, {true, true, true, true}},
        {{3, 3, 0, 9, 0, 9}, false, {keep, keep, keep, keep}},
        {{0, 0, 0, 0, 0, 0}, true, {false, false, false, false}},
        // Unsigned comparisons: 0xF0 lies right of 0x10 and below 0x10.
        {{0xF0, 0xF0, 0x10, 0xFF, 0x10, 0xFF}, true, {true, true, true, true}},
        {{0x10, 0x10, 0x00, 0xF0, 0x00, 0xF0}, true, {true, true, true, true}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cam::mark_button_states(c.mark, c.on), c.states);
}

} // namespace
