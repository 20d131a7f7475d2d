#pragma once
// An in-memory main window link for tab tests: records every frame that
// StxCommand would put on the line and lets a test hand in replies.

#include "link/frames.h"
#include "ui/common/tab_context.h"

#include <array>
#include <vector>

class FakeContext : public TTabContext {
  public:
    bool busy = false;
    bool sequenceRunning = false;
    cam::TxFrame tx{};
    cam::ReplyBuffer reply{};
    std::array<std::int32_t, 2048> data{};
    std::vector<cam::TxFrame> sent;  // completed frames, in order
    std::vector<std::uint32_t> tags; // the tag of each
    std::vector<std::pair<int, std::uint16_t>> registers;

    bool Trans_chk() const override { return !busy && !sequenceRunning; }
    bool SequenceRunning() const override { return sequenceRunning; }
    cam::TxFrame& Tx() override { return tx; }
    // The command a reply answers: what the test left in the transmit frame,
    // with the tag of the last frame sent.
    const cam::TxFrame& Answered() const override { return tx; }
    std::uint32_t AnsweredTag() const override { return tags.empty() ? 0 : tags.back(); }
    const cam::ReplyBuffer& Reply() const override { return reply; }
    std::int32_t& Data(int index) override { return data[static_cast<std::size_t>(index)]; }
    void ApplyRegister(int address, std::uint16_t value) override {
        data[static_cast<std::size_t>(address)] = value;
        registers.emplace_back(address, value);
    }

    // Puts an accepted reply with payload bytes 2.. into the reply buffer.
    void SetReply(std::initializer_list<std::uint8_t> bytes, std::uint8_t status = cam::kAccepted) {
        reply.fill(0);
        reply[0] = cam::STX;
        reply[1] = status;
        std::size_t k = 2;
        for (auto b : bytes)
            reply[k++] = b;
        reply[16] = cam::ETX;
    }
    // Payload bytes 1..n of the k-th sent frame.
    std::vector<std::uint8_t> Payload(std::size_t k, int n) const {
        return {sent.at(k).begin() + 1, sent.at(k).begin() + 1 + n};
    }

  protected:
    bool Transmit(int count, std::uint32_t tag, const void*) override {
        if (busy) return false;
        cam::complete_command_frame(tx, count);
        sent.push_back(tx);
        tags.push_back(tag);
        return true;
    }
};
