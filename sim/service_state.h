#pragma once
// Factory settings and service commands: CCD drive delays, DC lens offset,
// the two use switches, white-balance presets, switch keys, area samples,
// defect-correction values and the "Save" command group.

#include "sim/command.h"
#include "sim/defect_state.h"

#include <array>
#include <cstdint>
#include <optional>

namespace camsim {

inline constexpr int kAreaSamples = 48;

// The camera's brightness sample of area i (0..47, 8 columns by 6 rows):
// brightest in the middle of the picture.
std::uint16_t AreaSample(int index);

struct ServiceState {
    std::uint16_t delays = 0x3A5C; // RG width, SHD, SHP, RG delay: one digit each
    std::uint8_t dcLensOffset = 0x80;
    std::array<std::uint8_t, 2> useSwitch{0, 0}; // 0 shutter, 1 external sync
    int groupSaves = 0;                          // 21 1E
    int lastKey = -1;                            // 21 32 code
    int lastWbPreset = -1;                       // 21 30 s: 0 3200 K, 1 5600 K
    // Defect correction (0x36); the camera model hands it the commands.
    DefectState defect;

    // Codes 0x1E, 0x30, 0x32, 0x35, 0x37, 0x42, 0x43; nullopt for others.
    std::optional<Reply> Handle(const Command& command);
};

} // namespace camsim
