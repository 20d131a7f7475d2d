#include "transactions/sequences.h"

#include <array>

namespace cam {

namespace {
using Steps = std::vector<std::vector<std::uint8_t>>;

const std::array<Steps, kSequenceKinds>& tables() {
    static const std::array<Steps, kSequenceKinds> t = [] {
        const Steps video = {{0x31, 0x0A, 0x01}, {0x31, 0x0A, 0x40}};
        std::array<Steps, kSequenceKinds> s;
        s[0] = video; // Adjust
        s[0].insert(s[0].end(), {{0x31, 0x42},
                                 {0x31, 0x37, 0x00},
                                 {0x31, 0x37, 0x01},
                                 {0x31, 0x1B, 0x00},
                                 {0x31, 0x1B, 0x05},
                                 {0x31, 0x1B, 0x06},
                                 {0x31, 0x43}});
        for (std::uint8_t r = 0x2B; r <= 0x2F; ++r)
            s[0].push_back({0x31, 0x0A, r});
        s[1] = video; // Debug
        s[2] = video; // CCD Defect
        for (std::uint8_t sub : {0x09, 0x00, 0x01, 0x10, 0x11, 0x05, 0x04, 0x0B, 0x06})
            s[2].push_back({0x31, 0x36, sub});
        s[3] = video; // Copy
        for (std::uint8_t sub = 0; sub <= 9; ++sub)
            s[4].push_back({0x31, 0x60, sub});    // Easy
        s[4].push_back({0x31, 0x0C, 0x01, 0x51}); // white-balance lock word
        s[5] = video;                             // Line
        s[5].push_back({0x31, 0x53});
        return s;
    }();
    return t;
}
} // namespace

std::vector<std::uint8_t> SequenceStep(int kind, unsigned step) {
    const Steps& steps = tables().at(static_cast<std::size_t>(kind));
    return step < steps.size() ? steps[step] : std::vector<std::uint8_t>{};
}

unsigned SequenceLength(int kind) {
    return static_cast<unsigned>(tables().at(static_cast<std::size_t>(kind)).size());
}

} // namespace cam
