#include "line/clone_image.h"

namespace cam {

CopyImage CloneImage(const CopyImage& golden, const CopyWords& own,
                     const std::vector<KeptRange>& keep, CopyWords* expected) {
    CopyImage image = golden;
    for (int a = 0; a < kEepromWordCount; ++a) {
        const auto at = static_cast<std::size_t>(a);
        auto word = static_cast<std::uint16_t>(image.bytes[2 * at] | image.bytes[2 * at + 1] << 8);
        if (a == TCopyEngine::kLastWord || Kept(keep, a))
            word = static_cast<std::uint16_t>(own[at]);
        image.bytes[2 * at] = static_cast<std::uint8_t>(word);
        image.bytes[2 * at + 1] = static_cast<std::uint8_t>(word >> 8);
        image.set.set(2 * at);
        image.set.set(2 * at + 1);
        (*expected)[at] = word;
    }
    return image;
}

} // namespace cam
