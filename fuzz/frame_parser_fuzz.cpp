// The simulated camera's frame parser fed arbitrary bytes. Every unit it
// reports has the shape of its kind: control bytes are EOT, ENQ, ACK or NAK;
// command and bulk frames have their length, ETX and a good CRC; a bad frame
// has a frame's length and is not a good frame; ignored bytes hold no byte
// that could start a unit. It never holds more than one frame's worth.
// Input byte 0 chooses the line: odd, the rest as it is; even, the rest
// through build_line (frames with good CRCs).

#include "fuzz/fuzz_check.h"
#include "fuzz/line_builder.h"
#include "link/frames.h"
#include "sim/frame_parser.h"

#include <vector>

namespace {

bool is_control(std::uint8_t b) {
    return b == cam::EOT || b == cam::ENQ || b == cam::ACK || b == cam::NAK;
}

void check_unit(const camsim::ToolUnit& unit) {
    using Kind = camsim::ToolUnit::Kind;
    const auto& b = unit.bytes;
    FUZZ_CHECK(!b.empty());
    switch (unit.kind) {
    case Kind::Control:
        FUZZ_CHECK(b.size() == 1 && is_control(b[0]));
        break;
    case Kind::Command:
        FUZZ_CHECK(b.size() == cam::kFrameSize && b[0] == cam::STX);
        FUZZ_CHECK(camfuzz::frame_good(b.data(), b.size()));
        break;
    case Kind::Bulk: {
        FUZZ_CHECK(b.size() >= 2 && b[0] == cam::SOH);
        const std::size_t data = camsim::BulkDataSize(b[1]);
        FUZZ_CHECK(data > 0 && b.size() == data + 5);
        FUZZ_CHECK(camfuzz::frame_good(b.data(), b.size()));
        break;
    }
    case Kind::BadFrame: {
        FUZZ_CHECK(b[0] == cam::STX || b[0] == cam::SOH);
        const std::size_t data = b[0] == cam::SOH && b.size() >= 2 ? camsim::BulkDataSize(b[1]) : 0;
        if (data > 0) {
            FUZZ_CHECK(b.size() == data + 5);
            FUZZ_CHECK(!camfuzz::frame_good(b.data(), b.size()));
        } else {
            FUZZ_CHECK(b.size() == cam::kFrameSize);
            FUZZ_CHECK(b[0] == cam::SOH || !camfuzz::frame_good(b.data(), b.size()));
        }
        break;
    }
    case Kind::Garbage:
        for (std::uint8_t x : b)
            FUZZ_CHECK(!is_control(x) && x != cam::STX && x != cam::SOH);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::vector<std::uint8_t> line = (data[0] & 1)
                                               ? std::vector<std::uint8_t>(data + 1, data + size)
                                               : camfuzz::build_line(data + 1, size - 1);
    camsim::FrameParser parser;
    for (std::uint8_t byte : line) {
        for (const auto& unit : parser.Push(byte))
            check_unit(unit);
        FUZZ_CHECK(parser.Pending() < cam::kBulkFrameSize);
    }
    return 0;
}
