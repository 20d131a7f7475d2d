#include "sim/defect_state.h"

#include <algorithm>
#include <cstdlib>

namespace camsim {

namespace {

constexpr std::uint8_t kCode = 0x36;

DefectPoint Limited(int x, int y) {
    return {static_cast<std::uint16_t>(std::clamp(x, 0, kDefectMaxX)),
            static_cast<std::uint16_t>(std::clamp(y, 0, kDefectMaxY))};
}

Reply& PutPoint(Reply& reply, int at, const DefectPoint& p) {
    return reply.PutWord(at, p.x).PutWord(at + 2, p.y);
}

} // namespace

Reply DefectState::Handle(const Command& command, std::uint8_t vRev) {
    if (command.IsWrite()) return Write(command, vRev);
    return Read(command.Sub(), vRev);
}

Reply DefectState::Read(std::uint8_t sub, std::uint8_t vRev) const {
    const DefectSettings& s = current;
    Reply reply(kCode);
    reply.Put(3, sub);
    switch (sub) {
    case 0x00:
        reply.Put(4, s.defectA);
        return PutPoint(reply, 5, s.points[0]);
    case 0x01:
        reply.Put(4, s.defectBC);
        PutPoint(reply, 5, s.points[1]);
        return PutPoint(reply, 9, s.points[2]);
    case 0x02: { // the brightest defect, even field then odd field
        const SensorDefect& d = sensor[0];
        return reply.PutWord(4, d.x)
            .PutWord(6, d.evenY)
            .PutWord(8, d.evenPeak)
            .PutWord(10, d.x)
            .PutWord(12, d.oddY)
            .PutWord(14, d.oddPeak);
    }
    case 0x04:
        return reply.Put(4, s.kfChange);
    case 0x05:
        return reply.Put(4, s.adjustSet);
    case 0x06:
        return reply.Put(6, vRev).Put(9, s.sens);
    case 0x09:
        return reply.Put(4, cursor);
    case 0x0B:
        return reply.Put(4, s.kfOff);
    case 0x10:
        return reply.Put(4, s.kfFix);
    case 0x11:
        return reply.Put(4, s.kfRev);
    default:
        return Reply::Rejected(kCode).Put(3, sub);
    }
}

std::optional<DefectPoint> DefectState::Search(const SensorDefect& pixel,
                                               const Command& command) const {
    const auto dx = static_cast<std::int8_t>(command[4]);
    const auto dy = static_cast<std::int8_t>(command[5]);
    const int tolerance = command[6];
    if (std::abs(pixel.evenY - pixel.oddY) > 1) return std::nullopt;
    if (std::abs(pixel.evenPeak - pixel.oddPeak) > tolerance) return std::nullopt;
    return Limited(pixel.x + dx, std::max(pixel.evenY, pixel.oddY) + dy);
}

Reply DefectState::Write(const Command& command, std::uint8_t vRev) {
    const std::uint8_t sub = command.Sub();
    DefectSettings& s = current;
    Reply reply(kCode);
    reply.Put(3, sub);
    switch (sub) {
    case 0x01: // 00/01: cursor display of A; 02: position of A
        if (command[4] == 0x02) {
            s.points[0] = Limited(command.Word(5), command.Word(7));
            return PutPoint(reply.Put(4, 0x02), 5, s.points[0]);
        }
        if (command[4] > 1) return Reply::Rejected(kCode).Put(3, sub);
        if (command[4] == 1)
            cursor = 1;
        else if (cursor == 1)
            cursor = 0;
        return reply.Put(4, command[4]);
    case 0x02: // save and cancel: the second step does the work
    case 0x03:
        return reply;
    case 0x15:
        saved = current;
        return reply;
    case 0x16:
        current = saved;
        return reply;
    case 0x04:
        s.kfChange = Clamp(command[4], 0, 3);
        return Read(sub, vRev);
    case 0x05:
        s.adjustSet = Clamp(command[4], 0, 1);
        return Read(sub, vRev);
    case 0x06:
        s.sens = Clamp(command[4], 0, kDefectSensMax);
        return Read(sub, vRev);
    case 0x07:
        s.defectA = Clamp(command[4], 0, 1);
        return reply.Put(4, s.defectA);
    case 0x09: { // search A
        if (const auto found = Search(sensor[0], command)) {
            s.points[0] = *found;
            s.defectA = 1;
        } else {
            s.defectA = 0;
        }
        PutPoint(reply, 7, s.points[0]);
        return reply.Put(11, s.defectA).Put(12, s.kfFix).Put(13, s.kfRev);
    }
    case 0x0A: { // search B and C: both or neither
        const auto b = Search(sensor[1], command);
        const auto c = Search(sensor[2], command);
        if (b && c) {
            s.points[1] = *b;
            s.points[2] = *c;
            s.defectBC = 1;
        } else {
            s.defectBC = 0;
        }
        PutPoint(reply, 7, s.points[1]);
        PutPoint(reply, 11, s.points[2]);
        return reply.Put(15, s.defectBC);
    }
    case 0x0B:
        s.kfOff = Clamp(command[4], 0, 1);
        return Read(sub, vRev);
    case 0x10:
        s.kfFix = Clamp(command[4], 0, 1);
        return Read(sub, vRev);
    case 0x11:
        s.kfRev = Clamp(command[4], 0, 1);
        return Read(sub, vRev);
    case 0x12: { // position of B (00) or C (01)
        if (command[4] > 1) return Reply::Rejected(kCode).Put(3, sub);
        DefectPoint& p = s.points[command[4] + 1u];
        p = Limited(command.Word(5), command.Word(7));
        return PutPoint(reply.Put(4, command[4]), 5, p);
    }
    case 0x13: { // cursor display of B (00) or C (01)
        if (command[4] > 1 || command[5] > 1) return Reply::Rejected(kCode).Put(3, sub);
        const std::uint8_t which = static_cast<std::uint8_t>(2 + command[5]);
        if (command[4] == 1)
            cursor = which;
        else if (cursor == which)
            cursor = 0;
        return reply.Put(4, command[4]).Put(5, command[5]);
    }
    case 0x14:
        s.defectBC = Clamp(command[4], 0, 1);
        return reply.Put(4, s.defectBC);
    default:
        return Reply::Rejected(kCode).Put(3, sub);
    }
}

} // namespace camsim
