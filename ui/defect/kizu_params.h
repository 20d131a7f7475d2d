#pragma once
// The fixed parameters of the defect position adjustment: "Kizu Adjust" moves
// the measured position by them, the automatic search sends them to the
// camera as signed bytes, and the parameter window shows them.

namespace kizu {

inline constexpr int kAdjustX = -22;     // added to the even-field X
inline constexpr int kPeakTolerance = 5; // largest allowed difference of the two peaks

// Added to the larger of the two Y values: +2 on a PAL camera, -2 on NTSC.
constexpr int adjustY(bool ntsc) {
    return ntsc ? -2 : 2;
}

} // namespace kizu
