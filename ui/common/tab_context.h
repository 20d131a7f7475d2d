#pragma once
// What a tab needs of the main window's link: the guard every handler asks,
// the shared transmit frame and its sender, the last reply and the data table.
// TF38R5 implements it; tests use an in-memory one. The rule of what is sent
// is here, shared by both: everything, except what a handler sends while it
// runs for a decoder's write (ILinkGate::EchoWrite).

#include "link/frames.h"
#include "ui/widgets/link_gate.h"

#include <cstdint>
#include <initializer_list>

class TTabContext : public ILinkGate {
  public:
    virtual ~TTabContext() = default;

    // The shared transmit frame; payload byte k is Tx()[k].
    virtual cam::TxFrame& Tx() = 0;
    // Completes and sends the transmit frame with payload bytes 1..count
    // (held while another exchange is open). Nothing is sent for a decoder's
    // write: the camera already holds that value.
    int StxCommand(int count) {
        RequestCommand(count);
        return 0;
    }
    // The same, and returns the tag that comes back with the answer to this
    // frame (AnsweredTag), or 0 when nothing was sent. A procedure of several
    // steps moves on only when Answers() its own tag.
    std::uint32_t RequestCommand(int count);
    // The command frame that the reply being handled answers.
    virtual const cam::TxFrame& Answered() const = 0;
    // The tag its frame was sent with.
    virtual std::uint32_t AnsweredTag() const = 0;
    bool Answers(std::uint32_t tag) const { return tag != 0 && AnsweredTag() == tag; }
    // The last reply frame: start byte, payload bytes 1..15, ETX.
    virtual const cam::ReplyBuffer& Reply() const = 0;
    // Entry of the 2048-entry data table.
    virtual std::int32_t& Data(int index) = 0;
    // A register value reported by the camera: stored in the data table and,
    // for registers 0x01 and 0x40, applied to the video format.
    virtual void ApplyRegister(int address, std::uint16_t value) = 0;

    // Fills payload bytes 1..n with `payload` and sends them.
    void Send(std::initializer_list<std::uint8_t> payload) { StxCommand(fill(payload)); }
    std::uint32_t Request(std::initializer_list<std::uint8_t> payload) {
        return RequestCommand(fill(payload));
    }
    // Payload byte 1 of the command whose reply is being handled.
    std::uint8_t LastClass() const { return Answered()[1]; }

  protected:
    // Tags of the tabs' frames; the load sequences use tags below this.
    static constexpr std::uint32_t kFirstTag = 0x80000000u;
    // A tag for a frame sent another way (the bulk frame).
    std::uint32_t NewTag() {
        const std::uint32_t tag = nextTag_++;
        if (nextTag_ == 0) nextTag_ = kFirstTag;
        return tag;
    }
    // Puts the completed frame on the line or holds it; false when it was
    // refused (busy link, lost line, too many frames waiting).
    virtual bool Transmit(int count, std::uint32_t tag, const void* source) = 0;

  private:
    int fill(std::initializer_list<std::uint8_t> payload) {
        int k = 1;
        for (std::uint8_t b : payload)
            Tx()[static_cast<std::size_t>(k++)] = b;
        return k - 1;
    }
    std::uint32_t nextTag_ = kFirstTag;
};
