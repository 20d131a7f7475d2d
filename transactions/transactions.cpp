#include "transactions/transactions.h"

#include "transactions/sequences.h"

namespace cam {

namespace {
const char* const kDrOff = "Camera Connection changed (DR OFF)";
}

void TTransactions::Trans_init(int kind, unsigned step) {
    if (kind == static_cast<int>(SeqKind::Easy) && step == 0) host_.BeforeEasyLoad();
    if (step == 0) {
        ++generation_;
        host_.LoadStarting();
    }
    step_ = static_cast<int>(step) + 1;
    TxFrame& tx = link_.Tx();
    tx[1] = kReadClass;
    const std::vector<std::uint8_t> payload = cam::SequenceStep(kind, step);
    if (!payload.empty()) {
        for (std::size_t i = 1; i < payload.size(); ++i)
            tx[i + 1] = payload[i];
        // A restarted load's step replaces the older load's step that waits.
        link_.StxCommand(static_cast<int>(payload.size()), stepTag(), this);
        return;
    }
    step_ = 0;
    host_.SetPanelsEnabled(true);
    Trans_next();
}

void TTransactions::ReLoadClick() {
    if (!link_.DR_check()) {
        host_.TransMessage(kDrOff);
        return;
    }
    host_.SetPanelsEnabled(false);
    kind_ = host_.ActivePage();
    Trans_init(kind_, 0);
}

void TTransactions::PageControl1Change() {
    if (step_ == 0 && orders_.empty()) {
        ReLoadClick();
        return;
    }
    if (orders_.size() >= kMaxOrders) {
        host_.TransMessage("Order queue is full: the tab change was not queued");
        return;
    }
    orders_.push_back(static_cast<std::uint8_t>(host_.ActivePage()));
    host_.SetOrderText(Orders());
}

void TTransactions::Trans_next() {
    if (orders_.empty()) {
        host_.RefreshPointer();
        return;
    }
    const int kind = orders_.front();
    orders_.pop_front();
    host_.SetOrderText(Orders());
    kind_ = kind;
    startQueued(kind);
}

void TTransactions::startQueued(int kind) {
    if (!link_.DR_check()) {
        // The request is dropped; those behind it wait for the next end of a sequence.
        host_.TransMessage(kDrOff);
        return;
    }
    host_.SetPanelsEnabled(false);
    step_ = 0;
    Trans_init(kind, 0);
}

void TTransactions::AfterReply(const std::function<void()>& transEnd) {
    const int remembered = step_;
    // Only the answer to the running step moves the sequence on; the answer to
    // a frame that went out between two steps does not.
    const bool stepAnswered = step_ != 0 && link_.AnsweredTag() == stepTag();
    transEnd();
    if (stepAnswered && step_ == remembered) Trans_init(kind_, static_cast<unsigned>(step_));
}

void TTransactions::Abandoned(std::uint32_t tag) {
    if (step_ != 0 && tag == stepTag()) Stop(true);
}

void TTransactions::Stop(bool panelsEnabled) {
    step_ = 0;
    ++generation_;
    ClearOrders();
    host_.SetPanelsEnabled(panelsEnabled);
}

void TTransactions::ClearOrders() {
    orders_.clear();
    host_.SetOrderText(0);
}

} // namespace cam
