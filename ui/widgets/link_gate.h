#pragma once
// The three questions a control asks of the link before it sends: may a
// handler send now, is a load sequence running, is a reply being decoded.

class ILinkGate {
  public:
    virtual ~ILinkGate() = default;
    // True when no load sequence runs and the link is not busy.
    virtual bool Trans_chk() const = 0;
    // True while a load sequence step is pending (sequence step != 0).
    virtual bool SequenceRunning() const = 0;
    // True while the window hands a reply to the decoders.
    virtual bool Decoding() const = 0;
};
