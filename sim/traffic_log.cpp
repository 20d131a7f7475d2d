#include "sim/traffic_log.h"

#include "link/hex.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace camsim {

namespace {

constexpr std::size_t kShownWhole = 32;
constexpr std::size_t kShownHead = 16;
constexpr std::size_t kShownTail = 3;

std::string time_stamp(std::chrono::system_clock::time_point now, bool microseconds) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto micros =
        std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch()).count() %
        1'000'000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[24];
    if (microseconds)
        std::snprintf(text, sizeof text, "%02d:%02d:%02d.%06d", local.tm_hour, local.tm_min,
                      local.tm_sec, static_cast<int>(micros));
    else
        std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min,
                      local.tm_sec, static_cast<int>(micros / 1000));
    return text;
}

void append_bytes(std::string& text, const std::uint8_t* data, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        text += ' ' + cam::hex2(data[i]);
}

} // namespace

std::string TrafficText(Direction direction, const std::vector<std::uint8_t>& bytes,
                        std::string_view note) {
    std::string text = direction == Direction::ToCamera ? "PC>CAM" : "CAM>PC";
    if (bytes.size() <= kShownWhole) {
        append_bytes(text, bytes.data(), bytes.size());
    } else {
        append_bytes(text, bytes.data(), kShownHead);
        text += " ...";
        append_bytes(text, bytes.data() + bytes.size() - kShownTail, kShownTail);
        text += " (" + std::to_string(bytes.size()) + " bytes)";
    }
    if (!note.empty()) {
        text += "  [";
        text += note;
        text += ']';
    }
    return text;
}

TrafficLog::~TrafficLog() {
    if (!writer_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    writer_.join();
}

bool TrafficLog::Open(const std::string& path, std::string* error) {
    if (open_) {
        if (error) *error = path + ": the log is open already";
        return false;
    }
    out_.open(path, std::ios::out | std::ios::trunc);
    if (!out_) {
        if (error) *error = path + ": cannot be written";
        return false;
    }
    open_ = true;
    writer_ = std::thread([this] { Run(); });
    return true;
}

void TrafficLog::SetMicroseconds(bool on) {
    std::lock_guard lock(mutex_);
    microseconds_ = on;
}

void TrafficLog::Traffic(Direction direction, const std::vector<std::uint8_t>& bytes,
                         std::string_view note) {
    Write(TrafficText(direction, bytes, note));
}

void TrafficLog::Event(std::string_view text) {
    Write("-- " + std::string(text));
}

void TrafficLog::Write(std::string text) {
    if (!open_) return;
    const auto now = std::chrono::system_clock::now();
    {
        std::lock_guard lock(mutex_);
        lines_.push_back({now, std::move(text)});
    }
    wake_.notify_one();
}

// Writes what has come in, flushed at once: readers of the file (the
// benchmark, the tests) see a line shortly after the unit was on the line.
void TrafficLog::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || !lines_.empty(); });
        std::deque<Line> taken;
        taken.swap(lines_);
        const bool stop = stop_;
        const bool microseconds = microseconds_;
        lock.unlock();
        for (const Line& line : taken)
            out_ << time_stamp(line.time, microseconds) << ' ' << line.text << '\n';
        out_.flush();
        lock.lock();
        if (stop && lines_.empty()) return;
    }
}

} // namespace camsim
