#pragma once
// Splits the bytes the tool sends into what the camera acts on: single
// control bytes, 19-byte command frames and bulk frames. Frames are taken by
// their fixed length, never by pauses on the line.
//
// A frame whose ETX or CRC is wrong is reported once as a bad frame (the
// camera answers it with NAK). The parser then resynchronises: it looks for
// the next start byte after the failed one's start, inside the bytes it
// already holds, so a frame that began inside the broken one is still found.
// Bytes of the broken frame are not acted on as control bytes, and a
// candidate that starts inside them and fails is dropped without a NAK.
//
// SOH followed by anything but a bulk size code (0x73..0x75) counts as a
// broken 19-byte frame: it is what the tool sends when it repeats its
// command frame after a bulk transfer with the start byte of the bulk frame.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace camsim {

struct ToolUnit {
    enum class Kind {
        Control,  // EOT, ENQ, ACK or NAK
        Command,  // STX, 15 payload bytes, ETX, CRC: checked
        Bulk,     // SOH, size code, data, ETX, CRC: checked
        BadFrame, // a frame whose ETX or CRC is wrong
        Garbage,  // bytes that are none of these
    };
    Kind kind;
    std::vector<std::uint8_t> bytes;
    bool answered = true; // BadFrame: false when found while resynchronising
};

class FrameParser {
  public:
    // Takes one byte; returns the units it completes (often none).
    std::vector<ToolUnit> Push(std::uint8_t byte);
    // Forgets a frame in progress (a new opening of the line).
    void Reset();
    // Bytes held for a frame not yet complete.
    std::size_t Pending() const { return pending_.size(); }

  private:
    void Drain(std::vector<ToolUnit>& out);
    void Consume(std::size_t count);

    std::vector<std::uint8_t> pending_;
    std::size_t brokenSpan_ = 0; // leading bytes of pending_ that lie inside a broken frame
};

// Data length of a bulk size code, or 0 when the byte is no bulk size code.
std::size_t BulkDataSize(std::uint8_t sizeCode);

} // namespace camsim
