#pragma once
// What a tab needs of the main window's link: the guard every handler asks,
// the shared transmit frame and its sender, the last reply and the data table.
// TF38R5 implements it; tests use an in-memory one.

#include "link/frames.h"
#include "ui/widgets/link_gate.h"

#include <cstdint>
#include <initializer_list>

class TTabContext : public ILinkGate {
  public:
    virtual ~TTabContext() = default;

    // The shared transmit frame; payload byte k is Tx()[k].
    virtual cam::TxFrame& Tx() = 0;
    // Completes and sends the transmit frame with payload bytes 1..count.
    // While a reply is being decoded this sends nothing: a value that a reply
    // puts into a control runs the control's handler, but the camera already
    // holds that value.
    virtual int StxCommand(int count) = 0;
    // The same for the follow-ups a decoder sends on purpose (partner reads,
    // polls, chains and loops): these go out while decoding too.
    virtual int FollowUpCommand(int count) = 0;
    // The command frame that the reply being handled answers.
    virtual const cam::TxFrame& Answered() const = 0;
    // The last reply frame: start byte, payload bytes 1..15, ETX.
    virtual const cam::ReplyBuffer& Reply() const = 0;
    // Entry of the 2048-entry data table.
    virtual std::int32_t& Data(int index) = 0;
    // A register value reported by the camera: stored in the data table and,
    // for registers 0x01 and 0x40, applied to the video format.
    virtual void ApplyRegister(int address, std::uint16_t value) = 0;

    // Fills payload bytes 1..n with `payload` and sends them.
    void Send(std::initializer_list<std::uint8_t> payload) { StxCommand(fill(payload)); }
    // The same for a decoder's follow-up.
    void FollowUp(std::initializer_list<std::uint8_t> payload) { FollowUpCommand(fill(payload)); }
    // Payload byte 1 of the command whose reply is being handled.
    std::uint8_t LastClass() const { return Answered()[1]; }

  private:
    int fill(std::initializer_list<std::uint8_t> payload) {
        int k = 1;
        for (std::uint8_t b : payload)
            Tx()[static_cast<std::size_t>(k++)] = b;
        return k - 1;
    }
};
