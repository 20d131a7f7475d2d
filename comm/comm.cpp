#include "comm/comm.h"

#include "comm/line_settings.h"
#include "comm/port_map.h"

#include <QMetaObject>
#include <QTimer>
#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace cam {
namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left until `deadline`, at least 0.
int remaining_ms(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// The steady clock in nanoseconds.
std::int64_t now_ns() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

enum class Wait { Ready, TimedOut, HungUp };

// Waits until fd is ready for `events` or the time is up. A poll() failure
// counts as ready: the next transfer call reports the error.
Wait wait_ready(int fd, short events, int timeout_ms) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, timeout_ms);
        if (r > 0) return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) ? Wait::HungUp : Wait::Ready;
        if (r == 0) return Wait::TimedOut;
        if (errno != EINTR) return Wait::Ready;
    }
}

bool no_modem_lines(int error) {
    return error == ENOTTY || error == EINVAL;
}

} // namespace

TComm::TComm(QObject* parent)
    : QObject(parent), break_timer_(new QTimer(this)), look_timer_(new QTimer(this)) {
    break_timer_->setObjectName("BreakTimer");
    break_timer_->setSingleShot(true);
    break_timer_->setInterval(kBreakMs);
    connect(break_timer_, &QTimer::timeout, this, &TComm::BreakTimerTimer);
    look_timer_->setSingleShot(true);
    look_timer_->setTimerType(Qt::PreciseTimer);
    connect(look_timer_, &QTimer::timeout, this, [this] { LookTimerTimer(); });
}

TComm::~TComm() {
    Close();
}

void TComm::Open() {
    if (IsOpen()) return;

    const std::string path = PortDevicePath(port_);
    last_open_failure_.clear();
    const auto refuse = [this](int code, int cause) {
        last_open_failure_ = OpenFailureReason(cause);
        throw ECommOpenError(code, cause);
    };
    if (path.empty()) refuse(-1, ENOENT);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) refuse(-1, errno);
    const auto fail = [fd, &refuse](int code, int cause = 0) {
        ::close(fd);
        refuse(code, cause);
    };

    // Exclusive: the lock keeps out every other opener that locks too (our
    // own second instance, another process), also one with CAP_SYS_ADMIN,
    // which TIOCEXCL does not stop; TIOCEXCL keeps out plain openers that
    // come after it. TIOCEXCL alone would leave a window between open() and
    // the ioctl.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) fail(-1, errno);
    termios line{};
    if (::tcgetattr(fd, &line) != 0) // not a terminal
        fail(-1, ENOTTY);
    if (::ioctl(fd, TIOCEXCL) != 0) fail(-1, errno);

    // Queue sizes: nothing reaches the driver (see InQueueSize in comm.h).
    // Purge both directions.
    ::tcflush(fd, TCIOFLUSH);
    // Raw 8-bit line; VMIN = VTIME = 0 so the driver never blocks, the
    // 1000 ms read and write time-outs are poll() deadlines in Read/Write.
    make_raw_line(line);
    ::tcsetattr(fd, TCSANOW, &line);

    fd_ = fd;
    lost_ = false;
    int lines = 0;
    modem_lines_ = ::ioctl(fd, TIOCMGET, &lines) == 0 || !no_modem_lines(errno);
    ApplyAllLineSettings();

    ++session_;
    try {
        watch_ = std::make_unique<TCommWatch>(this, fd, session_, event_mask_, receive_threshold_,
                                              timed_receive_);
    } catch (const std::exception&) {
        fd_ = -1;
        fail(-2);
    }
    SetModemLine(TIOCM_DTR, true);
    FollowWaitByTime(false);
}

void TComm::Close() {
    if (!IsOpen()) return;
    // The watcher leaves its wait and is joined before anything is released;
    // notifications it posted and that are not delivered yet carry the old
    // session and are dropped by WatchNotified.
    watch_->Stop();
    watch_.reset();
    look_timer_->stop();
    if (break_active_) BreakTimerTimer();
    SetModemLine(TIOCM_DTR, false);
    ::tcflush(fd_, TCIOFLUSH);
    // Closing the last descriptor also drops the exclusive flag and the lock.
    ::ioctl(fd_, TIOCNXCL);
    const int fd = fd_;
    fd_ = -1;
    ::close(fd);
}

void TComm::ApplyLine(const std::function<void(::termios&)>& change) {
    if (!IsOpen()) return;
    termios line{};
    if (::tcgetattr(fd_, &line) != 0) return;
    change(line);
    ::tcsetattr(fd_, TCSANOW, &line);
}

void TComm::ApplyAllLineSettings() {
    // Rate, data bits, parity, stop bits, flow control; the XOFF/XON limits
    // have no driver counterpart; the event mask goes to the watcher.
    ApplyLine([this](termios& t) {
        set_line_rate(t, effective_rate(baud_rate_, baud_rate_user_defined_));
    });
    ApplyLine([this](termios& t) { set_line_byte_size(t, byte_size_); });
    ApplyLine([this](termios& t) { set_line_parity(t, parity_); });
    ApplyLine([this](termios& t) { set_line_stop_bits(t, stop_bits_); });
    ApplyLine([this](termios& t) { set_line_flow_control(t, flow_); });
    ApplyLine([this](termios& t) { set_line_receive_minimum(t, ReceiveMinimum()); });
    HoldRts();
}

void TComm::HoldRts() {
    if (!flow_.Has(cfcRtsCts)) SetModemLine(TIOCM_RTS, true);
}

void TComm::SetModemLine(int line, bool on) {
    if (!IsOpen() || !modem_lines_) return;
    ::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line);
}

void TComm::SetBaudRate(std::int32_t rate) {
    baud_rate_ = rate;
    ApplyLine([this](termios& t) {
        set_line_rate(t, effective_rate(baud_rate_, baud_rate_user_defined_));
    });
}

void TComm::SetBaudRateUserDefined(std::uint16_t rate) {
    baud_rate_user_defined_ = rate;
    ApplyLine([this](termios& t) {
        set_line_rate(t, effective_rate(baud_rate_, baud_rate_user_defined_));
    });
}

void TComm::SetParityBits(TCommParityBits parity) {
    parity_ = parity;
    ApplyLine([this](termios& t) { set_line_parity(t, parity_); });
}

void TComm::SetByteSize(TCommByteSize size) {
    byte_size_ = size;
    ApplyLine([this](termios& t) { set_line_byte_size(t, byte_size_); });
}

void TComm::SetStopBits(TCommStopBits stop) {
    stop_bits_ = stop;
    ApplyLine([this](termios& t) { set_line_stop_bits(t, stop_bits_); });
}

void TComm::SetFlowControls(TCommFlowControls flow) {
    flow_ = flow;
    ApplyLine([this](termios& t) { set_line_flow_control(t, flow_); });
    HoldRts();
}

std::string TComm::DeviceName() const {
    return PortDevicePath(port_);
}

std::int64_t TComm::ByteTimeNs() const {
    // Start, eight data and stop bits; a parity or second stop bit only
    // makes the look come a little early.
    return 10'000'000'000LL / (baud_rate_ >= 300 ? baud_rate_ : 9600);
}

void TComm::SetTimedReceive(bool on) {
    if (on == timed_receive_) return;
    const bool was = WaitsByTime();
    timed_receive_ = on;
    ApplyLine([this](termios& t) { set_line_receive_minimum(t, ReceiveMinimum()); });
    if (watch_) watch_->SetOwnerWaitsByTime(on);
    FollowWaitByTime(was);
}

void TComm::SetReceiveThreshold(std::uint32_t bytes) {
    bytes = std::clamp<std::uint32_t>(bytes, 1, 255);
    if (bytes == receive_threshold_) return;
    const bool was = WaitsByTime();
    receive_threshold_ = bytes;
    if (!timed_receive_) ApplyLine([bytes](termios& t) { set_line_receive_minimum(t, bytes); });
    // Within a handler the watcher hears of it with the rearm that follows.
    if (watch_) watch_->SetReceiveThreshold(bytes, !(timed_receive_ && handling_));
    FollowWaitByTime(was);
}

void TComm::FollowWaitByTime(bool was) {
    // Within a handler HandleReceive decides once it has returned.
    if (!watch_ || handling_) return;
    const bool now = WaitsByTime();
    if (now && !was) {
        looked_ = -1;
        look_stale_ = 0;
        ScheduleLook(static_cast<std::uint32_t>(BytesWaiting()));
    } else if (!now && was) {
        look_timer_->stop();
    }
}

void TComm::ScheduleLook(std::uint32_t waiting) {
    const std::int64_t now = now_ns();
    const std::int64_t free = line_free_ns_.load(std::memory_order_relaxed);
    // Bytes of ours are still going out: one early look tells a peer that
    // answers faster than the line (a simulator on a pseudo-terminal) from
    // one at the line rate, whose answer cannot begin before the line is free.
    if (looked_ < 0 && free > now) {
        look_timer_->start(kEarlyLookMs);
        return;
    }
    const std::int64_t start = std::max(now, free);
    const std::uint32_t missing = receive_threshold_ > waiting ? receive_threshold_ - waiting : 1;
    const std::int64_t due = start + static_cast<std::int64_t>(missing) * ByteTimeNs();
    const std::int64_t ms = (due - now + 999'999) / 1'000'000;
    look_timer_->start(static_cast<int>(std::clamp<std::int64_t>(ms, 1, 60'000)));
}

void TComm::LookTimerTimer() {
    if (!watch_ || !WaitsByTime()) return;
    const auto waiting = static_cast<std::uint32_t>(BytesWaiting());
    look_stale_ = std::min(look_stale_, waiting);
    if (waiting > look_stale_) {
        // An answer is coming in: ours have gone out.
        const std::int64_t now = now_ns();
        if (line_free_ns_.load(std::memory_order_relaxed) > now)
            line_free_ns_.store(now, std::memory_order_relaxed);
    }
    const bool in = waiting >= receive_threshold_;
    const bool stopped = static_cast<int>(waiting) == looked_;
    if (waiting > look_stale_ && (in || stopped)) {
        Notify(TCommWatch::Kind::Receive, {}, false);
        return;
    }
    looked_ = static_cast<int>(waiting);
    ScheduleLook(waiting);
}

void TComm::SetEventMask(TCommEventMask mask) {
    event_mask_ = mask;
    if (watch_) watch_->SetEventMask(mask);
}

std::uint16_t TComm::XoffLimit() const {
    return xoff_limit(in_queue_size_, receive_notify_size_);
}

std::uint16_t TComm::XonLimit() const {
    return xon_limit(send_notify_size_);
}

void TComm::Write(const void* buffer, std::uint32_t count) {
    if (!IsOpen()) throw ECommError(kCommNotOpenText);
    if (count > out_queue_size_) throw ECommError(kCommTooLongText);

    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    const auto deadline = Clock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
    std::uint32_t sent = 0;
    while (sent < count) {
        const ssize_t n = ::write(fd_, bytes + sent, count - sent);
        if (n > 0) {
            sent += static_cast<std::uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            if (MeansDeviceGone(errno)) lost_ = true;
            throw ECommReadWriteError(errno);
        }
        const int left = remaining_ms(deadline);
        if (left == 0) break; // write time-out (e.g. CTS held low): the rest is dropped
        wait_ready(fd_, POLLOUT, left);
    }
    if (sent > 0 && timed_receive_) {
        // Bytes handed over now go out after those before them.
        const std::int64_t now = now_ns();
        const std::int64_t free = std::max(now, line_free_ns_.load(std::memory_order_relaxed));
        line_free_ns_.store(free + static_cast<std::int64_t>(sent) * ByteTimeNs(),
                            std::memory_order_relaxed);
    }
    if (sent > 0 && event_mask_.Has(evTxempty) && watch_) watch_->ArmTransmit();
}

std::uint32_t TComm::Read(void* buffer, std::uint32_t count) {
    if (!IsOpen()) throw ECommError(kCommNotOpenText);

    auto* bytes = static_cast<std::uint8_t*>(buffer);
    const auto deadline = Clock::now() + std::chrono::milliseconds(kReadTimeoutMs);
    std::uint32_t got = 0;
    int error = 0;
    while (got < count) {
        // With VMIN = VTIME = 0 an empty queue reads as 0 bytes (or EAGAIN).
        const ssize_t n = ::read(fd_, bytes + got, count - got);
        if (n > 0) {
            got += static_cast<std::uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            error = errno;
            break;
        }
        const int left = remaining_ms(deadline);
        if (left == 0) break;
        // Below the threshold poll() does not report the bytes that come:
        // look again every 2 ms instead.
        const int wait = ReceiveMinimum() > 1 ? std::min(left, 2) : left;
        if (wait_ready(fd_, POLLIN, wait) == Wait::HungUp) {
            // A hung-up terminal reads as end of file; say so.
            error = EIO;
            break;
        }
    }
    bytes_read_.fetch_add(got);
    if (MeansDeviceGone(error)) lost_ = true;
    // Bytes already read are returned; the error shows again on the next call.
    if (error != 0 && got == 0) throw ECommReadWriteError(error);
    return got;
}

void TComm::SendString(std::string_view text) {
    Write(text.data(), static_cast<std::uint32_t>(text.size()));
}

void TComm::SendBreak() {
    if (!IsOpen()) throw ECommReadWriteError(EBADF);
    if (::ioctl(fd_, TIOCSBRK) != 0) throw ECommReadWriteError(errno);
    break_active_ = true;
    break_timer_->start(); // a second SendBreak restarts the 500 ms
}

void TComm::BreakTimerTimer() {
    break_timer_->stop();
    if (!break_active_) return;
    break_active_ = false;
    if (IsOpen()) ::ioctl(fd_, TIOCCBRK);
}

bool TComm::DsrState() const {
    if (!IsOpen()) return false;
    int lines = 0;
    if (::ioctl(fd_, TIOCMGET, &lines) == 0) return (lines & TIOCM_DSR) != 0;
    return no_modem_lines(errno);
}

int TComm::BytesWaiting() const {
    int n = 0;
    if (!IsOpen() || ::ioctl(fd_, FIONREAD, &n) != 0) return 0;
    return n;
}

void TComm::DoCommReceive() {
    if (!IsOpen() || !OnCommReceive) return;
    const int n = BytesWaiting();
    // The line discipline holds at most 4096 bytes; a count that did not fit
    // in 16 bits would be reported as the largest one rather than wrapped.
    if (n > 0) OnCommReceive(static_cast<std::uint16_t>(std::min(n, 0xFFFF)));
}

void TComm::DoCommTransmit() {
    if (!IsOpen() || !OnCommTransmit) return;
    int queued = 0;
    if (::ioctl(fd_, TIOCOUTQ, &queued) != 0) queued = 0;
    OnCommTransmit(static_cast<std::uint16_t>(std::clamp(queued, 0, 0xFFFF)));
}

void TComm::DoCommEvent(TCommEventMask system_events) {
    if (!IsOpen() || !OnCommEvent) return;
    constexpr TCommEventMask passed{evBreak, evCts, evDsr, evErr, evRing, evRlsd, evRxflag};
    OnCommEvent(system_events & passed);
}

void TComm::WatchNotified(std::uint64_t session, TCommWatch::Kind kind, TCommEventMask events) {
    if (!watch_ || session != session_) return; // posted for an opening that has ended
    Notify(kind, events, true);
}

void TComm::Notify(TCommWatch::Kind kind, TCommEventMask events, bool watched) {
    const std::uint64_t session = session_;
    try {
        switch (kind) {
        case TCommWatch::Kind::Receive:
            HandleReceive(session, watched);
            return;
        case TCommWatch::Kind::Transmit:
            DoCommTransmit();
            return;
        case TCommWatch::Kind::Event:
            DoCommEvent(events);
            return;
        case TCommWatch::Kind::HangUp:
            // A frame awaited by time is not looked for any more (a hung-up
            // terminal has dropped its queue).
            look_timer_->stop();
            lost_ = true;
            if (OnDeviceLost) OnDeviceLost();
            return;
        }
    } catch (const std::exception& error) {
        ReportHandlerException(error);
    } catch (...) {
        ReportHandlerException(std::runtime_error("unknown exception in a serial port handler"));
    }
}

void TComm::HandleReceive(std::uint64_t session, bool watched) {
    look_timer_->stop();
    looked_ = -1;
    const std::int64_t before = BytesWaiting();
    const std::uint64_t read_before = bytes_read_.load();
    handling_ = true;
    try {
        DoCommReceive();
    } catch (...) {
        handling_ = false;
        // Re-arm the watcher (or look again) first, then report.
        if (watch_ && session == session_) {
            const auto waiting = static_cast<std::uint32_t>(BytesWaiting());
            ResumeWaiting(watched, waiting, waiting);
        } else {
            FollowWaitByTime(false);
        }
        throw;
    }
    handling_ = false;
    if (!watch_ || session != session_) {
        // The handler closed the port (and perhaps opened it again).
        FollowWaitByTime(false);
        return;
    }

    const std::int64_t left = BytesWaiting();
    const auto consumed = static_cast<std::int64_t>(bytes_read_.load() - read_before);
    const std::int64_t reported = std::max<std::int64_t>(0, before - consumed);
    if (left > reported && left >= static_cast<std::int64_t>(receive_threshold_)) {
        // Bytes came while the handler ran: they get the next notification
        // (fewer than the handler now waits for are left to the watcher).
        QMetaObject::invokeMethod(
            this,
            [this, session, watched] {
                if (watch_ && session == session_) Notify(TCommWatch::Kind::Receive, {}, watched);
            },
            Qt::QueuedConnection);
        return;
    }
    ResumeWaiting(watched,
                  left > reported ? 0 : static_cast<std::uint32_t>(std::max<std::int64_t>(left, 0)),
                  static_cast<std::uint32_t>(std::max<std::int64_t>(left, 0)));
}

void TComm::ResumeWaiting(bool watched, std::uint32_t stale, std::uint32_t waiting) {
    if (!WaitsByTime()) {
        // The watcher waits for the next bytes; after a look it learns so
        // from this rearm.
        watch_->Rearm(stale);
        return;
    }
    // The rest of a frame is waited for by time here; a watcher whose
    // notification this was leaves the data alone once rearmed.
    if (watched) watch_->Rearm(0);
    look_stale_ = stale;
    looked_ = -1;
    ScheduleLook(waiting);
}

void TComm::ReportHandlerException(const std::exception& error) {
    if (OnHandlerException) {
        try {
            OnHandlerException(error);
        } catch (...) {
        }
        return;
    }
    qWarning("%s", error.what());
}

} // namespace cam
