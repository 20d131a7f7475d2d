#pragma once
// The traffic log of the simulated camera: one line per frame or control
// byte, each direction, with the local time of day, for example
//   12:00:00.123 PC>CAM 02 31 0A 01 00 ... 03 43 1F
//   12:00:00.124 CAM>PC 06
// or, with microseconds, 12:00:00.123456. A unit from the tool is stamped when
// its last byte has reached the camera, a unit the camera sends when it is
// handed to the line. The stamp is taken by the caller; formatting and the
// file are left to a writer thread, so that a slow disk never holds up the
// line (a blocked write would show up as the tool's turnaround).

#include "sim/camera_model.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <fstream>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace camsim {

// The line without its time stamp. Frames longer than 32 bytes (the bulk
// frame) show their first 16 and last 3 bytes and their length.
std::string TrafficText(Direction direction, const std::vector<std::uint8_t>& bytes,
                        std::string_view note);

class TrafficLog {
  public:
    TrafficLog() = default;
    TrafficLog(const TrafficLog&) = delete;
    TrafficLog& operator=(const TrafficLog&) = delete;
    // Every line handed over is in the file when this returns.
    ~TrafficLog();

    bool Open(const std::string& path, std::string* error);
    bool IsOpen() const { return open_; }
    // Time stamps to the microsecond instead of the millisecond.
    void SetMicroseconds(bool on);
    void Traffic(Direction direction, const std::vector<std::uint8_t>& bytes,
                 std::string_view note);
    // A line about the line itself (opened, closed).
    void Event(std::string_view text);

  private:
    struct Line {
        std::chrono::system_clock::time_point time;
        std::string text;
    };
    void Write(std::string text);
    void Run();

    bool open_ = false;
    bool microseconds_ = false; // under mutex_
    std::ofstream out_;         // the writer thread's once it runs
    std::thread writer_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Line> lines_; // under mutex_
    bool stop_ = false;      // under mutex_
};

} // namespace camsim
