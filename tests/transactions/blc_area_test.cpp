#include "transactions/blc_area.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct AreaCase {
    cam::BlcAreaBytes bytes;
    std::vector<int> ticked; // box numbers 1..48
};

const AreaCase kCases[] = {
    {{0x01, 0, 0, 0, 0, 0x80}, {1, 48}},
    {{0, 0x01, 0, 0, 0, 0}, {9}},
    {{0x80, 0, 0, 0, 0, 0}, {8}},
    {{0, 0, 0, 0, 0, 0x01}, {41}},
    {{0x05, 0, 0xA0, 0, 0, 0}, {1, 3, 22, 24}},
    {{0, 0, 0, 0, 0, 0}, {}},
};

cam::BlcAreaBoxes boxes_of(const std::vector<int>& ticked) {
    cam::BlcAreaBoxes boxes{};
    for (int k : ticked)
        boxes[static_cast<std::size_t>(k - 1)] = true;
    return boxes;
}

TEST(BlcArea, BytesTickTheirBoxes) {
    for (const auto& c : kCases)
        EXPECT_EQ(cam::blc_area_boxes(c.bytes), boxes_of(c.ticked));
}

TEST(BlcArea, BoxesGiveTheirBytes) {
    for (const auto& c : kCases)
        EXPECT_EQ(cam::blc_area_bytes(boxes_of(c.ticked)), c.bytes);
}

TEST(BlcArea, AllBoxesAreAllBits) {
    cam::BlcAreaBoxes all;
    all.fill(true);
    const cam::BlcAreaBytes full = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(cam::blc_area_bytes(all), full);
    EXPECT_EQ(cam::blc_area_boxes(full), all);
}

} // namespace
