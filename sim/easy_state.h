#pragma once
// The everyday settings of the camera: title, back-light compensation,
// gains, white balance, phase, picture reversal, preset, PEAK/ALC/AES,
// aperture gains, Initial and the mark. Every write stores the value as the
// camera takes it (limited to its range) and the reply reports it so; every
// read reports what is stored.

#include "sim/command.h"
#include "sim/title_codes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace camsim {

// Reads of the one-push white balance state that still report "running"
// after the start; the next read reports "done".
inline constexpr int kAwbPollsRunning = 3;
inline constexpr int kLevelMax = 8;
inline constexpr int kApcGainMax = 12;
inline constexpr int kBlcSensMax = 7;
inline constexpr int kShutterIndexMax = 7;
inline constexpr int kMaskAreas = 4;

struct MarkState {
    std::uint8_t on = 1;
    std::uint8_t x = 0x20;
    std::uint8_t y = 0x14;
    std::uint8_t left = 0x10;
    std::uint8_t right = 0x30;
    std::uint8_t top = 0x08;
    std::uint8_t bottom = 0x20;
};

struct EasyState {
    TitleCodes title = TitleCodesOf("38R5");
    std::uint8_t titlePosition = 0; // 0 up, 1 down

    std::uint8_t blc = 0;
    std::array<std::uint8_t, 6> blcArea{0x00, 0x18, 0x3C, 0x3C, 0x18, 0x00};
    std::uint8_t blcSens = 3;

    std::uint8_t agc = 4;
    std::uint8_t sens = 0;
    std::uint8_t freeze = 0;
    std::uint8_t select = 0; // 0 field, 1 frame

    std::uint8_t wbMode = 0; // 0 ATW, 1 AWB
    std::uint8_t rGain = 4;
    std::uint8_t bGain = 4;
    std::uint8_t atwLevel = 4;
    std::uint8_t awbLevel = 4;
    bool awbRunning = false;
    int awbPollsLeft = 0;

    std::uint8_t sync = 0;
    std::int16_t phaseMax = 256;
    std::int16_t phaseMin = -256;
    std::int16_t phase = 0;

    std::uint8_t vRev = 0;
    std::uint8_t hRev = 0;
    std::uint8_t posiNega = 0;
    int reversalSaves = 0;
    std::array<std::array<std::uint8_t, 4>, kMaskAreas> masks{};

    std::uint8_t preset = 0;
    int presetEntries = 0; // 21 20 00, answered by ACK alone
    int presetStores = 0;  // 21 20 01

    std::uint8_t peak = 0;
    std::uint8_t peakLevel = 4;
    std::uint8_t alc = 0; // 0 auto, 1 fix
    std::uint8_t alcAuto = 4;
    std::uint8_t alcFix = 4;
    std::uint8_t aes = 0; // 0 auto, 1 fix
    std::uint8_t aesAuto = 4;
    std::uint8_t aesFix = 0; // fixed-shutter index

    std::uint8_t hGain = 6;
    std::uint8_t vGain = 6;
    std::uint8_t initial = 1;

    MarkState mark;

    std::string TitleText() const { return TitleTextOf(title); }
    // The one-push white balance state for one read: 1 running, 0 done.
    std::uint8_t PollAwb();

    // Codes 0x10, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x20, 0x47, 0x48 (subs
    // 0..2), 0x49, 0x50, 0x56; nullopt for others.
    std::optional<Reply> Handle(const Command& command);

  private:
    std::optional<Reply> Level(const Command& command);
    Reply Title(const Command& command);
    Reply WhiteBalance(const Command& command);
    Reply Phase(const Command& command);
    Reply Reversal(const Command& command);
    Reply Exposure(const Command& command);
    Reply Mark(const Command& command);
};

} // namespace camsim
