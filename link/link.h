#pragma once
// The camera link: the transmit frame and its senders, the link modes that
// interpret what the receive state machine reports, and the supervision that
// finds the camera and re-sends unanswered frames. Everything runs on one
// thread; the window's side effects go through ILinkHost.

#include "link/frames.h"
#include "link/port.h"
#include "link/receiver.h"

#include <array>
#include <cstdint>
#include <deque>
#include <string>

namespace cam {

class ILinkHost {
  public:
    virtual ~ILinkHost() = default;
    virtual void SetStatusText(int panel, const std::string& text) = 0;
    virtual void SetBusyPointer(bool busy) = 0;
    virtual void SetPageControlEnabled(bool enabled) = 0;
    // The Copy tab's progress bar to its maximum (a bulk frame went out).
    virtual void SetCopyProgressMax() = 0;
    // A message box whose answer is not used.
    virtual void LinkMessage(const std::string& text, const std::string& caption,
                             bool abortRetryIgnore) = 0;
    // The camera's first ACK: load the active tab.
    virtual void Connected() = 0;
    // A complete reply (or an ACK standing for it) while a reply was awaited.
    virtual void ReplyReceived() = 0;
    // The camera acknowledged the reset command.
    virtual void ResetAcknowledged() = 0;
    // An exchange was given up or could not be written: the frame tagged
    // `tag` will never be answered, so whatever waits for it must end.
    virtual void ExchangeAbandoned(std::uint32_t tag) { (void)tag; }
    // No camera answered on either port: " Serial Port not connected " is
    // shown and the program ends.
    virtual void GiveUp() = 0;
    // The state of the line for status-bar panel 0: a short text and a longer
    // one that names the port, its device and, after a failure, the reason.
    virtual void ShowConnection(const std::string& text, const std::string& detail) = 0;
    // The device went away: told once; the link tries to open it again.
    virtual void DeviceLost(const std::string& message) = 0;
    // A serial error that the link does not handle itself (e.g. a port that
    // cannot be opened while looking for the camera).
    virtual void SerialError(const std::string& message) = 0;
};

class TLink {
  public:
    // Lost: the device went away; each supervision tick tries to open it
    // again and, once open, greets the camera as at the start.
    enum Mode : std::uint8_t { Connecting = 0, Idle = 1, AwaitReply = 2, Lost = 3 };

    static constexpr int kTimeoutTicks = 20;
    static constexpr int kRetries = 2;
    static constexpr int kBulkTimeoutTicks = 100;
    static constexpr int kBulkRetries = 10;
    static constexpr int kConnectAttempts = 16;
    // Frames sent while an exchange is open wait here, in order. Handlers
    // stop sending once kMaxHeld wait (HoldFull); the frames of loads and
    // procedures already under way may use the rest.
    static constexpr std::size_t kMaxHeld = 8;
    static constexpr std::size_t kHardHeld = 16;

    TLink(IPort& port, ILinkHost& host) : port_(port), host_(host) {}

    // --- transmit side
    // Returns false when the byte could not be written (the exchange ended).
    bool SendSeq(std::uint8_t control);
    void IdEnq() { SendSeq(ENQ); }
    // Completes the transmit frame whose payload bytes 1..count are filled and
    // writes it; does nothing while the link is busy. While another frame's
    // answer is awaited (or a reply is being handled) a copy is held and
    // written when that exchange ends. `tag` travels with the exchange and
    // comes back with its answer (AnsweredTag). A held frame is replaced only
    // by a newer one of the same non-null `source` (one debounced control,
    // or the load sequence). Always returns 0.
    int StxCommand(int count, std::uint32_t tag = 0, const void* source = nullptr) {
        Submit(count, tag, source);
        return 0;
    }
    // The same; false when the frame was refused (busy, lost line, too many
    // frames waiting).
    bool Submit(int count, std::uint32_t tag, const void* source);
    // Sends the bulk frame built from the low bytes of `data` (2048 entries);
    // `tag` comes back with its answer. False when it was refused.
    bool SohCommand(const std::int32_t* data, std::uint32_t tag = 0);

    // --- receive side
    // Reads `size` waiting bytes one at a time and acts on each result.
    void Comm1CommReceive(std::uint16_t size);
    // Acts on one received byte (used by Comm1CommReceive and by tests).
    void ReceiveByte(std::uint8_t byte);

    // --- supervision
    void Trans_Create();
    void CnctDataLink(std::uint8_t port, std::int32_t baudRate);
    // Looks for the camera on `port` only (a production line program gives
    // each link its own port): the supervision does not alternate between
    // ports 1 and 2.
    void StayOnPort(std::uint8_t port) { fixedPort_ = port; }
    bool DR_check() const { return port_.DsrState(); }
    // After a command that the camera answers with its ACK and then a reply
    // frame, the port is asked for both at once (1 + kFrameSize bytes)
    // rather than for the ACK first: one receive notification per exchange
    // where the port waits by time. Off by default.
    void SetWholeAnswers(bool on) { wholeAnswers_ = on; }
    // The port's device hung up or failed in a way that means it is gone:
    // the exchange ends, nothing more is written to it, the technician is
    // told once and the supervision timer tries to open it again.
    void DeviceLost();
    // "COM1 (/dev/ttyS0)".
    std::string PortLabel() const;
    // One tick of the 1500 ms supervision timer. Returns false once the timer
    // must stop (the connection was given up).
    bool SendTimerTimer();

    // --- state
    TxFrame& Tx() { return tx_; }
    // The command frame of the exchange last written: while a reply is being
    // handled, the command it answers.
    const TxFrame& Answered() const { return sent_; }
    std::uint32_t AnsweredTag() const { return sentTag_; }
    bool InFlight() const { return inFlight_; }
    std::size_t HeldFrames() const { return held_.size(); }
    bool HoldFull() const;
    // The frame in flight may be dropped for a new one: a 0x46 step, which
    // waits without limit, or a frame re-sent after its exchange was given up.
    bool Abandonable() const { return inFlight_ && abandonable_; }
    const ReplyBuffer& Reply() const { return receiver_.Buffer(); }
    bool Busy() const { return busy_; }
    void SetBusy(bool busy) { busy_ = busy; }
    Mode LinkMode() const { return mode_; }
    int ReplyTimeout() const { return timeout_; }
    int Retries() const { return retries_; }
    int ConnectAttempts() const { return attempts_; }
    const TReceiver& Receiver() const { return receiver_; }

  private:
    struct Held {
        TxFrame frame;
        std::uint32_t tag;
        bool bulk;
        const void* source;
    };
    void onResult(int c);
    void receiveOne(std::uint8_t byte);
    void startIfConnected();
    void exchangeFinished();
    bool hold(const Held& held);
    void writeFrame(const Held& held);
    void writeHeld();
    void writeBulk();
    // Writes bytes; a failure ends the exchange as a give-up does and reports it.
    bool write(const void* data, std::uint32_t count);
    void writeFailed(const std::string& message);
    void replyArrived();
    void endExchange();
    // The exchange in flight is left unanswered: nothing waits for it any more.
    void abandon();
    // Returns true when a held frame went out in place of the given-up one.
    bool giveUp();
    void reopen();
    void connected();
    bool supervise();
    // Tells the port how many bytes the link waits for now.
    void expectBytes();
    // The camera's ACK to the frame in flight is followed by a reply frame.
    bool replyFollowsAck() const;

    IPort& port_;
    ILinkHost& host_;
    TxFrame tx_{};
    TxFrame sent_{};
    std::uint32_t sentTag_ = 0;
    bool sentBulk_ = false;
    bool inFlight_ = false;       // a frame's answer is awaited
    bool abandonable_ = false;    // ...but a new frame may take its place
    bool dispatching_ = false;    // a reply is being handed to the window
    bool connectPending_ = false; // the first ACK came: load when the bytes read are done
    std::deque<Held> held_;
    BulkFrame bulk_{};
    TReceiver receiver_;
    bool busy_ = false;
    Mode mode_ = Connecting;
    int timeout_ = kTimeoutTicks;
    int retries_ = 0;
    int attempts_ = 0;
    std::uint8_t fixedPort_ = 0; // 0: alternate between ports 1 and 2
    bool wholeAnswers_ = false;
};

} // namespace cam
