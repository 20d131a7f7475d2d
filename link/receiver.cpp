#include "link/receiver.h"

#include "link/crc.h"

#include <algorithm>

namespace cam {

namespace {
constexpr int kIdle = 0, kPayload = 1, kEtx = 2, kCrcHigh = 3, kCrcLow = 4, kTrailing = 5,
              kError = 6;

// Start byte and payload of the frame that `start` begins: the ETX follows.
int payloadEnd(std::uint8_t start) {
    return start == SOH ? 3 : 16;
}

bool isControlResult(std::uint8_t b) {
    return b == NUL || b == EOT || b == ENQ || b == ACK || b == DC1 || b == NAK || b == SYN;
}
} // namespace

TReceiver::Step TReceiver::r_data(std::uint8_t byte) {
    Step step;
    switch (state_) {
    case kIdle:
        if (isControlResult(byte)) {
            step.result = byte;
        } else if (byte == SOH || byte == STX) {
            frame_[0] = byte;
            length_ = 1;
            state_ = kPayload;
        }
        break;
    case kPayload:
        frame_[static_cast<std::size_t>(length_++)] = byte;
        if (length_ == payloadEnd(frame_[0])) state_ = kEtx;
        break;
    case kEtx:
        if (byte == ETX) {
            frame_[static_cast<std::size_t>(length_++)] = byte;
            state_ = kCrcHigh;
        } else {
            step.fault = Fault::MissingEtx;
            state_ = kError;
        }
        break;
    case kCrcHigh:
        receivedCrc_ = static_cast<std::uint16_t>(byte << 8);
        state_ = kCrcLow;
        break;
    case kCrcLow: {
        receivedCrc_ = static_cast<std::uint16_t>(receivedCrc_ | byte);
        const std::size_t covered = frame_[0] == SOH ? 3 : 16;
        if (frame_crc(frame_.data() + 1, covered) == receivedCrc_) {
            // Bytes beyond a short frame's ETX keep what earlier frames left.
            std::copy_n(frame_.begin(), length_, buffer_.begin());
            step.result = ETX;
            state_ = kTrailing;
        } else {
            step.fault = Fault::BadCrc;
            state_ = kError;
        }
        break;
    }
    case kTrailing:
        // The byte after a frame is reported as it came; bytes of 0x80 and
        // more are no result.
        if (byte < 0x80) step.result = byte;
        state_ = kIdle;
        break;
    default:
        state_ = kIdle;
        break;
    }
    if (state_ == kError) {
        state_ = kIdle;
        step.result = -1;
    }
    return step;
}

std::uint32_t TReceiver::Missing() const {
    switch (state_) {
    case kPayload: // the rest of the payload, ETX and the CRC
        return static_cast<std::uint32_t>(payloadEnd(frame_[0]) - length_ + 3);
    case kEtx:
        return 3;
    case kCrcHigh:
        return 2;
    case kCrcLow:
        return 1;
    default:
        return 0;
    }
}

} // namespace cam
