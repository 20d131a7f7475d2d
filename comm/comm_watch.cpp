#include "comm/comm_watch.h"

#include "comm/comm.h"

#include <QMetaObject>

#include <algorithm>
#include <cerrno>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <system_error>
#include <unistd.h>

namespace cam {
namespace {

constexpr TCommEventMask kLineEvents{evCts, evDsr, evRlsd, evRing, evBreak, evErr};

// Qt's event queue orders a post before its delivery, but a Qt library that
// is not built with ThreadSanitizer cannot show that order to it, and the
// posted call object (written here, read and freed on the owner's thread)
// would be reported as a race. Posting under this mutex and taking it on
// delivery before anything else makes the order visible; it costs one
// uncontended lock per notification.
std::mutex& post_mutex() {
    static std::mutex m;
    return m;
}

int shorter(int timeout, int other) {
    return timeout < 0 ? other : std::min(timeout, other);
}

// Detects line events between two looks at the driver's counters.
class LineMonitor {
  public:
    explicit LineMonitor(int fd) : fd_(fd) {}

    void Reset(TCommEventMask mask) {
        wanted_ = mask & kLineEvents;
        method_ = Method::Unknown;
        if (!wanted_.Empty()) Look(last_);
    }
    bool Active() const { return !wanted_.Empty() && method_ != Method::None; }

    TCommEventMask Changes() {
        Snapshot now;
        if (!Look(now)) return {};
        TCommEventMask seen;
        if (method_ == Method::Counters) {
            const auto& a = last_.counters;
            const auto& b = now.counters;
            if (a.cts != b.cts) seen.Include(evCts);
            if (a.dsr != b.dsr) seen.Include(evDsr);
            if (a.dcd != b.dcd) seen.Include(evRlsd);
            if (a.rng != b.rng) seen.Include(evRing);
            if (a.brk != b.brk) seen.Include(evBreak);
            if (a.frame != b.frame || a.overrun != b.overrun || a.parity != b.parity ||
                a.buf_overrun != b.buf_overrun)
                seen.Include(evErr);
        } else {
            const int changed = last_.lines ^ now.lines;
            if (changed & TIOCM_CTS) seen.Include(evCts);
            if (changed & TIOCM_DSR) seen.Include(evDsr);
            if (changed & TIOCM_CD) seen.Include(evRlsd);
            if (changed & TIOCM_RI) seen.Include(evRing);
        }
        last_ = now;
        return seen & wanted_;
    }

  private:
    enum class Method { Unknown, Counters, Lines, None };
    struct Snapshot {
        serial_icounter_struct counters{};
        int lines = 0;
    };

    bool Look(Snapshot& s) {
        if (method_ == Method::Unknown || method_ == Method::Counters) {
            if (::ioctl(fd_, TIOCGICOUNT, &s.counters) == 0) {
                method_ = Method::Counters;
                return true;
            }
            if (method_ == Method::Counters) return false;
        }
        if (::ioctl(fd_, TIOCMGET, &s.lines) == 0) {
            method_ = Method::Lines;
            return true;
        }
        if (method_ == Method::Unknown) method_ = Method::None;
        return false;
    }

    const int fd_;
    TCommEventMask wanted_;
    Method method_ = Method::Unknown;
    Snapshot last_;
};

} // namespace

TCommWatch::TCommWatch(TComm* owner, int fd, std::uint64_t session, TCommEventMask mask,
                       std::uint32_t threshold, bool owner_waits)
    : owner_(owner), fd_(fd), session_(session) {
    commands_.threshold = threshold;
    commands_.owner_waits = owner_waits;
    wake_fd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake_fd_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
    try {
        thread_ = std::thread([this, mask, threshold] { Run(mask, threshold); });
    } catch (...) {
        ::close(wake_fd_);
        throw;
    }
}

TCommWatch::~TCommWatch() {
    Stop();
    ::close(wake_fd_);
}

void TCommWatch::Stop() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        commands_.stop = true;
    }
    Wake();
    thread_.join();
}

void TCommWatch::Rearm(std::uint32_t stale) {
    {
        std::lock_guard lock(mutex_);
        commands_.rearm = true;
        commands_.stale = stale;
    }
    Wake();
}

void TCommWatch::SetEventMask(TCommEventMask mask) {
    {
        std::lock_guard lock(mutex_);
        commands_.mask_changed = true;
        commands_.mask = mask;
    }
    Wake();
}

void TCommWatch::SetReceiveThreshold(std::uint32_t bytes, bool wake) {
    {
        std::lock_guard lock(mutex_);
        // Only a change of what the thread watches needs it awake now: a rise
        // from one (it must start looking for bytes that stop short, or leave
        // the data to the owner), and with the owner waiting by time also a
        // fall to one (the data is watched again). Other changes wait for its
        // next round (a rearm follows every notification).
        const bool rise = bytes > 1 && commands_.threshold <= 1;
        const bool fall = bytes <= 1 && commands_.threshold > 1 && commands_.owner_waits;
        wake = wake && (rise || fall);
        commands_.threshold = bytes;
    }
    if (wake) Wake();
}

void TCommWatch::SetOwnerWaitsByTime(bool on) {
    {
        std::lock_guard lock(mutex_);
        if (commands_.owner_waits == on) return;
        commands_.owner_waits = on;
    }
    Wake();
}

void TCommWatch::ArmTransmit() {
    {
        std::lock_guard lock(mutex_);
        commands_.tx_armed = true;
    }
    Wake();
}

void TCommWatch::Wake() {
    // The counter cannot overflow in practice; EAGAIN would only mean the
    // thread is already due to wake.
    const eventfd_t one = 1;
    while (::write(wake_fd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

TCommWatch::Commands TCommWatch::Take() {
    std::lock_guard lock(mutex_);
    Commands c = commands_;
    const bool stop = commands_.stop;
    const std::uint32_t threshold = commands_.threshold;
    const bool owner_waits = commands_.owner_waits;
    commands_ = Commands{};
    commands_.stop = stop;
    commands_.threshold = threshold;
    commands_.owner_waits = owner_waits;
    return c;
}

void TCommWatch::Post(Kind kind, TCommEventMask events) {
    TComm* owner = owner_;
    const std::uint64_t session = session_;
    std::lock_guard lock(post_mutex());
    QMetaObject::invokeMethod(
        owner,
        [owner, session, kind, events] {
            { std::lock_guard delivered(post_mutex()); }
            owner->WatchNotified(session, kind, events);
        },
        Qt::QueuedConnection);
}

void TCommWatch::Run(TCommEventMask mask, std::uint32_t threshold) {
    bool pending = false;     // a receive notification is out and not handled yet
    int partial = 0;          // bytes short of the threshold at the last look
    bool gone = false;        // the device hung up; it is not watched any more
    bool tx_armed = false;    // waiting for the output queue to run empty
    std::uint32_t stale = 0;  // reported bytes the owner left in the queue
    bool owner_waits = false; // see SetOwnerWaitsByTime
    {
        std::lock_guard lock(mutex_);
        owner_waits = commands_.owner_waits;
    }
    LineMonitor lines(fd_);
    lines.Reset(mask);

    for (;;) {
        const bool rx_armed = !pending && !gone;
        // The owner looks for the rest of the frame: only a hang-up is watched.
        const bool left_to_owner = rx_armed && owner_waits && threshold > 1;
        const bool watching = rx_armed && !left_to_owner;
        pollfd fds[2] = {{wake_fd_, POLLIN, 0}, {fd_, POLLIN, 0}};
        nfds_t count = 1;
        int timeout = -1;
        if ((watching && stale == 0) || left_to_owner) count = 2;
        if (left_to_owner) fds[1].events = 0;
        if (watching && stale > 0) timeout = kStaleCheckMs;
        if (watching && stale == 0 && threshold > 1) timeout = kPartialCheckMs;
        if (tx_armed) timeout = shorter(timeout, kTxCheckMs);
        if (lines.Active()) timeout = shorter(timeout, kLineCheckMs);

        const int ready = ::poll(fds, count, timeout);
        if (ready < 0) {
            if (errno == EINTR) continue;
            // poll() fails only for resource shortage; do not spin on it.
            ::poll(nullptr, 0, 10);
            continue;
        }

        if (fds[0].revents & POLLIN) {
            eventfd_t value = 0;
            (void)::read(wake_fd_, &value, sizeof value);
            const Commands c = Take();
            if (c.stop) return;
            if (c.rearm) {
                pending = false;
                stale = c.stale;
                partial = 0;
            }
            if (c.threshold != threshold) partial = 0;
            threshold = c.threshold;
            owner_waits = c.owner_waits;
            if (c.tx_armed) tx_armed = true;
            if (c.mask_changed) lines.Reset(c.mask);
        }

        if (count == 2 && fds[1].revents != 0) {
            // Bytes of a frame that the owner has just begun to wait for by
            // time are its own.
            if ((fds[1].revents & POLLIN) && !(owner_waits && threshold > 1)) {
                pending = true;
                partial = 0;
                Post(Kind::Receive);
            }
            if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) {
                gone = true;
                Post(Kind::HangUp);
            }
        } else if (watching && stale > 0) {
            int waiting = 0;
            if (::ioctl(fd_, FIONREAD, &waiting) != 0 || waiting <= 0) {
                stale = 0;
            } else if (static_cast<std::uint32_t>(waiting) > stale) {
                stale = 0;
                pending = true;
                Post(Kind::Receive);
            } else {
                stale = static_cast<std::uint32_t>(waiting);
            }
        } else if (watching && threshold > 1) {
            // Short of the threshold: report what has stopped coming.
            int waiting = 0;
            if (::ioctl(fd_, FIONREAD, &waiting) != 0) waiting = 0;
            if (waiting > 0 && waiting == partial) {
                partial = 0;
                pending = true;
                Post(Kind::Receive);
            } else {
                partial = waiting;
            }
        }

        if (tx_armed) {
            int queued = 0;
            if (::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0) {
                tx_armed = false;
                Post(Kind::Transmit);
            }
        }

        if (lines.Active()) {
            const TCommEventMask seen = lines.Changes();
            if (!seen.Empty()) Post(Kind::Event, seen);
        }
    }
}

} // namespace cam
