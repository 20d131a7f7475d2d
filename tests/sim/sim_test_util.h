#pragma once
// Helpers for the simulated camera's tests: frames as the tool builds them
// and the checked reply of one exchange.

#include "link/crc.h"
#include "link/frames.h"
#include "sim/camera_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace simtest {

using Bytes = std::vector<std::uint8_t>;

// A command frame with payload bytes 1..n as given, the rest 0.
inline Bytes CommandFrame(std::initializer_list<int> payload) {
    cam::TxFrame frame{};
    int n = 0;
    for (int b : payload)
        frame[static_cast<std::size_t>(++n)] = static_cast<std::uint8_t>(b);
    cam::complete_command_frame(frame, n);
    return Bytes(frame.begin(), frame.end());
}

// A bulk frame: SOH, size code, data, ETX, CRC.
inline Bytes BulkFrame(std::uint8_t sizeCode, const Bytes& data) {
    Bytes frame(data.size() + 5);
    frame[0] = cam::SOH;
    frame[1] = sizeCode;
    std::copy(data.begin(), data.end(), frame.begin() + 2);
    frame[data.size() + 2] = cam::ETX;
    const std::uint16_t crc = cam::frame_crc(frame.data() + 1, data.size() + 2);
    frame[data.size() + 3] = static_cast<std::uint8_t>(crc >> 8);
    frame[data.size() + 4] = static_cast<std::uint8_t>(crc);
    return frame;
}

inline Bytes Feed(camsim::CameraModel& camera, const Bytes& bytes) {
    return camera.Feed(bytes.data(), bytes.size());
}

// True when `bytes` is one well-formed reply frame: STX, 15 bytes, ETX, CRC.
inline bool IsReplyFrame(const Bytes& bytes) {
    if (bytes.size() != cam::kFrameSize || bytes[0] != cam::STX || bytes[16] != cam::ETX)
        return false;
    const std::uint16_t crc = cam::frame_crc(bytes.data() + 1, 16);
    return bytes[17] == (crc >> 8) && bytes[18] == (crc & 0xFF);
}

// Sends a command and expects ACK and one good reply frame. The result holds
// the reply frame, so result[n] is reply byte n (result[1] the status).
inline Bytes Exchange(camsim::CameraModel& camera, std::initializer_list<int> payload) {
    const Bytes out = Feed(camera, CommandFrame(payload));
    EXPECT_EQ(out.size(), 1 + cam::kFrameSize);
    if (out.size() != 1 + cam::kFrameSize) return Bytes(cam::kFrameSize, 0);
    EXPECT_EQ(out[0], cam::ACK);
    const Bytes reply(out.begin() + 1, out.end());
    EXPECT_TRUE(IsReplyFrame(reply));
    return reply;
}

inline int Word(const Bytes& reply, int n) {
    return (reply[static_cast<std::size_t>(n)] << 8) | reply[static_cast<std::size_t>(n + 1)];
}

} // namespace simtest
