#include "sim/service_state.h"

#include <algorithm>

namespace camsim {

std::uint16_t AreaSample(int index) {
    const int column = index % 8;
    const int row = index / 8;
    const int fromEdge = std::min(column, 7 - column) + std::min(row, 5 - row);
    return static_cast<std::uint16_t>(0x0100 + 0x0040 * fromEdge + index);
}

std::optional<Reply> ServiceState::Handle(const Command& command) {
    const bool write = command.IsWrite();
    const std::uint8_t sub = command.Sub();
    switch (command.Code()) {
    case 0x1E:
        if (write) ++groupSaves;
        return Reply(0x1E);
    case 0x30:
        if (write) lastWbPreset = sub;
        return Reply(0x30).Put(3, sub).Put(4, command[4]);
    case 0x32:
        if (write) lastKey = sub;
        return Reply(0x32).Put(3, sub);
    case 0x35:
        if (sub >= kAreaSamples) return Reply::Rejected(0x35).Put(3, sub);
        return Reply(0x35).Put(3, sub).PutWord(4, AreaSample(sub));
    case 0x37:
        // 21 37 s idx 01; read 31 37 s. Byte 4 of the reply: 0 use, 1 no use.
        if (sub > 1) return Reply(0x37).Put(3, sub);
        if (write) useSwitch[sub] = Clamp(command[4], 0, 1);
        return Reply(0x37).Put(3, sub).Put(4, useSwitch[sub]);
    case 0x42:
        // 21 42 d1 d2 01: the delay word in bytes 3-4, also in the reply.
        if (write) delays = command.Word(3);
        return Reply(0x42).PutWord(3, delays);
    case 0x43:
        if (write) dcLensOffset = command[3];
        return Reply(0x43).Put(3, dcLensOffset);
    default:
        return std::nullopt;
    }
}

} // namespace camsim
