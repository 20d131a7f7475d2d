#include "sim/pty_server.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>

namespace camsim {

namespace {

// 9600 bit/s, one start bit, eight data bits, one stop bit.
constexpr auto kByteTime = std::chrono::nanoseconds(10'000'000'000LL / 9600);
// How often the hung-up line is looked at for a new opening.
constexpr int kHangUpPollMs = 50;

std::string system_error(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

void close_fd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// poll() with a time-out to the nanosecond (negative: none), so that paced
// bytes leave on time rather than on the next millisecond.
int poll_for(pollfd* fds, nfds_t count, std::chrono::steady_clock::duration timeout) {
    if (timeout < std::chrono::steady_clock::duration::zero())
        return ::ppoll(fds, count, nullptr, nullptr);
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(timeout).count();
    const timespec wait{static_cast<time_t>(ns / 1'000'000'000),
                        static_cast<long>(ns % 1'000'000'000)};
    return ::ppoll(fds, count, &wait, nullptr);
}

bool set_nonblocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

} // namespace

PtyServer::PtyServer(CameraModel& model, bool pace, bool watchOpens)
    : model_(model), pace_(pace), watchOpens_(watchOpens) {}

PtyServer::~PtyServer() {
    close_fd(master_);
    close_fd(stopRead_);
    close_fd(stopWrite_);
    close_fd(wakeRead_);
    close_fd(wakeWrite_);
    close_fd(opens_);
}

void PtyServer::SetLog(TrafficLog* log) {
    log_ = log;
    if (log_)
        model_.SetObserver([log](Direction d, const std::vector<std::uint8_t>& bytes,
                                 std::string_view note) { log->Traffic(d, bytes, note); });
    else
        model_.SetObserver({});
}

bool PtyServer::Open(std::string* error) {
    const auto fail = [&](const char* what) {
        if (error) *error = system_error(what);
        close_fd(master_);
        return false;
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) return fail("posix_openpt");
    if (::grantpt(master_) != 0) return fail("grantpt");
    if (::unlockpt(master_) != 0) return fail("unlockpt");
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0) return fail("ptsname_r");
    devicePath_ = name;

    // Raw mode for the device side: termios set through the master apply to it.
    termios settings{};
    if (::tcgetattr(master_, &settings) != 0) return fail("tcgetattr");
    ::cfmakeraw(&settings);
    ::cfsetispeed(&settings, B9600);
    ::cfsetospeed(&settings, B9600);
    if (::tcsetattr(master_, TCSANOW, &settings) != 0) return fail("tcsetattr");
    if (!set_nonblocking(master_)) return fail("fcntl");

    // A master whose device was never opened reports no hang-up; one opening
    // and closing puts it into the hung-up state that the serving loop expects.
    const int device = ::open(name, O_RDWR | O_NOCTTY);
    if (device < 0) return fail("open of the device");
    ::close(device);

    // Watch for the openings from now on; without it the hang-up is watched.
    if (watchOpens_) opens_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (opens_ >= 0 &&
        ::inotify_add_watch(opens_, name, IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0)
        close_fd(opens_);

    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC | O_NONBLOCK) != 0) return fail("pipe2");
    stopRead_ = pipe[0];
    stopWrite_ = pipe[1];
    if (::pipe2(pipe, O_CLOEXEC | O_NONBLOCK) != 0) return fail("pipe2");
    wakeRead_ = pipe[0];
    wakeWrite_ = pipe[1];
    return true;
}

void PtyServer::Woken() {
    char buffer[64];
    while (::read(wakeRead_, buffer, sizeof buffer) > 0) {
    }
    if (wakeHandler_) wakeHandler_();
}

bool PtyServer::HungUp() const {
    pollfd p{master_, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & POLLHUP) != 0;
}

void PtyServer::Queue(const std::vector<std::uint8_t>& bytes, Clock::time_point from) {
    for (std::uint8_t b : bytes) {
        Clock::time_point due = from;
        if (pace_) {
            due = std::max(from, lastDue_) + kByteTime;
            lastDue_ = due;
        }
        output_.push_back({b, due});
    }
}

PtyServer::Clock::duration PtyServer::PollTimeout() const {
    if (output_.empty() && input_.empty() && !greeting_) return Clock::duration(-1);
    auto due = Clock::time_point::max();
    if (!output_.empty()) due = output_.front().due;
    if (!input_.empty()) due = std::min(due, input_.front().due);
    if (greeting_) due = std::min(due, greetingDue_);
    // Zero when due now: wait for the line to take it.
    return std::max(Clock::duration::zero(), due - Clock::now());
}

bool PtyServer::ReadFromTool() {
    std::uint8_t buffer[4096];
    for (;;) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0) {
            greeting_ = false; // the tool spoke first: the camera answers that
            if (!paceInput_) {
                Queue(model_.Feed(buffer, static_cast<std::size_t>(n)));
                continue;
            }
            const auto now = Clock::now();
            for (ssize_t i = 0; i < n; ++i) {
                lastInDue_ = std::max(now, lastInDue_) + kByteTime;
                input_.push_back({buffer[i], lastInDue_});
            }
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        return false; // EIO: the device was closed
    }
}

void PtyServer::FeedDue() {
    const auto now = Clock::now();
    std::vector<std::uint8_t> arrived;
    Clock::time_point last{};
    while (!input_.empty() && input_.front().due <= now) {
        arrived.push_back(input_.front().byte);
        last = input_.front().due;
        input_.pop_front();
    }
    // The answer leaves when the last byte arrived, however late this look is.
    if (!arrived.empty()) Queue(model_.Feed(arrived.data(), arrived.size()), last);
}

bool PtyServer::WriteDue() {
    const auto now = Clock::now();
    std::vector<std::uint8_t> due;
    for (const auto& p : output_) {
        if (p.due > now) break;
        due.push_back(p.byte);
    }
    if (due.empty()) return true;
    const ssize_t n = ::write(master_, due.data(), due.size());
    if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    output_.erase(output_.begin(), output_.begin() + n);
    return true;
}

void PtyServer::Opened() {
    if (log_) log_->Event("line opened");
    model_.LineOpened();
    greeting_ = true;
    greetingDue_ = Clock::now() + kGreetingDelay;
}

void PtyServer::GreetIfDue() {
    if (!greeting_ || Clock::now() < greetingDue_) return;
    greeting_ = false;
    Queue(model_.DtrRaised());
}

void PtyServer::Closed() {
    output_.clear();
    input_.clear();
    greeting_ = false;
    if (log_) log_->Event("line closed");
}

bool PtyServer::Transfer(short revents) {
    if ((revents & POLLIN) && !ReadFromTool()) return false;
    if (revents & (POLLHUP | POLLERR)) return false;
    return WriteDue();
}

bool PtyServer::Serve(std::string* error) {
    return opens_ >= 0 ? ServeWatchingOpens(error) : ServeWatchingHangUp(error);
}

bool PtyServer::ServeWatchingOpens(std::string* error) {
    int openCount = 0;
    for (;;) {
        if (openCount > 0) {
            GreetIfDue();
            FeedDue();
        }
        auto timeout = openCount > 0 ? PollTimeout() : Clock::duration(-1);
        short events = POLLIN;
        if (timeout == Clock::duration::zero()) {
            events |= POLLOUT;
            timeout = Clock::duration(-1);
        }
        // The master is left out while the device is closed: it would report
        // its hang-up all the time.
        pollfd fds[4] = {{stopRead_, POLLIN, 0},
                         {opens_, POLLIN, 0},
                         {openCount > 0 ? master_ : -1, events, 0},
                         {wakeRead_, POLLIN, 0}};
        if (poll_for(fds, 4, timeout) < 0) {
            if (errno == EINTR) continue;
            if (error) *error = system_error("poll");
            return false;
        }
        if (fds[0].revents & POLLIN) return true;
        if (fds[3].revents & POLLIN) Woken();
        if (fds[1].revents & POLLIN) {
            alignas(inotify_event) char buffer[4096];
            const ssize_t n = ::read(opens_, buffer, sizeof buffer);
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->mask & IN_OPEN) {
                    // Only the program that comes to hold the line is greeted;
                    // another one's open is refused by the lock and says nothing.
                    if (++openCount == 1) Opened();
                } else if (openCount > 0 && (event->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE))) {
                    if (--openCount == 0) Closed();
                }
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
            continue; // the master's state may have changed with these events
        }
        // The close event, not the hang-up, ends a session: the kernel reports
        // the close before the hang-up, and another program may still hold
        // the device.
        if (openCount > 0 && fds[2].revents)
            Transfer(static_cast<short>(fds[2].revents & ~POLLHUP));
    }
}

bool PtyServer::ServeWatchingHangUp(std::string* error) {
    bool lineOpen = false;
    for (;;) {
        if (!lineOpen) {
            pollfd waits[2] = {{stopRead_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
            const int r = ::poll(waits, 2, kHangUpPollMs);
            if (r < 0 && errno != EINTR) {
                if (error) *error = system_error("poll");
                return false;
            }
            if (r > 0 && (waits[0].revents & POLLIN)) return true;
            if (r > 0 && (waits[1].revents & POLLIN)) Woken();
            if (HungUp()) continue;
            lineOpen = true;
            Opened();
            continue;
        }
        GreetIfDue();
        FeedDue();
        auto timeout = PollTimeout();
        short events = POLLIN;
        if (timeout == Clock::duration::zero()) {
            events |= POLLOUT;
            timeout = Clock::duration(-1);
        }
        pollfd fds[3] = {{master_, events, 0}, {stopRead_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        if (poll_for(fds, 3, timeout) < 0) {
            if (errno == EINTR) continue;
            if (error) *error = system_error("poll");
            return false;
        }
        if (fds[1].revents & POLLIN) return true;
        if (fds[2].revents & POLLIN) Woken();
        if (!Transfer(fds[0].revents)) {
            lineOpen = false;
            Closed();
        }
    }
}

} // namespace camsim
