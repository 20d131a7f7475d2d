#pragma once
// What a tab needs of the main window's link: the guard every handler asks,
// the shared transmit frame and its sender, the last reply and the data table.
// TF38R5 implements it; tests use an in-memory one.

#include "link/frames.h"

#include <cstdint>
#include <initializer_list>

class TTabContext {
public:
    virtual ~TTabContext() = default;

    // True when no load sequence runs and the link is not busy.
    virtual bool Trans_chk() const = 0;
    // True while a load sequence step is pending (sequence step != 0).
    virtual bool SequenceRunning() const = 0;
    // The shared transmit frame; payload byte k is Tx()[k].
    virtual cam::TxFrame& Tx() = 0;
    // Completes and sends the transmit frame with payload bytes 1..count.
    virtual int StxCommand(int count) = 0;
    // The last reply frame: start byte, payload bytes 1..15, ETX.
    virtual const cam::ReplyBuffer& Reply() const = 0;
    // Entry of the 2048-entry data table.
    virtual std::int32_t& Data(int index) = 0;
    // A register value reported by the camera: stored in the data table and,
    // for registers 0x01 and 0x40, applied to the video format.
    virtual void ApplyRegister(int address, std::uint16_t value) = 0;

    // Fills payload bytes 1..n with `payload` and sends them.
    void Send(std::initializer_list<std::uint8_t> payload) {
        int k = 1;
        for (std::uint8_t b : payload) Tx()[static_cast<std::size_t>(k++)] = b;
        StxCommand(k - 1);
    }
    // Payload byte 1 of the command whose reply is being handled.
    std::uint8_t LastClass() const { return const_cast<TTabContext*>(this)->Tx()[1]; }
};
