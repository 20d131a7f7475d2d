#pragma once
// The Easy tab status block: ten replies to 31 60 sub (sub 0..9) that carry
// the whole state the Easy tab shows.

#include "sim/command.h"
#include "sim/easy_state.h"
#include "sim/lens_state.h"
#include "sim/memory_state.h"

namespace camsim {

inline constexpr int kStatusBlocks = 10;

// Reply to 31 60 sub. Reading sub-block 4 counts as a poll of the one-push
// white balance, sub-block 7 as a poll of zoom and focus. A sub-code past 9
// is answered with the code and sub-code alone.
Reply StatusBlock(int sub, EasyState& easy, LensState& lens, const MemoryState& memory);

} // namespace camsim
