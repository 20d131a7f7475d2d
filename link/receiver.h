#pragma once
// The receive state machine: recognises single control bytes and checks reply
// frames (start byte, payload, ETX, CRC) one byte at a time.

#include "link/frames.h"

#include <cstdint>

namespace cam {

class TReceiver {
  public:
    enum class Fault { None, MissingEtx, BadCrc };
    struct Step {
        int result = -1;           // -1: nothing to report, else a byte value (3: good frame)
        Fault fault = Fault::None; // MissingEtx: show "sr_err1"; BadCrc: answer NAK
    };

    // One received byte (as the line delivers it, 0x00..0xFF).
    Step r_data(std::uint8_t byte);
    // Back to idle; the supervision does this when it gives up on an exchange.
    void Reset() { state_ = 0; }

    int State() const { return state_; }
    // Bytes still to come before the frame being received is complete; 0
    // between frames.
    std::uint32_t Missing() const;
    // The last frame that passed its checks: a frame that fails them never
    // reaches it, so a decoder never reads bytes that failed the CRC.
    const ReplyBuffer& Buffer() const { return buffer_; }

  private:
    ReplyBuffer buffer_{};
    ReplyBuffer frame_{}; // the frame being received
    int length_ = 0;
    std::uint16_t receivedCrc_ = 0;
    int state_ = 0;
};

} // namespace cam
