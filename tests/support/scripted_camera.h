#pragma once
// A camera for window tests on the in-memory port: ACK to ENQ, ACK alone to
// the reset and the preset command, ACK and an accepted reply echoing code
// and sub-code to every other command frame. `reply` may supply the data.

#include "link/crc.h"
#include "link/frames.h"
#include "support/fake_port.h"

#include <algorithm>
#include <functional>

struct ScriptedCamera {
    using Bytes = FakePort::Bytes;
    // Payload bytes 1..15 of the reply to a command (payload bytes 1..15).
    std::function<Bytes(const Bytes& command)> reply;
    int commands = 0;

    static Bytes Frame(Bytes payload) {
        payload.resize(15, 0);
        Bytes f(payload.size() + 1);
        f[0] = cam::STX;
        std::copy(payload.begin(), payload.end(), f.begin() + 1);
        f.push_back(cam::ETX);
        const std::uint16_t crc = cam::frame_crc(f.data() + 1, 16);
        f.push_back(static_cast<std::uint8_t>(crc >> 8));
        f.push_back(static_cast<std::uint8_t>(crc));
        return f;
    }

    void Attach(FakePort& port) {
        port.answer = [this](std::uint8_t, const Bytes& w) { return Answer(w); };
    }

    Bytes Answer(const Bytes& w) {
        if (w.size() == 1 && w[0] == cam::ENQ) return {cam::ACK};
        if (w.size() != 19) return {};
        ++commands;
        const Bytes command(w.begin() + 1, w.begin() + 16);
        if (command[0] == cam::kResetClass) return {cam::ACK};
        if (command[0] == cam::kWriteClass && command[1] == 0x20 && command[2] == 0x00)
            return {cam::ACK};
        Bytes out{cam::ACK};
        const Bytes r =
            Frame(reply ? reply(command) : Bytes{cam::kAccepted, command[1], command[2]});
        out.insert(out.end(), r.begin(), r.end());
        return out;
    }
};
