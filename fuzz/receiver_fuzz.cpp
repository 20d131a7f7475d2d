// The receive state machine (TReceiver::r_data) fed an arbitrary byte stream.
// Checked after every byte: the state is one the machine can rest in, a
// fault never comes with a result, and when the CRC's low byte arrives the
// last bytes on the line are the frame the buffer holds: the machine reports
// it complete (ETX) exactly when its CRC verifies, and BadCrc otherwise.

#include "fuzz/fuzz_check.h"
#include "link/crc.h"
#include "link/frames.h"
#include "link/receiver.h"

#include <algorithm>

namespace {
constexpr int kEtxState = 2, kCrcLowState = 4, kTrailingState = 5;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using Fault = cam::TReceiver::Fault;
    cam::TReceiver rx;
    std::uint8_t start = 0; // the start byte of the frame being received
    for (std::size_t i = 0; i < size; ++i) {
        const int before = rx.State();
        const cam::ReplyBuffer previous = rx.Buffer();
        const cam::TReceiver::Step step = rx.r_data(data[i]);
        const int after = rx.State();
        FUZZ_CHECK(after >= 0 && after <= kTrailingState);
        FUZZ_CHECK(step.result >= -1 && step.result <= 0xFF);
        if (step.fault != Fault::None) FUZZ_CHECK(step.result == -1);
        if (step.fault == Fault::MissingEtx)
            FUZZ_CHECK(before == kEtxState && data[i] != cam::ETX && after == 0);
        if (step.fault == Fault::BadCrc) FUZZ_CHECK(before == kCrcLowState && after == 0);

        if (before == 0 && after == 1) start = data[i];
        if (before == kCrcLowState) {
            const cam::ReplyBuffer& buf = rx.Buffer();
            FUZZ_CHECK(start == cam::SOH || start == cam::STX);
            const std::size_t covered = start == cam::SOH ? 3 : 16; // payload and ETX
            const std::size_t length = covered + 3;
            FUZZ_CHECK(i + 1 >= length);
            const std::uint8_t* frame = data + i + 1 - length;
            FUZZ_CHECK(frame[0] == start && frame[covered] == cam::ETX);
            FUZZ_CHECK(cam::frame_crc(frame + 1, covered) ==
                       camfuzz::reference_crc(frame + 1, covered));
            if (camfuzz::frame_good(frame, length)) {
                FUZZ_CHECK(step.result == cam::ETX && step.fault == Fault::None &&
                           after == kTrailingState);
                FUZZ_CHECK(std::equal(frame, frame + covered + 1, buf.begin()));
                // A short frame leaves the bytes after its ETX as they were.
                FUZZ_CHECK(std::equal(buf.begin() + static_cast<long>(covered) + 1, buf.end(),
                                      previous.begin() + static_cast<long>(covered) + 1));
            } else {
                // A frame that fails its check never reaches the buffer.
                FUZZ_CHECK(step.fault == Fault::BadCrc && buf == previous);
            }
        } else if (after != kTrailingState) {
            FUZZ_CHECK(rx.Buffer() == previous); // only a good frame changes it
        } else if (step.result == cam::ETX) {
            // Elsewhere 0x03 comes back only as the byte that follows a frame.
            FUZZ_CHECK(before == kTrailingState);
        }
    }
    return 0;
}
