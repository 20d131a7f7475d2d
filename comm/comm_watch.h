#pragma once
// TCommWatch: the watcher thread of a TComm. It only waits, with poll(), on
// the device and on a wake-up eventfd, and posts notifications to the owner's
// thread; it never reads the device, calls a handler or touches the owner's
// state.
//
// Received bytes: when the device becomes readable the watcher posts ONE
// receive notification and stops watching the device until the owner has
// handled it and called Rearm(), so a reader that is slow (or never reads)
// costs no CPU. Rearm(stale) tells it how many bytes the owner has already
// reported and left unread: poll() on a terminal is level-triggered and would
// report them again at once, so while such bytes sit in the queue the watcher
// looks at the queue count every kStaleCheckMs instead and posts only when it
// grows: every arrival is reported, leftovers are not.
//
// Receive threshold: when the owner waits for more than one byte (the rest
// of a frame), the terminal's VMIN makes poll() report the device only once
// that many are in, so a frame that arrives at the line rate costs one
// notification instead of one per byte. Bytes that stop short of it (a cut
// frame, noise) are reported once they have sat unchanged for
// kPartialCheckMs; the watcher looks at the queue count that often only
// while the threshold is above one.
//
// Frames left to the owner (SetOwnerWaitsByTime): a terminal wakes every
// poller at each byte it takes in, even one whose VMIN is not met yet, so a
// frame at the line rate costs a thread wake-up per byte, and each
// notification two thread hand-offs more. With this on, the watcher leaves
// the device's data alone while the threshold is above one: the owner waits
// for the rest of the frame by time on its own thread (see
// TComm::SetTimedReceive) and the watcher sleeps until a hang-up or a
// command. For programs that watch many ports at once.
//
// Hang-up (POLLHUP/POLLERR, e.g. the far side of a pseudo-terminal closed or
// a USB adapter pulled): bytes still waiting are reported once more, then one
// hang-up notification follows and the device is no longer watched, so a dead
// line cannot make the thread spin.
//
// Line events (evCts, evDsr, evRlsd, evRing, evBreak, evErr in the event
// mask): the terminal interface has no way to wait for them together with
// data, so while any is asked for the watcher compares the driver's
// interrupt counters (TIOCGICOUNT, or the modem bits of TIOCMGET where those
// are missing) every kLineCheckMs. A device that has neither (a
// pseudo-terminal) reports none and is not looked at.
//
// Transmit-queue empty (evTxempty): after each Write the owner arms the
// watcher, which looks at the output queue (TIOCOUTQ) every kTxCheckMs until
// it is empty and then posts one transmit notification.

#include "comm/comm_types.h"

#include <cstdint>
#include <mutex>
#include <thread>

namespace cam {

class TComm;

class TCommWatch {
  public:
    enum class Kind { Receive, Transmit, Event, HangUp };

    static constexpr int kStaleCheckMs = 50;
    static constexpr int kLineCheckMs = 50;
    static constexpr int kTxCheckMs = 10;
    static constexpr int kPartialCheckMs = 20;

    // Starts the thread. Throws std::system_error when the eventfd or the
    // thread cannot be created.
    TCommWatch(TComm* owner, int fd, std::uint64_t session, TCommEventMask mask,
               std::uint32_t threshold = 1, bool owner_waits = false);
    // Stops and joins.
    ~TCommWatch();
    TCommWatch(const TCommWatch&) = delete;
    TCommWatch& operator=(const TCommWatch&) = delete;

    // Wakes the thread, makes it leave its loop and joins it. Idempotent;
    // the owner calls it before it releases the device.
    void Stop();
    // The owner has handled the receive notification; `stale` bytes that it
    // reported are still waiting.
    void Rearm(std::uint32_t stale);
    void SetEventMask(TCommEventMask mask);
    // The owner now waits for `bytes` (its VMIN is set already). `wake`:
    // false when a Rearm follows anyway.
    void SetReceiveThreshold(std::uint32_t bytes, bool wake = true);
    // While the threshold is above one the owner looks for the rest of a
    // frame itself; the device's data is not watched. Off by default.
    void SetOwnerWaitsByTime(bool on);
    // Bytes were handed to the driver: report when the output queue is empty.
    void ArmTransmit();

  private:
    struct Commands {
        bool stop = false;
        bool rearm = false;
        std::uint32_t stale = 0;
        bool tx_armed = false;
        bool mask_changed = false;
        TCommEventMask mask;
        std::uint32_t threshold = 1; // kept from one Take to the next
        bool owner_waits = false;    // kept from one Take to the next
    };

    void Run(TCommEventMask mask, std::uint32_t threshold);
    void Wake();
    Commands Take();
    void Post(Kind kind, TCommEventMask events = {});

    TComm* const owner_;
    const int fd_;
    const std::uint64_t session_;
    int wake_fd_ = -1;
    std::mutex mutex_;
    Commands commands_;
    std::thread thread_;
};

} // namespace cam
