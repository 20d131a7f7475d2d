#include "link/frames.h"

#include "link/crc.h"

#include <algorithm>

namespace cam {

void complete_command_frame(TxFrame& frame, int count) {
    frame[0] = STX;
    for (int i = std::max(count, 0) + 1; i <= static_cast<int>(kPayloadSize); ++i)
        frame[static_cast<std::size_t>(i)] = 0x00;
    frame[16] = ETX;
    const std::uint16_t crc = frame_crc(frame.data() + 1, 16);
    frame[17] = static_cast<std::uint8_t>(crc >> 8);
    frame[18] = static_cast<std::uint8_t>(crc);
}

TxFrame command_frame(std::initializer_list<std::uint8_t> payload) {
    TxFrame frame{};
    const std::size_t count = std::min(payload.size(), kPayloadSize);
    std::copy_n(payload.begin(), count, frame.begin() + 1);
    complete_command_frame(frame, static_cast<int>(count));
    return frame;
}

void build_bulk_frame(BulkFrame& frame, const std::uint8_t* data2048) {
    frame[0] = SOH;
    frame[1] = kBulkSizeCode;
    std::copy(data2048, data2048 + kBulkDataSize, frame.begin() + 2);
    frame[2 + kBulkDataSize] = ETX;
    const std::uint16_t crc = frame_crc(frame.data() + 1, kBulkDataSize + 2);
    frame[3 + kBulkDataSize] = static_cast<std::uint8_t>(crc >> 8);
    frame[4 + kBulkDataSize] = static_cast<std::uint8_t>(crc);
}

std::size_t bulk_data_size(std::uint8_t size_code) {
    switch (size_code) {
    case 0x73:
        return 1024;
    case 0x74:
        return 1536;
    default:
        return 2048;
    }
}

} // namespace cam
