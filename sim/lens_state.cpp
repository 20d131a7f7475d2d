#include "sim/lens_state.h"

#include <algorithm>

namespace camsim {

namespace {

std::uint16_t focus_far_at(int zoom) {
    return static_cast<std::uint16_t>(0x0100 + (std::min(zoom, kZoomTele) - kZoomWide) / 16);
}

std::uint16_t middle(int lo, int hi) {
    return static_cast<std::uint16_t>(lo + (hi - lo) / 2);
}

std::uint16_t step_towards(int current, int target, int step) {
    if (current < target) return static_cast<std::uint16_t>(std::min(current + step, target));
    return static_cast<std::uint16_t>(std::max(current - step, target));
}

} // namespace

LensState::LensState() {
    for (int n = 0; n < kLensPositions; ++n) {
        const int zoom = kZoomWide + (kZoomTele - kZoomWide) * n / (kLensPositions - 1);
        positions[static_cast<std::size_t>(n)] = {static_cast<std::uint16_t>(zoom),
                                                  middle(kFocusNear, focus_far_at(zoom))};
    }
    focusTarget = focusCurrent = middle(kFocusNear, FocusFar());
}

std::uint16_t LensState::FocusFar() const {
    return focus_far_at(zoomCurrent);
}

std::uint16_t LensState::ZoomMax() const {
    return static_cast<std::uint16_t>(kZoomTele + (digitalZoom ? kDigitalZoomSpan : 0));
}

std::uint16_t LensState::BestFocus() const {
    return static_cast<std::uint16_t>(FocusNear() + (FocusFar() - FocusNear()) * 5 / 8);
}

void LensState::StepZoom() {
    zoomCurrent = step_towards(zoomCurrent, zoomTarget, 0x40 << zoomSpeed);
    if (autoFocus) focusTarget = BestFocus();
}

void LensState::StepFocus() {
    focusCurrent = step_towards(focusCurrent, focusTarget, 0x04 << focusSpeed);
}

Reply ZoomReply(const LensState& lens) {
    return Reply(0x45)
        .Put(3, 0)
        .PutWord(4, lens.zoomTarget)
        .PutWord(6, lens.zoomCurrent)
        .PutWord(8, lens.FocusFar())
        .PutWord(10, lens.FocusNear());
}

Reply FocusReply(const LensState& lens) {
    return Reply(0x45).Put(3, 1).PutWord(4, lens.focusTarget).PutWord(6, lens.focusCurrent);
}

std::optional<Reply> LensState::Handle(const Command& command) {
    const bool write = command.IsWrite();
    switch (command.Code()) {
    case 0x45:
        return LensReply(command);
    case 0x46:
        // Progress query of the lens adjustment: each one is a step of it.
        if (write && lensAdjusting && lensAdjustStepsLeft > 0) --lensAdjustStepsLeft;
        return Reply(0x46).Put(3, kLensAdjustSteps - lensAdjustStepsLeft);
    case 0x48: {
        if (command.Sub() != 3) return std::nullopt;
        // Iris adjustment: 21 48 03 00 enters it, 21 48 03 01 leaves it.
        if (write) irisAdjusting = command[4] == 0;
        return Reply(0x48).Put(3, 3).Put(4, irisAdjusting ? 0 : 1);
    }
    case 0x51:
        if (write) alarmNo = Clamp(command[3], 0, kAlarmMax);
        return Reply(0x51).Put(3, alarmNo);
    case 0x52:
        return PositionReply(command);
    case 0x53:
        if (write) irisBias = command[3];
        return Reply(0x53).Put(3, irisBias);
    default:
        return std::nullopt;
    }
}

Reply LensState::LensReply(const Command& command) {
    const bool write = command.IsWrite();
    const std::uint8_t sub = command.Sub();
    switch (sub) {
    case 0:
        if (write)
            zoomTarget =
                static_cast<std::uint16_t>(std::clamp<int>(command.Word(4), kZoomWide, ZoomMax()));
        else
            StepZoom();
        return ZoomReply(*this);
    case 1:
        if (write)
            focusTarget = std::clamp<std::uint16_t>(command.Word(4), FocusNear(), FocusFar());
        else
            StepFocus();
        return FocusReply(*this);
    case 2:
        if (write) {
            autoFocus = Clamp(command[4], 0, 1);
            if (autoFocus) focusTarget = BestFocus();
        }
        return Reply(0x45).Put(3, 2).Put(4, autoFocus);
    case 3:
        if (write) focusTarget = BestFocus();
        return Reply(0x45).Put(3, 3);
    case 4: {
        // 21 45 04 00 starts the lens adjustment, 21 45 04 01 asks whether it
        // is over; byte 4 of the reply: 0 still running, 1 finished.
        if (write && command[4] == 0) {
            lensAdjusting = true;
            lensAdjustStepsLeft = kLensAdjustSteps;
        } else if (write && lensAdjusting && lensAdjustStepsLeft == 0) {
            lensAdjusting = false;
        }
        return Reply(0x45).Put(3, 4).Put(4, lensAdjusting ? 0 : 1);
    }
    case 5:
        if (write) zoomSpeed = Clamp(command[4], 0, kSpeedMax);
        return Reply(0x45).Put(3, 5).Put(4, zoomSpeed);
    case 6:
        if (write) {
            digitalZoom = Clamp(command[4], 0, 1);
            zoomTarget = std::min(zoomTarget, ZoomMax());
            zoomCurrent = std::min(zoomCurrent, ZoomMax());
        }
        return Reply(0x45).Put(3, 6).Put(4, digitalZoom);
    case 7:
        if (write) focusSpeed = Clamp(command[4], 0, kSpeedMax);
        return Reply(0x45).Put(3, 7).Put(4, focusSpeed);
    default:
        return Reply(0x45).Put(3, sub);
    }
}

Reply LensState::PositionReply(const Command& command) {
    const bool write = command.IsWrite();
    switch (command.Sub()) {
    case 0:
        return Reply(0x52).Put(3, 0).Put(4, positionNo);
    case 1: {
        // 31 52 01 N moves the lens to stored position N, 21 52 01 N stores the
        // present position as N.
        const int n = command[4];
        if (n < 1 || n > kLensPositions) return Reply::Rejected(0x52).Put(3, 1).Put(4, n);
        auto& slot = positions[static_cast<std::size_t>(n - 1)];
        if (write) {
            slot = {zoomCurrent, focusCurrent};
        } else {
            zoomTarget = std::min(slot.zoom, ZoomMax());
            focusTarget =
                std::clamp<std::uint16_t>(slot.focus, kFocusNear, focus_far_at(zoomTarget));
        }
        positionNo = static_cast<std::uint8_t>(n);
        return Reply(0x52).Put(3, 1).Put(4, n);
    }
    case 2:
        if (write) pushSw = Clamp(command[4], 0, 1);
        return Reply(0x52).Put(3, 2).Put(4, pushSw);
    default:
        return Reply(0x52).Put(3, command.Sub());
    }
}

} // namespace camsim
