#pragma once
// Load sequences and the order queue. A tab change while a sequence runs is
// queued; queued requests run in arrival order, each when the one before has
// ended. Everything runs on the window's thread, one event at a time.

#include "link/link.h"

#include <cstdint>
#include <deque>
#include <functional>

namespace cam {

class ITransHost {
  public:
    virtual ~ITransHost() = default;
    virtual void SetPanelsEnabled(bool enabled) = 0;        // the six tab panels
    virtual int ActivePage() const = 0;                     // page index 0..5 = sequence kind
    virtual void SetOrderText(int count) = 0;               // the hidden `Order` label
    virtual void TransMessage(const std::string& text) = 0; // caption "38R5", OK/Cancel
    virtual void RefreshPointer() = 0;                      // the pointer shape is re-evaluated
    virtual void BeforeEasyLoad() = 0; // the white-balance controls enabled again
    // A load sequence is about to take the line: procedures of several
    // steps that run on it end.
    virtual void LoadStarting() {}
};

class TTransactions {
  public:
    static constexpr int kMaxOrders = 255;

    TTransactions(TLink& link, ITransHost& host) : link_(link), host_(host) {}

    // Sends step `step` of sequence `kind`, or ends the sequence past its last step.
    void Trans_init(int kind, unsigned step);
    // Also false while as many frames wait as a handler may add.
    bool Trans_chk() const { return step_ == 0 && !link_.Busy() && !link_.HoldFull(); }
    // A frame of the load was given up (or never written): the load ends,
    // its panels enabled, so that it can be loaded again.
    void Abandoned(std::uint32_t tag);
    void ReLoadClick();
    void PageControl1Change();
    void Trans_next();
    // After a complete reply: decode it with `transEnd` and, unless a decoder
    // moved the sequence, send the next step.
    void AfterReply(const std::function<void()>& transEnd);
    // Drops every queued request (the program ends).
    void ClearOrders();
    // The running sequence and the queued requests are dropped, so that no
    // later reply moves them: after a failed write (the panels are enabled
    // again, the technician may load anew) or a lost line (they stay disabled
    // until the next load).
    void Stop(bool panelsEnabled);

    int SequenceStep() const { return step_; }
    void SetSequenceStep(int step) { step_ = step; }
    int SequenceKind() const { return kind_; }
    int Orders() const { return static_cast<int>(orders_.size()); }

  private:
    void startQueued(int kind);
    // Marks a sequence's frames so that only the answer to the step that is
    // running moves the sequence on; a restarted sequence has a new generation.
    std::uint32_t stepTag() const {
        return (generation_ & 0x7FFFFFu) << 8 | static_cast<std::uint32_t>(step_ & 0xFF);
    }

    TLink& link_;
    ITransHost& host_;
    int step_ = 0;
    int kind_ = 0;
    std::uint32_t generation_ = 1;
    std::deque<std::uint8_t> orders_;
};

} // namespace cam
