#pragma once
// The motorised zoom lens and the controls that sit with it: zoom and focus
// targets and positions, auto focus, speeds, digital zoom, the 64 stored lens
// positions, the push switch and alarm number, the iris bias and the two
// adjustment procedures of the line.
//
// The lens moves only when it is asked where it is: every read of the zoom
// (31 45 00, status sub-block 7) moves the zoom one step towards its target,
// every read of the focus (31 45 01, sub-block 7) the focus. Steps grow with
// the speed settings. The focus range follows the optical zoom position; a
// focus target is checked against it when it is set.

#include "sim/command.h"

#include <array>
#include <cstdint>
#include <optional>

namespace camsim {

inline constexpr int kZoomWide = 0x1000;
inline constexpr int kZoomTele = 0x18B0;
inline constexpr int kDigitalZoomSpan = 0xE40;
inline constexpr int kFocusNear = 0x0040;
inline constexpr int kLensPositions = 64;
inline constexpr int kAlarmMax = 64;
inline constexpr int kSpeedMax = 4;
// Progress queries (21 46) the lens adjustment takes before it reports done.
inline constexpr int kLensAdjustSteps = 3;

struct LensPosition {
    std::uint16_t zoom;
    std::uint16_t focus;
};

struct LensState {
    LensState();

    std::uint16_t zoomTarget = kZoomWide;
    std::uint16_t zoomCurrent = kZoomWide;
    std::uint16_t focusTarget = 0;
    std::uint16_t focusCurrent = 0;
    std::uint8_t autoFocus = 0;
    std::uint8_t zoomSpeed = 2;
    std::uint8_t focusSpeed = 2;
    std::uint8_t digitalZoom = 0;
    std::uint8_t positionNo = 1;
    std::uint8_t pushSw = 0; // 0 alarm, 1 freeze
    std::uint8_t alarmNo = 1;
    std::uint8_t irisBias = 0x80;
    bool irisAdjusting = false;
    bool lensAdjusting = false;
    int lensAdjustStepsLeft = 0;
    std::array<LensPosition, kLensPositions> positions{};

    // Focus limits at the present optical zoom position.
    std::uint16_t FocusFar() const;
    std::uint16_t FocusNear() const { return kFocusNear; }
    // Highest zoom target: optical only, or with the digital zoom.
    std::uint16_t ZoomMax() const;
    // Where auto focus and one-push auto focus put the focus.
    std::uint16_t BestFocus() const;

    // One poll's worth of motion.
    void StepZoom();
    void StepFocus();

    // Codes 0x45, 0x46, 0x48 sub 3, 0x51, 0x52, 0x53; nullopt for others.
    std::optional<Reply> Handle(const Command& command);

  private:
    Reply LensReply(const Command& command);
    Reply PositionReply(const Command& command);
};

// The zoom reply layout: target, current, focus far and near limits.
Reply ZoomReply(const LensState& lens);
// The focus reply layout: target, current.
Reply FocusReply(const LensState& lens);

} // namespace camsim
