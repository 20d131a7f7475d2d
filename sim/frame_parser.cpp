#include "sim/frame_parser.h"

#include "link/crc.h"
#include "link/frames.h"

#include <algorithm>

namespace camsim {

namespace {

bool is_control(std::uint8_t b) {
    return b == cam::EOT || b == cam::ENQ || b == cam::ACK || b == cam::NAK;
}

// ETX at its place and the CRC over everything from byte 1 to the ETX.
bool frame_ok(const std::vector<std::uint8_t>& bytes, std::size_t length) {
    const std::size_t etx = length - 3;
    if (bytes[etx] != cam::ETX) return false;
    const std::uint16_t crc = cam::frame_crc(bytes.data() + 1, etx);
    return crc == ((bytes[length - 2] << 8) | bytes[length - 1]);
}

} // namespace

std::size_t BulkDataSize(std::uint8_t sizeCode) {
    // The tool sends 0x75; 0x73 and 0x74 announce shorter images.
    if (sizeCode < 0x73 || sizeCode > 0x75) return 0;
    return cam::bulk_data_size(sizeCode);
}

std::vector<ToolUnit> FrameParser::Push(std::uint8_t byte) {
    pending_.push_back(byte);
    std::vector<ToolUnit> out;
    Drain(out);
    return out;
}

void FrameParser::Reset() {
    pending_.clear();
    brokenSpan_ = 0;
}

void FrameParser::Consume(std::size_t count) {
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(count));
    brokenSpan_ = brokenSpan_ > count ? brokenSpan_ - count : 0;
}

void FrameParser::Drain(std::vector<ToolUnit>& out) {
    while (!pending_.empty()) {
        const std::uint8_t first = pending_[0];
        const bool insideBroken = brokenSpan_ > 0;
        std::size_t length = 0;
        bool malformed = false;
        if (first == cam::STX) {
            length = cam::kFrameSize;
        } else if (first == cam::SOH) {
            if (pending_.size() < 2) return;
            const std::size_t data = BulkDataSize(pending_[1]);
            // No size code: a command frame that went wrong, unless the SOH
            // is just a byte of a frame that already did.
            malformed = data == 0;
            if (!malformed)
                length = data + 5;
            else if (!insideBroken)
                length = cam::kFrameSize;
        }
        if (length > 0) {
            if (pending_.size() < length) return;
            std::vector<std::uint8_t> bytes(pending_.begin(),
                                            pending_.begin() + static_cast<std::ptrdiff_t>(length));
            if (!malformed && frame_ok(pending_, length)) {
                const auto kind =
                    first == cam::STX ? ToolUnit::Kind::Command : ToolUnit::Kind::Bulk;
                out.push_back({kind, std::move(bytes)});
                Consume(length);
            } else {
                out.push_back({ToolUnit::Kind::BadFrame, std::move(bytes), !insideBroken});
                // A false start inside a broken frame does not widen it: what
                // follows the broken frame is new traffic.
                if (!insideBroken) brokenSpan_ = length;
                Consume(1);
            }
            continue;
        }
        if (!insideBroken) {
            if (is_control(first)) {
                out.push_back({ToolUnit::Kind::Control, {first}});
            } else if (!out.empty() && out.back().kind == ToolUnit::Kind::Garbage) {
                out.back().bytes.push_back(first);
            } else {
                out.push_back({ToolUnit::Kind::Garbage, {first}});
            }
        }
        Consume(1);
    }
}

} // namespace camsim
