#include "transactions/blc_area.h"

namespace cam {

BlcAreaBoxes blc_area_boxes(const BlcAreaBytes& bytes) {
    BlcAreaBoxes boxes{};
    for (std::size_t k = 0; k < kBlcAreaBoxes; ++k)
        boxes[k] = (bytes[k / 8] >> (k % 8)) & 1u;
    return boxes;
}

BlcAreaBytes blc_area_bytes(const BlcAreaBoxes& boxes) {
    BlcAreaBytes bytes{};
    for (std::size_t k = 0; k < kBlcAreaBoxes; ++k)
        if (boxes[k]) bytes[k / 8] = static_cast<std::uint8_t>(bytes[k / 8] | 1u << (k % 8));
    return bytes;
}

} // namespace cam
