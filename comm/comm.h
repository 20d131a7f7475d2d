#pragma once
// TComm: the serial port component on a POSIX terminal device.
//
// One TComm owns one device, opened by port number (see port_map.h). It
// writes and reads with 1000 ms time-outs and runs a watcher thread
// (TCommWatch) that only waits; every event handler (OnCommReceive,
// OnCommTransmit, OnCommEvent) runs on the thread that owns the TComm (the
// GUI thread), one at a time, from the Qt event loop. Call Open, Close, the
// setters and the destructor on that thread. Write and Read may be called
// from any thread; two concurrent writes are not guarded.

#include "comm/comm_errors.h"
#include "comm/comm_types.h"
#include "comm/comm_watch.h"
#include "comm/port_map.h"
#include "link/port.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

struct termios;

namespace cam {

class TComm : public QObject, public IPort {
    Q_OBJECT
  public:
    static constexpr int kReadTimeoutMs = 1000;
    static constexpr int kWriteTimeoutMs = 1000;
    static constexpr int kBreakMs = 500;
    // Timed receive: the first look after a write, for a peer faster than the line.
    static constexpr int kEarlyLookMs = 1;

    explicit TComm(QObject* parent = nullptr);
    ~TComm() override;

    // Does nothing when already open. Throws ECommOpenError.
    void Open() override;
    // Does nothing when closed.
    void Close() override;
    bool IsOpen() const override { return fd_ >= 0; }

    // Takes effect at the next Open.
    void SetPort(std::uint8_t port) override { port_ = port; }
    std::uint8_t Port() const override { return port_; }
    // The device path of the port (see port_map.h).
    std::string DeviceName() const override;
    bool WorthTrying(std::uint8_t port) const override { return PortWorthTrying(port); }
    // Why the last Open failed, in plain words; empty after a good one.
    std::string LastOpenFailure() const override { return last_open_failure_; }
    // The device of this opening went away: a hang-up was seen, or a read or
    // write failed with an error that means so. Cleared by Open.
    bool Lost() const override { return lost_; }

    // Line settings: applied to the open device at once (a value the device
    // refuses is not reported), else at the next Open.
    void SetBaudRate(std::int32_t rate) override;
    std::int32_t BaudRate() const { return baud_rate_; }
    void SetBaudRateUserDefined(std::uint16_t rate);
    std::uint16_t BaudRateUserDefined() const { return baud_rate_user_defined_; }
    void SetParityBits(TCommParityBits parity);
    TCommParityBits ParityBits() const { return parity_; }
    void SetByteSize(TCommByteSize size);
    TCommByteSize ByteSize() const { return byte_size_; }
    void SetStopBits(TCommStopBits stop);
    TCommStopBits StopBits() const { return stop_bits_; }
    void SetFlowControls(TCommFlowControls flow);
    TCommFlowControls FlowControls() const { return flow_; }
    void SetEventMask(TCommEventMask mask);
    TCommEventMask EventMask() const { return event_mask_; }

    // Linux's terminal layer has fixed driver buffers (the line discipline
    // reads into 4096 bytes, a UART sends from one page) and no way to size
    // them, so the queue sizes do not reach the driver. OutQueueSize is the
    // largest single Write; InQueueSize enters the XOFF limit.
    void SetInQueueSize(std::uint16_t size) { in_queue_size_ = size; }
    std::uint16_t InQueueSize() const { return in_queue_size_; }
    void SetOutQueueSize(std::uint16_t size) { out_queue_size_ = size; }
    std::uint16_t OutQueueSize() const { return out_queue_size_; }
    // The terminal layer has no XON/XOFF thresholds (with IXOFF it throttles
    // by its own fill level); the limits are computed for the record only.
    void SetReceiveNotifySize(std::int32_t size) { receive_notify_size_ = size; }
    std::int32_t ReceiveNotifySize() const { return receive_notify_size_; }
    void SetSendNotifySize(std::int32_t size) { send_notify_size_ = size; }
    std::int32_t SendNotifySize() const { return send_notify_size_; }
    std::uint16_t XoffLimit() const;
    std::uint16_t XonLimit() const;

    // Hands all bytes to the driver, waiting at most kWriteTimeoutMs for room;
    // bytes the driver has not taken by then are dropped without an error
    // (the link notices the missing answer and sends again). Throws ECommError when closed or when
    // count > OutQueueSize, ECommReadWriteError on a device error.
    void Write(const void* buffer, std::uint32_t count) override;
    // Reads until count bytes have come or kReadTimeoutMs has passed; returns
    // the number read. Throws ECommError when closed, ECommReadWriteError on
    // a device error (a hung-up device) with nothing read.
    std::uint32_t Read(void* buffer, std::uint32_t count) override;
    void SendString(std::string_view text);
    // Sets the break condition and returns at once; the one-shot BreakTimer
    // (kBreakMs, on the owner's thread) clears it, so the event loop keeps
    // running meanwhile and no nested loop re-enters the link. Throws
    // ECommReadWriteError when the break cannot be set (EBADF when closed).
    void SendBreak();
    bool BreakActive() const { return break_active_; }
    // The receive notification waits until `bytes` are in (at most 255; see
    // set_line_receive_minimum). Bytes that stop short of it are reported
    // once they have sat unchanged for TCommWatch::kPartialCheckMs.
    void SetReceiveThreshold(std::uint32_t bytes) override;
    std::uint32_t ReceiveThreshold() const { return receive_threshold_; }
    // While more than one byte is awaited, the rest of the frame is waited
    // for by time on the owner's thread instead of by the watcher (which then
    // only watches for a hang-up; the device's VMIN stays at one byte): a
    // timer looks at the queue once the awaited bytes can have come at the
    // line rate, counted from when the bytes last written have gone out (an
    // answer cannot begin sooner), and the receive handler is called once
    // they are in or have stopped coming (none new for as long as the
    // missing ones take). Right after a write one early look (kEarlyLookMs)
    // takes the answer of a peer that is faster than the line. A hang-up
    // ends the wait. No thread hand-off per frame where many ports are
    // watched at once. Off by default.
    void SetTimedReceive(bool on);
    // False when closed; a device without modem lines (a pseudo-terminal)
    // reads true while open.
    bool DsrState() const override;
    std::uint32_t Waiting() const override { return static_cast<std::uint32_t>(BytesWaiting()); }
    // The open descriptor, -1 when closed.
    int Handle() const { return fd_; }

    std::function<void(TCommEventMask events)> OnCommEvent;
    std::function<void(std::uint16_t size)> OnCommTransmit;
    // An exception thrown by a handler cannot travel through the event loop;
    // it is passed here (or written as a warning when this is empty) and the
    // watcher carries on.
    std::function<void(const std::exception& error)> OnHandlerException;

    // Called on the owner's thread for each notification of the watcher.
    virtual void DoCommEvent(TCommEventMask system_events);
    virtual void DoCommReceive();
    virtual void DoCommTransmit();

  public slots:
    // BreakTimer's handler: clears the break condition.
    void BreakTimerTimer();

  private:
    friend class TCommWatch;

    int BytesWaiting() const;
    void ApplyLine(const std::function<void(::termios&)>& change);
    void ApplyAllLineSettings();
    void HoldRts();
    void SetModemLine(int line, bool on);
    void CloseDevice();
    void WatchNotified(std::uint64_t session, TCommWatch::Kind kind, TCommEventMask events);
    // `watched`: the notification came from the watcher, which waits for a rearm.
    void Notify(TCommWatch::Kind kind, TCommEventMask events, bool watched);
    void HandleReceive(std::uint64_t session, bool watched);
    // After a receive notification: the watcher or the look timer goes on.
    void ResumeWaiting(bool watched, std::uint32_t stale, std::uint32_t waiting);
    // Timed receive: the owner, not the watcher, waits for the rest of a frame.
    bool WaitsByTime() const { return timed_receive_ && receive_threshold_ > 1 && !lost_; }
    // The look timer started or stopped after WaitsByTime changed (`was`).
    void FollowWaitByTime(bool was);
    void ScheduleLook(std::uint32_t waiting);
    void LookTimerTimer();
    // The VMIN the device gets: with timed receive the watcher never waits on it.
    std::uint32_t ReceiveMinimum() const { return timed_receive_ ? 1 : receive_threshold_; }
    void ReportHandlerException(const std::exception& error);

    std::uint8_t port_ = 1;
    std::int32_t baud_rate_ = 9600;
    std::uint16_t baud_rate_user_defined_ = 9600;
    TCommParityBits parity_ = cpbNone;
    TCommByteSize byte_size_ = cbs8;
    TCommStopBits stop_bits_ = csb1;
    TCommFlowControls flow_{cfcRtsCts};
    std::uint16_t in_queue_size_ = 4096;
    std::uint16_t out_queue_size_ = 4096;
    std::int32_t receive_notify_size_ = 3072;
    std::int32_t send_notify_size_ = 1024;
    TCommEventMask event_mask_;
    std::uint32_t receive_threshold_ = 1;

    int fd_ = -1;
    bool modem_lines_ = false; // the device has modem lines (TIOCMGET works)
    bool lost_ = false;
    std::string last_open_failure_;
    bool break_active_ = false;
    QTimer* break_timer_ = nullptr;
    std::uint64_t session_ = 0; // counts openings; stale notifications carry an old one
    std::atomic<std::uint64_t> bytes_read_{0};
    std::unique_ptr<TCommWatch> watch_;
    bool timed_receive_ = false;
    bool handling_ = false; // a receive handler runs: the wait is decided after it
    QTimer* look_timer_ = nullptr;
    int looked_ = -1;              // bytes seen at the last look of this wait, -1: none
    std::uint32_t look_stale_ = 0; // reported bytes the handler left unread
    // When the bytes written so far have gone out at the line rate (steady
    // clock, in nanoseconds); kept only with timed receive.
    std::atomic<std::int64_t> line_free_ns_{0};
    std::int64_t ByteTimeNs() const;
};

} // namespace cam
