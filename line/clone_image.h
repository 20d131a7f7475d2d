#pragma once
// The image a clone writes into one camera: the golden file's words, with the
// kept ranges and word 0x3FF (which a copy file does not hold) taken from the
// camera's own backup.

#include "copy/copy_engine.h"
#include "line/kept_ranges.h"

#include <vector>

namespace cam {

// `golden` as read by read_copy_image, `own` the camera's 1024 words as
// Camera->PC read them. Returns the bulk image with every byte set;
// `expected` receives the 1024 words it holds, for the read-back.
CopyImage CloneImage(const CopyImage& golden, const CopyWords& own,
                     const std::vector<KeptRange>& keep, CopyWords* expected);

} // namespace cam
