#include "link/journal.h"

#include <cerrno>
#include <cstring>
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

std::string TJournal::IsoTime(std::int64_t steadyUs) {
    // The inspector's clock, so that a line here is found there.
    return TrafficIsoTime(TrafficWallUs(steadyUs));
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
