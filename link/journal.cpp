#include "link/journal.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace cam {

TJournal::~TJournal() {
    Close();
}

bool TJournal::Open(const std::string& path) {
    Close();
    path_ = path;
    failed_ = false;
    failure_.clear();
    const std::int64_t wall = std::chrono::duration_cast<std::chrono::microseconds>(
                                  std::chrono::system_clock::now().time_since_epoch())
                                  .count();
    wallMinusSteadyUs_ = wall - TrafficNowUs();
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        fail(path + ": cannot be opened: " + std::strerror(errno));
        return false;
    }
    TTrafficRecord opened;
    opened.timeUs = TrafficNowUs();
    opened.text = "journal opened";
    Write(opened);
    return !failed_;
}

void TJournal::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

std::string TJournal::IsoTime(std::int64_t steadyUs) const {
    const std::int64_t wall = steadyUs + wallMinusSteadyUs_;
    const std::time_t seconds = static_cast<std::time_t>(wall / 1000000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%06dZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<int>((wall % 1000000 + 1000000) % 1000000));
    return text;
}

void TJournal::Write(const TTrafficRecord& record) {
    if (fd_ < 0 || failed_) return;
    writeLine(TrafficLine(record, IsoTime(record.timeUs)) + '\n');
}

void TJournal::writeLine(const std::string& line) {
    const char* p = line.data();
    std::size_t left = line.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            fail(path_ + ": cannot be written: " + std::strerror(n < 0 ? errno : ENOSPC));
            return;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

void TJournal::fail(const std::string& message) {
    if (failed_) return;
    failed_ = true;
    failure_ = message;
    if (onFailure_) onFailure_(message);
}

} // namespace cam
