#pragma once
// The camera's correction of up to three defective CCD pixels (code 0x36):
// the positions of points A, B and C with their on/off states, the cursor
// display, the correction modes, the measurement of the defect seen in the
// even and the odd field, and the automatic search.
//
// The sensor has three defective pixels. The measurement reports the
// brightest one; the automatic search of A finds it, the search of B and C
// the other two. A search takes a pixel when both fields saw it in the same
// column, at most one line apart, with peaks within the tolerance the tool
// sends; the point then lies at the pixel moved by the tool's offsets.
//
// "Save" (21 36 15, after 21 36 02) keeps the settings; "Cancel" (21 36 16,
// after 21 36 03) returns to those last kept.

#include "sim/command.h"

#include <array>
#include <cstdint>
#include <optional>

namespace camsim {

// A defective pixel as the two fields see it.
struct SensorDefect {
    std::uint16_t x;
    std::uint16_t evenY;
    std::uint16_t oddY;
    std::uint16_t evenPeak;
    std::uint16_t oddPeak;
};

struct DefectPoint {
    std::uint16_t x = 0;
    std::uint16_t y = 0;
};

// What save keeps and cancel restores.
struct DefectSettings {
    std::array<DefectPoint, 3> points{{{0x0120, 0x0040}, {0x0200, 0x0090}, {0x0080, 0x00A0}}};
    std::uint8_t defectA = 0;  // correction of A on
    std::uint8_t defectBC = 0; // correction of B and C on
    std::uint8_t kfChange = 0; // "KF Change": 0 No, 1 KF_REV, 2 KF_FIX, 3 both
    std::uint8_t adjustSet = 0;
    std::uint8_t sens = 0; // 0..8
    std::uint8_t kfOff = 0;
    std::uint8_t kfFix = 0;
    std::uint8_t kfRev = 0;
};

inline constexpr int kDefectMaxX = 1023;
inline constexpr int kDefectMaxY = 511;
inline constexpr int kDefectSensMax = 8;

struct DefectState {
    DefectSettings current;
    DefectSettings saved;
    std::uint8_t cursor = 0; // point with the cursor display: 1 A, 2 B, 3 C, 0 none
    std::array<SensorDefect, 3> sensor{{
        {0x0100, 0x0050, 0x0051, 0x0200, 0x0203}, // the brightest: measured, found as A
        {0x0180, 0x0030, 0x0030, 0x01C0, 0x01C2},
        {0x0060, 0x0070, 0x0071, 0x0180, 0x0184},
    }};

    // Code 0x36. `vRev` is the camera's vertical picture reversal (21 1D 04),
    // which the read of sub-code 6 reports.
    Reply Handle(const Command& command, std::uint8_t vRev);

  private:
    Reply Read(std::uint8_t sub, std::uint8_t vRev) const;
    Reply Write(const Command& command, std::uint8_t vRev);
    // Searches the pixel; nullopt when the two fields disagree.
    std::optional<DefectPoint> Search(const SensorDefect& pixel, const Command& command) const;
};

} // namespace camsim
