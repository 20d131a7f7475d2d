#include "sim/easy_state.h"

#include <algorithm>

namespace camsim {

namespace {

// Settings written as 21 code sub v and read as 31 code sub; both answered
// A0 code sub v.
struct LevelSetting {
    std::uint8_t code;
    std::uint8_t sub;
    std::uint8_t EasyState::*field;
    int max;
};

constexpr LevelSetting kLevels[] = {
    {0x10, 3, &EasyState::titlePosition, 1},
    {0x18, 0, &EasyState::blc, 1},
    {0x1A, 1, &EasyState::agc, kLevelMax},
    {0x1A, 2, &EasyState::sens, kLevelMax},
    {0x1A, 3, &EasyState::freeze, 1},
    {0x1A, 4, &EasyState::select, 1},
    {0x1B, 0, &EasyState::wbMode, 1},
    {0x1B, 2, &EasyState::rGain, kLevelMax},
    {0x1B, 3, &EasyState::bGain, kLevelMax},
    {0x1B, 5, &EasyState::atwLevel, kLevelMax},
    {0x1B, 6, &EasyState::awbLevel, kLevelMax},
    {0x1D, 4, &EasyState::vRev, 1},
    {0x1D, 5, &EasyState::hRev, 1},
    {0x1D, 7, &EasyState::posiNega, 1},
    {0x47, 0, &EasyState::hGain, kApcGainMax},
    {0x47, 1, &EasyState::vGain, kApcGainMax},
};

// PEAK, ALC and AES (code 0x48, sub 0..2): byte 4 = 0 addresses the mode,
// byte 4 = 1 a level; ALC and AES name the level in byte 5 (0 auto, 1 fix)
// and carry the value in byte 6, PEAK carries it in byte 5.
struct ExposureSetting {
    std::uint8_t sub;
    std::uint8_t kind;  // byte 4
    std::uint8_t which; // byte 5 for ALC and AES levels
    std::uint8_t EasyState::*field;
    int max;
};

constexpr ExposureSetting kExposure[] = {
    {0, 0, 0, &EasyState::peak, 1},
    {0, 1, 0, &EasyState::peakLevel, kLevelMax},
    {1, 0, 0, &EasyState::alc, 1},
    {1, 1, 0, &EasyState::alcAuto, kLevelMax},
    {1, 1, 1, &EasyState::alcFix, kLevelMax},
    {2, 0, 0, &EasyState::aes, 1},
    {2, 1, 0, &EasyState::aesAuto, kLevelMax},
    {2, 1, 1, &EasyState::aesFix, kShutterIndexMax},
};

} // namespace

std::uint8_t EasyState::PollAwb() {
    if (!awbRunning) return 0;
    if (awbPollsLeft > 0) {
        --awbPollsLeft;
        return 1;
    }
    awbRunning = false;
    return 0;
}

std::optional<Reply> EasyState::Handle(const Command& command) {
    if (auto reply = Level(command)) return reply;
    const bool write = command.IsWrite();
    switch (command.Code()) {
    case 0x10:
        return Title(command);
    case 0x18:
        return Reply(0x18).Put(3, command.Sub()); // sub 0 is a level
    case 0x19:
        // 21 19 a1..a6 in bytes 3..8; the reply carries the six bytes there.
        {
            Reply reply(0x19);
            for (std::size_t i = 0; i < blcArea.size(); ++i) {
                const int n = 3 + static_cast<int>(i);
                if (write) blcArea[i] = command[n];
                reply.Put(n, blcArea[i]);
            }
            return reply;
        }
    case 0x1A:
    case 0x47:
        return Reply(command.Code()).Put(3, command.Sub());
    case 0x1B:
        return WhiteBalance(command);
    case 0x1C:
        return Phase(command);
    case 0x1D:
        return Reversal(command);
    case 0x20:
        // Every preset reply reports the preset switch in byte 4.
        if (write && command.Sub() == 1) ++presetStores;
        if (write && command.Sub() == 2) preset = Clamp(command[4], 0, 1);
        return Reply(0x20).Put(3, command.Sub()).Put(4, preset);
    case 0x48:
        if (command.Sub() > 2) return std::nullopt;
        return Exposure(command);
    case 0x49:
        if (write) initial = Clamp(command[3], 0, 1);
        return Reply(0x49).Put(3, initial);
    case 0x50:
        if (write) blcSens = Clamp(command[3], 0, kBlcSensMax);
        return Reply(0x50).Put(3, blcSens);
    case 0x56:
        return Mark(command);
    default:
        return std::nullopt;
    }
}

std::optional<Reply> EasyState::Level(const Command& command) {
    for (const auto& level : kLevels) {
        if (level.code != command.Code() || level.sub != command.Sub()) continue;
        if (command.IsWrite()) this->*level.field = Clamp(command[4], 0, level.max);
        return Reply(level.code).Put(3, level.sub).Put(4, this->*level.field);
    }
    return std::nullopt;
}

Reply EasyState::Title(const Command& command) {
    if (command.Sub() != 1) return Reply(0x10).Put(3, command.Sub());
    // 21 10 01 b c1..c5: block b (0..3) holds characters 5b+1..5b+5.
    const int block = command[4];
    if (block > 3) return Reply::Rejected(0x10).Put(3, 1).Put(4, block);
    Reply reply(0x10);
    reply.Put(3, 1).Put(4, block);
    for (int i = 0; i < 5; ++i) {
        auto& code = title[static_cast<std::size_t>(5 * block + i)];
        if (command.IsWrite()) code = TitleCodeTaken(command.Word(5 + 2 * i));
        reply.PutWord(5 + 2 * i, code);
    }
    return reply;
}

Reply EasyState::WhiteBalance(const Command& command) {
    if (command.Sub() != 4) return Reply(0x1B).Put(3, command.Sub());
    // 21 1B 04 starts the one-push white balance; reads follow its progress.
    std::uint8_t state;
    if (command.IsWrite()) {
        awbRunning = true;
        awbPollsLeft = kAwbPollsRunning;
        state = 1;
    } else {
        state = PollAwb();
    }
    return Reply(0x1B).Put(3, 4).Put(4, state);
}

Reply EasyState::Phase(const Command& command) {
    switch (command.Sub()) {
    case 0:
        if (command.IsWrite()) sync = Clamp(command[4], 0, 1);
        return Reply(0x1C).Put(3, 0).Put(4, sync).PutWord(5, phaseMax).PutWord(7, phaseMin);
    case 1:
        if (command.IsWrite())
            phase = std::clamp(static_cast<std::int16_t>(command.Word(4)), phaseMin, phaseMax);
        return Reply(0x1C).Put(3, 1).PutWord(4, phase);
    default:
        return Reply(0x1C).Put(3, command.Sub());
    }
}

Reply EasyState::Reversal(const Command& command) {
    const int sub = command.Sub();
    if (sub == 6) {
        if (command.IsWrite()) ++reversalSaves;
        return Reply(0x1D).Put(3, 6);
    }
    if (sub >= 0x10 && sub < 0x10 + kMaskAreas) {
        // Mask area n: 21 1D 1n b1 b2 b3 b4, read 31 1D 1n.
        auto& mask = masks[static_cast<std::size_t>(sub - 0x10)];
        Reply reply(0x1D);
        reply.Put(3, sub);
        for (int i = 0; i < 4; ++i) {
            if (command.IsWrite()) mask[static_cast<std::size_t>(i)] = command[4 + i];
            reply.Put(4 + i, mask[static_cast<std::size_t>(i)]);
        }
        return reply;
    }
    return Reply(0x1D).Put(3, sub);
}

Reply EasyState::Exposure(const Command& command) {
    const std::uint8_t sub = command.Sub();
    const std::uint8_t kind = command[4];
    const bool named = sub != 0 && kind == 1; // ALC/AES levels name auto or fix
    const std::uint8_t which = named ? command[5] : 0;
    for (const auto& setting : kExposure) {
        if (setting.sub != sub || setting.kind != kind || setting.which != which) continue;
        auto& field = this->*setting.field;
        if (command.IsWrite()) field = Clamp(command[named ? 6 : 5], 0, setting.max);
        Reply reply(0x48);
        reply.Put(3, sub).Put(4, kind);
        if (named)
            reply.Put(5, which).Put(6, field);
        else
            reply.Put(5, field);
        return reply;
    }
    return Reply(0x48).Put(3, sub).Put(4, kind);
}

Reply EasyState::Mark(const Command& command) {
    switch (command.Sub()) {
    case 0:
        if (command.IsWrite()) mark.on = Clamp(command[4], 0, 1);
        return Reply(0x56).Put(3, 0).Put(4, mark.on);
    case 1:
        // 21 56 01 X Y: the mark stays within its limits.
        if (command.IsWrite()) {
            mark.x = Clamp(command[4], mark.left, mark.right);
            mark.y = Clamp(command[5], mark.top, mark.bottom);
        }
        return Reply(0x56)
            .Put(3, 1)
            .Put(4, mark.x)
            .Put(5, mark.y)
            .Put(6, mark.left)
            .Put(7, mark.right)
            .Put(8, mark.top)
            .Put(9, mark.bottom);
    default:
        return Reply(0x56).Put(3, command.Sub());
    }
}

} // namespace camsim
