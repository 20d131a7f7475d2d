#pragma once
// Serves a CameraModel on the master side of a pseudo-terminal.
//
// The server never keeps the device (the slave side) open itself. Every
// opening of the device by the tool stands for the DTR of a real line and is
// answered with ACK; when the tool closes it, bytes still waiting to be sent
// are dropped and the server waits for the next opening.
//
// Openings are seen in two ways. Where the system reports opens and closes
// of the device file (inotify), each one is counted, so that a close quickly
// followed by a new open is still one more opening. Otherwise the server
// watches the hang-up of the master: while no program has the device open
// the master reports POLLHUP, and the end of it is an opening; a close and
// reopen within one look (50 ms) then goes unnoticed.

#include "sim/camera_model.h"
#include "sim/traffic_log.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

namespace camsim {

class PtyServer {
  public:
    // pace: hand bytes to the line no faster than 9600 bit/s (10 bits a byte).
    // watchOpens: count the openings where the system reports them (false:
    // always watch the hang-up instead).
    PtyServer(CameraModel& model, bool pace, bool watchOpens = true);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Creates the pseudo-terminal in raw mode and the stop pipe.
    bool Open(std::string* error);
    // Path of the device the tool opens, e.g. /dev/pts/3.
    const std::string& DevicePath() const { return devicePath_; }
    // Logs the traffic and the openings of the line (nullptr: no log).
    void SetLog(TrafficLog* log);
    // pace: the tool's bytes too reach the camera at 9600 bit/s, each one byte
    // time after the one before it (or after it was written), as on a real
    // line; the camera answers once the last byte of a frame has arrived.
    void SetInputPace(bool pace) { paceInput_ = pace; }
    // Writing one byte here ends Serve; safe to use from a signal handler.
    int StopDescriptor() const { return stopWrite_; }
    // Writing a byte here makes Serve call the wake handler from its own loop
    // (not from a signal handler, which may only write the byte).
    int WakeDescriptor() const { return wakeWrite_; }
    void SetWakeHandler(std::function<void()> handler) { wakeHandler_ = std::move(handler); }
    // Answers the tool until stopped; false with a message on a system error.
    bool Serve(std::string* error);

  private:
    using Clock = std::chrono::steady_clock;
    struct Pending {
        std::uint8_t byte;
        Clock::time_point due;
    };

    bool ServeWatchingOpens(std::string* error);
    bool ServeWatchingHangUp(std::string* error);
    void Opened();
    // Empties the wake pipe and calls the wake handler.
    void Woken();
    void Closed();
    // Sends the camera's greeting (ACK) once the line has been open for a
    // moment without the tool sending anything.
    void GreetIfDue();
    // Reads and writes on the master as poll reported; false when the line
    // has gone.
    bool Transfer(short revents);
    bool HungUp() const;
    // The camera's bytes go out one after the other from `from` on.
    void Queue(const std::vector<std::uint8_t>& bytes, Clock::time_point from = Clock::now());
    // Reads what the tool sent; false when the line has gone.
    bool ReadFromTool();
    // Hands the model the paced bytes from the tool that have arrived.
    void FeedDue();
    // Writes the bytes that are due; false when the line has gone.
    bool WriteDue();
    // Time until the next byte (either way) or the greeting is due, zero when
    // one is due now, negative when nothing waits.
    Clock::duration PollTimeout() const;

    CameraModel& model_;
    bool pace_;
    bool watchOpens_;
    TrafficLog* log_ = nullptr;
    int master_ = -1;
    int stopRead_ = -1;
    int stopWrite_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::function<void()> wakeHandler_;
    int opens_ = -1; // inotify descriptor watching the device, -1 if none
    std::string devicePath_;
    std::deque<Pending> output_;
    std::deque<Pending> input_; // paced bytes from the tool, not yet at the camera
    bool paceInput_ = false;
    Clock::time_point lastInDue_{};
    // A tool that opens the line sends ENQ at once, and its opening purges
    // what arrived before it was ready; a tool that re-opens the line sends
    // nothing. So the camera waits this long before answering the opening.
    static constexpr std::chrono::milliseconds kGreetingDelay{200};
    bool greeting_ = false;
    Clock::time_point greetingDue_{};
    Clock::time_point lastDue_{};
};

} // namespace camsim
