#include "link/link.h"

#include "link/hex.h"

#include <exception>

namespace cam {

// ---------------------------------------------------------------- transmit

void TLink::SendSeq(std::uint8_t control) {
    host_.SetBusyPointer(true);
    busy_ = true;
    port_.Write(&control, 1);
    timeout_ = kTimeoutTicks;
    retries_ = kRetries;
}

int TLink::StxCommand(int count) {
    if (busy_) return 0; // the caller's payload stays in the frame
    host_.SetBusyPointer(true);
    complete_command_frame(tx_, count);
    port_.Write(tx_.data(), static_cast<std::uint32_t>(tx_.size()));
    timeout_ = kTimeoutTicks;
    retries_ = kRetries;
    host_.SetStatusText(1, hex_bytes(tx_.data() + 1, 14));
    return 0;
}

void TLink::SohCommand(const std::int32_t* data) {
    if (busy_) {
        host_.SetStatusText(1, "Busy");
        return;
    }
    busy_ = true;
    host_.SetPageControlEnabled(false);
    host_.SetBusyPointer(true);
    tx_[0] = SOH;
    std::array<std::uint8_t, kBulkDataSize> image{};
    for (std::size_t i = 0; i < kBulkDataSize; ++i)
        image[i] = static_cast<std::uint8_t>(data[i]);
    build_bulk_frame(bulk_, image.data());
    writeBulk();
    timeout_ = kBulkTimeoutTicks;
    retries_ = kBulkRetries;
    host_.SetCopyProgressMax();
}

void TLink::writeBulk() {
    // SOH and size code, the data in four writes of 512, then ETX and CRC.
    port_.Write(bulk_.data(), 2);
    for (std::size_t offset = 2; offset < 2 + kBulkDataSize; offset += 512)
        port_.Write(bulk_.data() + offset, 512);
    port_.Write(bulk_.data() + 2 + kBulkDataSize, 3);
}

// ----------------------------------------------------------------- receive

void TLink::Comm1CommReceive(std::uint16_t size) {
    for (std::uint16_t i = 0; i < size; ++i) {
        std::uint8_t byte = 0;
        if (port_.Read(&byte, 1) != 1) break; // nothing more arrived in time
        ReceiveByte(byte);
    }
}

void TLink::ReceiveByte(std::uint8_t byte) {
    const TReceiver::Step step = receiver_.r_data(byte);
    switch (step.fault) {
    case TReceiver::Fault::MissingEtx:
        host_.LinkMessage("sr_err1", "recv_chr", false);
        break;
    case TReceiver::Fault::BadCrc:
        SendSeq(NAK);
        break;
    case TReceiver::Fault::None:
        break;
    }
    if (step.result >= 0) onResult(step.result);
}

void TLink::exchangeFinished() {
    host_.SetBusyPointer(false);
    busy_ = false;
    timeout_ = -1;
    host_.SetPageControlEnabled(true);
}

void TLink::onResult(int c) {
    switch (mode_) {
    case Connecting:
        if (c != ACK) return;
        SendSeq(EOT);
        host_.SetBusyPointer(false);
        mode_ = Idle;
        busy_ = false;
        timeout_ = -1;
        host_.Connected();
        host_.SetPageControlEnabled(true);
        return;
    case Idle:
        if (c != ACK) return;
        if (tx_[1] == kWriteClass && tx_[2] == 0x20 && tx_[3] == 0x00) {
            exchangeFinished(); // the preset command is answered by ACK alone
        } else if (tx_[1] == kResetClass && tx_[0] == STX) {
            host_.SetBusyPointer(false);
            mode_ = Idle;
            busy_ = false;
            host_.ResetAcknowledged();
            host_.SetPageControlEnabled(true);
            timeout_ = -1;
        } else {
            mode_ = AwaitReply;
        }
        return;
    case AwaitReply:
        if (c != ETX && c != ACK) return;
        host_.SetStatusText(2, hex_bytes(receiver_.Buffer().data() + 1, 15));
        SendSeq(ACK);
        timeout_ = -1;
        mode_ = Idle;
        host_.SetBusyPointer(false);
        busy_ = false;
        host_.ReplyReceived();
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
    port_.Open();
}

bool TLink::SendTimerTimer() {
    if (mode_ == Connecting) {
        port_.Close();
        ++attempts_;
        if (attempts_ >= kConnectAttempts) {
            host_.GiveUp(); // shows " Serial Port not connected " and ends the program
            return false;
        }
        const std::uint8_t port = (attempts_ < 4 || (attempts_ >= 8 && attempts_ < 12)) ? 1 : 2;
        try {
            CnctDataLink(port, 9600);
        } catch (const std::exception& e) {
            host_.SerialError(e.what()); // the attempt counts all the same
        }
        return true;
    }
    if (timeout_ == -1) return true;
    if (--timeout_ != -1) return true;
    if (--retries_ == 0) {
        host_.LinkMessage(" Serial Port not connected ", "Comm.ERR", true);
        busy_ = false;
        host_.SetPageControlEnabled(true);
        host_.SetBusyPointer(false);
        receiver_.Reset();
        mode_ = Idle;
    }
    if (tx_[2] == 0x46) {
        ++retries_; // lens adjustment steps wait without limit
    } else if (tx_[0] == SOH) {
        writeBulk(); // a bulk frame is re-sent whole
    } else {
        port_.Write(tx_.data(), static_cast<std::uint32_t>(tx_.size()));
    }
    timeout_ = kTimeoutTicks;
    return true;
}

} // namespace cam
