// The whole simulated camera fed arbitrary bytes from the tool. Input byte 0
// chooses the video format options and how the rest becomes the line: as it
// is, or through build_line (frames with good CRCs). Everything the
// camera sends is ACK, NAK or a 19-byte reply frame with ETX and a good CRC,
// and what Feed returns is exactly what it announced to its observer.

#include "fuzz/fuzz_check.h"
#include "fuzz/line_builder.h"
#include "link/frames.h"
#include "sim/camera_model.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    camsim::ModelOptions options;
    options.pal = (data[0] & 1) != 0;
    options.hiResolution = (data[0] & 2) != 0;
    camsim::CameraModel model(options);

    std::vector<std::uint8_t> announced;
    model.SetObserver([&](camsim::Direction direction, const std::vector<std::uint8_t>& bytes,
                          std::string_view) {
        if (direction != camsim::Direction::FromCamera) return;
        if (bytes.size() == 1) {
            FUZZ_CHECK(bytes[0] == cam::ACK || bytes[0] == cam::NAK);
        } else {
            FUZZ_CHECK(bytes.size() == cam::kFrameSize && bytes[0] == cam::STX);
            FUZZ_CHECK(camfuzz::frame_good(bytes.data(), bytes.size()));
        }
        announced.insert(announced.end(), bytes.begin(), bytes.end());
    });

    std::vector<std::uint8_t> line(data + 1, data + size);
    if (data[0] & 8) line = camfuzz::build_line(data + 1, size - 1);

    std::vector<std::uint8_t> sent;
    if (data[0] & 4) {
        // The line opened first: the greeting, then the traffic.
        model.LineOpened();
        sent = model.DtrRaised();
    }
    // Half the traffic byte by byte, the rest in one call.
    const std::size_t half = line.size() / 2;
    for (std::size_t i = 0; i < half; ++i) {
        const auto out = model.Feed(line[i]);
        sent.insert(sent.end(), out.begin(), out.end());
    }
    const auto out = model.Feed(line.data() + half, line.size() - half);
    sent.insert(sent.end(), out.begin(), out.end());
    FUZZ_CHECK(sent == announced);
    return 0;
}
