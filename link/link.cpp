#include "link/link.h"

#include "link/hex.h"

#include <algorithm>
#include <array>
#include <exception>

namespace cam {
namespace {

// The preset command is answered by the camera's ACK alone.
bool isPreset(const TxFrame& frame) {
    return frame[1] == kWriteClass && frame[2] == 0x20 && frame[3] == 0x00;
}

} // namespace

// ---------------------------------------------------------------- transmit

bool TLink::write(const void* data, std::uint32_t count) {
    try {
        port_.Write(data, count);
        return true;
    } catch (const std::exception& e) {
        writeFailed(e.what());
        return false;
    }
}

void TLink::endExchange() {
    busy_ = false;
    timeout_ = -1;
    receiver_.Reset();
    abandon();
    std::deque<Held> dropped;
    dropped.swap(held_);
    for (const Held& frame : dropped)
        if (frame.tag != 0) host_.ExchangeAbandoned(frame.tag);
    host_.SetPageControlEnabled(true);
    host_.SetBusyPointer(false);
}

void TLink::abandon() {
    const bool wasInFlight = inFlight_;
    inFlight_ = false;
    abandonable_ = false;
    if (mode_ == AwaitReply) mode_ = Idle;
    if (wasInFlight && sentTag_ != 0) host_.ExchangeAbandoned(sentTag_);
}

void TLink::writeFailed(const std::string& message) {
    if (port_.Lost()) {
        DeviceLost();
        return;
    }
    // The frame never reached the camera: end the exchange as a give-up does.
    endExchange();
    host_.SerialError(message);
}

std::string TLink::PortLabel() const {
    std::string label = "COM" + std::to_string(port_.Port());
    const std::string device = port_.DeviceName();
    if (!device.empty()) label += " (" + device + ")";
    return label;
}

void TLink::DeviceLost() {
    port_.Close(); // nothing more is written to the dead descriptor
    if (mode_ == Lost || mode_ == Connecting) return; // told already, or never connected
    endExchange();
    connectPending_ = false;
    mode_ = Lost;
    const std::string gone = PortLabel() + ": the device is gone";
    host_.ShowConnection("COM" + std::to_string(port_.Port()) + " lost",
                         gone + "; trying again every 1.5 s");
    host_.DeviceLost(gone);
}

void TLink::reopen() {
    // Quietly: the loss was told once; the panel says what is being tried.
    port_.Close();
    try {
        port_.Open();
    } catch (const std::exception&) {
        return;
    }
    host_.ShowConnection("COM" + std::to_string(port_.Port()) + " lost",
                         PortLabel() + ": open again, waiting for the camera");
    SendSeq(ENQ);
}

void TLink::connected() {
    SendSeq(EOT);
    host_.SetBusyPointer(false);
    mode_ = Idle;
    busy_ = false;
    timeout_ = -1;
    connectPending_ = true;
    host_.ShowConnection("COM" + std::to_string(port_.Port()) + " connected",
                         PortLabel() + ": the camera answered");
}

bool TLink::SendSeq(std::uint8_t control) {
    if (mode_ == Lost && !port_.IsOpen()) return false;
    host_.SetBusyPointer(true);
    busy_ = true;
    if (!write(&control, 1)) return false;
    timeout_ = kTimeoutTicks;
    retries_ = kRetries;
    return true;
}

bool TLink::Submit(int count, std::uint32_t tag, const void* source) {
    if (busy_) return false; // the caller's payload stays in the frame
    if (mode_ == Lost) {
        host_.SetStatusText(1, "Not sent: the line is lost");
        return false;
    }
    complete_command_frame(tx_, count);
    // A frame that waits without limit, or one re-sent after a give-up, ends
    // its wait when the next command goes out.
    if (Abandonable() && !dispatching_) {
        receiver_.Reset();
        abandon();
    }
    const Held frame{tx_, tag, false, source};
    if (inFlight_ || dispatching_ || !held_.empty()) return hold(frame);
    writeFrame(frame);
    return true;
}

bool TLink::HoldFull() const {
    return held_.size() >= kMaxHeld;
}

bool TLink::hold(const Held& held) {
    // Only the same source (one debounced control, the load) replaces its
    // own older frame; every other frame keeps its place and content.
    if (held.source != nullptr) {
        for (Held& waiting : held_) {
            if (waiting.source == held.source) {
                if (waiting.tag != held.tag && waiting.tag != 0)
                    host_.ExchangeAbandoned(waiting.tag);
                waiting = held;
                return true;
            }
        }
    }
    if (held_.size() >= kHardHeld) {
        host_.LinkMessage("The camera has not answered yet: the newest command was not sent",
                          "38R5", false);
        return false;
    }
    held_.push_back(held);
    return true;
}

void TLink::writeFrame(const Held& held) {
    host_.SetBusyPointer(true);
    sent_ = held.frame;
    sentTag_ = held.tag;
    sentBulk_ = held.bulk;
    inFlight_ = true;
    abandonable_ = !held.bulk && held.frame[2] == kWaitsWithoutLimit;
    mode_ = Idle; // the frame's ACK is awaited
    if (held.bulk) {
        busy_ = true;
        host_.SetPageControlEnabled(false);
        tx_[0] = SOH;
        writeBulk();
        if (!inFlight_) return;
        timeout_ = kBulkTimeoutTicks;
        retries_ = kBulkRetries;
        host_.SetCopyProgressMax();
        return;
    }
    tx_[0] = STX;
    if (!write(sent_.data(), static_cast<std::uint32_t>(sent_.size()))) return;
    timeout_ = kTimeoutTicks;
    retries_ = kRetries;
    host_.SetStatusText(1, hex_bytes(sent_.data() + 1, 14));
    if (wholeAnswers_) expectBytes(); // also when written outside a receive
}

void TLink::writeHeld() {
    if (inFlight_ || dispatching_ || held_.empty()) return;
    const Held next = held_.front();
    held_.pop_front();
    writeFrame(next);
}

bool TLink::SohCommand(const std::int32_t* data, std::uint32_t tag) {
    if (busy_) {
        host_.SetStatusText(1, "Busy");
        return false;
    }
    if (mode_ == Lost) {
        host_.SetStatusText(1, "Not sent: the line is lost");
        return false;
    }
    std::array<std::uint8_t, kBulkDataSize> image{};
    for (std::size_t i = 0; i < kBulkDataSize; ++i)
        image[i] = static_cast<std::uint8_t>(data[i]);
    build_bulk_frame(bulk_, image.data());
    // The bulk exchange keeps the last command frame: the ACK test reads it.
    const Held frame{sent_, tag, true, nullptr};
    if (inFlight_ || dispatching_ || !held_.empty()) return hold(frame);
    writeFrame(frame);
    return true;
}

void TLink::writeBulk() {
    // SOH and size code, the data in four writes of 512, then ETX and CRC.
    if (!write(bulk_.data(), 2)) return;
    for (std::size_t offset = 2; offset < 2 + kBulkDataSize; offset += 512)
        if (!write(bulk_.data() + offset, 512)) return;
    write(bulk_.data() + 2 + kBulkDataSize, 3);
}

// ----------------------------------------------------------------- receive

void TLink::Comm1CommReceive(std::uint16_t size) {
    // The waiting bytes are taken in one read, then acted on one at a time.
    std::array<std::uint8_t, 4096> bytes;
    std::uint32_t left = size;
    while (left > 0) {
        if (mode_ == Lost && !port_.IsOpen()) return; // a decoder's write found the device gone
        const std::uint32_t want = std::min<std::uint32_t>(left, bytes.size());
        std::uint32_t got = 0;
        try {
            got = port_.Read(bytes.data(), want);
        } catch (const std::exception&) {
            if (!port_.Lost()) throw;
            DeviceLost();
            return;
        }
        for (std::uint32_t i = 0; i < got; ++i) {
            if (mode_ == Lost && !port_.IsOpen()) return;
            receiveOne(bytes[i]);
        }
        if (got < want) break; // nothing more arrived in time
        left -= got;
    }
    startIfConnected();
    expectBytes();
}

void TLink::ReceiveByte(std::uint8_t byte) {
    receiveOne(byte);
    startIfConnected();
    expectBytes();
}

void TLink::expectBytes() {
    // The rest of a frame that has begun, a whole reply frame once the
    // camera has acknowledged the command (with whole answers the ACK and
    // that frame together while the ACK is awaited), else any single byte.
    std::uint32_t bytes = receiver_.Missing();
    if (bytes == 0)
        bytes = mode_ == AwaitReply ? kFrameSize : replyFollowsAck() ? 1 + kFrameSize : 1;
    port_.SetReceiveThreshold(bytes);
}

bool TLink::replyFollowsAck() const {
    return wholeAnswers_ && mode_ == Idle && inFlight_ && !sentBulk_ && !isPreset(sent_) &&
           sent_[1] != kResetClass;
}

void TLink::startIfConnected() {
    // A camera may both greet the opening and answer the ENQ: the load starts
    // once the bytes that came with the first ACK are read, so a second ACK
    // finds nothing in flight and is ignored.
    if (!connectPending_) return;
    connectPending_ = false;
    // A second ACK that came before the first command was written cannot
    // answer it: what waits now is dropped, so it is not taken for the
    // first step's acknowledgement.
    std::array<std::uint8_t, 64> stale;
    for (std::uint32_t n = port_.Waiting(); n > 0; n = port_.Waiting())
        if (port_.Read(stale.data(), std::min<std::uint32_t>(n, stale.size())) == 0) break;
    host_.Connected();
    host_.SetPageControlEnabled(true);
}

void TLink::receiveOne(std::uint8_t byte) {
    const TReceiver::Step step = receiver_.r_data(byte);
    switch (step.fault) {
    case TReceiver::Fault::MissingEtx:
        host_.LinkMessage("sr_err1", "recv_chr", false);
        break;
    case TReceiver::Fault::BadCrc:
        if (inFlight_) {
            SendSeq(NAK); // the time-out re-sends the command if the reply is not repeated
        } else {
            // Nothing awaits this frame: ask for it again, but open no exchange.
            const std::uint8_t nak = NAK;
            write(&nak, 1);
        }
        break;
    case TReceiver::Fault::None:
        break;
    }
    if (step.result >= 0) onResult(step.result);
}

void TLink::exchangeFinished() {
    host_.SetBusyPointer(false);
    busy_ = false;
    inFlight_ = false;
    timeout_ = -1;
    host_.SetPageControlEnabled(true);
}

void TLink::replyArrived() {
    host_.SetStatusText(2, hex_bytes(receiver_.Buffer().data() + 1, 15));
    if (!SendSeq(ACK)) return;
    timeout_ = -1;
    mode_ = Idle;
    host_.SetBusyPointer(false);
    busy_ = false;
    inFlight_ = false;
    // Whatever the decoders send now waits until they are done, so every
    // decoder sees the command this reply answers.
    dispatching_ = true;
    try {
        host_.ReplyReceived();
    } catch (...) {
        dispatching_ = false;
        throw;
    }
    dispatching_ = false;
    writeHeld();
}

void TLink::onResult(int c) {
    switch (mode_) {
    case Connecting:
    case Lost:
        if (c == ACK) connected();
        return;
    case Idle:
        if (c != ACK) return;
        if (!inFlight_) return; // nothing was sent that this ACK could answer
        if (sentBulk_) {
            mode_ = AwaitReply;
        } else if (isPreset(sent_)) {
            exchangeFinished(); // the preset command is answered by ACK alone
            writeHeld();
        } else if (sent_[1] == kResetClass) {
            host_.SetBusyPointer(false);
            mode_ = Idle;
            busy_ = false;
            inFlight_ = false;
            host_.ResetAcknowledged();
            host_.SetPageControlEnabled(true);
            timeout_ = -1;
            writeHeld();
        } else {
            mode_ = AwaitReply;
        }
        return;
    case AwaitReply:
        if (c != ETX && c != ACK) return;
        replyArrived();
        return;
    }
}

// ------------------------------------------------------------- supervision

void TLink::Trans_Create() {
    host_.SetStatusText(0, "Comm. Connecting");
    try {
        CnctDataLink(1, 9600);
    } catch (const std::exception& e) {
        host_.SerialError(e.what());
        return; // nothing to send the ENQ on; the timer tries the next port
    }
    IdEnq();
}

void TLink::CnctDataLink(std::uint8_t port, std::int32_t baudRate) {
    port_.Close();
    port_.SetBaudRate(baudRate);
    port_.SetPort(port);
    try {
        port_.Open();
    } catch (const std::exception&) {
        const std::string reason = port_.LastOpenFailure();
        host_.ShowConnection("Comm. Connecting",
                             PortLabel() + ": " + (reason.empty() ? "cannot be opened" : reason));
        throw;
    }
    host_.ShowConnection("Comm. Connecting", "Connecting to " + PortLabel());
}

bool TLink::SendTimerTimer() {
    const bool goOn = supervise();
    expectBytes(); // an exchange given up, or a port opened again
    return goOn;
}

bool TLink::supervise() {
    if (mode_ == Lost) {
        reopen();
        return true;
    }
    if (mode_ == Connecting) {
        port_.Close();
        ++attempts_;
        if (attempts_ >= kConnectAttempts) {
            host_.GiveUp(); // shows " Serial Port not connected " and ends the program
            return false;
        }
        std::uint8_t port = fixedPort_ != 0                                         ? fixedPort_
                            : (attempts_ < 4 || (attempts_ >= 8 && attempts_ < 12)) ? 1
                                                                                    : 2;
        // Port 2's default device is tried only when it exists or was named.
        if (port == 2 && !port_.WorthTrying(2)) port = 1;
        try {
            CnctDataLink(port, 9600);
        } catch (const std::exception& e) {
            host_.SerialError(e.what()); // the attempt counts all the same
        }
        return true;
    }
    if (timeout_ == -1) return true;
    if (--timeout_ != -1) return true;
    if (!inFlight_) {
        // A NAK or a control byte with no exchange behind it: nothing to re-send.
        busy_ = false;
        host_.SetBusyPointer(false);
        return true;
    }
    if (--retries_ == 0) {
        if (giveUp()) return true; // a held frame went out instead
    }
    if (sent_[2] == kWaitsWithoutLimit && !sentBulk_) {
        ++retries_; // lens adjustment steps wait without limit
        timeout_ = kTimeoutTicks;
        return true;
    }
    // The command again, from the start: its ACK is awaited first, and a
    // reply that failed its check is never taken for the answer.
    receiver_.Reset();
    mode_ = Idle;
    inFlight_ = true;
    if (sentBulk_)
        writeBulk(); // a bulk frame is re-sent whole
    else
        write(sent_.data(), static_cast<std::uint32_t>(sent_.size()));
    if (!inFlight_) return true; // the re-send failed: the exchange has ended
    timeout_ = kTimeoutTicks;
    return true;
}

bool TLink::giveUp() {
    host_.LinkMessage(" Serial Port not connected ", "Comm.ERR", true);
    // The exchange ends here: the tool is usable at once, and whatever
    // waited for the answer (a load, a copy) is told.
    busy_ = false;
    receiver_.Reset();
    mode_ = Idle;
    timeout_ = -1;
    const std::uint32_t tag = sentTag_;
    inFlight_ = false;
    abandonable_ = false;
    host_.SetPageControlEnabled(true);
    host_.SetBusyPointer(false);
    if (tag != 0) host_.ExchangeAbandoned(tag);
    sentTag_ = 0;
    if (!held_.empty()) {
        writeHeld(); // the frames that waited go out instead
        return true;
    }
    // Nothing waits: the command is re-sent now and then, silently, until
    // the camera answers it or the next command takes its place.
    inFlight_ = true;
    abandonable_ = true;
    return false;
}

} // namespace cam
