#pragma once
// The six load sequences, one per tab: the read commands each sends, one per
// reply, in this order.

#include <cstdint>
#include <vector>

namespace cam {

enum class SeqKind : std::uint8_t {
    Adjust = 0,
    Debug = 1,
    Defect = 2,
    Copy = 3,
    Easy = 4,
    Line = 5
};
inline constexpr int kSequenceKinds = 6;

// Payload bytes 1..n of step `step` of sequence `kind`; empty past the last step.
std::vector<std::uint8_t> SequenceStep(int kind, unsigned step);
// Number of steps of sequence `kind` (14, 2, 11, 2, 11, 3).
unsigned SequenceLength(int kind);

} // namespace cam
