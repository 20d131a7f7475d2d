#pragma once
// The traffic log of the simulated camera: one line per frame or control
// byte, each direction, with the local time of day, for example
//   12:00:00.123 PC>CAM 02 31 0A 01 00 ... 03 43 1F
//   12:00:00.124 CAM>PC 06
// or, with microseconds, 12:00:00.123456. A unit from the tool is stamped when
// its last byte has reached the camera, a unit the camera sends when it is
// handed to the line.

#include "sim/camera_model.h"

#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace camsim {

// The line without its time stamp. Frames longer than 32 bytes (the bulk
// frame) show their first 16 and last 3 bytes and their length.
std::string TrafficText(Direction direction, const std::vector<std::uint8_t>& bytes,
                        std::string_view note);

class TrafficLog {
  public:
    bool Open(const std::string& path, std::string* error);
    bool IsOpen() const { return out_.is_open(); }
    // Time stamps to the microsecond instead of the millisecond.
    void SetMicroseconds(bool on) { microseconds_ = on; }
    void Traffic(Direction direction, const std::vector<std::uint8_t>& bytes,
                 std::string_view note);
    // A line about the line itself (opened, closed).
    void Event(std::string_view text);

  private:
    void Write(const std::string& text);
    std::ofstream out_;
    bool microseconds_ = false;
};

} // namespace camsim
